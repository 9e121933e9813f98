// Transactions under concurrent writers: a deferred transaction waits for another writer when
// its batch writes the database, even when the batch reads first, and takes no lock for
// temporary tables.
#include <chrono>
#include <thread>

#include "ado_fixture.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"

namespace ado::testing {
namespace {

class TransactionTest : public AdoTest {};

std::int32_t Count(Connection& connection, std::u16string_view sql) {
  return oleaut::ToLong(connection.Execute(sql)->Fields()->Item(0)->Value());
}

TEST_F(TransactionTest, DeferredBatchThatReadsThenWritesWaitsForTheOtherWriter) {
  Run(u"CREATE TABLE T (a int)");
  auto other = OpenConnection();
  other->BeginTrans(TransactionLock::Immediate);
  other->Execute(u"INSERT INTO T VALUES (1)");

  // Temporary tables take no lock: this does not wait for the other writer.
  connection_->BeginTrans(TransactionLock::Deferred);
  connection_->Execute(u"select 1 as x into #t");
  EXPECT_EQ(Count(*connection_, u"select count(*) from #t"), 1);
  connection_->RollbackTrans();

  std::thread committer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    other->CommitTrans();
  });
  connection_->BeginTrans(TransactionLock::Deferred);
  try {
    connection_->Execute(u"IF NOT EXISTS (SELECT 1 FROM T WHERE a = 5) INSERT INTO T VALUES (2)");
    connection_->CommitTrans();
  } catch (const oleaut::ComError& error) {
    ADD_FAILURE() << error.what();
    connection_->RollbackTrans();
  }
  committer.join();
  EXPECT_EQ(Count(*connection_, u"select count(*) from T"), 2);
}

}  // namespace
}  // namespace ado::testing
