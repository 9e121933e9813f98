// NEWID(): a new random uniqueidentifier (version 4), written as SQL Server writes one:
// "6F9619FF-8B86-4011-B42D-00C04FC964FF".
#include <fmt/format.h>
#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <string>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

void NewId(sqlite3_context* context, int, sqlite3_value**) {
  std::array<std::uint8_t, 16> b{};
  sqlite3_randomness(static_cast<int>(b.size()), b.data());
  b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40);
  b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80);
  const std::string text = fmt::format(
      "{:02X}{:02X}{:02X}{:02X}-{:02X}{:02X}-{:02X}{:02X}-{:02X}{:02X}-"
      "{:02X}{:02X}{:02X}{:02X}{:02X}{:02X}",
      b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
      b[15]);
  ResultText(context, Ascii(text));
}

}  // namespace

int InstallIdentifierFunctions(sqlite3* db) {
  return sqlite3_create_function_v2(db, "tsql_newid", 0, SQLITE_UTF16 | SQLITE_INNOCUOUS, nullptr,
                                    NewId, nullptr, nullptr, nullptr);
}

}  // namespace tsql::detail
