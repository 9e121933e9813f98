// Connection strings as ADO and ODBC write them: "Key=Value;Key2='a;b';PWD={x;}}y}". One parser
// serves every provider, so that a value is quoted the same way wherever it goes, and one
// redaction keeps passwords out of messages, the SQL trace and logs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ado {

struct ConnectionSetting {
  std::u16string key;  // as written, trimmed
  std::u16string value;
};
using ConnectionSettings = std::vector<ConnectionSetting>;

// Keys are trimmed and compared without regard to case. A value may be quoted with ' or " (the
// quote doubled inside it) or, as ODBC does, put in braces ("}}" for a brace inside), to hold ;
// or blanks. Unclosed quotes or braces and parts without "=" raise a ComError that says where,
// never what the value was: it may be a password.
ConnectionSettings ParseConnectionString(std::u16string_view text);

// The last setting of `key` (ADO and ODBC let the last one win), or null.
const ConnectionSetting* FindSetting(const ConnectionSettings& settings, std::u16string_view key);
// The last setting of any of `keys`, or null.
const ConnectionSetting* FindSetting(const ConnectionSettings& settings,
                                     std::initializer_list<std::u16string_view> keys);

// Whether `key` names a secret ("Password", "PWD" and their kin).
bool IsSecretKey(std::u16string_view key);

// A value as ODBC writes it: in braces, with "}" doubled, when it holds a character that would
// end or open it (; { } = or blanks at its ends); unchanged otherwise.
std::u16string OdbcQuoted(std::u16string_view value);
// "Key=Value;..." from settings, values quoted as ODBC quotes them.
std::u16string JoinOdbcSettings(const ConnectionSettings& settings);

// The connection string with the values of secret keys replaced by "***", for messages. A text
// that does not parse is shown only up to its first "=".
std::u16string RedactedConnectionString(std::u16string_view text);

}  // namespace ado
