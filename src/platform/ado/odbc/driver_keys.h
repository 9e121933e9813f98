// Keys of an ODBC connection string as the driver manager and the SQLite driver read them: from the
// string, and for a key the string leaves out, from the ODBC data source it names (odbc.ini).
//
// The keys that make the driver manager or a driver load a library
// or write a file of the caller's choosing: the SQLite driver's LoadExt (a library it loads into
// the connection) and Tracefile, and the driver manager's SAVEFILE. The provider loads its own
// T-SQL runtime extension into the SQLite driver and nothing else, so such a key is refused
// wherever it stands: in the string itself (even inside a braced value, which the SQLite driver
// does not honour), in the ODBC data source the string names (odbc.ini) or in the file data source
// it names. Likewise a Driver (in any of the three places) must be one that odbcinst.ini
// registers, by its name or its library's path: the driver manager loads any other library it is
// given as the driver.
#pragma once

#include <string_view>

#include "platform/ado/connection_string.h"

namespace ado::odbc {

// Raises a ComError that names the key and where it stands; `text` is the string as the driver
// manager will get it, `settings` the same parsed.
void RefuseUnsafeKeys(const ConnectionSettings& settings, std::u16string_view text);

// The value of `key` as the SQLite driver reads it: the string's, else its data source's; empty
// when neither sets it.
std::u16string DriverSetting(const ConnectionSettings& settings, std::u16string_view key);

}  // namespace ado::odbc
