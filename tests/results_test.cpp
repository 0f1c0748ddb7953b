#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "game/SharedElements.h"
#include "screens/Scoring.h"
#include "screens/Screens.h"
#include "tests/support/ScreenRig.h"

using rig::Down;
using rig::ScreenRig;
using rig::Sj;
using rig::Up;

namespace {

constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();

// Countdown at (500, 0) of a frame.
std::string Countdown(const FrameRecord& f) {
  const DrawOp* op = ScreenRig::TextAt(f, 500, 0);
  return op ? op->text : "";
}

const FrameRecord& FrameAt(const std::vector<rig::Frame>& frames, uint32_t tick) {
  for (const FrameRecord& f : frames) {
    if (f.tick == tick) return f;
  }
  ADD_FAILURE() << "no frame at " << tick;
  return frames.front();
}

}  // namespace

TEST(TotalScore, ZeroPointsAndTruncationTowardZero) {
  EXPECT_EQ(TotalScore(245.0, 695.0), 0);
  EXPECT_EQ(TotalScore(2245.0, 2945.0), 100);        // 50 + 50
  EXPECT_EQ(TotalScore(245.0 + 3999.6, 695.0), 99);  // 99.99
  EXPECT_EQ(TotalScore(225.0, 695.0), 0);            // −0.5 truncates up to 0
  EXPECT_EQ(TotalScore(205.0, 695.0), -1);
  EXPECT_EQ(TotalScore(245.0, 695.0 - 45.0 * 1.5), -1);  // −1.5 → −1
}

TEST(TotalScore, OutOfRangeResultsAreHeldToTheIntRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(TotalScore(nan, 695.0), 0);
  EXPECT_EQ(TotalScore(inf, -inf), 0);  // inf − inf is nan
  EXPECT_EQ(TotalScore(1e300, 695.0), kIntMax);
  EXPECT_EQ(TotalScore(inf, 0.0), kIntMax);
  EXPECT_EQ(TotalScore(-1e300, 695.0), kIntMin);
  // Just inside the ends, plain truncation still applies.
  EXPECT_EQ(TotalScore(245.0 + 40.0 * 2147483647.5, 695.0), kIntMax);
  EXPECT_EQ(TotalScore(245.0 - 40.0 * 2147483648.5, 695.0), kIntMin);
  EXPECT_EQ(TotalScore(245.0 + 40.0 * 2147483000.0, 695.0), 2147483000);
}

TEST(GradeLetter, EveryBandEdge) {
  EXPECT_EQ(GradeLetter(kIntMin), 'K');
  EXPECT_EQ(GradeLetter(-1), 'K');
  EXPECT_EQ(GradeLetter(0), 'J');
  EXPECT_EQ(GradeLetter(9), 'J');
  EXPECT_EQ(GradeLetter(10), 'I');
  EXPECT_EQ(GradeLetter(55), 'E');
  EXPECT_EQ(GradeLetter(89), 'B');
  EXPECT_EQ(GradeLetter(90), 'A');
  EXPECT_EQ(GradeLetter(99), 'A');
  EXPECT_EQ(GradeLetter(100), 'S');
  EXPECT_EQ(GradeLetter(kIntMax), 'S');
}

