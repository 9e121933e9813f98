#include "platform/ado/sqlite/column_types.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ado/sqlite/translated_statements.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/decimal.h"
#include "platform/tsql/runtime/runtime.h"

namespace ado::sqlite {
namespace {

constexpr std::int32_t kLong = 2147483647;

ColumnType Make(DataTypeEnum type, std::int32_t size, ValueKind kind, int precision = 255,
                int scale = 255) {
  ColumnType t;
  t.info.type = type;
  t.info.defined_size = size;
  t.info.precision = static_cast<std::uint8_t>(precision);
  t.info.numeric_scale = static_cast<std::uint8_t>(scale);
  t.kind = kind;
  return t;
}

// The engine may hand UTF-16 text at an odd address: it is copied, never read in place.
std::u16string ColumnText16(sqlite3_stmt* stmt, int column) {
  const void* data = sqlite3_column_text16(stmt, column);
  const int bytes = sqlite3_column_bytes16(stmt, column);
  std::u16string text(static_cast<std::size_t>(bytes / 2), u'\0');
  if (bytes > 0) std::memcpy(text.data(), data, static_cast<std::size_t>(bytes / 2) * 2);
  return text;
}

oleaut::Variant Natural(sqlite3_stmt* stmt, int column, int storage) {
  switch (storage) {
    case SQLITE_INTEGER: {
      const sqlite3_int64 v = sqlite3_column_int64(stmt, column);
      if (v >= INT32_MIN && v <= INT32_MAX) return static_cast<std::int32_t>(v);
      return oleaut::Decimal::FromInt64(v);
    }
    case SQLITE_FLOAT:
      return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT:
      return oleaut::Variant(ColumnText16(stmt, column));
    case SQLITE_BLOB: {
      const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt, column));
      return oleaut::ByteArray(data, data + sqlite3_column_bytes(stmt, column));
    }
    default:
      return oleaut::kNull;
  }
}

std::optional<oleaut::Decimal> StoredDecimal(sqlite3_stmt* stmt, int column, int storage) {
  try {
    switch (storage) {
      case SQLITE_INTEGER:
        return oleaut::Decimal::FromInt64(sqlite3_column_int64(stmt, column));
      case SQLITE_FLOAT: {
        // The digits that were written, not the 15 that VB keeps of a double.
        const double value = sqlite3_column_double(stmt, column);
        if (auto shortest = oleaut::Decimal::FromDoubleShortest(value)) return shortest;
        return oleaut::Decimal::FromDouble(value);
      }
      case SQLITE_TEXT:
        return oleaut::Decimal::Parse(ColumnText16(stmt, column));
      default:
        return std::nullopt;
    }
  } catch (const oleaut::ComError&) {
    return std::nullopt;
  }
}

}  // namespace

ColumnType MapDeclaredType(std::string_view declared) {
  const std::string lower = LowerAscii(declared);
  const std::size_t open = lower.find('(');
  // The first word names the type: "datetime blob" is a datetime.
  std::string name = lower.substr(0, std::min(open, lower.find(' ')));
  int a = -1;
  int b = -1;
  bool max = false;
  if (open != std::string::npos) {
    const char* p = lower.c_str() + open + 1;
    while (*p == ' ')
      ++p;
    if (std::string_view(p).rfind("max", 0) == 0) {
      max = true;
    } else {
      char* end = nullptr;
      a = static_cast<int>(std::strtol(p, &end, 10));
      if (*end == ',') b = static_cast<int>(std::strtol(end + 1, &end, 10));
    }
  }
  const auto length = [&](int fallback) { return max ? kLong : (a > 0 ? a : fallback); };
  if (name == "bit") return Make(adBoolean, 2, ValueKind::kBoolean);
  if (name == "tinyint") return Make(adUnsignedTinyInt, 1, ValueKind::kSmallInt, 3);
  if (name == "smallint") return Make(adSmallInt, 2, ValueKind::kSmallInt, 5);
  if (name == "int" || name == "integer") return Make(adInteger, 4, ValueKind::kInteger, 10);
  if (name == "bigint") return Make(adBigInt, 8, ValueKind::kBigInt, 19);
  if (name == "float" || name == "double") return Make(adDouble, 8, ValueKind::kDouble, 15);
  if (name == "real") return Make(adSingle, 4, ValueKind::kDouble, 7);
  if (name == "decimal" || name == "numeric") {
    const int precision = a > 0 ? a : 18;
    const int scale = b >= 0 ? b : 0;
    return Make(adNumeric, 19, ValueKind::kDecimal, precision, scale);
  }
  if (name == "money") return Make(adNumeric, 19, ValueKind::kDecimal, 19, 4);
  if (name == "smallmoney") return Make(adNumeric, 19, ValueKind::kDecimal, 10, 4);
  if (name == "datetime2") {
    // datetime2(n) as SQL Server's provider describes it: 19 characters and n digits after a
    // point ("datetime2 blob" alone is a column that keeps milliseconds).
    const int digits = a >= 0 ? std::min(a, 7) : lower.find(' ') != std::string::npos ? 3 : 7;
    return Make(adDBTimeStamp, 16, ValueKind::kDate, digits > 0 ? 20 + digits : 19, digits);
  }
  if (name == "datetime" || name == "smalldatetime") {
    return Make(adDBTimeStamp, 16, ValueKind::kDate, name == "smalldatetime" ? 16 : 23,
                name == "smalldatetime" ? 0 : 3);
  }
  if (name == "date") return Make(adDBDate, 3, ValueKind::kDate, 10, 0);
  // SQL Server's OLE DB provider hands a time to ADO as its text, "hh:mm:ss.fffffff".
  if (name == "time") return Make(adVarWChar, 16, ValueKind::kText);
  if (name == "char")
    return Make(length(1) == kLong ? adLongVarChar : adChar, length(1), ValueKind::kText);
  if (name == "varchar") {
    return Make(max ? adLongVarChar : adVarChar, length(1), ValueKind::kText);
  }
  if (name == "text") return Make(adLongVarChar, kLong, ValueKind::kText);
  if (name == "nchar") return Make(adWChar, length(1), ValueKind::kText);
  if (name == "nvarchar") {
    return Make(max ? adLongVarWChar : adVarWChar, max ? 1073741823 : length(1), ValueKind::kText);
  }
  if (name == "ntext") return Make(adLongVarWChar, 1073741823, ValueKind::kText);
  if (name == "sysname") return Make(adVarWChar, 128, ValueKind::kText);
  if (name == "uniqueidentifier") return Make(adVarWChar, 38, ValueKind::kText);
  if (name == "binary") return Make(adBinary, length(1), ValueKind::kBinary);
  if (name == "varbinary") {
    return Make(max ? adLongVarBinary : adVarBinary, length(1), ValueKind::kBinary);
  }
  if (name == "image" || name == "blob") return Make(adLongVarBinary, kLong, ValueKind::kBinary);
  return {};
}

