// The SQLite generator's class, private to tsql/. Its members are defined by node family:
// generator.cpp the batch, its IF and blocks, variables and names; generator_control.cpp loops,
// TRY ... CATCH, PRINT, THROW and RAISERROR; generator_ddl.cpp
// tables, columns, indexes and their changes; generator_dml.cpp the statements that read or
// write rows (SELECT, SELECT ... INTO, INSERT, UPDATE, DELETE) and identity;
// generator_query.cpp the parts of a query; generator_expression.cpp operators, comparisons and
// conversions; generator_functions.cpp function calls; generator_views.cpp views;
// generator_merge.cpp MERGE (generator_merge_output.cpp its OUTPUT and TOP);
// generator_output.cpp the OUTPUT clause; generator_apply.cpp APPLY over a derived table;
// generator_change_through.cpp changes through a view or a common table expression.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/oleaut/text.h"
#include "platform/tsql/ast.h"
#include "platform/tsql/identity.h"
#include "platform/tsql/parser.h"
#include "platform/tsql/program.h"
#include "platform/tsql/resolver.h"
#include "platform/tsql/schema.h"
#include "platform/tsql/sql_type.h"
#include "platform/tsql/typing.h"
#include "platform/tsql/view_rows.h"

namespace tsql::generation {

inline std::string Utf8(std::u16string_view text) {
  return oleaut::ToUtf8(text);
}

// A built-in function that is one of SQLite's or the runtime's under another name, and the
// counts of arguments it takes.
struct FunctionMap {
  std::u16string_view tsql;
  const char* sqlite;
  std::size_t low;
  std::size_t high;
};

// A name between double quotes, any double quote in it doubled.
void AppendQuotedName(std::string& out, std::u16string_view name);

// A text literal; a NUL character, which would end the statement's text for the engine, is
// written as char(0) joined to the pieces around it.
void AppendStringLiteral(std::string& out, std::u16string_view value);

// The view that yields a view's rows with the keys of its tables' rows beside them ("v$rows");
// the column of the keys of `table`'s rows there ("tsql$rowid", "tsql$rowid$t" for a table of a
// join); the names of those columns, and the items of the view's query that yield them
// (generator_change_through.cpp).
std::u16string ViewRowsName(std::u16string_view view);
std::u16string RowKeyName(ViewChange change, std::u16string_view table);
std::vector<std::u16string> RowKeyNames(const QueryBase& base);
std::string RowKeyItems(const QueryBase& base);

class Generator {
 public:
  Generator(std::u16string_view batch, const ParsedBatch& parsed, Schema* schema);
  Program Run(const ParsedBatch& parsed);

 private:
  // ---- the batch, control statements, variables, names (generator.cpp) ----
  void GenerateStatement(const Statement& statement, std::vector<Node>& nodes);
  SqlStatement Begin(StatementKind kind, bool temp = false);
  void Finish(SqlStatement& s, std::vector<Node>& nodes);
  void Generate(const NoOpStmt&, std::vector<Node>& nodes);
  void Generate(const TransactionStmt& transaction, std::vector<Node>& nodes);
  void Generate(const AssignStmt& assign, std::vector<Node>& nodes);
  void GenAssigned(const Expr& target, const Expr& value);
  bool IsAssigningSelect(const Select& select);
  void Generate(const IfStmt& branch, std::vector<Node>& nodes);
  void Generate(const BlockStmt& block, std::vector<Node>& nodes);
  std::u16string TableName(const ObjectName& name);

  // ---- loops, TRY ... CATCH, messages and errors (generator_control.cpp) ----
  SqlStatement Condition(const Expr& condition);
  void Generate(const WhileStmt& loop, std::vector<Node>& nodes);
  void Generate(const JumpStmt& jump, std::vector<Node>& nodes);
  void Generate(const TryStmt& block, std::vector<Node>& nodes);
  void GenMessageText(const Expr& message);
  void Generate(const PrintStmt& print, std::vector<Node>& nodes);
  void Generate(const RaiseStmt& raise, std::vector<Node>& nodes);
  bool GenSessionFunction(const std::u16string& name, const Expr& expr);
  void Generate(const DeclareTableStmt& declare, std::vector<Node>& nodes);
  void Generate(const ExecuteStmt& execute, std::vector<Node>& nodes);
  void Generate(const SessionOptionStmt& option, std::vector<Node>& nodes);
  void GenSessionValue(SessionValue value);

