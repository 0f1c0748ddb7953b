// The operator's screen in the real game binary on a virtual X display: F2 on the attract screen
// opens it (the picture is kept as a screenshot), and its "quit the game" ends the game as Q does.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "tests/support/XSession.h"

using namespace std::chrono_literals;
using xsession::GameRun;

TEST(OperatorWindow, F2OpensTheOperatorsScreenAndItsQuitSavesAsQ) {
  GameRun game;
  REQUIRE_WINDOW_TOOLS(true);
  game.SetEnv("LANG", "ja_JP.UTF-8");
  ASSERT_TRUE(game.Start()) << "the game's X server did not start";
  ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
  ASSERT_TRUE(game.WaitForPicture()) << "the screen stayed black";
  const std::string attract = game.X().Screenshot();
  game.HoldKey("F2");
  std::this_thread::sleep_for(300ms);
  const std::string service = game.X().Screenshot();
  game.SaveScreenshot("operator-screen");
  EXPECT_FALSE(service.empty());
  EXPECT_NE(service, attract) << "F2 changed nothing on the screen";
  // UP twice from the first item: past "back" to "quit the game".
  game.HoldKey("Up");
  game.HoldKey("Up");
  game.HoldKey("Return");
  ASSERT_EQ(game.WaitExit(15s), std::optional<int>(0)) << game.Log();
  EXPECT_TRUE(game.Exists("kavrel.dat"));
  EXPECT_TRUE(game.Exists("kv_rank.dat"));
}
