#include "platform/ado/jet/jet_provider.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>

#include "platform/ado/jet/errors.h"
#include "platform/ado/jet/mdb_file.h"
#include "platform/ado/jet/query.h"
#include "platform/ado/jet/statement.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace ado::jet {
namespace {

using oleaut::EqualsNoCase;

[[noreturn]] void RaiseSetting(const std::u16string& message) {
  throw oleaut::ComError(kJetEFail, std::u16string(kProviderSource), message);
}

// The file a Data Source names. The component builds Windows paths (the system directory, then
// "TAVCom\Orvanta.mdb"): where the path as written does not exist, its backslashes are taken
// for the separators they are on Windows.
std::filesystem::path FileOf(const std::u16string& data_source) {
  const std::filesystem::path literal(oleaut::ToUtf8(data_source));
  std::error_code error;
  if (data_source.find(u'\\') == std::u16string::npos || std::filesystem::exists(literal, error)) {
    return literal;
  }
  std::u16string separated = data_source;
  std::replace(separated.begin(), separated.end(), u'\\', u'/');
  return std::filesystem::path(oleaut::ToUtf8(separated));
}

class JetProvider final : public Provider {
 public:
  explicit JetProvider(const std::u16string& path)
      : file_(FileOf(path), path), description_(u"Jet " + path) {
    RefreshSqlTraceFromEnvironment();
  }

  ExecuteResult Execute(std::u16string_view batch,
                        std::span<const ParameterValue> parameters) override {
    if (SqlTraceActive()) {
      TraceSql({std::u16string(batch), oleaut::ToUtf8(batch), description_});
    }
    if (!parameters.empty()) {
      RaiseNotSupported(u"A parameter (?)", 0, batch);
    }
    if (batch.find_first_not_of(u" \t\r\n") == std::u16string_view::npos) {
      RaiseSyntaxError(
          u"Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', "
          u"'SELECT', or 'UPDATE'.",
          u"the statement is empty");
    }
    const SelectStatement select = ParseJetSelect(batch);
    ExecuteResult result;
    result.rows = RunSelect(file_, select);
    return result;
  }

  // A read-only source has nothing to commit or undo; the data-access context still frames
  // every call in a transaction, so they are accepted.
  void BeginTransaction(TransactionLock) override {}
  void CommitTransaction() override {}
  void RollbackTransaction() override {}

  std::u16string Describe() const override { return description_; }

 private:
  MdbFile file_;
  std::u16string description_;
};

}  // namespace

bool IsJetProviderName(std::u16string_view provider) {
  return EqualsNoCase(provider, u"Microsoft.Jet.OLEDB.4.0") ||
         EqualsNoCase(provider, u"Microsoft.Jet.OLEDB.3.51") ||
         EqualsNoCase(provider, u"Microsoft.Jet.OLEDB");
}

std::unique_ptr<Provider> OpenJetProvider(const ConnectionSettings& settings) {
  std::u16string path;
  for (const auto& [key, value] : settings) {
    if (EqualsNoCase(key, u"Provider") || EqualsNoCase(key, u"Persist Security Info") ||
        EqualsNoCase(key, u"Mode")) {
      continue;
    }
    if (EqualsNoCase(key, u"Data Source") || EqualsNoCase(key, u"DataSource")) {
      path = value;
    } else if (EqualsNoCase(key, u"User ID")) {
      if (!value.empty() && !EqualsNoCase(value, u"Admin")) {
        RaiseSetting(
            u"The Jet provider has no workgroup security: User ID must be empty or "
            u"Admin, not '" +
            value + u"'");
      }
    } else if (EqualsNoCase(key, u"Password")) {
      if (!value.empty())
        RaiseSetting(
            u"The Jet provider has no workgroup security: Password "
            u"must be empty");
    } else if (EqualsNoCase(key, u"Jet OLEDB:Database Password") ||
               EqualsNoCase(key, u"Jet OLEDB:System database")) {
      if (!value.empty()) {
        RaiseSetting(u"Jet databases with a password or a workgroup file are not supported ('" +
                     key + u"')");
      }
    } else if (key.size() > 10 && EqualsNoCase(key.substr(0, 10), u"Jet OLEDB:")) {
      continue;  // engine tuning (page timeouts, lock retries) means nothing to a read-only file
    } else {
      RaiseSetting(u"The Jet provider does not know the connection string key '" + key + u"'");
    }
  }
  if (path.empty())
    RaiseSetting(u"The connection string names no Data Source for the Jet provider");
  return std::make_unique<JetProvider>(path);
}

}  // namespace ado::jet
