// A translated batch: the SQLite statements that carry out a T-SQL batch, with the IF blocks
// that choose between them at run time, and the hints the provider needs to describe results
// as SQL Server would (column names, declared types of expressions).
//
// Translation is cached by batch text: the component sends the same statement shapes again and
// again, and the second run of a batch must not parse it again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/tsql/schema.h"
#include "platform/tsql/token.h"

namespace tsql {

enum class StatementKind : std::uint8_t {
  kQuery,        // yields rows
  kCommand,      // changes data (UPDATE, DELETE)
  kInsert,       // INSERT: `target` names the table, for @@IDENTITY
  kSelectInto,   // SELECT ... INTO `target`: `sql` is the SELECT alone
  kAlterColumn,  // ALTER TABLE `target` ALTER COLUMN `column` `column_type`
  kDdl,          // changes the schema
};

// One result column of a query as the T-SQL text describes it. Star items are expanded by the
// engine; the others say their name and, where the expression fixes it, their SQL Server type.
struct ResultHint {
  std::u16string name;  // alias or column name; empty for an unnamed expression
  bool named = false;
  bool star = false;
  std::string type;  // "varchar(255)", "decimal(28,14)", "int"...; empty when only the data tell
};

struct SqlStatement {
  StatementKind kind = StatementKind::kCommand;
  std::string sql;           // SQLite text; markers are ?1..?n of this statement
  std::vector<int> markers;  // for ?k, the number (from 0) of the batch's marker it stands for
  std::u16string source;     // the T-SQL statement it came from, for messages
  SourcePos pos;
  std::vector<ResultHint> columns;  // kQuery, kSelectInto
  std::string target;               // table name, UTF-8, as SQLite knows it (unquoted)
  bool target_temp = false;         // it changes only a temporary table
  std::string column;               // kAlterColumn
  std::string column_type;          // kAlterColumn: the new type, as SQL Server declares it
  bool column_not_null = false;
  // kAlterColumn: the next statement of the batch sets the column in every row to a value that
  // does not depend on it, so converting the old values is unobservable when it cannot fail.
  bool values_replaced = false;
};

struct IfNode;

struct Node {
  std::variant<SqlStatement, std::unique_ptr<IfNode>> item;
};

// IF condition ... ELSE ...: `condition` is a query that yields one row with 1 or 0.
struct IfNode {
  SqlStatement condition;
  std::vector<Node> then_nodes;
  std::vector<Node> else_nodes;
};

struct Program {
  std::vector<Node> nodes;
  int marker_count = 0;
  std::u16string source;
  bool typed = false;                          // translated with the database's schema
  std::vector<SchemaDependency> dependencies;  // the tables it was translated against
};

// The translation of a batch, from the cache when the same text was translated before against
// tables of the same columns. Raises a ComError for a batch that does not parse or that uses a
// construct without a SQLite form. `schema` may be null: column references then have no
// static type.
std::shared_ptr<const Program> Translate(std::u16string_view batch, Schema* schema);

// Translates without the cache.
std::shared_ptr<const Program> TranslateUncached(std::u16string_view batch, Schema* schema);

// Runs the statements of a program in order, asking the executor to run each statement and to
// test each IF condition.
class Executor {
 public:
  virtual ~Executor() = default;
  virtual void Execute(const SqlStatement& statement) = 0;
  virtual bool Test(const SqlStatement& condition) = 0;
};

void Run(const Program& program, Executor& executor);

}  // namespace tsql
