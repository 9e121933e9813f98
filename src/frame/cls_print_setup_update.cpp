#include "frame/cls_print_setup_update.h"

#include "platform/com/bind.h"
#include "typelib/interfaces.h"

namespace frame {

using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

const com::DispatchTable& clsPrintSetupUpdate::Table() {
  static constexpr com::Binding kBindings[] = {
      com::Bind<&clsPrintSetupUpdate::TransMode>(u"TransMode"),
      com::Bind<&clsPrintSetupUpdate::DeleteNoteRow>(u"DeleteNoteRow"),
      com::Bind<&clsPrintSetupUpdate::InsertNoteRow>(u"InsertNoteRow"),
      com::Bind<&clsPrintSetupUpdate::SaveNewBill>(u"SaveNewBill"),
      com::Bind<&clsPrintSetupUpdate::SavePageAndPrintSet>(u"SavePageAndPrintSet"),
      com::Bind<&clsPrintSetupUpdate::UpdateNoteRow>(u"UpdateNoteRow"),
      com::Bind<&clsPrintSetupUpdate::UpdatePrintCount>(u"UpdatePrintCount"),
      com::Bind<&clsPrintSetupUpdate::UpdateUserNoteData>(u"UpdateUserNoteData"),
      com::Bind<&clsPrintSetupUpdate::DeleteRptNoteRow>(u"DeleteRptNoteRow"),
      com::Bind<&clsPrintSetupUpdate::InsertRptNoteRow>(u"InsertRptNoteRow"),
      com::Bind<&clsPrintSetupUpdate::UpdateUserRptNoteData>(u"UpdateUserRptNoteData"),
  };
  static_assert(com::BindingsMatch(typelib::kPrintSetupUpdateInterface, kBindings));
  static const com::DispatchTable table(u"TAVMPrintExport.clsPrintSetupUpdate",
                                        typelib::kPrintSetupUpdateInterface, kBindings);
  return table;
}

clsPrintSetupUpdate::clsPrintSetupUpdate()
    : ComponentObject(Table(), tavglobal::TransactionIntent::Write) {}

com::Ptr<ado::Connection> clsPrintSetupUpdate::BindToDsn(const Bstr& sDsn) {
  BindContext(sDsn);
  return context_->GetConnection();
}

std::int32_t clsPrintSetupUpdate::TransMode() const {
  return 2;
}

}  // namespace frame
