#include "platform/tavglobal/paths.h"

#include <cstdlib>

namespace tavglobal {

namespace {

std::filesystem::path FromEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path Home() {
  auto home = FromEnv("HOME");
  return home.empty() ? std::filesystem::temp_directory_path() : home;
}

}  // namespace

std::filesystem::path ConfigDirectory() {
  auto base = FromEnv("XDG_CONFIG_HOME");
  return (base.empty() ? Home() / ".config" : base) / "tav";
}

std::filesystem::path DataDirectory() {
  if (auto explicit_dir = FromEnv("TAV_DATA_DIR"); !explicit_dir.empty()) return explicit_dir;
  auto base = FromEnv("XDG_DATA_HOME");
  return (base.empty() ? Home() / ".local" / "share" : base) / "tav";
}

}  // namespace tavglobal
