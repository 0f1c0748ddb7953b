#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "tests/support/ScreenRig.h"
#include "screens/Screens.h"
#include "tests/support/Scenario.h"

using plat::VK_RETURN;
using plat::VK_SPACE;

namespace {

// Ball frame k (1-based) begins at 33 (k - 1) when the ball screen starts at 0.
uint64_t BallFrameAt(int k) {
  return 33 * static_cast<uint64_t>(k - 1);
}

// A ball screen of its own, the ball at the top as the stand-by leaves it.
void DropFromTheTop(rig::ScreenRig& r) {
  r.state.ball.y = 0.0;
  r.state.ball.ballX = 320.0;
}

std::vector<int> BounceFrames(const std::vector<const rig::Frame*>& frames) {
  std::vector<int> out;
  for (const rig::Frame* f : frames) {
    if (f->HasText("hit=")) out.push_back(f->index);
  }
  return out;
}

// Presses SPACE in every frame that begins inside (low, high], letting go in between so that
// back-to-back frames of the window are not one long hold.
std::function<bool(int, const GameState&)> PressInWindow(double low, double high) {
  auto last = std::make_shared<int>(-1);
  return [=](int index, const GameState& s) {
    const bool in = s.ball.y > low && s.ball.y <= high && *last != index - 1;
    if (in) *last = index;
    return in;
  };
}

}  // namespace

TEST(StandBy, CountsDownFrom3InFourSecondsAndDropsFromTheTop) {
  rig::ScreenRig r;
  r.state.ball.y = 335.0;  // as the per-pass reset leaves it
  ASSERT_EQ(r.Play({StandByScreen}), ScreenResult::Next);

  const auto frames = r.Of("standby");
  ASSERT_EQ(frames.size(), 200u);
  int digits[4] = {};
  for (const rig::Frame* f : frames) {
    EXPECT_EQ(f->shown, f != frames.back());
    const auto all = f->ops;
    int found = 0;
    for (const DrawOp& op : all) {
      if (op.kind == DrawOp::Text && op.size == 128) {
        ++found;
        EXPECT_EQ(op.x, 256);
        EXPECT_EQ(op.y, 176);
        if (f->shown) ++digits[std::stoi(op.text)];
      }
    }
    EXPECT_EQ(found, 1);
    EXPECT_EQ(f->Blits(33, 134), 40);
  }
  EXPECT_EQ(digits[3], 50);
  EXPECT_EQ(digits[2], 50);
  EXPECT_EQ(digits[1], 50);
  EXPECT_EQ(digits[0], 49);
  EXPECT_EQ(frames.back()->tick, 199u * 20u);
  EXPECT_EQ(r.state.ball.y, 0.0);
  EXPECT_EQ(r.state.ball.ballX, 320.0);
}

TEST(Ball, NoPressBouncesFourTimesAndReturnWaitsForTheStop) {
  plat::VirtualScript script;
  rig::Down(script, VK_RETURN, 0);  // held all along: does nothing until the ball stops
  rig::ScreenRig r(script);
  DropFromTheTop(r);
  r.state.bestBounce = 0.0;
  ASSERT_EQ(r.Play({BallScreen}), ScreenResult::Next);

  const auto frames = r.Of("ball");
  EXPECT_EQ(BounceFrames(frames), (std::vector<int>{28, 57, 74, 85}));
  ASSERT_EQ(frames.size(), 85u);
  EXPECT_FALSE(frames.back()->shown);
  EXPECT_EQ(r.state.bounceScore, 696.375);
  EXPECT_EQ(r.state.bestBounce, 696.375);
  EXPECT_EQ(r.state.ball.gravity, 0.0);
  EXPECT_EQ(r.state.ball.y, 335.0);

  const char* hits[] = {"hit=27.000000", "hit=15.500000", "hit=9.250000", "hit=6.375000"};
  int bounce = 0;
  for (const rig::Frame* f : frames) {
    const bool isBounce = f->HasText("hit=");
    EXPECT_EQ(f->HasText("e=0.500000"), isBounce) << f->index;
    if (isBounce) {
      EXPECT_TRUE(f->HasText(hits[bounce++])) << f->index;
    }
    // A record of 0 is beaten from the first frame on, and in every frame after it.
    EXPECT_EQ(f->HasText("NEW!!"), f->index < 85) << f->index;
    EXPECT_EQ(f->HasText("玉停止！"), f->index == 85) << f->index;
  }
  EXPECT_EQ(frames[0]->state.bestBounce, 1.0);
  // The bounce frame draws the ball set back on the ground, then the ground over it.
  const auto& ops = frames[27]->ops;
  const auto ball = std::find_if(ops.begin(), ops.end(), [](const DrawOp& op) {
    return op.kind == DrawOp::Blit && op.left == 69 && op.top == 134;
  });
  ASSERT_NE(ball, ops.end());
  EXPECT_EQ(ball->x, 286);
  EXPECT_EQ(ball->y, 301);
  EXPECT_EQ(std::count_if(ball, ops.end(),
                          [](const DrawOp& op) {
                            return op.kind == DrawOp::Blit && op.top == 134 && op.left == 33;
                          }),
            40);
}

