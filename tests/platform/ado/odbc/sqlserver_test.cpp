// The ODBC provider's SQL Server side, through Debian's FreeTDS driver against a scripted TDS
// server on the loopback: batches reach the server as the component wrote them, each column type
// comes back as SQL Server's provider hands it to ADO, parameters arrive with their values, and
// refused logins, silent servers, closed ports, server errors, transactions and dropped
// connections behave as they do with a real server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "com_error_of.h"
#include "fake_tds_server.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/decimal.h"
#include "platform/oleaut/text.h"
#include "temp_dir.h"

using ::testing::HasSubstr;

namespace {

using oleaut::Variant;
using tavtest::FakeTdsServer;
using tavtest::FreeTdsDriver;
using Type = FakeTdsServer::Type;
using Kind = FakeTdsServer::Kind;

// Held in ODBC braces: the driver must receive it whole, ';' and '}' included.
constexpr char kPassword[] = "Sé;cr}et😀";

std::u16string ConnectionString(std::uint16_t port) {
  return oleaut::FromUtf8("Provider=SQLOLEDB;Data Source=127.0.0.1," + std::to_string(port) +
                          ";Initial Catalog=Finance;User ID=sa;Password={Sé;cr}}et😀};"
                          "Connect Timeout=1;Command Timeout=1");
}

Variant Decimal(const std::string& text) {
  return Variant(*oleaut::Decimal::Parse(oleaut::FromUtf8(text)));
}

std::string Bytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>((i * 131 + seed + i / 977) & 0xFF);
  return bytes;
}

Variant ByteArrayOf(const std::string& bytes) {
  return Variant(oleaut::ByteArray(bytes.begin(), bytes.end()));
}

std::vector<std::string> Texts(const std::vector<FakeTdsServer::Request>& requests) {
  std::vector<std::string> texts;
  for (const auto& r : requests)
    texts.push_back(r.text);
  return texts;
}

class SqlServerTest : public ::testing::Test {
 protected:
  SqlServerTest() {
    EXPECT_FALSE(FreeTdsDriver().empty()) << "tdsodbc is not installed";
    connection_->Open(ConnectionString(server_.Port()));
    server_.ClearRequests();
    server_.On("SELECT 2", {{FakeTdsServer::ResultSet{{{"two", Type::kInt}}, {{"2"}}}}});
  }

  // Whether the session still answers, with the same login or another.
  void ExpectAnswers() {
    EXPECT_EQ(connection_->Execute(u"SELECT 2")->Fields()->Item(0)->Value(), Variant(2));
  }

  com::Ptr<ado::Command> CommandOf(std::u16string_view text) {
    auto command = com::Make<ado::Command>();
    command->SetActiveConnection(connection_);
    command->SetCommandText(text);
    return command;
  }

  tavtest::ScopedEnv driver_{"TAV_SQLSERVER_ODBC_DRIVER", FreeTdsDriver()};
  FakeTdsServer server_;
  com::Ptr<ado::Connection> connection_ = com::Make<ado::Connection>();
};

TEST_F(SqlServerTest, LogsInWithTheCatalogUserAndPasswordAndAsksForWholeLongValues) {
  // The fixture's login is cleared: open again to see one.
  auto again = com::Make<ado::Connection>();
  again->Open(ConnectionString(server_.Port()));
  const auto sent = server_.Requests();
  ASSERT_GE(sent.size(), 2U);
  EXPECT_EQ(sent[0].kind, Kind::kLogin);
  EXPECT_EQ(sent[0].text, "sa");
  EXPECT_EQ(sent[0].parameters.at(0).value, "Finance");
  EXPECT_EQ(sent[0].parameters.at(1).value, kPassword);
  EXPECT_EQ(sent[1].text, "SET TEXTSIZE 2147483647");
}

