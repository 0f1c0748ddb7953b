// The SDL2 backend and the game binary on a real (virtual-framebuffer) X display: pixels on the
// screen, keys from an X client, the start-up box, an orderly quit and a quit by ESC, and the
// keyboard held in full screen.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/Window.h"
#include "game/FrameLoop.h"
#include "platform/sdl/Box.h"
#include "platform/sdl/FrameConvert.h"
#include "platform/sdl/SdlSystem.h"
#include "tests/support/XSession.h"
#include "tools/replay/Replay.h"
// Last: its macros (None, Bool, Status) would rename what the others declare.
#include <X11/Xlib.h>

using namespace std::chrono_literals;
using xsession::Child;
using xsession::GameRun;
using xsession::kScreenH;
using xsession::kScreenW;
using xsession::PixelAt;
using xsession::WaitFor;
using xsession::XServer;

namespace {

// ---- The backend on its own, driven from a forked child --------------------------------------

constexpr int kPatternPitch = 704;  // wider than a row, as a real surface may be

// 8 x 8 blocks of 80 x 60, plus single marker pixels in two corners.
std::vector<uint8_t> TestPattern() {
  std::vector<uint8_t> frame(static_cast<size_t>(kPatternPitch) * plat::kFrameHeight, 255);
  for (int y = 0; y < plat::kFrameHeight; ++y)
    for (int x = 0; x < plat::kFrameWidth; ++x)
      frame[y * kPatternPitch + x] = static_cast<uint8_t>(x / 80 + (y / 60) * 8);
  frame[0] = 200;
  frame[479 * kPatternPitch + 639] = 201;
  return frame;
}

std::vector<plat::PaletteEntry> TestPalette(bool inverted) {
  std::vector<plat::PaletteEntry> pal(256);
  for (int i = 0; i < 64; ++i)
    pal[i] = {static_cast<uint8_t>(i * 4), static_cast<uint8_t>(255 - i * 3),
              static_cast<uint8_t>(128 + i), 0};
  pal[200] = {255, 0, 0, 0};
  pal[201] = {0, 0, 255, 0};
  if (inverted)
    for (auto& p : pal)
      p = {uint8_t(255 - p.peRed), uint8_t(255 - p.peGreen), uint8_t(255 - p.peBlue), 0};
  return pal;
}

uint32_t Rgb(const plat::PaletteEntry& p) {
  return (uint32_t{p.peRed} << 16) | (uint32_t{p.peGreen} << 8) | p.peBlue;
}

// Empty when the screen shows the pattern at scale 2 from the top-left corner, else what differs.
std::string CheckPattern(const std::string& rgb, const std::vector<plat::PaletteEntry>& pal) {
  if (rgb.empty()) return "no screenshot";
  std::ostringstream bad;
  auto expect = [&](int x, int y, uint32_t want) {
    const uint32_t got = PixelAt(rgb, x, y);
    if (got != want)
      bad << "(" << x << "," << y << ") " << std::hex << got << "!=" << want << std::dec << "; ";
  };
  for (int by = 0; by < 8; ++by) {
    for (int bx = 0; bx < 8; ++bx) {
      const uint32_t c = Rgb(pal[bx + by * 8]);
      const int left = bx * 160, top = by * 120;
      if (bx + by > 0) expect(left, top, c);
      expect(left + 80, top + 60, c);
      if (bx + by < 14) expect(left + 159, top + 119, c);
    }
  }
  for (int d = 0; d < 2; ++d) {
    expect(d, d, Rgb(pal[200]));
    expect(kScreenW - 1 - d, kScreenH - 1 - d, Rgb(pal[201]));
  }
  expect(2, 0, Rgb(pal[0]));
  expect(kScreenW - 3, kScreenH - 1, Rgb(pal[63]));
  return bad.str();
}

long ChildWindowProc(plat::System& system, const plat::Message& msg) {
  // No start-up box in this child; everything else as the game has it.
  if (msg.message == plat::WM_CREATE) return system.DefWindowProc(msg);
  return MainWindowProc(system, msg);
}

// Shows the pattern and reports over `out`, one line each: "shown", "pressed <vk>", "down <vk>",
// "up <vk>", "quit". A SPACE press switches to the inverted palette.
[[noreturn]] void RunBackendChild(int out) {
  auto say = [out](const std::string& line) {
    const std::string l = line + "\n";
    if (write(out, l.data(), l.size()) < 0) _exit(4);
  };
  plat::SdlSystem system;
  if (!system.CreateWindow(kWindowName, kWindowName, &ChildWindowProc)) _exit(2);
  system.ShowWindow();
  // Keys reach an input method only while text input is on.
  say(SDL_IsTextInputActive() ? "text input on" : "text input off");
  const std::vector<uint8_t> frame = TestPattern();
  bool inverted = false;
  const int keys[] = {plat::VK_SPACE,   plat::VK_RETURN, plat::VK_NUMPAD1,
                      plat::VK_NUMPAD2, plat::VK_LEFT,   plat::VK_Q};
  bool wasDown[std::size(keys)] = {};
  const uint32_t start = system.GetTickCount();
  bool first = true;
  while (system.GetTickCount() - start < 20000) {
    system.Present(frame.data(), kPatternPitch, TestPalette(inverted).data());
    if (first) say("shown");
    first = false;
    for (size_t i = 0; i < std::size(keys); ++i) {
      const int16_t word = system.GetAsyncKeyState(keys[i]);
      if (word & 1) say("pressed " + std::to_string(keys[i]));
      if ((word < 0) != wasDown[i]) say((word < 0 ? "down " : "up ") + std::to_string(keys[i]));
      wasDown[i] = word < 0;
      if (keys[i] == plat::VK_SPACE && (word & 1)) inverted = true;
    }
    if (!DrainMessageQueue(system)) {
      say(system.WindowExists() ? "quit, window still open" : "quit");
      _exit(0);
    }
    system.Idle(10);
  }
  _exit(3);
}

// Lines from a child, read with a time limit.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}
  ~LineReader() { close(fd_); }
  // Waits for the line `want`, collecting all lines read on the way.
  bool WaitForLine(const std::string& want, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      size_t nl;
      while ((nl = pending_.find('\n')) != std::string::npos) {
        const std::string line = pending_.substr(0, nl);
        pending_.erase(0, nl + 1);
        seen_ += line + "; ";
        if (line == want) return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
      char buf[256];
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) return false;
      pending_.append(buf, n);
    }
  }
  const std::string& Seen() const { return seen_; }

 private:
  int fd_;
  std::string pending_;
  std::string seen_;
};

}  // namespace

