#include "fake_tds_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "platform/oleaut/date.h"
#include "platform/oleaut/text.h"

namespace tavtest {
namespace {

// Message types of the packet header.
constexpr std::uint8_t kSqlBatch = 0x01;
constexpr std::uint8_t kRpc = 0x03;
constexpr std::uint8_t kTabularResult = 0x04;
constexpr std::uint8_t kAttention = 0x06;
constexpr std::uint8_t kTransactionManager = 0x0E;
constexpr std::uint8_t kLogin7 = 0x10;
constexpr std::uint8_t kPrelogin = 0x12;

// Tokens.
constexpr std::uint8_t kReturnStatus = 0x79;
constexpr std::uint8_t kColMetadata = 0x81;
constexpr std::uint8_t kError = 0xAA;
constexpr std::uint8_t kLoginAck = 0xAD;
constexpr std::uint8_t kRow = 0xD1;
constexpr std::uint8_t kNbcRow = 0xD2;
constexpr std::uint8_t kEnvChange = 0xE3;
constexpr std::uint8_t kDone = 0xFD;
constexpr std::uint8_t kDoneProc = 0xFE;
constexpr std::uint8_t kDoneInProc = 0xFF;

constexpr std::uint16_t kDoneMore = 0x01;
constexpr std::uint16_t kDoneError = 0x02;
constexpr std::uint16_t kDoneCount = 0x10;
constexpr std::uint16_t kDoneAttention = 0x20;

// SQL_Latin1_General_CP1_CI_AS.
constexpr char kCollation[5] = {0x09, 0x04, static_cast<char>(0xD0), 0x00, 0x34};
constexpr std::uint64_t kPlpNull = ~std::uint64_t{0};

// Decimals carry up to 38 digits: 16 bytes.
__extension__ using Uint128 = unsigned __int128;

// A whole number sent least significant byte first.
Uint128 LittleEndian(std::string_view raw) {
  Uint128 value = 0;
  for (std::size_t i = raw.size(); i-- > 0;)
    value = (value << 8) | static_cast<std::uint8_t>(raw[i]);
  return value;
}

class Writer {
 public:
  void U8(std::uint8_t v) { out_ += static_cast<char>(v); }
  void U16(std::uint16_t v) { Little(v, 2); }
  void U32(std::uint32_t v) { Little(v, 4); }
  void U64(std::uint64_t v) { Little(v, 8); }
  void Bytes(std::string_view bytes) { out_ += bytes; }
  void Utf16(const std::string& utf8) {
    for (char16_t unit : oleaut::FromUtf8(utf8))
      U16(unit);
  }
  // B_VARCHAR and US_VARCHAR: a count of UTF-16 units, then the units.
  void ByteText(const std::string& utf8) {
    U8(static_cast<std::uint8_t>(oleaut::FromUtf8(utf8).size()));
    Utf16(utf8);
  }
  void ShortText(const std::string& utf8) {
    U16(static_cast<std::uint16_t>(oleaut::FromUtf8(utf8).size()));
    Utf16(utf8);
  }
  // A value in PLP chunks, as the max types travel.
  void Plp(std::string_view bytes) {
    U64(bytes.size());
    constexpr std::size_t kChunk = 32 * 1024;
    for (std::size_t at = 0; at < bytes.size(); at += kChunk) {
      const std::string_view chunk = bytes.substr(at, kChunk);
      U32(static_cast<std::uint32_t>(chunk.size()));
      Bytes(chunk);
    }
    U32(0);
  }
  // A token whose length follows its type in two bytes.
  void Sized(std::uint8_t token, const Writer& body) {
    U8(token);
    U16(static_cast<std::uint16_t>(body.out_.size()));
    Bytes(body.out_);
  }
  std::string& Out() { return out_; }

