#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "app/Window.h"
#include "display/CCDraw.h"
#include "game/FrameLoop.h"
#include "game/Session.h"
#include "game/SharedElements.h"
#include "platform/ShiftJis.h"
#include "tests/support/Scenario.h"
#include "tools/replay/PngFrames.h"
#include "tools/replay/Trace.h"

namespace {

// ---- The script language ----

std::string ParseError(const std::string& text) {
  std::string error;
  EXPECT_FALSE(ParseScript(text, error)) << text;
  return error;
}

TEST(ScriptParser, BadLinesNameTheLineAndTheFault) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"jump 10", "script line 1: unknown directive 'jump'"},
      {"# start\n\ndown 10\n", "script line 3: down needs 2 values"},
      {"end", "script line 1: end needs 1 value"},
      {"tick 1 2", "script line 1: extra value '2' after tick"},
      {"time 0\nup -5 SPACE", "script line 2: negative time '-5'"},
      {"stall 10 -1", "script line 1: negative duration '-1'"},
      {"down 1.5 SPACE", "script line 1: time is not a whole number: '1.5'"},
      {"down +5 SPACE", "script line 1: time is not a whole number: '+5'"},
      {"end 10ms", "script line 1: time is not a whole number: '10ms'"},
      {"tick 4294967296", "script line 1: tick out of range '4294967296'"},
      {"end 18446744073709551616", "script line 1: time out of range '18446744073709551616'"},
      {"time 99999999999999999999", "script line 1: seconds out of range '99999999999999999999'"},
      {"down 5 space", "script line 1: unknown key 'space'"},
      {"tap 5 ENTER 10", "script line 1: unknown key 'ENTER'"},
      {"tap 18446744073709551615 Q 1",
       "script line 1: tap ends out of range (time + duration overflows)"},
      {"down 5 SPACE\r\nfoo\r\n", "script line 2: unknown directive 'foo'"},
      {"tap 5 3 10", "script line 1: unknown key '3'"},
      {"pad 5 button1", "script line 1: pad needs 3 values"},
      {"pad 5 button33 10", "script line 1: unknown control 'button33'"},
      {"pad 5 button0 10", "script line 1: unknown control 'button0'"},
      {"pad 5 axis3+ 10", "script line 1: unknown control 'axis3+'"},
      {"pad 5 hat left 10", "script line 1: extra value '10' after pad"},
      {"pad 5 axis1 10", "script line 1: unknown control 'axis1'"},
      {"pad 18446744073709551615 button1 1",
       "script line 1: pad ends out of range (time + duration overflows)"},
      {"pad 5 button1 -1", "script line 1: negative duration '-1'"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseError(c.text), c.error) << c.text;
  // The message stays one line, whatever the bytes.
  EXPECT_EQ(ParseError("\x01\xff\x1b"), "script line 1: unknown directive '\?\?\?'");
}

TEST(ScriptParser, DirectivesCommentsAndDuplicates) {
  std::string error;
  const auto script = ParseScript(
      "# a pass\n"
      "time 5   # seconds\n"
      "time -7\n"
      "tick 4294967295\n"
      "\t\n"
      "end 9000\n"
      "end 8000\n"
      "end 8500\n"
      "tap 100 SPACE 50\n"
      "down 120 NUMPAD1\n"
      "up 150 NUMPAD1\n"
      "down 150 NUMPAD1\n"
      "stall 40 7\n"
      "down 0 ESC",
      error);
  ASSERT_TRUE(script) << error;
  EXPECT_EQ(script->seconds, -7);  // the last time counts
  EXPECT_EQ(script->startTick, 4294967295u);
  EXPECT_EQ(script->end, 8000u);  // the earliest end counts
  ASSERT_EQ(script->stalls.size(), 1u);
  EXPECT_EQ(script->stalls[0].time, 40u);
  EXPECT_EQ(script->stalls[0].duration, 7u);
  // By time; among equal times in script order (the tap's up at 150 comes before line 11's up).
  const std::vector<std::tuple<uint64_t, int, bool>> expected = {
      {0, plat::VK_ESCAPE, true},   {100, plat::VK_SPACE, true},    {120, plat::VK_NUMPAD1, true},
      {150, plat::VK_SPACE, false}, {150, plat::VK_NUMPAD1, false}, {150, plat::VK_NUMPAD1, true}};
  ASSERT_EQ(script->keys.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const auto& [time, vk, down] = expected[i];
    EXPECT_EQ(script->keys[i].time, time) << i;
    EXPECT_EQ(script->keys[i].vk, vk) << i;
    EXPECT_EQ(script->keys[i].down, down) << i;
  }
}

