#include "billdata/caller_sql.h"

#include <string>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/whole_number.h"

namespace billdata {

namespace {

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Letters of other scripts are allowed in names, as SQL Server allows them; the blanks of
// Unicode are not, as they would end a name.
bool IsOtherLetter(char16_t c) {
  if (c < 0x80) return false;
  return !(c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF);
}

bool StartsPlainName(char16_t c) {
  return IsAsciiLetter(c) || IsOtherLetter(c) || c == u'_' || c == u'@' || c == u'#';
}
bool ContinuesPlainName(char16_t c) {
  return StartsPlainName(c) || IsDigit(c) || c == u'$';
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ')
    text.remove_suffix(1);
  return text;
}

// Reads one name part at `at`; false when there is none.
bool ReadNamePart(std::u16string_view text, std::size_t& at) {
  if (at >= text.size()) return false;
  if (text[at] == u'[') {
    for (std::size_t i = at + 1; i < text.size(); ++i) {
      if (text[i] != u']') continue;
      if (i + 1 < text.size() && text[i + 1] == u']') {
        ++i;
        continue;
      }
      if (i == at + 1) return false;
      at = i + 1;
      return true;
    }
    return false;
  }
  if (!StartsPlainName(text[at])) return false;
  while (++at < text.size() && ContinuesPlainName(text[at])) {
  }
  return true;
}

// Reads a name at `at`: one part, or up to four joined by dots; false when there is none.
bool ReadName(std::u16string_view text, std::size_t& at, SqlNameForm form) {
  const int most_parts = form == SqlNameForm::kOnePart ? 1 : 4;
  std::size_t i = at;
  int parts = 0;
  while (true) {
    // An empty part between dots names the default (dbo..t, db..#t), as SQL Server allows.
    const bool empty_inner = parts > 0 && i < text.size() && text[i] == u'.';
    if (!empty_inner && !ReadNamePart(text, i)) return false;
    ++parts;
    if (i == text.size() || text[i] != u'.' || parts == most_parts) {
      at = i;
      return true;
    }
    ++i;
  }
}

bool IsIdList(std::u16string_view text) {
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(u',', start);
    const std::u16string_view item = text.substr(
        start, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - start);
    if (!oleaut::ParseWholeNumber(item)) return false;
    if (comma == std::u16string_view::npos) return true;
    start = comma + 1;
  }
}

// Reads a number without its sign at `at` (12, 3.5, .5, 1e3); false when there is none.
bool ReadNumber(std::u16string_view text, std::size_t& at) {
  std::size_t i = at;
  std::size_t digits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i)
    ++digits;
  if (i < text.size() && text[i] == u'.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i)
      ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    const std::size_t exponent_start = i;
    while (i < text.size() && IsDigit(text[i]))
      ++i;
    if (i == exponent_start) return false;
  }
  at = i;
  return true;
}

bool IsNumberLiteral(std::u16string_view text) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) ++at;
  return ReadNumber(text, at) && at == text.size();
}

// Reads one text literal at `at` ('A''B', N'甲'); false when there is none.
bool ReadTextLiteral(std::u16string_view text, std::size_t& at) {
  std::size_t i = at;
  if (i < text.size() && (text[i] == u'N' || text[i] == u'n')) ++i;
  if (i >= text.size() || text[i] != u'\'') return false;
  for (++i; i < text.size(); ++i) {
    if (text[i] != u'\'') continue;
    if (i + 1 < text.size() && text[i + 1] == u'\'') {
      ++i;
      continue;
    }
    at = i + 1;
    return true;
  }
  return false;
}

bool IsTextLiteral(std::u16string_view text) {
  std::size_t at = 0;
  return ReadTextLiteral(text, at) && at == text.size();
}

bool IsArithmeticOperator(char16_t c) {
  return c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'%';
}

// The item as text: a missing key, Empty and Null read as the empty text.
oleaut::Bstr ItemText(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                      std::u16string_view key, std::u16string_view source) {
  if (!data) {
    oleaut::RaiseVbError(oleaut::kObjectVariableNotSet, std::u16string(what) + u" is Nothing",
                         source);
  }
  const oleaut::Variant value = data->Item(key);
  return value.IsEmpty() || value.IsNull() ? oleaut::Bstr() : oleaut::ToString(value);
}

}  // namespace

