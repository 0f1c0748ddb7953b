#include "tools/ranking/ReportFigures.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>
#include <tuple>

namespace ranking {

ReportFigures FiguresOf(PlayLog log, const std::optional<std::string>& date) {
  ReportFigures figures;
  figures.date = date;
  figures.skipped = log.skipped;
  figures.cutShort = log.cutShort;
  if (!date) {
    figures.plays = std::move(log.plays);
  } else {
    for (Play& play : log.plays)
      if (std::string_view(play.date.data(), play.date.size()) == *date)
        figures.plays.push_back(std::move(play));
  }
  const std::vector<Play>& plays = figures.plays;

  std::array<int, 26> letters{};
  std::vector<int> totals;
  totals.reserve(plays.size());
  for (const Play& play : plays) {
    ++figures.perHour[(play.time[0] - '0') * 10 + (play.time[1] - '0')];
    ++letters[play.grade - 'A'];
    totals.push_back(play.total);
  }
  for (const char* g = kGameGrades; *g; ++g) figures.grades.push_back({*g, letters[*g - 'A']});
  for (char g = 'A'; g <= 'Z'; ++g)
    if (letters[g - 'A'] > 0 && !std::strchr(kGameGrades, g))
      figures.grades.push_back({g, letters[g - 'A']});
  if (plays.empty()) return figures;

  auto when = [&](size_t i) { return std::tie(plays[i].date, plays[i].time); };
  size_t first = 0, last = 0;
  for (size_t i = 1; i < plays.size(); ++i) {
    if (when(i) < when(first)) first = i;
    if (when(i) >= when(last)) last = i;
  }
  figures.firstDate = plays[first].Date();
  figures.firstTime = plays[first].Time();
  figures.lastDate = plays[last].Date();
  figures.lastTime = plays[last].Time();

  std::vector<size_t> order(plays.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return plays[a].total > plays[b].total; });
  order.resize(std::min<size_t>(order.size(), 10));
  figures.best = order;

  double sum = 0;
  for (const int total : totals) sum += total;
  figures.average = sum / static_cast<double>(totals.size());
  std::sort(totals.begin(), totals.end());
  const size_t middle = totals.size() / 2;
  figures.median = totals.size() % 2 == 1
                       ? totals[middle]
                       : (static_cast<double>(totals[middle - 1]) + totals[middle]) / 2;
  return figures;
}

}  // namespace ranking
