#include "platform/tsql/resolver.h"

#include <algorithm>
#include <optional>
#include <variant>

#include "platform/oleaut/text.h"
#include "platform/tsql/engine_names.h"

namespace tsql {

bool SameColumns(const TableColumns* a, const TableColumns* b) {
  if (a == b) return true;
  if (!a || !b || a->size() != b->size()) return false;
  for (std::size_t i = 0; i < a->size(); ++i) {
    const TableColumn& x = (*a)[i];
    const TableColumn& y = (*b)[i];
    if (!oleaut::EqualsNoCase(x.name, y.name) || x.type.Declared() != y.type.Declared() ||
        x.type.cls != y.type.cls || x.identity != y.identity || x.view != y.view ||
        x.base_table != y.base_table || x.base_column != y.base_column ||
        x.check_option != y.check_option) {
      return false;
    }
  }
  return true;
}

std::shared_ptr<const TableColumns> BatchSchema::Find(std::u16string_view name) {
  const std::u16string key = LowerAscii(name);
  if (auto own = own_.find(key); own != own_.end()) return own->second;
  if (!schema_) return nullptr;
  for (const SchemaDependency& seen : dependencies_) {
    if (seen.name == key) return seen.seen;
  }
  std::shared_ptr<const TableColumns> columns = schema_->Columns(name);
  dependencies_.push_back({key, columns});
  return columns;
}

bool BatchSchema::IsEngineTable(std::u16string_view name) {
  return IsEngineTableName(name) && !Find(name);
}

void BatchSchema::RefuseEngineTable(const ObjectName& table, MissingTable how) {
  if (IsEngineTable(table.Name())) RaiseMissingTable(table.pos, table.Written(), how);
}

std::shared_ptr<const TableColumns> BatchSchema::Require(const ObjectName& table,
                                                         MissingTable how) {
  RefuseEngineTable(table, how);
  return Find(table.Name());
}

void BatchSchema::Define(std::u16string_view name, std::shared_ptr<const TableColumns> columns) {
  own_[LowerAscii(name)] = std::move(columns);
}

namespace {

void CollectChangedTables(const TableRef& ref, const std::u16string& target, bool by_alias,
                          std::vector<const TableRef*>& found) {
  if (ref.kind == TableRef::Kind::kJoin) {
    CollectChangedTables(*ref.left, target, by_alias, found);
    CollectChangedTables(*ref.right, target, by_alias, found);
    return;
  }
  const bool named = by_alias ? ref.has_alias && oleaut::EqualsNoCase(ref.alias, target)
                              : ref.kind == TableRef::Kind::kTable && !ref.has_alias &&
                                    oleaut::EqualsNoCase(ref.name.Name(), target);
  if (named) found.push_back(&ref);
}

}  // namespace

std::vector<const TableRef*> ChangedTables(const ObjectName& target,
                                           const std::vector<TableRefPtr>& from) {
  std::vector<const TableRef*> found;
  for (bool by_alias : {true, false}) {
    if (by_alias && target.parts.size() > 1) continue;
    for (const TableRefPtr& ref : from)
      CollectChangedTables(*ref, target.Name(), by_alias, found);
    if (!found.empty()) return found;
  }
  // The table under an alias: SQL Server takes its one reference for the target too.
  const auto collect = [&](const TableRef& ref, const auto& self) -> void {
    if (ref.kind == TableRef::Kind::kJoin) {
      self(*ref.left, self);
      self(*ref.right, self);
    } else if (ref.kind == TableRef::Kind::kTable &&
               oleaut::EqualsNoCase(ref.name.Name(), target.Name())) {
      found.push_back(&ref);
    }
  };
  for (const TableRefPtr& ref : from)
    collect(*ref, collect);
  return found;
}

namespace {

// A table of a FROM clause as its columns are qualified: by its alias, else by its own name.
struct Source {
  std::u16string qualifier;
  std::shared_ptr<const TableColumns> columns;  // nullptr: unknown
};
using Scope = std::vector<Source>;

const TableColumn* FindColumn(const TableColumns& columns, std::u16string_view name) {
  for (const TableColumn& column : columns) {
    if (oleaut::EqualsNoCase(column.name, name)) return &column;
  }
  return nullptr;
}

class Resolver {
 public:
  Resolver(BatchSchema& schema, Typer& typer) : schema_(schema), typer_(typer) {}

