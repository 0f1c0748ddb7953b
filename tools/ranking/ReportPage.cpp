#include "tools/ranking/ReportPage.h"

#include <algorithm>
#include <vector>

#include "tools/ranking/ReportText.h"
#include "tools/ranking/Text.h"

namespace ranking {
namespace {

using plat::Say;

// The colours a test finds the champion and the two charts by.
constexpr const char* kChampionColour = "#f4c430";
constexpr const char* kHourColour = "#2f6fd0";
constexpr const char* kSpreadColour = "#d0542f";

constexpr const char* kStyle = R"(
@page { size: A4; margin: 12mm; }
html { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
body { margin: 0; width: 186mm; color: #222; font-size: 11pt;
  font-family: "IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "Yu Gothic", "Meiryo",
    "MS PGothic", sans-serif; }
.name { font-family: "Consolas", "DejaVu Sans Mono", "IPAGothic", "MS Gothic", monospace; }
@media screen { body { margin: 12mm auto; } }
h1 { font-size: 15pt; margin: 0 0 3mm; }
h2 { font-size: 12pt; margin: 4mm 0 1.5mm; }
.champion { background: CHAMPION; border-radius: 4mm; padding: 3mm 6mm; text-align: center; }
.champion .label { font-size: 13pt; }
.champion .name { font-size: 40pt; font-weight: bold; white-space: pre; line-height: 1.25; }
.champion .result { font-size: 15pt; }
.figures { margin: 3mm 0 0; line-height: 1.5; }
.charts { display: flex; justify-content: space-between; }
figure { margin: 0; width: 90mm; }
figcaption { font-weight: bold; margin: 3mm 0 1mm; }
svg { width: 90mm; height: 52mm; display: block; }
table { border-collapse: collapse; width: 100%; }
th, td { border-bottom: 0.3mm solid #bbb; padding: 0.8mm 2mm; text-align: left; }
td.number { text-align: right; }
td.name { white-space: pre; }
.grades th, .grades td { text-align: center; }
.note { font-size: 9pt; color: #555; margin-top: 3mm; }
.empty { font-size: 20pt; margin: 30mm 0; text-align: center; }
)";

std::string Style() {
  std::string style = kStyle;
  style.replace(style.find("CHAMPION"), 8, kChampionColour);
  return style;
}

// Bars with their labels under them and their counts over them, in a box of 320 x 200.
std::string BarChart(const std::vector<std::string>& labels, const std::vector<int>& counts,
                     const char* colour, const char* title) {
  const int most = std::max(1, *std::max_element(counts.begin(), counts.end()));
  const double left = 10, right = 310, top = 22, base = 170;
  const double slot = (right - left) / static_cast<double>(counts.size());
  const double font = std::min(11.0, slot * 0.85);
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 320 200\" role=\"img\">";
  svg += "<title>" + Html(title) + "</title>";
  auto number = [](double value) { return OneDecimal(value); };
  for (size_t i = 0; i < counts.size(); ++i) {
    const double height = (base - top) * counts[i] / most;
    const double x = left + slot * static_cast<double>(i);
    const double middle = x + slot / 2;
    if (counts[i] > 0) {
      svg += "<rect x=\"" + number(x + slot * 0.15) + "\" y=\"" + number(base - height) +
             "\" width=\"" + number(slot * 0.7) + "\" height=\"" + number(height) + "\" fill=\"" +
             colour + "\"/>";
      svg += "<text x=\"" + number(middle) + "\" y=\"" + number(base - height - 3) +
             "\" font-size=\"" + number(font) + "\" text-anchor=\"middle\">" +
             std::to_string(counts[i]) + "</text>";
    }
    svg += "<text x=\"" + number(middle) + "\" y=\"186\" font-size=\"" + number(font) +
           "\" text-anchor=\"middle\">" + Html(labels[i]) + "</text>";
  }
  svg += "<line x1=\"" + number(left) + "\" y1=\"170.5\" x2=\"" + number(right) +
         "\" y2=\"170.5\" stroke=\"#444\" stroke-width=\"1\"/></svg>";
  return svg;
}

std::string HourChart(const ReportFigures& figures) {
  int first = 0, last = 23;
  while (figures.perHour[first] == 0) ++first;
  while (figures.perHour[last] == 0) --last;
  std::vector<std::string> labels;
  std::vector<int> counts;
  for (int h = first; h <= last; ++h) {
    labels.push_back(std::to_string(h));
    counts.push_back(figures.perHour[h]);
  }
  return BarChart(labels, counts, kHourColour, Say(kPerHourWord));
}

long long FloorDiv(long long a, long long b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The totals in at most ten bins of a round width (1, 2, 5, 10, 20, 50, ...); each bin is labelled
// with its lowest total.
std::string SpreadChart(const ReportFigures& figures) {
  long long low = figures.plays[0].total, high = low;
  for (const Play& play : figures.plays) {
    low = std::min<long long>(low, play.total);
    high = std::max<long long>(high, play.total);
  }
  long long width = 1;
  for (int step = 0; FloorDiv(high, width) - FloorDiv(low, width) + 1 > 10; ++step)
    width = (step % 3 == 1 ? width * 5 / 2 : width * 2);
  const long long firstBin = FloorDiv(low, width), bins = FloorDiv(high, width) - firstBin + 1;
  std::vector<int> counts(bins, 0);
  for (const Play& play : figures.plays) ++counts[FloorDiv(play.total, width) - firstBin];
  std::vector<std::string> labels;
  for (long long b = 0; b < bins; ++b) labels.push_back(std::to_string((firstBin + b) * width));
  return BarChart(labels, counts, kSpreadColour, Say(kSpreadWord));
}

std::string Champion(const ReportFigures& figures) {
  const Play& champion = figures.plays[figures.best[0]];
  return "<section class=\"champion\"><div class=\"label\">" +
         Html(Say(figures.date ? kChampionWord : kAllChampionWord)) + "</div><div class=\"name\">" +
         Html(VisibleName(champion.name)) + "</div><div class=\"result\">" +
         Html(Fill(Say({"総合得点 {}  ランク {}  （{}）", "total {}, grade {} ({})"}),
                   {std::to_string(champion.total), std::string(1, champion.grade),
                    WhenOf(figures, champion)})) +
         "</div></section>";
}

std::string BestTable(const ReportFigures& figures) {
  std::string html = "<h2>" + Html(Say(figures.date ? kDayBestWord : kAllBestWord)) +
                     "</h2><table><tr><th></th><th>" + Html(Say(kTimeWord)) + "</th><th>" +
                     Html(Say(kNameWord)) + "</th><th>" + Html(Say(kTotalWord)) + "</th><th>" +
                     Html(Say(kGradeWord)) + "</th></tr>";
  for (size_t place = 0; place < figures.best.size(); ++place) {
    const Play& play = figures.plays[figures.best[place]];
    html += "<tr><td class=\"number\">" + std::to_string(place + 1) + "</td><td>" +
            Html(WhenOf(figures, play)) + "</td><td class=\"name\">" +
            Html(VisibleName(play.name)) + "</td><td class=\"number\">" +
            std::to_string(play.total) + "</td><td>" + std::string(1, play.grade) + "</td></tr>";
  }
  return html + "</table>";
}

std::string GradeTable(const ReportFigures& figures) {
  std::string letters, counts;
  for (const GradeCount& grade : figures.grades) {
    letters += "<th>" + std::string(1, grade.grade) + "</th>";
    counts += "<td>" + std::to_string(grade.count) + "</td>";
  }
  return "<h2>" + Html(Say(kGradesWord)) + "</h2><table class=\"grades\"><tr>" + letters +
         "</tr><tr>" + counts + "</tr></table>";
}

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
      Style() + "</style>\n</head>\n<body>\n<h1>" + Html(title) + "</h1>\n";
  if (figures.plays.empty()) {
    html += "<p class=\"empty\">" + Html(NoPlaysLine(figures)) + "</p>\n";
  } else {
    html += Champion(figures) + "\n<p class=\"figures\">" + Html(PlaysLine(figures)) + "<br>" +
            Html(AverageLine(figures)) + "</p>\n<div class=\"charts\"><figure><figcaption>" +
            Html(Say(kPerHourWord)) + "</figcaption>" + HourChart(figures) +
            "</figure><figure><figcaption>" + Html(Say(kSpreadWord)) + "</figcaption>" +
            SpreadChart(figures) + "</figure></div>\n" + BestTable(figures) + "\n" +
            GradeTable(figures) + "\n";
  }
  if (figures.skipped > 0)
    html += "<p class=\"note\">" + Html(SkippedLine(figures.skipped)) + "</p>\n";
  return html + "</body>\n</html>\n";
}

}  // namespace ranking
