#include "platform/tsql/parser.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/oleaut/text.h"
#include "platform/tsql/errors.h"

namespace tsql {
namespace {

// Words that end an expression or a name list: they never serve as an alias without AS, and a
// statement boundary is found where one of them starts a new statement.
constexpr std::u16string_view kReserved[] = {
    u"ADD",       u"ALL",     u"ALTER",   u"AND",     u"ANY",        u"APPLY",    u"AS",
    u"ASC",       u"BEGIN",   u"BETWEEN", u"BREAK",   u"BY",         u"CASE",     u"CHECK",
    u"CLUSTERED", u"COLLATE", u"COLUMN",  u"COMMIT",  u"CONSTRAINT", u"CONTINUE", u"CONVERT",
    u"CREATE",    u"CROSS",   u"CURRENT", u"DECLARE", u"DEFAULT",    u"DELETE",   u"DESC",
    u"DISTINCT",  u"DROP",    u"ELSE",    u"END",     u"EXCEPT",     u"EXEC",     u"EXECUTE",
    u"EXISTS",    u"FOR",     u"FOREIGN", u"FROM",    u"FULL",       u"GO",       u"GOTO",
    u"GROUP",     u"HAVING",  u"IF",      u"IN",      u"INDEX",      u"INNER",    u"INSERT",
    u"INTERSECT", u"INTO",    u"IS",      u"JOIN",    u"KEY",        u"LEFT",     u"LIKE",
    u"MERGE",     u"NOT",     u"NULL",    u"ON",      u"OPTION",     u"OR",       u"OVER",
    u"ORDER",     u"OUTER",   u"PRIMARY", u"PRINT",   u"REFERENCES", u"RETURN",   u"RIGHT",
    u"ROLLBACK",  u"SELECT",  u"SET",     u"TABLE",   u"THEN",       u"TOP",      u"TRUNCATE",
    u"UNION",     u"UNIQUE",  u"UPDATE",  u"USE",     u"VALUES",     u"WHEN",     u"WHERE",
    u"WHILE",     u"WITH",    u"CAST",
};

constexpr int kMaxDepth = 200;
constexpr int kMaxOperators = 5000;

bool IsReserved(std::u16string_view word) {
  return std::any_of(std::begin(kReserved), std::end(kReserved),
                     [word](std::u16string_view k) { return IsKeyword(word, k); });
}

class Parser {
 public:
  Parser(std::u16string_view text, const std::vector<Token>& tokens)
      : text_(text), tokens_(tokens), literal_ordinals_(tokens_.size(), -1) {
    int ordinal = 0;
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
      if (IsLiteral(tokens_[i])) literal_ordinals_[i] = ordinal++;
    }
  }

  ParsedBatch ParseBatch() {
    ParsedBatch batch;
    for (bool separated = true;;) {
      while (AcceptSymbol(u";")) {
        separated = true;
      }
      if (Peek().kind == TokenKind::kEnd) break;
      if (batch.statements.empty()) first_statement_token_ = next_;
      if (AtKeyword(u"WITH") && !separated) {
        Fail(
            u"If this statement is a common table expression, an xmlnamespaces clause or a "
            u"change tracking context clause, the previous statement must be terminated with "
            u"a semicolon.");
      }
      batch.statements.push_back(ParseStatement());
      separated = false;
    }
    batch.marker_count = marker_count_;
    batch.variable_count = static_cast<int>(variables_.size());
    return batch;
  }

 private:
  // ---- token access ----
  const Token& Peek(std::size_t ahead = 0) const {
    const std::size_t at = std::min(next_ + ahead, tokens_.size() - 1);
    return tokens_[at];
  }
  const Token& Take() {
    const Token& token = tokens_[next_];
    last_taken_ = next_;
    if (next_ + 1 < tokens_.size()) ++next_;
    last_end_ = token.pos.offset + token.length;
    return token;
  }
  bool AtKeyword(std::u16string_view keyword, std::size_t ahead = 0) const {
    const Token& token = Peek(ahead);
    return token.kind == TokenKind::kWord && IsKeyword(token.text, keyword);
  }
  bool AcceptKeyword(std::u16string_view keyword) {
    if (!AtKeyword(keyword)) return false;
    Take();
    return true;
  }
  void ExpectKeyword(std::u16string_view keyword) {
    if (!AcceptKeyword(keyword)) Fail(u"expected " + std::u16string(keyword));
  }
  bool AtSymbol(std::u16string_view symbol, std::size_t ahead = 0) const {
    const Token& token = Peek(ahead);
    return token.kind == TokenKind::kSymbol && token.text == symbol;
  }
  bool AcceptSymbol(std::u16string_view symbol) {
    if (!AtSymbol(symbol)) return false;
    Take();
    return true;
  }
  void ExpectSymbol(std::u16string_view symbol) {
    if (!AcceptSymbol(symbol)) Fail(u"expected '" + std::u16string(symbol) + u"'");
  }
  [[noreturn]] void Fail(std::u16string_view what) const {
    RaiseSyntaxError(text_, Peek().pos, what);
  }
  [[noreturn]] void Unsupported(std::u16string_view construct) const {
    RaiseUnsupported(text_, Peek().pos, construct);
  }
  [[noreturn]] void UnsupportedAt(SourcePos pos, std::u16string_view construct) const {
    RaiseUnsupported(text_, pos, construct);
  }

  // A name: an unreserved word or a quoted name.
  bool AtName(std::size_t ahead = 0) const {
    const Token& token = Peek(ahead);
    return token.kind == TokenKind::kQuotedName ||
           (token.kind == TokenKind::kWord && !IsReserved(token.text));
  }
  std::u16string ExpectName(std::u16string_view what = u"expected a name") {
    if (!AtName()) Fail(what);
    return Take().text;
  }

  class DepthGuard {
   public:
    explicit DepthGuard(Parser& parser) : parser_(parser) {
      if (++parser_.depth_ > kMaxDepth) parser_.Fail(u"the statement is nested too deeply");
    }
    ~DepthGuard() { --parser_.depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

   private:
    Parser& parser_;
  };

  // ---- statements ----
  StatementPtr ParseStatement() {
    DepthGuard guard(*this);
    auto statement = std::make_unique<Statement>();
    statement->pos = Peek().pos;
    statement->first_token = static_cast<std::uint32_t>(next_);
    const Token& token = Peek();
    if (token.kind != TokenKind::kWord) Fail(u"expected the start of a statement");
    if (AtKeyword(u"SELECT")) {
      statement->body = ParseSelect(true);
    } else if (AtKeyword(u"WITH")) {
      ParseWith(*statement);
    } else if (AtKeyword(u"INSERT")) {
      statement->body = ParseInsert();
    } else if (AtKeyword(u"UPDATE")) {
      statement->body = ParseUpdate();
    } else if (AtKeyword(u"DELETE")) {
      statement->body = ParseDelete();
    } else if (AtKeyword(u"MERGE")) {
      statement->body = ParseMerge();
    } else if (AtKeyword(u"CREATE")) {
      ParseCreate(*statement);
    } else if (AtKeyword(u"DROP")) {
      ParseDrop(*statement);
    } else if (AtKeyword(u"ALTER")) {
      ParseAlter(*statement);
    } else if (AtKeyword(u"IF")) {
      statement->body = ParseIf();
    } else if (AtKeyword(u"BEGIN") && AtTransactionWord(1)) {
      Take();
      statement->body = ParseTransaction(TransactionAction::kBegin);
    } else if (AtKeyword(u"COMMIT") || AtKeyword(u"ROLLBACK")) {
      const bool commit = AtKeyword(u"COMMIT");
      statement->body =
          ParseTransaction(commit ? TransactionAction::kCommit : TransactionAction::kRollback);
    } else if (AtKeyword(u"SAVE") && AtTransactionWord(1)) {
      statement->body = ParseTransaction(TransactionAction::kSave);
    } else if (AtKeyword(u"BEGIN") && AtKeyword(u"TRY", 1)) {
      statement->body = ParseTry();
    } else if (AtKeyword(u"BEGIN")) {
      statement->body = ParseBlock();
    } else if (AtKeyword(u"WHILE")) {
      statement->body = ParseWhile();
    } else if (AtKeyword(u"BREAK") || AtKeyword(u"CONTINUE") || AtKeyword(u"RETURN")) {
      statement->body = ParseJump();
    } else if (AcceptKeyword(u"PRINT")) {
      statement->body = PrintStmt{ParseExpr()};
    } else if ((AtKeyword(u"EXEC") || AtKeyword(u"EXECUTE")) && AtsExecuteSql()) {
      statement->body = ParseExecute();
    } else if (AtKeyword(u"THROW") || AtKeyword(u"RAISERROR")) {
      statement->body = ParseRaise();
    } else if (AtKeyword(u"TRUNCATE")) {
      Take();
      ExpectKeyword(u"TABLE");
      statement->body = TruncateStmt{ParseObjectName()};
    } else if (AtKeyword(u"SET")) {
      ParseSet(*statement);
    } else if (AtKeyword(u"DECLARE") &&
               (AtKeyword(u"TABLE", 2) || (AtKeyword(u"AS", 2) && AtKeyword(u"TABLE", 3)))) {
      statement->body = ParseDeclareTable();
    } else if (AtKeyword(u"DECLARE")) {
      statement->body = ParseDeclare();
    } else {
      ReportUnknownStatement();
    }
    statement->end_offset = last_end_;
    statement->end_token = static_cast<std::uint32_t>(last_taken_ + 1);
    return statement;
  }

  [[noreturn]] void ReportUnknownStatement() const {
    static constexpr std::pair<std::u16string_view, std::u16string_view> kNamed[] = {
        {u"EXEC", u"EXEC (stored procedures)"},
        {u"EXECUTE", u"EXECUTE (stored procedures)"},
        {u"GOTO", u"GOTO"},
        {u"USE", u"USE"},
        {u"GO", u"GO (a batch separator of the client tools, not T-SQL)"},
    };
    for (const auto& [word, name] : kNamed) {
      if (AtKeyword(word)) Unsupported(name);
    }
    Fail(u"expected the start of a statement");
  }

  void ParseSet(Statement& statement) {
    Take();  // SET
    if (Peek().kind == TokenKind::kVariable) {
      if (Peek().text.starts_with(u"@@")) Fail(u"a system variable cannot be set");
      statement.body = ParseSetVariable();
      return;
    }
    if (AtKeyword(u"NOCOUNT") && (AtKeyword(u"ON", 1) || AtKeyword(u"OFF", 1))) {
      Take();
      Take();
      statement.body = NoOpStmt{};
      return;
    }
    if (AcceptKeyword(u"IDENTITY_INSERT")) {
      IdentityInsertStmt option;
      option.table = ParseObjectName();
      if (AcceptKeyword(u"ON")) {
        option.on = true;
      } else if (!AcceptKeyword(u"OFF")) {
        Fail(u"expected ON or OFF");
      }
      statement.body = std::move(option);
      return;
    }
    if (ParseSessionOption(statement)) return;
    Unsupported(
        u"SET (session options other than NOCOUNT, IDENTITY_INSERT, XACT_ABORT, "
        u"DATEFIRST, LANGUAGE, DATEFORMAT and those in their default state)");
  }

  bool ParseOnOff() {
    if (AcceptKeyword(u"ON")) return true;
    if (!AcceptKeyword(u"OFF")) Fail(u"expected ON or OFF");
    return false;
  }

