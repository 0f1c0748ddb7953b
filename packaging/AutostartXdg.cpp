#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "packaging/Autostart.h"
#include "packaging/OperatorText.h"
#include "platform/Language.h"
#include "store/Reasons.h"

namespace fs = std::filesystem;

namespace booth {
namespace {

// $XDG_CONFIG_HOME/autostart, or ~/.config/autostart.
fs::path AutostartFile() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  fs::path dir;
  if (config && config[0] == '/') {
    dir = config;
  } else {
    const char* home = std::getenv("HOME");
    dir = fs::path(home ? home : "") / ".config";
  }
  return dir / "autostart" / "kavrel-booth.desktop";
}

// One argument of an Exec line, quoted as desktop entries want when it needs it.
std::string ExecArgument(const std::string& arg) {
  std::string out;
  bool quote = arg.empty();
  for (char c : arg) {
    if (c == '%') {
      out += "%%";
      continue;
    }
    if (std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos) quote = true;
    // Escaped for the quotes, and that escape again for the string: a backslash takes four.
    if (c == '\\') {
      out += "\\\\\\\\";
      quote = true;
      continue;
    }
    if (c == '"' || c == '`' || c == '$') out += "\\\\";
    out += c;
  }
  return quote ? "\"" + out + "\"" : out;
}

// A failure to the operator: the file, why (the game's own words) and what to do about it.
std::string Failed(const plat::Bilingual& text, const fs::path& file, int error) {
  const FileFailure& failure = FileFailureFor(error);
  return OperatorText(text, {file.string(), plat::Say(failure.reason), plat::Say(failure.remedy)});
}

}  // namespace

bool InstallAutostart(const std::vector<std::string>& args, std::string& said) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const fs::path file = AutostartFile();
  std::string exec = ExecArgument(ec ? std::string("kavrel") : self.string()) + " --booth";
  for (const std::string& a : args) exec += " " + ExecArgument(a);
  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Kavrel (booth)\n"
      "Name[ja]=Kavrel（ブース）\n"
      "Comment=Starts the festival booth game in booth mode when the session begins\n"
      "Comment[ja]=ログインしたときに、文化祭のゲームをブースモードで始めます\n"
      "Exec=" +
      exec +
      "\n"
      "Terminal=false\n"
      "X-GNOME-Autostart-enabled=true\n";
  fs::create_directories(file.parent_path(), ec);
  const fs::path temporary = file.string() + ".tmp." + std::to_string(getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << entry;
    out.flush();
    if (!out) ec = std::make_error_code(std::errc::io_error);
  }
  if (!ec) fs::rename(temporary, file, ec);
  if (ec) {
    fs::remove(temporary, ec);
    said = Failed({"自動起動の設定 {} を書けません（{}）。{}",
                   "cannot write the autostart entry {} ({}). {}"},
                  file, ec.value() ? ec.value() : EIO);
    return false;
  }
  said = OperatorText({"ログインしたときにブースモードで始まるよう、{} を置きました。"
                       "最初のメッセージは 30 秒たつと自動で閉じ、ゲームが始まります"
                       "（やめるには kavrel --autostart off）",
                       "the booth starts in booth mode when the session begins: {} is in "
                       "place; its first box starts the game by itself after 30 seconds "
                       "(kavrel --autostart off takes it away)"},
                      {file.string()});
  return true;
}

bool RemoveAutostart(std::string& said) {
  const fs::path file = AutostartFile();
  std::error_code ec;
  fs::remove(file, ec);
  if (ec) {
    said = Failed({"自動起動の設定 {} を消せません（{}）。{}",
                   "cannot remove the autostart entry {} ({}). {}"},
                  file, ec.value());
    return false;
  }
  said = OperatorText({"ログインしたときにゲームが始まることはもうありません（{} はありません）",
                       "the booth no longer starts when the session begins ({} is gone)"},
                      {file.string()});
  return true;
}

}  // namespace booth
