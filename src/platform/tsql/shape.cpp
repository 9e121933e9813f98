#include "platform/tsql/shape.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/oleaut/text.h"
#include "platform/tsql/parser.h"
#include "platform/tsql/typing.h"

namespace tsql {
namespace {

// Pointers to the literal tokens, by ordinal.
std::vector<const Token*> Literals(const std::vector<Token>& tokens) {
  std::vector<const Token*> literals;
  for (const Token& token : tokens) {
    if (IsLiteral(token)) literals.push_back(&token);
  }
  return literals;
}

void AppendLength(std::u16string& key, std::size_t length) {
  key += static_cast<char16_t>(length & 0xFFFF);
  key += static_cast<char16_t>(length >> 16);
}

}  // namespace

std::u16string ShapeKey(const std::vector<Token>& tokens) {
  std::u16string key;
  key.reserve(tokens.size() * 8);
  for (const Token& token : tokens) {
    key += static_cast<char16_t>(u'A' + static_cast<int>(token.kind));
    if (token.kind == TokenKind::kNumber) {
      // The literal's type decides the arithmetic and the result types around it.
      const SqlType type = NumberType(token.text);
      key += static_cast<char16_t>(type.cls);
      key += static_cast<char16_t>(type.precision);
      key += static_cast<char16_t>(type.scale);
    } else if (token.kind == TokenKind::kString) {
      key += token.national ? u'N' : u'V';
      AppendLength(key, token.text.size());
    } else {
      AppendLength(key, token.text.size());
      key += token.text;
    }
  }
  return key;
}

void FixUnboundLiterals(Program& program, const std::vector<Token>& tokens) {
  const std::vector<const Token*> literals = Literals(tokens);
  std::vector<bool> bound(literals.size(), false);
  for (int ordinal : program.bound_literals)
    bound[static_cast<std::size_t>(ordinal)] = true;
  for (std::size_t ordinal = 0; ordinal < literals.size(); ++ordinal) {
    if (!bound[ordinal])
      program.fixed_literals.push_back({static_cast<int>(ordinal), literals[ordinal]->text});
  }
}

bool FixedLiteralsMatch(const Program& program, const std::vector<Token>& tokens) {
  if (program.fixed_literals.empty()) return true;
  const std::vector<const Token*> literals = Literals(tokens);
  return std::all_of(program.fixed_literals.begin(), program.fixed_literals.end(),
                     [&](const FixedLiteral& fixed) {
                       const auto ordinal = static_cast<std::size_t>(fixed.ordinal);
                       return ordinal < literals.size() && literals[ordinal]->text == fixed.text;
                     });
}

std::shared_ptr<const Binding> MakeBinding(const Program& program,
                                           const std::vector<Token>& tokens) {
  auto binding = std::make_shared<Binding>();
  if (!program.bound_literals.empty()) {
    const std::vector<const Token*> literals = Literals(tokens);
    binding->literals.reserve(program.bound_literals.size());
    for (int ordinal : program.bound_literals) {
      binding->literals.push_back(LiteralValueOf(*literals[static_cast<std::size_t>(ordinal)]));
    }
  }
  binding->spans.reserve(program.statement_tokens.size());
  for (const auto& [first, end] : program.statement_tokens) {
    const Token& begin_token = tokens[std::min<std::size_t>(first, tokens.size() - 1)];
    const Token& last =
        tokens[std::min<std::size_t>(std::max(end, first + 1) - 1, tokens.size() - 1)];
    binding->spans.emplace_back(begin_token.pos.offset, last.pos.offset + last.length);
  }
  return binding;
}

LiteralValue LiteralValueOf(const Token& literal) {
  if (literal.kind == TokenKind::kString) return literal.text;
  const std::u16string_view digits = MoneyDigits(literal.text);
  std::string ascii(digits.begin(), digits.end());
  if (ascii.find_first_not_of("0123456789") == std::string::npos) {
    std::int64_t value = 0;
    bool fits = true;
    for (char c : ascii) {
      if (value > (INT64_MAX - (c - '0')) / 10) {
        fits = false;
        break;
      }
      value = value * 10 + (c - '0');
    }
    if (fits) return value;
  }
  return std::strtod(ascii.c_str(), nullptr);
}

namespace {

void AppendLiteral(std::string& out, const LiteralValue& value) {
  if (const auto* integer = std::get_if<std::int64_t>(&value)) {
    out += std::to_string(*integer);
  } else if (const auto* real = std::get_if<double>(&value)) {
    out += fmt::format("{}", *real);
  } else {
    out += '\'';
    for (char c : oleaut::ToUtf8(std::get<std::u16string>(value))) {
      if (c == '\'') out += '\'';
      out += c;
    }
    out += '\'';
  }
}

}  // namespace

std::string WithLiteralsShown(std::string_view sql, const SqlStatement& statement,
                              const Binding& binding) {
  std::string out;
  out.reserve(sql.size());
  char quote = 0;
  for (std::size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (quote) {
      if (c == quote) quote = 0;  // a doubled quote closes and opens again
      out += c;
      continue;
    }
    if (c == '\'' || c == '"') quote = c;
    if (c != '?' || i + 1 >= sql.size() || sql[i + 1] < '0' || sql[i + 1] > '9') {
      out += c;
      continue;
    }
    std::size_t end = i + 1;
    std::size_t number = 0;
    while (end < sql.size() && sql[end] >= '0' && sql[end] <= '9') {
      number = number * 10 + static_cast<std::size_t>(sql[end] - '0');
      ++end;
    }
    const BoundMarker* marker = number >= 1 && number <= statement.markers.size()
                                    ? &statement.markers[number - 1]
                                    : nullptr;
    if (marker && marker->from == BoundMarker::From::kLiteral &&
        static_cast<std::size_t>(marker->index) < binding.literals.size()) {
      AppendLiteral(out, binding.literals[static_cast<std::size_t>(marker->index)]);
    } else {
      out.append(sql, i, end - i);
    }
    i = end - 1;
  }
  return out;
}

}  // namespace tsql