  // The options the engine follows in one state only, SQL Server's default, accepted in that
  // state (SET ANSI_NULLS ON) and refused by name in the other; XACT_ABORT, DATEFIRST,
  // DATEFORMAT and LANGUAGE, which the session keeps.
  bool ParseSessionOption(Statement& statement) {
    static constexpr std::pair<std::u16string_view, bool> kFollowed[] = {
        {u"ANSI_NULLS", true},
        {u"QUOTED_IDENTIFIER", true},
        {u"ANSI_WARNINGS", true},
        {u"ANSI_PADDING", true},
        {u"ANSI_NULL_DFLT_ON", true},
        {u"ARITHABORT", true},
        {u"CONCAT_NULL_YIELDS_NULL", true},
        {u"NUMERIC_ROUNDABORT", false},
        {u"IMPLICIT_TRANSACTIONS", false},
    };
    const auto followed = [&]() -> const std::pair<std::u16string_view, bool>* {
      for (const auto& option : kFollowed) {
        if (AtKeyword(option.first)) return &option;
      }
      return nullptr;
    };
    if (followed()) {
      std::vector<std::pair<SourcePos, const std::pair<std::u16string_view, bool>*>> options;
      do {
        const auto* option = followed();
        if (!option) Fail(u"expected a session option");
        options.emplace_back(Take().pos, option);
      } while (AcceptSymbol(u","));
      const bool on = ParseOnOff();
      for (const auto& [pos, option] : options) {
        if (option->second != on) {
          UnsupportedAt(pos, u"SET " + std::u16string(option->first) + (on ? u" ON" : u" OFF"));
        }
      }
      statement.body = NoOpStmt{};
      return true;
    }
    if (AcceptKeyword(u"XACT_ABORT")) {
      statement.body = SessionOptionStmt{u"XACT_ABORT", ParseOnOff(), nullptr};
      return true;
    }
    if (AcceptKeyword(u"DATEFIRST")) {
      statement.body = SessionOptionStmt{u"DATEFIRST", false, ParseExpr()};
      return true;
    }
    if (AtKeyword(u"LANGUAGE") || AtKeyword(u"DATEFORMAT")) {
      // The name, written as a word, a quoted name, a text or a variable, is checked as the
      // statement runs.
      std::u16string option = LowerAscii(Take().text) == u"language" ? u"LANGUAGE" : u"DATEFORMAT";
      const Token& value = Peek();
      ExprPtr name;
      if (value.kind == TokenKind::kWord || value.kind == TokenKind::kQuotedName) {
        name = MakeExpr(ExprKind::kString, value.pos);
        name->text = Take().text;
        name->national = true;
      } else if (value.kind == TokenKind::kString || value.kind == TokenKind::kVariable) {
        name = ParseExpr();
      } else {
        Fail(option == u"LANGUAGE" ? u"expected a language" : u"expected a date format");
      }
      statement.body = SessionOptionStmt{std::move(option), false, std::move(name)};
      return true;
    }
    return false;
  }

  // ---- local variables ----
  struct Variable {
    int index = 0;
    TypeName type;
  };

  // DECLARE @a int [= expr], @b varchar(10) ...: the variables live from here to the end of the
  // batch; those with a value are set where the DECLARE stands.
  AssignStmt ParseDeclare() {
    Take();  // DECLARE
    AssignStmt assign;
    do {
      if (AtKeyword(u"CURSOR", 1)) Unsupported(u"A cursor");
      const Token& name = TakeNewVariable();
      const std::u16string key = LowerAscii(name.text);
      AcceptKeyword(u"AS");
      if (AtKeyword(u"TABLE")) Fail(u"a table variable is declared alone");
      if (AtKeyword(u"CURSOR")) Unsupported(u"A cursor");
      Variable variable{static_cast<int>(variables_.size()), ParseTypeName()};
      ExprPtr target = MakeExpr(ExprKind::kVariable, name.pos);
      target->text = name.text;
      target->index = variable.index;
      target->type = variable.type;
      if (AcceptSymbol(u"=")) {
        ExprPtr value = ParseExpr();
        assign.assignments.emplace_back(std::move(target), std::move(value));
      }
      variables_.emplace(key, std::move(variable));
    } while (AcceptSymbol(u","));
    return assign;
  }

  // The name of a variable the batch declares for the first time.
  const Token& TakeNewVariable() {
    if (Peek().kind != TokenKind::kVariable || Peek().text.starts_with(u"@@")) {
      Fail(u"expected a variable name");
    }
    const Token& name = Take();
    const std::u16string key = LowerAscii(name.text);
    if (variables_.contains(key) || table_variables_.contains(key)) {
      RaiseStatementError(name.pos, u"The variable name '" + name.text +
                                        u"' has already been declared. Variable names must be "
                                        u"unique within a query batch or stored procedure.");
    }
    return name;
  }

  // DECLARE @t [AS] TABLE (columns and constraints): a table that lives for the batch.
  DeclareTableStmt ParseDeclareTable() {
    Take();  // DECLARE
    const Token& name = TakeNewVariable();
    AcceptKeyword(u"AS");
    ExpectKeyword(u"TABLE");
    DeclareTableStmt declare;
    declare.table.table.parts.push_back(name.text);
    declare.table.table.pos = name.pos;
    ParseTableBody(declare.table);
    table_variables_.insert(LowerAscii(name.text));
    return declare;
  }

  // A table a statement reads or changes: a name, or a table variable of the batch.
  ObjectName ParseTableName() {
    if (Peek().kind != TokenKind::kVariable) return ParseObjectName();
    const Token& token = Take();
    if (token.text.starts_with(u"@@") || !table_variables_.contains(LowerAscii(token.text))) {
      RaiseStatementError(token.pos, u"Must declare the table variable \"" + token.text + u"\".");
    }
    ObjectName name;
    name.pos = token.pos;
    name.parts.push_back(token.text);
    return name;
  }

  // SET @v = expr, and SET @v += expr (and the other compound operators).
  AssignStmt ParseSetVariable() {
    AssignStmt assign;
    ExprPtr target = ParseVariable();
    ExprPtr value = ParseAssignedValue(*target);
    assign.assignments.emplace_back(std::move(target), std::move(value));
    return assign;
  }

  // "= expr", or "+= expr" as "= target + expr".
  ExprPtr ParseAssignedValue(const Expr& target) {
    const SourcePos pos = Peek().pos;
    std::u16string compound;
    if (IsCompoundAssignment()) compound = Take().text;
    ExpectSymbol(u"=");
    ExprPtr value = ParseExpr();
    if (compound.empty()) return value;
    ExprPtr current = MakeExpr(ExprKind::kVariable, target.pos);
    current->text = target.text;
    current->index = target.index;
    current->type = target.type;
    return MakeBinary(compound, std::move(current), std::move(value), pos);
  }

  // "+=", "-=" and the like, `ahead` tokens ahead: two tokens to the tokenizer.
  bool IsCompoundAssignment(std::size_t ahead = 0) const {
    if (!AtSymbol(u"=", ahead + 1)) return false;
    for (std::u16string_view op : {u"+", u"-", u"*", u"/", u"%", u"&", u"|", u"^"}) {
      if (AtSymbol(op, ahead)) return true;
    }
    return false;
  }

  // A variable as an expression: @@NAME, or a local variable declared before it.
  ExprPtr ParseVariable() {
    const Token& token = Take();
    ExprPtr expr = MakeExpr(ExprKind::kVariable, token.pos);
    expr->text = token.text;
    if (token.text.starts_with(u"@@")) return expr;
    const auto found = variables_.find(LowerAscii(token.text));
    if (found == variables_.end()) {
      RaiseStatementError(token.pos, u"Must declare the scalar variable \"" + token.text + u"\".");
    }
    expr->index = found->second.index;
    expr->type = found->second.type;
    return expr;
  }

  IfStmt ParseIf() {
    Take();  // IF
    IfStmt result;
    result.condition = ParseExpr();
    if (Peek().kind == TokenKind::kEnd) Fail(u"IF needs a statement to run");
    result.then_branch = ParseStatement();
    while (AcceptSymbol(u";")) {
    }
    if (AcceptKeyword(u"ELSE")) result.else_branch = ParseStatement();
    return result;
  }

  BlockStmt ParseBlock() {
    Take();  // BEGIN
    if (AtKeyword(u"DISTRIBUTED")) Unsupported(u"BEGIN DISTRIBUTED TRANSACTION");
    if (AtKeyword(u"CATCH")) Fail(u"BEGIN CATCH must follow END TRY");
    BlockStmt block;
    block.body = ParseStatementsUntilEnd(u"");
    return block;
  }

  bool AtTransactionWord(std::size_t ahead = 0) const {
    return AtKeyword(u"TRAN", ahead) || AtKeyword(u"TRANSACTION", ahead);
  }

  // After BEGIN: TRAN[SACTION] [name [WITH MARK ['description']]]; COMMIT and ROLLBACK
  // [TRAN[SACTION] [name] | WORK]; SAVE TRAN[SACTION] name. A name is an identifier of up to 32
  // characters; the words that start a statement are never taken for one.
  TransactionStmt ParseTransaction(TransactionAction action) {
    using Action = TransactionAction;
    if (action != Action::kBegin) Take();  // COMMIT, ROLLBACK, SAVE
    TransactionStmt transaction;
    transaction.action = action;
    if (action != Action::kBegin && action != Action::kSave && AcceptKeyword(u"WORK")) {
      return transaction;
    }
    const bool word = AtTransactionWord();
    if (word) Take();
    if (action == Action::kBegin || action == Action::kSave) {
      if (!word) Fail(u"expected TRANSACTION");
    }
    if (Peek().kind == TokenKind::kVariable) {
      transaction.name_variable = ParseVariable();
    } else if (AtName() && !AtKeyword(u"SAVE") && !AtKeyword(u"THROW") &&
               !AtKeyword(u"RAISERROR") && !AtTransactionWord()) {
      const Token& name = Take();
      if (name.text.size() > 32) {
        RaiseStatementError(name.pos, u"The identifier that starts with '" +
                                          name.text.substr(0, 32) +
                                          u"' is too long. Maximum length is 32.");
      }
      transaction.name = name.text;
    } else if (action == Action::kSave) {
      Fail(u"SAVE TRANSACTION needs the savepoint's name");
    }
    if (action == Action::kBegin && AtKeyword(u"WITH") && AtKeyword(u"MARK", 1)) {
      Unsupported(u"BEGIN TRANSACTION WITH MARK");
    }
    if (action == Action::kCommit && AtKeyword(u"WITH") && AtSymbol(u"(", 1)) {
      Unsupported(u"COMMIT WITH (DELAYED_DURABILITY)");
    }
    return transaction;
  }

  // The statements up to END [word] (END TRY, END CATCH, or the END of a BEGIN).
  std::vector<StatementPtr> ParseStatementsUntilEnd(std::u16string_view word) {
    std::vector<StatementPtr> body;
    for (;;) {
      while (AcceptSymbol(u";")) {
      }
      if (AcceptKeyword(u"END")) {
        if (!word.empty()) ExpectKeyword(word);
        return body;
      }
      if (Peek().kind == TokenKind::kEnd) {
        Fail(word.empty()
                 ? u"BEGIN needs a matching END"
                 : u"BEGIN " + std::u16string(word) + u" needs END " + std::u16string(word));
      }
      body.push_back(ParseStatement());
    }
  }

  // BEGIN TRY statements END TRY BEGIN CATCH [statements] END CATCH.
  TryStmt ParseTry() {
    Take();  // BEGIN
    Take();  // TRY
    TryStmt block;
    if (AtKeyword(u"END")) Fail(u"a TRY block needs a statement");
    block.try_body = ParseStatementsUntilEnd(u"TRY");
    while (AcceptSymbol(u";")) {
    }
    if (!AtKeyword(u"BEGIN") || !AtKeyword(u"CATCH", 1))
      Fail(u"END TRY must be followed by BEGIN CATCH");
    Take();
    Take();
    ++catch_depth_;
    block.catch_body = ParseStatementsUntilEnd(u"CATCH");
    --catch_depth_;
    return block;
  }

  WhileStmt ParseWhile() {
    Take();  // WHILE
    WhileStmt loop;
    loop.condition = ParseExpr();
    if (Peek().kind == TokenKind::kEnd) Fail(u"WHILE needs a statement to run");
    ++loop_depth_;
    loop.body = ParseStatement();
    --loop_depth_;
    return loop;
  }

