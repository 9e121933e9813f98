// Runs every tests/sql/*.test script through ado::Provider on a fresh SQLite database, once through
// the embedded provider and once through the ODBC provider over the SQLite ODBC driver: one test
// body, one case per file and provider. The scripts are T-SQL as SQL Server runs it, so the same
// files serve a SQL Server provider's fixture.
#include "sql_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "odbc_driver.h"
#include "platform/ado/provider.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kScriptDir = TAV_SQL_TEST_DIR;

std::vector<std::string> ScriptNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kScriptDir)) {
    if (entry.path().extension() == ".test") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

char TypeLetter(const oleaut::Variant& value) {
  using oleaut::VarType;
  switch (value.Type()) {
    case VarType::String:
      return 'T';
    case VarType::Integer:
    case VarType::Long:
      return 'I';
    case VarType::Decimal:
      return 'D';
    case VarType::Double:
      return 'R';
    case VarType::Boolean:
      return 'B';
    case VarType::Date:
      return 'A';
    case VarType::ByteArray:
      return 'X';
    default:
      return '?';
  }
}

std::string Render(const oleaut::Variant& value) {
  using oleaut::VarType;
  switch (value.Type()) {
    case VarType::Null:
      return "NULL";
    case VarType::Date:
      return oleaut::ToUtf8(value.AsDate().ToIsoString());
    case VarType::Decimal:
      return oleaut::ToUtf8(value.AsDecimal().ToString());
    case VarType::ByteArray: {
      std::string hex = "0x";
      static constexpr char kDigits[] = "0123456789ABCDEF";
      for (std::uint8_t b : value.AsByteArray()) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
      }
      return hex;
    }
    default: {
      std::string text = oleaut::ToUtf8(oleaut::ToString(value));
      return text.empty() ? "(empty)" : text;
    }
  }
}

class SqlScriptTest : public ::testing::TestWithParam<std::tuple<std::string, std::string>> {
 protected:
  void Run(const tavtest::SqlRecord& record, const std::string& where) {
    using Kind = tavtest::SqlRecord::Kind;
    std::string sql = record.sql;
    if (record.kind == Kind::kLoad) {
      std::ifstream in(kScriptDir / record.sql);
      ASSERT_TRUE(in) << where << ": cannot read " << record.sql;
      std::stringstream text;
      text << in.rdbuf();
      sql = text.str();
    }
    ado::ExecuteResult result;
    try {
      result = provider_->Execute(oleaut::FromUtf8(sql), {});
    } catch (const oleaut::ComError& e) {
      if (record.kind == Kind::kStatementError) {
        EXPECT_NE(std::string(e.what()).find(record.expected_error), std::string::npos)
            << where << ": the message\n  " << e.what() << "\ndoes not contain\n  "
            << record.expected_error;
        return;
      }
      ADD_FAILURE() << where << ": " << e.what() << "\n" << sql;
      return;
    }
    if (record.kind == Kind::kStatementError) {
      ADD_FAILURE() << where << ": the batch should have failed\n" << sql;
      return;
    }
    if (record.kind != Kind::kQuery) return;
    ASSERT_TRUE(result.rows) << where << ": the batch returned no row set";
    const ado::RowSet& rows = *result.rows;
    if (record.types != "*") {
      ASSERT_EQ(rows.columns.size(), record.types.size()) << where << ": column count";
    }
    std::vector<std::string> actual;
    for (std::size_t r = 0; r < rows.RowCount(); ++r) {
      std::string line;
      for (std::size_t c = 0; c < rows.columns.size(); ++c) {
        const oleaut::Variant& value = rows.values[r * rows.columns.size() + c];
        const char letter = record.types == "*" ? '?' : record.types[c];
        if (!value.IsNull() && letter != '?') {
          EXPECT_EQ(TypeLetter(value), letter)
              << where << ": row " << r + 1 << " column " << c + 1 << " is " << Render(value);
        }
        line += (c ? "\t" : "") + Render(value);
      }
      actual.push_back(line);
    }
    std::vector<std::string> expected = record.expected_rows;
    if (record.rowsort) {
      std::sort(actual.begin(), actual.end());
      std::sort(expected.begin(), expected.end());
    }
    EXPECT_EQ(actual, expected) << where << "\n" << sql;
  }

  tavtest::TempDir dir_;
  std::unique_ptr<ado::Provider> provider_;
};

TEST_P(SqlScriptTest, Runs) {
  const auto& [provider, script] = GetParam();
  const fs::path file = kScriptDir / (script + ".test");
  const fs::path database = dir_ / "script.db";
  provider_ = ado::OpenProvider(oleaut::FromUtf8(
      provider == "odbc"
          ? tavtest::NewSqliteOdbcDatabase(database)
          : "Provider=SQLite;Mode=ReadWriteCreate;Data Source=" + database.string()));
  for (const tavtest::SqlRecord& record : tavtest::ReadSqlScript(file)) {
    if (record.skip_if == provider || (!record.only_if.empty() && record.only_if != provider)) {
      continue;
    }
    Run(record, file.filename().string() + ":" + std::to_string(record.line));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, SqlScriptTest,
    ::testing::Combine(::testing::Values("embedded", "odbc"), ::testing::ValuesIn(ScriptNames())),
    [](const ::testing::TestParamInfo<std::tuple<std::string, std::string>>& script) {
      return std::get<0>(script.param) + "_" + std::get<1>(script.param);
    });

}  // namespace
