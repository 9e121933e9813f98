#include "server_locator.h"

#include <system_error>

namespace tavprint {

std::optional<std::filesystem::path> FindServerLibrary(std::string_view file_name) {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  const std::filesystem::path folder = executable.parent_path();
  for (const std::filesystem::path& candidate :
       {folder / TAV_LIBDIR_FROM_BINDIR / file_name, folder.parent_path() / "lib" / file_name,
        folder.parent_path() / "lib64" / file_name, folder / file_name}) {
    if (std::filesystem::is_regular_file(candidate, error)) {
      return std::filesystem::weakly_canonical(candidate, error);
    }
  }
  return std::nullopt;
}

}  // namespace tavprint
