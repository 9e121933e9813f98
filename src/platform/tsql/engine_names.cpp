#include "platform/tsql/engine_names.h"

#include <algorithm>

#include "platform/tsql/token.h"

namespace tsql {
namespace {

bool StartsWith(std::u16string_view lower, std::u16string_view prefix) {
  return lower.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool IsEngineReservedName(std::u16string_view name) {
  return StartsWith(LowerAscii(name.substr(0, 7)), u"sqlite_");
}

bool IsEngineTableName(std::u16string_view name) {
  // The eponymous virtual tables of SQLite's own modules and of the extensions its builds and
  // shells commonly carry; every pragma that returns rows is also a table "pragma_<name>", and
  // SQLite keeps every name beginning with "sqlite_" for itself.
  static constexpr std::u16string_view kModules[] = {
      u"dbstat",       u"json_each",  u"json_tree",       u"jsonb_each", u"jsonb_tree",
      u"fts3tokenize", u"fts4aux",    u"generate_series", u"bytecode",   u"tables_used",
      u"carray",       u"completion", u"fsdir",           u"zipfile",
  };
  const std::u16string lower = LowerAscii(name);
  return IsEngineReservedName(name) || StartsWith(lower, u"pragma_") ||
         std::find(std::begin(kModules), std::end(kModules), lower) != std::end(kModules);
}

bool IsEngineColumnName(std::u16string_view name) {
  const std::u16string lower = LowerAscii(name);
  return lower == u"rowid" || lower == u"oid" || lower == u"_rowid_";
}

}  // namespace tsql
