#include "fill_calls.h"

#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "print_error.h"

namespace printing {

using oleaut::Bstr;
using oleaut::Variant;

BillTypeMetadata ReadBillType(com::Dispatch& data, const Variant& sdsn, std::int32_t bill_type,
                              const std::string& dsn_name) {
  BillTypeMetadata metadata;
  metadata.bill_type = bill_type;
  const Variant info = data.Call(u"GetBillTypeInfo", sdsn, bill_type);
  if (!info.IsObject() || !info.AsObject()) {
    Fail("bill type " + std::to_string(bill_type) + " has no row in ICTransactionType of " +
         dsn_name);
  }
  metadata.info = info.AsObjectOf<vdl::Dictionary>();
  metadata.package = data.Call(u"GetBillPackage", sdsn, bill_type).AsObjectOf<vdl::List>();
  metadata.structure = metadata.package->Item(4);
  if (!metadata.structure.IsObject() || !metadata.structure.AsObject()) {
    Fail("the package reader made no package of bill type " + std::to_string(bill_type));
  }
  const Variant bill_info = metadata.structure.AsObjectOf<vdl::Dictionary>()->Item(u"BillInfo");
  metadata.key_inter = bill_info.IsObject() && bill_info.AsObject()
                           ? oleaut::ToString(bill_info.AsObjectOf<vdl::Dictionary>()->GetValue(
                                 u"FKeyInterID", Bstr(u"FInterID")))
                           : Bstr(u"FInterID");
  return metadata;
}

com::Ptr<vdl::Dictionary> MakeFillCondition(std::int32_t bill_type,
                                            std::span<const std::int32_t> bill_ids) {
  auto filter = com::Make<vdl::List>();
  for (const std::int32_t id : bill_ids) {
    auto bill = com::Make<vdl::Dictionary>();
    bill->SetItem(u"FInterID", id);
    filter->Add(Variant(bill));
  }
  auto condition = com::Make<vdl::Dictionary>();
  condition->SetItem(u"TranType", bill_type);
  condition->SetItem(u"Filter", Variant(filter));
  return condition;
}

namespace {

FilledRecordset Fill(com::Dispatch& data, std::u16string_view member, std::span<Variant> args) {
  FilledRecordset filled;
  filled.result = oleaut::ToLong(data.Invoke(member, args));
  if (args[3].IsObject() && args[3].AsObject())
    filled.recordset = args[3].AsObjectOf<ado::Recordset>();
  return filled;
}

}  // namespace

FilledRecordset FillHeadRows(com::Dispatch& data, const Variant& sdsn,
                             const com::Ptr<vdl::Dictionary>& condition, const Variant& structure,
                             bool sum) {
  Variant args[] = {sdsn, Variant(condition), structure, Variant::Nothing(), Variant(sum)};
  return Fill(data, u"GetHeadFillData", args);
}

FilledRecordset FillEntryRows(com::Dispatch& data, const Variant& sdsn,
                              const com::Ptr<vdl::Dictionary>& condition,
                              const Variant& structure) {
  Variant args[] = {sdsn, Variant(condition), structure, Variant::Nothing()};
  return Fill(data, u"GetEntryFillData", args);
}

}  // namespace printing
