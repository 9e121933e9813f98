// The transaction of a translated session as SQL Server counts it (@@TRANCOUNT): the caller's
// (begun through the provider, as ADO's BeginTrans or the component's transaction around each
// call begins it) at the bottom, and the levels BEGIN TRANSACTION statements of batches add on
// top. The first level begins the engine's transaction; COMMIT takes a level away and commits
// when none is left; ROLLBACK undoes the whole transaction, or the work since a savepoint. Table
// variables keep their rows through every rollback, as SQL Server's do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/sqlite/server_errors.h"
#include "platform/ado/sqlite/statement_backend.h"

namespace ado::sqlite {

class TransactionLevels {
 public:
  explicit TransactionLevels(StatementBackend& backend) : backend_(backend) {}

  // ---- the caller's transaction ----
  void CallerBegan();
  // What became of the caller's transaction when the caller ends it; the levels are forgotten.
  enum class CallerEnd : std::uint8_t {
    kOpen,        // it is the caller's to commit or roll back
    kRolledBack,  // a failure rolled it back: committing it must fail
    kEnded,       // a batch's COMMIT or ROLLBACK ended it
  };
  CallerEnd CallerEnds();
  // A failure rolled the caller's transaction back: the session runs nothing until the caller
  // ends it.
  bool Abandoned() const { return abandoned_; }

  // ---- statements of a batch; but for BEGIN, each returns the error SQL Server raises for
  // it, if any ----
  void Begin(const std::u16string& name);
  std::optional<ServerError> Commit();
  std::optional<ServerError> Rollback(const std::u16string& name);
  std::optional<ServerError> Save(const std::u16string& name);

  // ---- failures ----
  // An error that would end the batch and its transaction, taken by a CATCH block: the work is
  // undone now, and the transaction still counts, uncommittable, until a ROLLBACK ends it.
  void Doom();
  // An error ends the batch and rolls back its transaction.
  void Abandon();
  // At the end of a batch: an uncommittable transaction nothing rolled back is ended, and the
  // error SQL Server raises for it returned.
  std::optional<ServerError> EndOfBatch();

  int Count() const { return levels_; }  // @@TRANCOUNT
  bool Doomed() const { return doomed_; }
  int State() const { return doomed_ ? -1 : levels_ > 0 ? 1 : 0; }  // XACT_STATE()

 private:
  // Runs `rollback`, giving every table variable the rows it had before.
  void RollBackKeepingTableVariables(const char* rollback);
  void EndAll(bool ended_by_batch);
  void Forget();

  StatementBackend& backend_;
  int levels_ = 0;
  bool caller_ = false;  // the bottom level is the caller's
  bool doomed_ = false;  // the engine's transaction was rolled back; the levels still count
  bool abandoned_ = false;
  bool ended_by_batch_ = false;
  std::u16string name_;                     // of the outermost BEGIN TRANSACTION of a batch
  std::vector<std::u16string> savepoints_;  // by depth; SQLite knows them as tsql_save_<depth>
};

// What the caller's commit of a transaction that `end` tells of raises; empty when it is open.
std::string EndedTransactionError(TransactionLevels::CallerEnd end);

// Until the caller ends a transaction a failed batch rolled back, its session runs nothing: what
// the caller meant to run inside it must not be written outside it.
inline constexpr std::string_view kTransactionRolledBack =
    "The transaction was rolled back when an error ended a batch of it";

}  // namespace ado::sqlite
