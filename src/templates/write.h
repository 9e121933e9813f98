// Creating, replacing and deleting template bodies of a bill type or report.
#pragma once

#include <cstdint>

#include "frame/instance.h"
#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace templates {

// clsPrintSetupUpdate.DeleteNoteRow
bool DeleteNoteRow(frame::Instance& self, const oleaut::Bstr& sDsn, std::int32_t fClassType,
                   std::int32_t FID);

// clsPrintSetupUpdate.InsertNoteRow
com::Ptr<vdl::List> InsertNoteRow(frame::Instance& self, const oleaut::Bstr& sDsn,
                                  std::int32_t fClassType, const oleaut::Bstr& fNoteName,
                                  const oleaut::Variant& fNoteBlob);

// clsPrintSetupUpdate.SaveNewBill
bool SaveNewBill(frame::Instance& self, const oleaut::Bstr& sDsn, std::int32_t fClassType,
                 const com::Ptr<vdl::Dictionary>& dctData);

// clsPrintSetupUpdate.UpdateNoteRow
oleaut::Variant UpdateNoteRow(frame::Instance& self, const oleaut::Bstr& sDsn,
                              std::int32_t fClassType, const oleaut::Variant& fNoteBlob,
                              const oleaut::Bstr& sNoteName);

// clsPrintSetupUpdate.DeleteRptNoteRow
bool DeleteRptNoteRow(frame::Instance& self, const oleaut::Bstr& sDsn, std::int32_t fRptId,
                      std::int32_t FID);

// clsPrintSetupUpdate.InsertRptNoteRow
com::Ptr<vdl::List> InsertRptNoteRow(frame::Instance& self, const oleaut::Bstr& sDsn,
                                     std::int32_t fRptId, const oleaut::Bstr& fNoteName,
                                     const oleaut::Variant& fNoteBlob);

}  // namespace templates
