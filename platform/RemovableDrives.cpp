#include "platform/RemovableDrives.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <fstream>
#include <sstream>
#endif

namespace plat {

#ifdef _WIN32

std::vector<Drive> MountedRemovableDrives() {
  std::vector<Drive> drives;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
    if (GetDriveTypeW(root) != DRIVE_REMOVABLE) continue;
    // A card reader's empty slot is listed too: only a drive with a volume in it is offered.
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) continue;
    const std::string letter = {static_cast<char>('A' + i), ':'};
    drives.push_back({letter, letter + "\\"});
  }
  return drives;
}

#else

namespace {

// /proc/self/mounts writes a space, a tab, a newline and a backslash as three octal digits.
std::string Unescaped(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

}  // namespace

std::vector<Drive> MountedRemovableDrives() {
  std::vector<Drive> drives;
  std::ifstream mounts("/proc/self/mounts");
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string device, point;
    if (!(fields >> device >> point)) continue;
    point = Unescaped(point);
    if (point.rfind("/media/", 0) != 0 && point.rfind("/run/media/", 0) != 0) continue;
    if (access(point.c_str(), W_OK) != 0) continue;
    drives.push_back({point.substr(point.find_last_of('/') + 1), point});
  }
  return drives;
}

#endif

}  // namespace plat
