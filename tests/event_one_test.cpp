#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/ScreenRig.h"
#include "screens/Screens.h"
#include "tests/support/Scenario.h"

using plat::VK_NUMPAD1;
using plat::VK_NUMPAD2;
using plat::VK_RETURN;

namespace {

constexpr uint64_t kWindUpPeriod = 30;

// Wind-up frame k (1-based) begins at 30 (k - 1) when the wind-up starts at 0.
uint64_t WindUpFrameAt(int k) {
  return kWindUpPeriod * (k - 1);
}

uint32_t SeedForLuck(int luck) {
  for (uint32_t seed = 1;; ++seed) {
    Random r;
    r.Seed(seed);
    if (r.Below(3) == luck) return seed;
  }
}

// The frames in which an accepted key pulled the car back: without one the band only ever pulls
// it forward.
std::vector<int> WoundFrames(const std::vector<const rig::Frame*>& frames) {
  std::vector<int> out;
  for (size_t i = 1; i < frames.size(); ++i) {
    if (frames[i]->state.car.carX < frames[i - 1]->state.car.carX) out.push_back(frames[i]->index);
  }
  return out;
}

constexpr int kBandTop = 73, kBandLeft = 99;

}  // namespace

TEST(WindUp, OnlyTheDueKeyAloneWindsSixteenPixels) {
  plat::VirtualScript script;
  rig::HoldOver(script, VK_NUMPAD1, WindUpFrameAt(3));
  rig::HoldOver(script, VK_NUMPAD2, WindUpFrameAt(5));
  rig::HoldOver(script, VK_NUMPAD1, WindUpFrameAt(7));
  rig::HoldOver(script, VK_NUMPAD1, WindUpFrameAt(9));   // the same key again: not due
  rig::HoldOver(script, VK_NUMPAD2, WindUpFrameAt(11));  // with its partner held: nothing
  rig::HoldOver(script, VK_NUMPAD1, WindUpFrameAt(11));
  script.keys.push_back({WindUpFrameAt(13) - 1, VK_NUMPAD2, true});  // held for several frames
  script.keys.push_back({WindUpFrameAt(16), VK_NUMPAD2, false});
  rig::HoldOver(script, VK_RETURN, WindUpFrameAt(20));
  rig::ScreenRig r(script);
  ASSERT_EQ(r.Play({WindUpScreen}), ScreenResult::Next);

  const auto frames = r.Of("windup");
  EXPECT_EQ(WoundFrames(frames), (std::vector<int>{3, 5, 7, 13}));
  EXPECT_EQ(frames[18]->state.car.nextKey, 0);
  for (int k : {3, 5, 7, 13}) {
    const double before = frames[k - 2]->state.car.carX;
    EXPECT_DOUBLE_EQ(frames[k - 1]->state.car.carX, before + (380 - before) * 0.03 - 16) << k;
  }
}

TEST(WindUp, NextKeyCarriesOverAndTheWrongKeyFirstCountsNothing) {
  plat::VirtualScript script;
  rig::HoldOver(script, VK_NUMPAD2, WindUpFrameAt(2));
  rig::HoldOver(script, VK_RETURN, WindUpFrameAt(4));
  rig::ScreenRig due1(script);
  ASSERT_EQ(due1.Play({WindUpScreen}), ScreenResult::Next);
  EXPECT_TRUE(WoundFrames(due1.Of("windup")).empty());
  EXPECT_EQ(due1.state.car.nextKey, 0);

  // The previous challenger's last key was NUMPAD1: this one must begin with NUMPAD2.
  plat::VirtualScript script2;
  rig::HoldOver(script2, VK_NUMPAD1, WindUpFrameAt(2));
  rig::HoldOver(script2, VK_NUMPAD2, WindUpFrameAt(3));
  rig::HoldOver(script2, VK_RETURN, WindUpFrameAt(4));
  rig::ScreenRig due2(script2);
  due2.state.car.nextKey = 1;
  ASSERT_EQ(due2.Play({WindUpScreen}), ScreenResult::Next);
  EXPECT_EQ(WoundFrames(due2.Of("windup")), (std::vector<int>{3}));
  EXPECT_EQ(due2.state.car.nextKey, 0);
}

