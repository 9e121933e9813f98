// tavprint used as an unfriendly or unlucky user would: acting as another user, files that are
// not what they seem, files that cannot be written, deletes of what is not there, and JSON
// arguments of awkward shapes. Each says what went wrong and exits non-zero, or does what it
// says.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tavprint_fixture.h"

namespace {

using tavtest::Outcome;
using tavtest::ReadText;
using tavtest::TavprintTest;
using testing::AnyOf;
using testing::HasSubstr;
using testing::Not;

class TavprintFaultsTest : public TavprintTest {
 protected:
  void SetUp() override {
    std::ofstream(dir_ / "body.bin", std::ios::binary) << std::string("\0\1\2body\xff", 8);
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0644), 0);
  }

  // The demo's administrator bodies, as a fingerprint: id, creator and size of each.
  std::string AdministratorBodies() {
    return Tavprint(
               "sql demo \"SELECT FId, FCreatorName, datalength(FData) AS FBytes FROM "
               "T_ExcelPrintExportNote WHERE FCreatorName = 'Manager' ORDER BY FId\"")
        .out;
  }
};

TEST_F(TavprintFaultsTest, AUserIdComesWithItsOwnNameFromTheUserTable) {
  const std::string before = AdministratorBodies();
  ASSERT_THAT(before, HasSubstr("(5 rows)"));
  const Outcome saved =
      Tavprint("--user-id 16395 templates save 21 \"销售出库单(标准格式)\" body.bin");
  EXPECT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(AdministratorBodies(), before);  // the administrator's bodies are not touched
  const Outcome mine = Tavprint(
      "sql demo \"SELECT FCreatorName, FModifierName FROM T_ExcelPrintExportNote WHERE "
      "FNewBillType = 21 AND FCreatorName <> 'Manager'\"");
  EXPECT_THAT(mine.out, HasSubstr("张伟         | 张伟"));

  ExpectSaid({
      {"--user-id 16399 templates delete 21 3", 1,
       "Data source 'demo': user id 16399 is not in the application's user table t_User"},
      {"--user-id 16395 --user-name Manager templates delete 21 3", 1,
       "user id 16395 is '张伟' in the user table t_User, not 'Manager'"},
      {"--user-name Nobody templates delete 21 3", 1, "no user is named 'Nobody'"},
  });
  EXPECT_EQ(AdministratorBodies(), before);
}

// A FIFO, a device or a directory where a file is expected is refused with an error that names
// it, and never makes tavprint wait; a symbolic link is followed to the file it names.
TEST_F(TavprintFaultsTest, WhatIsNoRegularFileIsRefusedAndLinksAreFollowed) {
  std::filesystem::create_directories(dir_ / "odd");
  ASSERT_EQ(mkfifo((dir_ / "odd" / "demo.db").c_str(), 0644), 0);
  const std::string fifo = (dir_ / "fifo").string();
  // `timeout` only keeps a failure from hanging the suite.
  ExpectSaid({
      {"templates save 21 x fifo", 1, "fifo is not a regular file but a FIFO", "timeout 20"},
      {"call clsPrintSetupQuery.GetNotePrintData '\"demo\"' 1 --out /dev/null", 1,
       "/dev/null is not a regular file but a character device", "timeout 20"},
      {"templates export 1 odd", 1, "odd is not a regular file but a directory", "timeout 20"},
      {"call clsGetData.TransMode", 1, fifo + " is not a regular file but a FIFO",
       "TAV_REGISTRY_FILE=" + fifo + " timeout 20"},
      {"sql finance \"SELECT 1\"", 1,
       "Data-source catalog '" + fifo + "': " + fifo + " is not a regular file but a FIFO",
       "TAV_CATALOG=" + fifo + " timeout 20"},
      {"sql demo \"SELECT 1\"", 1,
       (dir_ / "odd" / "demo.db").string() + " is not a regular file but a FIFO",
       "TAV_DATA_DIR=" + (dir_ / "odd").string() + " timeout 20"},
  });
  EXPECT_TRUE(std::filesystem::is_fifo(dir_ / "fifo"));

  std::filesystem::create_symlink("real.bin", dir_ / "link.bin");
  const Outcome exported = Tavprint("templates export 1 link.bin");
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "link.bin"));
  EXPECT_GT(std::filesystem::file_size(dir_ / "real.bin"), 0U);
}

