#include <string>

#include "platform/tsql/errors.h"
#include "platform/tsql/token.h"

namespace tsql {
namespace {

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool IsHexDigit(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
// T-SQL names may hold any letter of Unicode; every code unit beyond ASCII counts as one, so that
// Chinese names and aliases are words.
bool IsNameStart(char16_t c) {
  return IsAsciiLetter(c) || c == u'_' || c >= 0x80;
}
bool IsNamePart(char16_t c) {
  return IsNameStart(c) || IsDigit(c) || c == u'@' || c == u'$' || c == u'#';
}
// The currency symbols that start a money constant ($12.50, ￥8).
bool IsCurrencySymbol(char16_t c) {
  return c == u'$' || c == 0xA3 || c == 0xA5 || c == 0x20AC || c == 0xFFE5;
}
bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v' ||
         c == 0xA0 || c == 0x3000 || c == 0xFEFF;
}

class Tokenizer {
 public:
  explicit Tokenizer(std::u16string_view text) : text_(text) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    tokens.reserve(text_.size() / 4 + 1);
    for (;;) {
      SkipBlanksAndComments();
      Token token;
      token.pos = pos_;
      if (AtEnd()) {
        tokens.push_back(std::move(token));
        return tokens;
      }
      Scan(token);
      token.length = pos_.offset - token.pos.offset;
      tokens.push_back(std::move(token));
    }
  }

 private:
  bool AtEnd() const { return pos_.offset >= text_.size(); }
  char16_t Peek(std::size_t ahead = 0) const {
    const std::size_t at = pos_.offset + ahead;
    return at < text_.size() ? text_[at] : char16_t{0};
  }
  void Advance() {
    if (text_[pos_.offset] == u'\n') {
      ++pos_.line;
      pos_.column = 1;
    } else {
      ++pos_.column;
    }
    ++pos_.offset;
  }

  void SkipBlanksAndComments() {
    while (!AtEnd()) {
      const char16_t c = Peek();
      if (IsBlank(c)) {
        Advance();
      } else if (c == u'-' && Peek(1) == u'-') {
        while (!AtEnd() && Peek() != u'\n')
          Advance();
      } else if (c == u'/' && Peek(1) == u'*') {
        SkipBlockComment();
      } else {
        return;
      }
    }
  }

  // Block comments nest in T-SQL.
  void SkipBlockComment() {
    const SourcePos start = pos_;
    int depth = 0;
    do {
      if (AtEnd()) RaiseSyntaxError(text_, start, u"the comment is not closed with */");
      if (Peek() == u'/' && Peek(1) == u'*') {
        ++depth;
        Advance();
      } else if (Peek() == u'*' && Peek(1) == u'/') {
        --depth;
        Advance();
      }
      Advance();
    } while (depth > 0);
  }

  void Scan(Token& token) {
    const char16_t c = Peek();
    if ((c == u'N' || c == u'n') && Peek(1) == u'\'') {
      Advance();
      token.national = true;
      ScanString(token);
    } else if (c == u'\'') {
      ScanString(token);
    } else if (c == u'[') {
      ScanDelimitedName(token, u']');
    } else if (c == u'"') {
      ScanDelimitedName(token, u'"');
    } else if (c == u'0' && (Peek(1) == u'x' || Peek(1) == u'X')) {
      ScanBinary(token);
    } else if (IsDigit(c) || (c == u'.' && IsDigit(Peek(1)))) {
      ScanNumber(token);
    } else if (c == u'$' && IsAsciiLetter(Peek(1))) {
      ScanWord(token);  // a pseudo-column: MERGE's $action
    } else if (IsCurrencySymbol(c)) {
      ScanMoney(token);
    } else if (c == u'@') {
      ScanVariable(token);
    } else if (IsNameStart(c) || c == u'#') {
      ScanWord(token);
    } else if (c == u'?') {
      token.kind = TokenKind::kMarker;
      token.text = u"?";
      Advance();
    } else {
      ScanSymbol(token);
    }
  }

  void ScanString(Token& token) {
    const SourcePos start = pos_;
    token.kind = TokenKind::kString;
    Advance();  // opening apostrophe
    for (;;) {
      if (AtEnd()) RaiseSyntaxError(text_, start, u"the string is not closed with an apostrophe");
      const char16_t c = Peek();
      Advance();
      if (c == u'\'') {
        if (Peek() != u'\'') return;
        Advance();
      }
      token.text += c;
    }
  }

