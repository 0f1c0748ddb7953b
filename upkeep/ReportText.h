// Text shared by the day's report in the terminal and on its page: names made safe to show, the
// columns text takes up, and the report's words in both languages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Language.h"
#include "platform/Utf8.h"
#include "upkeep/ReportFigures.h"

namespace ranking {

// Columns of a terminal that `utf8` takes: wide and full-width characters take two, as do the
// characters of ambiguous width that Shift-JIS holds when the operator reads Japanese (a Japanese
// console draws them wide).
size_t DisplayWidth(std::string_view utf8);

// `text` followed by spaces up to `width` columns.
std::string PadRight(const std::string& text, size_t width);
std::string PadLeft(const std::string& text, size_t width);

// The report's numbers: an average to one decimal, a median with .5 only when it has one.
std::string OneDecimal(double value);
std::string Median(double value);

// The report's title and the lines both forms share.
std::string ReportTitle(const ReportFigures& figures);
std::string PlaysLine(const ReportFigures& figures);
std::string BusiestHourLine(const ReportFigures& figures);
// The busiest hour alone ("11:00-11:59"), and its plays ("4 plays", summed over the days).
std::string BusiestHour(const ReportFigures& figures);
std::string BusiestHourPlays(const ReportFigures& figures);
std::string ChampionsLine(const ReportFigures& figures);
std::string NoPlaysLine(const ReportFigures& figures);
std::string SkippedLine(size_t skipped);
std::string CutShortLine(size_t cutShort);
std::string AverageLine(const ReportFigures& figures);
std::string BestDistanceLine(const ReportFigures& figures);
std::string BestBounceLine(const ReportFigures& figures);
std::string TopFiveLine(const ReportFigures& figures, const PlayRecord& play);
std::string RecordsLine(const ReportFigures& figures);
std::string PerHourTitle(const ReportFigures& figures);
std::string PrintedAtLine();
// The time of a pass: with its date when the report covers several days.
std::string WhenOf(const ReportFigures& figures, const PlayRecord& play);

// The report's words, by what they name.
enum class Word {
  Spread,
  SpreadAxis,
  HourAxis,
  PlaysAxis,
  DayBest,
  AllBest,
  Grades,
  Champion,
  Champions,
  AllChampion,
  AllChampions,
  Total,
  Grade,
  Name,
  Time,
  Place,
  Date,
  Plays,
  First,
  Last,
  Best,
  Days,
  TopFive,
  ChampionColumn,
  PlaysHeadline,
  BusiestHeadline
};
const char* Say(Word word);

}  // namespace ranking
