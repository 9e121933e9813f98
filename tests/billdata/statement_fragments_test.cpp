// What each kind of control adds to the head and entry statements: the fragment of the select
// list, the from clause and the where clause, control by control.
#include <gtest/gtest.h>

#include <string>

#include "bill_fixture.h"
#include "billdata/entry_statement.h"
#include "billdata/head_statement.h"
#include "com_error_of.h"
#include "platform/oleaut/text.h"

namespace billdata_test {
namespace {

using billdata::EntryStatement;
using billdata::HeadStatement;

struct Fragments {
  std::u16string select;
  std::u16string from;
  std::u16string where{};
};

// The related controls that relations in the cases below name.
DictionaryRef Structure() {
  return Dict({
      {u"P0_FSupplyID", Variant(Dict({{u"FCtlIndex", 2}, {u"FFieldName", u"FSupplyID"}}))},
      {u"P1_FItemID", Variant(Dict({{u"FCtlOrder", 1}, {u"FFieldName", u"FItemID"}}))},
      {u"P1_FTargetID", Variant(Dict({{u"FCtlOrder", 11}, {u"FName", u"FName"}}))},
      {u"P1_FTestValueID", Variant(Dict({{u"FCtlOrder", 14}, {u"FName", u"FName"}}))},
  });
}

constexpr std::u16string_view kHeadSelect = u"SELECT ICStockBill.FInterID,";
constexpr std::u16string_view kHeadFrom = u" FROM ICStockBill";
constexpr std::u16string_view kHeadWhere = u" WHERE ICStockBill.FInterID IN (7,8) AND ";

Fragments HeadFragments(const DictionaryRef& control, std::int32_t tran_type = 1) {
  const auto structure = Structure();
  HeadStatement head(*structure, u"ICStockBill", u"FInterID", u"FItemID", tran_type, u"7,8");
  head.AddControl(*control, 1);
  return {head.SelectList().substr(kHeadSelect.size()), head.FromClause().substr(kHeadFrom.size()),
          head.WhereClause().substr(kHeadWhere.size())};
}

struct HeadCase {
  const char* name;
  DictionaryRef control;
  Fragments expected;
};

TEST(HeadStatementTest, EachControlAddsItsFragments) {
  const HeadCase cases[] = {
      {"text column",
       Dict({{u"FFieldName", u"FBillNo"}, {u"FCtlIndex", 0}, {u"FCtlType", 4}}),
       {u" ICStockBill.FBillNo,", u"", u""}},
      {"negative index", Dict({{u"FFieldName", u"FTranType"}, {u"FCtlIndex", -1}}), {}},
      {"checker joins its lookup",
       Dict({{u"FFieldName", u"FCheckerID"},
             {u"FCtlIndex", 10},
             {u"FCtlType", 8},
             {u"FGetTable", u"t_User"},
             {u"FInterID", u"FUserID"},
             {u"FNumber", u"FUserID"},
             {u"FName", u"FName"}}),
       {u" ICStockBill.FCheckerID, t010.FUserID as  FCheckerIDNumber, t010.FName as  "
        u"FCheckerIDName,",
        u" left join t_User  t010 on ICStockBill.FCheckerID= t010.FUserID ", u""}},
      {"lookup without saved value",
       Dict({{u"FFieldName", u"FDeptID"},
             {u"FCtlIndex", 4},
             {u"FCtlType", 2},
             {u"FGetTable", u"t_Department"}}),
       {u" ICStockBill.FDeptID,", u"", u""}},
      {"lookup with saved value",
       Dict({{u"FFieldName", u"FSupplyID"},
             {u"FCtlIndex", 2},
             {u"FCtlType", 2},
             {u"FSaveValue", 1},
             {u"FLookUpCls", 8},
             {u"FGetTable", u"t_Supplier"},
             {u"FInterID", u"FItemID"},
             {u"FNumber", u"FNumber"},
             {u"FName", u"FName"}}),
       {u" ICStockBill.FSupplyID, t002.FNumber as  FSupplyIDNumber, t002.FName as  "
        u"FSupplyIDName,",
        u" left join t_Supplier  t002 on ICStockBill.FSupplyID= t002.FItemID ", u""}},
      {"item lookup on the item column",
       Dict({{u"FFieldName", u"fitemid"},
             {u"FCtlIndex", 3},
             {u"FCtlType", 2},
             {u"FSaveValue", 1},
             {u"FLookUpCls", 4},
             {u"FGetTable", u"t_ICItem"},
             {u"FInterID", u"FItemID"},
             {u"FNumber", u"FNumber"},
             {u"FName", u"FName"}}),
       {u" ICStockBill.fitemid, t003.FNumber as  fitemidNumber, t003.FName as  fitemidName, "
        u"t003.FQtyDecimal, t003.FPriceDecimal, t003.FUnitGroupID,",
        u" join t_ICItem  t003 on ICStockBill.fitemid= t003.FItemID ", u""}},
      {"status code",
       Dict({{u"FFieldName", u"FStatus"},
             {u"FCtlIndex", 6},
             {u"FCtlType", 2},
             {u"FLookUpCls", 241},
             {u"FSaveValue", 1},
             {u"FGetTable", u"t_SubMessage"},
             {u"FNumber", u"FID"},
             {u"FName", u"FName"}}),
       {u" ICStockBill.FStatus, t006.FID as  FStatusNumber, t006.FName as  FStatusName,",
        u" left join t_SubMessage  t006 on 'ZT'+convert(varchar,(+(SELECT CASE "
        u"ICStockBill.FStatus when 0 then 1 when 3 then 3 when 5 then 4 else 1 END) ))= t006.FID ",
        u""}},
      {"MRP code",
       Dict({{u"FFieldName", u"FMRP "},
             {u"FCtlIndex", 7},
             {u"FCtlType", 2},
             {u"FLookUpCls", 241},
             {u"FGetTable", u"t_SubMessage"},
             {u"FNumber", u"FID"},
             {u"FName", u"FName"}}),
       {u" ICStockBill.FMRP , t007.FID as  FMRP Number, t007.FName as  FMRP Name,",
        u" left join t_SubMessage  t007 on 'LY'+convert(varchar,(+1))= t007.FID ", u""}},
      {"other code",
       Dict({{u"FFieldName", u"FSource"},
             {u"FCtlIndex", 7},
             {u"FCtlType", 2},
             {u"FLookUpCls", 241},
             {u"FGetTable", u"t_SubMessage"},
             {u"FNumber", u"FID"},
             {u"FName", u"FName"}}),
       {u" ICStockBill.FSource, t007.FID as  FSourceNumber, t007.FName as  FSourceName,",
        u" left join t_SubMessage  t007 on ''+convert(varchar,(+1))= t007.FID ", u""}},
      {"column of the related lookup",
       Dict({{u"FFieldName", u"FSupplyAddress"},
             {u"FCtlIndex", 3},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FSupplyID"},
             {u"FAction", u".,FAddress"}}),
       {u" t002.FAddress as FSupplyAddress,", u"", u""}},
      {"lookup joined to the related lookup",
       Dict({{u"FFieldName", u"FRegion"},
             {u"FCtlIndex", 5},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FSupplyID"},
             {u"FAction", u".,FRegionID,FRegionID"},
             {u"FGetTable", u"t_Region"},
             {u"FInterID", u"FItemID"},
             {u"FName", u"FName"}}),
       {u" t005.FName as FRegion,", u" left join t_Region  t005 on t002.FRegionID= t005.FItemID ",
        u" t002.FRegionID= t005.FItemID AND"}},
      {"sub-select through the relation",
       Dict({{u"FFieldName", u"FContact"},
             {u"FCtlIndex", 5},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FSupplyID"},
             {u"FAction", u".A,FItemID"},
             {u"FGetTable", u"t_Contact"},
             {u"FInterID", u"FSupplierID"},
             {u"FName", u"FName"}}),
       {u"(SELECT FName FROM t_Contact WHERE t002.FItemID=FSupplierID) as FContact,", u"", u""}},
      {".A3 with a sub-select",
       Dict({{u"FFieldName", u"FDeptPhone"},
             {u"FCtlIndex", 9},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FSupplyID"},
             {u"FAction", u".A3,FDeptID,t_Department,FItemID,FItemID,t_Phone,FDeptID,FPhone"},
             {u"FName", u"FName"}}),
       {u"(SELECT FPhone FROM t_Phone WHERE t009.FItemID=FDeptID) as FDeptPhone,",
        u" left join t_Department  t009 on ICStockBill.FDeptID= t009.FItemID ", u""}},
      {".A3 with a column",
       Dict({{u"FFieldName", u"FDeptName"},
             {u"FCtlIndex", 9},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FSupplyID"},
             {u"FAction", u".A3,FDeptID,t_Department,FItemID,FName"}}),
       {u" t009.FName as FDeptName,",
        u" left join t_Department  t009 on ICStockBill.FDeptID= t009.FItemID ", u""}},
      {"relation with a comma adds nothing",
       Dict({{u"FFieldName", u"FContact"},
             {u"FCtlIndex", 5},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FSupplyID,FDeptID"},
             {u"FAction", u".A,FItemID"}}),
       {}},
      {"numeric placeholder",
       Dict({{u"FFieldName", u"FPlanCost"},
             {u"FCtlIndex", 11},
             {u"FCtlType", 11},
             {u"FRelateOutTbl", 1}}),
       {u" cast(0 as decimal(28,14)) AS FPlanCost,", u"", u""}},
      {"text placeholder",
       Dict({{u"FFieldName", u"FPrintNote"}, {u"FCtlIndex", 12}, {u"FRelateOutTbl", true}}),
       {u" cast('' as varchar(255)) AS FPrintNote,", u"", u""}},
  };
  for (const HeadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Fragments got = HeadFragments(c.control);
    EXPECT_EQ(oleaut::ToUtf8(got.select), oleaut::ToUtf8(c.expected.select));
    EXPECT_EQ(oleaut::ToUtf8(got.from), oleaut::ToUtf8(c.expected.from));
    EXPECT_EQ(oleaut::ToUtf8(got.where), oleaut::ToUtf8(c.expected.where));
  }
}

TEST(HeadStatementTest, AuxPropClassIsLeftOutOnlyForType50) {
  const auto control = Dict({{u"FFieldName", u"FAuxPropCls"}, {u"FCtlIndex", 1}});
  EXPECT_EQ(HeadFragments(control, 50).select, u"");
  EXPECT_EQ(HeadFragments(control, 51).select, u" ICStockBill.FAuxPropCls,");
}

TEST(HeadStatementTest, ATableIsJoinedOnceAndTheClausesAreCut) {
  const auto structure = Structure();
  HeadStatement head(*structure, u"ICStockBill", u"FInterID", u"FItemID", 92, u"7");
  for (const char16_t* field : {u"FCheckerID", u"FChecker2"}) {
    head.AddControl(*Dict({{u"FFieldName", field},
                           {u"FCtlIndex", 3},
                           {u"FCtlType", 8},
                           {u"FGetTable", u"t_User"},
                           {u"FInterID", u"FUserID"}}),
                    1);
  }
  head.AddControl(*Dict({{u"FFieldName", u"FRegion"},
                         {u"FCtlIndex", 5},
                         {u"FRelateOutTbl", true},
                         {u"FRelationID", u"FSupplyID"},
                         {u"FAction", u".,FRegionID,FRegionID"},
                         {u"FGetTable", u"t_Region"},
                         {u"FInterID", u"FItemID"}}),
                  3);
  head.AddControl(*Dict({{u"FFieldName", u"fmoqty"}, {u"FCtlIndex", 6}}), 4);
  EXPECT_EQ(head.FromClause(),
            u" FROM ICStockBill left join t_User  t003 on ICStockBill.FCheckerID= t003.FUserID "
            u" left join t_Region  t005 on t002.FRegionID= t005.FItemID ");
  EXPECT_TRUE(head.HasSummaryColumn(billdata::SummaryColumn::MoQty));
  EXPECT_FALSE(head.HasSummaryColumn(billdata::SummaryColumn::SupplyId));
  const std::u16string batch = head.MaterialiseBatch();
  EXPECT_NE(batch.find(u" ICStockBill.fmoqty\r\n INTO #tmpBillHeadPrint "), std::u16string::npos);
  EXPECT_EQ(batch.substr(batch.rfind(u"\r\n")),
            u"\r\n WHERE ICStockBill.FInterID IN (7) AND  t002.FRegionID= t005.FItemID");
}

constexpr std::u16string_view kEntrySelect = u"SELECT #tmpsort.FID,QMInspectBillEntry.FInterID,";
constexpr std::u16string_view kEntryFrom =
    u" FROM #tmpsort inner join QMInspectBillEntry on "
    u"#tmpsort.FValue=QMInspectBillEntry.FInterID ";

Fragments EntryFragments(const DictionaryRef& control, std::int32_t tran_type = 707) {
  const auto structure = Structure();
  const auto bill_info = Dict({{u"FID", tran_type}, {u"FEntryTable", u"QMInspectBillEntry"}});
  EntryStatement entry(*structure, *bill_info,
                       {u"QMInspectBillEntry", u"FInterID", u"FItemID", u"FEntryID"}, tran_type,
                       u"7,8");
  entry.AddControl(*control, 1);
  return {entry.SelectList().substr(kEntrySelect.size()),
          entry.FromClause().substr(kEntryFrom.size()), u""};
}

struct EntryCase {
  const char* name;
  DictionaryRef control;
  std::int32_t tran_type;
  Fragments expected;
};

TEST(EntryStatementTest, EachControlAddsItsFragments) {
  constexpr std::int32_t kQuality = 707;
  const EntryCase cases[] = {
      {"order 0 takes no part",
       Dict({{u"FFieldName", u"FEntryID"}, {u"FCtlOrder", 0}}),
       kQuality,
       {}},
      {"negative order takes no part",
       Dict({{u"FFieldName", u"FItemID"}, {u"FCtlOrder", -3}, {u"FCtlType", 2}}),
       kQuality,
       {}},
      {"plain column",
       Dict({{u"FFieldName", u"FNote"}, {u"FCtlOrder", 10}}),
       kQuality,
       {u" QMInspectBillEntry.FNote,", u""}},
      {"item lookup joins with join",
       Dict({{u"FFieldName", u"FItemID"},
             {u"FCtlOrder", 1},
             {u"FCtlType", 2},
             {u"FLookUpCls", 4},
             {u"FGetTable", u"t_ICItem"},
             {u"FInterID", u"FItemID"},
             {u"FNumber", u"FNumber"},
             {u"FName", u"FName"}}),
       kQuality,
       {u" QMInspectBillEntry.FItemID, t001.FQtyDecimal, t001.FPriceDecimal, t001.FUnitGroupID, "
        u"t001.FNumber as  FItemIDNumber, t001.FName as  FItemIDName,",
        u" join t_ICItem  t001 on t001.FItemID = QMInspectBillEntry.FItemID"}},
      {"other lookups join with left join",
       Dict({{u"FFieldName", u"FTargetID"},
             {u"FCtlOrder", 11},
             {u"FCtlType", 2},
             {u"FLookUpCls", 241},
             {u"FGetTable", u"t_SubMessage"},
             {u"FInterID", u"FInterID"},
             {u"FNumber", u"FID"},
             {u"FName", u"FName"}}),
       kQuality,
       {u" QMInspectBillEntry.FTargetID, t011.FID as  FTargetIDNumber, t011.FName as  "
        u"FTargetIDName,",
        u" left join t_SubMessage  t011 on t011.FInterID = QMInspectBillEntry.FTargetID"}},
      {"lookup class 6 is not joined",
       Dict({{u"FFieldName", u"FBatch"},
             {u"FCtlOrder", 5},
             {u"FCtlType", 2},
             {u"FLookUpCls", 6},
             {u"FGetTable", u"t_Batch"}}),
       kQuality,
       {u" QMInspectBillEntry.FBatch,", u""}},
      {"lookup class -24 of a checker joins on the item too",
       Dict({{u"FFieldName", u"FAuxPropID"},
             {u"FCtlOrder", 3},
             {u"FCtlType", 8},
             {u"FLookUpCls", -24},
             {u"FGetTable", u"ICItemAuxProp"},
             {u"FInterID", u"FAuxPropID"},
             {u"FNumber", u"FNumber"},
             {u"FName", u"FName"}}),
       kQuality,
       {u" QMInspectBillEntry.FAuxPropID, t003.FNumber as  FAuxPropIDNumber, t003.FName as  "
        u"FAuxPropIDName,",
        u" left join ICItemAuxProp  t003 on t003.FAuxPropID = QMInspectBillEntry.FAuxPropID AND "
        u"QMInspectBillEntry.FItemID = t003.FItemID"}},
      {"lookup class -24 of a plain lookup is not joined",
       Dict({{u"FFieldName", u"FAuxPropID"},
             {u"FCtlOrder", 3},
             {u"FCtlType", 2},
             {u"FLookUpCls", -24}}),
       kQuality,
       {u" QMInspectBillEntry.FAuxPropID,", u""}},
      {"= action reads the related lookup",
       Dict({{u"FFieldName", u"FUnitGroup"},
             {u"FCtlOrder", 4},
             {u"FRelationID", u"FItemID"},
             {u"FAction", u"=,FUnitGroupID"}}),
       kQuality,
       {u" QMInspectBillEntry.FUnitGroup, t001.FUnitGroupID,", u""}},
      {"= action without relation",
       Dict({{u"FFieldName", u"FUnitGroup"}, {u"FCtlOrder", 4}, {u"FAction", u"=,FUnitGroupID"}}),
       kQuality,
       {u" QMInspectBillEntry.FUnitGroup,", u""}},
      {"amount of type 87",
       Dict({{u"FFieldName", u"famount"},
             {u"FCtlOrder", 4},
             {u"FRelationID", u"FQty"},
             {u"FAction", u"=,u1.FQty*u1.FConsignPrice"}}),
       87,
       {u" QMInspectBillEntry.FQty*QMInspectBillEntry.FConsignPrice as FAmount , ", u""}},
      {"amount of another type",
       Dict({{u"FFieldName", u"FAmount"}, {u"FCtlOrder", 4}, {u"FAction", u"=,u1.FQty"}}),
       88,
       {u" QMInspectBillEntry.FAmount,", u""}},
      {"source bill",
       Dict({{u"FFieldName", u"FICMOInterID"},
             {u"FCtlOrder", 8},
             {u"FCtlType", 5},
             {u"FRelateOutTbl", true},
             {u"FGetTable", u"ICMO"},
             {u"FInterID", u"FICMOID"},
             {u"FBillNo", u"FBillNo"}}),
       kQuality,
       {u"QMInspectBillEntry.FICMOInterID as FICMOID, t008.FBillNo as FICMOInterIDName ,",
        u" left join  ICMO t008 on   t008.FICMOInterID=QMInspectBillEntry.FICMOInterID"}},
      {"quality column",
       Dict({{u"FFieldName", u"ftargetunuse"}, {u"FCtlOrder", 3}, {u"FRelateOutTbl", true}}),
       kQuality,
       {u" (case QMInspectBillEntry.FAnalysisMethodID when 9 then  t011.FName else   "
        u"convert(varchar(255), convert(decimal(28,10),ftargetQty) ) end) as ftargetunuse,",
        u""}},
      {"test value column",
       Dict({{u"FFieldName", u"FTestValueUnUse"}, {u"FCtlOrder", 8}, {u"FRelateOutTbl", true}}),
       kQuality,
       {u" (case QMInspectBillEntry.FAnalysisMethodID when 9 then  t014.FName else   "
        u"convert(varchar(255), convert(decimal(28,10),FTestValue) ) end) as FTestValueUnUse,",
        u""}},
      {"tolerance column",
       Dict({{u"FFieldName", u"FUpTolerance"},
             {u"FCtlOrder", 7},
             {u"FCtlType", 3},
             {u"FRelateOutTbl", true}}),
       kQuality,
       {u" (case QMInspectBillEntry.FAnalysisMethodID when 9 then   convert(varchar(255),'') "
        u"else  convert(varchar(255), ( convert(decimal(28,10),QMInspectBillEntry.FUpperLimitQty "
        u"- QMInspectBillEntry.FTargetQty))) end) as FUpTolerance,",
        u""}},
      {"tolerance in lower case is a placeholder",
       Dict({{u"FFieldName", u"flowtolerance"},
             {u"FCtlOrder", 6},
             {u"FCtlType", 3},
             {u"FRelateOutTbl", true}}),
       kQuality,
       {u" cast(0 as decimal(28,14)) AS flowtolerance,", u""}},
      {"quality column of another bill type is a placeholder",
       Dict({{u"FFieldName", u"FTargetUnUse"}, {u"FCtlOrder", 3}, {u"FRelateOutTbl", true}}),
       716,
       {u" cast('' as varchar(255)) AS FTargetUnUse,", u""}},
      {"column of the related lookup",
       Dict({{u"FFieldName", u"FItemModel"},
             {u"FCtlOrder", 2},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FItemID"},
             {u"FAction", u"x;.,FModel"}}),
       kQuality,
       {u" t001.FModel as FItemModel,", u""}},
      {"lookup joined to the related lookup",
       Dict({{u"FFieldName", u"FUnitGroupName"},
             {u"FCtlOrder", 5},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FItemID"},
             {u"FAction", u".,FUnitGroupID,FUnitGroupID;x,y"},
             {u"FGetTable", u"t_UnitGroup"},
             {u"FInterID", u"FUnitGroupID"},
             {u"FName", u"FName"}}),
       kQuality,
       {u" t005.FName as FUnitGroupName,",
        u" left join t_UnitGroup t005 on  t005.FUnitGroupID=t001.FUnitGroupID "}},
      {"sub-select through the relation",
       Dict({{u"FFieldName", u"FAuxNumber"},
             {u"FCtlOrder", 6},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FItemID"},
             {u"FAction", u".A,FAuxPropID"},
             {u"FGetTable", u"t_auxitem"},
             {u"FInterID", u"FItemID"},
             {u"FName", u"FNumber"}}),
       kQuality,
       {u"(SELECT FNumber FROM t_auxitem WHERE t001.FAuxPropID=FItemID) as FAuxNumber,", u""}},
      {".A3 column and join",
       Dict({{u"FFieldName", u"FAuxProp"},
             {u"FCtlOrder", 8},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FItemID"},
             {u"FAction", u".A3,FItemID,ICItemAuxProp,FItemID,FAuxPropID"}}),
       kQuality,
       {u" t008.FAuxPropID as FAuxProp,",
        u" left join ICItemAuxProp t008 on  t008.FItemID=QMInspectBillEntry.FItemID "}},
      {".A3 sub-select",
       Dict({{u"FFieldName", u"FAuxName"},
             {u"FCtlOrder", 8},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FItemID"},
             {u"FAction", u".A3,FItemID,ICItemAuxProp,FItemID,FAuxPropID,t_auxitem,FItemID"},
             {u"FName", u"FName"}}),
       kQuality,
       {u"(SELECT FName FROM t_auxitem WHERE t008.FAuxPropID=FItemID) as FAuxName,",
        u" left join ICItemAuxProp t008 on  t008.FItemID=QMInspectBillEntry.FItemID "}},
      {"relation with a comma is a placeholder",
       Dict({{u"FFieldName", u"FAuxName"},
             {u"FCtlOrder", 8},
             {u"FRelateOutTbl", true},
             {u"FRelationID", u"FItemID,FAuxPropID"},
             {u"FAction", u".A,FAuxPropID"}}),
       kQuality,
       {u" cast('' as varchar(255)) AS FAuxName,", u""}},
  };
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Fragments got = EntryFragments(c.control, c.tran_type);
    EXPECT_EQ(oleaut::ToUtf8(got.select), oleaut::ToUtf8(c.expected.select));
    EXPECT_EQ(oleaut::ToUtf8(got.from), oleaut::ToUtf8(c.expected.from));
  }
}

TEST(EntryStatementTest, DecimalsDefaultUnlessAnItemLookupGivesThem) {
  const auto structure = Structure();
  const auto bill_info = Dict({{u"FID", 1}});
  EntryStatement plain(*structure, *bill_info, {u"E", u"K", u"I", u"L"}, 1, u"5");
  plain.AddControl(*Dict({{u"FFieldName", u"FQty"}, {u"FCtlOrder", 1}}), 1);
  plain.AddDecimalDefaults();
  EXPECT_EQ(plain.MaterialiseBatch(),
            u"IF  object_id('tempdb..#tmpBillPrint') is not null drop table #tmpBillPrint SELECT "
            u"#tmpsort.FID,E.K, E.FQty, 4 as FQtyDecimal, 2 as FPriceDecimal\r\n INTO "
            u"#tmpBillPrint  FROM #tmpsort inner join E on #tmpsort.FValue=E.K \r\n WHERE E.K IN "
            u"(5)\r\n ORDER BY #tmpsort.FID, E.L");

  EntryStatement priced(*structure, *bill_info, {u"E", u"K", u"I", u"L"}, 1, u"5");
  priced.AddControl(*Dict({{u"FFieldName", u"FPrice"}, {u"FCtlOrder", 1}}), 1);
  priced.AddControl(*Dict({{u"FFieldName", u"FDec"},
                           {u"FCtlOrder", 2},
                           {u"FRelationID", u"FItemID"},
                           {u"FAction", u"=,fpricedecimal"}}),
                    2);
  priced.AddDecimalDefaults();
  EXPECT_EQ(priced.SelectList(),
            u"SELECT #tmpsort.FID,E.K, E.FPrice, E.FDec, t001.fpricedecimal, 4 as FQtyDecimal,");
}

TEST(EntryStatementTest, ARelationToAMissingControlFailsClearly) {
  const auto structure = Structure();
  const auto bill_info = Dict({{u"FID", 707}});
  EntryStatement entry(*structure, *bill_info, {u"E", u"K", u"I", u"L"}, 707, u"5");
  const auto error = tavtest::ErrorOf([&] {
    entry.AddControl(*Dict({{u"FFieldName", u"FX"},
                            {u"FCtlOrder", 2},
                            {u"FRelateOutTbl", true},
                            {u"FRelationID", u"FNoSuch"},
                            {u"FAction", u".,FY"}}),
                     2);
  });
  EXPECT_NE(error.Description().find(u"\"P1_FNoSuch\""), std::u16string::npos);
  const auto quality = tavtest::ErrorOf([&] {
    entry.AddControl(
        *Dict({{u"FFieldName", u"FLowerLimitUnUse"}, {u"FCtlOrder", 4}, {u"FRelateOutTbl", true}}),
        4);
  });
  EXPECT_NE(quality.Description().find(u"\"P1_FLowerLimitID\""), std::u16string::npos);
}

}  // namespace
}  // namespace billdata_test
