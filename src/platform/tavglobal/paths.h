// Where the platform keeps its files when nothing says otherwise, following the XDG base
// directories: configuration in ~/.config/tav, data (the demo database) in ~/.local/share/tav.
#pragma once

#include <filesystem>

namespace tavglobal {

// $XDG_CONFIG_HOME/tav, else $HOME/.config/tav.
std::filesystem::path ConfigDirectory();
// $TAV_DATA_DIR, else $XDG_DATA_HOME/tav, else $HOME/.local/share/tav.
std::filesystem::path DataDirectory();

}  // namespace tavglobal
