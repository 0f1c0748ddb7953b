#include "tools/ranking/ReportText.h"

#include <cmath>
#include <cstdio>

#include "tools/ranking/Text.h"

namespace ranking {
namespace {

using plat::Say;

constexpr char32_t kInvalid = 0xFFFD;

// The character at `at` and its length in bytes; U+FFFD and one byte when the bytes there are not
// a character of UTF-8 (overlong forms and surrogates included).
char32_t Decode(std::string_view text, size_t at, size_t& length) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  length = 1;
  if (lead < 0x80) return lead;
  size_t more;
  char32_t c;
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3, c = lead & 0x07;
  } else {
    return kInvalid;
  }
  if (at + more >= text.size()) return kInvalid;
  for (size_t i = 1; i <= more; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return kInvalid;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (c < kLeast[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kInvalid;
  length = more + 1;
  return c;
}

void Encode(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

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

std::string VisibleName(std::string_view utf8) {
  std::string out;
  for (size_t at = 0; at < utf8.size();) {
    size_t length = 0;
    const char32_t c = Decode(utf8, at, length);
    at += length;
    if (c < 0x20) {
      Encode(0x2400 + c, out);
    } else if (c == 0x7F) {
      Encode(0x2421, out);
    } else if (c >= 0x80 && c < 0xA0) {
      Encode(kInvalid, out);  // C1 controls: a terminal would act on some of them
    } else {
      Encode(c, out);
    }
  }
  return out;
}

size_t DisplayWidth(std::string_view utf8) {
  const bool japanese = plat::OperatorReadsJapanese();
  size_t width = 0;
  for (size_t at = 0; at < utf8.size();) {
    size_t length = 0;
    const char32_t c = Decode(utf8, at, length);
    at += length;
    width += In(kWide, c) || (japanese && In(kAmbiguous, c)) ? 2 : 1;
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

std::string ReportTitle(const ReportFigures& figures) {
  if (figures.date)
    return Fill(Say({"Kavrel {} のまとめ", "Kavrel: the day's report, {}"}), {*figures.date});
  if (figures.plays.empty()) return Say({"Kavrel 全日のまとめ", "Kavrel: every day in the log"});
  return Fill(Say({"Kavrel 全日のまとめ（{} ～ {}）", "Kavrel: every day in the log, {} to {}"}),
              {figures.firstDate, figures.lastDate});
}

std::string PlaysLine(const ReportFigures& figures) {
  const std::string count = std::to_string(figures.plays.size());
  if (figures.date)
    return Fill(
        Say({"遊んだ回数 {} 回（最初 {}、最後 {}）", "{} plays, the first at {}, the last at {}."}),
        {count, figures.firstTime, figures.lastTime});
  return Fill(Say({"遊んだ回数 {} 回（最初 {} {}、最後 {} {}）",
                   "{} plays, the first {} {}, the last {} {}."}),
              {count, figures.firstDate, figures.firstTime, figures.lastDate, figures.lastTime});
}

std::string NoPlaysLine(const ReportFigures& figures) {
  if (figures.date)
    return Fill(Say({"{} のプレイはありません。--date か --all でほかの日を表示します。",
                     "No plays on {}. Another day: --date 2026-12-08; all days: --all."}),
                {*figures.date});
  return Say({"プレイ記録に、遊んだ回はまだありません。", "The log holds no plays yet."});
}

std::string SkippedLine(size_t skipped) {
  return Fill(Say({"プレイ記録のうち、途中で切れた行や形の違う行を {} 行、飛ばしました。",
                   "{} line(s) of the log were skipped: cut off, or not as the game writes them."}),
              {std::to_string(skipped)});
}

std::string AverageLine(const ReportFigures& figures) {
  return Fill(Say({"総合得点の平均 {}、中央値 {}", "Average total {}, median {}."}),
              {OneDecimal(figures.average), Median(figures.median)});
}

std::string WhenOf(const ReportFigures& figures, const Play& play) {
  return figures.date ? play.Time() : play.Date() + " " + play.Time();
}

}  // namespace ranking
