// The embedded SQLite provider through ado::Provider: type mapping, exact decimals, dates,
// parameters, session state per connection, engine errors, waiting writers, connection strings
// and the SQL trace.
#include "platform/ado/provider.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "com_error_of.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/decimal.h"
#include "temp_dir.h"

using ::testing::HasSubstr;

namespace {

using ado::ParameterValue;
using oleaut::ComError;
using oleaut::Variant;

class ProviderTest : public ::testing::Test {
 protected:
  std::u16string ConnectionString(const std::string& extra = "") const {
    return oleaut::FromUtf8(
        "Provider=SQLite;Mode=ReadWriteCreate;Data Source=" + (dir_ / "test.db").string() + extra);
  }
  std::unique_ptr<ado::Provider> Open(const std::string& extra = "") const {
    return ado::OpenProvider(ConnectionString(extra));
  }
  static ado::RowSet Query(ado::Provider& p, std::u16string_view sql,
                           std::vector<ParameterValue> params = {}) {
    ado::ExecuteResult result = p.Execute(sql, params);
    EXPECT_TRUE(result.rows.has_value()) << oleaut::ToUtf8(sql);
    return result.rows ? *result.rows : ado::RowSet{};
  }
  static std::string ErrorOf(ado::Provider& p, std::u16string_view sql,
                             std::vector<ParameterValue> params = {}) {
    return tavtest::ErrorOf([&] { p.Execute(sql, params); }).what();
  }

  tavtest::TempDir dir_;
};

oleaut::Decimal Dec(std::u16string_view text) {
  return *oleaut::Decimal::Parse(text);
}

TEST_F(ProviderTest, DeclaredTypesMapToAdoTypesAndValues) {
  struct Case {
    const char16_t* declared;
    const char16_t* literal;
    ado::DataTypeEnum type;
    std::int32_t defined_size;
    Variant value;
  };
  const oleaut::Date date = oleaut::Date::FromFields({2024, 3, 5, 14, 7, 9, 123});
  const Case cases[] = {
      {u"bit", u"1", ado::adBoolean, 2, Variant(true)},
      {u"tinyint", u"200", ado::adUnsignedTinyInt, 1, Variant(std::int16_t{200})},
      {u"smallint", u"-7", ado::adSmallInt, 2, Variant(std::int16_t{-7})},
      {u"int", u"2147483647", ado::adInteger, 4, Variant(std::int32_t{2147483647})},
      {u"bigint", u"9007199254740993", ado::adBigInt, 8, Variant(Dec(u"9007199254740993"))},
      {u"float", u"0.1", ado::adDouble, 8, Variant(0.1)},
      {u"decimal(18,4)", u"1234567.1234", ado::adNumeric, 19, Variant(Dec(u"1234567.1234"))},
      {u"money", u"12.5", ado::adNumeric, 19, Variant(Dec(u"12.5000"))},
      {u"datetime", u"'2024-03-05 14:07:09.123'", ado::adDBTimeStamp, 16, Variant(date)},
      {u"char(4)", u"'ab'", ado::adChar, 4, Variant(u"ab  ")},
      {u"varchar(255)", u"'文本'", ado::adVarChar, 255, Variant(u"文本")},
      {u"text", u"'long'", ado::adLongVarChar, 2147483647, Variant(u"long")},
      {u"nvarchar(40)", u"N'名称'", ado::adVarWChar, 40, Variant(u"名称")},
      {u"ntext", u"N'x'", ado::adLongVarWChar, 1073741823, Variant(u"x")},
      {u"varbinary(8)", u"0x0102", ado::adVarBinary, 8, Variant(oleaut::ByteArray{1, 2})},
      {u"image", u"0xFF00", ado::adLongVarBinary, 2147483647, Variant(oleaut::ByteArray{255, 0})},
  };
  auto p = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.declared));
    p->Execute(u"IF object_id('tempdb..#t') is not null drop table #t create table #t (v " +
                   std::u16string(c.declared) + u") insert into #t values (" + c.literal + u")",
               {});
    const ado::RowSet rows = Query(*p, u"select v from #t");
    ASSERT_EQ(rows.RowCount(), 1u);
    EXPECT_EQ(rows.columns[0].name, u"v");
    EXPECT_EQ(rows.columns[0].type, c.type);
    EXPECT_EQ(rows.columns[0].defined_size, c.defined_size);
    EXPECT_EQ(rows.values[0], c.value);
  }
}

TEST_F(ProviderTest, ColumnsAreNamedAsTheStatementSpellsThem) {
  auto p = Open();
  p->Execute(u"create table T (FName nvarchar(10), FSel int)", {});
  p->Execute(u"insert into T values (N'a', 1)", {});
  const ado::RowSet rows = Query(*p, u"select fname, t.FSEL, FName as Alias, * from T t");
  std::vector<std::u16string> names;
  for (const auto& column : rows.columns)
    names.push_back(column.name);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"fname", u"FSEL", u"Alias", u"FName", u"FSel"}));
}