bool IsSqlName(std::u16string_view text, SqlNameForm form) {
  text = TrimBlanks(text);
  std::size_t at = 0;
  return ReadName(text, at, form) && at == text.size();
}

bool IsSqlLiteral(std::u16string_view text) {
  text = TrimBlanks(text);
  return IsNumberLiteral(text) || IsTextLiteral(text);
}

bool IsSqlArithmetic(std::u16string_view text) {
  std::size_t at = 0;
  std::size_t depth = 0;
  bool want_operand = true;
  char16_t symbol = 0;  // the operator or sign just read, when no blank followed it
  while (true) {
    if (at < text.size() && text[at] == u' ') symbol = 0;
    while (at < text.size() && text[at] == u' ')
      ++at;
    if (at == text.size()) return !want_operand && depth == 0;
    const char16_t c = text[at];
    // "--" and "/*" would start a comment that swallows the rest of the statement.
    if ((symbol == u'-' && c == u'-') || (symbol == u'/' && c == u'*')) return false;
    symbol = 0;
    if (want_operand) {
      if (c == u'(') {
        ++depth;
        ++at;
      } else if (c == u'+' || c == u'-') {
        symbol = c;
        ++at;
      } else if (ReadTextLiteral(text, at) || ReadNumber(text, at) ||
                 ReadName(text, at, SqlNameForm::kQualified)) {
        want_operand = false;
      } else {
        return false;
      }
    } else if (c == u')' && depth > 0) {
      --depth;
      ++at;
    } else if (IsArithmeticOperator(c)) {
      symbol = c;
      want_operand = true;
      ++at;
    } else {
      return false;
    }
  }
}

bool IsPlainSqlName(std::u16string_view text) {
  if (text.empty() || !StartsPlainName(text.front())) return false;
  for (const char16_t c : text.substr(1)) {
    if (!ContinuesPlainName(c)) return false;
  }
  return true;
}

oleaut::Bstr SqlNameText(std::u16string_view name) {
  if (IsPlainSqlName(name)) return oleaut::Bstr(name);
  oleaut::Bstr bracketed = u"[";
  for (const char16_t c : name) {
    bracketed += c;
    if (c == u']') bracketed += u']';
  }
  return bracketed + u"]";
}

void RefuseSqlText(std::u16string_view what, std::u16string_view text, std::u16string_view expected,
                   std::u16string_view source) {
  oleaut::RaiseVbError(oleaut::kInvalidProcedureCall,
                       std::u16string(what) + u" '" + std::u16string(text) + u"' is not " +
                           std::u16string(expected) + u"; nothing was run",
                       source);
}

oleaut::Bstr SqlNameItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                         std::u16string_view key, std::u16string_view source) {
  oleaut::Bstr text = ItemText(data, what, key, source);
  if (!IsSqlName(text, SqlNameForm::kQualified)) {
    RefuseSqlText(key, text, u"a table or column name (plain or [bracketed], dots allowed)",
                  source);
  }
  return text;
}

oleaut::Bstr IdListItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                        std::u16string_view key, std::u16string_view source) {
  oleaut::Bstr text = ItemText(data, what, key, source);
  if (!IsIdList(text)) RefuseSqlText(key, text, u"a comma-separated list of whole numbers", source);
  return text;
}

oleaut::Bstr SqlLiteralItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                            std::u16string_view key, std::u16string_view source) {
  oleaut::Bstr text = ItemText(data, what, key, source);
  if (!IsSqlLiteral(text)) {
    RefuseSqlText(key, text, u"a number or one quoted text literal", source);
  }
  return text;
}

void RequireWholeNumber(std::u16string_view text, std::u16string_view what,
                        std::u16string_view source) {
  if (!oleaut::ParseWholeNumber(text)) RefuseSqlText(what, text, u"a whole number", source);
}

}  // namespace billdata
