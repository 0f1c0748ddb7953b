// Conversion between the game's Shift-JIS (code page 932) byte strings and UTF-8.
#pragma once

#include <string>
#include <string_view>

// UTF-8 source text as the Shift-JIS bytes the game draws and stores. Characters without a
// code-page-932 form become "?".
std::string Sjis(std::string_view utf8);

// Shift-JIS bytes as UTF-8 for reading; bytes that do not decode become U+FFFD.
std::string SjisToUtf8(std::string_view sjis);
