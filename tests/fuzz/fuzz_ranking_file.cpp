// Feeds arbitrary bytes to the ranking-file reader: it must never crash, it fills the entries in
// file order and leaves what it does not reach as it was, the saved file is five blocks of a score
// line and an eight-byte name line, and what it read writes back and reads back unchanged.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "store/DataFiles.h"

namespace {

RankingTable ReadWithStart(const std::string& bytes, int score, char fill) {
  RankingTable table;
  for (RankingEntry& entry : table) {
    entry.score = score;
    entry.name.fill(fill);
  }
  std::istringstream in(bytes);
  ReadRankingFrom(in, table);
  return table;
}

// The saved form: "<score>\r\n<eight bytes>\r\n" five times, and nothing else.
bool IsWellFormed(const std::string& text, const RankingTable& table) {
  size_t at = 0;
  for (const RankingEntry& entry : table) {
    const std::string score = std::to_string(entry.score) + "\r\n";
    if (text.compare(at, score.size(), score) != 0) return false;
    at += score.size();
    if (text.size() < at + 10 || text.compare(at, 8, entry.name.data(), 8) != 0) return false;
    if (text.compare(at + 8, 2, "\r\n") != 0) return false;
    at += 10;
  }
  return at == text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // Two reads from different start values: whatever differs was not read and kept its start value.
  const RankingTable a = ReadWithStart(bytes, 1234, '#');
  const RankingTable b = ReadWithStart(bytes, -5678, '@');
  bool earlierCut = false;  // once one place is not read, nothing after it is
  for (size_t i = 0; i < a.size(); ++i) {
    const bool scoreRead = a[i].score == b[i].score;
    if (!scoreRead && (a[i].score != 1234 || b[i].score != -5678)) std::abort();
    if (scoreRead && earlierCut) std::abort();
    for (size_t k = 0; k < 8; ++k) {
      const bool read = a[i].name[k] == b[i].name[k];
      if (!read && (a[i].name[k] != '#' || b[i].name[k] != '@')) std::abort();
      if (read && (earlierCut || !scoreRead)) std::abort();
      if (!read) earlierCut = true;
    }
    if (!scoreRead) earlierCut = true;
  }

  const std::string text = FormatRankingFile(a);
  if (!IsWellFormed(text, a)) std::abort();
  // A name may hold any bytes, line ends and spaces included: they come back unchanged.
  RankingTable again;
  std::istringstream back(text);
  ReadRankingFrom(back, again);
  for (size_t i = 0; i < a.size(); ++i) {
    if (again[i].score != a[i].score || again[i].name != a[i].name) std::abort();
  }
  return 0;
}
