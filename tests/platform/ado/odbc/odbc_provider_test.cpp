// The ODBC provider over the SQLite ODBC driver, through ADO's objects: it gives the embedded
// provider's answers on the same file (types and values), text of every length whole, errors
// with their SQLSTATE, a dropped connection that rolls back and reconnects. The runtime extension
// also serves the stock sqlite3 shell. Transactions and session state through this provider are
// the batch transaction tests' and the SQL scripts'; blobs of any size, the template tests'.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "com_error_of.h"
#include "odbc_driver.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/odbc/odbc_call.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/decimal.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "temp_dir.h"

namespace {

using oleaut::Variant;

class OdbcProviderTest : public ::testing::Test {
 protected:
  OdbcProviderTest() {
    embedded_ = Open("Provider=SQLite;Mode=ReadWriteCreate;Data Source=" + db_.string());
    odbc_ = Open(tavtest::SqliteOdbcConnectionString(db_));
  }
  static com::Ptr<ado::Connection> Open(const std::string& connection_string) {
    auto connection = com::Make<ado::Connection>();
    connection->Open(oleaut::FromUtf8(connection_string));
    return connection;
  }
  static std::vector<std::vector<Variant>> Rows(ado::Connection& connection,
                                                std::u16string_view sql) {
    std::vector<std::vector<Variant>> rows;
    for (auto rs = connection.Execute(sql); !rs->Eof(); rs->MoveNext()) {
      auto& row = rows.emplace_back();
      for (std::int32_t i = 0; i < rs->Fields()->Count(); ++i)
        row.push_back(rs->Fields()->Item(i)->Value());
    }
    return rows;
  }
  static Variant Scalar(ado::Connection& connection, std::u16string_view sql) {
    return connection.Execute(sql)->Fields()->Item(0)->Value();
  }
  void Insert(std::u16string_view sql,
              std::initializer_list<std::pair<std::int32_t, Variant>> values) {
    auto command = com::Make<ado::Command>();
    command->SetActiveConnection(odbc_);
    command->SetCommandText(sql);
    for (const auto& [type, value] : values) {
      command->Parameters()->Append(command->CreateParameter(
          {}, type, ado::adParamInput,
          type == ado::adLongVarBinary || type == ado::adLongVarWChar
              ? 2147483647
              : (ado::IsTextType(static_cast<ado::DataTypeEnum>(type)) ? 4000 : 0),
          value));
    }
    command->Execute();
  }

