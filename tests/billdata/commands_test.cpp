// tavprint's bill and picture commands on this test's database, and the program's options
// written after a subcommand.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "bill_commands.h"
#include "bill_fixture.h"
#include "com_error_of.h"
#include "picture_commands.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

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
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[1024];
  while (const std::size_t got = fread(buffer, 1, sizeof buffer, pipe))
    out.append(buffer, got);
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(Contains(out, "\"rows\": [\n    [\n      71")) << out;
}

}  // namespace
}  // namespace billdata_test