TEST(FrameConvert, ColoursFollowThePaletteAndRowPitch) {
  const std::vector<uint8_t> frame = TestPattern();
  for (bool inverted : {false, true}) {
    const auto pal = TestPalette(inverted);
    const plat::ColourTable table = plat::BuildColourTable(pal.data());
    std::vector<uint32_t> out(static_cast<size_t>(648) * plat::kFrameHeight, 0);
    plat::ConvertFrame(frame.data(), kPatternPitch, table, out.data(), 648 * 4);
    EXPECT_EQ(out[0], 0xFF000000u | Rgb(pal[200]));
    EXPECT_EQ(out[1], 0xFF000000u | Rgb(pal[0]));
    EXPECT_EQ(out[479 * 648 + 639], 0xFF000000u | Rgb(pal[201]));
    EXPECT_EQ(out[479 * 648 + 638], 0xFF000000u | Rgb(pal[63]));
    EXPECT_EQ(out[130 * 648 + 250], 0xFF000000u | Rgb(pal[3 + 2 * 8]));
    EXPECT_EQ(out[479 * 648 + 640], 0u) << "wrote past the end of a row";
  }
}

TEST(SdlWindow, ShowsFramesTakesKeysAndQuitsOnEscape) {
  REQUIRE_WINDOW_TOOLS(false);
  XServer x;
  ASSERT_TRUE(x.Start()) << "Xvfb did not start";

  int fds[2];
  ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    setenv("DISPLAY", x.Display().c_str(), 1);
    RunBackendChild(fds[1]);
  }
  close(fds[1]);
  Child child(pid);
  LineReader lines(fds[0]);
  ASSERT_TRUE(lines.WaitForLine("shown", 10s)) << lines.Seen();
  EXPECT_NE(lines.Seen().find("text input off"), std::string::npos) << lines.Seen();

  std::string problem;
  EXPECT_TRUE(WaitFor(
      [&] { return (problem = CheckPattern(x.Screenshot(), TestPalette(false))).empty(); }, 8s))
      << problem;

  const std::string window = x.FindWindow("Vostrel", true);
  ASSERT_FALSE(window.empty()) << "no visible window titled Vostrel";
  x.Run("xdotool windowfocus " + window);

  // A press and release between two polls still counts as a press.
  x.Run("xdotool key space");
  EXPECT_TRUE(lines.WaitForLine("pressed 32", 5s)) << lines.Seen();
  // The palette changed: the new colours, not a stale table.
  EXPECT_TRUE(WaitFor(
      [&] { return (problem = CheckPattern(x.Screenshot(), TestPalette(true))).empty(); }, 8s))
      << problem;

  // The virtual key each key stands for.
  const std::pair<const char*, int> keys[] = {
      // The keypad by its physical keys (NumLock is off here), and its Enter as RETURN.
      {"KP_End", 97},
      {"KP_Down", 98},
      {"KP_Enter", 13},
      // The main keyboard's 1 and 2 count as the keypad's, for a keyboard without a keypad.
      {"1", 97},
      {"2", 98},
  };
  for (const auto& [key, vk] : keys) {
    x.Run(std::string("xdotool key ") + key);
    EXPECT_TRUE(lines.WaitForLine("pressed " + std::to_string(vk), 5s))
        << key << ": " << lines.Seen();
  }

  // Held keys are down now; key-repeat while held does not count as new presses.
  x.Run("xdotool keydown Left");
  EXPECT_TRUE(lines.WaitForLine("down 37", 5s)) << lines.Seen();
  std::this_thread::sleep_for(900ms);  // past the X server's key-repeat delay
  x.Run("xdotool keyup Left");
  EXPECT_TRUE(lines.WaitForLine("up 37", 5s)) << lines.Seen();
  const std::string seen = lines.Seen();
  size_t presses = 0;
  for (size_t at = 0; (at = seen.find("pressed 37", at)) != std::string::npos; ++at) ++presses;
  EXPECT_EQ(presses, 1u) << seen;

  x.Run("xdotool key Escape");
  EXPECT_TRUE(lines.WaitForLine("quit", 5s)) << lines.Seen();
  EXPECT_EQ(child.Wait(5s), std::optional<int>(0));
}

