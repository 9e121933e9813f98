// A translated batch: the SQLite statements that carry out a T-SQL batch, with the IF blocks,
// WHILE loops, jumps and TRY blocks that choose between them and repeat them at run time, and
// the hints the provider needs to describe results as SQL Server would (column names, declared
// types of expressions).
//
// Translation is cached by the batch's shape: its tokens with the literals that do not change the
// translation taken out. Those literals become markers of the SQLite text, their values bound at
// run time from the batch that runs, so that a statement written once per bill id is translated
// once, not once per id.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/tsql/schema.h"
#include "platform/tsql/token.h"

namespace tsql {

enum class StatementKind : std::uint8_t {
  kQuery,          // yields rows
  kCommand,        // changes data (UPDATE, DELETE)
  kInsert,         // INSERT: `target` names the table, for @@IDENTITY
  kSelectInto,     // SELECT ... INTO `target`: `sql` is the SELECT alone
  kAlterColumn,    // ALTER TABLE `target` ALTER COLUMN `column` `column_type`
  kDdl,            // changes the schema
  kAssign,         // sets local variables (SET, DECLARE ... =, SELECT @v = ...): run to its end
  kSessionOption,  // SET NOCOUNT, SET IDENTITY_INSERT `target` ON/OFF: no SQLite text
  kPrint,          // PRINT: `sql` yields the message's text
  kRaise,          // THROW, RAISERROR: `sql` yields the error (see RaiseForm); none to rethrow
  kExecute,        // sp_executesql, EXEC (text): `sql` yields the batch to run, its parameters'
                   // definitions and the arguments (`argument_names`)
  kSteps,  // MERGE, a change with OUTPUT: `steps` run in order as one statement, all or nothing
  kTransaction,  // BEGIN, COMMIT, ROLLBACK or SAVE TRANSACTION: no SQLite text; the session
                 // counts the levels and runs what ends them
};

// What the SQLite text of a kRaise statement yields, in one row.
enum class RaiseForm : std::uint8_t {
  kRethrow,    // THROW alone, in a CATCH block: no text; the error caught is raised again
  kThrow,      // THROW number, message, state: those three values
  kRaiseError  // RAISERROR: message (its arguments already put in), severity, state
};

// What a statement leaves in @@ROWCOUNT.
enum class RowCountEffect : std::uint8_t {
  kCounted,  // the rows it changed, returned or read
  kZero,     // 0 (TRUNCATE TABLE, SET options, IF)
  kKept,     // the value before it (a step the provider adds to a statement of the batch)
};

// Whether an INSERT writes the identity column of its table itself.
enum class IdentityValues : std::uint8_t {
  kNoIdentity,  // the table has none, or its columns are unknown
  kGenerated,   // the identity column is left out and numbered by the table
  kExplicit,    // the column list names it
};

// One result column of a query as the T-SQL text describes it. Star items are expanded by the
// engine; the others say their name and, where the expression fixes it, their SQL Server type.
struct ResultHint {
  std::u16string name;  // alias or column name; empty for an unnamed expression
  bool named = false;
  bool star = false;
  std::string type;  // "varchar(255)", "decimal(28,14)", "int"...; empty when only the data tell
};

// The values of the session a kSession marker stands for, by index.
enum class SessionValue : std::uint8_t {
  kErrorNumber,  // ERROR_NUMBER() ... ERROR_PROCEDURE(): of the error the CATCH block handles,
  kErrorSeverity,
  kErrorState,
  kErrorLine,
  kErrorMessage,
  kErrorProcedure,  // NULL outside a CATCH block (and always ERROR_PROCEDURE(): no procedures)
  kXactState,       // XACT_STATE(): 1 in a transaction, -1 in one a failure doomed, else 0
  kDateFirst,       // @@DATEFIRST: the first day of the week, 1 (Monday) to 7 (Sunday)
  kError,           // @@ERROR: the number of the last statement's error, 0 when it ran
  kDateFormat,      // the order SET DATEFORMAT (or SET LANGUAGE) gives ambiguous dates: "mdy", ...
  kLanguage,        // @@LANGUAGE: the session's language, "us_english" or "British"
  kTranCount,       // @@TRANCOUNT: the caller's transaction and the levels batches began
  kCount
};

// What a ?k of a SQLite statement stands for: a ? marker of the batch, bound to the caller's
// value, or a literal of the batch's text, bound to the value the running batch writes there.
struct BoundMarker {
  // kRowCount: @@ROWCOUNT, the rows of the statement before, as the session knows it.
  // kSession: a value of the session's state as the batch runs (the error a CATCH block handles).
  enum class From : std::uint8_t { kParameter, kLiteral, kRowCount, kSession };
  From from = From::kParameter;
  // The batch's marker (from 0), the literal's slot in Binding::literals, or a SessionValue.
  int index = 0;

