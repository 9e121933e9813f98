// The head rows of selected bills through Invoke, as a print client gets them: the statements as
// they reach the database, the rows on the demo data, summary printing; and the early exits and
// bad requests of both fill members.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "bill_fixture.h"
#include "com_error_of.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/text.h"

namespace billdata_test {
namespace {

using testing::ElementsAre;

class HeadDataTest : public BillDataTest {
 protected:
  std::vector<TextRow> HeadRows(const FillResult& fill,
                                const std::vector<std::u16string>& columns) {
    EXPECT_EQ(fill.result, 1);
    return TextRows(*fill.Rows(), columns);
  }
};

constexpr char16_t kIssueHead[] =
    u"IF  object_id('tempdb..#tmpBillHeadPrint') is not null drop table #tmpBillHeadPrint SELECT "
    u"ICMOIssueBill.FInterID, ICMOIssueBill.FBillNo, ICMOIssueBill.FDate, ICMOIssueBill.FSupplyID,"
    u" t002.FNumber as  FSupplyIDNumber, t002.FName as  FSupplyIDName, ICMOIssueBill.FDeptID, "
    u"t003.FNumber as  FDeptIDNumber, t003.FName as  FDeptIDName, ICMOIssueBill.FMOItemID, "
    u"t004.FNumber as  FMOItemIDNumber, t004.FName as  FMOItemIDName, t004.FQtyDecimal, "
    u"t004.FPriceDecimal, t004.FUnitGroupID, t004.FModel as FMOItemModel, ICMOIssueBill.FMOQty, "
    u"ICMOIssueBill.FMOAuxQty, ICMOIssueBill.FStatus, t008.FID as  FStatusNumber, t008.FName as  "
    u"FStatusName, ICMOIssueBill.FBillerID, t009.FUserID as  FBillerIDNumber, t009.FName as  "
    u"FBillerIDName, ICMOIssueBill.FCheckerID, t010.FUserID as  FCheckerIDNumber, t010.FName as  "
    u"FCheckerIDName, cast(0 as decimal(28,14)) AS FPlanCost, cast('' as varchar(255)) AS "
    u"FPrintNote, ICMOIssueBill.FICMOInterID\r\n INTO #tmpBillHeadPrint  FROM ICMOIssueBill left "
    u"join t_Supplier  t002 on ICMOIssueBill.FSupplyID= t002.FItemID  left join t_Department  t003"
    u" on ICMOIssueBill.FDeptID= t003.FItemID  left join t_ICItem  t004 on "
    u"ICMOIssueBill.FMOItemID= t004.FItemID  left join t_SubMessage  t008 on "
    u"'ZT'+convert(varchar,(+(SELECT CASE ICMOIssueBill.FStatus when 0 then 1 when 3 then 3 when 5"
    u" then 4 else 1 END) ))= t008.FID  left join t_User  t009 on ICMOIssueBill.FBillerID= "
    u"t009.FUserID  left join t_User  t010 on ICMOIssueBill.FCheckerID= t010.FUserID \r\n WHERE "
    u"ICMOIssueBill.FInterID IN (9202,9201)";

TEST_F(HeadDataTest, BuildsOneStatementAndReadsItsTable) {
  ado::ScopedSqlTrace trace;
  const auto fill = Head(Condition(92, {9202, 9201}), Package(92));
  const auto batches = trace.Batches();
  ASSERT_GE(batches.size(), 2U);
  EXPECT_EQ(oleaut::ToUtf8(batches[batches.size() - 2]), oleaut::ToUtf8(kIssueHead));
  EXPECT_EQ(batches.back(), u"SELECT * FROM #tmpBillHeadPrint ");

  const auto rows = fill.Rows();
  EXPECT_EQ(rows->CursorLocation(), ado::adUseClient);
  EXPECT_EQ(rows->CursorType(), ado::adOpenStatic);
  EXPECT_TRUE(rows->ActiveConnection());
  EXPECT_THAT(HeadRows(fill, {u"FInterID", u"FSupplyIDName", u"FMOItemIDName", u"FQtyDecimal",
                              u"FMOItemModel", u"FMOQty", u"FStatusNumber", u"FStatusName",
                              u"FCheckerIDName", u"FPlanCost", u"FPrintNote", u"FICMOInterID"}),
              ElementsAre(TextRow{"9201", "上海华联纺织有限公司", "纯棉T恤", "0", "男款 圆领",
                                  "500", "ZT3", "已审核", "Manager", "0", "", "1"},
                          TextRow{"9202", "Shenzhen Bright Electronics Co., Ltd.", "牛仔裤", "0",
                                  "直筒 蓝色", "300", "ZT1", "未审核", "NULL", "0", "", "2"}));

  // The table stays in the session until the next call replaces it.
  const Variant left = data_->Call(u"ExecuteSQL", Dsn(), u"select count(*) from #tmpBillHeadPrint");
  EXPECT_EQ(left.AsObjectOf<ado::Recordset>()->Fields()->Item(std::int32_t{0})->Value(),
            Variant(std::int32_t{2}));
}

TEST_F(HeadDataTest, SummaryPrintingShowsEveryBillsValuesOnEveryRow) {
  ado::ScopedSqlTrace trace;
  const std::vector<std::u16string> columns = {u"FBillNo",       u"FSupplyIDName", u"FDeptIDName",
                                               u"FMOItemIDName", u"FMOQty",        u"FMOAuxQty"};
  const auto rows = HeadRows(Head(Condition(92, {9201, 9202, 9203}), Package(92), true), columns);
  ASSERT_EQ(rows.size(), 3U);
  for (const TextRow& row : rows) {
    EXPECT_EQ(row[0], "SOUT000001,SOUT000002,SOUT000003");
    // Names once each, in whatever order the engine lists distinct values.
    EXPECT_EQ(row[1].size(),
              std::string("上海华联纺织有限公司,Shenzhen Bright Electronics Co., Ltd.").size());
    EXPECT_NE(row[1].find("Shenzhen Bright"), std::string::npos);
    EXPECT_NE(row[2].find("仓储部"), std::string::npos);
    EXPECT_NE(row[3].find("牛仔裤"), std::string::npos);
    // Quantities once per bill.
    EXPECT_EQ(row[4], "500,300,500");
    EXPECT_EQ(row[5], "500,12.5,500");
  }
  const auto batches = trace.Batches();
  EXPECT_NE(std::find(batches.begin(), batches.end(),
                      u" ALTER TABLE  #tmpBillHeadPrint ALTER COLUMN FMOQty VARCHAR(100)  \r\n "
                      u"update #tmpBillHeadPrint set FMOQty ='500,300,500'"),
            batches.end());

  // Without summary printing, and for other bill types (one given as text), each bill keeps its
  // own values.
  EXPECT_THAT(HeadRows(Head(Condition(92, {9201, 9202}), Package(92), false), {u"FMOQty"}),
              ElementsAre(TextRow{"500"}, TextRow{"300"}));
  const auto receipt = Head(Condition(u"1", {1001, 1002}), Package(1), true);
  EXPECT_THAT(TextRows(*receipt.Rows(), {u"FBillNo"}),
              ElementsAre(TextRow{"WIN000001"}, TextRow{"WIN000002"}));
}

TEST_F(HeadDataTest, SummaryTextsAreCutAtTheirWidths) {
  Exec(u"UPDATE t_Supplier SET FName = replicate(N'供', 150) WHERE FItemID = 1");
  Exec(u"UPDATE t_Supplier SET FName = replicate('S', 150) WHERE FItemID = 2");
  std::vector<std::int32_t> ids = {9201, 9202, 9203, 2401};
  for (std::int32_t id = 2402; id <= 2405; ++id) {
    Exec(u"INSERT INTO ICMOIssueBill (FInterID,FTranType,FBillNo,FDate) VALUES (" +
         oleaut::FromUtf8(std::to_string(id)) + u",24,'X','2024-07-01')");
    ids.push_back(id);
  }
  Exec(u"UPDATE ICMOIssueBill SET FMOQty = 12345678.9012345");
  const auto rows =
      HeadRows(Head(Condition(24, ids), Package(24), true), {u"FSupplyIDName", u"FMOQty"});
  ASSERT_EQ(rows.size(), 8U);
  EXPECT_EQ(oleaut::FromUtf8(rows[0][0]).size(), 255U);  // 150 + "," + 150, cut
  EXPECT_EQ(rows[0][1].size(), 100U);                    // eight values of 16 characters, cut
  EXPECT_EQ(rows[0][1].substr(0, 17), "12345678.9012345,");
}

// What both members do with requests they cannot fill.
using FillDataTest = BillDataTest;

// Early exits return -1 (head) or 0 (entry) and leave pRetRs as it was. Without a table name the
// condition is never read, so a missing one changes nothing.
TEST_F(FillDataTest, EarlyExitsLeaveTheRecordsetAlone) {
  struct Case {
    bool head;
    const char16_t* key;  // of "BillInfo", made empty; else of dicStruct, made Nothing
    bool in_bill_info;
    bool with_condition;
  };
  const Case cases[] = {
      {true, u"Page0", false, true},        {true, u"FHeadTable", true, true},
      {true, u"FHeadTable", true, false},   {false, u"FEntryTable", true, true},
      {false, u"FEntryTable", true, false}, {false, u"Page1", false, true},
  };
  const Variant before(com::Make<ado::Recordset>());
  for (const Case& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.key));
    auto structure = Package(1);
    if (c.in_bill_info) {
      AsDict(structure->Item(u"BillInfo"))->SetItem(c.key, u"");
    } else {
      structure->SetItem(c.key, Variant::Nothing());
    }
    std::vector<Variant> args = {
        Dsn(), c.with_condition ? Variant(Condition(1, {1001, 1002})) : Variant::Nothing(),
        Variant(structure), before};
    if (c.head) args.emplace_back(false);
    EXPECT_EQ(data_->Invoke(c.head ? u"GetHeadFillData" : u"GetEntryFillData", args),
              Variant(std::int32_t{c.head ? -1 : 0}));
    EXPECT_EQ(args[3], before);
  }
  // Without "Page1" the selection was sorted and stays in the session.
  EXPECT_EQ(
      tavtest::FirstValue(data_->Call(u"ExecuteSQL", Dsn(), u"select count(*) from #tmpsort")),
      Variant(std::int32_t{2}));
}

