#include "platform/tavglobal/database_files.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/sqlite/copy_database.h"
#include "platform/io/file_lock.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/paths.h"
#include "platform/tavglobal/schema/schema_scripts.h"

namespace tavglobal {

namespace {

constexpr std::u16string_view kSource = u"TAVGlobal.Database";

[[noreturn]] void RaiseFileError(const std::filesystem::path& path, std::string_view cause) {
  throw oleaut::ComError(
      oleaut::VbHresult(oleaut::kInvalidProcedureCall), std::u16string(kSource),
      u"Database '" + oleaut::FromUtf8(path.string()) + u"': " + oleaut::FromUtf8(cause));
}

void RunScript(ado::Connection& connection, std::string_view script) {
  for (std::string_view statement : SplitStatements(script)) {
    connection.Execute(oleaut::FromUtf8(statement), nullptr, ado::adExecuteNoRecords);
  }
}

constexpr std::string_view kBuildingInfix = ".building-";
constexpr const char* kCompanionSuffixes[] = {"", "-wal", "-shm", "-journal"};

void RemoveDatabaseFiles(const std::filesystem::path& path) {
  std::error_code ignored;
  for (const char* suffix : kCompanionSuffixes) {
    std::filesystem::remove(path.string() + suffix, ignored);
  }
}

// The process that builds under `name` ("<file>.building-<pid>" and its companion files), if
// the name is one of those beside `target`.
std::optional<pid_t> BuilderOf(const std::string& name, const std::filesystem::path& target) {
  const std::string prefix = target.filename().string() + std::string(kBuildingInfix);
  if (!name.starts_with(prefix)) return std::nullopt;
  const std::string_view rest = std::string_view(name).substr(prefix.size());
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
  if (error != std::errc() || pid <= 0) return std::nullopt;
  const std::string_view suffix(end, static_cast<std::size_t>(rest.data() + rest.size() - end));
  for (const char* known : kCompanionSuffixes) {
    if (suffix == known) return pid;
  }
  return std::nullopt;
}

// What a build that was killed left beside `target`: the files of builders no longer running.
void RemoveStaleBuilds(const std::filesystem::path& target) {
  std::vector<std::filesystem::path> stale;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), error)) {
    const std::optional<pid_t> pid = BuilderOf(entry.path().filename().string(), target);
    if (pid && ::kill(*pid, 0) != 0 && errno == ESRCH) stale.push_back(entry.path());
  }
  for (const auto& path : stale)
    std::filesystem::remove(path, error);
}

// A database built with the schema (and the demo data) under a temporary name beside `target`,
// so that nobody ever sees half a database; removed unless it was installed.
class FreshDatabase {
 public:
  FreshDatabase(const std::filesystem::path& target, bool with_demo_data)
      : path_(target.string() + std::string(kBuildingInfix) + std::to_string(::getpid())) {
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error) RaiseFileError(target.parent_path(), error.message());
    RemoveStaleBuilds(target);
    RemoveDatabaseFiles(path_);
    try {
      auto connection = com::Make<ado::Connection>();
      connection->Open(SqliteConnectionString(path_) + u";Mode=ReadWriteCreate");
      connection->BeginTrans();
      RunScript(*connection, SchemaScript());
      if (with_demo_data) RunScript(*connection, DemoDataScript());
      connection->CommitTrans();
      connection->Close();
    } catch (...) {
      RemoveDatabaseFiles(path_);
      throw;
    }
  }
  FreshDatabase(const FreshDatabase&) = delete;
  FreshDatabase& operator=(const FreshDatabase&) = delete;
  ~FreshDatabase() { RemoveDatabaseFiles(path_); }

  const std::filesystem::path& Path() const noexcept { return path_; }

  // Puts the database at `target` unless a file is there already (another process finished
  // first: its database is as good as this one). False when it was there.
  bool InstallIfAbsent(const std::filesystem::path& target) const {
    // link() never replaces a file, so two builders cannot both install.
    if (::link(path_.c_str(), target.c_str()) != 0) {
      if (errno == EEXIST) return false;
      RaiseFileError(target, std::strerror(errno));
    }
    return true;
  }

  // Puts the database at `target` whatever is there; for a file that is no database.
  void Replace(const std::filesystem::path& target) const {
    RemoveDatabaseFiles(target);
    std::error_code error;
    std::filesystem::rename(path_, target, error);
    if (error) RaiseFileError(target, error.message());
  }

 private:
  std::filesystem::path path_;
};

}  // namespace

std::filesystem::path DemoDatabasePath() {
  return DataDirectory() / "demo.db";
}

std::filesystem::path EnsureDemoDatabase() {
  const auto path = io::ResolveLinks(DemoDatabasePath());
  if (!std::filesystem::exists(path))
    FreshDatabase(path, /*with_demo_data=*/true).InstallIfAbsent(path);
  return path;
}

std::filesystem::path ResetDemoDatabase() {
  const auto path = io::ResolveLinks(DemoDatabasePath());
  io::RequireRegularOrAbsent(path);
  const FreshDatabase fresh(path, /*with_demo_data=*/true);
  if (fresh.InstallIfAbsent(path)) return path;
  // In place, so that the connections other processes (and this one) hold on the demo
  // database see the new content, and a writer's work is never committed into a removed file.
  const auto outcome =
      ado::sqlite::CopyDatabaseInto(fresh.Path(), path, static_cast<int>(io::kBusyTimeout.count()));
  if (outcome == ado::sqlite::CopyOutcome::kTargetIsNoDatabase) fresh.Replace(path);
  return path;
}

void CreateDatabase(const std::filesystem::path& path, bool with_demo_data) {
  // Absolute, so that a bare file name has a folder: the current one.
  const auto target = std::filesystem::absolute(io::ResolveLinks(path));
  if (std::filesystem::exists(target)) RaiseFileError(path, "the file exists already");
  if (!FreshDatabase(target, with_demo_data).InstallIfAbsent(target)) {
    RaiseFileError(path, "the file exists already");
  }
}

std::u16string SqliteConnectionString(const std::filesystem::path& path) {
  return u"Provider=SQLite;Data Source=" + oleaut::FromUtf8(path.string());
}

}  // namespace tavglobal
