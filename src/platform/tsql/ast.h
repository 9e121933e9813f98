// The translator's neutral syntax tree of a T-SQL batch: what the parser builds and the SQLite
// generator reads. It holds what the statements say, in SQL Server's terms, and nothing of how
// SQLite will run them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/tsql/token.h"

namespace tsql {

struct Select;
struct Statement;
struct Expr;
struct Window;
using ExprPtr = std::unique_ptr<Expr>;
using SelectPtr = std::unique_ptr<Select>;
using StatementPtr = std::unique_ptr<Statement>;

// A SQL Server type as written: name in lower case, then its arguments: varchar(255) has
// {255}, decimal(28,10) has {28, 10}; varchar(max) sets `max`.
struct TypeName {
  std::u16string name;
  std::vector<int> args;
  bool max = false;
  SourcePos pos;

  bool IsEmpty() const { return name.empty(); }
};

// A possibly qualified object name: server.database.schema.name, parts as written, the last one
// the object's own name. "#x" names a temporary table.
struct ObjectName {
  std::vector<std::u16string> parts;
  SourcePos pos;

  const std::u16string& Name() const { return parts.back(); }
  // The parts joined by '.', as SQL Server's messages quote a name ("dbo.t").
  std::u16string Written() const {
    std::u16string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
      text += (i > 0 ? u"." : u"") + parts[i];
    return text;
  }
  bool IsTemp() const { return !parts.empty() && IsTemporaryName(parts.back()); }
};

enum class ExprKind : std::uint8_t {
  kNull,
  kNumber,    // text: the literal as written
  kString,    // text: the value; national for N''
  kBinary,    // text: hex digits
  kMarker,    // ? marker; index: its number in the batch, from 0
  kColumn,    // names: the parts as written (t.FName has {t, FName})
  kVariable,  // text: @@IDENTITY, @x; a local variable's index is its number in the batch and
              // type its declared type
  kUnary,     // text: "-", "+", "~", "NOT"; args[0]
  kBinaryOp,  // text: the operator in upper case ("+", "AND", "<>"); args[0], args[1]
  kFunction,  // text: the name as written; args; distinct; star for count(*); over for a
              // window function
  kCase,      // has_operand: args[0] is the operand; then WHEN/THEN pairs; has_else: last
  kConvert,   // CAST or CONVERT: type; args[0] the value, args[1] the style when given;
              // lenient for TRY_CAST and TRY_CONVERT
  kSubquery,  // select
  kExists,    // select; negated
  kIn,        // args[0] IN (args[1..]) or IN (select); negated
  kBetween,   // args[0] BETWEEN args[1] AND args[2]; negated
  kLike,      // args[0] LIKE args[1] [ESCAPE args[2]]; negated
  kIsNull,    // args[0] IS [NOT] NULL; negated for IS NOT NULL
  kIdentity,  // IDENTITY(type, seed, 1) of SELECT ... INTO: type; number the seed
};

struct Expr {
  ExprKind kind = ExprKind::kNull;
  SourcePos pos;
  std::u16string text;
  std::vector<std::u16string> names;
  std::vector<ExprPtr> args;
  SelectPtr select;
  std::unique_ptr<Window> over;
  std::unique_ptr<Window> within_group;  // WITHIN GROUP (ORDER BY ...): its order_by alone
  TypeName type;
  int index = 0;
  int literal = -1;  // kNumber, kString: the literal's number among the batch's, from 0
  std::int64_t number = 0;
  bool negated = false;
  bool distinct = false;
  bool star = false;
  bool national = false;
  bool has_operand = false;
  bool has_else = false;
  bool parenthesized = false;
  bool lenient = false;
};

struct SelectItem {
  ExprPtr expr;                                // empty for * and t.*
  ExprPtr target;                              // SELECT @v = expr: the variable it sets
  std::vector<std::u16string> star_qualifier;  // t of t.*; empty for *
  bool star = false;
  std::u16string alias;
  bool has_alias = false;
  SourcePos pos;
};

// CROSS APPLY and OUTER APPLY join a table-valued function that may read the tables before it.
enum class JoinType : std::uint8_t {
  kInner,
  kLeft,
  kRight,
  kFull,
  kCross,
  kCrossApply,
  kOuterApply
};

struct TableRef;
using TableRefPtr = std::unique_ptr<TableRef>;

// A column of OPENJSON ... WITH (name type ['path'] [AS JSON]).
struct JsonColumn {
  std::u16string name;
  TypeName type;
  std::u16string path;  // '$."name"' when none is written
  bool as_json = false;
};

struct TableRef {
  enum class Kind : std::uint8_t { kTable, kDerived, kJoin, kFunction, kPivot } kind = Kind::kTable;
  ObjectName name;            // kTable; kFunction: the function's name (STRING_SPLIT, OPENJSON)
  SelectPtr select;           // kDerived
  std::vector<ExprPtr> args;  // kFunction
  std::vector<JsonColumn> json_columns;  // kFunction: OPENJSON ... WITH
  // kPivot: left PIVOT (aggregate(column) FOR pivot_column IN (pivot_values)) AS alias.
  ExprPtr aggregate;
  std::u16string pivot_column;
  std::vector<std::u16string> pivot_values;
  // kPivot with `unpivot`: left UNPIVOT (unpivot_value FOR pivot_column IN (pivot_values)) AS
  // alias; pivot_values name the columns turned into rows.
  bool unpivot = false;
  std::u16string unpivot_value;
  std::u16string alias;
  bool has_alias = false;
  JoinType join = JoinType::kInner;  // kJoin
  TableRefPtr left;
  TableRefPtr right;
  ExprPtr on;
  SourcePos pos;
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

// A bound of a window frame: UNBOUNDED PRECEDING, n PRECEDING, CURRENT ROW, n FOLLOWING or
// UNBOUNDED FOLLOWING.
struct FrameBound {
  enum class Kind : std::uint8_t {
    kUnboundedPreceding,
    kPreceding,
    kCurrentRow,
    kFollowing,
    kUnboundedFollowing
  } kind = Kind::kCurrentRow;
  std::int64_t rows = 0;  // n of n PRECEDING or n FOLLOWING
};

// OVER ([PARTITION BY ...] [ORDER BY ...] [ROWS | RANGE frame]).
struct Window {
  std::vector<ExprPtr> partition_by;
  std::vector<OrderItem> order_by;
  bool has_frame = false;
  bool range = false;  // RANGE rather than ROWS
  FrameBound start;
  FrameBound end;  // CURRENT ROW when the frame names only its start
  SourcePos pos;
};

// One SELECT ... of a possibly compound query.
struct SelectCore {
  bool distinct = false;
  ExprPtr top;  // TOP n
  bool top_percent = false;
  std::vector<SelectItem> items;
  bool has_into = false;
  ObjectName into;
  std::vector<TableRefPtr> from;  // comma-separated
  ExprPtr where;
  std::vector<ExprPtr> group_by;
  ExprPtr having;
  SourcePos pos;
};

enum class SetOp : std::uint8_t { kUnion, kUnionAll, kExcept, kIntersect };

// WITH name [(columns)] AS (query): a common table expression of the statement's query.
struct CommonTable {
  std::u16string name;
  std::vector<std::u16string> columns;  // empty: named by the query's columns
  SelectPtr select;
  SourcePos pos;
};

// SQL Server's limit on the levels of a recursive common table expression unless OPTION
// (MAXRECURSION n) says otherwise; 0 lifts it.
inline constexpr int kDefaultMaxRecursion = 100;

struct Select {
  std::vector<CommonTable> with;  // of a statement's query only
  std::vector<SelectCore> cores;  // cores[i + 1] joined to the ones before by ops[i]
  std::vector<SetOp> ops;
  std::vector<OrderItem> order_by;
  ExprPtr offset;  // OFFSET n ROWS
  ExprPtr fetch;   // FETCH NEXT n ROWS ONLY
  int max_recursion = kDefaultMaxRecursion;
  // FOR XML PATH('row') [, TYPE]: the rows as one XML text, each row in an element named
  // xml_row (none for ''); xml_string_value when .value('.', type) reads it back as text.
  bool for_xml = false;
  bool xml_type = false;
  bool xml_string_value = false;
  std::u16string xml_row;
  bool xml_raw = false;  // FOR XML RAW: each column an attribute of the row's element
  // FOR JSON PATH | AUTO [, ROOT('name')] [, INCLUDE_NULL_VALUES] [, WITHOUT_ARRAY_WRAPPER]: the
  // rows as one JSON text, an array of objects.
  bool for_json = false;
  bool json_root = false;
  std::u16string json_root_name;
  bool json_include_nulls = false;
  bool json_without_array = false;
  SourcePos pos;
};

// WITH name AS (query), ... before INSERT, UPDATE, DELETE or MERGE, and the
// statement's OPTION (MAXRECURSION n). The statement may read them, and change the table of one.
struct ChangeWith {
  std::vector<CommonTable> tables;
  int max_recursion = kDefaultMaxRecursion;
};

// OUTPUT inserted.x, deleted.*, ... of INSERT, UPDATE and DELETE: the rows as changed.
using OutputList = std::vector<SelectItem>;

// OUTPUT ... INTO table [(columns)]: these rows go into the table instead of to the caller.
struct OutputInto {
  OutputList items;
  ObjectName table;
  std::vector<std::u16string> columns;
};

struct InsertStmt {
  ChangeWith with;
  ObjectName table;
  std::vector<std::u16string> columns;
  OutputList output;
  std::optional<OutputInto> output_into;
  std::vector<std::vector<ExprPtr>> rows;  // VALUES
  SelectPtr select;                        // INSERT ... SELECT
  bool default_values = false;
};

// UPDATE and DELETE with a FROM clause change the rows of `table`, a table of `from` named by
// its alias or its own name, that the FROM clause and WHERE find.
struct UpdateStmt {
  ChangeWith with;
  ObjectName table;
  std::vector<std::pair<std::u16string, ExprPtr>> sets;
  OutputList output;
  std::optional<OutputInto> output_into;
  std::vector<TableRefPtr> from;
  ExprPtr where;
};

struct DeleteStmt {
  ChangeWith with;
  ObjectName table;
  OutputList output;
  std::optional<OutputInto> output_into;
  std::vector<TableRefPtr> from;
  ExprPtr where;
};

struct ColumnDef {
  std::u16string name;
  TypeName type;
  bool identity = false;
  std::int64_t identity_seed = 1;
  bool not_null = false;
  bool primary_key = false;
  bool unique = false;
  ExprPtr default_value;
  ExprPtr check;
  ObjectName references;
  std::vector<std::u16string> references_columns;
  SourcePos pos;
};

struct TableConstraint {
  enum class Kind : std::uint8_t { kPrimaryKey, kUnique, kForeignKey, kCheck } kind;
  std::u16string name;
  std::vector<std::u16string> columns;
  ObjectName references;
  std::vector<std::u16string> references_columns;
  ExprPtr check;
  SourcePos pos;
};

struct CreateTableStmt {
  ObjectName table;
  std::vector<ColumnDef> columns;
  std::vector<TableConstraint> constraints;
};

struct DropTableStmt {
  std::vector<ObjectName> tables;
  bool if_exists = false;
};

struct CreateIndexStmt {
  bool unique = false;
  std::u16string name;
  ObjectName table;
  std::vector<std::pair<std::u16string, bool>> columns;  // name, descending
};

struct DropIndexStmt {
  std::vector<std::pair<ObjectName, std::u16string>> indexes;  // table, index name
};

struct AlterColumnStmt {
  ObjectName table;
  std::u16string column;
  TypeName type;
  bool not_null = false;
};

struct AddColumnsStmt {
  ObjectName table;
  std::vector<ColumnDef> columns;
};

struct TruncateStmt {
  ObjectName table;
};

struct IfStmt {
  ExprPtr condition;
  StatementPtr then_branch;
  StatementPtr else_branch;  // may be empty
};

struct BlockStmt {
  std::vector<StatementPtr> body;
};

// DECLARE @t TABLE (...): a table of the batch, made as the batch starts (a DECLARE in a loop
// makes it once) and dropped at its end.
struct DeclareTableStmt {
  CreateTableStmt table;  // named by the variable, "@t"
};

// EXEC sp_executesql statement [, definitions [, argument ...]], and EXEC (statement): a
// batch made as the batch runs. An argument is positional, or names its parameter (@a = 1).
struct ExecuteStmt {
  ExprPtr statement;
  ExprPtr definitions;  // may be null
  std::vector<std::pair<std::u16string, ExprPtr>> arguments;
};

// SET XACT_ABORT ON | OFF, SET DATEFIRST value, SET DATEFORMAT order, SET LANGUAGE name:
// options the session keeps for its later batches.
struct SessionOptionStmt {
  std::u16string option;  // "XACT_ABORT", "DATEFIRST", "DATEFORMAT" or "LANGUAGE"
  bool on = false;
  ExprPtr value;  // DATEFIRST's number, DATEFORMAT's order, LANGUAGE's name
};

// WHILE condition statement.
struct WhileStmt {
  ExprPtr condition;
  StatementPtr body;
};

// BREAK, CONTINUE, RETURN (a batch's RETURN takes no value).
struct JumpStmt {
  enum class Kind : std::uint8_t { kBreak, kContinue, kReturn } kind = Kind::kReturn;
};

// BEGIN TRY ... END TRY BEGIN CATCH ... END CATCH.
struct TryStmt {
  std::vector<StatementPtr> try_body;
  std::vector<StatementPtr> catch_body;
};

// PRINT message.
struct PrintStmt {
  ExprPtr message;
};

// THROW [number, message, state], and RAISERROR (message, severity, state [, argument ...]).
struct RaiseStmt {
  bool raiserror = false;
  std::vector<ExprPtr> args;
};

// A statement that changes nothing on SQLite (SET NOCOUNT ON).
struct NoOpStmt {};

// BEGIN TRANSACTION [name], COMMIT [TRANSACTION] [name], ROLLBACK [TRANSACTION] [name] and
// SAVE TRANSACTION name: the session counts and ends its transaction as SQL Server does.
struct TransactionStmt {
  TransactionAction action = TransactionAction::kBegin;
  std::u16string name;    // empty when none is written
  ExprPtr name_variable;  // the name is this variable's value
};

// SET @v = expr, and DECLARE @v type = expr: each target a local variable, set in order.
struct AssignStmt {
  std::vector<std::pair<ExprPtr, ExprPtr>> assignments;  // target, value
};

// SET IDENTITY_INSERT table ON | OFF.
struct IdentityInsertStmt {
  ObjectName table;
  bool on = false;
};

// CREATE VIEW, ALTER VIEW and CREATE OR ALTER VIEW name [(columns)] AS query.
struct CreateViewStmt {
  enum class Mode : std::uint8_t { kCreate, kAlter, kCreateOrAlter } mode = Mode::kCreate;
  ObjectName view;
  std::vector<std::u16string> columns;  // empty: named by the query's columns
  SelectPtr select;
  bool check_option = false;  // WITH CHECK OPTION: rows changed through it must stay its rows
};

// A WHEN clause of MERGE: WHEN MATCHED | NOT MATCHED [BY TARGET] | NOT MATCHED BY SOURCE
// [AND condition] THEN UPDATE SET ... | DELETE | INSERT [(columns)] VALUES (...) | DEFAULT VALUES.
struct MergeAction {
  enum class When : std::uint8_t { kMatched, kNotMatchedByTarget, kNotMatchedBySource };
  enum class Kind : std::uint8_t { kUpdate, kDelete, kInsert };
  When when = When::kMatched;
  Kind kind = Kind::kUpdate;
  ExprPtr condition;  // may be empty
  std::vector<std::pair<std::u16string, ExprPtr>> sets;
  std::vector<std::u16string> columns;
  std::vector<ExprPtr> values;  // empty for DEFAULT VALUES
  SourcePos pos;
};

struct MergeStmt {
  ChangeWith with;
  ExprPtr top;  // TOP (n): at most n rows take an action
  ObjectName target;
  std::u16string target_alias;  // empty: named by its own name
  TableRefPtr source;
  ExprPtr on;
  std::vector<MergeAction> actions;
  OutputList output;  // inserted.x, deleted.x and $action: what each row's action did
  std::optional<OutputInto> output_into;
};

struct DropViewStmt {
  std::vector<ObjectName> views;
  bool if_exists = false;
};

struct Statement {
  std::variant<NoOpStmt, SelectPtr, InsertStmt, UpdateStmt, DeleteStmt, CreateTableStmt,
               DropTableStmt, CreateIndexStmt, DropIndexStmt, AlterColumnStmt, AddColumnsStmt,
               TruncateStmt, IfStmt, BlockStmt, IdentityInsertStmt, AssignStmt, WhileStmt, JumpStmt,
               TryStmt, PrintStmt, RaiseStmt, DeclareTableStmt, ExecuteStmt, SessionOptionStmt,
               CreateViewStmt, DropViewStmt, MergeStmt, TransactionStmt>
      body;
  SourcePos pos;
  std::uint32_t end_offset = 0;  // one past its last token in the batch
  std::uint32_t first_token = 0;
  std::uint32_t end_token = 0;  // one past its last token
};

}  // namespace tsql
