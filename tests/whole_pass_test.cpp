// Two challengers, one after the other, through every screen of a pass, then the operator's quit:
// what the screens hand on to each other, what the head of a pass resets and what it keeps, the
// frame clock across screen changes, and the two files written at the end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/ShiftJis.h"
#include "tests/support/Scenario.h"

namespace {

// A fresh start (no data files). The first challenger winds three times (NUMPAD1, NUMPAD2,
// NUMPAD1), holds RETURN from the launch to the ball's stop, hurries the results and spells
// AAAAAAAA. The second begins with NUMPAD2, as the carried-over wind-up expects, winds eight
// times, catches the ball's first bounce with SPACE and spells BBBBBBBB. Then Q.
constexpr const char* kTwoChallengers = R"(time 1000
tap 100 SPACE 50
tap 300 NUMPAD1 40
tap 400 NUMPAD2 40
tap 500 NUMPAD1 40
down 800 RETURN
up 20000 RETURN
tap 20000 SPACE 40
tap 20500 SPACE 40
tap 21000 RETURN 40
tap 21200 RETURN 40
tap 21400 RETURN 40
tap 21600 RETURN 40
tap 21800 RETURN 40
tap 22000 RETURN 40
tap 22200 RETURN 40
tap 22400 RETURN 40
tap 22600 RETURN 40
tap 23500 SPACE 40
tap 24500 RETURN 40

tap 25500 SPACE 40
tap 25800 NUMPAD2 40
tap 25900 NUMPAD1 40
tap 26000 NUMPAD2 40
tap 26100 NUMPAD1 40
tap 26200 NUMPAD2 40
tap 26300 NUMPAD1 40
tap 26400 NUMPAD2 40
tap 26500 NUMPAD1 40
down 26600 RETURN
tap 43110 SPACE 20
up 47500 RETURN
tap 48000 SPACE 40
tap 48500 SPACE 40
tap 49000 LEFT 40
tap 49500 RETURN 40
tap 49700 RETURN 40
tap 49900 RETURN 40
tap 50100 RETURN 40
tap 50300 RETURN 40
tap 50500 RETURN 40
tap 50700 RETURN 40
tap 50900 RETURN 40
tap 51100 RETURN 40
tap 52000 SPACE 40
tap 53000 RETURN 40
tap 54000 Q 40
end 70000
)";

const std::map<std::string, uint32_t> kPeriod = {
    {"attract", 33}, {"windup", 30}, {"run", 33},     {"standby", 20},  {"ball", 33},
    {"results", 16}, {"name", 16},   {"ranking", 16}, {"farewell", 16},
};

struct Visit {
  std::string screen;
  std::vector<const FrameRecord*> frames;
};

std::vector<Visit> SplitVisits(const ReplayRun& run) {
  std::vector<Visit> visits;
  for (const FrameRecord& f : run.frames) {
    if (visits.empty() || visits.back().screen != f.screen) visits.push_back({f.screen, {}});
    visits.back().frames.push_back(&f);
  }
  return visits;
}

std::string NameOf(const Name& name) {
  return std::string(name.begin(), name.end());
}

}  // namespace

