// Feeds arbitrary text to the replay script parser: it either accepts the script or names one bad
// line, never crashes, and hands over key events in time order.
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
  if (!script) {
    if (error.rfind("script line ", 0) != 0) std::abort();
    return 0;
  }
  for (size_t i = 1; i < script->keys.size(); ++i) {
    if (script->keys[i].time < script->keys[i - 1].time) std::abort();
  }
  return 0;
}
