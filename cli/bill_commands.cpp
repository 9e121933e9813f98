#include "bill_commands.h"

#include <CLI/CLI.hpp>

#include "bill_fill.h"
#include "commands.h"
#include "json_values.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"
#include "recordset_printer.h"
#include "typelib/ctl_type.h"

namespace tavprint {

namespace {

using oleaut::Bstr;
using oleaut::FromUtf8;
using oleaut::ToUtf8;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

// "2 ctlLookUp" for a control type the type library names.
std::string CtlTypeText(const Variant& value) {
  std::string text = CellText(value);
  if (!value.IsNumeric()) return text;
  for (const typelib::CtlTypeEntry& entry : typelib::CtlTypeEntries()) {
    if (entry.value == oleaut::ToLong(value)) return text + " " + ToUtf8(entry.name);
  }
  return text;
}

// The rows of a field dictionary (FFieldName to row) as a table of the given columns.
void PrintFields(const DictionaryRef& fields, std::initializer_list<const char16_t*> columns,
                 std::ostream& out) {
  if (!fields) {
    out << "(none: the template has no such rows)\n";
    return;
  }
  std::vector<std::vector<std::string>> cells(1);
  for (const char16_t* column : columns)
    cells[0].push_back(ToUtf8(column));
  for (std::size_t i = 0; i < static_cast<std::size_t>(fields->Count()); ++i) {
    const auto row = fields->ItemAt(i).AsObjectOf<vdl::Dictionary>();
    std::vector<std::string> line;
    for (const char16_t* column : columns) {
      const Variant value = row->Item(column);
      line.push_back(Bstr(column) == u"FCtlType" ? CtlTypeText(value) : CellText(value));
    }
    cells.push_back(std::move(line));
  }
  PrintTextTable(cells, out);
}

std::size_t ListSize(const DictionaryRef& package, std::u16string_view page) {
  const Variant list = package->Item(page);
  return list.IsObject() && list.AsObject() ? list.AsObjectOf<vdl::List>()->UpperBound() : 0;
}

}  // namespace

void RunBillInfo(const std::string& dsn, std::int32_t bill_type, const OutputOptions& options,
                 std::ostream& out) {
  const Variant result = ActivateLateBound(u"TAVMPrintExport.clsGetData")
                             ->Call(u"GetBillPackage", FromUtf8(dsn), bill_type);
  if (options.json) return WriteJson(MakeResultPrinter().Print(result), out);
  const auto parts = result.AsObjectOf<vdl::List>();
  const auto bill = parts->Item(1).AsObjectOf<vdl::Dictionary>();

  out << "Bill type " << bill_type << " (ICTransactionType)\n";
  std::vector<std::vector<std::string>> cells{{"column", "value"}};
  for (std::size_t i = 0; i < static_cast<std::size_t>(bill->Count()); ++i) {
    cells.push_back({ToUtf8(bill->KeyAt(i)), CellText(bill->ItemAt(i))});
  }
  PrintTextTable(cells, out);

  out << "\nHead fields (ICTemplate, printed controls in FCtlIndex order)\n";
  PrintFields(parts->Item(2).AsObjectOf<vdl::Dictionary>(),
              {u"FCtlIndex", u"FFieldName", u"FName", u"FCtlType", u"FLookUpCls", u"FSaveValue",
               u"FRelateOutTbl", u"FRelationID", u"FAction"},
              out);

  out << "\nEntry fields (ICTemplateEntry, in FCtlOrder order)\n";
  PrintFields(parts->Item(3).AsObjectOf<vdl::Dictionary>(),
              {u"FCtlOrder", u"FFieldName", u"FHeadCaption", u"FCtlType", u"FLookUpCls",
               u"FNeedSave", u"FRelateOutTbl", u"FRelationID", u"FAction"},
              out);

  const auto package = parts->Item(4).AsObjectOf<vdl::Dictionary>();
  if (!package) return;
  out << "\nTemplate package (TAVMBillsPackage.clsReadPackage): Page0 "
      << ListSize(package, u"Page0") << " head controls, PageH " << ListSize(package, u"PageH")
      << " kept with the bill, Page1 " << ListSize(package, u"Page1") << " entry columns, PageE "
      << ListSize(package, u"PageE") << " kept with the entry\n";
}

void RunBillCount(const std::string& dsn, std::int32_t bill_type,
                  const std::vector<std::string>& bill_ids, bool raise, const PrintCounter& counter,
                  const OutputOptions& options, std::ostream& out) {
  if (raise) {
    std::string ids;
    for (const std::string& id : bill_ids)
      ids += (ids.empty() ? "" : ",") + id;
    auto data = com::Make<vdl::Dictionary>();
    data->SetItem(u"TableName", FromUtf8(counter.table));
    data->SetItem(u"FieldName", FromUtf8(counter.field));
    data->SetItem(u"PriKey", FromUtf8(counter.key));
    data->SetItem(u"InterIDs", FromUtf8(ids));
    ActivateLateBound(u"TAVMPrintExport.clsPrintSetupUpdate")
        ->Call(u"UpdatePrintCount", FromUtf8(dsn), data);
  }
  const auto data = ActivateLateBound(u"TAVMPrintExport.clsGetData");
  Json json = Json::object();
  for (const std::string& id : bill_ids) {
    const std::string text = ToUtf8(
        oleaut::ToString(data->Call(u"GetBillPrintCount", FromUtf8(dsn), FromUtf8(id), bill_type)));
    json[id] = text;
    if (!options.json) {
      out << "Bill " << id << ": "
          << (text.empty()
                  ? "(bill type " + std::to_string(bill_type) + " does not show print counts)"
                  : text)
          << '\n';
    }
  }
  if (options.json) WriteJson(json, out);
}

struct BillCommands::State {
  State(const std::string& dsn_in, const OutputOptions& options_in)
      : dsn(dsn_in), options(options_in) {}

