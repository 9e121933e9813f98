#include "frame/cls_print_setup_query.h"

#include "platform/com/bind.h"
#include "typelib/interfaces.h"

namespace frame {

using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

const com::DispatchTable& clsPrintSetupQuery::Table() {
  static constexpr com::Binding kBindings[] = {
      com::Bind<&clsPrintSetupQuery::GetCurrNote>(u"GetCurrNote"),
      com::Bind<&clsPrintSetupQuery::CopyManagerNoteInfo>(u"CopyManagerNoteInfo"),
      com::Bind<&clsPrintSetupQuery::GetNoteInfo>(u"GetNoteInfo"),
      com::Bind<&clsPrintSetupQuery::GetNotePrintData>(u"GetNotePrintData"),
      com::Bind<&clsPrintSetupQuery::GetPageAndPrintSet>(u"GetPageAndPrintSet"),
      com::Bind<&clsPrintSetupQuery::GetPictureData>(u"GetPictureData"),
      com::Bind<&clsPrintSetupQuery::CopyRptManagerNoteInfo>(u"CopyRptManagerNoteInfo"),
      com::Bind<&clsPrintSetupQuery::GetRptNoteInfo>(u"GetRptNoteInfo"),
      com::Bind<&clsPrintSetupQuery::GetRptNotePrintData>(u"GetRptNotePrintData"),
  };
  static_assert(com::BindingsMatch(typelib::kPrintSetupQueryInterface, kBindings));
  static const com::DispatchTable table(u"TAVMPrintExport.clsPrintSetupQuery",
                                        typelib::kPrintSetupQueryInterface, kBindings);
  return table;
}

clsPrintSetupQuery::clsPrintSetupQuery()
    : ComponentObject(Table(), tavglobal::TransactionIntent::Read) {}

tavglobal::TransactionIntent clsPrintSetupQuery::IntentOf(const com::MemberInfo& member) const {
  const bool copies = member.name == u"GetNoteInfo" || member.name == u"GetRptNoteInfo" ||
                      member.name == u"CopyManagerNoteInfo" ||
                      member.name == u"CopyRptManagerNoteInfo";
  return copies ? tavglobal::TransactionIntent::Write : tavglobal::TransactionIntent::Read;
}

com::Ptr<ado::Connection> clsPrintSetupQuery::BindToDsn(const Bstr& sDsn) {
  BindContext(sDsn);
  return context_->GetConnection();
}

}  // namespace frame
