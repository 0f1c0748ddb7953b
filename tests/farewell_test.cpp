#include <gtest/gtest.h>

#include "game/SharedElements.h"
#include "screens/Scoring.h"
#include "screens/Screens.h"
#include "tests/support/Scenario.h"
#include "tests/support/ScreenRig.h"

using rig::Down;
using rig::ScreenRig;
using rig::Sj;

namespace {

std::string Countdown(const FrameRecord& f) {
  const DrawOp* op = ScreenRig::TextAt(f, 500, 30);
  return op ? op->text : "";
}

}  // namespace

// 15 down to 1 over the frames shown; the frame that would read 0 ends the screen unshown.
TEST(Farewell, CountsDownFifteenSeconds) {
  ScreenRig r;
  r.random.Seed(9);
  Random expected;
  expected.Seed(9);
  ASSERT_EQ(FarewellScreen(r.game), ScreenResult::Next);

  const auto& frames = r.frames;
  EXPECT_EQ(frames.back().tick, 15008u);
  EXPECT_FALSE(frames.back().shown);
  const FrameRecord& last = frames[frames.size() - 2];
  EXPECT_TRUE(last.shown);
  EXPECT_EQ(Countdown(frames.front()), Sj("あと  15 秒"));
  EXPECT_EQ(Countdown(last), Sj("あと   1 秒"));

  const FrameRecord& f = frames.front();
  EXPECT_EQ(ScreenRig::CountTexts(f), 10);
  const struct {
    int x, y;
    const char* text;
    int size;
  } kLines[] = {
      {180, 20, "～お礼～", 36},
      {40, 100, "この度は、「ω瞬発力研究所ω」を", 18},
      {40, 130, "プレイして頂き、本当に有り難う御", 18},
      {40, 160, "座いました。", 18},
      {40, 240, "またのご来場を、心よりお待ちして", 18},
      {40, 270, "おります。", 18},
      {330, 400, "みなと工科電算クラブ", 13},
      {330, 430, "ころもんず！ω", 13},
  };
  for (const auto& line : kLines) {
    const DrawOp* op = ScreenRig::TextAt(f, line.x, line.y);
    ASSERT_NE(op, nullptr) << line.text;
    EXPECT_EQ(op->text, Sj(line.text));
    EXPECT_EQ(op->size, line.size) << line.text;
  }

  // Two random numbers a frame, for the title's red shadow.
  for (const FrameRecord& frame : frames) {
    const int r1 = expected.Next(), r2 = expected.Next();
    const DrawOp* shadow = ScreenRig::TextAt(frame, 175 + r2 % 11, 15 + r1 % 11);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->colour, kRed);
  }
  EXPECT_EQ(r.random.Next(), expected.Next());
}

TEST(Farewell, ReturnHeldAtTheStartEndsInTheFirstFrame) {
  ScreenRig r(rig::Script({Down(0, plat::VK_RETURN)}));
  ASSERT_EQ(FarewellScreen(r.game), ScreenResult::Next);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_FALSE(r.frames[0].shown);
}

TEST(Farewell, StallPastTheLimitEndsOnTheNextFrame) {
  ScreenRig r(rig::Script({}, 0, {{14000, 2000}}));
  ASSERT_EQ(FarewellScreen(r.game), ScreenResult::Next);
  EXPECT_EQ(r.frames.back().tick, 16000u);
  EXPECT_FALSE(r.frames.back().shown);
  EXPECT_EQ(r.frames[r.frames.size() - 2].tick, 13984u);
}

TEST(Farewell, WindowClosedQuits) {
  ScreenRig r(rig::Script({}, 100));
  EXPECT_EQ(FarewellScreen(r.game), ScreenResult::Quit);
  EXPECT_FALSE(r.frames.back().shown);
}

// A whole pass with SPACE and RETURN held from the start: results jump to their last 5 s, the
// name entry takes one press and times out, the ranking and the farewell leave in their first
// frame, and the next challenger begins at once.
TEST(Finale, PassWithKeysHeldThroughout) {
  ScratchDir dir;
  const ReplayRun run = Play("down 100 SPACE\ndown 100 RETURN\nend 150000\n");
  const std::vector<std::string> visits = Visits(run);
  const std::vector<std::string> pass = {"attract", "windup", "run",     "standby",  "ball",
                                         "results", "name",   "ranking", "farewell", "attract"};
  ASSERT_GE(visits.size(), pass.size());
  EXPECT_EQ(std::vector<std::string>(visits.begin(), visits.begin() + pass.size()), pass);

  const auto results = Frames(run, "results");
  ASSERT_GE(results.size(), 2u);
  EXPECT_EQ(ScreenRig::CountTexts(*results[0]), 3);
  EXPECT_TRUE(HasText(*results[1], Sj("あと   5 秒")));
  const GameState& after = results[1]->state;
  EXPECT_EQ(after.totalScore, TotalScore(after.carDistance, after.bounceScore));

  const auto ranking = Frames(run, "ranking");
  ASSERT_FALSE(ranking.empty());
  // The first challenger's name entry: RETURN counted once, then the time-out.
  const FrameRecord& lastName = run.frames[ranking[0]->n - 1];
  EXPECT_EQ(lastName.screen, "name");
  EXPECT_FALSE(lastName.shown);
  EXPECT_EQ(std::string(lastName.state.playerName.data(), 8), "AA______");
  EXPECT_FALSE(ranking[0]->shown);
  EXPECT_EQ(ranking[0]->state.rankedIn, after.totalScore > 0 ? 1 : 0);
  const auto farewell = Frames(run, "farewell");
  ASSERT_FALSE(farewell.empty());
  EXPECT_FALSE(farewell[0]->shown);
}
