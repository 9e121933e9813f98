// The product's install directory, which the component's registration records in the registry
// value "Path" under HKEY_LOCAL_MACHINE\SOFTWARE\MERIDAN\TAVPRODUCT (TAV_GetSysDirectory reads
// it), as the product's installer does on Windows.
#pragma once

#include <filesystem>

#include "platform/com/registry.h"

namespace server {

// The folder above the library's lib (or lib64, or a multiarch folder under one of them such as
// lib/x86_64-linux-gnu), else the library's own folder: the prefix of an installation, or the
// build folder of a build tree.
std::filesystem::path InstallDirectoryOf(const std::filesystem::path& library);

// Writes "Path" when it is not there yet: an install directory someone recorded stays.
void RecordInstallDirectory(com::RegistryData& data, const std::filesystem::path& library);
// Removes "Path" when it still holds what RecordInstallDirectory would write for `library`.
void ForgetInstallDirectory(com::RegistryData& data, const std::filesystem::path& library);

}  // namespace server
