// The all-time standing beside the day's report: the records of kavrel.dat and the top five of
// kv_rank.dat as they are now, and which of the passes told that entered the top five still
// stand in it.
#pragma once

#include "game/GameState.h"
#include "upkeep/ReportFigures.h"

namespace ranking {

// Reads kavrel.dat and kv_rank.dat in the current directory into `figures`; a file that cannot be
// read is told in the figures' problem lines.
void AddStanding(ReportFigures& figures);

// The top five `table` into `figures`, and for each entry of the passes told whether the table
// still holds it (its name and total, each place matched once, the earliest entry first).
void AddTopFive(ReportFigures& figures, const RankingTable& table);

}  // namespace ranking
