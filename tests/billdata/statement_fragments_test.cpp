// The head and entry statement fragments of controls that the demo templates lack, so that the
// trace tests of head_data_test and entry_data_test never build them: codes of the coded lookup,
// relations through another control (sub-selects, joins on the related lookup, .A3), lookup
// class -24 of a checker, and the joins and clauses of several such controls together.
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
      {u"P0_FSupplyID", Variant(Control({u"FCtlIndex", 2, u"FFieldName", u"FSupplyID"}))},
      {u"P1_FItemID", Variant(Control({u"FCtlOrder", 1, u"FFieldName", u"FItemID"}))},
      {u"P1_FTargetID", Variant(Control({u"FCtlOrder", 11, u"FName", u"FName"}))},
      {u"P1_FTestValueID", Variant(Control({u"FCtlOrder", 14, u"FName", u"FName"}))},
  });
}

constexpr std::u16string_view kHeadSelect = u"SELECT ICStockBill.FInterID,";
constexpr std::u16string_view kHeadFrom = u" FROM ICStockBill";
constexpr std::u16string_view kHeadWhere = u" WHERE ICStockBill.FInterID IN (7,8) AND ";

Fragments HeadFragments(const DictionaryRef& control) {
  const auto structure = Structure();
  HeadStatement head(*structure, u"ICStockBill", u"FInterID", u"FItemID", 1, u"7,8");
  head.AddControl(*control, 1);
  return {head.SelectList().substr(kHeadSelect.size()), head.FromClause().substr(kHeadFrom.size()),
          head.WhereClause().substr(kHeadWhere.size())};
}

struct FragmentCase {
  const char* name;
  DictionaryRef control;
  Fragments expected;
};

// Each case's control adds its expected fragments to the statement `fragments` builds.
void ExpectFragments(const std::vector<FragmentCase>& cases,
                     Fragments (*fragments)(const DictionaryRef&)) {
  for (const FragmentCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Fragments got = fragments(c.control);
    EXPECT_EQ(oleaut::ToUtf8(got.select), oleaut::ToUtf8(c.expected.select));
    EXPECT_EQ(oleaut::ToUtf8(got.from), oleaut::ToUtf8(c.expected.from));
    EXPECT_EQ(oleaut::ToUtf8(got.where), oleaut::ToUtf8(c.expected.where));
  }
}

TEST(HeadStatementTest, EachControlAddsItsFragments) {
  ExpectFragments(
      {
          {"MRP code",
           Control({u"FFieldName", u"FMRP ", u"FCtlIndex", 7, u"FCtlType", 2, u"FLookUpCls", 241,
                    u"FGetTable", u"t_SubMessage", u"FNumber", u"FID", u"FName", u"FName"}),
           {u" ICStockBill.FMRP , t007.FID as  FMRP Number, t007.FName as  FMRP Name,",
            u" left join t_SubMessage  t007 on 'LY'+convert(varchar,(+1))= t007.FID ", u""}},
          {"lookup joined to the related lookup",
           Control({u"FFieldName", u"FRegion", u"FCtlIndex", 5, u"FRelateOutTbl", true,
                    u"FRelationID", u"FSupplyID", u"FAction", u".,FRegionID,FRegionID",
                    u"FGetTable", u"t_Region", u"FInterID", u"FItemID", u"FName", u"FName"}),
           {u" t005.FName as FRegion,",
            u" left join t_Region  t005 on t002.FRegionID= t005.FItemID ",
            u" t002.FRegionID= t005.FItemID AND"}},
          {"sub-select through the relation",
           Control({u"FFieldName", u"FContact", u"FCtlIndex", 5, u"FRelateOutTbl", true,
                    u"FRelationID", u"FSupplyID", u"FAction", u".A,FItemID", u"FGetTable",
                    u"t_Contact", u"FInterID", u"FSupplierID", u"FName", u"FName"}),
           {u"(SELECT FName FROM t_Contact WHERE t002.FItemID=FSupplierID) as FContact,", u"",
            u""}},
      },
      HeadFragments);
}