using Spoil = std::function<void(DictionaryRef& condition, DictionaryRef& structure)>;

Spoil SetCondition(const char16_t* key, const Variant& value) {
  return [=](DictionaryRef& condition, DictionaryRef&) { condition->SetItem(key, value); };
}

Variant Selection(const Variant& id) {
  return Variant(List({Variant(Dict({{u"FInterID", id}}))}));
}

// A bad request fails with the member's source and an error that says what was wrong.
TEST_F(FillDataTest, BadRequestsFailWithTheMembersSourceAndSayWhy) {
  struct Case {
    const char* name;
    bool head;
    Spoil spoil;
    std::u16string description;  // a part of the error's description
  };
  const Case cases[] = {
      {"transaction type not a number", true, SetCondition(u"TranType", u"abc"),
       u"pCondition(\"TranType\") is not a bill transaction type: \"abc\""},
      {"transaction type missing", false, SetCondition(u"TranType", u""),
       u"pCondition(\"TranType\") is not a bill transaction type"},
      {"selection carrying statement text", true,
       SetCondition(u"Filter", Selection(u"1001) drop table x--")),
       u"is not a bill id: \"1001) drop table x--\""},
      {"selection carrying statement text", false, SetCondition(u"Filter", Selection(u"1;drop")),
       u"is not a bill id: \"1;drop\""},
      {"element without FInterID", true,
       SetCondition(u"Filter", Variant(List({Variant(Dict({{u"FID", 1001}}))}))),
       u"element 1 of pCondition(\"Filter\") has no \"FInterID\""},
      {"empty selection", true, SetCondition(u"Filter", Variant(List({}))),
       u"no bill was selected"},
      {"empty selection", false, SetCondition(u"Filter", Variant(List({}))),
       u"no bill was selected"},
      {"no selection", true,
       [](DictionaryRef& condition, DictionaryRef&) {
         condition = Dict({{u"TranType", 1}});
       },
       u"no bill was selected"},
      {"relation to a control dicStruct lacks", true,
       [](DictionaryRef&, DictionaryRef& structure) {
         structure->SetItem(u"P0_FSupplyID", Variant());
       },
       u"dicStruct has no control record \"P0_FSupplyID\""},
      {"control record that is not a dictionary", false,
       [](DictionaryRef&, DictionaryRef& structure) {
         structure->SetItem(u"Page1", Variant(List({Variant(u"FItemID")})));
       },
       u"item 1 of \"Page1\" is not a control record"},
      {"column the head table lacks", true,
       [](DictionaryRef&, DictionaryRef& structure) {
         AsDict(AsList(structure->Item(u"Page0"))->Item(1))
             ->SetItem(u"FFieldName", u"FNoSuchColumn");
       },
       u"FNoSuchColumn"},
      {"column the entry table lacks", false,
       [](DictionaryRef&, DictionaryRef& structure) {
         AsDict(structure->Item(u"P1_FNote"))->SetItem(u"FFieldName", u"FNoSuchColumn");
       },
       u"FNoSuchColumn"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.head ? "head: " : "entry: ") + c.name);
    auto condition = Condition(1, {1001});
    auto structure = Package(1);
    c.spoil(condition, structure);
    const auto error = tavtest::ErrorOf([&] {
      if (c.head) {
        Head(condition, structure);
      } else {
        Entry(condition, structure);
      }
    });
    EXPECT_EQ(error.Source().rfind(c.head ? u"TAVMAppConnection.clsGetData:GetHeadFillData:"
                                          : u"TAVMAppConnection.clsGetData:GetEntryFillData:",
                                   0),
              0U)
        << oleaut::ToUtf8(error.Source());
    EXPECT_NE(error.Description().find(c.description), std::u16string::npos)
        << oleaut::ToUtf8(error.Description());
  }
}

}  // namespace
}  // namespace billdata_test
