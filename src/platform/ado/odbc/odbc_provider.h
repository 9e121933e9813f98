// The ODBC provider: ado::Provider through unixODBC. Which statements it sends depends on the
// driver it reaches: SQL Server (through FreeTDS) gets every batch unchanged; the SQLite ODBC
// driver gets the T-SQL translation the embedded provider runs, with the runtime functions and
// the TSQL collation loaded into the driver's connection as an extension (libtavsqlite.so);
// other drivers get the batch unchanged.
//
// A connection that is lost (SQLSTATE class 08) fails the call that found it; its transaction is
// gone with it, and the next call opens the session again.
#pragma once

#include <memory>

#include "platform/ado/connection_string.h"
#include "platform/ado/provider.h"

namespace ado::odbc {

// Opens a session for a connection string of SQL Server's or ODBC's form (see
// connection_mapping.h). A server that does not answer within the login timeout, a login that
// fails and a driver that is not installed raise a ComError that says which.
std::unique_ptr<Provider> OpenOdbcProvider(const ConnectionSettings& settings);

}  // namespace ado::odbc
