// The bills of a bill type as the print client tells them apart: a bill of type T is the row of
// T's head table (ICTransactionType.FHeadTable) whose key column (FKeyInterID) holds its interior
// id and whose FTranType is T. Bill types 1 and 21 share ICStockBill, so an interior id alone
// does not say which kind of bill it is.
//
// Everything is read through clsGetData.ExecuteSQL, activated by ProgID, so that the print
// client works against any build of the component. Ids are 32-bit numbers and names read from
// ICTransactionType are checked before they go into a statement.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"

namespace printing {

// A bill type's row of ICTransactionType: its name and where its bills are.
struct BillType {
  std::int32_t id = 0;
  oleaut::Bstr name;        // FName
  oleaut::Bstr head_table;  // FHeadTable
  oleaut::Bstr key_column;  // FKeyInterID
};

// One bill as its head table lists it.
struct BillSummary {
  std::int32_t inter_id = 0;
  oleaut::Bstr bill_no;  // FBillNo
  oleaut::Variant date;  // FDate
};

using Row = std::vector<oleaut::Variant>;

// A clsGetData object, activated by ProgID ("TAVMPrintExport.clsGetData").
com::Ptr<com::Dispatch> ActivateGetData();

// The rows of `statement` on `dsn` through clsGetData.ExecuteSQL (one component call, so one
// transaction): each row its values in the order of the statement's columns.
std::vector<Row> QueryRows(com::Dispatch& get_data, const oleaut::Bstr& dsn,
                           const oleaut::Bstr& statement);

// Bill type `bill_type` of `dsn`. Raises a ComError when ICTransactionType has no such row, or
// when its head table or key column is missing or is no plain or bracketed SQL name.
BillType LookUpBillType(com::Dispatch& get_data, const oleaut::Bstr& dsn, std::int32_t bill_type);

// Whether `name` may go into a statement as a table or column name: plain (letters, digits and
// underscores, not starting with a digit) or bracketed, in dotted parts.
bool IsSqlName(std::u16string_view name);

// The ids, each once, in the order first given.
std::vector<std::int32_t> DistinctIds(std::span<const std::int32_t> ids);
// "1001,1002": the ids as an SQL list of numbers.
oleaut::Bstr IdList(std::span<const std::int32_t> ids);

// Raises a ComError that names the first of `inter_ids` that is no bill of `type`: one that does
// not exist ("Bill 424242 of bill type 1 (外购入库) does not exist: ..."), or one of another type,
// named with its real type. No ids at all raise too.
void RequireBillsOfType(com::Dispatch& get_data, const oleaut::Bstr& dsn, const BillType& type,
                        std::span<const std::int32_t> inter_ids);
void RequireBillsOfType(const oleaut::Bstr& dsn, std::int32_t bill_type,
                        std::span<const std::int32_t> inter_ids);

// The bills of `type` on `dsn` in the order of their interior ids.
std::vector<BillSummary> ListBills(com::Dispatch& get_data, const oleaut::Bstr& dsn,
                                   const BillType& type);

}  // namespace printing
