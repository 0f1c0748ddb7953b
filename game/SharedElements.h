// What several screens draw alike: the tiled background, flashing colours, full-width digits,
// trembling titles and countdown lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "game/Game.h"
#include "game/Sprites.h"

inline constexpr uint32_t kWhite = 0x00FFFFFF;
inline constexpr uint32_t kRed = 0x000000FF;
inline constexpr uint32_t kGreen = 0x0000FF00;

// The 14 fixed text colours, 0x00BBGGRR; index 7 is white.
inline constexpr uint32_t kTextColourTable[14] = {
    0x000000, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF,
    0xFFFFFF, 0x969696, 0xFF9696, 0x96FF96, 0xFFFF96, 0x9696FF, 0xFF96FF,
};

constexpr uint32_t Rgb(int red, int green, int blue) {
  return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 |
         static_cast<uint32_t>(blue) << 16;
}

// A picture of the sprite sheet with its top-left corner at (x, y).
void BlitSprite(Game& game, const Sprite& sprite, int x, int y);

// One 16 x 16 tile of the sheet over 40 x rows places; reported to a recorder as one call.
void BackgroundTiles(Game& game, int rows);

// A colour of the table, afresh at each use (one random number below 14).
int RandomTextColourIndex(Game& game);
uint32_t RandomTextColour(Game& game);

// The two Shift-JIS bytes of the full-width digit d.
std::string FullWidthDigit(int d);
// `value` as `digits` full-width digits with leading zeros, no sign handling.
std::string FullWidthNumber(int value, int digits);

// Two fresh random numbers, the first for y, the second for x, each turned into an offset of
// -jitter to +jitter.
struct Jitter {
  int dx;
  int dy;
};
Jitter DrawJitter(Game& game, int jitter);

// A title drawn twice: a shadow copy at a trembling offset, then the white title at (x, y).
void DrawTremblingTitle(Game& game, std::string_view text, int x, int y, int jitter,
                        uint32_t shadowColour, int size);

// "あと%4d 秒" with limitSeconds − elapsed ÷ 1000, white, size 12.
void DrawCountdown(Game& game, int limitSeconds, uint32_t elapsedMs, int x, int y);

// The credit line of the event screens.
void DrawCredit(Game& game);