TEST(ScriptParser, EmptyScriptHasTheDefaults) {
  std::string error = "stale";
  const auto script = ParseScript("", error);
  ASSERT_TRUE(script);
  EXPECT_EQ(script->seconds, 0);
  EXPECT_EQ(script->startTick, 0u);
  EXPECT_FALSE(script->end);
  EXPECT_TRUE(error.empty());
}

// ---- The harness, on a small program of two screens ----

// Three frames of "attract" that draw a text and a blit, then "results" until the end or ESC.
int TwoScreens(plat::System& system, FrameObserver* observer) {
  if (!CreateMainWindow(system)) return 0;
  Session session(system, observer);
  Game& game = session.game;
  int frames = 0;
  const auto attract = [&] {
    session.draw.DrawText("AB", 1, 2, 0x123456, 16);
    session.draw.BlitFast(kSheetSlot, 5, 6, 7, 8, 9, 10);
    session.state.totalScore = frames;
    return ++frames == 3 ? FrameOutcome::Leave : FrameOutcome::Continue;
  };
  if (RunFrames(game, kAttractTiming, attract) == ScreenResult::Quit) return 1;
  if (RunFrames(game, kResultsTiming, [] { return FrameOutcome::Continue; }) ==
      ScreenResult::Quit) {
    return 1;
  }
  return 0;
}

ReplayRun PlayTwoScreens(const std::string& script, ReplayOptions options = {}) {
  options.entry = TwoScreens;
  return Play(script, options);
}

struct FrameSummary {
  int n;
  std::string screen;
  uint32_t tick;
  bool shown;
  bool operator==(const FrameSummary&) const = default;
};

std::ostream& operator<<(std::ostream& out, const FrameSummary& f) {
  return out << "{" << f.n << " " << f.screen << " " << f.tick << " " << f.shown << "}";
}

std::vector<FrameSummary> Summary(const ReplayRun& run) {
  std::vector<FrameSummary> out;
  for (const FrameRecord& f : run.frames) out.push_back({f.n, f.screen, f.tick, f.shown});
  return out;
}

TEST(Replay, FramesTicksAndTheEnd) {
  const ReplayRun run = PlayTwoScreens("tick 4294967260\nend 100\n");
  // The leaving frame is not shown and takes no time; the next screen starts at its start.
  const std::vector<FrameSummary> expected = {
      {0, "attract", 4294967260u, true}, {1, "attract", 4294967293u, true},
      {2, "attract", 30u, false},        {3, "results", 30u, true},
      {4, "results", 46u, true},         {5, "results", 62u, true}};
  EXPECT_EQ(Summary(run), expected);
  EXPECT_FALSE(run.exitCode);
  EXPECT_EQ(run.endTick, 78u);  // the frame that would have begun at 114 ms

  ASSERT_EQ(run.frames[0].ops.size(), 3u);
  EXPECT_EQ(run.frames[0].ops[0].kind, DrawOp::Tiles);
  EXPECT_EQ(run.frames[0].ops[0].rows, 30);
  const DrawOp& text = run.frames[0].ops[1];
  EXPECT_EQ(text.kind, DrawOp::Text);
  EXPECT_EQ(std::tie(text.x, text.y, text.colour, text.size, text.text),
            std::make_tuple(1, 2, 0x123456u, 16, std::string("AB")));
  const DrawOp& blit = run.frames[0].ops[2];
  EXPECT_EQ(blit.kind, DrawOp::Blit);
  EXPECT_EQ(std::tie(blit.x, blit.y, blit.left, blit.top, blit.right, blit.bottom),
            std::make_tuple(5, 6, 7, 8, 9, 10));
  EXPECT_EQ(run.frames[3].ops.size(), 1u);  // results: its tiles only
  EXPECT_EQ(run.frames[3].ops[0].rows, 30);
  // The state is copied as the frame ends.
  EXPECT_EQ(run.frames[1].state.totalScore, 1);
  EXPECT_EQ(run.frames[1].state.frameStartTick, run.frames[1].tick);

  ASSERT_EQ(run.messageBoxes.size(), 1u);
  EXPECT_EQ(run.messageBoxes[0].text, Sjis("Ｃｌｉｃｋ Ｔｏ Ｓｔａｒｔ"));
  EXPECT_EQ(run.messageBoxes[0].caption, "INFORMATION");
}