TEST_F(SqlServerTest, BatchesReachTheServerUnchangedAndTheTraceShowsThem) {
  const std::u16string batches[] = {
      u"SELECT TOP 1 [name] FROM #tmpsort WHERE code = N'Ä''s 😀' + 'x'",
      u"IF NOT EXISTS (SELECT 1 FROM dbo.t WHERE id=12and x=1) INSERT INTO dbo.t (id) VALUES (1)",
      u"select @@IDENTITY\r\nupdate t set made = getdate() where convert(varchar(10), made, 120) "
      u"= '2024-01-01'"};
  ado::ScopedSqlTrace trace;
  for (const std::u16string& batch : batches)
    connection_->Execute(batch);
  std::vector<std::string> expected;
  for (const std::u16string& batch : batches)
    expected.push_back(oleaut::ToUtf8(batch));
  EXPECT_EQ(Texts(server_.Requests(Kind::kBatch)), expected);
  ASSERT_EQ(trace.Entries().size(), std::size(batches));
  for (std::size_t i = 0; i < std::size(batches); ++i) {
    EXPECT_EQ(trace.Entries()[i].as_built, batches[i]);
    EXPECT_EQ(trace.Entries()[i].as_run, expected[i] + "\n");
    EXPECT_EQ(trace.Entries()[i].provider, u"SQL Server 127.0.0.1," +
                                               oleaut::FromUtf8(std::to_string(server_.Port())) +
                                               u"/Finance as sa");
  }
}

TEST_F(SqlServerTest, EachColumnTypeComesBackAsSqlServersProviderGivesIt) {
  const std::u16string wide = std::u16string(3000, 'x') + u"名😀" + std::u16string(3000, 'y');
  const std::string blob = Bytes(5 << 20, 1);
  const std::string picture = Bytes(3 << 20, 2);
  const std::string digits = "-1234567890123456789.0123456789";
  const std::string least_money = "-922337203685477.5808";
  const double tiny = 1.2345678901234567e-300;
  const Variant least_bigint(oleaut::Decimal::FromInt64(INT64_MIN));
  const Variant when(oleaut::Date::FromFields({2024, 2, 29, 23, 59, 59, 997}));
  struct Case {
    FakeTdsServer::Column column;
    std::string cell;
    Variant value;
    ado::DataTypeEnum type;
    std::int32_t defined_size;
    int precision = 255;
    int scale = 255;
  };
  const Case cases[] = {
      {{"i", Type::kInt}, "-2147483648", Variant(INT32_MIN), ado::adInteger, 4, 10},
      {{"s", Type::kSmallInt}, "-32768", Variant(std::int16_t{-32768}), ado::adSmallInt, 2, 5},
      {{"b", Type::kBit}, "1", Variant(true), ado::adBoolean, 2},
      {{"g", Type::kBigInt}, "-9223372036854775808", least_bigint, ado::adBigInt, 8, 19},
      {{"f", Type::kFloat}, "1.2345678901234567e-300", Variant(tiny), ado::adDouble, 8, 15},
      {{"d", Type::kDecimal, 0, 38, 10}, digits, Decimal(digits), ado::adNumeric, 19, 38, 10},
      {{"n", Type::kNumeric, 0, 9, 2}, "0.05", Decimal("0.05"), ado::adNumeric, 19, 9, 2},
      {{"m", Type::kMoney}, least_money, Decimal(least_money), ado::adNumeric, 19, 19, 4},
      {{"dt", Type::kDateTime}, "2024-02-29 23:59:59.997", when, ado::adDBTimeStamp, 16, 23, 3},
      {{"nv", Type::kNVarChar, 40}, "名称 😀 ÄÖ", Variant(u"名称 😀 ÄÖ"), ado::adVarWChar, 40},
      {{"nm", Type::kNVarChar, 0}, oleaut::ToUtf8(wide), wide, ado::adLongVarWChar, 1073741823},
      {{"v", Type::kVarChar, 10}, "Ça va", Variant(u"Ça va"), ado::adVarChar, 10},
      {{"vb", Type::kVarBinary, 0}, blob, ByteArrayOf(blob), ado::adLongVarBinary, 2147483647},
      {{"im", Type::kImage}, picture, ByteArrayOf(picture), ado::adLongVarBinary, 2147483647},
  };
  FakeTdsServer::ResultSet set;
  set.rows.resize(2);
  for (const Case& c : cases) {
    set.columns.push_back(c.column);
    set.rows[0].push_back(c.cell);
    set.rows[1].push_back(std::nullopt);
  }
  server_.On("SELECT * FROM every_type", {{set}});
  auto rs = connection_->Execute(u"SELECT * FROM every_type");
  ASSERT_EQ(rs->Fields()->Count(), static_cast<std::int32_t>(std::size(cases)));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.column.name);
    auto field = rs->Fields()->Item(static_cast<std::int32_t>(i));
    EXPECT_EQ(oleaut::ToUtf8(field->Name()), c.column.name);
    EXPECT_EQ(field->Type(), c.type);
    EXPECT_EQ(field->DefinedSize(), c.defined_size);
    EXPECT_EQ(field->Precision(), c.precision);
    EXPECT_EQ(field->NumericScale(), c.scale);
    EXPECT_TRUE(field->Value() == c.value);
    EXPECT_EQ(field->Value().Type(), c.value.Type());
  }
  rs->MoveNext();
  for (std::int32_t i = 0; i < rs->Fields()->Count(); ++i)
    EXPECT_TRUE(rs->Fields()->Item(i)->Value().IsNull()) << cases[i].column.name;
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
}

