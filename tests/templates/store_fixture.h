// A template store on a fresh database for each test: four users who reach it through their own
// data-source names (the administrator, 张伟, 李娜 and one with a long name), rows seeded directly,
// the tables read back directly, and the store's classes called late-bound as a client calls them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "com_values.h"
#include "database_test.h"
#include "frame/cls_print_setup_query.h"
#include "frame/cls_print_setup_update.h"
#include "platform/oleaut/clock.h"
#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace templates_test {

using oleaut::Bstr;
using oleaut::Variant;

inline constexpr std::int16_t kAdmin = 16394;
inline constexpr std::int16_t kZhang = 16395;
inline constexpr std::int16_t kLi = 16396;
inline constexpr std::int16_t kLong = 16397;  // a user whose name is 21 characters long
inline constexpr char16_t kZhangName[] = u"张伟";

using tavtest::AsDict;
using tavtest::AsList;
using tavtest::Bytes;
using tavtest::Row;

class StoreTest : public tavtest::DatabaseTest {
 protected:
  StoreTest();

  // The data-source name through which `user` (kAdmin, kZhang, kLi or kLong) reaches this test's
  // database.
  Bstr Dsn(std::int16_t user) const { return SourceName("u" + std::to_string(user)); }

  std::int32_t Count(std::u16string_view sql) const;

  // Seeding. Returns the new body's FId.
  std::int32_t AddBillBody(std::u16string_view name, std::int32_t type, std::u16string_view creator,
                           const oleaut::ByteArray& blob) const;
  std::int32_t AddReportBody(std::u16string_view name, std::int32_t rpt,
                             std::u16string_view creator, const oleaut::ByteArray& blob) const;
  // An assignment (or settings) row; `sub` absent stores Null.
  void AddBillRow(std::int32_t type, std::int32_t bill_id, std::int16_t user,
                  std::u16string_view name, std::optional<std::u16string> sub, int sel,
                  std::optional<std::u16string> data = u"") const;
  void AddReportRow(std::int32_t rpt, std::int32_t note_id, std::int16_t user,
                    std::u16string_view name, int sel,
                    std::optional<std::u16string> data = u"") const;

  // Every row of the four tables, for checking that a failed call changed nothing.
  std::vector<Row> Snapshot() const { return SnapshotOf(*RawConnection()); }
  static std::vector<Row> SnapshotOf(ado::Connection& connection);

  com::Ptr<frame::clsPrintSetupQuery> query_ = com::Make<frame::clsPrintSetupQuery>();
  com::Ptr<frame::clsPrintSetupUpdate> update_ = com::Make<frame::clsPrintSetupUpdate>();
};

// The store at a fixed moment, for tests that check the dates it writes.
class FixedClockStoreTest : public StoreTest {
 protected:
  static inline const oleaut::Date kNow = oleaut::Date::FromFields({2024, 5, 6, 7, 8, 9});
  static inline const oleaut::Date kToday = oleaut::Date::FromFields({2024, 5, 6});

  oleaut::ScopedFixedClock clock_{kNow};
};

// Whether `text` comes back whole from the database the tests use: the SQLite ODBC driver hands
// text over as C strings, which end at a NUL character (SQL Server's drivers do not).
bool TextKeepsNul(std::u16string_view text);

}  // namespace templates_test
