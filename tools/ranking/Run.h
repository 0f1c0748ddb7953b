// kavrel-ranking's commands, run in the data directory under its lock.
#pragma once

#include <string>
#include <vector>

namespace ranking {

inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;  // bad input or a file problem; nothing changed
inline constexpr int kBadCommandLine = 2;
// A game (or another tool) holds the data directory, or it cannot be locked (without --no-lock).
inline constexpr int kDirectoryBusy = 5;

// Where the tool's lines go: the report to standard output, problems to standard error.
class Output {
 public:
  virtual ~Output() = default;
  virtual void Line(const std::string& utf8) = 0;
  virtual void Problem(const std::string& utf8) = 0;
};

// Runs the command line `args` (without the program's name). The current directory is the same
// again on return.
int Run(const std::vector<std::string>& args, Output& out);

}  // namespace ranking