TEST(HeadStatementTest, ATableIsJoinedOnceAndTheClausesAreCut) {
  const auto structure = Structure();
  HeadStatement head(*structure, u"ICStockBill", u"FInterID", u"FItemID", 92, u"7");
  for (const char16_t* field : {u"FCheckerID", u"FChecker2"}) {
    head.AddControl(*Control({u"FFieldName", field, u"FCtlIndex", 3, u"FCtlType", 8, u"FGetTable",
                              u"t_User", u"FInterID", u"FUserID"}),
                    1);
  }
  head.AddControl(*Control({u"FFieldName", u"FRegion", u"FCtlIndex", 5, u"FRelateOutTbl", true,
                            u"FRelationID", u"FSupplyID", u"FAction", u".,FRegionID,FRegionID",
                            u"FGetTable", u"t_Region", u"FInterID", u"FItemID"}),
                  3);
  head.AddControl(*Control({u"FFieldName", u"fmoqty", u"FCtlIndex", 6}), 4);
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

// Fragments of a quality inspection's entry statement (bill type 707).
Fragments EntryFragments(const DictionaryRef& control) {
  constexpr std::int32_t tran_type = 707;
  const auto structure = Structure();
  const auto bill_info = Dict({{u"FID", tran_type}, {u"FEntryTable", u"QMInspectBillEntry"}});
  EntryStatement entry(*structure, *bill_info,
                       {u"QMInspectBillEntry", u"FInterID", u"FItemID", u"FEntryID"}, tran_type,
                       u"7,8");
  entry.AddControl(*control, 1);
  return {entry.SelectList().substr(kEntrySelect.size()),
          entry.FromClause().substr(kEntryFrom.size()), u""};
}

TEST(EntryStatementTest, EachControlAddsItsFragments) {
  ExpectFragments(
      {
          {"lookup class -24 of a checker joins on the item too",
           Control({u"FFieldName", u"FAuxPropID", u"FCtlOrder", 3, u"FCtlType", 8, u"FLookUpCls",
                    -24, u"FGetTable", u"ICItemAuxProp", u"FInterID", u"FAuxPropID", u"FNumber",
                    u"FNumber", u"FName", u"FName"}),
           {u" QMInspectBillEntry.FAuxPropID, t003.FNumber as  FAuxPropIDNumber, t003.FName as  "
            u"FAuxPropIDName,",
            u" left join ICItemAuxProp  t003 on t003.FAuxPropID = QMInspectBillEntry.FAuxPropID "
            u"AND "
            u"QMInspectBillEntry.FItemID = t003.FItemID"}},
          {"= action reads the related lookup",
           Control({u"FFieldName", u"FUnitGroup", u"FCtlOrder", 4, u"FRelationID", u"FItemID",
                    u"FAction", u"=,FUnitGroupID"}),
           {u" QMInspectBillEntry.FUnitGroup, t001.FUnitGroupID,", u""}},
          {"lookup joined to the related lookup",
           Control({u"FFieldName", u"FUnitGroupName", u"FCtlOrder", 5, u"FRelateOutTbl", true,
                    u"FRelationID", u"FItemID", u"FAction", u".,FUnitGroupID,FUnitGroupID;x,y",
                    u"FGetTable", u"t_UnitGroup", u"FInterID", u"FUnitGroupID", u"FName",
                    u"FName"}),
           {u" t005.FName as FUnitGroupName,",
            u" left join t_UnitGroup t005 on  t005.FUnitGroupID=t001.FUnitGroupID "}},
          {"sub-select through the relation",
           Control({u"FFieldName", u"FAuxNumber", u"FCtlOrder", 6, u"FRelateOutTbl", true,
                    u"FRelationID", u"FItemID", u"FAction", u".A,FAuxPropID", u"FGetTable",
                    u"t_auxitem", u"FInterID", u"FItemID", u"FName", u"FNumber"}),
           {u"(SELECT FNumber FROM t_auxitem WHERE t001.FAuxPropID=FItemID) as FAuxNumber,", u""}},
          {".A3 sub-select",
           Control({u"FFieldName", u"FAuxName", u"FCtlOrder", 8, u"FRelateOutTbl", true,
                    u"FRelationID", u"FItemID", u"FAction",
                    u".A3,FItemID,ICItemAuxProp,FItemID,FAuxPropID,t_auxitem,FItemID", u"FName",
                    u"FName"}),
           {u"(SELECT FName FROM t_auxitem WHERE t008.FAuxPropID=FItemID) as FAuxName,",
            u" left join ICItemAuxProp t008 on  t008.FItemID=QMInspectBillEntry.FItemID "}},
          {"relation with a comma is a placeholder",
           Control({u"FFieldName", u"FAuxName", u"FCtlOrder", 8, u"FRelateOutTbl", true,
                    u"FRelationID", u"FItemID,FAuxPropID", u"FAction", u".A,FAuxPropID"}),
           {u" cast('' as varchar(255)) AS FAuxName,", u""}},
      },
      EntryFragments);
}

TEST(EntryStatementTest, ARelationToAMissingControlFailsClearly) {
  const auto structure = Structure();
  const auto bill_info = Dict({{u"FID", 707}});
  EntryStatement entry(*structure, *bill_info, {u"E", u"K", u"I", u"L"}, 707, u"5");
  const auto error = tavtest::ErrorOf([&] {
    entry.AddControl(*Control({u"FFieldName", u"FX", u"FCtlOrder", 2, u"FRelateOutTbl", true,
                               u"FRelationID", u"FNoSuch", u"FAction", u".,FY"}),
                     2);
  });
  EXPECT_NE(error.Description().find(u"\"P1_FNoSuch\""), std::u16string::npos);
  const auto quality = tavtest::ErrorOf([&] {
    entry.AddControl(
        *Control({u"FFieldName", u"FLowerLimitUnUse", u"FCtlOrder", 4, u"FRelateOutTbl", true}), 4);
  });
  EXPECT_NE(quality.Description().find(u"\"P1_FLowerLimitID\""), std::u16string::npos);
}

}  // namespace
}  // namespace billdata_test
