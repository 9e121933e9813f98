// What a batch that fails does to the transaction it runs in, through both providers that run
// translated batches: an error that ends only its statement leaves the transaction to the caller;
// a conversion error rolls it back at once, so that the session runs nothing more until the
// caller ends it: the caller's commit fails, its rollback finds nothing left to undo. The
// transaction statements of a batch count the caller's transaction as their first level.
#include <gtest/gtest.h>

#include <vector>

#include "com_error_of.h"
#include "odbc_driver.h"
#include "platform/ado/provider.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "temp_dir.h"

namespace {

class BatchTransactionTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    const auto database = dir_ / "batch.db";
    provider_ = ado::OpenProvider(oleaut::FromUtf8(
        GetParam() == "odbc"
            ? tavtest::NewSqliteOdbcDatabase(database)
            : "Provider=SQLite;Mode=ReadWriteCreate;Data Source=" + database.string()));
    provider_->Execute(u"create table T (a int primary key, n int)", {});
  }

  std::int64_t Count() {
    const ado::ExecuteResult result = provider_->Execute(u"select count(*) from T", {});
    return result.rows->values.at(0).AsLong();
  }

  tavtest::TempDir dir_;
  std::unique_ptr<ado::Provider> provider_;
};

TEST_P(BatchTransactionTest, AStatementErrorLeavesTheTransactionToTheCaller) {
  provider_->BeginTransaction();
  EXPECT_THROW(provider_->Execute(u"insert into T values (1, 1)\n"
                                  u"insert into T values (1, 2)\n"
                                  u"insert into T values (2, 3)",
                                  {}),
               oleaut::ComError);
  EXPECT_EQ(Count(), 2);
  // A batch that does not parse never ran, whatever its text says.
  EXPECT_THROW(provider_->Execute(u"select 'Conversion failed when converting' +", {}),
               oleaut::ComError);
  provider_->CommitTransaction();
  EXPECT_EQ(Count(), 2);
}

TEST_P(BatchTransactionTest, AConversionErrorRollsTheTransactionBack) {
  provider_->BeginTransaction();
  provider_->Execute(u"insert into T values (1, 1)", {});
  EXPECT_THROW(provider_->Execute(u"insert into T values (2, 2)\n"
                                  u"insert into T values (3, 'three')\n"
                                  u"insert into T values (4, 4)",
                                  {}),
               oleaut::ComError);
  // Nothing runs outside the transaction the caller meant it for until the caller ends it.
  EXPECT_THROW(provider_->Execute(u"insert into T values (5, 5)", {}), oleaut::ComError);
  // The commit of a transaction rolled back fails.
  const oleaut::ComError e = tavtest::ErrorOf([&] { provider_->CommitTransaction(); });
  EXPECT_NE(std::string(e.what()).find("rolled back"), std::string::npos) << e.what();
  // The session goes on without a transaction, and the next one is as any other.
  EXPECT_EQ(Count(), 0);
  provider_->Execute(u"insert into T values (5, 5)", {});
  provider_->BeginTransaction();
  EXPECT_THROW(provider_->Execute(u"select convert(int, 'x')", {}), oleaut::ComError);
  provider_->RollbackTransaction();
  EXPECT_EQ(Count(), 1);
}

// The caller's transaction is the first level a batch counts: a batch's BEGIN and COMMIT nest
// inside it, so the caller's end decides; a batch's ROLLBACK ends it, and the caller learns so.
TEST_P(BatchTransactionTest, TheCallersTransactionIsTheFirstLevel) {
  const auto state = [&](const char16_t* batch) {
    const ado::ExecuteResult result = provider_->Execute(batch, {});
    return std::vector<std::int32_t>{oleaut::ToLong(result.rows->values.at(0)),
                                     oleaut::ToLong(result.rows->values.at(1))};
  };
  const char16_t* const kAsk = u"select @@TRANCOUNT, xact_state()";
  EXPECT_EQ(state(kAsk), (std::vector<std::int32_t>{0, 0}));
  provider_->BeginTransaction();
  EXPECT_EQ(state(u"begin tran insert into T values (1, 1) select @@TRANCOUNT, xact_state()"),
            (std::vector<std::int32_t>{2, 1}));
  EXPECT_EQ(state(u"commit select @@TRANCOUNT, xact_state()"), (std::vector<std::int32_t>{1, 1}));
  provider_->RollbackTransaction();
  EXPECT_EQ(Count(), 0);

  provider_->BeginTransaction();
  provider_->Execute(u"insert into T values (2, 2) rollback", {});
  EXPECT_EQ(state(kAsk), (std::vector<std::int32_t>{0, 0}));
  // The commit of a transaction a batch rolled back fails.
  const oleaut::ComError e = tavtest::ErrorOf([&] { provider_->CommitTransaction(); });
  EXPECT_NE(std::string(e.what()).find("no corresponding BEGIN TRANSACTION"), std::string::npos)
      << e.what();
  EXPECT_EQ(Count(), 0);
  provider_->BeginTransaction();
  provider_->Execute(u"insert into T values (3, 3) commit", {});
  provider_->RollbackTransaction();  // nothing left to undo
  EXPECT_EQ(Count(), 1);
}

// An error that dooms the caller's transaction in a TRY block: it counts, uncommittable, until a
// ROLLBACK; a batch that ends with it so fails, and the caller's commit fails too.
TEST_P(BatchTransactionTest, AnUncommittableTransactionFailsItsBatch) {
  provider_->BeginTransaction();
  provider_->Execute(u"insert into T values (1, 1)", {});
  const oleaut::ComError e = tavtest::ErrorOf([&] {
    provider_->Execute(
        u"begin try select convert(int, 'x') end try "
        u"begin catch select @@TRANCOUNT, xact_state() end catch",
        {});
  });
  EXPECT_NE(std::string(e.what()).find("Uncommittable transaction is detected at the end of "
                                       "the batch. The transaction is rolled back."),
            std::string::npos)
      << e.what();
  EXPECT_THROW(provider_->CommitTransaction(), oleaut::ComError);
  EXPECT_EQ(Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Providers, BatchTransactionTest, ::testing::Values("embedded", "odbc"),
                         [](const ::testing::TestParamInfo<std::string>& provider) {
                           return provider.param;
                         });

}  // namespace
