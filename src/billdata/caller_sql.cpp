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

bool IsSqlName(std::u16string_view text) {
  text = TrimBlanks(text);
  std::size_t at = 0;
  int parts = 0;
  while (true) {
    // An empty part between dots names the default (dbo..t, db..#t), as SQL Server allows.
    const bool empty_inner = parts > 0 && at < text.size() && text[at] == u'.';
    if (!empty_inner && !ReadNamePart(text, at)) return false;
    if (++parts > 4) return false;
    if (at == text.size()) return true;
    if (text[at] != u'.') return false;
    ++at;
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

bool IsNumberLiteral(std::u16string_view text) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) ++at;
  std::size_t digits = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at)
    ++digits;
  if (at < text.size() && text[at] == u'.') {
    for (++at; at < text.size() && IsDigit(text[at]); ++at)
      ++digits;
  }
  if (digits == 0) return false;
  if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
    ++at;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) ++at;
    const std::size_t exponent_start = at;
    while (at < text.size() && IsDigit(text[at]))
      ++at;
    if (at == exponent_start) return false;
  }
  return at == text.size();
}

bool IsTextLiteral(std::u16string_view text) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == u'N' || text[at] == u'n')) ++at;
  if (at >= text.size() || text[at] != u'\'') return false;
  for (++at; at < text.size(); ++at) {
    if (text[at] != u'\'') continue;
    if (at + 1 < text.size() && text[at + 1] == u'\'') {
      ++at;
      continue;
    }
    return at + 1 == text.size();
  }
  return false;
}

[[noreturn]] void Refuse(std::u16string_view what, std::u16string_view text,
                         std::u16string_view expected, std::u16string_view source) {
  oleaut::RaiseVbError(oleaut::kInvalidProcedureCall,
                       std::u16string(what) + u" '" + std::u16string(text) + u"' is not " +
                           std::u16string(expected) + u"; nothing was run",
                       source);
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

oleaut::Bstr SqlNameItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                         std::u16string_view key, std::u16string_view source) {
  oleaut::Bstr text = ItemText(data, what, key, source);
  if (!IsSqlName(text)) {
    Refuse(key, text, u"a table or column name (plain or [bracketed], dots allowed)", source);
  }
  return text;
}

oleaut::Bstr IdListItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                        std::u16string_view key, std::u16string_view source) {
  oleaut::Bstr text = ItemText(data, what, key, source);
  if (!IsIdList(text)) Refuse(key, text, u"a comma-separated list of whole numbers", source);
  return text;
}

oleaut::Bstr SqlLiteralItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                            std::u16string_view key, std::u16string_view source) {
  oleaut::Bstr text = ItemText(data, what, key, source);
  const std::u16string_view literal = TrimBlanks(text);
  if (!IsNumberLiteral(literal) && !IsTextLiteral(literal)) {
    Refuse(key, text, u"a number or one quoted text literal", source);
  }
  return text;
}

void RequireWholeNumber(std::u16string_view text, std::u16string_view what,
                        std::u16string_view source) {
  if (!oleaut::ParseWholeNumber(text)) Refuse(what, text, u"a whole number", source);
}

}  // namespace billdata
