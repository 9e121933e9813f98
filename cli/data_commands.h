// The commands that work on a data source: the demo tour, ad-hoc SQL, and creating databases.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

namespace tavprint {

struct OutputOptions {
  bool json = false;  // JSON instead of aligned tables
};

// Recreates the demo data source and shows what the component reads from it, ending with two
// bills filled for printing; with options.json, the whole tour is one JSON document. With
// `industry`, the industry edition is switched on first: its version in the system profile and a
// local report database in the system directory.
void RunDemo(const std::string& dsn, const OutputOptions& options, std::ostream& out,
             bool industry = false);
// clsGetData.ExecuteSQL(dsn, statement), the rows as a table or JSON. A statement that begins
// with UPDATE, INSERT or DELETE shows the rows it changed instead (@@ROWCOUNT, asked in the same
// call). The batch's messages (PRINT, RAISERROR of severity 10 or less) go to `messages`, one a
// line, before the rows, and also when the batch fails.
void RunSql(const std::string& dsn, const std::string& statement, const OutputOptions& options,
            std::ostream& out, std::ostream& messages);
// A new database file with the application schema (and the demo data when asked), and how to
// use it. A missing folder is refused unless `make_folders`, which creates it and says so.
void RunCreateDatabase(const std::filesystem::path& path, bool with_demo_data, bool make_folders,
                       std::ostream& out);

}  // namespace tavprint
