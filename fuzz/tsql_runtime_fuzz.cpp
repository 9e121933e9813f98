// The runtime functions on arbitrary values: CONVERT and TRY_CONVERT to every target type with and
// without a style, the string and date functions, LIKE, the arithmetic operators and the
// table-valued functions (STRING_SPLIT, OPENJSON), the float functions, GREATEST and LEAST,
// SOUNDEX, HASHBYTES and the bytes of integers. A value
// either converts or the statement fails with an error; the engine never crashes.
#include <sqlite3.h>

#include <cstdlib>
#include <string>

#include "platform/tsql/runtime/runtime.h"

namespace {

sqlite3* Database() {
  static sqlite3* db = [] {
    sqlite3* handle = nullptr;
    if (sqlite3_open(":memory:", &handle) != SQLITE_OK) std::abort();
    static tsql::SessionState state;
    tsql::InstallSqliteRuntime(handle, &state);
    return handle;
  }();
  return db;
}

constexpr const char* kStatements[] = {
    "SELECT * FROM tsql_string_split(?1, ?1) AS a, tsql_string_split_ordinal(?1, ',') AS b",
    "SELECT * FROM tsql_openjson(?1) AS a, tsql_openjson(?1, ?1) AS b",
    "SELECT tsql_convert('int', ?1), tsql_convert('datetime', ?1), tsql_convert('bit', ?1)",
    "SELECT tsql_convert('decimal(28,10)', ?1), tsql_convert('varchar(255)', "
    "tsql_convert('decimal(18,4)', ?1))",
    "SELECT tsql_convert('varchar(30)', ?1, 120), tsql_convert('varchar(30)', ?1, 0), "
    "tsql_convert('smalldatetime', ?1), tsql_convert('char(5)', ?1)",
    "SELECT tsql_add(?1, ?1), tsql_add(?1, 1), tsql_add(1.5, ?1), tsql_len(?1), "
    "tsql_datalength(?1)",
    "SELECT tsql_substring(?1, -2, 5), tsql_charindex('a', ?1), tsql_replace(?1, 'a', 'bb'), "
    "tsql_left(?1, 3), tsql_right(?1, 3), tsql_upper(?1), tsql_year(?1), tsql_round(?1, -1)",
    "SELECT ?1 = 'abc' COLLATE TSQL, tsql_convert('float', ?1), tsql_convert('varbinary(4)', ?1)",
    "SELECT tsql_subtract(?1, 3), tsql_multiply(?1, ?1), tsql_divide(7, ?1), tsql_modulo(?1, 3), "
    "tsql_divide_real(?1, 2), tsql_fit(?1, 'smallint'), tsql_power(?1, 2)",
    "SELECT tsql_date_plus(?1, 1, -1), tsql_dateadd('month', 1, ?1), tsql_datediff('week', ?1, "
    "'2024-01-05'), tsql_datepart('weekday', ?1), tsql_datename('month', ?1), tsql_isdate(?1)",
    "SELECT tsql_like(?1, '%[a-c]_%'), tsql_like('abc', ?1), tsql_like(?1, ?1, '!'), "
    "tsql_patindex(?1, 'abcdef'), tsql_stuff(?1, 2, 3, 'x'), tsql_reverse(?1), tsql_str(?1, 6, 2)",
    "SELECT tsql_isnumeric(?1), tsql_concat(?1, 1, NULL), tsql_money_text(?1, 1), "
    "tsql_convert('varchar(3)', ?1, 1), tsql_convert('nvarchar(2)', ?1), tsql_datalength(?1, 1)",
    "SELECT tsql_try_convert('int', ?1), tsql_try_convert('datetime', ?1), "
    "tsql_try_convert('varchar(30)', ?1, 121), tsql_try_convert('time(3)', ?1), "
    "tsql_convert('time', ?1), tsql_convert('time(0)', ?1)",
    "SELECT tsql_convert('money', ?1), tsql_convert('smallmoney', ?1), "
    "tsql_try_convert('smallmoney', ?1), tsql_convert('date', ?1), tsql_datefromparts(?1, 2, 28), "
    "tsql_datefromparts(2024, ?1, ?1), tsql_top_percent(?1, 1000), tsql_top_count(?1)",
    "SELECT tsql_format_message(?1, ?1, 5, ?1), tsql_format_message('%*.*s|%-5d|%#x|%s', ?1, ?1, "
    "?1, ?1, ?1), tsql_format_message('%05.2i %u %o %X %%', ?1, ?1, ?1, ?1)",
    "SELECT tsql_format(?1, 'N2', 'en-US', 0), tsql_format(?1, ?1, 'zh-CN', 'D'), "
    "tsql_format(12.5, ?1, '', 32), tsql_format(?1, '#,##0.00;(0)', NULL, 64), "
    "tsql_eomonth(?1, 1), tsql_datetimefromparts(?1, 1, 5, 10, 20, 30, ?1)",
    "SELECT tsql_json_value(?1, '$.a[0].b'), tsql_json_query(?1), tsql_isjson(?1), "
    "tsql_json_value('{\"a\":[1]}', ?1), tsql_string_escape(?1, 'json'), "
    "tsql_translate(?1, 'ab', 'xy'), tsql_concat_ws(?1, ?1, NULL), "
    "tsql_json_modify(?1, 'append $.a', ?1, 's'), tsql_json_modify('{\"a\":[1]}', ?1, NULL, 'r')",
    "SELECT tsql_convert('datetimeoffset(3)', ?1), tsql_switchoffset(?1, '+05:00'), "
    "tsql_todatetimeoffset(?1, ?1), tsql_datepart('tzoffset', ?1), tsql_datepart('iso_week', ?1), "
    "tsql_datediff_big('nanosecond', ?1, '2024-01-05'), tsql_replicate(?1, 3, 10, 1)",
    "SELECT tsql_convert('datetime2(3)', ?1), tsql_try_convert('datetime2', ?1), "
    "tsql_dateadd('nanosecond', ?1, ?1, 7), tsql_dateadd('week', ?1, '2024-01-05 10:20 +05:30', "
    "2), "
    "tsql_datediff('microsecond', ?1, '2024-01-05 10:20:30.1234567'), "
    "tsql_convert('varchar(30)', ?1, 126)",
    "SELECT tsql_at_time_zone(?1, 'India Standard Time', 3, 0), tsql_at_time_zone(?1, ?1, 7, 1), "
    "tsql_at_time_zone('2024-01-05 10:00 +08:00', ?1, 0, 1)",
    "SELECT tsql_at_time_zone(?1, 'Pacific Standard Time', 3, 0), "
    "tsql_at_time_zone(?1, 'AUS Eastern Standard Time', 7, 1), "
    "tsql_at_time_zone(?1, 'GMT Standard Time', 0, 0), tsql_language_culture(?1)",
    "SELECT tsql_convert('datetime', tsql_date_text(?1, 'dmy', 1)), tsql_date_text(?1, ?1, 0), "
    "tsql_convert('date', tsql_date_text(?1, 'ydm', 0, 103)), tsql_date_text(?1, 'myd', 1, ?1)",
    "SELECT tsql_sqrt(?1), tsql_log(?1, ?1), tsql_log10(?1), tsql_exp(?1), tsql_atn2(?1, ?1), "
    "tsql_cot(?1), tsql_rand(?1), tsql_greatest(?1, 1, NULL), tsql_least(?1, 'a', ?1), "
    "tsql_soundex(?1), tsql_difference(?1, 'Smith'), tsql_hashbytes(?1, ?1, 0), "
    "tsql_hashbytes('SHA2_512', ?1, 1), tsql_hashbytes('md5', ?1, 0)",
    "SELECT tsql_char(?1), tsql_nchar(?1), tsql_unicode(?1), tsql_datetime_days(?1), "
    "tsql_integer_bytes(?1, 4, ?1, 1), tsql_integer_bytes(?1, 8, 3, 0), tsql_convert('int', "
    "tsql_convert('varbinary(6)', ?1)), tsql_datalength(?1, 0, 8), tsql_datetrunc(?1, ?1), "
    "tsql_datetrunc('iso_week', ?1), tsql_datetrunc('microsecond', ?1)",
    "SELECT tsql_string_agg(v, ?1, 1, v, 1), tsql_xml_path(0, ?1, 'Vx', v, 'D', v) FROM "
    "(SELECT ?1 AS v UNION ALL SELECT 'x' UNION ALL SELECT NULL) WHERE ?1 <> v COLLATE TSQL",
    "SELECT tsql_for_json(?1, 'S' || ?1, v, 'D', v, 'Bb', v, 'Nn', v), "
    "tsql_xml_path(0, ?1, 'v' || ?1, v, 'dx', v, 'V', v) FROM "
    "(SELECT ?1 AS v UNION ALL SELECT 1.5 UNION ALL SELECT NULL)",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const char* statement = kStatements[data[0] % std::size(kStatements)];
  const int kind = data[1] % 4;
  const char* text = reinterpret_cast<const char*>(data + 2);
  const int length = static_cast<int>(size - 2);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(Database(), statement, -1, &stmt, nullptr) != SQLITE_OK) std::abort();
  switch (kind) {
    case 0:
      sqlite3_bind_text(stmt, 1, text, length, SQLITE_TRANSIENT);
      break;
    case 1:
      sqlite3_bind_blob(stmt, 1, text, length, SQLITE_TRANSIENT);
      break;
    case 2:
      sqlite3_bind_double(stmt, 1, std::strtod(std::string(text, length).c_str(), nullptr));
      break;
    default:
      sqlite3_bind_int64(stmt, 1, std::strtoll(std::string(text, length).c_str(), nullptr, 10));
      break;
  }
  while (sqlite3_step(stmt) == SQLITE_ROW) {
  }
  sqlite3_finalize(stmt);
  return 0;
}
