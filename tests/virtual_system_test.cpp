#include <gtest/gtest.h>

#include "app/Window.h"
#include "game/FrameLoop.h"
#include "platform/VirtualSystem.h"
#include "tools/replay/ScriptParser.h"

namespace {

using plat::VirtualScript;
using plat::VirtualSystem;

VirtualScript Script(const std::string& text) {
  std::string error;
  auto script = ParseScript(text, error);
  EXPECT_TRUE(script) << error;
  return script.value_or(VirtualScript{});
}

uint16_t Poll(VirtualSystem& vs, int vk) {
  return static_cast<uint16_t>(vs.GetAsyncKeyState(vk));
}

TEST(VirtualKeys, DownBitAndPressedBit) {
  VirtualSystem vs(Script("down 100 SPACE\nup 200 SPACE\ndown 300 SPACE\n"));
  EXPECT_EQ(Poll(vs, plat::VK_SPACE), 0x0000);  // before anything happened
  vs.Advance(100);
  EXPECT_EQ(Poll(vs, plat::VK_SPACE), 0x8001);
  EXPECT_LT(vs.GetAsyncKeyState(plat::VK_SPACE), 0);  // still down, no new press
  EXPECT_EQ(Poll(vs, plat::VK_SPACE), 0x8000);
  vs.Advance(150);
  EXPECT_EQ(Poll(vs, plat::VK_SPACE), 0x0000);
  vs.Advance(100);
  EXPECT_EQ(Poll(vs, plat::VK_SPACE), 0x8001);
  // Other keys are not touched by SPACE's events.
  EXPECT_EQ(Poll(vs, plat::VK_RETURN), 0x0000);
}

TEST(VirtualKeys, FirstPollSeesAnyEarlierPress) {
  VirtualSystem vs(Script("tap 10 RETURN 5\n"));
  vs.Advance(5000);
  EXPECT_EQ(Poll(vs, plat::VK_RETURN), 0x0001);  // released long ago, but pressed before this poll
  EXPECT_EQ(Poll(vs, plat::VK_RETURN), 0x0000);
}

TEST(VirtualKeys, PressBetweenPollsIsSeenOnce) {
  VirtualSystem vs(Script("tap 50 Q 10\n"));
  EXPECT_EQ(Poll(vs, plat::VK_Q), 0x0000);
  vs.Advance(100);  // the whole tap lies between two polls
  EXPECT_EQ(Poll(vs, plat::VK_Q), 0x0001);
  vs.Advance(1);
  EXPECT_EQ(Poll(vs, plat::VK_Q), 0x0000);
}

TEST(VirtualKeys, DownAndUpAtTheSameTimeLeaveThePressForTheNextPoll) {
  VirtualSystem vs(Script("down 100 SPACE\nup 100 SPACE\n"));
  vs.Advance(99);
  EXPECT_EQ(Poll(vs, plat::VK_SPACE), 0x0000);
  vs.Advance(1);
  EXPECT_EQ(Poll(vs, plat::VK_SPACE), 0x0001);
  // up then down at one time leaves it down.
  VirtualSystem other(Script("up 100 SPACE\ndown 100 SPACE\n"));
  other.Advance(100);
  EXPECT_EQ(Poll(other, plat::VK_SPACE), 0x8001);
}

TEST(VirtualKeys, EventsCountByTimeNotByScriptLine) {
  // A hand-built script (not through the parser) listing a later down before an earlier up.
  VirtualScript script;
  script.keys = {{200, plat::VK_LEFT, true}, {100, plat::VK_LEFT, false}};
  VirtualSystem vs(script);
  vs.Advance(150);
  EXPECT_EQ(Poll(vs, plat::VK_LEFT), 0x0000);
  vs.Advance(100);
  EXPECT_EQ(Poll(vs, plat::VK_LEFT), 0x8001);
}

// A key is down while any of its inputs is (its key, the main row's digit, the pad's controls
// bound to it), and pressed when any of them was since the key's last poll; a control's press since
// the last poll is seen down too, however short.
TEST(VirtualKeys, EveryInputOfAKeyCounts) {
  VirtualSystem vs(
      Script("down 100 NUMPAD1\ndown 150 1\nup 200 NUMPAD1\nup 300 1\n"
             "pad 400 button1 50\ntap 420 1 10\npad 500 hat-down 10\n"
             "pad 600 button9 10\n"));
  vs.Advance(100);
  EXPECT_EQ(Poll(vs, plat::VK_NUMPAD1), 0x8001);
  vs.Advance(100);  // NUMPAD1 let go, 1 still held since 150: down, and pressed since the poll
  EXPECT_EQ(Poll(vs, plat::VK_NUMPAD1), 0x8001);
  vs.Advance(100);
  EXPECT_EQ(Poll(vs, plat::VK_NUMPAD1), 0x0000);
  EXPECT_EQ(Poll(vs, plat::VK_NUMPAD2), 0x0000);  // 1 is not NUMPAD2
  vs.Advance(130);  // button 1 (the default's NUMPAD1) and 1 between two polls: one press
  EXPECT_EQ(Poll(vs, plat::VK_NUMPAD1), 0x8001);
  vs.Advance(80);  // the hat's quick press, let go before the poll, is seen down by it
  EXPECT_EQ(Poll(vs, plat::VK_DOWN), 0x8001);
  EXPECT_EQ(Poll(vs, plat::VK_DOWN), 0x0000);
  vs.Advance(100);  // a button bound to nothing
  EXPECT_EQ(Poll(vs, plat::VK_NUMPAD1) | Poll(vs, plat::VK_SPACE), 0x0000);
  // Bound by the file's lines: button 9 is SPACE now.
  VirtualSystem mapped(Script("pad 600 button9 10\n"));
  mapped.UseControls(plat::ParseControls("SPACE = button 9\n").map);
  mapped.Advance(700);
  EXPECT_EQ(Poll(mapped, plat::VK_SPACE), 0x8001);
  // A keyboard key's quick tap is read as it is: pressed, but up.
  VirtualSystem keyboard(Script("tap 600 SPACE 10\n"));
  keyboard.Advance(700);
  EXPECT_EQ(Poll(keyboard, plat::VK_SPACE), 0x0001);
}

TEST(VirtualKeys, UnknownKeyCodesReadAsUp) {
  VirtualSystem vs(Script("down 0 SPACE\n"));
  EXPECT_EQ(vs.GetAsyncKeyState(-1), 0);
  EXPECT_EQ(vs.GetAsyncKeyState(100000), 0);
}

TEST(VirtualMessages, EscClosesTheWindowAtTheFirstDrainAtOrAfterItsTime) {
  VirtualSystem vs(Script("down 100 ESC\nup 150 ESC\n"));
  int boxes = 0;
  vs.onMessageBox = [&](std::string_view, std::string_view) { ++boxes; };
  ASSERT_EQ(CreateMainWindow(vs), 1);
  EXPECT_EQ(boxes, 1);  // the start-up box
  vs.Advance(99);
  EXPECT_EQ(DrainMessageQueue(vs), 1);
  EXPECT_TRUE(vs.WindowExists());
  vs.Advance(300);  // the drain comes late: the key-down is still handled, once
  EXPECT_EQ(DrainMessageQueue(vs), 0);
  EXPECT_FALSE(vs.WindowExists());
}

TEST(VirtualMessages, EscExactlyAtTheDrainTime) {
  VirtualSystem vs(Script("tap 33 ESC 10\n"));
  ASSERT_EQ(CreateMainWindow(vs), 1);
  vs.Advance(33);
  EXPECT_EQ(DrainMessageQueue(vs), 0);
}

TEST(VirtualMessages, WindowCreationCanFail) {
  VirtualSystem vs(VirtualScript{});
  vs.failWindowCreation = true;
  EXPECT_EQ(CreateMainWindow(vs), 0);
}

TEST(VirtualClock, StallsActOnceAtTheFirstFrameAtOrAfterTheirTime) {
  VirtualSystem vs(Script("stall 100 40\nstall 120 7\nstall 500 1\n"));
  EXPECT_EQ(vs.TakeDueStalls(), 0u);
  vs.Advance(110);
  // Only the first is due at 110; the second waits for the next frame, though 110 + 40 > 120.
  EXPECT_EQ(vs.TakeDueStalls(), 40u);
  vs.Advance(40);
  EXPECT_EQ(vs.TakeDueStalls(), 7u);
  vs.Advance(1000);
  EXPECT_EQ(vs.TakeDueStalls(), 1u);
  EXPECT_EQ(vs.TakeDueStalls(), 0u);
}

TEST(VirtualClock, TickStartsAtTheScriptValueAndWraps) {
  VirtualSystem vs(Script("tick 4294967290\ntime 1234567\nend 20\n"));
  EXPECT_EQ(vs.GetTickCount(), 4294967290u);
  EXPECT_EQ(vs.CurrentTimeSeconds(), 1234567);
  vs.Idle(4);
  EXPECT_EQ(vs.GetTickCount(), 4294967294u);
  vs.Idle(0);  // a bare yield still moves the clock one tick
  vs.Idle(0);
  EXPECT_EQ(vs.GetTickCount(), 0u);
  vs.Idle(13);
  EXPECT_EQ(vs.GetTickCount(), 13u);
  EXPECT_FALSE(vs.EndReached());
  vs.Advance(1);
  EXPECT_TRUE(vs.EndReached());  // 20 ms since start
}

}  // namespace
