// Feeds arbitrary bytes to the record-file reader: it must never crash, the values it takes are a
// prefix of the three in file order, every value it cannot read keeps the value it had, and what
// it read saves and reads back as itself.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "store/DataFiles.h"

namespace {

GameState ReadWithStart(const std::string& bytes, double distance, double bounce, int number) {
  GameState state;
  state.bestDistance = distance;
  state.bestBounce = bounce;
  state.challengerNumber = number;
  std::istringstream in(bytes);
  ReadRecordFrom(in, state);
  return state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // Read twice from different start values: a value that comes out different was not read, and
  // must then be exactly its start value in both runs.
  const GameState a = ReadWithStart(bytes, 11.0, 22.0, 33);
  const GameState b = ReadWithStart(bytes, -7.25, -8.5, -99);
  const bool distanceRead = a.bestDistance == b.bestDistance;
  const bool bounceRead = a.bestBounce == b.bestBounce;
  const bool numberRead = a.challengerNumber == b.challengerNumber;
  if (!distanceRead && (a.bestDistance != 11.0 || b.bestDistance != -7.25)) std::abort();
  if (!bounceRead && (a.bestBounce != 22.0 || b.bestBounce != -8.5)) std::abort();
  if (!numberRead && (a.challengerNumber != 33 || b.challengerNumber != -99)) std::abort();
  // Reading stops at the first value it cannot read.
  if ((bounceRead && !distanceRead) || (numberRead && !bounceRead)) std::abort();

  // The game never writes nan or infinity; the reader never takes them in.
  if (!std::isfinite(a.bestDistance) || !std::isfinite(a.bestBounce)) std::abort();

  // Saved and read back, the values are whole and stable: one more round changes nothing.
  const std::string text = FormatRecordFile(a);
  const GameState once = ReadWithStart(text, 1.0, 2.0, 3);
  if (once.challengerNumber != a.challengerNumber) std::abort();
  if (std::fabs(once.bestDistance - a.bestDistance) >
      6e-7 * std::fmax(1.0, std::fabs(a.bestDistance)))
    std::abort();
  if (std::fabs(once.bestBounce - a.bestBounce) > 6e-7 * std::fmax(1.0, std::fabs(a.bestBounce)))
    std::abort();
  const GameState twice = ReadWithStart(FormatRecordFile(once), 1.0, 2.0, 3);
  if (twice.bestDistance != once.bestDistance || twice.bestBounce != once.bestBounce) std::abort();
  return 0;
}