// ---- The game binary ---------------------------------------------------------------------------

TEST(GameWindow, StartsShowsTheAttractScreenAndQuitsInOrderWithQ) {
  GameRun game;
  REQUIRE_WINDOW_TOOLS(true);
  ASSERT_TRUE(game.Start()) << "the game's X server did not start";
  ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
  EXPECT_TRUE(game.WaitForPicture()) << "the screen stayed black";
  game.SaveScreenshot("attract.png");

  game.HoldKey("q");
  EXPECT_EQ(game.WaitExit(), std::optional<int>(0)) << game.Log();
  EXPECT_EQ(game.ReadFile("kavrel.dat"), "0.000000\r\n0.000000\r\n2\r\n");
  std::string ranking;
  for (int i = 0; i < 5; ++i) ranking += "0\r\nDEFAULT_\r\n";
  EXPECT_EQ(game.ReadFile("kv_rank.dat"), ranking);
}

TEST(GameWindow, EscapeEndsTheGameWithoutWritingItsFiles) {
  GameRun game;
  REQUIRE_WINDOW_TOOLS(true);
  ASSERT_TRUE(game.Start()) << "the game's X server did not start";
  ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
  game.TapKey("Escape");
  EXPECT_EQ(game.WaitExit(), std::optional<int>(1)) << game.Log();
  EXPECT_FALSE(game.Exists("kavrel.dat"));
  EXPECT_FALSE(game.Exists("kv_rank.dat"));
}

// What a second X client gets when it asks for the keyboard: GrabSuccess or AlreadyGrabbed.
int GrabKeyboardFromAnotherClient(const std::string& display) {
  Display* dpy = XOpenDisplay(display.c_str());
  if (!dpy) return -1;
  const int result =
      XGrabKeyboard(dpy, DefaultRootWindow(dpy), False, GrabModeAsync, GrabModeAsync, CurrentTime);
  if (result == GrabSuccess) XUngrabKeyboard(dpy, CurrentTime);
  XCloseDisplay(dpy);
  return result;
}

