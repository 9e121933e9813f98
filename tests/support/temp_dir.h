// Test helpers: a temporary directory removed at the end of the test, its files read back, and a
// scoped environment variable, so that every test runs against its own registry, catalog and
// database files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tavtest {

class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// All the bytes of `file` ("" when it cannot be read).
std::string ReadText(const std::filesystem::path& file);

// Sets an environment variable for the life of the object, then restores the old value.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::string& value);
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv();

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace tavtest
