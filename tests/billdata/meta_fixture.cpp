#include "meta_fixture.h"

#include <sqlite3.h>

#include <atomic>
#include <fstream>

#include "platform/ado/recordset.h"
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

oleaut::ByteArray PatternBytes(std::size_t size) {
  oleaut::ByteArray bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

}  // namespace billdata_test