  // BREAK and CONTINUE of the innermost WHILE; RETURN, which ends the batch.
  JumpStmt ParseJump() {
    const Token& word = Take();
    JumpStmt jump;
    if (IsKeyword(word.text, u"RETURN")) {
      const Token& next = Peek();
      if (next.kind == TokenKind::kNumber || next.kind == TokenKind::kString ||
          next.kind == TokenKind::kVariable || AtSymbol(u"(") || AtSymbol(u"-") || AtSymbol(u"+")) {
        RaiseStatementError(word.pos,
                            u"A RETURN statement with a return value cannot be used in this "
                            u"context.");
      }
      return jump;
    }
    const bool breaks = IsKeyword(word.text, u"BREAK");
    if (loop_depth_ == 0) {
      RaiseStatementError(word.pos, breaks ? u"Cannot use a BREAK statement outside the scope of "
                                             u"a WHILE statement."
                                           : u"Cannot use a CONTINUE statement outside the scope "
                                             u"of a WHILE statement.");
    }
    jump.kind = breaks ? JumpStmt::Kind::kBreak : JumpStmt::Kind::kContinue;
    return jump;
  }

  // EXEC (string) or EXEC [sys.]sp_executesql, after EXEC.
  bool AtsExecuteSql() const {
    if (AtSymbol(u"(", 1)) return true;
    std::size_t ahead = 1;
    if ((AtKeyword(u"SYS", 1) || AtKeyword(u"DBO", 1)) && AtSymbol(u".", 2)) ahead = 3;
    return AtKeyword(u"SP_EXECUTESQL", ahead);
  }

  // EXEC (expression [+ ...]); EXEC sp_executesql statement [, definitions [, [@name =] value
  // ...]].
  ExecuteStmt ParseExecute() {
    Take();  // EXEC
    ExecuteStmt execute;
    if (AcceptSymbol(u"(")) {
      execute.statement = ParseExpr();
      ExpectSymbol(u")");
      return execute;
    }
    while (!AtKeyword(u"SP_EXECUTESQL"))
      Take();  // sys.
    Take();
    if (Peek().kind == TokenKind::kEnd || AtSymbol(u";")) {
      Fail(u"sp_executesql needs the statement to run");
    }
    execute.statement = ParseExpr();
    if (!AcceptSymbol(u",")) return execute;
    execute.definitions = ParseExpr();
    while (AcceptSymbol(u",")) {
      std::u16string name;
      if (Peek().kind == TokenKind::kVariable && AtSymbol(u"=", 1)) {
        name = Take().text;
        Take();
      }
      execute.arguments.emplace_back(std::move(name), ParseExpr());
      if (AtKeyword(u"OUTPUT") || AtKeyword(u"OUT"))
        Unsupported(u"An OUTPUT parameter of sp_executesql");
    }
    return execute;
  }

  // THROW [number, message, state]; RAISERROR (message, severity, state [, argument ...])
  // [WITH LOG | NOWAIT | SETERROR].
  RaiseStmt ParseRaise() {
    const Token& word = Take();
    RaiseStmt raise;
    if (IsKeyword(word.text, u"THROW")) {
      const TokenKind next = Peek().kind;
      if (next != TokenKind::kNumber && next != TokenKind::kVariable) {
        if (catch_depth_ == 0) {
          RaiseStatementError(word.pos,
                              u"To rethrow an error, a THROW statement must be used inside a "
                              u"CATCH block. Insert the THROW statement inside a CATCH block, or "
                              u"add error parameters to the THROW statement.");
        }
        return raise;
      }
      for (int i = 0; i < 3; ++i) {
        if (i > 0) ExpectSymbol(u",");
        raise.args.push_back(ParseExpr());
      }
      return raise;
    }
    raise.raiserror = true;
    ExpectSymbol(u"(");
    do {
      raise.args.push_back(ParseExpr());
    } while (AcceptSymbol(u","));
    ExpectSymbol(u")");
    if (raise.args.size() < 3) Fail(u"RAISERROR needs a message, a severity and a state");
    if (AcceptKeyword(u"WITH")) {
      do {
        if (!AcceptKeyword(u"LOG") && !AcceptKeyword(u"NOWAIT") && !AcceptKeyword(u"SETERROR")) {
          Fail(u"expected LOG, NOWAIT or SETERROR");
        }
      } while (AcceptSymbol(u","));
    }
    return raise;
  }

  // ---- SELECT ----
  // WITH name [(columns)] AS (query) [, ...] before SELECT, INSERT, UPDATE, DELETE or MERGE: the
  // names are the statement's own, and its query's.
  void ParseWith(Statement& statement) {
    std::vector<CommonTable> tables = ParseCommonTables();
    const auto changing = [&](auto change) {
      change.with.tables = std::move(tables);
      if (AtKeyword(u"OPTION")) change.with.max_recursion = ParseMaxRecursion();
      statement.body = std::move(change);
    };
    if (AtKeyword(u"INSERT")) return changing(ParseInsert());
    if (AtKeyword(u"UPDATE")) return changing(ParseUpdate());
    if (AtKeyword(u"DELETE")) return changing(ParseDelete());
    if (AtKeyword(u"MERGE")) return changing(ParseMerge());
    if (!AtKeyword(u"SELECT")) Fail(u"expected SELECT, INSERT, UPDATE, DELETE or MERGE");
    SelectPtr select = ParseSelect(true);
    select->with = std::move(tables);
    statement.body = std::move(select);
  }

  std::vector<CommonTable> ParseCommonTables() {
    Take();  // WITH
    std::vector<CommonTable> tables;
    do {
      CommonTable table;
      table.pos = Peek().pos;
      table.name = ExpectName(u"expected the name of a common table expression");
      for (const CommonTable& before : tables) {
        if (oleaut::EqualsNoCase(before.name, table.name)) {
          RaiseStatementError(table.pos, u"Duplicate common table expression name '" + table.name +
                                             u"' was specified.");
        }
      }
      if (AcceptSymbol(u"(")) {
        do {
          table.columns.push_back(ExpectName(u"expected a column name"));
        } while (AcceptSymbol(u","));
        ExpectSymbol(u")");
      }
      ExpectKeyword(u"AS");
      ExpectSymbol(u"(");
      if (!AtKeyword(u"SELECT")) Fail(u"expected the query of a common table expression");
      table.select = ParseSelect(false);
      ExpectSymbol(u")");
      tables.push_back(std::move(table));
    } while (AcceptSymbol(u","));
    return tables;
  }

  std::vector<OrderItem> ParseOrderBy() {
    Take();  // ORDER
    ExpectKeyword(u"BY");
    std::vector<OrderItem> items;
    do {
      OrderItem item;
      item.expr = ParseExpr();
      if (AcceptKeyword(u"DESC")) {
        item.descending = true;
      } else {
        AcceptKeyword(u"ASC");
      }
      items.push_back(std::move(item));
    } while (AcceptSymbol(u","));
    return items;
  }

  // OFFSET n ROW[S] [FETCH FIRST | NEXT m ROW[S] ONLY], after ORDER BY.
  void ParseOffsetFetch(Select& select) {
    select.offset = ParseExpr();
    if (!AcceptKeyword(u"ROWS")) ExpectKeyword(u"ROW");
    if (!AcceptKeyword(u"FETCH")) return;
    if (!AcceptKeyword(u"NEXT")) ExpectKeyword(u"FIRST");
    select.fetch = ParseExpr();
    if (!AcceptKeyword(u"ROWS")) ExpectKeyword(u"ROW");
    ExpectKeyword(u"ONLY");
  }

  // OPTION (MAXRECURSION n); other query hints are SQL Server's plans only and refused by name.
  int ParseMaxRecursion() {
    Take();  // OPTION
    ExpectSymbol(u"(");
    int max_recursion = kDefaultMaxRecursion;
    do {
      if (!AtKeyword(u"MAXRECURSION")) Unsupported(u"OPTION (query hints other than MAXRECURSION)");
      Take();
      const Token& count = Peek();
      if (count.kind != TokenKind::kNumber) Fail(u"MAXRECURSION needs a whole number");
      const std::int64_t value = ParseSignedInteger();
      if (value < 0 || value > 32767) {
        RaiseStatementError(count.pos, u"The value " + oleaut::FromUtf8(std::to_string(value)) +
                                           u" specified for the MAXRECURSION option exceeds the "
                                           u"allowed maximum of 32767.");
      }
      max_recursion = static_cast<int>(value);
    } while (AcceptSymbol(u","));
    ExpectSymbol(u")");
    return max_recursion;
  }

  // FOR XML PATH | RAW [('row')] [, TYPE] and FOR JSON PATH | AUTO [, options]; the other forms
  // of FOR are refused by name.
  void ParseForXml(Select& select) {
    Take();  // FOR
    if (AcceptKeyword(u"JSON")) return ParseForJson(select);
    if (!AtKeyword(u"XML")) Unsupported(u"FOR " + oleaut::UCase(Peek().text));
    Take();
    select.xml_raw = AtKeyword(u"RAW");
    if (!AtKeyword(u"PATH") && !select.xml_raw)
      Unsupported(u"FOR XML " + oleaut::UCase(Peek().text));
    Take();
    select.for_xml = true;
    select.xml_row = u"row";
    if (AcceptSymbol(u"(")) {
      if (Peek().kind != TokenKind::kString) Fail(u"expected the name of the row element");
      select.xml_row = Take().text;
      ExpectSymbol(u")");
    }
    while (AcceptSymbol(u",")) {
      if (!AcceptKeyword(u"TYPE")) Unsupported(u"FOR XML with " + Peek().text);
      select.xml_type = true;
    }
  }

  void ParseForJson(Select& select) {
    if (!AcceptKeyword(u"PATH") && !AcceptKeyword(u"AUTO")) Fail(u"expected PATH or AUTO");
    select.for_json = true;
    while (AcceptSymbol(u",")) {
      if (AcceptKeyword(u"ROOT")) {
        select.json_root = true;
        select.json_root_name = u"root";
        if (AcceptSymbol(u"(")) {
          if (Peek().kind != TokenKind::kString) Fail(u"expected the name of the root");
          select.json_root_name = Take().text;
          ExpectSymbol(u")");
        }
      } else if (AcceptKeyword(u"INCLUDE_NULL_VALUES")) {
        select.json_include_nulls = true;
      } else if (AcceptKeyword(u"WITHOUT_ARRAY_WRAPPER")) {
        select.json_without_array = true;
      } else {
        Fail(u"expected ROOT, INCLUDE_NULL_VALUES or WITHOUT_ARRAY_WRAPPER");
      }
    }
    if (select.json_root && select.json_without_array) {
      RaiseStatementError(select.pos,
                          u"ROOT option and WITHOUT_ARRAY_WRAPPER option cannot be "
                          u"used together in FOR JSON. Remove one of these options.");
    }
  }

  // (SELECT ... FOR XML PATH, TYPE).value('.', 'type'): the XML's text as that type.
  ExprPtr ParseXmlValue(ExprPtr subquery) {
    Take();  // .
    const SourcePos pos = Peek().pos;
    if (!AtKeyword(u"VALUE") || !AtSymbol(u"(", 1)) {
      Unsupported(u"The xml method " + Peek().text);
    }
    Take();
    Take();
    if (Peek().kind != TokenKind::kString || Peek().text != u".") {
      Unsupported(u"The xml method value with a path other than '.'");
    }
    Take();
    ExpectSymbol(u",");
    if (Peek().kind != TokenKind::kString) Fail(u"expected the name of a type");
    const std::u16string declared = Take().text;
    ExpectSymbol(u")");
    ExprPtr expr = MakeExpr(ExprKind::kConvert, pos);
    expr->type = TypeNameOf(declared, pos);
    subquery->select->xml_string_value = true;
    expr->args.push_back(std::move(subquery));
    return expr;
  }

