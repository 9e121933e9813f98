// The demo database when several threads of one host process make their first call on "demo" at
// once: whatever each round starts from (nothing, an empty file, an empty or partial database,
// the half-built files of a killed build), every thread's call succeeds and the database is whole
// afterwards; a file that is no database is refused and left alone.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/data_context.h"
#include "platform/tavglobal/database_files.h"
#include "platform/tavglobal/globals.h"
#include "temp_dir.h"
#include "threads.h"

namespace tavglobal {
namespace {

namespace fs = std::filesystem;

constexpr int kThreads = 8;

// A host thread's first call: bind "demo" and write one row in the call's transaction.
void FirstCallOnDemo(const std::string& key) {
  CallScope call(TransactionIntent::Write);
  const auto context = Globals::Current().GetCurrentContext();
  context->BindDsn(u"demo");
  context->GetConnection()->Execute(
      u"INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('T', '" +
      oleaut::FromUtf8(key) + u"', 'x')");
  context->MarkComplete();
  call.Finish();
}

// What kThreads threads, started at the same moment, report; "" for a call that succeeded. The
// rows they write are keyed "<batch>-<thread>".
std::vector<std::string> FirstCallsAtOnce(int batch = 0) {
  return tavtest::OnThreads(kThreads, [batch](int t) {
    FirstCallOnDemo(std::to_string(batch) + "-" + std::to_string(t));
  });
}

void RunNative(const fs::path& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

pid_t DeadProcess() {
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  return dead;
}

std::vector<std::string> BuildingFiles(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".building-") != std::string::npos) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class DemoDatabaseThreadsTest : public testing::Test {
 protected:
  // A demo data source of its own in a new folder, set before any thread binds it.
  fs::path NewDataFolder(const std::string& name) {
    data_env_.reset();
    const fs::path folder = dir_ / name;
    fs::create_directories(folder);
    data_env_ = std::make_unique<tavtest::ScopedEnv>("TAV_DATA_DIR", folder.string());
    return folder;
  }

  static std::int32_t Count(const fs::path& database, std::u16string_view sql) {
    auto connection = com::Make<ado::Connection>();
    connection->Open(SqliteConnectionString(database));
    return oleaut::ToLong(connection->Execute(sql)->Fields()->Item(oleaut::Variant(0))->Value());
  }

  // Every thread's row is there, and so is the demo content.
  static void ExpectWholeWithRowsOfEveryThread(const fs::path& database, int calls) {
    EXPECT_EQ(Count(database, u"SELECT count(*) FROM t_SystemProfile WHERE FCategory = 'T'"),
              calls);
    EXPECT_GT(Count(database, u"SELECT count(*) FROM ICTransactionType"), 0);
    EXPECT_GT(Count(database, u"SELECT count(*) FROM T_ExcelPrintExportNote"), 0);
  }

  tavtest::TempDir dir_;
  tavtest::ScopedEnv catalog_env_{"TAV_CATALOG", (dir_ / "no-catalog.toml").string()};
  std::unique_ptr<tavtest::ScopedEnv> data_env_;
};

TEST_F(DemoDatabaseThreadsTest, EightFirstCallsOnAFreshDemoAtOnce) {
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const fs::path folder = NewDataFolder("fresh" + std::to_string(round));
    EXPECT_EQ(FirstCallsAtOnce(), std::vector<std::string>(kThreads));
    ExpectWholeWithRowsOfEveryThread(folder / "demo.db", kThreads);
    EXPECT_EQ(BuildingFiles(folder), std::vector<std::string>{});
    // A whole database is kept as it is: the next threads add to it.
    if (round == 0) {
      EXPECT_EQ(FirstCallsAtOnce(1), std::vector<std::string>(kThreads));
      ExpectWholeWithRowsOfEveryThread(folder / "demo.db", 2 * kThreads);
    }
  }
}

TEST_F(DemoDatabaseThreadsTest, WhatAnEarlierRunLeftBehind) {
  const std::string stale = "demo.db.building-" + std::to_string(DeadProcess());
  struct Case {
    const char* label;
    std::function<void(const fs::path& folder)> leave;
    std::string error;                   // "" when every call succeeds
    std::vector<std::string> left = {};  // building files that stay
  };
  const Case cases[] = {
      {"an empty file", [](const fs::path& folder) { std::ofstream(folder / "demo.db"); }, ""},
      {"an empty database",
       [](const fs::path& folder) { RunNative(folder / "demo.db", "PRAGMA user_version = 1"); },
       ""},
      {"a database with some of the tables",
       [](const fs::path& folder) {
         RunNative(folder / "demo.db",
                   "CREATE TABLE t_SystemProfile (FCategory varchar(30), FKey varchar(100), "
                   "FValue nvarchar(255), FDescription nvarchar(255), FReadOnly bit);"
                   "INSERT INTO t_SystemProfile VALUES ('T', 'half', '', '', 0)");
       },
       ""},
      {"half-built files of killed builds",
       [&](const fs::path& folder) {
         for (const std::string& name :
              {stale, stale + "-wal", stale + "-7", stale + "-7-wal", stale + "-7-shm"})
           std::ofstream(folder / name) << "half built";
         std::ofstream(folder / "demo.db.building-1-0") << "pid 1 is running";
       },
       "",
       {"demo.db.building-1-0"}},
      {"a file that is no database",
       [](const fs::path& folder) { std::ofstream(folder / "demo.db") << std::string(4096, 'x'); },
       "the file is not a database"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const fs::path folder = NewDataFolder("case" + std::to_string(n++));
    c.leave(folder);
    const std::vector<std::string> outcomes = FirstCallsAtOnce();
    if (!c.error.empty()) {
      for (const std::string& outcome : outcomes)
        EXPECT_NE(outcome.find(c.error), std::string::npos) << outcome;
      EXPECT_EQ(fs::file_size(folder / "demo.db"), 4096U);
      continue;
    }
    EXPECT_EQ(outcomes, std::vector<std::string>(kThreads));
    ExpectWholeWithRowsOfEveryThread(folder / "demo.db", kThreads);
    EXPECT_EQ(BuildingFiles(folder), c.left);
  }
}

}  // namespace
}  // namespace tavglobal