  std::shared_ptr<const TableColumns> Statement(const tsql::Statement& statement) {
    return std::visit([&](const auto& body) { return Resolve(body); }, statement.body);
  }

 private:
  template <typename Body>
  std::shared_ptr<const TableColumns> Resolve(const Body&) {
    return nullptr;  // no expressions over tables
  }

  std::shared_ptr<const TableColumns> Resolve(const SelectPtr& select) { return Query(*select); }

  // A view's columns: its query's, named by its column list when it has one.
  std::shared_ptr<const TableColumns> Resolve(const CreateViewStmt& view) {
    std::shared_ptr<const TableColumns> columns = Query(*view.select);
    if (!columns || view.columns.empty() || columns->size() != view.columns.size()) return columns;
    auto named = std::make_shared<TableColumns>(*columns);
    for (std::size_t i = 0; i < named->size(); ++i)
      (*named)[i].name = view.columns[i];
    return named;
  }

  std::shared_ptr<const TableColumns> Resolve(const InsertStmt& insert) {
    const CommonTablesInReach in_reach(*this, insert.with.tables);
    const std::shared_ptr<const TableColumns> columns = Table(insert.table);
    for (const std::u16string& column : insert.columns)
      RequireColumn(insert.table, columns.get(), column);
    for (const auto& row : insert.rows) {
      for (const ExprPtr& value : row)
        Expression(*value);
    }
    if (insert.select) Query(*insert.select);
    return nullptr;
  }

  std::shared_ptr<const TableColumns> Resolve(const UpdateStmt& update) {
    const CommonTablesInReach in_reach(*this, update.with.tables);
    const Scope scope = ChangeScope(update.table, update.from);
    const std::shared_ptr<const TableColumns> target = ChangedColumns(update.table, update.from);
    for (const auto& set : update.sets)
      RequireColumn(update.table, target.get(), set.first);
    scopes_.push_back(&scope);
    for (const TableRefPtr& ref : update.from)
      JoinConditions(*ref);
    for (const auto& set : update.sets)
      Expression(*set.second);
    if (update.where) Expression(*update.where);
    scopes_.pop_back();
    return nullptr;
  }

  std::shared_ptr<const TableColumns> Resolve(const DeleteStmt& del) {
    const CommonTablesInReach in_reach(*this, del.with.tables);
    const Scope scope = ChangeScope(del.table, del.from);
    scopes_.push_back(&scope);
    for (const TableRefPtr& ref : del.from)
      JoinConditions(*ref);
    if (del.where) Expression(*del.where);
    scopes_.pop_back();
    return nullptr;
  }

  // MERGE reads its target (by its alias) and its source in its conditions and its actions.
  std::shared_ptr<const TableColumns> Resolve(const MergeStmt& merge) {
    const CommonTablesInReach in_reach(*this, merge.with.tables);
    Scope scope;
    scope.push_back({merge.target_alias.empty() ? merge.target.Name() : merge.target_alias,
                     Table(merge.target)});
    AddSource(*merge.source, scope);
    scopes_.push_back(&scope);
    Expression(*merge.on);
    for (const MergeAction& action : merge.actions) {
      if (action.condition) Expression(*action.condition);
      for (const auto& set : action.sets)
        Expression(*set.second);
      for (const ExprPtr& value : action.values)
        Expression(*value);
    }
    scopes_.pop_back();
    return nullptr;
  }

  // The tables an UPDATE or DELETE reads: its target alone, or those of its FROM clause.
  Scope ChangeScope(const ObjectName& target, const std::vector<TableRefPtr>& from) {
    Scope scope;
    if (from.empty()) {
      scope.push_back(Source{target.Name(), Table(target)});
      return scope;
    }
    for (const TableRefPtr& ref : from)
      AddSource(*ref, scope);
    return scope;
  }

