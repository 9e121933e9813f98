// The printing part of `tavprint demo`: pictures for the demo's items, a purchase receipt of 60
// lines (more than a page holds), the demo's layout documents saved as the administrator's
// templates and selected, and a few bills of each printed to PDFs beside the demo data source.
#include "print_demo.h"

#include <fmt/format.h>

#include "commands.h"
#include "demo_layouts.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"
#include "print_commands.h"
#include "template_commands.h"

namespace tavprint {

namespace {

// Small PNG drawings of the items (t_ICItem.FSmallPhoto), by item id.
struct ItemPicture {
  int item;
  const char* png_hex;
};
constexpr ItemPicture kItemPictures[] = {
    {1,
     "89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED0000000574944415478DAEDD8C10"
     "900210C0440CBB9EAACD3AEF4EB4751C881CA847D6FE61748AA874D02020202029A80BE5CB6322ADDEDE9AB807E05"
     "0506080808686142F6451E5720202020202020202020A0C7405E7A4077801A0A5B68BFD2707D3B0000000049454E4"
     "4AE426082"},
    {2,
     "89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED0000000484944415478DAEDD8B10"
     "D00200C03B05EC2251CC6F7700352874875943183E7D40D4B01018D04AD7D5A0A0404043407F43503020202020202"
     "0202020202020202024A0339CE93F20038337AFAA737CCF50000000049454E44AE426082"},
    {3,
     "89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED0000000DD4944415478DAEDD7511"
     "284200806600EE639F7BAEDCED8B4A498A060CDF4F35CF0654A44DBC38200020820800002E849A0748E9B41498A7B"
     "40A9174B4149176F055D57D59876D0478A8833555C53977303998E92688A02692EFE258F0559BB1F071DA61D9453C"
     "C80AC9AA35C61FA838ACD65020D68F8F3D7B7BB814C1B8E579141A22968795AA09C845A5DA10B1AD6D45B96A7A256"
     "57B806CD68C4337402F10256D0D81746DCB232A8EE54EECBA302152F923786C909500FCAF9C9F75BED3F534F4E332"
     "F004D4EC481BF41EB29FD1176BD06BFD2000104104000D9E30B31981E523722F8DB0000000049454E44AE426082"},
    {4,
     "89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED0000000A44944415478DAEDD8310"
     "EC0200805508EE8DCB37397766874AA16E1476CF309930B2F71812FE7662504114410417F01A96A3EA894E36EADD5"
     "5E12406DF623C86D92B8A607F29924AE19801C26896BC6A05993C435AFA029D39741BD611690DD44100A349864041"
     "94D1890B10922681B10446334F1CB0822681750DCB474FD20286C5ABDE4A7817CA684CB15A581DDF6280D2CFD4069"
     "60F9104A834CD02208869E0421EB02BB451F4EDE5EC8790000000049454E44AE426082"},
    {5,
     "89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED0000000554944415478DAEDD8B10"
     "900200C0440C77644C7B1B6D115442304BC27031C24DFA4CC642940400F41F559CE4163F4F001FA17D42E62654040"
     "5A0604A4655606A4655A0604A4656E080808280494EB0BEB710EB4930540CE769EA79F697C0000000049454E44AE4"
     "26082"},
    {6,
     "89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED00000005F4944415478DAEDD5C10"
     "9C020104541CBF66C119E73F66C7FA680088180B8C4F96C010F1C308D604B82041D1C54EBF5F904091224E89741CF"
     "E55CA6B7EDEB68AD4F4F50D8276388218618628821861862882186186288A1D84FB66282DE7603BCF5E3F50775922"
     "10000000049454E44AE426082"},
    {7,
     "89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED0000000554944415478DAEDD5B10"
     "900200C0440F71FC5356CACADAD9DC33E9682423848F990ABFECB9A3DDC6835DCCB4C01024A07FAFBFECC0001E503"
     "E92120205B060464CB142310902D0302B2658A11C896294620A08BCC060A0689BC0AE5A0AF0000000049454E44AE4"
     "26082"},
};

constexpr std::int32_t kLongBill = 1009;

// Statements that give the demo's items their photos and add bill 1009 of 60 lines.
std::u16string DemoPrintingData() {
  std::string batch;
  for (const ItemPicture& picture : kItemPictures)
    batch += fmt::format("UPDATE t_ICItem SET FSmallPhoto=0x{} WHERE FItemID={};\n",
                         picture.png_hex, picture.item);
  batch += fmt::format(
      "INSERT INTO ICStockBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,"
      "FFManagerID,FSManagerID,FBillerID,FCheckerID,FCheckDate,FStatus,FExplanation) VALUES "
      "({},1,'WIN000009','2024-06-28 00:00:00.000',2,1,5,3,4,16395,16394,"
      "'2024-06-28 18:00:00.000',1,N'季末补货：六十行明细，跨页打印');\n",
      kLongBill);
  for (int line = 1; line <= 60; ++line) {
    const int item = 1 + (line - 1) % 6;
    const int qty = 10 + (line * 7) % 90;
    const double price = 12.5 + (line % 9) * 3.25;
    batch += fmt::format(
        "INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,"
        "FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,"
        "FNote) VALUES ({},{},{},0,{},'B2406-{:02}',{},{},{:.2f},{:.2f},0,0,{},0,'',NULL);\n",
        kLongBill, line, item, item, line, qty, qty, price, qty * price, 1 + line % 3);
  }
  return FromUtf8(batch);
}

void SaveAndSelectLayouts(const std::string& dsn, std::ostream& out) {
  const auto data = ActivateLateBound(u"TAVMPrintExport.clsGetData");
  const auto update = ActivateLateBound(u"TAVMPrintExport.clsPrintSetupUpdate");
  for (const DemoLayout& layout : DemoLayouts()) {
    auto template_data = com::Make<vdl::Dictionary>();
    template_data->SetItem(u"fNoteName", FromUtf8(std::string(layout.name)));
    template_data->SetItem(u"FNoteBlob", oleaut::ByteArray(layout.body.begin(), layout.body.end()));
    update->Call(u"SaveNewBill", FromUtf8(dsn), layout.bill_type, template_data);
    const auto rows = data->Call(u"ExecuteSQL", FromUtf8(dsn),
                                 u"SELECT FId FROM T_ExcelPrintExportNote WHERE FNewBillType=" +
                                     oleaut::ToString(layout.bill_type) + u" AND FName=N'" +
                                     FromUtf8(std::string(layout.name)) + u"'")
                          .AsObjectOf<ado::Recordset>();
    const std::int32_t id = oleaut::ToLong(rows->Fields()->Item(0)->Value());
    // SaveNewBill writes no assignment row: the store makes one for an item it is given.
    auto item = com::Make<vdl::Dictionary>();
    item->SetItem(u"FKey", oleaut::ToString(layout.bill_type) + u"|" + oleaut::ToString(id));
    item->SetItem(u"FName", FromUtf8(std::string(layout.name)));
    item->SetItem(u"FSel", std::int32_t{0});
    auto items = com::Make<vdl::List>();
    items->Add(Variant(item));
    const auto info = ActivateLateBound(u"TAVMPrintExport.clsPrintSetupQuery")
                          ->Call(u"GetNoteInfo", FromUtf8(dsn), layout.bill_type)
                          .AsObjectOf<vdl::Dictionary>();
    auto modi = com::Make<vdl::Dictionary>();
    modi->SetItem(u"Option", info->Item(u"Option"));
    modi->SetItem(u"Data", Variant(items));
    update->Call(u"UpdateUserNoteData", FromUtf8(dsn), layout.bill_type, modi);
    RunTemplateSelect(dsn, TemplateOwner{layout.bill_type, false}, id, out);
  }
}

}  // namespace

void RunPrintDemo(const std::string& dsn, const std::filesystem::path& folder, bool industry,
                  std::ostream& out) {
  const auto data = ActivateLateBound(u"TAVMPrintExport.clsGetData");
  data->Call(u"ExecuteSQL", FromUtf8(dsn), DemoPrintingData());
  out << "\nPrinting: the demo's layout documents (cli/demo_layouts, docs/layout.md) saved as the\n"
         "administrator's templates (clsPrintSetupUpdate.SaveNewBill) and selected\n";
  SaveAndSelectLayouts(dsn, out);

  struct Run {
    std::int32_t bill_type;
    std::vector<std::int32_t> ids;
    bool sum;
    const char* file;
    const char* what;
  };
  const Run runs[] = {
      {1,
       {1001, 1002, kLongBill},
       false,
       "demo-purchase-receipts.pdf",
       "purchase receipts with photos and bar codes; bill 1009 has 60 lines over 3 pages"},
      {92,
       {9201, 9202, 9203},
       true,
       "demo-production-issues.pdf",
       "production issues printed as a summary (--sum)"},
      {707, {70701, 70702}, false, "demo-inspections.pdf", "incoming inspections"},
      {21,
       {2001, 2002},
       false,
       "demo-sales-deliveries.pdf",
       "sales deliveries: their selected template is another designer's, so they are laid out "
       "from their bill template"},
  };
  for (const Run& run : runs) {
    if (industry && run.bill_type == 1) {
      // The industry edition's report statement gives receipts a size matrix instead of the
      // columns the demo's receipt layout prints.
      out << "\n(purchase receipts are not printed: in the industry edition their lines are the "
             "size matrix of tavprint bill fill 1 1001)\n";
      continue;
    }
    printing::PrintRequest request;
    request.dsn = dsn;
    request.bill_type = run.bill_type;
    request.bill_ids = run.ids;
    request.sum = run.sum;
    request.pdf = folder / run.file;
    out << "\n" << run.what << ":\n";
    RunPrintCommand(request, out);
  }
  out << "\nThe PDFs are in " << folder.string() << "\n";
}

}  // namespace tavprint
