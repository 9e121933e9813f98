#include "platform/ado/jet/statement.h"

#include <charconv>
#include <cmath>
#include <string>

#include "platform/ado/enclosed_text.h"
#include "platform/ado/jet/errors.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/runtime/runtime.h"

namespace ado::jet {
namespace {

enum class TokenKind { kWord, kName, kString, kNumber, kDate, kSymbol, kEnd };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::u16string text;
  std::size_t position = 0;
};

bool IsWordStart(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c >= 0x80;
}
bool IsWordChar(char16_t c) {
  return IsWordStart(c) || (c >= u'0' && c <= u'9');
}
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

class Tokenizer {
 public:
  explicit Tokenizer(std::u16string_view text) : text_(text) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    for (;;) {
      while (i_ < text_.size() && oleaut::IsWhitespace(text_[i_]))
        ++i_;
      Token token;
      token.position = i_;
      if (i_ >= text_.size()) {
        tokens.push_back(token);
        return tokens;
      }
      const char16_t c = text_[i_];
      if (IsWordStart(c)) {
        token.kind = TokenKind::kWord;
        while (i_ < text_.size() && IsWordChar(text_[i_]))
          token.text += text_[i_++];
      } else if (c == u'[' || c == u'`') {
        token.kind = TokenKind::kName;
        token.text = Delimited(c == u'[' ? u']' : u'`', false,
                               u"Syntax error in query: a name "
                               u"is not closed with its bracket.");
      } else if (c == u'\'' || c == u'"') {
        token.kind = TokenKind::kString;
        token.text = Delimited(c, true, u"Syntax error in string in query expression.");
      } else if (c == u'#') {
        token.kind = TokenKind::kDate;
        token.text = Delimited(u'#', false, u"Syntax error in date in query expression.");
      } else if (IsDigit(c) || (c == u'.' && i_ + 1 < text_.size() && IsDigit(text_[i_ + 1]))) {
        token.kind = TokenKind::kNumber;
        Number(token.text);
      } else {
        token.kind = TokenKind::kSymbol;
        token.text = c;
        ++i_;
        if (i_ < text_.size()) {
          const char16_t next = text_[i_];
          if ((c == u'<' && (next == u'>' || next == u'=')) || (c == u'>' && next == u'=') ||
              (c == u'!' && next == u'=')) {
            token.text += next;
            ++i_;
          }
        }
      }
      tokens.push_back(std::move(token));
    }
  }

 private:
  // The text between a delimiter and its closing one; `doubled` lets the closing one stand for
  // itself when written twice.
  std::u16string Delimited(char16_t close, bool doubled, std::u16string_view error) {
    const std::size_t start = i_++;
    if (auto out = ReadUpToClosing(text_, i_, close, doubled)) return std::move(*out);
    RaiseSyntaxError(error, text_.substr(start));
  }

  void Number(std::u16string& out) {
    while (i_ < text_.size() && IsDigit(text_[i_]))
      out += text_[i_++];
    if (i_ < text_.size() && text_[i_] == u'.') {
      out += text_[i_++];
      while (i_ < text_.size() && IsDigit(text_[i_]))
        out += text_[i_++];
    }
    if (i_ + 1 < text_.size() && (text_[i_] == u'e' || text_[i_] == u'E') &&
        (IsDigit(text_[i_ + 1]) || ((text_[i_ + 1] == u'+' || text_[i_ + 1] == u'-') &&
                                    i_ + 2 < text_.size() && IsDigit(text_[i_ + 2])))) {
      out += text_[i_++];
      out += text_[i_++];
      while (i_ < text_.size() && IsDigit(text_[i_]))
        out += text_[i_++];
    }
  }

  std::u16string_view text_;
  std::size_t i_ = 0;
};

// A literal date: #2024-01-05#, #1/5/2024#, #1/5/2024 1:04:00 PM#: the forms SQL Server reads
// too, month before day as Jet has it.
std::optional<oleaut::Date> ParseDateLiteral(std::u16string_view text) {
  const auto fields = tsql::ParseSqlDateTime(oleaut::TrimWhitespace(text));
  if (!fields) return std::nullopt;
  return oleaut::Date::FromFields(*fields);
}

class Parser {
 public:
  explicit Parser(std::u16string_view statement)
      : statement_(statement), tokens_(Tokenizer(statement).Run()) {}

