// One session of the driver manager: connecting (with the T-SQL runtime loaded into the SQLite
// driver's connection), telling which engine answers, running a statement with its values bound,
// and noticing a connection that is lost, so that the next batch opens it again.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/odbc/connection_mapping.h"
#include "platform/ado/odbc/odbc_call.h"
#include "platform/ado/odbc/parameter_binding.h"
#include "platform/ado/odbc/result_reader.h"
#include "platform/ado/provider.h"

namespace ado::odbc {

enum class Dialect {
  kPassThrough,  // SQL Server and every driver that is not SQLite's
  kSqlite,       // the SQLite ODBC driver: batches are translated
};

class OdbcConnection {
 public:
  // Connects; raises what went wrong in words a person setting up a data source can act on.
  explicit OdbcConnection(OdbcTarget target);
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  const OdbcTarget& Target() const { return target_; }
  Dialect EngineDialect() const { return dialect_; }
  TextApi Api() const { return text_api_; }
  TextFetch Fetch() const { return text_fetch_; }
  SQLHDBC Dbc() const { return dbc_.Get(); }

  // Whether a call found the connection gone; its transaction went with it.
  bool Lost() const { return lost_; }
  // Whether the caller's transaction is open on it.
  bool InTransaction() const { return in_transaction_; }
  void SetInTransaction(bool open) { in_transaction_ = open; }

  // Opens the session again when it was lost outside a transaction; returns whether it did.
  // Within a transaction, raises: the work before the loss is gone.
  bool ReconnectIfLost();
  void Disconnect() noexcept { dbc_.Reset(); }

  CallContext Where(std::u16string_view statement = {}, std::string_view engine_text = {}) {
    return {target_.description, statement, engine_text, &lost_, dbc_.Get()};
  }

  // Runs `text` with `values` bound to its markers in order; the statement is left on its first
  // result.
  Handle Run(std::u16string text, const std::vector<const ParameterValue*>& values,
             const CallContext& where, ValueStyle style);
  // Statements of the provider's own (pragmas, transactions), not of a batch.
  void RunInternal(const char* sql);
  // The rows of a statement of the provider's own, every value as text.
  std::vector<std::vector<std::optional<std::u16string>>> QueryInternal(const std::string& sql);

  void SetAutocommit(bool on);

 private:
  void Connect();
  void ConnectWith(std::u16string connection_string);
  [[noreturn]] void RaiseConnectError();
  std::optional<std::string> MissingSqliteDatabase(const std::vector<Diagnostic>& records) const;
  Dialect DialectOfDbms();

  OdbcTarget target_;
  Handle env_;
  Handle dbc_;  // after env_: freed first
  Dialect dialect_ = Dialect::kPassThrough;
  TextApi text_api_ = TextApi::kWide;
  TextFetch text_fetch_ = TextFetch::kPerValue;
  bool lost_ = false;
  bool in_transaction_ = false;
};

}  // namespace ado::odbc
