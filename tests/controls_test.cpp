// Controllers: the operator's mapping file, the switches' bounce and the sticks' thresholds, and
// the SDL backend driving the game's keys from a joystick inside the process.
#include <gtest/gtest.h>

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ControlsMain.h"
#include "display/CCDraw.h"
#include "game/Game.h"
#include "platform/ControllerInputs.h"
#include "platform/Controls.h"
#include "platform/ShiftJis.h"
#include "platform/sdl/SdlSystem.h"
#include "store/ControlsFile.h"
#include "tests/support/Scenario.h"

namespace {

using plat::Control;
using plat::ControlBinding;
using plat::ControlBindings;

ControlBinding Bind(int vk, Control::Kind kind, int number = 0) {
  return {vk, {kind, number}};
}

// ---- The mapping file ----

TEST(ControlsFile, LinesToBindings) {
  const struct {
    const char* text;
    ControlBindings general;  // the lines before any section
    std::vector<int> bad;
  } cases[] = {
      {"NUMPAD1 = button 5\nNUMPAD2=button6\n",
       {Bind(plat::VK_NUMPAD1, Control::Button, 5), Bind(plat::VK_NUMPAD2, Control::Button, 6)},
       {}},
      // A byte-order mark, CR LF, comments, free spaces, several inputs for one key and one
      // control for several keys.
      {"\xEF\xBB\xBF# two buttons\r\n\r\n  RETURN =  button   3 # go\r\nRETURN = hat up\r\n"
       "SPACE = button 3\r\nDOWN = axis 2 +\r\nLEFT=axis1-\r\n",
       {Bind(plat::VK_RETURN, Control::Button, 3), Bind(plat::VK_RETURN, Control::HatUp),
        Bind(plat::VK_SPACE, Control::Button, 3), Bind(plat::VK_DOWN, Control::AxisPlus, 2),
        Bind(plat::VK_LEFT, Control::AxisMinus, 1)},
       {}},
      // Bad lines are named and left out; the rest applies.
      {"Q = button 1\nESC = button 2\nspace = button 1\nSPACE = button 0\nSPACE = button\n"
       "SPACE button 1\nSPACE = hat middle\nSPACE = axis 1\nSPACE = button 129\n"
       "SPACE = button 1 2\nRIGHT = hat right\n[79:6]\n[0079:0006\nSPACE = hat left up\n",
       {Bind(plat::VK_RIGHT, Control::HatRight)},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14}},
      // Keyboard keys, for a keyboard-type encoder: short names or SDL's, in any case; Q and ESC
      // stay the operator's.
      {"NUMPAD1 = key LCTRL\nNUMPAD2 = key Left Alt\nRETURN = key 5\nSPACE = key space\n"
       "DOWN = key KP_2\nSPACE = key Q\nSPACE = key Escape\nSPACE = key\nSPACE = key F13\n",
       {Bind(plat::VK_NUMPAD1, Control::Key, 224), Bind(plat::VK_NUMPAD2, Control::Key, 226),
        Bind(plat::VK_RETURN, Control::Key, 34), Bind(plat::VK_SPACE, Control::Key, 44),
        Bind(plat::VK_DOWN, Control::Key, 90)},
       {6, 7, 8, 9}},
  };
  for (const auto& c : cases) {
    const plat::ControlsRead read = plat::ParseControls(c.text);
    EXPECT_EQ(read.map.general, c.general) << c.text;
    EXPECT_EQ(read.badLines, c.bad) << c.text;
    EXPECT_EQ(read.map.hasGeneral, !c.general.empty()) << c.text;
  }
}