  // A type written in a text ("nvarchar(max)", "decimal(10,2)").
  TypeName TypeNameOf(std::u16string_view declared, SourcePos pos) const {
    TypeName type;
    type.pos = pos;
    std::size_t i = 0;
    while (i < declared.size() && declared[i] != u'(' && declared[i] != u' ')
      ++i;
    type.name = LowerAscii(declared.substr(0, i));
    const std::size_t close = declared.find(u')', i);
    if (i < declared.size() && declared[i] == u'(' && close != std::u16string_view::npos) {
      const std::u16string inside =
          LowerAscii(std::u16string(declared.substr(i + 1, close - i - 1)));
      if (inside == u"max") {
        type.max = true;
      } else {
        int value = 0;
        for (char16_t c : inside + u",") {
          if (c >= u'0' && c <= u'9') {
            value = std::min(value * 10 + (c - u'0'), 100000);
          } else if (c == u',') {
            type.args.push_back(value);
            value = 0;
          }
        }
      }
    }
    return type;
  }

  SelectPtr ParseSelect(bool allow_into) { return ParseSelect(allow_into, allow_into); }

  // `allow_option`: the query ends its statement, which OPTION (...) may end.
  SelectPtr ParseSelect(bool allow_into, bool allow_option) {
    DepthGuard guard(*this);
    auto select = std::make_unique<Select>();
    select->pos = Peek().pos;
    select->cores.push_back(ParseSelectCore(allow_into));
    for (;;) {
      SetOp op;
      if (AtKeyword(u"UNION")) {
        Take();
        op = AcceptKeyword(u"ALL") ? SetOp::kUnionAll : SetOp::kUnion;
      } else if (AtKeyword(u"EXCEPT")) {
        Take();
        op = SetOp::kExcept;
      } else if (AtKeyword(u"INTERSECT")) {
        Take();
        op = SetOp::kIntersect;
      } else {
        break;
      }
      if (AtSymbol(u"(")) Unsupported(u"A parenthesized query after UNION");
      select->ops.push_back(op);
      select->cores.push_back(ParseSelectCore(false));
    }
    if (AtKeyword(u"ORDER")) {
      select->order_by = ParseOrderBy();
      if (AcceptKeyword(u"OFFSET")) ParseOffsetFetch(*select);
    }
    if (AtKeyword(u"OPTION")) {
      if (!allow_option) Fail(u"OPTION is allowed only at the end of a statement");
      select->max_recursion = ParseMaxRecursion();
    }
    if (AtKeyword(u"FOR")) ParseForXml(*select);
    if (AtKeyword(u"COMPUTE")) Unsupported(u"COMPUTE");
    return select;
  }

  SelectCore ParseSelectCore(bool allow_into) {
    SelectCore core;
    core.pos = Peek().pos;
    ExpectKeyword(u"SELECT");
    if (AcceptKeyword(u"DISTINCT")) {
      core.distinct = true;
    } else {
      AcceptKeyword(u"ALL");
    }
    if (AtKeyword(u"TOP")) {
      Take();
      if (AcceptSymbol(u"(")) {
        core.top = ParseExpr();
        ExpectSymbol(u")");
      } else if (Peek().kind == TokenKind::kNumber || Peek().kind == TokenKind::kMarker) {
        core.top = ParsePrimary();
      } else {
        Fail(u"TOP needs a number");
      }
      core.top_percent = AcceptKeyword(u"PERCENT");
      if (AtKeyword(u"WITH") && AtKeyword(u"TIES", 1)) Unsupported(u"TOP ... WITH TIES");
    }
    do {
      core.items.push_back(ParseSelectItem());
    } while (AcceptSymbol(u","));
    if (AtKeyword(u"INTO")) {
      if (!allow_into) Fail(u"INTO is allowed only in the first SELECT of a statement");
      Take();
      core.has_into = true;
      core.into = ParseObjectName();
    }
    if (AcceptKeyword(u"FROM")) core.from = ParseFromList();
    if (AcceptKeyword(u"WHERE")) core.where = ParseExpr();
    if (AtKeyword(u"GROUP")) {
      Take();
      ExpectKeyword(u"BY");
      if (AtKeyword(u"ALL")) Unsupported(u"GROUP BY ALL");
      do {
        core.group_by.push_back(ParseExpr());
      } while (AcceptSymbol(u","));
      if (AtKeyword(u"WITH")) Unsupported(u"GROUP BY ... WITH ROLLUP / CUBE");
    }
    if (AcceptKeyword(u"HAVING")) core.having = ParseExpr();
    return core;
  }

  // Whether the tokens ahead are name(.name)*.* (a qualified star).
  bool AtQualifiedStar() const {
    std::size_t i = 0;
    for (;;) {
      const Token& token = Peek(i);
      if (token.kind != TokenKind::kWord && token.kind != TokenKind::kQuotedName) return false;
      if (!AtSymbol(u".", i + 1)) return false;
      if (AtSymbol(u"*", i + 2)) return true;
      i += 2;
    }
  }

  bool AtAlias() const {
    const Token& token = Peek();
    return token.kind == TokenKind::kQuotedName || token.kind == TokenKind::kString ||
           (token.kind == TokenKind::kWord && !IsReserved(token.text));
  }

  SelectItem ParseSelectItem() {
    SelectItem item;
    item.pos = Peek().pos;
    if (AcceptSymbol(u"*")) {
      item.star = true;
      return item;
    }
    if (AtQualifiedStar()) {
      item.star = true;
      while (!AtSymbol(u"*")) {
        item.star_qualifier.push_back(Take().text);
        ExpectSymbol(u".");
      }
      Take();
      return item;
    }
    if (Peek().kind == TokenKind::kVariable && !Peek().text.starts_with(u"@@") &&
        (AtSymbol(u"=", 1) || IsCompoundAssignment(1))) {
      // SELECT @v = expression sets the variable for each row it reads.
      item.target = ParseVariable();
      item.expr = ParseAssignedValue(*item.target);
      return item;
    }
    // SQL Server's "alias = expression" form.
    if (AtAlias() && AtSymbol(u"=", 1)) {
      item.alias = Take().text;
      item.has_alias = true;
      Take();
      item.expr = ParseExpr();
      return item;
    }
    item.expr = ParseExpr();
    if (AcceptKeyword(u"AS")) {
      if (!AtAlias()) Fail(u"expected an alias after AS");
      item.alias = Take().text;
      item.has_alias = true;
    } else if (AtAlias()) {
      item.alias = Take().text;
      item.has_alias = true;
    }
    return item;
  }

  std::vector<TableRefPtr> ParseFromList() {
    std::vector<TableRefPtr> from;
    do {
      from.push_back(ParseJoinedTable());
    } while (AcceptSymbol(u","));
    return from;
  }

  TableRefPtr ParseJoinedTable() {
    DepthGuard guard(*this);
    TableRefPtr left = ParseTablePrimary();
    for (;;) {
      const SourcePos pos = Peek().pos;
      JoinType type;
      if (AtKeyword(u"JOIN")) {
        type = JoinType::kInner;
      } else if (AtKeyword(u"INNER")) {
        Take();
        type = JoinType::kInner;
      } else if (AtKeyword(u"LEFT") || AtKeyword(u"RIGHT") || AtKeyword(u"FULL")) {
        type = AtKeyword(u"LEFT")    ? JoinType::kLeft
               : AtKeyword(u"RIGHT") ? JoinType::kRight
                                     : JoinType::kFull;
        Take();
        AcceptKeyword(u"OUTER");
      } else if (AtKeyword(u"CROSS")) {
        Take();
        type = AcceptKeyword(u"APPLY") ? JoinType::kCrossApply : JoinType::kCross;
      } else if (AtKeyword(u"OUTER") && AtKeyword(u"APPLY", 1)) {
        Take();
        Take();
        type = JoinType::kOuterApply;
      } else {
        return left;
      }
      const bool apply = type == JoinType::kCrossApply || type == JoinType::kOuterApply;
      if (AtKeyword(u"LOOP") || AtKeyword(u"HASH") || AtKeyword(u"MERGE") || AtKeyword(u"REMOTE")) {
        Unsupported(u"A join hint");
      }
      if (!apply) ExpectKeyword(u"JOIN");
      auto join = std::make_unique<TableRef>();
      join->kind = TableRef::Kind::kJoin;
      join->pos = pos;
      join->join = type;
      join->left = std::move(left);
      join->right = ParseTablePrimary();
      if (type != JoinType::kCross && !apply) {
        ExpectKeyword(u"ON");
        join->on = ParseExpr();
      }
      left = std::move(join);
    }
  }

  TableRefPtr ParseTablePrimary() {
    auto ref = std::make_unique<TableRef>();
    ref->pos = Peek().pos;
    if (AcceptSymbol(u"(")) {
      if (AtKeyword(u"SELECT") || AtKeyword(u"VALUES")) {
        ref->kind = TableRef::Kind::kDerived;
        const bool values = AtKeyword(u"VALUES");
        ref->select = values ? ParseValuesTable() : ParseSelect(false);
        ExpectSymbol(u")");
        ParseTableAlias(*ref);
        if (!ref->has_alias) Fail(u"a derived table needs an alias");
        if (AtSymbol(u"(")) {
          NameDerivedColumns(*ref);
        } else if (values) {
          RaiseStatementError(
              ref->pos, u"No column name was specified for column 1 of '" + ref->alias + u"'.");
        }
        return ParsePivot(std::move(ref));
      }
      TableRefPtr inner = ParseJoinedTable();
      ExpectSymbol(u")");
      return inner;
    }
    ref->kind = TableRef::Kind::kTable;
    ref->name = ParseTableName();
    if (AtSymbol(u"(")) {
      ParseTableFunction(*ref);
      return ref;
    }
    ParseTableAlias(*ref);
    if (AtKeyword(u"WITH") && AtSymbol(u"(", 1)) SkipTableHints();
    return ParsePivot(std::move(ref));
  }

  // source PIVOT (aggregate(column) FOR pivot_column IN ([a], [b], ...)) [AS] alias, or
  // source UNPIVOT (value FOR name IN ([a], [b], ...)) [AS] alias.
  TableRefPtr ParsePivot(TableRefPtr source) {
    const bool unpivot = AtKeyword(u"UNPIVOT");
    if ((!unpivot && !AtKeyword(u"PIVOT")) || !AtSymbol(u"(", 1)) return source;
    auto pivot = std::make_unique<TableRef>();
    pivot->kind = TableRef::Kind::kPivot;
    pivot->unpivot = unpivot;
    pivot->pos = Take().pos;
    Take();  // (
    if (unpivot) {
      pivot->unpivot_value = ExpectName(u"expected the column UNPIVOT fills with values");
    } else {
      pivot->aggregate = ParseExpr();
      const Expr& aggregate = *pivot->aggregate;
      if (aggregate.kind != ExprKind::kFunction || aggregate.args.size() != 1 ||
          aggregate.args[0]->kind != ExprKind::kColumn || aggregate.over) {
        Fail(u"PIVOT needs an aggregate of a column");
      }
    }
    ExpectKeyword(u"FOR");
    pivot->pivot_column = ExpectName(unpivot ? u"expected the column UNPIVOT fills with names"
                                             : u"expected the column PIVOT turns");
    ExpectKeyword(u"IN");
    ExpectSymbol(u"(");
    do {
      pivot->pivot_values.push_back(ExpectName(unpivot
                                                   ? u"expected a column to turn into rows"
                                                   : u"expected a value of the column, as a name"));
    } while (AcceptSymbol(u","));
    ExpectSymbol(u")");
    ExpectSymbol(u")");
    ParseTableAlias(*pivot);
    if (!pivot->has_alias) Fail(unpivot ? u"UNPIVOT needs an alias" : u"PIVOT needs an alias");
    pivot->left = std::move(source);
    return ParsePivot(std::move(pivot));  // a PIVOT or UNPIVOT may follow another
  }

