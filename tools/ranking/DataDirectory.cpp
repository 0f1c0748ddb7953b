#include "tools/ranking/DataDirectory.h"

#include <cstdlib>

#include "platform/Language.h"
#ifdef _WIN32
#include "platform/win/WinHost.h"
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace ranking {

std::optional<std::string> DefaultDataDirectory(std::string& error) {
#ifdef _WIN32
  const std::string dir = plat::win::ExecutableDirectory();
  if (!dir.empty()) return dir;
  error = plat::Say({"このプログラムのフォルダが分かりません。--data-dir で指定してください。",
                     "The folder of this program is unknown; give one with --data-dir."});
  return std::nullopt;
#else
  // The same rules as the launcher's.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/kavrel";
  const char* home = std::getenv("HOME");
  if (!home || !home[0]) {
    const passwd* user = getpwuid(getuid());
    if (!user || !user->pw_dir) {
      error = plat::Say({"ホームフォルダがありません。--data-dir で指定してください。",
                         "There is no home directory; give the data folder with --data-dir."});
      return std::nullopt;
    }
    home = user->pw_dir;
  }
  return std::string(home) + "/.local/share/kavrel";
#endif
}

}  // namespace ranking
