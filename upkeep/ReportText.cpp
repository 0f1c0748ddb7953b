#include "upkeep/ReportText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/LocalTime.h"
#include "platform/Utf8.h"
#include "store/TextScan.h"
#include "upkeep/Commands.h"
#include "upkeep/Text.h"

namespace ranking {
namespace {

using plat::Say;

struct Range {
  char32_t first, last;
};

constexpr Range kWide[] = {
    {0x1100, 0x115F}, {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF}, {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x3FFFD},
};

// The characters of ambiguous width that code page 932 holds (Greek, Cyrillic, signs, box
// drawing, shapes), and the replacement character.
constexpr Range kAmbiguous[] = {
    {0x00A7, 0x00A8}, {0x00B0, 0x00B1}, {0x00B4, 0x00B4}, {0x00B6, 0x00B6}, {0x00D7, 0x00D7},
    {0x00F7, 0x00F7}, {0x0391, 0x03C9}, {0x0401, 0x0451}, {0x2010, 0x203B}, {0x2103, 0x2103},
    {0x2116, 0x2116}, {0x2121, 0x2121}, {0x212B, 0x212B}, {0x2160, 0x2179}, {0x2190, 0x21D4},
    {0x2200, 0x22BF}, {0x2312, 0x2312}, {0x2460, 0x24FF}, {0x2500, 0x257F}, {0x25A0, 0x25EF},
    {0x2605, 0x2606}, {0x2640, 0x2642}, {0x266A, 0x266F}, {0xFFFD, 0xFFFD},
};

template <size_t N>
bool In(const Range (&ranges)[N], char32_t c) {
  for (const Range& range : ranges)
    if (c >= range.first && c <= range.last) return true;
  return false;
}

}  // namespace

std::string Counted(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many ? many : std::string(one) + "s");
}

std::string Others(size_t n) {
  return Fill(Say({"ほか {} 人", ("and " + Counted(n, "other")).c_str()}), {std::to_string(n)});
}

std::string Cut(const std::string& text, size_t columns) {
  if (DisplayWidth(text) <= columns) return text;
  const std::string ellipsis = "\xE2\x80\xA6";  // …
  const size_t room = columns - std::min(columns, DisplayWidth(ellipsis));
  std::string out;
  size_t width = 0;
  for (size_t at = 0; at < text.size();) {
    size_t length = 0;
    DecodeUtf8(text, at, length);
    const size_t next = width + DisplayWidth(std::string_view(text).substr(at, length));
    if (next > room) break;
    out.append(text, at, length);
    width = next;
    at += length;
  }
  return out + ellipsis;
}

std::string ShownName(const std::string& name, size_t columns) {
  return Cut(VisibleName(SpelledName(name)), columns);
}

size_t DisplayWidth(std::string_view utf8) {
  const bool japanese = plat::OperatorReadsJapanese();
  size_t width = 0;
  for (size_t at = 0; at < utf8.size();) {
    size_t length = 0;
    const char32_t c = DecodeUtf8(utf8, at, length);
    at += length;
    width += In(kWide, c) || (japanese && (c == kNotUtf8 || In(kAmbiguous, c))) ? 2 : 1;
  }
  return width;
}

std::string PadRight(const std::string& text, size_t width) {
  const size_t have = DisplayWidth(text);
  return have >= width ? text : text + std::string(width - have, ' ');
}

std::string PadLeft(const std::string& text, size_t width) {
  const size_t have = DisplayWidth(text);
  return have >= width ? text : std::string(width - have, ' ') + text;
}

