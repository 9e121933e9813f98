// Which template printing uses (the fallback chains of bills and reports), the print settings
// blob, and the user's own rows with the bill-type settings and the switch.
#include <gtest/gtest.h>

#include "com_error_of.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "store_fixture.h"

namespace templates_test {
namespace {

using oleaut::FromUtf8;

constexpr std::int32_t kType = 21;

struct Seed {
  std::int16_t user;
  std::optional<std::u16string> sub;  // absent: Null
  bool with_body = true;
};

struct ChainCase {
  const char* label;
  std::vector<Seed> selected;  // selected assignment rows, in insertion order
  std::u16string requested_sub;
  int expected_seed;  // index into `selected`, -1 for none
  std::size_t steps_run;
};

class PrintLookupTest : public StoreTest {
 protected:
  // Seeds the rows; returns each seed's body id, blob "seed<i>".
  std::vector<std::int32_t> SeedSelected(const std::vector<Seed>& seeds) {
    std::vector<std::int32_t> ids;
    for (std::size_t i = 0; i < seeds.size(); ++i) {
      const std::string label = "seed" + std::to_string(i);
      std::int32_t id = 900 + static_cast<std::int32_t>(i);  // a body that does not exist
      if (seeds[i].with_body) id = AddBillBody(FromUtf8(label), kType, u"Manager", Bytes(label));
      AddBillRow(kType, id, seeds[i].user, FromUtf8(label), seeds[i].sub, 1);
      // An unselected row of the same user never wins.
      AddBillRow(kType, id, seeds[i].user, u"unselected", seeds[i].sub, 0);
      ids.push_back(id);
    }
    return ids;
  }
};

TEST_F(PrintLookupTest, BillFallbackChain) {
  const std::vector<ChainCase> cases = {
      {"user's own sub-type first", {{kAdmin, u"RED"}, {kZhang, u"RED"}}, u"RED", 1, 1},
      {"user's template without sub-type", {{kAdmin, u"RED"}, {kZhang, u""}}, u"RED", 1, 2},
      {"user's Null sub-type: no 'without'", {{kZhang, std::nullopt}, {kAdmin, u""}}, u"RED", 1, 4},
      {"administrator's sub-type", {{kAdmin, u""}, {kAdmin, u"RED"}}, u"RED", 1, 3},
      {"administrator's without sub-type", {{kAdmin, u"BLUE"}, {kAdmin, u""}}, u"RED", 1, 4},
      {"any user's sub-type last", {{kLi, u""}, {kLi, u"RED"}}, u"RED", 1, 5},
      {"row without a body is skipped", {{kZhang, u"RED", false}, {kAdmin, u"RED"}}, u"RED", 1, 3},
      {"nothing anywhere", {{kLi, u"BLUE"}}, u"RED", -1, 5},
      {"no sub-type: Null counts as none", {{kAdmin, u""}, {kZhang, std::nullopt}}, u"", 1, 1},
      {"no sub-type: administrator's of any", {{kZhang, u"RED"}, {kAdmin, u"RED"}}, u"", 1, 2},
      {"no sub-type: other users never", {{kLi, u""}}, u"", -1, 2},
  };
  for (const ChainCase& c : cases) {
    SCOPED_TRACE(c.label);
    Exec(u"DELETE FROM T_ExcelPrintExport");
    const std::vector<std::int32_t> ids = SeedSelected(c.selected);
    ado::ScopedSqlTrace trace;
    const auto result =
        AsDict(query_->Call(u"GetNotePrintData", Dsn(kZhang), kType, Bstr(c.requested_sub)));
    // The chain's steps, then the user's and the administrator's page rows (none seeded).
    EXPECT_EQ(trace.Batches().size(), c.steps_run + 2);
    if (c.expected_seed < 0) {
      EXPECT_EQ(result->Count(), 0);
      continue;
    }
    ASSERT_EQ(result->Count(), 1);
    EXPECT_EQ(result->KeyAt(0), u"21|" + oleaut::ToString(ids[c.expected_seed]));
    const auto entry = AsList(result->ItemAt(0));
    ASSERT_EQ(entry->UpperBound(), 2);
    EXPECT_EQ(entry->Item(1), Variant(Bstr()));
    EXPECT_EQ(entry->Item(2), Variant(Bytes("seed" + std::to_string(c.expected_seed))));
  }
}

TEST_F(PrintLookupTest, BillStatementTexts) {
  ado::ScopedSqlTrace trace;
  query_->Call(u"GetNotePrintData", Dsn(kZhang), kType, u" R'D\n");
  const Bstr b1 =
      u"Select c.FData as FBlob,i.* From T_ExcelPrintExport i inner Join T_ExcelPrintExportNote c"
      u"  On i.FbillId=c.FId ";
  const Bstr b2 = b1 + u" ";
  const std::vector<std::u16string> expected = {
      b1 + u" Where i.FBillType=21 And i.FBillTypeSub='R''D' and i.FSel=1 and FPreparerId=16395",
      b2 + u" Where i.FBillType=21 And i.FBillTypeSub='' and i.FSel=1 and FPreparerId=16395",
      b2 + u" Where i.FBillType=21 And i.FBillTypeSub='R''D' and i.FSel=1 and FPreparerId=16394",
      b2 + u" Where i.FBillType=21 And i.FBillTypeSub='' and i.FSel=1 and FPreparerId=16394",
      b2 + u" Where i.FBillType=21 And i.FBillTypeSub='R''D' and i.FSel=1",
      u"Select FData from T_ExcelPrintExport where fbilltype=21 and fbillid=0  and "
      u"FPreparerId=16395",
      u"Select FData from T_ExcelPrintExport where fbilltype=21 and fbillid=0  and "
      u"FPreparerId=16394",
  };
  EXPECT_EQ(trace.Batches(), expected);

  trace.Clear();
  query_->Call(u"GetNotePrintData", Dsn(kZhang), kType);  // FSubType left out
  ASSERT_EQ(trace.Batches().size(), 4U);
  EXPECT_EQ(trace.Batches()[0], b2 + u" Where i.FBillType=21 And isnull(i.FBillTypeSub, '') = '' "
                                     u" And i.FSel=1 and FPreparerId=16395");
  EXPECT_EQ(trace.Batches()[1], b2 + u" Where i.FBillType=21 And i.FSel=1 and FPreparerId=16394");
}

TEST_F(PrintLookupTest, PageTextComesFromUserThenAdministrator) {
  const std::int32_t body = AddBillBody(u"t", kType, u"Manager", Bytes("body"));
  AddBillRow(kType, body, kAdmin, u"t", u"", 1);
  AddBillRow(kType, 0, kAdmin, u"存放页面设置信息", std::nullopt, 0, u"admin page");
  auto page_of = [&](std::int16_t user) {
    const auto result = AsDict(query_->Call(u"GetNotePrintData", Dsn(user), kType, u""));
    return AsList(result->ItemAt(0))->Item(1);
  };
  EXPECT_EQ(page_of(kZhang), Variant(u"admin page"));
  AddBillRow(kType, 0, kZhang, u"存放页面设置信息", std::nullopt, 0, std::nullopt);
  EXPECT_EQ(page_of(kZhang), Variant(Bstr()));  // the user's row wins, its Null reads as empty
  Exec(u"UPDATE T_ExcelPrintExport SET FData = N'我的' WHERE FPreparerId = 16395");
  EXPECT_EQ(page_of(kZhang), Variant(u"我的"));
}

TEST_F(PrintLookupTest, ReportFallbackChainAndTexts) {
  const std::int32_t admin_body = AddReportBody(u"a", 1001, u"Manager", Bytes("admin"));
  const std::int32_t li_body = AddReportBody(u"l", 1001, u"李娜", Bytes("li"));
  AddReportRow(1001, li_body, kLi, u"l", 1);
  AddReportRow(1001, 0, kAdmin, u"存放页面设置信息", 0, u"landscape");

  ado::ScopedSqlTrace trace;
  auto result = AsDict(query_->Call(u"GetRptNotePrintData", Dsn(kZhang), 1001, u"x"));
  ASSERT_EQ(result->Count(), 1);  // anyone's selected template, since a sub-type was asked for
  EXPECT_EQ(result->KeyAt(0), u"1001|" + oleaut::ToString(li_body));
  EXPECT_EQ(AsList(result->ItemAt(0))->Item(1), Variant(u"landscape"));
  const Bstr r1 =
      u"Select c.FData as FBlob,i.* From T_RptExcelPrintExport i inner Join "
      u"T_RptExcelPrintExportNote c  On i.FNoteId=c.FId ";
  const std::vector<std::u16string> expected = {
      r1 + u" Where i.FRptId=1001 And i.FSel=1 and FPreparerId=16395",
      r1 + u"  Where i.FRptId=1001 And i.FSel=1 and FPreparerId=16394",
      r1 + u"  Where i.FRptId=1001 And i.FSel=1",
      u"Select FData from T_RptExcelPrintExport where FRptId=1001 and FNoteId=0  and "
      u"FPreparerId=16395",
      u"Select FData from T_RptExcelPrintExport where FRptId=1001 and FNoteId=0  and "
      u"FPreparerId=16394",
  };
  EXPECT_EQ(trace.Batches(), expected);

  EXPECT_EQ(AsDict(query_->Call(u"GetRptNotePrintData", Dsn(kZhang), 1001, u""))->Count(), 0);
  AddReportRow(1001, admin_body, kAdmin, u"a", 1);
  result = AsDict(query_->Call(u"GetRptNotePrintData", Dsn(kZhang), 1001, u""));
  EXPECT_EQ(AsList(result->ItemAt(0))->Item(2), Variant(Bytes("admin")));
}

TEST_F(PrintLookupTest, PageAndPrintSet) {
  EXPECT_EQ(AsDict(query_->Call(u"GetPageAndPrintSet", Dsn(kZhang), kType))->Count(), 0);
  Exec(
      u"INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FName,FPrintSet) "
      u"VALUES (21,0,16394,N'存放页面设置信息',0x0001FF)");
  ado::ScopedSqlTrace trace;
  auto result = AsDict(query_->Call(u"GetPageAndPrintSet", Dsn(kZhang), kType));
  EXPECT_EQ(result->Item(u"Set"), Variant(oleaut::ByteArray{0x00, 0x01, 0xFF}));
  EXPECT_EQ(trace.Batches(),
            (std::vector<std::u16string>{
                u"Select FPrintSet From T_ExcelPrintExport Where FBillId=0 And FBillType=21 And "
                u"FPreparerId=16395",
                u"Select FPrintSet From T_ExcelPrintExport Where FBillId=0 And FBillType=21 And "
                u"FPreparerId=16394"}));
  Exec(
      u"INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FName,FPrintSet) "
      u"VALUES (21,0,16395,N'存放页面设置信息',0x07)");
  result = AsDict(query_->Call(u"GetPageAndPrintSet", Dsn(kZhang), kType));
  EXPECT_EQ(result->Item(u"Set"), Variant(oleaut::ByteArray{0x07}));
}

TEST_F(PrintLookupTest, CurrNoteWithoutRows) {
  ado::ScopedSqlTrace trace;
  const auto result = AsDict(query_->Call(u"GetCurrNote", Dsn(kZhang), kType));
  ASSERT_EQ(result->Count(), 2);
  EXPECT_EQ(result->KeyAt(0), u"SaveByUser");
  EXPECT_EQ(result->ItemAt(0), Variant(std::int16_t{1}));
  EXPECT_EQ(result->KeyAt(1), u"BillTypeSet");
  EXPECT_EQ(AsDict(result->ItemAt(1))->Count(), 0);
  EXPECT_EQ(trace.Batches(),
            (std::vector<std::u16string>{
                u"Select * From T_ExcelPrintExport  Where FBillId>0 And FBillType=21 And "
                u"FPreparerId=16395",
                u"SELECT FData From T_ExcelPrintExport Where FBillType=0 and FBillId =0 and "
                u"FName='SaveByUser'",
                u"SELECT FData From T_ExcelPrintExport Where FBillType=21 and FBillId =-1"}));
}

TEST_F(PrintLookupTest, CurrNoteRowsSwitchAndSettings) {
  AddBillRow(kType, 5, kZhang, u"mine", u"", 1, u"d");
  AddBillRow(kType, 7, kZhang, u"unnamed", std::nullopt, 0, std::nullopt);
  Exec(u"UPDATE T_ExcelPrintExport SET FName = NULL WHERE FBillId = 7");
  AddBillRow(kType, 6, kAdmin, u"admin's", u"", 1);  // not the user's: not listed
  AddBillRow(0, 0, kAdmin, u"SaveByUser", std::nullopt, 0, u"0");
  AddBillRow(kType, -1, kLi, u"settings", std::nullopt, 0, u"a,1|b,2|c,3,dropped||");

  const auto result = AsDict(query_->Call(u"GetCurrNote", Dsn(kZhang), kType));
  ASSERT_EQ(result->Count(), 4);
  EXPECT_EQ(result->KeyAt(0), u"21|5");
  const auto mine = AsList(result->ItemAt(0));
  EXPECT_EQ(mine->Item(1), Variant(5));
  EXPECT_EQ(mine->Item(2), Variant(21));
  EXPECT_EQ(mine->Item(3), Variant(u"mine"));
  EXPECT_EQ(mine->Item(4), Variant(u"d"));
  const auto unnamed = AsList(result->Item(u"21|7"));
  EXPECT_EQ(unnamed->Item(3), Variant(Bstr()));
  EXPECT_TRUE(unnamed->Item(4).IsNull());
  EXPECT_EQ(result->Item(u"SaveByUser"), Variant(0));
  const auto settings = AsDict(result->Item(u"BillTypeSet"));
  ASSERT_EQ(settings->Count(), 3);
  EXPECT_EQ(settings->Item(u"a"), Variant(u"1"));
  EXPECT_EQ(settings->Item(u"b"), Variant(u"2"));
  EXPECT_EQ(settings->Item(u"c"), Variant(u"3"));
}

TEST_F(PrintLookupTest, CurrNoteFailsOnMalformedSettings) {
  AddBillRow(kType, -1, kAdmin, u"settings", std::nullopt, 0, u"a,1|broken|");
  const auto e = tavtest::ErrorOf([&] { query_->Call(u"GetCurrNote", Dsn(kZhang), kType); });
  EXPECT_EQ(e.VbNumber(), oleaut::kSubscriptOutOfRange);
  EXPECT_NE(e.Description().find(u"broken"), std::u16string::npos);
}

}  // namespace
}  // namespace templates_test