TEST(WholePass, TwoChallengersThenQuitCarryResetAndStoreWhatTheyShould) {
  ScratchDir dir;
  const ReplayRun run = Play(kTwoChallengers);
  ASSERT_EQ(run.exitCode, std::optional<int>(0));
  ASSERT_FALSE(run.endTick.has_value());

  const std::vector<std::string> pass = {"attract", "windup", "run",     "standby", "ball",
                                         "results", "name",   "ranking", "farewell"};
  std::vector<std::string> expected = pass;
  expected.insert(expected.end(), pass.begin(), pass.end());
  expected.push_back("attract");
  ASSERT_EQ(Visits(run), expected);
  const std::vector<Visit> visits = SplitVisits(run);

  // The frame clock: numbered without gaps; inside a visit each frame begins one period after the
  // one before and is shown; the exit frame is never shown; the next screen's first frame begins
  // at the time its predecessor's exit frame began.
  for (size_t i = 0; i < run.frames.size(); ++i) ASSERT_EQ(run.frames[i].n, static_cast<int>(i));
  for (size_t v = 0; v < visits.size(); ++v) {
    const auto& frames = visits[v].frames;
    for (size_t k = 1; k < frames.size(); ++k) {
      ASSERT_EQ(frames[k]->tick - frames[k - 1]->tick, kPeriod.at(visits[v].screen))
          << "frame " << frames[k]->n;
    }
    for (size_t k = 0; k + 1 < frames.size(); ++k) {
      ASSERT_TRUE(frames[k]->shown) << frames[k]->n;
    }
    EXPECT_FALSE(frames.back()->shown) << "exit frame " << frames.back()->n;
    if (v > 0) {
      EXPECT_EQ(frames.front()->tick, visits[v - 1].frames.back()->tick) << v;
    }
  }

  // Each challenger's results, name and total as the later screens saw them.
  const GameState& first = visits[8].frames.back()->state;    // end of the first farewell
  const GameState& second = visits[17].frames.back()->state;  // end of the second farewell
  EXPECT_EQ(NameOf(first.playerName), "AAAAAAAA");
  EXPECT_EQ(NameOf(second.playerName), "BBBBBBBB");
  for (const GameState* s : {&first, &second}) {
    EXPECT_EQ(s->totalScore, static_cast<int>(std::trunc((s->carDistance - 245.0) / 40.0 +
                                                         (s->bounceScore - 695.0) / 45.0)));
    EXPECT_EQ(s->rankedIn, 1);
  }
  EXPECT_GT(first.totalScore, 0);
  EXPECT_GT(second.totalScore, first.totalScore);
  EXPECT_GT(second.carDistance, first.carDistance);
  EXPECT_GT(second.bounceScore, first.bounceScore);  // the caught bounce
  EXPECT_EQ(first.rankPlace, 1);
  EXPECT_EQ(second.rankPlace, 1);  // above the first challenger

  // The head of each later pass resets the per-pass values, which the pass before had moved.
  for (size_t v : {9u, 18u}) {
    const GameState& before = visits[v - 1].frames.back()->state;
    const GameState& s = visits[v].frames.front()->state;
    EXPECT_EQ(before.car.launched, 1);
    EXPECT_EQ(before.name.nameCursor, 8);
    EXPECT_EQ(before.ball.gravity, 0.0);
    EXPECT_EQ(s.car.launched, 0);
    EXPECT_EQ(s.car.screenCount, 0);
    EXPECT_EQ(s.car.runX, 0.0);
    EXPECT_EQ(s.car.runFrames, 0);
    EXPECT_EQ(s.ball.v, 0.0);
    EXPECT_EQ(s.ball.gravity, 1.0);
    EXPECT_EQ(s.ball.y, 335.0);
    EXPECT_EQ(s.ball.e, 0.5);
    EXPECT_EQ(s.bounceScore, 0.0);
    EXPECT_EQ(s.name.wheelBase, 59);
    EXPECT_EQ(s.name.nameCursor, 0);
    EXPECT_EQ(s.swapFlag, 1);
    EXPECT_EQ(s.rankedIn, 0);
    EXPECT_EQ(s.rankPlace, 0);

    // ... and keeps what carries from one challenger to the next.
    EXPECT_EQ(s.car.nextKey, before.car.nextKey);
    EXPECT_EQ(s.car.promptY, before.car.promptY);
    EXPECT_EQ(s.car.labelBob, before.car.labelBob);
    EXPECT_EQ(s.ball.e_old, before.ball.e_old);
    EXPECT_EQ(s.name.wheelOffset, before.name.wheelOffset);
    EXPECT_EQ(s.name.prevReturnState, before.name.prevReturnState);
    EXPECT_EQ(s.name.leftHistory, before.name.leftHistory);
    EXPECT_EQ(s.totalScore, before.totalScore);
    EXPECT_EQ(s.ranking[0].score, before.ranking[0].score);
    EXPECT_EQ(s.textColourIndex, before.textColourIndex);
  }
  // The carried values really moved away from their start-up values on the way.
  EXPECT_EQ(first.car.nextKey, 1);  // three winds: the second challenger must begin with NUMPAD2
  EXPECT_NE(first.car.promptY, 100.0);
  EXPECT_NE(first.car.labelBob, 0.0);
  EXPECT_GE(second.ball.e_old, 0.8);  // the caught bounce
  // NUMPAD2 first counted for the second challenger: its wind-up saw all eight winds.
  int winds = 0;
  int due = visits[9].frames.back()->state.car.nextKey;
  for (const FrameRecord* f : visits[10].frames) {
    winds += f->state.car.nextKey != due;
    due = f->state.car.nextKey;
  }
  EXPECT_EQ(winds, 8);

  // The attract screens name the player before and count the challengers.
  const char* names[] = {"DEFAULT_", "AAAAAAAA", "BBBBBBBB"};
  const char* numbers[] = {"００００１", "００００２", "００００３"};
  for (int i = 0; i < 3; ++i) {
    const FrameRecord& f = *visits[9 * i].frames.front();
    const DrawOp* name = FindTextContaining(f, names[i]);
    ASSERT_NE(name, nullptr) << i;
    EXPECT_EQ(name->x, 330);
    EXPECT_EQ(name->y, 270);
    EXPECT_TRUE(FindTextContaining(f, Sjis(numbers[i]))) << i;
  }

  // The quit wrote the new bests, the count after two passes and the quit, and both entries.
  char record[128];
  std::snprintf(record, sizeof record, "%.6f\r\n%.6f\r\n4\r\n", second.carDistance,
                second.bounceScore);
  EXPECT_EQ(dir.Read("kavrel.dat"), std::optional<std::string>(record));
  std::string ranking = std::to_string(second.totalScore) + "\r\nBBBBBBBB\r\n" +
                        std::to_string(first.totalScore) + "\r\nAAAAAAAA\r\n";
  for (int i = 0; i < 3; ++i) ranking += "0\r\nDEFAULT_\r\n";
  EXPECT_EQ(dir.Read("kv_rank.dat"), std::optional<std::string>(ranking));
}
