#include "platform/ado/sqlite/parameters.h"

#include <fmt/format.h>

#include <string>

#include "platform/oleaut/convert.h"
#include "platform/oleaut/decimal.h"

namespace ado::sqlite {
namespace {

const sqlite3_destructor_type kTransient =
    reinterpret_cast<sqlite3_destructor_type>(static_cast<std::intptr_t>(-1));

// SQLite binds a null pointer as NULL, so an empty byte array needs a pointer of its own to stay
// a zero-length blob.
const void* BlobData(const oleaut::ByteArray& bytes) {
  static constexpr std::uint8_t kNoBytes = 0;
  return bytes.empty() ? &kNoBytes : bytes.data();
}

const char* TypeName(DataTypeEnum type) {
  switch (type) {
    case adChar:
      return "adChar";
    case adVarChar:
      return "adVarChar";
    case adLongVarChar:
      return "adLongVarChar";
    case adWChar:
      return "adWChar";
    case adVarWChar:
      return "adVarWChar";
    case adLongVarWChar:
      return "adLongVarWChar";
    case adBSTR:
      return "adBSTR";
    case adBinary:
      return "adBinary";
    case adVarBinary:
      return "adVarBinary";
    case adLongVarBinary:
      return "adLongVarBinary";
    default:
      return "parameter";
  }
}

bool IsText(DataTypeEnum type) {
  return type == adChar || type == adVarChar || type == adLongVarChar || type == adWChar ||
         type == adVarWChar || type == adLongVarWChar || type == adBSTR;
}

bool IsBinary(DataTypeEnum type) {
  return type == adBinary || type == adVarBinary || type == adLongVarBinary;
}

void Check(sqlite3_stmt* stmt, int rc, const ErrorContext& where) {
  ado::sqlite::Check(sqlite3_db_handle(stmt), rc, where);
}

void BindDecimal(sqlite3_stmt* stmt, int index, const oleaut::Decimal& value,
                 const ErrorContext& where) {
  if (value.Scale() == 0) {
    if (auto whole = value.ToInt64())
      return Check(stmt, sqlite3_bind_int64(stmt, index, *whole), where);
  }
  // A double keeps 15 significant digits; beyond them the exact text is stored, which SQLite
  // keeps as text in a decimal column rather than round it.
  const std::u16string text = value.ToString();
  int significant = 0;
  bool leading = true;
  for (char16_t c : text) {
    if (c >= u'0' && c <= u'9') {
      if (leading && c == u'0') continue;
      leading = false;
      ++significant;
    }
  }
  if (significant <= 15)
    return Check(stmt, sqlite3_bind_double(stmt, index, value.ToDouble()), where);
  Check(
      stmt,
      sqlite3_bind_text16(stmt, index, text.data(), static_cast<int>(text.size() * 2), kTransient),
      where);
}

void BindNatural(sqlite3_stmt* stmt, int index, const oleaut::Variant& value,
                 const ErrorContext& where) {
  using oleaut::VarType;
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null:
      return Check(stmt, sqlite3_bind_null(stmt, index), where);
    case VarType::Integer:
      return Check(stmt, sqlite3_bind_int(stmt, index, value.AsInteger()), where);
    case VarType::Long:
      return Check(stmt, sqlite3_bind_int(stmt, index, value.AsLong()), where);
    case VarType::Boolean:
      return Check(stmt, sqlite3_bind_int(stmt, index, value.AsBoolean() ? 1 : 0), where);
    case VarType::Double:
      return Check(stmt, sqlite3_bind_double(stmt, index, value.AsDouble()), where);
    case VarType::Decimal:
      return BindDecimal(stmt, index, value.AsDecimal(), where);
    case VarType::Date: {
      const std::u16string text = value.AsDate().ToIsoString();
      return Check(stmt,
                   sqlite3_bind_text16(stmt, index, text.data(), static_cast<int>(text.size() * 2),
                                       kTransient),
                   where);
    }
    case VarType::ByteArray: {
      const oleaut::ByteArray& bytes = value.AsByteArray();
      return Check(stmt, sqlite3_bind_blob64(stmt, index, BlobData(bytes), bytes.size(), nullptr),
                   where);
    }
    default: {
      const std::u16string text = oleaut::ToString(value);
      return Check(stmt,
                   sqlite3_bind_text16(stmt, index, text.data(), static_cast<int>(text.size() * 2),
                                       kTransient),
                   where);
    }
  }
}

}  // namespace

