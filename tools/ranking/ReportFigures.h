// The figures of the day's report, from the passes of the play log: shared by the terminal form
// and the printable page, so that both tell the same day.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "store/PlayLogFormat.h"

namespace ranking {

struct GradeCount {
  char grade;
  int count;
};

// One day of the log, for the report of every day.
struct DayFigures {
  std::string date;
  int plays = 0;
  std::string firstTime, lastTime;
  int best = 0;           // the best total
  std::string champions;  // the names with that total, in the log's order, joined by " / "
};

struct ReportFigures {
  std::optional<std::string> date;                       // the day told; nothing for the whole log
  std::vector<PlayRecord> plays;                         // that day's passes, in the log's order
  size_t skipped = 0;                                    // lines not read of the days told
  size_t cutShort = 0;                                   // passes cut short of the days told
  std::string firstDate, firstTime, lastDate, lastTime;  // the earliest and the latest pass
  std::array<int, 24> perHour{};  // passes in each hour, by local time, summed over the days
  size_t days = 0;                // days with plays among those told
  std::vector<size_t> best;  // up to ten of `plays`, highest total first; equal totals in order
  std::vector<int> places;   // each of `best`'s place: equal totals share one (1, 2, 2, 4)
  std::vector<size_t> champions;            // every pass with the best total, in the log's order
  size_t bestDistance = 0, bestBounce = 0;  // the passes with the best of each
  std::vector<size_t> enteredTopFive;       // the day's passes that reached the all-time top five
  double average = 0, median = 0;
  std::vector<GradeCount> grades;    // every grade of the game, best first, then any other letter
  std::vector<DayFigures> dayTable;  // for every day: each day, oldest first
  std::string lastDayWithPlays;      // for a day without plays: the latest day before it with some
  // The all-time records of kavrel.dat, when it could be read.
  std::optional<double> recordDistance, recordBounce;
  bool recordAbsent = false;  // no kavrel.dat yet: not damage, a game never quit with Q
};

// The figures of the passes on `date` (YYYY-MM-DD), or of every pass in the log.
ReportFigures FiguresOf(PlayRecords log, const std::optional<std::string>& date);

// Grades of the game, from the best: S for 100 and above, A to J for the tens, K below zero.
inline constexpr const char* kGameGrades = "SABCDEFGHIJK";

// The name as the player spelled it, without the padding that fills it to eight letters.
std::string SpelledName(const std::string& name);

}  // namespace ranking
