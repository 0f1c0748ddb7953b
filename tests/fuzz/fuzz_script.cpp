// Feeds arbitrary text to the replay script parser: it either accepts the script or names one bad
// line, and never crashes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/replay/Replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  const auto script = ParseScript(std::string(reinterpret_cast<const char*>(data), size), error);
  if (!script && error.empty()) std::abort();
  if (script && !error.empty()) std::abort();
  if (error.find('\n') != std::string::npos) std::abort();
  return 0;
}
