#include "platform/ado/connection.h"

#include <algorithm>
#include <utility>

#include "platform/ado/errors.h"
#include "platform/ado/execute_options.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"

namespace ado {
namespace {

constexpr std::u16string_view kSource = u"ADODB.Connection";

// The session's own answers to transaction calls that make no sense, as SQL Server's provider
// gives them (XACT_E_NOTRANSACTION, XACT_E_XTIONEXISTS).
constexpr auto kNoTransaction = oleaut::XACT_E_NOTRANSACTION;
constexpr auto kTransactionExists = oleaut::XACT_E_XTIONEXISTS;

// A connection string value in double quotes, the quote doubled inside it.
std::u16string Quoted(std::u16string_view value) {
  std::u16string quoted = u"\"";
  for (char16_t c : value) {
    quoted += c;
    if (c == u'"') quoted += u'"';
  }
  return quoted + u'"';
}

std::int32_t ClampToLong(std::int64_t count) noexcept {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(count, -1, 2147483647));
}

}  // namespace

Connection::Connection() = default;

Connection::~Connection() {
  if (provider_ && in_transaction_) {
    try {
      provider_->RollbackTransaction();
    } catch (...) {  // NOLINT(bugprone-empty-catch): the session ends anyway, taking its work
    }
  }
}

void Connection::SetConnectionString(std::u16string_view connection_string) {
  if (provider_) {
    RaiseAdoError(kAdoObjectOpen, kSource,
                  u"ConnectionString cannot change while the connection is open.");
  }
  connection_string_ = connection_string;
}

void Connection::Open(std::u16string_view connection_string, std::u16string_view user,
                      std::u16string_view password, std::int32_t options) {
  if (provider_) RaiseAdoError(kAdoObjectOpen, kSource, u"The connection is already open.");
  if (options != adOptionUnspecified && options != 0) {
    RaiseAdoError(kAdoWrongArguments, kSource,
                  u"Open options " + NumberText(options) +
                      u" ask for an asynchronous connection, which is not available.");
  }
  std::u16string effective(connection_string.empty() ? std::u16string_view(connection_string_)
                                                     : connection_string);
  if (effective.empty()) {
    RaiseAdoError(kAdoWrongArguments, kSource, u"Open needs a connection string; none was set.");
  }
  // Quoted, so that a ; or a quote inside them cannot end them early.
  if (!user.empty()) effective += u";User ID=" + Quoted(user);
  if (!password.empty()) effective += u";Password=" + Quoted(password);
  provider_ = OpenProvider(effective);
  if (!connection_string.empty()) connection_string_ = connection_string;
  in_transaction_ = false;
}

void Connection::Close() {
  if (!provider_) RaiseAdoError(kAdoObjectClosed, kSource, u"Close was called on it.");
  if (in_transaction_) {
    RaiseAdoError(kAdoCloseInTransaction, kSource, u"Commit or roll back the transaction first.");
  }
  provider_.reset();
}

com::Ptr<Recordset> Connection::Execute(std::u16string_view command_text,
                                        std::int32_t* records_affected, std::int32_t options) {
  if (!provider_) RaiseAdoError(kAdoObjectClosed, kSource, u"Execute needs an open connection.");
  const ExecuteOptions decoded = DecodeExecuteOptions(options, adCmdUnknown, kSource);
  const std::u16string statement = StatementFor(command_text, decoded.command_type, kSource);
  ExecuteResult result = RunBatch(statement, {});
  if (records_affected) *records_affected = ClampToLong(result.records_affected);
  auto recordset = com::Make<Recordset>();
  recordset->SetCursorLocation(cursor_location_);
  if (result.rows && !decoded.no_records) {
    recordset->OpenRows(std::move(*result.rows), com::Ptr<Connection>(this), cursor_location_);
  }
  return recordset;
}

std::int32_t Connection::BeginTrans(TransactionLock lock) {
  if (!provider_) RaiseAdoError(kAdoObjectClosed, kSource, u"BeginTrans needs an open connection.");
  if (in_transaction_) {
    throw oleaut::ComError(kTransactionExists, std::u16string(kSource),
                           u"Only one transaction can be active on this session; transactions "
                           u"do not nest.");
  }
  provider_->BeginTransaction(lock);
  in_transaction_ = true;
  return 1;
}

void Connection::CommitTrans() {
  if (!provider_)
    RaiseAdoError(kAdoObjectClosed, kSource, u"CommitTrans needs an open connection.");
  if (!in_transaction_) {
    throw oleaut::ComError(kNoTransaction, std::u16string(kSource),
                           u"No transaction is active: CommitTrans without BeginTrans.");
  }
  provider_->CommitTransaction();
  in_transaction_ = false;
}

void Connection::RollbackTrans() {
  if (!provider_) {
    RaiseAdoError(kAdoObjectClosed, kSource, u"RollbackTrans needs an open connection.");
  }
  if (!in_transaction_) {
    throw oleaut::ComError(kNoTransaction, std::u16string(kSource),
                           u"No transaction is active: RollbackTrans without BeginTrans.");
  }
  in_transaction_ = false;
  provider_->RollbackTransaction();
}

void Connection::SetCursorLocation(std::int32_t location) {
  if (location != adUseServer && location != adUseClient) {
    RaiseAdoError(kAdoWrongArguments, kSource,
                  u"CursorLocation must be adUseServer (2) or adUseClient (3), not " +
                      NumberText(location) + u'.');
  }
  cursor_location_ = static_cast<CursorLocationEnum>(location);
}

Provider& Connection::SessionProvider() {
  if (!provider_) {
    RaiseAdoError(kAdoObjectClosed, kSource, u"The connection has no session until it is opened.");
  }
  return *provider_;
}

ExecuteResult Connection::Run(std::u16string_view batch, std::span<const ParameterValue> parameters,
                              std::u16string_view source) {
  if (!provider_) {
    RaiseAdoError(kAdoInvalidConnection, source, u"Its connection is closed.");
  }
  return RunBatch(batch, parameters);
}

ExecuteResult Connection::RunBatch(std::u16string_view batch,
                                   std::span<const ParameterValue> parameters) {
  errors_.clear();
  try {
    ExecuteResult result = provider_->Execute(batch, parameters);
    AppendMessages(provider_->TakeMessages(), provider_->Describe(), errors_);
    return result;
  } catch (const oleaut::ComError& error) {
    AppendMessages(provider_->TakeMessages(), provider_->Describe(), errors_);
    errors_.push_back(ErrorOf(error));
    throw;
  }
}

}  // namespace ado