// In full screen the game holds the keyboard while it has the focus: no other client (a window
// manager's Alt+Tab, Super, Alt+F4) gets it; Alt+F4 does not close it; Q works as before. In a
// window the desktop keeps its keyboard.
TEST(GameWindow, HoldsTheKeyboardInFullScreenUntilItEnds) {
  REQUIRE_WINDOW_TOOLS(true);
  for (const bool inWindow : {false, true}) {
    SCOPED_TRACE(inWindow ? "--window" : "full screen");
    GameRun game;
    if (inWindow) game.AddArgument("--window");
    ASSERT_TRUE(game.Start()) << "the game's X server did not start";
    ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
    game.TapKey("alt+F4");
    EXPECT_FALSE(game.WaitExit(1s)) << game.Log();
    EXPECT_EQ(GrabKeyboardFromAnotherClient(game.X().Display()),
              inWindow ? GrabSuccess : AlreadyGrabbed);
    game.HoldKey("q");
    EXPECT_EQ(game.WaitExit(), std::optional<int>(0)) << game.Log();
    EXPECT_EQ(GrabKeyboardFromAnotherClient(game.X().Display()), GrabSuccess);
  }
}

// Booth mode: a short press of ESC or Q does nothing; held, each acts as before.
TEST(GameWindow, BoothModeActsOnlyOnEscAndQHeld) {
  REQUIRE_WINDOW_TOOLS(true);
  for (const auto& [key, exitCode] : {std::pair{"Escape", 1}, std::pair{"q", 0}}) {
    SCOPED_TRACE(key);
    GameRun game;
    game.AddArgument("--booth");
    ASSERT_TRUE(game.Start()) << "the game's X server did not start";
    ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
    game.HoldKey(key);
    EXPECT_FALSE(game.WaitExit(1s)) << game.Log();
    // Held until the game has ended, however slowly a loaded machine runs it.
    game.X().Run(std::string("xdotool keydown ") + key);
    EXPECT_EQ(game.WaitExit(15s), std::optional<int>(exitCode)) << game.Log();
    game.X().Run(std::string("xdotool keyup ") + key);
  }
}

namespace {

// The attract screen as the replay draws it in a fresh directory, 0xRRGGBB, 640 x 480.
std::vector<uint32_t> ReplayedAttractScreen() {
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/kavrel-reference-XXXXXX";
  if (!mkdtemp(pattern)) return {};
  const fs::path dir = pattern, before = fs::current_path();
  fs::copy_file(fs::path(KAVREL_SOURCE_DIR) / "assets/kavrel.bmp", dir / "kavrel.bmp");
  std::string error;
  const auto script = ParseScript("end 1000\n", error);
  std::vector<uint32_t> picture;
  ReplayOptions options;
  options.onPresent = [&](int n, const uint8_t* pixels, int pitch,
                          const plat::PaletteEntry* palette) {
    if (n < 10 || !picture.empty()) return;
    for (int y = 0; y < plat::kFrameHeight; ++y)
      for (int x = 0; x < plat::kFrameWidth; ++x)
        picture.push_back(Rgb(palette[pixels[y * pitch + x]]));
  };
  fs::current_path(dir);
  if (script) RunReplay(*script, options);
  fs::current_path(before);
  fs::remove_all(dir);
  return picture;
}

// The rows of the attract screen that hold still (the banner, the word of the day and the SPACE
// prompt tremble at random).
bool StillRow(int y) {
  return (y >= 90 && y < 168) || (y >= 190 && y < 365) || y >= 385;
}

// How a 1366 x 768 screen shows the attract screen `want`: "" when it matches, else what differs.
// Fill: 1024 x 768 from x 171, black beside it; each game pixel read back where its centre lands
// must be its colour, or (where that screen pixel straddles two game pixels) near it. Whole:
// today's 640 x 480 at (363, 144), black around it, every pixel exact.
std::string CheckWideScreen(const std::string& rgb, const std::vector<uint32_t>& want, bool fill) {
  constexpr int kW = 1366, kH = 768;
  if (rgb.empty() || want.empty()) return "no screenshot or no replayed picture";
  const int left = fill ? 171 : 363, top = fill ? 0 : 144, w = fill ? 1024 : 640;
  const int h = fill ? 768 : 480;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if ((x < left || x >= left + w || y < top || y >= top + h) && PixelAt(rgb, x, y, kW) != 0)
        return "not black outside the picture at (" + std::to_string(x) + "," + std::to_string(y) +
               ")";
  int exact = 0, compared = 0, worst = 0;
  for (int y = 0; y < plat::kFrameHeight; ++y) {
    if (!StillRow(y)) continue;
    for (int x = 0; x < plat::kFrameWidth; ++x) {
      const uint32_t got =
          PixelAt(rgb, left + (2 * x + 1) * w / 1280, top + (2 * y + 1) * h / 960, kW);
      const uint32_t expected = want[static_cast<size_t>(y) * plat::kFrameWidth + x];
      int diff = 0;
      for (int shift = 0; shift < 24; shift += 8)
        diff = std::max(diff, std::abs(int((got >> shift) & 255) - int((expected >> shift) & 255)));
      worst = std::max(worst, diff);
      exact += diff == 0;
      ++compared;
    }
  }
  // Read back at 1.6 times, a fifth of the columns and rows land between two game pixels and may
  // take up to an eighth of the neighbour each way.
  if (exact == compared || (fill && worst <= 64 && exact * 10 >= compared * 9)) return "";
  return std::to_string(compared - exact) + " of " + std::to_string(compared) +
         " pixels differ, by up to " + std::to_string(worst);
}

}  // namespace

