// How long the recovery copies take between two visitors: both copies and the pass's log line
// written the way the game writes them after a pass (one file: temporary file, write, flush, sync,
// rename, directory sync; then the line appended to the play log and synced), in the directory
// given, many times. Prints the median and the longest in milliseconds.
//
//   copy_probe DIR [COUNT]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/GameState.h"
#include "store/PlayLog.h"
#include "store/Recovery.h"

int main(int argc, char** argv) {
  if (argc < 2 || chdir(argv[1]) != 0) {
    std::fprintf(stderr, "usage: copy_probe DIR [COUNT]\n");
    return 2;
  }
  const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  GameState state;
  state.bestDistance = 1234.5;
  state.bestBounce = 876.25;
  RecoveryCopies copies;
  PlayLog log;
  std::vector<StartUpNotice> notices;
  GameState read;
  copies.RestoreAndRead(read, notices);
  std::vector<double> ms;
  for (int i = 0; i < count; ++i) {
    state.challengerNumber = i;
    const auto start = std::chrono::steady_clock::now();
    copies.Write(state, log,
                 "2026-12-08,14:03:05,+09:00," + std::to_string(i) +
                     ",1234.500000,876.250000,42,C,KAVREL__,\r\n");
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
  }
  // The probe's copies go as a quit's would, without the data files being written.
  DataFilesSave both;
  both.record.saved = both.ranking.saved = true;
  copies.RemoveSaved(both);
  std::sort(ms.begin(), ms.end());
  std::printf("recovery copies: median %.2f ms, longest %.2f ms over %d passes\n",
              ms[ms.size() / 2], ms.back(), count);
  return 0;
}
