#include "upkeep/ReportPage.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Utf8.h"
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
body { margin: 0; width: 190mm; color: #222; font-size: 10.5pt;
  font-family: "IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "Yu Gothic", "Meiryo",
    "MS PGothic", sans-serif; }
.name { font-family: "Consolas", "DejaVu Sans Mono", "IPAGothic", "MS Gothic", monospace; }
@media screen { body { margin: 10mm auto; } }
header { display: flex; justify-content: space-between; align-items: baseline; }
h1 { font-size: 15pt; margin: 0 0 2mm; }
.printed { font-size: 9pt; color: #555; }
h2 { font-size: 12pt; margin: 2mm 0 0.8mm; break-after: avoid; }
section, figure, tr { break-inside: avoid; }
.nb { white-space: nowrap; }
.mark { font-size: 0.7em; border: 0.2mm solid #555; border-radius: 0.6mm; padding: 0 0.4mm;
  margin: 0 0.2mm; vertical-align: 0.1em; font-family: sans-serif; }
.booth .groups { display: flex; gap: 6mm; }
.booth .groups > div { flex: 1; min-width: 0; }
.booth .lines { margin: 0 0 0.5mm; }
.booth { font-size: 9.5pt; }
.booth table { font-size: 9pt; }
.booth td.detail { width: 100%; max-width: 0; overflow: hidden; text-overflow: ellipsis; }
.booth .note { margin-top: 0.5mm; }
.booth td { padding-top: 0.2mm; padding-bottom: 0.2mm; }
.standing th, .standing td { padding-top: 0.3mm; padding-bottom: 0.3mm; }
.headline { display: flex; gap: 4mm; align-items: stretch; }
.champion { flex: 3; background: CHAMPION; border-radius: 4mm; padding: 2mm 5mm;
  text-align: center; }
.champion .label { font-size: 12pt; }
.champion .name { font-size: 30pt; font-weight: bold; line-height: 1.15; }
.champion .joint { font-size: 19pt; line-height: 1.1; }
.champion .result { font-size: 13pt; }
.big { flex: 2; font-size: 11pt; line-height: 1.2; text-align: center; }
.big strong { display: block; font-size: 22pt; }
figure { margin: 0; }
figcaption { font-weight: bold; font-size: 12pt; margin: 1.5mm 0 0; }
svg { width: 190mm; display: block; }
.columns { display: flex; gap: 6mm; }
.columns > div { flex: 1; }
table { border-collapse: collapse; width: 100%; }
th, td { border-bottom: 0.3mm solid #bbb; padding: 0.35mm 1.5mm; text-align: left;
  white-space: nowrap; }
th.number, td.number { text-align: right; }
td.name { white-space: pre; }
.big strong.hours { font-size: 14pt; }
.grades th, .grades td { text-align: center; }
.lines { margin: 1mm 0; line-height: 1.4; }
.bests { font-size: 10pt; }
.note { font-size: 9pt; color: #555; margin: 1mm 0 0; }
.empty { font-size: 20pt; margin: 30mm 0; text-align: center; }
)";

std::string Style() {
  std::string style = kStyle;
  style.replace(style.find("CHAMPION"), 8, kChampionColour);
  return style;
}

// Escaped text with each control code's picture (which no font at hand draws) as its name in a
// small box: the mark a reader sees, not a blank square.
std::string Marked(const std::string& html) {
  std::string out;
  for (size_t at = 0; at < html.size();) {
    size_t length = 0;
    const char32_t c = DecodeUtf8(html, at, length);
    const char* name =
        c >= 0x2400 && c <= 0x2421 ? ControlName(c == 0x2421 ? 0x7F : c - 0x2400) : nullptr;
    if (name)
      out += std::string("<span class=\"mark\">") + name + "</span>";
    else
      out.append(html, at, length);
    at += length;
  }
  return out;
}

std::string Number(double value) {
  return OneDecimal(value);
}

std::string SvgText(double x, double y, double size, const char* anchor, const std::string& text,
                    const char* extra = "") {
  return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" font-size=\"" + Number(size) +
         "\" text-anchor=\"" + anchor + "\"" + extra + ">" + Html(text) + "</text>";
}

// Bars with their labels under them (and a second row of labels under those when given), their
// counts over them, and the axes' titles, in a box 640 wide, as high as the page has room for.
// Every label is set at one size, the largest at which the widest fits its bar.
std::string BarChart(const std::vector<std::string>& labels, const std::vector<std::string>& under,
                     const std::vector<int>& counts, const char* colour, const std::string& title,
                     const std::string& xTitle, const std::string& yTitle) {
  const int most = std::max(1, *std::max_element(counts.begin(), counts.end()));
  const double high = under.empty() ? 96 : 120;
  const double left = 30, right = 636, top = 16, base = high - (under.empty() ? 36 : 52);
  const double slot = (right - left) / static_cast<double>(counts.size());
  size_t widest = 1;
  for (const std::string& label : labels) widest = std::max(widest, DisplayWidth(label));
  const double font = std::min(15.0, slot * 0.9 / (0.6 * static_cast<double>(widest)));
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 640 " + Number(high) +
                    "\" style=\"height: " + Number(190 * high / 640) + "mm\" role=\"img\">";
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
    if (i < under.size())
      svg += SvgText(middle, base + 33, font, "middle", under[i], " font-weight=\"bold\"");
  }
  svg += "<line x1=\"" + Number(left) + "\" y1=\"" + Number(base + 0.5) + "\" x2=\"" +
         Number(right) + "\" y2=\"" + Number(base + 0.5) +
         "\" stroke=\"#444\" stroke-width=\"1\"/>";
  svg += SvgText(right, high - 3, 14, "end", xTitle);
  svg += SvgText(14, base, 14, "start", yTitle,
                 (" transform=\"rotate(-90 14 " + Number(base) + ")\"").c_str());
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
  return BarChart(labels, {}, counts, kHourColour, PerHourTitle(figures), Say(Word::HourAxis),
                  Say(Word::PlaysAxis));
}

