#include "recordset_printer.h"

#include <utf8.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace tavprint {

namespace {

bool IsWide(std::uint32_t cp) {
  return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF && cp != 0x303F) ||
         (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
         (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1FAFF) ||
         (cp >= 0x20000 && cp <= 0x3FFFD);
}

void Pad(std::ostream& out, const std::string& text, std::size_t width) {
  out << text << std::string(width - std::min(width, DisplayWidth(text)), ' ');
}

}  // namespace

std::size_t DisplayWidth(std::string_view utf8) {
  std::size_t width = 0;
  auto it = utf8.begin();
  while (it != utf8.end()) {
    std::uint32_t cp = 0;
    try {
      cp = utf8::next(it, utf8.end());
    } catch (const utf8::exception&) {
      ++it;
      cp = '?';
    }
    width += IsWide(cp) ? 2 : 1;
  }
  return width;
}

std::string CellText(const oleaut::Variant& value) {
  if (value.IsNull()) return "NULL";
  if (value.Type() == oleaut::VarType::ByteArray) {
    return "<" + std::to_string(value.AsByteArray().size()) + " bytes>";
  }
  try {
    std::string text = oleaut::ToUtf8(oleaut::ToString(value));
    // One row per line: line breaks inside a value are shown, not obeyed.
    std::string shown;
    for (char c : text) {
      if (c == '\n') {
        shown += "\\n";
      } else if (c == '\r') {
        shown += "\\r";
      } else if (c == '\t') {
        shown += ' ';
      } else {
        shown += c;
      }
    }
    return shown;
  } catch (const oleaut::ComError&) {
    return "<" + oleaut::ToUtf8(oleaut::VarTypeName(value.Type())) + ">";
  }
}

std::string AdoTypeName(std::int32_t type) {
  static constexpr std::pair<ado::DataTypeEnum, const char*> kNames[] = {
      {ado::adEmpty, "adEmpty"},
      {ado::adSmallInt, "adSmallInt"},
      {ado::adInteger, "adInteger"},
      {ado::adSingle, "adSingle"},
      {ado::adDouble, "adDouble"},
      {ado::adCurrency, "adCurrency"},
      {ado::adDate, "adDate"},
      {ado::adBSTR, "adBSTR"},
      {ado::adBoolean, "adBoolean"},
      {ado::adVariant, "adVariant"},
      {ado::adDecimal, "adDecimal"},
      {ado::adTinyInt, "adTinyInt"},
      {ado::adUnsignedTinyInt, "adUnsignedTinyInt"},
      {ado::adBigInt, "adBigInt"},
      {ado::adGUID, "adGUID"},
      {ado::adBinary, "adBinary"},
      {ado::adChar, "adChar"},
      {ado::adWChar, "adWChar"},
      {ado::adNumeric, "adNumeric"},
      {ado::adDBDate, "adDBDate"},
      {ado::adDBTime, "adDBTime"},
      {ado::adDBTimeStamp, "adDBTimeStamp"},
      {ado::adVarChar, "adVarChar"},
      {ado::adLongVarChar, "adLongVarChar"},
      {ado::adVarWChar, "adVarWChar"},
      {ado::adLongVarWChar, "adLongVarWChar"},
      {ado::adVarBinary, "adVarBinary"},
      {ado::adLongVarBinary, "adLongVarBinary"},
  };
  for (const auto& [value, name] : kNames) {
    if (value == type) return name;
  }
  return {};
}

Json FieldJson(const ado::Field& field) {
  return {{"name", oleaut::ToUtf8(field.Name())},
          {"type", field.Type()},
          {"type_name", AdoTypeName(field.Type())}};
}

Json RecordsetToJson(ado::Recordset& recordset, const ResultPrinter& values) {
  Json json = Json::object();
  if (recordset.State() != ado::adStateOpen) {
    json["fields"] = Json::array();
    json["rows"] = Json::array();
    return json;
  }
  const auto fields = recordset.Fields();
  Json field_list = Json::array();
  for (std::int32_t i = 0; i < fields->Count(); ++i) {
    field_list.push_back(FieldJson(*fields->Item(i)));
  }
  Json rows = Json::array();
  if (recordset.RecordCount() > 0) {
    for (recordset.MoveFirst(); !recordset.Eof(); recordset.MoveNext()) {
      Json row = Json::array();
      for (std::int32_t i = 0; i < fields->Count(); ++i) {
        row.push_back(values.Print(fields->Item(i)->Value()));
      }
      rows.push_back(std::move(row));
    }
  }
  json["fields"] = std::move(field_list);
  json["rows"] = std::move(rows);
  return json;
}

void PrintRecordsetTable(ado::Recordset& recordset, std::ostream& out) {
  if (recordset.State() != ado::adStateOpen) {
    out << "(no rows returned)\n";
    return;
  }
  const auto fields = recordset.Fields();
  const auto columns = static_cast<std::size_t>(fields->Count());
  std::vector<std::vector<std::string>> cells(1);
  for (std::size_t i = 0; i < columns; ++i) {
    cells[0].push_back(oleaut::ToUtf8(fields->Item(static_cast<std::int32_t>(i))->Name()));
  }
  if (recordset.RecordCount() > 0) {
    for (recordset.MoveFirst(); !recordset.Eof(); recordset.MoveNext()) {
      std::vector<std::string> row;
      for (std::size_t i = 0; i < columns; ++i) {
        row.push_back(CellText(fields->Item(static_cast<std::int32_t>(i))->Value()));
      }
      cells.push_back(std::move(row));
    }
  }
  PrintTextTable(cells, out);
}

void PrintTextTable(const std::vector<std::vector<std::string>>& cells, std::ostream& out) {
  const std::size_t columns = cells.empty() ? 0 : cells[0].size();
  std::vector<std::size_t> widths(columns, 0);
  for (const auto& row : cells) {
    for (std::size_t i = 0; i < columns; ++i)
      widths[i] = std::max(widths[i], DisplayWidth(row[i]));
  }
  for (std::size_t r = 0; r < cells.size(); ++r) {
    for (std::size_t i = 0; i < columns; ++i) {
      if (i > 0) out << " | ";
      if (i + 1 == columns) {
        out << cells[r][i];
      } else {
        Pad(out, cells[r][i], widths[i]);
      }
    }
    out << '\n';
    if (r == 0) {
      for (std::size_t i = 0; i < columns; ++i) {
        out << (i > 0 ? "-+-" : "") << std::string(widths[i], '-');
      }
      out << '\n';
    }
  }
  const std::size_t rows = cells.empty() ? 0 : cells.size() - 1;
  out << "(" << rows << (rows == 1 ? " row" : " rows") << ")\n";
}

ResultPrinter MakeResultPrinter() {
  ResultPrinter printer;
  printer.AddObjectPrinter(
      [](const oleaut::ObjectRef& object,
         const std::function<Json(const oleaut::Variant&)>& /*print*/) -> std::optional<Json> {
        const auto recordset = com::As<ado::Recordset>(object);
        if (!recordset) return std::nullopt;
        return RecordsetToJson(*recordset, ResultPrinter());
      });
  return printer;
}

}  // namespace tavprint