TEST(ControlsFile, SectionsAndDefaults) {
  const ControlBindings& defaults = plat::DefaultControlBindings();
  // No file, or nothing in it: every controller gets the default.
  EXPECT_EQ(plat::ControlMap().For(0, 0), defaults);
  EXPECT_EQ(plat::ParseControls("# nothing\n").map.For(0x79, 6), defaults);
  EXPECT_EQ(defaults[0], Bind(plat::VK_NUMPAD1, Control::Button, 1));

  const plat::ControlMap map = plat::ParseControls(
                                   "SPACE = button 9\n"
                                   "[0079:0006]\nNUMPAD1 = button 3\n"
                                   "[0000:0000]\n"
                                   "[abcd:EF01]\nNUMPAD2 = button 4\n"
                                   "[0079:0006]\nNUMPAD2 = button 4\n"
                                   "[zz:0006]\nRETURN = button 1\n")
                                   .map;
  // A section for the controller, gathered from every place it is named.
  EXPECT_EQ(map.For(0x0079, 0x0006), (ControlBindings{Bind(plat::VK_NUMPAD1, Control::Button, 3),
                                                      Bind(plat::VK_NUMPAD2, Control::Button, 4)}));
  EXPECT_EQ(map.For(0xABCD, 0xEF01), ControlBindings{Bind(plat::VK_NUMPAD2, Control::Button, 4)});
  // A section without lines leaves its controller without bindings.
  EXPECT_EQ(map.For(0, 0), ControlBindings{});
  // Any other controller: the lines before any section (those under a bad section are dropped).
  EXPECT_EQ(map.For(0x1234, 0x5678), ControlBindings{Bind(plat::VK_SPACE, Control::Button, 9)});

  // What the mapping screen writes reads back the same.
  const ControlBindings chosen = {
      Bind(plat::VK_NUMPAD1, Control::Button, 7), Bind(plat::VK_LEFT, Control::HatLeft),
      Bind(plat::VK_DOWN, Control::AxisPlus, 2), Bind(plat::VK_RETURN, Control::Key, 34),
      Bind(plat::VK_SPACE, Control::Key, 224)};
  plat::ControlMap written = map;
  written.general = chosen;
  const plat::ControlsRead back = plat::ParseControls(plat::FormatControls(written));
  EXPECT_TRUE(back.badLines.empty());
  EXPECT_EQ(back.map.For(1, 2), chosen);
  EXPECT_EQ(back.map.For(0x79, 6), map.For(0x79, 6));
  EXPECT_EQ(back.map.For(0, 0), ControlBindings{});
  EXPECT_NE(plat::FormatControls(written).find("SPACE = key LCTRL\n"), std::string::npos);
}

// A file over the limit is not a mapping: told as such, never read cut short (a bad line past the
// cut would go unnamed).
TEST(ControlsFile, AFileOverTheLimitIsNotReadAtAll) {
  ScratchDir dir;
  dir.Write("kv_controls.txt", std::string(kMaxControlsFileBytes, '#') + "\nSPACE = button 1\n");
  const ControlsFileRead read = ReadControlsFile();
  EXPECT_TRUE(read.tooLarge);
  EXPECT_EQ(read.file.kind, DataFileRead::Unreadable);
  dir.Write("kv_controls.txt", std::string(kMaxControlsFileBytes - 1, '#') + "\n");
  EXPECT_FALSE(ReadControlsFile().tooLarge);
}

// ---- Switches and sticks ----

TEST(ControllerInputs, BounceIsTakenOutAndNoReleaseIsLost) {
  plat::ControllerInputs pads;
  pads.Attach(7, plat::DefaultControlBindings());
  const Control button1{Control::Button, 1};
  // First contact counts; the bounce inside 10 ms does not.
  pads.Switch(7, button1, true, 1000);
  pads.Switch(7, button1, false, 1002);
  pads.Switch(7, button1, true, 1004);
  pads.Switch(7, button1, false, 1006);
  pads.Settle(1008);
  EXPECT_TRUE(pads.KeyDown(plat::VK_NUMPAD1));
  EXPECT_TRUE(pads.TakePress(plat::VK_NUMPAD1));
  EXPECT_FALSE(pads.TakePress(plat::VK_NUMPAD1));
  // Read again at 10 ms: the release that came inside the bounce time is not lost.
  pads.Settle(1010);
  EXPECT_FALSE(pads.KeyDown(plat::VK_NUMPAD1));
  EXPECT_FALSE(pads.TakePress(plat::VK_NUMPAD1));
  // A press and release between two polls, 10 ms apart, still counts once.
  pads.Switch(7, button1, true, 1020);
  pads.Switch(7, button1, false, 1030);
  EXPECT_FALSE(pads.KeyDown(plat::VK_NUMPAD1));
  EXPECT_TRUE(pads.TakePress(plat::VK_NUMPAD1));
  // An unplugged controller holds no key down.
  pads.Switch(7, {Control::HatLeft, 0}, true, 1100);
  EXPECT_TRUE(pads.KeyDown(plat::VK_LEFT));
  pads.Detach(7);
  EXPECT_FALSE(pads.KeyDown(plat::VK_LEFT));
}

