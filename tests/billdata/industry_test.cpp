// The industry edition's entry rows: the report statement of the local report database, with the
// columns its mask leaves, the summed amount columns and the size matrix, and the plain read
// whenever the report database, its row, the profile or the sizes say no.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "bill_fixture.h"
#include "com_error_of.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/report_database.h"
#include "platform/tavglobal/schema/schema_scripts.h"
#include "platform/win/event_log.h"

namespace billdata_test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

class IndustryTest : public BillDataTest {
 protected:
  IndustryTest() : system_dir_("TAV_SYSTEM_DIR", (system_.Path()).string()) {
    Exec(
        u"UPDATE t_SystemProfile SET FValue = '1' WHERE FCategory = 'IC' AND FKey = "
        u"'IndustryVersion'");
    Exec(
        u"INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('IC', "
        u"'NotePrintSingle:A01', '0')");
  }

  // The demo's report database, or the given rows, where the component looks for it.
  void PlaceReportDatabase(std::vector<tavglobal::ReportNoteSql> rows = {}) {
    if (rows.empty()) rows = tavglobal::ParseReportNoteSql(tavglobal::ReportNotesScript(), "demo");
    tavglobal::CreateReportDatabase(system_ / "TAVCom" / "Orvanta.mdb", rows,
                                    ado::jet::ExistingFile::kReplace);
  }

  // The statement the bar codes were added to, from the trace.
  static std::u16string BaseStatement(const ado::ScopedSqlTrace& trace) {
    for (const std::u16string& batch : trace.Batches()) {
      if (batch.rfind(u"select a.*,b.FBarCode from (\r\n", 0) == 0) {
        return batch.substr(30, batch.find(u"\r\n) a \r\n") - 30);
      }
    }
    return {};
  }

  tavtest::TempDir system_;
  tavtest::ScopedEnv system_dir_;
};

TEST_F(IndustryTest, TheReportStatementPrintsASizeMatrix) {
  PlaceReportDatabase();
  ado::ScopedSqlTrace trace;
  const auto fill = Entry(Condition(1, {1002, 1001}), Package(1));
  ASSERT_EQ(fill.result, 1);
  const std::u16string base = BaseStatement(trace);
  const std::string text = oleaut::ToUtf8(base);
  // The listed columns replace ?SelFields; the mask left out the line's own columns.
  EXPECT_THAT(text, HasSubstr("SELECT a.FID,a.FInterID,a.FItemID,a.FQtyDecimal,a.FPriceDecimal,"
                              "a.FUnitGroupID,a.FItemIDNumber,a.FItemIDName,a.FItemModel,a.FUnitID,"
                              "a.FUnitIDNumber,a.FUnitIDName,a.FDCStockID,a.FDCStockIDNumber,"
                              "a.FDCStockIDName, MIN(a.FEntryID)"));
  EXPECT_THAT(text, HasSubstr("GROUP BY a.FID,a.FInterID,a.FItemID,"));
  // A self-defined column whose caption says amount is summed.
  EXPECT_THAT(text, HasSubstr(" AS fnullqty  ,sum(a.FEntrySelfA0101) as FEntrySelfA0101 \n"));
  for (const char* size : {"S", "M", "L"}) {
    EXPECT_THAT(text, HasSubstr(std::string(" SUM(CASE b.FAuxFld2Number WHEN '") + size +
                                "' THEN a.fauxqty ELSE 0 END) AS F" + size + " , "));
    EXPECT_THAT(text, HasSubstr(std::string("P1.F") + size + " +"));
  }
  EXPECT_THAT(text, HasSubstr("P1.fnullqty  AS FSizeQty"));

  const auto rows = fill.Rows();
  EXPECT_THAT(
      TextRows(*rows, {u"FID", u"FInterID", u"FItemIDName", u"FS", u"FM", u"FL", u"FSizeQty",
                       u"FQty", u"FEntrySelfA0101", u"FBarCode"}),
      ElementsAre(
          TextRow{"2", "1001", "纯棉T恤", "120", "150", "80", "350", "350", "105", "6901234567892"},
          TextRow{"2", "1001", "牛仔裤", "0", "0", "60", "60", "60", "0", "6901234567908"},
          TextRow{"1", "1002", "USB-C Cable 1m", "0", "0", "0", "0", "500", "0", "6923456789012"},
          TextRow{"1", "1002", "无线鼠标", "0", "0", "0", "0", "48", "0", "6934567890139"}));
}

