// The entry rows of selected bills through Invoke: the selection order in #tmpsort, the statements
// as they reach the database, and rows on the demo data (bar codes, decimals, joins, computed
// columns). Early exits and bad requests are tested with the head's.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "bill_fixture.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/text.h"

namespace billdata_test {
namespace {

using testing::ElementsAre;

class EntryDataTest : public BillDataTest {
 protected:
  std::vector<TextRow> EntryRows(std::int32_t type, const std::vector<std::int32_t>& ids,
                                 const std::vector<std::u16string>& columns,
                                 const DictionaryRef& structure = nullptr) {
    const auto fill = Entry(Condition(type, ids), structure ? structure : Package(type));
    EXPECT_EQ(fill.result, 1);
    return TextRows(*fill.Rows(), columns);
  }
  Variant Scalar(const char16_t* sql) {
    return tavtest::FirstValue(data_->Call(u"ExecuteSQL", Dsn(), sql));
  }
};

constexpr char16_t kIssueEntry[] =
    u"IF  object_id('tempdb..#tmpBillPrint') is not null drop table #tmpBillPrint SELECT "
    u"#tmpsort.FID,ICMOIssueBillEntry.FInterID, ICMOIssueBillEntry.FItemID, t001.FQtyDecimal, "
    u"t001.FPriceDecimal, t001.FUnitGroupID, t001.FNumber as  FItemIDNumber, t001.FName as  "
    u"FItemIDName, t001.FModel as FItemModel, ICMOIssueBillEntry.FUnitID, t003.FNumber as  "
    u"FUnitIDNumber, t003.FName as  FUnitIDName, ICMOIssueBillEntry.FQty, "
    u"ICMOIssueBillEntry.FPrice, ICMOIssueBillEntry.FAmount, ICMOIssueBillEntry.FSCStockID, "
    u"t007.FNumber as  FSCStockIDNumber, t007.FName as  FSCStockIDName,"
    u"ICMOIssueBillEntry.FICMOInterID as FICMOID, t008.FBillNo as FICMOInterIDName , "
    u"ICMOIssueBillEntry.FNote, ICMOIssueBillEntry.FEntryID\r\n INTO #tmpBillPrint  FROM #tmpsort"
    u" inner join ICMOIssueBillEntry on #tmpsort.FValue=ICMOIssueBillEntry.FInterID  join "
    u"t_ICItem  t001 on t001.FItemID = ICMOIssueBillEntry.FItemID left join t_MeasureUnit  t003 "
    u"on t003.FMeasureUnitID = ICMOIssueBillEntry.FUnitID left join t_Stock  t007 on t007.FItemID"
    u" = ICMOIssueBillEntry.FSCStockID left join  ICMO t008 on   "
    u"t008.FICMOInterID=ICMOIssueBillEntry.FICMOInterID\r\n WHERE ICMOIssueBillEntry.FInterID IN "
    u"(9202,9201,9202)\r\n ORDER BY #tmpsort.FID, ICMOIssueBillEntry.FEntryID";

std::u16string SortInsert(const char16_t* id) {
  return u"if not exists(select top 1 1 from #tmpsort where FValue=" + std::u16string(id) +
         u")\r\ninsert into #tmpsort (FValue) values (" + id + u")";
}

TEST_F(EntryDataTest, SortsTheSelectionBuildsOneStatementAndAddsBarCodes) {
  const auto structure = Package(92);
  ado::ScopedSqlTrace trace;
  const auto fill = Entry(Condition(92, {9202, 9201, 9202}), structure);
  EXPECT_THAT(
      trace.Batches(),
      ElementsAre(u"IF  object_id('tempdb..#tmpsort') is not null drop table #tmpsort\r\n"
                  u"create table #tmpsort(FID int identity ,FValue int)",
                  SortInsert(u"9202"), SortInsert(u"9201"), SortInsert(u"9202"), kIssueEntry,
                  u"select * from t_systemprofile where FCategory='IC' and fkey "
                  u"='IndustryVersion'",
                  u"select a.*,b.FBarCode from (\r\nSELECT * FROM #tmpBillPrint \r\n) a \r\nleft "
                  u"join (select FItemID,FBarCode from t_BarCode where FIsPrint=1) b\r\non "
                  u"a.FItemID=b.FItemID  order by FInterID,FEntryID",
                  u"IF object_id('tempdb..#tmpsort') is not null drop table #tmpsort"));

  // By bill and line; FID is the bill's first position in the selection.
  EXPECT_THAT(
      TextRows(*fill.Rows(), {u"FID", u"FInterID", u"FEntryID", u"FItemIDName", u"FQtyDecimal",
                              u"FQty", u"FICMOInterIDName", u"FBarCode"}),
      ElementsAre(
          TextRow{"2", "9201", "1", "纯棉面料", "2", "420.5", "MO000001", "6940000000072"},
          TextRow{"2", "9201", "2", "缝纫线", "0", "50", "MO000001", "NULL"},
          TextRow{"1", "9202", "1", "纯棉面料", "2", "360", "MO000002", "6940000000072"},
          TextRow{"1", "9202", "2", "Stainless Steel Bolt M8", "3", "1.25", "MO000002", "NULL"}));
  EXPECT_TRUE(Scalar(u"select object_id('tempdb..#tmpsort')").IsNull());
  EXPECT_EQ(Scalar(u"select count(*) from #tmpBillPrint"), Variant(std::int32_t{4}));
}

TEST_F(EntryDataTest, DecimalsComeFromTheItemOrDefaultToFourAndTwo) {
  EXPECT_THAT(EntryRows(1, {1003}, {u"FQtyDecimal", u"FPriceDecimal"}),
              ElementsAre(TextRow{"0", "2"}, TextRow{"3", "4"}, TextRow{"3", "4"}));
  auto structure = Package(87);
  auto item = structure->Item(u"P1_FItemID").AsObjectOf<vdl::Dictionary>();
  item->SetItem(u"FCtlType", 0);
  item->SetItem(u"FLookUpCls", 0);
  EXPECT_THAT(EntryRows(87, {8701}, {u"FQtyDecimal", u"FPriceDecimal"}, structure),
              ElementsAre(TextRow{"4", "2"}, TextRow{"4", "2"}));
}

TEST_F(EntryDataTest, QualityInspectionColumnsFollowTheAnalysisMethod) {
  EXPECT_THAT(
      EntryRows(707, {70701, 70702},
                {u"FInterID", u"FInspectItemIDName", u"FTargetUnUse", u"FLowerLimitUnUse",
                 u"FLowTolerance", u"FUpTolerance", u"FTestValueUnUse", u"FResultIDName"}),
      ElementsAre(TextRow{"70701", "克重", "180.0000000000", "175.0000000000", "-5.0000000000",
                          "10.0000000000", "182.5000000000", "合格"},
                  TextRow{"70701", "外观", "色泽均匀", "NULL", "", "", "色泽均匀", "合格"},
                  TextRow{"70701", "气味", "无异味", "无异味", "", "", "轻微异味", "不合格"},
                  TextRow{"70702", "线长", "1.0000000000", "0.9800000000", "-0.0200000000",
                          "0.0500000000", "0.9950000000", "合格"}));
}

TEST_F(EntryDataTest, SubcontractAmountIsComputedFromTheLine) {
  EXPECT_THAT(EntryRows(87, {8701}, {u"FQty", u"FConsignPrice", u"FAmount"}),
              ElementsAre(TextRow{"200", "4.75", "950"}, TextRow{"150", "4.75", "712.5"}));
}

}  // namespace
}  // namespace billdata_test
