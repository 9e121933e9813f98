// Counting prints as the print client does (printing/print_count.h) on the demo data: the bill
// type's own row raised or made, refusals that name the bill before anything is written, names
// from ICTransactionType checked, all or nothing, and writers on several threads counted exactly.
#include "printing/print_count.h"

#include <gtest/gtest.h>

#include "bill_fixture.h"
#include "com_error_of.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/text.h"
#include "printing/bill_lookup.h"
#include "threads.h"

namespace billdata_test {
namespace {

using tavtest::ErrorOf;

class PrintCountTest : public BillDataTest {
 protected:
  // ICPrintCount as "FID FInterID FPrintCount" lines.
  std::vector<Variant> Counts() const {
    return Column(
        u"SELECT convert(varchar(10), FID) + ' ' + convert(varchar(10), FInterID) + ' ' "
        u"+ convert(varchar(10), FPrintCount) FROM ICPrintCount ORDER BY FID, FInterID");
  }
};

TEST_F(PrintCountTest, RaisesTheRowsOfTheBillTypeOnlyAndMakesMissingOnesAtOne) {
  // A purchase order that shares an interior id with purchase receipt 1001.
  Exec(u"INSERT INTO ICPrintCount (FID, FInterID, FPrintCount) VALUES (71, 1001, 5)");
  const std::int32_t ids[] = {1001, 1003, 1001};
  std::vector<std::u16string> batches;
  {
    ado::ScopedSqlTrace trace;
    EXPECT_EQ(printing::RaisePrintCounts(Dsn(), 1, ids),
              (std::vector<printing::PrintCountChange>{{1001, 3, 4}, {1003, {}, 1}}));
    batches = trace.Batches();
  }
  EXPECT_EQ(Counts(), (std::vector<Variant>{u"1 1001 4", u"1 1002 1", u"1 1003 1", u"21 2001 2",
                                            u"71 1001 5"}));
  // Reads, then the one batch that writes.
  ASSERT_EQ(batches.size(), 3U);
  EXPECT_TRUE(batches[0].starts_with(u"SELECT ") && batches[1].starts_with(u"SELECT "));
  EXPECT_NE(batches[2].find(u"INSERT INTO ICPrintCount"), std::u16string::npos);

  const std::int32_t read[] = {1003, 1002, 1001};
  EXPECT_EQ(printing::ReadPrintCounts(Dsn(), 1, read),
            (std::vector<printing::PrintCount>{{1003, 1}, {1002, 1}, {1001, 4}}));
  const std::int32_t never[] = {2002};
  EXPECT_EQ(printing::ReadPrintCounts(Dsn(), 21, never)[0].count, std::nullopt);
}

TEST_F(PrintCountTest, IdsThatAreNoBillsOfTheTypeAreRefusedBeforeAnythingIsWritten) {
  // A bill type whose head table names a statement instead of a table.
  Exec(
      u"INSERT INTO ICTransactionType (FID, FName, FHeadTable, FKeyInterID) VALUES "
      u"(98, N'坏', 'ICStockBill; DELETE FROM ICPrintCount', 'FInterID')");
  Exec(
      u"INSERT INTO ICTransactionType (FID, FName, FHeadTable, FKeyInterID) VALUES "
      u"(97, N'无表', '', 'FInterID')");
  struct Case {
    std::int32_t type;
    std::vector<std::int32_t> ids;
    std::string error;
  };
  const Case cases[] = {
      {1,
       {1001, 424242},
       "Bill 424242 of bill type 1 (外购入库) does not exist: ICStockBill has no row with "
       "FInterID 424242"},
      {21,
       {2001, 1001},
       "Bill 1001 is a bill of bill type 1 (外购入库), not of bill type 21 (销售出库)"},
      {71, {1001}, "Bill 1001 of bill type 71 (采购订单) does not exist: POOrder has no row"},
      {999, {1001}, "Bill type 999 does not exist: ICTransactionType has no row with FID 999"},
      {1, {}, "No bill was given"},
      {98,
       {1001},
       "The FHeadTable of bill type 98 (坏) in ICTransactionType is no table or column "
       "name: 'ICStockBill; DELETE FROM ICPrintCount'"},
      {97, {1001}, "cannot be found: its FHeadTable in ICTransactionType is empty"},
  };
  const std::vector<Variant> before = Counts();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    for (const bool raise : {true, false}) {
      const oleaut::ComError error = ErrorOf([&] {
        if (raise) {
          printing::RaisePrintCounts(Dsn(), c.type, c.ids);
        } else {
          printing::ReadPrintCounts(Dsn(), c.type, c.ids);
        }
      });
      EXPECT_NE(oleaut::ToUtf8(error.Description()).find(c.error), std::string::npos)
          << oleaut::ToUtf8(error.Description());
    }
  }
  EXPECT_EQ(Counts(), before);
}

TEST_F(PrintCountTest, AFailedRaiseCountsNothing) {
  ExecNative(
      "CREATE TRIGGER refuse_1003 BEFORE INSERT ON ICPrintCount WHEN new.FInterID = 1003 "
      "BEGIN SELECT RAISE(ABORT, 'bill 1003 is locked'); END");
  const std::vector<Variant> before = Counts();
  const std::int32_t ids[] = {1001, 1002, 1003};
  const oleaut::ComError error = ErrorOf([&] { printing::RaisePrintCounts(Dsn(), 1, ids); });
  EXPECT_NE(oleaut::ToUtf8(error.Description()).find("bill 1003 is locked"), std::string::npos);
  EXPECT_EQ(Counts(), before);
}

TEST_F(PrintCountTest, WritersOnSeveralThreadsAreCountedExactly) {
  constexpr int kThreads = 6;
  constexpr int kRaises = 15;
  const auto failures = tavtest::OnThreads(kThreads, [&](int) {
    const std::int32_t ids[] = {1001, 1003};
    for (int i = 0; i < kRaises; ++i)
      printing::RaisePrintCounts(Dsn(), 1, ids);
  });
  EXPECT_EQ(failures, std::vector<std::string>(kThreads));
  EXPECT_EQ(Column(u"SELECT FPrintCount FROM ICPrintCount WHERE FID = 1 AND FInterID IN (1001, "
                   u"1003) ORDER BY FInterID"),
            (std::vector<Variant>{3 + kThreads * kRaises, kThreads * kRaises}));
}

}  // namespace
}  // namespace billdata_test
