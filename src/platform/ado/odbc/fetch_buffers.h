// The buffers a row's values leave the driver through: a value read piece after piece with
// SQLGetData (long text and binary data), and text columns bound to buffers of ours that the
// driver fills as it fetches each row, so that a value costs no call of its own.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "platform/ado/odbc/odbc_call.h"

namespace ado::odbc {

// Reads a column's value piece after piece, as text (SQL_C_CHAR, SQL_C_WCHAR) or bytes
// (SQL_C_BINARY), into a buffer kept from value to value: most values fit the first piece.
template <class Unit>
class PieceReader {
 public:
  // False when the value is NULL; otherwise the value is View().
  bool Read(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT c_type, const CallContext& where) {
    constexpr std::size_t kMostPerPiece = 1 << 20;
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
                                   : std::min(buffer_.size() * 4, kMostPerPiece);
      buffer_.resize(length_ + std::max<std::size_t>(more, 1) + terminator);
    }
  }
  std::basic_string_view<Unit> View() const { return {buffer_.data(), length_}; }

 private:
  std::vector<Unit> buffer_;
  std::size_t length_ = 0;
};

// Whether the driver lets a result's text columns be bound while others are read with
// SQLGetData, and a bound value that did not fit be read again with SQLGetData
// (SQL_GETDATA_EXTENSIONS has SQL_GD_ANY_COLUMN and SQL_GD_BOUND).
bool DriverReadsBoundColumnsAgain(SQLHDBC dbc);

// One result column bound as UTF-8 text (SQL_C_CHAR). Its buffer starts small and grows, up to a
// bound, after a value that did not fit; such a value is read again whole through SQLGetData.
class BoundText {
 public:
  BoundText(SQLHSTMT stmt, SQLUSMALLINT column, const CallContext& where);
  BoundText(const BoundText&) = delete;
  BoundText& operator=(const BoundText&) = delete;

  // The value of the row just fetched: false when it is NULL, else its text in `text` (valid
  // until the next fetch or read). `whole` takes a value that did not fit the buffer.
  bool Read(PieceReader<char>& whole, std::string_view* text) {
    if (indicator_ == SQL_NULL_DATA) return false;
    // One byte of the buffer holds the terminator.
    if (indicator_ >= 0 && static_cast<std::size_t>(indicator_) < buffer_.size()) {
      *text = std::string_view(buffer_.data(), static_cast<std::size_t>(indicator_));
      return true;
    }
    return ReadWhole(whole, text);
  }

 private:
  void Bind(std::size_t bytes);
  // Reads again, whole, a value that did not fit; the buffer grows for the rows after it.
  bool ReadWhole(PieceReader<char>& whole, std::string_view* text);

  SQLHSTMT stmt_;
  SQLUSMALLINT column_;
  const CallContext& where_;
  std::vector<char> buffer_;
  SQLLEN indicator_ = 0;  // the driver writes here as it fetches: its address must not change
};

// The bound columns of one statement, unbound before their buffers go (the statement handle
// outlives them).
class BoundTextColumns {
 public:
  BoundTextColumns(SQLHSTMT stmt, const CallContext& where) : stmt_(stmt), where_(where) {}
  BoundTextColumns(const BoundTextColumns&) = delete;
  BoundTextColumns& operator=(const BoundTextColumns&) = delete;
  ~BoundTextColumns();

  BoundText& Bind(SQLUSMALLINT column) { return columns_.emplace_back(stmt_, column, where_); }

 private:
  SQLHSTMT stmt_;
  const CallContext& where_;
  std::deque<BoundText> columns_;  // a deque: addresses stay put as columns are added
};

}  // namespace ado::odbc
