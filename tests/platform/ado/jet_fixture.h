// Jet databases for tests: written with the Jet writer into a temporary directory, opened
// through ADO with the connection string the component builds, and read back by mdbtools'
// command-line tools as an independent check.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/jet/writer.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/report_database.h"
#include "temp_dir.h"

namespace ado::testing {

// A table of every column type the writer has, with a Null, an empty text, a long Memo and text
// that needs quoting in CSV.
inline jet::JetTableSpec NotesTable(std::u16string long_memo) {
  using jet::JetColumnType;
  jet::JetTableSpec table;
  table.name = u"Notes";
  table.columns = {{u"FID", JetColumnType::kLong},       {u"FName", JetColumnType::kText, 50},
                   {u"FNote", JetColumnType::kMemo},     {u"FFlag", JetColumnType::kYesNo},
                   {u"FCount", JetColumnType::kInteger}, {u"FPrice", JetColumnType::kDouble},
                   {u"FDate", JetColumnType::kDateTime}};
  const auto date = oleaut::Date::FromFields({2024, 1, 5, 13, 4, 0, 0});
  table.rows = {
      {1, u"alpha", u"short memo", true, std::int16_t{7}, 1.5, date},
      {2, u"", oleaut::kNull, false, oleaut::kNull, oleaut::kNull, oleaut::kNull},
      {3, oleaut::kNull, std::move(long_memo), oleaut::kNull, std::int16_t{-5}, -0.25,
       oleaut::Date(0.0)},
      {4, u"O'Brien, \"q\"", u"line1\nline2, a memo longer than sixty-four bytes leaves its row",
       true, std::int16_t{0}, 0.0, u"2024-02-29"},
  };
  return table;
}

// Names parameterised tests by the file format.
inline std::string FormatName(const ::testing::TestParamInfo<jet::JetVersion>& param) {
  return param.param == jet::JetVersion::kJet4 ? "Jet4" : "Jet3";
}

// Standard output of a shell command (stderr dropped), and whether it exited with 0.
struct ToolRun {
  std::string out;
  bool ok = false;
};
inline ToolRun RunTool(const std::string& command) {
  ToolRun run;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>/dev/null").c_str(), "r"),
                                             pclose);
  if (!pipe) return run;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
    run.out.append(buffer, got);
  run.ok = pclose(pipe.release()) == 0;
  return run;
}

inline std::string Quoted(const std::filesystem::path& path) {
  return "'" + path.string() + "'";
}

inline com::Ptr<Connection> OpenJet(const std::filesystem::path& path) {
  auto connection = com::Make<Connection>();
  connection->SetCursorLocation(adUseClient);
  connection->Open(tavglobal::JetConnectionString(path), u"", u"", adOptionUnspecified);
  return connection;
}

// A value as the tests spell it: NULL, True/False, numbers and texts as CStr gives them.
inline std::string Show(const oleaut::Variant& value) {
  if (value.IsNull()) return "NULL";
  if (value.Type() == oleaut::VarType::Boolean) return value.AsBoolean() ? "True" : "False";
  if (value.Type() == oleaut::VarType::Date) return oleaut::ToUtf8(value.AsDate().ToIsoString());
  return oleaut::ToUtf8(oleaut::ToString(value));
}

// The rows of a statement, each as its values joined by "|".
inline std::vector<std::string> Rows(Connection& connection, std::u16string_view statement) {
  std::vector<std::string> rows;
  auto recordset = connection.Execute(statement);
  const auto fields = recordset->Fields();
  for (; !recordset->Eof(); recordset->MoveNext()) {
    std::string row;
    for (std::int32_t i = 0; i < fields->Count(); ++i)
      row += (i ? "|" : "") + Show(fields->Item(i)->Value());
    rows.push_back(row);
  }
  return rows;
}

}  // namespace ado::testing
