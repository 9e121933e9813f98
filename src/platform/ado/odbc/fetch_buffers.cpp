#include "platform/ado/odbc/fetch_buffers.h"

namespace ado::odbc {
namespace {

// Numbers, dates and short names fit the first buffer; a column whose values do not gets a
// larger one after the first such value, up to the most that is worth keeping per column. The
// SQLite driver's copy into a bound buffer costs more the larger the buffer, whatever the value's
// length: a few long values must not make every later row pay for a buffer of their size, so
// values longer than 1 KiB are read again through SQLGetData.
constexpr std::size_t kFirstBoundBytes = 64;
constexpr std::size_t kMostBoundBytes = 1024;

}  // namespace

bool DriverReadsBoundColumnsAgain(SQLHDBC dbc) {
  SQLUINTEGER extensions = 0;
  if (!SQL_SUCCEEDED(
          SQLGetInfo(dbc, SQL_GETDATA_EXTENSIONS, &extensions, sizeof(extensions), nullptr))) {
    return false;
  }
  constexpr SQLUINTEGER kNeeded = SQL_GD_ANY_COLUMN | SQL_GD_BOUND;
  return (extensions & kNeeded) == kNeeded;
}

BoundText::BoundText(SQLHSTMT stmt, SQLUSMALLINT column, const CallContext& where)
    : stmt_(stmt), column_(column), where_(where) {
  Bind(kFirstBoundBytes);
}

void BoundText::Bind(std::size_t bytes) {
  buffer_.resize(bytes);
  TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt_, where_, SQLBindCol, stmt_, column_, SQL_C_CHAR,
                buffer_.data(), static_cast<SQLLEN>(buffer_.size()), &indicator_);
}

bool BoundText::ReadWhole(PieceReader<char>& whole, std::string_view* text) {
  if (!whole.Read(stmt_, column_, SQL_C_CHAR, where_)) return false;
  *text = whole.View();
  if (buffer_.size() < kMostBoundBytes) {
    Bind(std::min(kMostBoundBytes, std::max(buffer_.size() * 2, text->size() + 1)));
  }
  return true;
}

BoundTextColumns::~BoundTextColumns() {
  if (!columns_.empty()) SQLFreeStmt(stmt_, SQL_UNBIND);
}

}  // namespace ado::odbc
