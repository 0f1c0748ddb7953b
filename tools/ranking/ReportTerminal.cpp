#include "tools/ranking/ReportTerminal.h"

#include <algorithm>

#include "tools/ranking/ReportText.h"

namespace ranking {
namespace {

using plat::Say;

constexpr size_t kColumns = 80;
constexpr int kChartRows = 8;

// The hours from the first to the last with a pass, as a row of bars standing on a line, the
// hours under it and each hour's count under those when they fit.
void HourChart(const ReportFigures& figures, std::vector<std::string>& lines) {
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
  if (label + 2 + span * cell > kColumns) cell = 3, counts = label + 2 + span * cell <= kColumns;
  const int rows = std::min(most, kChartRows);
  lines.push_back(Say(kPerHourWord));
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
  lines.push_back(hourLine);
  if (counts) lines.push_back(countLine);
}

void BestTen(const ReportFigures& figures, std::vector<std::string>& lines) {
  lines.push_back(Say(figures.date ? kDayBestWord : kAllBestWord));
  size_t nameWidth = 0, totalWidth = 0;
  for (const size_t i : figures.best) {
    nameWidth = std::max(nameWidth, DisplayWidth(VisibleName(figures.plays[i].name)));
    totalWidth = std::max(totalWidth, std::to_string(figures.plays[i].total).size());
  }
  // A name longer than the line allows (only a hand-made log holds one) is left to run on.
  nameWidth = std::min<size_t>(nameWidth, 40);
  for (size_t place = 0; place < figures.best.size(); ++place) {
    const Play& play = figures.plays[figures.best[place]];
    lines.push_back(PadLeft(std::to_string(place + 1), 4) + "  " + WhenOf(figures, play) + "  " +
                    PadRight(VisibleName(play.name), nameWidth) + "  " +
                    PadLeft(std::to_string(play.total), totalWidth) + "  " + play.grade);
  }
}

// "S 1  A 2 ...", broken into lines within the terminal's width.
void Grades(const ReportFigures& figures, std::vector<std::string>& lines) {
  std::string line = std::string(Say(kGradesWord)) + ":";
  for (const GradeCount& grade : figures.grades) {
    const std::string item = std::string(1, grade.grade) + " " + std::to_string(grade.count);
    if (DisplayWidth(line) + 2 + item.size() > kColumns) {
      lines.push_back(line);
      line = " ";
    }
    line += "  " + item;
  }
  lines.push_back(line);
}

}  // namespace

std::vector<std::string> TerminalReport(const ReportFigures& figures) {
  std::vector<std::string> lines = {ReportTitle(figures)};
  if (figures.plays.empty()) {
    lines.push_back(NoPlaysLine(figures));
    if (figures.skipped > 0) lines.push_back(SkippedLine(figures.skipped));
    if (figures.cutShort > 0) lines.push_back(CutShortLine(figures.cutShort));
    return lines;
  }
  lines.push_back(PlaysLine(figures));
  if (figures.skipped > 0) lines.push_back(SkippedLine(figures.skipped));
  if (figures.cutShort > 0) lines.push_back(CutShortLine(figures.cutShort));
  lines.push_back("");
  HourChart(figures, lines);
  lines.push_back("");
  BestTen(figures, lines);
  lines.push_back("");
  lines.push_back(AverageLine(figures));
  Grades(figures, lines);
  return lines;
}

}  // namespace ranking
