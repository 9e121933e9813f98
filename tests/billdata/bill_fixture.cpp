#include "bill_fixture.h"

#include <sqlite3.h>

#include <atomic>
#include <fstream>

#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "product_servers.h"

namespace billdata_test {

namespace {

// The thread's context keeps every data source it has bound by name, so each test's names are
// new ones.
std::string NextSuffix() {
  static std::atomic<int> next{0};
  return std::to_string(++next);
}

constexpr const char* kLanguages[] = {"CHS", "cht", "EN"};

}  // namespace

BillDataTest::BillDataTest()
    : catalog_env_("TAV_CATALOG", (dir_ / "catalog.toml").string()),
      registry_env_("TAV_REGISTRY_FILE", (dir_ / "registry.json").string()),
      db_(dir_ / "bills.db"),
      suffix_(NextSuffix()) {
  tavglobal::CreateDatabase(db_, /*with_demo_data=*/true);
  const std::string connection = oleaut::ToUtf8(tavglobal::SqliteConnectionString(db_));
  std::ofstream catalog(dir_ / "catalog.toml");
  for (const char* language : kLanguages) {
    catalog << "[sources." << language << "-" << suffix_ << "]\nconnection = \"" << connection
            << "\"\nlanguage = \"" << language << "\"\n";
  }
  catalog.close();
  tavtest::RegisterProductServers();
  raw_ = com::Make<ado::Connection>();
  raw_->Open(oleaut::FromUtf8(connection));
}

Bstr BillDataTest::Dsn(std::string_view language) const {
  return oleaut::FromUtf8(std::string(language) + "-" + suffix_);
}

void BillDataTest::Exec(std::u16string_view sql) const {
  raw_->Execute(sql);
}

void BillDataTest::ExecNative(const std::string& sql) const {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

std::vector<Variant> BillDataTest::Column(std::u16string_view sql) const {
  std::vector<Variant> values;
  for (auto rows = raw_->Execute(sql); !rows->Eof(); rows->MoveNext()) {
    values.push_back(rows->Fields()->Item(std::int32_t{0})->Value());
  }
  return values;
}

void BillDataTest::UseEmptyRegistry() {
  empty_registry_env_ = std::make_unique<tavtest::ScopedEnv>(
      "TAV_REGISTRY_FILE", (dir_ / "empty-registry.json").string());
}

com::Ptr<vdl::Dictionary> AsDict(const Variant& value) {
  return value.AsObjectOf<vdl::Dictionary>();
}

com::Ptr<vdl::List> AsList(const Variant& value) {
  return value.AsObjectOf<vdl::List>();
}

com::Ptr<vdl::Dictionary> Dict(
    std::initializer_list<std::pair<std::u16string_view, Variant>> items) {
  auto dictionary = com::Make<vdl::Dictionary>();
  for (const auto& [key, value] : items)
    dictionary->SetItem(key, value);
  return dictionary;
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

com::Ptr<vdl::List> List(std::initializer_list<Variant> items) {
  auto list = com::Make<vdl::List>();
  for (const Variant& item : items)
    list->Add(item);
  return list;
}

com::Ptr<vdl::Dictionary> Condition(const Variant& tran_type,
                                    const std::vector<std::int32_t>& ids) {
  auto filter = com::Make<vdl::List>();
  for (const std::int32_t id : ids)
    filter->Add(Variant(Dict({{u"FInterID", Variant(id)}})));
  return Dict({{u"TranType", tran_type}, {u"Filter", Variant(filter)}});
}

std::vector<std::u16string> FieldNames(ado::Recordset& recordset) {
  std::vector<std::u16string> names;
  const auto fields = recordset.Fields();
  for (std::int32_t i = 0; i < fields->Count(); ++i)
    names.push_back(fields->Item(i)->Name());
  return names;
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
