#include "upkeep/ReportPage.h"

#include <algorithm>
#include <vector>

#include "upkeep/ReportText.h"
#include "upkeep/Text.h"

namespace ranking {
namespace {

using plat::Say;

// The colours a test finds the champion and the two charts by.
constexpr const char* kChampionColour = "#f4c430";
constexpr const char* kHourColour = "#2f6fd0";
constexpr const char* kSpreadColour = "#d0542f";

constexpr const char* kStyle = R"(
@page { size: A4; margin: 10mm; }
html { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
body { margin: 0; width: 190mm; color: #222; font-size: 11pt;
  font-family: "IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "Yu Gothic", "Meiryo",
    "MS PGothic", sans-serif; }
.name { font-family: "Consolas", "DejaVu Sans Mono", "IPAGothic", "MS Gothic", monospace; }
@media screen { body { margin: 10mm auto; } }
header { display: flex; justify-content: space-between; align-items: baseline; }
h1 { font-size: 15pt; margin: 0 0 2mm; }
.printed { font-size: 9pt; color: #555; }
h2 { font-size: 12pt; margin: 3mm 0 1mm; }
.headline { display: flex; gap: 4mm; align-items: stretch; }
.champion { flex: 3; background: CHAMPION; border-radius: 4mm; padding: 2mm 5mm;
  text-align: center; }
.champion .label { font-size: 13pt; }
.champion .name { font-size: 34pt; font-weight: bold; white-space: pre-wrap; line-height: 1.2; }
.champion .joint { font-size: 24pt; }
.champion .result { font-size: 14pt; }
.big { flex: 2; font-size: 12pt; line-height: 1.3; text-align: center; }
.big strong { display: block; font-size: 26pt; }
figure { margin: 0; }
figcaption { font-weight: bold; font-size: 12pt; margin: 2mm 0 0; }
svg { width: 190mm; height: 52mm; display: block; }
.columns { display: flex; gap: 6mm; }
.columns > div { flex: 1; }
table { border-collapse: collapse; width: 100%; }
th, td { border-bottom: 0.3mm solid #bbb; padding: 0.6mm 1.5mm; text-align: left;
  white-space: nowrap; }
th.number, td.number { text-align: right; }
td.name { white-space: pre; }
.grades th, .grades td { text-align: center; }
.lines { margin: 1mm 0; line-height: 1.45; }
.note { font-size: 9pt; color: #555; margin-top: 2mm; }
.empty { font-size: 20pt; margin: 30mm 0; text-align: center; }
)";

std::string Style() {
  std::string style = kStyle;
  style.replace(style.find("CHAMPION"), 8, kChampionColour);
  return style;
}

std::string Number(double value) {
  return OneDecimal(value);
}

std::string SvgText(double x, double y, double size, const char* anchor, const std::string& text,
                    const char* extra = "") {
  return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" font-size=\"" + Number(size) +
         "\" text-anchor=\"" + anchor + "\"" + extra + ">" + Html(text) + "</text>";
}

// Bars with their labels under them, their counts over them, and the axes' titles, in a box of
// 640 x 160.
std::string BarChart(const std::vector<std::string>& labels, const std::vector<int>& counts,
                     const char* colour, const std::string& title, const std::string& xTitle,
                     const std::string& yTitle) {
  const int most = std::max(1, *std::max_element(counts.begin(), counts.end()));
  const double left = 30, right = 636, top = 16, base = 124;
  const double slot = (right - left) / static_cast<double>(counts.size());
  // Each label within its bar's width, at most 15 units high.
  size_t widest = 1;
  for (const std::string& label : labels) widest = std::max(widest, DisplayWidth(label));
  const double font = std::min(15.0, slot * 0.9 / (0.6 * static_cast<double>(widest)));
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 640 160\" role=\"img\">";
  svg += "<title>" + Html(title) + "</title>";
  for (size_t i = 0; i < counts.size(); ++i) {
    const double height = (base - top) * counts[i] / most;
    const double x = left + slot * static_cast<double>(i);
    const double middle = x + slot / 2;
    if (counts[i] > 0) {
      svg += "<rect x=\"" + Number(x + slot * 0.1) + "\" y=\"" + Number(base - height) +
             "\" width=\"" + Number(slot * 0.8) + "\" height=\"" + Number(height) + "\" fill=\"" +
             colour + "\"/>";
      const std::string count = std::to_string(counts[i]);
      const double size = std::min(14.0, slot * 0.95 / (0.6 * static_cast<double>(count.size())));
      svg += SvgText(middle, base - height - 3, size, "middle", count);
    }
    svg += SvgText(middle, base + 16, font, "middle", labels[i]);
  }
  svg += "<line x1=\"" + Number(left) + "\" y1=\"124.5\" x2=\"" + Number(right) +
         "\" y2=\"124.5\" stroke=\"#444\" stroke-width=\"1\"/>";
  svg += SvgText(right, 154, 14, "end", xTitle);
  svg += SvgText(14, base, 14, "start", yTitle, " transform=\"rotate(-90 14 124)\"");
  return svg + "</svg>";
}

std::string HourChart(const ReportFigures& figures) {
  int first = 0, last = 23;
  while (figures.perHour[first] == 0) ++first;
  while (figures.perHour[last] == 0) --last;
  std::vector<std::string> labels;
  std::vector<int> counts;
  for (int h = first; h <= last; ++h) {
    labels.push_back(std::to_string(h) + ":00");
    counts.push_back(figures.perHour[h]);
  }
  return BarChart(labels, counts, kHourColour, PerHourTitle(figures), Say(Word::HourAxis),
                  Say(Word::PlaysAxis));
}

// The totals in bins of 10 points, which are the grades' bounds: below zero (K), 0-9 (J) up to
// 90-99 (A), and 100 and above (S); from the lowest bin with a pass to the highest.
std::string SpreadChart(const ReportFigures& figures) {
  constexpr int kBins = 12;  // below 0, the ten tens, 100 and above
  std::array<int, kBins> all{};
  for (const PlayRecord& play : figures.plays)
    ++all[play.total < 0 ? 0 : play.total >= 100 ? kBins - 1 : 1 + play.total / 10];
  int first = 0, last = kBins - 1;
  while (all[first] == 0) ++first;
  while (all[last] == 0) --last;
  std::vector<std::string> labels;
  std::vector<int> counts;
  for (int b = first; b <= last; ++b) {
    labels.push_back(b == 0 ? Say({"0 未満", "below 0"})
                     : b == kBins - 1
                         ? Say({"100 以上", "100 up"})
                         : std::to_string((b - 1) * 10) + "-" + std::to_string((b - 1) * 10 + 9));
    counts.push_back(all[b]);
  }
  return BarChart(labels, counts, kSpreadColour, Say(Word::Spread), Say(Word::SpreadAxis),
                  Say(Word::PlaysAxis));
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string html;
  for (const std::string& line : lines) html += (html.empty() ? "" : "<br>") + Html(line);
  return "<p class=\"lines\">" + html + "</p>";
}

std::string Headline(const ReportFigures& figures) {
  // Joint champions share the band, two to a line; past six, the rest are counted.
  constexpr size_t kShown = 6;
  const std::vector<size_t>& all = figures.champions;
  std::string names;
  for (size_t k = 0; k < std::min(all.size(), kShown); ++k)
    names += (k == 0       ? ""
              : k % 2 == 0 ? "\n"
                           : "  ") +
             VisibleName(SpelledName(figures.plays[all[k]].name));
  if (all.size() > kShown)
    names += "\n" + Fill(Say({"ほか {} 人", "and {} more"}), {std::to_string(all.size() - kShown)});
  const PlayRecord& champion = figures.plays[figures.champions[0]];
  const bool joint = figures.champions.size() > 1;
  const Word word = figures.date ? (joint ? Word::Champions : Word::Champion)
                                 : (joint ? Word::AllChampions : Word::AllChampion);
  std::string result = Fill(Say({"総合得点 {}  ランク {}", "total {}, grade {}"}),
                            {std::to_string(champion.total), std::string(1, champion.grade)});
  if (!joint) result += " (" + WhenOf(figures, champion) + ")";
  return "<section class=\"headline\"><div class=\"champion\"><div class=\"label\">" +
         Html(Say(word)) + "</div><div class=\"name" + (joint ? " joint" : "") + "\">" +
         Html(names) + "</div><div class=\"result\">" + Html(result) +
         "</div></div><div class=\"big\"><div>" + Html(Say(Word::PlaysHeadline)) +
         "</div><strong>" + std::to_string(figures.plays.size()) + "</strong><div>" +
         Html(Say(Word::BusiestHeadline)) + "</div><strong>" + Html(BusiestHour(figures)) +
         "</strong><div>" + Html(BusiestHourPlays(figures)) + "</div></div></section>" +
         Lines({PlaysLine(figures)});
}

std::string Charts(const ReportFigures& figures) {
  return "<figure><figcaption>" + Html(PerHourTitle(figures)) + "</figcaption>" +
         HourChart(figures) + "</figure><figure><figcaption>" + Html(Say(Word::Spread)) +
         "</figcaption>" + SpreadChart(figures) + "</figure>";
}

// A table with a header row; the columns marked `number` stand right, headers included.
std::string Table(const std::vector<std::string>& headers, const std::vector<bool>& number,
                  const std::vector<std::vector<std::string>>& rows, size_t nameColumn) {
  std::string html = "<table><tr>";
  for (size_t c = 0; c < headers.size(); ++c)
    html += std::string(number[c] ? "<th class=\"number\">" : "<th>") + Html(headers[c]) + "</th>";
  html += "</tr>";
  for (const auto& row : rows) {
    html += "<tr>";
    for (size_t c = 0; c < row.size(); ++c)
      html += std::string(number[c]         ? "<td class=\"number\">"
                          : c == nameColumn ? "<td class=\"name\">"
                                            : "<td>") +
              Html(row[c]) + "</td>";
    html += "</tr>";
  }
  return html + "</table>";
}

std::string DayTable(const ReportFigures& figures) {
  if (figures.dayTable.empty()) return {};
  std::vector<std::vector<std::string>> rows;
  for (const DayFigures& day : figures.dayTable)
    rows.push_back({day.date, std::to_string(day.plays), day.firstTime, day.lastTime,
                    std::to_string(day.best), VisibleName(day.champions)});
  return "<h2>" + Html(Say(Word::Days)) + "</h2>" +
         Table({Say(Word::Date), Say(Word::Plays), Say(Word::First), Say(Word::Last),
                Say(Word::Best), Say(Word::ChampionColumn)},
               {false, true, false, false, true, false}, rows, 5);
}

std::string BestTable(const ReportFigures& figures) {
  std::vector<std::vector<std::string>> rows;
  for (size_t k = 0; k < figures.best.size(); ++k) {
    const PlayRecord& play = figures.plays[figures.best[k]];
    rows.push_back({std::to_string(figures.places[k]), WhenOf(figures, play),
                    VisibleName(play.name), std::to_string(play.total),
                    std::string(1, play.grade)});
  }
  return "<h2>" + Html(Say(figures.date ? Word::DayBest : Word::AllBest)) + "</h2>" +
         Table({Say(Word::Place), Say(Word::Time), Say(Word::Name), Say(Word::Total),
                Say(Word::Grade)},
               {true, false, false, true, false}, rows, 2);
}

std::string Bests(const ReportFigures& figures) {
  std::vector<std::string> lines = {BestDistanceLine(figures), BestBounceLine(figures),
                                    RecordsLine(figures), AverageLine(figures)};
  std::string html = Lines(lines);
  if (!figures.enteredTopFive.empty()) {
    std::vector<std::string> entries;
    for (const size_t i : figures.enteredTopFive)
      entries.push_back(TopFiveLine(figures, figures.plays[i]));
    html += "<h2>" + Html(Say(Word::TopFive)) + "</h2>" + Lines(entries);
  }
  return html;
}

std::string GradeTable(const ReportFigures& figures) {
  std::string letters, counts;
  for (const GradeCount& grade : figures.grades) {
    letters += "<th>" + std::string(1, grade.grade) + "</th>";
    counts += "<td>" + std::to_string(grade.count) + "</td>";
  }
  return "<h2>" + Html(Say(Word::Grades)) + "</h2><table class=\"grades\"><tr>" + letters +
         "</tr><tr>" + counts + "</tr></table>";
}

std::string Bottom(const ReportFigures& figures) {
  return "<div class=\"columns\"><div>" + BestTable(figures) + "</div><div>" + Bests(figures) +
         GradeTable(figures) + "</div></div>";
}

// The page's parts, in order.
using Section = std::string (*)(const ReportFigures&);
constexpr Section kSections[] = {Headline, Charts, DayTable, Bottom};

}  // namespace

std::string Html(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string ReportPage(const ReportFigures& figures) {
  const std::string title = ReportTitle(figures);
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"" + std::string(plat::OperatorReadsJapanese() ? "ja" : "en") +
      "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + Html(title) + "</title>\n<style>" +
      Style() + "</style>\n</head>\n<body>\n<header><h1>" + Html(title) +
      "</h1><span class=\"printed\">" + Html(PrintedAtLine()) + "</span></header>\n";
  if (figures.plays.empty()) {
    html += "<p class=\"empty\">" + Html(NoPlaysLine(figures)) + "</p>\n";
  } else {
    for (const Section section : kSections) html += section(figures) + "\n";
  }
  if (figures.skipped > 0)
    html += "<p class=\"note\">" + Html(SkippedLine(figures.skipped)) + "</p>\n";
  if (figures.cutShort > 0)
    html += "<p class=\"note\">" + Html(CutShortLine(figures.cutShort)) + "</p>\n";
  return html + "</body>\n</html>\n";
}

}  // namespace ranking
