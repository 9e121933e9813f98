// ISJSON, JSON_VALUE, JSON_QUERY and JSON_MODIFY as SQL Server has them: the text checked
// whole (its error names the first unexpected character and its position), a path in lax mode
// (a missing property or a value of the wrong kind gives NULL) or strict mode (either is an
// error), a fragment handed back as it is written in the text, and a change that leaves the
// rest of the text as it was.
#include <fmt/format.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "platform/oleaut/text.h"
#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// A hexadecimal digit's value; -1 for any other character.
int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads JSON text: checks it, and finds the values a path names, as spans of the text.
class JsonText {
 public:
  explicit JsonText(std::u16string_view text) : text_(text) {}

  // Whether the whole text is one JSON value; otherwise error_at_ is where it goes wrong.
  bool Check() {
    at_ = 0;
    SkipSpace();
    if (!Value()) return false;
    SkipSpace();
    if (at_ < text_.size()) {
      error_at_ = at_;
      return false;
    }
    return true;
  }

  std::string Error() const {
    if (error_at_ >= text_.size())
      return "JSON text is not properly formatted. Unexpected end of input.";
    return fmt::format(
        "JSON text is not properly formatted. Unexpected character '{}' is found at position {}.",
        oleaut::ToUtf8(text_.substr(error_at_, 1)), error_at_);
  }

  // The start of the value at `start` after a key or index step; npos when it has none.
  // The start of a member's value in the object at `start`; `key_start` gets where its name
  // begins.
  std::size_t Member(std::size_t start, const std::u16string& key,
                     std::size_t* key_start = nullptr) {
    at_ = start;
    if (Peek() != u'{') return std::u16string_view::npos;
    ++at_;
    SkipSpace();
    while (Peek() == u'"') {
      if (key_start) *key_start = at_;
      const std::u16string name = StringValue();
      SkipSpace();
      ++at_;  // :
      SkipSpace();
      if (name == key) return at_;
      SkipValueAndComma();
    }
    return std::u16string_view::npos;
  }

  std::size_t Element(std::size_t start, std::size_t index) {
    at_ = start;
    if (Peek() != u'[') return std::u16string_view::npos;
    ++at_;
    SkipSpace();
    for (std::size_t i = 0; Peek() != u']' && at_ < text_.size(); ++i) {
      if (i == index) return at_;
      SkipValueAndComma();
    }
    return std::u16string_view::npos;
  }

  // The value at `start`: its span of the text.
  std::u16string_view Span(std::size_t start) {
    at_ = start;
    Value();
    return text_.substr(start, at_ - start);
  }

  // A string value's text, its escapes read.
  std::u16string StringAt(std::size_t start) {
    at_ = start;
    return StringValue();
  }