  tavtest::TempDir dir_;
  std::filesystem::path db_ = dir_ / "odbc.db";
  com::Ptr<ado::Connection> embedded_;
  com::Ptr<ado::Connection> odbc_;
};

TEST_F(OdbcProviderTest, GivesTheEmbeddedProvidersFieldsAndValuesOnTheSameFile) {
  odbc_->Execute(
      u"CREATE TABLE t (id int IDENTITY(1,1) PRIMARY KEY, name nvarchar(40), code varchar(10), "
      u"small smallint, flag bit, amount decimal(28,10), price money, rate float, made datetime, "
      u"body image, note ntext)");
  Insert(
      u"INSERT INTO t (name, code, small, flag, amount, price, rate, made, body, note) VALUES "
      u"(?,?,?,?,?,?,?,?,?,?)",
      {{ado::adVarWChar, Variant(u"名称 😀 ÄÖ")},
       {ado::adVarChar, Variant(u"A-1")},
       {ado::adSmallInt, Variant(std::int16_t{-7})},
       {ado::adBoolean, Variant(true)},
       {ado::adNumeric, Variant(*oleaut::Decimal::Parse(u"123456789012345678.0123456789"))},
       {ado::adNumeric, Variant(*oleaut::Decimal::Parse(u"12.3456"))},
       {ado::adDouble, Variant(0.25)},
       {ado::adDBTimeStamp, Variant(oleaut::Date::FromFields({2024, 2, 29, 13, 45, 10, 123}))},
       {ado::adLongVarBinary, Variant(oleaut::ByteArray{0, 1, 255})},
       {ado::adLongVarWChar, Variant(std::u16string(5000, u'长'))}});
  odbc_->Execute(u"INSERT INTO t (name) VALUES (NULL)");
  for (const char16_t* sql :
       {u"SELECT * FROM t ORDER BY id",
        u"select name + N'!' as n, len(code), small * 2, "
        u"amount - 1, price / 3, convert(varchar(30), made, 121) from t",
        u"select count(*), sum(price), max(made), isnull(max(code), 'none') from t",
        u"select top 1 name into #copy from t select * from #copy"}) {
    SCOPED_TRACE(oleaut::ToUtf8(sql));
    auto expected = embedded_->Execute(sql);
    auto actual = odbc_->Execute(sql);
    ASSERT_EQ(actual->Fields()->Count(), expected->Fields()->Count());
    for (std::int32_t i = 0; i < expected->Fields()->Count(); ++i) {
      EXPECT_EQ(actual->Fields()->Item(i)->Name(), expected->Fields()->Item(i)->Name());
      EXPECT_EQ(actual->Fields()->Item(i)->Type(), expected->Fields()->Item(i)->Type()) << i;
      EXPECT_EQ(actual->Fields()->Item(i)->DefinedSize(),
                expected->Fields()->Item(i)->DefinedSize())
          << i;
    }
    for (; !expected->Eof(); expected->MoveNext(), actual->MoveNext()) {
      ASSERT_FALSE(actual->Eof());
      for (std::int32_t i = 0; i < expected->Fields()->Count(); ++i) {
        EXPECT_EQ(actual->Fields()->Item(i)->Value(), expected->Fields()->Item(i)->Value()) << i;
      }
    }
    EXPECT_TRUE(actual->Eof());
    embedded_->Execute(u"if object_id('tempdb..#copy') is not null drop table #copy");
    odbc_->Execute(u"if object_id('tempdb..#copy') is not null drop table #copy");
  }
}

TEST_F(OdbcProviderTest, TextOfEveryLengthComesBackWholeRowAfterRow) {
  // Lengths around what the reader holds per column without asking again, in bytes of UTF-8: a
  // character cut by the first buffer's end, a column whose values grow row by row and shrink
  // again, values past the largest buffer and around its end (1 KiB, its last byte the
  // terminator's); NULLs and binary data between the text columns.
  const std::u16string beyond_buffers(70000, u'字');
  const std::vector<std::optional<std::u16string>> notes = {
      u"",
      std::u16string(63, u'a'),
      std::u16string(64, u'a'),
      std::u16string(62, u'a') + u"长",
      std::nullopt,
      std::u16string(300, u'b') + u"😀",
      beyond_buffers,
      std::u16string(40, u'c'),
      beyond_buffers + u"!",
      std::u16string(1023, u'd'),
      std::u16string(1024, u'd'),
      std::u16string(1022, u'd') + u"长",
      u"short",
  };
  odbc_->Execute(u"CREATE TABLE w (id int, note nvarchar(max), body image, code varchar(max))");
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const auto id = static_cast<std::int32_t>(i);
    Insert(u"INSERT INTO w VALUES (?, ?, ?, ?)",
           {{ado::adInteger, Variant(id)},
            {ado::adLongVarWChar, notes[i] ? Variant(*notes[i]) : Variant(oleaut::kNull)},
            {ado::adLongVarBinary, Variant(oleaut::ByteArray(i % 3, std::uint8_t{0x5A}))},
            {ado::adLongVarWChar, Variant(std::u16string(i * 37 % 200, u'x'))}});
  }
  const auto rows = Rows(*odbc_, u"SELECT * FROM w ORDER BY id");
  EXPECT_EQ(rows, Rows(*embedded_, u"SELECT * FROM w ORDER BY id"));
  ASSERT_EQ(rows.size(), notes.size());
  for (std::size_t i = 0; i < notes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i][1], notes[i] ? Variant(*notes[i]) : Variant(oleaut::kNull));
    EXPECT_EQ(rows[i][3].AsString().size(), i * 37 % 200);
  }
}

