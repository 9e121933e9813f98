// The float functions of SQL Server's mathematics (SQRT, EXP, LOG, LOG10, the trigonometric
// functions, ATN2, DEGREES, RADIANS, RAND) with its error for a value outside a function's
// domain, and GREATEST and LEAST, which pass over NULLs.
#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <random>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

constexpr const char* kInvalidFloat = "An invalid floating point operation occurred.";

// An argument as a float: a number as it is, a text converted as SQL Server converts it (or its
// conversion error raised); nullopt when the argument is NULL or the error was raised.
std::optional<double> FloatArgument(sqlite3_context* context, sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
      sqlite3_result_null(context);
      return std::nullopt;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      return sqlite3_value_double(value);
    default: {
      const std::u16string text = Text16(value);
      if (text.find_first_not_of(u' ') == std::u16string::npos) return 0.0;  // as CAST reads it
      if (auto parsed = ParseReal(text)) return *parsed;
      ResultError(context, "Error converting data type varchar to float.");
      return std::nullopt;
    }
  }
}

void ResultFloat(sqlite3_context* context, double result) {
  if (!std::isfinite(result)) return ResultError(context, kInvalidFloat);
  sqlite3_result_double(context, result == 0 ? 0.0 : result);  // never -0
}

template <auto F>
void FloatFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  if (auto x = FloatArgument(context, argv[0])) ResultFloat(context, F(*x));
}

// LOG(x [, base]): the natural logarithm, or the one to the base given.
void Log(sqlite3_context* context, int argc, sqlite3_value** argv) {
  const auto x = FloatArgument(context, argv[0]);
  if (!x) return;
  if (*x <= 0) return ResultError(context, kInvalidFloat);
  if (argc == 1) return ResultFloat(context, std::log(*x));
  const auto base = FloatArgument(context, argv[1]);
  if (!base) return;
  if (*base <= 0 || *base == 1) return ResultError(context, kInvalidFloat);
  ResultFloat(context, std::log(*x) / std::log(*base));
}

void Atn2(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto y = FloatArgument(context, argv[0]);
  if (!y) return;
  if (const auto x = FloatArgument(context, argv[1])) ResultFloat(context, std::atan2(*y, *x));
}

// RAND(): a new number of [0, 1) at each call. RAND(seed): the same number for the same seed.
void Rand(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (argc == 0) {
    std::uint64_t bits = 0;
    sqlite3_randomness(sizeof bits, &bits);
    return sqlite3_result_double(context, static_cast<double>(bits >> 11) * 0x1.0p-53);
  }
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  std::mt19937_64 engine(static_cast<std::uint64_t>(sqlite3_value_int64(argv[0])));
  sqlite3_result_double(context, std::uniform_real_distribution<double>(0.0, 1.0)(engine));
}

// GREATEST and LEAST of values the generator converted to one type: numbers compare as
// numbers, anything else as the collation compares texts; NULLs are passed over.
template <int Sign>
void Extreme(sqlite3_context* context, int argc, sqlite3_value** argv) {
  sqlite3_value* best = nullptr;
  for (int i = 0; i < argc; ++i) {
    sqlite3_value* value = argv[i];
    const int type = sqlite3_value_type(value);
    if (type == SQLITE_NULL) continue;
    if (best == nullptr) {
      best = value;
      continue;
    }
    const int best_type = sqlite3_value_type(best);
    const bool numbers = (type == SQLITE_INTEGER || type == SQLITE_FLOAT) &&
                         (best_type == SQLITE_INTEGER || best_type == SQLITE_FLOAT);
    int order = 0;
    if (numbers && type == SQLITE_INTEGER && best_type == SQLITE_INTEGER) {
      const auto a = sqlite3_value_int64(value), b = sqlite3_value_int64(best);
      order = a < b ? -1 : a > b ? 1 : 0;
    } else if (numbers) {
      const double a = sqlite3_value_double(value), b = sqlite3_value_double(best);
      order = a < b ? -1 : a > b ? 1 : 0;
    } else {
      order = CompareText(Text16(value), Text16(best));
    }
    if (order * Sign > 0) best = value;
  }
  if (best == nullptr) return sqlite3_result_null(context);
  sqlite3_result_value(context, best);
}

}  // namespace

int InstallMathFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {
      {"tsql_sqrt", 1, FloatFunction<[](double x) { return std::sqrt(x); }>},
      {"tsql_exp", 1, FloatFunction<[](double x) { return std::exp(x); }>},
      {"tsql_log", 1, Log},
      {"tsql_log", 2, Log},
      {"tsql_log10", 1, FloatFunction<[](double x) { return 0 < x ? std::log10(x) : NAN; }>},
      {"tsql_sin", 1, FloatFunction<[](double x) { return std::sin(x); }>},
      {"tsql_cos", 1, FloatFunction<[](double x) { return std::cos(x); }>},
      {"tsql_tan", 1, FloatFunction<[](double x) { return std::tan(x); }>},
      {"tsql_asin", 1, FloatFunction<[](double x) { return std::asin(x); }>},
      {"tsql_acos", 1, FloatFunction<[](double x) { return std::acos(x); }>},
      {"tsql_atan", 1, FloatFunction<[](double x) { return std::atan(x); }>},
      {"tsql_cot", 1, FloatFunction<[](double x) { return 1.0 / std::tan(x); }>},
      {"tsql_atn2", 2, Atn2},
      {"tsql_degrees", 1, FloatFunction<[](double x) { return x * (180.0 / std::numbers::pi); }>},
      {"tsql_radians", 1, FloatFunction<[](double x) { return x * (std::numbers::pi / 180.0); }>},
      {"tsql_rand", 1, Rand},
  };
  if (const int rc = RegisterPureFunctions(db, kFunctions); rc != SQLITE_OK) return rc;
  constexpr int kPassing = SQLITE_UTF16 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS | SQLITE_SUBTYPE;
  if (const int rc = sqlite3_create_function_v2(db, "tsql_greatest", -1, kPassing, nullptr,
                                                Extreme<1>, nullptr, nullptr, nullptr);
      rc != SQLITE_OK) {
    return rc;
  }
  if (const int rc = sqlite3_create_function_v2(db, "tsql_least", -1, kPassing, nullptr,
                                                Extreme<-1>, nullptr, nullptr, nullptr);
      rc != SQLITE_OK) {
    return rc;
  }
  return sqlite3_create_function_v2(db, "tsql_rand", 0, SQLITE_UTF16 | SQLITE_INNOCUOUS, nullptr,
                                    Rand, nullptr, nullptr, nullptr);
}

}  // namespace tsql::detail
