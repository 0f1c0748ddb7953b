// The figures of the day's report, from the passes of the play log: shared by the terminal form
// and the printable page, so that both tell the same day.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tools/ranking/PlayLog.h"

namespace ranking {

struct GradeCount {
  char grade;
  int count;
};

struct ReportFigures {
  std::optional<std::string> date;  // the day told; nothing for the whole log
  std::vector<Play> plays;          // that day's passes, in the log's order
  size_t skipped = 0;               // lines of the log and side file not read (every day's)
  size_t cutShort = 0;              // passes cut short by the session's end (every day's)
  std::string firstDate, firstTime, lastDate, lastTime;  // the earliest and the latest pass
  std::array<int, 24> perHour{};                         // passes in each hour, by local time
  std::vector<size_t> best;  // up to ten of `plays`, highest total first; equal totals in order
  double average = 0, median = 0;
  std::vector<GradeCount> grades;  // every grade of the game, best first, then any other letter
};

// The figures of the passes on `date` (YYYY-MM-DD), or of every pass in the log.
ReportFigures FiguresOf(PlayLog log, const std::optional<std::string>& date);

// Grades of the game, from the best: S for 100 and above, A to J for the tens, K below zero.
inline constexpr const char* kGameGrades = "SABCDEFGHIJK";

}  // namespace ranking