TEST(ControllerInputs, AxesNeedTheCentreAndHoldTheirThreshold) {
  plat::ControllerInputs pads;
  pads.Attach(1, plat::DefaultControlBindings());
  // Resting at one end: nothing, until the axis has been centred once.
  pads.Axis(1, 2, 32767);
  EXPECT_FALSE(pads.KeyDown(plat::VK_DOWN));
  const struct {
    int value;
    bool down;
    bool pressed;
  } steps[] = {
      {0, false, false},    {12000, false, false}, {20000, true, true}, {10000, true, false},
      {8000, false, false}, {15000, false, false}, {32767, true, true}, {-32768, false, false},
  };
  for (const auto& step : steps) {
    pads.Axis(1, 2, step.value);
    EXPECT_EQ(pads.KeyDown(plat::VK_DOWN), step.down) << step.value;
    EXPECT_EQ(pads.TakePress(plat::VK_DOWN), step.pressed) << step.value;
  }
  // The other way of axis 1 is LEFT.
  pads.Axis(1, 1, 0);
  pads.Axis(1, 1, -30000);
  EXPECT_TRUE(pads.KeyDown(plat::VK_LEFT));
  EXPECT_FALSE(pads.KeyDown(plat::VK_RIGHT));
}

// ---- The SDL backend with a joystick inside the process ----

// The backend on a clock the test moves, so that nothing depends on how fast the machine runs.
class ClockedSdl : public plat::SdlSystem {
 public:
  ClockedSdl() : plat::SdlSystem(plat::ScreenMode::Window) {
    // No display needed: SDL's own driver that shows nothing.
#ifdef _WIN32
    _putenv_s("SDL_VIDEODRIVER", "dummy");
#else
    setenv("SDL_VIDEODRIVER", "dummy", 1);
#endif
  }
  uint32_t GetTickCount() override {
    return now;
  }
  void Idle(uint32_t ms) override {
    now += ms > 0 ? ms : 1;
  }
  // Kept, not shown: SDL's box on the driver that shows nothing has no window to belong to.
  void MessageBox(std::string_view text, std::string_view /*caption*/) override {
    boxes.push_back(SjisToUtf8(text));
  }
  uint32_t now = 0;
  std::vector<std::string> boxes;
};

long PlainWindowProc(plat::System& system, const plat::Message& msg) {
  return system.DefWindowProc(msg);
}

class SdlJoystick : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(system_.CreateWindow("kavrel-test", "kavrel-test", &PlainWindowProc));
    Plug();
  }
  void TearDown() override {
    if (index_ >= 0) SDL_JoystickDetachVirtual(index_);
  }
  void Plug() {
    index_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_ARCADE_STICK, 2, 8, 1);
    ASSERT_GE(index_, 0) << SDL_GetError();
    Poll(plat::VK_SPACE);  // the backend opens it as it takes its events
    joystick_ = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index_));
    ASSERT_NE(joystick_, nullptr) << "the backend did not open the joystick";
  }
  void Unplug() {
    SDL_JoystickDetachVirtual(index_);
    index_ = -1;
  }
  void Button(int number, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, number - 1, down ? SDL_PRESSED : SDL_RELEASED);
  }
  int16_t Poll(int vk) { return system_.GetAsyncKeyState(vk); }

  ClockedSdl system_;
  int index_ = -1;
  SDL_Joystick* joystick_ = nullptr;
};

