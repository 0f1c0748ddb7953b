#include "upkeep/ReportTerminal.h"

#include <algorithm>

#include "upkeep/ReportText.h"
#include "upkeep/ReportWrap.h"
#include "upkeep/Text.h"

namespace ranking {
namespace {

constexpr size_t kColumns = 80;
constexpr int kChartRows = 8;

using Lines = std::vector<std::string>;

// Plays, busiest hour and champions first: what the operator asks before anything else.
void Headline(const ReportFigures& figures, Lines& lines) {
  lines.push_back(PlaysLine(figures));
  lines.push_back(BusiestHourLine(figures));
  lines.push_back(ChampionsLine(figures));
  if (figures.skipped > 0) lines.push_back(SkippedLine(figures.skipped));
  if (figures.cutShort > 0) lines.push_back(CutShortLine(figures.cutShort));
}

// The hours from the first to the last with a pass, as a row of bars standing on a line, the
// hours under it and each hour's count under those when they fit.
void HourChart(const ReportFigures& figures, Lines& lines) {
  const std::array<int, 24>& hours = figures.perHour;
  int first = 0, last = 23;
  while (hours[first] == 0) ++first;
  while (hours[last] == 0) --last;
  const int most = *std::max_element(hours.begin(), hours.end());
  const std::string top = std::to_string(most);
  const size_t label = top.size();
  const size_t span = last - first + 1;
  size_t cell = std::max<size_t>(3, top.size() + 1);
  bool counts = true;
  // Narrower cells where the hours would not fit; then the counts only where a space parts them.
  if (label + 2 + span * cell > kColumns)
    cell = 3, counts = label + 2 + span * cell <= kColumns && top.size() < cell;
  const int rows = std::min(most, kChartRows);
  lines.push_back(PerHourTitle(figures));
  lines.push_back(Say(Word::PlaysAxis));
  for (int row = rows; row >= 1; --row) {
    std::string line = PadLeft(row == rows ? top : "", label) + " |";
    for (int h = first; h <= last; ++h) {
      // A bar is as many rows high as its share of the busiest hour, at least one for a pass.
      const int height = (hours[h] * rows + most - 1) / most;
      line += std::string(cell - 1, ' ') + (height >= row ? "#" : " ");
    }
    while (line.back() == ' ') line.pop_back();
    lines.push_back(line);
  }
  lines.push_back(PadLeft("0", label) + " +" + std::string(span * cell, '-'));
  std::string hourLine(label + 2, ' '), countLine(label + 2, ' ');
  for (int h = first; h <= last; ++h) {
    hourLine += PadLeft(std::to_string(h), cell);
    countLine += PadLeft(std::to_string(hours[h]), cell);
  }
  lines.push_back(hourLine + "  " + Say(Word::HourAxis));
  if (counts) lines.push_back(countLine);
}

// Rows of cells, each column as wide as its widest cell; numbers stand right under their header.
void Table(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right,
           Lines& lines) {
  std::vector<size_t> widths(right.size(), 0);
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c)
      line += (c == 0 ? "" : "  ") + (right[c] ? PadLeft(row[c], widths[c])
                                               : PadRight(row[c], std::min<size_t>(widths[c], 40)));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
  }
}

void DayTable(const ReportFigures& figures, Lines& lines) {
  if (figures.dayTable.empty()) return;
  lines.push_back(Say(Word::Days));
  std::vector<std::vector<std::string>> rows = {{Say(Word::Date), Say(Word::Plays),
                                                 Say(Word::First), Say(Word::Last), Say(Word::Best),
                                                 Say(Word::ChampionColumn)}};
  for (const DayFigures& day : figures.dayTable)
    rows.push_back({day.date, std::to_string(day.plays), day.firstTime, day.lastTime,
                    std::to_string(day.best), DayChampions(day)});
  Table(rows, {false, true, false, false, true, false}, lines);
}

void BestTen(const ReportFigures& figures, Lines& lines) {
  lines.push_back(Say(figures.date ? Word::DayBest : Word::AllBest));
  std::vector<std::vector<std::string>> rows = {
      {Say(Word::Place), Say(Word::Time), Say(Word::Name), Say(Word::Total), Say(Word::Grade)}};
  for (size_t k = 0; k < figures.best.size(); ++k) {
    const PlayRecord& play = figures.plays[figures.best[k]];
    rows.push_back({std::to_string(figures.places[k]), WhenOf(figures, play),
                    ShownName(play.name, kNameColumns), std::to_string(play.total),
                    std::string(1, play.grade)});
  }
  Table(rows, {true, false, false, true, false}, lines);
}

void Bests(const ReportFigures& figures, Lines& lines) {
  lines.push_back(BestDistanceLine(figures));
  lines.push_back(BestBounceLine(figures));
  for (const std::string& line : RecordsLines(figures)) lines.push_back(line);
}

// The top five as it stands, then the passes told that entered it.
void TopFive(const ReportFigures& figures, Lines& lines) {
  if (figures.topFive) {
    lines.push_back(Say(Word::TopFiveNow));
    Rows rows = {{Say(Word::Place), Say(Word::Name), Say(Word::Total)}};
    for (auto& row : TopFiveRows(figures)) rows.push_back(std::move(row));
    Table(rows, {true, false, true}, lines);
  } else {
    lines.push_back(figures.topFiveProblem);
  }
  if (figures.enteredTopFive.empty()) return;
  lines.push_back("");
  lines.push_back(Say(Word::TopFive));
  Rows rows = {{Say(Word::Time), Say(Word::Name), Say(Word::Total), Say(Word::PlaceThen),
                figures.topFive ? Say(Word::Now) : ""}};
  for (auto& row : EntryRows(figures, figures.enteredTopFive.size()))
    rows.push_back(std::move(row));
  Table(rows, {false, false, true, true, false}, lines);
}

// The grades as a table of two rows, letters over their counts.
void Grades(const ReportFigures& figures, Lines& lines) {
  lines.push_back(AverageLine(figures));
  lines.push_back(std::string(Say(Word::Grades)) + ":");
  std::vector<std::string> letters, counts;
  std::vector<bool> right;
  for (const GradeCount& grade : figures.grades) {
    letters.push_back(std::string(1, grade.grade));
    counts.push_back(std::to_string(grade.count));
    right.push_back(true);
  }
  Table({letters, counts}, right, lines);
}

// The report's parts, in order, a blank line between them.
using Section = void (*)(const ReportFigures&, Lines&);
constexpr Section kSections[] = {Headline, HourChart, DayTable, BestTen, Bests, TopFive, Grades};

}  // namespace

std::vector<std::string> TerminalReport(const ReportFigures& figures) {
  Lines lines = {ReportTitle(figures)};
  if (figures.plays.empty()) {
    lines.push_back(NoPlaysLine(figures));
    if (figures.skipped > 0) lines.push_back(SkippedLine(figures.skipped));
    if (figures.cutShort > 0) lines.push_back(CutShortLine(figures.cutShort));
    Lines fitted;
    for (const std::string& line : lines)
      for (std::string& part : Wrapped(line)) fitted.push_back(std::move(part));
    return fitted;
  }
  for (const Section section : kSections) {
    const size_t before = lines.size();
    section(figures, lines);
    if (lines.size() > before && section != kSections[std::size(kSections) - 1])
      lines.push_back("");
  }
  if (lines.back().empty()) lines.pop_back();
  Lines fitted;
  for (const std::string& line : lines)
    for (std::string& part : Wrapped(line)) fitted.push_back(std::move(part));
  return fitted;
}

}  // namespace ranking
