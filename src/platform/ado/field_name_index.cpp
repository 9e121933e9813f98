#include "platform/ado/field_name_index.h"

#include "platform/oleaut/text.h"

namespace ado {
namespace {

// The same folding as oleaut::EqualsNoCase, one code unit at a time, so that names equal
// without regard to case hash alike.
char16_t FoldUnit(char16_t unit) {
  if (unit < 0x80) return (unit >= u'a' && unit <= u'z') ? unit - (u'a' - u'A') : unit;
  return oleaut::UCase(std::u16string_view(&unit, 1))[0];
}

}  // namespace

FieldNameIndex::FieldNameIndex(const std::vector<ColumnInfo>& columns) {
  positions_.reserve(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i)
    positions_.try_emplace(columns[i].name, i);
}

std::optional<std::size_t> FieldNameIndex::Find(std::u16string_view name) const {
  const auto hit = positions_.find(name);
  if (hit == positions_.end()) return std::nullopt;
  return hit->second;
}

std::size_t FieldNameIndex::FoldedHash::operator()(std::u16string_view name) const noexcept {
  // FNV-1a over the folded code units.
  std::size_t hash = 14695981039346656037ULL;
  for (const char16_t unit : name) {
    hash ^= FoldUnit(unit);
    hash *= 1099511628211ULL;
  }
  return hash;
}

bool FieldNameIndex::FoldedEqual::operator()(std::u16string_view a,
                                             std::u16string_view b) const noexcept {
  return oleaut::EqualsNoCase(a, b);
}

}  // namespace ado
