// The data-access context: binds a data-source name to an open connection, tells who the user is,
// and frames the work of one public call as one transaction.
//
// One context per thread (Globals::GetCurrentContext). It keeps one open connection per data
// source for the thread's life, so that session temporary tables (#tmpsort and the others)
// survive between calls as they do on SQL Server.
//
// Transactions: the frame opens a CallScope around every public call. The first BindDsn of a data
// source inside the outermost call begins a transaction on its connection; nested calls join it.
// When the outermost call returns, each such transaction commits when the last vote was
// MarkComplete or there was none, and rolls back when it was MarkFailed; a call that ends with an
// exception always rolls back, so a write that fails half way leaves nothing behind. Outside any
// CallScope, statements run in autocommit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/ado/connection.h"
#include "platform/com/object.h"
#include "platform/oleaut/variant.h"
#include "platform/tavglobal/catalog.h"
#include "platform/tavglobal/user_info.h"

namespace tavglobal {

// What a call intends to do, so that a writer takes the database's write lock when its
// transaction begins and waits for other writers there, instead of failing half way when a read
// lock cannot be upgraded.
enum class TransactionIntent { Read, Write };

class DataContext : public com::Unknown {
 public:
  DataContext();
  ~DataContext() override;

  void MarkFailed() noexcept { vote_ = Vote::Failed; }
  void MarkComplete() noexcept { vote_ = Vote::Complete; }

  // The user of the data source bound last, as its user table knows them (see identity.h).
  com::Ptr<UserInfo> GetUserInfo();

  // Makes `sDsn` the current data source, opening its connection on first use. `sDsn` is a name
  // from the catalog, "demo", or itself a connection string. The result is Empty; no caller
  // uses it. Unknown names, unreadable catalogs, connections that fail and users the data
  // source does not know raise a ComError that names the data source and the cause.
  oleaut::Variant BindDsn(std::u16string_view sDsn);

  // The open connection of the data source bound last; raises when nothing is bound yet.
  com::Ptr<ado::Connection> GetConnection();

  // Call framing, used by CallScope.
  void EnterCall(TransactionIntent intent);
  // Ends a call level; at the outermost level commits or rolls back as described above.
  // Commit failures raise (after rolling back).
  void LeaveCall(bool succeeded);

 private:
  enum class Vote : std::uint8_t { None, Complete, Failed };
  struct Source {
    std::u16string name;
    com::Ptr<ado::Connection> connection;
    com::Ptr<UserInfo> user;
    bool in_transaction = false;
  };

  Source& Open(std::u16string_view sDsn);
  void BeginIfInCall(Source& source);
  void EndTransactions(bool commit);

  std::unordered_map<std::u16string, Source> sources_;  // keyed by the upper-cased name
  Source* current_ = nullptr;
  com::Ptr<UserInfo> default_user_;
  int call_depth_ = 0;
  TransactionIntent intent_ = TransactionIntent::Read;
  Vote vote_ = Vote::None;
};

// Frames one public call on the thread's current context (see DataContext). Finish() ends a call
// that returned normally and may raise when the commit fails; a scope destroyed without Finish()
// (an exception is passing) rolls back.
class CallScope {
 public:
  explicit CallScope(TransactionIntent intent = TransactionIntent::Read);
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;
  ~CallScope();

  void Finish();

 private:
  com::Ptr<DataContext> context_;
  bool finished_ = false;
};

}  // namespace tavglobal
