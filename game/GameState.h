// Every value that outlives one screen. The entry point owns the one GameState for the whole run.
#pragma once

#include <array>
#include <cstdint>

using Name = std::array<char, 8>;  // eight single-byte codes, not terminated

inline constexpr Name kDefaultName = {'D', 'E', 'F', 'A', 'U', 'L', 'T', '_'};

struct RankingEntry {
  int32_t score = 0;
  Name name = kDefaultName;
};

using RankingTable = std::array<RankingEntry, 5>;

// Event one, the rubber car.
struct CarEvent {
  double carX = 380.0;
  double carV = 0.0;
  int launched = 0;
  int nextKey = 0;  // 0: NUMPAD1 is due, 1: NUMPAD2
  double promptY = 100.0;
  int luck = 0;
  double runX = 0.0;
  int screenCount = 0;
  int runFrames = 0;
  double labelBob = 0.0;
};

// Event two, the bouncing ball.
struct BallEvent {
  double y = 335.0;
  double ballX = 320.0;
  double v = 0.0;
  double gravity = 1.0;
  double e = 0.5;
  double e_old = 0.0;
  int countdown = 400;
};

// The name entry's wheel and key samples.
struct NameEntry {
  int nameCursor = 0;
  int wheelBase = 59;
  int wheelOffset = 0;
  int selectedChar = 0;
  int32_t prevReturnState = 0;
  int32_t prevDownState = 0;
  std::array<int32_t, 4> leftHistory = {};  // newest first
  std::array<int32_t, 4> rightHistory = {};
};

struct GameState {
  int keepRunning = 1;
  int32_t challengerNumber = 1;
  Name playerName = kDefaultName;
  double bestDistance = 0.0;
  double bestBounce = 0.0;
  double carDistance = 0.0;
  double bounceScore = 0.0;
  int32_t totalScore = 0;
  uint8_t rankedIn = 0;
  int32_t rankPlace = 0;
  int32_t wordIndex = 0;
  int32_t textColourIndex = 7;
  RankingTable ranking = {};
  uint32_t frameStartTick = 0;
  uint32_t phaseStartTick = 0;

  // The screens' own values that carry over between frames.
  CarEvent car;
  BallEvent ball;
  NameEntry name;
  int32_t prevSpaceState = 0;        // SPACE sample of the ball and results screens, sign-extended
  int swapFlag = 1;                  // the ranking sort's "a pass swapped something"
  bool operatorScreenAsked = false;  // F2 on the attract screen: the operator's screen comes next
};
