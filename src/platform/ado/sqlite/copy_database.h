// Whole database files: which tables a file holds, and replacing its content in place while
// other connections may be using it. How the demo data source is checked, and recreated without
// pulling the file from under them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ado::sqlite {

enum class CopyOutcome { kCopied, kTargetIsNoDatabase };

// Makes the content of the SQLite database `target` that of the database `source`, in one write
// transaction on `target`: it first waits, up to `busy_timeout_ms`, for the writers of `target`
// to finish, and every connection open on `target` sees the new content afterwards (nothing is
// ever committed into a file that has been removed). A `target` that is not a database at all
// is left as it is and reported; any other failure raises a ComError naming the files.
CopyOutcome CopyDatabaseInto(const std::filesystem::path& source,
                             const std::filesystem::path& target, int busy_timeout_ms);

// The names of the tables of the existing SQLite database `path` (none for an empty file), read
// once its writers have finished (waiting up to `busy_timeout_ms`); nothing when the file is not
// a database at all. Any other failure raises a ComError naming the file.
std::optional<std::vector<std::string>> TableNames(const std::filesystem::path& path,
                                                   int busy_timeout_ms);

}  // namespace ado::sqlite