// Without keys: the timetable, the countdown, the letter and the random draws of every frame. A
// stall of 8 ms puts the frames on ticks 120 + 16k, so that one lands on exactly 1000 and 15000.
TEST(ResultsScreen, TimetableWithoutKeys) {
  ScreenRig r(rig::Script({}, 0, {{100, 8}}));
  r.state.carDistance = 645.0;  // 10 points
  r.state.bounceScore = 695.0;
  r.random.Seed(77);
  Random expected;
  expected.Seed(77);

  ASSERT_EQ(ResultsScreen(r.game), ScreenResult::Next);
  EXPECT_EQ(r.state.totalScore, 10);

  const auto& frames = r.frames;
  ASSERT_EQ(frames.back().tick, 15016u);  // the first frame past 15 s ends the screen
  EXPECT_FALSE(frames.back().shown);
  for (const FrameRecord& f : frames) {
    const uint32_t t = f.tick;
    SCOPED_TRACE(t);
    if (&f != &frames.back()) {
      EXPECT_TRUE(f.shown);
    }
    // Title: shadow in red trembling within 5 px of (128, 40), then white on top.
    const int r1 = expected.Next(), r2 = expected.Next();
    EXPECT_NE(ScreenRig::TextAt(f, 123 + r2 % 11, 35 + r1 % 11), nullptr);
    ASSERT_NE(ScreenRig::TextAt(f, 128, 40), nullptr);
    EXPECT_EQ(ScreenRig::TextAt(f, 128, 40)->text, Sj("～結果発表～"));

    EXPECT_EQ(ScreenRig::TextAt(f, 100, 100) != nullptr, t > 1000);
    EXPECT_EQ(ScreenRig::TextAt(f, 100, 120) != nullptr, t > 2000);
    EXPECT_EQ(ScreenRig::TextAt(f, 200, 160) != nullptr, t > 3500);
    EXPECT_EQ(ScreenRig::TextAt(f, 180, 180) != nullptr, t > 4500);
    EXPECT_EQ(ScreenRig::TextAt(f, 160, 230) != nullptr, t > 5500);
    const DrawOp* letter = ScreenRig::TextAt(f, 270, 270);
    ASSERT_EQ(letter != nullptr, t > 6000);
    if (letter) {
      // The random capital is drawn every frame, even once the grade shows.
      const char randomCapital = static_cast<char>(65 + expected.Below(26));
      EXPECT_EQ(letter->text, std::string(1, t > 7000 ? 'I' : randomCapital));
      EXPECT_EQ(letter->colour, kTextColourTable[expected.Below(14)]);
      EXPECT_EQ(letter->size, 100);
      // The frame around the letter, drawn after it.
      const DrawOp* emblem = ScreenRig::BlitAt(f, 264, 264);
      ASSERT_NE(emblem, nullptr);
      EXPECT_EQ(std::vector<int>({emblem->left, emblem->top, emblem->right, emblem->bottom}),
                std::vector<int>({120, 143, 232, 255}));
      EXPECT_GT(emblem, letter);
    } else {
      EXPECT_EQ(ScreenRig::BlitAt(f, 264, 264), nullptr);
    }
  }
  EXPECT_EQ(Countdown(frames.front()), Sj("あと  15 秒"));
  EXPECT_EQ(Countdown(FrameAt(frames, 984)), Sj("あと  15 秒"));
  EXPECT_EQ(Countdown(FrameAt(frames, 1000)), Sj("あと  14 秒"));
  EXPECT_EQ(Countdown(FrameAt(frames, 14984)), Sj("あと   1 秒"));
  EXPECT_EQ(Countdown(FrameAt(frames, 15000)), Sj("あと   0 秒"));  // shown: 15000 is not past

  const FrameRecord& f = FrameAt(frames, 15000);
  EXPECT_EQ(ScreenRig::TextAt(f, 100, 100)->text, Sj("ダンボランは 645.000000 でした。"));
  EXPECT_EQ(ScreenRig::TextAt(f, 100, 120)->text, Sj("ＢｏｕｎＺｏは 695.000000 でした。"));
  EXPECT_EQ(ScreenRig::TextAt(f, 200, 160)->text, Sj("今回の総合得点は"));
  EXPECT_EQ(ScreenRig::TextAt(f, 180, 180)->text, Sj("10 点でした"));
  EXPECT_EQ(ScreenRig::TextAt(f, 180, 180)->size, 24);
  EXPECT_EQ(ScreenRig::TextAt(f, 160, 230)->text, Sj("これより、今回のランクは↓"));
}

// SPACE still down from event two: the first frame jumps the clock, the second shows everything
// at 5 seconds left, and holding on does not end the screen early.
TEST(ResultsScreen, SpaceHeldFromEventTwo) {
  ScreenRig r(rig::Script({Down(0, plat::VK_SPACE)}));
  r.state.prevSpaceState = static_cast<int16_t>(0x8000);
  r.state.carDistance = 2245.0;
  r.state.bounceScore = 2945.0;
  ASSERT_EQ(ResultsScreen(r.game), ScreenResult::Next);

  const auto& frames = r.frames;
  EXPECT_EQ(ScreenRig::CountTexts(frames[0]), 3);  // countdown and the title's two copies
  EXPECT_EQ(Countdown(frames[1]), Sj("あと   5 秒"));
  EXPECT_EQ(ScreenRig::TextAt(frames[1], 270, 270)->text, "S");
  EXPECT_EQ(ScreenRig::CountTexts(frames[1]), 9);
  EXPECT_EQ(frames.back().tick, 5008u);
  EXPECT_FALSE(frames.back().shown);
}

TEST(ResultsScreen, PressAtEightSecondsRevealsAndAtTwelveEnds) {
  {
    ScreenRig r(rig::Script({Down(8000, plat::VK_SPACE), Up(8100, plat::VK_SPACE)}));
    ASSERT_EQ(ResultsScreen(r.game), ScreenResult::Next);
    const FrameRecord& press = r.frames[500];
    ASSERT_EQ(press.tick, 8000u);
    EXPECT_TRUE(press.shown);
    EXPECT_EQ(Countdown(r.frames[501]), Sj("あと   5 秒"));
    // Runs on to 15 s of its moved clock: 13 s of real time.
    EXPECT_EQ(r.frames.back().tick, 13008u);
  }
  {
    ScreenRig r(rig::Script({Down(12000, plat::VK_SPACE), Up(12100, plat::VK_SPACE)}));
    ASSERT_EQ(ResultsScreen(r.game), ScreenResult::Next);
    EXPECT_EQ(r.frames.back().tick, 12000u);
    EXPECT_FALSE(r.frames.back().shown);
    EXPECT_TRUE(r.frames[r.frames.size() - 2].shown);
  }
}

// A press before 10 s only jumps the clock; the next new press ends the screen in its frame.
TEST(ResultsScreen, SecondPressAfterTheJumpEnds) {
  ScreenRig r(rig::Script({Down(3000, plat::VK_SPACE), Up(3010, plat::VK_SPACE),
                           Down(3200, plat::VK_SPACE), Up(3210, plat::VK_SPACE)}));
  ASSERT_EQ(ResultsScreen(r.game), ScreenResult::Next);
  EXPECT_EQ(r.frames.back().tick, 3200u);
  EXPECT_FALSE(r.frames.back().shown);
}

TEST(ResultsScreen, WindowClosedQuits) {
  ScreenRig r(rig::Script({}, 500));
  EXPECT_EQ(ResultsScreen(r.game), ScreenResult::Quit);
  EXPECT_FALSE(r.frames.back().shown);
}
