// The local variables of a batch live in the connection's session, not in the statements: a
// SELECT that assigns one row by row (SELECT @total = @total + x FROM t) reads the value the row
// before it left, as SQL Server's does.
#include <sqlite3.h>

#include "platform/tsql/runtime/detail.h"
#include "platform/tsql/runtime/runtime.h"

namespace tsql {

void FreeSqliteValue::operator()(sqlite3_value* value) const noexcept {
  sqlite3_value_free(value);
}

namespace detail {
namespace {

SessionState& StateOf(sqlite3_context* context) {
  return *static_cast<SessionState*>(sqlite3_user_data(context));
}

// The variable's number; a negative or absurd one is no variable of a translated batch.
std::optional<std::size_t> Slot(sqlite3_context* context, sqlite3_value* number) {
  const sqlite3_int64 slot = sqlite3_value_int64(number);
  if (sqlite3_value_type(number) != SQLITE_INTEGER || slot < 0 || slot > 65535) {
    sqlite3_result_error(context, "tsql_variable: not a variable's number", -1);
    return std::nullopt;
  }
  return static_cast<std::size_t>(slot);
}

void Variable(sqlite3_context* context, int, sqlite3_value** argv) {
  const std::optional<std::size_t> slot = Slot(context, argv[0]);
  if (!slot) return;
  const SessionState& state = StateOf(context);
  if (*slot >= state.variables.size() || !state.variables[*slot]) {
    return sqlite3_result_null(context);
  }
  sqlite3_result_value(context, state.variables[*slot].get());
}

void SetVariable(sqlite3_context* context, int, sqlite3_value** argv) {
  const std::optional<std::size_t> slot = Slot(context, argv[0]);
  if (!slot) return;
  std::unique_ptr<sqlite3_value, FreeSqliteValue> value(sqlite3_value_dup(argv[1]));
  if (!value) return sqlite3_result_error_nomem(context);
  SessionState& state = StateOf(context);
  if (*slot >= state.variables.size()) state.variables.resize(*slot + 1);
  state.variables[*slot] = std::move(value);
  sqlite3_result_null(context);
}

void ClearVariables(sqlite3_context* context, int, sqlite3_value**) {
  StateOf(context).variables.clear();
  sqlite3_result_null(context);
}

// A nested batch starts with variables of its own; the outer batch's come back when it ends.
void PushVariables(sqlite3_context* context, int, sqlite3_value**) {
  SessionState& state = StateOf(context);
  state.saved.push_back(std::move(state.variables));
  state.variables.clear();
  sqlite3_result_null(context);
}

void PopVariables(sqlite3_context* context, int, sqlite3_value**) {
  SessionState& state = StateOf(context);
  if (state.saved.empty())
    return sqlite3_result_error(context, "tsql_pop_variables: none saved", -1);
  state.variables = std::move(state.saved.back());
  state.saved.pop_back();
  sqlite3_result_null(context);
}

}  // namespace

int InstallVariableFunctions(sqlite3* db, SessionState* state) {
  // Neither deterministic nor innocuous: their values change as the batch runs.
  constexpr int kFlags = SQLITE_UTF16 | SQLITE_DIRECTONLY;
  int rc = sqlite3_create_function_v2(db, "tsql_variable", 1, kFlags, state, Variable, nullptr,
                                      nullptr, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function_v2(db, "tsql_set_variable", 2, kFlags, state, SetVariable, nullptr,
                                    nullptr, nullptr);
  }
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function_v2(db, "tsql_clear_variables", 0, kFlags, state, ClearVariables,
                                    nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function_v2(db, "tsql_push_variables", 0, kFlags, state, PushVariables,
                                    nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function_v2(db, "tsql_pop_variables", 0, kFlags, state, PopVariables,
                                    nullptr, nullptr, nullptr);
  }
  return rc;
}

}  // namespace detail
}  // namespace tsql