 private:
  char16_t Peek() const { return at_ < text_.size() ? text_[at_] : 0; }
  void SkipSpace() {
    while (at_ < text_.size() && IsSpace(text_[at_]))
      ++at_;
  }
  // Past the value at the position, the blanks around it and the comma after it, if any.
  void SkipValueAndComma() {
    Value();
    SkipSpace();
    if (Peek() == u',') ++at_;
    SkipSpace();
  }
  bool Fail() {
    error_at_ = at_;
    return false;
  }
  // true, false or null; a mismatch is told at its first wrong character.
  bool Word(std::u16string_view word) {
    for (char16_t c : word) {
      if (Peek() != c) return Fail();
      ++at_;
    }
    return true;
  }
  bool Digits() {
    const std::size_t start = at_;
    while (Peek() >= u'0' && Peek() <= u'9')
      ++at_;
    return at_ > start || Fail();
  }
  bool Number() {
    if (Peek() == u'-') ++at_;
    if (!Digits()) return false;
    if (Peek() == u'.') {
      ++at_;
      if (!Digits()) return false;
    }
    if (Peek() == u'e' || Peek() == u'E') {
      ++at_;
      if (Peek() == u'+' || Peek() == u'-') ++at_;
      if (!Digits()) return false;
    }
    return true;
  }
  bool String() {
    ++at_;  // "
    while (at_ < text_.size() && text_[at_] != u'"') {
      if (text_[at_] == u'\\') {
        ++at_;
        if (at_ >= text_.size()) return Fail();
        if (text_[at_] == u'u') {
          for (int i = 0; i < 4; ++i) {
            ++at_;
            if (HexValue(Peek()) < 0) return Fail();
          }
        } else if (std::u16string_view(u"\"\\/bfnrt").find(text_[at_]) ==
                   std::u16string_view::npos) {
          return Fail();
        }
      } else if (text_[at_] < 0x20) {
        return Fail();
      }
      ++at_;
    }
    if (at_ >= text_.size()) return Fail();
    ++at_;
    return true;
  }
  template <class Item>
  bool Sequence(char16_t close, Item item) {
    ++at_;  // [ or {
    SkipSpace();
    if (Peek() == close) {
      ++at_;
      return true;
    }
    for (;;) {
      if (!item()) return false;
      SkipSpace();
      if (Peek() == close) {
        ++at_;
        return true;
      }
      if (Peek() != u',') return Fail();
      ++at_;
      SkipSpace();
    }
  }
  bool Value() {
    if (++depth_ > 512) return Fail();
    bool ok = false;
    switch (Peek()) {
      case u'{':
        ok = Sequence(u'}', [this] {
          if (Peek() != u'"' || !String()) return Fail();
          SkipSpace();
          if (Peek() != u':') return Fail();
          ++at_;
          SkipSpace();
          return Value();
        });
        break;
      case u'[':
        ok = Sequence(u']', [this] { return Value(); });
        break;
      case u'"':
        ok = String();
        break;
      case u't':
        ok = Word(u"true");
        break;
      case u'f':
        ok = Word(u"false");
        break;
      case u'n':
        ok = Word(u"null");
        break;
      default:
        ok = (Peek() == u'-' || (Peek() >= u'0' && Peek() <= u'9')) ? Number() : Fail();
    }
    --depth_;
    return ok;
  }
  std::u16string StringValue() {
    std::u16string out;
    ++at_;  // "
    while (at_ < text_.size() && text_[at_] != u'"') {
      char16_t c = text_[at_++];
      if (c == u'\\' && at_ < text_.size()) {
        c = text_[at_++];
        switch (c) {
          case u'b':
            c = u'\b';
            break;
          case u'f':
            c = u'\f';
            break;
          case u'n':
            c = u'\n';
            break;
          case u'r':
            c = u'\r';
            break;
          case u't':
            c = u'\t';
            break;
          case u'u': {
            c = 0;
            for (int i = 0; i < 4 && at_ < text_.size(); ++i)
              c = static_cast<char16_t>(c * 16 + HexValue(text_[at_++]));
            break;
          }
          default:
            break;
        }
      }
      out += c;
    }
    ++at_;
    return out;
  }

  std::u16string_view text_;
  std::size_t at_ = 0;
  std::size_t error_at_ = 0;
  int depth_ = 0;
};

// A JSON path: "[lax | strict] $.key.other[2]."quoted key"".
struct JsonPath {
  bool strict = false;
  struct Step {
    std::u16string key;
    std::size_t index = 0;
    bool is_index = false;
  };
  std::vector<Step> steps;
};

