#include "platform/com/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>

#include "com_error_of.h"
#include "platform/com/hresult.h"
#include "platform/oleaut/com_error.h"
#include "temp_dir.h"

namespace {

using com::Registry;
using com::RegistryData;
using com::RegistryKey;
using oleaut::Bstr;
using oleaut::ComError;

using tavtest::ReadText;

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file) << text;
}

class RegistryTest : public ::testing::Test {
 protected:
  tavtest::TempDir dir_;
  Registry registry_{dir_ / "sub" / "registry.json"};
};

TEST_F(RegistryTest, ValuesPersistAndKeysAndNamesIgnoreCase) {
  EXPECT_EQ(registry_.GetValue(u"HKLM\\SOFTWARE\\MERIDAN\\TAVPRODUCT", u"Path"), std::nullopt);
  registry_.SetValue(u"HKLM\\SOFTWARE\\MERIDAN\\TAVPRODUCT", u"Path", u"/opt/tav");
  registry_.SetValue(u"HKEY_LOCAL_MACHINE\\software\\Meridan\\TAVProduct\\", u"", u"default");

  const Registry again(registry_.File());
  EXPECT_EQ(again.GetValue(u"hkey_local_machine\\SOFTWARE\\MERIDAN\\TAVPRODUCT", u"PATH"),
            Bstr(u"/opt/tav"));
  EXPECT_EQ(again.GetValue(u"HKLM\\SOFTWARE\\MERIDAN\\TAVPRODUCT", u""), Bstr(u"default"));
  EXPECT_NE(ReadText(registry_.File())
                .find("\"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\MERIDAN\\\\TAVPRODUCT\""),
            std::string::npos);

  const RegistryKey key = RegistryKey::Open(again, u"HKLM\\Software");
  EXPECT_EQ(key.SubKeyNames(), std::vector<Bstr>{u"MERIDAN"});
  EXPECT_EQ(key.OpenSubKey(u"meridan\\tavproduct").GetValue(u"path"), Bstr(u"/opt/tav"));
  const ComError missing =
      tavtest::ErrorOf([&] { RegistryKey::Open(again, u"HKLM\\Software\\Nobody"); });
  EXPECT_EQ(missing.Number(), com::REGDB_E_KEYMISSING);
}

TEST_F(RegistryTest, DeletingRemovesExactlyTheValueOrTreeAndEmptyParents) {
  registry_.Update([](RegistryData& data) {
    data.SetValue(u"HKCR\\CLSID\\{A}\\InprocServer32", u"", u"/lib/a.so");
    data.SetValue(u"HKCR\\CLSID\\{A}\\InprocServer32", u"ThreadingModel", u"Apartment");
    data.SetValue(u"HKCR\\CLSID\\{A}", u"", u"A");
    data.SetValue(u"HKCR\\CLSID\\{B}", u"", u"B");
  });
  registry_.DeleteValue(u"HKCR\\CLSID\\{A}\\InprocServer32", u"");
  RegistryData data = registry_.Read();
  EXPECT_EQ(data.ValueNames(u"HKCR\\CLSID\\{A}\\InprocServer32"),
            std::vector<Bstr>{u"ThreadingModel"});

  registry_.Update([](RegistryData& d) {
    d.DeleteValue(u"HKCR\\CLSID\\{A}\\InprocServer32", u"ThreadingModel");
    d.DeleteValue(u"HKCR\\CLSID\\{A}", u"");
  });
  data = registry_.Read();
  EXPECT_FALSE(data.KeyExists(u"HKCR\\CLSID\\{A}"));
  EXPECT_EQ(data.GetValue(u"HKCR\\CLSID\\{B}", u""), Bstr(u"B"));

  registry_.DeleteKey(u"HKCR\\CLSID");
  EXPECT_FALSE(registry_.Read().KeyExists(u"HKCR\\CLSID\\{B}"));
}

TEST_F(RegistryTest, BadKeyPathsAreRefused) {
  for (std::u16string_view key : {u"SOFTWARE\\MERIDAN", u"HKLM\\\\x", u""}) {
    EXPECT_NE(
        oleaut::ToUtf8(tavtest::ErrorOf([&] { registry_.SetValue(key, u"v", u"1"); }).Description())
            .find("registry key"),
        std::string::npos)
        << oleaut::ToUtf8(key);
  }
}