  std::shared_ptr<const TableColumns> ChangedColumns(const ObjectName& target,
                                                     const std::vector<TableRefPtr>& from) {
    if (from.empty()) return Table(target);
    const std::vector<const TableRef*> changed = ChangedTables(target, from);
    if (changed.size() != 1 || changed[0]->kind != TableRef::Kind::kTable) return nullptr;
    return Table(changed[0]->name);
  }

  std::shared_ptr<const TableColumns> Resolve(const AssignStmt& assign) {
    for (const auto& [target, value] : assign.assignments)
      Expression(*value);
    return nullptr;
  }

  std::shared_ptr<const TableColumns> Resolve(const IfStmt& branch) {
    Expression(*branch.condition);
    return nullptr;
  }

  std::shared_ptr<const TableColumns> Resolve(const WhileStmt& loop) {
    Expression(*loop.condition);
    return nullptr;
  }

  std::shared_ptr<const TableColumns> Resolve(const PrintStmt& print) {
    Expression(*print.message);
    return nullptr;
  }

  std::shared_ptr<const TableColumns> Resolve(const RaiseStmt& raise) {
    for (const ExprPtr& arg : raise.args)
      Expression(*arg);
    return nullptr;
  }

  std::shared_ptr<const TableColumns> Resolve(const ExecuteStmt& execute) {
    Expression(*execute.statement);
    if (execute.definitions) Expression(*execute.definitions);
    for (const auto& [name, value] : execute.arguments)
      Expression(*value);
    return nullptr;
  }

  std::shared_ptr<const TableColumns> Resolve(const DeclareTableStmt& declare) {
    return Resolve(declare.table);
  }

  std::shared_ptr<const TableColumns> Resolve(const CreateTableStmt& create) {
    NewColumns(nullptr, create.columns, create.constraints);
    return nullptr;
  }

  std::shared_ptr<const TableColumns> Resolve(const AddColumnsStmt& add) {
    NewColumns(schema_.Require(add.table, MissingTable::kCannotFind).get(), add.columns, {});
    return nullptr;
  }

  // The defaults and checks of new columns may name the columns of their table (`existing` and
  // the new ones). They are not typed here: the generator writes them as they stand.
  void NewColumns(const TableColumns* existing, const std::vector<ColumnDef>& definitions,
                  const std::vector<TableConstraint>& constraints) {
    auto columns = std::make_shared<TableColumns>();
    if (existing) {
      for (const TableColumn& column : *existing)
        columns->push_back({column.name, SqlType::Unknown()});
    }
    for (const ColumnDef& column : definitions)
      columns->push_back({column.name, SqlType::Unknown()});
    const Scope scope{Source{{}, std::move(columns)}};
    scopes_.push_back(&scope);
    for (const ColumnDef& column : definitions) {
      if (column.default_value) Expression(*column.default_value);
      if (column.check) Expression(*column.check);
    }
    for (const TableConstraint& constraint : constraints) {
      if (constraint.check) Expression(*constraint.check);
    }
    scopes_.pop_back();
  }

  // A column a statement writes is one of the table's, never SQLite's hidden key.
  static void RequireColumn(const ObjectName& table, const TableColumns* columns,
                            const std::u16string& name) {
    if (IsEngineColumnName(name) && !(columns && FindColumn(*columns, name))) {
      RaiseInvalidColumnName(table.pos, name);
    }
  }

  // The common table expressions of a query, each visible to those after it and to the query;
  // a recursive one's reference to itself has unknown columns.
  void CommonTables(const std::vector<CommonTable>& tables) {
    for (const CommonTable& table : tables) {
      common_tables_.push_back({LowerAscii(table.name), nullptr});
      // A recursive part reads rows of the anchor's columns: the anchor is resolved first.
      if (table.select->cores.size() > 1) {
        Scope anchor;
        common_tables_.back().second = Named(table, Core(table.select->cores.front(), anchor));
      }
      common_tables_.back().second = Named(table, Query(*table.select));
    }
  }

