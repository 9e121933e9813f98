// What the ADO stand-in costs over the engine: opening a large client-side recordset against a
// bare sqlite3 loop that copies the same values, and moving blobs through a Command parameter
// and GetChunk into a Stream at growing sizes (time must grow linearly). The same recordset
// opened through the ODBC provider over the SQLite ODBC driver, on the same file, must take at
// most twice the embedded provider's time.
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/stream.h"
#include "platform/oleaut/text.h"
#include "sqlite_values.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 10;

class BenchDatabase {
 public:
  BenchDatabase()
      : dir_(std::filesystem::temp_directory_path() / ("ado_bench_" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_);
    connection_ = Open();
    connection_->Execute(
        u"CREATE TABLE t_rows (FID int, FQty int, FUnit int, FStock int, FNumber varchar(30), "
        u"FName nvarchar(80), FModel varchar(40), FNote varchar(255), FPrice float, "
        u"FAmount float)");
    connection_->Execute(u"CREATE TABLE t_blob (FID int, FData image)");
    connection_->Execute(u"INSERT INTO t_blob (FID) VALUES (1)");
    connection_->BeginTrans();
    auto insert = com::Make<ado::Command>();
    insert->SetActiveConnection(connection_);
    insert->SetCommandText(
        u"INSERT INTO t_rows (FID, FQty, FUnit, FStock, FNumber, FName, FModel, FNote, FPrice, "
        u"FAmount) VALUES (?,?,?,?,?,?,?,?,?,?)");
    for (int row = 0; row < kRows; ++row) {
      const std::u16string number = oleaut::FromUtf8("1.01." + std::to_string(row));
      const oleaut::Variant values[] = {row,
                                        row % 1000,
                                        row % 7,
                                        row * 3,
                                        number,
                                        u"螺栓 M" + number,
                                        std::u16string(u"GB/T 5782"),
                                        std::u16string(u"stock item for the print benchmark"),
                                        row * 0.25,
                                        row * 1.5};
      insert->Execute(nullptr, values);
    }
    connection_->CommitTrans();
    // One long note, then every row's short one: the reader must not go on paying for the long
    // value on the rows after it.
    connection_->Execute(u"CREATE TABLE t_notes (FID int, FNote nvarchar(max))");
    connection_->Execute(u"INSERT INTO t_notes VALUES (-1, REPLICATE(N'long note ', 7000))");
    connection_->Execute(u"INSERT INTO t_notes SELECT FID, FNote FROM t_rows");
  }
  ~BenchDatabase() {
    connection_.Reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string Path() const { return (dir_ / "bench.db").string(); }
  com::Ptr<ado::Connection> Open() const {
    auto connection = com::Make<ado::Connection>();
    connection->SetCursorLocation(ado::adUseClient);
    connection->Open(u"Provider=SQLite;Mode=ReadWriteCreate;Data Source=" +
                     oleaut::FromUtf8(Path()));
    return connection;
  }
  const com::Ptr<ado::Connection>& Connection() const { return connection_; }

 private:
  std::filesystem::path dir_;
  com::Ptr<ado::Connection> connection_;
};

BenchDatabase& Database() {
  static BenchDatabase database;
  return database;
}

std::size_t HeapBytes(const oleaut::Variant& value) {
  if (value.IsString()) {
    const std::size_t units = value.AsString().size();
    return units > 7 ? (units + 1) * sizeof(char16_t) : 0;  // beyond the in-place buffer
  }
  return 0;
}

void BM_RecordsetOpen(benchmark::State& state) {
  const auto& connection = Database().Connection();
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto rs = connection->Execute(u"SELECT * FROM t_rows");
    if (rs->RecordCount() != kRows) state.SkipWithError("wrong row count");
    if (bytes == 0) {
      auto fields = rs->Fields();
      for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        for (int c = 0; c < kColumns; ++c)
          bytes += HeapBytes(fields->Item(c)->Value());
      }
    }
    benchmark::DoNotOptimize(rs);
  }
  state.counters["bytes_per_value"] =
      static_cast<double>(sizeof(oleaut::Variant)) +
      static_cast<double>(bytes) / (static_cast<double>(kRows) * kColumns);
  state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}
BENCHMARK(BM_RecordsetOpen)->Unit(benchmark::kMillisecond);

// Debian's SQLite ODBC driver (libsqliteodbc), by its path; empty when it is not installed.
std::string SqliteOdbcDriver() {
  for (const char* candidate :
       {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
        "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so", "/usr/lib/odbc/libsqlite3odbc.so"}) {
    if (std::filesystem::exists(candidate)) return candidate;
  }
  return {};
}