  void AppendTable(const ObjectName& name) { AppendQuotedName(out_, TableName(name)); }

  // ---- schema statements (generator_ddl.cpp) ----
  void Generate(const CreateTableStmt& create, std::vector<Node>& nodes);
  void GenColumnDef(const ColumnDef& column);
  static void CheckIdentityType(const SqlType& type, std::u16string_view column, SourcePos pos);
  void CheckIdentitySeed(std::int64_t seed, SourcePos pos);
  void GenTableConstraint(const TableConstraint& constraint, const ColumnDef* identity);
  void GenNormalizingTriggers(const ObjectName& table, const std::u16string& column,
                              const SqlType& type, std::vector<Node>& nodes);
  void GenSchemaStatements(std::vector<std::string> statements, bool temp,
                           std::vector<Node>& nodes);
  void AppendNameList(const std::vector<std::u16string>& names);
  SqlType ColumnType(const TypeName& name);
  void Generate(const DropTableStmt& drop, std::vector<Node>& nodes);
  std::u16string IndexName(const ObjectName& table, std::u16string_view index);
  void Generate(const CreateIndexStmt& create, std::vector<Node>& nodes);
  void Generate(const DropIndexStmt& drop, std::vector<Node>& nodes);
  bool NextReplacesEveryValue(const AlterColumnStmt& alter) const;
  void Generate(const AlterColumnStmt& alter, std::vector<Node>& nodes);
  void Generate(const AddColumnsStmt& add, std::vector<Node>& nodes);
  void Generate(const TruncateStmt& truncate, std::vector<Node>& nodes);

  // ---- views (generator_views.cpp) ----
  void Generate(const CreateViewStmt& create, std::vector<Node>& nodes);
  void Generate(const DropViewStmt& drop, std::vector<Node>& nodes);
  std::vector<TableColumn> ViewColumns(const CreateViewStmt& create);

  void GenViewRows(const CreateViewStmt& create, const std::vector<TableColumn>& columns,
                   const QueryBase& base, std::vector<Node>& nodes);

  // ---- changes through a view or a common table expression (generator_change_through.cpp) ----
  // A view or common table expression whose table a change changes.
  struct Through {
    std::u16string name;  // as the change names it
    ViewChange change = ViewChange::kOther;
    ObjectName base;                      // the table it shows the rows of
    TableColumns columns;                 // its columns, with what each shows
    std::u16string rows;                  // what yields its rows with their keys
    const CommonTable* common = nullptr;  // the common table expression, when it is one
    QueryBase query;                      // a common table expression's
    std::u16string key;                   // the column of `rows` that holds `base`'s keys
    bool check_option = false;            // a view's WITH CHECK OPTION
  };
  std::optional<Through> ChangedThrough(const ObjectName& named, const ChangeWith& with);
  std::vector<std::u16string> BaseColumns(Through& through,
                                          const std::vector<std::u16string>& changed, bool deletes,
                                          SourcePos pos);
  void GenChangeWith(const ChangeWith& with, const Through* through = nullptr);
  void GenRowsDefinition(const std::u16string& rows, const TableColumns& columns,
                         const QueryBase& base, const Select& select, bool common);
  bool GenThroughReference(const TableRef& ref);
  bool GenUpdateThrough(const UpdateStmt& update, const ObjectName& named,
                        std::vector<Node>& nodes);
  bool GenDeleteThrough(const DeleteStmt& del, const ObjectName& named, std::vector<Node>& nodes);
  bool GenInsertThrough(const InsertStmt& insert, std::vector<Node>& nodes);
  void GenThroughSource(const Through& through, const ObjectName& named,
                        const std::vector<TableRefPtr>& from, const Expr* where);
  void GenChecked(const Through& through, const std::function<void()>& keep,
                  const std::function<void(std::vector<Node>&)>& change, bool inserts,
                  std::vector<Node>& nodes);

