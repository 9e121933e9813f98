#include "print_commands.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "bill_type_argument.h"
#include "commands.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"
#include "printing/print_count.h"
#include "printing/template_choice.h"

namespace tavprint {

namespace {

// Progress of a long run on standard error: a bar redrawn in place on a terminal, a line per
// tenth otherwise.
class ProgressReport {
 public:
  explicit ProgressReport(std::size_t total)
      : total_(total), terminal_(::isatty(STDERR_FILENO) != 0) {}
  ~ProgressReport() {
    if (terminal_ && drawn_) std::cerr << '\n';
  }
  ProgressReport(const ProgressReport&) = delete;
  ProgressReport& operator=(const ProgressReport&) = delete;

  void Update(std::size_t done) {
    if (total_ < kLongRun) return;
    if (terminal_) {
      const std::size_t width = 30;
      const std::size_t filled = done * width / total_;
      if (filled == last_ && done != total_) return;
      last_ = filled;
      drawn_ = true;
      std::cerr << "\r[" << std::string(filled, '#') << std::string(width - filled, '.') << "] "
                << done << "/" << total_ << " bills" << std::flush;
    } else if (done * 10 / total_ != last_) {
      last_ = done * 10 / total_;
      std::cerr << "tavprint: " << done << " of " << total_ << " bills drawn\n";
    }
  }

 private:
  static constexpr std::size_t kLongRun = 50;
  std::size_t total_;
  bool terminal_;
  bool drawn_ = false;
  std::size_t last_ = 0;
};

std::string SettingsText(const printing::PrintSettings& settings) {
  std::string text = printing::FormatPrintSettings(settings);
  return text.substr(text.find('\n') + 1);
}

}  // namespace

printing::PrintOutcome RunPrintCommand(const printing::PrintRequest& request, std::ostream& out) {
  ProgressReport progress(request.bill_ids.size());
  printing::PrintServices services;
  services.activate = [](const oleaut::Bstr& progid) { return ActivateLateBound(progid); };
  services.count = [](const std::string& dsn, std::int32_t bill_type,
                      const std::vector<std::int32_t>& ids) {
    printing::RaisePrintCounts(FromUtf8(dsn), bill_type, ids);
  };
  services.progress = [&](std::size_t done, std::size_t) { progress.Update(done); };
  const printing::PrintOutcome outcome = printing::RunPrint(request, services);
  std::cerr << "tavprint: layout: " << outcome.layout_note << '\n';
  out << "Wrote " << outcome.pages << (outcome.pages == 1 ? " page" : " pages") << " of "
      << outcome.bills << (outcome.bills == 1 ? " bill" : " bills") << " to "
      << outcome.output.string() << '\n';
  out << (outcome.counted ? "Counted one print of each bill\n" : "Preview: no print was counted\n");
  return outcome;
}

void RunPrintSettingsShow(const std::string& dsn, std::int32_t bill_type, std::ostream& out) {
  const auto query = ActivateLateBound(u"TAVMPrintExport.clsPrintSetupQuery");
  const Variant found = query->Call(u"GetPageAndPrintSet", FromUtf8(dsn), bill_type);
  const auto dictionary = found.AsObjectOf<vdl::Dictionary>();
  const std::string what = "bill type " + std::to_string(bill_type);
  if (!dictionary || !dictionary->Exists(u"Set")) {
    out << "No print settings of " << what << ": each layout prints with its own paper\n";
    return;
  }
  const std::string value = printing::BytesOf(dictionary->Item(u"Set"));
  if (!printing::IsPrintSettings(value)) {
    out << "The print settings of " << what << " were made by another client (" << value.size()
        << " bytes); tavprint leaves them alone and prints with each layout's paper\n";
    return;
  }
  out << "Print settings of " << what << ":\n" << SettingsText(printing::ParsePrintSettings(value));
}

void RunPrintSettingsSet(const std::string& dsn, std::int32_t bill_type,
                         const printing::PrintSettings& changes, std::ostream& out) {
  const auto query = ActivateLateBound(u"TAVMPrintExport.clsPrintSetupQuery");
  printing::PrintSettings settings = printing::ReadPrintSettings(*query, FromUtf8(dsn), bill_type)
                                         .value_or(printing::PrintSettings{});
  printing::MergePrintSettings(settings, changes);
  const std::string value = printing::FormatPrintSettings(settings);
  ActivateLateBound(u"TAVMPrintExport.clsPrintSetupUpdate")
      ->Call(u"SavePageAndPrintSet", FromUtf8(dsn), bill_type,
             oleaut::ByteArray(value.begin(), value.end()));
  out << "Saved the print settings of bill type " << bill_type << ":\n" << SettingsText(settings);
}

namespace {

class PrintCommands final : public CommandGroup {
 public:
  PrintCommands(CLI::App& app, const std::string& dsn);
  bool Chosen() const override;
  void Run(std::ostream& out) const override;

