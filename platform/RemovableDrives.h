// The removable drives mounted now (a USB stick, a memory card), where the operator's screen
// offers backups and the day's report.
#pragma once

#include <string>
#include <vector>

namespace plat {

struct Drive {
  std::string name;  // what the operator sees: the mount point's last part, or "E:"
  std::string path;  // UTF-8
};

// Linux: the mount points under /media and /run/media that this user may write. Windows: the
// drives of the removable type. In the order the system lists them.
std::vector<Drive> MountedRemovableDrives();

}  // namespace plat
