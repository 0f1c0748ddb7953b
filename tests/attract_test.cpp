#include <gtest/gtest.h>

#include <string>

#include "app/Window.h"
#include "display/CCDraw.h"
#include "game/Random.h"
#include "game/Session.h"
#include "game/SharedElements.h"
#include "screens/Screens.h"
#include "screens/WordOfTheDay.h"
#include "tests/support/Scenario.h"

namespace {

void ExpectText(const DrawOp& op, int x, int y, uint32_t colour, int size, std::string_view text) {
  EXPECT_EQ(op.kind, DrawOp::Text);
  EXPECT_EQ(op.x, x);
  EXPECT_EQ(op.y, y);
  EXPECT_EQ(op.colour, colour);
  EXPECT_EQ(op.size, size);
  EXPECT_EQ(op.text, text) << SjisToUtf8(op.text);
}

void ExpectBlit(const DrawOp& op, int x, int y, int left, int top, int right, int bottom) {
  EXPECT_EQ(op.kind, DrawOp::Blit);
  EXPECT_EQ(op.x, x);
  EXPECT_EQ(op.y, y);
  EXPECT_EQ(op.left, left);
  EXPECT_EQ(op.top, top);
  EXPECT_EQ(op.right, right);
  EXPECT_EQ(op.bottom, bottom);
}

std::string ChallengerLine(const char* digits) {
  return Sjis(std::string("あなたは、") + digits + "人目の挑戦者です。");
}

// Plays only the attract screen, with the given state, and reports its result as the exit code
// (0 play, 1 window closed).
ReplayRun PlayAttract(const std::string& script, const GameState& start) {
  ReplayOptions options;
  options.entry = [start](plat::System& system, FrameObserver* observer) {
    if (!CreateMainWindow(system)) return 0;
    Session session(system, observer);
    session.state = start;
    return AttractScreen(session.game) == ScreenResult::Quit ? 1 : 0;
  };
  return Play(script, options);
}

TEST(AttractScreen, EveryElementInOrderWithItsRandomDraws) {
  ScratchDir dir;
  const ReplayRun run = Play("time 12345\nend 100\n");
  ASSERT_EQ(run.frames.size(), 4u);  // frames at 0, 33, 66 and 99 ms
  EXPECT_TRUE(run.endTick.has_value());

  Random r;
  r.Seed(12345);
  const int word = r.Below(95);  // drawn by the pass reset, before the first frame
  for (const FrameRecord& f : run.frames) {
    SCOPED_TRACE(f.n);
    EXPECT_EQ(f.screen, "attract");
    EXPECT_TRUE(f.shown);
    EXPECT_EQ(f.state.wordIndex, word);
    ASSERT_EQ(f.ops.size(), 13u);
    const int bannerY = r.Next(), bannerX = r.Next();
    const int wordY = r.Next(), wordX = r.Next();
    const int promptY = r.Next(), promptX = r.Next();
    EXPECT_EQ(f.ops[0].kind, DrawOp::Tiles);
    EXPECT_EQ(f.ops[0].rows, 30);
    ExpectBlit(f.ops[1], 195 + bannerX % 11, 45 + bannerY % 11, 1, 1, 239, 29);
    ExpectBlit(f.ops[2], 200, 50, 1, 31, 239, 59);
    ExpectText(f.ops[3], 0, 155, kWhite, 12, Sjis("今日の一言↓"));
    ExpectText(f.ops[4], wordX % 5, 168 + wordY % 5, Rgb(200, 50, 50), 10, WordOfTheDay(word));
    ExpectText(f.ops[5], 2, 170, kWhite, 10, WordOfTheDay(word));
    ExpectText(f.ops[6], 80, 270, kWhite, 12, Sjis("さっきのプレイヤーは "));
    ExpectText(f.ops[7], 330, 270, kWhite, 12, "DEFAULT_");
    ExpectText(f.ops[8], 430, 270, kWhite, 12, Sjis("さんでした"));
    const std::string prompt = Sjis("遊ぶ　－＞　ＨＩＴ　ＳＰＡＣＥ　ＫＥＹ");
    ExpectText(f.ops[9], 98 + promptX % 5, 368 + promptY % 5, kGreen, 12, prompt);
    ExpectText(f.ops[10], 100, 370, kWhite, 12, prompt);
    ExpectText(f.ops[11], 100, 400, kWhite, 12, Sjis("やめる　－＞　ＨＩＴ　Ｑ　ＫＥＹ"));
    ExpectText(f.ops[12], 100, 450, kWhite, 12, ChallengerLine("００００１"));
  }
}

TEST(AttractScreen, ChallengerNumberShowsFiveDigits) {
  const struct {
    const char* stored;
    const char* shown;
  } cases[] = {
      {"123456", "２３４５６"},      {"100000", "０００００"},
      {"99999", "９９９９９"},       {"-42", "０００４２"},  // a hand-edited negative number
      {"-2147483648", "８３６４８"}, {"2147483647", "８３６４７"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    ScratchDir dir;
    dir.Write("kavrel.dat", std::string("1\r\n2\r\n") + c.stored + "\r\n");
    const ReplayRun run = Play("end 1\n");
    ASSERT_EQ(run.frames.size(), 1u);
    EXPECT_TRUE(HasText(run.frames[0], ChallengerLine(c.shown)));
  }
}

TEST(AttractScreen, NameIsDrawnAsItsEightBytes) {
  ScratchDir dir;
  GameState state;
  state.playerName = {' ', ' ', 'A', '~', '\x1f', 'b', '_', '_'};
  ReplayRun run = PlayAttract("end 1\n", state);
  ASSERT_EQ(run.frames.size(), 1u);
  ExpectText(run.frames[0].ops[7], 330, 270, kWhite, 12,
             std::string("  A~\x1f"
                         "b__"));

  // A zero byte ends the name, as it would a C string.
  state.playerName = {'A', 'B', '\0', 'C', 'D', 'E', 'F', 'G'};
  run = PlayAttract("end 1\n", state);
  ASSERT_EQ(run.frames.size(), 1u);
  ExpectText(run.frames[0].ops[7], 330, 270, kWhite, 12, "AB");
}

TEST(AttractScreen, KeysAreSampledAfterTheDrawing) {
  ScratchDir dir;
  struct Case {
    const char* script;
    size_t frames;  // frames until the screen ended
    int keepRunning;
  };
  const Case cases[] = {
      {"down 0 SPACE\n", 1, 1},                 // held from before: the opening frame ends it
      {"down 0 Q\n", 1, 0},                     //
      {"down 0 SPACE\ndown 0 Q\n", 1, 1},       // SPACE wins
      {"down 40 Q\n", 3, 0},                    // seen by the frame at 66 ms
      {"tap 40 SPACE 10\ndown 200 Q\n", 8, 0},  // a press between two frames is never seen
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const ReplayRun run = PlayAttract(c.script, GameState{});
    ASSERT_EQ(run.frames.size(), c.frames);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.frames.back().shown);
    EXPECT_EQ(run.frames.back().state.keepRunning, c.keepRunning);
    EXPECT_EQ(run.frames.back().ops.size(), 13u);  // the leaving frame is drawn in full
    for (size_t i = 0; i + 1 < run.frames.size(); ++i) EXPECT_TRUE(run.frames[i].shown);
  }

  const ReplayRun closed = PlayAttract("down 50 ESC\n", GameState{});
  EXPECT_EQ(closed.exitCode, 1);
  ASSERT_EQ(closed.frames.size(), 2u);
  EXPECT_FALSE(closed.frames.back().shown);
}

}  // namespace
