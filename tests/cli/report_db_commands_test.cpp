// tavprint report-db: making a local report database from TOML, showing its rows, and reading
// it with tavprint sql through the component and the data-access context.
#include "report_db_commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <sstream>

#include "data_commands.h"
#include "json_values.h"
#include "platform/oleaut/com_error.h"
#include "platform/tavglobal/report_database.h"
#include "temp_dir.h"

namespace tavprint {
namespace {

class ReportDbCommandsTest : public ::testing::Test {
 protected:
  ReportDbCommandsTest() {
    std::ofstream(rows_) << "[[T_RepNotePrintSql]]\nftrantypeid = 21\nFMaskFld = \"FNote\"\n"
                            "FRepSql = \"\"\"\nSELECT ?SelFields\nFROM #tmpBillPrint a\"\"\"\n\n"
                            "[[T_RepNotePrintSql]]\nftrantypeid = 1\nFNeedLog = true\n";
  }
  tavtest::TempDir dir_;
  tavtest::ScopedEnv registry_{"TAV_REGISTRY_FILE", (dir_ / "registry.json").string()};
  tavtest::ScopedEnv data_{"TAV_DATA_DIR", (dir_ / "data").string()};
  std::filesystem::path rows_ = dir_ / "rows.toml";
  std::filesystem::path database_ = dir_ / "Orvanta.mdb";
};

TEST_F(ReportDbCommandsTest, CreateThenShowTheRows) {
  std::ostringstream created;
  RunReportDbCreate(database_, rows_, /*replace=*/false, created);
  EXPECT_NE(created.str().find("with 2 rows in T_RepNotePrintSql"), std::string::npos);
  EXPECT_THROW(RunReportDbCreate(database_, rows_, false, created), oleaut::ComError);
  RunReportDbCreate(database_, rows_, /*replace=*/true, created);

  std::ostringstream shown;
  RunReportDbShow(database_, {}, shown);
  EXPECT_EQ(shown.str(),
            "ftrantypeid 1  FNeedLog Yes  FMaskFld NULL\nFRepSql:\nNULL\n\n"
            "ftrantypeid 21  FNeedLog No  FMaskFld FNote\nFRepSql:\n"
            "SELECT ?SelFields\nFROM #tmpBillPrint a\n\n");
  std::ostringstream json;
  RunReportDbShow(database_, {.json = true}, json);
  const Json parsed = Json::parse(json.str());
  EXPECT_EQ(parsed["fields"][1]["type"], 11);  // adBoolean
  EXPECT_EQ(parsed["rows"][0][1], true);
}

TEST_F(ReportDbCommandsTest, SqlReadsTheJetFileThroughTheComponent) {
  std::ostringstream ignored;
  RunReportDbCreate(database_, rows_, false, ignored);
  std::ostringstream table;
  RunSql(oleaut::ToUtf8(tavglobal::JetConnectionString(database_)),
         "select ftrantypeid, FMaskFld from T_RepNotePrintSql where ftrantypeid = 21", {}, table,
         std::cerr);
  EXPECT_EQ(table.str(),
            "ftrantypeid | FMaskFld\n"
            "------------+---------\n"
            "21          | FNote\n"
            "(1 row)\n");
  EXPECT_THROW(RunSql(oleaut::ToUtf8(tavglobal::JetConnectionString(database_)),
                      "delete from T_RepNotePrintSql", {}, table, std::cerr),
               oleaut::ComError);
}

}  // namespace
}  // namespace tavprint
