#include "platform/ado/odbc/parameter_binding.h"

#include <fmt/format.h>

#include "platform/ado/parameter.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/decimal.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado::odbc {
namespace {

constexpr std::int32_t kDataOverflow = oleaut::DB_E_DATAOVERFLOW;
constexpr std::int32_t kErrorsInCommand = oleaut::DB_E_ERRORSINCOMMAND;
// Values longer than this many bytes go at execution, in pieces of kPiece bytes: SQL Server
// takes at most 8000 bytes of a varchar or varbinary inline.
constexpr std::size_t kInlineLimit = 8000;
constexpr std::size_t kPiece = 1 << 20;

bool IsWide(DataTypeEnum type) {
  return type == adWChar || type == adVarWChar || type == adLongVarWChar || type == adBSTR;
}

// Digits of a decimal, for the column size SQL Server checks the value against.
SQLULEN Digits(std::u16string_view text) {
  SQLULEN digits = 0;
  for (char16_t c : text) {
    if (c >= u'0' && c <= u'9') ++digits;
  }
  return digits;
}

}  // namespace

void ParameterBinder::BindBuffer(Buffer& buffer, SQLSMALLINT c_type, SQLSMALLINT sql_type,
                                 SQLULEN column_size, SQLSMALLINT digits, SQLPOINTER data,
                                 SQLLEN length) {
  const auto marker = static_cast<SQLUSMALLINT>(buffers_.size());
  if (buffer.at_execution) {
    buffer.indicator = SQL_LEN_DATA_AT_EXEC(static_cast<SQLLEN>(length));
    // The marker's number comes back from SQLParamData when the driver wants its data.
    data = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(marker));
  } else if (buffer.indicator != SQL_NULL_DATA) {
    buffer.indicator = length;
  }
  TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt_, where_, SQLBindParameter, stmt_, marker, SQL_PARAM_INPUT,
                c_type, sql_type, column_size, digits, data, length, &buffer.indicator);
}

void ParameterBinder::CheckSize(const ParameterValue& p, int ordinal, std::size_t length,
                                const std::string& what) const {
  if (p.size <= 0 || length <= static_cast<std::size_t>(p.size)) return;
  RaiseProviderError(kDataOverflow,
                     fmt::format("String or binary data would be truncated: parameter {} ({}, size "
                                 "{}) cannot hold {}",
                                 ordinal, oleaut::ToUtf8(DataTypeName(p.type)), p.size, what),
                     where_);
}

void ParameterBinder::Bind(const ParameterValue& p, int ordinal) {
  if (p.direction != adParamInput && p.direction != adParamUnknown) {
    RaiseProviderError(kErrorsInCommand,
                       fmt::format("Parameter {} is an output parameter, which this provider "
                                   "cannot fill",
                                   ordinal),
                       where_);
  }
  Buffer& buffer = buffers_.emplace_back();
  const oleaut::Variant& value = p.value;
  if (value.IsNull() || value.IsEmpty() || value.IsMissing()) {
    buffer.indicator = SQL_NULL_DATA;
    const bool binary = IsBinaryType(p.type) || value.Type() == oleaut::VarType::ByteArray;
    return BindBuffer(buffer, binary ? SQL_C_BINARY : SQL_C_WCHAR,
                      binary ? SQL_VARBINARY : SQL_WVARCHAR, 1, 0, nullptr, 0);
  }
  if (IsTextType(p.type)) {
    std::u16string text = value.Type() == oleaut::VarType::Date ? value.AsDate().ToIsoString()
                                                                : oleaut::ToString(value);
    CheckSize(p, ordinal, text.size(), fmt::format("a text of {} characters", text.size()));
    return BindText(buffer, std::move(text), p.type);
  }
  if (IsBinaryType(p.type)) return BindBinary(buffer, p, ordinal);
  switch (p.type) {
    case adBoolean:
      buffer.integer = oleaut::ToBoolean(value) ? 1 : 0;
      return BindBuffer(buffer, SQL_C_SBIGINT, SQL_BIT, 1, 0, &buffer.integer, 0);
    case adTinyInt:
    case adUnsignedTinyInt:
    case adSmallInt:
      buffer.integer = oleaut::ToInteger(value);
      return BindBuffer(buffer, SQL_C_SBIGINT, SQL_SMALLINT, 5, 0, &buffer.integer, 0);
    case adInteger:
      buffer.integer = oleaut::ToLong(value);
      return BindBuffer(buffer, SQL_C_SBIGINT, SQL_INTEGER, 10, 0, &buffer.integer, 0);
    case adBigInt: {
      const auto whole = oleaut::ToDecimal(value).ToInt64();
      if (!whole) {
        RaiseProviderError(kDataOverflow,
                           fmt::format("Parameter {} (adBigInt) is out of range", ordinal), where_);
      }
      buffer.integer = *whole;
      return BindBuffer(buffer, SQL_C_SBIGINT, SQL_BIGINT, 19, 0, &buffer.integer, 0);
    }
    case adSingle:
    case adDouble:
      buffer.real = oleaut::ToDouble(value);
      return BindBuffer(buffer, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &buffer.real, 0);
    case adCurrency:
    case adDecimal:
    case adNumeric:
      return BindDecimal(buffer, oleaut::ToDecimal(value));
    case adDate:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp:
      return BindDate(buffer, oleaut::ToDate(value));
    default:
      return BindNatural(buffer, value);
  }
}