TEST_F(RegistryTest, ACorruptFileNamesItselfAndTheFaultAndIsNeverOverwritten) {
  std::filesystem::create_directories(registry_.File().parent_path());
  const std::pair<const char*, const char*> cases[] = {
      {"{\"HKEY_CLASSES_ROOT\\\\X\": {\"\": \"a\"", "parse error"},
      {"[1, 2]", "not a JSON object"},
      {"{\"HKEY_CLASSES_ROOT\\\\X\": 5}", "does not hold an object"},
      {"{\"HKEY_CLASSES_ROOT\\\\X\": {\"v\": 5}}", "is not text"},
      {"{\"NOWHERE\\\\X\": {}}", "root"},
  };
  for (const auto& [text, fault] : cases) {
    SCOPED_TRACE(text);
    WriteText(registry_.File(), text);
    for (const auto& attempt :
         {std::function<void()>([&] { registry_.Read(); }),
          std::function<void()>([&] { registry_.SetValue(u"HKCR\\Y", u"", u"1"); })}) {
      const ComError error = tavtest::ErrorOf(attempt);
      EXPECT_EQ(error.Number(), com::HRESULT_ERROR_BADDB);
      const std::string description = oleaut::ToUtf8(error.Description());
      EXPECT_NE(description.find(registry_.File().string()), std::string::npos) << description;
      EXPECT_NE(description.find(fault), std::string::npos) << description;
    }
    EXPECT_EQ(ReadText(registry_.File()), text);
  }
}

TEST_F(RegistryTest, ConcurrentWritersFromSeveralProcessesLoseNothing) {
  constexpr int kProcesses = 4;
  constexpr int kValues = 15;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int status = 0;
      try {
        for (int v = 0; v < kValues; ++v) {
          registry_.SetValue(u"HKCU\\Test\\P" + oleaut::FromUtf8(std::to_string(p)),
                             oleaut::FromUtf8(std::to_string(v)), u"x");
        }
      } catch (...) {
        status = 1;
      }
      _exit(status);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const RegistryData data = registry_.Read();
  for (int p = 0; p < kProcesses; ++p) {
    EXPECT_EQ(data.ValueNames(u"HKCU\\Test\\P" + oleaut::FromUtf8(std::to_string(p))).size(),
              static_cast<std::size_t>(kValues));
  }
  // Only the file and its lock remain: no temporary file is left behind.
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator(registry_.File().parent_path())) {
    ++files;
  }
  EXPECT_EQ(files, 2U);
}

// A symbolic link is followed to the file it names, which is written, and stays a link. What is
// no regular file is refused with an error that names it, and a FIFO never makes anyone wait.
TEST_F(RegistryTest, LinksAreFollowedAndWhatIsNoRegularFileIsRefused) {
  const std::filesystem::path dir = dir_.Path();
  WriteText(dir / "real.json", "{}");
  std::filesystem::create_symlink("real.json", dir / "link.json");
  std::filesystem::create_symlink("later.json", dir / "dangling.json");
  for (const char* link : {"link.json", "dangling.json"}) {
    Registry(dir / link).SetValue(u"HKCU\\A", u"v", u"1");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / link)) << link;
    EXPECT_EQ(Registry(dir / link).GetValue(u"HKCU\\A", u"v"), Bstr(u"1")) << link;
  }
  EXPECT_NE(ReadText(dir / "real.json").find("HKEY_CURRENT_USER"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "later.json"));

  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  for (const std::filesystem::path& odd : {dir / "fifo", std::filesystem::path("/dev/null"), dir}) {
    SCOPED_TRACE(odd.string());
    const Registry registry(odd);
    const std::string expected = odd.string() + " is not a regular file but " +
                                 (odd == dir           ? "a directory"
                                  : odd == "/dev/null" ? "a character device"
                                                       : "a FIFO");
    EXPECT_EQ(oleaut::ToUtf8(tavtest::ErrorOf([&] { registry.Read(); }).Description()), expected);
    EXPECT_EQ(oleaut::ToUtf8(tavtest::ErrorOf([&] {
                               registry.SetValue(u"HKCR\\Y", u"", u"1");
                             }).Description()),
              expected);
  }
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo"));
}

TEST_F(RegistryTest, AWriterWaitsForAnothersLockNoLongerThanItsTimeout) {
  std::filesystem::create_directories(registry_.File().parent_path());
  const std::string lock_path = registry_.File().string() + ".lock";
  const int held = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  const Registry impatient(registry_.File(), std::chrono::milliseconds(50));
  EXPECT_EQ(oleaut::ToUtf8(tavtest::ErrorOf([&] {
                             impatient.SetValue(u"HKCU\\A", u"v", u"1");
                           }).Description()),
            "Another process has held the lock " + lock_path +
                " for longer than 50 ms; try again when it has finished");
  close(held);
  impatient.SetValue(u"HKCU\\A", u"v", u"1");
  EXPECT_EQ(registry_.GetValue(u"HKCU\\A", u"v"), Bstr(u"1"));
}

TEST(RegistryLocation, FollowsTheEnvironment) {
  {
    const tavtest::ScopedEnv file("TAV_REGISTRY_FILE", "/tmp/x/reg.json");
    EXPECT_EQ(Registry::DefaultFile(), "/tmp/x/reg.json");
  }
  const tavtest::ScopedEnv no_file("TAV_REGISTRY_FILE", "");
  {
    const tavtest::ScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/cfg");
    EXPECT_EQ(Registry::DefaultFile(), "/tmp/cfg/tav/registry.json");
  }
  const tavtest::ScopedEnv no_xdg("XDG_CONFIG_HOME", "");
  const tavtest::ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(Registry::DefaultFile(), "/home/someone/.config/tav/registry.json");
}

}  // namespace
