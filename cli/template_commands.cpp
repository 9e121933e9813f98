#include "template_commands.h"

#include <CLI/CLI.hpp>
#include <vector>

#include "commands.h"
#include "json_values.h"
#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/call_notes.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"
#include "recordset_printer.h"

namespace tavprint {

namespace {

constexpr char kFallbackRules[] =
    "Printing uses the user's own selected template of the bill type (of the requested sub-type "
    "first, then one without), else the administrator's selected one, else, when a sub-type was "
    "asked for, any user's selected template of that sub-type. A user who lists templates for "
    "the first time gets copies of the administrator's templates; a list with none of those "
    "shows the administrator's templates, then the newest template of each name.";

com::Ptr<com::Dispatch> Object(const char16_t* progid) {
  return com::As<com::Dispatch>(Activate(progid));
}
com::Ptr<com::Dispatch> Query() {
  return Object(u"TAVMPrintExport.clsPrintSetupQuery");
}
com::Ptr<com::Dispatch> Update() {
  return Object(u"TAVMPrintExport.clsPrintSetupUpdate");
}

const char16_t* Member(TemplateOwner owner, const char16_t* bill, const char16_t* report) {
  return owner.report ? report : bill;
}

std::string OwnerText(TemplateOwner owner) {
  return (owner.report ? "report " : "bill type ") + std::to_string(owner.id);
}

std::string Text(const Variant& value) {
  return ToUtf8(oleaut::ToString(value));
}

// The body printing would use: its key, its page text and its body, and the step of the
// lookup's fallback chain that found it.
struct PrintChoice {
  std::string key;
  Variant page_text;
  Variant body;
  std::size_t step = 0;
  std::string found_by;
};

// The template GetNotePrintData (GetRptNotePrintData) returns, and the step of the lookup's
// fallback chain that found it, which the lookup leaves as a call note.
std::optional<PrintChoice> ChoosePrintTemplate(const std::string& dsn, TemplateOwner owner,
                                               const std::string& sub_type, std::size_t& steps) {
  tavglobal::ScopedCallNotes notes;
  const auto result = Query()
                          ->Call(Member(owner, u"GetNotePrintData", u"GetRptNotePrintData"),
                                 FromUtf8(dsn), owner.id, FromUtf8(sub_type))
                          .AsObjectOf<vdl::Dictionary>();
  PrintChoice choice;
  for (const tavglobal::CallNote& note : notes.Notes()) {
    if (note.topic != tavglobal::kPrintTemplateStepNote) continue;
    choice.step = note.number;
    choice.found_by = ToUtf8(note.text);
    steps = note.of;
  }
  if (result->Count() == 0) return std::nullopt;
  const auto entry = result->ItemAt(0).AsObjectOf<vdl::List>();
  choice.key = ToUtf8(result->KeyAt(0));
  choice.page_text = entry->Item(1);
  choice.body = entry->Item(2);
  return choice;
}

oleaut::ByteArray ReadFile(const std::filesystem::path& file) {
  const std::string content = io::ReadWholeFile(file);
  return oleaut::ByteArray(content.begin(), content.end());
}

void WriteFile(const std::filesystem::path& file, const Variant& body) {
  if (body.IsNull() || body.IsEmpty()) FailCommand("the template has no body to export");
  const oleaut::ByteArray& bytes = body.AsByteArray();
  io::ReplaceFile(file,
                  std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Rows of a statement of numbers only, run through clsGetData.ExecuteSQL.
com::Ptr<ado::Recordset> QueryRows(const std::string& dsn, const Bstr& statement) {
  return Object(u"TAVMPrintExport.clsGetData")
      ->Call(u"ExecuteSQL", FromUtf8(dsn), statement)
      .AsObjectOf<ado::Recordset>();
}

// What a delete can touch: the body (and who created it) and every assignment row to it.
struct TemplateRows {
  std::optional<std::string> body_creator;
  std::int32_t assignments = 0;
};

TemplateRows CountTemplateRows(const std::string& dsn, TemplateOwner owner, std::int32_t id) {
  const Bstr type = oleaut::ToString(owner.id);
  const Bstr body_id = oleaut::ToString(id);
  TemplateRows rows;
  const auto body = QueryRows(
      dsn, owner.report ? u"SELECT FCreatorName FROM T_RptExcelPrintExportNote WHERE FNewRptId=" +
                              type + u" AND FId=" + body_id
                        : u"SELECT FCreatorName FROM T_ExcelPrintExportNote WHERE FNewBillType=" +
                              type + u" AND FId=" + body_id);
  if (!body->Eof()) rows.body_creator = Text(body->Fields()->Item(0)->Value());
  const auto count =
      QueryRows(dsn, owner.report ? u"SELECT count(*) FROM T_RptExcelPrintExport WHERE FRptId=" +
                                        type + u" AND FNoteId=" + body_id
                                  : u"SELECT count(*) FROM T_ExcelPrintExport WHERE FBillType=" +
                                        type + u" AND FBillId=" + body_id);
  rows.assignments = oleaut::ToLong(count->Fields()->Item(0)->Value());
  return rows;
}

}  // namespace

void RunTemplateList(const std::string& dsn, TemplateOwner owner, const OutputOptions& options,
                     std::ostream& out) {
  const Variant result =
      Query()->Call(Member(owner, u"GetNoteInfo", u"GetRptNoteInfo"), FromUtf8(dsn), owner.id);
  const auto info = result.AsObjectOf<vdl::Dictionary>();
  const auto rows = info->Item(u"Data").AsObjectOf<vdl::List>();
  const char16_t* id_key = owner.report ? u"FNoteId" : u"fbillid";
  if (options.json) {
    Json templates = Json::array();
    for (std::int32_t i = 1; i <= rows->UpperBound(); ++i) {
      const auto row = rows->Item(i).AsObjectOf<vdl::Dictionary>();
      Json item = {{"id", oleaut::ToLong(row->Item(id_key))},
                   {"name", Text(row->Item(u"fname"))},
                   {"selected", oleaut::Val(oleaut::ToString(row->Item(u"fsel"))) == 1}};
      if (!owner.report) item["sub_type"] = Text(row->Item(u"fbilltypesub"));
      templates.push_back(std::move(item));
    }
    return WriteJson({{owner.report ? "report" : "bill_type", owner.id},
                      {"templates", std::move(templates)},
                      {"page_options", Text(info->Item(u"Option"))}},
                     out);
  }
  out << "Templates of " << OwnerText(owner) << ":\n";
  for (std::int32_t i = 1; i <= rows->UpperBound(); ++i) {
    const auto row = rows->Item(i).AsObjectOf<vdl::Dictionary>();
    const bool selected = oleaut::Val(oleaut::ToString(row->Item(u"fsel"))) == 1;
    out << (selected ? "  * " : "    ") << Text(row->Item(id_key)) << "  "
        << Text(row->Item(u"fname"));
    if (!owner.report && !oleaut::ToString(row->Item(u"fbilltypesub")).empty()) {
      out << "  [sub-type " << Text(row->Item(u"fbilltypesub")) << "]";
    }
    out << '\n';
  }
  if (rows->UpperBound() == 0) out << "    (none)\n";
  out << "Page options: " << Text(info->Item(u"Option")) << '\n';
}

void RunTemplateWhich(const std::string& dsn, TemplateOwner owner, const std::string& sub_type,
                      const OutputOptions& options, std::ostream& out) {
  std::size_t steps = 0;
  const std::optional<PrintChoice> choice = ChoosePrintTemplate(dsn, owner, sub_type, steps);
  if (options.json) {
    Json json = Json::object();
    json["found"] = choice.has_value();
    if (choice) {
      json["key"] = choice->key;
      json["step"] = choice->step;
      json["reason"] = choice->found_by;
      json["page_options"] = Text(choice->page_text);
      json["body_bytes"] = choice->body.IsNull() ? 0 : choice->body.AsByteArray().size();
    }
    return WriteJson(json, out);
  }
  if (!choice) {
    out << "No template would be used for " << OwnerText(owner)
        << (sub_type.empty() ? "" : ", sub-type " + sub_type) << ": none of the " << steps
        << " steps found a selected template with a body.\n";
    return;
  }
  out << "Template " << choice->key << " (type|id) would be used for " << OwnerText(owner)
      << (sub_type.empty() ? "" : ", sub-type " + sub_type) << ".\n"
      << "Found by step " << choice->step << " of " << steps << ": " << choice->found_by << ".\n"
      << "Page options: " << Text(choice->page_text) << '\n'
      << "Body: "
      << (choice->body.IsNull() ? std::string("NULL")
                                : std::to_string(choice->body.AsByteArray().size()) + " bytes")
      << '\n';
}

void RunTemplateSave(const std::string& dsn, TemplateOwner owner, const std::string& name,
                     const std::filesystem::path& file, bool as_administrator, std::ostream& out) {
  const oleaut::ByteArray body = ReadFile(file);
  if (as_administrator) {
    if (owner.report)
      FailCommand("--admin saves bill templates only (there is no report counterpart)");
    auto data = com::Make<vdl::Dictionary>();
    data->SetItem(u"fNoteName", FromUtf8(name));
    data->SetItem(u"FNoteBlob", body);
    Update()->Call(u"SaveNewBill", FromUtf8(dsn), owner.id, data);
    out << "Saved the administrator's template \"" << name << "\" of " << OwnerText(owner) << " ("
        << body.size() << " bytes)\n";
    return;
  }
  const auto saved = Update()
                         ->Call(Member(owner, u"InsertNoteRow", u"InsertRptNoteRow"), FromUtf8(dsn),
                                owner.id, FromUtf8(name), body)
                         .AsObjectOf<vdl::List>();
  out << "Saved template " << Text(saved->Item(1)) << " \"" << name << "\" of " << OwnerText(owner)
      << " (" << body.size() << " bytes)\n";
}

void RunTemplateExport(const std::string& dsn, TemplateOwner owner, std::optional<std::int32_t> id,
                       const std::string& sub_type, const std::filesystem::path& file,
                       std::ostream& out) {
  Variant body;
  std::string what;
  if (id) {
    const Bstr table = owner.report ? u"T_RptExcelPrintExportNote" : u"T_ExcelPrintExportNote";
    const auto rows =
        QueryRows(dsn, u"SELECT FData FROM " + table + u" WHERE FId=" + oleaut::ToString(*id));
    if (rows->Eof()) FailCommand("there is no template body " + std::to_string(*id));
    body = rows->Fields()->Item(0)->Value();
    what = "template " + std::to_string(*id);
  } else {
    std::size_t steps = 0;
    const std::optional<PrintChoice> choice = ChoosePrintTemplate(dsn, owner, sub_type, steps);
    if (!choice) FailCommand("no template would be used for " + OwnerText(owner));
    body = choice->body;
    what = "template " + choice->key + " (the one printing uses)";
  }
  WriteFile(file, body);
  out << "Exported " << what << " to " << file.string() << " (" << body.AsByteArray().size()
      << " bytes)\n";
}

void RunTemplateSelect(const std::string& dsn, TemplateOwner owner, std::int32_t id,
                       std::ostream& out) {
  const auto info =
      Query()
          ->Call(Member(owner, u"GetNoteInfo", u"GetRptNoteInfo"), FromUtf8(dsn), owner.id)
          .AsObjectOf<vdl::Dictionary>();
  const auto rows = info->Item(u"Data").AsObjectOf<vdl::List>();
  const char16_t* id_key = owner.report ? u"FNoteId" : u"fbillid";
  auto sub_type_of = [&](const com::Ptr<vdl::Dictionary>& row) {
    return owner.report ? Bstr() : oleaut::ToString(row->Item(u"fbilltypesub"));
  };
  com::Ptr<vdl::Dictionary> chosen;
  for (std::int32_t i = 1; i <= rows->UpperBound() && !chosen; ++i) {
    const auto row = rows->Item(i).AsObjectOf<vdl::Dictionary>();
    if (oleaut::ToLong(row->Item(id_key)) == id) chosen = row;
  }
  if (!chosen) {
    FailCommand("template " + std::to_string(id) + " is not among the templates of " +
                OwnerText(owner) + " (see: tavprint templates list)");
  }
  // Only the rows whose flag changes are sent: the store clears the sub-type of every row it
  // is given.
  auto items = com::Make<vdl::List>();
  for (std::int32_t i = 1; i <= rows->UpperBound(); ++i) {
    const auto row = rows->Item(i).AsObjectOf<vdl::Dictionary>();
    const std::int32_t row_id = oleaut::ToLong(row->Item(id_key));
    const bool selected = oleaut::Val(oleaut::ToString(row->Item(u"fsel"))) == 1;
    const bool change = row_id == id || (selected && sub_type_of(row) == sub_type_of(chosen));
    if (!change) continue;
    auto item = com::Make<vdl::Dictionary>();
    item->SetItem(u"FKey", oleaut::ToString(owner.id) + u"|" + oleaut::ToString(row_id));
    item->SetItem(u"FName", row->Item(u"fname"));
    item->SetItem(u"FSel", row_id == id ? 1 : 0);
    items->Add(item);
  }
  auto modi = com::Make<vdl::Dictionary>();
  modi->SetItem(u"Option", info->Item(u"Option"));
  modi->SetItem(u"Data", items);
  Update()->Call(Member(owner, u"UpdateUserNoteData", u"UpdateUserRptNoteData"), FromUtf8(dsn),
                 owner.id, modi);
  out << "Selected template " << id << " of " << OwnerText(owner) << '\n';
}

void RunTemplateDelete(const std::string& dsn, TemplateOwner owner, std::int32_t id,
                       std::ostream& out) {
  const TemplateRows before = CountTemplateRows(dsn, owner, id);
  const std::string what = "template " + std::to_string(id) + " of " + OwnerText(owner);
  if (!before.body_creator && before.assignments == 0) {
    FailCommand("there is no " + what + ": nothing was deleted (see: tavprint templates list)");
  }
  Update()->Call(Member(owner, u"DeleteNoteRow", u"DeleteRptNoteRow"), FromUtf8(dsn), owner.id, id);
  const TemplateRows after = CountTemplateRows(dsn, owner, id);
  const bool body_deleted = before.body_creator && !after.body_creator;
  const std::int32_t rows_deleted = before.assignments - after.assignments;
  std::string kept;
  if (after.body_creator) {
    kept = "the body stays: it was created by " + *after.body_creator + ", not by you";
  } else if (!before.body_creator) {
    kept = "it has no body";
  }
  if (!body_deleted && rows_deleted == 0) {
    FailCommand("nothing was deleted of " + what + ": " + kept +
                ", and you have no assignment rows to it");
  }
  out << "Deleted " << what << ": " << (body_deleted ? "its body and " : "") << rows_deleted
      << " of your assignment rows" << (kept.empty() ? "" : "; " + kept) << '\n';
}

namespace {

class TemplateCommands final : public CommandGroup {
 public:
  TemplateCommands(CLI::App& app, const std::string& dsn, const OutputOptions& options);
  bool Chosen() const override;
  void Run(std::ostream& out) const override;

 private:
  const std::string& dsn_;
  const OutputOptions& options_;
  CLI::App* list_ = nullptr;
  CLI::App* which_ = nullptr;
  CLI::App* save_ = nullptr;
  CLI::App* exporter_ = nullptr;
  CLI::App* select_ = nullptr;
  CLI::App* remove_ = nullptr;
  TemplateOwner owner_;
  std::int32_t id_ = 0;
  std::optional<std::int32_t> export_id_;
  std::string name_;
  std::string sub_type_;
  std::filesystem::path file_;
  bool as_administrator_ = false;
};

TemplateCommands::TemplateCommands(CLI::App& app, const std::string& dsn,
                                   const OutputOptions& options)
    : dsn_(dsn), options_(options) {
  CLI::App* templates = app.add_subcommand(
      "templates",
      std::string("Print templates of the user (--user-id) on --dsn.\n") + kFallbackRules);
  templates->require_subcommand(1);
  auto owner_options = [this](CLI::App* command) {
    command->add_option("type", owner_.id, "Bill type (or report id with --report)")->required();
    command->add_flag("--report", owner_.report, "The id is a report's, not a bill type");
  };
  list_ = templates->add_subcommand("list",
                                    "List the user's templates (copies the "
                                    "administrator's on first use)");
  owner_options(list_);
  which_ = templates->add_subcommand("which",
                                     "Show which template printing would use, and which "
                                     "fallback step found it");
  owner_options(which_);
  which_->add_option("--sub-type", sub_type_, "The bill sub-type to print");
  save_ = templates->add_subcommand("save", "Save a template body from a file under a name");
  owner_options(save_);
  save_->add_option("name", name_, "Template name")->required();
  save_->add_option("file", file_, "File holding the template body")
      ->required()
      ->check(CLI::ExistingFile);
  save_->add_flag("--admin", as_administrator_,
                  "Save as the administrator's template, every user's default");
  exporter_ = templates->add_subcommand(
      "export", "Write a template body to a file: the one printing uses, or --id's");
  owner_options(exporter_);
  exporter_->add_option("file", file_, "File to write")->required();
  exporter_->add_option("--id", export_id_, "The template (body) id");
  exporter_->add_option("--sub-type", sub_type_, "The bill sub-type to print");
  select_ = templates->add_subcommand(
      "select",
      "Make a template the selected one for printing, in place of the selected one of its "
      "sub-type (as the print setup does, the template keeps no sub-type)");
  owner_options(select_);
  select_->add_option("id", id_, "The template id, as listed")->required();
  remove_ = templates->add_subcommand(
      "delete", "Delete a template: the body if you created it, and your assignment rows");
  owner_options(remove_);
  remove_->add_option("id", id_, "The template id, as listed")->required();
}

bool TemplateCommands::Chosen() const {
  return *list_ || *which_ || *save_ || *exporter_ || *select_ || *remove_;
}

void TemplateCommands::Run(std::ostream& out) const {
  if (*list_) RunTemplateList(dsn_, owner_, options_, out);
  if (*which_) RunTemplateWhich(dsn_, owner_, sub_type_, options_, out);
  if (*save_) RunTemplateSave(dsn_, owner_, name_, file_, as_administrator_, out);
  if (*exporter_) RunTemplateExport(dsn_, owner_, export_id_, sub_type_, file_, out);
  if (*select_) RunTemplateSelect(dsn_, owner_, id_, out);
  if (*remove_) RunTemplateDelete(dsn_, owner_, id_, out);
}

}  // namespace

std::unique_ptr<CommandGroup> AddTemplateCommands(CLI::App& app, const std::string& dsn,
                                                  const OutputOptions& options) {
  return std::make_unique<TemplateCommands>(app, dsn, options);
}

}  // namespace tavprint
