// The provider interface under the ADO objects: what a database engine must offer so that
// Connection, Recordset and Command work on it. The embedded SQLite provider and the SQL Server
// (ODBC) provider implement it; engine types never appear here.
//
// Statements arrive as the component built them, in SQL Server's dialect. A provider runs a whole
// batch and hands back the first result that is a row set, fully materialised (ADO client-side
// cursors), so that recordsets can be detached from their connection at no cost.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/types.h"
#include "platform/oleaut/variant.h"

namespace ado {

// One column of a row set, as SQL Server's OLE DB provider would describe it.
struct ColumnInfo {
  std::u16string name;
  DataTypeEnum type = adVarWChar;
  // Characters for text, bytes for binary, 2147483647 for long data (image, text), the storage
  // size for fixed-size types (4 for int).
  std::int32_t defined_size = 0;
  std::uint8_t precision = 0;
  std::uint8_t numeric_scale = 0;
};

// A materialised row set: values row after row, columns.size() values per row.
struct RowSet {
  std::vector<ColumnInfo> columns;
  std::vector<oleaut::Variant> values;

  std::size_t RowCount() const noexcept {
    return columns.empty() ? 0 : values.size() / columns.size();
  }
};

// A bound `?` marker of a batch, in the order of the markers.
struct ParameterValue {
  DataTypeEnum type = adVarWChar;
  ParameterDirectionEnum direction = adParamInput;
  std::int32_t size = 0;
  oleaut::Variant value;
};

struct ExecuteResult {
  // The first result of the batch that is a row set (possibly without rows); none when the batch
  // produced no row set at all.
  std::optional<RowSet> rows;
  // Rows touched by the last data-changing statement, -1 when none ran.
  std::int64_t records_affected = -1;
};

// How a transaction takes the database's locks.
enum class TransactionLock {
  // The write lock now: a writer waits for other writers at the start, within the busy timeout,
  // instead of failing later when a read lock cannot be upgraded.
  Immediate,
  // Locks as statements need them: for work that reads, so that readers never queue.
  Deferred,
};

// An open session on one database. Each Connection owns one; session state (temporary tables,
// the last identity value) belongs to it, as a SQL Server session's does.
class Provider {
 public:
  virtual ~Provider() = default;

  // Runs a batch of one or more statements. Errors raise a ComError that carries the engine's
  // message and the statement text.
  virtual ExecuteResult Execute(std::u16string_view batch,
                                std::span<const ParameterValue> parameters) = 0;
  virtual void BeginTransaction(TransactionLock lock) = 0;
  void BeginTransaction() { BeginTransaction(TransactionLock::Immediate); }
  virtual void CommitTransaction() = 0;
  virtual void RollbackTransaction() = 0;
  // What this session is connected to, for messages: "SQLite /home/u/.local/share/.../demo.db".
  virtual std::u16string Describe() const = 0;
  // The informational messages of the last batch (PRINT, RAISERROR of severity 10 or less), in
  // order, whether it ran or failed; taken once.
  virtual std::vector<std::u16string> TakeMessages() { return {}; }
};

// Creates a provider from an ADO connection string ("Provider=SQLite;Data Source=/x/demo.db" or
// an ODBC one). Unknown providers, missing files and bad keys raise a ComError saying which.
std::unique_ptr<Provider> OpenProvider(std::u16string_view connection_string);

}  // namespace ado
