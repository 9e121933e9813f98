#include "platform/tavglobal/data_context.h"

#include <exception>

#include "platform/ado/connection_string.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "platform/tavglobal/globals.h"
#include "platform/tavglobal/identity.h"

namespace tavglobal {

namespace {

constexpr std::u16string_view kSource = u"TAVGlobal.Context";
constexpr std::u16string_view kDemoName = u"demo";

bool IsConnectionString(std::u16string_view sDsn) {
  return sDsn.find(u'=') != std::u16string_view::npos;
}

[[noreturn]] void RaiseForSource(
    std::u16string_view sDsn, std::u16string_view cause,
    std::int32_t number = oleaut::VbHresult(oleaut::kInvalidProcedureCall)) {
  // A connection string used as a name may hold a password: messages show it without.
  const std::u16string shown =
      IsConnectionString(sDsn) ? ado::RedactedConnectionString(sDsn) : std::u16string(sDsn);
  throw oleaut::ComError(number, std::u16string(kSource),
                         u"Data source '" + shown + u"': " + std::u16string(cause));
}

}  // namespace

DataContext::DataContext() = default;

DataContext::~DataContext() {
  // A thread that ends inside a call (it should not) leaves nothing half written.
  EndTransactions(/*commit=*/false);
}

com::Ptr<UserInfo> DataContext::GetUserInfo() {
  if (current_) return current_->user;
  if (!default_user_) default_user_ = UnboundIdentity(RequestedIdentity(nullptr));
  return default_user_;
}

oleaut::Variant DataContext::BindDsn(std::u16string_view sDsn) {
  Source& source = Open(sDsn);
  current_ = &source;
  BeginIfInCall(source);
  return {};
}

com::Ptr<ado::Connection> DataContext::GetConnection() {
  if (!current_) {
    throw oleaut::ComError(oleaut::VbHresult(oleaut::kObjectVariableNotSet),
                           std::u16string(kSource),
                           u"No data source is bound: call BindDsn before GetConnection");
  }
  return current_->connection;
}

DataContext::Source& DataContext::Open(std::u16string_view sDsn) {
  const std::u16string key = oleaut::UCase(sDsn);
  if (auto found = sources_.find(key); found != sources_.end()) return found->second;

  if (oleaut::Trim(sDsn).empty()) RaiseForSource(sDsn, u"the data-source name is empty");
  Source source;
  source.name = std::u16string(sDsn);
  try {
    std::u16string connection_string;
    const DataSourceEntry* entry = nullptr;
    Catalog catalog;
    if (IsConnectionString(sDsn)) {
      connection_string = std::u16string(sDsn);
    } else {
      catalog = Catalog::Load();
      entry = catalog.Find(sDsn);
      if (entry && !entry->connection.empty()) {
        connection_string = entry->connection;
      } else if (oleaut::EqualsNoCase(sDsn, kDemoName)) {
        connection_string = SqliteConnectionString(EnsureDemoDatabase());
      } else {
        RaiseForSource(sDsn, u"no such data source in the catalog '" +
                                 oleaut::FromUtf8(catalog.Path().string()) + u"'");
      }
    }
    const IdentityRequest identity = RequestedIdentity(entry);
    source.connection = com::Make<ado::Connection>();
    source.connection->Open(connection_string, {},
                            entry && entry->password ? *entry->password : std::u16string());
    source.user = ResolveIdentity(identity, *source.connection);
  } catch (const oleaut::ComError& e) {
    if (e.Source() == kSource) throw;
    RaiseForSource(sDsn, e.Description(), e.Number());
  }
  return sources_.emplace(key, std::move(source)).first->second;
}

void DataContext::BeginIfInCall(Source& source) {
  if (call_depth_ == 0 || source.in_transaction) return;
  source.connection->BeginTrans(intent_ == TransactionIntent::Write
                                    ? ado::TransactionLock::Immediate
                                    : ado::TransactionLock::Deferred);
  source.in_transaction = true;
}

void DataContext::EnterCall(TransactionIntent intent) {
  if (call_depth_++ == 0) {
    vote_ = Vote::None;
    intent_ = intent;
  }
}

void DataContext::LeaveCall(bool succeeded) {
  if (call_depth_ == 0 || --call_depth_ > 0) return;
  EndTransactions(succeeded && vote_ != Vote::Failed);
  vote_ = Vote::None;
}

void DataContext::EndTransactions(bool commit) {
  std::exception_ptr first_failure;
  for (auto& [key, source] : sources_) {
    if (!source.in_transaction) continue;
    source.in_transaction = false;
    try {
      if (commit) {
        source.connection->CommitTrans();
      } else {
        source.connection->RollbackTrans();
      }
    } catch (...) {
      if (!first_failure) first_failure = std::current_exception();
      try {
        if (source.connection->InTransaction()) source.connection->RollbackTrans();
      } catch (...) {  // NOLINT(bugprone-empty-catch): the first failure is what the caller sees
      }
    }
  }
  if (first_failure && commit) std::rethrow_exception(first_failure);
}

CallScope::CallScope(TransactionIntent intent) : context_(Globals::Current().GetCurrentContext()) {
  context_->EnterCall(intent);
}

CallScope::~CallScope() {
  if (!finished_) context_->LeaveCall(/*succeeded=*/false);
}

void CallScope::Finish() {
  finished_ = true;
  context_->LeaveCall(/*succeeded=*/true);
}

}  // namespace tavglobal