  // ---- MERGE (generator_merge.cpp) ----
  void Generate(const MergeStmt& merge, std::vector<Node>& nodes);
  void GenMergeChoice(const MergeStmt& merge, MergeAction::When when);
  void GenMergeSets(const MergeAction& action, const TableColumns* columns);
  void GenMergeInsert(const MergeStmt& merge, const MergeAction& action, std::size_t number,
                      const std::u16string& source_alias, std::vector<Node>& steps);
  // MERGE TOP (n) and OUTPUT (generator_merge_output.cpp).
  void GenStep(StatementKind kind, bool temp, std::vector<Node>& steps,
               const std::function<void()>& body);
  void FinishSteps(const ObjectName& target, bool temp, std::vector<Node>& steps,
                   std::vector<Node>& nodes);
  void GenMergeTop(const MergeStmt& merge, bool unmatched, std::vector<Node>& steps);
  void GenMergeKept(const MergeStmt& merge, bool unmatched, std::vector<Node>& steps);
  void GenMergeInsertMark(const MergeStmt& merge, std::vector<Node>& steps);
  void GenMergeOutput(const MergeStmt& merge, std::vector<Node>& steps);
  void GenMergeOutputRows(const ObjectName& table);
  bool GenActionColumn(const Expr& expr);

  // ---- statements that read or write rows, identity (generator_dml.cpp) ----
  void Generate(const IdentityInsertStmt& option, std::vector<Node>& nodes);
  IdentityValues IdentityValuesOf(const InsertStmt& insert);
  void Generate(const SelectPtr& select, std::vector<Node>& nodes);
  void Generate(const InsertStmt& insert, std::vector<Node>& nodes);
  void GenInsert(const InsertStmt& insert, const InsertStmt& into, std::vector<Node>& nodes);
  std::optional<NewIdentity> NewTableIdentity(const Select& select);
  std::optional<NewIdentity> CopiedIdentity(const Select& select);
  static std::shared_ptr<const TableColumns> WithIdentity(
      const std::shared_ptr<const TableColumns>& query, const std::optional<NewIdentity>& identity);
  std::vector<std::optional<SqlType>> InsertTargets(const InsertStmt& insert);
  static std::optional<SqlType> ColumnTypeOf(const TableColumns& columns, std::u16string_view name);
  void GenStored(const Expr& value, const std::optional<SqlType>& column);
  void Generate(const UpdateStmt& update, std::vector<Node>& nodes);
  void Generate(const DeleteStmt& del, std::vector<Node>& nodes);
  template <typename Change>
  const ObjectName& ChangedTable(const Change& change);
  void AppendChangedRowid(const ObjectName& target, const std::vector<TableRefPtr>& from);
  void GenChangeSource(const std::vector<TableRefPtr>& from, const Expr* where);

  // ---- the parts of a query (generator_query.cpp) ----
  std::vector<ResultHint> Hints(const Select& select);
  std::vector<SqlType> ColumnTypes(const Select& select);
  void GenBranch(const Expr& branch, const SqlType& result);
  void GenNestedSelect(const Select& select);
  void GenSelect(const Select& select);
  void GenLimit(const SelectCore& core);
  void GenOffset(const Select& select);
  static bool NeedsCollation(const Expr& expr);
  void GenCore(const SelectCore& core, const std::vector<SqlType>& column_types,
               const std::vector<std::optional<SqlType>>* store_types = nullptr);
  std::optional<SqlType> StoredFormOf(const SelectCore& core, std::size_t i) const;
  void GenFromWhere(const SelectCore& core);
  void NoteProbes(const SelectCore& core);
  void GenScalarSubquery(const Select& select);
  void GenTableRef(const TableRef& ref);
  void GenTableFunction(const TableRef& ref);
  std::vector<std::u16string> PivotSourceColumns(const TableRef& pivot);
  void GenPivot(const TableRef& ref);
  void GenUnpivot(const TableRef& ref);  // generator_unpivot.cpp

  // ---- OUTPUT (generator_output.cpp) ----
  enum class OutputChange : std::uint8_t { kInsert, kUpdate, kDelete, kMerge };
  struct OutputTarget {
    const ObjectName* table;
    OutputChange change;
  };
  void GenWithOutput(const OutputList& output, const std::optional<OutputInto>& into,
                     OutputChange change, const ObjectName& table, const ObjectName& named,
                     const std::vector<TableRefPtr>& from, const Expr* where,
                     const ChangeWith& with,
                     const std::function<void(std::vector<Node>&)>& generate_change,
                     std::vector<Node>& nodes);
  void GenOutputQuery(const OutputList& output, OutputChange change, const ObjectName& table,
                      bool temp, std::vector<Node>& steps);
  void GenOutputRows(OutputChange change, const ObjectName& table);
  void GenOutputInto(const OutputInto& into, OutputChange change, const ObjectName& table,
                     std::vector<Node>& steps);
  std::vector<ResultHint> GenOutputList(const OutputList& output, const ObjectName& table);
  void CheckOutputColumn(const Expr& expr);

