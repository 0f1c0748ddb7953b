// Text shared by the day's report in the terminal and on its page: names made safe to show, the
// columns text takes up, and the report's words in both languages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// Widest a name or a number is shown, in columns: the game's names take 8 letters, at most 16
// columns; a hand-edited log may hold anything, which is cut with an ellipsis.
inline constexpr size_t kNameColumns = 16;
inline constexpr size_t kNumberColumns = 16;
// Holders of a best named before "and N others": in the terminal, and on the page, which has
// less room.
inline constexpr size_t kHoldersShown = 3;
inline constexpr size_t kHoldersOnPage = 1;

// `text` cut to `columns` with "…" at its end when it is wider.
std::string Cut(const std::string& text, size_t columns);
// A player's name as spelled, made safe to show, cut to `columns`.
std::string ShownName(const std::string& name, size_t columns);

// The count and its English noun, after the one rule for plurals: "1 play", "2 plays", "1 pass",
// "2 passes" (`many` where the plural is not the noun and an s).
std::string Counted(size_t n, const char* one, const char* many = nullptr);
// "and 3 others"; "ほか 3 人".
std::string Others(size_t n);
// `items` joined as a list in the operator's language, then `others`, what is not shown ("and 2
// others"), when there is any.
std::string Listed(const std::vector<std::string>& items, const std::string& others);

// The report's numbers: an average to one decimal, a median with .5 only when it has one.
std::string OneDecimal(double value);
std::string Median(double value);

// The report's title and the lines both forms share.
std::string ReportTitle(const ReportFigures& figures);
std::string PlaysLine(const ReportFigures& figures);
std::string BusiestHourLine(const ReportFigures& figures);
// The busiest hours (every hour with the most plays, earliest first), up to `shown` of them
// ("11:00-11:59"), and the plays of each ("4 plays", summed over the days).
std::vector<int> BusiestHours(const ReportFigures& figures);
std::string BusiestHour(const ReportFigures& figures, size_t shown = 24);
std::string BusiestHourPlays(const ReportFigures& figures);
std::string ChampionsLine(const ReportFigures& figures);
// A day's champions for the table of days: up to three, then "and N others".
std::string DayChampions(const DayFigures& day);
std::string NoPlaysLine(const ReportFigures& figures);
std::string SkippedLine(size_t skipped);
std::string CutShortLine(size_t cutShort);
std::string AverageLine(const ReportFigures& figures);
// The day's best distance and bounce score with up to `shown` of their holders.
std::string BestDistanceLine(const ReportFigures& figures, size_t shown = kHoldersShown);
std::string BestBounceLine(const ReportFigures& figures, size_t shown = kHoldersShown);
// The holders of a best (`holders`, of figures.plays), their times, past `shown` counted.
std::string Holders(const ReportFigures& figures, const std::vector<size_t>& holders, size_t shown);
// Rows of cells for the report's tables.
using Rows = std::vector<std::vector<std::string>>;
// The top five as it stands: place, name, total (none when kv_rank.dat could not be read).
Rows TopFiveRows(const ReportFigures& figures);
// Up to `shown` of the passes told that entered the top five, in time order (those that still
// stand first, then the latest): time, name, total, place then and whether it still stands
// (blank when kv_rank.dat could not be read).
Rows EntryRows(const ReportFigures& figures, size_t shown);
// The records in the log up to the day told, and the all-time records now.
std::vector<std::string> RecordsLines(const ReportFigures& figures);
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
  BusiestHeadline,
  BusiestHours,
  TopFiveNow,
  PlaceThen,
  Now,
  StillIn,
  PushedOut
};
const char* Say(Word word);

}  // namespace ranking
