#include "game/TextBuffer.h"

#include <cstdarg>
#include <cstdio>

std::string_view TextBuffer::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(bytes, kSize, format, args);
  va_end(args);
  if (n < 0) {
    bytes[0] = '\0';
    return {bytes, 0};
  }
  return {bytes, static_cast<size_t>(n) < kSize ? static_cast<size_t>(n) : kSize - 1};
}
