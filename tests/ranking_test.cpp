#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "game/SharedElements.h"
#include "screens/Screens.h"
#include "tests/support/ScreenRig.h"

using rig::Down;
using rig::ScreenRig;
using rig::Sj;

namespace {

Name MakeName(const char* eight) {
  Name name;
  for (int i = 0; i < 8; ++i) name[i] = eight[i];
  return name;
}

// The table with names "ENTRY0__" to "ENTRY4__", the challenger as "NEWCOMER".
void SetTable(GameState& s, std::vector<int32_t> scores, int32_t total) {
  for (int z = 0; z < 5; ++z) {
    char name[9];
    std::snprintf(name, sizeof name, "ENTRY%d__", z);
    s.ranking[z] = {scores[z], MakeName(name)};
  }
  s.totalScore = total;
  s.playerName = MakeName("NEWCOMER");
  s.swapFlag = 1;
  s.rankedIn = 0;
  s.rankPlace = 0;
}

std::vector<int32_t> Scores(const GameState& s) {
  std::vector<int32_t> out;
  for (const RankingEntry& e : s.ranking) out.push_back(e.score);
  return out;
}

std::string NameAt(const GameState& s, int z) {
  return std::string(s.ranking[z].name.data(), 8);
}

// Insertion and one frame with SPACE held, as a challenger who leaves at once.
FrameRecord RunOneFrame(ScreenRig& r) {
  InsertRankingEntry(r.game);
  EXPECT_EQ(RankingScreen(r.game), ScreenResult::Next);
  EXPECT_EQ(r.frames.size(), 1u);
  return r.frames.back();
}

ScreenRig Rig() {
  return ScreenRig(rig::Script({Down(0, plat::VK_SPACE)}));
}

std::string ScoreShown(const FrameRecord& f, int z) {
  const DrawOp* op = ScreenRig::TextAt(f, 420, 140 + 50 * z);
  return op ? op->text : "";
}

}  // namespace

// Among equal scores the older entry keeps the better place; SPACE held at the start leaves in
// the first frame, unshown, with the table already updated.
TEST(Ranking, TieGoesBelowTheEqualScores) {
  ScreenRig r = Rig();
  SetTable(r.state, {50, 40, 40, 30, 20}, 40);
  r.random.Seed(3);
  Random expected;
  expected.Seed(3);
  const FrameRecord f = RunOneFrame(r);
  EXPECT_FALSE(f.shown);

  EXPECT_EQ(Scores(r.state), (std::vector<int32_t>{50, 40, 40, 40, 30}));
  EXPECT_EQ(NameAt(r.state, 1), "ENTRY1__");
  EXPECT_EQ(NameAt(r.state, 2), "ENTRY2__");
  EXPECT_EQ(NameAt(r.state, 3), "NEWCOMER");
  EXPECT_EQ(r.state.rankPlace, 4);
  EXPECT_EQ(r.state.rankedIn, 1);

  expected.Next();  // the title's two numbers
  expected.Next();
  const uint32_t flashing = kTextColourTable[expected.Below(14)];
  for (int z = 0; z < 5; ++z) {
    const int y = 140 + 50 * z;
    const uint32_t colour = z == 3 ? flashing : kWhite;
    for (int x : {20, 150, 420}) {
      ASSERT_NE(ScreenRig::TextAt(f, x, y), nullptr);
      EXPECT_EQ(ScreenRig::TextAt(f, x, y)->colour, colour);
      EXPECT_EQ(ScreenRig::TextAt(f, x, y)->size, 24);
    }
  }
  EXPECT_EQ(ScreenRig::TextAt(f, 20, 290)->text, Sj("４位   "));
  EXPECT_EQ(ScreenRig::TextAt(f, 150, 290)->text, "NEWCOMER");
  EXPECT_EQ(ScoreShown(f, 3), Sj("０４０ 点"));

  const int r1 = expected.Next(), r2 = expected.Next();
  const DrawOp* shadow = ScreenRig::TextAt(f, 18 + r2 % 5, 438 + r1 % 5);
  ASSERT_NE(shadow, nullptr);
  EXPECT_EQ(shadow->colour, kGreen);
  const DrawOp* message = ScreenRig::TextAt(f, 20, 440);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->text, Sj("４位にランクイン！！おめでとう御座居ます。"));
  EXPECT_EQ(message->size, 15);
}

TEST(Ranking, EntersOnlyAboveTheFifthPlace) {
  {
    ScreenRig r = Rig();
    SetTable(r.state, {50, 40, 40, 30, 20}, 20);
    const FrameRecord f = RunOneFrame(r);
    EXPECT_EQ(r.state.rankedIn, 0);
    EXPECT_EQ(r.state.rankPlace, 0);
    EXPECT_EQ(Scores(r.state), (std::vector<int32_t>{50, 40, 40, 30, 20}));
    EXPECT_EQ(NameAt(r.state, 4), "ENTRY4__");
    EXPECT_EQ(ScreenRig::TextAt(f, 20, 440)->text, Sj("ランクイン出来ませんでした。残念！"));
    EXPECT_EQ(ScreenRig::TextAt(f, 20, 440)->size, 18);
    for (const DrawOp& op : f.ops) {
      if (op.kind == DrawOp::Text && op.y >= 140 && op.y <= 340) {
        EXPECT_EQ(op.colour, kWhite);
      }
    }
  }
  {
    ScreenRig r = Rig();
    SetTable(r.state, {50, 40, 40, 30, 20}, 21);
    RunOneFrame(r);
    EXPECT_EQ(r.state.rankPlace, 5);
    EXPECT_EQ(NameAt(r.state, 4), "NEWCOMER");
  }
  {
    ScreenRig r = Rig();
    SetTable(r.state, {50, 40, 40, 30, 20}, 51);
    const FrameRecord f = RunOneFrame(r);
    EXPECT_EQ(r.state.rankPlace, 1);
    EXPECT_EQ(Scores(r.state), (std::vector<int32_t>{51, 50, 40, 40, 30}));
    EXPECT_EQ(NameAt(r.state, 0), "NEWCOMER");
    EXPECT_EQ(ScreenRig::TextAt(f, 20, 440)->text,
              Sj("１位にランクイン！！おめでとう御座居ます。"));
  }
  for (const int32_t total : {0, -3, 1}) {
    SCOPED_TRACE(total);
    ScreenRig r = Rig();
    SetTable(r.state, {0, 0, 0, 0, 0}, total);
    RunOneFrame(r);
    EXPECT_EQ(r.state.rankedIn, total > 0 ? 1 : 0);
    EXPECT_EQ(r.state.rankPlace, total > 0 ? 1 : 0);
  }
}