TEST_F(SqlServerTest, ABatchGivesItsFirstRowSetAfterTheCountsBeforeIt) {
  FakeTdsServer::ResultSet set{{{"id", Type::kInt}}, {{"7"}, {"8"}}};
  server_.On("UPDATE t SET a = 1 SELECT id FROM t",
             {{FakeTdsServer::RowCount{3}, set, FakeTdsServer::RowCount{4}}});
  std::int32_t affected = -1;
  auto rs = connection_->Execute(u"UPDATE t SET a = 1 SELECT id FROM t", &affected);
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->Fields()->Item(0)->Value(), Variant(7));
  rs->MoveNext();
  EXPECT_EQ(rs->Fields()->Item(0)->Value(), Variant(8));
  server_.On("DELETE FROM t", {{FakeTdsServer::RowCount{5}}});
  CommandOf(u"DELETE FROM t")->Execute(&affected);
  EXPECT_EQ(affected, 5);
}

TEST_F(SqlServerTest, ParametersReachTheServerWithTheirValues) {
  const std::string long_text = std::string(4500, 'l') + "😀";
  const std::string blob = Bytes(6 << 20, 3);
  struct Case {
    ado::DataTypeEnum type;
    std::int32_t size;
    Variant value;
    std::string server_type;
    FakeTdsServer::Cell server_value;
  };
  const Case cases[] = {
      {ado::adVarWChar, 40, Variant(u"héllo 😀"), "nvarchar(8)", "héllo 😀"},
      {ado::adVarChar, 10, Variant(u"Ça va"), "varchar(5)",
       "\xC7"
       "a va"},
      {ado::adLongVarChar, 2147483647, Variant(std::u16string(9000, u'v')), "varchar(max)",
       std::string(9000, 'v')},
      {ado::adLongVarWChar, 2147483647, Variant(oleaut::FromUtf8(long_text)), "nvarchar(max)",
       long_text},
      {ado::adInteger, 0, Variant(-42), "int", "-42"},
      {ado::adSmallInt, 0, Variant(std::int16_t{-7}), "smallint", "-7"},
      {ado::adBigInt, 0, Variant(oleaut::Decimal::FromInt64(INT64_MAX)), "bigint",
       "9223372036854775807"},
      {ado::adBoolean, 0, Variant(true), "bit", "1"},
      {ado::adDouble, 0, Variant(0.1), "float", "0.10000000000000001"},
      {ado::adNumeric, 0, Decimal("-12345678901234567.891"), "decimal(20,3)",
       "-12345678901234567.891"},
      {ado::adCurrency, 0, Decimal("12.3456"), "decimal(6,4)", "12.3456"},
      {ado::adDBTimeStamp, 0, Variant(oleaut::Date::FromFields({2024, 2, 29, 13, 45, 10, 123})),
       "datetime2(7)", "2024-02-29 13:45:10.1230000"},
      {ado::adLongVarBinary, 2147483647, ByteArrayOf(blob), "varbinary(max)", blob},
      {ado::adInteger, 0, oleaut::kNull, "nvarchar(1)", std::nullopt},
  };
  auto command = CommandOf(u"INSERT INTO t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  for (const Case& c : cases) {
    command->Parameters()->Append(
        command->CreateParameter({}, c.type, ado::adParamInput, c.size, c.value));
  }
  command->Execute();
  const auto calls = server_.Requests(Kind::kRpc);
  ASSERT_EQ(calls.size(), 1U);
  EXPECT_EQ(calls[0].procedure, "sp_executesql");
  EXPECT_EQ(calls[0].text,
            "INSERT INTO t VALUES (@P1, @P2, @P3, @P4, @P5, @P6, @P7, @P8, @P9, @P10, @P11, @P12, "
            "@P13, @P14)");
  const auto& sent = calls[0].parameters;
  ASSERT_EQ(sent.size(), std::size(cases) + 2);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(sent[i + 2].type, cases[i].server_type);
    EXPECT_TRUE(sent[i + 2].value == cases[i].server_value)
        << (sent[i + 2].value ? sent[i + 2].value->substr(0, 60) : "NULL");
  }
}

