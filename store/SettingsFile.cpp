#include "store/SettingsFile.h"

#include <charconv>

#include "platform/TextLines.h"

namespace {

constexpr size_t kMaxSettingsFileBytes = 64 * 1024;

bool ReadSwitch(std::string_view value, bool& out) {
  if (value == "on") {
    out = true;
  } else if (value == "off") {
    out = false;
  } else {
    return false;
  }
  return true;
}

bool ReadVolume(std::string_view value, int& out) {
  int v = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), v);
  if (error != std::errc() || end != value.data() + value.size() || v < 0 || v > plat::kMaxVolume)
    return false;
  out = v;
  return true;
}

}  // namespace

SettingsRead ParseSettings(std::string_view text) {
  SettingsRead read;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  plat::CommentedLines lines(text);
  std::string_view line;
  while (lines.Next(line)) {
    line = plat::TrimBlanks(line);
    if (line.empty()) continue;
    const size_t equals = line.find('=');
    const std::string_view name =
        plat::TrimBlanks(line.substr(0, equals == std::string_view::npos ? 0 : equals));
    const std::string_view value =
        equals == std::string_view::npos ? "" : plat::TrimBlanks(line.substr(equals + 1));
    SoundSettings& s = read.settings;
    const bool good = (name == "volume" && ReadVolume(value, s.volume)) ||
                      (name == "sound" && ReadSwitch(value, s.sound)) ||
                      (name == "call" && ReadSwitch(value, s.call));
    if (!good) read.badLines.push_back(static_cast<int>(lines.Number()));
  }
  return read;
}

std::string FormatSettings(const SoundSettings& s) {
  return "# kavrel settings (kv_settings.txt)\n"
         "# volume: 0 (silent) to 10; sound: on or off; call: on or off (booth mode: a short\n"
         "# call on the attract screen every few minutes)\n"
         "volume = " +
         std::to_string(s.volume) + "\nsound = " + (s.sound ? "on" : "off") +
         "\ncall = " + (s.call ? "on" : "off") + "\n";
}

SettingsRead ReadSettingsFile() {
  std::string text;
  const DataFileRead file = ReadDataFile(kSettingsFileName, text, kMaxSettingsFileBytes);
  SettingsRead read = file.kind == DataFileRead::Read ? ParseSettings(text) : SettingsRead{};
  read.file = file;
  return read;
}

bool SaveSettingsFile(const SoundSettings& settings, int& error, FileOps& ops) {
  error = 0;
  return ReplaceFile(ops, kSettingsFileName, FormatSettings(settings), &error);
}
