// The local report database: T_RepNotePrintSql rows read from TOML and written as a Jet file.
#include "platform/tavglobal/report_database.h"

#include <gtest/gtest.h>

#include "com_error_of.h"
#include "jet_fixture.h"

namespace ado::testing {
namespace {

using tavglobal::ReportNoteSql;

constexpr char kRows[] = R"(
[[T_RepNotePrintSql]]
ftrantypeid = 21
FMaskFld = "FNote,FBatchNo"
FRepSql = """
SELECT ?SelFields, SUM(Yard_Qty)
FROM #tmpBillPrint a"""

[[t_repnoteprintsql]]
FTRANTYPEID = 1
FNeedLog = true
)";

TEST(ReportDatabase, ReadsRowsWithMultiLineStatementsAndDefaults) {
  const std::vector<ReportNoteSql> rows = tavglobal::ParseReportNoteSql(kRows, "rows.toml");
  ASSERT_EQ(rows.size(), 2U);
  EXPECT_EQ(rows[0].ftrantypeid, 21);
  EXPECT_EQ(rows[0].FRepSql, u"SELECT ?SelFields, SUM(Yard_Qty)\nFROM #tmpBillPrint a");
  EXPECT_EQ(rows[0].FMaskFld, u"FNote,FBatchNo");
  EXPECT_FALSE(rows[0].FNeedLog);
  EXPECT_EQ(rows[1].ftrantypeid, 1);
  EXPECT_FALSE(rows[1].FRepSql.has_value());
  EXPECT_TRUE(rows[1].FNeedLog);
}

TEST(ReportDatabase, RefusesRowsItCannotStore) {
  const struct {
    const char* toml;
    const char* says;
  } cases[] = {
      {"[[T_RepNotePrintSql]]\nftrantypeid = 1\nFRemark = 'x'\n", "FRemark is not a column"},
      {"[[T_RepNotePrintSql]]\nFNeedLog = true\n", "ftrantypeid is missing"},
      {"[[T_RepNotePrintSql]]\nftrantypeid = 1\n[[T_RepNotePrintSql]]\nftrantypeid = 1\n",
       "ftrantypeid 1 has two rows"},
      {"[[T_RepNotePrintSql]]\nftrantypeid = '21'\n", "must be a whole number"},
      {"[[T_RepNotePrintSql]]\nftrantypeid = 3000000000\n", "must be a whole number"},
      {"[[T_RepNotePrintSql]]\nftrantypeid = 1\nFNeedLog = 1\n", "must be true or false"},
      {"[[T_RepNotePrintSql]]\nftrantypeid = 1\nFRepSql = 7\n", "FRepSql must be a text"},
      {"[[Other]]\nftrantypeid = 1\n", "'Other' is not [[T_RepNotePrintSql]]"},
      {"T_RepNotePrintSql = 1\n", "must be written as [[T_RepNotePrintSql]]"},
      {"[[T_RepNotePrintSql]]\nftrantypeid = \n", "(line 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.toml);
    const auto error =
        tavtest::ErrorOf([&] { tavglobal::ParseReportNoteSql(c.toml, "rows.toml"); });
    const std::string description = oleaut::ToUtf8(error.Description());
    EXPECT_EQ(description.rfind("rows.toml: ", 0), 0U) << description;
    EXPECT_NE(description.find(c.says), std::string::npos) << description;
  }
}

// What the component reads of the file (its statements, the Null mask, the Yes/No flag) is the
// industry tests' and tavprint report-db's, through the same provider.
TEST(ReportDatabase, IsAJetFileOfMemoAndTextColumns) {
  tavtest::TempDir dir;
  const auto path = dir / "TAVCom" / "Orvanta.mdb";
  tavglobal::CreateReportDatabase(path, tavglobal::ParseReportNoteSql(kRows, "rows.toml"));
  EXPECT_EQ(tavglobal::JetConnectionString(path), u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                                                      oleaut::FromUtf8(path.string()) +
                                                      u";Persist Security Info=False");
  const std::string schema = RunTool("mdb-schema " + Quoted(path) + " access").out;
  EXPECT_NE(schema.find("[FRepSql]\t\t\tMemo/Hyperlink"), std::string::npos) << schema;
  EXPECT_NE(schema.find("[FMaskFld]\t\t\tText (255)"), std::string::npos) << schema;
}

}  // namespace
}  // namespace ado::testing
