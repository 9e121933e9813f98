// Print counters through Invoke: the print-count text by the bill type's switch and the count
// row, counting a print of several bills in one statement, and callers' texts refused before any
// statement runs.
#include <gtest/gtest.h>

#include "bill_fixture.h"
#include "com_error_of.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace billdata_test {
namespace {

using tavtest::ErrorOf;

using CountersTest = BillDataTest;

// What UpdatePrintCount is given: the counter's table and column, the key column and the bills.
DictionaryRef Counter(const char16_t* table, const char16_t* field, const char16_t* key,
                      const char16_t* ids) {
  return Dict({{u"TableName", table}, {u"FieldName", field}, {u"PriKey", key}, {u"InterIDs", ids}});
}

TEST_F(CountersTest, PrintCountTextFollowsTheSwitchAndTheCountRow) {
  // The demo's bill type 1 shows counts, 71 does not; 1003 has no count row.
  Exec(u"INSERT INTO ICPrintMaxCount (FID,FShowPrintTimes,FMaxCount) VALUES (72,2,0)");
  struct Case {
    std::int32_t type;
    const char16_t* bill;
    const char16_t* text;
    bool reads_count;
  };
  const Case cases[] = {
      {1, u"1001", u"已打印3次", true},   {1, u"1003", u"已打印0次", true},
      {1, u" 1002 ", u"已打印1次", true}, {71, u"3001", u"", false},
      {72, u"3001", u"", false},          {99, u"1001", u"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    ado::ScopedSqlTrace trace;
    EXPECT_EQ(data_->Call(u"GetBillPrintCount", Dsn(), c.bill, c.type), Variant(c.text));
    std::vector<std::u16string> expected{
        u" select FShowPrintTimes from ICPrintMaxCount where FID = " + oleaut::ToString(c.type)};
    if (c.reads_count) {
      expected.push_back(u" select * from ICPrintCount where FID = " + oleaut::ToString(c.type) +
                         u" and FInterID = " + Bstr(c.bill));
    }
    EXPECT_EQ(trace.Batches(), expected);
  }
}

TEST_F(CountersTest, ANullCountShowsNoNumber) {
  ExecNative(
      "DROP TABLE ICPrintCount; CREATE TABLE ICPrintCount (FID int NOT NULL, FInterID int NOT "
      "NULL, FPrintCount int NULL); INSERT INTO ICPrintCount VALUES (1, 1001, NULL)");
  EXPECT_EQ(data_->Call(u"GetBillPrintCount", Dsn(), u"1001", 1), Variant(u"已打印次"));
}

TEST_F(CountersTest, RaisingCountsOnePrintOfEveryListedBillInOneStatement) {
  ado::ScopedSqlTrace trace;
  update_->Call(u"UpdatePrintCount", Dsn(),
                Counter(u"ICPrintCount", u"FPrintCount", u"FInterID", u"1001,1002,1003"));
  EXPECT_EQ(trace.Batches(),
            std::vector<std::u16string>{u"UPDATE ICPrintCount SET FPrintCount = FPrintCount + 1 "
                                        u"WHERE FInterID IN(  1001,1002,1003)\r\n"});
  // Bills without a counter row get none.
  EXPECT_EQ(Column(u"SELECT FPrintCount FROM ICPrintCount WHERE FID=1 ORDER BY FInterID"),
            (std::vector<Variant>{4, 2}));

  // Bracketed names and blanks in the list are what callers may write; the bill's own counter.
  update_->Call(u"UpdatePrintCount", Dsn(),
                Counter(u"[ICStockBill]", u" FPrintCount", u"[FInterID]", u" 1001 , 2001"));
  EXPECT_EQ(Column(u"SELECT FPrintCount FROM ICStockBill WHERE FInterID IN (1001,1002,2001) "
                   u"ORDER BY FInterID"),
            (std::vector<Variant>{1, 0, 1}));
}

TEST_F(CountersTest, CallersTextsThatAreNotWhatTheySayAreRefusedBeforeAnyStatement) {
  struct Case {
    const char16_t* key;
    const char16_t* value;
  };
  const Case cases[] = {
      {u"TableName", u"ICPrintCount SET FPrintCount = 0; UPDATE ICPrintCount"},
      {u"FieldName", u"FPrintCount = 99 --"},
      {u"PriKey", u"FID=1 OR FInterID"},
      {u"InterIDs", u"1001) OR (1=1"},
      {u"InterIDs", u"1001,,1002"},
      {u"TableName", u"[ICPrintCount"},
      {u"FieldName", nullptr},  // a missing key reads as the empty text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.value ? c.value : u"(missing)"));
    auto data = Counter(u"ICPrintCount", u"FPrintCount", u"FInterID", u"1001");
    if (c.value) {
      data->SetItem(c.key, c.value);
    } else {
      data =
          Dict({{u"TableName", u"ICPrintCount"}, {u"PriKey", u"FInterID"}, {u"InterIDs", u"1001"}});
    }
    ado::ScopedSqlTrace trace;
    const oleaut::ComError error =
        ErrorOf([&] { update_->Call(u"UpdatePrintCount", Dsn(), data); });
    EXPECT_EQ(error.VbNumber(), oleaut::kInvalidProcedureCall);
    EXPECT_NE(error.Description().find(Bstr(c.key)), std::u16string::npos);
    EXPECT_TRUE(trace.Batches().empty());
  }
  // The bill id is checked where it would go into a statement: after the switch is read, and
  // only when the switch is on (type 1); with it off (type 71) any text gives the empty text.
  for (const char16_t* bill : {u"1001 OR 1=1", u"", u"1e3", u"0x3E9"}) {
    ado::ScopedSqlTrace trace;
    EXPECT_EQ(ErrorOf([&] { data_->Call(u"GetBillPrintCount", Dsn(), bill, 1); }).VbNumber(),
              oleaut::kInvalidProcedureCall);
    EXPECT_EQ(trace.Batches().size(), 1U);
    EXPECT_EQ(data_->Call(u"GetBillPrintCount", Dsn(), bill, 71), Variant(u""));
  }
  EXPECT_EQ(Column(u"SELECT SUM(FPrintCount) FROM ICPrintCount"), std::vector<Variant>{6});
}

TEST_F(CountersTest, AFailedRaiseLeavesEveryCounterAsItWas) {
  // The second bill's row refuses the update after the first one was raised.
  ExecNative(
      "CREATE TRIGGER refuse_1002 BEFORE UPDATE ON ICPrintCount WHEN old.FInterID = 1002 "
      "BEGIN SELECT RAISE(ABORT, 'bill 1002 is locked'); END");
  const oleaut::ComError error = ErrorOf([&] {
    update_->Call(u"UpdatePrintCount", Dsn(),
                  Counter(u"ICPrintCount", u"FPrintCount", u"FInterID", u"1001,1002,2001"));
  });
  EXPECT_NE(oleaut::ToUtf8(error.Description()).find("bill 1002 is locked"), std::string::npos);
  EXPECT_EQ(Column(u"SELECT FPrintCount FROM ICPrintCount ORDER BY FID, FInterID"),
            (std::vector<Variant>{3, 1, 2}));
}

}  // namespace
}  // namespace billdata_test
