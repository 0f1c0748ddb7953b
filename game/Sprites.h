// The sprite sheet and every picture the screens cut from it: one table that the screens, the
// sheet painter (tools/sheet) and its test all read.
#pragma once

#include <iterator>

// The sheet the game loads from its working directory, and the surface slot it is loaded into.
inline constexpr const char* kSpriteSheetFile = "kavrel.bmp";
inline constexpr int kSheetSlot = 1;

// A rectangle of the sheet: left and top inclusive, right and bottom exclusive, as it is blitted.
struct Sprite {
  const char* name;
  int left, top, right, bottom;
};

inline constexpr Sprite kBackgroundTile = {"background tile", 99, 112, 115, 128};
inline constexpr Sprite kBannerTrembling = {"banner, trembling layer", 1, 1, 239, 29};
inline constexpr Sprite kBannerSteady = {"banner, steady layer", 1, 31, 239, 59};
inline constexpr Sprite kWindUpGround = {"wind-up ground", 0, 73, 16, 217};
inline constexpr Sprite kCarWindUp = {"car, wind-up view", 17, 73, 77, 133};
inline constexpr Sprite kPost = {"post", 78, 73, 97, 133};
inline constexpr Sprite kBandSegment = {"rubber-band segment", 99, 73, 104, 80};
inline constexpr Sprite kCarRun = {"car, run view", 99, 82, 127, 111};
inline constexpr Sprite kGroundSlippery = {"ground, slippery", 16, 134, 32, 219};
inline constexpr Sprite kGroundOrdinary = {"ground, ordinary", 33, 134, 49, 219};
inline constexpr Sprite kGroundRough = {"ground, rough", 50, 134, 66, 219};
inline constexpr Sprite kDistanceMark = {"distance mark", 67, 134, 68, 137};
inline constexpr Sprite kBall = {"ball", 69, 134, 118, 183};
inline constexpr Sprite kGradeFrame = {"grade frame", 120, 143, 232, 255};
inline constexpr Sprite kSelectionMarker = {"selection marker", 128, 73, 196, 141};

// The run grounds by luck: 0 slippery, 1 ordinary, 2 rough.
inline constexpr Sprite kRunGrounds[] = {kGroundSlippery, kGroundOrdinary, kGroundRough};

// Every picture of the sheet.
inline constexpr Sprite kSprites[] = {
    kBackgroundTile, kBannerTrembling, kBannerSteady, kWindUpGround,   kCarWindUp,
    kPost,           kBandSegment,     kCarRun,       kGroundSlippery, kGroundOrdinary,
    kGroundRough,    kDistanceMark,    kBall,         kGradeFrame,     kSelectionMarker,
};
inline constexpr int kSpriteCount = static_cast<int>(std::size(kSprites));