TEST_F(SdlJoystick, SixteenPressesASecondWindEveryStep) {
  // Buttons 1 and 2 hammered alternately at 16 presses a second for 10 s, each held 40 ms, or
  // 20 ms as an arcade switch may close (shorter than the wind-up's 30 ms frame). The controller
  // reports every 2 ms; the game samples every frame and winds one step per key down in turn, as
  // the wind-up does.
  constexpr uint32_t kFrame = 30;
  for (const uint32_t hold : {40u, 20u}) {
    SCOPED_TRACE(hold);
    int steps = 0;
    int presses[2] = {};
    int expected = 0;  // NUMPAD1 first
    for (uint32_t t = 0; t < 10'000 + 100; t += 2) {
      system_.now = 20'000 * (hold == 20) + t;
      const uint32_t press = t * 16 / 1000;  // the press under way (or last made)
      const bool held = t - press * 1000 / 16 < hold && t < 10'000;
      Button(1, held && press % 2 == 0);
      Button(2, held && press % 2 == 1);
      system_.LastInputTick();  // takes the controller's report
      if (t % kFrame != 0) continue;
      const int16_t one = Poll(plat::VK_NUMPAD1);
      const int16_t two = Poll(plat::VK_NUMPAD2);
      presses[0] += one & 1;
      presses[1] += two & 1;
      if (one < 0 && two >= 0 && expected == 0) {
        ++steps;
        expected = 1;
      } else if (two < 0 && one >= 0 && expected == 1) {
        ++steps;
        expected = 0;
      }
    }
    EXPECT_EQ(steps, 160);
    EXPECT_EQ(presses[0], 80);
    EXPECT_EQ(presses[1], 80);
  }
}

TEST_F(SdlJoystick, BounceCountsOnceAndThePlugCanComeAndGo) {
  // Contact bounce inside 10 ms: one press, and the release read again at 10 ms.
  const struct {
    uint32_t t;
    bool down;
  } contacts[] = {{100, true}, {103, false}, {105, true}, {108, false}};
  int pressed = 0;
  for (const auto& c : contacts) {
    system_.now = c.t;
    Button(2, c.down);
    const int16_t word = Poll(plat::VK_NUMPAD2);
    pressed += word & 1;
    EXPECT_LT(word, 0) << "at " << c.t;  // the first contact holds for 10 ms
  }
  system_.now = 111;
  EXPECT_EQ(Poll(plat::VK_NUMPAD2), 0);
  EXPECT_EQ(pressed, 1);

  // Unplugged while held: the key is let go. Plugged in again: it plays as before.
  system_.now = 200;
  Button(3, true);
  EXPECT_LT(Poll(plat::VK_RETURN), 0);
  Unplug();
  system_.now = 220;
  EXPECT_EQ(Poll(plat::VK_RETURN) & 0x8000, 0);
  Plug();
  system_.now = 240;
  Button(4, true);
  EXPECT_EQ(Poll(plat::VK_SPACE), static_cast<int16_t>(0x8001));
}

// Drives a joystick frame by frame and keeps the texts of the last frame.
class Driver : public FrameObserver, public DrawRecorder {
 public:
  explicit Driver(std::function<void(int)> onFrame) : onFrame_(std::move(onFrame)) {}
  void Attach(CCDraw& draw, const GameState&) override { draw.SetRecorder(this); }
  void BeginFrame(const char*) override {
    texts.clear();
    onFrame_(frames++);
  }
  void EndFrame(bool) override {}
  void OnTiles(int) override {}
  void OnBlit(int, int, int, int, int, int) override {}
  void OnText(int, int, uint32_t, int, std::string_view text) override {
    texts += std::string(text) + "\n";
  }
  int frames = 0;
  std::string texts;

