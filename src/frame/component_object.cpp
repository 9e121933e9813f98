#include "frame/component_object.h"

#include "platform/tavglobal/globals.h"

namespace frame {

ComponentObject::ComponentObject(const com::DispatchTable& table,
                                 tavglobal::TransactionIntent intent)
    : Dispatch(table),
      context_(tavglobal::Globals::Current().GetCurrentContext()),
      intent_(intent) {}

ComponentObject::~ComponentObject() = default;

oleaut::Variant ComponentObject::CallMember(com::Handler handler, const com::InvokeArgs& args) {
  tavglobal::CallScope call(IntentOf(args.Member()));
  oleaut::Variant result = handler(*this, args);
  call.Finish();
  return result;
}

tavglobal::TransactionIntent ComponentObject::IntentOf(const com::MemberInfo& /*member*/) const {
  return intent_;
}

void ComponentObject::BindContext(const oleaut::Bstr& sDsn) {
  context_ = tavglobal::Globals::Current().GetCurrentContext();
  context_->BindDsn(sDsn);
}

com::Ptr<ado::Connection> ComponentObject::BindToDsn(const oleaut::Bstr& sDsn) {
  BindContext(sDsn);
  return context_->GetConnection();
}

}  // namespace frame
