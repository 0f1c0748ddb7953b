#include "upkeep/ReportFigures.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <numeric>
#include <string_view>
#include <tuple>

namespace ranking {
namespace {

std::string_view DateOf(const LogDate& date) {
  return {date.data(), date.size()};
}

// Each day's plays, first and last pass, best total and champions, oldest day first.
std::vector<DayFigures> DayTable(const std::vector<PlayRecord>& plays) {
  std::map<std::string_view, DayFigures> days;
  for (const PlayRecord& play : plays) {
    DayFigures& day = days[DateOf(play.date)];
    const std::string time = play.Time();
    if (day.plays == 0 || play.total > day.best) {
      day.best = play.total;
      day.champions = {play.name};
    } else if (play.total == day.best) {
      day.champions.push_back(play.name);
    }
    if (day.plays == 0 || time < day.firstTime) day.firstTime = time;
    if (day.plays == 0 || time > day.lastTime) day.lastTime = time;
    ++day.plays;
  }
  std::vector<DayFigures> table;
  for (auto& [date, day] : days) {
    day.date = std::string(date);
    table.push_back(std::move(day));
  }
  return table;
}

}  // namespace

std::string SpelledName(const std::string& name) {
  const size_t end = name.find_last_not_of('_');
  return end == std::string::npos ? name : name.substr(0, end + 1);
}

ReportFigures FiguresOf(PlayRecords log, const std::optional<std::string>& date) {
  ReportFigures figures;
  figures.date = date;
  for (const LogDate& day : log.skipped) figures.skipped += !date || DateOf(day) == *date;
  for (const LogDate& day : log.cutShort) figures.cutShort += !date || DateOf(day) == *date;
  if (!date) {
    figures.plays = std::move(log.plays);
  } else {
    for (PlayRecord& play : log.plays) {
      // The records as they stood when the day ended: every pass up to it counts.
      if (DateOf(play.date) <= *date) {
        figures.dayEndDistance =
            std::max(figures.dayEndDistance.value_or(play.distance), play.distance);
        figures.dayEndBounce = std::max(figures.dayEndBounce.value_or(play.bounce), play.bounce);
      }
      if (DateOf(play.date) == *date) {
        figures.plays.push_back(std::move(play));
      } else if (DateOf(play.date) < *date && play.Date() > figures.lastDayWithPlays) {
        figures.lastDayWithPlays = play.Date();
      }
    }
  }
  const std::vector<PlayRecord>& plays = figures.plays;

  std::array<int, 26> letters{};
  std::vector<int> totals;
  totals.reserve(plays.size());
  for (const PlayRecord& play : plays) {
    ++figures.perHour[(play.time[0] - '0') * 10 + (play.time[1] - '0')];
    ++letters[play.grade - 'A'];
    totals.push_back(play.total);
  }
  for (const char* g = kGameGrades; *g; ++g) figures.grades.push_back({*g, letters[*g - 'A']});
  for (char g = 'A'; g <= 'Z'; ++g)
    if (letters[g - 'A'] > 0 && !std::strchr(kGameGrades, g))
      figures.grades.push_back({g, letters[g - 'A']});
  if (plays.empty()) return figures;

  figures.dayTable = DayTable(plays);
  figures.days = figures.dayTable.size();
  if (date) figures.dayTable.clear();

  auto when = [&](size_t i) { return std::tie(plays[i].date, plays[i].time); };
  size_t first = 0, last = 0;
  double bestDistance = plays[0].distance, bestBounce = plays[0].bounce;
  for (size_t i = 1; i < plays.size(); ++i) {
    if (when(i) < when(first)) first = i;
    if (when(i) >= when(last)) last = i;
    bestDistance = std::max(bestDistance, plays[i].distance);
    bestBounce = std::max(bestBounce, plays[i].bounce);
  }
  for (size_t i = 0; i < plays.size(); ++i) {
    if (plays[i].distance == bestDistance) figures.distanceHolders.push_back(i);
    if (plays[i].bounce == bestBounce) figures.bounceHolders.push_back(i);
  }
  figures.firstDate = plays[first].Date();
  figures.firstTime = plays[first].Time();
  figures.lastDate = plays[last].Date();
  figures.lastTime = plays[last].Time();
  for (size_t i = 0; i < plays.size(); ++i)
    if (plays[i].place > 0) figures.enteredTopFive.push_back(i);

  std::vector<size_t> order(plays.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return plays[a].total > plays[b].total; });
  for (const size_t i : order) {
    if (plays[i].total != plays[order[0]].total) break;
    figures.champions.push_back(i);
  }
  std::sort(figures.champions.begin(), figures.champions.end());
  order.resize(std::min<size_t>(order.size(), 10));
  figures.best = order;
  for (size_t k = 0; k < order.size(); ++k)
    figures.places.push_back(k > 0 && plays[order[k]].total == plays[order[k - 1]].total
                                 ? figures.places.back()
                                 : static_cast<int>(k + 1));

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
