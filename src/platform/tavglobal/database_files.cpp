#include "platform/tavglobal/database_files.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
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

// The process that builds under `name` ("<file>.building-<pid>-<n>" and its companion files,
// or "<file>.building-<pid>" of earlier versions), if the name is one of those beside `target`.
std::optional<pid_t> BuilderOf(const std::string& name, const std::filesystem::path& target) {
  const std::string prefix = target.filename().string() + std::string(kBuildingInfix);
  if (!name.starts_with(prefix)) return std::nullopt;
  const std::string_view rest = std::string_view(name).substr(prefix.size());
  const char* const last = rest.data() + rest.size();
  pid_t pid = 0;
  auto [end, error] = std::from_chars(rest.data(), last, pid);
  if (error != std::errc() || pid <= 0) return std::nullopt;
  if (end != last && *end == '-') {
    unsigned long long build = 0;
    const auto [build_end, build_error] = std::from_chars(end + 1, last, build);
    if (build_error == std::errc()) end = build_end;
  }
  const std::string_view suffix(end, static_cast<std::size_t>(last - end));
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

// A name beside `target` that no other builder takes: not another process (the process id) nor
// another thread of this one (the number of the build in this process).
std::filesystem::path BuildingName(const std::filesystem::path& target) {
  static std::atomic<std::uint64_t> builds{0};
  return target.string() + std::string(kBuildingInfix) + std::to_string(::getpid()) + "-" +
         std::to_string(builds.fetch_add(1, std::memory_order_relaxed));
}

// A database built with the schema (and the demo data) under a temporary name beside `target`,
// so that nobody ever sees half a database; removed unless it was installed.
class FreshDatabase {
 public:
  FreshDatabase(const std::filesystem::path& target, bool with_demo_data)
      : path_(BuildingName(target)) {
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

constexpr std::string_view kCreatorLockSuffix = ".lock";

// How long a creator waits for another one: building the demo database takes a moment, so this
// is longer than a writer's wait.
constexpr std::chrono::milliseconds kCreatorTimeout{60000};

// Held by whoever creates, checks or recreates the database `target`, in this process or
// another: one creator at a time.
io::FileHandle LockCreator(const std::filesystem::path& target) {
  std::error_code error;
  std::filesystem::create_directories(target.parent_path(), error);
  if (error) RaiseFileError(target.parent_path(), error.message());
  return io::LockExclusive(target.string() + std::string(kCreatorLockSuffix), kCreatorTimeout);
}

// The tables every application database has: those the schema script creates.
const std::vector<std::string>& SchemaTables() {
  static const std::vector<std::string> tables = [] {
    constexpr std::string_view kCreate = "CREATE TABLE ";
    std::vector<std::string> names;
    for (std::string_view statement : SplitStatements(SchemaScript())) {
      if (!statement.starts_with(kCreate)) continue;
      statement.remove_prefix(kCreate.size());
      names.emplace_back(statement.substr(0, statement.find_first_of(" (\n")));
    }
    return names;
  }();
  return tables;
}

enum class DatabaseState { kAbsent, kWhole, kIncomplete };

// What is at `path`: nothing, a database with every table of the schema, or one that lacks some
// (an empty file, or what an interrupted build of an earlier version left). A file that is no
// database at all is not ours to judge: it raises.
DatabaseState StateOf(const std::filesystem::path& path) {
  if (!std::filesystem::exists(path)) return DatabaseState::kAbsent;
  io::RequireRegularOrAbsent(path);
  const auto tables = ado::sqlite::TableNames(path, static_cast<int>(io::kBusyTimeout.count()));
  if (!tables) RaiseFileError(path, "the file is not a database");
  for (const std::string& wanted : SchemaTables()) {
    const bool found = std::any_of(tables->begin(), tables->end(), [&](const std::string& name) {
      return oleaut::EqualsNoCase(oleaut::FromUtf8(name), oleaut::FromUtf8(wanted));
    });
    if (!found) return DatabaseState::kIncomplete;
  }
  return DatabaseState::kWhole;
}

// Gives the database at `path` the content of `fresh`: installed when there is none, otherwise
// copied in, in place, so that the connections open on it see the new content and a writer's
// work is never committed into a removed file.
void InstallOrCopyInto(const FreshDatabase& fresh, const std::filesystem::path& path) {
  if (fresh.InstallIfAbsent(path)) return;
  const auto outcome =
      ado::sqlite::CopyDatabaseInto(fresh.Path(), path, static_cast<int>(io::kBusyTimeout.count()));
  if (outcome == ado::sqlite::CopyOutcome::kTargetIsNoDatabase) fresh.Replace(path);
}

}  // namespace

std::filesystem::path DemoDatabasePath() {
  return DataDirectory() / "demo.db";
}

std::filesystem::path EnsureDemoDatabase() {
  const auto path = io::ResolveLinks(DemoDatabasePath());
  if (StateOf(path) == DatabaseState::kWhole) return path;
  const io::FileHandle creator = LockCreator(path);
  // Another creator may have finished while this one waited.
  if (StateOf(path) != DatabaseState::kWhole) {
    InstallOrCopyInto(FreshDatabase(path, /*with_demo_data=*/true), path);
  }
  return path;
}

std::filesystem::path ResetDemoDatabase() {
  const auto path = io::ResolveLinks(DemoDatabasePath());
  io::RequireRegularOrAbsent(path);
  const io::FileHandle creator = LockCreator(path);
  InstallOrCopyInto(FreshDatabase(path, /*with_demo_data=*/true), path);
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
