#include "game/TextBuffer.h"

#include <cstdarg>
#include <cstdio>

namespace {

std::string_view FormatInto(char (&bytes)[TextBuffer::kSize], const char* format, va_list args) {
  const int n = std::vsnprintf(bytes, TextBuffer::kSize, format, args);
  if (n < 0) {
    bytes[0] = '\0';
    return {bytes, 0};
  }
  const size_t size = static_cast<size_t>(n);
  return {bytes, size < TextBuffer::kSize ? size : TextBuffer::kSize - 1};
}

}  // namespace

std::string_view TextBuffer::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string_view text = FormatInto(bytes, format, args);
  va_end(args);
  return text;
}

std::string_view TextBuffer::FormatConverted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string_view text = FormatInto(bytes, format, args);
  va_end(args);
  return text;
}
