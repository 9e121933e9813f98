// Writes small Jet (Access) database files: tables of Long, Integer, Double, Date/Time, Text,
// Memo and Yes/No columns, and their rows. It exists so that a local report database can be made
// on Linux for tests, the demo and users; the files read back with the platform's Jet provider and
// with mdbtools' own tools.
//
// What it does not write: indexes and primary keys, relationships, queries, properties (captions,
// defaults, "Required"), security (MSysACEs), and the other system tables Access keeps. Microsoft
// Access may want to repair such a file before it lets a user change it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/ado/jet/jet_format.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/variant.h"

namespace ado::jet {

enum class JetColumnType {
  kLong,      // 32-bit integer
  kInteger,   // 16-bit integer
  kDouble,    // 64-bit floating point
  kDateTime,  // an OLE date
  kText,      // up to 255 characters
  kMemo,      // long text
  kYesNo,     // Boolean; Jet cannot store Null in it (Null is stored as No)
};

struct JetColumnSpec {
  std::u16string name;
  JetColumnType type = JetColumnType::kText;
  int text_length = 255;  // characters, for kText (1..255)
};

struct JetTableSpec {
  std::u16string name;
  std::vector<JetColumnSpec> columns;
  // One Variant per column, in column order. Empty and Null store Null. Numbers go into number
  // columns (within range), texts into Text and Memo, Booleans and numbers into Yes/No, dates
  // (or ISO texts) into Date/Time; anything else is an error that names the table, row and
  // column.
  std::vector<std::vector<oleaut::Variant>> rows;
};

struct JetDatabaseSpec {
  JetVersion version = JetVersion::kJet4;
  std::vector<JetTableSpec> tables;
  // Stored as the database's and the tables' creation date; the current time when not given.
  std::optional<oleaut::Date> created;
};

enum class ExistingFile { kRefuse, kReplace };

// Writes the database to `path`, through a temporary file beside it, so that a failure leaves
// nothing (or the old file) behind. Raises a ComError that says what was wrong: a bad name or
// value, a text too long, a row or table definition too large for a page, an existing file
// (with kRefuse), a file that cannot be written.
void WriteJetDatabase(const std::filesystem::path& path, const JetDatabaseSpec& spec,
                      ExistingFile existing = ExistingFile::kRefuse);

}  // namespace ado::jet
