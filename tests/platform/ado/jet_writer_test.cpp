// The Jet writer's files as mdbtools' own command-line tools read them (an independent reader of
// the format), in both formats, and what the writer refuses.
#include <gtest/gtest.h>

#include "com_error_of.h"
#include "jet_fixture.h"
#include "platform/oleaut/com_error.h"

namespace ado::testing {
namespace {

using jet::JetColumnType;
using jet::JetVersion;
using oleaut::Variant;

class JetWriterTest : public ::testing::TestWithParam<JetVersion> {
 protected:
  std::filesystem::path Write(std::vector<jet::JetTableSpec> tables) {
    jet::JetDatabaseSpec spec;
    spec.version = GetParam();
    spec.tables = std::move(tables);
    const auto path = dir_ / "out.mdb";
    jet::WriteJetDatabase(path, spec, jet::ExistingFile::kReplace);
    return path;
  }
  tavtest::TempDir dir_;
};

TEST_P(JetWriterTest, MdbToolsListDescribeAndExportWhatItWrote) {
  const std::string memo(70000, 'x');
  const auto path = Write({NotesTable(std::u16string(memo.begin(), memo.end()))});
  const std::string file = Quoted(path);
  EXPECT_EQ(RunTool("mdb-ver " + file).out, GetParam() == JetVersion::kJet4 ? "JET4\n" : "JET3\n");
  EXPECT_EQ(RunTool("mdb-tables -1 " + file).out, "Notes\n");
  const std::string schema = RunTool("mdb-schema " + file + " access").out;
  for (const char* column :
       {"[FID]\t\t\tLong Integer", "[FName]\t\t\tText (50)", "[FNote]\t\t\tMemo/Hyperlink",
        "[FFlag]\t\t\tBoolean NOT NULL", "[FCount]\t\t\tInteger", "[FPrice]\t\t\tDouble",
        "[FDate]\t\t\tDateTime"}) {
    EXPECT_NE(schema.find(column), std::string::npos) << column << " in\n" << schema;
  }
  const ToolRun csv = RunTool("mdb-export -T '%Y-%m-%d %H:%M:%S' " + file + " Notes");
  ASSERT_TRUE(csv.ok);
  EXPECT_EQ(
      csv.out,
      "FID,FName,FNote,FFlag,FCount,FPrice,FDate\n"
      "1,\"alpha\",\"short memo\",1,7,1.5,\"2024-01-05 13:04:00\"\n"
      "2,,,0,,,\n"
      "3,,\"" +
          memo +
          "\",0,-5,-0.25,\"1899-12-30 00:00:00\"\n"
          "4,\"O'Brien, \"\"q\"\"\",\"line1\nline2, a memo longer than sixty-four bytes leaves "
          "its row\",1,0,0,\"2024-02-29 00:00:00\"\n");
}

TEST_P(JetWriterTest, RowsSpreadOverManyPagesAndLongRowsKeepTheirColumns) {
  jet::JetTableSpec many;
  many.name = u"Many";
  many.columns = {{u"FID", JetColumnType::kLong}, {u"FText", JetColumnType::kMemo}};
  for (int i = 0; i < 1000; ++i)
    many.rows.push_back({i, std::u16string(100 + i % 50, static_cast<char16_t>(u'a' + i % 26))});
  // Three long texts take a row past 256 bytes, where Jet 3 needs its jump table.
  jet::JetTableSpec wide;
  wide.name = u"Wide";
  wide.columns = {{u"A", JetColumnType::kText},
                  {u"B", JetColumnType::kText},
                  {u"C", JetColumnType::kText},
                  {u"D", JetColumnType::kLong}};
  wide.rows = {{std::u16string(200, u'a'), std::u16string(250, u'b'), std::u16string(90, u'c'), 1},
               {oleaut::kNull, std::u16string(255, u'e'), u"", 2}};
  const auto path = Write({many, wide});
  EXPECT_EQ(RunTool("mdb-count " + Quoted(path) + " Many").out, "1000\n");
  const std::string rows = RunTool("mdb-export -H " + Quoted(path) + " Many").out;
  EXPECT_NE(rows.find("\n500,\"" + std::string(100, 'g') + "\"\n"), std::string::npos);
  EXPECT_NE(rows.find("\n999,\"" + std::string(149, 'l') + "\"\n"), std::string::npos);
  EXPECT_EQ(RunTool("mdb-export -H " + Quoted(path) + " Wide").out,
            "\"" + std::string(200, 'a') + "\",\"" + std::string(250, 'b') + "\",\"" +
                std::string(90, 'c') + "\",1\n,\"" + std::string(255, 'e') + "\",,2\n");
}

INSTANTIATE_TEST_SUITE_P(BothFormats, JetWriterTest,
                         ::testing::Values(JetVersion::kJet4, JetVersion::kJet3), FormatName);

TEST(JetWriter, Jet4KeepsChineseTextInNamesAndValues) {
  tavtest::TempDir dir;
  jet::JetDatabaseSpec spec;
  jet::JetTableSpec table;
  table.name = u"单据";
  table.columns = {{u"编号", JetColumnType::kLong}, {u"备注", JetColumnType::kMemo}};
  table.rows = {{1, u"销售出库单，含中文备注"}, {2, std::u16string(3000, u'码')}};
  spec.tables.push_back(table);
  const auto path = dir / "cn.mdb";
  jet::WriteJetDatabase(path, spec);
  EXPECT_EQ(RunTool("mdb-tables -1 " + Quoted(path)).out, "单据\n");
  std::string expected = "编号,备注\n1,\"销售出库单，含中文备注\"\n2,\"";
  for (int i = 0; i < 3000; ++i)
    expected += "码";
  EXPECT_EQ(RunTool("mdb-export " + Quoted(path) + " 单据").out, expected + "\"\n");
}

struct Refusal {
  const char* name;
  JetVersion version;
  std::function<void(jet::JetTableSpec&)> change;
  const char* says;
};

TEST(JetWriter, RefusesBadDefinitionsAndValuesAndLeavesNoFileBehind) {
  const auto text_table = [] {
    jet::JetTableSpec table;
    table.name = u"T";
    table.columns = {{u"FID", JetColumnType::kLong}, {u"FName", JetColumnType::kText, 5}};
    return table;
  };
  const Refusal cases[] = {
      {"text too long", JetVersion::kJet4,
       [](auto& t) {
         t.rows = {{1, u"abcdef"}};
       },
       "row 1, column 'FName' (Text): the text has 6 characters; the column holds 5"},
      {"text into Long", JetVersion::kJet4,
       [](auto& t) {
         t.rows = {{u"1", u"a"}};
       },
       "column 'FID' (Long): cannot hold a value of type String"},
      {"Long out of range", JetVersion::kJet4,
       [](auto& t) {
         t.rows = {{3e9, u"a"}};
       },
       "3000000000 is out of its range"},
      {"fraction into Long", JetVersion::kJet4,
       [](auto& t) {
         t.rows = {{1.5, u"a"}};
       },
       "cannot hold a value of type Double"},
      {"too few values", JetVersion::kJet4, [](auto& t) { t.rows = {{Variant(1)}}; },
       "row 1: 1 values for 2 columns"},
      {"bad table name", JetVersion::kJet4, [](auto& t) { t.name = u"a.b"; },
       "'a.b' is not a valid table name"},
      {"system name", JetVersion::kJet4, [](auto& t) { t.name = u"MSysMine"; },
       "names starting with MSys belong to Jet"},
      {"twin columns", JetVersion::kJet4,
       [](auto& t) {
         t.columns.push_back({u"fname", JetColumnType::kLong});
       },
       "two columns named 'fname'"},
      {"text length 0", JetVersion::kJet4, [](auto& t) { t.columns[1].text_length = 0; },
       "a Text column holds 1 to 255 characters, not 0"},
      {"row larger than a page", JetVersion::kJet4,
       [](auto& t) {
         t.columns.clear();
         std::vector<Variant> row;
         for (int i = 0; i < 9; ++i) {
           t.columns.push_back({u"C" + std::u16string(1, static_cast<char16_t>(u'0' + i)),
                                JetColumnType::kText, 255});
           row.emplace_back(std::u16string(255, u'中'));
         }
         t.rows = {row};
       },
       "a page holds rows of at most"},
      // The length of a long value shares its word with the flags, which a longer one would
      // overwrite: 17 Mi characters take 34 MiB in Jet 4, 16 Mi plus one 16 MiB and a byte in
      // Jet 3.
      {"Memo beyond its limit", JetVersion::kJet4,
       [](auto& t) {
         t.columns.push_back({u"FNote", JetColumnType::kMemo});
         t.rows = {{1, u"a", std::u16string(std::size_t{17} << 20, u'x')}};
       },
       "row 1, column 'FNote' (Memo): the value takes 35651584 bytes; a Memo value holds at most "
       "16777215 bytes (16 MiB)"},
      {"Memo a byte beyond its limit", JetVersion::kJet3,
       [](auto& t) {
         t.columns.push_back({u"FNote", JetColumnType::kMemo});
         t.rows = {{1, u"a", std::u16string((std::size_t{16} << 20) + 1, u'x')}};
       },
       "column 'FNote' (Memo): the value takes 16777217 bytes"},
      {"Chinese in Jet 3", JetVersion::kJet3,
       [](auto& t) {
         t.rows = {{1, u"中文"}};
       },
       "code page 1252"},
  };
  for (const Refusal& refusal : cases) {
    SCOPED_TRACE(refusal.name);
    tavtest::TempDir dir;
    jet::JetDatabaseSpec spec;
    spec.version = refusal.version;
    spec.tables.push_back(text_table());
    refusal.change(spec.tables.back());
    const auto error = tavtest::ErrorOf([&] { jet::WriteJetDatabase(dir / "x.mdb", spec); });
    EXPECT_EQ(error.Source(), u"Jet database writer");
    EXPECT_NE(oleaut::ToUtf8(error.Description()).find(refusal.says), std::string::npos)
        << oleaut::ToUtf8(error.Description());
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  }
}

TEST(JetWriter, AMemoAtItsLimitIsWrittenWhole) {
  tavtest::TempDir dir;
  const std::size_t limit = (std::size_t{16} << 20) - 1;  // bytes, a character each in Jet 3
  jet::JetDatabaseSpec spec;
  spec.version = JetVersion::kJet3;
  spec.tables.push_back(
      {u"T", {{u"FNote", JetColumnType::kMemo}}, {{std::u16string(limit - 1, u'x') + u"y"}}});
  jet::WriteJetDatabase(dir / "x.mdb", spec);
  const Variant note =
      OpenJet(dir / "x.mdb")->Execute(u"SELECT FNote FROM T")->Fields()->Item(0)->Value();
  ASSERT_TRUE(note.IsString());
  EXPECT_EQ(note.AsString().size(), limit);
  EXPECT_EQ(note.AsString().back(), u'y');
}

TEST(JetWriter, RefusesToOverwriteUnlessAskedTo) {
  tavtest::TempDir dir;
  const auto path = dir / "x.mdb";
  jet::JetDatabaseSpec spec;
  jet::WriteJetDatabase(path, spec);
  const auto error = tavtest::ErrorOf([&] { jet::WriteJetDatabase(path, spec); });
  EXPECT_NE(error.Description().find(u"exists already"), std::u16string::npos);
  spec.tables.push_back({u"Later", {{u"FID", JetColumnType::kLong}}, {{Variant(1)}}});
  jet::WriteJetDatabase(path, spec, jet::ExistingFile::kReplace);
  EXPECT_EQ(RunTool("mdb-tables -1 " + Quoted(path)).out, "Later\n");
}

}  // namespace
}  // namespace ado::testing
