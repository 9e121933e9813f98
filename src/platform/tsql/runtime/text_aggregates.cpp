// Aggregates that join texts: STRING_AGG, its values in the order WITHIN GROUP gives and its
// result cut off at 8,000 bytes unless of a max type (error 9829), and the rows of a
// FOR XML PATH subquery as one XML text (or its string value).
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

// An ORDER BY key of WITHIN GROUP: NULL lowest, numbers by value, texts under the collation.
struct SortKey {
  int type = SQLITE_NULL;
  double number = 0;
  std::int64_t integer = 0;
  std::u16string text;
  bool descending = false;

  static SortKey Of(sqlite3_value* value, bool descending) {
    SortKey key;
    key.type = sqlite3_value_type(value);
    key.descending = descending;
    if (key.type == SQLITE_INTEGER) key.integer = sqlite3_value_int64(value);
    if (key.type == SQLITE_INTEGER || key.type == SQLITE_FLOAT) {
      key.number = sqlite3_value_double(value);
    } else if (key.type != SQLITE_NULL) {
      key.text = ValueText(value);
    }
    return key;
  }

  // -1, 0 or 1 as this sorts before, with or after `other`, ascending.
  int Compare(const SortKey& other) const {
    const auto rank = [](int kind) {
      return kind == SQLITE_NULL ? 0 : (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) ? 1 : 2;
    };
    if (rank(type) != rank(other.type)) return rank(type) < rank(other.type) ? -1 : 1;
    switch (rank(type)) {
      case 0:
        return 0;
      case 1:
        if (type == SQLITE_INTEGER && other.type == SQLITE_INTEGER) {
          return integer == other.integer ? 0 : (integer < other.integer ? -1 : 1);
        }
        return number == other.number ? 0 : (number < other.number ? -1 : 1);
      default:
        return CompareText(text, other.text);
    }
  }
};

struct Joined {
  std::u16string separator;
  std::u16string value;
  std::vector<SortKey> keys;
};

struct StringAggregate {
  std::vector<Joined> values;
  int limit = 0;  // 0: none (a max type); 1: 8,000 bytes of varchar; 2: of nvarchar
};

// The aggregate's state lives on the heap; the engine's context holds the pointer to it.
template <class State>
State* StateOf(sqlite3_context* context, bool create) {
  auto** slot =
      static_cast<State**>(sqlite3_aggregate_context(context, create ? sizeof(State*) : 0));
  if (!slot) return nullptr;
  if (!*slot && create) *slot = new State;
  return *slot;
}

template <class State>
std::unique_ptr<State> TakeState(sqlite3_context* context) {
  auto** slot = static_cast<State**>(sqlite3_aggregate_context(context, 0));
  if (!slot) return nullptr;
  return std::unique_ptr<State>(std::exchange(*slot, nullptr));
}

// tsql_string_agg(value, separator, limit, key1, descending1, ...).
void StringAggStep(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    StateOf<StringAggregate>(context, true);  // rows without a value still make the group
    return;
  }
  StringAggregate* state = StateOf<StringAggregate>(context, true);
  if (!state) return sqlite3_result_error_nomem(context);
  state->limit = sqlite3_value_int(argv[2]);
  Joined joined;
  joined.value = ValueText(argv[0]);
  if (sqlite3_value_type(argv[1]) != SQLITE_NULL) joined.separator = ValueText(argv[1]);
  for (int i = 3; i + 1 < argc; i += 2)
    joined.keys.push_back(SortKey::Of(argv[i], sqlite3_value_int(argv[i + 1]) != 0));
  state->values.push_back(std::move(joined));
}

std::size_t StoredBytes(std::u16string_view text, bool national) {
  if (national) return text.size() * 2;
  std::size_t bytes = 0;
  for (char16_t c : text)
    bytes += c < 0x80 ? 1 : 2;
  return bytes;
}

void StringAggFinal(sqlite3_context* context) {
  const std::unique_ptr<StringAggregate> state = TakeState<StringAggregate>(context);
  if (!state || state->values.empty()) return sqlite3_result_null(context);
  std::stable_sort(state->values.begin(), state->values.end(),
                   [](const Joined& a, const Joined& b) {
                     for (std::size_t i = 0; i < a.keys.size() && i < b.keys.size(); ++i) {
                       const int order = a.keys[i].Compare(b.keys[i]);
                       if (order != 0) return a.keys[i].descending ? order > 0 : order < 0;
                     }
                     return false;
                   });
  std::u16string out;
  for (std::size_t i = 0; i < state->values.size(); ++i) {
    if (i > 0) out += state->values[i].separator;
    out += state->values[i].value;
  }
  if (state->limit != 0 && StoredBytes(out, state->limit == 2) > 8000) {
    return ResultError(context,
                       "STRING_AGG aggregation result exceeded the limit of 8000 bytes. Use LOB "
                       "types to avoid result truncation.");
  }
  ResultText(context, out);
}

// ---- FOR XML PATH ----
void AppendEscaped(std::u16string& out, std::u16string_view text) {
  static constexpr CharReplacement kXml[] = {
      {u'&', u"&amp;"}, {u'<', u"&lt;"}, {u'>', u"&gt;"}, {u'\r', u"&#x0D;"}};
  AppendReplaced(out, text, kXml, false);
}

