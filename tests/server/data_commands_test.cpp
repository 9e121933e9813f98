// The data commands of tavprint: the demo tour, ad-hoc SQL shown as tables or JSON, and creating
// a deployment database.
#include "data_commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "commands.h"
#include "platform/oleaut/com_error.h"
#include "recordset_printer.h"
#include "temp_dir.h"

namespace tavprint {
namespace {

class DataCommandsTest : public ::testing::Test {
 protected:
  tavtest::TempDir dir_;
  tavtest::ScopedEnv registry_{"TAV_REGISTRY_FILE", (dir_ / "registry.json").string()};
  tavtest::ScopedEnv data_{"TAV_DATA_DIR", (dir_ / "data").string()};
};

TEST(DisplayWidth, CountsWideCharactersTwice) {
  EXPECT_EQ(DisplayWidth("FName"), 5U);
  EXPECT_EQ(DisplayWidth("外购入库"), 8U);
  EXPECT_EQ(DisplayWidth("A单"), 3U);
}

TEST_F(DataCommandsTest, DemoTourRecreatesTheSourceAndShowsItsTables) {
  std::ostringstream out;
  RunDemo("demo", {}, out);
  const std::string text = out.str();
  EXPECT_NE(text.find("16394   | Manager"), std::string::npos) << text;
  EXPECT_NE(text.find("0 (Integer)"), std::string::npos) << text;  // GetSysValue without a row
  EXPECT_TRUE(std::filesystem::exists(dir_ / "data" / "demo.db"));
}

TEST_F(DataCommandsTest, SqlAlignsChineseTextAndPrintsJsonWithTypes) {
  std::ostringstream table;
  RunSql("demo", "SELECT FID, FName FROM ICTransactionType WHERE FID IN (1, 71) ORDER BY FID", {},
         table);
  EXPECT_EQ(table.str(),
            "FID | FName\n"
            "----+---------\n"
            "1   | 外购入库\n"
            "71  | 采购订单\n"
            "(2 rows)\n");

  std::ostringstream json;
  RunSql("demo", "SELECT FUserID, FForbidden FROM t_User WHERE FUserID = 16394", {.json = true},
         json);
  const Json parsed = Json::parse(json.str());
  EXPECT_EQ(parsed["fields"][0]["type"], 3);   // adInteger
  EXPECT_EQ(parsed["fields"][1]["type"], 11);  // adBoolean
  EXPECT_EQ(parsed["rows"][0][1], false);
}

TEST_F(DataCommandsTest, CreateDbMakesAnEmptySchemaAndRefusesAnExistingFile) {
  const auto path = dir_ / "finance.db";
  std::ostringstream out;
  RunCreateDatabase(path, /*with_demo_data=*/false, out);
  std::ostringstream count;
  RunSql("Provider=SQLite;Data Source=" + path.string(), "SELECT count(*) AS FUsers FROM t_User",
         {}, count);
  EXPECT_NE(count.str().find("0\n"), std::string::npos) << count.str();
  EXPECT_THROW(RunCreateDatabase(path, false, out), oleaut::ComError);
}

TEST_F(DataCommandsTest, CallWritesTheBodyItFindsToOutAndRefusesWhenThereIsNone) {
  std::ostringstream out;
  const auto body = dir_ / "body.bin";
  RunCall("clsPrintSetupQuery.GetNotePrintData", {"\"demo\"", "1"}, out, body);
  const Json json = Json::parse(out.str());
  const auto bytes = json.begin().value()[1]["bytes"].get<std::uintmax_t>();
  EXPECT_GT(bytes, 0U);
  EXPECT_EQ(std::filesystem::file_size(body), bytes);
  EXPECT_THROW(RunCall("clsGetData.TransMode", {}, out, dir_ / "none.bin"), oleaut::ComError);
}

}  // namespace
}  // namespace tavprint
