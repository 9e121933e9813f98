// The template lists and the administrator copy behind them: the first list of a user copies
// the administrator's templates, later ones copy nothing; the fallbacks to the administrator's
// rows and to the newest body of each name; the copy's message for a missing body.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "platform/ado/sql_trace.h"
#include "platform/oleaut/clock.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/win/event_log.h"
#include "store_fixture.h"

namespace templates_test {
namespace {

constexpr std::int32_t kType = 21;

class ListTest : public StoreTest {
 protected:
  ListTest() {
    admin_standard_ = AddBillBody(u"标准", kType, u"Manager", Bytes("standard"));
    admin_red_ = AddBillBody(u"红字", kType, u"Manager", Bytes(std::string("red\0\xff", 5)));
    AddBillRow(kType, admin_standard_, kAdmin, u"标准", u"", 1);
    AddBillRow(kType, admin_red_, kAdmin, u"红字", u"RED", 0);
    Exec(
        u"INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FName,FData,FPrintSet) "
        u"VALUES (21,0,16394,N'存放页面设置信息',N'" +
        kOption + u"',0xC0FFEE)");
  }

  // The administrator's page option, longer than a short text holds.
  static inline const std::u16string kOption = u"A4;横向" + std::u16string(300, u'页');

  // Each listed name with its template id (`id_column`: fbillid, or FNoteId for reports).
  static std::map<std::u16string, std::int32_t> Names(const com::Ptr<vdl::Dictionary>& result,
                                                      std::u16string_view id_column = u"fbillid") {
    std::map<std::u16string, std::int32_t> names;
    const auto data = AsList(result->Item(u"Data"));
    for (std::int32_t i = 1; i <= data->UpperBound(); ++i) {
      const auto row = AsDict(data->Item(i));
      names[oleaut::ToString(row->Item(u"fname"))] = oleaut::ToLong(row->Item(id_column));
    }
    return names;
  }

