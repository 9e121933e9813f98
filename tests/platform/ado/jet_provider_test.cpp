// The Jet provider through ADO, on files the Jet writer made: the statements it runs and their
// rows and field types, in both formats; Jet's errors for what it cannot run; and files that
// are missing, foreign or damaged, which fail with an error naming the path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "com_error_of.h"
#include "jet_fixture.h"
#include "platform/oleaut/com_error.h"

namespace ado::testing {
namespace {

using jet::JetColumnType;
using jet::JetVersion;

const std::u16string kLongMemo = [] {
  std::u16string text;
  for (int i = 0; text.size() < 65536; ++i)
    text += u"line " + oleaut::FromUtf8(std::to_string(i)) + u", ";
  text.resize(65536);
  return text;
}();

jet::JetDatabaseSpec Database(JetVersion version) {
  jet::JetDatabaseSpec spec;
  spec.version = version;
  spec.tables.push_back(NotesTable(kLongMemo));
  spec.tables.push_back({u"Empty", {{u"FID", JetColumnType::kLong}}, {}});
  return spec;
}

class JetProviderTest : public ::testing::TestWithParam<JetVersion> {
 protected:
  JetProviderTest() {
    jet::WriteJetDatabase(path_, Database(GetParam()));
    connection_ = OpenJet(path_);
  }
  tavtest::TempDir dir_;
  std::filesystem::path path_ = dir_ / "notes.mdb";
  com::Ptr<Connection> connection_;
};

TEST_P(JetProviderTest, RunsSelectsWithWhereOrderAndTop) {
  const struct {
    const char16_t* statement;
    std::vector<std::string> rows;
  } cases[] = {
      {u"select FName From Notes where FID=1", {"alpha"}},
      {u"SELECT FID, FName, FFlag, FCount, FPrice, FDate FROM Notes WHERE FID = 2",
       {"2||False|NULL|NULL|NULL"}},
      {u"SELECT FID FROM Notes WHERE FName = 'ALPHA'", {"1"}},
      {u"SELECT FID FROM Notes WHERE FName IS NULL", {"3"}},
      {u"SELECT FID FROM Notes WHERE FName IS NOT NULL AND FFlag = True ORDER BY FID DESC",
       {"4", "1"}},
      {u"SELECT FID FROM Notes WHERE FCount <> 7", {"3", "4"}},
      {u"SELECT FID FROM Notes WHERE NOT (FID = 1 OR FID >= 3)", {"2"}},
      {u"SELECT TOP 2 FID FROM Notes ORDER BY FPrice", {"2", "3"}},
      {u"SELECT TOP 1 FID FROM Notes ORDER BY FFlag", {"1", "4"}},
      {u"SELECT n.FID AS Id FROM [Notes] AS n WHERE n.FDate >= #2024-01-01#", {"1", "4"}},
      {u"SELECT FID FROM Notes WHERE FDate = #1/5/2024 1:04:00 PM#", {"1"}},
      {u"SELECT FID FROM Notes WHERE FPrice < -0.1 OR FName = \"O'Brien, \"\"q\"\"\"", {"3", "4"}},
      {u"select fid from notes where FFlag = -1 and fcount = 0;", {"4"}},
      {u"SELECT Notes.* FROM Notes WHERE FID = 4",
       {"4|O'Brien, \"q\"|line1\nline2, a memo longer than sixty-four bytes leaves its "
        "row|True|0|0|2024-02-29 00:00:00.000"}},
      {u"SELECT FID FROM Empty", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.statement));
    EXPECT_EQ(Rows(*connection_, c.statement), c.rows);
  }
}

TEST_P(JetProviderTest, FieldsKeepTheDeclaredTypesAndMemosComeWhole) {
  auto all = connection_->Execute(u"SELECT * FROM Notes WHERE FID = 3");
  const auto fields = all->Fields();
  const struct {
    const char16_t* name;
    DataTypeEnum type;
    std::int32_t size;
  } expected[] = {
      {u"FID", adInteger, 4},   {u"FName", adVarWChar, 50}, {u"FNote", adLongVarWChar, 536870910},
      {u"FFlag", adBoolean, 2}, {u"FCount", adSmallInt, 2}, {u"FPrice", adDouble, 8},
      {u"FDate", adDate, 8}};
  ASSERT_EQ(fields->Count(), 7);
  for (std::int32_t i = 0; i < 7; ++i) {
    EXPECT_EQ(fields->Item(i)->Name(), expected[i].name);
    EXPECT_EQ(fields->Item(i)->Type(), expected[i].type) << oleaut::ToUtf8(expected[i].name);
    EXPECT_EQ(fields->Item(i)->DefinedSize(), expected[i].size) << oleaut::ToUtf8(expected[i].name);
  }
  EXPECT_EQ(fields->Item(u"FNote")->Value().AsString(), kLongMemo);
  EXPECT_EQ(fields->Item(u"FFlag")->Value(), oleaut::Variant(false));  // stored Null is No
  EXPECT_EQ(fields->Item(u"FDate")->Value(), oleaut::Variant(oleaut::Date(0.0)));
  // Names come as the statement spells them.
  auto spelled = connection_->Execute(u"SELECT fname, FID AS Id FROM Notes WHERE FID = 1");
  EXPECT_EQ(spelled->Fields()->Item(0)->Name(), u"fname");
  EXPECT_EQ(spelled->Fields()->Item(1)->Name(), u"Id");
}

TEST_P(JetProviderTest, AcceptsTransactionsOnTheReadOnlySource) {
  connection_->BeginTrans(TransactionLock::Deferred);
  EXPECT_EQ(Rows(*connection_, u"SELECT FID FROM Notes WHERE FID = 1"),
            std::vector<std::string>{"1"});
  connection_->CommitTrans();
  connection_->BeginTrans();
  connection_->RollbackTrans();
  EXPECT_EQ(Rows(*connection_, u"SELECT FID FROM Notes WHERE FID = 2"),
            std::vector<std::string>{"2"});
}

INSTANTIATE_TEST_SUITE_P(BothFormats, JetProviderTest,
                         ::testing::Values(JetVersion::kJet4, JetVersion::kJet3), FormatName);

TEST(JetProvider, ReadsChineseNamesAndMemos) {
  tavtest::TempDir dir;
  jet::JetDatabaseSpec spec;
  const std::u16string memo = u"规格：" + std::u16string(40000, u'尺') + u"。";
  spec.tables.push_back({u"单据",
                         {{u"编号", JetColumnType::kLong}, {u"备注", JetColumnType::kMemo}},
                         {{1, memo}, {2, u"短"}}});
  jet::WriteJetDatabase(dir / "cn.mdb", spec);
  auto connection = OpenJet(dir / "cn.mdb");
  auto rows = connection->Execute(u"SELECT 备注 FROM [单据] WHERE 编号 = 1");
  EXPECT_EQ(rows->Fields()->Item(0)->Value().AsString(), memo);
  EXPECT_EQ(Rows(*connection, u"SELECT 编号 FROM 单据 WHERE 备注 = '短'"),
            std::vector<std::string>{"2"});
}

TEST(JetProvider, RaisesJetsErrorsForWhatItCannotRun) {
  tavtest::TempDir dir;
  jet::WriteJetDatabase(dir / "n.mdb", Database(JetVersion::kJet4));
  auto connection = OpenJet(dir / "n.mdb");
  constexpr std::int32_t kNoTable = static_cast<std::int32_t>(0x80040E37U);
  constexpr std::int32_t kNoValue = static_cast<std::int32_t>(0x80040E10U);
  constexpr std::int32_t kMismatch = static_cast<std::int32_t>(0x80040E07U);
  constexpr std::int32_t kSyntax = static_cast<std::int32_t>(0x80040E14U);
  constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005U);
  const std::u16string jet = u"Microsoft JET Database Engine";
  const std::u16string ours = u"TAV Jet provider";
  const struct {
    const char16_t* statement;
    std::int32_t number;
    std::u16string source;
    const char16_t* says;
  } cases[] = {
      {u"SELECT * FROM Nope", kNoTable, jet, u"cannot find the input table or query 'Nope'"},
      {u"SELECT FNope FROM Notes", kNoValue, jet, u"'FNope' is not a column of 'Notes'"},
      {u"SELECT FID FROM Notes WHERE x.FID = 1", kNoValue, jet, u"'x.FID' is not a column"},
      {u"SELECT FID FROM Notes WHERE FName = 1", kMismatch, jet, u"Data type mismatch"},
      {u"SELECT FID FROM Notes WHERE FID = '1'", kMismatch, jet, u"Data type mismatch"},
      {u"INSERT INTO Notes (FID) VALUES (9)", kFail, jet, u"read-only. (INSERT:"},
      {u"update Notes SET FID = 1", kFail, jet, u"read-only. (UPDATE:"},
      {u"DELETE FROM Notes", kFail, jet, u"read-only. (DELETE:"},
      {u"SELECT FID INTO Copy FROM Notes", kFail, jet, u"read-only. (SELECT ... INTO:"},
      {u"SELECT a.FID FROM Notes a INNER JOIN Empty b ON a.FID = b.FID", kSyntax, ours, u"JOIN"},
      {u"SELECT FID FROM Notes, Empty", kSyntax, ours, u"A second table (a join)"},
      {u"SELECT FID FROM Notes WHERE FName LIKE 'a*'", kSyntax, ours, u"LIKE at character 35"},
      {u"SELECT Count(*) FROM Notes", kSyntax, ours, u"The function Count"},
      {u"SELECT FID FROM Notes GROUP BY FID", kSyntax, ours, u"GROUP"},
      {u"SELECT FID + 1 FROM Notes", kSyntax, ours, u"Arithmetic (+)"},
      {u"SELECT DISTINCT FID FROM Notes", kSyntax, ours, u"DISTINCT"},
      {u"SELECT FROM Notes", kSyntax, jet, u"reserved word"},
      {u"SELECT FID FROM Notes WHERE FID", kSyntax, jet, u"missing operator"},
      {u"SELECT FID FROM Notes WHERE FName = 'open", kSyntax, jet, u"Syntax error in string"},
      {u"SELECT FID FROM Notes WHERE FDate = #31/31/2024#", kSyntax, jet, u"Syntax error in date"},
      {u"SELECT FID FROM Notes ORDER BY FNote", kSyntax, jet, u"Cannot sort on a Memo"},
      {u"SELECT FID FROM Notes; SELECT 1", kSyntax, jet, u"Characters found after end"},
      {u"EXEC sp_tables", kSyntax, ours, u"EXEC"},
      {u"WITH x AS (SELECT 1) SELECT 1", kSyntax, jet, u"Invalid SQL statement"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.statement));
    const auto error = tavtest::ErrorOf([&] { connection->Execute(c.statement); });
    EXPECT_EQ(error.Number(), c.number) << error.what();
    EXPECT_EQ(error.Source(), c.source) << error.what();
    EXPECT_NE(error.Description().find(c.says), std::u16string::npos) << error.what();
  }
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(JetProvider, MissingForeignAndDamagedFilesFailWithTheirPath) {
  tavtest::TempDir dir;
  const auto good = dir / "good.mdb";
  jet::JetDatabaseSpec spec = Database(JetVersion::kJet4);
  spec.tables.push_back({u"Many", {{u"FText", JetColumnType::kMemo}}, {}});
  for (int i = 0; i < 300; ++i)
    spec.tables.back().rows.push_back({std::u16string(500, u'm')});
  jet::WriteJetDatabase(good, spec);
  const std::string image = tavtest::ReadText(good);
  const std::size_t pages = image.size() / 4096;
  const struct {
    const char* name;
    std::function<void(const std::filesystem::path&)> make;
    const char16_t* says;
  } cases[] = {
      {"missing", [](const auto&) {}, u"Could not find file '"},
      {"zero bytes", [](const auto& p) { WriteBytes(p, ""); }, u"Unrecognized database format '"},
      {"a text file", [](const auto& p) { WriteBytes(p, std::string(5000, 't')); },
       u"it is not a Jet database"},
      {"an Access 2007 file",
       [](const auto& p) {
         WriteBytes(p, std::string("\0\1\0\0Standard ACE DB\0\2\0\0\0", 24) +
                           std::string(4096 * 3 - 24, '\0'));
       },
       u"Access 2007 or later"},
      {"cut in half at a page",
       [&](const auto& p) { WriteBytes(p, image.substr(0, pages / 2 * 4096)); }, u"cut short"},
      {"cut inside a page",
       [&](const auto& p) { WriteBytes(p, image.substr(0, image.size() / 2 + 100)); },
       u"cut short"},
      {"a directory", [](const auto& p) { std::filesystem::create_directory(p); },
       u"is not a valid path"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto path = dir / (std::string(c.name) + ".mdb");
    c.make(path);
    const auto error = tavtest::ErrorOf([&] { OpenJet(path); });
    EXPECT_EQ(error.Number(), static_cast<std::int32_t>(0x80004005U)) << error.what();
    EXPECT_EQ(error.Source(), u"Microsoft JET Database Engine") << error.what();
    EXPECT_NE(error.Description().find(oleaut::FromUtf8(path.string())), std::u16string::npos)
        << error.what();
    EXPECT_NE(error.Description().find(c.says), std::u16string::npos) << error.what();
  }
}

TEST(JetProvider, AnUnreadableFileFailsWithItsPath) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  tavtest::TempDir dir;
  const auto path = dir / "locked.mdb";
  jet::WriteJetDatabase(path, Database(JetVersion::kJet4));
  ::chmod(path.c_str(), 0);
  const auto error = tavtest::ErrorOf([&] { OpenJet(path); });
  EXPECT_NE(error.Description().find(u"cannot open the file '" + oleaut::FromUtf8(path.string())),
            std::u16string::npos)
      << error.what();
}

