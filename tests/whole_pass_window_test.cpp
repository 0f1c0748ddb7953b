// One challenger's whole pass in the real game binary on a virtual X display, played with keys
// sent from an X client: from the start-up box through every screen back to the attract screen,
// where the game is killed; started again, it puts the pass's recovery copies back, and a quit
// with Q ends in data files that hold the new ranking entry.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/WindowPass.h"
#include "tests/support/XSession.h"

using namespace std::chrono_literals;
using xsession::GameRun;

TEST(WholePassWindow, OneChallengerPlaysEveryScreenAndEntersTheRanking) {
  GameRun game;
  REQUIRE_WINDOW_TOOLS(true);
  ASSERT_TRUE(game.Start()) << "the game's X server did not start";
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
  ASSERT_TRUE(game.WaitForPicture()) << "the screen stayed black";

  ASSERT_EQ(xsession::PlayWholePass(game), "") << game.Log();

  // Killed as a power cut would: nothing is saved, but the pass is in its recovery copies.
  game.Signal(SIGKILL);
  ASSERT_TRUE(game.StartAgain()) << game.Log();
  EXPECT_FALSE(game.Exists("kavrel.dat"));
  EXPECT_TRUE(game.Exists("kavrel.recovery"));
  ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
  ASSERT_TRUE(game.WaitForPicture()) << "the screen stayed black after the restart";
  game.HoldKey("q");

  ASSERT_EQ(game.WaitExit(15s), std::optional<int>(0)) << game.Log();
  std::printf("whole pass in the window: %.1f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());

  // A fresh ranking of zeros: any total of 1 or more enters at the top. Without a timed press
  // the ball scores at least 696.375 and the car rolls at least 480, so the total is positive.
  const std::string ranking = game.ReadFile("kv_rank.dat");
  std::string rest;
  for (int i = 0; i < 4; ++i) rest += "0\r\nDEFAULT_\r\n";
  const size_t nameAt = ranking.find("\r\nAAAAAAAA\r\n");
  ASSERT_NE(nameAt, std::string::npos) << ranking;
  EXPECT_GT(std::atoi(ranking.substr(0, nameAt).c_str()), 0) << ranking;
  EXPECT_EQ(ranking.substr(nameAt + 12), rest);

  // The record file: both bests raised from nothing, and the count after one pass and the quit.
  double distance = 0, bounce = 0;
  int number = 0;
  const std::string record = game.ReadFile("kavrel.dat");
  ASSERT_EQ(std::sscanf(record.c_str(), "%lf\r\n%lf\r\n%d", &distance, &bounce, &number), 3)
      << record;
  EXPECT_GT(distance, 245.0);
  EXPECT_GE(bounce, 696.375);
  EXPECT_EQ(number, 3);
  EXPECT_FALSE(game.Exists("kavrel.dat.recovery"));
  EXPECT_FALSE(game.Exists("kv_rank.dat.recovery"));
}