TEST(WindUp, LaunchFixesTheSpeedHidesTheLinesAndDrawsTheLuckAfterwards) {
  const uint32_t seed = 12345;
  plat::VirtualScript script;
  rig::HoldOver(script, VK_NUMPAD1, WindUpFrameAt(3));
  rig::HoldOver(script, VK_RETURN, WindUpFrameAt(4));
  rig::HoldOver(script, VK_NUMPAD2, WindUpFrameAt(6));  // ignored once launched
  rig::ScreenRig r(script, seed);
  r.state.car.carX = -5;  // the screen places the car itself
  r.state.car.carV = 9;
  ASSERT_EQ(r.Play({WindUpScreen}), ScreenResult::Next);

  const auto frames = r.Of("windup");
  ASSERT_GT(frames.size(), 6u);
  const std::string line1 = "さあ、１と２を交互に連打するんだ！";
  const std::string line2 = "そして、リターンで発射！";
  // Frame 1: the car at the post, one band segment.
  EXPECT_EQ(frames[0]->state.car.carX, 380.0);
  EXPECT_EQ(frames[0]->Blits(kBandLeft, kBandTop), 1);
  // Frame 3 wound the car back 16 px: floor(gap / 4) + 1 segments, drawn before the key.
  const double gap = 380 - (frames[1]->state.car.carX + (380 - frames[1]->state.car.carX) * 0.03);
  EXPECT_EQ(frames[2]->Blits(kBandLeft, kBandTop), static_cast<int>(std::floor(gap / 4)) + 1);

  const double launchSpeed = 0.03 * (380 - frames[2]->state.car.carX) + 7;
  for (const rig::Frame* f : frames) {
    const bool before = f->index <= 4;  // the launch frame still shows the lines
    EXPECT_EQ(f->HasText(line1), before) << f->index;
    EXPECT_EQ(f->HasText(line2), before) << f->index;
    if (f->index >= 4) {
      EXPECT_DOUBLE_EQ(f->state.car.carV, launchSpeed) << f->index;
    }
    if (f->state.car.carX > 380) {
      EXPECT_EQ(f->Blits(kBandLeft, kBandTop), 0) << f->index;
    }
    EXPECT_EQ(f->state.car.nextKey, f->index >= 3 ? 1 : 0);
    EXPECT_EQ(f->shown, f != frames.back());
    EXPECT_EQ(f->state.car.carX >= 640, f == frames.back());
  }

  // The luck is the first random draw of the event, taken once the car has gone.
  Random expected;
  expected.Seed(seed);
  const int luck = expected.Below(3);
  EXPECT_EQ(r.state.car.luck, luck);
  EXPECT_DOUBLE_EQ(r.state.car.carV, launchSpeed / (luck * 0.1 + 1.4));
  EXPECT_EQ(r.random.Next(), expected.Next());
}

TEST(Run, NoWindingStopsAtTheDistanceOfTheLuck) {
  const double distance[3] = {627.5, 546.78, 480.71};
  const char* fortune[3] = {"大吉　－＞　地面がつるつる", "中吉　－＞　地面も平凡",
                            "末吉　－＞　地面がざらざら"};
  for (int luck = 0; luck < 3; ++luck) {
    SCOPED_TRACE(luck);
    // RETURN held from before the wind-up: launch in its first frame, and the run ends in its
    // first stopped frame.
    plat::VirtualScript script;
    rig::Down(script, VK_RETURN, 0);
    rig::ScreenRig r(script, SeedForLuck(luck));
    ASSERT_EQ(r.Play({WindUpScreen, RunScreen}), ScreenResult::Next);

    EXPECT_EQ(r.Of("windup")[0]->state.car.carV, 7.0);
    EXPECT_EQ(r.state.car.luck, luck);
    // The resting distance less the stop frame's last movement (under 0.02), as RETURN was
    // already down when the car stopped.
    EXPECT_NEAR(r.state.carDistance, distance[luck] - 0.01, 0.015);
    EXPECT_EQ(r.state.car.screenCount, 0);
    EXPECT_EQ(r.state.bestDistance, r.state.carDistance);

    const auto run = r.Of("run");
    ASSERT_GE(run.size(), 2u);
    EXPECT_FALSE(run.back()->shown);
    EXPECT_EQ(run.back()->state.car.carV, 0.0);
    EXPECT_GT(run[run.size() - 2]->state.car.carV, 0.0);
    for (const rig::Frame* f : run) {
      EXPECT_EQ(f->Blits(16 + 17 * luck, 134), 40);
      // The stop frame tests the speed before its last slowing, so it still tells the fortune.
      EXPECT_TRUE(f->HasText(fortune[luck])) << f->index;
      EXPECT_EQ(f->HasText("あなたのポイントは"), f == run.back()) << f->index;
    }
  }
}

TEST(Run, RecordLineUntilBestDistanceCatchesUpWithinTwoFrames) {
  plat::VirtualScript script;
  rig::HoldOver(script, VK_RETURN, WindUpFrameAt(1) + 1);
  rig::Down(script, VK_RETURN, 12000);  // well after the stop
  rig::ScreenRig r(script, SeedForLuck(1));
  r.state.bestDistance = 300;
  ASSERT_EQ(r.Play({WindUpScreen, RunScreen}), ScreenResult::Next);

  const auto run = r.Of("run");
  size_t stop = 0;
  while (stop < run.size() && run[stop]->state.car.carV != 0) ++stop;
  ASSERT_LT(stop + 3, run.size());
  for (size_t i = 0; i < stop; ++i) {
    const rig::Frame& f = *run[i];
    const bool record = f.state.carDistance > 300;
    EXPECT_EQ(f.HasText("記録更新中 ！"), record) << f.index;
    if (record) {
      const auto line = f.Texts(std::to_string(static_cast<int>(f.state.carDistance)) + ".");
      ASSERT_EQ(line.size(), 1u) << f.index;
      EXPECT_EQ(line[0]->y, 310);
      EXPECT_EQ(line[0]->x, static_cast<int>(f.state.car.runX));
    }
    EXPECT_EQ(f.state.bestDistance, 300);
  }
  // The stop frame raises the record; the next one adds the last small movement.
  const GameState& s0 = run[stop]->state;
  const GameState& s1 = run[stop + 1]->state;
  EXPECT_EQ(s0.bestDistance, s0.carDistance);
  EXPECT_GT(s1.carDistance, s0.carDistance);
  EXPECT_LT(s1.carDistance - s0.carDistance, 0.02);
  EXPECT_EQ(s1.bestDistance, s1.carDistance);
  EXPECT_TRUE(run[stop + 1]->HasText("記録更新中 ！"));
  EXPECT_FALSE(run[stop + 2]->HasText("記録更新中 ！"));
  EXPECT_FALSE(run[stop + 1]->HasText("中吉"));
  EXPECT_EQ(r.state.bestDistance, r.state.carDistance);
  EXPECT_TRUE(run[stop + 2]->HasText(
      r.game.text.Format("最近の最高スコアは %10fだ！ ", s1.bestDistance).data()));
}