 private:
  std::function<void(int)> onFrame_;
};

// Also from a file that cannot be read (here a folder in its place): it is set aside, and the
// mapping starts from the default.
TEST(MapControls, PressesBecomeTheFileTheScreenShows) {
  for (const bool unreadable : {false, true}) {
    SCOPED_TRACE(unreadable);
    ScratchDir dir;
    if (unreadable) {
      ASSERT_TRUE(std::filesystem::create_directory(dir.PathOf("kv_controls.txt")));
    } else {
      dir.Write("kv_controls.txt", "[0079:0006]\nNUMPAD1 = button 9\n");
    }
    ClockedSdl system;
    int index = -1;
    SDL_Joystick* joystick = nullptr;
    // One input for each key in turn, 80 ms each, 80 ms apart.
    const auto press = [&](int step, bool down) {
      switch (step) {
        case 0:
        case 1:
        case 2:
        case 3:
          SDL_JoystickSetVirtualButton(joystick, 4 + step, down);
          break;
        case 4:
          SDL_JoystickSetVirtualHat(joystick, 0, down ? SDL_HAT_LEFT : SDL_HAT_CENTERED);
          break;
        case 5:
          SDL_JoystickSetVirtualHat(joystick, 0, down ? SDL_HAT_RIGHT : SDL_HAT_CENTERED);
          break;
        case 6:
          SDL_JoystickSetVirtualAxis(joystick, 1, down ? 32767 : 0);
          break;
      }
    };
    Driver driver([&](int n) {
      if (n == 1) index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_ARCADE_STICK, 2, 8, 1);
      if (n == 3) joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
      if (joystick && n >= 5 && n % 5 == 0 && n / 5 - 1 < 14)
        press((n / 5 - 1) / 2, n / 5 % 2 == 1);
    });
    EXPECT_EQ(kavrel::MapControls(system, &driver), 0);
    ASSERT_NE(joystick, nullptr);
    if (index >= 0) SDL_JoystickDetachVirtual(index);

    const plat::ControlsRead read = plat::ParseControls(dir.Read("kv_controls.txt").value_or(""));
    EXPECT_TRUE(read.badLines.empty());
    // UP is not asked for: the operator's screen keeps moving with the hat and the stick.
    const ControlBindings expected = {
        Bind(plat::VK_UP, Control::HatUp),          Bind(plat::VK_UP, Control::AxisMinus, 2),
        Bind(plat::VK_NUMPAD1, Control::Button, 5), Bind(plat::VK_NUMPAD2, Control::Button, 6),
        Bind(plat::VK_RETURN, Control::Button, 7),  Bind(plat::VK_SPACE, Control::Button, 8),
        Bind(plat::VK_LEFT, Control::HatLeft),      Bind(plat::VK_RIGHT, Control::HatRight),
        Bind(plat::VK_DOWN, Control::AxisPlus, 2)};
    EXPECT_EQ(read.map.For(1, 1), expected);
    if (unreadable) {
      EXPECT_TRUE(std::filesystem::is_directory(dir.PathOf("kv_controls.txt.unreadable")));
      ASSERT_EQ(system.boxes.size(), 1u);
      EXPECT_NE(system.boxes[0].find("kv_controls.txt.unreadable に名前を変えて"),
                std::string::npos)
          << system.boxes[0];
    } else {
      // The section of another controller stays.
      EXPECT_EQ(read.map.For(0x79, 6), ControlBindings{Bind(plat::VK_NUMPAD1, Control::Button, 9)});
    }
    // The screen named the controller plugged in, live.
    EXPECT_NE(driver.texts.find("Virtual"), std::string::npos) << driver.texts;
    // The last frame showed what was saved.
    for (const char* shown : {"button 5", "button 8", "hat right", "axis 2 +"})
      EXPECT_NE(driver.texts.find(shown), std::string::npos) << shown << " in " << driver.texts;
  }
}

}  // namespace
