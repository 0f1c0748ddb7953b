// Feeds arbitrary bytes to the record-file reader: it must never crash, and every value it cannot
// read keeps the value it had.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "store/DataFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  GameState state;
  state.bestDistance = 11.0;
  state.bestBounce = 22.0;
  state.challengerNumber = 33;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  ReadRecordFrom(in, state);
  // The game never writes nan or infinity; the reader never takes them in.
  if (!std::isfinite(state.bestDistance) || !std::isfinite(state.bestBounce)) std::abort();
  // What was read formats into the bounded record text.
  const std::string text = FormatRecordFile(state);
  if (text.empty()) std::abort();
  return 0;
}