  SelectStatement Parse() {
    const Token& first = Peek();
    if (first.kind != TokenKind::kWord) RaiseInvalidStatement();
    for (const auto* write : {u"INSERT", u"UPDATE", u"DELETE", u"CREATE", u"DROP", u"ALTER"}) {
      if (IsWord(first, write)) RaiseReadOnly(oleaut::UCase(first.text));
    }
    for (const auto* other : {u"TRANSFORM", u"PARAMETERS", u"PROCEDURE", u"EXECUTE", u"EXEC"}) {
      if (IsWord(first, other)) Unsupported(oleaut::UCase(first.text), first);
    }
    if (!IsWord(first, u"SELECT")) RaiseInvalidStatement();
    Next();
    SelectStatement select;
    if (AcceptWord(u"ALL")) {
    } else if (IsWord(Peek(), u"DISTINCT") || IsWord(Peek(), u"DISTINCTROW")) {
      Unsupported(oleaut::UCase(Peek().text), Peek());
    }
    if (AcceptWord(u"TOP")) select.top = TopCount();
    do {
      select.items.push_back(Item());
    } while (AcceptSymbol(u","));
    if (IsWord(Peek(), u"INTO")) RaiseReadOnly(u"SELECT ... INTO");
    if (!AcceptWord(u"FROM")) {
      RaiseSyntaxError(
          u"The SELECT statement includes a reserved word or an argument name that "
          u"is misspelled or missing, or the punctuation is incorrect.",
          u"expected FROM at character " + Position(Peek()));
    }
    Table(select);
    if (AcceptWord(u"WHERE")) {
      where_start_ = Peek().position;
      select.where = Or();
    }
    for (const auto* clause : {u"GROUP", u"HAVING", u"UNION"}) {
      if (IsWord(Peek(), clause)) Unsupported(oleaut::UCase(Peek().text), Peek());
    }
    if (AcceptWord(u"ORDER")) {
      ExpectWord(u"BY");
      do {
        OrderItem item;
        item.column = Column(Next());
        if (AcceptWord(u"DESC")) {
          item.descending = true;
        } else {
          AcceptWord(u"ASC");
        }
        select.order_by.push_back(std::move(item));
      } while (AcceptSymbol(u","));
    }
    AcceptSymbol(u";");
    if (Peek().kind != TokenKind::kEnd) {
      if (IsWord(Peek(), u"UNION")) Unsupported(u"UNION", Peek());
      RaiseSyntaxError(u"Characters found after end of SQL statement.",
                       u"at character " + Position(Peek()));
    }
    return select;
  }

 private:
  const Token& Peek(std::size_t ahead = 0) const {
    return tokens_[std::min(index_ + ahead, tokens_.size() - 1)];
  }
  const Token& Next() {
    const Token& token = Peek();
    if (index_ < tokens_.size() - 1) ++index_;
    return token;
  }
  static bool IsWord(const Token& token, std::u16string_view word) {
    return token.kind == TokenKind::kWord && oleaut::EqualsNoCase(token.text, word);
  }
  static bool IsSymbol(const Token& token, std::u16string_view symbol) {
    return token.kind == TokenKind::kSymbol && token.text == symbol;
  }
  bool AcceptWord(std::u16string_view word) {
    if (!IsWord(Peek(), word)) return false;
    Next();
    return true;
  }
  bool AcceptSymbol(std::u16string_view symbol) {
    if (!IsSymbol(Peek(), symbol)) return false;
    Next();
    return true;
  }
  void ExpectWord(std::u16string_view word) {
    if (!AcceptWord(word)) {
      RaiseSyntaxError(u"Syntax error in query.",
                       u"expected " + std::u16string(word) + u" at character " + Position(Peek()));
    }
  }
  std::u16string Position(const Token& token) const {
    const std::string n = std::to_string(token.position + 1);
    return {n.begin(), n.end()};
  }

  [[noreturn]] void RaiseInvalidStatement() const {
    RaiseSyntaxError(
        u"Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', "
        u"'SELECT', or 'UPDATE'.",
        {});
  }
  [[noreturn]] void Unsupported(std::u16string_view construct, const Token& at) const {
    RaiseNotSupported(construct, at.position, statement_);
  }
  [[noreturn]] void MissingOperator() const {
    RaiseSyntaxError(u"Syntax error (missing operator) in query expression '" +
                         std::u16string(statement_.substr(where_start_)) + u"'.",
                     u"at character " + Position(Peek()));
  }

  std::int64_t TopCount() {
    const Token& count = Next();
    std::int64_t value = -1;
    if (count.kind == TokenKind::kNumber) {
      const std::string digits = oleaut::ToUtf8(count.text);
      const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
      if (ec != std::errc() || end != digits.data() + digits.size()) value = -1;
    }
    if (value < 0) {
      RaiseSyntaxError(
          u"The SELECT statement includes a reserved word or an argument name that "
          u"is misspelled or missing, or the punctuation is incorrect.",
          u"TOP needs a whole number at character " + Position(count));
    }
    if (IsWord(Peek(), u"PERCENT")) Unsupported(u"TOP ... PERCENT", Peek());
    return value;
  }

