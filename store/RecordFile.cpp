#include <sstream>

#include "store/DataFiles.h"
#include "store/TextScan.h"

void ReadRecordFrom(std::istream& in, GameState& state) {
  const std::string text = ReadAllBounded(in);
  TextScan scan(text);
  const std::optional<double> distance = scan.Double();
  if (!distance) return;
  state.bestDistance = *distance;
  const std::optional<double> bounce = scan.Double();
  if (!bounce) return;
  state.bestBounce = *bounce;
  const std::optional<int32_t> number = scan.Int();
  if (!number) return;
  state.challengerNumber = *number;
}

DataFileRead ReadRecordFile(GameState& state) {
  std::string text;
  const DataFileRead read = ReadDataFile(kRecordFileName, text);
  std::istringstream in(text);
  ReadRecordFrom(in, state);
  return read;
}

std::string FormatRecordFile(const GameState& state) {
  return FixedSix(state.bestDistance) + "\r\n" + FixedSix(state.bestBounce) + "\r\n" +
         std::to_string(state.challengerNumber) + "\r\n";
}
