// The name entry: eight characters spelled on a sliding wheel of the codes 31 to 126, with a
// confirmation and a 60-second limit.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "display/CCDraw.h"
#include "game/FrameLoop.h"
#include "game/Keys.h"
#include "game/SharedElements.h"
#include "game/Sounds.h"
#include "platform/System.h"
#include "screens/Screens.h"

namespace {

constexpr int kWheelSlots = 13;
constexpr int kCentreSlot = 6;
constexpr int kSlotWidth = 64;
constexpr int kNameLength = 8;

// Slot e of the wheel shows wheelBase + e, wrapped so that the codes run 31..126 in a cycle.
int SlotCode(int wheelBase, int slot) {
  const int code = wheelBase + slot;
  return code > 126 ? code - 96 : code;
}

void DrawWheel(Game& game) {
  GameState& s = game.state;
  NameEntry& n = s.name;
  if (n.wheelBase > 126) n.wheelBase -= 96;
  if (n.wheelBase < 30) n.wheelBase += 96;
  for (int e = 0; e < kWheelSlots; ++e) {
    const int code = SlotCode(n.wheelBase, e);
    if (e == kCentreSlot) {
      // The centre flashes only while the wheel rests.
      if (n.wheelOffset == 0) s.textColourIndex = RandomTextColourIndex(game);
      n.selectedChar = code;
    }
    game.draw.DrawText(game.text.Format("%c", code), kSlotWidth * e + n.wheelOffset - 76, 138,
                       kTextColourTable[s.textColourIndex], 24);
    s.textColourIndex = 7;
  }
}

// Keeps the last four samples, newest first.
void PushHistory(std::array<int32_t, 4>& history, int32_t word) {
  std::copy_backward(history.begin(), history.end() - 1, history.end());
  history[0] = word;
}

FrameOutcome NameEntryFrame(Game& game) {
  GameState& s = game.state;
  NameEntry& n = s.name;
  CCDraw& draw = game.draw;

  DrawTremblingTitle(game, S("ネーム　エントリー"), 140, 50, 3, kRed, 24);
  DrawCountdown(game, 60, Elapsed(game, s.phaseStartTick), 500, 30);
  draw.DrawText(S("←・→で選んで、リターンで決定。"), 140, 240);
  draw.DrawText(S("間違えたら，｢↓｣キーで戻る。"), 160, 260);
  DrawWheel(game);
  BlitSprite(game, kSelectionMarker, 286, 116);
  if (n.nameCursor < kNameLength) s.playerName[n.nameCursor] = static_cast<char>(n.selectedChar);
  draw.DrawText(std::string_view(s.playerName.data(), kNameLength), 160, 400, kWhite, 36);
  if (n.nameCursor == kNameLength) {
    draw.DrawText(S("これでよろしいですか？"), 170, 300);
    draw.DrawText(S("○ -> リターン　｜× -> ｢↓｣キー"), 140, 330);
  }

  if (n.wheelOffset > 0) n.wheelOffset -= 8;
  if (n.wheelOffset < 0) n.wheelOffset += 8;

  if (NewPress(game, plat::VK_RETURN, n.prevReturnState)) {
    // The accepted name sounds higher than a chosen character.
    PlaySfx(game, Sfx::Choose, plat::kUnityGain,
            n.nameCursor == kNameLength ? RateOfCents(500) : plat::kPlainRate);
    if (n.nameCursor == kNameLength) return FrameOutcome::Leave;
    ++n.nameCursor;
  }
  if (NewPress(game, plat::VK_DOWN, n.prevDownState)) {
    PlaySfx(game, Sfx::Step, plat::kUnityGain, RateOfCents(-1200));
    if (n.nameCursor < kNameLength) s.playerName[n.nameCursor] = '_';
    if (n.nameCursor > 0) --n.nameCursor;
  }

  // LEFT first: its step leaves the wheel moving, so with both keys down RIGHT does nothing.
  if (n.wheelOffset == 0 && KeyDown(game, plat::VK_LEFT)) {
    n.wheelOffset = kSlotWidth;
    ++n.wheelBase;
    PlaySfx(game, Sfx::Step);
  }
  if (n.wheelOffset == 0 && KeyDown(game, plat::VK_RIGHT)) {
    n.wheelOffset = -kSlotWidth;
    --n.wheelBase;
    PlaySfx(game, Sfx::Step, plat::kUnityGain, RateOfCents(-200));
  }
  // A key held for four frames settles the slide faster.
  if ((KeyDown(game, plat::VK_LEFT) && n.leftHistory[3] < 0) ||
      (KeyDown(game, plat::VK_RIGHT) && n.rightHistory[3] < 0)) {
    n.wheelOffset =
        n.wheelOffset > 0 ? std::max(0, n.wheelOffset - 16) : std::min(0, n.wheelOffset + 16);
  }

  PushHistory(n.rightHistory, KeyWord(game, plat::VK_RIGHT));
  PushHistory(n.leftHistory, KeyWord(game, plat::VK_LEFT));
  n.prevReturnState = KeyWord(game, plat::VK_RETURN) & INT32_MIN;
  n.prevDownState = KeyWord(game, plat::VK_DOWN) & INT32_MIN;

  if (Elapsed(game, s.phaseStartTick) > 60000) return FrameOutcome::Leave;
  return FrameOutcome::Continue;
}

}  // namespace

ScreenResult NameEntryScreen(Game& game) {
  return NameEntryScreen(game, kNameTiming);
}

ScreenResult NameEntryScreen(Game& game, const ScreenTiming& timing) {
  game.state.playerName.fill('_');
  game.state.phaseStartTick = game.system.GetTickCount();
  return RunFrames(game, timing, [&] { return NameEntryFrame(game); });
}