TEST(GameWindow, FillsA1366By768ScreenSharplyOrShowsWholeStepsOnRequest) {
  const std::vector<uint32_t> want = ReplayedAttractScreen();
  ASSERT_EQ(want.size(), size_t{640 * 480}) << "the replay drew no attract screen";
  for (const bool fill : {true, false}) {
    GameRun game;
    REQUIRE_WINDOW_TOOLS(true);
    game.SetScreen(1366, 768);
    if (!fill) game.AddArgument("--scale=whole");
    ASSERT_TRUE(game.Start()) << "the game's X server did not start";
    ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
    std::string problem;
    EXPECT_TRUE(WaitFor(
        [&] { return (problem = CheckWideScreen(game.X().Screenshot(), want, fill)).empty(); }, 8s))
        << (fill ? "fill: " : "whole: ") << problem;
    game.SaveScreenshot(fill ? "fill-1366x768.png" : "whole-1366x768.png");
    game.TapKey("Escape");
    EXPECT_EQ(game.WaitExit(), std::optional<int>(1)) << game.Log();
  }
}

// Where a box lies and whether its text is drawn; "" when it lies wholly on the screen and shows
// text above its button.
std::string BoxProblem(const XServer& x, const std::string& id) {
  std::istringstream info(x.Run("xwininfo -id " + id));
  int left = -1, top = -1, width = -1, height = -1;
  for (std::string line; std::getline(info, line);) {
    const size_t colon = line.rfind(':');
    if (colon == std::string::npos) continue;
    const int value = std::atoi(line.c_str() + colon + 1);
    if (line.find("Absolute upper-left X") != std::string::npos) left = value;
    if (line.find("Absolute upper-left Y") != std::string::npos) top = value;
    if (line.find("  Width") != std::string::npos) width = value;
    if (line.find("  Height") != std::string::npos) height = value;
  }
  const std::string where = std::to_string(width) + "x" + std::to_string(height) + "+" +
                            std::to_string(left) + "+" + std::to_string(top);
  if (width <= 0 || height <= 0) return "no size: " + where;
  if (width > plat::kWidestBox || left < 0 || left + width > x.Width() || top < 0 ||
      top + height > x.Height())
    return "off the screen: " + where;
  // The text lies above the button, which takes the box's last 50 pixels.
  const std::string rgb = x.Screenshot();
  if (rgb.empty()) return "no screenshot";
  const uint32_t ground = PixelAt(rgb, left + 2, top + 2, x.Width());
  int inked = 0;
  for (int y = top + 4; y < top + height - 50; ++y)
    for (int col = left + 4; col < left + width - 4; ++col)
      inked += PixelAt(rgb, col, y, x.Width()) != ground;
  return inked > 200 ? "" : "no text drawn (" + std::to_string(inked) + " pixels): " + where;
}

