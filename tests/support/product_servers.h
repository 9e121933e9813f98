// This build's server libraries (the component and the outside components it creates by
// ProgID), for tests that activate them through a registry of their own.
#pragma once

#include <filesystem>
#include <string_view>

namespace tavtest {

// The server library `file_name` ("libTAVEBSBase.so") of this build.
std::filesystem::path ProductLibrary(std::string_view file_name);

// Registers the four server libraries in the registry the test has chosen (TAV_REGISTRY_FILE).
void RegisterProductServers();

}  // namespace tavtest