TEST_F(OdbcProviderTest, ErrorsCarryTheSqlStateTheStatementAndTheSource) {
  odbc_->Execute(u"CREATE TABLE k (id int PRIMARY KEY)");
  odbc_->Execute(u"INSERT INTO k VALUES (1)");
  struct Case {
    const char16_t* sql;
    const char* mentions;
  };
  const Case cases[] = {
      {u"select nothing from k", "Invalid column name 'nothing'."},
      {u"INSERT INTO k VALUES (1)", "UNIQUE constraint failed"},
      {u"select convert(int, 'abc')", "Conversion failed when converting"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.sql));
    const oleaut::ComError error = tavtest::ErrorOf([&] { odbc_->Execute(c.sql); });
    const std::string message = error.what();
    EXPECT_NE(message.find(c.mentions), std::string::npos) << message;
    EXPECT_EQ(error.Source(), ado::odbc::kSource) << message;
  }
  const std::string message =
      tavtest::ErrorOf([&] { odbc_->Execute(u"select nothing from k"); }).what();
  EXPECT_NE(message.find("[SQLSTATE HY000, native error 1]"), std::string::npos) << message;
  EXPECT_NE(message.find("while running \"select nothing from k\""), std::string::npos) << message;
}

TEST_F(OdbcProviderTest, ADroppedConnectionFailsTheCallRollsBackAndReconnects) {
  odbc_->Execute(u"CREATE TABLE d (v int)");
  odbc_->Execute(u"select 1 as v into #session");
  odbc_->BeginTrans();
  odbc_->Execute(u"INSERT INTO d VALUES (1)");
  ado::odbc::FailNextCall("SQLExecDirect", "08S01");
  const oleaut::ComError error =
      tavtest::ErrorOf([&] { odbc_->Execute(u"INSERT INTO d VALUES (2)"); });
  EXPECT_NE(std::string(error.what()).find("SQLSTATE 08S01"), std::string::npos) << error.what();
  // Nothing more runs in the lost transaction, as if its first part were still there.
  EXPECT_NE(
      std::string(tavtest::ErrorOf([&] { odbc_->Execute(u"INSERT INTO d VALUES (4)"); }).what())
          .find("end the transaction"),
      std::string::npos);
  odbc_->RollbackTrans();
  EXPECT_EQ(oleaut::ToLong(Scalar(*odbc_, u"select count(*) from d")), 0);
  odbc_->Execute(u"INSERT INTO d VALUES (3)");
  EXPECT_EQ(Rows(*embedded_, u"SELECT v FROM d"), (std::vector<std::vector<Variant>>{{3}}));
  // The session went with the connection, as a SQL Server session would.
  EXPECT_THROW(odbc_->Execute(u"select v from #session"), oleaut::ComError);
}

TEST_F(OdbcProviderTest, TheTraceShowsTheBatchAndWhatTheDriverRan) {
  ado::ScopedSqlTrace trace;
  odbc_->Execute(u"select top 1 N'x' as a");
  ASSERT_EQ(trace.Entries().size(), 1u);
  EXPECT_EQ(trace.Entries()[0].as_built, u"select top 1 N'x' as a");
  EXPECT_EQ(trace.Entries()[0].as_run, "SELECT 'x' AS \"a\" LIMIT 1\n");
  EXPECT_NE(oleaut::ToUtf8(trace.Entries()[0].provider).find("ODBC Driver="), std::string::npos);
}

TEST(SqliteExtensionTest, TheStockShellChecksADemoDatabaseWithTheExtensionLoaded) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "an extension built with a sanitizer cannot load into the stock shell";
#endif
  tavtest::TempDir dir;
  const std::filesystem::path db = dir / "demo.db";
  tavglobal::CreateDatabase(db, /*with_demo_data=*/true);
  const std::string extension = (std::filesystem::path(TAV_LIBRARY_DIR) / "libtavsqlite").string();
  const auto shell = [&](const std::string& commands) {
    const std::string command = "sqlite3 -batch '" + db.string() + "' " + commands + " 2>&1";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[512];
      while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
      pclose(pipe);
    }
    return output;
  };
  // Without the extension the shell knows neither the TSQL collation nor the length checks.
  const std::string unloaded = shell("'PRAGMA integrity_check'");
  EXPECT_TRUE(unloaded.find("no such collation sequence: TSQL") != std::string::npos ||
              unloaded.find("unknown function: tsql_len()") != std::string::npos)
      << unloaded;
  EXPECT_EQ(shell("'.load " + extension + "' 'PRAGMA integrity_check'"), "ok\n");
  EXPECT_EQ(shell("'.load " + extension + "' \"select tsql_len('ab  ')\""), "2\n");
}

}  // namespace
