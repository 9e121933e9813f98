#include "bill_fixture.h"

#include <stdexcept>

#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "product_servers.h"

namespace billdata_test {

BillDataTest::BillDataTest()
    : DatabaseTest("bills.db", /*with_demo_data=*/true, Provider::kEmbedded),
      registry_env_("TAV_REGISTRY_FILE", (dir_ / "registry.json").string()) {
  for (const char* language : {"CHS", "cht", "EN"})
    AddSource(language, "language = \"" + std::string(language) + "\"\n");
  tavtest::RegisterProductServers();
}

void BillDataTest::UseEmptyRegistry() {
  empty_registry_env_ = std::make_unique<tavtest::ScopedEnv>(
      "TAV_REGISTRY_FILE", (dir_ / "empty-registry.json").string());
}

com::Ptr<vdl::Dictionary> BillDataTest::Package(std::int32_t tran_type) const {
  const Variant package = data_->Call(u"GetBillPackage", Dsn(), tran_type);
  return AsDict(AsList(package)->Item(4));
}

com::Ptr<ado::Recordset> BillDataTest::FillResult::Rows() const {
  return recordset.IsObject() ? recordset.AsObjectOf<ado::Recordset>() : nullptr;
}

BillDataTest::FillResult BillDataTest::Head(const com::Ptr<vdl::Dictionary>& condition,
                                            const com::Ptr<vdl::Dictionary>& structure, bool sum) {
  Variant args[] = {Dsn(), Variant(condition), Variant(structure), Variant::Nothing(), sum};
  FillResult fill;
  fill.result = data_->Invoke(u"GetHeadFillData", args).AsLong();
  fill.recordset = args[3];
  return fill;
}

BillDataTest::FillResult BillDataTest::Entry(const com::Ptr<vdl::Dictionary>& condition,
                                             const com::Ptr<vdl::Dictionary>& structure) {
  Variant args[] = {Dsn(), Variant(condition), Variant(structure), Variant::Nothing()};
  FillResult fill;
  fill.result = data_->Invoke(u"GetEntryFillData", args).AsLong();
  fill.recordset = args[3];
  return fill;
}

com::Ptr<vdl::Dictionary> Condition(const Variant& tran_type,
                                    const std::vector<std::int32_t>& ids) {
  auto filter = com::Make<vdl::List>();
  for (const std::int32_t id : ids)
    filter->Add(Variant(Dict({{u"FInterID", Variant(id)}})));
  return Dict({{u"TranType", tran_type}, {u"Filter", Variant(filter)}});
}

DictionaryRef Control(std::initializer_list<Variant> names_and_values) {
  if (names_and_values.size() % 2 != 0)
    throw std::invalid_argument("Control: a field name without its value");
  auto control = com::Make<vdl::Dictionary>();
  for (auto it = names_and_values.begin(); it != names_and_values.end(); it += 2)
    control->SetItem(it->AsString(), *std::next(it));
  return control;
}

std::vector<TextRow> TextRows(ado::Recordset& recordset,
                              const std::vector<std::u16string>& columns) {
  std::vector<TextRow> rows;
  for (; !recordset.Eof(); recordset.MoveNext()) {
    TextRow row;
    for (const auto& column : columns) {
      const Variant& value = recordset.Fields()->Item(std::u16string_view(column))->Value();
      row.push_back(value.IsNull() ? "NULL" : oleaut::ToUtf8(oleaut::ToString(value)));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

oleaut::ByteArray PatternBytes(std::size_t size) {
  oleaut::ByteArray bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

}  // namespace billdata_test
