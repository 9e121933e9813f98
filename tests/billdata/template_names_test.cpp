// Names from the template structure that would carry statements: every piece the head and entry
// statements take from a control record, a relation action or the bill type's table information,
// planted in dicStruct or in the stored template rows, makes the call fail with an error that
// names the control and the text, before any statement runs, and leaves the aimed-at tables as
// they were. Valid templates keep their statements (the trace tests of head_data_test and
// entry_data_test).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "bill_fill.h"
#include "bill_fixture.h"
#include "billdata/caller_sql.h"
#include "com_error_of.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace billdata_test {
namespace {

enum class Member { kHead, kEntry };

// A text planted under `key` of the dictionary `target` of dicStruct ("P0_FBillNo", "BillInfo"),
// with the error it must cause.
struct HostileCase {
  const char* name;
  Member member;
  std::int32_t bill_type;
  std::u16string target;
  std::u16string key;
  std::u16string text;
  std::u16string where;     // where the error says the text was found
  std::u16string quoted{};  // what the error quotes, when not the whole text (a token of it)
  std::vector<std::tuple<std::u16string, std::u16string, Variant>> also{};  // target, key, value
};

// The further fields `names_and_values` (each name, then its value) of the control record
// `target` that a case needs.
std::vector<std::tuple<std::u16string, std::u16string, Variant>> Also(
    const std::u16string& target, std::initializer_list<Variant> names_and_values) {
  std::vector<std::tuple<std::u16string, std::u16string, Variant>> fields;
  for (auto it = names_and_values.begin(); it != names_and_values.end(); it += 2)
    fields.emplace_back(target, it->AsString(), *std::next(it));
  return fields;
}

class TemplateNamesTest : public BillDataTest {
 protected:
  // How many rows the tables the texts below aim at hold ("dropped" for a table that is gone).
  std::vector<std::string> Aimed() const {
    std::vector<std::string> counts;
    for (const char16_t* table : {u"t_SubMessage", u"GLNoteCitation"}) {
      try {
        counts.push_back(oleaut::ToUtf8(
            oleaut::ToString(Column(u"SELECT count(*) FROM " + std::u16string(table))[0])));
      } catch (const oleaut::ComError&) {
        counts.emplace_back("dropped");
      }
    }
    return counts;
  }
};

// A bill of the demo data of each bill type the cases use.
std::int32_t FirstBill(std::int32_t bill_type) {
  switch (bill_type) {
    case 92:
      return 9201;
    case 87:
      return 8701;
    case 707:
      return 70701;
    default:
      return 1001;
  }
}

std::u16string Reported(std::u16string_view where, std::u16string_view text) {
  return std::u16string(where) + u" '" + std::u16string(text) + u"' is not";
}

constexpr char16_t kDropTable[] =
    u"FBillNo FROM ICStockBill; DROP TABLE GLNoteCitation; SELECT ICStockBill.FInterID AS X";
constexpr char16_t kDelete[] = u"; DELETE FROM t_SubMessage --";

std::u16string Control(std::u16string_view page, int item, std::u16string_view field) {
  return u" of item " + oleaut::FromUtf8(std::to_string(item)) + u" of \"" + std::u16string(page) +
         u"\" (the control \"" + std::u16string(field) + u"\")";
}

TEST_F(TemplateNamesTest, EveryPieceCarryingAStatementFailsTheCallBeforeAnythingRuns) {
  const std::u16string del = kDelete;
  const std::u16string a3 = u"token 4 of \"FAction\"";
  const HostileCase cases[] = {
      // Head: the control's column, its lookup table with the key, code and name columns.
      {"head column", Member::kHead, 1, u"P0_FBillNo", u"FFieldName", kDropTable,
       u"\"FFieldName\"" + Control(u"Page0", 1, kDropTable)},
      {"head lookup table", Member::kHead, 1, u"P0_FSupplyID", u"FGetTable",
       u"t_Supplier t0 on 1=1; DELETE FROM t_SubMessage; SELECT * FROM t_Supplier",
       u"\"FGetTable\"" + Control(u"Page0", 3, u"FSupplyID")},
      {"head lookup key", Member::kHead, 1, u"P0_FSupplyID", u"FInterID", u"FItemID" + del,
       u"\"FInterID\"" + Control(u"Page0", 3, u"FSupplyID")},
      {"head code column", Member::kHead, 1, u"P0_FCheckerID", u"FNumber",
       u"FUserID, (SELECT max(FName) FROM t_User) AS x",
       u"\"FNumber\"" + Control(u"Page0", 11, u"FCheckerID")},
      {"head name column", Member::kHead, 1, u"P0_FBillerID", u"FName", u"FName" + del,
       u"\"FName\"" + Control(u"Page0", 10, u"FBillerID")},
      {"head stored column", Member::kHead, 1, u"P0_FTranType", u"FFieldName", u"FTranType" + del,
       u"\"FFieldName\"" + Control(u"PageH", 1, u"FTranType" + del)},
      {"head table", Member::kHead, 1, u"BillInfo", u"FHeadTable",
       u"ICStockBill; DELETE FROM t_SubMessage; SELECT * FROM ICStockBill",
       u"\"FHeadTable\" of dicStruct(\"BillInfo\")"},
      {"head interior id column", Member::kHead, 1, u"BillInfo", u"FKeyInterID",
       u"FInterID FROM ICStockBill; DROP TABLE GLNoteCitation --",
       u"\"FKeyInterID\" of dicStruct(\"BillInfo\")"},
      // Head relations: each action form, each token that reaches the statement.
      {"head . column", Member::kHead, 1, u"P0_FSupplyAddress", u"FAction", u".,FAddress" + del,
       u"token 2 of \"FAction\"" + Control(u"Page0", 4, u"FSupplyAddress"), u"FAddress" + del},
      {"head . join column", Member::kHead, 1, u"P0_FSupplyAddress", u"FAction",
       u".,FRegionID,FRegionID OR 1=1",
       u"token 3 of \"FAction\"" + Control(u"Page0", 4, u"FSupplyAddress"), u"FRegionID OR 1=1",
       Also(u"P0_FSupplyAddress", {u"FGetTable", u"t_Supplier", u"FInterID", u"FItemID"})},
      {"head .A3 join column (the stored text of the probe)", Member::kHead, 1,
       u"P0_FSupplyAddress", u"FAction",
       u".A3,FSupplyID,t_Supplier,FItemID;DELETE FROM t_SubMessage;SELECT 1 AS z FROM "
       u"ICStockBill,FName",
       a3 + Control(u"Page0", 4, u"FSupplyAddress"),
       u"FItemID;DELETE FROM t_SubMessage;SELECT 1 AS z FROM ICStockBill"},
      {"head .A3 joined table", Member::kHead, 1, u"P0_FSupplyAddress", u"FAction",
       u".A3,FSupplyID,t_Supplier t9 on 1=1" + del + u",FItemID",
       u"token 3 of \"FAction\"" + Control(u"Page0", 4, u"FSupplyAddress"),
       u"t_Supplier t9 on 1=1" + del},
      {"head .A3 sub-select table", Member::kHead, 1, u"P0_FSupplyAddress", u"FAction",
       u".A3,FSupplyID,t_Supplier,FItemID,FItemID,t_Supplier" + del + u",FItemID",
       u"token 6 of \"FAction\"" + Control(u"Page0", 4, u"FSupplyAddress"), u"t_Supplier" + del},
      {"head .A3 compared value", Member::kHead, 1, u"P0_FSupplyAddress", u"FAction",
       u".A3,FSupplyID,t_Supplier,FItemID,FItemID,t_Supplier,0 OR 1=1,FName",
       u"token 7 of \"FAction\"" + Control(u"Page0", 4, u"FSupplyAddress"), u"0 OR 1=1"},
      {"head .A3 sub-selected column", Member::kHead, 1, u"P0_FSupplyAddress", u"FAction",
       u".A3,FSupplyID,t_Supplier,FItemID,FItemID,t_Supplier,1,(SELECT 1)",
       u"token 8 of \"FAction\"" + Control(u"Page0", 4, u"FSupplyAddress"), u"(SELECT 1)"},
      {"head .A sub-select key", Member::kHead, 1, u"P0_FSupplyAddress", u"FInterID",
       u"FItemID) AS a, (SELECT max(FName) FROM t_User",
       u"\"FInterID\"" + Control(u"Page0", 4, u"FSupplyAddress"), u"",
       Also(u"P0_FSupplyAddress",
            {u"FAction", u".A,FItemID", u"FName", u"FName", u"FGetTable", u"t_Supplier"})},

      // Entry: the control's column, its lookup table with the key, code and name columns.
      {"entry column", Member::kEntry, 1, u"P1_FItemID", u"FFieldName", u"FItemID" + del,
       u"\"FFieldName\"" + Control(u"Page1", 1, u"FItemID" + del)},
      {"entry lookup table", Member::kEntry, 1, u"P1_FUnitID", u"FGetTable",
       u"t_MeasureUnit t0 on 1=1" + del, u"\"FGetTable\"" + Control(u"Page1", 4, u"FUnitID")},
      {"entry lookup key", Member::kEntry, 1, u"P1_FUnitID", u"FInterID", u"FMeasureUnitID OR 1=1",
       u"\"FInterID\"" + Control(u"Page1", 4, u"FUnitID")},
      {"entry code column", Member::kEntry, 1, u"P1_FDCStockID", u"FNumber",
       u"FNumber, (SELECT max(FName) FROM t_User) AS x",
       u"\"FNumber\"" + Control(u"Page1", 9, u"FDCStockID")},
      {"entry stored column", Member::kEntry, 1, u"P1_FEntryID", u"FFieldName", u"FEntryID" + del,
       u"\"FFieldName\"" + Control(u"PageE", 2, u"FEntryID" + del)},
      {"entry source bill number", Member::kEntry, 92, u"P1_FICMOInterID", u"FBillNo",
       u"FBillNo FROM ICMO" + del, u"\"FBillNo\"" + Control(u"Page1", 8, u"FICMOInterID")},
      {"entry source bill alias", Member::kEntry, 92, u"P1_FICMOInterID", u"FInterID",
       u"FICMOID, (SELECT 1) AS y", u"\"FInterID\"" + Control(u"Page1", 8, u"FICMOInterID")},
      {"entry quality column of the related control", Member::kEntry, 707, u"P1_FTargetID",
       u"FName", u"FName FROM t_SubMessage" + del,
       u"\"FName\" of the control record \"P1_FTargetID\" that item 3 of \"Page1\" (the control "
       u"\"FTargetUnUse\") relates to"},
      {"entry item key of lookup class -24", Member::kEntry, 1, u"BillInfo", u"FKeyItemID",
       u"FItemID" + del, u"\"FKeyItemID\" of dicStruct(\"BillInfo\")", u"",
       Also(u"P1_FAuxPropID", {u"FCtlType", 8, u"FLookUpCls", -24})},
      {"entry table", Member::kEntry, 1, u"BillInfo", u"FEntryTable", u"ICStockBillEntry" + del,
       u"\"FEntryTable\" of dicStruct(\"BillInfo\")"},
      {"entry line column", Member::kEntry, 1, u"BillInfo", u"FKeyIndexID",
       u"FEntryID; DROP TABLE GLNoteCitation", u"\"FKeyIndexID\" of dicStruct(\"BillInfo\")"},
      // Entry relations: each action form, each token that reaches the statement.
      {"entry . column", Member::kEntry, 1, u"P1_FItemModel", u"FAction", u".,FModel) AS x --",
       u"token 2 of \"FAction\"" + Control(u"Page1", 2, u"FItemModel"), u"FModel) AS x --"},
      {"entry . join column", Member::kEntry, 1, u"P1_FItemModel", u"FAction",
       u".,FUnitGroupID,FUnitGroupID OR 1=1",
       u"token 3 of \"FAction\"" + Control(u"Page1", 2, u"FItemModel"), u"FUnitGroupID OR 1=1",
       Also(u"P1_FItemModel",
            {u"FGetTable", u"t_UnitGroup", u"FInterID", u"FUnitGroupID", u"FName", u"FName"})},
      {"entry .A sub-selected column", Member::kEntry, 1, u"P1_FItemModel", u"FName",
       u"FNumber FROM t_auxitem) AS x, (SELECT FName",
       u"\"FName\"" + Control(u"Page1", 2, u"FItemModel"), u"",
       Also(u"P1_FItemModel",
            {u"FAction", u".A,FAuxPropID", u"FGetTable", u"t_auxitem", u"FInterID", u"FItemID"})},
      {"entry .A3 join column", Member::kEntry, 1, u"P1_FItemModel", u"FAction",
       u".A3,FItemID,ICItemAuxProp,FItemID OR 1=1,FAuxPropID",
       a3 + Control(u"Page1", 2, u"FItemModel"), u"FItemID OR 1=1"},
      {"entry = column of the related lookup", Member::kEntry, 1, u"P1_FBatchNo", u"FAction",
       u"=,FUnitGroupID FROM t_ICItem" + del,
       u"token 2 of \"FAction\"" + Control(u"Page1", 5, u"FBatchNo"),
       u"FUnitGroupID FROM t_ICItem" + del, Also(u"P1_FBatchNo", {u"FRelationID", u"FItemID"})},
      {"entry computed amount", Member::kEntry, 87, u"P1_FAmount", u"FAction",
       u"=,u1.FQty FROM u1" + del, u"token 2 of \"FAction\"" + Control(u"Page1", 4, u"FAmount"),
       u"ICStockBillEntry.FQty FROM ICStockBillEntry" + del},
      {"entry computed amount with a comment", Member::kEntry, 87, u"P1_FAmount", u"FAction",
       u"=,u1.FQty--u1.FConsignPrice", u"token 2 of \"FAction\"" + Control(u"Page1", 4, u"FAmount"),
       u"ICStockBillEntry.FQty--ICStockBillEntry.FConsignPrice"},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> aimed = Aimed();
    auto structure = Package(c.bill_type);
    AsDict(structure->Item(c.target))->SetItem(c.key, c.text);
    for (const auto& [target, key, value] : c.also)
      AsDict(structure->Item(target))->SetItem(key, value);
    const auto condition = Condition(c.bill_type, {FirstBill(c.bill_type)});
    ado::ScopedSqlTrace trace;
    const oleaut::ComError error = tavtest::ErrorOf([&] {
      if (c.member == Member::kHead) {
        Head(condition, structure);
      } else {
        Entry(condition, structure);
      }
    });
    EXPECT_EQ(error.VbNumber(), oleaut::kInvalidProcedureCall);
    const std::u16string reported = Reported(c.where, c.quoted.empty() ? c.text : c.quoted);
    EXPECT_NE(error.Description().find(reported), std::u16string::npos)
        << oleaut::ToUtf8(error.Description());
    EXPECT_NE(error.Description().find(u"nothing was run"), std::u16string::npos);
    EXPECT_EQ(error.Source().rfind(c.member == Member::kHead
                                       ? u"TAVMAppConnection.clsGetData:GetHeadFillData:"
                                       : u"TAVMAppConnection.clsGetData:GetEntryFillData:",
                                   0),
              0U);
    EXPECT_EQ(trace.Batches(), std::vector<std::u16string>{});
    EXPECT_EQ(Aimed(), aimed);
  }
}

// The statements of a valid template are unchanged by the checks; names in brackets, names of
// other scripts, qualified tables and compared values of each allowed kind go through.
TEST_F(TemplateNamesTest, ValidNamesOfEveryFormGoThrough) {
  auto structure = Package(1);
  AsDict(structure->Item(u"P0_FSupplyAddress"))
      ->SetItem(u"FAction", u".A3,[FSupplyID],t_Supplier,FItemID,FName,t_Supplier,N'甲',FName");
  AsDict(structure->Item(u"P0_FBillNo"))->SetItem(u"FFieldName", u"[FBillNo]");
  ado::ScopedSqlTrace trace;
  const auto head = Head(Condition(1, {1001}), structure);
  EXPECT_EQ(head.result, 1);
  const std::u16string batch = trace.Batches().at(0);
  EXPECT_NE(batch.find(u" ICStockBill.[FBillNo],"), std::u16string::npos);
  EXPECT_NE(batch.find(u"(SELECT FName FROM t_Supplier WHERE t003.FName=N'甲') as "
                       u"FSupplyAddress,"),
            std::u16string::npos)
      << oleaut::ToUtf8(batch);
  EXPECT_NE(batch.find(u" left join t_Supplier  t003 on ICStockBill.[FSupplyID]= t003.FItemID "),
            std::u16string::npos);
  EXPECT_EQ(TextRows(*head.Rows(), {u"FBillNo"}), std::vector<TextRow>{{"WIN000001"}});

  // A computed amount of names, numbers, signs and parentheses.
  auto subcontract = Package(87);
  AsDict(subcontract->Item(u"P1_FAmount"))
      ->SetItem(u"FAction", u"=,(u1.FQty + 0.5) * -u1.FConsignPrice / 2");
  EXPECT_EQ(TextRows(*Entry(Condition(87, {8701}), subcontract).Rows(), {u"FAmount"}),
            (std::vector<TextRow>{{"-476.1875"}, {"-357.4375"}}));
}

TEST(SqlPieceTest, NamesValuesAndComputedColumns) {
  using billdata::SqlNameForm;
  struct Case {
    std::u16string_view text;
    bool one_part;
    bool qualified;
    bool arithmetic;
  };
  const Case cases[] = {
      {u"FBillNo", true, true, true},
      {u" FBillNo ", true, true, true},
      {u"[F Bill;No]]--]", true, true, true},
      {u"物料", true, true, true},
      {u"dbo.t_Supplier", false, true, true},
      {u"db..[t]", false, true, true},
      {u"a.b.c.d.e", false, false, false},
      {u"FBillNo FROM t", false, false, false},
      {u"FBillNo;", false, false, false},
      {u"[FBillNo", false, false, false},
      {u"", false, false, false},
      {u"u1.FQty*u1.FPrice", false, false, true},
      {u"u1.FQty--x", false, false, false},
      {u"u1.FQty - -x", false, false, true},
      {u"u1.FQty/*x*/", false, false, false},
      {u"(a+(b))*-2e3%'x'", false, false, true},
      {u"(a+b", false, false, false},
      {u"a+b)", false, false, false},
      {u"abs(a)", false, false, false},
      {u"a b", false, false, false},
      {u"1.5 + N'it''s'", false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.text));
    EXPECT_EQ(billdata::IsSqlName(c.text, SqlNameForm::kOnePart), c.one_part);
    EXPECT_EQ(billdata::IsSqlName(c.text, SqlNameForm::kQualified), c.qualified);
    EXPECT_EQ(billdata::IsSqlArithmetic(c.text), c.arithmetic);
  }
  EXPECT_EQ(billdata::SqlNameText(u"FS"), u"FS");
  EXPECT_EQ(billdata::SqlNameText(u"FS/M"), u"[FS/M]");
  EXPECT_EQ(billdata::SqlNameText(u"F]x"), u"[F]]x]");
}