TEST_F(SqlServerTest, ACommandWithParametersGivesItsRowsAfterTheCountsBeforeThem) {
  server_.On("SELECT name FROM t WHERE id = @P1",
             {{FakeTdsServer::RowCount{0},
               FakeTdsServer::ResultSet{{{"name", Type::kNVarChar, 20}}, {{"one"}, {"two"}}}}});
  auto command = CommandOf(u"SELECT name FROM t WHERE id = ?");
  command->Parameters()->Append(
      command->CreateParameter({}, ado::adInteger, ado::adParamInput, 0, Variant(1)));
  auto rs = command->Execute();
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->Fields()->Item(u"name")->Value(), Variant(u"one"));
  rs->MoveNext();
  EXPECT_EQ(rs->Fields()->Item(u"name")->Value(), Variant(u"two"));
}

TEST_F(SqlServerTest, AServerErrorGivesItsMessageSqlStateAndNumber) {
  struct Case {
    std::string batch;
    FakeTdsServer::ServerError error;
    std::string sqlstate;
    std::uint32_t hresult;
  };
  const Case cases[] = {
      {"SELECT * FROM nowhere",
       {208, 1, 16, "Invalid object name 'nowhere'."},
       "42S02",
       0x80040E37U},
      {"INSERT INTO t VALUES (1)",
       {2627, 1, 14, "Violation of PRIMARY KEY constraint 'PK_t'. Cannot insert duplicate key."},
       "23000",
       0x80040E2FU},
      {"SELEC 1", {102, 1, 15, "Incorrect syntax near 'SELEC'."}, "42000", 0x80040E14U},
      {"SELECT CONVERT(int, 'x')",
       {245, 1, 16, "Conversion failed when converting the varchar value 'x' to data type int."},
       "22018",
       0x80040E07U},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.batch);
    server_.On(c.batch, {{c.error}});
    const oleaut::ComError error =
        tavtest::ErrorOf([&] { connection_->Execute(oleaut::FromUtf8(c.batch)); });
    const std::string what = error.what();
    EXPECT_EQ(static_cast<std::uint32_t>(error.Number()), c.hresult) << what;
    EXPECT_THAT(what, HasSubstr(c.error.message));
    EXPECT_THAT(what, HasSubstr("SQLSTATE " + c.sqlstate));
    EXPECT_THAT(what, HasSubstr("native error " + std::to_string(c.error.number)));
    EXPECT_THAT(what, HasSubstr(c.batch));
  }
  // The session goes on: no second login.
  ExpectAnswers();
  EXPECT_TRUE(server_.Requests(Kind::kLogin).empty());
}

TEST(SqlServerLoginTest, RefusedLoginsSilentServersAndClosedPortsFailClearly) {
  tavtest::ScopedEnv driver("TAV_SQLSERVER_ODBC_DRIVER", FreeTdsDriver());
  struct Case {
    std::optional<FakeTdsServer::Login> login;  // none: a server gone, its port closed
    std::vector<std::string> said;
  };
  const Case cases[] = {
      {FakeTdsServer::Login::kRefuse,
       {"the login was refused", "Login failed for user 'sa'.", "native error 18456"}},
      {FakeTdsServer::Login::kSilent, {"did not answer within 1 seconds"}},
      {std::nullopt, {"server cannot be reached"}},
  };
  for (const Case& c : cases) {
    std::optional<FakeTdsServer> server;
    const std::uint16_t port = c.login ? server.emplace(*c.login).Port() : FakeTdsServer().Port();
    const oleaut::ComError error = tavtest::ErrorOf([&] {
      auto connection = com::Make<ado::Connection>();
      connection->Open(ConnectionString(port));
    });
    const std::string what = error.what();
    for (const std::string& part : c.said)
      EXPECT_THAT(what, HasSubstr(part));
    EXPECT_EQ(what.find("cr}et"), std::string::npos) << what;
  }
}

TEST_F(SqlServerTest, TransactionsBecomeTransactionManagerRequests) {
  connection_->BeginTrans();
  connection_->Execute(u"UPDATE t SET a = 1");
  connection_->CommitTrans();
  connection_->BeginTrans();
  connection_->Execute(u"UPDATE t SET a = 2");
  connection_->RollbackTrans();
  connection_->Execute(u"UPDATE t SET a = 3");
  EXPECT_EQ(Texts(server_.Requests()),
            (std::vector<std::string>{"begin", "UPDATE t SET a = 1", "commit, then begin",
                                      "rollback", "begin", "UPDATE t SET a = 2",
                                      "rollback, then begin", "rollback", "UPDATE t SET a = 3"}));
}

