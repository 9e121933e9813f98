// Reading one report statement (FRepSql) by ftrantypeid from a local report database of 1,000
// rows, as the component does, against what mdb-export does with the same table through libmdb
// directly (bind every column, fetch every row). Both with the file opened inside the loop (the
// component opens the database on every call) and on a file already open.
#include <benchmark/benchmark.h>
#include <glib.h>
#include <mdbtools.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/report_database.h"

namespace {

constexpr int kRows = 1000;
constexpr std::size_t kExportBindSize = 200000;  // what mdb-export binds each column with

class ReportDatabase {
 public:
  ReportDatabase()
      : dir_(std::filesystem::temp_directory_path() / ("jet_bench_" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_);
    std::vector<tavglobal::ReportNoteSql> rows;
    for (int id = 1; id <= kRows; ++id) {
      tavglobal::ReportNoteSql row;
      row.ftrantypeid = id;
      std::u16string statement = u"SELECT P1.*, P++ AS FSizeQty FROM (\nSELECT ?SelFields";
      for (int column = 0; column < 10 + id % 20; ++column)
        statement += u", SUM(a.FQty" + oleaut::FromUtf8(std::to_string(column)) + u")";
      statement +=
          u", SUM(Yard_Qty),SUM(SelfDefAmt)\nFROM #tmpBillPrint a\nGROUP BY ?SelFields\n) P1";
      row.FRepSql = statement;
      row.FMaskFld = u"FAuxPropID,FAuxQty";
      row.FNeedLog = id % 2 == 0;
      rows.push_back(std::move(row));
    }
    tavglobal::CreateReportDatabase(Path(), rows);
  }
  ~ReportDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::filesystem::path Path() const { return dir_ / "Orvanta.mdb"; }

 private:
  std::filesystem::path dir_;
};

const ReportDatabase& Database() {
  static const ReportDatabase database;
  return database;
}

const std::u16string kStatement = u"select FRepSql From T_RepNotePrintSql where ftrantypeid=500";

void ReadOne(ado::Connection& connection, benchmark::State& state) {
  auto rows = connection.Execute(kStatement);
  const oleaut::Variant& value = rows->Fields()->Item(0)->Value();
  if (value.AsString().empty()) state.SkipWithError("no statement read");
  benchmark::DoNotOptimize(value);
}

void BM_JetProviderOpenAndReadOne(benchmark::State& state) {
  const std::u16string connection_string = tavglobal::JetConnectionString(Database().Path());
  for (auto _ : state) {
    auto connection = com::Make<ado::Connection>();
    connection->SetCursorLocation(ado::adUseClient);
    connection->Open(connection_string);
    ReadOne(*connection, state);
  }
}
BENCHMARK(BM_JetProviderOpenAndReadOne)->Unit(benchmark::kMicrosecond);

void BM_JetProviderReadOne(benchmark::State& state) {
  auto connection = com::Make<ado::Connection>();
  connection->Open(tavglobal::JetConnectionString(Database().Path()));
  for (auto _ : state)
    ReadOne(*connection, state);
}
BENCHMARK(BM_JetProviderReadOne)->Unit(benchmark::kMicrosecond);

// mdb-export's loop: every column bound, every row fetched and converted to text.
void Export(MdbHandle* mdb, benchmark::State& state) {
  MdbTableDef* table =
      mdb_read_table_by_name(mdb, const_cast<gchar*>("T_RepNotePrintSql"), MDB_TABLE);
  mdb_read_columns(table);
  mdb_rewind_table(table);
  std::vector<std::vector<char>> values(table->num_cols, std::vector<char>(kExportBindSize));
  std::vector<int> lengths(table->num_cols);
  for (unsigned i = 0; i < table->num_cols; ++i)
    mdb_bind_column(table, static_cast<int>(i) + 1, values[i].data(), &lengths[i]);
  int rows = 0;
  while (mdb_fetch_row(table)) {
    benchmark::DoNotOptimize(values[1].data());
    ++rows;
  }
  if (rows != kRows) state.SkipWithError("mdb-export read the wrong number of rows");
  mdb_free_tabledef(table);
}

void BM_MdbExportOpenAndExport(benchmark::State& state) {
  const std::string path = Database().Path().string();
  for (auto _ : state) {
    MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    mdb_set_bind_size(mdb, kExportBindSize);
    mdb_read_catalog(mdb, MDB_TABLE);
    Export(mdb, state);
    mdb_close(mdb);
  }
}
BENCHMARK(BM_MdbExportOpenAndExport)->Unit(benchmark::kMicrosecond);

void BM_MdbExportExport(benchmark::State& state) {
  MdbHandle* mdb = mdb_open(Database().Path().string().c_str(), MDB_NOFLAGS);
  mdb_set_bind_size(mdb, kExportBindSize);
  mdb_read_catalog(mdb, MDB_TABLE);
  for (auto _ : state)
    Export(mdb, state);
  mdb_close(mdb);
}
BENCHMARK(BM_MdbExportExport)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
