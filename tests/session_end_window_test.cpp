// The end of a session with the game running: SIGTERM (shutdown, log-out), SIGHUP (the terminal
// closed) and SIGINT (Ctrl+C) end the game as Q does, keeping the day's results; while the
// start-up box waits for an answer they end it at once, writing nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "tests/support/XSession.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using xsession::GameRun;
using xsession::WaitFor;

namespace {

const std::string kRecord = "12.500000\r\n34.250000\r\n7\r\n";

std::string Ranking() {
  std::string ranking = "41\r\nPLAYER_A\r\n";
  for (int i = 0; i < 4; ++i) ranking += "0\r\nDEFAULT_\r\n";
  return ranking;
}

double MsSince(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

TEST(SessionEnd, EndSignalsOnTheAttractScreenSaveAsQDoes) {
  for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(strsignal(sig));
    GameRun game;
    REQUIRE_WINDOW_TOOLS(true);
    ASSERT_TRUE(game.Start([](const fs::path& dir) {
      std::ofstream(dir / "kavrel.dat", std::ios::binary) << kRecord;
      std::ofstream(dir / "kv_rank.dat", std::ios::binary) << Ranking();
    })) << "the game's X server did not start";
    ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
    ASSERT_TRUE(game.WaitForPicture()) << "the screen stayed black";

    const auto sent = std::chrono::steady_clock::now();
    game.Signal(sig);
    EXPECT_EQ(game.WaitExit(), std::optional<int>(0)) << game.Log();
    std::printf("%s on the attract screen: ended %.0f ms later\n", strsignal(sig), MsSince(sent));
    // As Q writes them: the attract screen left counts one more challenger.
    EXPECT_EQ(game.ReadFile("kavrel.dat"), "12.500000\r\n34.250000\r\n8\r\n");
    EXPECT_EQ(game.ReadFile("kv_rank.dat"), Ranking());
  }
}

TEST(SessionEnd, ASignalWhileTheStartUpBoxWaitsEndsTheGameAtOnceWritingNothing) {
  // SDL's own box, then a box shown by a helper program where SDL's box cannot be drawn: a
  // stand-in for zenity that only waits, which must not outlive the game.
  for (bool helper : {false, true}) {
    SCOPED_TRACE(helper ? "helper program" : "SDL's box");
    GameRun game;
    REQUIRE_WINDOW_TOOLS(true);
    if (helper) game.WithoutXFonts();
    ASSERT_TRUE(game.Start([&](const fs::path& dir) {
      if (!helper) return;
      fs::create_directory(dir / "bin");
      std::ofstream(dir / "bin/zenity") << "#!/bin/sh\necho $$ > helper.pid\nexec sleep 60\n";
      fs::permissions(dir / "bin/zenity", fs::perms::owner_all);
      game.SetEnv("PATH", (dir / "bin").string() + ":" + std::getenv("PATH"));
    })) << "the game's X server did not start";
    if (helper) {
      ASSERT_TRUE(WaitFor([&] { return !game.ReadFile("helper.pid").empty(); }, 10s)) << game.Log();
    } else {
      ASSERT_TRUE(game.WaitForStartUpBox()) << game.Log();
    }

    const auto sent = std::chrono::steady_clock::now();
    game.Signal(SIGTERM);
    const std::optional<int> status = game.WaitStatus(1s);
    const double ms = MsSince(sent);
    ASSERT_TRUE(status.has_value()) << "still running a second after SIGTERM\n" << game.Log();
    std::printf("SIGTERM with the box up (%s): ended %.0f ms later\n",
                helper ? "helper program" : "SDL's box", ms);
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM) << *status;
    EXPECT_FALSE(game.Exists("kavrel.dat"));
    EXPECT_FALSE(game.Exists("kv_rank.dat"));
    if (helper) {
      const std::string proc =
          "/proc/" + std::to_string(std::atoi(game.ReadFile("helper.pid").c_str()));
      // Gone, or a zombie waiting for whoever adopted it.
      EXPECT_TRUE(WaitFor(
          [&] {
            std::ifstream status(proc + "/stat");
            std::string pid, name, state;
            return !(status >> pid >> name >> state) || state == "Z";
          },
          1s))
          << "the helper outlived the game";
    } else {
      // The server takes an ended client's windows away once it reads the closed connection, a
      // moment after the process has gone on a busy machine.
      EXPECT_TRUE(WaitFor([&] { return game.X().FindWindow("INFORMATION").empty(); }, 1s))
          << game.Log();
    }
  }
}
