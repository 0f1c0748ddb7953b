// The booth's incidents in the day's report, from kv_booth.log: the game falling over (a crash or
// a hang), its restarts, the supervisor giving up and the boxes that answered themselves. One
// line in the terminal and a small table on the page; nothing on a day without a booth's log.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/BoothLog.h"

namespace ranking {

struct Incidents {
  bool logFound = false;
  std::vector<BoothLine> lines;  // the day's (or every day's) incidents, in the log's order
  int falls = 0, restarts = 0, givenUp = 0, boxes = 0;
  int ends = 0;  // orderly ends: a booth that stood dark after one shows it
};

// The incidents of kv_booth.log's `bytes` on `date` (YYYY-MM-DD), or of every day.
Incidents IncidentsOf(std::string_view bytes, const std::optional<std::string>& date);

// The terminal's line (and one more when the supervisor gave up), within 80 columns; none when
// there is no booth's log.
std::vector<std::string> IncidentsLines(const Incidents& incidents);

// `page` with the incidents' table before its end; unchanged when there is nothing to show.
std::string WithIncidents(std::string page, const Incidents& incidents);

}  // namespace ranking