  // STRING_SPLIT(text, separator [, enable_ordinal]) and OPENJSON(json [, path]), the
  // table-valued functions SQL Server has built in.
  void ParseTableFunction(TableRef& ref) {
    const std::u16string name = ref.name.parts.size() == 1 ? LowerAscii(ref.name.Name()) : u"";
    if (name != u"string_split" && name != u"openjson") Unsupported(u"A table-valued function");
    Take();  // (
    ref.kind = TableRef::Kind::kFunction;
    if (!AtSymbol(u")")) {
      do {
        ref.args.push_back(ParseExpr());
      } while (AcceptSymbol(u","));
    }
    ExpectSymbol(u")");
    const bool split = name == u"string_split";
    const std::u16string written = split ? u"STRING_SPLIT" : u"OPENJSON";
    if (ref.args.size() < (split ? 2u : 1u)) {
      RaiseStatementError(ref.pos,
                          u"An insufficient number of arguments were supplied for the "
                          u"procedure or function " +
                              written + u".");
    }
    if (ref.args.size() > (split ? 3u : 2u)) {
      RaiseStatementError(
          ref.pos, u"Procedure or function " + written + u" has too many arguments specified.");
    }
    if (!split && AtKeyword(u"WITH") && AtSymbol(u"(", 1)) ParseJsonSchema(ref);
    ParseTableAlias(ref);
    RefusePivot();
  }

  // WITH (name type ['path'] [AS JSON], ...) of OPENJSON.
  void ParseJsonSchema(TableRef& ref) {
    Take();  // WITH
    Take();  // (
    do {
      JsonColumn column;
      column.name = ExpectName(u"expected a column name");
      column.type = ParseTypeName();
      if (Peek().kind == TokenKind::kString) {
        column.path = Take().text;
      } else {
        column.path = u"$.\"" + column.name + u"\"";
      }
      if (AtKeyword(u"AS") && AtKeyword(u"JSON", 1)) {
        Take();
        Take();
        column.as_json = true;
      }
      ref.json_columns.push_back(std::move(column));
    } while (AcceptSymbol(u","));
    ExpectSymbol(u")");
  }

  // VALUES (a, b), (c, d): a query of one SELECT per row, joined by UNION ALL.
  SelectPtr ParseValuesTable() {
    auto select = std::make_unique<Select>();
    select->pos = Peek().pos;
    Take();  // VALUES
    do {
      SelectCore row;
      row.pos = Peek().pos;
      ExpectSymbol(u"(");
      do {
        SelectItem item;
        item.pos = Peek().pos;
        item.expr = ParseExpr();
        row.items.push_back(std::move(item));
      } while (AcceptSymbol(u","));
      ExpectSymbol(u")");
      if (!select->cores.empty()) {
        if (row.items.size() != select->cores.front().items.size()) {
          RaiseStatementError(row.pos,
                              u"The number of columns for each row in a table value "
                              u"constructor must be the same.");
        }
        select->ops.push_back(SetOp::kUnionAll);
      }
      select->cores.push_back(std::move(row));
    } while (AcceptSymbol(u","));
    return select;
  }

  // alias (a, b, ...) after a derived table: the names of its query's columns.
  void NameDerivedColumns(TableRef& ref) {
    std::vector<std::u16string> names;
    Take();  // (
    do {
      names.push_back(ExpectName(u"expected a column name"));
    } while (AcceptSymbol(u","));
    ExpectSymbol(u")");
    for (SelectCore& core : ref.select->cores) {
      if (std::any_of(core.items.begin(), core.items.end(),
                      [](const SelectItem& item) { return item.star; })) {
        UnsupportedAt(ref.pos, u"A column list for a derived table that selects *");
      }
      if (core.items.size() != names.size()) {
        RaiseStatementError(ref.pos, u"'" + ref.alias + u"' has " +
                                         (core.items.size() > names.size() ? u"more" : u"fewer") +
                                         u" columns than were specified in the column list.");
      }
      for (std::size_t i = 0; i < names.size(); ++i) {
        core.items[i].alias = names[i];
        core.items[i].has_alias = true;
      }
    }
  }

  void ParseTableAlias(TableRef& ref) {
    if ((AtKeyword(u"PIVOT") || AtKeyword(u"UNPIVOT")) && AtSymbol(u"(", 1)) return;
    if (AcceptKeyword(u"AS")) {
      ref.alias = ExpectName(u"expected an alias after AS");
      ref.has_alias = true;
    } else if (AtName()) {
      ref.alias = Take().text;
      ref.has_alias = true;
    }
  }

  // UNPIVOT (...) after a table-valued function: its word is no reserved one.
  void RefusePivot() const {
    if (AtKeyword(u"UNPIVOT") && AtSymbol(u"(", 1)) Unsupported(u"UNPIVOT of a table function");
  }

  // WITH (NOLOCK) and the like change locking on SQL Server only; SQLite readers never block.
  void SkipTableHints() {
    Take();  // WITH
    Take();  // (
    do {
      if (!AtName()) Fail(u"expected a table hint");
      Take();
    } while (AcceptSymbol(u","));
    ExpectSymbol(u")");
  }

  ObjectName ParseObjectName() {
    ObjectName name;
    name.pos = Peek().pos;
    if (!AtName()) Fail(u"expected a table name");
    name.parts.push_back(Take().text);
    while (AtSymbol(u".")) {
      Take();
      if (AtSymbol(u".")) {
        name.parts.emplace_back();
        continue;
      }
      if (!AtName()) Fail(u"expected a name after '.'");
      name.parts.push_back(Take().text);
    }
    if (name.parts.size() > 4 || name.parts.back().empty()) {
      RaiseSyntaxError(text_, name.pos, u"the object name is malformed");
    }
    return name;
  }

  // ---- INSERT, UPDATE, DELETE ----
  InsertStmt ParseInsert() {
    Take();  // INSERT
    AcceptKeyword(u"INTO");
    InsertStmt insert;
    insert.table = ParseTableName();
    if (AtKeyword(u"WITH") && AtSymbol(u"(", 1)) SkipTableHints();
    if (AcceptSymbol(u"(")) {
      do {
        insert.columns.push_back(ExpectName(u"expected a column name"));
      } while (AcceptSymbol(u","));
      ExpectSymbol(u")");
    }
    if (AtKeyword(u"OUTPUT")) ParseOutput(insert.output, insert.output_into);
    if (AcceptKeyword(u"VALUES")) {
      do {
        ExpectSymbol(u"(");
        std::vector<ExprPtr> row;
        do {
          row.push_back(ParseExpr());
        } while (AcceptSymbol(u","));
        ExpectSymbol(u")");
        insert.rows.push_back(std::move(row));
      } while (AcceptSymbol(u","));
    } else if (AtKeyword(u"SELECT")) {
      insert.select = ParseSelect(false, true);
      insert.with.max_recursion = insert.select->max_recursion;
    } else if (AtKeyword(u"DEFAULT")) {
      Take();
      ExpectKeyword(u"VALUES");
      insert.default_values = true;
    } else if (AtKeyword(u"EXEC") || AtKeyword(u"EXECUTE")) {
      Unsupported(u"INSERT ... EXEC");
    } else {
      Fail(u"expected VALUES or SELECT");
    }
    return insert;
  }

  // OUTPUT item, ... [INTO table [(column, ...)] [OUTPUT item, ...]]: the rows without INTO are
  // returned to the caller.
  void ParseOutput(OutputList& output, std::optional<OutputInto>& into) {
    OutputList items = ParseOutputItems();
    if (!AcceptKeyword(u"INTO")) {
      output = std::move(items);
      return;
    }
    into.emplace();
    into->items = std::move(items);
    into->table = ParseTableName();
    if (AtSymbol(u"(") && !AtKeyword(u"SELECT", 1)) {
      Take();
      do {
        into->columns.push_back(ExpectName(u"expected a column name"));
      } while (AcceptSymbol(u","));
      ExpectSymbol(u")");
    }
    if (AtKeyword(u"OUTPUT")) {
      output = ParseOutputItems();
      if (AtKeyword(u"INTO")) Fail(u"only one OUTPUT clause may have INTO");
    }
  }

  OutputList ParseOutputItems() {
    Take();  // OUTPUT
    OutputList items;
    do {
      items.push_back(ParseSelectItem());
      if (items.back().target) Fail(u"a variable cannot be set in OUTPUT");
    } while (AcceptSymbol(u","));
    return items;
  }

  // SET column = value, ... of UPDATE and of MERGE's update (a column may be qualified).
  std::vector<std::pair<std::u16string, ExprPtr>> ParseSetList(std::u16string_view variable_set) {
    ExpectKeyword(u"SET");
    std::vector<std::pair<std::u16string, ExprPtr>> sets;
    do {
      if (Peek().kind == TokenKind::kVariable) Unsupported(variable_set);
      std::u16string column = ExpectName(u"expected a column name");
      while (AcceptSymbol(u"."))
        column = ExpectName(u"expected a column name");
      ExpectSymbol(u"=");
      sets.emplace_back(std::move(column), ParseExpr());
    } while (AcceptSymbol(u","));
    return sets;
  }

  UpdateStmt ParseUpdate() {
    Take();  // UPDATE
    if (AtKeyword(u"TOP")) Unsupported(u"UPDATE TOP");
    UpdateStmt update;
    update.table = ParseTableName();
    if (AtKeyword(u"WITH") && AtSymbol(u"(", 1)) SkipTableHints();
    update.sets = ParseSetList(u"SET @variable in UPDATE");
    if (AtKeyword(u"OUTPUT")) ParseOutput(update.output, update.output_into);
    if (AcceptKeyword(u"FROM")) update.from = ParseFromList();
    if (AcceptKeyword(u"WHERE")) {
      if (AtKeyword(u"CURRENT")) Unsupported(u"WHERE CURRENT OF");
      update.where = ParseExpr();
    }
    if (AtKeyword(u"OPTION")) update.with.max_recursion = ParseMaxRecursion();
    return update;
  }

  DeleteStmt ParseDelete() {
    Take();  // DELETE
    if (AtKeyword(u"TOP")) Unsupported(u"DELETE TOP");
    AcceptKeyword(u"FROM");
    DeleteStmt del;
    del.table = ParseTableName();
    if (AtKeyword(u"WITH") && AtSymbol(u"(", 1)) SkipTableHints();
    if (AtKeyword(u"OUTPUT")) ParseOutput(del.output, del.output_into);
    if (AcceptKeyword(u"FROM")) del.from = ParseFromList();
    if (AcceptKeyword(u"WHERE")) {
      if (AtKeyword(u"CURRENT")) Unsupported(u"WHERE CURRENT OF");
      del.where = ParseExpr();
    }
    if (AtKeyword(u"OPTION")) del.with.max_recursion = ParseMaxRecursion();
    return del;
  }

  // MERGE [INTO] target [[AS] alias] USING source ON condition WHEN ... THEN ... ;
  MergeStmt ParseMerge() {
    Take();  // MERGE
    MergeStmt merge;
    if (AcceptKeyword(u"TOP")) {
      ExpectSymbol(u"(");
      merge.top = ParseExpr();
      ExpectSymbol(u")");
      if (AtKeyword(u"PERCENT")) Unsupported(u"MERGE TOP ... PERCENT");
    }
    AcceptKeyword(u"INTO");
    merge.target = ParseObjectName();
    if (AtKeyword(u"WITH") && AtSymbol(u"(", 1)) SkipTableHints();
    if (AcceptKeyword(u"AS")) {
      merge.target_alias = ExpectName(u"expected an alias after AS");
    } else if (AtName() && !AtKeyword(u"USING")) {
      merge.target_alias = Take().text;
    }
    ExpectKeyword(u"USING");
    merge.source = ParseTablePrimary();
    ExpectKeyword(u"ON");
    merge.on = ParseExpr();
    while (AtKeyword(u"WHEN"))
      merge.actions.push_back(ParseMergeAction());
    if (merge.actions.empty()) Fail(u"expected WHEN");
    if (AtKeyword(u"OUTPUT")) ParseOutput(merge.output, merge.output_into);
    if (AtKeyword(u"OPTION")) merge.with.max_recursion = ParseMaxRecursion();
    if (!AtSymbol(u";")) {
      RaiseStatementError(Peek().pos, u"A MERGE statement must be terminated by a semi-colon (;).");
    }
    return merge;
  }

