// The control statements that run the batch's statements again or elsewhere (WHILE, BREAK,
// CONTINUE, RETURN, TRY ... CATCH), the statements that speak to the caller (PRINT, THROW,
// RAISERROR), the functions that read the session's state (ERROR_NUMBER(), XACT_STATE(),
// @@DATEFIRST), table variables, sp_executesql and the SET options the session keeps.
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

// A query that yields 1 when the condition holds, else 0.
SqlStatement Generator::Condition(const Expr& condition) {
  SqlStatement test = Begin(StatementKind::kQuery);
  out_ += "SELECT CASE WHEN ";
  Gen(condition);
  out_ += " THEN 1 ELSE 0 END";
  test.sql = std::move(out_);
  test.markers = std::move(markers_);
  test.probes = std::move(probes_);
  out_.clear();
  markers_.clear();
  probes_.clear();
  return test;
}

void Generator::Generate(const WhileStmt& loop, std::vector<Node>& nodes) {
  auto node = std::make_unique<WhileNode>();
  const Statement* outer = current_;
  node->condition = Condition(*loop.condition);
  GenerateStatement(*loop.body, node->body);
  current_ = outer;
  nodes.push_back(Node{std::move(node)});
}

void Generator::Generate(const JumpStmt& jump, std::vector<Node>& nodes) {
  switch (jump.kind) {
    case JumpStmt::Kind::kBreak:
      nodes.push_back(Node{Jump::kBreak});
      return;
    case JumpStmt::Kind::kContinue:
      nodes.push_back(Node{Jump::kContinue});
      return;
    case JumpStmt::Kind::kReturn:
      nodes.push_back(Node{Jump::kReturn});
      return;
  }
}

void Generator::Generate(const TryStmt& block, std::vector<Node>& nodes) {
  auto node = std::make_unique<TryNode>();
  const Statement* outer = current_;
  for (const StatementPtr& statement : block.try_body)
    GenerateStatement(*statement, node->try_nodes);
  for (const StatementPtr& statement : block.catch_body)
    GenerateStatement(*statement, node->catch_nodes);
  current_ = outer;
  nodes.push_back(Node{std::move(node)});
}

// The message as PRINT hands it over: text, as SQL Server converts other types for it.
void Generator::GenMessageText(const Expr& message) {
  if (TypeOf(message).cls == SqlType::Class::kText) {
    Gen(message);
  } else {
    GenAs(message, SqlType::Varchar(4000, true));
  }
}

void Generator::Generate(const PrintStmt& print, std::vector<Node>& nodes) {
  SqlStatement s = Begin(StatementKind::kPrint);
  s.row_count = RowCountEffect::kZero;
  out_ += "SELECT ";
  GenMessageText(*print.message);
  Finish(s, nodes);
}

// THROW: its number, message and state as given, checked as it runs. RAISERROR: the message
// with its arguments put in, the severity and the state.
void Generator::Generate(const RaiseStmt& raise, std::vector<Node>& nodes) {
  SqlStatement s = Begin(StatementKind::kRaise);
  s.row_count = RowCountEffect::kZero;
  if (raise.args.empty()) {
    s.raise_form = RaiseForm::kRethrow;
    Finish(s, nodes);
    return;
  }
  constexpr std::size_t kMaxArguments = 20;
  if (raise.raiserror && raise.args.size() > 3 + kMaxArguments) {
    RaiseStatementError(raise.args[3 + kMaxArguments]->pos,
                        u"Too many substitution parameters for RAISERROR. Cannot exceed 20 "
                        u"substitution parameters.");
  }
  const Expr& message = *raise.args[raise.raiserror ? 0 : 1];
  if (raise.raiserror && TypeOf(message).cls == SqlType::Class::kInteger) {
    RaiseUnsupported(batch_, message.pos, u"RAISERROR with a message number (sys.messages)");
  }
  out_ += "SELECT ";
  if (raise.raiserror) {
    s.raise_form = RaiseForm::kRaiseError;
    out_ += "tsql_format_message(";
    GenMessageText(message);
    for (std::size_t i = 3; i < raise.args.size(); ++i) {
      out_ += ", ";
      Gen(*raise.args[i]);
    }
    out_ += "), ";
  } else {
    s.raise_form = RaiseForm::kThrow;
    Gen(*raise.args[0]);
    out_ += ", ";
    GenMessageText(message);
    out_ += ", ";
  }
  Gen(*raise.args[raise.raiserror ? 1 : 2]);
  if (raise.raiserror) {
    out_ += ", ";
    Gen(*raise.args[2]);
  }
  Finish(s, nodes);
}