  friend bool operator==(const BoundMarker&, const BoundMarker&) = default;
};

// The identity column of a table that SELECT ... INTO makes: one that carries on the identity of
// the column it copies (`source` names that column's table, whose seed it takes), or one that
// IDENTITY(type, seed, 1) makes (`source` empty).
struct NewIdentity {
  std::u16string column;
  std::string source;  // as SQLite knows the table, UTF-8
  bool source_temp = false;
  std::int64_t seed = 1;
};

struct SqlStatement {
  StatementKind kind = StatementKind::kCommand;
  std::string sql;                   // SQLite text; markers are ?1..?n of this statement
  std::vector<BoundMarker> markers;  // for ?k, what it stands for
  std::u16string source;             // the T-SQL statement of the batch first translated, for tests
  SourcePos pos;
  int ordinal = 0;  // the statement's number in its program; Binding::spans tells its text
  std::vector<ResultHint> columns;  // kQuery, kSelectInto
  // The table it changes (of an UPDATE or DELETE too), UTF-8, as SQLite knows it (unquoted).
  std::string target;
  bool target_temp = false;  // it changes only a temporary table
  std::string column;        // kAlterColumn
  std::string column_type;   // kAlterColumn: the new type, as SQL Server declares it
  bool column_not_null = false;
  // kAlterColumn: the next statement of the batch sets the column in every row to a value that
  // does not depend on it, so converting the old values is unobservable when it cannot fail.
  bool values_replaced = false;
  // kSelectInto: every value the query yields is already in the stored form of its column's
  // type (decimals rounded to their scale, dates in their one text form), so the table's
  // normalizing triggers need not run for the rows it is filled with.
  bool values_normalized = false;
  std::optional<NewIdentity> identity;  // kSelectInto
  RowCountEffect row_count = RowCountEffect::kCounted;
  IdentityValues identity_values = IdentityValues::kNoIdentity;  // kInsert
  bool identity_insert_on = false;  // kSessionOption for `target`: SET IDENTITY_INSERT ... ON
  RaiseForm raise_form = RaiseForm::kRethrow;  // kRaise
  // kSessionOption: "XACT_ABORT" (`option_on`), or "DATEFIRST", "DATEFORMAT" or "LANGUAGE"
  // (`sql` yields the value).
  std::string option;
  bool option_on = false;
  TransactionAction transaction = TransactionAction::kBegin;  // kTransaction
  // kTransaction: the transaction's or savepoint's name, if written; when a variable holds it,
  // `sql` yields it.
  std::u16string transaction_name;
  std::vector<std::u16string> argument_names;  // kExecute: "@a" for @a = value, empty by position
  // Columns of temporary tables that the statement looks rows up by (`#t.c = constant`), as
  // {table, column}: the provider indexes them once, since a temporary table has no index of its
  // own and a caller may probe it once per row it adds.
  std::vector<std::pair<std::string, std::string>> probes;
  // kSteps: the statements that carry it out; @@ROWCOUNT counts the rows of those counted, and
  // a query with result columns hands its rows back.
  std::vector<SqlStatement> steps;
};

struct IfNode;
struct WhileNode;
struct TryNode;

// BREAK and CONTINUE (of the innermost WHILE), RETURN (of the batch).
enum class Jump : std::uint8_t { kBreak, kContinue, kReturn };

struct Node {
  std::variant<SqlStatement, std::unique_ptr<IfNode>, std::unique_ptr<WhileNode>,
               std::unique_ptr<TryNode>, Jump>
      item;
};

// IF condition ... ELSE ...: `condition` is a query that yields one row with 1 or 0.
struct IfNode {
  SqlStatement condition;
  std::vector<Node> then_nodes;
  std::vector<Node> else_nodes;
};

// WHILE condition ...: the body runs again as long as the condition yields 1.
struct WhileNode {
  SqlStatement condition;
  std::vector<Node> body;
};

// BEGIN TRY ... END TRY BEGIN CATCH ... END CATCH.
struct TryNode {
  std::vector<Node> try_nodes;
  std::vector<Node> catch_nodes;
};

// Calls `visit` for each statement of `nodes`, those of every block and condition included.
template <typename Visit>
void ForEachStatement(const std::vector<Node>& nodes, const Visit& visit) {
  for (const Node& node : nodes) {
    if (const auto* statement = std::get_if<SqlStatement>(&node.item)) {
      visit(*statement);
    } else if (const auto* branch = std::get_if<std::unique_ptr<IfNode>>(&node.item)) {
      visit((*branch)->condition);
      ForEachStatement((*branch)->then_nodes, visit);
      ForEachStatement((*branch)->else_nodes, visit);
    } else if (const auto* loop = std::get_if<std::unique_ptr<WhileNode>>(&node.item)) {
      visit((*loop)->condition);
      ForEachStatement((*loop)->body, visit);
    } else if (const auto* block = std::get_if<std::unique_ptr<TryNode>>(&node.item)) {
      ForEachStatement((*block)->try_nodes, visit);
      ForEachStatement((*block)->catch_nodes, visit);
    }
  }
}

// A literal of the batch's text bound to a marker: an integer, a float or decimal (as SQLite
// reads the literal), or a text.
using LiteralValue = std::variant<std::int64_t, double, std::u16string>;

// A literal of the batch written into the SQLite text: a batch shares the translation only when
// it writes the same there.
struct FixedLiteral {
  int ordinal = 0;  // the literal's number among the batch's literals, from 0
  std::u16string text;
};

struct Program {
  std::vector<Node> nodes;
  int marker_count = 0;
  int statement_count = 0;
  std::u16string source;
  bool typed = false;                          // translated with the database's schema
  std::vector<SchemaDependency> dependencies;  // the tables it was translated against
  std::vector<int> bound_literals;             // for each slot, the literal's ordinal
  std::vector<FixedLiteral> fixed_literals;
  // The table variables of the batch, as SQLite knows their tables ("@t", in temp): made as the
  // batch starts, dropped by the session as it ends.
  std::vector<std::string> table_variables;
  // For each statement, its first token and one past its last, in the batch's tokens.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> statement_tokens;
};

// What a program runs with for one batch text: the values of its bound literals and where each
// statement stands in the text (messages quote the statement that failed).
struct Binding {
  std::vector<LiteralValue> literals;                          // by slot
  std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;  // by statement: offset, end
};

struct Translation {
  std::shared_ptr<const Program> program;
  std::shared_ptr<const Binding> binding;