// The totals in bins of 10 points, which are the grades' bounds: below zero (K), 0-9 (J) up to
// 90-99 (A), and 100 and above (S), each with its grade under it; from the lowest bin with a pass
// to the highest. The outer bins' labels are short, so that every label keeps one readable size.
std::string SpreadChart(const ReportFigures& figures) {
  constexpr int kBins = 12;  // below 0, the ten tens, 100 and above
  std::array<int, kBins> all{};
  for (const PlayRecord& play : figures.plays)
    ++all[play.total < 0 ? 0 : play.total >= 100 ? kBins - 1 : 1 + play.total / 10];
  int first = 0, last = kBins - 1;
  while (all[first] == 0) ++first;
  while (all[last] == 0) --last;
  std::vector<std::string> labels, grades;
  std::vector<int> counts;
  for (int b = first; b <= last; ++b) {
    labels.push_back(b == 0 ? Say({"0未満", "<0"})
                     : b == kBins - 1
                         ? Say({"100～", "100+"})
                         : std::to_string((b - 1) * 10) + "-" + std::to_string((b - 1) * 10 + 9));
    // kGameGrades runs from S (100 and above) down to K (below zero).
    grades.push_back(std::string(1, kGameGrades[kBins - 1 - b]));
    counts.push_back(all[b]);
  }
  return BarChart(labels, grades, counts, kSpreadColour, Say(Word::Spread), Say(Word::SpreadAxis),
                  Say(Word::PlaysAxis));
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string html;
  for (const std::string& line : lines) html += (html.empty() ? "" : "<br>") + PageText(line);
  return "<p class=\"lines\">" + html + "</p>";
}

std::string Headline(const ReportFigures& figures) {
  // Joint champions share the band, parted by a slash; past four, the rest are counted (the
  // terminal names them all).
  constexpr size_t kShown = 4;
  const std::vector<size_t>& all = figures.champions;
  std::string names;
  for (size_t k = 0; k < std::min(all.size(), kShown); ++k)
    names += (k == 0 ? "" : " / ") + std::string("<span class=\"nb\">") +
             PageText(ShownName(figures.plays[all[k]].name, kNameColumns)) + "</span>";
  if (all.size() > kShown)
    names += " / <span class=\"nb\">" + PageText(Others(all.size() - kShown)) + "</span>";
  const PlayRecord& champion = figures.plays[figures.champions[0]];
  const bool joint = figures.champions.size() > 1;
  const Word word = figures.date ? (joint ? Word::Champions : Word::Champion)
                                 : (joint ? Word::AllChampions : Word::AllChampion);
  const std::string result =
      joint ? Fill(Say({"総合得点 {}、ランク {}", "total {}, grade {}"}),
                   {std::to_string(champion.total), std::string(1, champion.grade)})
            : Fill(Say({"総合得点 {}、ランク {}（{}）", "total {}, grade {} ({})"}),
                   {std::to_string(champion.total), std::string(1, champion.grade),
                    WhenOf(figures, champion)});
  const bool tiedHours = BusiestHours(figures).size() > 1;
  return "<section class=\"headline\"><div class=\"champion\"><div class=\"label\">" +
         Html(Say(word)) + "</div><div class=\"name" + (joint ? " joint" : "") + "\">" + names +
         "</div><div class=\"result\">" + PageText(result) +
         "</div></div><div class=\"big\"><div>" + Html(Say(Word::PlaysHeadline)) +
         "</div><strong>" + std::to_string(figures.plays.size()) + "</strong><div>" +
         Html(Say(tiedHours ? Word::BusiestHours : Word::BusiestHeadline)) + "</div><strong" +
         (tiedHours ? " class=\"hours\"" : "") + ">" + PageText(BusiestHour(figures, 3)) +
         "</strong><div>" + PageText(BusiestHourPlays(figures)) + "</div></div></section>" +
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
              PageText(row[c]) + "</td>";
    html += "</tr>";
  }
  return html + "</table>";
}

