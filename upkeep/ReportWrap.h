// Lines for the terminal within its 80 columns: a longer line is broken between words or
// phrases (after a space, after a Japanese comma or full stop), or between Japanese characters
// when no phrase ends in reach, never between a number and its unit or a date and its time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ranking {

inline constexpr size_t kTerminalColumns = 80;

// `line` as one or more lines of at most `columns` columns; what follows a break is indented.
std::vector<std::string> Wrapped(const std::string& line, size_t columns = kTerminalColumns);

}  // namespace ranking
