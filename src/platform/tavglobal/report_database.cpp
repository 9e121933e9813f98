#include "platform/tavglobal/report_database.h"

#include <fmt/format.h>
#include <toml++/toml.h>

#include <set>

#include "platform/io/regular_file.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace tavglobal {

namespace {

constexpr std::u16string_view kSource = u"TAVGlobal.ReportDatabase";

[[noreturn]] void Raise(std::string_view origin, const std::string& cause) {
  throw oleaut::ComError(oleaut::VbHresult(oleaut::kInvalidProcedureCall), std::u16string(kSource),
                         oleaut::FromUtf8(fmt::format("{}: {}", origin, cause)));
}

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

ReportNoteSql ReadRow(std::string_view origin, std::size_t number, const toml::table& table) {
  ReportNoteSql row;
  bool has_id = false;
  const auto where = [&](std::string_view key) {
    return fmt::format("row {} (line {}), {}", number, table.source().begin.line, key);
  };
  for (const auto& [key, node] : table) {
    const std::string_view name = key.str();
    if (SameKey(name, "ftrantypeid")) {
      const auto id = node.value_exact<std::int64_t>();
      if (!id || *id < INT32_MIN || *id > INT32_MAX) {
        Raise(origin, where(name) + " must be a whole number (a Long)");
      }
      row.ftrantypeid = static_cast<std::int32_t>(*id);
      has_id = true;
    } else if (SameKey(name, "FRepSql") || SameKey(name, "FMaskFld")) {
      const auto text = node.value_exact<std::string>();
      if (!text) Raise(origin, where(name) + " must be a text");
      (SameKey(name, "FRepSql") ? row.FRepSql : row.FMaskFld) = oleaut::FromUtf8(*text);
    } else if (SameKey(name, "FNeedLog")) {
      const auto flag = node.value_exact<bool>();
      if (!flag) Raise(origin, where(name) + " must be true or false");
      row.FNeedLog = *flag;
    } else {
      Raise(origin, where(name) +
                        " is not a column of T_RepNotePrintSql (ftrantypeid, FRepSql, FMaskFld, "
                        "FNeedLog)");
    }
  }
  if (!has_id) Raise(origin, where("ftrantypeid") + " is missing");
  return row;
}

}  // namespace

std::vector<ReportNoteSql> ParseReportNoteSql(std::string_view toml_text, std::string_view origin) {
  toml::table root;
  try {
    root = toml::parse(toml_text, origin);
  } catch (const toml::parse_error& e) {
    Raise(origin, fmt::format("{} (line {}, column {})", e.description(), e.source().begin.line,
                              e.source().begin.column));
  }
  std::vector<ReportNoteSql> rows;
  for (const auto& [key, node] : root) {
    if (!SameKey(key.str(), oleaut::ToUtf8(kReportNoteTable))) {
      Raise(origin, fmt::format("'{}' is not [[T_RepNotePrintSql]]", key.str()));
    }
    const toml::array* array = node.as_array();
    if (!array || !array->is_array_of_tables()) {
      Raise(origin, "T_RepNotePrintSql must be written as [[T_RepNotePrintSql]] tables");
    }
    for (const toml::node& element : *array)
      rows.push_back(ReadRow(origin, rows.size() + 1, *element.as_table()));
  }
  std::set<std::int32_t> seen;
  for (const ReportNoteSql& row : rows) {
    if (!seen.insert(row.ftrantypeid).second) {
      Raise(origin, fmt::format("ftrantypeid {} has two rows", row.ftrantypeid));
    }
  }
  return rows;
}

std::vector<ReportNoteSql> LoadReportNoteSql(const std::filesystem::path& path) {
  std::string text;
  try {
    text = io::ReadWholeFile(path);
  } catch (const oleaut::ComError& error) {
    Raise(path.string(), oleaut::ToUtf8(error.Description()));
  }
  return ParseReportNoteSql(text, path.string());
}

ado::jet::JetTableSpec ReportNoteTable(const std::vector<ReportNoteSql>& rows) {
  using ado::jet::JetColumnType;
  ado::jet::JetTableSpec table;
  table.name = kReportNoteTable;
  table.columns = {{u"ftrantypeid", JetColumnType::kLong},
                   {u"FRepSql", JetColumnType::kMemo},
                   {u"FMaskFld", JetColumnType::kText, 255},
                   {u"FNeedLog", JetColumnType::kYesNo}};
  for (const ReportNoteSql& row : rows) {
    const auto text_or_null = [](const std::optional<std::u16string>& text) {
      return text ? oleaut::Variant(*text) : oleaut::Variant(oleaut::kNull);
    };
    table.rows.push_back(
        {row.ftrantypeid, text_or_null(row.FRepSql), text_or_null(row.FMaskFld), row.FNeedLog});
  }
  return table;
}

void CreateReportDatabase(const std::filesystem::path& path, const std::vector<ReportNoteSql>& rows,
                          ado::jet::ExistingFile existing) {
  if (path.has_parent_path()) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
      Raise(path.string(), "its folder cannot be created: " + error.message());
    }
  }
  ado::jet::JetDatabaseSpec spec;
  spec.tables.push_back(ReportNoteTable(rows));
  ado::jet::WriteJetDatabase(path, spec, existing);
}

std::u16string JetConnectionString(const std::filesystem::path& path) {
  std::u16string source = oleaut::FromUtf8(path.string());
  if (source.find_first_of(u";'\"") != std::u16string::npos || source.starts_with(u' ') ||
      source.ends_with(u' ')) {
    source = u'"' + oleaut::Replace(source, u"\"", u"\"\"") + u'"';
  }
  return u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + source +
         u";Persist Security Info=False";
}

}  // namespace tavglobal
