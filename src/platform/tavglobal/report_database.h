// The local report database of the industry edition: a Jet file (on Windows "Orvanta.mdb" in
// the folder "TAVCom" below the system directory) whose table T_RepNotePrintSql holds, per bill
// transaction type, the report statement that prints its entries with a size matrix, the
// columns that statement leaves out, and a logging flag.
//
// On Linux such a file is made from a text file of rows (TOML), one [[T_RepNotePrintSql]] table
// per row, the statement usually a multi-line string:
//
//   [[T_RepNotePrintSql]]
//   ftrantypeid = 21
//   FMaskFld = "FNote,FBatchNo"   # optional
//   FNeedLog = false              # optional, false by default
//   FRepSql = """
//   SELECT ?SelFields FROM #tmpBillPrint a
//   """
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/jet/writer.h"

namespace tavglobal {

inline constexpr std::u16string_view kReportNoteTable = u"T_RepNotePrintSql";

// One row of T_RepNotePrintSql. A missing text is Null.
struct ReportNoteSql {
  std::int32_t ftrantypeid = 0;
  std::optional<std::u16string> FRepSql;
  std::optional<std::u16string> FMaskFld;
  bool FNeedLog = false;
};

// The rows of a TOML text; `origin` names it in errors. Unknown keys, a missing or repeated
// ftrantypeid and values of the wrong type raise a ComError that says where.
std::vector<ReportNoteSql> ParseReportNoteSql(std::string_view toml_text, std::string_view origin);
std::vector<ReportNoteSql> LoadReportNoteSql(const std::filesystem::path& path);

// The table as the writer takes it: ftrantypeid Long, FRepSql Memo, FMaskFld Text(255),
// FNeedLog Yes/No.
ado::jet::JetTableSpec ReportNoteTable(const std::vector<ReportNoteSql>& rows);

// Writes a Jet 4 database holding T_RepNotePrintSql with `rows`, creating missing folders.
void CreateReportDatabase(const std::filesystem::path& path, const std::vector<ReportNoteSql>& rows,
                          ado::jet::ExistingFile existing = ado::jet::ExistingFile::kRefuse);

// The Jet connection string the component builds for a report database.
std::u16string JetConnectionString(const std::filesystem::path& path);

}  // namespace tavglobal
