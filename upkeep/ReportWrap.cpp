#include "upkeep/ReportWrap.h"

#include <algorithm>
#include <string_view>

#include "platform/Utf8.h"
#include "upkeep/ReportText.h"

namespace ranking {
namespace {

constexpr std::string_view kIndent = "    ";

struct Char {
  size_t at, length, width;
  char32_t c;
};

bool Digit(char32_t c) {
  return c >= '0' && c <= '9';
}

// Japanese punctuation a line may not start with, and may not end with.
bool Closing(char32_t c) {
  return c == U'、' || c == U'。' || c == U'）' || c == U'」' || c == U'』' || c == U'：' ||
         c == U'ー' || c == U'～' || c == U'ぁ' || c == U'ぃ' || c == U'ぅ' || c == U'ぇ' ||
         c == U'ぉ' || c == U'っ' || c == U'ゃ' || c == U'ゅ' || c == U'ょ' || c == U'ァ' ||
         c == U'ィ' || c == U'ゥ' || c == U'ェ' || c == U'ォ' || c == U'ッ' || c == U'ャ' ||
         c == U'ュ' || c == U'ョ' || c == ')' || c == ',' || c == '.' || c == ':';
}
bool Opening(char32_t c) {
  return c == U'（' || c == U'「' || c == U'『' || c == '(';
}

enum class Break { None, Character, Phrase };

// May a line end before chars[k]?
Break BreakBefore(const std::vector<Char>& chars, size_t k) {
  const Char& before = chars[k - 1];
  const Char& after = chars[k];
  if (after.c == ' ') return Break::None;
  if (before.c == ' ') {
    size_t word = k - 1;
    while (word > 0 && chars[word].c == ' ') --word;
    // "3 plays", "2026-12-08 16:55:30", "3 回": a number keeps what follows it.
    if (chars[word].c == ' ' || Digit(chars[word].c)) return Break::None;
    return Break::Phrase;
  }
  if (Closing(after.c) || Opening(before.c)) return Break::None;
  if (before.c == U'、' || before.c == U'。' || Opening(after.c)) return Break::Phrase;
  if (before.width == 2 && after.width == 2) return Break::Character;
  return Break::None;
}

}  // namespace

std::vector<std::string> Wrapped(const std::string& line, size_t columns) {
  std::vector<std::string> lines;
  std::string rest = line;
  while (DisplayWidth(rest) > columns) {
    std::vector<Char> chars;
    for (size_t at = 0; at < rest.size();) {
      size_t length = 0;
      const char32_t c = DecodeUtf8(rest, at, length);
      chars.push_back({at, length, DisplayWidth(std::string_view(rest).substr(at, length)), c});
      at += length;
    }
    // The last place of each kind within the columns, past the indent of a continued line.
    size_t width = chars[0].width, phrase = 0, phraseWidth = 0, character = 0, hard = 1;
    const size_t first = lines.empty() ? 1 : kIndent.size() + 1;
    for (size_t k = 1; k < chars.size() && width + chars[k].width <= columns; ++k) {
      hard = k + 1;
      if (k >= first) {
        const Break kind = BreakBefore(chars, k);
        if (kind == Break::Phrase) phrase = k, phraseWidth = width;
        if (kind != Break::None) character = k;
      }
      width += chars[k].width;
    }
    // A phrase's end unless it leaves the line less than half full.
    size_t cut = phrase > 0 && phraseWidth * 2 >= columns ? phrase : character;
    if (cut == 0) cut = phrase > 0 ? phrase : std::min(hard, chars.size() - 1);
    if (cut == 0) break;
    std::string head = rest.substr(0, chars[cut].at);
    while (!head.empty() && head.back() == ' ') head.pop_back();
    lines.push_back(head);
    size_t from = chars[cut].at;
    while (from < rest.size() && rest[from] == ' ') ++from;
    rest = std::string(kIndent) + rest.substr(from);
  }
  lines.push_back(rest);
  return lines;
}

}  // namespace ranking