TEST(Replay, StallsDelayTheFrameStartAndTheEndComesFirst) {
  ReplayRun run = PlayTwoScreens("stall 30 100\nstall 30 1\nend 200\n");
  const std::vector<FrameSummary> stalled = {{0, "attract", 0, true},    {1, "attract", 134, true},
                                             {2, "attract", 167, false}, {3, "results", 167, true},
                                             {4, "results", 183, true},  {5, "results", 199, true}};
  EXPECT_EQ(Summary(run), stalled);
  EXPECT_EQ(run.endTick, 215u);

  run = PlayTwoScreens("stall 66 5\nend 66\n");
  EXPECT_EQ(run.frames.size(), 2u);
  EXPECT_EQ(run.endTick, 66u);  // not 71: the end is checked before the stall
}

TEST(Replay, EscEndsTheRunInTheFrameThatDrainsIt) {
  std::vector<int> presented;
  ReplayOptions options;
  options.onPresent = [&](int n, const uint8_t* pixels, int pitch,
                          const plat::PaletteEntry* palette) {
    EXPECT_TRUE(pixels && palette && pitch >= 640);
    presented.push_back(n);
  };
  const ReplayRun run = PlayTwoScreens("down 40 ESC\n", options);
  const std::vector<FrameSummary> expected = {{0, "attract", 0, true}, {1, "attract", 33, false}};
  EXPECT_EQ(Summary(run), expected);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(run.endTick);
  EXPECT_EQ(presented, std::vector<int>{0});
}

// Booth mode on the game's attract screen (a frame every 33 ms; a frame's messages are drained at
// the next frame's start): ESC and Q act only once held 2,000 ms without a break; a close request
// does nothing.
TEST(Replay, BoothModeActsOnlyOnKeysHeldTwoSeconds) {
  const struct {
    const char* script;
    bool booth;
    std::optional<int> exitCode;  // nothing: the script's end stopped it
    int lastFrame;                // n of the last frame, which is not shown when the game ends
  } cases[] = {
      {"down 500 ESC\nend 5000\n", false, 1, 15},  // drained at 528
      {"tap 500 ESC 100\nend 5000\n", true, std::nullopt, 151},
      {"down 500 ESC\nend 5000\n", true, 1, 75},                               // drained at 2508
      {"down 500 ESC\nup 2400 ESC\ndown 2450 ESC\nend 9000\n", true, 1, 134},  // 4455
      {"down 500 ESC\ndown 900 ESC\nend 9000\n", true, 1, 87},  // the latest down: 2904
      {"tap 500 Q 100\nend 5000\n", true, std::nullopt, 151},
      {"tap 500 Q 1999\nend 5000\n", true, std::nullopt, 151},
      {"down 500 Q\nend 5000\n", true, 0, 76},  // tested at 2508
      {"down 500 Q\nup 1000 Q\ndown 1100 Q\nend 5000\n", true, 0, 94},
      // A close request closes the window as ESC does, but not in booth mode.
      {"down 500 CLOSE\nend 5000\n", false, 1, 15},
      {"tap 500 CLOSE 10\ndown 3000 CLOSE\nend 5000\n", true, std::nullopt, 151},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    ScratchDir dir;
    ReplayOptions options;
    options.booth = c.booth;
    const ReplayRun run = Play(c.script, options);
    EXPECT_EQ(run.exitCode, c.exitCode);
    ASSERT_FALSE(run.frames.empty());
    EXPECT_EQ(run.frames.back().n, c.lastFrame);
    EXPECT_EQ(run.frames.back().shown, !c.exitCode);
  }
}

