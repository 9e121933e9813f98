#include "bill_commands.h"

#include <CLI/CLI.hpp>

#include "bill_count.h"
#include "bill_fill.h"
#include "bill_list.h"
#include "bill_type_argument.h"
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
  const auto parts = result.AsObjectOf<vdl::List>();
  const auto bill = parts->Item(1).AsObjectOf<vdl::Dictionary>();
  const auto package = parts->Item(4).AsObjectOf<vdl::Dictionary>();
  if (options.json) {
    const ResultPrinter printer = MakeResultPrinter();
    const auto fields = [&](const Variant& dictionary) {
      Json rows = Json::array();
      if (!dictionary.IsObject() || !dictionary.AsObject()) return rows;
      const auto by_name = dictionary.AsObjectOf<vdl::Dictionary>();
      for (std::size_t i = 0; i < static_cast<std::size_t>(by_name->Count()); ++i)
        rows.push_back(printer.Print(by_name->ItemAt(i)));
      return rows;
    };
    Json json = {{"bill_type", printer.Print(Variant(bill))},
                 {"head_fields", fields(parts->Item(2))},
                 {"entry_fields", fields(parts->Item(3))}};
    if (package) {
      json["package"] = {{"page0", ListSize(package, u"Page0")},
                         {"page_h", ListSize(package, u"PageH")},
                         {"page1", ListSize(package, u"Page1")},
                         {"page_e", ListSize(package, u"PageE")}};
    }
    return WriteJson(json, out);
  }

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

  if (!package) return;
  out << "\nTemplate package (TAVMBillsPackage.clsReadPackage): Page0 "
      << ListSize(package, u"Page0") << " head controls, PageH " << ListSize(package, u"PageH")
      << " kept with the bill, Page1 " << ListSize(package, u"Page1") << " entry columns, PageE "
      << ListSize(package, u"PageE") << " kept with the entry\n";
}

namespace {

class BillCommands final : public CommandGroup {
 public:
  BillCommands(CLI::App& app, const std::string& dsn, const OutputOptions& options);
  bool Chosen() const override;
  void Run(std::ostream& out) const override;

 private:
  const std::string& dsn_;
  const OutputOptions& options_;
  CLI::App* types_ = nullptr;
  CLI::App* list_ = nullptr;
  CLI::App* info_ = nullptr;
  CLI::App* count_ = nullptr;
  CLI::App* fill_ = nullptr;
  std::int32_t bill_type_ = 0;
  BillFillRequest fill_request_;
  std::vector<std::int32_t> bill_ids_;
  bool raise_ = false;
  PrintCounter counter_;
};

BillCommands::BillCommands(CLI::App& app, const std::string& dsn, const OutputOptions& options)
    : dsn_(dsn), options_(options) {
  CLI::App* bill = app.add_subcommand(
      "bill",
      "What printing reads about bills of --dsn: bill types, templates, print counts, and the\n"
      "rows selected bills are filled with");
  bill->require_subcommand(1);
  types_ = bill->add_subcommand("types",
                                "List the bill types (ICTransactionType): id, name, template "
                                "and tables.\nExample: tavprint bill types");
  list_ =
      AddBillTypeCommand(*bill, "list",
                         "List the bills of a bill type: interior id (FInterID), number and date.\n"
                         "Example: tavprint bill list 1",
                         bill_type_);
  info_ = AddBillTypeCommand(
      *bill, "info",
      "Show a bill type, the head and entry fields of its template, and its template package\n"
      "(clsGetData.GetBillPackage). Example: tavprint bill info 1",
      bill_type_);
  count_ = AddBillTypeCommand(
      *bill, "count",
      "Show how often bills were printed: their rows of ICPrintCount for the bill type, and what\n"
      "their printouts say (clsGetData.GetBillPrintCount). --raise counts one print of each, as\n"
      "the print client does: the bill type's row of each bill is raised by one, or made at 1\n"
      "for a bill printed the first time, all in one transaction; the counts before and after\n"
      "are shown. Ids that are no bills of the type are refused before anything is written.\n"
      "Example: tavprint bill count 1 1001 1002 --raise",
      bill_type_);
  count_
      ->add_option("ids", bill_ids_,
                   "Interior ids (FInterID) of the bills, separated by blanks or commas")
      ->required()
      ->delimiter(',');
  count_->add_flag("--raise", raise_, "Count one print of every bill given");
  count_->add_option("--table", counter_.table,
                     "Another counter instead: a table with a counter column per bill, such as\n"
                     "the bill head's own (ICStockBill), raised through\n"
                     "clsPrintSetupUpdate.UpdatePrintCount");
  count_->add_option("--field", counter_.field, "Counter column of --table")->capture_default_str();
  count_->add_option("--key", counter_.key, "Column of --table that holds the bill ids")
      ->capture_default_str();
  fill_ = AddBillTypeCommand(
      *bill, "fill",
      "Fill selected bills for printing as a print client does: the bill type and its template\n"
      "package (GetBillTypeInfo, GetBillPackage), then the head rows (GetHeadFillData) and the\n"
      "entry rows (GetEntryFillData), shown in the order of selection.\n"
      "Example: tavprint bill fill 1 1002 1001",
      fill_request_.bill_type);
  fill_
      ->add_option("ids", fill_request_.bill_ids,
                   "Interior ids (FInterID) of the bills, in the order of selection, separated "
                   "by blanks or commas")
      ->required()
      ->delimiter(',');
  fill_->add_flag("--sum", fill_request_.sum,
                  "Summary printing: every head row shows the values of all selected bills");
  fill_->add_option("--csv", fill_request_.csv,
                    "Also write the entry rows to FILE and the head rows to FILE-head");
  fill_
      ->add_option(
          "--columns", fill_request_.columns,
          "Show (and write with --csv, print with --json) only these columns, in this\n"
          "order (comma-separated), e.g. --columns FID,FInterID,FBillNo,FItemIDName,FQty;\n"
          "a name neither table has is refused")
      ->delimiter(',');
  fill_->add_flag("--list-columns", fill_request_.list_columns,
                  "List the columns of the head and entry rows (name and ADO type) instead of "
                  "the rows");
}

bool BillCommands::Chosen() const {
  return *types_ || *list_ || *info_ || *count_ || *fill_;
}

void BillCommands::Run(std::ostream& out) const {
  if (*types_) RunBillTypes(dsn_, options_, out);
  if (*list_) RunBillList(dsn_, bill_type_, options_, out);
  if (*info_) RunBillInfo(dsn_, bill_type_, options_, out);
  if (*count_) {
    RunBillCount(dsn_, bill_type_, bill_ids_, raise_, counter_, options_, out);
  }
  if (*fill_) RunBillFill(dsn_, fill_request_, options_, out);
}

}  // namespace

std::unique_ptr<CommandGroup> AddBillCommands(CLI::App& app, const std::string& dsn,
                                              const OutputOptions& options) {
  return std::make_unique<BillCommands>(app, dsn, options);
}

}  // namespace tavprint
