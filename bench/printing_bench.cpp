// Printing bills: the whole print run (fills through the component by name, layout, pango and
// cairo drawing, one PDF) for 100 and 1,000 two-page purchase receipts of 60 lines each (CJK and
// Latin text, one QR code and one picture per bill); the first page of a process, fonts cold;
// a PNG page at 150 dpi with its encoding. Run each case in a process of its own, so that the
// peak resident memory and the cold start are its own:
//
//   for f in 'PrintRun/100' 'PrintRun/1000' FirstPageCold PngPage; do
//     build-rel/bin/printing_bench --benchmark_filter="$f"; done
//
// Targets: >= 200 pages/s; peak RSS <= 64 MiB and flat from 100 to 1,000 bills; first page
// <= 100 ms; a PNG page <= 40 ms; <= 40 KiB per bill. The counters show where the run's time
// goes: call_s (the component's calls: fills, counts, pictures) against render_s.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/ado/connection.h"
#include "platform/com/activation.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "platform/vdl/dictionary.h"
#include "printing/bill_renderer.h"
#include "printing/layout_document.h"
#include "printing/page_sink.h"
#include "printing/print_run.h"
#include "product_servers.h"
#include "temp_dir.h"

namespace {

using oleaut::Bstr;
using oleaut::Variant;

constexpr int kLines = 60;

// Two pages of 60 lines on A4: a head with a QR code and a picture, eight columns.
constexpr char kLayout[] = R"(TAV-LAYOUT 1
{"name": "bench",
 "page_header": {"height": 10, "elements": [
   {"type": "text", "width": 150, "height": 8, "text": "外购入库单 Purchase Receipt",
    "font": {"size": 14, "bold": true}},
   {"type": "text", "x": 150, "width": 40, "height": 8, "text": "第{page}页 共{pages}页",
    "align": "right"}]},
 "bill_head": {"height": 22, "elements": [
   {"type": "text", "y": 1, "width": 60, "height": 6, "label": "编号：", "field": "FBillNo"},
   {"type": "text", "x": 62, "y": 1, "width": 60, "height": 6, "label": "日期：", "field": "FDate",
    "format": "date"},
   {"type": "text", "y": 8, "width": 120, "height": 6, "label": "供应商：", "field": "FSupplyIDName"},
   {"type": "text", "y": 15, "width": 120, "height": 6, "label": "摘要：", "field": "FExplanation"},
   {"type": "picture", "x": 130, "y": 0, "width": 20, "height": 20,
    "source": {"table": "t_ICItem", "field": "FSmallPhoto", "key_field": "FItemID",
               "key": "FSupplyID"}},
   {"type": "barcode", "x": 168, "y": 0, "width": 20, "height": 20, "field": "FBillNo",
    "symbology": "qr"}]},
 "table": {"row_height": 6, "columns": [
   {"field": "FItemIDName", "caption": "物料", "width": 34},
   {"field": "FItemModel", "caption": "规格型号 Model", "width": 34},
   {"field": "FUnitIDName", "caption": "单位", "width": 14},
   {"field": "FBatchNo", "caption": "批号", "width": 22},
   {"field": "FQty", "caption": "数量", "width": 20, "format": "quantity", "align": "right",
    "sum": true},
   {"field": "FPrice", "caption": "单价", "width": 22, "format": "price", "align": "right"},
   {"field": "FAmount", "caption": "金额", "width": 24, "align": "right", "sum": true,
    "format": {"kind": "amount", "thousands": true}},
   {"field": "FNote", "caption": "备注", "width": 20}]},
 "page_footer": {"height": 6, "elements": [
   {"type": "text", "width": 190, "height": 5, "label": "制单：", "field": "FBillerIDName"}]}
})";

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// A small PNG photo, as hexadecimal digits.
Bstr PhotoHex() {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 48, 48);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0.2, 0.4, 0.8);
  cairo_arc(cr, 24, 24, 18, 0, 6.3);
  cairo_fill(cr);
  cairo_destroy(cr);
  std::string png;
  cairo_surface_write_to_png_stream(
      surface,
      [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
      },
      &png);
  cairo_surface_destroy(surface);
  static constexpr char kDigits[] = "0123456789ABCDEF";
  Bstr hex;
  for (const unsigned char c : png) {
    hex += static_cast<char16_t>(kDigits[c >> 4]);
    hex += static_cast<char16_t>(kDigits[c & 15]);
  }
  return hex;
}

