// The translator's cache against a cold translation of a 2 KB batch; statements that differ only
// in a bill id (one per selected bill) through the cache by shape against translating each; and
// opening a 100,000-row, 10-column result through the SQLite provider against a bare sqlite3
// prepare/step loop that copies the same values into a vector.
//
//   build/bin/tsql_bench  (targets: cached lookup under 5% of a cold translation, a statement of
//   a known shape under 10% of its cold translation; the provider at most 2x the bare loop)
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/ado/provider.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/program.h"
#include "platform/tsql/schema.h"

namespace {

// A head statement as GetHeadFillData builds it, about 2 KB.
std::u16string HeadBatch() {
  std::u16string batch =
      u"IF  object_id('tempdb..#tmpBillHeadPrint') is not null drop table #tmpBillHeadPrint "
      u"SELECT ICStockBill.FInterID, ICStockBill.FBillNo,";
  for (int i = 1; i <= 12; ++i) {
    const std::u16string ord = oleaut::FromUtf8((i < 10 ? "00" : "0") + std::to_string(i));
    batch += u" ICStockBill.FField" + ord + u", t" + ord + u".FNumber as  FField" + ord +
             u"Number, t" + ord + u".FName as  FField" + ord + u"Name,";
  }
  batch += u" cast(0 as decimal(28,14)) AS FTaxRate\r\n INTO #tmpBillHeadPrint  FROM ICStockBill";
  for (int i = 1; i <= 12; ++i) {
    const std::u16string ord = oleaut::FromUtf8((i < 10 ? "00" : "0") + std::to_string(i));
    batch += u" left join t_Lookup  t" + ord + u" on ICStockBill.FField" + ord + u"= t" + ord +
             u".FItemID ";
  }
  batch += u"\r\n WHERE ICStockBill.FInterID IN (1001,1002,1003)";
  return batch;
}

// The tables of the head batch, known as the provider knows them once looked up.
class HeadSchema : public tsql::Schema {
 public:
  HeadSchema() {
    auto bill = std::make_shared<tsql::TableColumns>();
    bill->push_back({u"FInterID", tsql::SqlType::Int()});
    bill->push_back({u"FBillNo", tsql::SqlType::Varchar(255)});
    for (int i = 1; i <= 12; ++i) {
      bill->push_back(
          {oleaut::FromUtf8(std::string("FField") + (i < 10 ? "00" : "0") + std::to_string(i)),
           tsql::SqlType::Int()});
    }
    tables_[u"icstockbill"] = bill;
    tables_[u"#tmpsort"] =
        std::make_shared<tsql::TableColumns>(tsql::TableColumns{{u"FValue", tsql::SqlType::Int()}});
    tables_[u"t_lookup"] = std::make_shared<tsql::TableColumns>(
        tsql::TableColumns{{u"FItemID", tsql::SqlType::Int()},
                           {u"FNumber", tsql::SqlType::Varchar(80)},
                           {u"FName", tsql::SqlType::Varchar(255)}});
  }

  std::shared_ptr<const tsql::TableColumns> Columns(std::u16string_view name) override {
    const auto found = tables_.find(tsql::LowerAscii(name));
    return found == tables_.end() ? nullptr : found->second;
  }

 private:
  std::unordered_map<std::u16string, std::shared_ptr<const tsql::TableColumns>> tables_;
};

void BM_TranslateCold(benchmark::State& state) {
  const std::u16string batch = HeadBatch();
  HeadSchema schema;
  for (auto _ : state)
    benchmark::DoNotOptimize(tsql::TranslateUncached(batch, &schema));
  state.counters["batch_bytes"] = static_cast<double>(batch.size());
}
BENCHMARK(BM_TranslateCold);

// A cached batch is checked against the columns of the tables it was translated for.
void BM_TranslateCached(benchmark::State& state) {
  const std::u16string batch = HeadBatch();
  HeadSchema schema;
  tsql::Translate(batch, &schema);
  for (auto _ : state)
    benchmark::DoNotOptimize(tsql::Translate(batch, &schema));
}
BENCHMARK(BM_TranslateCached);

// The statement the entry data member writes for each selected bill.
std::vector<std::u16string> SelectedBillStatements(int count) {
  std::vector<std::u16string> batches;
  batches.reserve(static_cast<std::size_t>(count));
  for (int id = 0; id < count; ++id) {
    const std::u16string value = oleaut::FromUtf8(std::to_string(100000 + id));
    batches.push_back(u"if not exists(select top 1 1 from #tmpsort where FValue=" + value +
                      u")\r\ninsert into #tmpsort (FValue) values (" + value + u")");
  }
  return batches;
}

constexpr int kSelectedBills = 10000;

void BM_SelectedBillsCold(benchmark::State& state) {
  const std::vector<std::u16string> batches = SelectedBillStatements(kSelectedBills);
  HeadSchema schema;
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tsql::TranslateUncached(batches[next], &schema));
    next = (next + 1) % batches.size();
  }
}
BENCHMARK(BM_SelectedBillsCold);

