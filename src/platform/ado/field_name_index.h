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
#include "platform/oleaut/folded_names.h"
#include "platform/oleaut/text.h"

namespace ado {

class FieldNameIndex {
 public:
  FieldNameIndex() = default;
  explicit FieldNameIndex(const std::vector<ColumnInfo>& columns);

  std::optional<std::size_t> Find(std::u16string_view name) const;

 private:
  // Folded as oleaut::EqualsNoCase folds.
  std::unordered_map<std::u16string, std::size_t, oleaut::FoldedHash<oleaut::UpperUnit>,
                     oleaut::FoldedEqual<oleaut::UpperUnit>>
      positions_;
};

}  // namespace ado
