#include "tools/replay/ScriptParser.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/TextLines.h"

namespace {

using plat::IsBlank;

std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// A word quoted for an error line: printable ASCII only, cut short, so the message stays one line.
std::string Quoted(std::string_view word) {
  constexpr size_t kMax = 32;
  std::string out = "'";
  for (size_t i = 0; i < word.size() && i < kMax; ++i) {
    const unsigned char c = static_cast<unsigned char>(word[i]);
    out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  if (word.size() > kMax) out += "...";
  out += "'";
  return out;
}

// Reads one whole number word. On failure returns what is wrong with it.
template <typename T>
std::optional<std::string> ReadNumber(std::string_view word, const char* what, T& out) {
  const char* first = word.data();
  const char* last = word.data() + word.size();
  const bool negative = !word.empty() && word[0] == '-';
  if constexpr (std::is_unsigned_v<T>) {
    if (negative && word.size() > 1 &&
        std::all_of(word.begin() + 1, word.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return std::string("negative ") + what + " " + Quoted(word);
    }
  }
  // from_chars takes no '+', and for unsigned types no '-': both are rejected as not numeric.
  const auto [end, ec] = std::from_chars(first, last, out);
  if (ec == std::errc::result_out_of_range && end == last) {
    return std::string(what) + " out of range " + Quoted(word);
  }
  if (ec != std::errc() || end != last) {
    return std::string(what) + " is not a whole number: " + Quoted(word);
  }
  return std::nullopt;
}

// A tap of a key or a press of a pad's control: down at `t`, up the duration `word` later. The
// fault of the line, if it has one.
template <typename Event, typename What>
std::optional<std::string> AddPress(std::vector<Event>& events, uint64_t t, const What& what,
                                    std::string_view word, std::string_view directive) {
  uint64_t d = 0;
  if (auto bad = ReadNumber(word, "duration", d)) return bad;
  if (d > std::numeric_limits<uint64_t>::max() - t)
    return std::string(directive) + " ends out of range (time + duration overflows)";
  events.push_back({t, what, true});
  events.push_back({t + d, what, false});
  return std::nullopt;
}

}  // namespace

std::optional<int> ScriptKeyCode(std::string_view name) {
  for (const plat::KeyName& k : plat::kGameKeys) {
    if (k.name == name) return k.vk;
  }
  if (name == "1") return plat::VK_1;
  if (name == "2") return plat::VK_2;
  return std::nullopt;
}

std::optional<plat::Control> ScriptPadControl(std::string_view name) {
  using plat::Control;
  const struct {
    const char* name;
    Control::Kind kind;
  } hats[] = {{"hat-left", Control::HatLeft},
              {"hat-right", Control::HatRight},
              {"hat-up", Control::HatUp},
              {"hat-down", Control::HatDown}};
  for (const auto& hat : hats)
    if (name == hat.name) return Control{hat.kind, 0};
  // buttonN, axisN-, axisN+: N without sign or leading zero, within the pad's own.
  const auto number = [](std::string_view digits, int limit) -> std::optional<int> {
    int n = 0;
    if (digits.empty() || digits.size() > 2 || digits[0] == '0') return std::nullopt;
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + (c - '0');
    }
    return n <= limit ? std::optional<int>(n) : std::nullopt;
  };
  if (name.starts_with("button")) {
    if (auto n = number(name.substr(6), plat::kReplayPadButtons))
      return Control{Control::Button, *n};
  } else if (name.starts_with("axis") && name.size() > 5 &&
             (name.back() == '-' || name.back() == '+')) {
    const auto n = number(name.substr(4, name.size() - 5), plat::kReplayPadAxes);
    if (n) return Control{name.back() == '-' ? Control::AxisMinus : Control::AxisPlus, *n};
  }
  return std::nullopt;
}

std::optional<plat::VirtualScript> ParseScript(std::string_view text, std::string& error) {
  plat::VirtualScript script;
  plat::CommentedLines lines(text);

  const auto fail = [&](const std::string& what) {
    error = "script line " + std::to_string(lines.Number()) + ": " + what;
    return std::nullopt;
  };

  std::string_view line;
  while (lines.Next(line)) {
    const std::vector<std::string_view> words = SplitWords(line);
    if (words.empty()) continue;

    const std::string_view directive = words[0];
    size_t wanted = 0;
    if (directive == "time" || directive == "tick" || directive == "end" || directive == "crash" ||
        directive == "term") {
      wanted = 2;
    } else if (directive == "down" || directive == "up" || directive == "stall") {
      wanted = 3;
    } else if (directive == "tap" || directive == "pad") {
      wanted = 4;
    } else {
      return fail("unknown directive " + Quoted(directive));
    }
    if (words.size() < wanted) {
      return fail(std::string(directive) + " needs " + std::to_string(wanted - 1) + " value" +
                  (wanted > 2 ? "s" : ""));
    }
    if (words.size() > wanted) {
      return fail("extra value " + Quoted(words[wanted]) + " after " + std::string(directive));
    }

    if (directive == "time") {
      int64_t seconds = 0;
      if (auto bad = ReadNumber(words[1], "seconds", seconds)) return fail(*bad);
      script.seconds = seconds;
    } else if (directive == "tick") {
      uint32_t tick = 0;
      if (auto bad = ReadNumber(words[1], "tick", tick)) return fail(*bad);
      script.startTick = tick;
    } else if (directive == "end" || directive == "crash") {
      uint64_t t = 0;
      if (auto bad = ReadNumber(words[1], "time", t)) return fail(*bad);
      // The earliest stop counts; of two at the same time, the one written first.
      if (!script.end || t < *script.end) {
        script.end = t;
        script.endIsCrash = directive == "crash";
      }
    } else if (directive == "term") {
      uint64_t t = 0;
      if (auto bad = ReadNumber(words[1], "time", t)) return fail(*bad);
      if (!script.term || t < *script.term) script.term = t;
    } else if (directive == "stall") {
      uint64_t t = 0;
      uint64_t d = 0;
      if (auto bad = ReadNumber(words[1], "time", t)) return fail(*bad);
      if (auto bad = ReadNumber(words[2], "duration", d)) return fail(*bad);
      script.stalls.push_back({t, d});
    } else if (directive == "pad") {
      uint64_t t = 0;
      if (auto bad = ReadNumber(words[1], "time", t)) return fail(*bad);
      const std::optional<plat::Control> control = ScriptPadControl(words[2]);
      if (!control) return fail("unknown control " + Quoted(words[2]));
      if (auto bad = AddPress(script.pads, t, *control, words[3], directive)) return fail(*bad);
    } else {
      uint64_t t = 0;
      if (auto bad = ReadNumber(words[1], "time", t)) return fail(*bad);
      if (words[2] == "CLOSE") {
        // The window manager's close request: only its arrival counts.
        std::vector<plat::ScriptKeyEvent> press;
        if (directive == "tap")
          if (auto bad = AddPress(press, t, 0, words[3], directive)) return fail(*bad);
        if (directive != "up") script.closes.push_back(t);
        continue;
      }
      const std::optional<int> vk = ScriptKeyCode(words[2]);
      if (!vk) return fail("unknown key " + Quoted(words[2]));
      if (directive != "tap") {
        script.keys.push_back({t, *vk, directive == "down"});
      } else if (auto bad = AddPress(script.keys, t, *vk, words[3], directive)) {
        return fail(*bad);
      }
    }
  }

  // The machine reads events in time order; equal times keep the script's order.
  std::stable_sort(
      script.keys.begin(), script.keys.end(),
      [](const plat::ScriptKeyEvent& a, const plat::ScriptKeyEvent& b) { return a.time < b.time; });
  std::stable_sort(
      script.pads.begin(), script.pads.end(),
      [](const plat::ScriptPadEvent& a, const plat::ScriptPadEvent& b) { return a.time < b.time; });
  error.clear();
  return script;
}