TEST_F(IndustryTest, ASizeCodeThatIsNoPlainNameMakesABracketedColumn) {
  PlaceReportDatabase();
  const std::u16string code = u"L]; DELETE FROM t_SubMessage --";
  Exec(u"UPDATE t_auxitem SET FAuxFld2Number = '" + code + u"' WHERE FItemID = 3");
  const auto messages = Column(u"SELECT count(*) FROM t_SubMessage");
  ado::ScopedSqlTrace trace;
  const auto fill = Entry(Condition(1, {1001}), Package(1));
  ASSERT_EQ(fill.result, 1);
  EXPECT_THAT(oleaut::ToUtf8(BaseStatement(trace)),
              HasSubstr("THEN a.fauxqty ELSE 0 END) AS [FL]]; DELETE FROM t_SubMessage --] , "));
  EXPECT_THAT(TextRows(*fill.Rows(), {u"FItemIDName", u"F" + code, u"FSizeQty"}),
              ElementsAre(TextRow{"纯棉T恤", "80", "350"}, TextRow{"牛仔裤", "60", "60"}));
  EXPECT_EQ(Column(u"SELECT count(*) FROM t_SubMessage"), messages);
}

TEST_F(IndustryTest, ThePlainReadServesWheneverTheReportCannot) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::int32_t type;
    std::vector<std::int32_t> bills;
    std::size_t events;
  };
  const Case cases[] = {
      {"no report database", [] {}, 1, {1001}, 1},
      {"no statement for the bill type", [this] { PlaceReportDatabase(); }, 21, {2001}, 0},
      {"profile prints bills one by one",
       [this] {
         PlaceReportDatabase();
         Exec(u"UPDATE t_SystemProfile SET FValue = '1' WHERE FKey = 'NotePrintSingle:A01'");
       },
       1,
       {1001},
       0},
      {"no lines, so no sizes",
       [this] {
         PlaceReportDatabase();
         Exec(u"DELETE FROM ICStockBillEntry WHERE FInterID = 1003");
       },
       1,
       {1003},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.arrange();
    win::ScopedEventCapture events;
    ado::ScopedSqlTrace trace;
    const auto fill = Entry(Condition(c.type, c.bills), Package(c.type));
    EXPECT_EQ(fill.result, 1);
    EXPECT_EQ(BaseStatement(trace), u"SELECT * FROM #tmpBillPrint ");
    EXPECT_EQ(events.Events().size(), c.events);
    for (const auto& event : events.Events())
      EXPECT_EQ(event.type, win::EventType::Error);
  }
}

TEST_F(IndustryTest, AMaskThatHidesEveryColumnFailsClearly) {
  tavglobal::ReportNoteSql row;
  row.ftrantypeid = 87;
  row.FRepSql = u"SELECT ?SelFields FROM #tmpBillPrint a";
  row.FMaskFld =
      u"FID, FInterID ,FItemID,FQtyDecimal,FPriceDecimal,FUnitGroupID,FItemIDNumber,"
      u"FItemIDName,FQty,FConsignPrice,FAmount,FEntryID";
  PlaceReportDatabase({row});
  Exec(
      u"INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('IC', "
      u"'NotePrintSingle:W01', '0')");
  const auto error = tavtest::ErrorOf([&] { Entry(Condition(87, {8701}), Package(87)); });
  EXPECT_THAT(oleaut::ToUtf8(error.Description()), HasSubstr("leaves out every column"));
  EXPECT_EQ(error.Source().rfind(u"TAVMAppConnection.clsGetData:GetEntryFillData:", 0), 0U);
}

}  // namespace
}  // namespace billdata_test
