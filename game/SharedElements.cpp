#include "game/SharedElements.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/CCDraw.h"

void BackgroundTiles(Game& game, int rows) {
  DrawRecorder* recorder = game.draw.Recorder();
  if (recorder) recorder->OnTiles(rows);
  game.draw.SetRecorder(nullptr);
  // Only the top row of tiles is blitted. Every later row would put the same tile over the same
  // freshly cleared background, so its scanlines are copies of the top row's: a fraction of the
  // cost of 1160 more blits, the frame's biggest expense otherwise. Column 639 and scanline 479
  // stay as the clear left them, just as the screen-trimmed blits would leave them.
  const int blitted = std::min(rows, 1);
  for (int i = 0; i < 40 * blitted; ++i) {
    BlitSprite(game, kBackgroundTile, 16 * (i % 40), 16 * (i / 40));
  }
  Surface& back = game.draw.BackBuffer();
  for (int y = 16; y < 16 * rows && y < kScreenHeight - 1; ++y) {
    std::memcpy(back.Row(y), back.Row(y % 16), kScreenWidth - 1);
  }
  game.draw.SetRecorder(recorder);
}

void BlitSprite(Game& game, const Sprite& sprite, int x, int y) {
  game.draw.BlitFast(kSheetSlot, x, y, sprite.left, sprite.top, sprite.right, sprite.bottom);
}

int RandomTextColourIndex(Game& game) {
  return game.random.Below(14);
}

uint32_t RandomTextColour(Game& game) {
  return kTextColourTable[RandomTextColourIndex(game)];
}

std::string FullWidthDigit(int d) {
  return {static_cast<char>(0x82), static_cast<char>(0x4F + d)};
}

std::string FullWidthNumber(int value, int digits) {
  std::string out;
  int power = 1;
  for (int k = 1; k < digits; ++k) power *= 10;
  for (; power > 0; power /= 10) out += FullWidthDigit(value % (power * 10) / power);
  return out;
}

Jitter DrawJitter(Game& game, int jitter) {
  const int span = 2 * jitter + 1;
  const int r1 = game.random.Next();  // y first
  const int r2 = game.random.Next();
  return {r2 % span - jitter, r1 % span - jitter};
}

void DrawTremblingTitle(Game& game, std::string_view text, int x, int y, int jitter,
                        uint32_t shadowColour, int size) {
  const Jitter j = DrawJitter(game, jitter);
  game.draw.DrawText(text, x + j.dx, y + j.dy, shadowColour, size);
  game.draw.DrawText(text, x, y, kWhite, size);
}

void DrawCountdown(Game& game, int limitSeconds, uint32_t elapsedMs, int x, int y) {
  const int seconds = limitSeconds - static_cast<int>(elapsedMs / 1000u);
  game.draw.DrawText(game.text.Format(SF("あと%4d 秒"), seconds), x, y);
}

void DrawCredit(Game& game) {
  game.draw.DrawText(S("ωωω Ｐｒｅｓｅｎｔｅｄ ｂｙ まるいちワークス ωωω"), 0, 460);
}