  // ---- CROSS and OUTER APPLY over a derived table (generator_apply.cpp) ----
  struct Lateral {
    std::u16string alias;
    std::vector<std::u16string> columns;
    int depth = 0;  // of the query whose FROM clause joins it
    // How each column is read from the row json_each gives; empty: by its place in the row.
    std::vector<std::string> reads;
  };
  void CollectJsonSchema(const TableRef& ref);
  void GenJsonRows(const TableRef& ref);
  std::size_t OpenLaterals(const Select& select);
  void CloseLaterals(std::size_t mark);
  void CollectLaterals(const TableRef& ref);
  bool GenLateralColumn(const Expr& expr);
  void AppendLateralColumn(const Lateral& lateral, std::size_t i);
  void GenLateralTable(const TableRef& ref);
  bool GenLateralStar(const SelectCore& core, const SelectItem& item);

  // ---- common table expressions (generator_common_tables.cpp) ----
  void GenWith(const std::vector<CommonTable>& tables, int max_recursion);
  void CheckLaterReferences(const std::vector<CommonTable>& tables);
  void CheckCommonTableColumns(const CommonTable& table);
  bool IsRecursive(const CommonTable& table);
  void CheckRecursiveTypes(const CommonTable& table);
  void GenRecursive(const CommonTable& table, int max_recursion);
  bool GenLevelledReference(const TableRef& ref);

  // ---- window functions (generator_windows.cpp) ----
  bool GenWindowFunction(const std::u16string& name, const Expr& expr);
  void GenOver(const Expr& expr);
  void GenOutsideWindows(const Expr& expr);

  // ---- expressions (generator_expression.cpp) ----
  void Gen(const Expr& expr);
  void GenLiteral(const Expr& expr);
  void Pin(const Expr& expr);
  bool IsPinned(const Expr& expr) const;
  void GenCompared(const Expr& expr, bool collate);
  static std::optional<SqlType> ComparedAs(const SqlType& side, const SqlType& other);
  std::optional<SqlType> ListComparedAs(const SqlType& value,
                                        const std::vector<const Expr*>& items);
  void GenListValue(const Expr& value, const std::optional<SqlType>& value_as);
  void GenListItem(const Expr& item, const SqlType& value, const std::optional<SqlType>& value_as);
  void GenAs(const Expr& expr, const std::optional<SqlType>& type);
  void GenConverted(const Expr& value, const SqlType& type, const Expr* style = nullptr);
  // A text value on its way to a date type, read in the session's date order (or the order
  // CONVERT's `style` names); any other value as it is.
  bool ReadsAsDateText(const Expr& value, const SqlType& target);
  void GenDateText(const Expr& value, const SqlType& target, const Expr* style = nullptr);
  bool GenDateReadingFunction(const std::u16string& name, const Expr& expr);
  void GenColumn(const Expr& expr);
  void GenVariable(const Expr& expr);
  void GenUnary(const Expr& expr);
  void GenBinary(const Expr& expr);
  void GenArithmetic(const Expr& expr);
  void GenDatePlus(const Expr& left, const Expr& right, int sign);
  void GenPlus(const Expr& left, const Expr& right);
  void GenBetween(const Expr& expr);
  void GenIn(const Expr& expr);
  void GenLike(const Expr& expr);
  void GenCase(const Expr& expr);
  void GenConvert(const Expr& expr);
  // An expression of an integer type keeps to its type's range, as SQL Server's arithmetic does:
  // SQLite computes in 64 bits, and beyond them in floats.
  // A decimal result is rounded to its own scale at each step, as SQL Server rounds every
  // intermediate result, and fails beyond its precision.
  template <typename Body>
  void GenFitted(const Expr& expr, Body body) {
    const SqlType type = TypeOf(expr);
    // Beyond 28 digits the value is a double's approximation whatever is done to it.
    // Money keeps four decimals and its range, as every money result does.
    if (type.cls == SqlType::Class::kDecimal && (type.IsMoney() || type.precision <= 28)) {
      out_ += "tsql_convert('" + type.Declared() + "', ";
      body();
      out_ += ')';
      return;
    }
    if (type.cls != SqlType::Class::kInteger) return body();
    out_ += "tsql_fit(";
    body();
    out_ += ", '" + type.name + "')";
  }
  SqlType TypeOf(const Expr& expr) { return typer_.TypeOf(expr); }

