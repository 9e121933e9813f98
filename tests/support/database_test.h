// A database of each test's own in a temporary folder: the catalog that names its data sources,
// a connection of its own outside the component, its rows read back, and SQLite's own SQL for
// what the T-SQL dialect cannot set up.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/oleaut/variant.h"
#include "temp_dir.h"

namespace tavtest {

using Row = std::vector<oleaut::Variant>;

class DatabaseTest : public testing::Test {
 protected:
  enum class Provider { kEmbedded, kOfTheTestRun };  // the latter: TestConnectionString's

  // The database `file`, made with or without the demo data, reached through `provider`.
  DatabaseTest(const std::string& file, bool with_demo_data, Provider provider);

  // Adds this test's data source `name` with the further catalog lines `entry`; a thread's
  // context keeps every data source it has bound, so each test's names are new ones.
  void AddSource(const std::string& name, const std::string& entry);
  oleaut::Bstr SourceName(const std::string& name) const;

  // Runs statements on the database outside the component (autocommit).
  void Exec(std::u16string_view sql) const;
  static std::vector<Row> RowsOf(ado::Connection& connection, std::u16string_view sql);
  std::vector<Row> Rows(std::u16string_view sql) const { return RowsOf(*raw_, sql); }
  // The first column of every row.
  std::vector<oleaut::Variant> Column(std::u16string_view sql) const;
  // SQLite's own SQL, for faults and shapes that T-SQL cannot set up (a trigger that refuses).
  void ExecNative(const std::string& sql) const;

  // A connection of its own to this test's database.
  com::Ptr<ado::Connection> RawConnection() const { return raw_; }
  const std::filesystem::path& DatabasePath() const { return db_; }

  TempDir dir_;

 private:
  ScopedEnv catalog_env_;
  std::filesystem::path db_;
  std::string suffix_;
  std::string connection_;
  com::Ptr<ado::Connection> raw_;
};

}  // namespace tavtest
