#include "platform/tavglobal/database_files.h"

#include <unistd.h>

#include <string_view>
#include <system_error>

#include "platform/ado/connection.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/paths.h"
#include "platform/tavglobal/schema/schema_scripts.h"

namespace tavglobal {

namespace {

constexpr std::u16string_view kSource = u"TAVGlobal.Database";

[[noreturn]] void RaiseFileError(const std::filesystem::path& path, std::string_view cause) {
  throw oleaut::ComError(oleaut::VbHresult(oleaut::kInvalidProcedureCall),
                         std::u16string(kSource),
                         u"Database '" + oleaut::FromUtf8(path.string()) + u"': " +
                             oleaut::FromUtf8(cause));
}

void RunScript(ado::Connection& connection, std::string_view script) {
  for (std::string_view statement : SplitStatements(script)) {
    connection.Execute(oleaut::FromUtf8(statement), nullptr, ado::adExecuteNoRecords);
  }
}

void RemoveDatabaseFiles(const std::filesystem::path& path) {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::filesystem::remove(path.string() + suffix, ignored);
  }
}

// Builds the database under a temporary name beside `path` and renames it into place.
void BuildAt(const std::filesystem::path& path, bool with_demo_data, bool replace) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) RaiseFileError(path.parent_path(), error.message());

  const std::filesystem::path building =
      path.string() + ".building-" + std::to_string(::getpid());
  RemoveDatabaseFiles(building);
  try {
    auto connection = com::Make<ado::Connection>();
    connection->Open(SqliteConnectionString(building) + u";Mode=ReadWriteCreate");
    connection->BeginTrans();
    RunScript(*connection, SchemaScript());
    if (with_demo_data) RunScript(*connection, DemoDataScript());
    connection->CommitTrans();
    connection->Close();
  } catch (...) {
    RemoveDatabaseFiles(building);
    throw;
  }
  if (!replace && std::filesystem::exists(path)) {
    // Another process finished first; its database is as good as ours.
    RemoveDatabaseFiles(building);
    return;
  }
  RemoveDatabaseFiles(path);
  std::filesystem::rename(building, path, error);
  if (error) {
    RemoveDatabaseFiles(building);
    RaiseFileError(path, error.message());
  }
}

}  // namespace

std::filesystem::path DemoDatabasePath() { return DataDirectory() / "demo.db"; }

std::filesystem::path EnsureDemoDatabase() {
  const auto path = DemoDatabasePath();
  if (!std::filesystem::exists(path)) BuildAt(path, /*with_demo_data=*/true, /*replace=*/false);
  return path;
}

std::filesystem::path ResetDemoDatabase() {
  const auto path = DemoDatabasePath();
  BuildAt(path, /*with_demo_data=*/true, /*replace=*/true);
  return path;
}

void CreateDatabase(const std::filesystem::path& path, bool with_demo_data) {
  if (std::filesystem::exists(path)) RaiseFileError(path, "the file exists already");
  BuildAt(path, with_demo_data, /*replace=*/false);
}

std::u16string SqliteConnectionString(const std::filesystem::path& path) {
  return u"Provider=SQLite;Data Source=" + oleaut::FromUtf8(path.string());
}

}  // namespace tavglobal
