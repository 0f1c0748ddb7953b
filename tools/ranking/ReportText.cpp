#include "tools/ranking/ReportText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/LocalTime.h"
#include "platform/Utf8.h"
#include "store/TextScan.h"
#include "tools/ranking/Commands.h"
#include "tools/ranking/Text.h"

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

// An English noun after the count `n`: "1 play", "2 plays".
std::string Counted(size_t n, const std::string& noun) {
  return n == 1 ? noun : noun + "s";
}

}  // namespace

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
    {"五位までに入った", "Entered the all-time top five"},
    {"チャンピオン", "champion"},
    {"遊んだ回数", "Plays"},
    {"いちばん混んだ時間", "Busiest hour"},
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
  const std::string count = std::to_string(figures.plays.size());
  const std::string plays = Counted(figures.plays.size(), "play");
  if (figures.date)
    return Fill(Say({"遊んだ回数 {} 回（最初 {}、最後 {}）",
                     ("{} " + plays + ", the first at {}, the last at {}.").c_str()}),
                {count, figures.firstTime, figures.lastTime});
  const std::string en = "{} " + plays + " on {} " + Counted(figures.days, "day") +
                         ", the first {} {}, the last {} {}.";
  return Fill(Say({"遊んだ回数 {} 回（{} 日間、最初 {} {}、最後 {} {}）", en.c_str()}),
              {count, std::to_string(figures.days), figures.firstDate, figures.firstTime,
               figures.lastDate, figures.lastTime});
}

int Busiest(const ReportFigures& figures) {
  const auto& hours = figures.perHour;
  return static_cast<int>(std::max_element(hours.begin(), hours.end()) - hours.begin());
}

std::string BusiestHour(const ReportFigures& figures) {
  const std::string hour = std::to_string(Busiest(figures));
  return hour + ":00" + Say({"～", "-"}) + hour + ":59";
}

std::string BusiestHourPlays(const ReportFigures& figures) {
  const int n = figures.perHour[Busiest(figures)];
  const std::string count = std::to_string(n);
  const std::string plays = "{} " + Counted(static_cast<size_t>(n), "play");
  if (figures.days > 1)
    return Fill(Say({"{} 日間の合計 {} 回", (plays + " summed over {} days").c_str()}),
                plat::OperatorReadsJapanese()
                    ? std::initializer_list<std::string>{std::to_string(figures.days), count}
                    : std::initializer_list<std::string>{count, std::to_string(figures.days)});
  return Fill(Say({"{} 回", plays.c_str()}), {count});
}

std::string BusiestHourLine(const ReportFigures& figures) {
  return Fill(Say({"{}: {}（{}）", "{}: {}, {}."}),
              {Say(Word::BusiestHeadline), BusiestHour(figures), BusiestHourPlays(figures)});
}

std::string ChampionsLine(const ReportFigures& figures) {
  std::string names;
  for (const size_t i : figures.champions)
    names += (names.empty() ? "" : " / ") + VisibleName(SpelledName(figures.plays[i].name));
  const PlayRecord& first = figures.plays[figures.champions[0]];
  const Word word = figures.champions.size() > 1
                        ? (figures.date ? Word::Champions : Word::AllChampions)
                        : (figures.date ? Word::Champion : Word::AllChampion);
  return Fill(Say({"{}: {}（総合得点 {}）", "{}: {}, total {}."}),
              {Say(word), names, std::to_string(first.total)});
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
                   "{} line(s) of the log were skipped: cut off, or not as the game writes them."}),
              {std::to_string(skipped)});
}

std::string CutShortLine(size_t cutShort) {
  return Fill(Say({"ログオフやシャットダウンで途中で終わった回が {} "
                   "回ありました（上の数に入っていません）。",
                   "{} pass(es) were cut short by the session's end (not counted above)."}),
              {std::to_string(cutShort)});
}

std::string AverageLine(const ReportFigures& figures) {
  return Fill(Say({"総合得点の平均 {}、中央値 {}", "Average total {}, median {}."}),
              {OneDecimal(figures.average), Median(figures.median)});
}

std::string BestDistanceLine(const ReportFigures& figures) {
  const PlayRecord& play = figures.plays[figures.bestDistance];
  return Fill(
      Say({"最高のダンボラン {}（{}、{}）", "Best distance {} ({}, {})."}),
      {FixedSix(play.distance), VisibleName(SpelledName(play.name)), WhenOf(figures, play)});
}

std::string BestBounceLine(const ReportFigures& figures) {
  const PlayRecord& play = figures.plays[figures.bestBounce];
  return Fill(Say({"最高のＢｏｕｎＺｏ {}（{}、{}）", "Best bounce score {} ({}, {})."}),
              {FixedSix(play.bounce), VisibleName(SpelledName(play.name)), WhenOf(figures, play)});
}

std::string TopFiveLine(const ReportFigures& figures, const PlayRecord& play) {
  return Fill(Say({"{}  {}  総合得点 {}（{}）", "{}  {}  total {} ({})"}),
              {PlaceWord(play.place), VisibleName(SpelledName(play.name)),
               std::to_string(play.total), WhenOf(figures, play)});
}

std::string RecordsLine(const ReportFigures& figures) {
  if (figures.recordAbsent)
    return Say({"歴代の記録（kavrel.dat）はまだありません。ゲームを Q で終えるとできます。",
                "No all-time records yet: kavrel.dat is made when the game is quit with Q."});
  if (!figures.recordDistance || !figures.recordBounce)
    return Say({"歴代の記録（kavrel.dat）は読めませんでした。",
                "The all-time records (kavrel.dat) could not be read."});
  return Fill(Say({"歴代の記録: ダンボラン {}、ＢｏｕｎＺｏ {}",
                   "All-time records: distance {}, bounce score {}."}),
              {FixedSix(*figures.recordDistance), FixedSix(*figures.recordBounce)});
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