TEST(Ball, SpaceHeldFromTheStandByNeverCounts) {
  plat::VirtualScript script;
  rig::Down(script, VK_SPACE, 100);
  rig::Down(script, VK_RETURN, 100);
  rig::ScreenRig r(script);
  r.state.ball.e_old = 0.25;
  r.state.bestBounce = 1e9;
  ASSERT_EQ(r.Play({StandByScreen, BallScreen}), ScreenResult::Next);

  EXPECT_EQ(r.Of("standby").size(), 6u);  // ends in the frame that begins at 100
  EXPECT_FALSE(r.Of("standby").back()->shown);
  EXPECT_EQ(BounceFrames(r.Of("ball")), (std::vector<int>{28, 57, 74, 85}));
  EXPECT_EQ(r.state.bounceScore, 696.375);
  EXPECT_EQ(r.state.ball.e_old, 0.25);
  EXPECT_EQ(r.state.bestBounce, 1e9);
}

TEST(Ball, PressingInOneWindowEveryTime) {
  struct Case {
    double low, high, e;
    size_t bounces;
    double score;
  };
  for (const Case& c : {Case{315, 335, 0.7, 9, 1408.6}, Case{290, 315, 0.6, 6, 922.6}}) {
    SCOPED_TRACE(c.e);
    plat::VirtualScript script;
    rig::Down(script, VK_RETURN, 0);
    rig::ScreenRig r(script);
    DropFromTheTop(r);
    r.state.bestBounce = 1e9;
    r.system.spacePolicy = PressInWindow(c.low, c.high);
    ASSERT_EQ(r.Play({BallScreen}), ScreenResult::Next);

    const auto frames = r.Of("ball");
    EXPECT_EQ(BounceFrames(frames).size(), c.bounces);
    EXPECT_NEAR(r.state.bounceScore, c.score, 0.05);
    EXPECT_EQ(r.state.ball.e_old, c.e);
    EXPECT_TRUE(frames[27]->HasText(c.e == 0.7 ? "e=0.700000" : "e=0.600000"));
  }
}

TEST(Ball, TheLaterPressDecidesTheNextBounce) {
  // After the first bounce (frame 28) the ball climbs through frames that begin at 321.5 (0.7)
  // and 297.5 (0.6): a press in each leaves 0.6; a third on the way down in the 0.7 window
  // raises it again.
  for (bool third : {false, true}) {
    SCOPED_TRACE(third);
    plat::VirtualScript script;
    rig::Down(script, VK_RETURN, 0);
    rig::ScreenRig r(script);
    DropFromTheTop(r);
    r.state.bestBounce = 1e9;
    bool pressed = false;
    r.system.spacePolicy = [&](int index, const GameState& s) {
      if (index == 29 || index == 31) return true;
      const bool falling = index > 31 && s.ball.v > 0 && s.ball.y > 315 && s.ball.y <= 335;
      if (third && falling && !pressed) return pressed = true;
      return false;
    };
    ASSERT_EQ(r.Play({BallScreen}), ScreenResult::Next);

    const auto frames = r.Of("ball");
    EXPECT_EQ(frames[27]->state.ball.y, 321.5);  // where frame 29 begins
    EXPECT_EQ(frames[29]->state.ball.y, 297.5);  // where frame 31 begins
    EXPECT_EQ(frames[28]->state.ball.e_old, 0.7);
    EXPECT_EQ(frames[30]->state.ball.e_old, 0.6);
    const auto bounces = BounceFrames(frames);
    ASSERT_GE(bounces.size(), 2u);
    const rig::Frame& second = *frames[bounces[1] - 1];
    EXPECT_TRUE(second.HasText(third ? "e=0.700000" : "e=0.600000"));
    EXPECT_EQ(second.state.ball.e, 0.5);  // each bounce starts over
  }
}