  void ScanDelimitedName(Token& token, char16_t close) {
    const SourcePos start = pos_;
    token.kind = TokenKind::kQuotedName;
    Advance();
    for (;;) {
      if (AtEnd()) RaiseSyntaxError(text_, start, u"the quoted name is not closed");
      const char16_t c = Peek();
      Advance();
      if (c == close) {
        if (Peek() != close) break;
        Advance();
      }
      token.text += c;
    }
    if (token.text.empty()) RaiseSyntaxError(text_, start, u"a quoted name must not be empty");
  }

  void ScanBinary(Token& token) {
    token.kind = TokenKind::kBinary;
    Advance();
    Advance();
    while (IsHexDigit(Peek())) {
      token.text += Peek();
      Advance();
    }
  }

  // Digits, an optional fraction and an optional exponent. Whatever follows is a new token, so
  // "12and" is 12 followed by AND; an "e" counts as an exponent only when digits follow it.
  void ScanNumber(Token& token) {
    token.kind = TokenKind::kNumber;
    StepOverDigitsAndFraction();
    if (Peek() == u'e' || Peek() == u'E') {
      const bool sign = Peek(1) == u'+' || Peek(1) == u'-';
      if (IsDigit(Peek(sign ? 2 : 1))) {
        StepOver();
        if (sign) StepOver();
        while (IsDigit(Peek()))
          StepOver();
      }
    }
    KeepText(token);
  }

  // A currency symbol and an optional number without exponent: a money constant ("$" alone is 0).
  void ScanMoney(Token& token) {
    token.kind = TokenKind::kNumber;
    StepOver();
    StepOverDigitsAndFraction();
    KeepText(token);
  }

  void StepOverDigitsAndFraction() {
    while (IsDigit(Peek()))
      StepOver();
    if (Peek() == u'.') {
      StepOver();
      while (IsDigit(Peek()))
        StepOver();
    }
  }

  void ScanVariable(Token& token) {
    token.kind = TokenKind::kVariable;
    StepOver();
    if (Peek() == u'@') StepOver();
    if (!IsNamePart(Peek())) RaiseSyntaxError(text_, token.pos, u"a variable needs a name");
    while (IsNamePart(Peek()))
      StepOver();
    KeepText(token);
  }

  void ScanWord(Token& token) {
    token.kind = TokenKind::kWord;
    StepOver();
    while (IsNamePart(Peek()))
      StepOver();
    KeepText(token);
    if (token.text == u"#" || token.text == u"##") {
      RaiseSyntaxError(text_, token.pos, u"a temporary table needs a name");
    }
  }

  void ScanSymbol(Token& token) {
    token.kind = TokenKind::kSymbol;
    const char16_t c = Peek();
    const char16_t next = Peek(1);
    const bool two = (c == u'<' && (next == u'=' || next == u'>')) || (c == u'>' && next == u'=') ||
                     (c == u'!' && (next == u'=' || next == u'<' || next == u'>'));
    switch (c) {
      case u'(':
      case u')':
      case u',':
      case u'.':
      case u';':
      case u'*':
      case u'+':
      case u'-':
      case u'/':
      case u'%':
      case u'=':
      case u'<':
      case u'>':
      case u'&':
      case u'|':
      case u'^':
      case u'~':
      case u'!':
        break;
      default:
        RaiseSyntaxError(text_, pos_, u"this character has no meaning in T-SQL");
    }
    if (c == u'!' && !two) RaiseSyntaxError(text_, pos_, u"'!' must be followed by =, < or >");
    StepOver();
    if (two) StepOver();
    KeepText(token);
  }

  // Number, word, variable and symbol tokens hold no line break: their text is the source's.
  void StepOver() {
    ++pos_.column;
    ++pos_.offset;
  }
  void KeepText(Token& token) {
    token.text.assign(text_.substr(token.pos.offset, pos_.offset - token.pos.offset));
  }

  std::u16string_view text_;
  SourcePos pos_;
};

}  // namespace

std::vector<Token> Tokenize(std::u16string_view batch) {
  return Tokenizer(batch).Run();
}

bool IsKeyword(std::u16string_view word, std::u16string_view keyword) noexcept {
  if (word.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    char16_t c = word[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c != keyword[i]) return false;
  }
  return true;
}

std::u16string LowerAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return out;
}

}  // namespace tsql