  // The common tables a change declares, in reach of all of it while it is resolved.
  class CommonTablesInReach {
   public:
    CommonTablesInReach(Resolver& resolver, const std::vector<CommonTable>& tables)
        : resolver_(resolver), outer_(resolver.common_tables_.size()) {
      resolver.CommonTables(tables);
    }
    ~CommonTablesInReach() { resolver_.common_tables_.resize(outer_); }
    CommonTablesInReach(const CommonTablesInReach&) = delete;
    CommonTablesInReach& operator=(const CommonTablesInReach&) = delete;

   private:
    Resolver& resolver_;
    std::size_t outer_;
  };

  // The columns of a common table expression: its query's, named by its column list.
  static std::shared_ptr<const TableColumns> Named(const CommonTable& table,
                                                   std::shared_ptr<const TableColumns> columns) {
    if (table.columns.empty()) return columns;
    if (!columns || columns->size() != table.columns.size()) return nullptr;
    auto named = std::make_shared<TableColumns>(*columns);
    for (std::size_t i = 0; i < named->size(); ++i)
      (*named)[i].name = table.columns[i];
    return named;
  }

  // A table a query reads: a common table expression in reach, or the database's.
  std::shared_ptr<const TableColumns> Table(const ObjectName& name) {
    if (name.parts.size() == 1 && !common_tables_.empty()) {
      const std::u16string key = LowerAscii(name.Name());
      for (auto table = common_tables_.rbegin(); table != common_tables_.rend(); ++table) {
        if (table->first == key) return table->second;
      }
    }
    return schema_.Require(name);
  }

  // The columns of a query are those of its first SELECT; ORDER BY may name them by alias.
  std::shared_ptr<const TableColumns> Query(const Select& select) {
    const std::size_t outer_tables = common_tables_.size();
    CommonTables(select.with);
    std::shared_ptr<const TableColumns> columns = QueryBody(select);
    common_tables_.resize(outer_tables);
    return columns;
  }

  std::shared_ptr<const TableColumns> QueryBody(const Select& select) {
    std::shared_ptr<const TableColumns> columns;
    Scope first_scope;
    for (std::size_t i = 0; i < select.cores.size(); ++i) {
      Scope scope;
      auto core_columns = Core(select.cores[i], scope);
      if (i == 0) {
        columns = std::move(core_columns);
        first_scope = std::move(scope);
      }
    }
    if (select.order_by.empty()) return columns;
    scopes_.push_back(&first_scope);
    for (const OrderItem& item : select.order_by) {
      const Expr& expr = *item.expr;
      const TableColumn* output = nullptr;
      if (columns && expr.kind == ExprKind::kColumn && expr.names.size() == 1) {
        output = FindColumn(*columns, expr.names.back());
      }
      if (output) {
        if (output->type.IsKnown()) typer_.SetColumnType(expr, output->type);
      } else {
        Expression(expr);
      }
    }
    scopes_.pop_back();
    return columns;
  }

  std::shared_ptr<const TableColumns> Core(const SelectCore& core, Scope& scope) {
    for (const TableRefPtr& ref : core.from)
      AddSource(*ref, scope);
    scopes_.push_back(&scope);
    for (const TableRefPtr& ref : core.from)
      JoinConditions(*ref);
    if (core.top) Expression(*core.top);
    for (const SelectItem& item : core.items) {
      if (item.expr) Expression(*item.expr);
    }
    if (core.where) Expression(*core.where);
    for (const ExprPtr& group : core.group_by)
      Expression(*group);
    if (core.having) Expression(*core.having);
    scopes_.pop_back();
    return Outputs(core, scope);
  }

  void AddSource(const TableRef& ref, Scope& scope) {
    switch (ref.kind) {
      case TableRef::Kind::kTable:
        scope.push_back({ref.has_alias ? ref.alias : ref.name.Name(), Table(ref.name)});
        return;
      case TableRef::Kind::kDerived:
        scope.push_back({ref.alias, Query(*ref.select)});
        return;
      case TableRef::Kind::kJoin:
        AddSource(*ref.left, scope);
        AddSource(*ref.right, scope);
        return;
      case TableRef::Kind::kFunction:
        scope.push_back({ref.has_alias ? ref.alias : ref.name.Name(), FunctionColumns(ref)});
        return;
      case TableRef::Kind::kPivot: {
        Scope source;
        AddSource(*ref.left, source);
        const TableColumns* columns = source.front().columns.get();
        scope.push_back(
            {ref.alias, ref.unpivot ? UnpivotColumns(ref, columns) : PivotColumns(ref, columns)});
        return;
      }
    }
  }

