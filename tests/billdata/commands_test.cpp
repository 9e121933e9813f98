// tavprint's bill and picture commands on this test's database, and the program's options
// written after a subcommand.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "bill_commands.h"
#include "bill_fill.h"
#include "bill_fixture.h"
#include "com_error_of.h"
#include "picture_commands.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "run_command.h"

namespace billdata_test {
namespace {

using tavtest::ErrorOf;

class CommandsTest : public BillDataTest {
 protected:
  std::string dsn_ = oleaut::ToUtf8(Dsn("EN"));
  tavprint::OutputOptions table_;
  tavprint::OutputOptions json_{true};
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(CommandsTest, BillInfoShowsTheBillTypeItsFieldsAndItsPackage) {
  std::ostringstream out;
  tavprint::RunBillInfo(dsn_, 1, table_, out);
  for (const char* part :
       {"FTemplateID    | A01", "FSupplyID      | Supplier", "2 ctlLookUp",
        "FSupplyAddress | Supplier Address | 0 ctlText", "| FEntryID ",
        "Page0 12 head controls, PageH 1 kept with the bill, Page1 13 entry columns, PageE 2"}) {
    EXPECT_TRUE(Contains(out.str(), part)) << part << "\n" << out.str();
  }
  std::ostringstream json;
  tavprint::RunBillInfo(dsn_, 71, json_, json);
  EXPECT_TRUE(Contains(json.str(), "\"FName\": \"Purchase Order\"")) << json.str();
  EXPECT_EQ(ErrorOf([&] {
              std::ostringstream ignored;
              tavprint::RunBillInfo(dsn_, 999, table_, ignored);
            }).VbNumber(),
            oleaut::kObjectVariableNotSet);
}

TEST_F(CommandsTest, BillCountShowsTheTextAndRaisesTheNamedCounter) {
  std::ostringstream out;
  tavprint::RunBillCount(dsn_, 1, {"1001", "1003"}, /*raise=*/true, {}, table_, out);
  EXPECT_EQ(out.str(), "Bill 1001: 已打印4次\nBill 1003: 已打印0次\n");

  std::ostringstream json;
  tavprint::RunBillCount(dsn_, 71, {"3001"}, /*raise=*/true, {"POOrder", "FPrintCount", "FInterID"},
                         json_, json);
  EXPECT_EQ(json.str(), "{\n  \"3001\": \"\"\n}\n");
  EXPECT_EQ(Column(u"SELECT FPrintCount FROM POOrder WHERE FInterID=3001"),
            std::vector<Variant>{1});
}

TEST_F(CommandsTest, BillFillShowsHeadsAndLinesInTheOrderOfSelection) {
  tavprint::BillFillRequest request;
  request.bill_type = 1;
  request.bill_ids = {1002, 1001, 1002};
  request.columns = {"fid", "FInterID", "FItemIDName", "FBillNo"};
  std::ostringstream out;
  tavprint::RunBillFill(dsn_, request, table_, out);
  const std::string text = out.str();
  // Heads by selection; lines by FID (1002 is the first bill selected, its duplicate dropped).
  const auto head_1002 = text.find("1002     | WIN000002");
  EXPECT_LT(head_1002, text.find("1001     | WIN000001")) << text;
  EXPECT_LT(text.find("1   | 1002     | USB-C Cable 1m"), text.find("2   | 1001     | ")) << text;
  EXPECT_NE(text.find("(2 rows)"), std::string::npos);  // one head a bill
  EXPECT_NE(text.find("(6 rows)"), std::string::npos);  // each line once
  EXPECT_EQ(text.find("FQty"), std::string::npos);      // only the columns asked for

  // JSON with every column, and CSV files of both tables.
  request.columns.clear();
  tavtest::TempDir csv_dir;
  request.csv = csv_dir / "bills.csv";
  std::ostringstream json;
  tavprint::RunBillFill(dsn_, request, json_, json);
  EXPECT_NE(json.str().find("\"bills\": [\n    1002,\n    1001,\n    1002\n  ]"), std::string::npos)
      << json.str();
  EXPECT_NE(json.str().find("\"result\": 1"), std::string::npos);
  std::ifstream entry(csv_dir / "bills.csv");
  std::string header;
  std::string first;
  std::getline(entry, header);
  std::getline(entry, first);
  EXPECT_EQ(header.rfind("FID,FInterID,FItemID,", 0), 0U) << header;
  EXPECT_EQ(first.rfind("1,1002,3,", 0), 0U) << first;
  EXPECT_NE(first.find("\"Type-C to Type-C, 60W\""), std::string::npos) << first;
  EXPECT_TRUE(std::filesystem::exists(csv_dir / "bills-head.csv"));

  request.bill_type = 999;
  EXPECT_NE(ErrorOf([&] { tavprint::RunBillFill(dsn_, request, table_, out); })
                .Description()
                .find(u"bill type 999 has no row"),
            std::u16string::npos);
}

TEST_F(CommandsTest, PictureWritesTheStoredBytesToAFile) {
  tavtest::TempDir out_dir;
  const std::filesystem::path file = out_dir / "photo.png";
  std::ostringstream out;
  tavprint::RunPicture(dsn_, {"t_ICItem", "FSmallPhoto", "FNumber", "'01.001'"}, file, out);
  EXPECT_EQ(std::filesystem::file_size(file), 250U);
  EXPECT_TRUE(Contains(out.str(), "Wrote 250 bytes")) << out.str();
  const oleaut::ComError none = ErrorOf([&] {
    tavprint::RunPicture(dsn_, {"t_ICItem", "FSmallPhoto", "FItemID", "2"}, file, out);
  });
  EXPECT_TRUE(Contains(oleaut::ToUtf8(none.Description()), "there is no picture"));
}

TEST_F(CommandsTest, ProgramOptionsMayFollowTheSubcommand) {
  const std::string command = "'" + std::string(TAV_TAVPRINT) + "' sql " + dsn_ +
                              " \"SELECT FID FROM ICTransactionType WHERE FID = 71\" --json";
  const tavtest::CommandRun run = tavtest::RunCommand(command);
  EXPECT_TRUE(WIFEXITED(run.wait_status) && WEXITSTATUS(run.wait_status) == 0);
  EXPECT_TRUE(Contains(run.out, "\"rows\": [\n    [\n      71")) << run.out;
}

}  // namespace
}  // namespace billdata_test
