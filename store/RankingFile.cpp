#include <sstream>

#include "store/DataFiles.h"
#include "store/TextScan.h"

void ReadRankingFrom(std::istream& in, RankingTable& table) {
  const std::string text = ReadAllBounded(in);
  TextScan scan(text);
  for (RankingEntry& entry : table) {
    const std::optional<int32_t> score = scan.Int();
    if (!score) return;
    entry.score = *score;
    scan.SkipLineEnd();
    // The name is the next eight bytes as they stand, leading spaces included; a name cut short
    // keeps its old letters in the places the file does not reach.
    for (char& code : entry.name) {
      const std::optional<char> byte = scan.Byte();
      if (!byte) return;
      code = *byte;
    }
  }
}

DataFileRead ReadRankingTable(GameState& state) {
  std::string text;
  const DataFileRead read = ReadDataFile(kRankingFileName, text);
  std::istringstream in(text);
  ReadRankingFrom(in, state.ranking);
  return read;
}

std::string FormatRankingFile(const RankingTable& table) {
  std::string out;
  for (const RankingEntry& entry : table) {
    out += std::to_string(entry.score) + "\r\n";
    out.append(entry.name.data(), entry.name.size());
    out += "\r\n";
  }
  return out;
}
