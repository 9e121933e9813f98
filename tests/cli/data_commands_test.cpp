// The data commands of tavprint: the demo tour, ad-hoc SQL shown as tables or JSON, and creating
// a deployment database.
#include "data_commands.h"

#include <gtest/gtest.h>

#include <iostream>
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
  tavtest::ScopedEnv system_{"TAV_SYSTEM_DIR", (dir_ / "system").string()};
};

TEST_F(DataCommandsTest, DemoTourRecreatesTheSourceAndShowsItsTables) {
  std::ostringstream out;
  RunDemo("demo", {}, out);
  const std::string text = out.str();
  EXPECT_NE(text.find("16394   | Manager"), std::string::npos) << text;
  EXPECT_NE(text.find("0 (Integer)"), std::string::npos) << text;  // GetSysValue without a row
  EXPECT_TRUE(std::filesystem::exists(dir_ / "data" / "demo.db"));

  // As JSON, the tour is one document.
  std::ostringstream json;
  RunDemo("demo", {.json = true}, json);
  const Json tour = Json::parse(json.str());
  ASSERT_EQ(tour["steps"].size(), 7U);
  EXPECT_EQ(tour["steps"][0]["title"], "Users of the application");
  EXPECT_EQ(tour["steps"][4]["result"], 0);
  EXPECT_EQ(tour["steps"][6]["result"]["bills"], Json::parse("[1002, 1001]"));

  // The industry edition's tour shows the size matrix.
  std::ostringstream industry;
  RunDemo("demo", {}, industry, /*industry=*/true);
  EXPECT_NE(industry.str().find("| FS  | FM  | FL | FSizeQty |"), std::string::npos)
      << industry.str();
}

TEST_F(DataCommandsTest, SqlAlignsChineseTextAndPrintsJsonWithTypes) {
  std::ostringstream table;
  RunSql("demo", "SELECT FID, FName FROM ICTransactionType WHERE FID IN (1, 71) ORDER BY FID", {},
         table, std::cerr);
  EXPECT_EQ(table.str(),
            "FID | FName\n"
            "----+---------\n"
            "1   | 外购入库\n"
            "71  | 采购订单\n"
            "(2 rows)\n");

  std::ostringstream json;
  RunSql("demo", "SELECT FUserID, FForbidden FROM t_User WHERE FUserID = 16394", {.json = true},
         json, std::cerr);
  const Json parsed = Json::parse(json.str());
  EXPECT_EQ(parsed["fields"].dump(), R"([{"name":"FUserID","type":3,"type_name":"adInteger"},)"
                                     R"({"name":"FForbidden","type":11,"type_name":"adBoolean"}])");
  EXPECT_EQ(parsed["rows"][0][1], false);
}

TEST_F(DataCommandsTest, SqlWritesTheBatchsMessagesApartFromItsRows) {
  std::ostringstream table;
  std::ostringstream messages;
  RunSql("demo",
         "if exists (select 1 from ICTransactionType) print 'yes'\n"
         "raiserror(N'%s rows: %d', 10, 1, N'type', 2)\n"
         "select 1 AS FOne",
         {}, table, messages);
  EXPECT_EQ(messages.str(), "yes\ntype rows: 2\n");
  EXPECT_EQ(table.str(), "FOne\n----\n1\n(1 row)\n");

  // A batch that fails still hands over the messages before its error.
  std::ostringstream failed;
  EXPECT_THROW(RunSql("demo", "print 'before'; throw 50001, 'stop', 1;", {}, table, failed),
               oleaut::ComError);
  EXPECT_EQ(failed.str(), "before\n");
}

TEST_F(DataCommandsTest, SqlThatChangesRowsSaysHowMany) {
  struct Case {
    std::string statement;
    std::string shown;
  };
  const Case cases[] = {
      {"UPDATE t_ICItem SET FSalePrice = FSalePrice + 1 WHERE FItemID IN (1, 2)",
       "(2 rows changed)\n"},
      {"  -- a comment first\n delete FROM t_ICItem WHERE FItemID = 999", "(0 rows changed)\n"},
      {"INSERT INTO t_Department (FItemID, FNumber, FName) VALUES (99, '99', N'试') -- last",
       "(1 row changed)\n"},
      {"SELECT FItemID FROM t_ICItem WHERE FItemID = 999", "FItemID\n-------\n(0 rows)\n"},
      {"CREATE TABLE t_Note (FID int)", "(no rows returned)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    std::ostringstream out;
    RunSql("demo", c.statement, {}, out, std::cerr);
    EXPECT_EQ(out.str(), c.shown);
  }
  std::ostringstream json;
  RunSql("demo", "UPDATE t_ICItem SET FSalePrice = 1 WHERE FItemID = 1", {.json = true}, json,
         std::cerr);
  EXPECT_EQ(json.str(), "{\n  \"rows_changed\": 1\n}\n");
}

TEST_F(DataCommandsTest, CreateDbMakesAnEmptySchemaSaysWhatNextAndRefusesWhatIsThere) {
  const auto path = dir_ / "finance.db";
  std::ostringstream out;
  RunCreateDatabase(path, /*with_demo_data=*/false, /*make_folders=*/false, out);
  EXPECT_NE(out.str().find("Next: add it to the data-source catalog"), std::string::npos);
  EXPECT_NE(out.str().find("  [sources.finance]\n  connection = \"Provider=SQLite;Data Source=" +
                           path.string() + "\""),
            std::string::npos)
      << out.str();
  std::ostringstream count;
  RunSql("Provider=SQLite;Data Source=" + path.string(), "SELECT count(*) AS FUsers FROM t_User",
         {}, count, std::cerr);
  EXPECT_NE(count.str().find("0\n"), std::string::npos) << count.str();
  EXPECT_THROW(RunCreateDatabase(path, false, false, out), oleaut::ComError);

  // A missing folder is refused, unless asked for.
  const auto nested = dir_ / "srv" / "tav" / "finance.db";
  std::ostringstream refused;
  EXPECT_THROW(RunCreateDatabase(nested, false, false, refused), oleaut::ComError);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "srv"));
  std::ostringstream made;
  RunCreateDatabase(nested, false, /*make_folders=*/true, made);
  EXPECT_EQ(made.str().rfind("Created the folder " + (dir_ / "srv" / "tav").string() + "\n", 0), 0U)
      << made.str();
  EXPECT_TRUE(std::filesystem::is_regular_file(nested));
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
