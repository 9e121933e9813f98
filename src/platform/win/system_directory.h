// The system directory, the stand-in for Windows' GetSystemDirectory: the folder below which the
// product keeps machine-wide files (the local report database lives in its "TAVCom" folder).
//
// It is the environment variable TAV_SYSTEM_DIR when that is set and not empty; otherwise
// $XDG_DATA_HOME/tav/system, and without an absolute XDG_DATA_HOME, ~/.local/share/tav/system.
// The directory is not created: a missing one behaves like a system directory without the files.
#pragma once

#include <filesystem>

namespace win {

// The system directory, without a trailing separator; empty only when neither TAV_SYSTEM_DIR nor
// a home directory is known (GetSystemDirectory's failure).
std::filesystem::path SystemDirectory();

}  // namespace win