// A visitor starts a pass and walks away. In booth mode each screen that waits for a key goes on
// after 90 s without one, and the booth is back on its attract screen with the pass counted;
// without booth mode the wind-up waits for RETURN.
TEST(Replay, WalkedAwayVisitorComesBackToAttractInBoothModeOnly) {
  for (const bool booth : {false, true}) {
    SCOPED_TRACE(booth);
    ScratchDir dir;
    ReplayOptions options;
    options.booth = booth;
    options.keepFrames = false;
    std::vector<std::string> visits;
    std::map<std::string, uint32_t> firstTick;
    std::optional<int> number;
    options.onFrame = [&](const FrameRecord& f) {
      if (visits.empty() || visits.back() != f.screen) visits.push_back(f.screen);
      firstTick.emplace(f.screen, f.tick);
      number = f.state.challengerNumber;
    };
    Play("tap 1000 SPACE 100\nend 420000\n", options);
    const std::vector<std::string> pass = {"attract", "windup", "run",     "standby",  "ball",
                                           "results", "name",   "ranking", "farewell", "attract"};
    if (!booth) {
      EXPECT_EQ(visits, std::vector<std::string>(pass.begin(), pass.begin() + 2));
      continue;
    }
    EXPECT_EQ(visits, pass);
    EXPECT_EQ(number, 2);
    // The car leaves the wind-up 90 s after the SPACE went up, not before.
    EXPECT_GT(firstTick["run"], 91100u);
    EXPECT_LT(firstTick["run"], 95000u);
  }
}

TEST(Replay, CallbacksWithoutKeepingFrames) {
  ReplayOptions options;
  options.keepFrames = false;
  std::vector<std::string> seen;
  options.onFrameBegin = [&](int n, const char* screen) {
    seen.push_back("begin " + std::to_string(n) + " " + screen);
  };
  options.onFrame = [&](const FrameRecord& f) { seen.push_back("end " + std::to_string(f.n)); };
  options.onMessageBox = [&](const MessageBoxRecord& box) { seen.push_back(box.caption); };
  const ReplayRun run = PlayTwoScreens("end 70\n", options);
  EXPECT_TRUE(run.frames.empty());
  const std::vector<std::string> expected = {
      "INFORMATION", "begin 0 attract", "end 0", "begin 1 attract", "end 1", "begin 2 attract",
      "end 2",       "begin 3 results", "end 3"};
  EXPECT_EQ(seen, expected);
}

// ---- Trace records ----

TEST(Trace, FrameLineFormat) {
  FrameRecord f;
  f.n = 12;
  f.screen = "name";
  f.tick = 4294967295u;
  f.shown = false;
  DrawOp tiles;
  tiles.rows = 23;
  DrawOp blit;
  blit.kind = DrawOp::Blit;
  std::tie(blit.x, blit.y, blit.left, blit.top, blit.right, blit.bottom) =
      std::make_tuple(-3, 4, 0, 1, 640, 480);
  DrawOp text;
  text.kind = DrawOp::Text;
  std::tie(text.x, text.y, text.colour, text.size) = std::make_tuple(7, 8, 0x00FFFFFFu, 12);
  text.text = "\x82\x60\"\\\n\xff";  // Ａ, a quote, a backslash, a newline, a byte that is no text
  f.ops = {tiles, blit, text};
  f.state.playerName = {'A', '"', '\\', '\x01', '\x82', 'Z', ' ', '_'};
  f.state.bestDistance = 627.5;
  f.state.bestBounce = 0.1;
  f.state.carDistance = -0.0;
  f.state.bounceScore = 1e300;
  f.state.totalScore = -42;
  f.state.rankedIn = 1;
  f.state.rankPlace = 5;
  f.state.wordIndex = 94;
  f.state.challengerNumber = 2147483647;
  f.state.ranking[0].score = 99;
  EXPECT_EQ(TraceWriter::FrameLine(f),
            "{\"ev\":\"frame\",\"n\":12,\"screen\":\"name\",\"tick\":4294967295,\"shown\":false,"
            "\"ops\":[[\"tiles\",23],[\"blit\",-3,4,0,1,640,480],"
            "[\"text\",7,8,16777215,12,\"8260225c0aff\",\"Ａ\\\"\\\\\\u000a\xEF\xBF\xBD\"]],"
            "\"state\":{\"keepRunning\":1,\"challengerNumber\":2147483647,"
            "\"playerName\":\"A\\\"\\\\\\u0001\\u0082Z _\",\"bestDistance\":627.5,"
            "\"bestBounce\":0.10000000000000001,\"carDistance\":-0,\"bounceScore\":1."
            "0000000000000001e+300,"
            "\"totalScore\":-42,\"rankedIn\":1,\"rankPlace\":5,\"wordIndex\":94,"
            "\"ranking\":[[99,\"DEFAULT_\"],[0,\"DEFAULT_\"],[0,\"DEFAULT_\"],[0,\"DEFAULT_\"],"
            "[0,\"DEFAULT_\"]]}}");
}

