#include "platform/ado/odbc/connection_mapping.h"

#include <fmt/format.h>

#include <charconv>
#include <cstdlib>

#include "platform/ado/odbc/driver_keys.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado::odbc {
namespace {

[[noreturn]] void Raise(const std::string& message) {
  throw oleaut::ComError(oleaut::E_FAIL, u"ADODB.Connection", oleaut::FromUtf8(message));
}

bool Is(std::u16string_view key, std::initializer_list<std::u16string_view> names) {
  for (std::u16string_view name : names) {
    if (oleaut::EqualsNoCase(key, name)) return true;
  }
  return false;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() &&
         oleaut::EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsSqlServerProvider(std::u16string_view provider) {
  return StartsWithNoCase(provider, u"SQLOLEDB") || StartsWithNoCase(provider, u"MSOLEDBSQL") ||
         StartsWithNoCase(provider, u"SQLNCLI");
}

bool IsTrue(std::u16string_view value) {
  return Is(value, {u"true", u"yes", u"sspi", u"1"});
}

int ParseSeconds(const ConnectionSetting& setting) {
  const std::string text = oleaut::ToUtf8(setting.value);
  int seconds = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (ec != std::errc() || end != text.data() + text.size() || seconds < 0) {
    Raise(fmt::format("{} '{}' is not a number of seconds", oleaut::ToUtf8(setting.key), text));
  }
  return seconds;
}

void RefuseWindowsAuthentication(const ConnectionSetting& setting) {
  if (!IsTrue(setting.value)) return;
  Raise(
      fmt::format("'{}={}' asks for Windows authentication, which is not available on this "
                  "platform: give a SQL Server login with User ID and Password instead",
                  oleaut::ToUtf8(setting.key), oleaut::ToUtf8(setting.value)));
}

bool NamesFreeTds(std::u16string_view driver) {
  const std::u16string upper = oleaut::UCase(driver);
  return upper.find(u"FREETDS") != std::u16string::npos ||
         upper.find(u"TDSODBC") != std::u16string::npos;
}

// FreeTDS reads a braced value up to the first "};" and keeps "}}" as two braces: a value goes in
// braces as it stands, and every setting, the last one too, ends with ';'. A value holding "};"
// cannot be written for it at all.
std::u16string JoinFreeTdsSettings(const ConnectionSettings& settings) {
  std::u16string text;
  for (const ConnectionSetting& s : settings) {
    if (OdbcQuoted(s.value) == s.value) {
      text += s.key + u'=' + s.value + u';';
      continue;
    }
    if (s.value.find(u"};") != std::u16string::npos) {
      Raise(
          fmt::format("The {} of the connection string holds \"}};\", which the FreeTDS driver "
                      "cannot be given",
                      oleaut::ToUtf8(s.key)));
    }
    text += s.key + u"={" + s.value + u"};";
  }
  return text;
}

std::u16string FreeTdsDriver() {
  const char* configured = std::getenv("TAV_SQLSERVER_ODBC_DRIVER");
  return configured && *configured ? oleaut::FromUtf8(configured) : u"FreeTDS";
}

// "HOST", "HOST,PORT", "tcp:HOST,PORT", "HOST\INSTANCE", "(local)" or ".".
void AddServer(std::u16string address, ConnectionSettings& out) {
  if (StartsWithNoCase(address, u"tcp:")) address.erase(0, 4);
  if (StartsWithNoCase(address, u"np:") || StartsWithNoCase(address, u"lpc:")) {
    Raise(
        "Named pipes and shared memory are not available on this platform: give the server as "
        "HOST or HOST,PORT (TCP)");
  }
  std::u16string port;
  if (const std::size_t comma = address.find(u','); comma != std::u16string::npos) {
    port = oleaut::Trim(std::u16string_view(address).substr(comma + 1));
    address = oleaut::Trim(std::u16string_view(address).substr(0, comma));
    const std::string digits = oleaut::ToUtf8(port);
    int number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc() || end != digits.data() + digits.size() || number <= 0 ||
        number > 65535) {
      Raise(
          fmt::format("The port '{}' of the data source is not a number from 1 to 65535", digits));
    }
  }
  if (address == u"." || oleaut::EqualsNoCase(address, u"(local)") ||
      StartsWithNoCase(address, u".\\") || StartsWithNoCase(address, u"(local)\\")) {
    address = u"localhost" + address.substr(address.find(u'\\') == std::u16string::npos
                                                ? address.size()
                                                : address.find(u'\\'));
  }
  if (address.empty()) Raise("The connection string names no server in its Data Source");
  out.push_back({u"Server", address});
  if (!port.empty()) out.push_back({u"Port", port});
}

OdbcTarget MapSqlServer(const ConnectionSettings& settings) {
  OdbcTarget target;
  ConnectionSettings out{{u"Driver", FreeTdsDriver()}};
  std::u16string server;
  std::u16string database;
  std::u16string user;
  for (const ConnectionSetting& s : settings) {
    const std::u16string_view key = s.key;
    if (Is(key, {u"Provider", u"Persist Security Info", u"Auto Translate",
                 u"Use Procedure for Prepare", u"DataTypeCompatibility", u"Packet Size",
                 u"MARS Connection", u"MultipleActiveResultSets", u"TrustServerCertificate",
                 u"Trust Server Certificate", u"Pooling", u"OLE DB Services"})) {
      continue;
    }
    if (Is(key, {u"Data Source", u"Server", u"Address", u"Addr", u"Network Address"})) {
      server = s.value;
    } else if (Is(key, {u"Initial Catalog", u"Database"})) {
      database = s.value;
    } else if (Is(key, {u"User ID", u"UID", u"User"})) {
      user = s.value;
    } else if (Is(key, {u"Password", u"PWD"})) {
      // Added below, after everything that may still raise.
    } else if (Is(key, {u"Integrated Security", u"Trusted_Connection"})) {
      RefuseWindowsAuthentication(s);
    } else if (Is(key, {u"Connect Timeout", u"Connection Timeout", u"Timeout"})) {
      target.login_timeout_seconds = ParseSeconds(s);
    } else if (Is(key, {u"Command Timeout"})) {
      target.command_timeout_seconds = ParseSeconds(s);
    } else if (Is(key, {u"Application Name", u"App"})) {
      out.push_back({u"APP", s.value});
    } else if (Is(key, {u"Workstation ID", u"WSID"})) {
      out.push_back({u"WSID", s.value});
    } else if (Is(key, {u"Encrypt", u"Use Encryption for Data"})) {
      if (IsTrue(s.value) || Is(s.value, {u"mandatory", u"strict"})) {
        out.push_back({u"Encryption", u"require"});
      }
    } else if (Is(key, {u"Network Library", u"Network"})) {
      if (!Is(s.value, {u"DBMSSOCN", u"tcp"})) {
        Raise(
            fmt::format("Network Library '{}' is not available on this platform: only TCP "
                        "(DBMSSOCN) is",
                        oleaut::ToUtf8(s.value)));
      }
    } else {
      Raise(fmt::format("The SQL Server provider does not know the connection string key '{}'",
                        oleaut::ToUtf8(key)));
    }
  }
  if (server.empty()) Raise("The connection string names no Data Source (the SQL Server)");
  AddServer(server, out);
  if (!database.empty()) out.push_back({u"Database", database});
  if (user.empty()) {
    Raise(
        "The connection string names no User ID: SQL Server is reached with a SQL Server "
        "login (Windows authentication is not available on this platform)");
  }
  out.push_back({u"UID", user});
  out.push_back({u"TDS_Version", u"7.4"});
  out.push_back({u"ClientCharset", u"UTF-8"});
  target.description =
      u"SQL Server " + server + (database.empty() ? u"" : u"/" + database) + u" as " + user;
  if (const ConnectionSetting* password = FindSetting(settings, {u"Password", u"PWD"})) {
    out.push_back({u"PWD", password->value});
  }
  target.connection_string = JoinFreeTdsSettings(out);
  return target;
}

OdbcTarget MapOdbc(const ConnectionSettings& settings) {
  OdbcTarget target;
  ConnectionSettings out;
  for (const ConnectionSetting& s : settings) {
    if (Is(s.key, {u"Provider", u"Persist Security Info"})) continue;
    if (Is(s.key, {u"Connect Timeout", u"Connection Timeout"})) {
      target.login_timeout_seconds = ParseSeconds(s);
    } else if (Is(s.key, {u"User ID"})) {
      out.push_back({u"UID", s.value});
    } else if (Is(s.key, {u"Password"})) {
      out.push_back({u"PWD", s.value});
    } else {
      out.push_back(s);
    }
  }
  if (!FindSetting(out, {u"Driver", u"DSN", u"FILEDSN"})) {
    Raise("The ODBC connection string names neither a Driver nor a DSN");
  }
  target.connection_string = JoinOdbcSettings(out);
  RefuseUnsafeKeys(out, target.connection_string);
  target.description = u"ODBC " + RedactedConnectionString(target.connection_string);
  if (const ConnectionSetting* driver = FindSetting(out, u"Driver");
      driver && NamesFreeTds(driver->value)) {
    target.connection_string = JoinFreeTdsSettings(out);
    return target;
  }
  // The SQLite driver would create a missing database file; it reads the first setting of a
  // key, and other drivers pass over a key they do not know.
  ConnectionSettings guarded{{u"NoCreat", u"1"}};
  for (ConnectionSetting& s : out) {
    if (!oleaut::EqualsNoCase(s.key, u"NoCreat")) guarded.push_back(std::move(s));
  }
  target.connection_string = JoinOdbcSettings(guarded);
  return target;
}

}  // namespace

ConnectionForm FormOf(const ConnectionSettings& settings) {
  if (const ConnectionSetting* provider = FindSetting(settings, u"Provider")) {
    if (IsSqlServerProvider(provider->value)) return ConnectionForm::kSqlServer;
    if (StartsWithNoCase(provider->value, u"MSDASQL")) return ConnectionForm::kOdbc;
    return ConnectionForm::kNotOdbc;
  }
  return FindSetting(settings, {u"Driver", u"DSN", u"FILEDSN"}) ? ConnectionForm::kOdbc
                                                                : ConnectionForm::kNotOdbc;
}

OdbcTarget MapConnectionString(const ConnectionSettings& settings) {
  switch (FormOf(settings)) {
    case ConnectionForm::kSqlServer:
      return MapSqlServer(settings);
    case ConnectionForm::kOdbc:
      return MapOdbc(settings);
    case ConnectionForm::kNotOdbc:
      break;
  }
  Raise("The connection string is not one for SQL Server or an ODBC driver");
}

}  // namespace ado::odbc
