// Conversion between the game's Shift-JIS (code page 932) byte strings and UTF-8.
#pragma once

#include <string>
#include <string_view>

// UTF-8 source text as the Shift-JIS bytes the game draws and stores. Characters without a
// code-page-932 form become "?".
std::string Sjis(std::string_view utf8);

// Shift-JIS bytes as UTF-8 for reading; bytes that do not decode become U+FFFD.
std::string SjisToUtf8(std::string_view sjis);

// Code page 932 byte by byte, for drawing: lead bytes open a two-byte character.
inline bool SjisIsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The character of a single byte: printable ASCII or half-width katakana; 0 for control codes
// and bytes that stand for nothing on screen.
inline char32_t SjisByteToCodePoint(unsigned char b) {
  if (b >= 0x20 && b <= 0x7E) return b;
  if (b >= 0xA1 && b <= 0xDF) return 0xFF61 + (b - 0xA1);
  return 0;
}

// The character of a two-byte pair from a table built once; 0 where code page 932 has none.
char32_t SjisPairToCodePoint(unsigned char lead, unsigned char trail);
