#include "platform/BoxLines.h"

#include <vector>

#include "platform/Utf8.h"

namespace plat {

namespace {

// Marks a line never starts with.
bool Closing(char32_t c) {
  static constexpr std::u32string_view kMarks =
      U"、。，．・：；？！）」』】〕］｝〉》ー～ぁぃぅぇぉっゃゅょァィゥェォッャュョ…";
  return kMarks.find(c) != std::u32string_view::npos;
}

// Marks a line never ends with.
bool Opening(char32_t c) {
  static constexpr std::u32string_view kMarks = U"（「『【〔［｛〈《";
  return kMarks.find(c) != std::u32string_view::npos;
}

// What is never broken inside: one Japanese character with the marks that cling to it, or words
// kept together (a file name, a command), broken at their spaces only when they are wider than a
// line.
struct Unit {
  std::vector<std::string> words;
  bool spaceBefore = false;
  bool ascii = false;  // ends in an ASCII word that the next one may join
  std::string Text() const {
    std::string text;
    for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
    return text;
  }
};

bool StartsCommand(const std::string& word) {
  return word.rfind("kavrel", 0) == 0 || word.rfind("(kavrel", 0) == 0;
}

// Whether `word` goes on with the command before it: an option, a path, a subcommand.
bool GoesOnCommand(const Unit& command, const std::string& word) {
  if (word.empty()) return false;
  if (word[0] == '-' || word.find_first_of("/\\:") != std::string::npos) return true;
  if (command.words.size() != 1) return false;
  for (const char c : word)
    if (!(c >= 'a' && c <= 'z')) return false;
  return true;
}

std::vector<Unit> UnitsOf(std::string_view paragraph) {
  bool japanese = false;
  for (const char c : paragraph) japanese = japanese || static_cast<unsigned char>(c) >= 0x80;
  std::vector<Unit> units;
  bool space = false;
  bool glue = false;  // the last unit ends in an opening mark
  for (size_t at = 0; at < paragraph.size();) {
    size_t length = 1;
    const char32_t c = DecodeUtf8(paragraph, at, length);
    if (c == U' ') {
      space = true;
      at += length;
      continue;
    }
    if (c < 0x80) {
      size_t end = at;
      while (end < paragraph.size() && paragraph[end] != ' ' &&
             static_cast<unsigned char>(paragraph[end]) < 0x80)
        ++end;
      std::string word(paragraph.substr(at, end - at));
      at = end;
      // A mark right after a word or a character stays with it ("読めません:", "(kavrel).").
      const bool clings = !space && std::string_view(":;,.)!?").find(word[0]) != std::string::npos;
      if ((glue || clings) && !units.empty()) {
        units.back().words.back() += word;
        units.back().ascii = units.back().ascii || glue;
      } else if (space && !units.empty() && units.back().ascii &&
                 (japanese ? true
                           : StartsCommand(units.back().words.front()) &&
                                 GoesOnCommand(units.back(), word))) {
        units.back().words.push_back(word);
      } else if (!space && !units.empty() && units.back().ascii) {
        units.back().words.back() += word;
      } else {
        units.push_back({{word}, space, true});
      }
      space = glue = false;
      continue;
    }
    std::string one(paragraph.substr(at, length));
    at += length;
    if (!units.empty() && !space && (glue || Closing(c))) {
      units.back().words.back() += one;
      units.back().ascii = false;
    } else {
      units.push_back({{one}, space, false});
    }
    glue = Opening(c);
    space = false;
  }
  return units;
}

class Lines {
 public:
  Lines(int limit, const MeasureText& measure) : limit_(limit), measure_(measure) {}

  void Place(const Unit& unit) {
    const std::string text = unit.Text();
    const std::string joined = line_ + (unit.spaceBefore && !line_.empty() ? " " : "") + text;
    if (line_.empty() ? Fits(text) : Fits(joined)) {
      line_ = line_.empty() ? text : joined;
      return;
    }
    if (!line_.empty()) End();
    if (Fits(text)) {
      line_ = text;
    } else if (unit.words.size() > 1) {
      for (const std::string& word : unit.words) Place({{word}, true, true});
    } else {
      Split(text);
    }
  }

  // The last line ended, and a line end written.
  void EndParagraph() {
    out_ += line_;
    line_.clear();
    out_ += '\n';
  }
  std::string Take() {
    out_ += line_;
    return out_;
  }

 private:
  bool Fits(const std::string& text) const { return measure_(text) <= limit_; }
  void End() {
    out_ += line_ + "\n";
    line_.clear();
  }

  // A word wider than a line: after a path's separators where it can, else a character at a time.
  void Split(const std::string& word) {
    for (size_t at = 0; at < word.size();) {
      const size_t separator = word.find_first_of("/\\", at);
      std::string piece =
          word.substr(at, separator == std::string::npos ? separator : separator + 1 - at);
      if (!Fits(piece)) {
        size_t length = 1;
        DecodeUtf8(word, at, length);
        piece = word.substr(at, length);
      }
      if (!line_.empty() && !Fits(line_ + piece)) End();
      line_ += piece;
      at += piece.size();
    }
  }

  int limit_;
  const MeasureText& measure_;
  std::string line_;
  std::string out_;
};

}  // namespace

std::string BreakIntoLines(std::string_view utf8, int limit, const MeasureText& measure) {
  Lines lines(limit, measure);
  for (size_t start = 0;;) {
    const size_t end = utf8.find('\n', start);
    for (const Unit& unit : UnitsOf(utf8.substr(start, end - start))) lines.Place(unit);
    if (end == std::string_view::npos) break;
    lines.EndParagraph();
    start = end + 1;
  }
  return lines.Take();
}

}  // namespace plat
