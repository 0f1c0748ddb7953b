// Text shared by the day's report in the terminal and on its page: names made safe to show, the
// columns text takes up, and the report's words in both languages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Language.h"
#include "tools/ranking/ReportFigures.h"

namespace ranking {

// A name as it can be shown: control codes as their pictures (U+2400 onwards, as list shows
// them), bytes that are not UTF-8 as U+FFFD. Every other character as written.
std::string VisibleName(std::string_view utf8);

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

// The report's title, its line of plays, and the words both forms use.
std::string ReportTitle(const ReportFigures& figures);
std::string PlaysLine(const ReportFigures& figures);
std::string NoPlaysLine(const ReportFigures& figures);
std::string SkippedLine(size_t skipped);
std::string AverageLine(const ReportFigures& figures);
// The time of a pass in the best ten: with its date when the report covers several days.
std::string WhenOf(const ReportFigures& figures, const Play& play);

inline constexpr plat::Bilingual kPerHourWord = {"1 時間ごとの回数", "Plays per hour"};
inline constexpr plat::Bilingual kSpreadWord = {"総合得点の分布（20 点ごと）",
                                                "Spread of the totals (by 20 points)"};
inline constexpr plat::Bilingual kDayBestWord = {"この日のベストテン", "The day's best ten"};
inline constexpr plat::Bilingual kAllBestWord = {"ベストテン", "The best ten"};
inline constexpr plat::Bilingual kGradesWord = {"ランクごとの人数", "Grades"};
inline constexpr plat::Bilingual kChampionWord = {"この日のチャンピオン", "The day's champion"};
inline constexpr plat::Bilingual kAllChampionWord = {"チャンピオン", "The champion"};
inline constexpr plat::Bilingual kTotalWord = {"総合得点", "total"};
inline constexpr plat::Bilingual kGradeWord = {"ランク", "grade"};
inline constexpr plat::Bilingual kNameWord = {"名前", "name"};
inline constexpr plat::Bilingual kTimeWord = {"時刻", "time"};
inline constexpr plat::Bilingual kHourWord = {"時", "h"};

}  // namespace ranking
