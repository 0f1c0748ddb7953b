// Feeds arbitrary bytes to the ranking-file reader: it must never crash, names stay eight bytes,
// and what it read writes back in the file's own form.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "store/DataFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RankingTable table;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  ReadRankingFrom(in, table);
  const std::string text = FormatRankingFile(table);
  // Five blocks of a score line and an eight-byte name line.
  RankingTable again;
  std::istringstream back(text);
  ReadRankingFrom(back, again);
  for (size_t i = 0; i < table.size(); ++i) {
    if (again[i].score != table[i].score) std::abort();
    // A name read from a hand-edited file may hold bytes the reader treats as white space only at
    // the start of the next score, never inside a name: the eight bytes come back unchanged.
    if (again[i].name != table[i].name) std::abort();
  }
  return 0;
}
