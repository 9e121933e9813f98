#include "printing/bill_lookup.h"

#include <unordered_map>
#include <unordered_set>

#include "platform/ado/recordset.h"
#include "platform/com/activation.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"

namespace printing {

namespace {

using oleaut::Bstr;
using oleaut::Variant;

constexpr std::u16string_view kSource = u"TAVPrinting";

[[noreturn]] void FailLookup(const Bstr& description) {
  throw oleaut::ComError(oleaut::VbHresult(oleaut::kInvalidProcedureCall), Bstr(kSource),
                         description);
}

bool IsNameStart(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

Bstr TypeText(std::int32_t id, const Bstr& name) {
  return u"bill type " + oleaut::ToString(id) + (name.empty() ? Bstr() : u" (" + name + u")");
}

Bstr Text(const Variant& value) {
  return value.IsNull() ? Bstr() : oleaut::ToString(value);
}

}  // namespace

bool IsSqlName(std::u16string_view name) {
  if (name.empty()) return false;
  std::size_t i = 0;
  while (true) {
    if (name[i] == u'[') {
      const std::size_t end = name.find(u']', i + 1);
      if (end == std::u16string_view::npos || end == i + 1) return false;
      i = end + 1;
    } else {
      if (!IsNameStart(name[i])) return false;
      while (i < name.size() && (IsNameStart(name[i]) || (name[i] >= u'0' && name[i] <= u'9')))
        ++i;
    }
    if (i == name.size()) return true;
    if (name[i] != u'.' || i + 1 == name.size()) return false;
    ++i;
  }
}

com::Ptr<com::Dispatch> ActivateGetData() {
  auto object = com::As<com::Dispatch>(com::CreateByProgID(u"TAVMPrintExport.clsGetData"));
  if (!object) FailLookup(u"TAVMPrintExport.clsGetData cannot be called by name");
  return object;
}

std::vector<Row> QueryRows(com::Dispatch& get_data, const Bstr& dsn, const Bstr& statement) {
  const auto recordset = get_data.Call(u"ExecuteSQL", dsn, statement).AsObjectOf<ado::Recordset>();
  std::vector<Row> rows;
  if (!recordset || recordset->State() != ado::adStateOpen || recordset->RecordCount() == 0) {
    return rows;
  }
  const auto fields = recordset->Fields();
  for (recordset->MoveFirst(); !recordset->Eof(); recordset->MoveNext()) {
    Row row;
    for (std::int32_t i = 0; i < fields->Count(); ++i)
      row.push_back(fields->Item(i)->Value());
    rows.push_back(std::move(row));
  }
  return rows;
}

BillType LookUpBillType(com::Dispatch& get_data, const Bstr& dsn, std::int32_t bill_type) {
  const std::vector<Row> rows =
      QueryRows(get_data, dsn,
                u"SELECT FName, FHeadTable, FKeyInterID FROM ICTransactionType WHERE FID = " +
                    oleaut::ToString(bill_type));
  if (rows.empty()) {
    FailLookup(u"Bill type " + oleaut::ToString(bill_type) +
         u" does not exist: ICTransactionType has no row with FID " + oleaut::ToString(bill_type));
  }
  BillType type{bill_type, Text(rows[0][0]), Text(rows[0][1]), Text(rows[0][2])};
  if (type.head_table.empty()) {
    FailLookup(u"The bills of " + TypeText(bill_type, type.name) +
         u" cannot be found: its FHeadTable in ICTransactionType is empty");
  }
  for (const auto& [column, value] :
       {std::pair{u"FHeadTable", &type.head_table}, std::pair{u"FKeyInterID", &type.key_column}}) {
    if (!IsSqlName(*value)) {
      FailLookup(u"The " + Bstr(column) + u" of " + TypeText(bill_type, type.name) +
           u" in ICTransactionType is no table or column name: '" + *value + u"'");
    }
  }
  return type;
}

std::vector<std::int32_t> DistinctIds(std::span<const std::int32_t> ids) {
  std::vector<std::int32_t> distinct;
  std::unordered_set<std::int32_t> seen;
  for (const std::int32_t id : ids) {
    if (seen.insert(id).second) distinct.push_back(id);
  }
  return distinct;
}

Bstr IdList(std::span<const std::int32_t> ids) {
  Bstr list;
  for (const std::int32_t id : ids)
    list += (list.empty() ? u"" : u",") + oleaut::ToString(id);
  return list;
}

void RequireBillsOfType(com::Dispatch& get_data, const Bstr& dsn, const BillType& type,
                        std::span<const std::int32_t> inter_ids) {
  if (inter_ids.empty()) FailLookup(u"No bill was given: name at least one by its FInterID");
  const std::vector<Row> found =
      QueryRows(get_data, dsn,
                u"SELECT h." + type.key_column + u", h.FTranType, t.FName FROM " + type.head_table +
                    u" h LEFT JOIN ICTransactionType t ON t.FID = h.FTranType WHERE h." +
                    type.key_column + u" IN (" + IdList(DistinctIds(inter_ids)) + u")");
  std::unordered_map<std::int32_t, const Row*> by_id;
  for (const Row& row : found)
    by_id.emplace(oleaut::ToLong(row[0]), &row);
  for (const std::int32_t id : inter_ids) {
    const auto bill = by_id.find(id);
    if (bill == by_id.end()) {
      FailLookup(u"Bill " + oleaut::ToString(id) + u" of " + TypeText(type.id, type.name) +
           u" does not exist: " + type.head_table + u" has no row with " + type.key_column + u" " +
           oleaut::ToString(id));
    }
    const Row& row = *bill->second;
    const std::int32_t tran_type = row[1].IsNull() ? 0 : oleaut::ToLong(row[1]);
    if (tran_type != type.id) {
      FailLookup(u"Bill " + oleaut::ToString(id) + u" is a bill of " + TypeText(tran_type, Text(row[2])) +
           u", not of " + TypeText(type.id, type.name));
    }
  }
}

void RequireBillsOfType(const Bstr& dsn, std::int32_t bill_type,
                        std::span<const std::int32_t> inter_ids) {
  const auto get_data = ActivateGetData();
  RequireBillsOfType(*get_data, dsn, LookUpBillType(*get_data, dsn, bill_type), inter_ids);
}

std::vector<BillSummary> ListBills(com::Dispatch& get_data, const Bstr& dsn, const BillType& type) {
  std::vector<BillSummary> bills;
  for (const Row& row :
       QueryRows(get_data, dsn,
                 u"SELECT " + type.key_column + u", FBillNo, FDate FROM " + type.head_table +
                     u" WHERE FTranType = " + oleaut::ToString(type.id) + u" ORDER BY " +
                     type.key_column)) {
    bills.push_back({oleaut::ToLong(row[0]), Text(row[1]), row[2]});
  }
  return bills;
}

}  // namespace printing
