#include "bill_fill.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "commands.h"
#include "json_values.h"
#include "nearest_name.h"
#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"
#include "printing/bill_lookup.h"
#include "printing/fill_calls.h"
#include "recordset_printer.h"

namespace tavprint {

namespace {

// The rows of one fill member: its result, and its recordset in the order to show it.
struct FilledRows {
  explicit FilledRows(const printing::FilledRecordset& filled)
      : result(filled.result), recordset(filled.recordset) {}
  std::int32_t result = 0;
  com::Ptr<ado::Recordset> recordset;
  std::vector<std::size_t> order;  // positions of the rows, in the order to show them
};

// Orders the rows by `rank` of the value in `column`, keeping the member's order among equals.
template <class Rank>
void OrderRows(FilledRows& rows, std::u16string_view column, Rank rank) {
  if (!rows.recordset || rows.recordset->State() != ado::adStateOpen) return;
  std::vector<std::int64_t> ranks;
  for (rows.recordset->MoveFirst(); !rows.recordset->Eof(); rows.recordset->MoveNext())
    ranks.push_back(rank(rows.recordset->Fields()->Item(column)->Value()));
  if (!ranks.empty()) rows.recordset->MoveFirst();
  rows.order.resize(ranks.size());
  std::iota(rows.order.begin(), rows.order.end(), 0);
  std::stable_sort(rows.order.begin(), rows.order.end(),
                   [&](std::size_t a, std::size_t b) { return ranks[a] < ranks[b]; });
}

// The positions of the fields to show: those named in `columns` in that order, or all.
std::vector<std::int32_t> ShownFields(const ado::Fields& fields,
                                      const std::vector<std::string>& columns) {
  std::vector<std::int32_t> shown;
  if (columns.empty()) {
    for (std::int32_t i = 0; i < fields.Count(); ++i)
      shown.push_back(i);
    return shown;
  }
  for (const std::string& column : columns) {
    for (std::int32_t i = 0; i < fields.Count(); ++i) {
      if (oleaut::EqualsNoCase(fields.Item(i)->Name(), FromUtf8(column))) {
        shown.push_back(i);
        break;
      }
    }
  }
  return shown;
}

// Field names, then every row's values, in the order to show them.
std::vector<std::vector<Variant>> Cells(const FilledRows& rows, std::vector<std::string>& header,
                                        const std::vector<std::string>& columns = {}) {
  ado::Recordset& recordset = *rows.recordset;
  const auto fields = recordset.Fields();
  const std::vector<std::int32_t> shown = ShownFields(*fields, columns);
  for (const std::int32_t i : shown)
    header.push_back(ToUtf8(fields->Item(i)->Name()));
  std::vector<std::vector<Variant>> read;
  for (recordset.MoveFirst(); recordset.RecordCount() > 0 && !recordset.Eof();
       recordset.MoveNext()) {
    std::vector<Variant> row;
    for (const std::int32_t i : shown)
      row.push_back(fields->Item(i)->Value());
    read.push_back(std::move(row));
  }
  std::vector<std::vector<Variant>> ordered;
  for (const std::size_t i : rows.order)
    ordered.push_back(read[i]);
  return ordered;
}

void PrintRows(const FilledRows& rows, const std::vector<std::string>& columns,
               std::string_view empty_reason, std::ostream& out) {
  if (rows.result != 1 || !rows.recordset) {
    out << "(none: " << empty_reason << ", result " << rows.result << ")\n";
    return;
  }
  std::vector<std::vector<std::string>> cells(1);
  const auto ordered = Cells(rows, cells[0], columns);
  if (cells[0].empty()) {
    out << "(" << ordered.size() << (ordered.size() == 1 ? " row" : " rows")
        << ", none of them with a column asked for)\n";
    return;
  }
  for (const auto& row : ordered) {
    std::vector<std::string> line;
    for (const Variant& value : row)
      line.push_back(CellText(value));
    cells.push_back(std::move(line));
  }
  PrintTextTable(cells, out);
}

Json RowsJson(const FilledRows& rows, const std::vector<std::string>& columns) {
  Json json = {{"result", rows.result}};
  if (rows.result != 1 || !rows.recordset) return json;
  std::vector<std::string> header;
  const auto ordered = Cells(rows, header, columns);
  const ResultPrinter printer = MakeResultPrinter();
  Json fields = Json::array();
  const auto recordset_fields = rows.recordset->Fields();
  for (const std::int32_t i : ShownFields(*recordset_fields, columns))
    fields.push_back(FieldJson(*recordset_fields->Item(i)));
  Json values = Json::array();
  for (const auto& row : ordered) {
    Json line = Json::array();
    for (const Variant& value : row)
      line.push_back(printer.Print(value));
    values.push_back(std::move(line));
  }
  json["fields"] = std::move(fields);
  json["rows"] = std::move(values);
  return json;
}

// The names of the fields of the rows, none when the member gave no rows.
std::vector<std::string> FieldNames(const FilledRows& rows) {
  std::vector<std::string> names;
  if (rows.result != 1 || !rows.recordset) return names;
  const auto fields = rows.recordset->Fields();
  for (std::int32_t i = 0; i < fields->Count(); ++i)
    names.push_back(ToUtf8(fields->Item(i)->Name()));
  return names;
}

// Every column asked for must be one of the head rows or of the entry rows.
void RequireKnownColumns(const FilledRows& head, const FilledRows& entry,
                         const std::vector<std::string>& columns) {
  std::vector<std::string> known = FieldNames(head);
  for (std::string& name : FieldNames(entry))
    known.push_back(std::move(name));
  for (const std::string& column : columns) {
    const bool found = std::any_of(known.begin(), known.end(), [&](const std::string& name) {
      return oleaut::EqualsNoCase(FromUtf8(name), FromUtf8(column));
    });
    if (found) continue;
    const std::string nearest = NearestName(column, known);
    FailCommand(
        "bill fill --columns: neither the head rows nor the entry rows have a column "
        "named '" +
        column + "'" + (nearest.empty() ? "" : "; did you mean " + nearest + "?") +
        " (tavprint bill fill ... --list-columns lists them)");
  }
}

void PrintColumns(const FilledRows& rows, std::ostream& out) {
  if (rows.result != 1 || !rows.recordset) {
    out << "(none: result " << rows.result << ")\n";
    return;
  }
  std::vector<std::vector<std::string>> cells{{"column", "type"}};
  const auto fields = rows.recordset->Fields();
  for (std::int32_t i = 0; i < fields->Count(); ++i) {
    const auto field = fields->Item(i);
    cells.push_back(
        {ToUtf8(field->Name()), std::to_string(field->Type()) + " " + AdoTypeName(field->Type())});
  }
  PrintTextTable(cells, out);
}

Json ColumnsJson(const FilledRows& rows) {
  Json fields = Json::array();
  if (rows.result != 1 || !rows.recordset) return fields;
  const auto recordset_fields = rows.recordset->Fields();
  for (std::int32_t i = 0; i < recordset_fields->Count(); ++i)
    fields.push_back(FieldJson(*recordset_fields->Item(i)));
  return fields;
}

// RFC 4180: a field holding a comma, a quote or a line break is quoted, its quotes doubled.
std::string CsvField(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return {};
  std::string text = value.Type() == oleaut::VarType::ByteArray
                         ? "<" + std::to_string(value.AsByteArray().size()) + " bytes>"
                         : ToUtf8(oleaut::ToString(value));
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

void WriteCsv(const FilledRows& rows, const std::filesystem::path& path,
              const std::vector<std::string>& columns) {
  std::string content;
  if (rows.result == 1 && rows.recordset) {
    std::vector<std::string> header;
    const auto ordered = Cells(rows, header, columns);
    for (std::size_t i = 0; i < header.size(); ++i)
      content += (i > 0 ? "," : "") + CsvField(Variant(FromUtf8(header[i])));
    content += "\r\n";
    for (const auto& row : ordered) {
      for (std::size_t i = 0; i < row.size(); ++i)
        content += (i > 0 ? "," : "") + CsvField(row[i]);
      content += "\r\n";
    }
  }
  io::ReplaceFile(path, content);
}

}  // namespace

std::filesystem::path HeadCsvPath(const std::filesystem::path& entry_csv) {
  std::filesystem::path head = entry_csv;
  head.replace_filename(entry_csv.stem().string() + "-head" + entry_csv.extension().string());
  return head;
}

void RunBillFill(const std::string& dsn, const BillFillRequest& request,
                 const OutputOptions& options, std::ostream& out) {
  if (request.bill_ids.empty()) FailCommand("bill fill: select at least one bill (an FInterID)");
  const auto data = ActivateLateBound(u"TAVMPrintExport.clsGetData");
  const Variant sdsn(FromUtf8(dsn));
  printing::RequireBillsOfType(*data, sdsn.AsString(),
                               printing::LookUpBillType(*data, sdsn.AsString(), request.bill_type),
                               request.bill_ids);
  const printing::BillTypeMetadata bill_type =
      printing::ReadBillType(*data, sdsn, request.bill_type, dsn);
  const auto condition = printing::MakeFillCondition(request.bill_type, request.bill_ids);
  FilledRows head(printing::FillHeadRows(*data, sdsn, condition, bill_type.structure, request.sum));
  FilledRows entry(printing::FillEntryRows(*data, sdsn, condition, bill_type.structure));

  // Heads by the first position of their bill in the selection; lines by FID, that position.
  const Bstr& key_inter = bill_type.key_inter;
  OrderRows(head, key_inter, [&](const Variant& id) {
    const auto found = std::find(request.bill_ids.begin(), request.bill_ids.end(),
                                 id.IsNull() ? 0 : oleaut::ToLong(id));
    return static_cast<std::int64_t>(found - request.bill_ids.begin());
  });
  OrderRows(entry, u"FID", [](const Variant& fid) {
    return fid.IsNull() ? std::int64_t{0} : std::int64_t{oleaut::ToLong(fid)};
  });

  RequireKnownColumns(head, entry, request.columns);
  if (request.list_columns) {
    if (options.json) {
      return WriteJson({{"bill_type", request.bill_type},
                        {"head", ColumnsJson(head)},
                        {"entry", ColumnsJson(entry)}},
                       out);
    }
    out << "Columns of the head rows (clsGetData.GetHeadFillData)\n";
    PrintColumns(head, out);
    out << "\nColumns of the entry rows (clsGetData.GetEntryFillData)\n";
    PrintColumns(entry, out);
    return;
  }
  if (request.csv) {
    WriteCsv(entry, *request.csv, request.columns);
    WriteCsv(head, HeadCsvPath(*request.csv), request.columns);
  }
  std::string selection;
  for (const std::int32_t id : request.bill_ids)
    selection += (selection.empty() ? "" : ", ") + std::to_string(id);
  if (options.json) {
    Json json = {{"bill_type", request.bill_type},
                 {"bills", request.bill_ids},
                 {"head", RowsJson(head, request.columns)},
                 {"entry", RowsJson(entry, request.columns)}};
    WriteJson(json, out);
    return;
  }
  out << "Bill type " << request.bill_type << " ("
      << ToUtf8(oleaut::ToString(bill_type.info->Item(u"FName")))
      << "), bills selected in this order: " << selection << "\n\n";
  out << "Head rows (clsGetData.GetHeadFillData" << (request.sum ? ", summary printing" : "")
      << "), in the order of selection\n";
  PrintRows(head, request.columns,
            "the bill type has no head table or its template no head controls", out);
  out << "\nEntry rows (clsGetData.GetEntryFillData); FID is the bill's position in the "
         "selection\n";
  PrintRows(entry, request.columns,
            "the bill type has no entry table or its template no entry columns", out);
  if (request.csv) {
    out << "\nEntry rows written to " << request.csv->string() << ", head rows to "
        << HeadCsvPath(*request.csv).string() << '\n';
  }
}

}  // namespace tavprint
