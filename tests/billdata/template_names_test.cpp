// Names from the template structure that would carry statements: every piece the head and entry
// statements take from a control record, a relation action or the bill type's table information,
// planted in dicStruct or in the stored template rows, makes the call fail with an error that
// names the control and the text, before any statement runs, and leaves the aimed-at tables as
// they were. Valid templates keep their statements (the trace tests of head_data_test and
// entry_data_test).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "bill_fill.h"
#include "bill_fixture.h"
#include "billdata/caller_sql.h"
#include "com_error_of.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "run_command.h"

namespace billdata_test {
namespace {

using Settings = std::vector<std::pair<std::u16string, Variant>>;

// Where a case plants its texts: the dictionary under `target` of dicStruct ("P0_FBillNo",
// "BillInfo"), given the items of `settings`.
struct Plant {
  std::u16string target;
  Settings settings;
};

enum class Member { kHead, kEntry };

struct HostileCase {
  const char* name;
  Member member;
  std::int32_t bill_type;
  std::vector<Plant> plants;
  std::u16string reported;  // what the error must say: where the text was, then the text
};

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

constexpr char16_t kDropTable[] =
    u"FBillNo FROM ICStockBill; DROP TABLE GLNoteCitation; SELECT ICStockBill.FInterID AS X";
constexpr char16_t kStoredA3[] =
    u".A3,FSupplyID,t_Supplier,FItemID;DELETE FROM t_SubMessage;SELECT 1 AS z FROM "
    u"ICStockBill,FName";

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

TEST_F(TemplateNamesTest, EveryPieceCarryingAStatementFailsTheCallBeforeAnythingRuns) {
  const HostileCase cases[] = {
      // Head: the control's column, its lookup table with the key, code and name columns.
      {"head column",
       Member::kHead,
       1,
       {{u"P0_FBillNo", {{u"FFieldName", kDropTable}}}},
       Reported(u"\"FFieldName\" of item 1 of \"Page0\" (the control \"" +
                    std::u16string(kDropTable) + u"\")",
                kDropTable)},
      {"head lookup table",
       Member::kHead,
       1,
       {{u"P0_FSupplyID",
         {{u"FGetTable",
           u"t_Supplier t0 on 1=1; DELETE FROM t_SubMessage; SELECT * FROM t_Supplier"}}}},
       Reported(u"\"FGetTable\" of item 3 of \"Page0\" (the control \"FSupplyID\")",
                u"t_Supplier t0 on 1=1; DELETE FROM t_SubMessage; SELECT * FROM t_Supplier")},
      {"head lookup key",
       Member::kHead,
       1,
       {{u"P0_FSupplyID", {{u"FInterID", u"FItemID; DELETE FROM t_SubMessage --"}}}},
       Reported(u"\"FInterID\" of item 3 of \"Page0\" (the control \"FSupplyID\")",
                u"FItemID; DELETE FROM t_SubMessage --")},
      {"head code column",
       Member::kHead,
       1,
       {{u"P0_FCheckerID", {{u"FNumber", u"FUserID, (SELECT max(FName) FROM t_User) AS x"}}}},
       Reported(u"\"FNumber\" of item 11 of \"Page0\" (the control \"FCheckerID\")",
                u"FUserID, (SELECT max(FName) FROM t_User) AS x")},
      {"head name column",
       Member::kHead,
       1,
       {{u"P0_FBillerID", {{u"FName", u"FName; DELETE FROM t_SubMessage; SELECT 1 AS z --"}}}},
       Reported(u"\"FName\" of item 10 of \"Page0\" (the control \"FBillerID\")",
                u"FName; DELETE FROM t_SubMessage; SELECT 1 AS z --")},
      {"head stored column",
       Member::kHead,
       1,
       {{u"P0_FTranType", {{u"FFieldName", u"FTranType; DELETE FROM t_SubMessage --"}}}},
       Reported(u"\"FFieldName\" of item 1 of \"PageH\" (the control \"FTranType; DELETE FROM "
                u"t_SubMessage --\")",
                u"FTranType; DELETE FROM t_SubMessage --")},
      // Head relations: each action form, each token that reaches the statement.
      {"head . column",
       Member::kHead,
       1,
       {{u"P0_FSupplyAddress", {{u"FAction", u".,FAddress; DELETE FROM t_SubMessage --"}}}},
       Reported(u"token 2 of \"FAction\" of item 4 of \"Page0\" (the control \"FSupplyAddress\")",
                u"FAddress; DELETE FROM t_SubMessage --")},
      {"head . join column",
       Member::kHead,
       1,
       {{u"P0_FSupplyAddress",
         {{u"FAction", u".,FRegionID,FRegionID OR 1=1"},
          {u"FGetTable", u"t_Supplier"},
          {u"FInterID", u"FItemID"},
          {u"FName", u"FName"}}}},
       Reported(u"token 3 of \"FAction\" of item 4 of \"Page0\" (the control \"FSupplyAddress\")",
                u"FRegionID OR 1=1")},
      {"head .A3 join column (the stored text of the probe)",
       Member::kHead,
       1,
       {{u"P0_FSupplyAddress", {{u"FAction", kStoredA3}}}},
       Reported(u"token 4 of \"FAction\" of item 4 of \"Page0\" (the control \"FSupplyAddress\")",
                u"FItemID;DELETE FROM t_SubMessage;SELECT 1 AS z FROM ICStockBill")},
      {"head .A3 joined table",
       Member::kHead,
       1,
       {{u"P0_FSupplyAddress",
         {{u"FAction",
           u".A3,FSupplyID,t_Supplier t9 on 1=1; DELETE FROM t_SubMessage --,FItemID"}}}},
       Reported(u"token 3 of \"FAction\" of item 4 of \"Page0\" (the control \"FSupplyAddress\")",
                u"t_Supplier t9 on 1=1; DELETE FROM t_SubMessage --")},
      {"head .A3 sub-select table",
       Member::kHead,
       1,
       {{u"P0_FSupplyAddress",
         {{u"FAction",
           u".A3,FSupplyID,t_Supplier,FItemID,FItemID,t_Supplier; DELETE FROM "
           u"t_SubMessage --,FItemID"}}}},
       Reported(u"token 6 of \"FAction\" of item 4 of \"Page0\" (the control \"FSupplyAddress\")",
                u"t_Supplier; DELETE FROM t_SubMessage --")},
      {"head .A3 compared value",
       Member::kHead,
       1,
       {{u"P0_FSupplyAddress",
         {{u"FAction", u".A3,FSupplyID,t_Supplier,FItemID,FItemID,t_Supplier,0 OR 1=1,FName"}}}},
       Reported(u"token 7 of \"FAction\" of item 4 of \"Page0\" (the control \"FSupplyAddress\")",
                u"0 OR 1=1")},
      {"head .A3 sub-selected column",
       Member::kHead,
       1,
       {{u"P0_FSupplyAddress",
         {{u"FAction", u".A3,FSupplyID,t_Supplier,FItemID,FItemID,t_Supplier,1,(SELECT 1)"}}}},
       Reported(u"token 8 of \"FAction\" of item 4 of \"Page0\" (the control \"FSupplyAddress\")",
                u"(SELECT 1)")},
      {"head .A sub-select key",
       Member::kHead,
       1,
       {{u"P0_FSupplyAddress",
         {{u"FAction", u".A,FItemID"},
          {u"FName", u"FName"},
          {u"FGetTable", u"t_Supplier"},
          {u"FInterID", u"FItemID) AS a, (SELECT max(FName) FROM t_User"}}}},
       Reported(u"\"FInterID\" of item 4 of \"Page0\" (the control \"FSupplyAddress\")",
                u"FItemID) AS a, (SELECT max(FName) FROM t_User")},
      // Head: the bill type's table names.
      {"head table",
       Member::kHead,
       1,
       {{u"BillInfo",
         {{u"FHeadTable", u"ICStockBill; DELETE FROM t_SubMessage; SELECT * FROM ICStockBill"}}}},
       Reported(u"\"FHeadTable\" of dicStruct(\"BillInfo\")",
                u"ICStockBill; DELETE FROM t_SubMessage; SELECT * FROM ICStockBill")},
      {"head interior id column",
       Member::kHead,
       1,
       {{u"BillInfo",
         {{u"FKeyInterID", u"FInterID FROM ICStockBill; DROP TABLE GLNoteCitation --"}}}},
       Reported(u"\"FKeyInterID\" of dicStruct(\"BillInfo\")",
                u"FInterID FROM ICStockBill; DROP TABLE GLNoteCitation --")},

      // Entry: the control's column, its lookup table with the key, code and name columns.
      {"entry column",
       Member::kEntry,
       1,
       {{u"P1_FItemID", {{u"FFieldName", u"FItemID; DELETE FROM t_SubMessage --"}}}},
       Reported(u"\"FFieldName\" of item 1 of \"Page1\" (the control \"FItemID; DELETE FROM "
                u"t_SubMessage --\")",
                u"FItemID; DELETE FROM t_SubMessage --")},
      {"entry lookup table",
       Member::kEntry,
       1,
       {{u"P1_FUnitID", {{u"FGetTable", u"t_MeasureUnit t0 on 1=1; DELETE FROM t_SubMessage --"}}}},
       Reported(u"\"FGetTable\" of item 4 of \"Page1\" (the control \"FUnitID\")",
                u"t_MeasureUnit t0 on 1=1; DELETE FROM t_SubMessage --")},
      {"entry lookup key",
       Member::kEntry,
       1,
       {{u"P1_FUnitID", {{u"FInterID", u"FMeasureUnitID OR 1=1"}}}},
       Reported(u"\"FInterID\" of item 4 of \"Page1\" (the control \"FUnitID\")",
                u"FMeasureUnitID OR 1=1")},
      {"entry code column",
       Member::kEntry,
       1,
       {{u"P1_FDCStockID", {{u"FNumber", u"FNumber, (SELECT max(FName) FROM t_User) AS x"}}}},
       Reported(u"\"FNumber\" of item 9 of \"Page1\" (the control \"FDCStockID\")",
                u"FNumber, (SELECT max(FName) FROM t_User) AS x")},
      {"entry stored column",
       Member::kEntry,
       1,
       {{u"P1_FEntryID", {{u"FFieldName", u"FEntryID; DELETE FROM t_SubMessage --"}}}},
       Reported(u"\"FFieldName\" of item 2 of \"PageE\" (the control \"FEntryID; DELETE FROM "
                u"t_SubMessage --\")",
                u"FEntryID; DELETE FROM t_SubMessage --")},
      {"entry source bill number",
       Member::kEntry,
       92,
       {{u"P1_FICMOInterID", {{u"FBillNo", u"FBillNo FROM ICMO; DELETE FROM t_SubMessage --"}}}},
       Reported(u"\"FBillNo\" of item 8 of \"Page1\" (the control \"FICMOInterID\")",
                u"FBillNo FROM ICMO; DELETE FROM t_SubMessage --")},
      {"entry source bill alias",
       Member::kEntry,
       92,
       {{u"P1_FICMOInterID", {{u"FInterID", u"FICMOID, (SELECT 1) AS y"}}}},
       Reported(u"\"FInterID\" of item 8 of \"Page1\" (the control \"FICMOInterID\")",
                u"FICMOID, (SELECT 1) AS y")},
      {"entry quality column of the related control",
       Member::kEntry,
       707,
       {{u"P1_FTargetID", {{u"FName", u"FName FROM t_SubMessage; DELETE FROM t_SubMessage --"}}}},
       Reported(u"\"FName\" of the control record \"P1_FTargetID\" that item 3 of \"Page1\" (the "
                u"control \"FTargetUnUse\") relates to",
                u"FName FROM t_SubMessage; DELETE FROM t_SubMessage --")},
      {"entry item key of lookup class -24",
       Member::kEntry,
       1,
       {{u"P1_FAuxPropID", {{u"FCtlType", 8}, {u"FLookUpCls", -24}}},
        {u"BillInfo", {{u"FKeyItemID", u"FItemID; DELETE FROM t_SubMessage --"}}}},
       Reported(u"\"FKeyItemID\" of dicStruct(\"BillInfo\")",
                u"FItemID; DELETE FROM t_SubMessage --")},
      // Entry relations: each action form, each token that reaches the statement.
      {"entry . column",
       Member::kEntry,
       1,
       {{u"P1_FItemModel", {{u"FAction", u".,FModel) AS x --"}}}},
       Reported(u"token 2 of \"FAction\" of item 2 of \"Page1\" (the control \"FItemModel\")",
                u"FModel) AS x --")},
      {"entry . join column",
       Member::kEntry,
       1,
       {{u"P1_FItemModel",
         {{u"FAction", u".,FUnitGroupID,FUnitGroupID OR 1=1"},
          {u"FGetTable", u"t_UnitGroup"},
          {u"FInterID", u"FUnitGroupID"},
          {u"FName", u"FName"}}}},
       Reported(u"token 3 of \"FAction\" of item 2 of \"Page1\" (the control \"FItemModel\")",
                u"FUnitGroupID OR 1=1")},
      {"entry .A sub-selected column",
       Member::kEntry,
       1,
       {{u"P1_FItemModel",
         {{u"FAction", u".A,FAuxPropID"},
          {u"FGetTable", u"t_auxitem"},
          {u"FInterID", u"FItemID"},
          {u"FName", u"FNumber FROM t_auxitem) AS x, (SELECT FName"}}}},
       Reported(u"\"FName\" of item 2 of \"Page1\" (the control \"FItemModel\")",
                u"FNumber FROM t_auxitem) AS x, (SELECT FName")},
      {"entry .A3 join column",
       Member::kEntry,
       1,
       {{u"P1_FItemModel", {{u"FAction", u".A3,FItemID,ICItemAuxProp,FItemID OR 1=1,FAuxPropID"}}}},
       Reported(u"token 4 of \"FAction\" of item 2 of \"Page1\" (the control \"FItemModel\")",
                u"FItemID OR 1=1")},
      {"entry = column of the related lookup",
       Member::kEntry,
       1,
       {{u"P1_FBatchNo",
         {{u"FRelationID", u"FItemID"},
          {u"FAction", u"=,FUnitGroupID FROM t_ICItem; DELETE FROM t_SubMessage --"}}}},
       Reported(u"token 2 of \"FAction\" of item 5 of \"Page1\" (the control \"FBatchNo\")",
                u"FUnitGroupID FROM t_ICItem; DELETE FROM t_SubMessage --")},
      {"entry computed amount",
       Member::kEntry,
       87,
       {{u"P1_FAmount", {{u"FAction", u"=,u1.FQty FROM u1; DELETE FROM t_SubMessage --"}}}},
       Reported(u"token 2 of \"FAction\" of item 4 of \"Page1\" (the control \"FAmount\")",
                u"ICStockBillEntry.FQty FROM ICStockBillEntry; DELETE FROM t_SubMessage --")},
      {"entry computed amount with a comment",
       Member::kEntry,
       87,
       {{u"P1_FAmount", {{u"FAction", u"=,u1.FQty--u1.FConsignPrice"}}}},
       Reported(u"token 2 of \"FAction\" of item 4 of \"Page1\" (the control \"FAmount\")",
                u"ICStockBillEntry.FQty--ICStockBillEntry.FConsignPrice")},
      // Entry: the bill type's table names.
      {"entry table",
       Member::kEntry,
       1,
       {{u"BillInfo", {{u"FEntryTable", u"ICStockBillEntry; DELETE FROM t_SubMessage --"}}}},
       Reported(u"\"FEntryTable\" of dicStruct(\"BillInfo\")",
                u"ICStockBillEntry; DELETE FROM t_SubMessage --")},
      {"entry line column",
       Member::kEntry,
       1,
       {{u"BillInfo", {{u"FKeyIndexID", u"FEntryID; DROP TABLE GLNoteCitation"}}}},
       Reported(u"\"FKeyIndexID\" of dicStruct(\"BillInfo\")",
                u"FEntryID; DROP TABLE GLNoteCitation")},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> aimed = Aimed();
    auto structure = Package(c.bill_type);
    for (const Plant& plant : c.plants) {
      const auto target = AsDict(structure->Item(plant.target));
      ASSERT_TRUE(target) << oleaut::ToUtf8(plant.target);
      for (const auto& [key, value] : plant.settings)
        target->SetItem(key, value);
    }
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
    EXPECT_NE(error.Description().find(c.reported), std::u16string::npos)
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
       Reported(u"token 4 of \"FAction\" of item 4 of \"Page0\" (the control \"FSupplyAddress\")",
                u"FItemID;DELETE FROM t_SubMessage;SELECT 1 AS z FROM ICStockBill"),
       u"#tmp"},
      {"entry relation action",
       u"UPDATE ICTemplateEntry SET FAction = '.A3,FItemID,ICItemAuxProp t8 on 1=1; DELETE FROM "
       u"t_SubMessage; SELECT * FROM ICItemAuxProp,FItemID,FAuxPropID' WHERE FID = 'A01' AND "
       u"FFieldName = 'FItemModel'",
       u"UPDATE ICTemplateEntry SET FAction = '.,FModel' WHERE FID = 'A01' AND FFieldName = "
       u"'FItemModel'",
       Reported(u"token 3 of \"FAction\" of item 2 of \"Page1\" (the control \"FItemModel\")",
                u"ICItemAuxProp t8 on 1=1"),
       u"#tmpsort"},
      {"lookup class table",
       u"UPDATE ICLookUpClass SET FGetTable = 't_Supplier t0 on 1=1;DELETE FROM t_SubMessage--' "
       u"WHERE FLookUpCls = 8",
       u"UPDATE ICLookUpClass SET FGetTable = 't_Supplier' WHERE FLookUpCls = 8",
       Reported(u"\"FGetTable\" of item 3 of \"Page0\" (the control \"FSupplyID\")",
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

    // The client program itself says the same and fails.
    const tavtest::CommandRun run = tavtest::RunCommand(
        "'" + std::string(TAV_TAVPRINT) + "' --dsn " + dsn_ + " bill fill 1 1001 2>&1");
    EXPECT_TRUE(WIFEXITED(run.wait_status) && WEXITSTATUS(run.wait_status) == 1) << run.out;
    EXPECT_NE(run.out.find(oleaut::ToUtf8(c.reported)), std::string::npos) << run.out;
    EXPECT_EQ(Aimed(), aimed);
    Exec(c.restore);
  }
}

}  // namespace
}  // namespace billdata_test
