// tavprint's bill and picture commands on this test's database.
#include "bill_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "bill_count.h"
#include "bill_fill.h"
#include "bill_fixture.h"
#include "com_error_of.h"
#include "json_values.h"
#include "picture_commands.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace billdata_test {
namespace {

using tavtest::ErrorOf;
using testing::HasSubstr;
using testing::Not;

class CommandsTest : public BillDataTest {
 protected:
  std::string dsn_ = oleaut::ToUtf8(Dsn("EN"));
  tavprint::OutputOptions table_;
  tavprint::OutputOptions json_{true};
};

TEST_F(CommandsTest, BillInfoShowsTheBillTypeItsFieldsAndItsPackage) {
  std::ostringstream out;
  tavprint::RunBillInfo(dsn_, 1, table_, out);
  for (const char* part :
       {"FTemplateID    | A01", "FSupplyID      | Supplier", "2 ctlLookUp",
        "FSupplyAddress | Supplier Address | 0 ctlText", "| FEntryID ",
        "Page0 12 head controls, PageH 1 kept with the bill, Page1 13 entry columns, PageE 2"}) {
    EXPECT_THAT(out.str(), HasSubstr(part));
  }
  std::ostringstream json;
  tavprint::RunBillInfo(dsn_, 71, json_, json);
  EXPECT_THAT(json.str(), HasSubstr("\"FName\": \"Purchase Order\""));
  std::ostringstream ignored;
  EXPECT_EQ(ErrorOf([&] { tavprint::RunBillInfo(dsn_, 999, table_, ignored); }).VbNumber(),
            oleaut::kObjectVariableNotSet);
}

TEST_F(CommandsTest, BillCountRaisesTheBillTypesRowsAndShowsTheCountsBeforeAndAfter) {
  // Only the bill type's rows are counted (a row of another type is tested with print_count.h).
  std::ostringstream out;
  tavprint::RunBillCount(dsn_, 1, {1001, 1003, 1001}, /*raise=*/true, {}, table_, out);
  EXPECT_EQ(out.str(),
            "Counted one print of each bill of bill type 1 (外购入库) in ICPrintCount\n"
            "FInterID | before | after\n"
            "---------+--------+------\n"
            "1001     | 3      | 4\n"
            "1003     | never  | 1\n"
            "(2 rows)\n");
  std::ostringstream shown;
  tavprint::RunBillCount(dsn_, 1, {1003, 1002}, /*raise=*/false, {}, json_, shown);
  EXPECT_EQ(tavprint::Json::parse(shown.str()).dump(),
            R"({"bill_type":1,"counter":"ICPrintCount","bills":[)"
            R"({"inter_id":1003,"count":1,"printout":"已打印1次"},)"
            R"({"inter_id":1002,"count":1,"printout":"已打印1次"}]})");

  // Another counter: the one raised is the one shown.
  std::ostringstream head;
  tavprint::RunBillCount(dsn_, 1, {1002}, /*raise=*/true,
                         {"ICStockBill", "FPrintCount", "FInterID"}, table_, head);
  EXPECT_THAT(head.str(), HasSubstr("in ICStockBill.FPrintCount by FInterID"));
  EXPECT_THAT(head.str(), HasSubstr("1002     | 0      | 1\n"));
  std::ostringstream order;
  tavprint::RunBillCount(dsn_, 71, {3001}, /*raise=*/true, {"POOrder", "FPrintCount", "FInterID"},
                         json_, order);
  EXPECT_EQ(tavprint::Json::parse(order.str())["bills"].dump(),
            R"([{"inter_id":3001,"before":0,"after":1}])");
  EXPECT_EQ(Column(u"SELECT FPrintCount FROM ICPrintCount WHERE FID = 1 AND FInterID = 1002"),
            std::vector<Variant>{1});
}

// An id that is no bill of the type is named, with its real type when it has one, and nothing
// is counted or filled.
TEST_F(CommandsTest, BillsThatDoNotExistOrAreOfAnotherTypeAreRefusedByName) {
  const std::vector<Variant> before = Column(u"SELECT FPrintCount FROM ICPrintCount ORDER BY FID");
  struct Case {
    std::int32_t type;
    std::vector<std::int32_t> ids;
    tavprint::PrintCounter counter;
    std::string error;
  };
  const Case cases[] = {
      {999, {1001}, {}, "Bill type 999 does not exist"},
      {1, {424242}, {}, "Bill 424242 of bill type 1 (外购入库) does not exist"},
      {1, {1001, 424242}, {}, "Bill 424242 of bill type 1 (外购入库) does not exist"},
      {21, {1001}, {}, "Bill 1001 is a bill of bill type 1 (外购入库), not of bill type 21"},
      {21, {1001}, {"ICStockBill"}, "Bill 1001 is a bill of bill type 1 (外购入库), not of bill"},
      {1, {1001}, {"ICPrintCount"}, "ICPrintCount is the counter without --table"},
      {1, {1001}, {"ICStockBill; DROP TABLE t_User"}, "is no table or column name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    for (const bool raise : {true, false}) {
      std::ostringstream out;
      const oleaut::ComError error = ErrorOf(
          [&] { tavprint::RunBillCount(dsn_, c.type, c.ids, raise, c.counter, table_, out); });
      EXPECT_THAT(oleaut::ToUtf8(error.Description()), HasSubstr(c.error));
      EXPECT_EQ(out.str(), "");
    }
    if (!c.counter.table.empty()) continue;
    tavprint::BillFillRequest request;
    request.bill_type = c.type;
    request.bill_ids = c.ids;
    std::ostringstream out;
    const oleaut::ComError error =
        ErrorOf([&] { tavprint::RunBillFill(dsn_, request, table_, out); });
    EXPECT_THAT(oleaut::ToUtf8(error.Description()), HasSubstr(c.error));
  }
  EXPECT_EQ(Column(u"SELECT FPrintCount FROM ICPrintCount ORDER BY FID"), before);
  EXPECT_EQ(Column(u"SELECT sum(FPrintCount) FROM ICStockBill"), std::vector<Variant>{0});
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
  EXPECT_THAT(text, HasSubstr("(2 rows)"));   // one head a bill
  EXPECT_THAT(text, HasSubstr("(6 rows)"));   // each line once
  EXPECT_THAT(text, Not(HasSubstr("FQty")));  // only the columns asked for

  // JSON with every column, and CSV files of both tables.
  request.columns.clear();
  tavtest::TempDir csv_dir;
  request.csv = csv_dir / "bills.csv";
  std::ostringstream json;
  tavprint::RunBillFill(dsn_, request, json_, json);
  EXPECT_THAT(json.str(), HasSubstr("\"bills\": [\n    1002,\n    1001,\n    1002\n  ]"));
  EXPECT_THAT(json.str(), HasSubstr("\"result\": 1"));
  std::ifstream entry(csv_dir / "bills.csv");
  std::string header;
  std::string first;
  std::getline(entry, header);
  std::getline(entry, first);
  EXPECT_EQ(header.rfind("FID,FInterID,FItemID,", 0), 0U) << header;
  EXPECT_EQ(first.rfind("1,1002,3,", 0), 0U) << first;
  EXPECT_THAT(first, HasSubstr("\"Type-C to Type-C, 60W\""));
  EXPECT_TRUE(std::filesystem::exists(csv_dir / "bills-head.csv"));
}

TEST_F(CommandsTest, BillFillColumnsAreCheckedListedAndKeptByEveryOutput) {
  tavprint::BillFillRequest request;
  request.bill_type = 1;
  request.bill_ids = {1001};
  request.columns = {"FBillNo", "FQtyy"};
  std::ostringstream out;
  EXPECT_THAT(oleaut::ToUtf8(ErrorOf([&] {
                               tavprint::RunBillFill(dsn_, request, table_, out);
                             }).Description()),
              HasSubstr("neither the head rows nor the entry rows have a column named 'FQtyy'; did "
                        "you mean FQty?"));

  // CSV and JSON keep the columns asked for, in that order.
  tavtest::TempDir csv_dir;
  request.columns = {"fqty", "FBillNo", "FInterID"};
  request.csv = csv_dir / "lines.csv";
  std::ostringstream json;
  tavprint::RunBillFill(dsn_, request, json_, json);
  const tavprint::Json parsed = tavprint::Json::parse(json.str());
  EXPECT_EQ(parsed["entry"]["fields"].dump(),
            R"([{"name":"FQty","type":131,"type_name":"adNumeric"},)"
            R"({"name":"FInterID","type":3,"type_name":"adInteger"}])");
  EXPECT_EQ(parsed["head"]["fields"][0]["name"], "FBillNo");
  EXPECT_EQ(parsed["head"]["fields"].size(), 2U);
  std::ifstream entry(csv_dir / "lines.csv");
  std::string header;
  std::getline(entry, header);
  EXPECT_EQ(header, "FQty,FInterID\r");
  std::ifstream head(csv_dir / "lines-head.csv");
  std::getline(head, header);
  EXPECT_EQ(header, "FBillNo,FInterID\r");

  request.columns.clear();
  request.csv.reset();
  request.list_columns = true;
  std::ostringstream columns;
  tavprint::RunBillFill(dsn_, request, table_, columns);
  for (const char* part : {"Columns of the head rows", "FBillNo", "200 adVarChar",
                           "Columns of the entry rows", "FQty", "131 adNumeric"}) {
    EXPECT_THAT(columns.str(), HasSubstr(part));
  }
}

TEST_F(CommandsTest, PictureWritesTheStoredBytesToAFile) {
  tavtest::TempDir out_dir;
  const std::filesystem::path file = out_dir / "photo.png";
  std::ostringstream out;
  tavprint::RunPicture(dsn_, {"t_ICItem", "FSmallPhoto", "FNumber", "'01.001'"}, file, table_, out);
  EXPECT_EQ(std::filesystem::file_size(file), 250U);
  EXPECT_THAT(out.str(), HasSubstr("Wrote 250 bytes"));
  // The demo's photo is a real image: a PNG whose header says 16 by 16 pixels.
  std::ifstream photo(file, std::ios::binary);
  std::string header(24, '\0');
  photo.read(header.data(), 24);
  EXPECT_EQ(header.substr(0, 16), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
  EXPECT_EQ(header.substr(16, 8), std::string("\0\0\0\x10\0\0\0\x10", 8));

  std::ostringstream json;
  tavprint::RunPicture(dsn_, {"t_ICItem", "FSmallPhoto", "FItemID", "1"}, file, json_, json);
  EXPECT_EQ(tavprint::Json::parse(json.str())["bytes"], 250);
  const oleaut::ComError none = ErrorOf([&] {
    tavprint::RunPicture(dsn_, {"t_ICItem", "FSmallPhoto", "FItemID", "2"}, file, table_, out);
  });
  EXPECT_THAT(oleaut::ToUtf8(none.Description()), HasSubstr("there is no picture"));
}

}  // namespace
}  // namespace billdata_test