ColumnType NaturalType(int storage_class) {
  switch (storage_class) {
    case SQLITE_INTEGER:
      return Make(adInteger, 4, ValueKind::kNatural, 10);
    case SQLITE_FLOAT:
      return Make(adDouble, 8, ValueKind::kNatural, 15);
    case SQLITE_BLOB:
      return Make(adLongVarBinary, kLong, ValueKind::kNatural);
    default:
      return Make(adVarWChar, 1, ValueKind::kNatural);
  }
}

oleaut::Variant ReadValue(sqlite3_stmt* stmt, int column, const ColumnType& type) {
  const int storage = sqlite3_column_type(stmt, column);
  if (storage == SQLITE_NULL) return oleaut::kNull;
  switch (type.kind) {
    case ValueKind::kNatural:
      break;
    case ValueKind::kBoolean:
      if (storage == SQLITE_INTEGER) return sqlite3_column_int64(stmt, column) != 0;
      if (storage == SQLITE_FLOAT) return sqlite3_column_double(stmt, column) != 0;
      break;
    case ValueKind::kSmallInt:
    case ValueKind::kInteger: {
      if (storage != SQLITE_INTEGER) break;
      const sqlite3_int64 v = sqlite3_column_int64(stmt, column);
      if (type.kind == ValueKind::kSmallInt && v >= INT16_MIN && v <= INT16_MAX) {
        return static_cast<std::int16_t>(v);
      }
      break;
    }
    case ValueKind::kBigInt:
      if (storage == SQLITE_INTEGER) {
        return oleaut::Decimal::FromInt64(sqlite3_column_int64(stmt, column));
      }
      break;
    case ValueKind::kDouble:
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        return sqlite3_column_double(stmt, column);
      }
      break;
    case ValueKind::kDecimal:
      if (auto value = StoredDecimal(stmt, column, storage)) {
        if (auto scaled = value->Rescale(type.info.numeric_scale)) return *scaled;
      }
      break;
    case ValueKind::kDate:
      if (storage == SQLITE_TEXT) {
        if (auto fields = tsql::ParseSqlDateTime(ColumnText16(stmt, column))) {
          try {
            return oleaut::Date::FromFields(*fields);
          } catch (const oleaut::ComError&) {
          }
        }
      } else if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        // SQL Server counts days from 1900-01-01, OLE from 1899-12-30.
        return oleaut::Date(sqlite3_column_double(stmt, column) + 2.0);
      }
      break;
    case ValueKind::kText:
      if (storage == SQLITE_TEXT || storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        return oleaut::Variant(ColumnText16(stmt, column));
      }
      break;
    case ValueKind::kBinary:
      break;
  }
  // A value the column's type does not describe (SQLite stores any value in any column) is
  // handed over as it is stored rather than altered.
  return Natural(stmt, column, storage);
}

}  // namespace ado::sqlite
