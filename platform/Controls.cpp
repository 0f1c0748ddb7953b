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

// Keyboard keys a binding may name, by the file's short name or SDL's name (either, in any case),
// with their USB usage, which SDL's scancode is. Q and ESC are not among them: they are the
// operator's.
struct KeyboardKey {
  const char* name;
  const char* sdlName;
  int usage;
};
constexpr KeyboardKey kKeyboardKeys[] = {
    {"LCTRL", "Left Ctrl", 224},
    {"LSHIFT", "Left Shift", 225},
    {"LALT", "Left Alt", 226},
    {"RCTRL", "Right Ctrl", 228},
    {"RSHIFT", "Right Shift", 229},
    {"RALT", "Right Alt", 230},
    {"SPACE", "Space", 44},
    {"RETURN", "Return", 40},
    {"TAB", "Tab", 43},
    {"BACKSPACE", "Backspace", 42},
    {"RIGHT", "Right", 79},
    {"LEFT", "Left", 80},
    {"DOWN", "Down", 81},
    {"UP", "Up", 82},
    {"KP_ENTER", "Keypad Enter", 88},
    {"KP_0", "Keypad 0", 98},
};
constexpr int kUsageA = 4, kUsage1 = 30, kUsage0 = 39, kUsageF1 = 58, kUsageKeypad1 = 89;

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The USB usage of a key's name: the table's, a letter, a digit, F1 to F12, KP_1 to KP_9.
std::optional<int> KeyboardUsage(std::string_view name) {
  for (const KeyboardKey& key : kKeyboardKeys)
    if (SameWord(name, key.name) || SameWord(name, key.sdlName)) return key.usage;
  if (name.size() == 1) {
    const char c = name[0] >= 'a' && name[0] <= 'z' ? static_cast<char>(name[0] - 32) : name[0];
    if (c >= 'A' && c <= 'Z' && c != 'Q') return kUsageA + (c - 'A');
    if (c >= '1' && c <= '9') return kUsage1 + (c - '1');
    if (c == '0') return kUsage0;
  }
  for (int n = 1; n <= 12; ++n)
    if (SameWord(name, "F" + std::to_string(n))) return kUsageF1 + n - 1;
  for (int n = 1; n <= 9; ++n)
    if (SameWord(name, "KP_" + std::to_string(n)) || SameWord(name, "Keypad " + std::to_string(n)))
      return kUsageKeypad1 + n - 1;
  return std::nullopt;
}

// The file's name of a key's usage.
std::string KeyboardName(int usage) {
  for (const KeyboardKey& key : kKeyboardKeys)
    if (key.usage == usage) return key.name;
  if (usage >= kUsageA && usage < kUsageA + 26)
    return std::string(1, static_cast<char>('A' + usage - kUsageA));
  if (usage >= kUsage1 && usage < kUsage1 + 9)
    return std::string(1, static_cast<char>('1' + usage - kUsage1));
  if (usage == kUsage0) return "0";
  if (usage >= kUsageF1 && usage < kUsageF1 + 12) return "F" + std::to_string(usage - kUsageF1 + 1);
  if (usage >= kUsageKeypad1 && usage < kUsageKeypad1 + 9)
    return "KP_" + std::to_string(usage - kUsageKeypad1 + 1);
  return "?";
}

const char* const kKeyNames[] = {
    "SPACE", "NUMPAD1", "NUMPAD2", "RETURN", "LEFT",
    "RIGHT", "DOWN",    "UP",      "SERVICE"};  // SERVICE is F2: no default binding
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
  if (scan.Word("key")) {
    // The rest of the line is the name: SDL's names hold spaces ("Left Ctrl").
    const std::string_view name = TrimBlanks(text.substr(text.find("key") + 3));
    const std::optional<int> usage = KeyboardUsage(name);
    if (!usage) return std::nullopt;
    return Control{Control::Key, *usage};
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
      {VK_NUMPAD1, {Control::Button, 1}},
      {VK_NUMPAD2, {Control::Button, 2}},
      {VK_RETURN, {Control::Button, 3}},
      {VK_SPACE, {Control::Button, 4}},
      {VK_LEFT, {Control::HatLeft, 0}},
      {VK_RIGHT, {Control::HatRight, 0}},
      {VK_DOWN, {Control::HatDown, 0}},
      {VK_LEFT, {Control::AxisMinus, 1}},
      {VK_RIGHT, {Control::AxisPlus, 1}},
      {VK_DOWN, {Control::AxisPlus, 2}},
      // For the operator's screen's lists.
      {VK_UP, {Control::HatUp, 0}},
      {VK_UP, {Control::AxisMinus, 2}},
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

ControlBindings KeyboardBindings(const ControlMap& map) {
  ControlBindings keys;
  const auto take = [&keys](const ControlBindings& bindings) {
    for (const ControlBinding& b : bindings)
      if (b.control.kind == Control::Key) keys.push_back(b);
  };
  take(map.general);
  for (const ControllerSection& section : map.sections) take(section.bindings);
  return keys;
}

std::string ControlText(const Control& control) {
  switch (control.kind) {
    case Control::Key:
      return "key " + KeyboardName(control.number);
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
