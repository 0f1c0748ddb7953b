// The sheet's colour table, which is also the display palette of the whole game: black at 0 (clear
// and transparent), the text colours at fixed places, then shading ramps for the pictures.
#pragma once

#include <array>
#include <cstdint>

#include "platform/System.h"

namespace sheet {

constexpr uint8_t kClear = 0;
// The text colour table of the game sits at indices 0..13 in its own order.
constexpr uint8_t kWhite = 7;
constexpr uint8_t kWordShadow = 14;  // (200, 50, 50)
constexpr uint8_t kLabelGrey = 15;   // (200, 200, 200)
// Outlines: near-black but never index 0, which would punch holes into the sprites.
constexpr uint8_t kInk = 16;

// Ramps of kRampSize shades from dark to light.
enum class Ramp {
  Night,   // background
  Stone,   // greys up to near-white
  Card,    // cardboard
  Cherry,  // reds
  Gold,    // yellow to orange
  Wood,    // the post
  Grass,   // greens
  Earth,   // browns
  Ice,     // blue to white
  Sky,     // blues
  Rose,    // pinks
  Mint,    // teal
  Skin,    // the driver's face
  Count
};

constexpr int kRampSize = 16;
constexpr int kFirstRampIndex = 17;

// Index of the shade `t` in 0..1 (clamped) of a ramp.
uint8_t Shade(Ramp ramp, double t);
// Index of shade number `step` (0..kRampSize-1, clamped).
uint8_t ShadeStep(Ramp ramp, int step);

std::array<plat::PaletteEntry, 256> BuildPalette();

}  // namespace sheet
