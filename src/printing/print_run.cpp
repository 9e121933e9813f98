#include "print_run.h"

#include <time.h>

#include <algorithm>
#include <map>
#include <set>

#include "bill_lookup.h"
#include "bill_renderer.h"
#include "column_reader.h"
#include "default_layout.h"
#include "fill_calls.h"
#include "layout_document.h"
#include "page_sink.h"
#include "picture.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/globals.h"
#include "platform/tavglobal/user_info.h"
#include "platform/vdl/dictionary.h"
#include "template_choice.h"

namespace printing {

namespace {

using oleaut::Bstr;
using oleaut::FromUtf8;
using oleaut::ToUtf8;
using oleaut::Variant;

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Adds the CPU time of its life to a total.
class CallTimer {
 public:
  explicit CallTimer(double& total) : total_(total), start_(ThreadCpuSeconds()) {}
  ~CallTimer() { total_ += ThreadCpuSeconds() - start_; }
  CallTimer(const CallTimer&) = delete;
  CallTimer& operator=(const CallTimer&) = delete;

 private:
  double& total_;
  double start_;
};

// Pictures through the component: an item's photo from GetItemPicture (base64 text), any binary
// column from GetPictureData.
class ComponentPictures : public PictureProvider {
 public:
  ComponentPictures(com::Dispatch& data, com::Dispatch& query, Variant sdsn, double& call_seconds)
      : data_(data), query_(query), sdsn_(std::move(sdsn)), call_seconds_(call_seconds) {}

  std::optional<std::vector<std::uint8_t>> Bytes(const PictureSource& source,
                                                 const Variant& key) override {
    const CallTimer timer(call_seconds_);
    if (source.kind == PictureSource::Kind::kItem) {
      const std::string text =
          ToUtf8(oleaut::ToString(data_.Call(u"GetItemPicture", sdsn_, oleaut::ToString(key))));
      if (text.empty()) return std::nullopt;
      auto bytes = DecodeBase64(text);
      return bytes ? bytes : std::vector<std::uint8_t>(text.begin(), text.end());
    }
    auto info = com::Make<vdl::Dictionary>();
    info->SetItem(u"TableName", FromUtf8(source.table));
    info->SetItem(u"FieldName", FromUtf8(source.field));
    info->SetItem(u"PrimaryKeyField", FromUtf8(source.key_field));
    info->SetItem(u"PrimaryKeyValue", SqlLiteral(key));
    const Variant bytes = query_.Call(u"GetPictureData", sdsn_, info);
    if (bytes.Type() != oleaut::VarType::ByteArray) return std::nullopt;
    return bytes.AsByteArray();
  }

 private:
  // GetPictureData inserts the key as it is: a number as its digits, text quoted.
  static Bstr SqlLiteral(const Variant& key) {
    if (key.IsNumeric()) return oleaut::ToString(key);
    Bstr quoted = u"'";
    for (const char16_t c : oleaut::ToString(key)) {
      if (c == u'\'') quoted += u'\'';
      quoted += c;
    }
    return quoted + u"'";
  }

