// Arithmetic with SQL Server's errors where SQLite gives a value: division and modulo by zero,
// integer overflow, text that is no number, and operands the operator does not take.
#include <fmt/format.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

const char* OperatorName(char op) {
  switch (op) {
    case '-':
      return "subtract";
    case '*':
      return "multiply";
    case '/':
      return "divide";
    default:
      return "modulo";
  }
}

// An operand as a number: a text takes the other operand's kind (an integer beside an integer),
// and one that is no such number is SQL Server's conversion error.
struct Operand {
  bool integral = false;
  std::int64_t integer = 0;
  double real = 0;
};

bool ReadOperand(sqlite3_context* context, sqlite3_value* value, bool integral, Operand& out) {
  out.integral = integral;
  const int type = sqlite3_value_type(value);
  if (type == SQLITE_TEXT) {
    const std::u16string text = Text16(value);
    if (integral) {
      if (auto parsed = ParseInteger(text)) {
        out.integer = *parsed;
        return true;
      }
      ResultConversionError(context, value, "int");
      return false;
    }
    if (auto parsed = ParseReal(text)) {
      out.real = *parsed;
      return true;
    }
    ResultError(context, "Error converting data type varchar to numeric.");
    return false;
  }
  if (integral) {
    out.integer = sqlite3_value_int64(value);
  } else {
    out.real = sqlite3_value_double(value);
  }
  return true;
}

// `Real`: the result's type is a decimal or a float, whatever form SQLite holds the operands in.
template <char Op, bool Real = false>
void Arithmetic(sqlite3_context* context, int, sqlite3_value** argv) {
  const int ta = sqlite3_value_type(argv[0]);
  const int tb = sqlite3_value_type(argv[1]);
  if (ta == SQLITE_NULL || tb == SQLITE_NULL) return sqlite3_result_null(context);
  if (ta == SQLITE_BLOB || tb == SQLITE_BLOB || (ta == SQLITE_TEXT && tb == SQLITE_TEXT)) {
    const char* a = ta == SQLITE_BLOB ? "varbinary" : "varchar";
    const char* b = tb == SQLITE_BLOB ? "varbinary" : "varchar";
    return ResultError(
        context, fmt::format("The data types {} and {} are incompatible in the {} operator.", a, b,
                             OperatorName(Op)));
  }
  const bool integral = !Real && ta != SQLITE_FLOAT && tb != SQLITE_FLOAT;
  Operand x;
  Operand y;
  if (!ReadOperand(context, argv[0], integral, x) || !ReadOperand(context, argv[1], integral, y)) {
    return;
  }
  if (integral) {
    std::int64_t result = 0;
    bool overflow = false;
    if constexpr (Op == '-') {
      overflow = __builtin_sub_overflow(x.integer, y.integer, &result);
    } else if constexpr (Op == '*') {
      overflow = __builtin_mul_overflow(x.integer, y.integer, &result);
    } else {
      if (y.integer == 0) return ResultError(context, "Divide by zero error encountered.");
      overflow = x.integer == INT64_MIN && y.integer == -1;
      if (!overflow) result = Op == '/' ? x.integer / y.integer : x.integer % y.integer;
    }
    if (overflow) {
      return ResultError(context,
                         "Arithmetic overflow error converting expression to data type bigint.");
    }
    return sqlite3_result_int64(context, result);
  }
  double result = 0;
  if constexpr (Op == '-') {
    result = x.real - y.real;
  } else if constexpr (Op == '*') {
    result = x.real * y.real;
  } else {
    if (y.real == 0) return ResultError(context, "Divide by zero error encountered.");
    result = Op == '/' ? x.real / y.real : std::fmod(x.real, y.real);
  }
  if (!std::isfinite(result)) {
    return ResultError(context,
                       "Arithmetic overflow error converting expression to data type float.");
  }
  sqlite3_result_double(context, result);
}

}  // namespace

void Subtract(sqlite3_context* context, int argc, sqlite3_value** argv) {
  Arithmetic<'-'>(context, argc, argv);
}
void Multiply(sqlite3_context* context, int argc, sqlite3_value** argv) {
  Arithmetic<'*'>(context, argc, argv);
}
void Divide(sqlite3_context* context, int argc, sqlite3_value** argv) {
  Arithmetic<'/'>(context, argc, argv);
}
void DivideReal(sqlite3_context* context, int argc, sqlite3_value** argv) {
  Arithmetic<'/', true>(context, argc, argv);
}
void Modulo(sqlite3_context* context, int argc, sqlite3_value** argv) {
  Arithmetic<'%'>(context, argc, argv);
}