// Opens `sql`, of `rows` rows and `columns` columns, through the ODBC provider, unixODBC and the
// SQLite ODBC driver on the same file.
void RunRecordsetOpenOdbc(benchmark::State& state, std::u16string_view sql, int rows, int columns) {
  const std::string driver = SqliteOdbcDriver();
  if (driver.empty()) {
    state.SkipWithError("the SQLite ODBC driver (libsqliteodbc) is not installed");
    return;
  }
  auto connection = com::Make<ado::Connection>();
  connection->SetCursorLocation(ado::adUseClient);
  connection->Open(oleaut::FromUtf8("Driver=" + driver + ";Database=" + Database().Path()));
  for (auto _ : state) {
    auto rs = connection->Execute(sql);
    if (rs->RecordCount() != rows) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(rs);
  }
  state.SetItemsProcessed(state.iterations() * rows * columns);
}

void BM_RecordsetOpenOdbc(benchmark::State& state) {
  RunRecordsetOpenOdbc(state, u"SELECT * FROM t_rows", kRows, kColumns);
}
BENCHMARK(BM_RecordsetOpenOdbc)->Unit(benchmark::kMillisecond);

// Short texts after a long one in the same column.
void BM_RecordsetOpenOdbcAfterLongText(benchmark::State& state) {
  RunRecordsetOpenOdbc(state, u"SELECT * FROM t_notes", kRows + 1, 2);
}
BENCHMARK(BM_RecordsetOpenOdbcAfterLongText)->Unit(benchmark::kMillisecond);

// How the bare loops take values from the driver.
enum class BareFetch {
  kGetDataPerValue,  // SQLGetData for every value
  kBoundColumns,     // every column bound, copied in as each row is fetched
  kBoundKeepValues,  // bound, and every value kept as a Variant of the column's known type
};

// A value of t_rows as BM_BareSqliteLoop keeps it, from the driver's text: the loop knows each
// column's type in advance, which a provider has to find out.
oleaut::Variant KeptValue(int column, const char* text, SQLLEN length) {
  if (length == SQL_NULL_DATA) return oleaut::kNull;
  const char* end = text + length;
  if (column < 4) {
    std::int32_t whole = 0;
    std::from_chars(text, end, whole);
    return whole;
  }
  if (column >= 8) {
    double real = 0;
    std::from_chars(text, end, real);
    return real;
  }
  return oleaut::FromUtf8(std::string_view(text, static_cast<std::size_t>(length)));
}

// The floor of the ODBC path: the driver's own execute and fetch, every value read as text,
// nothing kept.
void RunBareOdbcLoop(benchmark::State& state, BareFetch fetch) {
  const std::string driver = SqliteOdbcDriver();
  if (driver.empty()) {
    state.SkipWithError("the SQLite ODBC driver (libsqliteodbc) is not installed");
    return;
  }
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  std::string connection = "Driver=" + driver + ";Database=" + Database().Path();
  if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(connection.data()),
                                      SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
    state.SkipWithError("cannot connect through the driver");
  }
  char values[kColumns][256];
  SQLLEN indicators[kColumns];
  for (auto _ : state) {
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement);
    if (fetch != BareFetch::kGetDataPerValue) {
      for (SQLUSMALLINT c = 0; c < kColumns; ++c) {
        SQLBindCol(statement, c + 1, SQL_C_CHAR, values[c], sizeof(values[c]), &indicators[c]);
      }
    }
    char sql[] = "SELECT * FROM t_rows";
    SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(sql), SQL_NTS);
    std::size_t count = 0;
    std::vector<oleaut::Variant> kept;
    while (SQL_SUCCEEDED(SQLFetch(statement))) {
      if (fetch == BareFetch::kBoundColumns) {
        count += kColumns;
        continue;
      }
      if (fetch == BareFetch::kBoundKeepValues) {
        for (int c = 0; c < kColumns; ++c)
          kept.push_back(KeptValue(c, values[c], indicators[c]));
        count += kColumns;
        continue;
      }
      for (SQLUSMALLINT c = 0; c < kColumns; ++c) {
        SQLGetData(statement, c + 1, SQL_C_CHAR, values[c], sizeof(values[c]), &indicators[c]);
        ++count;
      }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    benchmark::DoNotOptimize(kept);
    if (count != static_cast<std::size_t>(kRows) * kColumns) state.SkipWithError("wrong count");
  }
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}

