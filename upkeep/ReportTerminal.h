// The day's report as lines for the terminal, within 80 columns.
#pragma once

#include <string>
#include <vector>

#include "upkeep/ReportFigures.h"

namespace ranking {

std::vector<std::string> TerminalReport(const ReportFigures& figures);

}  // namespace ranking
