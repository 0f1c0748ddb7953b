// kavrel-ranking report: the day told from the play log, in the terminal and as a page to print.
// It only reads: it runs beside a running game, needs no lock and never puts a recovery copy back.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "upkeep/Output.h"

namespace ranking {

struct ReportRequest {
  std::optional<std::string> date;  // YYYY-MM-DD; nothing for today
  bool all = false;                 // every day in the log
  std::optional<std::filesystem::path> page;
  std::string pageAsTyped;  // for the messages, the same on every system
};

// The report of the data directory `dir`, which is the current directory.
int Report(Output& out, const ReportRequest& request, const std::filesystem::path& dir);

}  // namespace ranking
