#include "platform/Controls.h"

#include <cstdio>
#include <optional>

#include "platform/TextLines.h"

namespace plat {
namespace {

// What the file may name: more buttons and axes than any controller has, fewer than nonsense.
constexpr int kMaxButton = 128;
constexpr int kMaxAxis = 32;

struct HatWord {
  const char* word;
  Control::Kind kind;
};
constexpr HatWord kHatWords[] = {{"left", Control::HatLeft},
                                 {"right", Control::HatRight},
                                 {"up", Control::HatUp},
                                 {"down", Control::HatDown}};

const char* const kKeyNames[] = {"SPACE", "NUMPAD1", "NUMPAD2", "RETURN", "LEFT", "RIGHT", "DOWN",
                                 "UP",    "SERVICE"};  // SERVICE is F2: no default binding
static_assert(std::size(kKeyNames) == std::size(kControllerKeys));

// Reads a control's words, with blanks free between them: a word, a number, a sign.
class WordScan {
 public:
  explicit WordScan(std::string_view text) : s_(text) {}
  bool Word(std::string_view word) {
    Blanks();
    if (!s_.starts_with(word)) return false;
    s_.remove_prefix(word.size());
    return true;
  }
  // A number 1..limit (digits only).
  std::optional<int> Number(int limit) {
    Blanks();
    int value = 0;
    size_t i = 0;
    while (i < s_.size() && s_[i] >= '0' && s_[i] <= '9') {
      value = value * 10 + (s_[i] - '0');
      if (value > limit) return std::nullopt;
      ++i;
    }
    if (i == 0 || value < 1) return std::nullopt;
    s_.remove_prefix(i);
    return value;
  }
  bool AtEnd() {
    Blanks();
    return s_.empty();
  }

 private:
  void Blanks() {
    while (!s_.empty() && IsBlank(s_.front())) s_.remove_prefix(1);
  }
  std::string_view s_;
};

std::optional<Control> ParseControl(std::string_view text) {
  WordScan scan(text);
  if (scan.Word("button")) {
    const std::optional<int> n = scan.Number(kMaxButton);
    if (!n || !scan.AtEnd()) return std::nullopt;
    return Control{Control::Button, *n};
  }
  if (scan.Word("hat")) {
    for (const HatWord& hat : kHatWords)
      if (scan.Word(hat.word))
        return scan.AtEnd() ? std::optional(Control{hat.kind, 0}) : std::nullopt;
    return std::nullopt;
  }
  if (scan.Word("axis")) {
    const std::optional<int> n = scan.Number(kMaxAxis);
    if (!n) return std::nullopt;
    const Control::Kind kind = scan.Word("-")   ? Control::AxisMinus
                               : scan.Word("+") ? Control::AxisPlus
                                                : Control::Button;
    if (kind == Control::Button || !scan.AtEnd()) return std::nullopt;
    return Control{kind, *n};
  }
  return std::nullopt;
}

std::optional<int> ParseKey(std::string_view name) {
  for (size_t i = 0; i < std::size(kKeyNames); ++i)
    if (name == kKeyNames[i]) return kControllerKeys[i];
  return std::nullopt;
}

std::optional<int> HexWord(std::string_view s) {
  if (s.size() != 4) return std::nullopt;
  int value = 0;
  for (char c : s) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * 16 + digit;
  }
  return value;
}

// "[VVVV:PPPP]"
std::optional<std::pair<uint16_t, uint16_t>> ParseSection(std::string_view s) {
  if (s.size() != 11 || s.front() != '[' || s.back() != ']' || s[5] != ':') return std::nullopt;
  const std::optional<int> vendor = HexWord(s.substr(1, 4));
  const std::optional<int> product = HexWord(s.substr(6, 4));
  if (!vendor || !product) return std::nullopt;
  return std::pair{static_cast<uint16_t>(*vendor), static_cast<uint16_t>(*product)};
}

}  // namespace

