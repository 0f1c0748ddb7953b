// UTF-8, read and written the one way every part of the game and its tools does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What DecodeUtf8 gives for bytes that are not a well-formed character (overlong forms and
// surrogates included).
inline constexpr char32_t kNotUtf8 = 0xFFFFFFFF;

// The character at `at` in `text`, and in `length` how many bytes to move on. Bytes that are not
// a well-formed character give kNotUtf8 once for each bad byte, or once for the start of a
// character cut short, and never take a good character after them along.
char32_t DecodeUtf8(std::string_view text, size_t at, size_t& length);

// Appends the character in UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The short name of a control code ("US", "DEL") or of a character that turns the direction of
// the text around it ("RLO", "LRI"); null for any other character.
const char* ControlName(char32_t c);

// Text as it can be shown on a terminal or a page: control codes as their pictures (U+2400
// onwards, DEL as U+2421), the direction controls as their names in angle brackets ("<RLO>"),
// shown and not obeyed, the C1 controls (a terminal acts on some) and each byte that is not
// UTF-8 as U+FFFD; every other character as written.
std::string VisibleName(std::string_view utf8);