  bool IsNameToken(const Token& token) const {
    return token.kind == TokenKind::kName || (token.kind == TokenKind::kWord && !IsReserved(token));
  }
  static bool IsReserved(const Token& token) {
    for (const auto* word :
         {u"SELECT", u"FROM", u"WHERE",   u"ORDER", u"BY",   u"GROUP",   u"HAVING",
          u"UNION",  u"AND",  u"OR",      u"NOT",   u"IS",   u"NULL",    u"AS",
          u"INNER",  u"LEFT", u"RIGHT",   u"JOIN",  u"ON",   u"INTO",    u"TOP",
          u"LIKE",   u"IN",   u"BETWEEN", u"ASC",   u"DESC", u"DISTINCT"}) {
      if (IsWord(token, word)) return true;
    }
    return false;
  }

  ColumnRef Column(const Token& first) {
    if (!IsNameToken(first)) {
      RaiseSyntaxError(u"Syntax error in query.",
                       u"expected a column name at character " + Position(first));
    }
    if (IsSymbol(Peek(), u"(")) Unsupported(u"The function " + first.text, first);
    ColumnRef column;
    column.name = first.text;
    if (AcceptSymbol(u".")) {
      const Token& second = Next();
      if (!IsNameToken(second)) {
        RaiseSyntaxError(u"Syntax error in query.",
                         u"expected a column name at character " + Position(second));
      }
      column.qualifier = std::move(column.name);
      column.name = second.text;
    }
    return column;
  }

  SelectItem Item() {
    SelectItem item;
    const Token& first = Peek();
    if (AcceptSymbol(u"*")) {
      item.all_columns = true;
      return item;
    }
    if (IsNameToken(first) && IsSymbol(Peek(1), u".") && IsSymbol(Peek(2), u"*")) {
      item.all_columns = true;
      item.column.qualifier = Next().text;
      Next();
      Next();
      return item;
    }
    if (!IsNameToken(first)) {
      if (IsWord(first, u"FROM")) {
        RaiseSyntaxError(
            u"The SELECT statement includes a reserved word or an argument name "
            u"that is misspelled or missing, or the punctuation is incorrect.",
            u"no column before FROM");
      }
      Unsupported(u"An expression in the select list", first);
    }
    item.column = Column(Next());
    RejectArithmetic();
    if (AcceptWord(u"AS")) {
      const Token& alias = Next();
      if (!IsNameToken(alias)) {
        RaiseSyntaxError(u"Syntax error in query.",
                         u"expected a name after AS at character " + Position(alias));
      }
      item.alias = alias.text;
    }
    return item;
  }

  void Table(SelectStatement& select) {
    const Token& name = Peek();
    if (IsSymbol(name, u"(")) Unsupported(u"A sub-query in FROM", name);
    if (!IsNameToken(name)) {
      RaiseSyntaxError(u"Syntax error in FROM clause.",
                       u"expected a table name at character " + Position(name));
    }
    select.table = Next().text;
    if (IsSymbol(Peek(), u".")) Unsupported(u"A table in another database", Peek());
    if (AcceptWord(u"AS")) {
      if (!IsNameToken(Peek())) RaiseSyntaxError(u"Syntax error in FROM clause.", {});
      select.table_alias = Next().text;
    } else if (IsNameToken(Peek())) {
      select.table_alias = Next().text;
    }
    if (IsSymbol(Peek(), u",")) Unsupported(u"A second table (a join)", Peek());
    for (const auto* join : {u"INNER", u"LEFT", u"RIGHT", u"JOIN"}) {
      if (IsWord(Peek(), join)) Unsupported(u"JOIN", Peek());
    }
  }

  void RejectArithmetic() const {
    const Token& token = Peek();
    for (const auto* op : {u"+", u"-", u"*", u"/", u"\\", u"&", u"^"}) {
      if (IsSymbol(token, op)) Unsupported(u"Arithmetic (" + token.text + u")", token);
    }
    if (IsWord(token, u"MOD")) Unsupported(u"Arithmetic (MOD)", token);
  }

  std::unique_ptr<Condition> Or() { return JoinedBy(u"OR", Condition::Kind::kOr, &Parser::And); }

  std::unique_ptr<Condition> And() { return JoinedBy(u"AND", Condition::Kind::kAnd, &Parser::Not); }

  // Conditions read by `operand`, joined left to right by `word` into nodes of `kind`.
  std::unique_ptr<Condition> JoinedBy(std::u16string_view word, Condition::Kind kind,
                                      std::unique_ptr<Condition> (Parser::*operand)()) {
    auto left = (this->*operand)();
    while (AcceptWord(word)) {
      auto node = std::make_unique<Condition>();
      node->kind = kind;
      node->first = std::move(left);
      node->second = (this->*operand)();
      left = std::move(node);
    }
    return left;
  }