  // What PIVOT yields: the source's columns but the aggregated one and the one it turns, then
  // a column for each value turned.
  static std::shared_ptr<const TableColumns> PivotColumns(const TableRef& ref,
                                                          const TableColumns* source) {
    if (!source) return nullptr;
    auto columns = std::make_shared<TableColumns>();
    const std::u16string& value = ref.aggregate->args[0]->names.back();
    for (const TableColumn& column : *source) {
      if (oleaut::EqualsNoCase(column.name, value) ||
          oleaut::EqualsNoCase(column.name, ref.pivot_column)) {
        continue;
      }
      columns->push_back({column.name, column.type});
    }
    for (const std::u16string& name : ref.pivot_values)
      columns->push_back({name, SqlType::Unknown()});
    return columns;
  }

  // What UNPIVOT yields: the source's columns but those it turns into rows, then the column of
  // their names (sysname) and the column of their values, of their common type. SQL Server
  // refuses columns of different types (lengths included): error 8167.
  static std::shared_ptr<const TableColumns> UnpivotColumns(const TableRef& ref,
                                                            const TableColumns* source) {
    if (!source) return nullptr;
    auto columns = std::make_shared<TableColumns>();
    std::optional<SqlType> value_type;
    for (const std::u16string& name : ref.pivot_values) {
      const auto turned = std::find_if(source->begin(), source->end(), [&](const TableColumn& c) {
        return oleaut::EqualsNoCase(c.name, name);
      });
      if (turned == source->end()) RaiseInvalidColumnName(ref.pos, name);
      if (!value_type) {
        value_type = turned->type;
      } else if (value_type->IsKnown() && turned->type.IsKnown() &&
                 value_type->Declared() != turned->type.Declared()) {
        RaiseStatementError(ref.pos, u"The type of column \"" + name +
                                         u"\" conflicts with the type of other columns specified "
                                         u"in the UNPIVOT list.");
      } else if (!turned->type.IsKnown()) {
        value_type = SqlType::Unknown();
      }
    }
    for (const TableColumn& column : *source) {
      const bool turned = std::any_of(
          ref.pivot_values.begin(), ref.pivot_values.end(),
          [&](const std::u16string& name) { return oleaut::EqualsNoCase(column.name, name); });
      if (!turned) columns->push_back({column.name, column.type});
    }
    columns->push_back({ref.pivot_column, SqlType::Varchar(128, true)});
    columns->push_back({ref.unpivot_value, *value_type});
    return columns;
  }

  // The columns of STRING_SPLIT (value, and ordinal when asked) and of OPENJSON (key, value,
  // type), typed as SQL Server types them; a piece of STRING_SPLIT is of its text's type.
  static std::shared_ptr<const TableColumns> FunctionColumns(const TableRef& ref) {
    auto columns = std::make_shared<TableColumns>();
    for (const JsonColumn& column : ref.json_columns) {
      const std::optional<SqlType> type = ResolveType(column.type, false);
      columns->push_back({column.name, column.as_json ? SqlType::Varchar(-1, true)
                                       : type         ? *type
                                                      : SqlType::Unknown()});
    }
    if (!ref.json_columns.empty()) return columns;
    if (oleaut::EqualsNoCase(ref.name.Name(), u"openjson")) {
      columns->push_back({u"key", SqlType::Varchar(4000, true)});
      columns->push_back({u"value", SqlType::Varchar(-1, true)});
      columns->push_back({u"type", SqlType::Int()});
      return columns;
    }
    columns->push_back({u"value", SqlType::Unknown()});
    if (ref.args.size() > 2 && ref.args[2]->kind == ExprKind::kNumber &&
        ref.args[2]->text == u"1") {
      columns->push_back({u"ordinal", SqlType{SqlType::Class::kInteger, "bigint", 0, 0, 0}});
    }
    return columns;
  }