TEST_F(SqlServerTest, AFailedCommitLeavesTheSessionCommittingEachStatementAgain) {
  server_.On("commit, then begin",
             {{FakeTdsServer::ServerError{9002, 2, 17,
                                          "The transaction log for database 'Finance' "
                                          "is full due to 'LOG_BACKUP'."}}});
  connection_->BeginTrans();
  connection_->Execute(u"UPDATE t SET a = 1");
  const oleaut::ComError error = tavtest::ErrorOf([&] { connection_->CommitTrans(); });
  EXPECT_THAT(error.what(), HasSubstr("transaction log"));
  connection_->Execute(u"UPDATE t SET a = 2");
  connection_ = nullptr;
  // Nothing rolls the later statement back when the session ends.
  EXPECT_EQ(Texts(server_.Requests()),
            (std::vector<std::string>{"begin", "UPDATE t SET a = 1", "commit, then begin",
                                      "rollback", "UPDATE t SET a = 2"}));
}

TEST_F(SqlServerTest, AStatementTheServerNeverAnswersIsCancelledAfterTheCommandTimeout) {
  FakeTdsServer::Reply silence;
  silence.never_answer = true;
  server_.On("WAITFOR DELAY '01:00'", silence);
  const oleaut::ComError error =
      tavtest::ErrorOf([&] { connection_->Execute(u"WAITFOR DELAY '01:00'"); });
  EXPECT_EQ(static_cast<std::uint32_t>(error.Number()), 0x80040E31U) << error.what();
  EXPECT_THAT(error.what(), HasSubstr("SQLSTATE HYT00"));
  // The cancel reached the server, and the session goes on.
  EXPECT_EQ(server_.Requests(Kind::kAttention).size(), 1U);
  ExpectAnswers();
  EXPECT_TRUE(server_.Requests(Kind::kLogin).empty());
}

TEST_F(SqlServerTest, ADroppedConnectionFailsTheCallAndTheNextOneLogsInAgain) {
  // Before any answer, and halfway through a result of a few thousand rows that fills many
  // packets: the rows that came are not taken for the whole result.
  FakeTdsServer::ResultSet many{{{"id", Type::kInt}, {"name", Type::kNVarChar, 40}}, {}};
  for (int i = 1; i <= 4000; ++i)
    many.rows.push_back({std::to_string(i), "customer name number " + std::to_string(i)});
  FakeTdsServer::Reply at_once;
  at_once.drop_connection = true;
  FakeTdsServer::Reply halfway{{many}};
  halfway.drop_after_rows = 2000;
  struct Case {
    const char* name;
    FakeTdsServer::Reply reply;
    bool with_parameter;  // a command's call to the server instead of a batch
  };
  const Case cases[] = {{"before the answer", at_once, false},
                        {"after 2000 of 4000 rows", halfway, false},
                        {"after 2000 of 4000 rows of a command", halfway, true}};
  int connection = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server_.ClearRequests();
    server_.On(c.with_parameter ? "SELECT * FROM t WHERE id > @P1" : "SELECT * FROM t", c.reply);
    const auto run = [&] {
      if (!c.with_parameter) return connection_->Execute(u"SELECT * FROM t");
      auto command = CommandOf(u"SELECT * FROM t WHERE id > ?");
      command->Parameters()->Append(
          command->CreateParameter({}, ado::adInteger, ado::adParamInput, 0, Variant(0)));
      return command->Execute();
    };
    const oleaut::ComError error = tavtest::ErrorOf(run);
    EXPECT_THAT(error.what(), HasSubstr("connection to the server was lost"));
    ExpectAnswers();
    const auto logins = server_.Requests(Kind::kLogin);
    ASSERT_EQ(logins.size(), 1U);
    EXPECT_EQ(logins[0].connection, ++connection);

    // In a transaction, the work before the loss is gone: the caller learns so and ends it.
    connection_->BeginTrans();
    ExpectAnswers();
    EXPECT_THROW(run(), oleaut::ComError);
    const oleaut::ComError next = tavtest::ErrorOf([&] { connection_->Execute(u"SELECT 2"); });
    EXPECT_THAT(next.what(), HasSubstr("connection was lost during the transaction"));
    connection_->RollbackTrans();
    ExpectAnswers();
    EXPECT_EQ(server_.Requests(Kind::kLogin).size(), 2U);
    ++connection;
  }
}

}  // namespace
