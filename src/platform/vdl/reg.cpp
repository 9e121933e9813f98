#include "platform/vdl/reg.h"

#include "platform/com/activation.h"
#include "platform/com/bind.h"
#include "platform/com/registry.h"

namespace vdl {

Reg::~Reg() = default;

namespace {

using com::In;
using com::Optional;
using oleaut::VarType;

constexpr com::ParamInfo kGetKeyValueParams[] = {
    In(u"sKey", VarType::String), In(u"sValueName", VarType::String),
    Optional(u"vOption", VarType::Variant, com::DefaultValue{})};
constexpr com::MemberInfo kMembers[] = {
    {u"GetKeyValue", com::MemberKind::Method, kGetKeyValueParams, VarType::String, {}},
};
constexpr com::InterfaceInfo kInterface{
    u"_Reg", com::Guid::Parse("{F184BD26-F7F5-4D8B-A1BA-523F198897F5}"), kMembers};

const bool kRegistered = com::RegisterBuiltinClass(
    u"VDL.Reg", Reg::kClsid, [] { return com::Ptr<com::Unknown>(com::Make<Reg>()); });

}  // namespace

const com::DispatchTable& Reg::Table() {
  static constexpr com::Binding kBindings[] = {com::Bind<&Reg::GetKeyValue>(u"GetKeyValue")};
  static_assert(com::BindingsMatch(kInterface, kBindings));
  static const com::DispatchTable table(u"VDL.Reg", kInterface, kBindings);
  return table;
}

Reg::Reg() : Dispatch(Table()) {
  static_cast<void>(kRegistered);
}

oleaut::Bstr Reg::GetKeyValue(const oleaut::Bstr& sKey, const oleaut::Bstr& sValueName,
                              const oleaut::Variant& /*vOption*/) {
  return com::Registry::Default().GetValue(sKey, sValueName).value_or(oleaut::Bstr());
}

}  // namespace vdl