  MergeAction ParseMergeAction() {
    using When = MergeAction::When;
    MergeAction action;
    action.pos = Peek().pos;
    Take();  // WHEN
    if (AcceptKeyword(u"MATCHED")) {
      action.when = When::kMatched;
    } else {
      ExpectKeyword(u"NOT");
      ExpectKeyword(u"MATCHED");
      action.when = When::kNotMatchedByTarget;
      if (AcceptKeyword(u"BY")) {
        if (AcceptKeyword(u"SOURCE")) {
          action.when = When::kNotMatchedBySource;
        } else {
          ExpectKeyword(u"TARGET");
        }
      }
    }
    if (AcceptKeyword(u"AND")) action.condition = ParseExpr();
    ExpectKeyword(u"THEN");
    if (AcceptKeyword(u"UPDATE")) {
      action.kind = MergeAction::Kind::kUpdate;
      action.sets = ParseSetList(u"SET @variable in MERGE");
    } else if (AcceptKeyword(u"DELETE")) {
      action.kind = MergeAction::Kind::kDelete;
    } else {
      ExpectKeyword(u"INSERT");
      action.kind = MergeAction::Kind::kInsert;
      if (AcceptSymbol(u"(")) {
        do {
          action.columns.push_back(ExpectName(u"expected a column name"));
        } while (AcceptSymbol(u","));
        ExpectSymbol(u")");
      }
      if (AcceptKeyword(u"DEFAULT")) {
        ExpectKeyword(u"VALUES");
      } else {
        ExpectKeyword(u"VALUES");
        ExpectSymbol(u"(");
        do {
          action.values.push_back(ParseExpr());
        } while (AcceptSymbol(u","));
        ExpectSymbol(u")");
      }
    }
    const bool inserts = action.kind == MergeAction::Kind::kInsert;
    if (inserts != (action.when == When::kNotMatchedByTarget)) {
      const std::u16string_view kind = inserts                                     ? u"INSERT"
                                       : action.kind == MergeAction::Kind::kUpdate ? u"UPDATE"
                                                                                   : u"DELETE";
      const std::u16string_view when = action.when == When::kMatched ? u"WHEN MATCHED"
                                       : action.when == When::kNotMatchedBySource
                                           ? u"WHEN NOT MATCHED BY SOURCE"
                                           : u"WHEN NOT MATCHED";
      RaiseStatementError(action.pos, u"An action of type '" + std::u16string(kind) +
                                          u"' is not allowed in the '" + std::u16string(when) +
                                          u"' clause of a MERGE statement.");
    }
    return action;
  }

  // ---- DDL ----
  void ParseCreate(Statement& statement) {
    Take();  // CREATE
    if (AcceptKeyword(u"TABLE")) {
      statement.body = ParseCreateTable();
      return;
    }
    if (AtKeyword(u"OR") && AtKeyword(u"ALTER", 1) && AtKeyword(u"VIEW", 2)) {
      Take();
      Take();
      statement.body = ParseView(statement, CreateViewStmt::Mode::kCreateOrAlter);
      return;
    }
    if (AtKeyword(u"VIEW")) {
      statement.body = ParseView(statement, CreateViewStmt::Mode::kCreate);
      return;
    }
    CreateIndexStmt index;
    if (AcceptKeyword(u"UNIQUE")) index.unique = true;
    if (!AcceptKeyword(u"CLUSTERED")) AcceptKeyword(u"NONCLUSTERED");
    if (!AcceptKeyword(u"INDEX")) {
      if (AtKeyword(u"PROCEDURE") || AtKeyword(u"PROC") || AtKeyword(u"FUNCTION") ||
          AtKeyword(u"TRIGGER") || AtKeyword(u"DATABASE") || AtKeyword(u"SCHEMA") ||
          AtKeyword(u"TYPE")) {
        Unsupported(u"CREATE " + Take().text);
      }
      Fail(u"expected TABLE or INDEX after CREATE");
    }
    index.name = ExpectName(u"expected an index name");
    ExpectKeyword(u"ON");
    index.table = ParseObjectName();
    index.columns = ParseKeyColumns();
    if (AtKeyword(u"INCLUDE")) Unsupported(u"INCLUDE columns of an index");
    if (AtKeyword(u"WHERE")) Unsupported(u"A filtered index");
    SkipStorageOptions();
    statement.body = std::move(index);
  }

  // VIEW name [(columns)] [WITH SCHEMABINDING | ENCRYPTION | VIEW_METADATA] AS query
  // [WITH CHECK OPTION]: the batch's first statement and its only one, as SQL Server requires.
  CreateViewStmt ParseView(const Statement& statement, CreateViewStmt::Mode mode) {
    const std::u16string_view verb = mode == CreateViewStmt::Mode::kAlter ? u"ALTER" : u"CREATE";
    if (statement.first_token != first_statement_token_) {
      RaiseStatementError(statement.pos, u"'" + std::u16string(verb) +
                                             u" VIEW' must be the first statement in a query "
                                             u"batch.");
    }
    Take();  // VIEW
    CreateViewStmt view;
    view.mode = mode;
    view.view = ParseObjectName();
    if (AcceptSymbol(u"(")) {
      do {
        view.columns.push_back(ExpectName(u"expected a column name"));
      } while (AcceptSymbol(u","));
      ExpectSymbol(u")");
    }
    if (AcceptKeyword(u"WITH")) {
      // They change who may read the view and how its definition is kept, not its rows.
      do {
        if (!AcceptKeyword(u"SCHEMABINDING") && !AcceptKeyword(u"ENCRYPTION") &&
            !AcceptKeyword(u"VIEW_METADATA")) {
          Fail(u"expected SCHEMABINDING, ENCRYPTION or VIEW_METADATA");
        }
      } while (AcceptSymbol(u","));
    }
    ExpectKeyword(u"AS");
    std::vector<CommonTable> tables;
    if (AtKeyword(u"WITH")) tables = ParseCommonTables();
    if (!AtKeyword(u"SELECT")) Fail(u"expected the query of the view");
    view.select = ParseSelect(false);
    view.select->with = std::move(tables);
    if (AtKeyword(u"WITH") && AtKeyword(u"CHECK", 1)) {
      Take();
      Take();
      ExpectKeyword(u"OPTION");
      view.check_option = true;
    }
    while (AcceptSymbol(u";")) {
    }
    if (Peek().kind != TokenKind::kEnd) Fail(u"the view's query must end the batch");
    return view;
  }

  std::vector<std::pair<std::u16string, bool>> ParseKeyColumns() {
    std::vector<std::pair<std::u16string, bool>> columns;
    ExpectSymbol(u"(");
    do {
      std::u16string name = ExpectName(u"expected a column name");
      bool descending = false;
      if (AcceptKeyword(u"DESC")) {
        descending = true;
      } else {
        AcceptKeyword(u"ASC");
      }
      columns.emplace_back(std::move(name), descending);
    } while (AcceptSymbol(u","));
    ExpectSymbol(u")");
    return columns;
  }

  // WITH (FILLFACTOR = 90), ON [PRIMARY], TEXTIMAGE_ON [PRIMARY]: physical storage of SQL Server.
  void SkipStorageOptions() {
    for (;;) {
      if (AtKeyword(u"WITH") && AtSymbol(u"(", 1)) {
        Take();
        Take();
        int depth = 1;
        while (depth > 0) {
          if (Peek().kind == TokenKind::kEnd) Fail(u"expected ')'");
          if (AtSymbol(u"(")) ++depth;
          if (AtSymbol(u")")) --depth;
          Take();
        }
      } else if ((AtKeyword(u"ON") || AtKeyword(u"TEXTIMAGE_ON")) &&
                 (Peek(1).kind == TokenKind::kQuotedName || Peek(1).kind == TokenKind::kWord)) {
        Take();
        Take();
      } else {
        return;
      }
    }
  }

  CreateTableStmt ParseCreateTable() {
    CreateTableStmt create;
    create.table = ParseObjectName();
    ParseTableBody(create);
    return create;
  }

  // The columns and constraints of CREATE TABLE and DECLARE ... TABLE.
  void ParseTableBody(CreateTableStmt& create) {
    ExpectSymbol(u"(");
    do {
      if (AtKeyword(u"CONSTRAINT") || AtKeyword(u"PRIMARY") || AtKeyword(u"UNIQUE") ||
          AtKeyword(u"FOREIGN") || AtKeyword(u"CHECK")) {
        create.constraints.push_back(ParseTableConstraint());
      } else {
        create.columns.push_back(ParseColumnDef());
      }
      // SQL Server takes a comma before the closing parenthesis.
    } while (AcceptSymbol(u",") && !AtSymbol(u")"));
    ExpectSymbol(u")");
    SkipStorageOptions();
  }

  TableConstraint ParseTableConstraint() {
    TableConstraint constraint;
    constraint.pos = Peek().pos;
    if (AcceptKeyword(u"CONSTRAINT")) constraint.name = ExpectName(u"expected a constraint name");
    if (AcceptKeyword(u"PRIMARY")) {
      ExpectKeyword(u"KEY");
      constraint.kind = TableConstraint::Kind::kPrimaryKey;
    } else if (AcceptKeyword(u"UNIQUE")) {
      constraint.kind = TableConstraint::Kind::kUnique;
    } else if (AcceptKeyword(u"FOREIGN")) {
      ExpectKeyword(u"KEY");
      constraint.kind = TableConstraint::Kind::kForeignKey;
    } else if (AcceptKeyword(u"CHECK")) {
      constraint.kind = TableConstraint::Kind::kCheck;
      ExpectSymbol(u"(");
      constraint.check = ParseExpr();
      ExpectSymbol(u")");
      return constraint;
    } else {
      Fail(u"expected PRIMARY KEY, UNIQUE, FOREIGN KEY or CHECK");
    }
    if (!AcceptKeyword(u"CLUSTERED")) AcceptKeyword(u"NONCLUSTERED");
    for (auto& [name, descending] : ParseKeyColumns())
      constraint.columns.push_back(name);
    if (constraint.kind == TableConstraint::Kind::kForeignKey) {
      ExpectKeyword(u"REFERENCES");
      constraint.references = ParseObjectName();
      if (AtSymbol(u"(")) {
        for (auto& [name, descending] : ParseKeyColumns()) {
          constraint.references_columns.push_back(name);
        }
      }
      SkipReferentialActions();
    }
    SkipStorageOptions();
    return constraint;
  }

  void SkipReferentialActions() {
    while (AtKeyword(u"ON") && (AtKeyword(u"DELETE", 1) || AtKeyword(u"UPDATE", 1))) {
      Unsupported(u"ON DELETE / ON UPDATE actions");
    }
  }

  ColumnDef ParseColumnDef() {
    ColumnDef column;
    column.pos = Peek().pos;
    column.name = ExpectName(u"expected a column name");
    if (AtKeyword(u"AS")) Unsupported(u"A computed column");
    column.type = ParseTypeName();
    for (;;) {
      if (AcceptKeyword(u"IDENTITY")) {
        column.identity = true;
        if (AcceptSymbol(u"(")) {
          column.identity_seed = ParseIdentitySeedAndIncrement();
          ExpectSymbol(u")");
        }
      } else if (AtKeyword(u"NOT") && AtKeyword(u"NULL", 1)) {
        Take();
        Take();
        column.not_null = true;
      } else if (AcceptKeyword(u"NULL")) {
        column.not_null = false;
      } else if (AtKeyword(u"CONSTRAINT")) {
        Take();
        ExpectName(u"expected a constraint name");
      } else if (AcceptKeyword(u"DEFAULT")) {
        column.default_value = ParseExpr();
      } else if (AcceptKeyword(u"PRIMARY")) {
        ExpectKeyword(u"KEY");
        if (!AcceptKeyword(u"CLUSTERED")) AcceptKeyword(u"NONCLUSTERED");
        column.primary_key = true;
      } else if (AcceptKeyword(u"UNIQUE")) {
        if (!AcceptKeyword(u"CLUSTERED")) AcceptKeyword(u"NONCLUSTERED");
        column.unique = true;
      } else if (AcceptKeyword(u"REFERENCES")) {
        column.references = ParseObjectName();
        if (AtSymbol(u"(")) {
          for (auto& [name, descending] : ParseKeyColumns()) {
            column.references_columns.push_back(name);
          }
        }
        SkipReferentialActions();
      } else if (AcceptKeyword(u"CHECK")) {
        ExpectSymbol(u"(");
        column.check = ParseExpr();
        ExpectSymbol(u")");
      } else if (AcceptKeyword(u"COLLATE")) {
        ExpectName(u"expected a collation name");
      } else if (AcceptKeyword(u"ROWGUIDCOL")) {
      } else {
        return column;
      }
    }
  }

