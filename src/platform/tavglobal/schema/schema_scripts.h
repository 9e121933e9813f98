// The application database's SQL Server scripts (sql/schema.sql, sql/demo_data.sql), built into
// the platform library so that the embedded "demo" data source can create and seed itself on
// first use without any file beside the program.
#pragma once

#include <string_view>
#include <vector>

namespace tavglobal {

// CREATE TABLE and CREATE INDEX statements of every table the component reads or writes, and of
// the demo bill types' head, entry and lookup tables. UTF-8.
std::string_view SchemaScript() noexcept;

// Sample profile, users, bill types with their templates, bills, print counters and
// administrator print templates. Runs after SchemaScript() on an empty database. UTF-8.
std::string_view DemoDataScript() noexcept;

// The rows of the industry edition's local report database that the demo places (TOML, see
// report_database.h). UTF-8.
std::string_view ReportNotesScript() noexcept;

// Splits a script into its statements at the semicolons that end them. Semicolons inside string
// literals, bracketed or quoted names and comments end nothing. Each statement starts at its
// first token and has neither the semicolon nor trailing blanks; pieces holding only blanks and
// comments are dropped. The views point into `script`.
std::vector<std::string_view> SplitStatements(std::string_view script);

}  // namespace tavglobal
