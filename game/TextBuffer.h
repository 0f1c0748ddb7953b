// The game's texts: UTF-8 literals in the source, drawn and stored as Shift-JIS bytes, and the
// 256-byte buffer every formatted line goes through.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ShiftJis.h"

struct TextBuffer {
  static constexpr size_t kSize = 256;
  char bytes[kSize] = {};

  // printf into the buffer, cut to fit; returns the formatted text.
  std::string_view Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The same with the Shift-JIS form of a format that SJIS_FORMAT has checked; nothing else calls
  // it.
  std::string_view FormatConverted(const char* format, ...);
};

// Shift-JIS of a UTF-8 literal, converted once and kept: S("…").
#define S(utf8)                                      \
  ([]() -> const std::string& {                      \
    static const std::string converted = Sjis(utf8); \
    return converted;                                \
  }())

// Checks a format against its arguments at compile time; never called.
int CheckFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf of a UTF-8 format literal's Shift-JIS form into `buffer`. The compiler checks the
// UTF-8 literal against the arguments; the conversion keeps every conversion specification as it
// is, since the ASCII bytes stay and no Shift-JIS trail byte is '%'.
#define SJIS_FORMAT(buffer, utf8, ...)           \
  ((void)sizeof(CheckFormat(utf8, __VA_ARGS__)), \
   (buffer).FormatConverted(S(utf8).c_str(), __VA_ARGS__))