  const std::string& dsn;
  const OutputOptions& options;
  CLI::App* info = nullptr;
  CLI::App* count = nullptr;
  CLI::App* fill = nullptr;
  std::int32_t bill_type = 0;
  BillFillRequest fill_request;
  std::vector<std::string> bill_ids;
  bool raise = false;
  PrintCounter counter;
};

BillCommands::BillCommands(CLI::App& app, const std::string& dsn, const OutputOptions& options)
    : state_(std::make_unique<State>(dsn, options)) {
  State& s = *state_;
  CLI::App* bill = app.add_subcommand(
      "bill",
      "What printing reads about bills of --dsn: bill types, templates, print counts, and the\n"
      "rows selected bills are filled with");
  bill->require_subcommand(1);
  s.info = bill->add_subcommand(
      "info",
      "Show a bill type, the head and entry fields of its template, and its template package\n"
      "(clsGetData.GetBillPackage). Example: tavprint bill info 1");
  s.info->add_option("type", s.bill_type, "Bill type (ICTransactionType.FID)")->required();
  s.count = bill->add_subcommand(
      "count",
      "Show how often bills were printed (clsGetData.GetBillPrintCount); --raise counts one\n"
      "print of each first (clsPrintSetupUpdate.UpdatePrintCount).\n"
      "Example: tavprint bill count 1 1001 1002 --raise");
  s.count->add_option("type", s.bill_type, "Bill type (ICTransactionType.FID)")->required();
  s.count->add_option("ids", s.bill_ids, "Interior ids (FInterID) of the bills")->required();
  s.count->add_flag("--raise", s.raise, "Count one print of every bill given first");
  s.count->add_option("--table", s.counter.table, "Table of the counter --raise raises")
      ->capture_default_str();
  s.count->add_option("--field", s.counter.field, "Counter column")->capture_default_str();
  s.count->add_option("--key", s.counter.key, "Column that holds the bill ids")
      ->capture_default_str();
  s.fill = bill->add_subcommand(
      "fill",
      "Fill selected bills for printing as a print client does: the bill type and its template\n"
      "package (GetBillTypeInfo, GetBillPackage), then the head rows (GetHeadFillData) and the\n"
      "entry rows (GetEntryFillData), shown in the order of selection.\n"
      "Example: tavprint bill fill 1 1002 1001");
  s.fill->add_option("type", s.fill_request.bill_type, "Bill type (ICTransactionType.FID)")
      ->required();
  s.fill
      ->add_option("ids", s.fill_request.bill_ids,
                   "Interior ids (FInterID) of the bills, in the order of selection")
      ->required();
  s.fill->add_flag("--sum", s.fill_request.sum,
                   "Summary printing: every head row shows the values of all selected bills");
  s.fill->add_option("--csv", s.fill_request.csv,
                     "Also write the entry rows to FILE and the head rows to FILE-head");
  s.fill
      ->add_option("--columns", s.fill_request.columns,
                   "Show only these columns of the tables (comma-separated), e.g.\n"
                   "--columns FID,FInterID,FBillNo,FItemIDName,FQty")
      ->delimiter(',');
}

BillCommands::~BillCommands() = default;

bool BillCommands::Chosen() const {
  return *state_->info || *state_->count || *state_->fill;
}

void BillCommands::Run(std::ostream& out) const {
  const State& s = *state_;
  if (*s.info) RunBillInfo(s.dsn, s.bill_type, s.options, out);
  if (*s.count) {
    RunBillCount(s.dsn, s.bill_type, s.bill_ids, s.raise, s.counter, s.options, out);
  }
  if (*s.fill) RunBillFill(s.dsn, s.fill_request, s.options, out);
}

}  // namespace tavprint
