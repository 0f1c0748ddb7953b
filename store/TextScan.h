// Reading numbers out of the data files the way the formatted input of the C library does: white
// space is skipped, then the longest number is taken. Text that is not a number stops the reading.
// And the one way the game writes and shows a distance or a bounce score.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

// The data files are a few hundred bytes; a larger file is read only this far.
inline constexpr size_t kMaxDataFileBytes = 1 << 20;

// Up to kMaxDataFileBytes of the stream.
std::string ReadAllBounded(std::istream& in);

// "%f" of any double, however long (1e308 has 309 digits before the point): six decimals, as
// kavrel.dat, the play log and the results screen give them.
std::string FixedSix(double value);

class TextScan {
 public:
  explicit TextScan(std::string_view text) : text_(text) {}

  void SkipSpace();
  // White space, then a decimal integer with an optional sign. Digits beyond the range of 32 bits
  // are all taken and the value clamped to the nearest end of the range.
  std::optional<int32_t> Int();
  // White space, then a decimal floating-point number. Not-a-number, infinities and numbers
  // beyond the range of a double are not readable: the game never writes them.
  std::optional<double> Double();
  // A line end (CR LF, LF or a lone CR), with spaces and tabs before it; nothing when the line
  // goes on with other text.
  void SkipLineEnd();
  // The next byte, if any.
  std::optional<char> Byte();

 private:
  std::string_view text_;
  size_t at_ = 0;
};
