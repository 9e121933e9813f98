// RAISERROR's message: printf-style placeholders (%d, %i, %u, %o, %x, %X, %s with flags, width
// and precision, * taking them from the arguments) filled from the arguments in order, as
// SQL Server fills them.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/oleaut/text.h"
#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

// SQL Server's messages stop at 2,047 characters; a longer one ends in "...".
constexpr std::size_t kMaxMessage = 2047;
// A width or precision beyond the message's length changes nothing but the cut.
constexpr int kMaxCount = 4096;

class Arguments {
 public:
  Arguments(int argc, sqlite3_value** argv) : argc_(argc), argv_(argv) {}
  // The next argument; nullptr when there is none left.
  sqlite3_value* Next() { return next_ < argc_ ? argv_[next_++] : nullptr; }

 private:
  int argc_;
  sqlite3_value** argv_;
  int next_ = 1;  // argv[0] is the message
};

bool IsNull(sqlite3_value* value) {
  return value == nullptr || sqlite3_value_type(value) == SQLITE_NULL;
}

// A width or precision: digits, or * for the next argument.
int ReadCount(std::u16string_view format, std::size_t& at, Arguments& arguments) {
  if (at < format.size() && format[at] == u'*') {
    ++at;
    sqlite3_value* value = arguments.Next();
    return IsNull(value) ? 0 : std::clamp(sqlite3_value_int(value), 0, kMaxCount);
  }
  int count = 0;
  while (at < format.size() && format[at] >= u'0' && format[at] <= u'9') {
    count = std::min(count * 10 + (format[at] - u'0'), kMaxCount);
    ++at;
  }
  return count;
}

std::u16string Padded(std::u16string text, int width, bool left) {
  if (width <= static_cast<int>(text.size())) return text;
  const std::u16string pad(static_cast<std::size_t>(width) - text.size(), u' ');
  return left ? text + pad : pad + text;
}

}  // namespace

void FormatMessage(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  const std::u16string format = ValueText(argv[0]);
  Arguments arguments(argc, argv);
  std::u16string out;
  for (std::size_t at = 0; at < format.size(); ++at) {
    if (format[at] != u'%') {
      out += format[at];
      continue;
    }
    const std::size_t start = at++;
    if (at < format.size() && format[at] == u'%') {
      out += u'%';
      continue;
    }
    std::string flags;
    while (at < format.size() &&
           std::u16string_view(u"-+0# ").find(format[at]) != std::u16string_view::npos) {
      flags += static_cast<char>(format[at++]);
    }
    const int width = ReadCount(format, at, arguments);
    int precision = -1;
    if (at < format.size() && format[at] == u'.') {
      ++at;
      precision = ReadCount(format, at, arguments);
    }
    while (at < format.size() && (format[at] == u'h' || format[at] == u'l'))
      ++at;
    const char16_t type = at < format.size() ? format[at] : u'\0';
    if (std::u16string_view(u"diuoxXs").find(type) == std::u16string_view::npos || type == 0) {
      // No placeholder: the text stands as written.
      out += format.substr(start, at - start + (type == 0 ? 0 : 1));
      if (type == 0) break;
      continue;
    }
    sqlite3_value* value = arguments.Next();
    const bool left = flags.find('-') != std::string::npos;
    if (IsNull(value)) {
      out += Padded(u"(null)", width, left);
      continue;
    }
    if (type == u's') {
      std::u16string text = ValueText(value);
      if (precision >= 0 && precision < static_cast<int>(text.size())) text.resize(precision);
      out += Padded(std::move(text), width, left);
      continue;
    }
    // Integers as SQL Server's int: 32 bits, unsigned for u, o, x and X.
    const auto number = static_cast<std::int32_t>(sqlite3_value_int64(value));
    std::string spec = "%" + flags + std::to_string(width);
    if (precision >= 0) spec += "." + std::to_string(precision);
    // Room for the widest field the clamped width and precision allow.
    std::string buffer(2 * static_cast<std::size_t>(kMaxCount) + 32, '\0');
    int length = 0;
    if (type == u'd' || type == u'i') {
      spec += 'd';
      length = std::snprintf(buffer.data(), buffer.size(), spec.c_str(), number);  // NOLINT
    } else {
      spec += static_cast<char>(type);
      length = std::snprintf(buffer.data(), buffer.size(), spec.c_str(),  // NOLINT
                             static_cast<std::uint32_t>(number));
    }
    buffer.resize(
        static_cast<std::size_t>(std::clamp<int>(length, 0, static_cast<int>(buffer.size()) - 1)));
    out += oleaut::FromUtf8(buffer);
  }
  if (out.size() > kMaxMessage) {
    out.resize(kMaxMessage - 3);
    out.append(3, u'.');
  }
  ResultText(context, out);
}

}  // namespace tsql::detail