void BM_BareOdbcLoop(benchmark::State& state) {
  RunBareOdbcLoop(state, BareFetch::kGetDataPerValue);
}
BENCHMARK(BM_BareOdbcLoop)->Unit(benchmark::kMillisecond);

// The driver's floor with the cheapest way out it offers. Row arrays (SQL_ATTR_ROW_ARRAY_SIZE)
// save this driver next to nothing, and within one no value longer than its buffer could be
// read again.
void BM_BareOdbcBoundLoop(benchmark::State& state) {
  RunBareOdbcLoop(state, BareFetch::kBoundColumns);
}
BENCHMARK(BM_BareOdbcBoundLoop)->Unit(benchmark::kMillisecond);

// The fair floor of the ODBC open: what BM_BareSqliteLoop does, through the driver. Set against
// BM_BareSqliteLoop, it is the least the ODBC open can cost against the embedded one.
void BM_BareOdbcKeepingValues(benchmark::State& state) {
  RunBareOdbcLoop(state, BareFetch::kBoundKeepValues);
}
BENCHMARK(BM_BareOdbcKeepingValues)->Unit(benchmark::kMillisecond);

// The floor: the engine's own prepare/step loop, copying every value into Variants.
void BM_BareSqliteLoop(benchmark::State& state) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(Database().Path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    state.SkipWithError("cannot open the database");
    return;
  }
  for (auto _ : state) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM t_rows", -1, &statement, nullptr);
    std::vector<oleaut::Variant> values;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      bench::AppendRowValues(statement, kColumns, values);
    }
    sqlite3_finalize(statement);
    if (values.size() != static_cast<std::size_t>(kRows) * kColumns) {
      state.SkipWithError("wrong value count");
    }
    benchmark::DoNotOptimize(values);
  }
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}
BENCHMARK(BM_BareSqliteLoop)->Unit(benchmark::kMillisecond);

oleaut::ByteArray Blob(std::int64_t mebibytes) {
  oleaut::ByteArray blob(static_cast<std::size_t>(mebibytes) << 20);
  for (std::size_t i = 0; i < blob.size(); ++i)
    blob[i] = static_cast<std::uint8_t>(i * 31);
  return blob;
}

void BM_BlobWrite(benchmark::State& state) {
  const oleaut::ByteArray blob = Blob(state.range(0));
  auto command = com::Make<ado::Command>();
  command->SetActiveConnection(Database().Connection());
  command->SetCommandText(u"UPDATE t_blob SET FData = ? WHERE FID = 1");
  command->Parameters()->Append(command->CreateParameter(
      {}, ado::adLongVarBinary, ado::adParamInput, static_cast<std::int32_t>(blob.size()), blob));
  for (auto _ : state)
    command->Execute();
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(blob.size()));
}
BENCHMARK(BM_BlobWrite)->Arg(1)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);

// Reads the blob back as the component reads pictures: GetChunk pieces collected in a Stream,
// then read whole. range(1) is the chunk size.
void BM_BlobReadChunks(benchmark::State& state) {
  const oleaut::ByteArray blob = Blob(state.range(0));
  {
    auto command = com::Make<ado::Command>();
    command->SetActiveConnection(Database().Connection());
    command->SetCommandText(u"UPDATE t_blob SET FData = ? WHERE FID = 1");
    command->Execute(nullptr, std::span<const oleaut::Variant>(
                                  std::vector<oleaut::Variant>{oleaut::Variant(blob)}));
  }
  const auto chunk = static_cast<std::int32_t>(state.range(1));
  for (auto _ : state) {
    auto rs = Database().Connection()->Execute(u"SELECT FData FROM t_blob WHERE FID = 1");
    auto field = rs->Fields()->Item(u"FData");
    auto stream = com::Make<ado::Stream>();
    stream->SetType(ado::adTypeBinary);
    stream->Open();
    for (auto piece = field->GetChunk(chunk); !piece.IsNull(); piece = field->GetChunk(chunk)) {
      stream->Write(piece.AsByteArray());
    }
    stream->SetPosition(0);
    const oleaut::Variant whole = stream->Read();
    if (whole.AsByteArray().size() != blob.size()) state.SkipWithError("lost bytes");
    stream->Close();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(blob.size()));
}
BENCHMARK(BM_BlobReadChunks)
    ->ArgsProduct({{1, 8, 64}, {100, 65536}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
