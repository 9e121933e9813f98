// A datetime2 column of a database written when the engine kept a datetime2's milliseconds only
// (declared "datetime2 blob", its triggers storing "YYYY-MM-DD HH:MM:SS.fff") still reads,
// compares and takes new values in that form, through both providers; a date a caller binds
// compares with a datetime2 column of seven digits.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "odbc_driver.h"
#include "platform/ado/provider.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/text.h"
#include "temp_dir.h"

namespace {

// The table as the engine made it then: the row first, as the triggers call the runtime.
constexpr const char* kEarlierSchema = R"sql(
CREATE TABLE "Stamps" ("id" int, "d" datetime2 blob);
INSERT INTO "Stamps" VALUES (1, '2024-01-05 10:20:30.123');
CREATE TRIGGER "Stamps$d$insert" AFTER INSERT ON "Stamps" FOR EACH ROW WHEN NEW."d" IS NOT NULL
  AND (typeof(NEW."d") <> 'text' OR NEW."d" NOT GLOB
  '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9].[0-9][0-9][0-9]')
  BEGIN UPDATE "Stamps" SET "d" = tsql_convert('datetime2', NEW."d") WHERE rowid = NEW.rowid; END;
)sql";

std::string Text(const oleaut::Variant& value) {
  return value.IsNull() ? "NULL" : oleaut::ToUtf8(oleaut::ToString(value));
}

class StoredDatetime2Test : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const std::string path = (dir_ / "earlier.db").string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db, kEarlierSchema, nullptr, nullptr, nullptr);
    const std::string message = sqlite3_errmsg(db);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
    provider_ = ado::OpenProvider(oleaut::FromUtf8(GetParam() == std::string("odbc")
                                                       ? tavtest::SqliteOdbcConnectionString(path)
                                                       : "Provider=SQLite;Data Source=" + path));
  }

  std::vector<std::string> Column(std::u16string_view sql,
                                  std::vector<ado::ParameterValue> params = {}) {
    std::vector<std::string> values;
    const ado::ExecuteResult result = provider_->Execute(sql, params);
    if (!result.rows) return values;
    for (const oleaut::Variant& value : result.rows->values)
      values.push_back(Text(value));
    return values;
  }

  tavtest::TempDir dir_;
  std::unique_ptr<ado::Provider> provider_;
};

TEST_P(StoredDatetime2Test, KeepsMillisecondsAsBefore) {
  provider_->Execute(u"insert into Stamps values (2, '2024-01-05 10:20:30.4567891')", {});
  EXPECT_EQ(Column(u"select cast(d as varchar(30)) from Stamps order by id"),
            (std::vector<std::string>{"2024-01-05 10:20:30.123", "2024-01-05 10:20:30.457"}));
  EXPECT_EQ(Column(u"select id from Stamps where d = '2024-01-05 10:20:30.123'"),
            (std::vector<std::string>{"1"}));
  EXPECT_EQ(Column(u"select id from Stamps where d = cast('2024-01-05 10:20:30.457' as datetime2)"),
            (std::vector<std::string>{"2"}));
  EXPECT_EQ(
      Column(u"select cast(dateadd(microsecond, 1, d) as varchar(30)) from Stamps where id = 1"),
      (std::vector<std::string>{"2024-01-05 10:20:30.123"}));
}

TEST_P(StoredDatetime2Test, ADateParameterReadsAsADatetime2) {
  provider_->Execute(u"create table Fresh (id int, d datetime2)", {});
  provider_->Execute(u"insert into Fresh values (1, '2024-03-05 14:07:09'), (2, '2024-03-05')", {});
  const auto at = [](int hour, int minute, int second) {
    return ado::ParameterValue{ado::adDBTimeStamp, ado::adParamInput, 0,
                               oleaut::Date::FromFields({2024, 3, 5, hour, minute, second, 0})};
  };
  EXPECT_EQ(Column(u"select id from Fresh where d = ?", {at(14, 7, 9)}),
            (std::vector<std::string>{"1"}));
  EXPECT_EQ(
      Column(u"select id from Fresh where d in (?, ?) order by id", {at(0, 0, 0), at(1, 0, 0)}),
      (std::vector<std::string>{"2"}));
}

INSTANTIATE_TEST_SUITE_P(Providers, StoredDatetime2Test, ::testing::Values("embedded", "odbc"));

}  // namespace
