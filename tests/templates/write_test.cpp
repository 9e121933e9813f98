// Saving, replacing and deleting template bodies: insert and re-insert of one name, awkward names
// and blobs, the administrator's saves, wholesale replacement, deletes by creator and by another
// user, and failures that leave every table as it was.
#include <gtest/gtest.h>

#include <functional>

#include "com_error_of.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/clock.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "store_fixture.h"

namespace templates_test {
namespace {

constexpr std::int32_t kType = 57;

class WriteTest : public FixedClockStoreTest {
 protected:
  com::Ptr<vdl::List> Insert(std::int16_t user, const Bstr& name, const Variant& blob,
                             const char16_t* member = u"InsertNoteRow", std::int32_t type = kType) {
    return AsList(update_->Call(member, Dsn(user), type, name, blob));
  }
};

TEST_F(WriteTest, InsertThenReinsertOneName) {
  ado::ScopedSqlTrace trace;
  const auto first = Insert(kZhang, u"my'form", Bytes("v1"));
  ASSERT_EQ(first->UpperBound(), 4);
  const std::int32_t id = oleaut::ToLong(first->Item(1));
  EXPECT_EQ(first->Item(2), Variant(kType));
  EXPECT_EQ(first->Item(3), Variant(u"my'form"));
  EXPECT_EQ(first->Item(4), Variant(Bytes("v1")));
  EXPECT_EQ(trace.Batches(),
            (std::vector<std::u16string>{
                u"select *  from T_ExcelPrintExportNote where FCreatorName='张伟' and "
                u"FScreenId='57' and FName='my''form'",
                u"Insert Into T_ExcelPrintExportNote(FName,FScreenId,FCreatorName,FModifierName,"
                u"FNewBillType,FCreateDate,FModifyDate,FData) Values(?,?,?,?,?,?,?,?)",
                u"select @@IDENTITY",
                u"insert into T_ExcelPrintExport (FBillType,FBillID,FDate,FName,FSel,FPreParerID,"
                u"FData) values (57," +
                    oleaut::ToString(id) + u",'2024-05-06','my''form',0,16395,'')"}));

  trace.Clear();
  const auto second = Insert(kZhang, u"my'form", Bytes("v2"));
  EXPECT_EQ(second->Item(1), Variant(id));
  EXPECT_EQ(trace.Batches().at(1),
            u"Update T_ExcelPrintExportNote set FData = ?  Where FID=" + oleaut::ToString(id));

  EXPECT_EQ(Rows(u"SELECT FId,FName,FScreenId,FCreatorName,FModifierName,FNewBillType,"
                 u"FCreateDate,FModifyDate,FData FROM T_ExcelPrintExportNote"),
            (std::vector<Row>{{Variant(id), Variant(u"my'form"), Variant(u"57"),
                               Variant(kZhangName), Variant(kZhangName), Variant(u"57"),
                               Variant(kNow), Variant(kNow), Variant(Bytes("v2"))}}));
  // Each save adds an assignment row, never selected.
  EXPECT_EQ(
      Rows(u"SELECT FBillType,FBillId,FDate,FName,FSel,FPreparerId,FData,FBillTypeSub "
           u"FROM T_ExcelPrintExport"),
      (std::vector<Row>(2, Row{Variant(kType), Variant(id),
                               Variant(oleaut::Date::FromFields({2024, 5, 6})), Variant(u"my'form"),
                               Variant(0), Variant(16395), Variant(u""), Variant(oleaut::kNull)})));
}

// A name is kept as typed unless the lookup of the next save could not find it so: then the
// name stored is the one the lookup compares, and saving it again replaces that body.
TEST_F(WriteTest, NamesAreStoredSoTheNextSaveFindsThemOrRefused) {
  struct Case {
    const char* label;
    std::u16string name;
    std::u16string stored;  // the body row's name
    std::u16string listed;  // the assignment row's name
    bool refused = false;
  };
  const std::vector<Case> cases = {
      {"apostrophes", u"it's 'x'", u"it's 'x'", u"it's 'x'"},
      {"trailing blanks", u"padded  ", u"padded  ", u"padded"},
      {"leading blanks", u"  indented  ", u"indented", u"indented"},
      {"line breaks", u"two\r\nlines", u"twolines", u"twolines"},
      {"NUL", std::u16string(u"nu\0l", 4), u"nul", u"nul"},
      {"Chinese", u"销售出库单（红字）", u"销售出库单（红字）", u"销售出库单（红字）"},
      {"SQL", u"x'; drop table T_ExcelPrintExport; --", u"x'; drop table T_ExcelPrintExport; --",
       u"x'; drop table T_ExcelPrintExport; --"},
      {"255 characters", std::u16string(255, u'名'), std::u16string(255, u'名'),
       std::u16string(255, u'名')},
      {"256 characters", std::u16string(256, u'名'), u"", u"", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const auto before = Snapshot();
    if (c.refused) {
      const auto error = tavtest::ErrorOf([&] { Insert(kZhang, Bstr(c.name), Bytes("b")); });
      EXPECT_NE(error.Description().find(u"255"), std::u16string::npos)
          << oleaut::ToUtf8(error.Description());
      EXPECT_EQ(Snapshot(), before);
      continue;
    }
    const std::int32_t bodies = Count(u"SELECT count(*) FROM T_ExcelPrintExportNote");
    const std::int32_t id = oleaut::ToLong(Insert(kZhang, Bstr(c.name), Bytes("b"))->Item(1));
    EXPECT_EQ(oleaut::ToLong(Insert(kZhang, Bstr(c.name), Bytes("c"))->Item(1)), id);
    EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExportNote"), bodies + 1);
    EXPECT_EQ(Rows(u"SELECT FName, FData FROM T_ExcelPrintExportNote WHERE FId = " +
                   oleaut::ToString(id)),
              (std::vector<Row>{{Variant(Bstr(c.stored)), Variant(Bytes("c"))}}));
    EXPECT_EQ(Rows(u"SELECT DISTINCT FName FROM T_ExcelPrintExport WHERE FBillId = " +
                   oleaut::ToString(id)),
              (std::vector<Row>{{Variant(Bstr(c.listed))}}));
  }
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExport"), 16);

  // The administrator's saves and the wholesale replacement by name find what was saved too.
  const auto dct = tavtest::Dict({{u"fNoteName", u" admin\n"}, {u"FNoteBlob", Bytes("a1")}});
  update_->Call(u"SaveNewBill", Dsn(kAdmin), kType, dct);
  dct->SetItem(u"FNoteBlob", Bytes("a2"));
  update_->Call(u"SaveNewBill", Dsn(kAdmin), kType, dct);
  update_->Call(u"UpdateNoteRow", Dsn(kAdmin), kType, Bytes("a3"), u" admin\n");
  EXPECT_EQ(Rows(u"SELECT FName, FData FROM T_ExcelPrintExportNote WHERE FCreatorName='Manager'"),
            (std::vector<Row>{{Variant(u"admin"), Variant(Bytes("a3"))}}));
}

TEST_F(WriteTest, BlobsRoundTripByteForByte) {
  oleaut::ByteArray every_byte(256);
  for (std::size_t i = 0; i < every_byte.size(); ++i)
    every_byte[i] = static_cast<std::uint8_t>(i);
  oleaut::ByteArray large(64U << 20);
  for (std::size_t i = 0; i < large.size(); ++i)
    large[i] = static_cast<std::uint8_t>(i * 7 + (i >> 13));
  oleaut::ByteArray empty;
  for (const oleaut::ByteArray* blob : {&empty, &every_byte, &large}) {
    SCOPED_TRACE(blob->size());
    Exec(u"DELETE FROM T_ExcelPrintExport");
    Insert(kZhang, u"blob", *blob);
    Exec(u"UPDATE T_ExcelPrintExport SET FSel = 1");
    const auto printed = AsDict(query_->Call(u"GetNotePrintData", Dsn(kZhang), kType, u""));
    ASSERT_EQ(printed->Count(), 1);
    EXPECT_TRUE(AsList(printed->ItemAt(0))->Item(2) == Variant(*blob));
  }
}

TEST_F(WriteTest, ReportSaveDeclaresNarrowerPersonNames) {
  const auto saved = Insert(kLi, u"台账", Bytes("r"), u"InsertRptNoteRow", 1001);
  EXPECT_EQ(Rows(u"SELECT FScreenId,FNewRptId,FCreatorName FROM T_RptExcelPrintExportNote"),
            (std::vector<Row>{{Variant(u"1001"), Variant(u"1001"), Variant(u"李娜")}}));
  EXPECT_EQ(Rows(u"SELECT FRptId,FNoteId,FName,FSel,FPreparerId FROM T_RptExcelPrintExport"),
            (std::vector<Row>{
                {Variant(1001), saved->Item(1), Variant(u"台账"), Variant(0), Variant(16396)}}));

  // A 21-character user name fits the bill table's parameters but not the report's.
  Insert(kLong, u"long", Bytes("l"));
  const auto before = Snapshot();
  const auto error =
      tavtest::ErrorOf([&] { Insert(kLong, u"long", Bytes("l"), u"InsertRptNoteRow", 1001); });
  EXPECT_NE(error.Description().find(u"20"), std::u16string::npos);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(WriteTest, SaveNewBill) {
  const auto dct = tavtest::Dict(
      {{u"fNoteName", u"标准"}, {u"Username", u" ignored "}, {u"FNoteBlob", Bytes("admin")}});
  ado::ScopedSqlTrace trace;
  EXPECT_EQ(update_->Call(u"SaveNewBill", Dsn(kZhang), kType, dct), Variant(false));
  EXPECT_EQ(trace.Batches(),
            (std::vector<std::u16string>{
                u"Select FId From T_ExcelPrintExportNote Where FNewBillType=57 And FName='标准'",
                u"Insert Into T_ExcelPrintExportNote(FName,FScreenId,FCreatorName,FNewBillType,"
                u"FCreateDate,FModifyDate,FData) Values(?,?,?,?,?,?,?)"}));

  EXPECT_EQ(Rows(u"SELECT FName,FScreenId,FCreatorName,FModifierName,FNewBillType,FData FROM "
                 u"T_ExcelPrintExportNote"),
            (std::vector<Row>{{Variant(u"标准"), Variant(u"57"), Variant(u"Manager"),
                               Variant(oleaut::kNull), Variant(u"57"), Variant(Bytes("admin"))}}));
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExport"), 0);
  // An existing name of another creator: its body and both dates are rewritten, its creator kept.
  Exec(u"UPDATE T_ExcelPrintExportNote SET FCreatorName = N'李娜', FCreateDate = '2020-01-01'");
  clock_.Advance(1);
  dct->SetItem(u"fNoteName", u" 标准\n");  // the lookup's reading of the name finds it
  dct->SetItem(u"FNoteBlob", Bytes("again"));
  trace.Clear();
  EXPECT_EQ(update_->Call(u"SaveNewBill", Dsn(kZhang), kType, dct), Variant(false));
  const oleaut::Date tomorrow(kNow.OleValue() + 1);
  EXPECT_EQ(Rows(u"SELECT FCreatorName,FCreateDate,FModifyDate,FData FROM T_ExcelPrintExportNote"),
            (std::vector<Row>{{Variant(u"李娜"), Variant(tomorrow), Variant(tomorrow),
                               Variant(Bytes("again"))}}));
  EXPECT_EQ(trace.Batches().at(1),
            u"Update T_ExcelPrintExportNote Set FCreateDate=?,FModifyDate=?,FData=? Where "
            u"FNewBillType=? And FName=?");

  // An empty dictionary saves an empty name with an Empty body.
  EXPECT_EQ(update_->Call(u"SaveNewBill", Dsn(kZhang), kType, com::Make<vdl::Dictionary>()),
            Variant(false));
  EXPECT_EQ(Rows(u"SELECT FName, FData FROM T_ExcelPrintExportNote WHERE FName = ''"),
            (std::vector<Row>{{Variant(u""), Variant(oleaut::kNull)}}));
}

TEST_F(WriteTest, UpdateNoteRowReplacesBodiesOfTheType) {
  ado::ScopedSqlTrace trace;
  EXPECT_TRUE(update_->Call(u"UpdateNoteRow", Dsn(kZhang), kType, Bytes("x")).IsEmpty());
  EXPECT_EQ(trace.Batches(),
            (std::vector<std::u16string>{u"Select top 1 FId From T_ExcelPrintExportNote Where "
                                         u"FNewBillType=57"}));

  AddBillBody(u"a", kType, u"Manager", Bytes("a"));
  AddBillBody(u"b", kType, u"李娜", Bytes("b"));
  AddBillBody(u"c", kType + 1, u"张伟", Bytes("c"));
  trace.Clear();
  update_->Call(u"UpdateNoteRow", Dsn(kZhang), kType, Bytes("new"), u"b");
  EXPECT_EQ(trace.Batches().at(1),
            u"Update T_ExcelPrintExportNote Set FModifierName=?,FModifyDate=? ,FData=? Where "
            u"FNewBillType=?  AND FName = ? ");
  EXPECT_EQ(Rows(u"SELECT FName,FModifierName,FData FROM T_ExcelPrintExportNote ORDER BY FId"),
            (std::vector<Row>{{Variant(u"a"), Variant(oleaut::kNull), Variant(Bytes("a"))},
                              {Variant(u"b"), Variant(kZhangName), Variant(Bytes("new"))},
                              {Variant(u"c"), Variant(oleaut::kNull), Variant(Bytes("c"))}}));

  // Without a name every body of the type is rewritten, whoever created it.
  update_->Call(u"UpdateNoteRow", Dsn(kLi), kType, Bytes("all"));
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExportNote WHERE FModifierName = N'李娜'"), 2);
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExportNote WHERE FData = 0x616C6C"), 2);

  // A modifier name wider than its parameter is refused and nothing changes.
  const auto before = Snapshot();
  tavtest::ErrorOf([&] { update_->Call(u"UpdateNoteRow", Dsn(kLong), kType, Bytes("no")); });
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(WriteTest, DeleteByCreatorAndByAnotherUser) {
  const std::int32_t mine = AddBillBody(u"mine", kType, u"张伟", Bytes("m"));
  AddBillRow(kType, mine, kZhang, u"mine", u"", 1);
  AddBillRow(kType, mine, kZhang, u"mine", u"", 0);
  AddBillRow(kType, mine, kLi, u"mine", u"", 1);
  const Bstr id = oleaut::ToString(mine);

  // Another user removes only their own rows; the body stays.
  ado::ScopedSqlTrace trace;
  EXPECT_EQ(update_->Call(u"DeleteNoteRow", Dsn(kLi), kType, mine), Variant(true));
  EXPECT_EQ(trace.Batches(),
            (std::vector<std::u16string>{
                u"Delete From T_ExcelPrintExportNote Where FCreatorName='李娜' and "
                u"FNewBillType=57 And FId=" +
                    id,
                u"Delete From T_ExcelPrintExport Where FPreparerID=16396 and FBillType=57 And "
                u"FBillId=" +
                    id}));
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExportNote"), 1);
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExport"), 2);

  EXPECT_EQ(update_->Call(u"DeleteNoteRow", Dsn(kZhang), kType, mine), Variant(true));
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExportNote"), 0);
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExport"), 0);
  // Nothing left to match is still a success.
  EXPECT_EQ(update_->Call(u"DeleteNoteRow", Dsn(kZhang), kType, mine), Variant(true));

  const std::int32_t report = AddReportBody(u"r", 1001, u"李娜", Bytes("r"));
  AddReportRow(1001, report, kLi, u"r", 1);
  trace.Clear();
  EXPECT_EQ(update_->Call(u"DeleteRptNoteRow", Dsn(kLi), 1001, report), Variant(true));
  EXPECT_EQ(trace.Batches().at(0),
            u"Delete From T_RptExcelPrintExportNote Where FCreatorName='李娜' and FNewRptId=1001 "
            u"And FId=" +
                oleaut::ToString(report));
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_RptExcelPrintExportNote"), 0);
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_RptExcelPrintExport"), 0);
}

// Whatever a write member had done before its failure is undone.
TEST_F(WriteTest, EveryWriteFailureLeavesTheTablesUnchanged) {
  const std::int32_t body = AddBillBody(u"mine", kType, u"张伟", Bytes("m"));
  AddBillRow(kType, body, kZhang, u"mine", u"", 1);
  AddBillRow(kType, 0, kAdmin, u"存放页面设置信息", std::nullopt, 0, u"admin");

  const auto modi = tavtest::Dict(
      {{u"Option", u"o"},
       {u"Data",
        Variant(tavtest::List({Variant(tavtest::Dict({{u"FKey", u"1001|9"}, {u"FSel", 1}}))}))}});
  const auto long_name = tavtest::Dict({{u"fNoteName", Bstr(256, u'名')}});

  struct Case {
    const char* label;
    const char* trigger;  // SQLite trigger body that refuses, or nullptr
    std::function<void()> call;
    std::u16string_view says = u"refused";
  };
  const std::vector<Case> cases = {
      // The body inserted first is gone again.
      {"InsertNoteRow whose assignment insert fails",
       "BEFORE INSERT ON T_ExcelPrintExport BEGIN SELECT RAISE(ABORT, 'refused'); END",
       [&] { Insert(kZhang, u"form", Bytes("b")); }},
      {"SaveNewBill with a name over 255 characters", nullptr,
       [&] { update_->Call(u"SaveNewBill", Dsn(kZhang), kType, long_name); }, u"255"},
      {"DeleteNoteRow whose second delete fails",
       "BEFORE DELETE ON T_ExcelPrintExport BEGIN SELECT RAISE(ABORT, 'refused'); END",
       [&] { update_->Call(u"DeleteNoteRow", Dsn(kZhang), kType, body); }},
      {"SavePageAndPrintSet whose insert fails",
       "BEFORE INSERT ON T_ExcelPrintExport BEGIN SELECT RAISE(ABORT, 'refused'); END",
       [&] { update_->Call(u"SavePageAndPrintSet", Dsn(kZhang), kType, Bytes("p")); }},
      {"UpdateUserRptNoteData whose item insert fails",
       "BEFORE INSERT ON T_RptExcelPrintExport WHEN NEW.FNoteId > 0 BEGIN "
       "SELECT RAISE(ABORT, 'refused'); END",
       [&] { update_->Call(u"UpdateUserRptNoteData", Dsn(kZhang), 1001, modi); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.trigger) ExecNative((std::string("CREATE TRIGGER refuse ") + c.trigger).c_str());
    const auto before = Snapshot();
    const auto error = tavtest::ErrorOf(c.call);
    EXPECT_NE(error.Description().find(c.says), std::u16string::npos)
        << oleaut::ToUtf8(error.Description());
    EXPECT_EQ(Snapshot(), before);
    ExecNative("DROP TRIGGER IF EXISTS refuse");
  }
}

}  // namespace
}  // namespace templates_test
