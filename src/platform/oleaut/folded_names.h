// Hash and equality for containers keyed by names that compare without regard to case, such as
// a class's member names or a recordset's column names. `Fold` maps one code unit to its folded
// form; names equal after folding hash alike. Both take views, so a lookup neither allocates nor
// folds a copy of the name.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace oleaut {

// ASCII letters to upper case, every other code unit as it is: enough for identifiers.
constexpr char16_t UpperAscii(char16_t c) noexcept {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

template <char16_t (*Fold)(char16_t) noexcept>
struct FoldedHash {
  using is_transparent = void;
  std::size_t operator()(std::u16string_view name) const noexcept {
    // FNV-1a over the folded code units.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char16_t unit : name) {
      hash ^= Fold(unit);
      hash *= 1099511628211ULL;
    }
    return static_cast<std::size_t>(hash);
  }
};

template <char16_t (*Fold)(char16_t) noexcept>
struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
  }
};

}  // namespace oleaut
