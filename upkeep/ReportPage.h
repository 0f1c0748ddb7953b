// The day's report as one page to print and pin up: self-contained HTML (no script, nothing
// fetched), the charts in inline SVG, the champion large at the top, sized for one A4 sheet.
#pragma once

#include <string>
#include <string_view>

#include "upkeep/ReportFigures.h"

namespace ranking {

std::string ReportPage(const ReportFigures& figures);

// `text` for HTML: & < > " ' as character references.
std::string Html(std::string_view text);

}  // namespace ranking