TEST(JetProvider, ConnectionStringKeysAreCheckedByName) {
  tavtest::TempDir dir;
  const auto path = oleaut::FromUtf8((dir / "n.mdb").string());
  jet::WriteJetDatabase(dir / "n.mdb", Database(JetVersion::kJet4));
  const std::u16string base = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path;
  for (const std::u16string& accepted :
       {base + u";Persist Security Info=False", base + u";User ID=Admin;Password=",
        base + u";Mode=Read;Jet OLEDB:Engine Type=5;Jet OLEDB:Database Password="}) {
    auto connection = com::Make<Connection>();
    connection->Open(accepted);
    EXPECT_EQ(Rows(*connection, u"SELECT FID FROM Notes WHERE FID = 1").size(), 1U);
  }
  const struct {
    std::u16string text;
    const char16_t* says;
  } refused[] = {
      {base + u";Jet OLEDB:Database Password=secret", u"with a password"},
      {base + u";Timeout=5", u"does not know the connection string key 'Timeout'"},
      {u"Provider=Microsoft.Jet.OLEDB.4.0", u"names no Data Source"},
  };
  for (const auto& r : refused) {
    const auto error = tavtest::ErrorOf([&] { com::Make<Connection>()->Open(r.text); });
    EXPECT_NE(error.Description().find(r.says), std::u16string::npos) << error.what();
  }
}

}  // namespace
}  // namespace ado::testing
