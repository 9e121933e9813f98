// Column lookup by name without regard to case, as ADO's Fields collection does it. Built once
// when a recordset opens; a lookup neither allocates nor folds a copy of the name. With two
// columns of one name, the first one wins.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ado/provider.h"

namespace ado {

class FieldNameIndex {
 public:
  FieldNameIndex() = default;
  explicit FieldNameIndex(const std::vector<ColumnInfo>& columns);

  std::optional<std::size_t> Find(std::u16string_view name) const;

 private:
  struct FoldedHash {
    using is_transparent = void;
    std::size_t operator()(std::u16string_view name) const noexcept;
  };
  struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const noexcept;
  };

  std::unordered_map<std::u16string, std::size_t, FoldedHash, FoldedEqual> positions_;
};

}  // namespace ado
