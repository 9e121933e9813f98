// ADO's Connection: one open session on a database through a provider. It runs statements
// (Execute), frames transactions, and hands recordsets and commands the session they run on.
// Session state (temporary tables, the last identity value) lives as long as the connection is
// open, as on SQL Server.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/ado/provider.h"
#include "platform/ado/provider_errors.h"
#include "platform/ado/types.h"
#include "platform/com/object.h"

namespace ado {

class Recordset;

class Connection : public com::Unknown {
 public:
  Connection();
  ~Connection() override;

  const std::u16string& ConnectionString() const noexcept { return connection_string_; }
  // 3705 while open.
  void SetConnectionString(std::u16string_view connection_string);

  // Opens the session; an empty `connection_string` uses ConnectionString. A user and password,
  // when given, are added to the connection string as "User ID" and "Password".
  void Open(std::u16string_view connection_string = {}, std::u16string_view user = {},
            std::u16string_view password = {}, std::int32_t options = adOptionUnspecified);
  // An open transaction is rolled back when the connection goes away, but closing explicitly
  // in the middle of one raises 3246, as ADO does.
  void Close();
  ObjectStateEnum State() const noexcept { return provider_ ? adStateOpen : adStateClosed; }

  // Runs a batch and returns its first row set as an open recordset (possibly without rows),
  // or a closed recordset when the batch produced none or adExecuteNoRecords was given.
  // `records_affected`, when given, receives the rows the last data change touched (-1: none).
  com::Ptr<Recordset> Execute(std::u16string_view command_text,
                              std::int32_t* records_affected = nullptr,
                              std::int32_t options = adOptionUnspecified);

  // Transactions do not nest: BeginTrans returns the level, always 1.
  // `lock`, which ADO's BeginTrans does not have, says how the transaction takes the database's
  // locks.
  std::int32_t BeginTrans(TransactionLock lock = TransactionLock::Immediate);
  void CommitTrans();
  void RollbackTrans();
  bool InTransaction() const noexcept { return in_transaction_; }

  // Where recordsets opened through this connection keep their cursor: adUseServer (ADO's
  // default) or adUseClient. Rows are materialised either way.
  CursorLocationEnum CursorLocation() const noexcept { return cursor_location_; }
  void SetCursorLocation(std::int32_t location);

  // The open session, for the data-access context; 3704 when closed.
  Provider& SessionProvider();

  // Runs a batch for a Recordset or Command, raising 3709 from `source` when the connection is
  // not open.
  ExecuteResult Run(std::u16string_view batch, std::span<const ParameterValue> parameters,
                    std::u16string_view source);

  // ADO's Errors: the messages of the last batch run on this connection, then the error that
  // failed it; emptied as the next batch starts.
  const ado::Errors& Errors() const noexcept { return errors_; }

 private:
  ExecuteResult RunBatch(std::u16string_view batch, std::span<const ParameterValue> parameters);

  ado::Errors errors_;
  std::u16string connection_string_;
  std::unique_ptr<Provider> provider_;
  CursorLocationEnum cursor_location_ = adUseServer;
  bool in_transaction_ = false;
};

}  // namespace ado

// Execute's callers need the whole Recordset; it includes this header in turn.
#include "platform/ado/recordset.h"  // IWYU pragma: export
