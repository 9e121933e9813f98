#include "platform/ado/odbc/result_reader.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "platform/ado/sqlite/translated_statements.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/decimal.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/runtime.h"

namespace ado::odbc {
namespace {

using sqlite::ColumnType;
using sqlite::ValueKind;

constexpr std::size_t kPiece = 1 << 20;

// Reads a column's value piece after piece, as text (SQL_C_CHAR, SQL_C_WCHAR) or bytes
// (SQL_C_BINARY), into a buffer kept from value to value: most values fit the first piece.
template <class Unit>
class PieceReader {
 public:
  // False when the value is NULL; otherwise the value is View().
  bool Read(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT c_type, const CallContext& where) {
    const std::size_t terminator = c_type == SQL_C_BINARY ? 0 : 1;
    if (buffer_.size() < 256) buffer_.resize(256);
    length_ = 0;
    for (;;) {
      const std::size_t room = buffer_.size() - length_;
      SQLLEN indicator = 0;
      const SQLRETURN rc = TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt, where, SQLGetData, stmt, column,
                                         c_type, buffer_.data() + length_,
                                         static_cast<SQLLEN>(room * sizeof(Unit)), &indicator);
      if (rc == SQL_NO_DATA) return true;
      if (indicator == SQL_NULL_DATA) return false;
      if (rc == SQL_SUCCESS) {
        length_ += static_cast<std::size_t>(indicator) / sizeof(Unit);
        return true;
      }
      // Truncated: the piece is full (less the terminator) and more is to come.
      const std::size_t got = room - terminator;
      length_ += got;
      const std::size_t more = indicator != SQL_NO_TOTAL && indicator > 0
                                   ? static_cast<std::size_t>(indicator) / sizeof(Unit) - got
                                   : std::min(buffer_.size() * 4, kPiece);
      buffer_.resize(length_ + std::max<std::size_t>(more, 1) + terminator);
    }
  }
  std::basic_string_view<Unit> View() const { return {buffer_.data(), length_}; }

 private:
  std::vector<Unit> buffer_;
  std::size_t length_ = 0;
};

// UTF-8 to UTF-16, with a fast path for the ASCII most values are.
std::u16string Widen(std::string_view utf8) {
  std::u16string out(utf8.size(), u'\0');
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x80) return oleaut::FromUtf8(utf8);
    out[i] = c;
  }
  return out;
}

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
      if (auto value = oleaut::Decimal::Parse(Widen(text))) {
        if (auto scaled = value->Rescale(type.info.numeric_scale)) return *scaled;
      }
      break;
    case ValueKind::kDate:
      if (auto fields = tsql::ParseSqlDateTime(Widen(text))) {
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
      return oleaut::Variant(Widen(text));
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
  return oleaut::Variant(Widen(text));
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

void ReadRows(SQLHSTMT stmt, std::vector<ColumnType> types, ValueStyle style, RowSet& rows,
              const CallContext& where) {
  const std::size_t count = types.size();
  std::vector<std::int32_t> text_length(count, 0);
  PieceReader<char16_t> wide;
  PieceReader<char> narrow;
  PieceReader<std::uint8_t> bytes;
  while (TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt, where, SQLFetch, stmt) != SQL_NO_DATA) {
    for (std::size_t c = 0; c < count; ++c) {
      const auto column = static_cast<SQLUSMALLINT>(c + 1);
      const ColumnType& type = types[c];
      oleaut::Variant value;
      if (ReadsBytes(type)) {
        if (bytes.Read(stmt, column, SQL_C_BINARY, where)) {
          value = oleaut::ByteArray(bytes.View().begin(), bytes.View().end());
        } else {
          value = oleaut::kNull;
        }
      } else if (style == ValueStyle::kSqlServer) {
        value = ReadSqlServerValue(stmt, column, type, wide, where);
      } else {
        // The driver keeps values as UTF-8 text: taken as such, they are copied, not converted.
        value = narrow.Read(stmt, column, SQL_C_CHAR, where) ? FromSqliteText(narrow.View(), type)
                                                             : oleaut::kNull;
      }
      if (type.kind == ValueKind::kNatural && value.IsString()) {
        text_length[c] =
            std::max(text_length[c], static_cast<std::int32_t>(value.AsString().size()));
      }
      rows.values.push_back(std::move(value));
    }
  }
  rows.columns.reserve(count);
  for (std::size_t c = 0; c < count; ++c) {
    if (types[c].kind == ValueKind::kNatural && types[c].info.type == adVarWChar) {
      types[c].info.defined_size = std::max(1, text_length[c]);
    }
    rows.columns.push_back(std::move(types[c].info));
  }
}

}  // namespace ado::odbc
