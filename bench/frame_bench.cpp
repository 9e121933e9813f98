// The per-call cost of the frame: clsGetData.ExecuteSQL(sDsn, "select 1") through Invoke (name
// lookup, argument coercion, the per-call transaction, binding, translation cache, detached
// recordset) against its fair counterpart, the same statement through sqlite3 on the same
// database file in a transaction of its own (as every call of the component runs in one); the
// call must cost at most 1.5 times the counterpart. A bare prepare/step/finalize on an open
// handle, without the transaction, shows the engine's own floor.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "frame/cls_get_data.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"

namespace {

std::filesystem::path BenchDatabase() {
  static const std::filesystem::path path = [] {
    auto dir =
        std::filesystem::temp_directory_path() / ("tav-frame-bench-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    tavglobal::CreateDatabase(dir / "bench.db", /*with_demo_data=*/false);
    return dir / "bench.db";
  }();
  return path;
}

void BM_ExecuteSqlThroughInvoke(benchmark::State& state) {
  const oleaut::Bstr dsn = tavglobal::SqliteConnectionString(BenchDatabase());
  auto object = com::Make<frame::clsGetData>();
  // The first call opens the data source's connection, which the thread keeps: not per call.
  object->Call(u"ExecuteSQL", dsn, u"select 1");
  for (auto _ : state) {
    benchmark::DoNotOptimize(object->Call(u"ExecuteSQL", dsn, u"select 1"));
  }
}
BENCHMARK(BM_ExecuteSqlThroughInvoke);

void BM_BareSqlitePrepareStepFinalize(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(BenchDatabase().c_str(), &db);
  for (auto _ : state) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "select 1", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_int(statement, 0));
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
}
BENCHMARK(BM_BareSqlitePrepareStepFinalize);

void BM_SqliteStatementInOwnTransaction(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(BenchDatabase().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  for (auto _ : state) {
    sqlite3_exec(db, "BEGIN DEFERRED", nullptr, nullptr, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "select 1", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_int(statement, 0));
    }
    sqlite3_finalize(statement);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  }
  sqlite3_close(db);
}
BENCHMARK(BM_SqliteStatementInOwnTransaction);

}  // namespace

BENCHMARK_MAIN();
