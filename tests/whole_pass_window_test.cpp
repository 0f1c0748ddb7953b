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
#include <thread>

#include "tests/support/XSession.h"

using namespace std::chrono_literals;
using xsession::GameRun;
using xsession::PixelAt;
using xsession::WaitFor;

namespace {

enum class Bottom { Unknown, Black, Lit };

// The strip just above the bottom line of text. The event screens from the run on leave it
// black (their ground ends above it); the full-screen ones tile it; the wind-up's ground covers
// it. Screen pixels are the game's at scale 2.
Bottom BottomStrip(const std::string& rgb) {
  if (rgb.empty()) return Bottom::Unknown;
  for (int y = 440; y < 456; y += 3) {
    for (int x = 560; x < 640; x += 7) {
      if (PixelAt(rgb, 2 * x, 2 * y) != 0) return Bottom::Lit;
    }
  }
  return Bottom::Black;
}

// The attract screen's steady "やめる" (white, at (100, 400)): no other screen draws at the left
// end of that line (the name entry's name starts at x 160), and unlike the jittered prompt
// shadows it never hides behind other text.
bool AttractShown(const std::string& rgb) {
  if (rgb.empty()) return false;
  for (int y = 400; y < 412; ++y) {
    for (int x = 100; x < 150; ++x) {
      if (PixelAt(rgb, 2 * x, 2 * y) == 0xFFFFFF) return true;
    }
  }
  return false;
}

}  // namespace

TEST(WholePassWindow, OneChallengerPlaysEveryScreenAndEntersTheRanking) {
  GameRun game;
  REQUIRE_WINDOW_TOOLS(true);
  ASSERT_TRUE(game.Start()) << "the game's X server did not start";
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
  ASSERT_TRUE(game.WaitForPicture()) << "the screen stayed black";

  // Attract screen, then the wind-up: a few winds on the keypad (NumLock off: its 1 and 2 are
  // End and Down), then RETURN launches.
  game.HoldKey("space");
  for (int i = 0; i < 3; ++i) {
    game.HoldKey("KP_End", 0.15);
    game.HoldKey("KP_Down", 0.15);
  }

  // RETURN launches the car, ends the stopped run and the stopped ball. Pulse it until the
  // results screen (the first lit bottom after the black one of the event screens) is up; the
  // results screen itself ignores RETURN.
  bool sawEvents = false;
  const bool reachedResults = WaitFor(
      [&] {
        game.HoldKey("Return", 0.25);
        const Bottom bottom = BottomStrip(game.X().Screenshot());
        sawEvents = sawEvents || bottom == Bottom::Black;
        return sawEvents && bottom == Bottom::Lit;
      },
      60s);
  game.SaveScreenshot("pass-results.png");
  ASSERT_TRUE(reachedResults) << "no results screen after the events\n" << game.Log();

  // Results: a first SPACE shows everything, a new press ends the screen.
  std::this_thread::sleep_for(300ms);
  game.HoldKey("space", 0.25);
  std::this_thread::sleep_for(400ms);
  game.HoldKey("space", 0.25);
  std::this_thread::sleep_for(500ms);

  // Name entry: eight RETURNs spell AAAAAAAA, the ninth accepts it.
  for (int i = 0; i < 9; ++i) {
    game.HoldKey("Return", 0.2);
    std::this_thread::sleep_for(250ms);
  }
  game.SaveScreenshot("pass-ranking.png");

  // SPACE leaves the ranking and RETURN the farewell. A slow machine may still be a screen behind
  // (a press seen late), so keep going until the attract screen is back: until then SPACE and
  // RETURN only move the pass on (an extra RETURN on the name entry adds another "A"), and SPACE
  // is never sent once the attract screen shows, where it would start a new pass.
  bool first = true;
  const bool backToAttract = WaitFor(
      [&] {
        if (AttractShown(game.X().Screenshot())) return true;
        game.HoldKey("space");
        std::this_thread::sleep_for(500ms);
        if (first) game.SaveScreenshot("pass-farewell.png");
        first = false;
        game.HoldKey("Return");
        std::this_thread::sleep_for(500ms);
        return false;
      },
      60s);
  game.SaveScreenshot("pass-attract.png");
  ASSERT_TRUE(backToAttract) << "the attract screen did not come back\n" << game.Log();

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
