#include "sql_script.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace tavtest {
namespace {

std::string Normalize(const std::string& line, std::size_t columns) {
  std::vector<std::string> values;
  if (columns == 1) {
    values.push_back(line);
  } else if (line.find('\t') != std::string::npos) {
    std::stringstream in(line);
    for (std::string value; std::getline(in, value, '\t');)
      values.push_back(value);
  } else {
    std::stringstream in(line);
    for (std::string value; in >> value;)
      values.push_back(value);
  }
  std::string joined;
  for (std::size_t i = 0; i < values.size(); ++i)
    joined += (i ? "\t" : "") + values[i];
  return joined;
}

}  // namespace

std::vector<SqlRecord> ReadSqlScript(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  std::vector<SqlRecord> records;
  std::string skip_if;
  std::string only_if;
  std::size_t i = 0;
  const auto fail = [&](const std::string& what) {
    throw std::runtime_error(file.string() + ":" + std::to_string(i + 1) + ": " + what);
  };
  while (i < lines.size()) {
    const std::string& head = lines[i];
    if (head.empty() || head[0] == '#') {
      ++i;
      continue;
    }
    SqlRecord record;
    record.line = static_cast<int>(i + 1);
    std::stringstream words(head);
    std::string word;
    words >> word;
    if (word == "skipif" || word == "onlyif") {
      words >> (word == "skipif" ? skip_if : only_if);
      ++i;
      continue;
    }
    record.skip_if = std::exchange(skip_if, {});
    record.only_if = std::exchange(only_if, {});
    if (word == "load") {
      record.kind = SqlRecord::Kind::kLoad;
      words >> record.sql;
      records.push_back(record);
      ++i;
      continue;
    }
    if (word == "statement") {
      words >> word;
      if (word == "ok") {
        record.kind = SqlRecord::Kind::kStatementOk;
      } else if (word == "error") {
        record.kind = SqlRecord::Kind::kStatementError;
        std::getline(words, record.expected_error);
        const std::size_t start = record.expected_error.find_first_not_of(' ');
        record.expected_error =
            start == std::string::npos ? std::string() : record.expected_error.substr(start);
      } else {
        fail("expected 'statement ok' or 'statement error'");
      }
    } else if (word == "query") {
      record.kind = SqlRecord::Kind::kQuery;
      words >> record.types;
      std::string option;
      if (words >> option) {
        if (option != "rowsort") fail("unknown query option " + option);
        record.rowsort = true;
      }
    } else {
      fail("expected statement, query or load");
    }
    ++i;
    std::string sql;
    while (i < lines.size() && !lines[i].empty() && lines[i] != "----") {
      if (!sql.empty()) sql += "\r\n";
      sql += lines[i++];
    }
    if (sql.empty()) fail("the record has no SQL");
    record.sql = sql;
    if (record.kind == SqlRecord::Kind::kQuery) {
      if (i >= lines.size() || lines[i] != "----") fail("a query needs ---- before its rows");
      ++i;
      while (i < lines.size() && !lines[i].empty()) {
        record.expected_rows.push_back(Normalize(lines[i++], record.types.size()));
      }
    }
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace tavtest
