#include "platform/win/system_directory.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace win {
namespace {

std::filesystem::path HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && *found->pw_dir != '\0') {
    return found->pw_dir;
  }
  return {};
}

}  // namespace

std::filesystem::path SystemDirectory() {
  if (const char* dir = std::getenv("TAV_SYSTEM_DIR"); dir != nullptr && *dir != '\0') {
    std::filesystem::path path = std::filesystem::path(dir).lexically_normal();
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();  // "a/b/"
    return path;
  }
  // XDG_DATA_HOME counts only when absolute (the XDG base directory rules).
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    return std::filesystem::path(data) / "tav" / "system";
  }
  const std::filesystem::path home = HomeDirectory();
  if (home.empty()) return {};
  return home / ".local" / "share" / "tav" / "system";
}

}  // namespace win