const ControlBindings& DefaultControlBindings() {
  static const ControlBindings defaults = {
      {VK_NUMPAD1, {Control::Button, 1}}, {VK_NUMPAD2, {Control::Button, 2}},
      {VK_RETURN, {Control::Button, 3}},  {VK_SPACE, {Control::Button, 4}},
      {VK_LEFT, {Control::HatLeft, 0}},   {VK_RIGHT, {Control::HatRight, 0}},
      {VK_DOWN, {Control::HatDown, 0}},   {VK_LEFT, {Control::AxisMinus, 1}},
      {VK_RIGHT, {Control::AxisPlus, 1}}, {VK_DOWN, {Control::AxisPlus, 2}},
      // For the operator's screen's lists.
      {VK_UP, {Control::HatUp, 0}},       {VK_UP, {Control::AxisMinus, 2}},
  };
  return defaults;
}

const ControlBindings* ControlMap::Find(uint16_t vendor, uint16_t product) const {
  for (const ControllerSection& section : sections)
    if (section.vendor == vendor && section.product == product) return &section.bindings;
  return hasGeneral ? &general : nullptr;
}

const ControlBindings& ControlMap::For(uint16_t vendor, uint16_t product) const {
  const ControlBindings* found = Find(vendor, product);
  return found ? *found : DefaultControlBindings();
}

ControlsRead ParseControls(std::string_view text) {
  ControlsRead read;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  ControlBindings* into = nullptr;  // the section being read; null before the first
  ControlBindings unnamed;          // the lines under a bad section line, left out with it
  CommentedLines lines(text);
  std::string_view line;
  while (lines.Next(line)) {
    const int number = static_cast<int>(lines.Number());
    line = TrimBlanks(line);
    if (line.empty()) continue;

    if (line.front() == '[') {
      const auto ids = ParseSection(line);
      if (!ids) {
        read.badLines.push_back(number);
        into = &unnamed;
        continue;
      }
      into = nullptr;
      for (ControllerSection& section : read.map.sections)
        if (section.vendor == ids->first && section.product == ids->second)
          into = &section.bindings;
      if (!into) {
        read.map.sections.push_back({ids->first, ids->second, {}});
        into = &read.map.sections.back().bindings;
      }
      continue;
    }
    const size_t equals = line.find('=');
    const std::optional<int> key = equals == std::string_view::npos
                                       ? std::nullopt
                                       : ParseKey(TrimBlanks(line.substr(0, equals)));
    const std::optional<Control> control =
        key ? ParseControl(line.substr(equals + 1)) : std::nullopt;
    if (!control) {
      read.badLines.push_back(number);
      continue;
    }
    if (!into) {
      into = &read.map.general;
      read.map.hasGeneral = true;
    }
    into->push_back({*key, *control});
  }
  return read;
}

std::string ControlText(const Control& control) {
  switch (control.kind) {
    case Control::Button:
      return "button " + std::to_string(control.number);
    case Control::AxisMinus:
    case Control::AxisPlus:
      return "axis " + std::to_string(control.number) +
             (control.kind == Control::AxisMinus ? " -" : " +");
    default:
      for (const HatWord& hat : kHatWords)
        if (hat.kind == control.kind) return std::string("hat ") + hat.word;
  }
  return "";
}

const char* ControllerKeyName(int vk) {
  for (size_t i = 0; i < std::size(kKeyNames); ++i)
    if (kControllerKeys[i] == vk) return kKeyNames[i];
  return "";
}

std::string FormatControls(const ControlMap& map) {
  std::string out =
      "# kavrel: which controller inputs stand for the game's keys (kavrel --controls)\n";
  const auto lines = [&out](const ControlBindings& bindings) {
    for (const ControlBinding& b : bindings)
      out += std::string(ControllerKeyName(b.vk)) + " = " + ControlText(b.control) + "\n";
  };
  if (map.hasGeneral) lines(map.general);
  for (const ControllerSection& section : map.sections) {
    char header[16];
    std::snprintf(header, sizeof header, "[%04X:%04X]\n", section.vendor, section.product);
    out += header;
    lines(section.bindings);
  }
  return out;
}

}  // namespace plat