void ParameterBinder::BindText(Buffer& buffer, std::u16string text, DataTypeEnum type) {
  buffer.text = std::move(text);
  const std::size_t bytes = buffer.text.size() * sizeof(char16_t);
  const bool long_data = type == adLongVarChar || type == adLongVarWChar || bytes > kInlineLimit;
  buffer.at_execution = bytes > kInlineLimit;
  const SQLSMALLINT sql_type = IsWide(type) || style_ == ValueStyle::kSqlite
                                   ? (long_data ? SQL_WLONGVARCHAR : SQL_WVARCHAR)
                                   : (long_data ? SQL_LONGVARCHAR : SQL_VARCHAR);
  BindBuffer(buffer, SQL_C_WCHAR, sql_type, std::max<SQLULEN>(buffer.text.size(), 1), 0,
             buffer.text.data(), static_cast<SQLLEN>(bytes));
}

void ParameterBinder::BindBinary(Buffer& buffer, const ParameterValue& p, int ordinal) {
  if (p.value.Type() != oleaut::VarType::ByteArray) {
    // A text given for binary data goes in as its UTF-16 bytes, as a BSTR does.
    const std::u16string text = oleaut::ToString(p.value);
    buffer.narrow.assign(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    buffer.at_execution = buffer.narrow.size() > kInlineLimit;
    return BindBuffer(buffer, SQL_C_BINARY,
                      buffer.narrow.size() > kInlineLimit ? SQL_LONGVARBINARY : SQL_VARBINARY,
                      std::max<SQLULEN>(buffer.narrow.size(), 1), 0, buffer.narrow.data(),
                      static_cast<SQLLEN>(buffer.narrow.size()));
  }
  const oleaut::ByteArray& bytes = p.value.AsByteArray();
  CheckSize(p, ordinal, bytes.size(), fmt::format("{} bytes", bytes.size()));
  buffer.bytes = &bytes;
  buffer.at_execution = bytes.size() > kInlineLimit;
  const bool long_data = p.type == adLongVarBinary || bytes.size() > kInlineLimit;
  // An empty value still needs an address, or the driver would take it for NULL.
  static const std::uint8_t kNoBytes = 0;
  BindBuffer(buffer, SQL_C_BINARY, long_data ? SQL_LONGVARBINARY : SQL_VARBINARY,
             std::max<SQLULEN>(bytes.size(), 1), 0,
             const_cast<std::uint8_t*>(bytes.empty() ? &kNoBytes : bytes.data()),
             static_cast<SQLLEN>(bytes.size()));
}

void ParameterBinder::BindDecimal(Buffer& buffer, const oleaut::Decimal& value) {
  if (style_ == ValueStyle::kSqlite) {
    // As the embedded provider stores it: whole numbers as integers, up to 15 significant digits
    // as a double, beyond them the exact text.
    if (value.Scale() == 0) {
      if (auto whole = value.ToInt64()) {
        buffer.integer = *whole;
        return BindBuffer(buffer, SQL_C_SBIGINT, SQL_BIGINT, 19, 0, &buffer.integer, 0);
      }
    }
    const std::u16string text = value.ToString();
    std::size_t significant = 0;
    bool leading = true;
    for (char16_t c : text) {
      if (c < u'0' || c > u'9' || (leading && c == u'0')) continue;
      leading = false;
      ++significant;
    }
    if (significant <= 15) {
      buffer.real = value.ToDouble();
      return BindBuffer(buffer, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &buffer.real, 0);
    }
    return BindText(buffer, text, adVarWChar);
  }
  buffer.narrow = oleaut::ToUtf8(value.ToString());
  const SQLULEN digits = std::max<SQLULEN>(Digits(oleaut::FromUtf8(buffer.narrow)), 1);
  BindBuffer(buffer, SQL_C_CHAR, SQL_DECIMAL, std::max<SQLULEN>(digits, value.Scale() + 1),
             static_cast<SQLSMALLINT>(value.Scale()), buffer.narrow.data(),
             static_cast<SQLLEN>(buffer.narrow.size()));
}

void ParameterBinder::BindDate(Buffer& buffer, const oleaut::Date& value) {
  if (style_ == ValueStyle::kSqlite) return BindText(buffer, value.ToIsoString(), adVarWChar);
  const oleaut::CalendarFields f = value.ToFields();
  buffer.timestamp.year = static_cast<SQLSMALLINT>(f.year);
  buffer.timestamp.month = static_cast<SQLUSMALLINT>(f.month);
  buffer.timestamp.day = static_cast<SQLUSMALLINT>(f.day);
  buffer.timestamp.hour = static_cast<SQLUSMALLINT>(f.hour);
  buffer.timestamp.minute = static_cast<SQLUSMALLINT>(f.minute);
  buffer.timestamp.second = static_cast<SQLUSMALLINT>(f.second);
  buffer.timestamp.fraction = static_cast<SQLUINTEGER>(f.millisecond) * 1000000U;
  BindBuffer(buffer, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 3, &buffer.timestamp,
             sizeof(buffer.timestamp));
}

void ParameterBinder::BindNatural(Buffer& buffer, const oleaut::Variant& value) {
  using oleaut::VarType;
  switch (value.Type()) {
    case VarType::Integer:
      buffer.integer = value.AsInteger();
      return BindBuffer(buffer, SQL_C_SBIGINT, SQL_SMALLINT, 5, 0, &buffer.integer, 0);
    case VarType::Long:
      buffer.integer = value.AsLong();
      return BindBuffer(buffer, SQL_C_SBIGINT, SQL_INTEGER, 10, 0, &buffer.integer, 0);
    case VarType::Boolean:
      buffer.integer = value.AsBoolean() ? 1 : 0;
      return BindBuffer(buffer, SQL_C_SBIGINT, SQL_BIT, 1, 0, &buffer.integer, 0);
    case VarType::Double:
      buffer.real = value.AsDouble();
      return BindBuffer(buffer, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &buffer.real, 0);
    case VarType::Decimal:
      return BindDecimal(buffer, value.AsDecimal());
    case VarType::Date:
      return BindDate(buffer, value.AsDate());
    case VarType::ByteArray: {
      ParameterValue bytes;
      bytes.type = adLongVarBinary;
      bytes.value = value;
      buffers_.pop_back();  // BindBinary binds through a buffer of its own
      Buffer& own = buffers_.emplace_back();
      return BindBinary(own, bytes, static_cast<int>(buffers_.size()));
    }
    default:
      return BindText(buffer, oleaut::ToString(value), adVarWChar);
  }
}

SQLRETURN ParameterBinder::SendDataAtExecution(SQLRETURN rc) {
  while (rc == SQL_NEED_DATA) {
    SQLPOINTER token = nullptr;
    rc = TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt_, where_, SQLParamData, stmt_, &token);
    if (rc != SQL_NEED_DATA) break;
    const auto marker = static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(token));
    const Buffer& buffer = buffers_.at(marker - 1);
    const char* data = buffer.bytes ? reinterpret_cast<const char*>(buffer.bytes->data())
                       : !buffer.narrow.empty() ? buffer.narrow.data()
                                                : reinterpret_cast<const char*>(buffer.text.data());
    const std::size_t size = buffer.bytes             ? buffer.bytes->size()
                             : !buffer.narrow.empty() ? buffer.narrow.size()
                                                      : buffer.text.size() * sizeof(char16_t);
    for (std::size_t sent = 0; sent < size; sent += kPiece) {
      const std::size_t piece = std::min(kPiece, size - sent);
      TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt_, where_, SQLPutData, stmt_,
                    const_cast<char*>(data + sent), static_cast<SQLLEN>(piece));
    }
  }
  return rc;
}

}  // namespace ado::odbc