std::string DayTable(const ReportFigures& figures) {
  if (figures.dayTable.empty()) return {};
  std::vector<std::vector<std::string>> rows;
  for (const DayFigures& day : figures.dayTable)
    rows.push_back({day.date, std::to_string(day.plays), day.firstTime, day.lastTime,
                    std::to_string(day.best), DayChampions(day)});
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
                    ShownName(play.name, kNameColumns), std::to_string(play.total),
                    std::string(1, play.grade)});
  }
  return "<h2>" + Html(Say(figures.date ? Word::DayBest : Word::AllBest)) + "</h2>" +
         Table({Say(Word::Place), Say(Word::Time), Say(Word::Name), Say(Word::Total),
                Say(Word::Grade)},
               {true, false, false, true, false}, rows, 2);
}

std::string Bests(const ReportFigures& figures) {
  std::vector<std::string> lines = {BestDistanceLine(figures, kHoldersOnPage),
                                    BestBounceLine(figures, kHoldersOnPage)};
  for (const std::string& line : RecordsLines(figures)) lines.push_back(line);
  lines.push_back(AverageLine(figures));
  return "<div class=\"bests\">" + Lines(lines) + "</div>";
}

// Entries into the top five the page has room for.
constexpr size_t kEntriesShown = 6;

// The top five as kv_rank.dat holds it now, and the passes told that entered it, each with its
// place then and whether it still stands.
std::string TopFive(const ReportFigures& figures) {
  std::string html = "<h2>" + Html(Say(Word::TopFiveNow)) + "</h2>";
  if (figures.topFive) {
    html += "<div class=\"standing\">" +
            Table({Say(Word::Place), Say(Word::Name), Say(Word::Total)}, {true, false, true},
                  TopFiveRows(figures), 1) +
            "</div>";
  } else {
    html += Lines({figures.topFiveProblem});
  }
  if (figures.enteredTopFive.empty()) return html;
  const size_t shown = std::min(figures.enteredTopFive.size(), kEntriesShown);
  const Rows rows = EntryRows(figures, shown);
  return html + "<h2>" + Html(Say(Word::TopFive)) + "</h2><div class=\"standing\">" +
         Table({Say(Word::Time), Say(Word::Name), Say(Word::Total), Say(Word::PlaceThen),
                Say(Word::Now)},
               {false, false, true, true, false}, rows, 1) +
         "</div>" +
         (shown < figures.enteredTopFive.size()
              ? "<p class=\"note\">" +
                    PageText(Fill(Say({"ほか {} 回（kavrel-ranking report で全部出ます）",
                                       "{} more (kavrel-ranking report shows them all)."}),
                                  {std::to_string(figures.enteredTopFive.size() - shown)})) +
                    "</p>"
              : "");
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
  return "<div class=\"columns\"><div>" + BestTable(figures) + GradeTable(figures) + "</div><div>" +
         TopFive(figures) + "</div></div>" + Bests(figures);
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

std::string PageText(std::string_view text) {
  // Runs kept on one line: a number with what follows it up to the next space or stop ("3 plays",
  // "18 回"), and dates and times with the date or time after them ("2026-12-08 16:55:30").
  auto digit = [&](size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
  auto numeric = [&](size_t i) {
    return digit(i) || (i < text.size() && std::strchr(":.-/", text[i])) ||
           text.substr(i).starts_with("～");
  };
  auto stop = [&](size_t i) {
    if (i >= text.size() || std::strchr(" ,;()<>&\"'", text[i])) return true;
    for (const char* mark : {"、", "。", "（", "）", "「", "」"})
      if (text.substr(i).starts_with(mark)) return true;
    return false;
  };
  auto step = [&](size_t i) {  // past the character at i
    size_t length = 0;
    DecodeUtf8(text, i, length);
    return i + length;
  };
  std::string out;
  for (size_t at = 0; at < text.size();) {
    // A number that stands as a word of its own: at the start, after a space, a bracket or a
    // Japanese comma.
    const std::string_view before = text.substr(0, at);
    const bool startsNumber = digit(at) && (at == 0 || std::strchr(" (", text[at - 1]) ||
                                            before.ends_with("（") || before.ends_with("、"));
    if (!startsNumber) {
      const size_t next = step(at);
      out += Marked(Html(text.substr(at, next - at)));
      at = next;
      continue;
    }
    size_t end = at;
    for (;;) {
      while (numeric(end)) end = step(end);
      if (end < text.size() && text[end] == ' ' && digit(end + 1)) {
        ++end;
        continue;
      }
      break;
    }
    if (end + 1 < text.size() && text[end] == ' ' && !stop(end + 1)) {
      ++end;
      while (!stop(end)) end = step(end);
    }
    while (end > at && text[end - 1] == '.') --end;  // a sentence's full stop stays outside
    out += "<span class=\"nb\">" + Marked(Html(text.substr(at, end - at))) + "</span>";
    at = end;
  }
  return out;
}

std::string ReportPage(const ReportFigures& figures, const std::string& boothBlock) {
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
  html += boothBlock;
  if (figures.skipped > 0)
    html += "<p class=\"note\">" + Html(SkippedLine(figures.skipped)) + "</p>\n";
  if (figures.cutShort > 0)
    html += "<p class=\"note\">" + Html(CutShortLine(figures.cutShort)) + "</p>\n";
  return html + "</body>\n</html>\n";
}

}  // namespace ranking