// A hand-edited table out of order is sorted by the passes once the challenger enters, equal
// scores keeping their order; the place named is that of the last exchange made.
TEST(Ranking, UnsortedTable) {
  {
    ScreenRig r = Rig();
    SetTable(r.state, {10, 30, 30, 50, 5}, 40);
    RunOneFrame(r);
    EXPECT_EQ(Scores(r.state), (std::vector<int32_t>{50, 40, 30, 30, 10}));
    EXPECT_EQ(NameAt(r.state, 0), "ENTRY3__");
    EXPECT_EQ(NameAt(r.state, 1), "NEWCOMER");
    EXPECT_EQ(NameAt(r.state, 2), "ENTRY1__");
    EXPECT_EQ(NameAt(r.state, 3), "ENTRY2__");
    EXPECT_EQ(NameAt(r.state, 4), "ENTRY0__");
    EXPECT_EQ(r.state.rankPlace, 4);
    EXPECT_EQ(r.state.swapFlag, 0);
  }
  {
    ScreenRig r = Rig();
    SetTable(r.state, {10, 30, 20, 50, 5}, 5);
    const FrameRecord f = RunOneFrame(r);
    EXPECT_EQ(Scores(r.state), (std::vector<int32_t>{10, 30, 20, 50, 5}));
    EXPECT_EQ(ScoreShown(f, 0), Sj("０１０ 点"));
    EXPECT_EQ(ScoreShown(f, 3), Sj("０５０ 点"));
  }
}

// Scores show their last three digits; a negative one a full-width minus and the digits of its
// size, so every byte stays a full-width character.
TEST(Ranking, ScoreDigits) {
  ScreenRig r = Rig();
  const int32_t kMin = std::numeric_limits<int32_t>::min();
  const int32_t kMax = std::numeric_limits<int32_t>::max();
  SetTable(r.state, {1234, 42, -7, kMin, -1000}, -2000);
  const FrameRecord f = RunOneFrame(r);
  EXPECT_EQ(ScoreShown(f, 0), Sj("２３４ 点"));
  EXPECT_EQ(ScoreShown(f, 1), Sj("０４２ 点"));
  EXPECT_EQ(ScoreShown(f, 2), Sj("－００７ 点"));
  EXPECT_EQ(ScoreShown(f, 3), Sj("－６４８ 点"));
  EXPECT_EQ(ScoreShown(f, 4), Sj("－０００ 点"));
  EXPECT_EQ(ScreenRig::TextAt(f, 20, 140)->text, Sj("１位   "));
  EXPECT_EQ(ScreenRig::TextAt(f, 20, 340)->text, Sj("５位   "));

  ScreenRig top = Rig();
  SetTable(top.state, {kMax, kMax, kMax, kMax, kMax}, kMax);
  EXPECT_EQ(ScoreShown(RunOneFrame(top), 0), Sj("６４７ 点"));
}

// Without keys the screen lasts just past 15 s; the passes run once, and every frame draws two
// numbers for the title, one for the new row and two for the message line.
TEST(Ranking, RunsFifteenSecondsWithTheNewRowFlashing) {
  ScreenRig r(rig::Script({}, 0, {{100, 14000}}));
  SetTable(r.state, {50, 40, 40, 30, 20}, 45);
  r.random.Seed(11);
  Random expected;
  expected.Seed(11);
  InsertRankingEntry(r.game);
  ASSERT_EQ(RankingScreen(r.game), ScreenResult::Next);

  EXPECT_EQ(ScreenRig::TextAt(r.frames[0], 500, 30)->text, Sj("あと  15 秒"));
  EXPECT_EQ(ScreenRig::TextAt(r.frames[0], 50, 50)->text, Sj("～歴代ランキング～"));
  EXPECT_GT(r.frames.back().tick, 15000u);
  EXPECT_LE(r.frames[r.frames.size() - 2].tick, 15000u);
  EXPECT_FALSE(r.frames.back().shown);
  for (const FrameRecord& f : r.frames) {
    const int r1 = expected.Next(), r2 = expected.Next();
    EXPECT_NE(ScreenRig::TextAt(f, 45 + r2 % 11, 45 + r1 % 11), nullptr);
    EXPECT_EQ(ScreenRig::TextAt(f, 20, 190)->colour, kTextColourTable[expected.Below(14)]);
    EXPECT_EQ(f.state.rankPlace, 2);
    expected.Next();
    expected.Next();
  }
  EXPECT_EQ(r.random.Next(), expected.Next());
}

TEST(Ranking, WindowClosedQuits) {
  ScreenRig r(rig::Script({}, 100));
  InsertRankingEntry(r.game);
  EXPECT_EQ(RankingScreen(r.game), ScreenResult::Quit);
}
