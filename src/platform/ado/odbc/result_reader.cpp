#include "platform/ado/odbc/result_reader.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "platform/ado/odbc/fetch_buffers.h"
#include "platform/ado/sqlite/translated_statements.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/decimal.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/runtime/runtime.h"

namespace ado::odbc {
namespace {

using sqlite::ColumnType;
using sqlite::ValueKind;

// A cursor row count beyond this is taken for a driver's guess, not reserved for.
constexpr std::size_t kMostRowsReserved = 1 << 24;

template <class T>
bool GetFixed(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT c_type, T& value,
              const CallContext& where) {
  SQLLEN indicator = 0;
  TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt, where, SQLGetData, stmt, column, c_type, &value,
                static_cast<SQLLEN>(sizeof(T)), &indicator);
  return indicator != SQL_NULL_DATA;
}

oleaut::Variant WholeNumber(std::int64_t v, ValueKind kind) {
  if (kind == ValueKind::kSmallInt && v >= INT16_MIN && v <= INT16_MAX) {
    return static_cast<std::int16_t>(v);
  }
  if (kind == ValueKind::kBigInt) return oleaut::Decimal::FromInt64(v);
  if (v >= INT32_MIN && v <= INT32_MAX) return static_cast<std::int32_t>(v);
  return oleaut::Decimal::FromInt64(v);
}

std::optional<std::int64_t> ParseWhole(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<double> ParseReal(std::string_view text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// A value the SQLite driver handed as text, with the meaning the embedded provider gives the
// stored value in a column of this kind. A value the kind does not describe (SQLite stores any
// value in any column) is handed over as it is.
oleaut::Variant FromSqliteText(std::string_view text, const ColumnType& type) {
  switch (type.kind) {
    case ValueKind::kBoolean:
      if (auto real = ParseReal(text)) return *real != 0;
      break;
    case ValueKind::kSmallInt:
    case ValueKind::kInteger:
    case ValueKind::kBigInt:
      if (auto whole = ParseWhole(text)) return WholeNumber(*whole, type.kind);
      break;
    case ValueKind::kDouble:
      if (auto real = ParseReal(text)) return *real;
      break;
    case ValueKind::kDecimal:
      if (auto value = oleaut::Decimal::Parse(oleaut::FromUtf8(text))) {
        if (auto scaled = value->Rescale(type.info.numeric_scale)) return *scaled;
      }
      break;
    case ValueKind::kDate:
      if (auto fields = tsql::ParseSqlDateTime(oleaut::FromUtf8(text))) {
        try {
          return oleaut::Date::FromFields(*fields);
        } catch (const oleaut::ComError&) {
        }
      } else if (auto real = ParseReal(text)) {
        // SQL Server counts days from 1900-01-01, OLE from 1899-12-30.
        return oleaut::Date(*real + 2.0);
      }
      break;
    case ValueKind::kText:
      return oleaut::Variant(oleaut::FromUtf8(text));
    case ValueKind::kNatural:
      if (type.info.type == adInteger) {
        if (auto whole = ParseWhole(text)) return WholeNumber(*whole, ValueKind::kInteger);
      } else if (type.info.type == adDouble) {
        if (auto real = ParseReal(text)) return *real;
      }
      break;
    case ValueKind::kBinary:
      break;
  }
  if (type.kind != ValueKind::kNatural) {
    if (auto whole = ParseWhole(text)) return WholeNumber(*whole, ValueKind::kInteger);
  }
  return oleaut::Variant(oleaut::FromUtf8(text));
}

bool ReadsBytes(const ColumnType& type) {
  return type.kind == ValueKind::kBinary ||
         (type.kind == ValueKind::kNatural && type.info.type == adLongVarBinary);
}

oleaut::Variant ReadSqlServerValue(SQLHSTMT stmt, SQLUSMALLINT column, const ColumnType& type,
                                   PieceReader<char16_t>& text, const CallContext& where) {
  switch (type.kind) {
    case ValueKind::kBoolean:
    case ValueKind::kSmallInt:
    case ValueKind::kInteger:
    case ValueKind::kBigInt: {
      SQLBIGINT v = 0;
      if (!GetFixed(stmt, column, SQL_C_SBIGINT, v, where)) return oleaut::kNull;
      if (type.kind == ValueKind::kBoolean) return v != 0;
      return WholeNumber(v, type.kind);
    }
    case ValueKind::kDouble: {
      double v = 0;
      if (!GetFixed(stmt, column, SQL_C_DOUBLE, v, where)) return oleaut::kNull;
      return v;
    }
    case ValueKind::kDate: {
      SQL_TIMESTAMP_STRUCT v{};
      if (!GetFixed(stmt, column, SQL_C_TYPE_TIMESTAMP, v, where)) return oleaut::kNull;
      return oleaut::Date::FromFields({v.year, v.month, v.day, v.hour, v.minute, v.second,
                                       static_cast<int>(v.fraction / 1000000U)});
    }
    case ValueKind::kDecimal:
      // As text: every digit SQL Server sends, which a double would not keep.
      if (!text.Read(stmt, column, SQL_C_WCHAR, where)) return oleaut::kNull;
      if (auto value = oleaut::Decimal::Parse(text.View())) {
        if (auto scaled = value->Rescale(type.info.numeric_scale)) return *scaled;
      }
      return oleaut::Variant(text.View());
    default:
      if (!text.Read(stmt, column, SQL_C_WCHAR, where)) return oleaut::kNull;
      return oleaut::Variant(text.View());
  }
}

// The values of the row just fetched, column by column, from wherever each column's values
// leave the driver.
class RowReader {
 public:
  RowReader(SQLHSTMT stmt, const std::vector<ColumnType>& types, ValueStyle style, TextFetch fetch,
            const CallContext& where)
      : stmt_(stmt), types_(types), style_(style), where_(where), bound_(stmt, where) {
    bound_text_.resize(types.size(), nullptr);
    if (style != ValueStyle::kSqlite || fetch != TextFetch::kBound) return;
    for (std::size_t c = 0; c < types.size(); ++c) {
      if (!ReadsBytes(types[c])) bound_text_[c] = &bound_.Bind(static_cast<SQLUSMALLINT>(c + 1));
    }
  }

  oleaut::Variant Value(std::size_t c) {
    const auto column = static_cast<SQLUSMALLINT>(c + 1);
    const ColumnType& type = types_[c];
    if (ReadsBytes(type)) {
      if (!bytes_.Read(stmt_, column, SQL_C_BINARY, where_)) return oleaut::kNull;
      return oleaut::ByteArray(bytes_.View().begin(), bytes_.View().end());
    }
    if (style_ == ValueStyle::kSqlServer)
      return ReadSqlServerValue(stmt_, column, type, wide_, where_);
    // The driver keeps values as UTF-8 text: taken as such, they are copied, not converted.
    if (BoundText* bound = bound_text_[c]) {
      std::string_view text;
      return bound->Read(narrow_, &text) ? FromSqliteText(text, type) : oleaut::kNull;
    }
    return narrow_.Read(stmt_, column, SQL_C_CHAR, where_) ? FromSqliteText(narrow_.View(), type)
                                                           : oleaut::kNull;
  }

 private:
  SQLHSTMT stmt_;
  const std::vector<ColumnType>& types_;
  ValueStyle style_;
  const CallContext& where_;
  PieceReader<char16_t> wide_;
  PieceReader<char> narrow_;
  PieceReader<std::uint8_t> bytes_;
  BoundTextColumns bound_;
  std::vector<BoundText*> bound_text_;  // per column: its bound buffer, or none
};

std::string DeclaredText(const DriverColumn& column) {
  const std::string name = sqlite::LowerAscii(column.type_name);
  const auto sized = [&](const char* type) {
    return column.size == 0 || column.size > 8000
               ? std::string(type) + "(max)"
               : std::string(type) + "(" + std::to_string(column.size) + ")";
  };
  switch (column.sql_type) {
    case SQL_BIT:
      return "bit";
    case SQL_TINYINT:
      return "tinyint";
    case SQL_SMALLINT:
      return "smallint";
    case SQL_INTEGER:
      return "int";
    case SQL_BIGINT:
      return "bigint";
    case SQL_REAL:
      return "real";
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return "float";
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      if (name == "money" || name == "smallmoney") return name;
      return "decimal(" + std::to_string(column.size) + "," + std::to_string(column.digits) + ")";
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      return name == "smalldatetime" || name == "datetime2" ? name : "datetime";
    case SQL_TYPE_DATE:
      return "date";
    case SQL_CHAR:
      return "char(" + std::to_string(column.size) + ")";
    case SQL_VARCHAR:
      return sized("varchar");
    case SQL_LONGVARCHAR:
      return name == "varchar" ? "varchar(max)" : "text";
    case SQL_WCHAR:
      return "nchar(" + std::to_string(column.size) + ")";
    case SQL_WVARCHAR:
      return column.size == 0 || column.size > 4000 ? "nvarchar(max)" : sized("nvarchar");
    case SQL_WLONGVARCHAR:
      return name == "nvarchar" ? "nvarchar(max)" : "ntext";
    case SQL_BINARY:
      return "binary(" + std::to_string(column.size) + ")";
    case SQL_VARBINARY:
      return sized("varbinary");
    case SQL_LONGVARBINARY:
      return name == "varbinary" ? "varbinary(max)" : "image";
    case SQL_GUID:
      return "uniqueidentifier";
    default:
      return {};
  }
}

}  // namespace

std::vector<DriverColumn> DescribeColumns(SQLHSTMT stmt, TextApi api, const CallContext& where) {
  SQLSMALLINT count = 0;
  TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt, where, SQLNumResultCols, stmt, &count);
  std::vector<DriverColumn> columns(static_cast<std::size_t>(count));
  for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(count); ++i) {
    DriverColumn& c = columns[i - 1];
    SQLSMALLINT length = 0;
    SQLSMALLINT nullable = 0;
    if (api == TextApi::kWide) {
      std::u16string name(256, u'\0');
      TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt, where, SQLDescribeColW, stmt, i, Wide(name),
                    static_cast<SQLSMALLINT>(name.size()), &length, &c.sql_type, &c.size, &c.digits,
                    &nullable);
      name.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                        name.size() - 1));
      c.name = std::move(name);
    } else {
      std::string name(1024, '\0');
      TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt, where, SQLDescribeCol, stmt, i,
                    reinterpret_cast<SQLCHAR*>(name.data()), static_cast<SQLSMALLINT>(name.size()),
                    &length, &c.sql_type, &c.size, &c.digits, &nullable);
      name.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                        name.size() - 1));
      c.name = oleaut::FromUtf8(name);
    }
    char text[512] = {};
    TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt, where, SQLColAttribute, stmt, i, SQL_DESC_TYPE_NAME, text,
                  static_cast<SQLSMALLINT>(sizeof(text)), &length, nullptr);
    c.type_name = text;
    text[0] = '\0';
    if (SQL_SUCCEEDED(SQLColAttribute(stmt, i, SQL_DESC_TABLE_NAME, text,
                                      static_cast<SQLSMALLINT>(sizeof(text)), &length, nullptr))) {
      c.table = oleaut::FromUtf8(text);
    }
  }
  return columns;
}