std::optional<JsonPath> ParsePath(std::u16string_view text, std::string& error) {
  JsonPath path;
  std::size_t at = 0;
  const auto fail = [&] {
    if (at >= text.size()) {
      error = "JSON path is not properly formatted. Unexpected end of input.";
    } else {
      error = fmt::format(
          "JSON path is not properly formatted. Unexpected character '{}' is found at position "
          "{}.",
          oleaut::ToUtf8(text.substr(at, 1)), at);
    }
    return std::nullopt;
  };
  while (at < text.size() && IsSpace(text[at]))
    ++at;
  for (const auto& [mode, strict] : {std::pair{u"lax", false}, std::pair{u"strict", true}}) {
    const std::u16string_view word(mode);
    if (text.substr(at, word.size()) == word && at + word.size() < text.size() &&
        IsSpace(text[at + word.size()])) {
      path.strict = strict;
      at += word.size();
      while (at < text.size() && IsSpace(text[at]))
        ++at;
    }
  }
  if (at >= text.size() || text[at] != u'$') return fail();
  ++at;
  while (at < text.size()) {
    JsonPath::Step step;
    if (text[at] == u'.') {
      ++at;
      if (at < text.size() && text[at] == u'"') {
        const std::size_t close = text.find(u'"', at + 1);
        if (close == std::u16string_view::npos) {
          at = text.size();
          return fail();
        }
        step.key = text.substr(at + 1, close - at - 1);
        at = close + 1;
      } else {
        const std::size_t start = at;
        while (at < text.size() && text[at] != u'.' && text[at] != u'[' && !IsSpace(text[at]))
          ++at;
        if (at == start) return fail();
        step.key = text.substr(start, at - start);
      }
    } else if (text[at] == u'[') {
      ++at;
      const std::size_t start = at;
      while (at < text.size() && text[at] >= u'0' && text[at] <= u'9')
        step.index = step.index * 10 + (text[at++] - u'0');
      if (at == start || at >= text.size() || text[at] != u']') return fail();
      ++at;
      step.is_index = true;
    } else {
      return fail();
    }
    path.steps.push_back(std::move(step));
  }
  return path;
}

enum class Want { kScalar, kFragment };

// JSON_VALUE and JSON_QUERY: the value the path names, or NULL or an error by the path's mode.
void Extract(sqlite3_context* context, int argc, sqlite3_value** argv, Want want) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  if (argc > 1 && sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(context);
  const std::u16string text = ValueText(argv[0]);
  JsonText json(text);
  if (!json.Check()) return ResultError(context, json.Error());
  std::string error;
  const auto path = ParsePath(argc > 1 ? ValueText(argv[1]) : u"$", error);
  if (!path) return ResultError(context, error);
  std::size_t at = 0;
  while (at < text.size() && IsSpace(text[at]))
    ++at;
  for (const JsonPath::Step& step : path->steps) {
    at = step.is_index ? json.Element(at, step.index) : json.Member(at, step.key);
    if (at == std::u16string_view::npos) {
      if (path->strict) {
        return ResultError(context, "Property cannot be found on the specified JSON path.");
      }
      return sqlite3_result_null(context);
    }
  }
  const char16_t first = text[at];
  const bool fragment = first == u'{' || first == u'[';
  if (want == Want::kFragment) {
    if (fragment) return ResultText(context, json.Span(at));
    if (path->strict) {
      return ResultError(context, "Object or array cannot be found in the specified JSON path.");
    }
    return sqlite3_result_null(context);
  }
  if (fragment) {
    if (path->strict) {
      return ResultError(context, "Scalar value cannot be found in the specified JSON path.");
    }
    return sqlite3_result_null(context);
  }
  if (first == u'n') return sqlite3_result_null(context);
  const std::u16string value = first == u'"' ? json.StringAt(at) : std::u16string(json.Span(at));
  if (value.size() > 4000) {
    if (path->strict) {
      return ResultError(context, "String value in the specified JSON path would be truncated.");
    }
    return sqlite3_result_null(context);
  }
  ResultText(context, value);
}

// The new value of JSON_MODIFY as JSON: kind 's' a text, quoted and escaped; 'b' a bit, true or
// false; 'r' a number or JSON_QUERY's fragment, as it is.
std::u16string NewJsonValue(sqlite3_value* value, char kind) {
  if (sqlite3_value_type(value) == SQLITE_NULL) return u"null";
  if (kind == 'b') return sqlite3_value_int64(value) != 0 ? u"true" : u"false";
  if (kind == 'r') return ValueText(value);
  std::u16string out = u"\"";
  AppendJsonEscaped(out, ValueText(value), false);
  return out + u"\"";
}

// Whether an object's or an array's text has no members.
bool IsEmptyContainer(std::u16string_view span) {
  return span.find_first_not_of(u" \t\r\n", 1) == span.size() - 1;
}

