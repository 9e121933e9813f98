// Filling bills for printing at scale: GetEntryFillData for N selected bills of 10 entry lines
// with five lookups, and GetHeadFillData with summary printing, each against the bare engine
// doing the same work by hand through sqlite3 (a temporary table of the ids in selection order,
// one insert-select with the joins, one select with the bar codes, every value copied out).
//
//   build-rel/bin/billdata_bench   (targets: entry and head at most 1.5x the bare engine; entry
//   time linear in N from 1,000 to 100,000 bills)
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "com_values.h"
#include "frame/cls_get_data.h"
#include "platform/ado/connection.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "platform/tsql/runtime/runtime.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"
#include "sized_databases.h"
#include "sqlite_values.h"

namespace {

using oleaut::Bstr;
using oleaut::Variant;
using tavtest::Dict;

constexpr int kLines = 10;

Bstr Text(long long n) {
  return oleaut::FromUtf8(std::to_string(n));
}

// A database with `bills` receipts of kLines lines each over 500 items, 10 units, 20 stocks and
// 50 auxiliary properties.
void FillBills(const std::filesystem::path& path, std::int64_t bills) {
  auto db = com::Make<ado::Connection>();
  db->Open(tavglobal::SqliteConnectionString(path));
  db->Execute(u"create table #d (d int)");
  for (int d = 0; d < 10; ++d)
    db->Execute(u"insert into #d values (" + Text(d) + u")");
  db->Execute(u"create table #n (n int)");
  db->Execute(
      u"insert into #n select a.d+10*b.d+100*c.d+1000*e.d+10000*f.d+100000*g.d from #d a,"
      u" #d b, #d c, #d e, #d f, #d g");
  db->BeginTrans();
  db->Execute(
      u"insert into t_ICItem (FItemID,FNumber,FName,FUnitID,FUnitGroupID,FQtyDecimal,"
      u"FPriceDecimal) select n+1, 'I'+convert(varchar,n), N'物料'+convert(varchar,n), "
      u"n%10+1, n%3, n%5, 2 from #n where n < 500");
  db->Execute(
      u"insert into t_MeasureUnit (FMeasureUnitID,FUnitGroupID,FNumber,FName) select n+1,"
      u" n%3, 'U'+convert(varchar,n), N'单位'+convert(varchar,n) from #n where n < 10");
  db->Execute(
      u"insert into t_Stock (FItemID,FNumber,FName) select n+1, 'S'+convert(varchar,n), "
      u"N'仓库'+convert(varchar,n) from #n where n < 20");
  db->Execute(
      u"insert into t_auxitem (FItemID,FNumber,FName) select n+1, 'A'+convert(varchar,n),"
      u" N'属性'+convert(varchar,n) from #n where n < 50");
  db->Execute(
      u"insert into t_BarCode (FItemID,FBarCode,FIsPrint) select n+1, "
      u"'69'+convert(varchar,1000000+n), n%2 from #n where n < 500");
  db->Execute(
      u"insert into t_Supplier (FItemID,FNumber,FName) select n+1, 'V'+convert(varchar,n),"
      u" N'供应商'+convert(varchar,n) from #n where n < 100");
  db->Execute(
      u"insert into t_Department (FItemID,FNumber,FName) select n+1, "
      u"'D'+convert(varchar,n), N'部门'+convert(varchar,n) from #n where n < 10");
  db->Execute(
      u"insert into ICMOIssueBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,"
      u"FMOItemID,FMOQty,FMOAuxQty) select n+1, 92, 'B'+convert(varchar,n), "
      u"'2024-06-01', n%100+1, n%10+1, n%500+1, n%1000, n%7 from #n where n < " +
      Text(bills));
  db->Execute(
      u"insert into ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,"
      u"FAuxQty,FPrice,FAmount,FDCStockID,FSCStockID) select b.n+1, l.d+1, (b.n*7+l.d)%500+1,"
      u" (b.n+l.d)%50+1, (b.n+l.d)%10+1, l.d+1, l.d+1, 2.5, 2.5*(l.d+1), (b.n+l.d)%20+1, "
      u"(b.n+2*l.d)%20+1 from #n b, #d l where b.n < " +
      Text(bills));
  db->CommitTrans();
  db->Close();
}

const std::filesystem::path& BenchDatabase(int bills) {
  static bench::SizedDatabases databases("billdata", "bills", FillBills);
  return databases.Of(bills);
}

com::Ptr<vdl::Dictionary> Selection(int tran_type, int bills) {
  auto filter = com::Make<vdl::List>();
  for (int id = bills; id >= 1; --id)  // selected in reverse order
    filter->Add(Variant(Dict({{u"FInterID", Variant(std::int32_t{id})}})));
  return Dict({{u"TranType", std::int32_t{tran_type}}, {u"Filter", Variant(filter)}});
}

Variant Lookup(const char16_t* field, int order, int lookup_class, const char16_t* table,
               const char16_t* key) {
  return Variant(Dict({{u"FFieldName", field},
                       {u"FCtlOrder", std::int32_t{order}},
                       {u"FCtlType", std::int32_t{2}},
                       {u"FLookUpCls", std::int32_t{lookup_class}},
                       {u"FGetTable", table},
                       {u"FInterID", key},
                       {u"FNumber", u"FNumber"},
                       {u"FName", u"FName"}}));
}

Variant Column(const char16_t* field, int order) {
  return Variant(Dict({{u"FFieldName", field}, {u"FCtlOrder", std::int32_t{order}}}));
}

// Five lookups (item, auxiliary property, unit and two stocks) and four quantities.
com::Ptr<vdl::Dictionary> EntryStructure() {
  auto page1 = com::Make<vdl::List>();
  page1->Add(Lookup(u"FItemID", 1, 4, u"t_ICItem", u"FItemID"));
  page1->Add(Lookup(u"FAuxPropID", 2, 11, u"t_auxitem", u"FItemID"));
  page1->Add(Lookup(u"FUnitID", 3, 7, u"t_MeasureUnit", u"FMeasureUnitID"));
  page1->Add(Column(u"FQty", 4));
  page1->Add(Column(u"FAuxQty", 5));
  page1->Add(Column(u"FPrice", 6));
  page1->Add(Column(u"FAmount", 7));
  page1->Add(Lookup(u"FDCStockID", 8, 5, u"t_Stock", u"FItemID"));
  page1->Add(Lookup(u"FSCStockID", 9, 5, u"t_Stock", u"FItemID"));
  auto page_e = com::Make<vdl::List>();
  page_e->Add(Variant(
      Dict({{u"FFieldName", u"FEntryID"}, {u"FCtlOrder", std::int32_t{0}}, {u"FNeedSave", true}})));
  const auto bill_info = Dict({{u"FID", std::int32_t{1}},
                               {u"FTemplateID", u"A01"},
                               {u"FEntryTable", u"ICStockBillEntry"},
                               {u"FKeyInterID", u"FInterID"},
                               {u"FKeyItemID", u"FItemID"},
                               {u"FKeyIndexID", u"FEntryID"}});
  return Dict(
      {{u"BillInfo", Variant(bill_info)}, {u"Page1", Variant(page1)}, {u"PageE", Variant(page_e)}});
}

com::Ptr<vdl::Dictionary> HeadStructure() {
  auto page0 = com::Make<vdl::List>();
  auto head_lookup = [](const char16_t* field, int index, int lookup_class, const char16_t* table) {
    return Variant(Dict({{u"FFieldName", field},
                         {u"FCtlIndex", std::int32_t{index}},
                         {u"FCtlType", std::int32_t{2}},
                         {u"FSaveValue", std::int32_t{1}},
                         {u"FLookUpCls", std::int32_t{lookup_class}},
                         {u"FGetTable", table},
                         {u"FInterID", u"FItemID"},
                         {u"FNumber", u"FNumber"},
                         {u"FName", u"FName"}}));
  };
  page0->Add(Variant(Dict({{u"FFieldName", u"FBillNo"}, {u"FCtlIndex", std::int32_t{0}}})));
  page0->Add(head_lookup(u"FSupplyID", 1, 8, u"t_Supplier"));
  page0->Add(head_lookup(u"FDeptID", 2, 2, u"t_Department"));
  page0->Add(head_lookup(u"FMOItemID", 3, 4, u"t_ICItem"));
  page0->Add(Variant(Dict({{u"FFieldName", u"FMOQty"}, {u"FCtlIndex", std::int32_t{4}}})));
  page0->Add(Variant(Dict({{u"FFieldName", u"FMOAuxQty"}, {u"FCtlIndex", std::int32_t{5}}})));
  const auto bill_info = Dict({{u"FHeadTable", u"ICMOIssueBill"},
                               {u"FKeyInterID", u"FInterID"},
                               {u"FKeyItemID", u"FItemID"}});
  return Dict({{u"BillInfo", Variant(bill_info)}, {u"Page0", Variant(page0)}});
}

std::int64_t RowCount(const Variant& recordset) {
  return recordset.AsObjectOf<ado::Recordset>()->RecordCount();
}

void BM_GetEntryFillData(benchmark::State& state) {
  const int bills = static_cast<int>(state.range(0));
  const Bstr dsn = tavglobal::SqliteConnectionString(BenchDatabase(bills));
  const auto condition = Selection(1, bills);
  const auto structure = EntryStructure();
  auto data = com::Make<frame::clsGetData>();
  for (auto _ : state) {
    Variant args[] = {Variant(dsn), Variant(condition), Variant(structure), Variant::Nothing()};
    data->Invoke(u"GetEntryFillData", args);
    if (RowCount(args[3]) != static_cast<std::int64_t>(bills) * kLines)
      state.SkipWithError("wrong row count");
  }
  state.counters["bills"] = bills;
}
BENCHMARK(BM_GetEntryFillData)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_GetHeadFillDataSummary(benchmark::State& state) {
  const int bills = static_cast<int>(state.range(0));
  const bool summary = state.range(1) != 0;
  const Bstr dsn = tavglobal::SqliteConnectionString(BenchDatabase(bills));
  const auto condition = Selection(92, bills);
  const auto structure = HeadStructure();
  auto data = com::Make<frame::clsGetData>();
  for (auto _ : state) {
    Variant args[] = {Variant(dsn), Variant(condition), Variant(structure), Variant::Nothing(),
                      Variant(summary)};
    data->Invoke(u"GetHeadFillData", args);
    if (RowCount(args[3]) != bills) state.SkipWithError("wrong row count");
  }
}
BENCHMARK(BM_GetHeadFillDataSummary)
    ->Args({10000, 1})
    ->Args({10000, 0})
    ->Unit(benchmark::kMillisecond);

// The bare engine's handle, with the collation the schema's indexes name.
struct BareDatabase {
  explicit BareDatabase(const std::filesystem::path& path) {
    sqlite3_open(path.c_str(), &db);
    tsql::InstallSqliteRuntime(db, &session);
  }
  ~BareDatabase() { sqlite3_close(db); }
  void Exec(const char* sql) const { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
  // Runs `sql` and copies every value out, as a client-side recordset does.
  std::size_t ReadAll(const char* sql) const {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    std::vector<Variant> values;
    const int columns = sqlite3_column_count(statement);
    std::size_t rows = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      ++rows;
      bench::AppendRowValues(statement, columns, values);
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(values.data());
    return rows;
  }
  // The first column of every row joined with ",".
  std::string JoinAll(const char* sql) const {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    std::string joined;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      if (sqlite3_column_type(statement, 0) == SQLITE_NULL) continue;
      if (!joined.empty()) joined += ',';
      joined += reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    return joined;
  }

  sqlite3* db = nullptr;
  tsql::SessionState session;
};

void BM_BareEntry(benchmark::State& state) {
  const int bills = static_cast<int>(state.range(0));
  BareDatabase bare(BenchDatabase(bills));
  for (auto _ : state) {
    bare.Exec("BEGIN");
    bare.Exec(
        "DROP TABLE IF EXISTS temp.ids; CREATE TEMP TABLE ids (FID INTEGER PRIMARY KEY, "
        "FValue INTEGER UNIQUE)");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(bare.db, "INSERT OR IGNORE INTO temp.ids (FValue) VALUES (?)", -1, &insert,
                       nullptr);
    for (int id = bills; id >= 1; --id) {
      sqlite3_bind_int(insert, 1, id);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    bare.Exec(
        "DROP TABLE IF EXISTS temp.lines; CREATE TEMP TABLE lines AS SELECT i.FID, e.FInterID, "
        "e.FItemID, t1.FQtyDecimal, t1.FPriceDecimal, t1.FUnitGroupID, t1.FNumber AS "
        "FItemIDNumber, t1.FName AS FItemIDName, e.FAuxPropID, t2.FNumber AS FAuxPropIDNumber, "
        "t2.FName AS FAuxPropIDName, e.FUnitID, t3.FNumber AS FUnitIDNumber, t3.FName AS "
        "FUnitIDName, e.FQty, e.FAuxQty, e.FPrice, e.FAmount, e.FDCStockID, t8.FNumber AS "
        "FDCStockIDNumber, t8.FName AS FDCStockIDName, e.FSCStockID, t9.FNumber AS "
        "FSCStockIDNumber, t9.FName AS FSCStockIDName, e.FEntryID FROM temp.ids i JOIN "
        "ICStockBillEntry e ON i.FValue = e.FInterID JOIN t_ICItem t1 ON t1.FItemID = e.FItemID "
        "LEFT JOIN t_auxitem t2 ON t2.FItemID = e.FAuxPropID LEFT JOIN t_MeasureUnit t3 ON "
        "t3.FMeasureUnitID = e.FUnitID LEFT JOIN t_Stock t8 ON t8.FItemID = e.FDCStockID LEFT JOIN "
        "t_Stock t9 ON t9.FItemID = e.FSCStockID ORDER BY i.FID, e.FEntryID");
    const std::size_t rows = bare.ReadAll(
        "SELECT a.*, b.FBarCode FROM temp.lines a LEFT JOIN (SELECT FItemID, FBarCode FROM "
        "t_BarCode WHERE FIsPrint = 1) b ON a.FItemID = b.FItemID ORDER BY a.FInterID, "
        "a.FEntryID");
    bare.Exec("COMMIT");
    if (rows != static_cast<std::size_t>(bills) * kLines) state.SkipWithError("wrong row count");
  }
}
BENCHMARK(BM_BareEntry)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_BareHeadSummary(benchmark::State& state) {
  const int bills = static_cast<int>(state.range(0));
  BareDatabase bare(BenchDatabase(bills));
  std::string ids;
  for (int id = bills; id >= 1; --id)
    ids += (ids.empty() ? "" : ",") + std::to_string(id);
  for (auto _ : state) {
    bare.Exec("BEGIN");
    bare.Exec(("DROP TABLE IF EXISTS temp.head; CREATE TEMP TABLE head AS SELECT h.FInterID, "
               "h.FBillNo, h.FSupplyID, t1.FNumber AS FSupplyIDNumber, t1.FName AS FSupplyIDName, "
               "h.FDeptID, t2.FNumber AS FDeptIDNumber, t2.FName AS FDeptIDName, h.FMOItemID, "
               "t3.FNumber AS FMOItemIDNumber, t3.FName AS FMOItemIDName, t3.FQtyDecimal, "
               "t3.FPriceDecimal, t3.FUnitGroupID, h.FMOQty, h.FMOAuxQty FROM ICMOIssueBill h "
               "LEFT JOIN t_Supplier t1 ON h.FSupplyID = t1.FItemID LEFT JOIN t_Department t2 ON "
               "h.FDeptID = t2.FItemID LEFT JOIN t_ICItem t3 ON h.FMOItemID = t3.FItemID WHERE "
               "h.FInterID IN (" +
               ids + ")")
                  .c_str());
    for (const auto& [column, width] : {std::pair{"FSupplyIDName", 255},
                                        {"FDeptIDName", 255},
                                        {"FMOItemIDName", 255},
                                        {"FBillNo", 255},
                                        {"FMOQty", 100},
                                        {"FMOAuxQty", 100}}) {
      const bool distinct = std::string(column).find("Qty") == std::string::npos;
      std::string joined = bare.JoinAll(
          (std::string("SELECT ") + (distinct ? "DISTINCT " : "") + column + " FROM temp.head")
              .c_str());
      if (joined.size() > static_cast<std::size_t>(width)) joined.resize(width);
      sqlite3_stmt* update = nullptr;
      sqlite3_prepare_v2(bare.db, (std::string("UPDATE temp.head SET ") + column + " = ?").c_str(),
                         -1, &update, nullptr);
      sqlite3_bind_text(update, 1, joined.data(), static_cast<int>(joined.size()),
                        SQLITE_TRANSIENT);
      sqlite3_step(update);
      sqlite3_finalize(update);
    }
    const std::size_t rows = bare.ReadAll("SELECT * FROM temp.head");
    bare.Exec("COMMIT");
    if (rows != static_cast<std::size_t>(bills)) state.SkipWithError("wrong row count");
  }
}
BENCHMARK(BM_BareHeadSummary)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