TEST_F(ProviderTest, DecimalsKeepTheirScaleAndEveryDigit) {
  auto p = Open();
  p->Execute(u"create table T (a decimal(28,10), b decimal(38,4))", {});
  // Fifteen significant digits are kept exactly; a fifth decimal rounds to the column's scale.
  const oleaut::Decimal wide = Dec(u"1234567890.12345");
  p->Execute(u"insert into T values (?, ?)",
             std::vector<ParameterValue>{{ado::adNumeric, ado::adParamInput, 0, Dec(u"1.5")},
                                         {ado::adNumeric, ado::adParamInput, 0, wide}});
  const ado::RowSet rows = Query(*p, u"select a, b from T");
  EXPECT_EQ(rows.columns[0].precision, 28);
  EXPECT_EQ(rows.columns[0].numeric_scale, 10);
  EXPECT_EQ(rows.values[0].AsDecimal().ToString(), u"1.5000000000");
  EXPECT_EQ(rows.values[1].AsDecimal().ToString(), u"1234567890.1235");
}

TEST_F(ProviderTest, DatesRoundTripAndCompareInTheirStoredForm) {
  auto p = Open();
  p->Execute(u"create table T (d datetime)", {});
  const oleaut::Date first = oleaut::Date::FromFields({2024, 1, 5, 9, 30, 0, 250});
  const oleaut::Date second = oleaut::Date::FromFields({2024, 11, 20, 0, 0, 0, 0});
  for (const oleaut::Date& d : {second, first}) {
    p->Execute(u"insert into T values (?)",
               std::vector<ParameterValue>{{ado::adDate, ado::adParamInput, 0, d}});
  }
  const ado::RowSet rows = Query(*p, u"select d from T where d >= '2024-01-05' order by d");
  ASSERT_EQ(rows.RowCount(), 2u);
  EXPECT_EQ(rows.values[0], Variant(first));
  EXPECT_EQ(rows.values[1], Variant(second));
  EXPECT_EQ(Query(*p, u"select count(*) from T where d > ?",
                  {{ado::adDBTimeStamp, ado::adParamInput, 0, first}})
                .values[0],
            Variant(std::int32_t{1}));
}

TEST_F(ProviderTest, TextWithNulCharactersKeepsThem) {
  auto p = Open();
  const std::u16string name(u"nu\0l's", 6);
  p->Execute(u"create table T (a varchar(20)) insert into T values ('" +
                 oleaut::Replace(name, u"'", u"''") + u"')",
             {});
  p->Execute(u"insert into T values (?)",
             std::vector<ParameterValue>{{ado::adVarChar, ado::adParamInput, 20, Variant(name)}});
  const ado::RowSet rows = Query(*p, u"select a, len(a) from T");
  ASSERT_EQ(rows.RowCount(), 2u);
  EXPECT_EQ(rows.values[0], Variant(name));
  EXPECT_EQ(rows.values[1], Variant(std::int32_t{6}));
  EXPECT_EQ(rows.values[2], Variant(name));
}

TEST_F(ProviderTest, ParametersLongerThanTheirSizeRaise) {
  auto p = Open();
  p->Execute(u"create table T (a varchar(20), b image)", {});
  const std::u16string long_text(64 * 1024, u'x');
  p->Execute(
      u"insert into T (a) values (left(?, 3))",
      std::vector<ParameterValue>{{ado::adVarChar, ado::adParamInput, 64 * 1024, long_text}});
  const std::string error =
      ErrorOf(*p, u"insert into T (a) values (?)",
              {{ado::adVarChar, ado::adParamInput, 20, Variant(u"123456789012345678901")}});
  EXPECT_THAT(error,
              HasSubstr("parameter 1 (adVarChar, size 20) cannot hold a text of 21 characters"));
  EXPECT_THAT(ErrorOf(*p, u"insert into T (b) values (?)",
                      {{ado::adVarBinary, ado::adParamInput, 2, oleaut::ByteArray{1, 2, 3}}}),
              HasSubstr("cannot hold 3 bytes"));
  EXPECT_THAT(ErrorOf(*p, u"insert into T (a) values (?)"),
              HasSubstr("1 parameter marker(s) but 0"));
  EXPECT_EQ(Query(*p, u"select a from T").values, std::vector<Variant>{Variant(u"xxx")});
}