ColumnType SqlServerColumnType(const DriverColumn& column) {
  const std::string declared = DeclaredText(column);
  if (declared.empty()) return sqlite::NaturalType(SQLITE_TEXT);
  return sqlite::MapDeclaredType(declared);
}

void ReadRows(SQLHSTMT stmt, std::vector<ColumnType> types, ValueStyle style, TextFetch fetch,
              RowSet& rows, const CallContext& where) {
  const std::size_t count = types.size();
  std::vector<std::int32_t> text_length(count, 0);
  RowReader reader(stmt, types, style, fetch, where);
  // Room for every row at once, when the driver knows how many there are (the SQLite driver has
  // them all by then): a recordset of a million values is not moved from buffer to buffer.
  SQLLEN cursor_rows = 0;
  if (SQL_SUCCEEDED(SQLGetDiagField(SQL_HANDLE_STMT, stmt, 0, SQL_DIAG_CURSOR_ROW_COUNT,
                                    &cursor_rows, 0, nullptr)) &&
      cursor_rows > 0 && static_cast<std::size_t>(cursor_rows) <= kMostRowsReserved) {
    rows.values.reserve(rows.values.size() + static_cast<std::size_t>(cursor_rows) * count);
  }
  while (TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt, where, SQLFetch, stmt) != SQL_NO_DATA) {
    for (std::size_t c = 0; c < count; ++c) {
      oleaut::Variant& value = rows.values.emplace_back(reader.Value(c));
      if (types[c].kind == ValueKind::kNatural && value.IsString()) {
        text_length[c] =
            std::max(text_length[c], static_cast<std::int32_t>(value.AsString().size()));
      }
    }
  }
  // A driver that promised more rows than it gave does not leave the recordset holding the room.
  if (rows.values.capacity() > 2 * rows.values.size()) rows.values.shrink_to_fit();
  rows.columns.reserve(count);
  for (std::size_t c = 0; c < count; ++c) {
    if (types[c].kind == ValueKind::kNatural && types[c].info.type == adVarWChar) {
      types[c].info.defined_size = std::max(1, text_length[c]);
    }
    rows.columns.push_back(std::move(types[c].info));
  }
}

}  // namespace ado::odbc
