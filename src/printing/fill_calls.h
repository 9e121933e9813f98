// The print client's calls for the rows of selected bills, by name on clsGetData: the bill type
// and its template package, the request dictionaries built from them, GetHeadFillData and
// GetEntryFillData. `tavprint bill fill` and the print run both make them through here.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace printing {

// What GetBillTypeInfo and GetBillPackage say of a bill type.
struct BillTypeMetadata {
  std::int32_t bill_type = 0;
  com::Ptr<vdl::Dictionary> info;  // the ICTransactionType row
  com::Ptr<vdl::List> package;     // bill type, head fields, entry fields, template package
  oleaut::Variant structure;       // the template package: dicStruct of the fill calls
  oleaut::Bstr key_inter;          // the head rows' column of the bill id (FKeyInterID)
};

// Raises naming the bill type when it has no ICTransactionType row or no package.
BillTypeMetadata ReadBillType(com::Dispatch& data, const oleaut::Variant& sdsn,
                              std::int32_t bill_type, const std::string& dsn_name);

// pCondition: the transaction type and the bills in the order of selection.
com::Ptr<vdl::Dictionary> MakeFillCondition(std::int32_t bill_type,
                                            std::span<const std::int32_t> bill_ids);

// One fill member's result and the recordset it left in pRetRs (null when it left none).
struct FilledRecordset {
  std::int32_t result = 0;
  com::Ptr<ado::Recordset> recordset;
};

FilledRecordset FillHeadRows(com::Dispatch& data, const oleaut::Variant& sdsn,
                             const com::Ptr<vdl::Dictionary>& condition,
                             const oleaut::Variant& structure, bool sum);
FilledRecordset FillEntryRows(com::Dispatch& data, const oleaut::Variant& sdsn,
                              const com::Ptr<vdl::Dictionary>& condition,
                              const oleaut::Variant& structure);

}  // namespace printing