TEST_F(ProviderTest, EachConnectionHasItsOwnTemporaryTablesAndIdentity) {
  auto a = Open();
  auto b = Open();
  const std::u16string create =
      u"IF  object_id('tempdb..#tmpsort') is not null drop table #tmpsort\r\n"
      u"create table #tmpsort(FID int identity ,FValue int)";
  a->Execute(create, {});
  b->Execute(create, {});
  a->Execute(u"insert into #tmpsort (FValue) values (10) insert into #tmpsort (FValue) values (11)",
             {});
  b->Execute(u"insert into #tmpsort (FValue) values (20)", {});
  EXPECT_EQ(Query(*a, u"select FValue from #tmpsort").RowCount(), 2u);
  EXPECT_EQ(Query(*b, u"select FValue from #tmpsort").values,
            std::vector<Variant>{Variant(std::int32_t{20})});
  EXPECT_EQ(Query(*a, u"select @@IDENTITY").values[0], Variant(oleaut::Decimal::FromInt64(2)));
  EXPECT_EQ(Query(*b, u"select @@IDENTITY").values[0], Variant(oleaut::Decimal::FromInt64(1)));
  a.reset();  // the session ends: its temporary table goes with it
  auto c = Open();
  EXPECT_THAT(ErrorOf(*c, u"select * from #tmpsort"), HasSubstr("Invalid object name '#tmpsort'."));
}

TEST_F(ProviderTest, EngineErrorsCarryMessageStatementAndSource) {
  auto p = Open();
  p->Execute(u"create table T (a int primary key)", {});
  p->Execute(u"insert into T values (1)", {});
  const ComError e = tavtest::ErrorOf([&] { p->Execute(u"insert into T values (1)", {}); });
  EXPECT_EQ(static_cast<std::uint32_t>(e.Number()), 0x80040E2FU);
  const std::string text = oleaut::ToUtf8(e.Description());
  EXPECT_THAT(text, HasSubstr("UNIQUE constraint failed: T.a"));
  EXPECT_THAT(text, HasSubstr("SQLite error 1555"));
  EXPECT_THAT(text, HasSubstr("insert into T values (1)"));
  EXPECT_THAT(text, HasSubstr((dir_ / "test.db").string()));
  const ComError missing = tavtest::ErrorOf([&] { p->Execute(u"select * from Missing", {}); });
  EXPECT_EQ(static_cast<std::uint32_t>(missing.Number()), 0x80040E37U);
}

// A table another connection made anew is translated with its new columns, however the
// transaction that reads it began (a deferred one begins on the engine with its first batch).
TEST_F(ProviderTest, AnotherConnectionsNewColumnsAreSeen) {
  enum class Start { kNone, kDeferred, kImmediate, kDeferredAfterATableFreeBatch };
  auto reader = Open();
  auto writer = Open();
  for (const Start start :
       {Start::kNone, Start::kDeferred, Start::kImmediate, Start::kDeferredAfterATableFreeBatch}) {
    SCOPED_TRACE(static_cast<int>(start));
    const std::u16string table = u"T" + oleaut::FromUtf8(std::to_string(static_cast<int>(start)));
    writer->Execute(u"create table " + table + u" (v int); insert into " + table + u" values (7)",
                    {});
    const std::u16string query = u"select v from " + table;
    EXPECT_EQ(Query(*reader, query).columns[0].type, ado::adInteger);
    writer->Execute(u"drop table " + table, {});
    writer->Execute(
        u"create table " + table + u" (v varchar(10)); insert into " + table + u" values ('x')",
        {});
    if (start == Start::kImmediate) reader->BeginTransaction(ado::TransactionLock::Immediate);
    if (start == Start::kDeferred || start == Start::kDeferredAfterATableFreeBatch) {
      reader->BeginTransaction(ado::TransactionLock::Deferred);
    }
    if (start == Start::kDeferredAfterATableFreeBatch) Query(*reader, u"select 1");
    const ado::RowSet rows = Query(*reader, query);
    EXPECT_EQ(rows.columns[0].type, ado::adVarChar);
    EXPECT_EQ(rows.values, std::vector<Variant>{Variant(u"x")});
    if (start != Start::kNone) {
      EXPECT_THROW(reader->BeginTransaction(), ComError);
      reader->CommitTransaction();
      EXPECT_THROW(reader->CommitTransaction(), ComError);
    }
  }
}

// A deferred transaction that ran nothing ends as one that ran something does.
TEST_F(ProviderTest, AnEmptyDeferredTransactionCommitsAndRollsBack) {
  auto p = Open();
  p->Execute(u"create table T (a int)", {});
  p->BeginTransaction(ado::TransactionLock::Deferred);
  EXPECT_THROW(p->BeginTransaction(ado::TransactionLock::Deferred), ComError);
  p->RollbackTransaction();
  EXPECT_THROW(p->RollbackTransaction(), ComError);
  p->BeginTransaction(ado::TransactionLock::Deferred);
  p->CommitTransaction();
  p->BeginTransaction(ado::TransactionLock::Deferred);
  p->Execute(u"insert into T values (1)", {});
  p->RollbackTransaction();
  EXPECT_EQ(Query(*p, u"select count(*) from T").values[0], Variant(std::int32_t{0}));
}

