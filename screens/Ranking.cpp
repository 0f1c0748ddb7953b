// The all-time ranking: a total that beats the fifth place takes it and climbs past every lower
// score; the table is shown for 15 seconds with the new row flashing.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "display/CCDraw.h"
#include "game/FrameLoop.h"
#include "game/Keys.h"
#include "game/SharedElements.h"
#include "platform/System.h"
#include "screens/Screens.h"

namespace {

// The last three digits in full width, then " 点". A negative score (only a hand-edited file or a
// negative fifth place brings one) gets a full-width minus before the digits of its magnitude.
std::string ScoreText(int32_t score) {
  std::string text;
  int lastThree = score % 1000;  // -999..999: its magnitude cannot overflow, even for INT_MIN
  if (score < 0) {
    text = S("－");
    lastThree = -lastThree;
  }
  return text + FullWidthNumber(lastThree, 3) + S(" 点");
}

// Bubble passes from the bottom up while one of them swaps; equal scores keep their order.
void SortRanking(GameState& s) {
  while (s.swapFlag == 1) {
    s.swapFlag = 0;
    for (int z = 4; z >= 1; --z) {
      if (s.ranking[z].score > s.ranking[z - 1].score) {
        std::swap(s.ranking[z], s.ranking[z - 1]);
        s.rankPlace = z;
        s.swapFlag = 1;
      }
    }
  }
}

void DrawRow(Game& game, int z) {
  GameState& s = game.state;
  const RankingEntry& entry = s.ranking[z];
  const int y = 140 + 50 * z;
  s.textColourIndex = s.rankPlace == z + 1 ? RandomTextColourIndex(game) : 7;
  const uint32_t colour = kTextColourTable[s.textColourIndex];
  game.draw.DrawText(game.text.Format(SF("%s位   "), FullWidthDigit(z + 1).c_str()), 20, y,
                     colour, 24);
  game.draw.DrawText(std::string_view(entry.name.data(), entry.name.size()), 150, y, colour, 24);
  game.draw.DrawText(ScoreText(entry.score), 420, y, colour, 24);
}

void DrawMessageLine(Game& game) {
  const GameState& s = game.state;
  if (s.rankedIn == 0) {
    DrawTremblingTitle(game, S("ランクイン出来ませんでした。残念！"), 20, 440, 2, kGreen, 18);
  } else {
    const std::string_view line =
        game.text.Format(SF("%s位にランクイン！！おめでとう御座居ます。"),
                    FullWidthDigit(s.rankPlace).c_str());
    DrawTremblingTitle(game, line, 20, 440, 2, kGreen, 15);
  }
}

FrameOutcome RankingFrame(Game& game) {
  GameState& s = game.state;
  DrawTremblingTitle(game, S("～歴代ランキング～"), 50, 50, 5, kRed, 30);
  DrawCountdown(game, 15, Elapsed(game, s.phaseStartTick), 500, 30);
  // Runs its passes in the first frame; they leave swapFlag at 0 for the frames after.
  if (s.rankedIn == 1) SortRanking(s);
  for (int z = 0; z < 5; ++z) DrawRow(game, z);
  DrawMessageLine(game);
  if (Elapsed(game, s.phaseStartTick) > 15000 || KeyDown(game, plat::VK_SPACE)) {
    return FrameOutcome::Leave;
  }
  return FrameOutcome::Continue;
}

}  // namespace

void InsertRankingEntry(Game& game) {
  GameState& s = game.state;
  s.phaseStartTick = game.system.GetTickCount();
  RankingEntry& fifth = s.ranking[4];
  if (fifth.score < s.totalScore) {
    fifth.score = s.totalScore;
    fifth.name = s.playerName;
    s.rankPlace = 5;
    s.rankedIn = 1;
  } else {
    s.rankedIn = 0;
  }
}

GameState RankingAsShown(const GameState& state) {
  GameState shown = state;
  if (shown.rankedIn == 1) SortRanking(shown);
  return shown;
}

ScreenResult RankingScreen(Game& game) {
  return RunFrames(game, kRankingTiming, [&] { return RankingFrame(game); });
}
