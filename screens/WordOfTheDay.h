// The word of the day: one line of the attract screen, chosen afresh for every pass.
#pragma once

#include <string_view>

inline constexpr int kWordOfTheDayCount = 95;

// Line `index` (0 to 94) in UTF-8, as written in the source.
std::string_view WordOfTheDayUtf8(int index);
// Line `index` (0 to 94) in Shift-JIS, as drawn. An index out of range gives line 0.
std::string_view WordOfTheDay(int index);
