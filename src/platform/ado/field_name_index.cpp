#include "platform/ado/field_name_index.h"

#include "platform/oleaut/text.h"

namespace ado {
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

}  // namespace ado
