// The bare engine's counterpart of a client-side recordset's read: every value of the current
// row of `statement`, copied into Variants as ADO holds them. The benchmarks set the component's
// reads against this floor.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/oleaut/variant.h"

namespace bench {

inline void AppendRowValues(sqlite3_stmt* statement, int columns,
                            std::vector<oleaut::Variant>& values) {
  for (int c = 0; c < columns; ++c) {
    switch (sqlite3_column_type(statement, c)) {
      case SQLITE_INTEGER:
        values.emplace_back(static_cast<std::int32_t>(sqlite3_column_int(statement, c)));
        break;
      case SQLITE_FLOAT:
        values.emplace_back(sqlite3_column_double(statement, c));
        break;
      case SQLITE_NULL:
        values.emplace_back(oleaut::kNull);
        break;
      default: {
        const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(statement, c));
        const auto units = static_cast<std::size_t>(sqlite3_column_bytes16(statement, c)) / 2;
        values.emplace_back(std::u16string(text, units));
      }
    }
  }
}

}  // namespace bench