TEST(Trace, JsonPieces) {
  std::string out;
  json::AppendUtf8String(out, "a\xE3\x81\x82\xC0\x80\xED\xA0\x80\xF4\x90\x80\x80\xE3\x81");
  // Valid characters pass; overlong forms, surrogates, past U+10FFFF and cut sequences do not.
  EXPECT_EQ(out,
            "\"a\xE3\x81\x82"
            "\xEF\xBF\xBD\xEF\xBF\xBD"                          // C0 80
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"              // ED A0 80
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"  // F4 90 80 80
            "\xEF\xBF\xBD\xEF\xBF\xBD\"");                      // E3 81
  out.clear();
  json::AppendDouble(out, std::numeric_limits<double>::infinity());
  out += ',';
  json::AppendDouble(out, 0.0);
  out += ',';
  json::AppendDouble(out, 1.0 / 3.0);
  EXPECT_EQ(out, "null,0,0.33333333333333331");
  const double back = std::stod("0.33333333333333331");
  EXPECT_EQ(back, 1.0 / 3.0);
}

TEST(PngFrameList, ParsesNumbersAndRanges) {
  std::string error;
  const auto list = FrameList::Parse("3,10-12,0", error);
  ASSERT_TRUE(list) << error;
  for (int n : {0, 3, 10, 11, 12}) EXPECT_TRUE(list->Contains(n)) << n;
  for (int n : {1, 2, 4, 9, 13}) EXPECT_FALSE(list->Contains(n)) << n;
  for (const char* bad : {"", "1,", "5-3", "a", "1-", "-1", "1 ,2", "99999999999"}) {
    EXPECT_FALSE(FrameList::Parse(bad, error)) << bad;
  }
}

// ---- The tool, end to end ----

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The value of an integer field in a trace line ("n", "tick").
int64_t Field(const std::string& line, const std::string& name) {
  const size_t at = line.find("\"" + name + "\":");
  if (at == std::string::npos) return -1;
  return std::stoll(line.substr(at + name.size() + 3));
}

std::string StringField(const std::string& line, const std::string& name) {
  const size_t at = line.find("\"" + name + "\":\"");
  if (at == std::string::npos) return {};
  const size_t start = at + name.size() + 4;
  return line.substr(start, line.find('"', start) - start);
}

const std::string kStartUpBox =
    "{\"ev\":\"msgbox\",\"text\":\"Ｃｌｉｃｋ Ｔｏ Ｓｔａｒｔ\",\"caption\":\"INFORMATION\"}";

TEST(ReplayTool, StopsAtTheEndTimeWithoutWritingData) {
  ScratchDir dir;
  dir.Write("s.txt", "time 1\nend 2000\n");
  EXPECT_EQ(RunReplayTool("s.txt --trace t.jsonl"), 3);
  const std::vector<std::string> lines = Lines(dir.Read("t.jsonl").value_or(""));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front(), kStartUpBox);
  EXPECT_EQ(lines.back().rfind("{\"ev\":\"end\",\"tick\":", 0), 0u) << lines.back();
  EXPECT_GE(Field(lines.back(), "tick"), 2000);
  int64_t n = 0;
  for (const std::string& line : lines) {
    if (line.find("\"ev\":\"frame\"") == std::string::npos) continue;
    EXPECT_EQ(Field(line, "n"), n++);
    EXPECT_LT(Field(line, "tick"), 2000);
  }
  EXPECT_GT(n, 0);
  EXPECT_FALSE(dir.Exists("kavrel.dat"));
  EXPECT_FALSE(dir.Exists("kv_rank.dat"));
}