// tsql_fit(value, 'int'): the value of an expression of an integer type, or SQL Server's overflow
// error when it left the type's range (SQLite computes in 64 bits, and past them in floats).
void FitInteger(sqlite3_context* context, int, sqlite3_value** argv) {
  sqlite3_value* value = argv[0];
  const int type = sqlite3_value_type(value);
  if (type == SQLITE_NULL) return sqlite3_result_null(context);
  const auto* name = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
  const std::string target = name ? name : "int";
  std::int64_t low = INT64_MIN;
  std::int64_t high = INT64_MAX;
  if (target == "int") {
    low = INT32_MIN;
    high = INT32_MAX;
  } else if (target == "smallint") {
    low = INT16_MIN;
    high = INT16_MAX;
  } else if (target == "tinyint") {
    low = 0;
    high = 255;
  }
  const bool fits = type == SQLITE_INTEGER
                        ? sqlite3_value_int64(value) >= low && sqlite3_value_int64(value) <= high
                        : type != SQLITE_FLOAT;
  if (!fits) {
    return ResultError(
        context, "Arithmetic overflow error converting expression to data type " + target + ".");
  }
  sqlite3_result_value(context, value);
}

}  // namespace tsql::detail

namespace tsql::detail {

// The row count of TOP n (tsql_top_count(n)), of FETCH NEXT n ROWS (tsql_top_count(n, 'fetch'))
// or of OFFSET n ROWS (tsql_top_count(n, 'offset')), with SQL Server's errors for each.
void TopCount(sqlite3_context* context, int argc, sqlite3_value** argv) {
  const auto* clause = argc > 1 ? sqlite3_value_text(argv[1]) : nullptr;
  const std::string_view kind = clause ? reinterpret_cast<const char*>(clause) : "top";
  std::int64_t count = 0;
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
      count = sqlite3_value_int64(argv[0]);
      break;
    case SQLITE_FLOAT:
      count = static_cast<std::int64_t>(std::clamp(sqlite3_value_double(argv[0]), -1.0, 9e18));
      break;
    case SQLITE_TEXT:
      if (auto parsed = ParseInteger(Text16(argv[0]))) {
        count = *parsed;
        break;
      }
      return ResultConversionError(context, argv[0], "bigint");
    default:
      return ResultError(context, kind == "offset"
                                      ? "The number of rows provided for a OFFSET clause must be "
                                        "an integer."
                                      : "The number of rows provided for a TOP or FETCH clauses "
                                        "row count parameter must be an integer.");
  }
  if (kind == "offset" && count < 0) {
    return ResultError(context, "The offset specified in a OFFSET clause may not be negative.");
  }
  if (kind == "fetch" && count <= 0) {
    return ResultError(context,
                       "The number of rows provided for a FETCH clause must be greater then zero.");
  }
  if (count < 0) {
    return ResultError(context, "A TOP N or FETCH rows count value may not be negative.");
  }
  sqlite3_result_int64(context, count);
}

void TopPercent(sqlite3_context* context, int, sqlite3_value** argv) {
  double percent = -1;
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      percent = sqlite3_value_double(argv[0]);
      break;
    case SQLITE_TEXT:
      if (auto parsed = ParseReal(Text16(argv[0])))
        percent = *parsed;
      else
        return ResultError(context, "Error converting data type varchar to float.");
      break;
    default:
      break;
  }
  if (!(percent >= 0 && percent <= 100)) {
    return ResultError(context, "Percent values must be between 0 and 100.");
  }
  const double rows = static_cast<double>(sqlite3_value_int64(argv[1])) * percent / 100;
  // A share that comes out whole within the double's error is not rounded up past it.
  const double whole = std::nearbyint(rows);
  sqlite3_result_int64(
      context, static_cast<std::int64_t>(
                   std::fabs(rows - whole) < 1e-9 * std::max(1.0, rows) ? whole : std::ceil(rows)));
}

}  // namespace tsql::detail