  // The T-SQL of a statement as `batch` (the text translated) writes it.
  std::u16string_view SourceOf(std::u16string_view batch, const SqlStatement& statement) const;
};

// The translation of a batch, from the cache when a batch of the same shape was translated before
// against tables of the same columns. Raises a ComError for a batch that does not parse or that
// uses a construct without a SQLite form. `schema` may be null: column references then have no
// static type.
Translation Translate(std::u16string_view batch, Schema* schema);

// Translates without the cache.
std::shared_ptr<const Program> TranslateUncached(std::u16string_view batch, Schema* schema);

// Runs the statements of a program in order, asking the executor to run each statement and to
// test each IF and WHILE condition.
class Executor {
 public:
  virtual ~Executor() = default;
  virtual void Execute(const SqlStatement& statement) = 0;
  // Which branch of an IF runs (whether a WHILE goes on); nullopt when the condition failed and
  // the batch goes on after the IF or WHILE.
  virtual std::optional<bool> Test(const SqlStatement& condition) = 0;
  // A TRY block starts and ends (ended by an error too): errors raised between go to Catch.
  virtual void BeginTry() = 0;
  virtual void EndTry() = 0;
  // Whether the CATCH block runs for the error a statement of its TRY block raised (the error
  // thrown on when not); when it does, EndCatch follows it, however it ends.
  virtual bool Catch(const std::exception_ptr& error) = 0;
  virtual void EndCatch() = 0;
};

void Run(const Program& program, Executor& executor);

}  // namespace tsql
