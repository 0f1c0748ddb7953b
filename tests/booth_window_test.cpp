// Booth mode on a real window: the installed command with --booth starts the game again, with no
// click, after it is killed (kill -9, after a pass: the pass is back) and after it stops
// (kill -STOP: no sign for 15 s), and writes what happened to kv_booth.log; its own end is passed
// on and ends the day in order, with the pass in the files.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/WindowPass.h"
#include "tests/support/XSession.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using xsession::GameRun;
using xsession::WaitFor;

namespace {

// The game started by `launcher`: its one child.
pid_t GameOf(pid_t launcher) {
  std::ifstream children("/proc/" + std::to_string(launcher) + "/task/" + std::to_string(launcher) +
                         "/children");
  pid_t pid = -1;
  children >> pid;
  return pid;
}

double SecondsSince(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// A new game, other than `old`, with its window showing a picture.
bool BackAgain(GameRun& run, pid_t old) {
  return WaitFor(
      [&] {
        const pid_t now = GameOf(run.Pid());
        return now > 0 && now != old && !run.X().FindWindow("Vostrel", true).empty();
      },
      90s);
}

// An installed tree: the launcher, and the game where it looks for it; gone with the object.
struct InstalledTree {
  InstalledTree() {
    const fs::path built = fs::path(KAVREL_BINARY_DIR) / "packaging/games/kavrel";
    if (!fs::exists(built)) return;
    fs::create_directories(tree / "games");
    fs::create_directories(tree / "lib/kavrel");
    fs::copy_file(built, launcher);
    fs::create_symlink(fs::path(KAVREL_BINARY_DIR) / "kavrel", tree / "lib/kavrel/kavrel");
  }
  ~InstalledTree() { fs::remove_all(tree); }
  bool Ready() const { return fs::exists(launcher); }
  const fs::path tree = fs::temp_directory_path() / ("kavrel-booth-" + std::to_string(getpid()));
  const fs::path launcher = tree / "games/kavrel";
};

// The name of the window that has the keyboard's focus.
std::string FocusedWindow(const GameRun& run) {
  std::string name = run.X().Run("xdotool getwindowfocus getwindowname");
  while (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

}  // namespace

TEST(BoothWindow, AKilledOrStoppedGameIsStartedAgainWithoutAClick) {
  GameRun run;
  REQUIRE_WINDOW_TOOLS(true);
  const InstalledTree tree;
  if (!tree.Ready()) GTEST_SKIP() << "needs the launcher";
  run.SetProgram(tree.launcher.string());
  run.AddArgument("--booth");
  run.AddArgument("--data-dir");
  run.AddArgument(".");
  ASSERT_TRUE(run.Start()) << "the game's X server did not start";
  // The operator answers the first start's box (it would answer itself after 30 s).
  ASSERT_TRUE(run.PassStartUpBox()) << run.Log();
  ASSERT_TRUE(run.WaitForPicture()) << "the screen stayed black";

  // A pass, then a kill on the attract screen it ends at: nothing saved yet but its copies.
  ASSERT_EQ(xsession::PlayWholePass(run), "") << run.Log();
  const pid_t first = GameOf(run.Pid());
  ASSERT_GT(first, 0);
  auto sent = std::chrono::steady_clock::now();
  kill(first, SIGKILL);
  ASSERT_TRUE(BackAgain(run, first)) << run.Log();
  // The restarted start-up box answers itself after 10 s; then the attract screen, where the
  // pass's challenger is the previous player.
  EXPECT_TRUE(WaitFor([&] { return run.X().FindWindow("INFORMATION").empty(); }, 60s));
  EXPECT_TRUE(WaitFor([&] { return xsession::AttractShown(run.X().Screenshot()); }, 30s));
  std::printf("kill -9: the game was back without a click %.1f s later\n", SecondsSince(sent));
  run.SaveScreenshot("booth-restarted.png");

  const pid_t second = GameOf(run.Pid());
  sent = std::chrono::steady_clock::now();
  kill(second, SIGSTOP);
  ASSERT_TRUE(BackAgain(run, second)) << run.Log();
  const double stopped = SecondsSince(sent);
  std::printf("kill -STOP: killed and started again %.1f s later\n", stopped);
  EXPECT_GE(stopped, 15.0);

  // The supervisor's own end is the game's orderly end: nothing is started again.
  EXPECT_TRUE(WaitFor([&] { return run.X().FindWindow("INFORMATION").empty(); }, 60s));
  run.Signal(SIGTERM);
  EXPECT_EQ(run.WaitExit(30s), std::optional<int>(0)) << run.Log();
  const std::string log = run.ReadFile("kv_booth.log");
  for (const char* line :
       {",start,first", ",abnormal-end,signal 9 SIGKILL", ",restart,1", ",start,restart",
        ",abnormal-end,hang 15 s", ",restart,2", ",end,0 session end"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
  // The restarted start-up boxes answered themselves, and say so.
  EXPECT_NE(log.find(",box,Ｃｌｉｃｋ Ｔｏ Ｓｔａｒｔ"), std::string::npos) << log;
  // The pass before the kill was put back, and saved at the end of the day.
  EXPECT_NE(run.ReadFile("kv_rank.dat").find("\r\nAAAAAAAA\r\n"), std::string::npos)
      << run.ReadFile("kv_rank.dat");
}

// Under a window manager, as a booth machine runs: the first start-up box starts the game by
// itself (a booth after a power cut); a close request does nothing; a window that pops up over
// the game loses the focus to it within 2 s; a second start's box goes by itself and that start
// ends with 5.
TEST(BoothWindow, TheBoothHoldsItsGroundUnderAWindowManager) {
  GameRun run;
  REQUIRE_WINDOW_TOOLS(true);
  for (const char* tool : {"openbox", "wmctrl", "xmessage"}) {
    if (xsession::OnPath(tool)) continue;
    if (xsession::UnderCi()) FAIL() << "needs " << tool;
    GTEST_SKIP() << "needs " << tool << "; scripts/setup.sh test installs it";
  }
  const InstalledTree tree;
  if (!tree.Ready()) GTEST_SKIP() << "needs the launcher";
  run.SetProgram(tree.launcher.string());
  run.AddArgument("--booth");
  run.AddArgument("--data-dir");
  run.AddArgument(".");
  run.WithWindowManager();
  ASSERT_TRUE(run.Start()) << "the game's X server did not start";

  ASSERT_TRUE(run.WaitForStartUpBox()) << run.Log();
  auto shown = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitFor([&] { return run.X().FindWindow("INFORMATION").empty(); }, 35s)) << run.Log();
  const double answered = SecondsSince(shown);
  std::printf("the first start-up box answered itself after %.1f s\n", answered);
  EXPECT_GE(answered, 25.0);
  ASSERT_TRUE(WaitFor([&] { return !run.X().FindWindow("Vostrel", true).empty(); }, 10s));
  ASSERT_TRUE(run.WaitForPicture()) << run.Log();
  const pid_t game = GameOf(run.Pid());

  // What a desktop's close button or a taskbar's Close sends.
  run.X().Run("wmctrl -c Vostrel");
  std::this_thread::sleep_for(3s);
  EXPECT_EQ(GameOf(run.Pid()), game) << run.Log();
  EXPECT_FALSE(run.X().FindWindow("Vostrel", true).empty()) << run.Log();

  // Another program's window, given the focus.
  const auto popUp = run.X().StartClient("xmessage 'Software updates are available'");
  ASSERT_TRUE(WaitFor([&] { return !run.X().FindWindow("xmessage", true).empty(); }, 10s));
  run.X().Run("xdotool windowactivate " + run.X().FindWindow("xmessage", true));
  shown = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitFor([&] { return FocusedWindow(run) == "Vostrel"; }, 2500ms))
      << "focus on '" << FocusedWindow(run) << "'\n"
      << run.Log();
  std::printf("the focus was back on the game %.1f s after a pop-up took it\n",
              SecondsSince(shown));

  // A second booth start in the same folder (a double click on the menu entry).
  const auto second =
      run.X().StartClient(tree.launcher.string() + " --booth --data-dir .", run.Dir());
  ASSERT_TRUE(WaitFor([&] { return !run.X().FindWindow("Error").empty(); }, 10s)) << run.Log();
  shown = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitFor([&] { return run.X().FindWindow("Error").empty(); }, 15s)) << run.Log();
  std::printf("the second start's box went by itself after %.1f s\n", SecondsSince(shown));
  EXPECT_EQ(second->Wait(10s), std::optional<int>(5));
  EXPECT_EQ(GameOf(run.Pid()), game);

  run.Signal(SIGTERM);
  EXPECT_EQ(run.WaitExit(30s), std::optional<int>(0)) << run.Log();
  const std::string log = run.ReadFile("kv_booth.log");
  for (const char* line :
       {",box,Ｃｌｉｃｋ Ｔｏ Ｓｔａｒｔ", ",box,このフォルダではすでにゲームが動いています",
        ",end,5 already running", ",end,0 session end"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
}
