// The Japanese face all text is drawn in: found on the system (FaceLookup*.cpp), opened once, and
// rendered without anti-aliasing into runs of set pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One horizontal stretch of ink, [x0, x1) on row y, relative to the top-left of the cell.
struct GlyphRun {
  int16_t y;
  int16_t x0;
  int16_t x1;
};

// Where a face lives: a file and the face's index within it.
struct FaceLocation {
  std::string path;
  int index = 0;
};

// The installed face standing in for the game's gothic font, or an empty path when none is found.
FaceLocation FindJapaneseFace();

class FontFace {
 public:
  // Opens the face at `location`; Ok() is false when that fails or the face has no kana.
  explicit FontFace(const FaceLocation& location);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // The process's face, opened on first use; null when there is none, which is reported once on
  // stderr.
  static FontFace* Shared();

  bool Ok() const;

  // Appends the ink of `cp` in a cell `advance` x `height` pixels whose half-width characters are
  // `width` pixels wide. Ink outside the cell is dropped; nothing is appended for a character the
  // face lacks.
  void Render(char32_t cp, int width, int height, int advance, std::vector<GlyphRun>& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::mutex mutex_;  // a FreeType face is not safe to render from two threads at once
};