  void JoinConditions(const TableRef& ref) {
    for (const ExprPtr& arg : ref.args)
      Expression(*arg);
    if (ref.kind != TableRef::Kind::kJoin) return;
    JoinConditions(*ref.left);
    JoinConditions(*ref.right);
    if (ref.on) Expression(*ref.on);
  }

  // What a SELECT yields: a * stands for the columns of the tables it names; unknown as a
  // whole when one of those tables is.
  std::shared_ptr<const TableColumns> Outputs(const SelectCore& core, const Scope& scope) {
    auto columns = std::make_shared<TableColumns>();
    for (const SelectItem& item : core.items) {
      if (!item.star) {
        std::u16string name = item.has_alias                         ? item.alias
                              : item.expr->kind == ExprKind::kColumn ? item.expr->names.back()
                                                                     : std::u16string();
        columns->push_back({std::move(name), typer_.TypeOf(*item.expr)});
        continue;
      }
      for (const Source& source : scope) {
        if (!item.star_qualifier.empty() &&
            !oleaut::EqualsNoCase(source.qualifier, item.star_qualifier.back())) {
          continue;
        }
        if (!source.columns) return nullptr;
        columns->insert(columns->end(), source.columns->begin(), source.columns->end());
      }
    }
    return columns;
  }

  void Expression(const Expr& expr) {
    if (expr.kind == ExprKind::kColumn) {
      if (IsEngineColumnName(expr.names.back()) && !Declares(expr.names)) {
        RaiseInvalidColumnName(expr.pos, expr.names.back());
      }
      const SqlType type = Lookup(expr.names);
      if (type.IsKnown()) typer_.SetColumnType(expr, type);
      return;
    }
    for (const ExprPtr& arg : expr.args) {
      if (arg) Expression(*arg);
    }
    if (expr.select) Query(*expr.select);
    if (expr.over) {
      for (const ExprPtr& key : expr.over->partition_by)
        Expression(*key);
      for (const OrderItem& key : expr.over->order_by)
        Expression(*key.expr);
    }
  }

  // Whether a table of the query, or of a query around it, declares the column a reference names.
  bool Declares(const std::vector<std::u16string>& names) const {
    const std::u16string* qualifier = names.size() >= 2 ? &names[names.size() - 2] : nullptr;
    for (const Scope* scope : scopes_) {
      for (const Source& source : *scope) {
        if (qualifier && !oleaut::EqualsNoCase(source.qualifier, *qualifier)) continue;
        if (source.columns && FindColumn(*source.columns, names.back())) return true;
      }
    }
    return false;
  }

  // The type of the column a reference names: in the innermost query whose tables have it.
  // Where a table of unknown columns might hold it, nothing is claimed.
  SqlType Lookup(const std::vector<std::u16string>& names) {
    const std::u16string& column = names.back();
    const std::u16string* qualifier = names.size() >= 2 ? &names[names.size() - 2] : nullptr;
    for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
      bool unknown = false;
      for (const Source& source : **scope) {
        if (qualifier && !oleaut::EqualsNoCase(source.qualifier, *qualifier)) continue;
        if (!source.columns) {
          unknown = true;
          continue;
        }
        if (const TableColumn* found = FindColumn(*source.columns, column)) return found->type;
        if (qualifier) return SqlType::Unknown();
      }
      if (unknown) return SqlType::Unknown();
    }
    return SqlType::Unknown();
  }

  BatchSchema& schema_;
  Typer& typer_;
  std::vector<const Scope*> scopes_;
  // The common table expressions in reach, innermost last: name in lower case, columns.
  std::vector<std::pair<std::u16string, std::shared_ptr<const TableColumns>>> common_tables_;
};

}  // namespace

std::shared_ptr<const TableColumns> ResolveColumns(const Statement& statement, BatchSchema& schema,
                                                   Typer& typer) {
  return Resolver(schema, typer).Statement(statement);
}

}  // namespace tsql
