// Which ODBC connection an ADO connection string asks for. ADO's SQL Server forms
// ("Provider=SQLOLEDB;Data Source=HOST,PORT;Initial Catalog=DB;User ID=U;Password=P", and the same
// with MSOLEDBSQL or SQLNCLI) become a connection through the FreeTDS driver speaking TDS 7.4;
// ODBC strings ("Driver=...;...", "DSN=...", or behind Provider=MSDASQL) go to the driver manager
// as they are, with the ADO names of the login ("User ID", "Password") given ODBC's (UID, PWD),
// without the keys that would load a library or write a file (driver_keys.h), and with the SQLite
// driver told never to create a database file that is missing ("NoCreat=1").
#pragma once

#include <string>
#include <string_view>

#include "platform/ado/connection_string.h"

namespace ado::odbc {

enum class ConnectionForm {
  kNotOdbc,    // another provider's string
  kSqlServer,  // ADO's SQL Server providers
  kOdbc,       // a driver or data source of the driver manager
};

// Which form `settings` take.
ConnectionForm FormOf(const ConnectionSettings& settings);

struct OdbcTarget {
  // For SQLDriverConnect.
  std::u16string connection_string;
  // What the session is connected to, for messages and the trace: never a password.
  std::u16string description;
  // Seconds to wait for the server to answer a login, ADO's "Connect Timeout" (15 by default).
  int login_timeout_seconds = 15;
  // Seconds a statement may run on SQL Server before it is cancelled, ADO's CommandTimeout (30 by
  // default; "Command Timeout" in the string; 0 waits for ever).
  int command_timeout_seconds = 30;
};

// The driver-manager connection for a string of form kSqlServer or kOdbc. The FreeTDS driver
// is named "FreeTDS" in odbcinst.ini unless TAV_SQLSERVER_ODBC_DRIVER names another (a name or a
// path). Raises a ComError for keys that have no meaning there, for Windows authentication
// ("Integrated Security=SSPI"), which this platform cannot offer, for a missing server, and for a
// key that would load a library or write a file.
OdbcTarget MapConnectionString(const ConnectionSettings& settings);

}  // namespace ado::odbc