// A write that fails is an error, not "Exported"; a log that cannot be written is said once.
TEST_F(TavprintFaultsTest, FailedWritesAreReportedNeverSuccess) {
  // A body larger than the file-size limit, which leaves the database its room (its shared
  // memory file is 32 KiB) but makes the export's write fail (SIGXFSZ ignored: write says EFBIG).
  std::ofstream(dir_ / "big.bin", std::ios::binary) << std::string(256 * 1024, 'x');
  const Outcome saved = Tavprint("templates save 77 big big.bin");
  ASSERT_EQ(saved.status, 0) << saved.err;
  const std::string id = saved.out.substr(15, saved.out.find(' ', 15) - 15);  // "Saved template N"
  ASSERT_EQ(Tavprint("templates select 77 " + id).status, 0);
  const std::string limited = "trap \"\" XFSZ; ulimit -f 128; \"$TAVPRINT\" ";
  for (const std::string& command :
       {std::string("templates export 77 out.bin"),
        std::string("call clsPrintSetupQuery.GetNotePrintData '\"demo\"' 77 --out out.bin")}) {
    SCOPED_TRACE(command);
    const Outcome run = Shell(limited + command);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("Cannot write out.bin: File too large"));
    EXPECT_THAT(run.out, Not(HasSubstr("Exported")));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.bin"));
  }

  const Outcome traced = Tavprint("--trace-sql nowhere/trace.log templates list 1");
  EXPECT_EQ(traced.status, 0) << traced.err;
  EXPECT_EQ(traced.err,
            "warning: the SQL trace is not written: Cannot write nowhere/trace.log: No such file "
            "or directory\n");
}

// Every file tavprint writes goes through the checked regular-file writer: a device that cannot
// be written and a FIFO are each refused with an error that names them, without waiting.
TEST_F(TavprintFaultsTest, EveryOutputFileRefusesADeviceAndAFifo) {
  std::ofstream(dir_ / "rows.toml") << "[[T_RepNotePrintSql]]\nftrantypeid = 21\n";
  const std::string outputs[] = {
      "picture t_ICItem FSmallPhoto FItemID 1 TARGET",
      "picture t_ICItem FSmallPhoto FItemID 1 TARGET --json",
      "templates export 1 TARGET",
      "call clsPrintSetupQuery.GetNotePrintData '\"demo\"' 1 --out TARGET",
      "bill fill 1 1001 --csv TARGET",
      "create-db TARGET",
      "report-db create TARGET --from rows.toml",
      "report-db create TARGET --from rows.toml --replace",
  };
  for (const auto& [target, kind] : {std::pair{std::string("/dev/full"), "character device"},
                                     std::pair{(dir_ / "fifo").string(), "FIFO"}}) {
    for (std::string command : outputs) {
      command.replace(command.find("TARGET"), 6, target);
      SCOPED_TRACE(command);
      const Outcome run = Tavprint(command, "timeout 20");
      EXPECT_EQ(run.status, 1) << run.out;
      EXPECT_THAT(run.err, HasSubstr(target + " is not a regular file but a " + kind));
      EXPECT_THAT(run.out,
                  Not(AnyOf(HasSubstr("Wrote"), HasSubstr("Exported"), HasSubstr("Created"))));
    }
    const Outcome traced = Tavprint("--trace-sql " + target + " bill list 1", "timeout 20");
    EXPECT_EQ(traced.status, 0) << traced.err;
    EXPECT_EQ(traced.err, "warning: the SQL trace is not written: " + target +
                              " is not a regular file but a " + kind + "\n");
  }
  EXPECT_TRUE(std::filesystem::is_fifo(dir_ / "fifo"));
}

TEST_F(TavprintFaultsTest, DeleteSaysWhatWasAndWasNotDeleted) {
  ExpectSaid({
      {"templates delete 1 999", 1, "there is no template 999 of bill type 1: nothing was deleted"},
      // 李娜's first list copies the administrator's templates: body 1 stays the administrator's.
      {"--user-id 16396 templates list 1", 0, "Templates of bill type 1"},
      {"--user-id 16396 templates delete 1 1", 1,
       "nothing was deleted of template 1 of bill type 1: the body stays: it was created by "
       "Manager, not by you, and you have no assignment rows to it"},
      {"templates delete 1 1", 0,
       "Deleted template 1 of bill type 1: its body and 1 of your assignment rows"},
  });
}

TEST_F(TavprintFaultsTest, JsonArgumentsKeepTheirShape) {
  // An array is one VDL.List argument: here the second of two, which is no Long.
  const Outcome list = Tavprint("call clsGetData.GetBillTypeInfo '\"demo\"' '[1,2]'");
  EXPECT_EQ(list.status, 1);
  EXPECT_THAT(list.err, HasSubstr("in argument 2 pBillTranType (Long)"));

  const std::string deep = std::string(20000, '[') + std::string(20000, ']');
  const Outcome nested = Tavprint("call clsGetData.GetBillTypeInfo '\"demo\"' '" + deep + "'");
  EXPECT_EQ(nested.status, 1);  // an error, not a crash
  EXPECT_THAT(nested.err, HasSubstr("Argument 2 is nested deeper than 64 levels"));
}

}  // namespace
