// The per-call cost of the frame: clsGetData.ExecuteSQL(sDsn, "select 1") through Invoke (name
// lookup, argument coercion, the per-call transaction, binding, translation cache, detached
// recordset) against a bare sqlite3 prepare/step/finalize of the same statement on an open handle.
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
    auto dir = std::filesystem::temp_directory_path() / ("tav-frame-bench-" + std::to_string(getpid()));
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

}  // namespace

BENCHMARK_MAIN();