// The stored template rows, as the print client reads them through `tavprint bill fill`.
class StoredTemplateTest : public TemplateNamesTest {
 protected:
  std::string dsn_ = oleaut::ToUtf8(Dsn("EN"));
};

TEST_F(StoredTemplateTest, HostileRowsFailTheFillAndRunNoFillStatement) {
  struct Case {
    const char* name;
    const char16_t* update;
    const char16_t* restore;
    std::u16string reported;
    std::u16string_view unrun;  // the temporary table of the member that must not have run
  };
  const Case cases[] = {
      {"head relation action",
       u"UPDATE ICTemplate SET FAction = '.A3,FSupplyID,t_Supplier,FItemID;DELETE FROM "
       u"t_SubMessage;SELECT 1 AS z FROM ICStockBill,FName' WHERE FID = 'A01' AND FFieldName = "
       u"'FSupplyAddress'",
       u"UPDATE ICTemplate SET FAction = '.,FAddress' WHERE FID = 'A01' AND FFieldName = "
       u"'FSupplyAddress'",
       Reported(u"token 4 of \"FAction\"" + Control(u"Page0", 4, u"FSupplyAddress"),
                u"FItemID;DELETE FROM t_SubMessage;SELECT 1 AS z FROM ICStockBill"),
       u"#tmp"},
      {"entry relation action",
       u"UPDATE ICTemplateEntry SET FAction = '.A3,FItemID,ICItemAuxProp t8 on 1=1; DELETE FROM "
       u"t_SubMessage; SELECT * FROM ICItemAuxProp,FItemID,FAuxPropID' WHERE FID = 'A01' AND "
       u"FFieldName = 'FItemModel'",
       u"UPDATE ICTemplateEntry SET FAction = '.,FModel' WHERE FID = 'A01' AND FFieldName = "
       u"'FItemModel'",
       Reported(u"token 3 of \"FAction\"" + Control(u"Page1", 2, u"FItemModel"),
                u"ICItemAuxProp t8 on 1=1"),
       u"#tmpsort"},
      {"lookup class table",
       u"UPDATE ICLookUpClass SET FGetTable = 't_Supplier t0 on 1=1;DELETE FROM t_SubMessage--' "
       u"WHERE FLookUpCls = 8",
       u"UPDATE ICLookUpClass SET FGetTable = 't_Supplier' WHERE FLookUpCls = 8",
       Reported(u"\"FGetTable\"" + Control(u"Page0", 3, u"FSupplyID"),
                u"t_Supplier t0 on 1=1;DELETE FROM t_SubMessage--"),
       u"#tmp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Exec(c.update);
    const std::vector<std::string> aimed = Aimed();
    tavprint::BillFillRequest request;
    request.bill_type = 1;
    request.bill_ids = {1001};
    std::ostringstream out;
    ado::ScopedSqlTrace trace;
    const oleaut::ComError error = tavtest::ErrorOf(
        [&] { tavprint::RunBillFill(dsn_, request, tavprint::OutputOptions{}, out); });
    EXPECT_NE(error.Description().find(c.reported), std::u16string::npos)
        << oleaut::ToUtf8(error.Description());
    // The bill type and its template were read; no statement of the failing member ran.
    for (const std::u16string& batch : trace.Batches()) {
      EXPECT_EQ(batch.find(c.unrun), std::u16string::npos) << oleaut::ToUtf8(batch);
    }
    EXPECT_EQ(Aimed(), aimed);
    Exec(c.restore);
  }
}

}  // namespace
}  // namespace billdata_test
