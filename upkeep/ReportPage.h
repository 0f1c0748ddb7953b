// The day's report as one page to print and pin up: self-contained HTML (no script, nothing
// fetched), the charts in inline SVG, the champion large at the top, sized for one A4 sheet.
#pragma once

#include <string>
#include <string_view>

#include "upkeep/ReportFigures.h"

namespace ranking {

// The page, with the booth's block (IncidentsBlock) after the poster's parts.
std::string ReportPage(const ReportFigures& figures, const std::string& boothBlock = "");

// `text` for HTML: & < > " ' as character references.
std::string Html(std::string_view text);

// Text shown on the page, as Html gives it, with no line broken inside a number and its unit or
// a date and its time, and control codes' pictures as boxed names that the page's fonts draw.
std::string PageText(std::string_view text);

}  // namespace ranking
