// Where the game keeps its data when it is started the usual way.
#pragma once

#include <optional>
#include <string>

namespace ranking {

// On Linux the launcher's data directory: $XDG_DATA_HOME/kavrel when that is an absolute path,
// else ~/.local/share/kavrel. On Windows the folder of this program, which is kavrel.exe's.
// UTF-8; nothing, with `error`, when there is no home directory to take it from.
std::optional<std::string> DefaultDataDirectory(std::string& error);

}  // namespace ranking
