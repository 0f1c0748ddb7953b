// The screens of a challenger's pass, in the order the challenger loop runs them. Each runs its
// frames through RunFrames and returns Next when done, or Quit when the window was closed.
#pragma once

#include "game/FrameLoop.h"
#include "game/Game.h"

ScreenResult AttractScreen(Game& game);
ScreenResult WindUpScreen(Game& game);   // event one: winding and launch
ScreenResult RunScreen(Game& game);      // event one: the car rolls out
ScreenResult StandByScreen(Game& game);  // event two: countdown
ScreenResult BallScreen(Game& game);     // event two: the bouncing ball
ScreenResult ResultsScreen(Game& game);
ScreenResult NameEntryScreen(Game& game);
// The same wheel, as a part of another screen (the operator's, which renames a place with it).
ScreenResult NameEntryScreen(Game& game, const ScreenTiming& timing);
void InsertRankingEntry(Game& game);
// The ranking and the visitor's place as the ranking screen's first frame leaves them, given the
// state InsertRankingEntry left: the pass's final results, before the screen shows them.
GameState RankingAsShown(const GameState& state);
ScreenResult RankingScreen(Game& game);
ScreenResult FarewellScreen(Game& game);

// What the farewell screen draws in a frame: the heaviest text of the game, which the benchmark
// measures.
void DrawFarewell(Game& game);
