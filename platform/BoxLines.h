// A box's text in lines that fit its width: boxes drawn by the X server's own dialog do not
// wrap, and a line wider than the screen loses both its ends.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace plat {

// The width of a piece of UTF-8 text, in whatever unit the limit is given.
using MeasureText = std::function<int(std::string_view utf8)>;

// `utf8` with its lines broken so that each measures at most `limit`. A line is broken at a space,
// or between two Japanese characters (never before a closing mark such as 、。）」 nor after an
// opening one); a file name is never split, and a command with its words ("kavrel-ranking merge",
// "kavrel --booth") stays on one line. Only what is wider than a whole line on its own is split,
// a path after a '/' or '\'. The line ends already in the text are kept.
std::string BreakIntoLines(std::string_view utf8, int limit, const MeasureText& measure);

}  // namespace plat