// Every box, of the game and of the launcher, fits a 1024 x 768 screen and shows its text, also
// where the environment names a locale that is not installed.
TEST(GameWindow, EveryBoxFitsA1024By768ScreenAndShowsItsText) {
  const struct {
    const char* name;
    bool launcher;
    std::vector<std::string> captions;  // the boxes, in order
  } cases[] = {
      {"both data files unreadable", false, {"INFORMATION", "Error", "Error"}},
      {"a data folder that cannot be made", true, {"Error"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GameRun game;
    REQUIRE_WINDOW_TOOLS(true);
    game.SetScreen(1024, 768);
    game.SetEnv("LANG", "ja_JP.UTF-8");
    game.SetEnv("LC_ALL", "");
    if (c.launcher) {
      game.SetProgram(KAVREL_BINARY_DIR "/packaging/games/kavrel");
      game.AddArgument("--data-dir");
      game.AddArgument("kavrel.bmp/data");
    }
    ASSERT_TRUE(game.Start([&](const std::filesystem::path& dir) {
      if (c.launcher) return;
      std::filesystem::create_directory(dir / "kavrel.dat");
      std::filesystem::create_directory(dir / "kv_rank.dat");
    })) << "the game's X server did not start";
    for (const std::string& caption : c.captions) {
      std::string box;
      ASSERT_TRUE(WaitFor([&] { return !(box = game.X().FindWindow(caption, true)).empty(); }, 10s))
          << caption << "\n"
          << game.Log();
      // Drawn once it is mapped; a moment for its first picture.
      std::string problem;
      EXPECT_TRUE(WaitFor([&] { return (problem = BoxProblem(game.X(), box)).empty(); }, 3s))
          << caption << ": " << problem;
      game.X().Run("xdotool windowfocus " + box + " key Return");
      ASSERT_TRUE(WaitFor([&] { return game.X().FindWindow(caption, true) != box; }, 5s));
    }
    game.Signal(SIGTERM);
    game.WaitExit();
  }
}

// A bad choice of scale or an unknown option ends the game before any window, with one line and
// 2; the help is shown without a display.
TEST(GameWindow, BadOptionsEndWithTwoBeforeAnyWindow) {
  const struct {
    const char* args;
    int status;
    const char* text;
  } cases[] = {
      {"--scale big", 2, "kavrel: --scale takes fill or whole (given: big)\n"},
      {"--window --bogus", 2, "kavrel: unknown option '--bogus' (try --help)\n"},
      {"extra", 2, "kavrel: unknown option 'extra' (try --help)\n"},
      {"--sound loud", 2, "kavrel: --sound takes on or off (given: loud)\n"},
      {"--booth --help", 0, nullptr},
  };
  for (const auto& c : cases) {
    const std::string command = std::string("cd /tmp && env -u DISPLAY LANG=C timeout 20 '") +
                                KAVREL_BINARY_DIR "/kavrel' " + c.args + " 2>&1";
    FILE* out = popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string text;
    char buf[256];
    for (size_t n; (n = fread(buf, 1, sizeof buf, out)) > 0;) text.append(buf, n);
    const int status = pclose(out);
    ASSERT_TRUE(WIFEXITED(status)) << c.args;
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.args;
    if (c.text) {
      EXPECT_EQ(text, c.text);
    } else {
      EXPECT_EQ(text.rfind("Usage: kavrel", 0), 0u) << text;
      EXPECT_NE(text.find("--controls"), std::string::npos) << text;
    }
  }
}

// With no display SDL would fall back to a driver that shows nothing and reads no keys; the game
// must not run unseen and unquittable, but end as a window that cannot be created: result 0, no
// files written.
TEST(GameWindow, WithoutADisplayEndsAtOnceWritingNothing) {
  char pattern[] = "/tmp/kavrel-nodisplay-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string command = "cd '" + dir + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u " +
                              "SDL_VIDEODRIVER timeout 20 '" KAVREL_BINARY_DIR "/kavrel' 2>err";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);  // 124 would be the timeout: the game ran on unseen
  std::ifstream err(dir + "/err");
  std::stringstream text;
  text << err.rdbuf();
  EXPECT_NE(text.str().find("no display"), std::string::npos) << text.str();
  EXPECT_FALSE(std::ifstream(dir + "/kavrel.dat").good());
  EXPECT_FALSE(std::ifstream(dir + "/kv_rank.dat").good());
  std::system(("rm -rf '" + dir + "'").c_str());
}
