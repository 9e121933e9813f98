// Finding the component's server library beside the tavprint executable, so that a fresh build
// works without a manual registration step.
#pragma once

#include <filesystem>
#include <optional>

namespace tavprint {

// libTAVMPrintExport.so in ../lib relative to the executable's folder (the build tree and the
// install layout alike), or in the executable's own folder.
std::optional<std::filesystem::path> FindServerLibrary();

}  // namespace tavprint
