// GetPictureData reads a picture 100 bytes at a time; this measures what that costs against one
// bare read of the same blob through sqlite3, for pictures of 1, 8 and 64 MiB. The chunked read
// should grow linearly with the size and stay within ten times the bare read.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame/cls_print_setup_query.h"
#include "platform/ado/connection.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "platform/vdl/dictionary.h"
#include "sized_databases.h"

namespace {

constexpr std::int64_t kMiB = 1024 * 1024;

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
  }
}

// A database whose T_Picture row 1 holds `size` bytes.
void FillPicture(const std::filesystem::path& path, std::int64_t size) {
  {
    // The table through the ADO stand-in, so that its declared types are the engine's.
    auto connection = com::Make<ado::Connection>();
    connection->Open(tavglobal::SqliteConnectionString(path));
    connection->Execute(u"CREATE TABLE T_Picture (FID int NOT NULL PRIMARY KEY, FData image NULL)");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 12));
  sqlite3* db = nullptr;
  Check(sqlite3_open(path.c_str(), &db), db, "open");
  sqlite3_stmt* insert = nullptr;
  Check(sqlite3_prepare_v2(db, "INSERT INTO T_Picture (FID, FData) VALUES (1, ?)", -1, &insert,
                           nullptr),
        db, "prepare");
  Check(sqlite3_bind_blob64(insert, 1, bytes.data(), bytes.size(), SQLITE_STATIC), db, "bind");
  Check(sqlite3_step(insert), db, "insert");
  sqlite3_finalize(insert);
  sqlite3_close(db);
}

const std::filesystem::path& Database(std::int64_t size) {
  static bench::SizedDatabases databases("picture", "picture", FillPicture);
  return databases.Of(size);
}

void BM_GetPictureDataInChunksOf100(benchmark::State& state) {
  const std::int64_t size = state.range(0) * kMiB;
  const oleaut::Bstr dsn = tavglobal::SqliteConnectionString(Database(size));
  auto query = com::Make<frame::clsPrintSetupQuery>();
  auto info = com::Make<vdl::Dictionary>();
  info->SetItem(u"TableName", u"T_Picture");
  info->SetItem(u"FieldName", u"FData");
  info->SetItem(u"PrimaryKeyField", u"FID");
  info->SetItem(u"PrimaryKeyValue", u"1");
  for (auto _ : state) {
    const oleaut::Variant picture = query->Call(u"GetPictureData", dsn, info);
    if (picture.AsByteArray().size() != static_cast<std::size_t>(size)) {
      state.SkipWithError("the picture came back with the wrong size");
    }
  }
  state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_GetPictureDataInChunksOf100)->Arg(1)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);

// One read of the whole blob into memory, as a program that uses sqlite3 directly makes it.
void BM_BareSqliteBlobRead(benchmark::State& state) {
  const std::int64_t size = state.range(0) * kMiB;
  const std::filesystem::path path = Database(size);
  sqlite3* db = nullptr;
  Check(sqlite3_open(path.c_str(), &db), db, "open");
  for (auto _ : state) {
    sqlite3_stmt* select = nullptr;
    Check(sqlite3_prepare_v2(db, "SELECT FData FROM T_Picture WHERE FID = 1", -1, &select, nullptr),
          db, "prepare");
    Check(sqlite3_step(select), db, "select");
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(select, 0));
    std::vector<std::uint8_t> copy(data, data + sqlite3_column_bytes(select, 0));
    benchmark::DoNotOptimize(copy.data());
    sqlite3_finalize(select);
  }
  sqlite3_close(db);
  state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_BareSqliteBlobRead)->Arg(1)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