 private:
  const std::string& dsn_;
  CLI::App* print_ = nullptr;
  CLI::App* show_ = nullptr;
  CLI::App* set_ = nullptr;
  printing::PrintRequest request_;
  std::optional<std::filesystem::path> out_file_;
  std::int32_t settings_type_ = 0;
  std::map<std::string, std::string> changes_;
};

PrintCommands::PrintCommands(CLI::App& app, const std::string& dsn) : dsn_(dsn) {
  print_ = AddBillTypeCommand(
      app, "print",
      "Print selected bills of a bill type to a PDF (or PNG pages), as the print client does:\n"
      "the user's selected template when it is a layout document (docs/layout.md), else a\n"
      "layout made from the bill's own template; the user's print settings; one group of pages\n"
      "per bill in the order given. The file appears whole or not at all, and each bill's print\n"
      "is counted once it is written (not with --preview).\n"
      "Example: tavprint print 1 1001 1002 --out receipts.pdf",
      request_.bill_type);
  print_
      ->add_option("ids", request_.bill_ids,
                   "Interior ids (FInterID) of the bills, in the order to print them")
      ->required();
  print_->add_option("--sub-type", request_.sub_type,
                     "The template sub-type to look for first (GetNotePrintData's FSubType)");
  print_->add_flag("--sum", request_.sum,
                   "Summary printing: every head shows the values of all selected bills");
  print_
      ->add_option("--copies", request_.copies,
                   "Copies of each bill (default: the user's "
                   "print settings, else 1)")
      ->check(CLI::Range(1, 99));
  auto* out_option =
      print_->add_option("--out", out_file_, "The PDF to write (default: bills-TYPE.pdf)");
  auto* png_option =
      print_->add_option("--png", request_.png_folder,
                         "Write one PNG per page into this folder (new or empty) instead of a PDF");
  out_option->excludes(png_option);
  print_->add_option("--dpi", request_.png_dpi, "Resolution of --png pages")
      ->capture_default_str()
      ->check(CLI::Range(10.0, 1200.0));
  print_->add_flag("--preview", request_.preview,
                   "Write the output but count no print (a look before printing)");

  CLI::App* settings = app.add_subcommand(
      "print-settings",
      "The user's print settings of a bill type (paper, orientation, margins, copies), which\n"
      "tavprint print applies over a layout's own (GetPageAndPrintSet, SavePageAndPrintSet)");
  settings->require_subcommand(1);
  show_ = AddBillTypeCommand(*settings, "show",
                             "Show them. Example: tavprint print-settings show 1", settings_type_);
  set_ = AddBillTypeCommand(
      *settings, "set",
      "Change some and keep the others. Example:\n"
      "tavprint print-settings set 1 --paper A5 --orientation landscape --margins 8,8,8,8",
      settings_type_);
  for (const auto& [name, help] : std::initializer_list<std::pair<const char*, const char*>>{
           {"paper", "A3, A4, A5, B5, Letter, Legal, 241x140, or WIDTHxHEIGHT in mm"},
           {"orientation", "portrait or landscape"},
           {"margins", "top,right,bottom,left in mm, e.g. 10,12,10,12"},
           {"copies", "copies of each bill, 1 to 99"}}) {
    set_->add_option_function<std::string>(
        std::string("--") + name,
        [this, key = std::string(name)](const std::string& value) { changes_[key] = value; }, help);
  }
}

bool PrintCommands::Chosen() const {
  return *print_ || *show_ || *set_;
}

void PrintCommands::Run(std::ostream& out) const {
  if (*print_) {
    printing::PrintRequest request = request_;
    request.dsn = dsn_;
    request.pdf =
        out_file_ ? *out_file_
                  : std::filesystem::path("bills-" + std::to_string(request.bill_type) + ".pdf");
    RunPrintCommand(request, out);
  }
  if (*show_) RunPrintSettingsShow(dsn_, settings_type_, out);
  if (*set_) {
    if (changes_.empty()) FailCommand("print-settings set: give at least one setting to change");
    printing::PrintSettings changes;
    for (const auto& [key, value] : changes_)
      printing::SetPrintSetting(changes, key, value);
    RunPrintSettingsSet(dsn_, settings_type_, changes, out);
  }
}

}  // namespace

std::unique_ptr<CommandGroup> AddPrintCommands(CLI::App& app, const std::string& dsn) {
  return std::make_unique<PrintCommands>(app, dsn);
}

}  // namespace tavprint
