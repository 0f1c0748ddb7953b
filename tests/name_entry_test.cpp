#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/SharedElements.h"
#include "screens/Screens.h"
#include "tests/support/ScreenRig.h"

using plat::VK_DOWN;
using plat::VK_LEFT;
using plat::VK_RETURN;
using plat::VK_RIGHT;
using rig::Down;
using rig::ScreenRig;
using rig::Sj;
using rig::Up;

namespace {

// Frames run every 16 ms from 0, so frame k begins at 16 k. A tap is down for that frame only.
std::vector<plat::ScriptKeyEvent> Taps(int vk, std::vector<int> frames) {
  std::vector<plat::ScriptKeyEvent> keys;
  for (int k : frames) {
    keys.push_back(Down(16 * k, vk));
    keys.push_back(Up(16 * k + 8, vk));
  }
  return keys;
}

std::vector<plat::ScriptKeyEvent> Join(std::vector<std::vector<plat::ScriptKeyEvent>> parts) {
  std::vector<plat::ScriptKeyEvent> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Slot e of the wheel: the e-th text drawn on the wheel's row.
const DrawOp& Slot(const FrameRecord& f, int e) {
  int seen = 0;
  for (const DrawOp& op : f.ops) {
    if (op.kind == DrawOp::Text && op.y == 138 && seen++ == e) return op;
  }
  static const DrawOp none;
  ADD_FAILURE() << "no wheel slot " << e;
  return none;
}

std::string NameShown(const FrameRecord& f) {
  const DrawOp* op = ScreenRig::TextAt(f, 160, 400);
  return op ? op->text : "";
}

std::string NameOf(const GameState& s) {
  return std::string(s.playerName.data(), 8);
}

}  // namespace

// Left alone the screen runs just past 60 s and keeps "A" at place 0. Every frame draws two
// numbers for the title and one for the resting centre's colour.
TEST(NameEntryScreen, TimesOutWithTheCentreCharacterAtTheCursor) {
  ScreenRig r(rig::Script({}, 0, {{100, 59800}}));
  r.random.Seed(5);
  Random expected;
  expected.Seed(5);
  ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Next);

  EXPECT_EQ(NameOf(r.state), "A_______");
  EXPECT_EQ(r.frames.back().tick, 60008u);
  EXPECT_FALSE(r.frames.back().shown);
  EXPECT_TRUE(r.frames[r.frames.size() - 2].shown);
  EXPECT_EQ(ScreenRig::TextAt(r.frames[0], 500, 30)->text, Sj("あと  60 秒"));
  EXPECT_EQ(ScreenRig::TextAt(r.frames[0], 140, 50)->text, Sj("ネーム　エントリー"));
  EXPECT_EQ(ScreenRig::TextAt(r.frames[0], 140, 240)->text, Sj("←・→で選んで、リターンで決定。"));
  EXPECT_EQ(ScreenRig::TextAt(r.frames[0], 160, 260)->text, Sj("間違えたら，｢↓｣キーで戻る。"));
  for (const FrameRecord& f : r.frames) {
    const int r1 = expected.Next(), r2 = expected.Next();
    EXPECT_NE(ScreenRig::TextAt(f, 137 + r2 % 7, 47 + r1 % 7), nullptr);
    EXPECT_EQ(Slot(f, 6).colour, kTextColourTable[expected.Below(14)]);
    EXPECT_EQ(Slot(f, 5).colour, kWhite);
    EXPECT_EQ(Slot(f, 6).text, "A");
    EXPECT_EQ(Slot(f, 6).x, 308);
  }
  const DrawOp* marker = ScreenRig::BlitAt(r.frames[0], 286, 116);
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(std::vector<int>({marker->left, marker->top, marker->right, marker->bottom}),
            std::vector<int>({128, 73, 196, 141}));
  EXPECT_EQ(Slot(r.frames[0], 0).x, -76);
  EXPECT_EQ(Slot(r.frames[0], 12).x, 692);
}

