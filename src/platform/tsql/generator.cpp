// The generator's entry and its driver: the batch statement by statement, the control
// statements (IF, blocks), variables and SET options, and the names of tables.
#include "platform/tsql/generator.h"

#include <algorithm>

#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

void AppendQuotedName(std::string& out, std::u16string_view name) {
  out += '"';
  for (char c : Utf8(name)) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendStringLiteral(std::string& out, std::u16string_view value) {
  const bool has_nul = value.find(u'\0') != std::u16string_view::npos;
  if (has_nul) out += '(';
  out += '\'';
  for (char c : Utf8(value)) {
    if (c == '\0') {
      out += "' || char(0) || '";
      continue;
    }
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  if (has_nul) out += ')';
}

Generator::Generator(std::u16string_view batch, const ParsedBatch& parsed, Schema* schema)
    : batch_(batch), tables_(schema) {
  program_.marker_count = parsed.marker_count;
  program_.source = std::u16string(batch);
  program_.typed = schema != nullptr;
}

Program Generator::Run(const ParsedBatch& parsed) {
  for (std::size_t i = 0; i < parsed.statements.size(); ++i) {
    next_ = i + 1 < parsed.statements.size() ? parsed.statements[i + 1].get() : nullptr;
    GenerateStatement(*parsed.statements[i], program_.nodes);
  }
  next_ = nullptr;
  program_.nodes.insert(program_.nodes.begin(),
                        std::make_move_iterator(table_variable_nodes_.begin()),
                        std::make_move_iterator(table_variable_nodes_.end()));
  if (parsed.variable_count > 0) {
    // Every variable of a batch starts as NULL, wherever it is declared.
    current_ = parsed.statements.front().get();
    SqlStatement clear = Begin(StatementKind::kAssign);
    clear.row_count = RowCountEffect::kKept;
    out_ = "SELECT tsql_clear_variables()";
    std::vector<Node> first;
    Finish(clear, first);
    program_.nodes.insert(program_.nodes.begin(), std::move(first.front()));
  }
  program_.dependencies = tables_.TakeDependencies();
  return std::move(program_);
}

void Generator::GenerateStatement(const Statement& statement, std::vector<Node>& nodes) {
  current_ = &statement;
  query_columns_ = ResolveColumns(statement, tables_, typer_);
  std::visit([&](const auto& body) { Generate(body, nodes); }, statement.body);
}

// `temp`: the statement changes only a temporary table.
SqlStatement Generator::Begin(StatementKind kind, bool temp) {
  SqlStatement s;
  s.kind = kind;
  s.target_temp = temp;
  s.pos = current_->pos;
  s.ordinal = program_.statement_count++;
  program_.statement_tokens.emplace_back(current_->first_token, current_->end_token);
  // SQLite takes no markers in a schema's definitions.
  bind_literals_ = kind != StatementKind::kDdl;
  s.source = std::u16string(
      batch_.substr(current_->pos.offset, current_->end_offset - current_->pos.offset));
  out_.clear();
  markers_.clear();
  probes_.clear();
  return s;
}

void Generator::Finish(SqlStatement& s, std::vector<Node>& nodes) {
  s.sql = std::move(out_);
  s.markers = std::move(markers_);
  s.probes = std::move(probes_);
  out_.clear();
  markers_.clear();
  probes_.clear();
  nodes.push_back(Node{std::move(s)});
}

// SET options reset @@ROWCOUNT, and nothing else here.
void Generator::Generate(const NoOpStmt&, std::vector<Node>& nodes) {
  SqlStatement s = Begin(StatementKind::kSessionOption);
  s.row_count = RowCountEffect::kZero;
  Finish(s, nodes);
}

// SET @v = expr, DECLARE @v type = expr: one SELECT that sets each in order.
void Generator::Generate(const AssignStmt& assign, std::vector<Node>& nodes) {
  if (assign.assignments.empty()) return;  // DECLARE alone runs nothing
  SqlStatement s = Begin(StatementKind::kAssign);
  out_ += "SELECT ";
  for (std::size_t i = 0; i < assign.assignments.size(); ++i) {
    if (i > 0) out_ += ", ";
    GenAssigned(*assign.assignments[i].first, *assign.assignments[i].second);
  }
  Finish(s, nodes);
}

// The value converted to the variable's declared type, as SQL Server converts on assignment.
void Generator::GenAssigned(const Expr& target, const Expr& value) {
  const SqlType type = ColumnType(target.type);
  const SqlType value_type = TypeOf(value);
  out_ += "tsql_set_variable(" + std::to_string(target.index) + ", ";
  if (value_type.cls == SqlType::Class::kNull || value_type.Declared() == type.Declared()) {
    Gen(value);
  } else {
    GenAs(value, type);
  }
  out_ += ')';
}

// A SELECT that sets variables returns no rows, and may do nothing else.
bool Generator::IsAssigningSelect(const Select& select) {
  const SelectCore& first = select.cores.front();
  const bool assigns = std::any_of(first.items.begin(), first.items.end(),
                                   [](const SelectItem& item) { return item.target != nullptr; });
  if (!assigns) return false;
  const bool all = std::all_of(first.items.begin(), first.items.end(),
                               [](const SelectItem& item) { return item.target != nullptr; });
  if (!all || select.cores.size() > 1 || first.has_into) {
    RaiseStatementError(first.pos,
                        u"A SELECT statement that assigns a value to a variable must not be "
                        u"combined with data-retrieval operations.");
  }
  return true;
}

void Generator::Generate(const IfStmt& branch, std::vector<Node>& nodes) {
  auto node = std::make_unique<IfNode>();
  const Statement* outer = current_;
  node->condition = Condition(*branch.condition);
  GenerateStatement(*branch.then_branch, node->then_nodes);
  if (branch.else_branch) GenerateStatement(*branch.else_branch, node->else_nodes);
  current_ = outer;
  nodes.push_back(Node{std::move(node)});
}

void Generator::Generate(const BlockStmt& block, std::vector<Node>& nodes) {
  const Statement* outer = current_;
  for (const StatementPtr& statement : block.body)
    GenerateStatement(*statement, nodes);
  current_ = outer;
}

// The table's own name; SQL Server's schema "dbo" is SQLite's main schema, and no other
// schema or database exists there.
std::u16string Generator::TableName(const ObjectName& name) {
  const std::u16string& own = name.Name();
  if (own.size() > 1 && own[0] == u'#' && own[1] == u'#') {
    RaiseUnsupported(batch_, name.pos, u"A global temporary table (##name)");
  }
  for (std::size_t i = 0; i + 1 < name.parts.size(); ++i) {
    const std::u16string& part = name.parts[i];
    const bool schema = i + 2 == name.parts.size();
    if (part.empty()) continue;
    if (schema && oleaut::EqualsNoCase(part, u"dbo")) continue;
    RaiseUnsupported(batch_, name.pos,
                     schema ? u"A schema other than dbo" : u"A name qualified by a database");
  }
  return own;
}

}  // namespace tsql::generation

namespace tsql {

Program Generate(std::u16string_view batch, const ParsedBatch& parsed, Schema* schema) {
  return generation::Generator(batch, parsed, schema).Run(parsed);
}

}  // namespace tsql