TEST(Ball, PressInTheBounceFramePassesAllThreeTestsAndDrawsOnce) {
  const uint32_t seed = 77;
  plat::VirtualScript script;
  rig::Down(script, VK_RETURN, 0);
  rig::ScreenRig r(script, seed);
  DropFromTheTop(r);
  r.state.bestBounce = 1e9;  // no flashing NEW!!, so the press is the only draw
  r.system.spacePolicy = [](int index, const GameState&) { return index == 28; };
  ASSERT_EQ(r.Play({BallScreen}), ScreenResult::Next);

  Random expected;
  expected.Seed(seed);
  const double e = expected.Below(2) == 0 ? 0.8 : 0.9;
  const auto frames = r.Of("ball");
  EXPECT_EQ(frames[26]->state.ball.e_old, 0.0);
  EXPECT_EQ(frames[27]->state.ball.e_old, e);
  EXPECT_TRUE(frames[27]->HasText(e == 0.8 ? "e=0.800000" : "e=0.900000"));
  EXPECT_EQ(frames[27]->state.ball.v, -27 * e + 1);
  EXPECT_EQ(r.random.Next(), expected.Next());
}

TEST(Ball, ATapJustBeforeTheWindowDoesNotSpoilThePressInIt) {
  // Frame 25 begins at 276, outside every window, so its only SPACE poll is the end-of-frame
  // sample, which catches a tap made since frame 24 with the key up again. The press held over
  // frame 26 (at 300) must still count.
  plat::VirtualScript script;
  script.keys.push_back({770, VK_SPACE, true});
  script.keys.push_back({775, VK_SPACE, false});
  rig::HoldOver(script, VK_SPACE, BallFrameAt(26));
  rig::Down(script, VK_RETURN, 0);
  rig::ScreenRig r(script);
  DropFromTheTop(r);
  r.state.bestBounce = 1e9;
  ASSERT_EQ(r.Play({BallScreen}), ScreenResult::Next);

  const auto frames = r.Of("ball");
  EXPECT_EQ(frames[24]->state.prevSpaceState, 1);
  EXPECT_EQ(frames[25]->state.ball.e_old, 0.6);
  EXPECT_TRUE(frames[27]->HasText("e=0.600000"));
}

TEST(Ball, AnImpactOfExactly6Point5Stops) {
  for (double impact : {6.5, std::nextafter(6.5, 7.0)}) {
    SCOPED_TRACE(impact);
    plat::VirtualScript script;
    rig::Down(script, VK_RETURN, 0);
    rig::ScreenRig r(script);
    r.state.ball.y = 336.0;
    r.state.ball.v = impact;
    r.state.bestBounce = 1e9;
    ASSERT_EQ(r.Play({BallScreen}), ScreenResult::Next);

    const rig::Frame& first = *r.Of("ball")[0];
    const bool stops = impact == 6.5;
    EXPECT_EQ(first.shown, !stops);
    EXPECT_EQ(first.state.ball.gravity, stops ? 0.0 : 1.0);
    EXPECT_EQ(first.state.ball.y, stops ? 335.0 : 335.0 - impact * 0.5);
  }
}

// Through the entry point with SPACE held from the attract screen on: the stand-by ends in its
// first frame and the held key never counts, so the ball bounces as if untouched.
TEST(EventTwoScenario, SpaceHeldFromTheAttractScreen) {
  ScratchDir dir;
  const ReplayRun run = Play("down 0 SPACE\ndown 0 RETURN\nend 20000\n");
  const auto standby = Frames(run, "standby");
  ASSERT_EQ(standby.size(), 1u);
  EXPECT_FALSE(standby[0]->shown);
  const auto ball = Frames(run, "ball");
  ASSERT_EQ(ball.size(), 85u);
  EXPECT_EQ(ball.front()->tick, standby[0]->tick);
  EXPECT_EQ(ball.back()->state.bounceScore, 696.375);
  EXPECT_EQ(ball.back()->state.bestBounce, 696.375);
  EXPECT_EQ(Frames(run, "results").front()->state.bounceScore, 696.375);
}