  com::Dispatch& data_;
  com::Dispatch& query_;
  Variant sdsn_;
  double& call_seconds_;
};

std::string UserLanguage() {
  const auto context = tavglobal::Globals::Current().GetCurrentContext();
  const auto user = context ? context->GetUserInfo() : com::Ptr<tavglobal::UserInfo>();
  return user ? ToUtf8(user->Language()) : std::string("CHS");
}

std::unique_ptr<PageSink> OpenSink(const PrintRequest& request) {
  if (request.png_folder) return MakePngSink(*request.png_folder, request.png_dpi);
  return MakePdfSink(request.pdf);
}

// The head rows of the whole selection by bill id.
struct HeadRows {
  std::vector<std::string> columns;
  com::Ptr<ado::Recordset> recordset;
};

HeadRows FillHeads(com::Dispatch& data, const Variant& sdsn, const BillTypeMetadata& bill_type,
                   const std::vector<std::int32_t>& ids, bool sum) {
  HeadRows heads;
  const auto filled = FillHeadRows(data, sdsn, MakeFillCondition(bill_type.bill_type, ids),
                                   bill_type.structure, sum);
  if (filled.result != 1 || !filled.recordset) {
    Fail("bill type " + std::to_string(bill_type.bill_type) +
         " gives no head rows (its template has no head controls or no head table)");
  }
  heads.recordset = filled.recordset;
  heads.columns = ColumnNames(*heads.recordset);
  return heads;
}

}  // namespace

PrintOutcome RunPrint(const PrintRequest& request, const PrintServices& services) {
  if (request.bill_ids.empty()) Fail("print: select at least one bill (an FInterID)");
  if (request.copies && (*request.copies < 1 || *request.copies > 99))
    Fail("copies: expected 1 to 99");
  PrintOutcome outcome;
  const double run_start = ThreadCpuSeconds();
  // A bill selected twice prints once, at its first place (the fill members give its rows once).
  const std::vector<std::int32_t> ids = DistinctIds(request.bill_ids);
  if (ids.size() < request.bill_ids.size())
    services.warn("a bill selected more than once prints once, at its first place");
  // A target that cannot be written fails here, before any work.
  const std::unique_ptr<PageSink> sink = OpenSink(request);
  outcome.output = request.png_folder ? *request.png_folder : request.pdf;

  std::optional<CallTimer> calls(outcome.call_seconds);
  const auto data = services.activate(u"TAVMPrintExport.clsGetData");
  const auto query = services.activate(u"TAVMPrintExport.clsPrintSetupQuery");
  const Variant sdsn(FromUtf8(request.dsn));
  const BillTypeMetadata bill_type = ReadBillType(*data, sdsn, request.bill_type, request.dsn);
  // Bills of another type that share the head table would print under this type's layout.
  RequireBillsOfType(*data, sdsn.AsString(),
                     LookUpBillType(*data, sdsn.AsString(), request.bill_type), ids);
  TemplateChoice choice = ChooseTemplate(*query, sdsn, request.bill_type, request.sub_type);
  const std::optional<PrintSettings> settings = ReadPrintSettings(*query, sdsn, request.bill_type);
  // Summary printing joins the values of the whole selection into every head row, so its heads
  // are filled at once; otherwise slice by slice with the lines, so that memory stays flat.
  std::optional<HeadRows> all_heads;
  if (request.sum) all_heads = FillHeads(*data, sdsn, bill_type, ids, true);
  calls.reset();
  outcome.layout_note = choice.note;

  const int copies =
      request.copies ? *request.copies : (settings && settings->copies ? *settings->copies : 1);
  const std::string entry_rows = "the entry rows of bill type " + std::to_string(request.bill_type);
  const std::string head_rows = "the head rows of bill type " + std::to_string(request.bill_type);
  ComponentPictures pictures(*data, *query, sdsn, outcome.call_seconds);

  std::optional<Layout> layout;
  std::optional<LayoutFields> fields;
  std::unique_ptr<BillRenderer> renderer;
  std::map<std::int32_t, std::vector<Variant>> head_values;  // by bill id
  for (std::size_t start = 0; start < ids.size(); start += request.slice) {
    const std::vector<std::int32_t> slice(
        ids.begin() + static_cast<std::ptrdiff_t>(start),
        ids.begin() + static_cast<std::ptrdiff_t>(std::min(ids.size(), start + request.slice)));
    calls.emplace(outcome.call_seconds);
    HeadRows slice_heads;
    if (!request.sum) slice_heads = FillHeads(*data, sdsn, bill_type, slice, false);
    const HeadRows& heads = request.sum ? *all_heads : slice_heads;
    const FilledRecordset entries = FillEntryRows(
        *data, sdsn, MakeFillCondition(request.bill_type, slice), bill_type.structure);
    calls.reset();
    const bool has_entries = entries.result == 1 && entries.recordset;

    if (!renderer) {
      if (choice.layout) {
        layout = std::move(*choice.layout);
        if (settings) {
          ApplyPrintSettings(*settings, layout->paper);
          try {
            ValidateLayout(*layout);
          } catch (const std::exception& error) {
            Fail(choice.name + " with the user's print settings: " + MessageOf(error));
          }
        }
      } else {
        Paper paper;
        if (settings) ApplyPrintSettings(*settings, paper);
        layout = DefaultLayout(
            bill_type, heads.columns,
            has_entries ? ColumnNames(*entries.recordset) : std::vector<std::string>{},
            UserLanguage(), paper);
        ValidateLayout(*layout);
      }
      fields = FieldsOf(*layout);
      renderer = std::make_unique<BillRenderer>(*layout, *fields, pictures, services.warn);
    }
    if (!request.sum || head_values.empty()) {
      head_values.clear();
      const ColumnReader head_reader(*heads.recordset, fields->head, 0, head_rows, choice.name);
      const auto key = heads.recordset->Fields()->Item(std::u16string_view(bill_type.key_inter));
      for (heads.recordset->MoveFirst(); !heads.recordset->Eof(); heads.recordset->MoveNext()) {
        if (!key->Value().IsNull())
          head_values.emplace(oleaut::ToLong(key->Value()), head_reader.Read());
      }
    }

    // The lines of each bill of the slice, by its position in the slice (FID, from 1).
    std::vector<std::vector<std::vector<Variant>>> lines(slice.size());
    if (has_entries && !layout->table.columns.empty()) {
      const ColumnReader reader(*entries.recordset, fields->entry, 2, entry_rows, choice.name);
      const auto position = entries.recordset->Fields()->Item(u"FID");
      for (entries.recordset->MoveFirst(); !entries.recordset->Eof();
           entries.recordset->MoveNext()) {
        const std::int32_t fid = oleaut::ToLong(position->Value());
        if (fid >= 1 && static_cast<std::size_t>(fid) <= slice.size())
          lines[static_cast<std::size_t>(fid - 1)].push_back(reader.Read());
      }
    }

    for (std::size_t i = 0; i < slice.size(); ++i) {
      BillContent bill;
      bill.id = slice[i];
      const auto head = head_values.find(bill.id);
      if (head == head_values.end())
        Fail(head_rows + " have no row of bill " + std::to_string(bill.id));
      bill.head = head->second;
      bill.lines = std::move(lines[i]);
      if (fields->print_count) {
        const CallTimer timer(outcome.call_seconds);
        bill.print_count = ToUtf8(oleaut::ToString(data->Call(
            u"GetBillPrintCount", sdsn, FromUtf8(std::to_string(bill.id)), request.bill_type)));
      }
      outcome.pages += renderer->Render(bill, *sink, copies, "bill " + std::to_string(bill.id));
      ++outcome.bills;
      if (services.progress) services.progress(outcome.bills, ids.size());
    }
  }
  sink->Finish();
  outcome.render_seconds = ThreadCpuSeconds() - run_start - outcome.call_seconds;

  if (!request.preview && services.count) {
    const CallTimer timer(outcome.call_seconds);
    services.count(request.dsn, request.bill_type, ids);
    outcome.counted = true;
  }
  return outcome;
}

}  // namespace printing