 private:
  void Little(std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
      out_ += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  std::string out_;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  std::uint8_t U8() { return static_cast<std::uint8_t>(Take(1)[0]); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Little(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Little(4)); }
  std::uint64_t U64() { return Little(8); }
  std::string_view Take(std::size_t n) {
    if (n > in_.size() - at_) throw std::runtime_error("request shorter than it says");
    const std::string_view part = in_.substr(at_, n);
    at_ += n;
    return part;
  }
  std::string Utf16(std::size_t units) { return Utf8Of(Take(units * 2)); }
  std::string ByteText() { return Utf16(U8()); }
  bool AtEnd() const { return at_ >= in_.size(); }
  std::string_view Rest() { return Take(in_.size() - at_); }
  // The ALL_HEADERS block requests start with.
  void SkipHeaders() { Take(U32() - 4); }
  FakeTdsServer::Cell Plp() {
    if (U64() == kPlpNull) return std::nullopt;
    std::string value;
    while (const std::uint32_t chunk = U32())
      value += Take(chunk);
    return value;
  }
  static std::string Utf8Of(std::string_view utf16le) {
    std::u16string text(utf16le.size() / 2, u'\0');
    std::memcpy(text.data(), utf16le.data(), text.size() * 2);
    return oleaut::ToUtf8(text);
  }

 private:
  std::uint64_t Little(std::size_t bytes) {
    return static_cast<std::uint64_t>(LittleEndian(Take(bytes)));
  }
  std::string_view in_;
  std::size_t at_ = 0;
};

// ---- values as text, both ways ----

// OLE dates count days from 1899-12-30: datetime's day 0 (1900-01-01) is OLE day 2, and
// datetime2's day 0 (0001-01-01) lies 693,593 days before OLE's day 0.
constexpr std::int64_t kOleDay1900 = 2;
constexpr std::int64_t kOleDaysFromYearOne = 693593;

// "YYYY-MM-DD" of datetime2's day number (years from 100 on, as OLE dates go).
std::string DateOfDays(std::int64_t days) {
  return oleaut::ToUtf8(
      oleaut::Date(static_cast<double>(days - kOleDaysFromYearOne)).ToIsoDateString());
}

// "-123.45" at `scale` digits after the point: the sign and the digits as one whole number.
std::pair<bool, Uint128> ScaledNumber(const std::string& text, int scale) {
  bool negative = false;
  Uint128 value = 0;
  int decimals = -1;
  for (char c : text) {
    if (c == '-') negative = true;
    if (c == '.') decimals = 0;
    if (c < '0' || c > '9') continue;
    if (decimals >= 0 && decimals++ >= scale) continue;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  for (int i = std::max(decimals, 0); i < scale; ++i)
    value *= 10;
  return {negative, value};
}

std::string NumberText(bool negative, Uint128 value, int scale) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  while (static_cast<int>(digits.size()) <= scale)
    digits.insert(digits.begin(), '0');
  if (scale > 0) digits.insert(digits.end() - scale, '.');
  return (negative ? "-" : "") + digits;
}

// "YYYY-MM-DD hh:mm:ss.mmm" as the days since 1900 and the 300ths of a second of datetime.
void WriteDateTime(Writer& out, const std::string& text) {
  const oleaut::CalendarFields f =
      oleaut::Date::ParseIso(oleaut::FromUtf8(text)).value().ToFields();
  const auto day = static_cast<std::int64_t>(
      oleaut::Date::FromFields({.year = f.year, .month = f.month, .day = f.day}).OleValue());
  const std::int64_t ms = ((f.hour * 60 + f.minute) * 60 + f.second) * 1000LL + f.millisecond;
  out.U32(static_cast<std::uint32_t>(day - kOleDay1900));
  out.U32(static_cast<std::uint32_t>((ms * 300 + 500) / 1000));
}

std::string Latin1(const std::string& utf8) {
  std::string out;
  for (char16_t unit : oleaut::FromUtf8(utf8))
    out += static_cast<char>(unit < 0x100 ? unit : '?');
  return out;
}

int DecimalBytes(int precision) {
  return precision <= 9 ? 4 : precision <= 19 ? 8 : precision <= 28 ? 12 : 16;
}

// ---- result sets ----

using Type = FakeTdsServer::Type;

void WriteTypeInfo(Writer& out, const FakeTdsServer::Column& c) {
  switch (c.type) {
    case Type::kInt:
    case Type::kSmallInt:
    case Type::kBigInt:
      out.U8(0x26);
      out.U8(c.type == Type::kInt ? 4 : c.type == Type::kSmallInt ? 2 : 8);
      return;
    case Type::kBit:
      out.U8(0x68);
      out.U8(1);
      return;
    case Type::kFloat:
      out.U8(0x6D);
      out.U8(8);
      return;
    case Type::kDecimal:
    case Type::kNumeric:
      out.U8(c.type == Type::kDecimal ? 0x6A : 0x6C);
      out.U8(static_cast<std::uint8_t>(1 + DecimalBytes(c.precision)));
      out.U8(static_cast<std::uint8_t>(c.precision));
      out.U8(static_cast<std::uint8_t>(c.scale));
      return;
    case Type::kMoney:
      out.U8(0x6E);
      out.U8(8);
      return;
    case Type::kDateTime:
      out.U8(0x6F);
      out.U8(8);
      return;
    case Type::kNVarChar:
      out.U8(0xE7);
      out.U16(c.size == 0 ? 0xFFFF : static_cast<std::uint16_t>(c.size * 2));
      out.Bytes({kCollation, 5});
      return;
    case Type::kVarChar:
      out.U8(0xA7);
      out.U16(static_cast<std::uint16_t>(c.size));
      out.Bytes({kCollation, 5});
      return;
    case Type::kVarBinary:
      out.U8(0xA5);
      out.U16(c.size == 0 ? 0xFFFF : static_cast<std::uint16_t>(c.size));
      return;
    case Type::kImage:
      out.U8(0x22);
      out.U32(0x7FFFFFFF);
      out.U8(1);  // the table's name, in one part
      out.ShortText("t");
      return;
  }
}

void WriteValue(Writer& out, const FakeTdsServer::Column& c, const std::string& v) {
  switch (c.type) {
    case Type::kInt:
    case Type::kSmallInt:
    case Type::kBigInt: {
      const int bytes = c.type == Type::kInt ? 4 : c.type == Type::kSmallInt ? 2 : 8;
      out.U8(static_cast<std::uint8_t>(bytes));
      const auto whole = static_cast<std::uint64_t>(std::stoll(v));
      for (int i = 0; i < bytes; ++i)
        out.U8(static_cast<std::uint8_t>(whole >> (8 * i)));
      return;
    }
    case Type::kBit:
      out.U8(1);
      out.U8(v == "1" ? 1 : 0);
      return;
    case Type::kFloat: {
      const double real = std::stod(v);
      std::uint64_t bits = 0;
      std::memcpy(&bits, &real, 8);
      out.U8(8);
      out.U64(bits);
      return;
    }
    case Type::kDecimal:
    case Type::kNumeric: {
      const auto [negative, value] = ScaledNumber(v, c.scale);
      const int bytes = DecimalBytes(c.precision);
      out.U8(static_cast<std::uint8_t>(1 + bytes));
      out.U8(negative ? 0 : 1);
      for (int i = 0; i < bytes; ++i)
        out.U8(static_cast<std::uint8_t>(value >> (8 * i)));
      return;
    }
    case Type::kMoney: {
      const auto [negative, value] = ScaledNumber(v, 4);
      // Two's complement, negated as unsigned: the least money has no positive counterpart.
      const auto magnitude = static_cast<std::uint64_t>(value);
      const std::uint64_t units = negative ? 0 - magnitude : magnitude;
      out.U8(8);
      out.U32(static_cast<std::uint32_t>(units >> 32));
      out.U32(static_cast<std::uint32_t>(units));
      return;
    }
    case Type::kDateTime:
      out.U8(8);
      return WriteDateTime(out, v);
    case Type::kNVarChar: {
      Writer text;
      text.Utf16(v);
      if (c.size == 0) return out.Plp(text.Out());
      out.U16(static_cast<std::uint16_t>(text.Out().size()));
      return out.Bytes(text.Out());
    }
    case Type::kVarChar:
      out.U16(static_cast<std::uint16_t>(Latin1(v).size()));
      return out.Bytes(Latin1(v));
    case Type::kVarBinary:
      if (c.size == 0) return out.Plp(v);
      out.U16(static_cast<std::uint16_t>(v.size()));
      return out.Bytes(v);
    case Type::kImage:
      out.U8(16);
      out.Bytes(std::string(16, '\x01'));  // text pointer
      out.Bytes(std::string(8, '\0'));     // timestamp
      out.U32(static_cast<std::uint32_t>(v.size()));
      return out.Bytes(v);
  }
}

void WriteResultSet(Writer& out, const FakeTdsServer::ResultSet& set) {
  out.U8(kColMetadata);
  out.U16(static_cast<std::uint16_t>(set.columns.size()));
  for (const FakeTdsServer::Column& c : set.columns) {
    out.U32(0);                // user type
    out.U16(0x0001 | 0x0008);  // nullable, updatable unknown
    WriteTypeInfo(out, c);
    out.ByteText(c.name);
  }
  for (const auto& row : set.rows) {
    bool any_null = false;
    for (const auto& cell : row)
      any_null = any_null || !cell;
    out.U8(any_null ? kNbcRow : kRow);
    if (any_null) {
      std::string bitmap((row.size() + 7) / 8, '\0');
      for (std::size_t i = 0; i < row.size(); ++i) {
        if (!row[i]) bitmap[i / 8] = static_cast<char>(bitmap[i / 8] | (1 << (i % 8)));
      }
      out.Bytes(bitmap);
    }
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (row[i]) WriteValue(out, set.columns[i], *row[i]);
    }
  }
}

void WriteDone(Writer& out, std::uint8_t token, std::uint16_t status, std::uint64_t count = 0) {
  out.U8(token);
  out.U16(status);
  out.U16(0xC1);  // the current command: SELECT, which no client looks at
  out.U64(count);
}

void WriteMessage(Writer& out, std::uint8_t token, const FakeTdsServer::ServerError& e) {
  Writer body;
  body.U32(static_cast<std::uint32_t>(e.number));
  body.U8(e.state);
  body.U8(e.severity);
  body.ShortText(e.message);
  body.ByteText("FAKETDS");
  body.ByteText("");
  body.U32(1);
  out.Sized(token, body);
}

void WriteEnvChange(Writer& out, std::uint8_t type, std::string_view new_value,
                    std::string_view old_value) {
  Writer body;
  body.U8(type);
  body.U8(static_cast<std::uint8_t>(new_value.size()));
  body.Bytes(new_value);
  body.U8(static_cast<std::uint8_t>(old_value.size()));
  body.Bytes(old_value);
  out.Sized(kEnvChange, body);
}

// The parts of a reply; inside an RPC each ends with DONEINPROC, and the call with its return
// status and DONEPROC.
std::string ReplyBody(const FakeTdsServer::Reply& reply, bool rpc) {
  Writer out;
  const std::uint8_t done = rpc ? kDoneInProc : kDone;
  bool failed = false;
  for (std::size_t i = 0; i < reply.parts.size(); ++i) {
    const std::uint16_t more = rpc || i + 1 < reply.parts.size() ? kDoneMore : 0;
    const FakeTdsServer::Part& part = reply.parts[i];
    if (const auto* set = std::get_if<FakeTdsServer::ResultSet>(&part)) {
      WriteResultSet(out, *set);
      WriteDone(out, done, kDoneCount | more, set->rows.size());
    } else if (const auto* count = std::get_if<FakeTdsServer::RowCount>(&part)) {
      WriteDone(out, done, kDoneCount | more, static_cast<std::uint64_t>(count->rows));
    } else {
      WriteMessage(out, kError, std::get<FakeTdsServer::ServerError>(part));
      WriteDone(out, done, kDoneError | more);
      failed = true;
    }
  }
  if (rpc) {
    out.U8(kReturnStatus);
    out.U32(failed ? 1 : 0);
    WriteDone(out, kDoneProc, failed ? kDoneError : 0);
  } else if (reply.parts.empty()) {
    WriteDone(out, kDone, 0);
  }
  return std::move(out.Out());
}

// ---- requests ----

// The procedure a client names by number; only sp_executesql (10) carries a statement.
std::string ProcedureOfId(std::uint16_t id) {
  return id == 10 ? "sp_executesql" : "procedure " + std::to_string(id);
}

std::string Sized(const char* name, std::uint32_t size, std::uint32_t unit) {
  return std::string(name) + (size == 0xFFFF ? "(max)" : "(" + std::to_string(size / unit) + ")");
}

std::string WholeText(Reader& in, std::size_t bytes) {
  const auto v = static_cast<std::uint64_t>(LittleEndian(in.Take(bytes)));
  const int shift = static_cast<int>(64 - 8 * bytes);
  return std::to_string(static_cast<std::int64_t>(v << shift) >> shift);
}

// One parameter of an RPC: its type as SQL Server names it and its value as a Cell.
FakeTdsServer::Parameter ReadParameter(Reader& in) {
  FakeTdsServer::Parameter p;
  p.name = in.ByteText();
  in.U8();  // status flags
  const std::uint8_t type = in.U8();
  switch (type) {
    case 0x26:    // INTN
    case 0x68:    // BITN
    case 0x6D: {  // FLTN
      const std::uint8_t width = in.U8();
      const std::uint8_t length = in.U8();
      if (type == 0x26)
        p.type = width == 1 ? "tinyint" : width == 2 ? "smallint" : width == 4 ? "int" : "bigint";
      if (type == 0x68) p.type = "bit";
      if (type == 0x6D) p.type = "float";
      if (length == 0) return p;
      if (type != 0x6D) {
        p.value = WholeText(in, length);
        return p;
      }
      const std::uint64_t bits = length == 8 ? in.U64() : throw std::runtime_error("real");
      double real = 0;
      std::memcpy(&real, &bits, 8);
      char text[40];
      std::snprintf(text, sizeof text, "%.17g", real);
      p.value = text;
      return p;
    }
    case 0x6A: {  // DECIMALN
      in.U8();
      const int precision = in.U8();
      const int scale = in.U8();
      p.type = "decimal(" + std::to_string(precision) + "," + std::to_string(scale) + ")";
      const std::uint8_t length = in.U8();
      if (length == 0) return p;
      const bool negative = in.U8() == 0;
      p.value = NumberText(negative, LittleEndian(in.Take(length - 1U)), scale);
      return p;
    }
    case 0x2A: {  // DATETIME2N
      const int scale = in.U8();
      p.type = "datetime2(" + std::to_string(scale) + ")";
      const std::uint8_t length = in.U8();
      if (length == 0) return p;
      const auto units = static_cast<std::uint64_t>(LittleEndian(in.Take(length - 3U)));
      std::uint64_t days = in.U16();
      days |= static_cast<std::uint64_t>(in.U8()) << 16;
      std::uint64_t unit = 1;
      for (int i = 0; i < scale; ++i)
        unit *= 10;
      const std::uint64_t seconds = units / unit;
      char time[48];
      std::snprintf(time, sizeof time, " %02llu:%02llu:%02llu",
                    static_cast<unsigned long long>(seconds / 3600),
                    static_cast<unsigned long long>(seconds / 60 % 60),
                    static_cast<unsigned long long>(seconds % 60));
      std::string text = DateOfDays(static_cast<std::int64_t>(days)) + time;
      if (scale > 0) text += NumberText(false, units % unit + unit, scale).substr(1);
      p.value = text;
      return p;
    }
    case 0xE7:    // NVARCHAR
    case 0xA7:    // BIGVARCHAR
    case 0xA5: {  // BIGVARBINARY
      const std::uint16_t size = in.U16();
      if (type != 0xA5) in.Take(5);  // collation
      p.type = Sized(type == 0xE7   ? "nvarchar"
                     : type == 0xA7 ? "varchar"
                                    : "varbinary",
                     size, type == 0xE7 ? 2 : 1);
      if (size == 0xFFFF) {
        p.value = in.Plp();
      } else if (const std::uint16_t length = in.U16(); length != 0xFFFF) {
        p.value = in.Take(length);
      }
      if (type == 0xE7 && p.value) p.value = Reader::Utf8Of(*p.value);
      return p;
    }
    case 0x63: {  // NTEXT, as sp_executesql's statement and parameter list come
      in.U32();
      in.Take(5);  // collation
      p.type = "ntext";
      const std::uint32_t length = in.U32();
      if (length != 0xFFFFFFFF) p.value = Reader::Utf8Of(in.Take(length));
      return p;
    }
    default:
      throw std::runtime_error("parameter of type " + std::to_string(type) + " not decoded");
  }
}

FakeTdsServer::Request ReadRpc(Reader& in) {
  FakeTdsServer::Request request;
  request.kind = FakeTdsServer::Kind::kRpc;
  in.SkipHeaders();
  const std::uint16_t name_length = in.U16();
  request.procedure = name_length == 0xFFFF ? ProcedureOfId(in.U16()) : in.Utf16(name_length);
  in.U16();  // option flags
  while (!in.AtEnd())
    request.parameters.push_back(ReadParameter(in));
  if (request.procedure == "sp_executesql" && !request.parameters.empty()) {
    request.text = request.parameters[0].value.value_or("");
  }
  return request;
}

// ---- the wire ----

bool WaitReadable(int socket, const std::atomic<bool>& stopping) {
  while (!stopping) {
    pollfd p{socket, POLLIN, 0};
    const int ready = poll(&p, 1, 50);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
  return false;
}

bool ReadExactly(int socket, char* data, std::size_t size, const std::atomic<bool>& stopping) {
  while (size > 0) {
    if (!WaitReadable(socket, stopping)) return false;
    const ssize_t got = recv(socket, data, size, 0);
    if (got <= 0) return false;
    data += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

// One message, however many packets it came in.
bool ReadMessage(int socket, std::uint8_t* type, std::string* payload,
                 const std::atomic<bool>& stopping) {
  payload->clear();
  for (;;) {
    char header[8];
    if (!ReadExactly(socket, header, 8, stopping)) return false;
    *type = static_cast<std::uint8_t>(header[0]);
    const std::size_t length =
        (static_cast<std::uint8_t>(header[2]) << 8) | static_cast<std::uint8_t>(header[3]);
    if (length < 8) return false;
    const std::size_t at = payload->size();
    payload->resize(at + length - 8);
    if (!ReadExactly(socket, payload->data() + at, length - 8, stopping)) return false;
    if (header[1] & 0x01) return true;  // end of message
  }
}

// `complete` false leaves the last packet without its end-of-message flag: the client waits for
// more.
bool SendMessage(int socket, std::string_view payload, std::size_t packet_size,
                 bool complete = true) {
  const std::size_t room = packet_size - 8;
  std::uint8_t number = 1;
  std::size_t at = 0;
  do {
    const std::size_t part = std::min(room, payload.size() - at);
    const bool last = complete && at + part == payload.size();
    std::string packet = {static_cast<char>(kTabularResult),
                          static_cast<char>(last ? 1 : 0),
                          static_cast<char>((part + 8) >> 8),
                          static_cast<char>((part + 8) & 0xFF),
                          0,
                          0x33,
                          static_cast<char>(number++),
                          0};
    packet.append(payload.substr(at, part));
    for (std::size_t sent = 0; sent < packet.size();) {
      const ssize_t n = send(socket, packet.data() + sent, packet.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<std::size_t>(n);
    }
    at += part;
  } while (at < payload.size());
  return true;
}

std::string PreloginReply() {
  // VERSION, ENCRYPTION (not supported: everything travels in the clear), INSTOPT, MARS.
  const std::pair<std::uint8_t, std::string> options[] = {
      {0x00, std::string("\x10\x00\x07\xD0\x00\x00", 6)},
      {0x01, std::string(1, '\x02')},
      {0x02, std::string(1, '\0')},
      {0x04, std::string(1, '\0')}};
  std::string table;
  std::string data;
  const std::size_t start = std::size(options) * 5 + 1;
  for (const auto& [token, value] : options) {
    const std::size_t offset = start + data.size();
    table += {static_cast<char>(token), static_cast<char>(offset >> 8),
              static_cast<char>(offset & 0xFF), 0, static_cast<char>(value.size())};
    data += value;
  }
  return table + '\xFF' + data;
}

// The columns and the first rows of the reply's first result set, as a server sends them before
// it dies; flushed to the socket, so that the client has them to read before the connection ends.
void SendFirstRowsOnly(int socket, const FakeTdsServer::Reply& reply, std::size_t packet_size) {
  const auto& set = std::get<FakeTdsServer::ResultSet>(reply.parts.at(0));
  const std::size_t rows = std::min(*reply.drop_after_rows, set.rows.size());
  FakeTdsServer::ResultSet first{set.columns, {}};
  first.rows.assign(set.rows.begin(), set.rows.begin() + static_cast<std::ptrdiff_t>(rows));
  Writer out;
  WriteResultSet(out, first);
  SendMessage(socket, out.Out(), packet_size, /*complete=*/false);
}

}  // namespace

std::string FreeTdsDriver() {
  for (const char* root : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc"}) {
    if (std::filesystem::exists(std::string(root) + "/libtdsodbc.so")) {
      return std::string(root) + "/libtdsodbc.so";
    }
  }
  return {};
}

FakeTdsServer::FakeTdsServer(Login login) : login_(login) {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listener_, 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (listener_ >= 0) close(listener_);
    throw std::runtime_error("the fake TDS server cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

FakeTdsServer::~FakeTdsServer() {
  stopping_ = true;
  acceptor_.join();
  for (std::thread& session : sessions_)
    session.join();
  close(listener_);
}

void FakeTdsServer::On(const std::string& text, Reply reply) {
  const std::lock_guard lock(mutex_);
  script_[text] = std::move(reply);
}

std::vector<FakeTdsServer::Request> FakeTdsServer::Requests() const {
  const std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<FakeTdsServer::Request> FakeTdsServer::Requests(Kind kind) const {
  std::vector<Request> found;
  for (Request& r : Requests()) {
    if (r.kind == kind) found.push_back(std::move(r));
  }
  return found;
}

void FakeTdsServer::ClearRequests() {
  const std::lock_guard lock(mutex_);
  requests_.clear();
}

FakeTdsServer::Reply FakeTdsServer::ReplyTo(const std::string& text) const {
  const std::lock_guard lock(mutex_);
  const auto found = script_.find(text);
  return found == script_.end() ? Reply{} : found->second;
}

void FakeTdsServer::Record(Request request) {
  const std::lock_guard lock(mutex_);
  requests_.push_back(std::move(request));
}

void FakeTdsServer::AcceptLoop() {
  int connections = 0;
  while (WaitReadable(listener_, stopping_)) {
    const int socket = accept(listener_, nullptr, nullptr);
    if (socket < 0) continue;
    const int connection = ++connections;
    sessions_.emplace_back([this, socket, connection] {
      try {
        Serve(socket, connection);
      } catch (const std::exception&) {  // NOLINT(bugprone-empty-catch): a request it cannot
      }                                  // read ends the connection, as a server's would
      close(socket);
    });
  }
}

void FakeTdsServer::Serve(int socket, int connection) {
  std::size_t packet_size = 4096;
  std::uint64_t transaction = 0;
  std::uint8_t type = 0;
  std::string payload;
  while (ReadMessage(socket, &type, &payload, stopping_)) {
    Request request;
    request.connection = connection;
    Reader in(payload);
    Writer out;
    if (type == kPrelogin) {
      if (login_ == Login::kSilent) {
        WaitReadable(socket, stopping_);
        return;
      }
      if (!SendMessage(socket, PreloginReply(), packet_size)) return;
      continue;
    }
    if (type == kLogin7) {
      const auto field = [&](std::size_t at) {
        Reader offsets(std::string_view(payload).substr(at, 4));
        const std::uint16_t offset = offsets.U16();
        return std::pair<std::size_t, std::size_t>(offset, offsets.U16());
      };
      const auto text = [&](std::size_t at) {
        const auto [offset, units] = field(at);
        return Reader::Utf8Of(std::string_view(payload).substr(offset, units * 2));
      };
      packet_size =
          std::max<std::size_t>(512, Reader(std::string_view(payload).substr(8, 4)).U32());
      request.kind = Kind::kLogin;
      request.text = text(40);
      std::string password(payload.substr(field(44).first, field(44).second * 2));
      for (char& c : password) {
        const auto b = static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ 0xA5);
        c = static_cast<char>(((b & 0x0F) << 4) | (b >> 4));
      }
      const std::string database = text(68);
      request.parameters = {{"database", "", database}, {"password", "", Reader::Utf8Of(password)}};
      Record(request);
      if (login_ == Login::kRefuse) {
        WriteMessage(out, kError, {18456, 1, 14, "Login failed for user '" + request.text + "'."});
        WriteDone(out, kDone, kDoneError);
        SendMessage(socket, out.Out(), packet_size);
        return;
      }
      WriteEnvChange(out, 7, {kCollation, 5}, {});
      Writer ack;
      ack.U8(1);
      ack.Bytes(std::string("\x74\x00\x00\x04", 4));
      ack.ByteText("Microsoft SQL Server");
      ack.Bytes(std::string("\x10\x00\x07\xD0", 4));
      out.Sized(kLoginAck, ack);
      WriteDone(out, kDone, 0);
    } else if (type == kSqlBatch || type == kRpc) {
      if (type == kRpc) {
        request = ReadRpc(in);
        request.connection = connection;
      } else {
        in.SkipHeaders();
        request.text = Reader::Utf8Of(in.Rest());
      }
      Record(request);
      const Reply reply = ReplyTo(request.text);
      if (reply.drop_connection) return;
      if (reply.drop_after_rows) return SendFirstRowsOnly(socket, reply, packet_size);
      if (reply.never_answer) continue;
      out.Bytes(ReplyBody(reply, type == kRpc));
    } else if (type == kTransactionManager) {
      in.SkipHeaders();
      request.kind = Kind::kTransaction;
      const std::uint16_t what = in.U16();
      bool begin = what == 5;
      if (what == 7 || what == 8) {
        in.ByteText();
        begin = (in.U8() & 0x01) != 0;
        request.text =
            std::string(what == 7 ? "commit" : "rollback") + (begin ? ", then begin" : "");
      } else {
        request.text = begin ? "begin" : "request " + std::to_string(what);
      }
      Record(request);
      // A scripted answer (a failed commit, say) leaves the transaction as it was.
      if (const Reply reply = ReplyTo(request.text); !reply.parts.empty()) {
        out.Bytes(ReplyBody(reply, false));
      } else {
        std::string descriptor(8, '\0');
        std::memcpy(descriptor.data(), &transaction, 8);
        if (what == 7 || what == 8) WriteEnvChange(out, what == 7 ? 9 : 10, {}, descriptor);
        if (begin) {
          ++transaction;
          std::memcpy(descriptor.data(), &transaction, 8);
          WriteEnvChange(out, 8, descriptor, {});
        }
        WriteDone(out, kDone, 0);
      }
    } else if (type == kAttention) {
      request.kind = Kind::kAttention;
      Record(request);
      WriteDone(out, kDone, kDoneAttention);
    } else {
      return;
    }
    if (!SendMessage(socket, out.Out(), packet_size)) return;
  }
}

}  // namespace tavtest