TEST_F(ProviderTest, WritersWaitForEachOtherUpToTheBusyTimeout) {
  auto first = Open();
  first->Execute(u"create table T (a int)", {});
  auto second = Open();
  auto impatient = Open(";Busy Timeout=50");
  first->BeginTransaction();
  first->Execute(u"insert into T values (1)", {});
  std::string impatient_error = ErrorOf(*impatient, u"insert into T values (3)");
  EXPECT_THAT(impatient_error, HasSubstr("database is locked"));
  std::thread writer([&] { second->Execute(u"insert into T values (2)", {}); });
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  first->CommitTransaction();
  writer.join();
  EXPECT_EQ(Query(*first, u"select count(*) from T").values[0], Variant(std::int32_t{2}));
}

TEST_F(ProviderTest, ConnectionStringsChooseAndConfigureTheProvider) {
  const std::string path = (dir_ / "cs.db").string();
  struct Case {
    std::string connection;
    std::string error;  // empty: opens
  };
  const Case cases[] = {
      {"Provider=SQLite;Data Source=" + path, "does not exist (add Mode=ReadWriteCreate"},
      {"provider = sqlite ; data source='" + path + "' ; mode=ReadWriteCreate", ""},
      {"Data Source=" + path, ""},
      {"Data Source=\"" + path + "\";Persist Security Info=False", ""},
      {"Provider=SQLite;Data Source=:memory:", ""},
      {"Provider=MSDASQL;DSN=erp", "data source is not installed"},
      {"Driver={ODBC Driver 17 for SQL Server};Server=x",
       "ODBC driver 'ODBC Driver 17 for SQL Server', which is not installed"},
      {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=c:\\x.accdb", "Provider cannot be found"},
      {"Provider=SQLite;Data Source=" + path + ";Colour=blue",
       "does not know the connection string key 'Colour'"},
      {"Provider=SQLite;Data Source=" + path + ";Mode=Sometimes", "Mode 'Sometimes'"},
      {"Provider=SQLite;Data Source='" + path, "is not closed with its quote"},
      {"Provider=SQLite", "names no Data Source"},
      {"Data Source=server01", "names no provider"},
      {"", "The connection string is empty"},
      {"Provider=SQLite;junk;Data Source=x.db", "a part without '=' at character 17"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.connection);
    try {
      auto p = ado::OpenProvider(oleaut::FromUtf8(c.connection));
      EXPECT_TRUE(c.error.empty()) << "opened";
      EXPECT_THAT(oleaut::ToUtf8(p->Describe()), HasSubstr("SQLite"));
    } catch (const ComError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.error));
      EXPECT_FALSE(c.error.empty()) << e.what();
    }
  }
}

TEST_F(ProviderTest, TheTraceShowsEachBatchAsBuiltAndAsRun) {
  auto p = Open();
  ado::ScopedSqlTrace trace;
  p->Execute(u"create table #t (a int) insert into #t values (1)", {});
  EXPECT_THROW(p->Execute(u"select nothing from #t", {}), ComError);
  ASSERT_EQ(trace.Entries().size(), 2u);
  EXPECT_EQ(trace.Batches()[0], u"create table #t (a int) insert into #t values (1)");
  EXPECT_EQ(trace.Entries()[0].as_run,
            "CREATE TEMP TABLE \"#t\" (\"a\" int)\nINSERT INTO \"#t\" VALUES (1)\n");
  EXPECT_EQ(trace.Entries()[1].as_run, "SELECT \"nothing\" FROM \"#t\"\n");
  EXPECT_EQ(trace.Entries()[0].provider, p->Describe());
}

TEST_F(ProviderTest, TheTraceGoesToTheFileTheEnvironmentNames) {
  const std::string file = (dir_ / "trace.log").string();
  {
    tavtest::ScopedEnv env("TAV_SQL_TRACE", file);
    auto p = Open();
    p->Execute(u"select N'中' as x", {});
  }
  auto quiet = Open();
  quiet->Execute(u"select 2", {});
  const std::string text = tavtest::ReadText(file);
  EXPECT_THAT(text,
              HasSubstr("-- as built:\nselect N'中' as x\n-- as run:\nSELECT '中' AS \"x\"\n"));
  EXPECT_EQ(text.find("select 2"), std::string::npos);
}

}  // namespace
