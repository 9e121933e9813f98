// The SQL trace: every batch that reaches a provider, as the component built it and as it ran
// (the SQLite text the translator made of it, or the same text on SQL Server), so that tests can
// check exact statement texts and a user can see what ran.
//
// Destinations: the environment variable TAV_SQL_TRACE ("stderr" or a file path; entries are
// appended as UTF-8), SetSqlTraceDestination (the CLI's --trace-sql), and ScopedSqlTrace, which
// captures the entries of its own thread in memory. With none of them active, tracing costs one
// test of a flag per batch.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/oleaut/thread_capture.h"

namespace ado {

struct SqlTraceEntry {
  std::u16string as_built;  // the batch as the component built it
  std::string as_run;       // what the engine ran, statement after statement, one per line
  std::u16string provider;  // Provider::Describe()
};

// "stderr", a file path, or "" to stop writing; overrides TAV_SQL_TRACE from then on.
void SetSqlTraceDestination(const std::string& destination);

// Captures the entries traced on the constructing thread while it lives. Captures nest: each
// live capture of the thread receives every entry.
class ScopedSqlTrace : public oleaut::ThreadCapture<SqlTraceEntry> {
 public:
  ScopedSqlTrace();

  const std::vector<SqlTraceEntry>& Entries() const { return Records(); }
  // The as-built texts only, in order: what most tests compare.
  std::vector<std::u16string> Batches() const;
};

// Keeps the batches run on this thread while it lives out of the thread's captures (they still go
// to the destination): for the platform's own look-ups, such as who the user is, which are not
// statements of the component that a capture is there to check.
class SqlTraceCaptureHold {
 public:
  SqlTraceCaptureHold() noexcept;
  SqlTraceCaptureHold(const SqlTraceCaptureHold&) = delete;
  SqlTraceCaptureHold& operator=(const SqlTraceCaptureHold&) = delete;
  ~SqlTraceCaptureHold();

 private:
  oleaut::ThreadCapture<SqlTraceEntry>* held_;
};

namespace detail {
extern std::atomic<bool> sql_trace_to_destination;
extern thread_local oleaut::ThreadCapture<SqlTraceEntry>* sql_trace_capture;
}  // namespace detail

// Whether an entry would go anywhere: providers build entries only when it is true.
inline bool SqlTraceActive() noexcept {
  return detail::sql_trace_to_destination.load(std::memory_order_relaxed) ||
         detail::sql_trace_capture != nullptr;
}

// Hands an entry to the captures of this thread and to the destination. Never raises: a trace
// that cannot be written does not fail the statement.
void TraceSql(SqlTraceEntry entry);

// Reads TAV_SQL_TRACE again unless SetSqlTraceDestination was called (providers call it when
// they open, so a test that sets the variable sees its entries).
void RefreshSqlTraceFromEnvironment();

}  // namespace ado
