// Storing a user's choices: the option text and selection flags of bill and report templates
// (first and second call, awkward items, bad modiData rolled back whole), and the print settings
// blob with the administrator's option text as the starting point.
#include <gtest/gtest.h>

#include "com_error_of.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/clock.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "store_fixture.h"

namespace templates_test {
namespace {

constexpr std::int32_t kType = 21;

class SelectionTest : public FixedClockStoreTest {
 protected:
  static com::Ptr<vdl::Dictionary> Item(const Variant& key, const Variant& name,
                                        const Variant& sel) {
    return tavtest::Dict({{u"FKey", key}, {u"FName", name}, {u"FSel", sel}});
  }
  static com::Ptr<vdl::Dictionary> ModiData(const Variant& option,
                                            std::vector<com::Ptr<vdl::Dictionary>> items) {
    auto data = com::Make<vdl::List>();
    for (auto& item : items)
      data->Add(item);
    return tavtest::Dict({{u"Option", option}, {u"Data", Variant(data)}});
  }
  std::vector<std::u16string> Store(std::int16_t user, const com::Ptr<vdl::Dictionary>& modi,
                                    const char16_t* member = u"UpdateUserNoteData",
                                    std::int32_t type = kType) {
    ado::ScopedSqlTrace trace;
    EXPECT_TRUE(update_->Call(member, Dsn(user), type, modi).IsEmpty());
    return trace.Batches();
  }
  std::vector<Row> UserRows(std::int16_t user) const {
    return Rows(
        u"SELECT FBillId,FName,FSel,FData,FBillTypeSub,FDate FROM T_ExcelPrintExport "
        u"WHERE FPreparerId = " +
        oleaut::ToString(user) + u" ORDER BY FBillId");
  }
};

TEST_F(SelectionTest, FirstCallCreatesRowsSecondOnlyUpdates) {
  const auto modi =
      ModiData(u"it's\r\nA4  ", {Item(u"21|12|x", u"标准", 1), Item(u"21|13", u"红字", u"0")});
  const std::vector<std::u16string> first = Store(kZhang, modi);
  EXPECT_EQ(first, (std::vector<std::u16string>{
                       u"select * from T_ExcelPrintExport where fbilltype=21 and FBillID=0 and "
                       u"FPreParerID=16395",
                       u"insert into T_ExcelPrintExport (FBillType,FBillID,FDate,FName,FSel,"
                       u"FPreParerID,FData) values (21,0,'2024-05-06','存放页面设置信息',0,16395,"
                       u"'it''s\r\nA4')",
                       u"select * from T_ExcelPrintExport  where fbilltype=21 and FBillID=12 and "
                       u"FPreParerID=16395",
                       u"insert into T_ExcelPrintExport (FBillType,FBillID,FDate,FName,FSel,"
                       u"FPreParerID,FData,Fbilltypesub)values(21,12,'2024-05-06','标准',1,16395,"
                       u"'','')",
                       u"select * from T_ExcelPrintExport  where fbilltype=21 and FBillID=13 and "
                       u"FPreParerID=16395",
                       u"insert into T_ExcelPrintExport (FBillType,FBillID,FDate,FName,FSel,"
                       u"FPreParerID,FData,Fbilltypesub)values(21,13,'2024-05-06','红字',0,16395,"
                       u"'','')",
                   }));
  EXPECT_EQ(
      UserRows(kZhang),
      (std::vector<Row>{
          {Variant(0), Variant(u"存放页面设置信息"), Variant(0), Variant(u"it's\r\nA4"),
           Variant(oleaut::kNull), Variant(kToday)},
          {Variant(12), Variant(u"标准"), Variant(1), Variant(u""), Variant(u""), Variant(kToday)},
          {Variant(13), Variant(u"红字"), Variant(0), Variant(u""), Variant(u""), Variant(kToday)},
      }));

  Exec(u"UPDATE T_ExcelPrintExport SET FBillTypeSub = 'RED'");
  const auto again = ModiData(u"B5", {Item(u"21|12", u"renamed", 0), Item(u"21|13", u"", 1)});
  const std::vector<std::u16string> second = Store(kZhang, again);
  ASSERT_EQ(second.size(), 6U);
  EXPECT_EQ(second[1],
            u"Update T_ExcelPrintExport set Fdata='B5' where fbilltype=21 and FBillID=0 and "
            u"FPreParerID=16395");
  EXPECT_EQ(second[3],
            u"Update T_ExcelPrintExport set Fbilltypesub='',FSel=0 where fbilltype=21 and "
            u"FBillID=12and FPreParerID=16395");
  EXPECT_EQ(
      UserRows(kZhang),
      (std::vector<Row>{
          {Variant(0), Variant(u"存放页面设置信息"), Variant(0), Variant(u"B5"), Variant(u"RED"),
           Variant(kToday)},
          {Variant(12), Variant(u"标准"), Variant(0), Variant(u""), Variant(u""), Variant(kToday)},
          {Variant(13), Variant(u"红字"), Variant(1), Variant(u""), Variant(u""), Variant(kToday)},
      }));
}

TEST_F(SelectionTest, ItemsAreReadLeniently) {
  AddBillRow(kType, 5, kZhang, u"five", u"X", 0);
  AddBillRow(kType, 6, kZhang, u"six", u"", 1);
  AddBillRow(kType, 7, kZhang, u"seven", u"", 0);
  Store(kZhang, ModiData(u"o", {
                                   Item(u"x|5", u"", u" 1"),    // flag as text
                                   Item(u"x|6", u"", u"none"),  // no number: 0
                                   Item(u"x|7", u"", -1),
                               }));
  EXPECT_EQ(Rows(u"SELECT FBillId,FSel,FBillTypeSub FROM T_ExcelPrintExport ORDER BY FBillId"),
            (std::vector<Row>{{Variant(0), Variant(0), Variant(oleaut::kNull)},
                              {Variant(5), Variant(1), Variant(u"")},
                              {Variant(6), Variant(0), Variant(u"")},
                              {Variant(7), Variant(-1), Variant(u"")}}));
  // An empty list still stores the option text.
  Store(kZhang, ModiData(u"only", {}));
  EXPECT_EQ(Rows(u"SELECT FData FROM T_ExcelPrintExport WHERE FBillId = 0"),
            (std::vector<Row>{{Variant(u"only")}}));
}

TEST_F(SelectionTest, OptionTextsAreQuotedNeverRun) {
  for (const std::u16string& option :
       {std::u16string(u"x'; drop table T_ExcelPrintExport; --"), std::u16string(u"纸张：A4"),
        std::u16string(u"a\0b", 3), std::u16string(255, u'页'), std::u16string(256, u'页')}) {
    Store(kLi, ModiData(Bstr(option), {}));
    if (!TextKeepsNul(option)) continue;
    EXPECT_EQ(Rows(u"SELECT FData FROM T_ExcelPrintExport WHERE FPreparerId = 16396"),
              (std::vector<Row>{{Variant(Bstr(option))}}));
  }
}

TEST_F(SelectionTest, BadModiDataRollsTheWholeCallBack) {
  AddBillRow(kType, 0, kZhang, u"存放页面设置信息", std::nullopt, 0, u"kept");
  AddBillRow(kType, 5, kZhang, u"five", u"", 0);
  const auto not_a_list = tavtest::Dict({{u"Option", u"changed"}, {u"Data", u"1|5"}});
  const auto no_key = tavtest::Dict({{u"FSel", 1}});

  struct Case {
    const char* label;
    com::Ptr<vdl::Dictionary> modi;
    std::u16string says;
  };
  std::vector<Case> cases = {
      {"Data is not a list", not_a_list, u"\"Data\""},
      {"an item without FKey", ModiData(u"changed", {Item(u"x|5", u"", 1), no_key}), u"FKey"},
      {"Null FKey", ModiData(u"changed", {Item(u"x|5", u"", 1), Item(oleaut::kNull, u"", 1)}),
       u"Null"},
  };
  auto item_not_dict = ModiData(u"changed", {Item(u"x|5", u"", 1)});
  AsList(item_not_dict->Item(u"Data"))->Add(u"x|5");
  cases.push_back({"an item that is not a dictionary", item_not_dict, u"item 2"});

  const auto before = Snapshot();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const auto e =
        tavtest::ErrorOf([&] { update_->Call(u"UpdateUserNoteData", Dsn(kZhang), kType, c.modi); });
    EXPECT_NE(e.Description().find(c.says), std::u16string::npos)
        << oleaut::ToUtf8(e.Description());
    EXPECT_EQ(Snapshot(), before);
  }
}

// An item whose key names no template would address the page-settings row (id 0): the call
// fails naming the item, and nothing is written, not even the good items before it.
TEST_F(SelectionTest, AnItemThatNamesNoTemplateChangesNothing) {
  AddBillRow(kType, 0, kZhang, u"存放页面设置信息", u"SUB", 3, u"kept");
  AddBillRow(kType, 5, kZhang, u"five", u"X", 0);
  AddReportRow(1001, 0, kZhang, u"存放页面设置信息", 3, u"kept");
  const auto before = Snapshot();
  const std::pair<const char16_t*, std::int32_t> members[] = {{u"UpdateUserNoteData", kType},
                                                              {u"UpdateUserRptNoteData", 1001}};
  for (const auto& [member, type] : members) {
    for (const std::u16string key :
         {u"21", u"", u"21||x", u"21| |x", u"21|abc", u"21|0", u"|0.4"}) {
      SCOPED_TRACE(oleaut::ToUtf8(std::u16string(member) + u" '" + key + u"'"));
      const auto modi = ModiData(
          u"changed", {Item(u"x|5", u"", 1), Item(Bstr(key), u"", 1), Item(u"x|6", u"six", 1)});
      ado::ScopedSqlTrace trace;
      const auto e = tavtest::ErrorOf([&] { update_->Call(member, Dsn(kZhang), type, modi); });
      EXPECT_NE(e.Description().find(u"item 2 of \"Data\" names no template: its \"FKey\" '" + key +
                                     u"'"),
                std::u16string::npos)
          << oleaut::ToUtf8(e.Description());
      for (const std::u16string& batch : trace.Batches())
        EXPECT_EQ(batch.find(u"select "), 0U) << oleaut::ToUtf8(batch);
      EXPECT_EQ(Snapshot(), before);
    }
  }
}

TEST_F(SelectionTest, ReportSelection) {
  const auto modi = ModiData(u"landscape", {Item(u"1001|3", u"台账", 1)});
  const auto first = Store(kLi, modi, u"UpdateUserRptNoteData", 1001);
  EXPECT_EQ(first, (std::vector<std::u16string>{
                       u"select * from T_RptExcelPrintExport where FRptId=1001 and FNoteId=0 and "
                       u"FPreParerID=16396",
                       u"insert into T_RptExcelPrintExport (FRptId,FNoteId,FDate,FName,FSel,"
                       u"FPreParerID,FData) values (1001,0,'2024-05-06','存放页面设置信息',0,16396,"
                       u"'landscape')",
                       u"select * from T_RptExcelPrintExport  where FRptId=1001 and FNoteId=3 and "
                       u"FPreParerID=16396",
                       u"insert into T_RptExcelPrintExport (FRptId,FNoteId,FDate,FName,FSel,"
                       u"FPreParerID,FData)values(1001,3,'2024-05-06','台账',1,16396,'')",
                   }));
  const auto second = Store(kLi, modi, u"UpdateUserRptNoteData", 1001);
  EXPECT_EQ(second[1],
            u"Update T_RptExcelPrintExport set Fdata='landscape' where FRptId=1001 and FNoteId=0 "
            u"and FPreParerID=16396");
  EXPECT_EQ(second[3],
            u"Update T_RptExcelPrintExport set FSel=1 where FRptId=1001 and FNoteId=3and "
            u"FPreParerID=16396");
  EXPECT_EQ(Rows(u"SELECT FNoteId,FName,FSel,FData FROM T_RptExcelPrintExport ORDER BY FNoteId"),
            (std::vector<Row>{
                {Variant(0), Variant(u"存放页面设置信息"), Variant(0), Variant(u"landscape")},
                {Variant(3), Variant(u"台账"), Variant(1), Variant(u"")}}));
}

TEST_F(SelectionTest, PageAndPrintSet) {
  struct Case {
    const char* label;
    std::optional<std::optional<std::u16string>> admin_option;  // no row / Null / text
    std::u16string expected_option;
  };
  const std::vector<Case> cases = {
      {"administrator's option text", std::optional<std::u16string>(u"A4;横向"), u"A4;横向"},
      {"no administrator row", std::nullopt, u""},
      {"administrator's Null option text", std::optional<std::u16string>(), u""},
      {"administrator's long option text",
       std::optional<std::u16string>(std::u16string(600, u'页')), std::u16string(600, u'页')},
  };
  const oleaut::ByteArray blob{0x00, 0x50, 0xFF};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Exec(u"DELETE FROM T_ExcelPrintExport");
    if (c.admin_option)
      AddBillRow(kType, 0, kAdmin, u"存放页面设置信息", std::nullopt, 0, *c.admin_option);
    ado::ScopedSqlTrace trace;
    update_->Call(u"SavePageAndPrintSet", Dsn(kZhang), kType, blob);
    const auto batches = trace.Batches();
    EXPECT_EQ(batches,
              (std::vector<std::u16string>{
                  u"Select  * From T_ExcelPrintExport Where FBillId=0 And FBillType=21 And "
                  u"FPreparerId=16395",
                  u"Select  FData From T_ExcelPrintExport Where FBillId=0 And FBillType=21 And "
                  u"FPreparerId=16394",
                  u"Insert Into T_ExcelPrintExport (FBillId,FBillType,FPreparerId,FDate,FName,"
                  u"FPrintSet,FData)  Values(?,?,?,?,?,?,?)"}));
    EXPECT_EQ(Rows(u"SELECT FBillType,FName,FData,FPrintSet,FDate,FSel FROM T_ExcelPrintExport "
                   u"WHERE FPreparerId = 16395"),
              (std::vector<Row>{{Variant(kType), Variant(u"存放页面设置信息"),
                                 Variant(Bstr(c.expected_option)), Variant(blob), Variant(kNow),
                                 Variant(0)}}));
  }

  // An existing row: only its print settings change.
  Exec(u"UPDATE T_ExcelPrintExport SET FData = N'mine' WHERE FPreparerId = 16395");
  ado::ScopedSqlTrace trace;
  update_->Call(u"SavePageAndPrintSet", Dsn(kZhang), kType, oleaut::ByteArray{1});
  EXPECT_EQ(trace.Batches().at(1),
            u"Update T_ExcelPrintExport Set FPrintSet=? Where  FbillId=0 And FBillType=? And "
            u"FPreparerId=?");
  EXPECT_EQ(Rows(u"SELECT FData,FPrintSet FROM T_ExcelPrintExport WHERE FPreparerId = 16395"),
            (std::vector<Row>{{Variant(u"mine"), Variant(oleaut::ByteArray{1})}}));
}

}  // namespace
}  // namespace templates_test