  std::unique_ptr<Condition> Not() {
    if (AcceptWord(u"NOT")) {
      auto node = std::make_unique<Condition>();
      node->kind = Condition::Kind::kNot;
      node->first = Not();
      return node;
    }
    if (AcceptSymbol(u"(")) {
      if (IsWord(Peek(), u"SELECT")) Unsupported(u"A sub-query", Peek());
      auto inner = Or();
      if (!AcceptSymbol(u")")) MissingOperator();
      return inner;
    }
    return Predicate();
  }

  std::unique_ptr<Condition> Predicate() {
    auto node = std::make_unique<Condition>();
    node->left = OperandHere();
    const Token& op = Peek();
    if (AcceptWord(u"IS")) {
      node->kind = AcceptWord(u"NOT") ? Condition::Kind::kIsNotNull : Condition::Kind::kIsNull;
      if (!AcceptWord(u"NULL")) MissingOperator();
      return node;
    }
    for (const auto* word : {u"LIKE", u"IN", u"BETWEEN", u"NOT"}) {
      if (IsWord(op, word)) Unsupported(oleaut::UCase(op.text), op);
    }
    static constexpr std::pair<std::u16string_view, CompareOp> kOperators[] = {
        {u"=", CompareOp::kEqual},          {u"<>", CompareOp::kNotEqual},
        {u"!=", CompareOp::kNotEqual},      {u"<", CompareOp::kLess},
        {u"<=", CompareOp::kLessOrEqual},   {u">", CompareOp::kGreater},
        {u">=", CompareOp::kGreaterOrEqual}};
    for (const auto& [symbol, compare] : kOperators) {
      if (IsSymbol(op, symbol)) {
        Next();
        node->kind = Condition::Kind::kCompare;
        node->op = compare;
        node->right = OperandHere();
        return node;
      }
    }
    MissingOperator();
  }

  Operand OperandHere() {
    const Token& token = Peek();
    Operand operand;
    if (token.kind == TokenKind::kString) {
      operand = Literal{oleaut::Variant(Next().text)};
    } else if (token.kind == TokenKind::kNumber ||
               ((IsSymbol(token, u"-") || IsSymbol(token, u"+")) &&
                Peek(1).kind == TokenKind::kNumber)) {
      operand = Literal{NumberLiteral()};
    } else if (token.kind == TokenKind::kDate) {
      const auto date = ParseDateLiteral(token.text);
      if (!date) {
        RaiseSyntaxError(u"Syntax error in date in query expression '#" + token.text + u"#'.", {});
      }
      Next();
      operand = Literal{oleaut::Variant(*date)};
    } else if (IsWord(token, u"NULL")) {
      Next();
      operand = Literal{oleaut::Variant(oleaut::kNull)};
    } else if (IsWord(token, u"TRUE") || IsWord(token, u"YES") || IsWord(token, u"ON")) {
      Next();
      operand = Literal{oleaut::Variant(true)};
    } else if (IsWord(token, u"FALSE") || IsWord(token, u"NO") || IsWord(token, u"OFF")) {
      Next();
      operand = Literal{oleaut::Variant(false)};
    } else if (IsSymbol(token, u"?")) {
      Unsupported(u"A parameter (?)", token);
    } else if (IsSymbol(token, u"(")) {
      Unsupported(u"A parenthesised expression", token);
    } else if (IsNameToken(token)) {
      operand = Column(Next());
    } else if (token.kind == TokenKind::kEnd) {
      MissingOperator();
    } else {
      Unsupported(u"'" + token.text + u"'", token);
    }
    RejectArithmetic();
    return operand;
  }

  oleaut::Variant NumberLiteral() {
    bool negative = false;
    if (IsSymbol(Peek(), u"-") || IsSymbol(Peek(), u"+")) negative = Next().text == u"-";
    const std::string digits = oleaut::ToUtf8(Next().text);
    if (digits.find_first_of(".eE") == std::string::npos) {
      std::int64_t whole = 0;
      const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), whole);
      if (ec == std::errc() && end == digits.data() + digits.size()) {
        if (negative) whole = -whole;
        if (whole >= INT32_MIN && whole <= INT32_MAX) {
          return oleaut::Variant(static_cast<std::int32_t>(whole));
        }
      }
    }
    const double value = std::strtod(digits.c_str(), nullptr);
    return oleaut::Variant(negative ? -value : value);
  }

  std::u16string_view statement_;
  std::vector<Token> tokens_;
  std::size_t index_ = 0;
  std::size_t where_start_ = 0;
};

}  // namespace

SelectStatement ParseJetSelect(std::u16string_view statement) {
  return Parser(statement).Parse();
}

}  // namespace ado::jet
