// Window functions (OVER): the ranking and offset functions and the aggregates over a window, as
// SQLite's own, with SQL Server's rules on where they stand, what OVER they need and their frames.
#include <string>

#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {
namespace {

struct WindowFunction {
  std::u16string_view name;
  std::size_t low;
  std::size_t high;
  bool frame_allowed;  // ranking functions and LAG and LEAD take no frame
};

constexpr WindowFunction kWindowFunctions[] = {
    {u"row_number", 0, 0, false}, {u"rank", 0, 0, false},         {u"dense_rank", 0, 0, false},
    {u"ntile", 1, 1, false},      {u"percent_rank", 0, 0, false}, {u"cume_dist", 0, 0, false},
    {u"lag", 1, 3, false},        {u"lead", 1, 3, false},         {u"first_value", 1, 1, true},
    {u"last_value", 1, 1, true},
};

const WindowFunction* FindWindowFunction(std::u16string_view name) {
  for (const WindowFunction& function : kWindowFunctions) {
    if (function.name == name) return &function;
  }
  return nullptr;
}

bool IsAggregateName(std::u16string_view name) {
  return name == u"count" || name == u"count_big" || name == u"sum" || name == u"avg" ||
         name == u"min" || name == u"max";
}

void AppendBound(std::string& out, const FrameBound& bound) {
  using K = FrameBound::Kind;
  switch (bound.kind) {
    case K::kUnboundedPreceding:
      out += "UNBOUNDED PRECEDING";
      return;
    case K::kPreceding:
      out += std::to_string(bound.rows) + " PRECEDING";
      return;
    case K::kCurrentRow:
      out += "CURRENT ROW";
      return;
    case K::kFollowing:
      out += std::to_string(bound.rows) + " FOLLOWING";
      return;
    case K::kUnboundedFollowing:
      out += "UNBOUNDED FOLLOWING";
      return;
  }
}

bool HasOffset(const FrameBound& bound) {
  return bound.kind == FrameBound::Kind::kPreceding || bound.kind == FrameBound::Kind::kFollowing;
}

}  // namespace

// A ranking or offset function, which needs OVER with ORDER BY; false for any other function
// (an aggregate over a window is generated as an aggregate, its OVER after it).
bool Generator::GenWindowFunction(const std::u16string& name, const Expr& expr) {
  const WindowFunction* function = FindWindowFunction(name);
  if (!function) {
    if (expr.over && !IsAggregateName(name)) {
      RaiseStatementError(expr.pos, u"'" + expr.text +
                                        u"' is not a valid windowing function, and cannot be "
                                        u"used with the OVER clause.");
    }
    return false;
  }
  if (!expr.over) {
    RaiseStatementError(expr.pos, u"The function '" + expr.text + u"' must have an OVER clause.");
  }
  if (expr.over->order_by.empty()) {
    RaiseStatementError(
        expr.pos, u"The function '" + expr.text + u"' must have an OVER clause with ORDER BY.");
  }
  if (expr.over->has_frame && !function->frame_allowed) {
    RaiseStatementError(expr.pos,
                        u"The function '" + expr.text + u"' may not have a window frame.");
  }
  ExpectArgs(expr, function->low, function->high);
  out_ += Utf8(name);
  out_ += '(';
  for (std::size_t i = 0; i < expr.args.size(); ++i) {
    if (i > 0) out_ += ", ";
    GenOutsideWindows(*expr.args[i]);
  }
  out_ += ')';
  GenOver(expr);
  return true;
}

// OVER (...) of `expr`, which may stand only in a select list or an ORDER BY.
void Generator::GenOver(const Expr& expr) {
  if (!windows_allowed_) {
    RaiseStatementError(expr.pos,
                        windows_in_aggregate_
                            ? u"Windowed functions cannot be used in the context of another "
                              u"windowed function or aggregate."
                            : u"Windowed functions can only appear in the SELECT or ORDER BY "
                              u"clauses.");
  }
  const Window& window = *expr.over;
  if (window.has_frame && window.order_by.empty()) {
    RaiseStatementError(window.pos,
                        u"Window frame with ROWS or RANGE must have an ORDER BY clause.");
  }
  if (window.has_frame && window.range && (HasOffset(window.start) || HasOffset(window.end))) {
    RaiseStatementError(window.pos,
                        u"RANGE is only supported with UNBOUNDED and CURRENT ROW "
                        u"window frame delimiters.");
  }
  out_ += " OVER (";
  if (!window.partition_by.empty()) {
    out_ += "PARTITION BY ";
    for (std::size_t i = 0; i < window.partition_by.size(); ++i) {
      if (i > 0) out_ += ", ";
      GenOutsideWindows(*window.partition_by[i]);
      if (NeedsCollation(*window.partition_by[i])) out_ += " COLLATE TSQL";
    }
  }
  if (!window.order_by.empty()) {
    out_ += window.partition_by.empty() ? "ORDER BY " : " ORDER BY ";
    for (std::size_t i = 0; i < window.order_by.size(); ++i) {
      if (i > 0) out_ += ", ";
      const Expr& key = *window.order_by[i].expr;
      if (key.kind == ExprKind::kNumber) {
        RaiseStatementError(key.pos,
                            u"Windowed functions, aggregates and NEXT VALUE FOR "
                            u"functions do not support integer indices as ORDER BY "
                            u"clause expressions.");
      }
      GenOutsideWindows(key);
      if (NeedsCollation(key)) out_ += " COLLATE TSQL";
      if (window.order_by[i].descending) out_ += " DESC";
    }
  }
  if (window.has_frame) {
    out_ += window.range ? " RANGE BETWEEN " : " ROWS BETWEEN ";
    AppendBound(out_, window.start);
    out_ += " AND ";
    AppendBound(out_, window.end);
  }
  out_ += ')';
}

// An argument of a window function or an aggregate, or a key of a window: no window function
// may stand in it.
void Generator::GenOutsideWindows(const Expr& expr) {
  const bool allowed = std::exchange(windows_allowed_, false);
  const bool inside = std::exchange(windows_in_aggregate_, allowed || windows_in_aggregate_);
  Gen(expr);
  windows_allowed_ = allowed;
  windows_in_aggregate_ = inside;
}

}  // namespace tsql::generation
