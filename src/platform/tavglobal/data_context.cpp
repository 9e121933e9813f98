#include "platform/tavglobal/data_context.h"

#include <cstdlib>
#include <exception>

#include "platform/ado/connection_string.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "platform/tavglobal/globals.h"

namespace tavglobal {

namespace {

constexpr std::u16string_view kSource = u"TAVGlobal.Context";
constexpr std::u16string_view kDemoName = u"demo";

bool IsConnectionString(std::u16string_view sDsn) {
  return sDsn.find(u'=') != std::u16string_view::npos;
}

const char* NonEmptyEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
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

com::Ptr<UserInfo> ResolveUser(const DataSourceEntry* entry) {
  std::int16_t user_id = kAdministratorUserId;
  std::u16string user_name = u"Manager";
  std::u16string language = u"CHS";
  if (entry) {
    if (entry->user_id) user_id = *entry->user_id;
    if (entry->user_name) user_name = *entry->user_name;
    if (entry->language) language = *entry->language;
  }
  if (const char* id = NonEmptyEnv("TAV_USER_ID")) {
    char* end = nullptr;
    const long value = std::strtol(id, &end, 10);
    if (*end != '\0' || value < -32768 || value > 32767) {
      throw oleaut::ComError(oleaut::VbHresult(oleaut::kOverflow), std::u16string(kSource),
                             u"TAV_USER_ID must be an integer from -32768 to 32767, not '" +
                                 oleaut::FromUtf8(id) + u"'");
    }
    user_id = static_cast<std::int16_t>(value);
  }
  if (const char* name = NonEmptyEnv("TAV_USER_NAME")) user_name = oleaut::FromUtf8(name);
  if (const char* lang = NonEmptyEnv("TAV_LANGUAGE")) language = oleaut::FromUtf8(lang);
  return com::Make<UserInfo>(std::move(user_name), user_id, std::move(language));
}

DataContext::DataContext() = default;

DataContext::~DataContext() {
  // A thread that ends inside a call (it should not) leaves nothing half written.
  EndTransactions(/*commit=*/false);
}

com::Ptr<UserInfo> DataContext::GetUserInfo() {
  if (current_) return current_->user;
  if (!default_user_) default_user_ = ResolveUser(nullptr);
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
    source.user = ResolveUser(entry);
    source.connection = com::Make<ado::Connection>();
    source.connection->Open(connection_string, {},
                            entry && entry->password ? *entry->password : std::u16string());
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
