// The tool's command line: kavrel-ranking [--data-dir DIR] [--no-lock] COMMAND [ARGUMENTS], --help,
// --version.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ranking {

struct CommandLine {
  enum Kind {
    Help,
    Version,
    List,
    Remove,
    Rename,
    Reset,
    Merge,
    SetAside,
    Backup,
    Report
  } kind = Help;
  std::optional<std::string> dataDir;  // UTF-8
  bool noLock = false;                 // a folder that cannot be locked is changed all the same
  std::vector<std::string> arguments;  // the command's own, checked for their number only
  // report's options: --date, --all, --html
  std::optional<std::string> date;
  bool all = false;
  std::optional<std::string> page;
};

// Nothing, with `error` (one line in the operator's language), when the command line is bad.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error);

// The help text in the operator's language.
const char* HelpText();

}  // namespace ranking
