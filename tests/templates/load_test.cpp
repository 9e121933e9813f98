// Eight processes saving and reading templates at once, as eight users of one database would:
// every save is found again, and every body reads back byte for byte, in the process that saved
// it and afterwards.
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "frame/cls_get_data.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "store_fixture.h"

namespace templates_test {
namespace {

constexpr std::int32_t kType = 61;
constexpr int kProcesses = 8;
constexpr int kSaves = 50;  // per process: 400 saves in all
constexpr int kNames = 5;   // per process: later saves replace the bodies of earlier ones

// A body of its own for each save: a length from 1 to 20000 bytes and every byte value.
oleaut::ByteArray BodyOf(int process, int save) {
  std::uint32_t state = static_cast<std::uint32_t>(process * 7919 + save * 104729 + 1);
  const auto next = [&state] {
    state = state * 1664525U + 1013904223U;
    return state >> 8;
  };
  oleaut::ByteArray body(1 + next() % 20000);
  for (auto& byte : body)
    byte = static_cast<std::uint8_t>(next());
  return body;
}

Bstr NameOf(int process, int slot) {
  return oleaut::FromUtf8("load " + std::to_string(process) + "/" + std::to_string(slot));
}

class LoadTest : public StoreTest {
 protected:
  // What one process does; the text of the first fault it met, or "".
  std::string SaveAndReadBack(int process) {
    const std::int16_t users[] = {kAdmin, kZhang, kLi, kLong};
    const Bstr dsn = Dsn(users[process % 4]);
    const auto data = com::Make<frame::clsGetData>();
    for (int save = 0; save < kSaves; ++save) {
      const oleaut::ByteArray body = BodyOf(process, save);
      const std::int32_t id = oleaut::ToLong(
          AsList(update_->Call(u"InsertNoteRow", dsn, kType, NameOf(process, save % kNames), body))
              ->Item(1));
      const auto rows =
          data->Call(u"ExecuteSQL", dsn,
                     u"SELECT FData FROM T_ExcelPrintExportNote WHERE FId=" + oleaut::ToString(id))
              .AsObjectOf<ado::Recordset>();
      if (rows->Eof() || rows->Fields()->Item(0)->Value() != Variant(body)) {
        return "save " + std::to_string(save) + " did not read back as saved";
      }
    }
    return "";
  }
};

TEST_F(LoadTest, EightProcessesSaveAndReadTemplatesAndLoseNoByte) {
  const std::filesystem::path report = DatabasePath().parent_path() / "failures.txt";
  std::vector<pid_t> children;
  for (int process = 0; process < kProcesses; ++process) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      std::string failure;
      try {
        failure = SaveAndReadBack(process);
      } catch (const std::exception& e) {
        failure = e.what();
      }
      if (!failure.empty()) {
        std::ofstream(report, std::ios::app) << "process " << process << ": " << failure << '\n';
      }
      _exit(failure.empty() ? 0 : 1);  // nothing of the parent's is torn down in the child
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_FALSE(std::filesystem::exists(report)) << std::ifstream(report).rdbuf();

  // One body per process and name, holding the last body saved under it.
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExportNote"), kProcesses * kNames);
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExport"), kProcesses * kSaves);
  for (int process = 0; process < kProcesses; ++process) {
    for (int slot = 0; slot < kNames; ++slot) {
      const int last = slot + (kSaves - 1 - slot) / kNames * kNames;
      EXPECT_EQ(Rows(u"SELECT FData FROM T_ExcelPrintExportNote WHERE FName = N'" +
                     NameOf(process, slot) + u"'"),
                (std::vector<Row>{{Variant(BodyOf(process, last))}}))
          << "process " << process << ", name " << slot;
    }
  }
}

}  // namespace
}  // namespace templates_test