// JSON_MODIFY(text, [append] [lax | strict] path, value, kind): the text with the value at the
// path replaced, added (lax, where it is missing), appended to an array, or in lax mode deleted
// when the value is NULL; the rest of the text as it was.
void JsonModify(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  std::u16string text = ValueText(argv[0]);
  JsonText json(text);
  if (!json.Check()) return ResultError(context, json.Error());
  std::u16string path_text = ValueText(argv[1]);
  const std::size_t first = path_text.find_first_not_of(u' ');
  const bool append = first != std::u16string::npos && path_text.compare(first, 7, u"append ") == 0;
  if (append) path_text.erase(0, first + 7);
  std::string error;
  const auto path = ParsePath(path_text, error);
  if (!path) return ResultError(context, error);
  if (path->steps.empty()) {
    return ResultError(context, "JSON path is not properly formatted. Unexpected end of input.");
  }
  const bool deleting = sqlite3_value_type(argv[2]) == SQLITE_NULL && !path->strict && !append;
  const std::u16string value =
      NewJsonValue(argv[2], static_cast<char>(sqlite3_value_text(argv[3])[0]));
  const auto missing = [&] {
    if (path->strict) {
      return ResultError(context, "Property cannot be found on the specified JSON path.");
    }
    ResultText(context, text);
  };
  std::size_t parent = text.find_first_not_of(u" \t\r\n");
  for (std::size_t i = 0; i + 1 < path->steps.size(); ++i) {
    const JsonPath::Step& step = path->steps[i];
    parent = step.is_index ? json.Element(parent, step.index) : json.Member(parent, step.key);
    if (parent == std::u16string_view::npos) return missing();
  }
  const JsonPath::Step& last = path->steps.back();
  std::size_t key_start = 0;
  const std::size_t at =
      last.is_index ? json.Element(parent, last.index) : json.Member(parent, last.key, &key_start);
  if (at != std::u16string_view::npos && append) {
    const std::u16string_view array = json.Span(at);
    if (array.empty() || array[0] != u'[') return missing();
    const std::size_t close = at + array.size() - 1;
    text.insert(close, IsEmptyContainer(array) ? value : u"," + value);
  } else if (at != std::u16string_view::npos && deleting && !last.is_index) {
    std::size_t end = at + json.Span(at).size();
    const std::size_t next = text.find_first_not_of(u" \t\r\n", end);
    if (next != std::u16string::npos && text[next] == u',') {
      end = text.find_first_not_of(u" \t\r\n", next + 1);
    } else {
      const std::size_t comma = text.find_last_not_of(u" \t\r\n", key_start - 1);
      if (text[comma] == u',') key_start = comma;
    }
    text.erase(key_start, end - key_start);
  } else if (at != std::u16string_view::npos) {
    text.replace(at, json.Span(at).size(), value);
  } else if (last.is_index || text[parent] != u'{' || path->strict) {
    return missing();
  } else if (sqlite3_value_type(argv[2]) != SQLITE_NULL) {
    const std::u16string_view object = json.Span(parent);
    std::u16string member = u"\"" + last.key + u"\":" + (append ? u"[" + value + u"]" : value);
    if (!IsEmptyContainer(object)) member.insert(0, u",");
    text.insert(parent + object.size() - 1, member);
  }
  ResultText(context, text);
}

void JsonValue(sqlite3_context* context, int argc, sqlite3_value** argv) {
  Extract(context, argc, argv, Want::kScalar);
}

void JsonQuery(sqlite3_context* context, int argc, sqlite3_value** argv) {
  Extract(context, argc, argv, Want::kFragment);
}

// ISJSON(text): 1 for an object or an array, 0 for anything else.
void IsJson(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  const std::u16string text = ValueText(argv[0]);
  JsonText json(text);
  const std::size_t first = text.find_first_not_of(u" \t\r\n");
  const bool container =
      first != std::u16string::npos && (text[first] == u'{' || text[first] == u'[');
  sqlite3_result_int(context, container && json.Check() ? 1 : 0);
}

}  // namespace

int InstallJsonFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {
      {"tsql_json_value", 2, JsonValue},   {"tsql_json_query", 1, JsonQuery},
      {"tsql_json_query", 2, JsonQuery},   {"tsql_isjson", 1, IsJson},
      {"tsql_json_modify", 4, JsonModify},
  };
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