void BindParameter(sqlite3_stmt* stmt, int index, const ParameterValue& p, int ordinal,
                   const ErrorContext& where) {
  if (p.direction != adParamInput && p.direction != adParamUnknown) {
    RaiseProviderError(kErrorsInCommand,
                       fmt::format("Parameter {} is an output parameter, which SQLite statements "
                                   "cannot fill",
                                   ordinal),
                       where);
  }
  const oleaut::Variant& value = p.value;
  if (value.IsNull() || value.IsEmpty() || value.IsMissing()) {
    return Check(stmt, sqlite3_bind_null(stmt, index), where);
  }
  if (IsText(p.type)) {
    const std::u16string text = value.Type() == oleaut::VarType::Date ? value.AsDate().ToIsoString()
                                                                      : oleaut::ToString(value);
    if (p.size > 0 && text.size() > static_cast<std::size_t>(p.size)) {
      RaiseProviderError(kDataOverflow,
                         fmt::format("String or binary data would be truncated: parameter {} ({}, "
                                     "size {}) cannot hold a text of {} characters",
                                     ordinal, TypeName(p.type), p.size, text.size()),
                         where);
    }
    return Check(stmt,
                 sqlite3_bind_text16(stmt, index, text.data(), static_cast<int>(text.size() * 2),
                                     kTransient),
                 where);
  }
  if (IsBinary(p.type)) {
    if (value.Type() == oleaut::VarType::ByteArray) {
      const oleaut::ByteArray& bytes = value.AsByteArray();
      if (p.size > 0 && bytes.size() > static_cast<std::size_t>(p.size)) {
        RaiseProviderError(kDataOverflow,
                           fmt::format("String or binary data would be truncated: parameter {} "
                                       "({}, size {}) cannot hold {} bytes",
                                       ordinal, TypeName(p.type), p.size, bytes.size()),
                           where);
      }
      return Check(stmt, sqlite3_bind_blob64(stmt, index, BlobData(bytes), bytes.size(), nullptr),
                   where);
    }
    // A text given for binary data goes in as its UTF-16 bytes, as a BSTR does.
    const std::u16string text = oleaut::ToString(value);
    return Check(stmt, sqlite3_bind_blob64(stmt, index, text.data(), text.size() * 2, kTransient),
                 where);
  }
  switch (p.type) {
    case adBoolean:
      return Check(stmt, sqlite3_bind_int(stmt, index, oleaut::ToBoolean(value) ? 1 : 0), where);
    case adTinyInt:
    case adUnsignedTinyInt:
    case adSmallInt:
      return Check(stmt, sqlite3_bind_int(stmt, index, oleaut::ToInteger(value)), where);
    case adInteger:
      return Check(stmt, sqlite3_bind_int(stmt, index, oleaut::ToLong(value)), where);
    case adBigInt: {
      const oleaut::Decimal decimal = oleaut::ToDecimal(value);
      const auto whole = decimal.ToInt64();
      if (!whole) {
        RaiseProviderError(kDataOverflow,
                           fmt::format("Parameter {} (adBigInt) is out of range", ordinal), where);
      }
      return Check(stmt, sqlite3_bind_int64(stmt, index, *whole), where);
    }
    case adSingle:
    case adDouble:
      return Check(stmt, sqlite3_bind_double(stmt, index, oleaut::ToDouble(value)), where);
    case adCurrency:
    case adDecimal:
    case adNumeric:
      return BindDecimal(stmt, index, oleaut::ToDecimal(value), where);
    case adDate:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp: {
      const std::u16string text = oleaut::ToDate(value).ToIsoString();
      return Check(stmt,
                   sqlite3_bind_text16(stmt, index, text.data(), static_cast<int>(text.size() * 2),
                                       kTransient),
                   where);
    }
    default:
      return BindNatural(stmt, index, value, where);
  }
}

void BindLiteral(sqlite3_stmt* stmt, int index, const tsql::LiteralValue& value,
                 const ErrorContext& where) {
  sqlite3* db = sqlite3_db_handle(stmt);
  if (const auto* integer = std::get_if<std::int64_t>(&value)) {
    Check(db, sqlite3_bind_int64(stmt, index, *integer), where);
  } else if (const auto* real = std::get_if<double>(&value)) {
    Check(db, sqlite3_bind_double(stmt, index, *real), where);
  } else {
    const std::u16string& text = std::get<std::u16string>(value);
    Check(db,
          sqlite3_bind_text16(stmt, index, text.data(), static_cast<int>(text.size() * 2),
                              SQLITE_STATIC),
          where);
  }
}

}  // namespace ado::sqlite