  std::int64_t ParseSignedInteger() {
    const bool negative = AcceptSymbol(u"-");
    if (Peek().kind != TokenKind::kNumber) Fail(u"expected a whole number");
    const std::u16string& digits = Take().text;
    std::int64_t value = 0;
    for (char16_t c : digits) {
      if (c < u'0' || c > u'9' || value > 100000000000000000) Fail(u"expected a whole number");
      value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
  }

  TypeName ParseTypeName() {
    TypeName type;
    type.pos = Peek().pos;
    if (Peek().kind != TokenKind::kWord && Peek().kind != TokenKind::kQuotedName) {
      Fail(u"expected a data type");
    }
    std::u16string name = Take().text;
    // The system types live in the schema sys: sys.int is int. A type of any other schema is
    // one the user defined.
    if (AtSymbol(u".")) {
      if (LowerAscii(name) != u"sys") Unsupported(u"A user-defined data type");
      Take();
      if (Peek().kind != TokenKind::kWord && Peek().kind != TokenKind::kQuotedName) {
        Fail(u"expected a data type after sys.");
      }
      name = Take().text;
    }
    type.name = LowerAscii(name);
    if (type.name == u"double" && AcceptKeyword(u"PRECISION")) type.name = u"float";
    if (AcceptSymbol(u"(")) {
      do {
        if (AcceptKeyword(u"MAX")) {
          type.max = true;
        } else {
          const std::int64_t value = ParseSignedInteger();
          if (value < 0 || value > 2147483647) Fail(u"the type's size is out of range");
          type.args.push_back(static_cast<int>(value));
        }
      } while (AcceptSymbol(u","));
      ExpectSymbol(u")");
    }
    return type;
  }

  // [IF EXISTS] name, ...: the objects a DROP names; whether IF EXISTS was written.
  bool ParseDropList(std::vector<ObjectName>& names) {
    const bool if_exists = AtKeyword(u"IF") && AtKeyword(u"EXISTS", 1);
    if (if_exists) {
      Take();
      Take();
    }
    do {
      names.push_back(ParseObjectName());
    } while (AcceptSymbol(u","));
    return if_exists;
  }

  void ParseDrop(Statement& statement) {
    Take();  // DROP
    if (AcceptKeyword(u"TABLE")) {
      DropTableStmt drop;
      drop.if_exists = ParseDropList(drop.tables);
      statement.body = std::move(drop);
      return;
    }
    if (AcceptKeyword(u"VIEW")) {
      DropViewStmt drop;
      drop.if_exists = ParseDropList(drop.views);
      statement.body = std::move(drop);
      return;
    }
    if (AcceptKeyword(u"INDEX")) {
      DropIndexStmt drop;
      do {
        ObjectName first = ParseObjectName();
        if (AcceptKeyword(u"ON")) {
          if (first.parts.size() != 1) Fail(u"expected an index name");
          drop.indexes.emplace_back(ParseObjectName(), first.parts[0]);
        } else {
          if (first.parts.size() < 2) Fail(u"DROP INDEX needs table.index or index ON table");
          std::u16string index = first.parts.back();
          first.parts.pop_back();
          drop.indexes.emplace_back(std::move(first), std::move(index));
        }
      } while (AcceptSymbol(u","));
      statement.body = std::move(drop);
      return;
    }
    if (Peek().kind == TokenKind::kWord) Unsupported(u"DROP " + Peek().text);
    Fail(u"expected TABLE or INDEX after DROP");
  }

  void ParseAlter(Statement& statement) {
    Take();  // ALTER
    if (AtKeyword(u"VIEW")) {
      statement.body = ParseView(statement, CreateViewStmt::Mode::kAlter);
      return;
    }
    if (!AcceptKeyword(u"TABLE")) {
      if (Peek().kind == TokenKind::kWord) Unsupported(u"ALTER " + Peek().text);
      Fail(u"expected TABLE after ALTER");
    }
    ObjectName table = ParseObjectName();
    if (AcceptKeyword(u"ALTER")) {
      ExpectKeyword(u"COLUMN");
      AlterColumnStmt alter;
      alter.table = std::move(table);
      alter.column = ExpectName(u"expected a column name");
      alter.type = ParseTypeName();
      if (AcceptKeyword(u"COLLATE")) ExpectName(u"expected a collation name");
      if (AtKeyword(u"NOT") && AtKeyword(u"NULL", 1)) {
        Take();
        Take();
        alter.not_null = true;
      } else {
        AcceptKeyword(u"NULL");
      }
      statement.body = std::move(alter);
      return;
    }
    if (AcceptKeyword(u"ADD")) {
      if (AtKeyword(u"CONSTRAINT") || AtKeyword(u"PRIMARY") || AtKeyword(u"UNIQUE") ||
          AtKeyword(u"FOREIGN") || AtKeyword(u"CHECK")) {
        Unsupported(u"ALTER TABLE ... ADD CONSTRAINT");
      }
      AddColumnsStmt add;
      add.table = std::move(table);
      do {
        add.columns.push_back(ParseColumnDef());
      } while (AcceptSymbol(u","));
      statement.body = std::move(add);
      return;
    }
    if (Peek().kind == TokenKind::kWord) Unsupported(u"ALTER TABLE ... " + Peek().text);
    Fail(u"expected ALTER COLUMN or ADD");
  }

  // ---- expressions ----
  ExprPtr MakeExpr(ExprKind kind, SourcePos pos) {
    auto expr = std::make_unique<Expr>();
    expr->kind = kind;
    expr->pos = pos;
    return expr;
  }

  // A chain of operators makes a tree as deep as it is long, and later stages walk trees
  // recursively: the operators of a batch are bounded as its nesting is.
  ExprPtr MakeBinary(std::u16string op, ExprPtr left, ExprPtr right, SourcePos pos) {
    if (++operator_count_ > kMaxOperators) {
      RaiseSyntaxError(text_, pos, u"the batch has too many operators");
    }
    ExprPtr expr = MakeExpr(ExprKind::kBinaryOp, pos);
    expr->text = std::move(op);
    expr->args.push_back(std::move(left));
    expr->args.push_back(std::move(right));
    return expr;
  }

  ExprPtr ParseExpr() {
    DepthGuard guard(*this);
    return ParseOr();
  }

  ExprPtr ParseOr() {
    ExprPtr left = ParseAnd();
    while (AtKeyword(u"OR")) {
      const SourcePos pos = Take().pos;
      left = MakeBinary(u"OR", std::move(left), ParseAnd(), pos);
    }
    return left;
  }

  ExprPtr ParseAnd() {
    ExprPtr left = ParseNot();
    while (AtKeyword(u"AND")) {
      const SourcePos pos = Take().pos;
      left = MakeBinary(u"AND", std::move(left), ParseNot(), pos);
    }
    return left;
  }

  ExprPtr ParseNot() {
    if (AtKeyword(u"NOT")) {
      DepthGuard guard(*this);
      const SourcePos pos = Take().pos;
      ExprPtr expr = MakeExpr(ExprKind::kUnary, pos);
      expr->text = u"NOT";
      expr->args.push_back(ParseNot());
      return expr;
    }
    return ParsePredicate();
  }

  static bool IsComparison(const Token& token) {
    if (token.kind != TokenKind::kSymbol) return false;
    const std::u16string& t = token.text;
    return t == u"=" || t == u"<>" || t == u"!=" || t == u"<" || t == u"<=" || t == u">" ||
           t == u">=" || t == u"!<" || t == u"!>";
  }

  ExprPtr ParsePredicate() {
    ExprPtr left = ParseAdditive();
    if (IsComparison(Peek())) {
      const Token& op = Take();
      if (AtKeyword(u"ALL") || AtKeyword(u"ANY") || AtKeyword(u"SOME")) {
        Unsupported(u"ALL / ANY / SOME comparisons");
      }
      return MakeBinary(op.text, std::move(left), ParseAdditive(), op.pos);
    }
    const SourcePos pos = Peek().pos;
    bool negated = false;
    if (AtKeyword(u"NOT") &&
        (AtKeyword(u"BETWEEN", 1) || AtKeyword(u"IN", 1) || AtKeyword(u"LIKE", 1))) {
      Take();
      negated = true;
    }
    if (AcceptKeyword(u"BETWEEN")) {
      ExprPtr expr = MakeExpr(ExprKind::kBetween, pos);
      expr->negated = negated;
      expr->args.push_back(std::move(left));
      expr->args.push_back(ParseAdditive());
      ExpectKeyword(u"AND");
      expr->args.push_back(ParseAdditive());
      return expr;
    }
    if (AcceptKeyword(u"IN")) {
      ExprPtr expr = MakeExpr(ExprKind::kIn, pos);
      expr->negated = negated;
      expr->args.push_back(std::move(left));
      ExpectSymbol(u"(");
      if (AtKeyword(u"SELECT")) {
        expr->select = ParseSelect(false);
      } else {
        do {
          expr->args.push_back(ParseExpr());
        } while (AcceptSymbol(u","));
      }
      ExpectSymbol(u")");
      return expr;
    }
    if (AcceptKeyword(u"LIKE")) {
      ExprPtr expr = MakeExpr(ExprKind::kLike, pos);
      expr->negated = negated;
      expr->args.push_back(std::move(left));
      expr->args.push_back(ParseAdditive());
      if (AcceptKeyword(u"ESCAPE")) expr->args.push_back(ParseAdditive());
      return expr;
    }
    if (AtKeyword(u"IS")) {
      Take();
      ExprPtr expr = MakeExpr(ExprKind::kIsNull, pos);
      expr->negated = AcceptKeyword(u"NOT");
      ExpectKeyword(u"NULL");
      expr->args.push_back(std::move(left));
      return expr;
    }
    return left;
  }

  ExprPtr ParseAdditive() {
    ExprPtr left = ParseMultiplicative();
    while (AtSymbol(u"+") || AtSymbol(u"-") || AtSymbol(u"&") || AtSymbol(u"|") || AtSymbol(u"^")) {
      const Token& op = Take();
      left = MakeBinary(op.text, std::move(left), ParseMultiplicative(), op.pos);
    }
    return left;
  }

  ExprPtr ParseMultiplicative() {
    ExprPtr left = ParseUnary();
    while (AtSymbol(u"*") || AtSymbol(u"/") || AtSymbol(u"%")) {
      const Token& op = Take();
      left = MakeBinary(op.text, std::move(left), ParseUnary(), op.pos);
    }
    return left;
  }

  ExprPtr ParseUnary() {
    if (AtSymbol(u"-") || AtSymbol(u"+") || AtSymbol(u"~")) {
      DepthGuard guard(*this);
      const Token& op = Take();
      ExprPtr expr = MakeExpr(ExprKind::kUnary, op.pos);
      expr->text = op.text;
      expr->args.push_back(ParseUnary());
      return expr;
    }
    return ParseAtTimeZone(ParsePrimary());
  }

  // value AT TIME ZONE zone [AT TIME ZONE ...]: a call of the function "AT TIME ZONE".
  ExprPtr ParseAtTimeZone(ExprPtr value) {
    while (AtKeyword(u"AT") && AtKeyword(u"TIME", 1) && AtKeyword(u"ZONE", 2)) {
      ExprPtr call = MakeExpr(ExprKind::kFunction, Take().pos);
      Take();
      Take();
      call->text = u"AT TIME ZONE";
      call->args.push_back(std::move(value));
      call->args.push_back(ParsePrimary());
      value = std::move(call);
    }
    return value;
  }

  ExprPtr ParsePrimary() {
    const Token& token = Peek();
    const SourcePos pos = token.pos;
    switch (token.kind) {
      case TokenKind::kNumber: {
        ExprPtr expr = MakeExpr(ExprKind::kNumber, pos);
        expr->literal = literal_ordinals_[next_];
        expr->text = Take().text;
        return expr;
      }
      case TokenKind::kString: {
        ExprPtr expr = MakeExpr(ExprKind::kString, pos);
        expr->national = token.national;
        expr->literal = literal_ordinals_[next_];
        expr->text = Take().text;
        return expr;
      }
      case TokenKind::kBinary: {
        ExprPtr expr = MakeExpr(ExprKind::kBinary, pos);
        expr->text = Take().text;
        return expr;
      }
      case TokenKind::kMarker: {
        Take();
        ExprPtr expr = MakeExpr(ExprKind::kMarker, pos);
        expr->index = marker_count_++;
        return expr;
      }
      case TokenKind::kVariable:
        return ParseVariable();
      case TokenKind::kSymbol:
        if (AcceptSymbol(u"(")) {
          if (AtKeyword(u"SELECT")) {
            ExprPtr expr = MakeExpr(ExprKind::kSubquery, pos);
            expr->select = ParseSelect(false);
            ExpectSymbol(u")");
            if (expr->select->xml_type && AtSymbol(u".")) return ParseXmlValue(std::move(expr));
            return expr;
          }
          ExprPtr inner = ParseExpr();
          ExpectSymbol(u")");
          inner->parenthesized = true;
          return inner;
        }
        Fail(u"expected an expression");
      case TokenKind::kQuotedName:
        return ParseNameOrCall();
      case TokenKind::kWord:
        break;
      case TokenKind::kEnd:
        Fail(u"expected an expression");
    }
    if (AcceptKeyword(u"NULL")) return MakeExpr(ExprKind::kNull, pos);
    if (AtKeyword(u"CASE")) return ParseCase();
    if (AtKeyword(u"CAST") && AtSymbol(u"(", 1)) return ParseCast();
    if (AtKeyword(u"CONVERT") && AtSymbol(u"(", 1)) return ParseConvert();
    // TRY_CAST and TRY_CONVERT give NULL where CAST and CONVERT would fail on the value.
    if (AtKeyword(u"TRY_CAST") && AtSymbol(u"(", 1)) return MakeTry(ParseCast());
    if (AtKeyword(u"TRY_CONVERT") && AtSymbol(u"(", 1)) return MakeTry(ParseConvert());
    if ((AtKeyword(u"PARSE") || AtKeyword(u"TRY_PARSE")) && AtSymbol(u"(", 1)) return ParseParse();
    if (AtKeyword(u"EXISTS")) {
      Take();
      ExprPtr expr = MakeExpr(ExprKind::kExists, pos);
      ExpectSymbol(u"(");
      if (!AtKeyword(u"SELECT")) Fail(u"EXISTS needs a SELECT");
      expr->select = ParseSelect(false);
      ExpectSymbol(u")");
      return expr;
    }
    if (AtKeyword(u"CURRENT_TIMESTAMP")) {
      Take();
      ExprPtr expr = MakeExpr(ExprKind::kFunction, pos);
      expr->text = u"getdate";
      return expr;
    }
    // LEFT and RIGHT are join words and functions.
    if ((AtKeyword(u"LEFT") || AtKeyword(u"RIGHT")) && AtSymbol(u"(", 1)) return ParseCall();
    if (AtKeyword(u"IDENTITY") && AtSymbol(u"(", 1)) return ParseIdentityFunction();
    if (IsReserved(token.text)) Fail(u"expected an expression");
    return ParseNameOrCall();
  }

  ExprPtr ParseNameOrCall() {
    if (AtSymbol(u"(", 1)) return ParseCall();
    ExprPtr expr = MakeExpr(ExprKind::kColumn, Peek().pos);
    expr->names.push_back(Take().text);
    while (AtSymbol(u".")) {
      Take();
      if (AtSymbol(u".")) {
        expr->names.emplace_back();
        continue;
      }
      if (!AtName()) Fail(u"expected a column name after '.'");
      if (AtSymbol(u"(", 1)) Unsupported(u"A user-defined function");
      expr->names.push_back(Take().text);
    }
    if (expr->names.size() > 4 || expr->names.back().empty()) {
      RaiseSyntaxError(text_, expr->pos, u"the column name is malformed");
    }
    return expr;
  }

  ExprPtr ParseCall() {
    ExprPtr expr = MakeExpr(ExprKind::kFunction, Peek().pos);
    expr->text = Take().text;
    ExpectSymbol(u"(");
    if (AcceptSymbol(u")")) {
      if (AtKeyword(u"OVER")) expr->over = ParseWindow();
      return expr;
    }
    if (AtSymbol(u"*") && AtSymbol(u")", 1)) {
      Take();
      Take();
      expr->star = true;
    } else {
      if (AcceptKeyword(u"DISTINCT")) {
        expr->distinct = true;
      } else {
        AcceptKeyword(u"ALL");
      }
      do {
        expr->args.push_back(ParseExpr());
      } while (AcceptSymbol(u","));
      // TRIM(characters FROM text): the text first, as the other functions have it.
      if (expr->args.size() == 1 && IsKeyword(expr->text, u"TRIM") && AcceptKeyword(u"FROM")) {
        expr->args.insert(expr->args.begin(), ParseExpr());
      }
      ExpectSymbol(u")");
    }
    if (AtKeyword(u"WITHIN")) {
      Take();
      ExpectKeyword(u"GROUP");
      expr->within_group = std::make_unique<Window>();
      expr->within_group->pos = Peek().pos;
      ExpectSymbol(u"(");
      if (!AtKeyword(u"ORDER")) Fail(u"expected ORDER BY");
      expr->within_group->order_by = ParseOrderBy();
      ExpectSymbol(u")");
    }
    if (AtKeyword(u"OVER")) expr->over = ParseWindow();
    return expr;
  }

  // OVER ([PARTITION BY e, ...] [ORDER BY e [ASC | DESC], ...] [ROWS | RANGE frame]).
  std::unique_ptr<Window> ParseWindow() {
    auto window = std::make_unique<Window>();
    window->pos = Take().pos;  // OVER
    if (AtName()) Unsupported(u"A named window");
    ExpectSymbol(u"(");
    if (AcceptKeyword(u"PARTITION")) {
      ExpectKeyword(u"BY");
      do {
        window->partition_by.push_back(ParseExpr());
      } while (AcceptSymbol(u","));
    }
    if (AtKeyword(u"ORDER")) window->order_by = ParseOrderBy();
    if (AtKeyword(u"ROWS") || AtKeyword(u"RANGE")) {
      window->has_frame = true;
      window->range = Take().text.size() == 5;  // RANGE
      if (AcceptKeyword(u"BETWEEN")) {
        window->start = ParseFrameBound();
        ExpectKeyword(u"AND");
        window->end = ParseFrameBound();
      } else {
        window->start = ParseFrameBound();
        if (window->start.kind == FrameBound::Kind::kFollowing ||
            window->start.kind == FrameBound::Kind::kUnboundedFollowing) {
          Fail(u"a frame without BETWEEN starts before or at the current row");
        }
      }
    }
    ExpectSymbol(u")");
    return window;
  }

  FrameBound ParseFrameBound() {
    FrameBound bound;
    using K = FrameBound::Kind;
    if (AcceptKeyword(u"CURRENT")) {
      ExpectKeyword(u"ROW");
      bound.kind = K::kCurrentRow;
      return bound;
    }
    const bool unbounded = AcceptKeyword(u"UNBOUNDED");
    if (!unbounded) {
      if (Peek().kind != TokenKind::kNumber) Fail(u"expected a frame bound");
      bound.rows = ParseSignedInteger();
    }
    const bool preceding = AcceptKeyword(u"PRECEDING");
    if (!preceding) ExpectKeyword(u"FOLLOWING");
    bound.kind = unbounded ? (preceding ? K::kUnboundedPreceding : K::kUnboundedFollowing)
                           : (preceding ? K::kPreceding : K::kFollowing);
    return bound;
  }

  // IDENTITY(type [, seed, increment]): a new identity column of SELECT ... INTO.
  ExprPtr ParseIdentityFunction() {
    ExprPtr expr = MakeExpr(ExprKind::kIdentity, Take().pos);
    ExpectSymbol(u"(");
    expr->type = ParseTypeName();
    expr->number = 1;
    if (AcceptSymbol(u",")) {
      expr->number = ParseIdentitySeedAndIncrement();
    }
    ExpectSymbol(u")");
    return expr;
  }

  // "seed, increment" of an identity; SQLite's keys grow by 1.
  std::int64_t ParseIdentitySeedAndIncrement() {
    const std::int64_t seed = ParseSignedInteger();
    ExpectSymbol(u",");
    const SourcePos pos = Peek().pos;
    if (ParseSignedInteger() != 1) UnsupportedAt(pos, u"An identity increment other than 1");
    return seed;
  }

  ExprPtr ParseCase() {
    ExprPtr expr = MakeExpr(ExprKind::kCase, Take().pos);
    if (!AtKeyword(u"WHEN")) {
      expr->has_operand = true;
      expr->args.push_back(ParseExpr());
    }
    if (!AtKeyword(u"WHEN")) Fail(u"CASE needs WHEN");
    while (AcceptKeyword(u"WHEN")) {
      expr->args.push_back(ParseExpr());
      ExpectKeyword(u"THEN");
      expr->args.push_back(ParseExpr());
    }
    if (AcceptKeyword(u"ELSE")) {
      expr->has_else = true;
      expr->args.push_back(ParseExpr());
    }
    ExpectKeyword(u"END");
    return expr;
  }

  ExprPtr ParseCast() {
    ExprPtr expr = MakeExpr(ExprKind::kConvert, Take().pos);
    ExpectSymbol(u"(");
    expr->args.push_back(ParseExpr());
    ExpectKeyword(u"AS");
    expr->type = ParseTypeName();
    ExpectSymbol(u")");
    return expr;
  }

  // PARSE(text AS type [USING culture]), and TRY_PARSE: a function with the type, its
  // arguments the text and the culture.
  ExprPtr ParseParse() {
    ExprPtr expr = MakeExpr(ExprKind::kFunction, Peek().pos);
    expr->text = Take().text;
    ExpectSymbol(u"(");
    expr->args.push_back(ParseExpr());
    ExpectKeyword(u"AS");
    expr->type = ParseTypeName();
    if (AcceptKeyword(u"USING")) expr->args.push_back(ParseExpr());
    ExpectSymbol(u")");
    return expr;
  }

  static ExprPtr MakeTry(ExprPtr conversion) {
    conversion->lenient = true;
    return conversion;
  }

  ExprPtr ParseConvert() {
    ExprPtr expr = MakeExpr(ExprKind::kConvert, Take().pos);
    ExpectSymbol(u"(");
    expr->type = ParseTypeName();
    ExpectSymbol(u",");
    expr->args.push_back(ParseExpr());
    if (AcceptSymbol(u",")) expr->args.push_back(ParseExpr());
    ExpectSymbol(u")");
    return expr;
  }

  std::u16string_view text_;
  const std::vector<Token>& tokens_;
  std::vector<int> literal_ordinals_;  // by token; -1 for a token that is no literal
  std::size_t next_ = 0;
  std::size_t last_taken_ = 0;
  std::uint32_t last_end_ = 0;
  int marker_count_ = 0;
  std::unordered_map<std::u16string, Variable> variables_;  // by name in lower case
  int depth_ = 0;
  std::size_t first_statement_token_ = 0;  // the first token of the batch's first statement
  int operator_count_ = 0;
  int loop_depth_ = 0;   // WHILE statements around the one being parsed
  int catch_depth_ = 0;  // CATCH blocks around it
  std::unordered_set<std::u16string> table_variables_;  // by name in lower case
};

}  // namespace

ParsedBatch Parse(std::u16string_view batch) {
  return Parse(batch, Tokenize(batch));
}

ParsedBatch Parse(std::u16string_view batch, const std::vector<Token>& tokens) {
  return Parser(batch, tokens).ParseBatch();
}

}  // namespace tsql