std::string OneDecimal(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string Median(double value) {
  if (value == std::floor(value)) return std::to_string(static_cast<long long>(value));
  return OneDecimal(value);
}

namespace {
constexpr plat::Bilingual kWords[] = {
    {"総合得点の分かれ方", "Spread of the totals"},
    {"総合得点（10 点ごと）", "total (10 points a bar)"},
    {"時刻（時）", "hour of the day"},
    {"回数", "plays"},
    {"この日のベストテン", "The day's best ten"},
    {"ベストテン", "The best ten"},
    {"ランクごとの人数", "Grades"},
    {"この日のチャンピオン", "The day's champion"},
    {"この日のチャンピオン（同点）", "The day's joint champions"},
    {"チャンピオン", "The champion"},
    {"チャンピオン（同点）", "The joint champions"},
    {"総合得点", "total"},
    {"ランク", "grade"},
    {"名前", "name"},
    {"時刻", "time"},
    {"順位", "place"},
    {"日付", "date"},
    {"回数", "plays"},
    {"最初", "first"},
    {"最後", "last"},
    {"最高", "best"},
    {"日ごとのまとめ", "Day by day"},
    {"五位までに入った回", "Entered the all-time top five"},
    {"チャンピオン", "champion"},
    {"遊んだ回数", "Plays"},
    {"いちばん混んだ時間", "Busiest hour"},
    {"いちばん混んだ時間（同数）", "Busiest hours"},
    {"今の五位まで（kv_rank.dat）", "The all-time top five now (kv_rank.dat)"},
    {"当時の順位", "place then"},
    {"今", "now"},
    {"今も入っています", "still in"},
    {"今は外れています", "pushed out"},
};
}  // namespace

const char* Say(Word word) {
  return plat::Say(kWords[static_cast<int>(word)]);
}

std::string ReportTitle(const ReportFigures& figures) {
  if (figures.date)
    return Fill(Say({"Kavrel {} のまとめ", "Kavrel: the day's report, {}"}), {*figures.date});
  if (figures.plays.empty()) return Say({"Kavrel 全日のまとめ", "Kavrel: every day in the log"});
  return Fill(Say({"Kavrel 全日のまとめ（{} ～ {}）", "Kavrel: every day in the log, {} to {}"}),
              {figures.firstDate, figures.lastDate});
}

std::string PlaysLine(const ReportFigures& figures) {
  const size_t n = figures.plays.size();
  if (figures.date)
    return Fill(
        Say({"遊んだ回数 {} 回（最初 {}、最後 {}）", "{}, the first at {}, the last at {}."}),
        {Say({std::to_string(n).c_str(), Counted(n, "play").c_str()}), figures.firstTime,
         figures.lastTime});
  return Fill(Say({"遊んだ回数 {} 回（{} 日間、最初 {} {}、最後 {} {}）",
                   "{} on {}, the first {} {}, the last {} {}."}),
              {Say({std::to_string(n).c_str(), Counted(n, "play").c_str()}),
               Say({std::to_string(figures.days).c_str(), Counted(figures.days, "day").c_str()}),
               figures.firstDate, figures.firstTime, figures.lastDate, figures.lastTime});
}

std::vector<int> BusiestHours(const ReportFigures& figures) {
  const auto& hours = figures.perHour;
  const int most = *std::max_element(hours.begin(), hours.end());
  std::vector<int> busiest;
  for (int h = 0; h < 24; ++h)
    if (hours[h] == most) busiest.push_back(h);
  return busiest;
}

static std::string HourSpan(int hour) {
  const std::string h = std::to_string(hour);
  return h + ":00" + Say({"～", "-"}) + h + ":59";
}

std::string BusiestHour(const ReportFigures& figures, size_t shown) {
  const std::vector<int> hours = BusiestHours(figures);
  std::vector<std::string> spans;
  for (size_t k = 0; k < std::min(shown, hours.size()); ++k) spans.push_back(HourSpan(hours[k]));
  if (hours.size() <= shown) return Listed(spans, "");
  const std::string more = std::to_string(hours.size() - shown);
  return Listed(spans, Fill(Say({"ほか {} 時間", "and {} more"}), {more}));
}

std::string BusiestHourPlays(const ReportFigures& figures) {
  const int n = figures.perHour[BusiestHours(figures)[0]];
  const bool each = BusiestHours(figures).size() > 1;
  const std::string count = std::to_string(n);
  const std::string plays = Counted(static_cast<size_t>(n), "play") + (each ? " each" : "");
  if (figures.days > 1)
    return Fill(
        Say({each ? "{} 日間の合計 各 {} 回" : "{} 日間の合計 {} 回", "{} summed over {} days"}),
        plat::OperatorReadsJapanese()
            ? std::initializer_list<std::string>{std::to_string(figures.days), count}
            : std::initializer_list<std::string>{plays, std::to_string(figures.days)});
  return Say({(each ? "各 " + count + " 回" : count + " 回").c_str(), plays.c_str()});
}

std::string BusiestHourLine(const ReportFigures& figures) {
  const bool tied = BusiestHours(figures).size() > 1;
  return Fill(Say({"{}: {}（{}）", "{}: {}, {}."}),
              {Say(tied ? Word::BusiestHours : Word::BusiestHeadline), BusiestHour(figures),
               BusiestHourPlays(figures)});
}

std::string Listed(const std::vector<std::string>& items, const std::string& others) {
  std::string out;
  const bool japanese = plat::OperatorReadsJapanese();
  for (size_t k = 0; k < items.size(); ++k) {
    if (k > 0)
      out += japanese                                  ? "、"
             : k + 1 == items.size() && others.empty() ? (items.size() > 2 ? ", and " : " and ")
                                                       : ", ";
    out += items[k];
  }
  if (!others.empty()) out += Say({" ", ", "}) + others;
  return out;
}

std::string ChampionsLine(const ReportFigures& figures) {
  std::string names;
  for (const size_t i : figures.champions)
    names += (names.empty() ? "" : " / ") + ShownName(figures.plays[i].name, kNameColumns);
  const PlayRecord& first = figures.plays[figures.champions[0]];
  const Word word = figures.champions.size() > 1
                        ? (figures.date ? Word::Champions : Word::AllChampions)
                        : (figures.date ? Word::Champion : Word::AllChampion);
  return Fill(Say({"{}: {}（総合得点 {}）", "{}: {}, total {}."}),
              {Say(word), names, std::to_string(first.total)});
}

std::string DayChampions(const DayFigures& day) {
  std::string names;
  for (size_t k = 0; k < std::min(day.champions.size(), kHoldersShown); ++k)
    names += (k == 0 ? "" : " / ") + ShownName(day.champions[k], kNameColumns);
  if (day.champions.size() > kHoldersShown)
    names += " / " + Others(day.champions.size() - kHoldersShown);
  return names;
}

std::string NoPlaysLine(const ReportFigures& figures) {
  if (figures.date && !figures.lastDayWithPlays.empty())
    return Fill(Say({"{} のプレイはありません。最後に遊んだ日は {} です。",
                     "No plays on {}; the last day with plays is {}."}),
                {*figures.date, figures.lastDayWithPlays});
  if (figures.date)
    return Fill(Say({"{} のプレイはありません。--date か --all でほかの日を表示します。",
                     "No plays on {}. Another day: --date YYYY-MM-DD; all days: --all."}),
                {*figures.date});
  return Say({"プレイ記録に、遊んだ回はまだありません。", "The log holds no plays yet."});
}

std::string SkippedLine(size_t skipped) {
  return Fill(Say({"プレイ記録のうち、途中で切れた行や形の違う行を {} 行、飛ばしました。",
                   "Skipped {} of the log: cut off, or not as the game writes them."}),
              {Say({std::to_string(skipped).c_str(), Counted(skipped, "line").c_str()})});
}

std::string CutShortLine(size_t cutShort) {
  return Fill(
      Say({"ログオフやシャットダウンで途中で終わった回が {} 回ありました"
           "（上の数に入っていません）。",
           "{} cut short by the session's end (not counted above)."}),
      {Say({std::to_string(cutShort).c_str(), Counted(cutShort, "pass", "passes").c_str()})});
}

std::string AverageLine(const ReportFigures& figures) {
  return Fill(Say({"総合得点の平均 {}、中央値 {}", "Average total {}, median {}."}),
              {OneDecimal(figures.average), Median(figures.median)});
}

std::string Holders(const ReportFigures& figures, const std::vector<size_t>& holders,
                    size_t shown) {
  std::vector<std::string> names;
  for (size_t k = 0; k < std::min(shown, holders.size()); ++k) {
    const PlayRecord& play = figures.plays[holders[k]];
    names.push_back(Fill(Say({"{} {}", "{} at {}"}),
                         {ShownName(play.name, kNameColumns), WhenOf(figures, play)}));
  }
  return Listed(names, holders.size() > shown ? Others(holders.size() - shown) : "");
}

std::string BestDistanceLine(const ReportFigures& figures, size_t shown) {
  const PlayRecord& play = figures.plays[figures.distanceHolders[0]];
  return Fill(Say({"最高のダンボラン {}（{}）", "Best distance {} ({})."}),
              {Cut(FixedSix(play.distance), kNumberColumns),
               Holders(figures, figures.distanceHolders, shown)});
}

std::string BestBounceLine(const ReportFigures& figures, size_t shown) {
  const PlayRecord& play = figures.plays[figures.bounceHolders[0]];
  return Fill(
      Say({"最高のＢｏｕｎＺｏ {}（{}）", "Best bounce score {} ({})."}),
      {Cut(FixedSix(play.bounce), kNumberColumns), Holders(figures, figures.bounceHolders, shown)});
}

Rows TopFiveRows(const ReportFigures& figures) {
  Rows rows;
  for (const StandingPlace& place : figures.topFive.value_or(std::vector<StandingPlace>{}))
    rows.push_back({std::to_string(place.place), Cut(VisibleName(place.name), kNameColumns),
                    std::to_string(place.score)});
  return rows;
}

Rows EntryRows(const ReportFigures& figures, size_t shown) {
  const size_t all = figures.enteredTopFive.size();
  auto stands = [&](size_t k) { return k < figures.stillStands.size() && figures.stillStands[k]; };
  // Past `shown`, those that still stand first, then the latest of the others.
  std::vector<bool> chosen(all, all <= shown);
  size_t taken = all <= shown ? all : 0;
  for (size_t k = 0; k < all && taken < shown; ++k)
    if (!chosen[k] && stands(k)) chosen[k] = true, ++taken;
  for (size_t k = all; k-- > 0 && taken < shown;)
    if (!chosen[k]) chosen[k] = true, ++taken;
  Rows rows;
  for (size_t k = 0; k < all; ++k) {
    if (!chosen[k]) continue;
    const PlayRecord& play = figures.plays[figures.enteredTopFive[k]];
    rows.push_back({WhenOf(figures, play), ShownName(play.name, kNameColumns),
                    std::to_string(play.total), std::to_string(play.place),
                    !figures.topFive ? "" : Say(stands(k) ? Word::StillIn : Word::PushedOut)});
  }
  return rows;
}

std::vector<std::string> RecordsLines(const ReportFigures& figures) {
  std::vector<std::string> lines;
  if (figures.date && figures.dayEndDistance && figures.dayEndBounce)
    lines.push_back(Fill(Say({"{} の終わりの記録（プレイ記録から）: ダンボラン {}、ＢｏｕｎＺｏ {}",
                              "Records by {}'s end: distance {}, bounce score {}."}),
                         {*figures.date, Cut(FixedSix(*figures.dayEndDistance), kNumberColumns),
                          Cut(FixedSix(*figures.dayEndBounce), kNumberColumns)}));
  if (!figures.recordDistance || !figures.recordBounce)
    lines.push_back(figures.recordProblem);
  else
    lines.push_back(Fill(Say({"今の歴代の記録: ダンボラン {}、ＢｏｕｎＺｏ {}",
                              "All-time records now: distance {}, bounce score {}."}),
                         {Cut(FixedSix(*figures.recordDistance), kNumberColumns),
                          Cut(FixedSix(*figures.recordBounce), kNumberColumns)}));
  return lines;
}

std::string PerHourTitle(const ReportFigures& figures) {
  if (figures.days > 1)
    return Fill(Say({"1 時間ごとの回数（{} 日間の合計）", "Plays per hour, summed over {} days"}),
                {std::to_string(figures.days)});
  return Say({"1 時間ごとの回数", "Plays per hour"});
}

std::string PrintedAtLine() {
  return Fill(Say({"{} に印刷", "Printed {}"}),
              {DateAndMinuteText(ToLocalTime(std::time(nullptr)))});
}

std::string WhenOf(const ReportFigures& figures, const PlayRecord& play) {
  return figures.date ? play.Time() : play.Date() + " " + play.Time();
}

}  // namespace ranking