// Each text is new to the cache (10,000 of them, more than it keeps), its shape is not.
void BM_SelectedBillsByShape(benchmark::State& state) {
  const std::vector<std::u16string> batches = SelectedBillStatements(kSelectedBills);
  HeadSchema schema;
  tsql::Translate(
      u"if not exists(select top 1 1 from #tmpsort where FValue=1)\r\ninsert into "
      u"#tmpsort (FValue) values (1)",
      &schema);
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tsql::Translate(batches[next], &schema));
    next = (next + 1) % batches.size();
  }
}
BENCHMARK(BM_SelectedBillsByShape);

constexpr int kRows = 100000;
constexpr int kColumns = 10;

const std::string& DatabasePath() {
  static const std::string path = [] {
    const auto dir = std::filesystem::temp_directory_path() / "tav_tsql_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "rows.db").string();
    auto p = ado::OpenProvider(
        oleaut::FromUtf8("Provider=SQLite;Mode=ReadWriteCreate;Data Source=" + file));
    p->Execute(
        u"create table T (FId int, FName varchar(40), FQty decimal(18,4), "
        u"FPrice decimal(18,4), FDate datetime, FFlag bit, FNote nvarchar(100), "
        u"FCode varchar(20), FValue float, FCount int)",
        {});
    p->BeginTransaction();
    for (int i = 0; i < kRows; ++i) {
      const std::vector<ado::ParameterValue> row = {
          {ado::adInteger, ado::adParamInput, 0, std::int32_t{i}},
          {ado::adVarChar, ado::adParamInput, 40, oleaut::FromUtf8("Item " + std::to_string(i))},
          {ado::adDouble, ado::adParamInput, 0, i * 0.25},
          {ado::adDouble, ado::adParamInput, 0, 10.5 + i % 100},
          {ado::adVarChar, ado::adParamInput, 30, u"2024-03-05 14:07:09.000"},
          {ado::adBoolean, ado::adParamInput, 0, i % 2 == 0},
          {ado::adVarWChar, ado::adParamInput, 100, u"备注文本 note"},
          {ado::adVarChar, ado::adParamInput, 20, oleaut::FromUtf8("C" + std::to_string(i % 977))},
          {ado::adDouble, ado::adParamInput, 0, i / 7.0},
          {ado::adInteger, ado::adParamInput, 0, std::int32_t{i % 13}},
      };
      p->Execute(u"insert into T values (?,?,?,?,?,?,?,?,?,?)", row);
    }
    p->CommitTransaction();
    return file;
  }();
  return path;
}

std::size_t HeapBytes(const ado::RowSet& rows) {
  std::size_t bytes = rows.values.capacity() * sizeof(oleaut::Variant);
  for (const oleaut::Variant& v : rows.values) {
    if (v.IsString() && v.AsString().size() > 7) bytes += (v.AsString().capacity() + 1) * 2;
  }
  return bytes;
}

void BM_ProviderOpensRows(benchmark::State& state) {
  auto p = ado::OpenProvider(oleaut::FromUtf8("Provider=SQLite;Data Source=" + DatabasePath()));
  std::size_t bytes = 0;
  for (auto _ : state) {
    ado::ExecuteResult result = p->Execute(u"select * from T", {});
    bytes = HeapBytes(*result.rows);
    benchmark::DoNotOptimize(result);
  }
  state.counters["values"] = kRows * kColumns;
  state.counters["bytes_per_value"] = static_cast<double>(bytes) / (kRows * kColumns);
}
BENCHMARK(BM_ProviderOpensRows)->Unit(benchmark::kMillisecond);

using BareValue = std::variant<std::monostate, std::int64_t, double, std::u16string>;

void BM_BareSqliteCopiesRows(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(DatabasePath().c_str(), &db);
  std::size_t bytes = 0;
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "select * from T", -1, &stmt, nullptr);
    std::vector<BareValue> values;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int c = 0; c < kColumns; ++c) {
        switch (sqlite3_column_type(stmt, c)) {
          case SQLITE_INTEGER:
            values.emplace_back(sqlite3_column_int64(stmt, c));
            break;
          case SQLITE_FLOAT:
            values.emplace_back(sqlite3_column_double(stmt, c));
            break;
          case SQLITE_TEXT: {
            const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(stmt, c));
            values.emplace_back(std::u16string(text, sqlite3_column_bytes16(stmt, c) / 2));
            break;
          }
          default:
            values.emplace_back();
            break;
        }
      }
    }
    sqlite3_finalize(stmt);
    bytes = values.capacity() * sizeof(BareValue);
    benchmark::DoNotOptimize(values);
  }
  sqlite3_close(db);
  state.counters["bytes_per_value"] = static_cast<double>(bytes) / (kRows * kColumns);
}
BENCHMARK(BM_BareSqliteCopiesRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