// A demo database with `bills` receipts of kLines lines (bill ids from 100001), item photos and
// the bench layout selected for bill type 1; the component registered; made once per process.
struct BenchSource {
  tavtest::TempDir dir;
  std::optional<tavtest::ScopedEnv> registry;
  std::optional<tavtest::ScopedEnv> data;
  std::string dsn;

  explicit BenchSource(int bills) {
    registry.emplace("TAV_REGISTRY_FILE", (dir / "registry.json").string());
    data.emplace("TAV_DATA_DIR", (dir / "data").string());
    tavtest::RegisterProductServers();
    const auto path = dir / "bench.db";
    tavglobal::CreateDatabase(path, /*with_demo_data=*/true);
    dsn = oleaut::ToUtf8(tavglobal::SqliteConnectionString(path));
    auto db = com::Make<ado::Connection>();
    db->Open(tavglobal::SqliteConnectionString(path));
    db->Execute(u"create table #d (d int)");
    for (int d = 0; d < 10; ++d)
      db->Execute(u"insert into #d values (" + oleaut::FromUtf8(std::to_string(d)) + u")");
    db->Execute(u"create table #n (n int)");
    db->Execute(u"insert into #n select a.d+10*b.d+100*c.d+1000*e.d from #d a, #d b, #d c, #d e");
    db->BeginTrans();
    const Bstr count = oleaut::FromUtf8(std::to_string(bills));
    db->Execute(
        u"insert into ICStockBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,"
        u"FFManagerID,FSManagerID,FBillerID,FCheckerID,FStatus,FExplanation) select 100001+n, 1,"
        u" 'WIN'+convert(varchar,100001+n), '2024-06-03 00:00:00.000', n%3+1, 1, 1, 3, 4, 16395,"
        u" 16394, 1, N'批量入库 bulk receipt '+convert(varchar,n) from #n where n < " +
        count);
    db->Execute(
        u"insert into ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,"
        u"FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,"
        u"FSourceBillNo,FNote) select 100001+b.n, l.n+1, l.n%6+1, 0, l.n%6+1, "
        u"'B'+convert(varchar,l.n), l.n+1, l.n+1, 12.5, 12.5*(l.n+1), 0, 0, 2, 0, '', N'备注' "
        u"from #n b, #n l where b.n < " +
        count + u" and l.n < 60");
    // Real photos for the suppliers' numbers used as item ids by the layout's picture.
    db->Execute(u"update t_ICItem set FSmallPhoto=0x" + PhotoHex() + u" where FItemID<=3");
    db->CommitTrans();
    // The bench layout, the administrator's selected template of bill type 1.
    auto activate = [](const char16_t* progid) {
      return com::As<com::Dispatch>(com::CreateByProgID(progid));
    };
    auto template_data = com::Make<vdl::Dictionary>();
    template_data->SetItem(u"fNoteName", Bstr(u"bench"));
    const std::string body = kLayout;
    template_data->SetItem(u"FNoteBlob", oleaut::ByteArray(body.begin(), body.end()));
    const Variant sdsn(oleaut::FromUtf8(dsn));
    activate(u"TAVMPrintExport.clsPrintSetupUpdate")
        ->Call(u"SaveNewBill", sdsn, std::int32_t{1}, template_data);
    activate(u"TAVMPrintExport.clsGetData")
        ->Call(u"ExecuteSQL", sdsn,
               u"UPDATE T_ExcelPrintExport SET FSel=0 WHERE FBillType=1 AND FBillId>0; "
               u"INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FName,FData,"
               u"FBillTypeSub,FSel) SELECT 1, FId, 16394, 'bench', '', '', 1 FROM "
               u"T_ExcelPrintExportNote WHERE FName='bench'");
  }
};

