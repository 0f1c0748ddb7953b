// UTF-8, read and written the one way every part of the game and its tools does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What DecodeUtf8 gives for bytes that are not a well-formed character (overlong forms and
// surrogates included).
inline constexpr char32_t kNotUtf8 = 0xFFFFFFFF;

// The character at `at` in `text`, and in `length` how many bytes to move on: the length its
// first byte announces (as far as the text goes), also when it is not well-formed.
char32_t DecodeUtf8(std::string_view text, size_t at, size_t& length);

// Appends the character in UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// Text as it can be shown on a terminal or a page: control codes as their pictures (U+2400
// onwards, DEL as U+2421), the C1 controls (a terminal acts on some) and bytes that are not
// UTF-8 as U+FFFD; every other character as written.
std::string VisibleName(std::string_view utf8);
