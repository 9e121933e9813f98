// The classes' shared frame: ExecuteSQL and GetSysValue through Invoke, per-call transactions,
// and the shared SQL helpers (the language columns are checked by the statements of
// metadata_test; TransMode of every class through the server library).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com_values.h"
#include "frame/cls_get_data.h"
#include "frame/context_helpers.h"
#include "frame/sql_quote.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/tavglobal/database_files.h"
#include "platform/tavglobal/globals.h"
#include "temp_dir.h"
#include "threads.h"

namespace frame {
namespace {

using oleaut::Bstr;
using oleaut::ComError;
using oleaut::Variant;
using tavtest::FirstValue;

class FrameTest : public testing::Test {
 protected:
  FrameTest() {
    for (const char* name : {"a.db", "b.db"}) {
      tavglobal::CreateDatabase(dir_ / name, /*with_demo_data=*/false);
    }
    dsn_a_ = tavglobal::SqliteConnectionString(dir_ / "a.db");
    dsn_b_ = tavglobal::SqliteConnectionString(dir_ / "b.db");
    Sql(dsn_a_,
        u"INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('IC', 'Name', N'甲')"
        u" INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('it''s', 'K', '7')"
        u" INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('IC', 'Empty', NULL)");
    Sql(dsn_b_,
        u"INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('IC', 'Name', N'乙')");
  }

  Variant Sql(const Bstr& dsn, const Bstr& sql) { return data_->Call(u"ExecuteSQL", dsn, sql); }

  tavtest::TempDir dir_;
  Bstr dsn_a_;
  Bstr dsn_b_;
  com::Ptr<clsGetData> data_ = com::Make<clsGetData>();
};

TEST_F(FrameTest, ExecuteSQLRunsOnEachCallsOwnSourceAndDetaches) {
  const char16_t* kName = u"SELECT FValue FROM t_SystemProfile WHERE FKey='Name'";
  EXPECT_EQ(FirstValue(Sql(dsn_a_, kName)), Variant(u"甲"));
  Variant from_b = Sql(dsn_b_, kName);
  data_.Reset();  // the instance is gone; the recordset is not tied to it or its connection
  auto recordset = from_b.AsObjectOf<ado::Recordset>();
  EXPECT_FALSE(recordset->ActiveConnection());
  EXPECT_EQ(recordset->Fields()->Item(u"fvalue")->Value(), Variant(u"乙"));
}

TEST_F(FrameTest, FailingStatementAfterAWriteLeavesNothingBehind) {
  EXPECT_THROW(Sql(dsn_a_,
                   u"INSERT INTO t_SystemProfile (FCategory, FKey) VALUES ('X', 'Y')"
                   u" SELECT * FROM t_NoSuchTable"),
               ComError);
  EXPECT_EQ(FirstValue(Sql(dsn_a_, u"SELECT count(*) FROM t_SystemProfile WHERE FCategory='X'")),
            Variant(std::int32_t{0}));
}

TEST_F(FrameTest, ConcurrentWritingCallsWaitForEachOtherAndLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kCalls = 200;
  Sql(dsn_a_, u"CREATE TABLE t_Log (FID int NOT NULL, FThread int NOT NULL)");
  const auto failures = tavtest::OnThreads(kThreads, [this](int t) {
    // Apartment model: each thread creates and calls its own instance.
    auto data = com::Make<clsGetData>();
    for (int i = 0; i < kCalls; ++i) {
      // The batch reads before it writes: it must still wait for the other writers.
      data->Call(u"ExecuteSQL", dsn_a_,
                 u"IF NOT EXISTS (SELECT 1 FROM t_Log WHERE FID = -1) INSERT INTO t_Log VALUES (" +
                     oleaut::FromUtf8(std::to_string(i)) + u", " +
                     oleaut::FromUtf8(std::to_string(t)) + u")");
    }
  });
  EXPECT_EQ(failures, std::vector<std::string>(kThreads));
  EXPECT_EQ(FirstValue(Sql(dsn_a_, u"SELECT count(*) FROM t_Log")),
            Variant(std::int32_t{kThreads * kCalls}));
}

TEST_F(FrameTest, GetSysValueQuotesItsKeysAndTellsZeroFromNull) {
  struct Case {
    const char16_t* category;
    const char16_t* key;
    Variant expected;
  };
  const Case cases[] = {
      {u"IC", u"Name", Variant(u"甲")},
      {u"IC", u"Missing", Variant(std::int16_t{0})},  // the Integer 0, not Empty
      {u"IC", u"Empty", oleaut::kNull},
      {u"it's  ", u"K", Variant(u"7")},  // trimmed, apostrophe doubled
  };
  for (const Case& c : cases) {
    ado::ScopedSqlTrace trace;
    const Variant value = data_->Call(u"GetSysValue", dsn_a_, c.category, c.key);
    EXPECT_EQ(value, c.expected) << oleaut::ToUtf8(c.key);
    ASSERT_EQ(trace.Batches().size(), 1U);
    EXPECT_EQ(trace.Batches()[0], u"SELECT FValue FROM t_SystemProfile WHERE FCategory=" +
                                      SqlQuote(Variant(c.category)) + u" and FKey=" +
                                      SqlQuote(Variant(c.key)));
  }
}

TEST(SqlQuote, QuotesAsTheStatementsNeed) {
  struct Case {
    Variant value;
    const char16_t* quoted;
    const char16_t* keep_breaks;
  };
  const Case cases[] = {
      {oleaut::kNull, u"''", u"''"},
      {Variant(u""), u"''", u"''"},
      {Variant(u"   "), u"''", u"''"},
      {Variant(u"a\r\nb"), u"'ab'", u"'a\r\nb'"},
      {Variant(u"''"), u"''''''", u"''''''"},
      {Variant(std::int32_t{12}), u"'12'", u"'12'"},
      {Variant(u"it's "), u"'it''s'", u"'it''s'"},
      {Variant(u" x \n"), u"'x '", u"'x \n'"},  // the blank before the break stays
      {Variant(Bstr(u"a\0b", 3)), u"'ab'", nullptr},
      {Variant(u"x'; drop table T_ExcelPrintExport; --"),
       u"'x''; drop table T_ExcelPrintExport; --'", nullptr},
      {Variant(oleaut::ByteArray{1, 2}), u"", u""},  // cannot be text: no literal at all
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SqlQuote(c.value), c.quoted);
    if (c.keep_breaks) {
      EXPECT_EQ(SqlQuoteKeepBreaks(c.value), c.keep_breaks);
    }
  }
}

TEST_F(FrameTest, IndustryVersionReadsTheLeadingNumberOrZero) {
  struct Case {
    const char16_t* setup;
    std::int16_t expected;
  };
  const Case cases[] = {
      {u"DELETE FROM t_SystemProfile WHERE FKey='IndustryVersion'", 0},
      {u"INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES "
       u"('IC','IndustryVersion',NULL)",
       0},
      {u"UPDATE t_SystemProfile SET FValue='1' WHERE FKey='IndustryVersion'", 1},
      {u"UPDATE t_SystemProfile SET FValue='2.5' WHERE FKey='IndustryVersion'", 2},
      {u"UPDATE t_SystemProfile SET FValue='99999' WHERE FKey='IndustryVersion'", 0},
  };
  for (const Case& c : cases) {
    Sql(dsn_a_, c.setup);
    GetDataContext()->BindDsn(dsn_a_);
    EXPECT_EQ(GetIndustryVersion(), c.expected) << oleaut::ToUtf8(c.setup);
  }
}

}  // namespace
}  // namespace frame
