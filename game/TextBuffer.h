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
};

// Shift-JIS of a UTF-8 literal, converted once and kept: S("…").
#define S(utf8)                                      \
  ([]() -> const std::string& {                      \
    static const std::string converted = Sjis(utf8); \
    return converted;                                \
  }())

// The Shift-JIS form of a UTF-8 format literal, for TextBuffer::Format: SF("あと%4d 秒"). The
// compiler's printf checking sees through it to the literal, which has the same conversion
// specifications: the ASCII bytes stay as they are, and no Shift-JIS trail byte is '%'.
#define SF(utf8) ConvertedFormat(utf8, S(utf8).c_str())
__attribute__((format_arg(1))) inline const char* ConvertedFormat(const char* /*utf8*/,
                                                                  const char* sjis) {
  return sjis;
}
