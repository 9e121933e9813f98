#include "server/install_directory.h"

#include "platform/oleaut/text.h"
#include "typelib/library.h"

namespace server {

namespace {

oleaut::Bstr PathText(const std::filesystem::path& library) {
  return oleaut::FromUtf8(InstallDirectoryOf(library).string());
}

}  // namespace

std::filesystem::path InstallDirectoryOf(const std::filesystem::path& library) {
  const auto is_lib = [](const std::filesystem::path& folder) {
    return folder.filename() == "lib" || folder.filename() == "lib64";
  };
  std::filesystem::path folder = library.parent_path();
  // A multiarch library folder such as lib/x86_64-linux-gnu.
  if (!is_lib(folder) && is_lib(folder.parent_path())) folder = folder.parent_path();
  return is_lib(folder) ? folder.parent_path() : folder;
}

void RecordInstallDirectory(com::RegistryData& data, const std::filesystem::path& library) {
  if (data.GetValue(typelib::kProductKey, typelib::kInstallPathValue)) return;
  data.SetValue(typelib::kProductKey, typelib::kInstallPathValue, PathText(library));
}

void ForgetInstallDirectory(com::RegistryData& data, const std::filesystem::path& library) {
  if (data.GetValue(typelib::kProductKey, typelib::kInstallPathValue) == PathText(library)) {
    data.DeleteValue(typelib::kProductKey, typelib::kInstallPathValue);
  }
}

}  // namespace server
