// Binding a statement's ? markers through ODBC: each value as its declared ADO type says (text as
// UTF-16, numbers and dates as themselves, decimals exactly), long text and binary data sent in
// pieces at execution rather than whole, and a value longer than its declared size refused
// rather than cut.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/ado/odbc/odbc_call.h"
#include "platform/ado/provider.h"

namespace ado::odbc {

// How values meet the engine: SQL Server takes dates and decimals as such; the SQLite driver
// stores what the embedded provider stores (dates as their text, decimals of up to 15 digits as
// doubles), so that translated statements see the same values either way.
enum class ValueStyle { kSqlServer, kSqlite };

class ParameterBinder {
 public:
  ParameterBinder(SQLHSTMT stmt, ValueStyle style, const CallContext& where)
      : stmt_(stmt), style_(style), where_(where) {}
  ParameterBinder(const ParameterBinder&) = delete;
  ParameterBinder& operator=(const ParameterBinder&) = delete;

  // Binds `value` to the next marker; `ordinal` (from 1) names it in messages. The value must
  // outlive the statement's run.
  void Bind(const ParameterValue& value, int ordinal);

  // After SQLExecute or SQLExecDirect returned `rc`: while the driver asks for data at
  // execution, sends each long value in pieces. Returns the final SQLRETURN.
  SQLRETURN SendDataAtExecution(SQLRETURN rc);

 private:
  struct Buffer {
    std::u16string text;
    std::string narrow;
    const oleaut::ByteArray* bytes = nullptr;
    std::int64_t integer = 0;
    double real = 0;
    SQL_TIMESTAMP_STRUCT timestamp{};
    SQLLEN indicator = 0;
    bool at_execution = false;
  };

  // Raises when a value of `length` (characters or bytes) exceeds the parameter's declared size;
  // `what` describes the value.
  void CheckSize(const ParameterValue& p, int ordinal, std::size_t length,
                 const std::string& what) const;
  void BindBuffer(Buffer& buffer, SQLSMALLINT c_type, SQLSMALLINT sql_type, SQLULEN column_size,
                  SQLSMALLINT digits, SQLPOINTER data, SQLLEN length);
  void BindText(Buffer& buffer, std::u16string text, DataTypeEnum type);
  void BindBinary(Buffer& buffer, const ParameterValue& value, int ordinal);
  void BindDecimal(Buffer& buffer, const oleaut::Decimal& value);
  void BindDate(Buffer& buffer, const oleaut::Date& value);
  void BindNatural(Buffer& buffer, const oleaut::Variant& value);

  SQLHSTMT stmt_;
  ValueStyle style_;
  CallContext where_;
  std::deque<Buffer> buffers_;  // addresses stay put as markers are added
};

}  // namespace ado::odbc