TEST(ReplayTool, EscEndsWithOneAndQWithZero) {
  ScratchDir dir;
  dir.Write("esc.txt", "down 500 ESC\nend 60000\n");
  EXPECT_EQ(RunReplayTool("esc.txt --trace - > t.jsonl"), 1);
  std::vector<std::string> lines = Lines(dir.Read("t.jsonl").value_or(""));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "{\"ev\":\"exit\",\"code\":1}");
  EXPECT_NE(lines[lines.size() - 2].find("\"shown\":false"), std::string::npos);
  EXPECT_FALSE(dir.Exists("kavrel.dat"));

  dir.Write("q.txt", "tap 500 Q 50\nend 60000\n");
  EXPECT_EQ(RunReplayTool("q.txt --trace t.jsonl"), 0);
  lines = Lines(dir.Read("t.jsonl").value_or(""));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "{\"ev\":\"exit\",\"code\":0}");
  EXPECT_TRUE(dir.Exists("kavrel.dat"));
  EXPECT_TRUE(dir.Exists("kv_rank.dat"));

  dir.Write("quick.txt", "tap 500 ESC 100\ntap 700 Q 100\nend 3000\n");
  EXPECT_EQ(RunReplayTool("quick.txt --booth"), 3);
}

TEST(ReplayTool, BadCommandLinesAndScriptsGiveTwoAndOneLine) {
  ScratchDir dir;
  dir.Write("bad.txt", "end 100\ndown 5 SHIFT\n");
  dir.Write("good.txt", "end 100\n");
  for (const char* args :
       {"bad.txt", "", "missing.txt", "good.txt --bogus", "good.txt --trace", "good.txt good.txt",
        "good.txt --png-frames 1", "good.txt --png p --png-frames 3-1",
        "good.txt --trace no/such/dir/t.jsonl"}) {
    std::string err;
    EXPECT_EQ(RunReplayTool(args, &err), 2) << args;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << args << ": " << err;
  }
  std::string err;
  RunReplayTool("bad.txt", &err);
  EXPECT_EQ(err, "script line 2: unknown key 'SHIFT'\n");
}

