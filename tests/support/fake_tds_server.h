// A scripted SQL Server for tests of the ODBC provider's SQL Server side: it speaks enough of
// TDS 7.4 on 127.0.0.1 for FreeTDS's ODBC driver to log in and run statements, records every
// request it receives (batch texts, RPC calls with their decoded parameters, transaction requests,
// logins), and answers each with what the test scripted for its text: result sets, row counts,
// server errors, or a connection dropped before the answer or halfway through its rows. Anything
// unscripted gets a plain DONE.
//
// It is test support, not a TDS implementation: one collation (Latin1, code page 1252), no
// encryption (PRELOGIN says it is not supported), no MARS, no cursors.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace tavtest {

// The library of FreeTDS's ODBC driver, the client this server is for; empty when it is not
// installed.
std::string FreeTdsDriver();

class FakeTdsServer {
 public:
  enum class Type {
    kInt,
    kSmallInt,
    kBit,
    kBigInt,
    kFloat,
    kDecimal,  // decimal(precision, scale)
    kNumeric,  // numeric(precision, scale)
    kMoney,
    kDateTime,
    kNVarChar,   // nvarchar(size); size 0 is nvarchar(max)
    kVarChar,    // varchar(size), code page 1252
    kVarBinary,  // varbinary(size); size 0 is varbinary(max)
    kImage,
  };
  struct Column {
    std::string name;
    Type type;
    int size = 0;
    int precision = 0;
    int scale = 0;
  };
  // A value as text: numbers and dates as SQL Server writes them ("-12.3400",
  // "2024-02-29 13:45:10.123"), text as UTF-8, binary data as its bytes. nullopt is NULL.
  using Cell = std::optional<std::string>;
  struct ResultSet {
    std::vector<Column> columns;
    std::vector<std::vector<Cell>> rows;
  };
  struct RowCount {
    std::int64_t rows;
  };
  struct ServerError {
    std::int32_t number;
    std::uint8_t state;
    std::uint8_t severity;
    std::string message;
  };
  using Part = std::variant<ResultSet, RowCount, ServerError>;
  struct Reply {
    std::vector<Part> parts;
    bool drop_connection = false;  // close the connection instead of answering
    bool never_answer = false;     // read on (a cancel gets its answer) but never answer this
    // Send the columns and this many rows of the result set that is the first part, in as many
    // packets as they fill and without ending the message, then close the connection: a server
    // that dies while a result streams.
    std::optional<std::size_t> drop_after_rows = std::nullopt;
  };

  enum class Login { kAccept, kRefuse, kSilent };

  struct Parameter {
    std::string name;  // "@P1"; empty when the client sent none
    std::string type;  // "nvarchar(4000)", "decimal(20,4)", "varbinary(max)", ...
    Cell value;        // decoded as Cell describes
  };
  enum class Kind { kLogin, kBatch, kRpc, kTransaction, kAttention };
  struct Request {
    int connection = 0;  // 1 for the first login's connection, 2 for the next, ...
    Kind kind = Kind::kBatch;
    // The batch text; for sp_executesql the statement; for a login the user; for a transaction
    // request "begin", "commit", "rollback" (", then begin" when it chains one).
    std::string text;
    std::string procedure;              // RPC: the name, or "sp_executesql" for its id
    std::vector<Parameter> parameters;  // RPC parameters; for a login: database and password
  };

  explicit FakeTdsServer(Login login = Login::kAccept);
  FakeTdsServer(const FakeTdsServer&) = delete;
  FakeTdsServer& operator=(const FakeTdsServer&) = delete;
  ~FakeTdsServer();

  std::uint16_t Port() const { return port_; }

  // The answer to every later request whose text (as Request::text) is `text`; for a transaction
  // request, an answer in place of the server's own.
  void On(const std::string& text, Reply reply);
  std::vector<Request> Requests() const;
  // The requests of one kind, in order.
  std::vector<Request> Requests(Kind kind) const;
  void ClearRequests();

 private:
  void AcceptLoop();
  void Serve(int socket, int connection);
  Reply ReplyTo(const std::string& text) const;
  void Record(Request request);

  Login login_;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::map<std::string, Reply> script_;
  std::vector<Request> requests_;
  std::vector<std::thread> sessions_;  // touched by the accept thread only, joined after it
  std::thread acceptor_;
};

}  // namespace tavtest
