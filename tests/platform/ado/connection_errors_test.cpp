// Connection.Errors: the messages of a batch (PRINT, RAISERROR of severity 10 or less) as SQL
// Server's provider reports them, and the error that failed it; and TRY ... CATCH in a
// transaction that a conversion error dooms.
#include "ado_fixture.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"

namespace ado::testing {
namespace {

class ConnectionErrorsTest : public AdoTest {};

TEST_F(ConnectionErrorsTest, HoldsTheMessagesOfTheLastBatchThenItsError) {
  const auto rows = connection_->Execute(
      u"PRINT 'first'; PRINT 42; RAISERROR(N'%s of %d', 0, 1, N'second', 2); SELECT 1 AS a");
  EXPECT_EQ(oleaut::ToLong(rows->Fields()->Item(0)->Value()), 1);
  ASSERT_EQ(connection_->Errors().size(), 3U);
  EXPECT_EQ(connection_->Errors()[0].description, u"first");
  EXPECT_EQ(connection_->Errors()[1].description, u"42");
  EXPECT_EQ(connection_->Errors()[2].description, u"second of 2");
  for (const Error& entry : connection_->Errors()) {
    EXPECT_EQ(entry.number, 0);
    EXPECT_EQ(entry.sql_state, u"01000");
  }

  EXPECT_THROW(connection_->Execute(u"PRINT 'before'; SELECT 1/0; PRINT 'after'"),
               oleaut::ComError);
  ASSERT_EQ(connection_->Errors().size(), 3U);
  EXPECT_EQ(connection_->Errors()[1].description, u"after");
  EXPECT_NE(connection_->Errors()[2].number, 0);
  EXPECT_NE(connection_->Errors()[2].description.find(u"Divide by zero"), std::u16string::npos);

  connection_->Execute(u"SELECT 1");
  EXPECT_TRUE(connection_->Errors().empty());
}

// SET LANGUAGE says what it changed to, by the language's own name, as SQL Server's message 5703.
TEST_F(ConnectionErrorsTest, SetLanguageReportsTheLanguageItChangedTo) {
  const auto rows = connection_->Execute(u"SET LANGUAGE 'british english'; SELECT @@LANGUAGE AS l");
  EXPECT_EQ(oleaut::ToString(rows->Fields()->Item(0)->Value()), u"British");
  ASSERT_EQ(connection_->Errors().size(), 1U);
  EXPECT_EQ(connection_->Errors()[0].description, u"Changed language setting to British.");
  EXPECT_EQ(connection_->Errors()[0].sql_state, u"01000");

  connection_->Execute(u"SET LANGUAGE us_english");
  ASSERT_EQ(connection_->Errors().size(), 1U);
  EXPECT_EQ(connection_->Errors()[0].description, u"Changed language setting to us_english.");
}

TEST_F(ConnectionErrorsTest, AConversionErrorInTryDoomsTheTransaction) {
  Run(u"CREATE TABLE T (a int)");
  connection_->BeginTrans();
  const auto rows = connection_->Execute(
      u"INSERT INTO T VALUES (1)\n"
      u"DECLARE @state int, @write nvarchar(400)\n"
      u"BEGIN TRY\n"
      u"  SELECT CONVERT(int, 'abc')\n"
      u"END TRY\n"
      u"BEGIN CATCH\n"
      u"  SET @state = XACT_STATE()\n"
      u"  BEGIN TRY INSERT INTO T VALUES (2) END TRY\n"
      u"  BEGIN CATCH SET @write = ERROR_MESSAGE() END CATCH\n"
      u"  ROLLBACK\n"
      u"END CATCH\n"
      u"SELECT @state AS state, @write AS write");
  EXPECT_EQ(oleaut::ToLong(rows->Fields()->Item(0)->Value()), -1);
  EXPECT_EQ(oleaut::ToString(rows->Fields()->Item(1)->Value()),
            u"The current transaction cannot be committed and cannot support operations that "
            u"write to the log file. Roll back the transaction.");
  connection_->RollbackTrans();  // the batch's ROLLBACK ended it: nothing is left to undo
  EXPECT_EQ(
      oleaut::ToLong(connection_->Execute(u"SELECT count(*) FROM T")->Fields()->Item(0)->Value()),
      0);
}

TEST_F(ConnectionErrorsTest, XactAbortRollsBackTheTransactionOnAnError) {
  Run(u"CREATE TABLE T (a int)");
  Run(u"SET XACT_ABORT ON");
  connection_->BeginTrans();
  Run(u"INSERT INTO T VALUES (1)");
  EXPECT_THROW(Run(u"INSERT INTO T VALUES (2) INSERT INTO T VALUES (1/0)"), oleaut::ComError);
  // Until the caller ends the transaction, nothing more runs in it.
  EXPECT_THROW(Run(u"INSERT INTO T VALUES (3)"), oleaut::ComError);
  connection_->RollbackTrans();
  EXPECT_EQ(
      oleaut::ToLong(connection_->Execute(u"SELECT count(*) FROM T")->Fields()->Item(0)->Value()),
      0);
}

}  // namespace
}  // namespace ado::testing
