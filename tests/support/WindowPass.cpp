#include "tests/support/WindowPass.h"

#include <chrono>
#include <thread>

namespace xsession {
namespace {

using namespace std::chrono_literals;

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

}  // namespace

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

std::string PlayWholePass(GameRun& game) {
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
  if (!reachedResults) return "no results screen after the events";

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
  if (!backToAttract) return "the attract screen did not come back";

  return "";
}

}  // namespace xsession
