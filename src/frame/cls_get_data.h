// clsGetData: the print run's data class (bill metadata, head and entry data, counters,
// pictures, and the generic ExecuteSQL and GetSysValue), bound to the _clsGetData interface.
// cls_get_data.cpp defines every member; each names the function that does its work.
#pragma once

#include <cstdint>

#include "frame/component_object.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/tavglobal/user_info.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace frame {

class clsGetData : public ComponentObject {  // NOLINT(readability-identifier-naming)
 public:
  clsGetData();

  // Members of _clsGetData, in interface order.
  std::int32_t TransMode() const;
  com::Ptr<ado::Recordset> ExecuteSQL(const oleaut::Bstr& sDsn, const oleaut::Bstr& strSql);
  oleaut::Variant GetSysValue(const oleaut::Bstr& sDsn, const oleaut::Bstr& FCategory,
                              const oleaut::Bstr& FKey);
  com::Ptr<vdl::Dictionary> GetBillTypeInfo(const oleaut::Bstr& sDsn, std::int32_t pBillTranType);
  com::Ptr<ado::Recordset> GetNoteCitation(const oleaut::Bstr& sDsn, std::int32_t pNoteTypeID);
  com::Ptr<vdl::List> GetBillPackage(const oleaut::Bstr& sDsn, std::int32_t lBillTransType,
                                     const com::Ptr<vdl::Dictionary>& dicPara);
  std::int32_t GetHeadFillData(const oleaut::Bstr& sDsn,
                               const com::Ptr<vdl::Dictionary>& pCondition,
                               const com::Ptr<vdl::Dictionary>& dicStruct, oleaut::Variant& pRetRs,
                               bool SumNotePrint);
  std::int32_t GetEntryFillData(const oleaut::Bstr& sDsn,
                                const com::Ptr<vdl::Dictionary>& pCondition,
                                const com::Ptr<vdl::Dictionary>& dicStruct,
                                oleaut::Variant& pRetRs);
  oleaut::Bstr GetBillPrintCount(const oleaut::Bstr& sDsn, const oleaut::Bstr& sInterID,
                                 std::int32_t lBillTranType);
  oleaut::Bstr GetItemPicture(const oleaut::Bstr& sDsn, const oleaut::Bstr& sItemID);
  oleaut::Bstr TAV_GetSysDirectory();

 private:
  static const com::DispatchTable& Table();

  // Binds the held context to `sDsn`, takes the user-info object again and returns the
  // context's connection.
  com::Ptr<ado::Connection> BindToDsn(const oleaut::Bstr& sDsn) override;

  com::Ptr<tavglobal::UserInfo> user_info_;
};

}  // namespace frame
