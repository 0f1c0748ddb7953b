// The booth's block of the day's report, from kv_booth.log: the incidents (the game falling over,
// a crash or a hang; its restarts; the supervisor giving up; boxes that answered themselves) and,
// apart from them, the operator's changes. Counts and the last few of each group in the terminal
// and on the page, so that the page of a busy day still fits one sheet; nothing on a day without
// a booth's log, and a log that cannot be read is told.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/BoothLog.h"

namespace ranking {

// The groups the block tells, in its order; one more kind of event is one more row in the
// report's table of kinds (ReportIncidents.cpp), in one of these groups or a new one.
enum class BoothGroup { Incidents, Changes };
inline constexpr BoothGroup kBoothGroups[] = {BoothGroup::Incidents, BoothGroup::Changes};

struct Incidents {
  bool logFound = false;
  std::string problem;           // why kv_booth.log could not be read, in the operator's words
  std::vector<BoothLine> lines;  // the events told of the day (or every day), in the log's order
  int falls = 0, restarts = 0, givenUp = 0, boxes = 0, changes = 0;
  int ends = 0;  // orderly ends: a booth that stood dark after one shows it
};

// The events of kv_booth.log's `bytes` on `date` (YYYY-MM-DD), or of every day.
Incidents IncidentsOf(std::string_view bytes, const std::optional<std::string>& date);
// kv_booth.log in the current directory: nothing when it is not there, its problem when it
// cannot be read.
Incidents ReadIncidents(const std::optional<std::string>& date);

// The group an event is told in; none for the events the report leaves out (starts, orderly
// ends).
std::optional<BoothGroup> GroupOf(BoothEvent event);

// The terminal's lines (the log's problem, the incidents, the operator's changes); none when there
// is no booth's log.
std::vector<std::string> IncidentsLines(const Incidents& incidents);

// The page's block: a heading with its counts and the last rows of each group, kept whole on a
// sheet; empty when there is nothing to show.
std::string IncidentsBlock(const Incidents& incidents);

// Rows of each group shown before "and N more".
inline constexpr size_t kLastShown = 3;

}  // namespace ranking