void BM_PrintRun(benchmark::State& state) {
  const int bills = static_cast<int>(state.range(0));
  BenchSource source(bills);
  printing::PrintRequest request;
  request.dsn = source.dsn;
  request.bill_type = 1;
  for (int i = 0; i < bills; ++i)
    request.bill_ids.push_back(100001 + (i * 7919) % bills);  // an order of its own
  request.pdf = source.dir / "bills.pdf";
  request.preview = true;
  printing::PrintServices services;
  services.activate = [](const Bstr& progid) {
    return com::As<com::Dispatch>(com::CreateByProgID(progid));
  };
  services.warn = [](const std::string&) {};
  // Resident memory as the run goes: flat, or growing with the bills drawn.
  std::vector<double> resident;
  services.progress = [&](std::size_t done, std::size_t total) {
    if (done % (total / 4) == 0) resident.push_back(ResidentMiB());
  };
  printing::PrintOutcome outcome;
  for (auto _ : state)
    outcome = printing::RunPrint(request, services);
  const double size = static_cast<double>(std::filesystem::file_size(request.pdf));
  state.counters["pages"] = outcome.pages;
  state.counters["pages_per_s"] = benchmark::Counter(
      outcome.pages * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["KiB_per_bill"] = size / 1024 / bills;
  state.counters["peak_rss_MiB"] = static_cast<double>(PeakRssKiB()) / 1024;
  for (std::size_t i = 0; i < resident.size(); ++i)
    state.counters["rss_MiB_at_" + std::to_string((i + 1) * 25) + "pct"] = resident[i];
  state.counters["call_s"] = outcome.call_seconds;
  state.counters["render_s"] = outcome.render_seconds;
}
BENCHMARK(BM_PrintRun)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A bill made up in memory, for the renderer alone.
struct MemoryPictures : printing::PictureProvider {
  std::optional<std::vector<std::uint8_t>> Bytes(const printing::PictureSource&,
                                                 const Variant&) override {
    return std::nullopt;
  }
};

printing::BillContent MemoryBill(const printing::LayoutFields& fields, int lines) {
  printing::BillContent bill;
  bill.id = 1;
  for (const std::string& name : fields.head)
    bill.head.emplace_back(
        oleaut::FromUtf8(name == "FBillNo" ? "WIN100001" : "上海华联纺织 Textile"));
  for (int i = 0; i < lines; ++i) {
    std::vector<Variant> line;
    for (const std::string& name : fields.entry) {
      if (name == "FQtyDecimal" || name == "FPriceDecimal") {
        line.emplace_back(std::int32_t{2});
      } else if (name == "FQty" || name == "FPrice" || name == "FAmount") {
        line.emplace_back(12.5 * (i + 1));
      } else {
        line.emplace_back(oleaut::FromUtf8("纯棉T恤 Cotton " + std::to_string(i)));
      }
    }
    bill.lines.push_back(std::move(line));
  }
  return bill;
}

void BM_FirstPageCold(benchmark::State& state) {
  tavtest::TempDir dir;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const printing::Layout layout = printing::ParseLayoutDocument(kLayout);
    const printing::LayoutFields fields = printing::FieldsOf(layout);
    MemoryPictures pictures;
    printing::BillRenderer renderer(layout, fields, pictures, [](const std::string&) {});
    auto sink = printing::MakePdfSink(dir / "first.pdf");
    renderer.Render(MemoryBill(fields, 30), *sink, 1, "bill 1");
    sink->Finish();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BM_FirstPageCold)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PngPage(benchmark::State& state) {
  tavtest::TempDir dir;
  const printing::Layout layout = printing::ParseLayoutDocument(kLayout);
  const printing::LayoutFields fields = printing::FieldsOf(layout);
  MemoryPictures pictures;
  printing::BillRenderer renderer(layout, fields, pictures, [](const std::string&) {});
  const printing::BillContent bill = MemoryBill(fields, 30);  // one page
  int run = 0;
  for (auto _ : state) {
    auto sink = printing::MakePngSink(dir / ("png" + std::to_string(run++)), 150);
    renderer.Render(bill, *sink, 1, "bill 1");
    sink->Finish();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PngPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