// A tap slides the wheel over the next frames by 64, 56, ..., 8, 0, white while it moves.
TEST(NameEntryScreen, TapSlidesOneCharacter) {
  for (const int vk : {VK_LEFT, VK_RIGHT}) {
    SCOPED_TRACE(vk);
    ScreenRig r(rig::Script(Taps(vk, {1}), 16 * 14));
    ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Quit);
    const int sign = vk == VK_LEFT ? 1 : -1;
    EXPECT_EQ(Slot(r.frames[1], 6).text, "A");
    for (int k = 2; k <= 10; ++k) {
      EXPECT_EQ(Slot(r.frames[k], 6).x, 308 + sign * (64 - 8 * (k - 2)));
      if (k < 10) {
        EXPECT_EQ(Slot(r.frames[k], 6).colour, kWhite);
      }
      EXPECT_EQ(Slot(r.frames[k], 6).text, vk == VK_LEFT ? "B" : "@");
    }
    EXPECT_EQ(NameShown(r.frames.back()), vk == VK_LEFT ? "B_______" : "@_______");
  }
}

// Held from frame 1, the wheel steps in frames 1, 7, 10, 13 and draws 48, 24, 0 between.
TEST(NameEntryScreen, HeldKeySlidesFasterFromTheFifthFrame) {
  ScreenRig r(rig::Script({Down(16, VK_LEFT)}, 16 * 14 + 8));
  ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Quit);
  ASSERT_EQ(r.frames.size(), 15u);
  const std::vector<int> bases = {59, 60, 60, 60, 60, 60, 60, 61, 61, 61, 62, 62, 62, 63, 63};
  for (size_t k = 0; k < bases.size(); ++k) EXPECT_EQ(r.frames[k].state.name.wheelBase, bases[k]);
  EXPECT_EQ(Slot(r.frames[5], 6).x, 308 + 40);
  EXPECT_EQ(Slot(r.frames[6], 6).x, 308 + 16);
  EXPECT_EQ(Slot(r.frames[8], 6).x, 308 + 48);
  EXPECT_EQ(Slot(r.frames[9], 6).x, 308 + 24);
  EXPECT_EQ(Slot(r.frames[10], 6).x, 308);
}

TEST(NameEntryScreen, BothKeysHeldSlideLeftOnly) {
  ScreenRig r(rig::Script({Down(16, VK_LEFT), Down(16, VK_RIGHT)}, 16 * 30));
  ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Quit);
  int previous = 59;
  for (const FrameRecord& f : r.frames) {
    EXPECT_GE(f.state.name.wheelBase, previous);
    EXPECT_GE(f.state.name.wheelOffset, 0);
    previous = f.state.name.wheelBase;
  }
  EXPECT_GT(previous, 59);
}

// Forward from "~" comes code 31, then the space; back from the space, 31 and then "~".
TEST(NameEntryScreen, WheelCyclesThroughCode31) {
  ScreenRig r(rig::Script(Join({Taps(VK_LEFT, {1, 11}), Taps(VK_RIGHT, {21, 31})}), 16 * 42));
  r.state.name.wheelBase = 120;  // "~" in the centre
  ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Quit);
  EXPECT_EQ(r.frames[1].state.name.selectedChar, 126);
  EXPECT_EQ(r.frames[5].state.name.selectedChar, 31);
  EXPECT_EQ(Slot(r.frames[5], 6).text, "\x1f");
  EXPECT_EQ(r.frames[15].state.name.selectedChar, 32);
  EXPECT_EQ(r.frames[25].state.name.selectedChar, 31);
  EXPECT_EQ(r.frames[35].state.name.selectedChar, 126);
  EXPECT_EQ(NameOf(r.state), "~_______");
  for (const FrameRecord& f : r.frames) {
    EXPECT_GE(f.state.name.wheelBase, 30);
    EXPECT_LE(f.state.name.wheelBase, 127);
  }
}