TEST(Run, LowerDistanceLeavesTheRecordAlone) {
  plat::VirtualScript script;
  rig::Down(script, VK_RETURN, 0);
  rig::ScreenRig r(script, SeedForLuck(2));
  r.state.bestDistance = 5000;
  const Random before = r.random;
  ASSERT_EQ(r.Play({WindUpScreen, RunScreen}), ScreenResult::Next);
  EXPECT_EQ(r.state.bestDistance, 5000);
  for (const rig::Frame* f : r.Of("run")) EXPECT_FALSE(f->HasText("記録更新中 ！"));
  // Draws: the luck, then one flashing colour for the score in the stop frame.
  Random expected = before;
  expected.Next();
  expected.Next();
  EXPECT_EQ(r.random.Next(), expected.Next());
}

TEST(Run, FastLaunchCrossesScreensAndRelabelsTheMarks) {
  // Hammer the keys in every frame for two seconds, then launch and keep RETURN held.
  plat::VirtualScript script;
  for (int k = 2; k <= 70; ++k) {
    rig::HoldOver(script, k % 2 == 0 ? VK_NUMPAD1 : VK_NUMPAD2, WindUpFrameAt(k));
  }
  rig::Down(script, VK_RETURN, WindUpFrameAt(71) - 1);
  rig::ScreenRig r(script, SeedForLuck(0));
  r.state.bestDistance = 1e9;
  ASSERT_EQ(r.Play({WindUpScreen, RunScreen}), ScreenResult::Next);

  EXPECT_LT(r.Of("windup")[69]->state.car.carX, -80);
  const auto run = r.Of("run");
  EXPECT_GE(r.state.car.screenCount, 5);
  int crossings = 0;
  for (size_t i = 1; i < run.size(); ++i) {
    const GameState& prev = run[i - 1]->state;
    const GameState& now = run[i]->state;
    // The distance of a frame is taken before its movement.
    EXPECT_EQ(now.carDistance, prev.car.screenCount * 600 + prev.car.runX);
    for (int m = 1; m <= 6; ++m) {
      EXPECT_TRUE(run[i]->HasText(std::to_string(600 * prev.car.screenCount + 100 * m)));
    }
    if (now.car.screenCount != prev.car.screenCount) {
      ++crossings;
      EXPECT_EQ(now.car.screenCount, prev.car.screenCount + 1);
      EXPECT_EQ(now.car.runX, 0.0);
      // The screen counts 600 but is 640 wide: the distance falls back by 40 and the overshoot.
      if (i + 1 < run.size()) {
        EXPECT_EQ(run[i + 1]->state.carDistance, 600.0 * now.car.screenCount);
        EXPECT_LE(run[i + 1]->state.carDistance, prev.car.screenCount * 600 + 640 - 40.0);
      }
    }
  }
  EXPECT_EQ(crossings, r.state.car.screenCount);
}

// The whole road through the entry point: SPACE on the attract screen, RETURN held from the
// start, so the car launches at once and the run ends in its first stopped frame.
TEST(EventOneScenario, AttractThenLaunchAtOnceAndStop) {
  ScratchDir dir;
  const ReplayRun run = Play("time 7\ntap 0 SPACE 10\ndown 0 RETURN\nend 15000\n");
  const std::vector<std::string> visits = Visits(run);
  ASSERT_GE(visits.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(visits.begin(), visits.begin() + 4),
            (std::vector<std::string>{"attract", "windup", "run", "standby"}));

  const auto windup = Frames(run, "windup");
  EXPECT_EQ(windup.front()->tick, Frames(run, "attract").back()->tick);
  const auto stop = Frames(run, "run").back();
  EXPECT_FALSE(stop->shown);
  const double distance[3] = {627.5, 546.78, 480.71};
  const int luck = stop->state.car.luck;
  EXPECT_NEAR(stop->state.carDistance, distance[luck] - 0.01, 0.015);
  EXPECT_EQ(stop->state.bestDistance, stop->state.carDistance);  // no record file: best was 0
}
