// clsPrintSetupQuery: the template store's read side (the user's templates, the one selected for
// printing, page settings, pictures), bound to the _clsPrintSetupQuery interface.
// cls_print_setup_query.cpp defines every member; each names the function that does its work.
#pragma once

#include <cstdint>

#include "frame/component_object.h"
#include "platform/ado/connection.h"
#include "platform/vdl/dictionary.h"

namespace frame {

class clsPrintSetupQuery : public ComponentObject {  // NOLINT(readability-identifier-naming)
 public:
  clsPrintSetupQuery();

  // Members of _clsPrintSetupQuery, in interface order.
  com::Ptr<vdl::Dictionary> GetCurrNote(const oleaut::Bstr& sDsn, std::int32_t fClssTypeId);
  void CopyManagerNoteInfo(oleaut::Variant& cn, std::int32_t classTypeId, std::int32_t UserID,
                           const oleaut::Bstr& UserName);
  com::Ptr<vdl::Dictionary> GetNoteInfo(const oleaut::Bstr& sDsn, std::int32_t classTypeId);
  com::Ptr<vdl::Dictionary> GetNotePrintData(const oleaut::Bstr& sDsn, std::int32_t fClassTypeId,
                                             const oleaut::Bstr& FSubType);
  com::Ptr<vdl::Dictionary> GetPageAndPrintSet(const oleaut::Bstr& sDsn, std::int32_t fClassTypeId);
  oleaut::Variant GetPictureData(const oleaut::Bstr& sDsn,
                                 const com::Ptr<vdl::Dictionary>& dctDataInfo);
  void CopyRptManagerNoteInfo(oleaut::Variant& cn, std::int32_t rptId, std::int32_t UserID,
                              const oleaut::Bstr& UserName);
  com::Ptr<vdl::Dictionary> GetRptNoteInfo(const oleaut::Bstr& sDsn, std::int32_t rptId);
  com::Ptr<vdl::Dictionary> GetRptNotePrintData(const oleaut::Bstr& sDsn, std::int32_t rptId,
                                                const oleaut::Bstr& FSubType);

 protected:
  // The lists copy the administrator's templates on a user's first use: those calls write.
  tavglobal::TransactionIntent IntentOf(const com::MemberInfo& member) const override;

 private:
  static const com::DispatchTable& Table();
};

}  // namespace frame
