// Which presented frames the replay saves as PNG files, and the saving.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/System.h"

// A list of frame numbers and ranges, "3,10-20,400".
class FrameList {
 public:
  // nullopt and `error` set when the list is malformed.
  static std::optional<FrameList> Parse(std::string_view text, std::string& error);
  bool Contains(int n) const;

 private:
  std::vector<std::pair<int, int>> ranges_;  // inclusive
};

// Writes DIR/NNNNNN.png for the chosen presented frames: those of a list, or by default the last
// presented frame of every screen visit (a visit being consecutive frames of one screen).
class PngFrameSaver {
 public:
  PngFrameSaver(std::string dir, std::optional<FrameList> frames);

  void FrameBegins(int n, std::string_view screen);
  void Presented(int n, const uint8_t* pixels, int pitch, const plat::PaletteEntry* palette);
  // The run is over: writes the last visit's frame.
  void Finish();

  // The first file that could not be written, if any.
  const std::optional<std::string>& Failure() const { return failure_; }
  int Written() const { return written_; }

 private:
  void Write(int n, const uint8_t* pixels, int pitch, const plat::PaletteEntry* palette);
  void WritePending();

  std::string dir_;
  std::optional<FrameList> frames_;
  std::string visitScreen_;
  // The latest presented frame of the current visit, kept until the visit ends.
  std::vector<uint8_t> pending_;
  plat::PaletteEntry pendingPalette_[256] = {};
  int pendingFrame_ = -1;
  std::optional<std::string> failure_;
  int written_ = 0;
};