// ERROR_NUMBER() and its siblings, and XACT_STATE(): values of the session as the batch runs.
bool Generator::GenSessionFunction(const std::u16string& name, const Expr& expr) {
  static constexpr std::pair<std::u16string_view, SessionValue> kFunctions[] = {
      {u"error_number", SessionValue::kErrorNumber},
      {u"error_severity", SessionValue::kErrorSeverity},
      {u"error_state", SessionValue::kErrorState},
      {u"error_line", SessionValue::kErrorLine},
      {u"error_message", SessionValue::kErrorMessage},
      {u"error_procedure", SessionValue::kErrorProcedure},
      {u"xact_state", SessionValue::kXactState},
  };
  for (const auto& [function, value] : kFunctions) {
    if (name != function) continue;
    ExpectArgs(expr, 0, 0);
    GenSessionValue(value);
    return true;
  }
  // The weekday counts from the session's first day of the week (SET DATEFIRST): from Sunday,
  // as the date functions count it, when that is 7.
  if (name == u"datepart" && expr.args.size() == 2 && expr.args[0]->kind == ExprKind::kColumn &&
      expr.args[0]->names.size() == 1) {
    const std::u16string part = LowerAscii(expr.args[0]->names[0]);
    if (part == u"weekday" || part == u"dw" || part == u"w") {
      out_ += "((";
      GenDateFunction(name, expr);
      out_ += " + 6 - ";
      GenSessionValue(SessionValue::kDateFirst);
      out_ += ") % 7 + 1)";
      return true;
    }
  }
  return false;
}

void Generator::GenSessionValue(SessionValue value) {
  markers_.push_back({BoundMarker::From::kSession, static_cast<int>(value)});
  out_ += '?';
  out_ += std::to_string(markers_.size());
}

void Generator::Generate(const SessionOptionStmt& option, std::vector<Node>& nodes) {
  SqlStatement s = Begin(StatementKind::kSessionOption);
  s.row_count = RowCountEffect::kZero;
  s.option = Utf8(option.option);
  s.option_on = option.on;
  if (option.value) {
    out_ += "SELECT ";
    Gen(*option.value);
  }
  Finish(s, nodes);
}

// The table is made where the batch starts, whatever runs before its DECLARE: SQL Server makes
// a table variable once, even when its DECLARE stands in a loop. Any table of the name left
// by a batch that could not drop it goes first.
void Generator::Generate(const DeclareTableStmt& declare, std::vector<Node>&) {
  const std::string name = Utf8(declare.table.table.Name());
  SqlStatement drop = Begin(StatementKind::kDdl, true);
  out_ = "DROP TABLE IF EXISTS temp.";
  AppendQuotedName(out_, declare.table.table.Name());
  Finish(drop, table_variable_nodes_);
  Generate(declare.table, table_variable_nodes_);
  program_.table_variables.push_back(name);
}

// BEGIN and COMMIT set @@ROWCOUNT to 0; ROLLBACK and SAVE leave it. A name held in a variable
// is read as the statement runs.
void Generator::Generate(const TransactionStmt& transaction, std::vector<Node>& nodes) {
  SqlStatement s = Begin(StatementKind::kTransaction);
  s.transaction = transaction.action;
  s.row_count = transaction.action == TransactionAction::kBegin ||
                        transaction.action == TransactionAction::kCommit
                    ? RowCountEffect::kZero
                    : RowCountEffect::kKept;
  s.transaction_name = transaction.name;
  if (transaction.name_variable) {
    out_ += "SELECT ";
    Gen(*transaction.name_variable);
  }
  Finish(s, nodes);
}

// The batch to run as text, the definitions of its parameters, and the values of the arguments:
// the session translates and runs the batch when it knows them.
void Generator::Generate(const ExecuteStmt& execute, std::vector<Node>& nodes) {
  SqlStatement s = Begin(StatementKind::kExecute);
  s.row_count = RowCountEffect::kKept;
  out_ += "SELECT ";
  GenMessageText(*execute.statement);
  out_ += ", ";
  if (execute.definitions) {
    GenMessageText(*execute.definitions);
  } else {
    out_ += "NULL";
  }
  for (const auto& [name, value] : execute.arguments) {
    out_ += ", ";
    Gen(*value);
    s.argument_names.push_back(name);
  }
  Finish(s, nodes);
}

}  // namespace tsql::generation
