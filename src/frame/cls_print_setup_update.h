// clsPrintSetupUpdate: the template store's write side (create, replace, delete and select
// templates, page settings) and the print counter, bound to the _clsPrintSetupUpdate interface.
// cls_print_setup_update.cpp defines every member; each names the function that does its work.
#pragma once

#include <cstdint>

#include "frame/component_object.h"
#include "platform/ado/connection.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace frame {

class clsPrintSetupUpdate : public ComponentObject {  // NOLINT(readability-identifier-naming)
 public:
  clsPrintSetupUpdate();

  // Members of _clsPrintSetupUpdate, in interface order.
  std::int32_t TransMode() const;
  bool DeleteNoteRow(const oleaut::Bstr& sDsn, std::int32_t fClassType, std::int32_t FID);
  com::Ptr<vdl::List> InsertNoteRow(const oleaut::Bstr& sDsn, std::int32_t fClassType,
                                    const oleaut::Bstr& fNoteName,
                                    const oleaut::Variant& fNoteBlob);
  bool SaveNewBill(const oleaut::Bstr& sDsn, std::int32_t fClassType,
                   const com::Ptr<vdl::Dictionary>& dctData);
  void SavePageAndPrintSet(const oleaut::Bstr& sDsn, std::int32_t fClassTypeId,
                           const oleaut::Variant& printSetValue);
  oleaut::Variant UpdateNoteRow(const oleaut::Bstr& sDsn, std::int32_t fClassType,
                                const oleaut::Variant& fNoteBlob, const oleaut::Bstr& sNoteName);
  void UpdatePrintCount(const oleaut::Bstr& sDsn, const com::Ptr<vdl::Dictionary>& dctPCData);
  oleaut::Variant UpdateUserNoteData(const oleaut::Bstr& sDsn, std::int32_t fClassType,
                                     const com::Ptr<vdl::Dictionary>& modiData);
  bool DeleteRptNoteRow(const oleaut::Bstr& sDsn, std::int32_t fRptId, std::int32_t FID);
  com::Ptr<vdl::List> InsertRptNoteRow(const oleaut::Bstr& sDsn, std::int32_t fRptId,
                                       const oleaut::Bstr& fNoteName,
                                       const oleaut::Variant& fNoteBlob);
  oleaut::Variant UpdateUserRptNoteData(const oleaut::Bstr& sDsn, std::int32_t fRptId,
                                        const com::Ptr<vdl::Dictionary>& modiData);

 private:
  static const com::DispatchTable& Table();
};

}  // namespace frame