// A pass wound, launched and started by mapped controls (and by the main row's 1 and 2) traces
// exactly as its keyboard twin; a bad line of the mapping is told after the start-up box.
TEST(ReplayTool, MappedControlsTraceAsTheirKeyboardTwin) {
  const std::string keyboard = WholePassScript();
  // Each tap of a key in `swaps` becomes the same press of the other key or control.
  const auto swapped = [&](const std::map<std::string, std::string>& swaps, const char* as) {
    std::string script;
    for (const std::string& line : Lines(keyboard)) {
      std::istringstream words(line);
      std::string directive, time, key, duration;
      words >> directive >> time >> key >> duration;
      const auto swap = swaps.find(key);
      script += directive == "tap" && swap != swaps.end()
                    ? std::string(as) + " " + time + " " + swap->second + " " + duration
                    : line;
      script += "\n";
    }
    return script;
  };
  const auto trace = [](const std::string& script, const std::string& controls) {
    ScratchDir dir;
    dir.Write("s.txt", script);
    if (!controls.empty()) dir.Write("kv_controls.txt", controls);
    EXPECT_EQ(RunReplayTool("s.txt --trace t.jsonl"), 3);
    return dir.Read("t.jsonl").value_or("");
  };
  const std::string twin = trace(keyboard, "");
  ASSERT_NE(twin.find("\"screen\":\"farewell\""), std::string::npos);
  EXPECT_EQ(trace(swapped({{"NUMPAD1", "1"}, {"NUMPAD2", "2"}}, "tap"), ""), twin);
  const std::string padded = swapped(
      {{"NUMPAD1", "button5"}, {"NUMPAD2", "hat-left"}, {"RETURN", "axis2+"}, {"SPACE", "button1"}},
      "pad");
  ASSERT_NE(padded.find("pad 2300 button5 40"), std::string::npos);
  const std::string mapping =
      "\xEF\xBB\xBF[0000:0000]\r\nNUMPAD1 = button 5\r\nNUMPAD2 = hat left\r\n"
      "RETURN = axis 2 +\r\nSPACE = button 1\r\n";
  EXPECT_EQ(trace(padded, mapping), twin);
  // An arcade button's contact shorter than a frame (30 ms on the wind-up) winds as far.
  std::string quick;
  for (const std::string& line : Lines(padded)) {
    const bool winding =
        line.find(" button5 ") != std::string::npos || line.find(" hat-left ") != std::string::npos;
    quick += (winding ? line.substr(0, line.rfind(' ')) + " 20" : line) + "\n";
  }
  EXPECT_EQ(trace(quick, mapping), twin);
  // Without a file the pad has the default: buttons 1 and 2 wind.
  EXPECT_EQ(trace(swapped({{"NUMPAD1", "button1"}, {"NUMPAD2", "button2"}}, "pad"), ""), twin);

  ScratchDir dir;
  dir.Write("kv_controls.txt", "NUMPAD1 = button 5\nNUMPAD1 = buton 6\n\nQ = button 1\n");
  const ReplayRun run = Play("end 100\n");
  ASSERT_EQ(run.messageBoxes.size(), 2u);
  const std::string box = SjisToUtf8(run.messageBoxes[1].text);
  EXPECT_NE(box.find("kv_controls.txt の 2、4 行目"), std::string::npos) << box;
}

struct PngSize {
  uint32_t width = 0, height = 0;
  int colourType = -1;
};

PngSize ReadPngHeader(const std::string& bytes) {
  PngSize size;
  if (bytes.size() < 26 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return size;
  const auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  size.width = u32(16);
  size.height = u32(20);
  size.colourType = static_cast<unsigned char>(bytes[25]);
  return size;
}

std::set<std::string> PngFiles(const ScratchDir& dir, const std::string& sub) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.PathOf(sub))) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

std::string PngName(int64_t n) {
  char name[32];
  std::snprintf(name, sizeof name, "%06lld.png", static_cast<long long>(n));
  return name;
}

TEST(ReplayTool, WritesTheLastShownFrameOfEveryVisit) {
  ScratchDir dir;
  dir.Write("s.txt", "tap 1000 SPACE 50\nend 3000\n");
  ASSERT_EQ(RunReplayTool("s.txt --trace t.jsonl --png shots/a"), 3);
  // Work out the selection from the trace: per run of equal screens, the last shown frame.
  std::set<std::string> expected;
  std::string screen;
  int64_t lastShown = -1;
  for (const std::string& line : Lines(dir.Read("t.jsonl").value_or(""))) {
    if (line.find("\"ev\":\"frame\"") == std::string::npos) continue;
    if (StringField(line, "screen") != screen) {
      if (lastShown >= 0) expected.insert(PngName(lastShown));
      screen = StringField(line, "screen");
      lastShown = -1;
    }
    if (line.find("\"shown\":true") != std::string::npos) lastShown = Field(line, "n");
  }
  if (lastShown >= 0) expected.insert(PngName(lastShown));
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(PngFiles(dir, "shots/a"), expected);

  const PngSize size = ReadPngHeader(dir.Read("shots/a/" + *expected.begin()).value_or(""));
  EXPECT_EQ(size.width, 640u);
  EXPECT_EQ(size.height, 480u);
  EXPECT_EQ(size.colourType, 2);  // RGB
}

TEST(ReplayTool, WritesExactlyTheListedFrames) {
  ScratchDir dir;
  dir.Write("s.txt", "end 500\n");
  ASSERT_EQ(RunReplayTool("s.txt --png shots --png-frames 0,2-3,9999"), 3);
  const std::set<std::string> expected = {"000000.png", "000002.png", "000003.png"};
  EXPECT_EQ(PngFiles(dir, "shots"), expected);
}

}  // namespace
