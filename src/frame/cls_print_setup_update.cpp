#include "frame/cls_print_setup_update.h"

#include "billdata/counters.h"
#include "platform/com/bind.h"
#include "templates/selection.h"
#include "templates/write.h"
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

std::int32_t clsPrintSetupUpdate::TransMode() const {
  return 2;
}

bool clsPrintSetupUpdate::DeleteNoteRow(const Bstr& sDsn, std::int32_t fClassType,
                                        std::int32_t FID) {
  return templates::DeleteNoteRow(*this, sDsn, fClassType, FID);
}

com::Ptr<vdl::List> clsPrintSetupUpdate::InsertNoteRow(const Bstr& sDsn, std::int32_t fClassType,
                                                       const Bstr& fNoteName,
                                                       const Variant& fNoteBlob) {
  return templates::InsertNoteRow(*this, sDsn, fClassType, fNoteName, fNoteBlob);
}

bool clsPrintSetupUpdate::SaveNewBill(const Bstr& sDsn, std::int32_t fClassType,
                                      const DictionaryRef& dctData) {
  return templates::SaveNewBill(*this, sDsn, fClassType, dctData);
}

void clsPrintSetupUpdate::SavePageAndPrintSet(const Bstr& sDsn, std::int32_t fClassTypeId,
                                              const Variant& printSetValue) {
  templates::SavePageAndPrintSet(*this, sDsn, fClassTypeId, printSetValue);
}

Variant clsPrintSetupUpdate::UpdateNoteRow(const Bstr& sDsn, std::int32_t fClassType,
                                           const Variant& fNoteBlob, const Bstr& sNoteName) {
  return templates::UpdateNoteRow(*this, sDsn, fClassType, fNoteBlob, sNoteName);
}

void clsPrintSetupUpdate::UpdatePrintCount(const Bstr& sDsn, const DictionaryRef& dctPCData) {
  billdata::UpdatePrintCount(*this, sDsn, dctPCData);
}

Variant clsPrintSetupUpdate::UpdateUserNoteData(const Bstr& sDsn, std::int32_t fClassType,
                                                const DictionaryRef& modiData) {
  return templates::UpdateUserNoteData(*this, sDsn, fClassType, modiData);
}

bool clsPrintSetupUpdate::DeleteRptNoteRow(const Bstr& sDsn, std::int32_t fRptId,
                                           std::int32_t FID) {
  return templates::DeleteRptNoteRow(*this, sDsn, fRptId, FID);
}

com::Ptr<vdl::List> clsPrintSetupUpdate::InsertRptNoteRow(const Bstr& sDsn, std::int32_t fRptId,
                                                          const Bstr& fNoteName,
                                                          const Variant& fNoteBlob) {
  return templates::InsertRptNoteRow(*this, sDsn, fRptId, fNoteName, fNoteBlob);
}

Variant clsPrintSetupUpdate::UpdateUserRptNoteData(const Bstr& sDsn, std::int32_t fRptId,
                                                   const DictionaryRef& modiData) {
  return templates::UpdateUserRptNoteData(*this, sDsn, fRptId, modiData);
}

}  // namespace frame
