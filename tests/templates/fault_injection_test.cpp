// The template writes under failing file operations, in the manner of SQLite's own I/O error
// tests: each write, sync and truncation that one member call makes fails in turn (once, and
// from then on), and afterwards the tables are as they were before the call or as a call without
// faults leaves them, never in between.
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <thread>

#include "faulty_vfs.h"
#include "odbc_driver.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "store_fixture.h"

namespace templates_test {
namespace {

constexpr std::int32_t kType = 57;
constexpr std::int32_t kCopiedType = 58;
constexpr std::int32_t kReport = 9;

struct WriteCall {
  const char* label;
  std::function<void(const Bstr& dsn)> run;
};

struct Outcome {
  std::vector<Row> tables;
  bool succeeded = false;
  bool fired = false;
  int operations = 0;
};

class FaultInjectionTest : public StoreTest {
 protected:
  FaultInjectionTest() {
    const std::int32_t mine = AddBillBody(u"mine", kType, kZhangName, Bytes("m"));
    AddBillRow(kType, mine, kZhang, u"mine", u"", 1);
    const std::int32_t standard = AddBillBody(u"std", kType, u"Manager", Bytes("s"));
    AddBillRow(kType, standard, kAdmin, u"std", u"", 1);
    AddBillRow(kType, 0, kAdmin, u"存放页面设置信息", std::nullopt, 0, u"PaperSize=9");
    const std::int32_t copied = AddBillBody(u"copied", kCopiedType, u"Manager", Bytes("c"));
    AddBillRow(kCopiedType, copied, kAdmin, u"copied", u"", 1);
    ExecNative("PRAGMA wal_checkpoint(TRUNCATE)");  // the whole database in its main file
    std::filesystem::copy_file(DatabasePath(), seed_);
  }

  // Runs `call` as 张伟 on a fresh copy of the seeded database, the `nth` file operation failing.
  Outcome Run(const WriteCall& call, int nth, bool persistent) {
    const std::filesystem::path file = folder_ / ("copy-" + std::to_string(++copies_) + ".db");
    std::filesystem::copy_file(seed_, file);
    const Bstr dsn = u"Provider=SQLite;Data Source=" + oleaut::FromUtf8(file.string());
    Outcome outcome;
    // A thread of its own, whose context and connection end with it.
    std::thread([&] {
      FaultyVfs::Arm(nth, persistent);
      try {
        call.run(dsn);
        outcome.succeeded = true;
      } catch (const oleaut::ComError&) {  // NOLINT(bugprone-empty-catch): the tables tell
      }
      outcome.operations = FaultyVfs::Disarm();
      outcome.fired = FaultyVfs::Fired();
    }).join();
    {
      auto check = com::Make<ado::Connection>();
      check->Open(dsn);
      outcome.tables = SnapshotOf(*check);
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
      std::filesystem::remove(file.string() + suffix);
    }
    return outcome;
  }

  FaultyVfs vfs_;  // for the connections the calls open; the fixture's own are opened before
  std::filesystem::path folder_ = DatabasePath().parent_path();
  std::filesystem::path seed_ = folder_ / "seed.db";
  int copies_ = 0;
  tavtest::ScopedEnv user_{"TAV_USER_ID", "16395"};
  tavtest::ScopedEnv clock_{"TAV_FIXED_NOW", "2024-05-06 07:08:09"};
};

TEST_F(FaultInjectionTest, AFailingFileOperationLeavesTheTablesAsBeforeOrAsAfter) {
  // The calls name the embedded provider themselves: a run through ODBC would repeat this one.
  if (tavtest::TestsUseOdbc()) GTEST_SKIP();
  auto update = [](const char16_t* member, auto... args) {
    return [=](const Bstr& dsn) {
      com::Make<frame::clsPrintSetupUpdate>()->Call(member, dsn, args...);
    };
  };
  const oleaut::ByteArray body(6000, 0xA5);  // a few pages
  auto save_new_bill = [&](const Bstr& dsn) {
    com::Make<frame::clsPrintSetupUpdate>()->Call(
        u"SaveNewBill", dsn, kType, tavtest::Dict({{u"fNoteName", u"std"}, {u"FNoteBlob", body}}));
  };
  auto select = [](const Bstr& dsn) {
    const auto item = tavtest::Dict({{u"FKey", u"57|2"}, {u"FName", u"std"}, {u"FSel", 1}});
    const auto modi = tavtest::Dict(
        {{u"Option", u"PaperSize=8"}, {u"Data", Variant(tavtest::List({Variant(item)}))}});
    com::Make<frame::clsPrintSetupUpdate>()->Call(u"UpdateUserNoteData", dsn, kType, modi);
  };
  const WriteCall calls[] = {
      {"InsertNoteRow of a new name", update(u"InsertNoteRow", kType, Bstr(u"new"), body)},
      {"InsertNoteRow of a saved name", update(u"InsertNoteRow", kType, Bstr(u"mine"), body)},
      {"InsertRptNoteRow", update(u"InsertRptNoteRow", kReport, Bstr(u"report"), body)},
      {"SaveNewBill", save_new_bill},
      {"UpdateNoteRow", update(u"UpdateNoteRow", kType, body, Bstr())},
      {"DeleteNoteRow", update(u"DeleteNoteRow", kType, 1)},
      {"UpdateUserNoteData", select},
      {"SavePageAndPrintSet", update(u"SavePageAndPrintSet", kType, body)},
      {"GetNoteInfo copying the administrator's templates",
       [](const Bstr& dsn) {
         com::Make<frame::clsPrintSetupQuery>()->Call(u"GetNoteInfo", dsn, kCopiedType);
       }},
  };
  const std::vector<Row> before = Run({"nothing", [](const Bstr&) {}}, 0, false).tables;
  for (const WriteCall& call : calls) {
    SCOPED_TRACE(call.label);
    const Outcome clean = Run(call, std::numeric_limits<int>::max(), false);
    ASSERT_TRUE(clean.succeeded);
    ASSERT_NE(clean.tables, before);
    ASSERT_GT(clean.operations, 0);
    int failed_calls = 0;
    for (const bool persistent : {false, true}) {
      for (int nth = 1; nth <= clean.operations; ++nth) {
        SCOPED_TRACE((persistent ? "from operation " : "operation ") + std::to_string(nth));
        const Outcome faulty = Run(call, nth, persistent);
        EXPECT_TRUE(faulty.fired);
        if (faulty.succeeded) {
          EXPECT_EQ(faulty.tables, clean.tables);
        } else {
          ++failed_calls;
          EXPECT_TRUE(faulty.tables == before || faulty.tables == clean.tables);
        }
      }
    }
    EXPECT_GT(failed_calls, 0);
  }
}

}  // namespace
}  // namespace templates_test