  // ---- function calls (generator_functions.cpp) ----
  void ExpectArgs(const Expr& expr, std::size_t low, std::size_t high);
  void GenCall(const char* name, const Expr& expr);
  // The call of the function `name` names in `functions`; false when it names none there.
  bool GenMappedCall(std::span<const FunctionMap> functions, const std::u16string& name,
                     const Expr& expr);
  void GenFunction(const Expr& expr);
  void GenAggregate(const std::u16string& name, const Expr& expr);
  void GenDateFunction(const std::u16string& name, const Expr& expr);
  const char* DatePartName(const Expr& part);
  void GenDateTrunc(const Expr& expr);  // generator_date_trunc.cpp
  void GenLength(const std::u16string& name, const Expr& expr);
  void GenChoice(const std::u16string& name, const Expr& expr);
  void GenQuoteName(const Expr& expr);
  void GenIsNull(const Expr& expr);
  void GenObjectId(const Expr& expr);

  // ---- the later built-in functions, FOR XML PATH (generator_builtins.cpp) ----
  bool GenBuiltinFunction(const std::u16string& name, const Expr& expr);
  void GenStringAgg(const Expr& expr);
  void GenFormat(const Expr& expr);
  void GenAtTimeZone(const Expr& expr);

  // ---- mathematics, GREATEST, LEAST, SOUNDEX (generator_math.cpp) ----
  bool GenMathFunction(const std::u16string& name, const Expr& expr);
  bool GenSystemFunction(const std::u16string& name, const Expr& expr);  // generator_system.cpp
  void GenColumnLength(const Expr& expr);
  bool GenConcatFunction(const std::u16string& name, const Expr& expr);  // generator_concat.cpp
  void GenAsText(const Expr& value);

  // ---- sql_variant (generator_variants.cpp) ----
  void CheckVariantCast(const Expr& expr);
  void GenVariantCast(const Expr& expr);
  void GenVariantProperty(const Expr& expr);
  void GenCulture(const Expr& expr, std::size_t index);
  void GenParse(const std::u16string& name, const Expr& expr);
  void CheckDatePart(const std::u16string& name, std::string_view part, const Expr& expr);
  void GenXmlPath(const Select& select);
  void GenForJson(const Select& select);
  std::vector<std::pair<std::u16string, SqlType>> ForColumns(const Select& select);
  void GenForRows(const Select& select, std::size_t columns);

  std::u16string_view batch_;
  BatchSchema tables_;
  Typer typer_;
  std::shared_ptr<const TableColumns> query_columns_;  // of the statement being generated
  Program program_;
  std::vector<std::pair<std::string, std::string>> probes_;  // of the statement being generated
  const std::vector<ResultHint>* into_hints_ = nullptr;      // of the SELECT ... INTO generated
  const Statement* next_ = nullptr;  // the statement after the one being generated, if any
  const Statement* current_ = nullptr;
  std::vector<Node> table_variable_nodes_;  // what makes them, run first
  std::string out_;
  std::vector<BoundMarker> markers_;
  bool bind_literals_ = true;
  std::vector<int> pinned_;  // literals whose values the translation depends on
  const std::vector<std::optional<SqlType>>* store_types_ = nullptr;
  // The recursive common table expression being generated, and the level column each SELECT of
  // its query adds, for that query alone.
  const CommonTable* levelled_ = nullptr;
  const std::vector<std::string>* level_items_ = nullptr;
  const std::string* level_item_ = nullptr;
  // Whether a window function may stand where the generator is: in a select list or the ORDER BY
  // of a query, not inside another window function or an aggregate.
  bool windows_allowed_ = false;
  bool windows_in_aggregate_ = false;
  // The derived tables that APPLY joins in the queries being generated, innermost last.
  std::vector<Lateral> laterals_;
  int lateral_depth_ = 0;
  // The change through a view or common table expression being generated, and the reference of
  // its FROM clause that reads the rows it changes.
  const Through* through_ = nullptr;
  const TableRef* through_ref_ = nullptr;
  const OutputTarget* output_ = nullptr;  // the statement whose OUTPUT is being generated
  bool in_output_list_ = false;           // the generator is in that OUTPUT's items
};

}  // namespace tsql::generation