// RETURN takes a character per press; at the confirmation a further press accepts.
TEST(NameEntryScreen, EightReturnsConfirmAndTheNinthAccepts) {
  ScreenRig r(rig::Script(Taps(VK_RETURN, {2, 4, 6, 8, 10, 12, 14, 16, 18})));
  ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Next);
  EXPECT_EQ(NameOf(r.state), "AAAAAAAA");
  EXPECT_EQ(r.frames.size(), 19u);
  EXPECT_FALSE(r.frames.back().shown);
  EXPECT_EQ(ScreenRig::TextAt(r.frames[16], 170, 300), nullptr);
  ASSERT_NE(ScreenRig::TextAt(r.frames[17], 170, 300), nullptr);
  EXPECT_EQ(ScreenRig::TextAt(r.frames[17], 170, 300)->text, Sj("これでよろしいですか？"));
  EXPECT_EQ(ScreenRig::TextAt(r.frames[17], 140, 330)->text, Sj("○ -> リターン　｜× -> ｢↓｣キー"));
  // A held RETURN is one press.
  ScreenRig held(rig::Script({Down(32, VK_RETURN)}, 16 * 20));
  ASSERT_EQ(NameEntryScreen(held.game), ScreenResult::Quit);
  EXPECT_EQ(held.state.name.nameCursor, 1);
}

TEST(NameEntryScreen, DownStepsBack) {
  {  // at place 0 nothing visible changes
    ScreenRig r(rig::Script(Taps(VK_DOWN, {2}), 16 * 6));
    ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Quit);
    EXPECT_EQ(NameOf(r.state), "A_______");
    EXPECT_EQ(r.state.name.nameCursor, 0);
  }
  {  // at place 3: place 3 is cleared and place 2 takes the current centre, B
    ScreenRig r(rig::Script(
        Join({Taps(VK_RETURN, {2, 4, 6}), Taps(VK_LEFT, {8}), Taps(VK_DOWN, {10})}), 16 * 13));
    ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Quit);
    EXPECT_EQ(NameShown(r.frames[10]), "AAAB____");
    EXPECT_EQ(NameShown(r.frames[11]), "AAB_____");
    EXPECT_EQ(r.state.name.nameCursor, 2);
  }
  {  // at the confirmation: back to place 7, which shows the current centre
    ScreenRig r(rig::Script(Join({Taps(VK_RETURN, {2, 4, 6, 8, 10, 12, 14, 16}),
                                  Taps(VK_LEFT, {18}), Taps(VK_DOWN, {20})}),
                            16 * 23));
    ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Quit);
    EXPECT_NE(ScreenRig::TextAt(r.frames[20], 170, 300), nullptr);
    EXPECT_EQ(ScreenRig::TextAt(r.frames[21], 170, 300), nullptr);
    EXPECT_EQ(NameShown(r.frames[21]), "AAAAAAAB");
    EXPECT_EQ(r.state.name.nameCursor, 7);
  }
}

// RETURN down as the screen begins is a new press unless the last sample kept says it was down.
TEST(NameEntryScreen, ReturnHeldAtTheStart) {
  {
    ScreenRig r(rig::Script({Down(0, VK_RETURN)}, 16 * 4));
    r.state.playerName = kDefaultName;
    ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Quit);
    EXPECT_EQ(r.frames[0].state.name.nameCursor, 1);
    EXPECT_EQ(NameShown(r.frames[0]), "A_______");
    EXPECT_EQ(r.state.name.prevReturnState, INT32_MIN);
  }
  {
    ScreenRig r(rig::Script({Down(0, VK_RETURN)}, 16 * 4));
    r.state.name.prevReturnState = INT32_MIN;
    ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Quit);
    EXPECT_EQ(r.state.name.nameCursor, 0);
  }
}

// A slide still running when the previous challenger's entry ended finishes in this one.
TEST(NameEntryScreen, SlideCarriesOverIntoTheNextEntry) {
  ScreenRig r(rig::Script({}, 16 * 3));
  r.state.name.wheelOffset = 40;
  ASSERT_EQ(NameEntryScreen(r.game), ScreenResult::Quit);
  EXPECT_EQ(Slot(r.frames[0], 6).x, 348);
  EXPECT_EQ(Slot(r.frames[1], 6).x, 340);
}
