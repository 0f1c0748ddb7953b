// What the day's upkeep operations report, and where their lines go: the ranking tool prints
// them, the operator's screen shows them.
#pragma once

#include <string>

namespace ranking {

inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;  // bad input or a file problem; nothing changed
inline constexpr int kBadCommandLine = 2;
// A game (or another tool) holds the data directory, or it cannot be locked (without --no-lock).
inline constexpr int kDirectoryBusy = 5;

// The report's lines, and the problems told apart from them.
class Output {
 public:
  virtual ~Output() = default;
  virtual void Line(const std::string& utf8) = 0;
  virtual void Problem(const std::string& utf8) = 0;
};

}  // namespace ranking
