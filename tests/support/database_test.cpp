#include "database_test.h"

#include <sqlite3.h>

#include <atomic>
#include <fstream>

#include "odbc_driver.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"

namespace tavtest {

namespace {

std::string NextSuffix() {
  static std::atomic<int> next{0};
  return std::to_string(++next);
}

}  // namespace

DatabaseTest::DatabaseTest(const std::string& file, bool with_demo_data, Provider provider)
    : catalog_env_("TAV_CATALOG", (dir_ / "catalog.toml").string()),
      db_(dir_ / file),
      suffix_(NextSuffix()) {
  tavglobal::CreateDatabase(db_, with_demo_data);
  connection_ = provider == Provider::kEmbedded
                    ? oleaut::ToUtf8(tavglobal::SqliteConnectionString(db_))
                    : TestConnectionString(db_);
  raw_ = com::Make<ado::Connection>();
  raw_->Open(oleaut::FromUtf8(connection_));
}

void DatabaseTest::AddSource(const std::string& name, const std::string& entry) {
  std::ofstream(dir_ / "catalog.toml", std::ios::app)
      << "[sources." << name << "-" << suffix_ << "]\nconnection = \"" << connection_ << "\"\n"
      << entry;
}

oleaut::Bstr DatabaseTest::SourceName(const std::string& name) const {
  return oleaut::FromUtf8(name + "-" + suffix_);
}

void DatabaseTest::Exec(std::u16string_view sql) const {
  raw_->Execute(sql);
}

std::vector<Row> DatabaseTest::RowsOf(ado::Connection& connection, std::u16string_view sql) {
  std::vector<Row> rows;
  for (auto rs = connection.Execute(sql); !rs->Eof(); rs->MoveNext()) {
    Row row;
    const auto fields = rs->Fields();
    for (std::int32_t i = 0; i < fields->Count(); ++i)
      row.push_back(fields->Item(i)->Value());
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<oleaut::Variant> DatabaseTest::Column(std::u16string_view sql) const {
  std::vector<oleaut::Variant> values;
  for (const Row& row : Rows(sql))
    values.push_back(row.at(0));
  return values;
}

void DatabaseTest::ExecNative(const std::string& sql) const {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

}  // namespace tavtest