  std::int32_t admin_standard_;
  std::int32_t admin_red_;
};

TEST_F(ListTest, FirstListCopiesTheAdministratorsTemplatesOnce) {
  const oleaut::Date now = oleaut::Date::FromFields({2024, 5, 6, 7, 8, 9});
  oleaut::ScopedFixedClock clock(now);
  const auto result = AsDict(query_->Call(u"GetNoteInfo", Dsn(kZhang), kType));

  const auto bodies = Rows(
      u"SELECT FName,FScreenId,FCreatorName,FModifierName,FNewBillType,FCreateDate,FModifyDate,"
      u"FData,FId FROM T_ExcelPrintExportNote WHERE FCreatorName = N'张伟' ORDER BY FId");
  ASSERT_EQ(bodies.size(), 2U);
  EXPECT_EQ(bodies[0], (Row{Variant(u"标准"), Variant(u"21"), Variant(kZhangName),
                            Variant(kZhangName), Variant(u"21"), Variant(now), Variant(now),
                            Variant(Bytes("standard")), bodies[0][8]}));
  EXPECT_EQ(bodies[1][7], Variant(Bytes(std::string("red\0\xff", 5))));
  const std::int32_t new_standard = oleaut::ToLong(bodies[0][8]);
  const std::int32_t new_red = oleaut::ToLong(bodies[1][8]);

  EXPECT_EQ(
      Rows(u"SELECT FBillType,FBillId,FName,FData,FBillTypeSub,FSel,FPrintSet,FDate FROM "
           u"T_ExcelPrintExport WHERE FPreparerId = 16395 ORDER BY FBillId"),
      (std::vector<Row>{
          {Variant(21), Variant(0), Variant(u"存放页面设置信息"), Variant(Bstr(kOption)),
           Variant(u""), Variant(0), Variant(oleaut::ByteArray{0xC0, 0xFF, 0xEE}), Variant(now)},
          {Variant(21), Variant(new_standard), Variant(u"标准"), Variant(u""), Variant(u""),
           Variant(1), Variant(oleaut::kNull), Variant(now)},
          {Variant(21), Variant(new_red), Variant(u"红字"), Variant(u""), Variant(u"RED"),
           Variant(0), Variant(oleaut::kNull), Variant(now)},
      }));

  using NameMap = std::map<std::u16string, std::int32_t>;
  EXPECT_EQ(Names(result), (NameMap{{u"标准", new_standard}, {u"红字", new_red}}));
  EXPECT_EQ(result->KeyAt(0), u"Data");
  EXPECT_EQ(result->KeyAt(1), u"Option");
  EXPECT_EQ(result->Item(u"Option"), Variant(Bstr(kOption)));
  const auto first = AsDict(AsList(result->Item(u"Data"))->Item(1));
  EXPECT_EQ(first->Count(), 5);
  EXPECT_EQ(first->Item(u"fsel"), Variant(1));
  EXPECT_EQ(first->Item(u"fbilltypesub"), Variant(u""));

  const auto before = Snapshot();
  std::vector<std::u16string> batches;
  {
    ado::ScopedSqlTrace trace;
    const auto again = AsDict(query_->Call(u"GetNoteInfo", Dsn(kZhang), kType));
    EXPECT_EQ(Names(again), Names(result));
    batches = trace.Batches();
  }
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(batches,
            (std::vector<std::u16string>{
                u"select fbilltype,fname,fbillid,fbilltypesub,fsel from T_ExcelPrintExport where "
                u"fbilltype= 21 and fbillid>0 and FPreparerId=16395",
                u"select fdata from T_ExcelPrintExport where fbilltype=21 and fbillid=0 and "
                u"FPreparerId=16395"}));
}

TEST_F(ListTest, CopyStatementTexts) {
  Exec(u"DELETE FROM T_ExcelPrintExport WHERE FBillId <> " + oleaut::ToString(admin_standard_));
  ado::ScopedSqlTrace trace;
  query_->Call(u"GetNoteInfo", Dsn(kZhang), kType);
  const Bstr id = oleaut::ToString(admin_standard_);
  const Bstr copy = oleaut::ToString(admin_red_ + 1);
  const std::vector<std::u16string> expected = {
      u"select fbilltype,fname,fbillid,fbilltypesub,fsel from T_ExcelPrintExport where "
      u"fbilltype= 21 and fbillid>0 and FPreparerId=16395",
      u"select FId,FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel "
      u"from T_ExcelPrintExport where fbilltype=21 and FPreparerId=16394",
      u"select FID,FName,FScreenID,FCreatorName,FModifierName,FCreateDate,FModifyDate,FData,"
      u"FNewBillType from T_ExcelPrintExportNote where fid=" +
          id,
      u"Insert Into T_ExcelPrintExportNote(FName,FScreenId,FCreatorName,FModifierName,"
      u"FNewBillType,FCreateDate,FModifyDate,FData) Values(?,?,?,?,?,?,?,?)",
      u"select @@IDENTITY",
      u"select * from T_ExcelPrintExport where fbilltype=21 and FBillID=" + copy +
          u" and FPreParerID=16395",
      u"Insert Into T_ExcelPrintExport (FBillId,FBillType,FPreparerId,FDate,FName,FData,"
      u"FBillTypeSub,FSel,FPrintSet)  Values(?,?,?,?,?,?,?,?,?)",
      u"select fbilltype,fname,fbillid,fbilltypesub,fsel from T_ExcelPrintExport where "
      u"fbilltype= 21 and fbillid>0 and FPreparerId=16395",
      u"select fdata from T_ExcelPrintExport where fbilltype=21 and fbillid=0 and "
      u"FPreparerId=16395",
      u"select fdata from T_ExcelPrintExport where fbilltype=21 and fbillid=0 and "
      u"FPreparerId=16394",
  };
  EXPECT_EQ(trace.Batches(), expected);
}

TEST_F(ListTest, MissingAdministratorBodyIsLoggedAndTheCopyGoesOn) {
  Exec(u"DELETE FROM T_ExcelPrintExportNote WHERE FId = " + oleaut::ToString(admin_red_));
  win::ScopedEventCapture events;
  const auto result = AsDict(query_->Call(u"GetNoteInfo", Dsn(kZhang), kType));
  ASSERT_EQ(events.Events().size(), 1U);
  EXPECT_EQ(events.Events()[0].message, u"当前单据（红字）对应用户（张伟）的套打模板数据不存在！");
  // The row still comes over, pointing at the administrator's (missing) body.
  EXPECT_EQ(Names(result)[u"红字"], admin_red_);
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExportNote"), 2);
}

TEST_F(ListTest, WithoutAdministratorTemplatesListsTheNewestBodyOfEachName) {
  constexpr std::int32_t kOther = 71;
  AddBillRow(kOther, 40, kLi, u"A", u"", 1);
  AddBillRow(kOther, 42, kLi, u"A", std::nullopt, 0);
  AddBillRow(kOther, 41, kAdmin + 3, u"A", u"", 0);
  AddBillRow(kOther, 43, kAdmin + 3, u"B", u"X", 1);
  AddBillRow(kOther, 43, kAdmin + 4, u"B", u"X", 1);  // the same row again: listed once

  ado::ScopedSqlTrace trace;
  const auto result = AsDict(query_->Call(u"GetNoteInfo", Dsn(kZhang), kOther));
  EXPECT_EQ(Names(result), (std::map<std::u16string, std::int32_t>{{u"A", 42}, {u"B", 43}}));
  const auto data = AsList(result->Item(u"Data"));
  ASSERT_EQ(data->UpperBound(), 2);
  for (std::int32_t i = 1; i <= 2; ++i) {
    const auto row = AsDict(data->Item(i));
    // A Null sub-type lists as the empty text.
    if (row->Item(u"fname") == Variant(u"A")) {
      EXPECT_EQ(row->Item(u"fbilltypesub"), Variant(u""));
    }
  }
  EXPECT_EQ(result->Item(u"Option"), Variant(u""));
  const auto batches = trace.Batches();
  ASSERT_EQ(batches.size(), 7U);
  EXPECT_EQ(batches[3],
            u"select fbilltype,fname,fbillid,fbilltypesub,fsel from T_ExcelPrintExport where "
            u"fbilltype=71 and fbillid>0 and FPreparerId=16394");
  EXPECT_EQ(batches[4],
            u" select distinct a.fbilltype,a.fname,a.fbillid,a.fbilltypesub,a.fsel from "
            u"T_ExcelPrintExport a inner join  (select   fbilltype,fname,max(fbillid) fbillid "
            u"from T_ExcelPrintExport where fbilltype=71 and fbillid>0  group by fbilltype,fname) "
            u"b on a.fbilltype=b.fbilltype and  a.fname=b.fname and  a.fbillid=b.fbillid ");
}

// The same for reports: their own statements list the newest body of each name and the user's
// option row.
TEST_F(ListTest, ReportListWithoutAdministratorTemplatesListsTheNewestBodyOfEachName) {
  constexpr std::int32_t kReport = 2002;
  AddReportRow(kReport, 40, kLi, u"A", 1);
  AddReportRow(kReport, 42, kLi, u"A", 0);
  AddReportRow(kReport, 43, kAdmin + 3, u"B", 1);
  AddReportRow(kReport, 0, kZhang, u"存放页面设置信息", 0, u"portrait");

  ado::ScopedSqlTrace trace;
  const auto result = AsDict(query_->Call(u"GetRptNoteInfo", Dsn(kZhang), kReport));
  EXPECT_EQ(Names(result, u"FNoteId"),
            (std::map<std::u16string, std::int32_t>{{u"A", 42}, {u"B", 43}}));
  EXPECT_EQ(result->Item(u"Option"), Variant(u"portrait"));
  const auto batches = trace.Batches();
  ASSERT_EQ(batches.size(), 6U);
  EXPECT_EQ(batches[3],
            u"select FRptId,fname,FNoteId,fsel from T_RptExcelPrintExport where FRptId=2002 and "
            u"FNoteId>0 and FPreparerId=16394");
  EXPECT_EQ(batches[4],
            u" select distinct a.FRptId,a.fname,a.FNoteId,a.fsel from T_RptExcelPrintExport a "
            u"inner join  (select   FRptId,fname,max(FNoteId) FNoteId from T_RptExcelPrintExport "
            u"where FRptId=2002 and FNoteId>0  group by FRptId,fname) b on a.FRptId=b.FRptId and  "
            u"a.fname=b.fname and  a.FNoteId=b.FNoteId ");
  EXPECT_EQ(batches[5],
            u"select fdata from T_RptExcelPrintExport where FRptId=2002 and FNoteId=0 and "
            u"FPreparerId=16395");
}

TEST_F(ListTest, FailedCopyLeavesNothingBehind) {
  // The second template's row cannot be written: by then one body, its row and the second body
  // are in.
  ExecNative(
      "CREATE TRIGGER refuse BEFORE INSERT ON T_ExcelPrintExport WHEN NEW.FName = '红字' AND "
      "NEW.FPreparerId = 16395 BEGIN SELECT RAISE(ABORT, 'refused'); END");
  const auto before = Snapshot();
  EXPECT_THROW(query_->Call(u"GetNoteInfo", Dsn(kZhang), kType), oleaut::ComError);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(ListTest, ReportListAndCopy) {
  const std::int32_t body = AddReportBody(u"台账", 1001, u"Manager", Bytes("ledger"));
  AddReportRow(1001, body, kAdmin, u"台账", 1);
  AddReportRow(1001, 0, kAdmin, u"存放页面设置信息", 0, u"landscape");
  std::vector<std::u16string> batches;
  com::Ptr<vdl::Dictionary> result;
  {
    ado::ScopedSqlTrace trace;
    result = AsDict(query_->Call(u"GetRptNoteInfo", Dsn(kLi), 1001));
    batches = trace.Batches();
  }
  const auto data = AsList(result->Item(u"Data"));
  ASSERT_EQ(data->UpperBound(), 1);
  const auto row = AsDict(data->Item(1));
  EXPECT_EQ(row->Count(), 4);
  EXPECT_EQ(row->Item(u"fname"), Variant(u"台账"));
  const std::int32_t copy = oleaut::ToLong(row->Item(u"FNoteId"));
  EXPECT_NE(copy, body);
  EXPECT_EQ(result->Item(u"Option"), Variant(u"landscape"));
  EXPECT_EQ(Rows(u"SELECT FCreatorName,FModifierName,FNewRptId,FData FROM "
                 u"T_RptExcelPrintExportNote WHERE FId = " +
                 oleaut::ToString(copy)),
            (std::vector<Row>{
                {Variant(u"李娜"), Variant(u"李娜"), Variant(u"1001"), Variant(Bytes("ledger"))}}));
  // The administrator's page row comes first here, then the template.
  ASSERT_EQ(batches.size(), 11U);
  EXPECT_EQ(batches[0],
            u"select FRptId,fname,FNoteId,fsel from T_RptExcelPrintExport where FRptId= 1001 and "
            u"FNoteId>0 and FPreparerId=16396");
  EXPECT_EQ(batches[1],
            u"select FId,FRptId,FNoteId,FPreparerId,FDate,FName,FData,FPrintSet,FSel from "
            u"T_RptExcelPrintExport where FRptId=1001 and FPreparerId=16394");
  EXPECT_EQ(batches[2],
            u"select * from T_RptExcelPrintExport where FRptId=1001 and FNoteId=0 "
            u"and FPreParerID=16396");
  EXPECT_EQ(batches[4],
            u"select FID,FName,FScreenID,FCreatorName,FModifierName,FCreateDate,"
            u"FModifyDate,FData,FNewRptId from T_RptExcelPrintExportNote where fid=" +
                oleaut::ToString(body));
  EXPECT_EQ(batches[5],
            u"Insert Into T_RptExcelPrintExportNote(FName,FScreenId,FCreatorName,"
            u"FModifierName,FNewRptId,FCreateDate,FModifyDate,FData) "
            u"Values(?,?,?,?,?,?,?,?)");
  EXPECT_EQ(batches[7], u"select * from T_RptExcelPrintExport where FRptId=1001 and FNoteId=" +
                            oleaut::ToString(copy) + u" and FPreParerID=16396");
  EXPECT_EQ(batches[8],
            u"Insert Into T_RptExcelPrintExport (FNoteId,FRptId,FPreparerId,FDate,FName,FData,"
            u"FSel,FPrintSet)  Values(?,?,?,?,?,?,?,?)");
  EXPECT_EQ(batches[10],
            u"select fdata from T_RptExcelPrintExport where FRptId=1001 and FNoteId=0 and "
            u"FPreparerId=16396");
}

TEST_F(ListTest, DirectCopyOnTheCallersConnection) {
  // A user who already has a page row keeps that one.
  AddBillRow(kType, 0, kLi, u"存放页面设置信息", std::nullopt, 0, u"mine");
  std::array<Variant, 4> args{Variant(RawConnection()), Variant(kType), Variant(kLi),
                              Variant(u"李娜")};
  query_->Invoke(u"CopyManagerNoteInfo", args);
  EXPECT_EQ(Rows(u"SELECT FName,FData FROM T_ExcelPrintExport WHERE FPreparerId = 16396 "
                 u"ORDER BY FId"),
            (std::vector<Row>{{Variant(u"存放页面设置信息"), Variant(u"mine")},
                              {Variant(u"标准"), Variant(u"")},
                              {Variant(u"红字"), Variant(u"")}}));
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExportNote WHERE FCreatorName = N'李娜'"), 2);

  // Copying again duplicates the bodies: callers copy only for users without rows.
  query_->Invoke(u"CopyManagerNoteInfo", args);
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExportNote WHERE FCreatorName = N'李娜'"), 4);

  for (Variant not_a_connection : {Variant(u"Provider=SQLite"), Variant::Nothing()}) {
    std::array<Variant, 4> bad{not_a_connection, Variant(kType), Variant(kLi), Variant(u"李娜")};
    EXPECT_THROW(query_->Invoke(u"CopyManagerNoteInfo", bad), oleaut::ComError);
  }
}

}  // namespace
}  // namespace templates_test