// A date-time as XML and JSON write it: with its T, and without a fraction of none
// ("2008-04-30T00:00:00").
void WriteDateTime(std::u16string& value) {
  if (value.size() <= 10 || value[10] != u' ') return;
  value[10] = u'T';
  if (value.ends_with(u".000")) value.resize(value.size() - 4);
}

// An attribute's value also escapes its quotes and the blanks a parser would fold.
void AppendAttributeEscaped(std::u16string& out, std::u16string_view text) {
  static constexpr CharReplacement kXml[] = {
      {u'&', u"&amp;"},   {u'<', u"&lt;"},    {u'>', u"&gt;"},   {u'"', u"&quot;"},
      {u'\r', u"&#x0D;"}, {u'\n', u"&#x0A;"}, {u'\t', u"&#x09;"}};
  AppendReplaced(out, text, kXml, false);
}

// tsql_xml_path(string_value, row, spec1, value1, ...): each spec a kind ('D' a date-time,
// written with its T; 'V' any other value; 'd' and 'v' the same as an attribute of the row) and
// the column's element or attribute name, empty for a column that is text alone.
// `string_value` 1 gives the text without markup, as .value('.', ...) reads it.
void XmlPathStep(sqlite3_context* context, int argc, sqlite3_value** argv) {
  std::u16string* out = StateOf<std::u16string>(context, true);
  if (!out) return sqlite3_result_error_nomem(context);
  const bool string_value = sqlite3_value_int(argv[0]) != 0;
  const std::u16string row = ValueText(argv[1]);
  std::u16string content;
  std::u16string attributes;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (sqlite3_value_type(argv[i + 1]) == SQLITE_NULL) continue;
    const std::u16string spec = ValueText(argv[i]);
    if (spec.empty()) continue;
    std::u16string value = ValueText(argv[i + 1]);
    if (spec[0] == u'D' || spec[0] == u'd') WriteDateTime(value);
    const std::u16string_view name = std::u16string_view(spec).substr(1);
    if (spec[0] == u'd' || spec[0] == u'v') {
      if (string_value) continue;
      attributes += u" " + std::u16string(name) + u"=\"";
      AppendAttributeEscaped(attributes, value);
      attributes += u'"';
      continue;
    }
    if (string_value) {
      content += value;
      continue;
    }
    if (!name.empty()) content += u"<" + std::u16string(name) + u">";
    AppendEscaped(content, value);
    if (!name.empty()) content += u"</" + std::u16string(name) + u">";
  }
  if (row.empty() || string_value) {
    *out += content;
  } else if (content.empty()) {
    *out += u"<" + row + attributes + u"/>";
  } else {
    *out += u"<" + row + attributes + u">" + content + u"</" + row + u">";
  }
}

// tsql_for_json(include_nulls, spec1, value1, ...): the rows as JSON objects joined by commas;
// each spec a kind ('N' a number written as it is, 'B' a bit, 'D' a date-time written with its
// T, 'S' text) and the column's name.
void ForJsonStep(sqlite3_context* context, int argc, sqlite3_value** argv) {
  std::u16string* out = StateOf<std::u16string>(context, true);
  if (!out) return sqlite3_result_error_nomem(context);
  const bool include_nulls = sqlite3_value_int(argv[0]) != 0;
  std::u16string object = u"{";
  for (int i = 1; i + 1 < argc; i += 2) {
    const bool null = sqlite3_value_type(argv[i + 1]) == SQLITE_NULL;
    if (null && !include_nulls) continue;
    const std::u16string spec = ValueText(argv[i]);
    if (spec.empty()) continue;
    if (object.size() > 1) object += u',';
    object += u'"';
    AppendJsonEscaped(object, std::u16string_view(spec).substr(1), true);
    object += u"\":";
    if (null) {
      object += u"null";
      continue;
    }
    std::u16string value = ValueText(argv[i + 1]);
    switch (spec[0]) {
      case u'N':
        object += value;
        break;
      case u'B':
        object += sqlite3_value_int64(argv[i + 1]) != 0 ? u"true" : u"false";
        break;
      default:
        if (spec[0] == u'D') WriteDateTime(value);
        object += u'"';
        AppendJsonEscaped(object, value, true);
        object += u'"';
    }
  }
  object += u'}';
  if (!out->empty()) *out += u',';
  *out += object;
}

void XmlPathFinal(sqlite3_context* context) {
  const std::unique_ptr<std::u16string> out = TakeState<std::u16string>(context);
  if (!out) return sqlite3_result_null(context);
  ResultText(context, *out);
}

}  // namespace

int InstallTextAggregates(sqlite3* db) {
  constexpr int kFlags = SQLITE_UTF16 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  int rc = sqlite3_create_function_v2(db, "tsql_string_agg", -1, kFlags, nullptr, nullptr,
                                      StringAggStep, StringAggFinal, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function_v2(db, "tsql_xml_path", -1, kFlags, nullptr, nullptr, XmlPathStep,
                                    XmlPathFinal, nullptr);
  }
  if (rc == SQLITE_OK) {
    // The final step is the same: the text made, NULL when there were no rows.
    rc = sqlite3_create_function_v2(db, "tsql_for_json", -1, kFlags, nullptr, nullptr, ForJsonStep,
                                    XmlPathFinal, nullptr);
  }
  return rc;
}

}  // namespace tsql::detail
