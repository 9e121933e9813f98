#include "platform/tsql/engine_names.h"

#include <algorithm>

namespace tsql {
namespace {

// Whether `text` is `lower` but for the case of ASCII letters. Names are checked once per
// reference when a batch is translated, so without making a lowered copy.
bool IsNoCase(std::u16string_view text, std::u16string_view lower) {
  return text.size() == lower.size() &&
         std::equal(text.begin(), text.end(), lower.begin(), [](char16_t c, char16_t l) {
           return (c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c) == l;
         });
}

bool StartsNoCase(std::u16string_view text, std::u16string_view lower) {
  return text.size() >= lower.size() && IsNoCase(text.substr(0, lower.size()), lower);
}

}  // namespace

bool IsEngineReservedName(std::u16string_view name) {
  return StartsNoCase(name, u"sqlite_");
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
  return IsEngineReservedName(name) || StartsNoCase(name, u"pragma_") ||
         std::any_of(std::begin(kModules), std::end(kModules),
                     [&](std::u16string_view module) { return IsNoCase(name, module); });
}

bool IsEngineColumnName(std::u16string_view name) {
  return IsNoCase(name, u"rowid") || IsNoCase(name, u"oid") || IsNoCase(name, u"_rowid_");
}

}  // namespace tsql
