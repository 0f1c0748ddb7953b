// Feeds arbitrary text to the replay script parser: it either accepts the script or names one bad
// line, never crashes, and hands over key and pad events in time order. The same text goes to the
// controllers' mapping reader, which names its bad lines in order and never crashes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Controls.h"
#include "tools/replay/Replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const plat::ControlsRead controls = plat::ParseControls(text);
  for (size_t i = 1; i < controls.badLines.size(); ++i) {
    if (controls.badLines[i] <= controls.badLines[i - 1]) std::abort();
  }
  std::string error;
  const auto script = ParseScript(text, error);
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
  for (size_t i = 1; i < script->pads.size(); ++i) {
    if (script->pads[i].time < script->pads[i - 1].time) std::abort();
  }
  return 0;
}
