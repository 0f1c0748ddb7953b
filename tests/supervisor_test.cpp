// The booth's supervisor against small stand-ins for the game (tests/booth_standin.cpp): what it
// starts again, after how long, when it gives up, and what kv_booth.log holds. The times are
// shortened; only lower bounds are checked, as the machine may be slow.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "packaging/Autostart.h"
#include "packaging/GameProcess.h"
#include "packaging/Supervision.h"
#include "store/Reasons.h"
#include "support/Scenario.h"
#ifdef _WIN32
#include "platform/win/WinHost.h"
#endif

namespace {

// Keeps the events for the test and writes them to kv_booth.log as the booth does.
class Both : public booth::Recorder {
 public:
  explicit Both(const std::string& dir) : file_(dir) {}
  void Record(BoothEvent event, const std::string& detail) override {
    events.push_back(std::string(BoothEventWord(event)) + ":" + detail);
    file_.Record(event, detail);
  }
  std::vector<std::string> events;

 private:
  booth::LogFile file_;
};

// The supervisor told to end (as by SIGTERM) once `afterMs` have passed, when not 0.
class EndingAfter : public booth::GameProcess {
 public:
  EndingAfter(booth::GameProcess& inner, uint64_t afterMs)
      : inner_(inner), afterMs_(afterMs), from_(inner.NowMs()) {}
  bool Start(bool restarted, std::string& error) override { return inner_.Start(restarted, error); }
  bool Wait(unsigned ms, std::vector<plat::BoothMessage>& said, booth::ProcessEnd& end) override {
    return inner_.Wait(ms, said, end);
  }
  void Kill() override { inner_.Kill(); }
  void PassOnEnd(int how) override { inner_.PassOnEnd(how); }
  int SupervisorEnding() override {
    return afterMs_ && inner_.NowMs() - from_ >= afterMs_ ? SIGTERM : 0;
  }
  uint64_t NowMs() override { return inner_.NowMs(); }
  void Sleep(unsigned ms) override { inner_.Sleep(ms); }

 private:
  booth::GameProcess& inner_;
  uint64_t afterMs_;
  uint64_t from_;
};

constexpr booth::Timings kShort = {.restartDelayMs = 300,
                                   .hangLimitMs = 3000,
                                   .restartWindowMs = 600000,
                                   .maxRestarts = 5,
                                   .lockRetryDelayMs = 100,
                                   .lockRetries = 5,
                                   .pollMs = 50};

#ifdef _WIN32
const std::string kFault = "exception 0xC0000005";
const std::string kAbort = "abort";
const std::string kStandIn = "\\booth_standin.exe";
#else
const std::string kFault = "signal 11 SIGSEGV";
const std::string kAbort = "signal 6 SIGABRT";
const std::string kStandIn = "/booth_standin";
#endif
const std::string kCrash = "abnormal-end:" + kAbort;
std::vector<std::string> Restart(int n) {
  return {"restart:" + std::to_string(n), "start:restart"};
}

std::string StandIn() {
#ifdef _WIN32
  return plat::win::ExecutableDirectory() + kStandIn;
#else
  return std::string(KAVREL_BINARY_DIR) + kStandIn;
#endif
}

struct Row {
  const char* name;
  std::vector<std::string> args;
  uint64_t supervisorEndsAfterMs;
  std::vector<std::string> events;
  int exitCode;
  bool gaveUp;
  uint64_t atLeastMs;
};

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(Supervisor, RestartsAbnormalEndsOnlyAndGivesUpOnACrashLoop) {
  const Row rows[] = {
      {"exits 0", {"exit", "0"}, 0, {"start:first", "end:0"}, 0, false, 0},
      // A failed save is an orderly end that the operator must see.
      {"exits 255", {"exit", "255"}, 0, {"start:first", "end:255"}, 255, false, 0},
      // A game that never spoke: its exit code decides, and an exit is orderly (on Windows, but
      // for an exception's code or abort's 3).
      {"exits 4 before a word", {"mute", "4"}, 0, {"start:first", "end:4"}, 4, false, 0},
      // One that spoke and exits without saying why was ended from outside (Task Manager).
      {"exits 1 without saying why",
       {"silent", "1"},
       0,
       Joined({{"start:first", "abnormal-end:exit 1 unsaid"}, Restart(1), {"end:0"}}),
       0,
       false,
       300},
      // A folder locked at a first start is another game's: not retried.
      {"finds its folder locked", {"exit", "5"}, 0, {"start:first", "end:5"}, 5, false, 0},
      {"faults once",
       {"fault-once"},
       0,
       Joined({{"start:first", "abnormal-end:" + kFault}, Restart(1), {"end:0"}}),
       0,
       false,
       300},
      {"crashes in a loop",
       {"abort"},
       0,
       Joined({{"start:first", kCrash},
               Restart(1),
               {kCrash},
               Restart(2),
               {kCrash},
               Restart(3),
               {kCrash},
               Restart(4),
               {kCrash},
               Restart(5),
               {kCrash, "give-up:" + kAbort}}),
       1,
       true,
       5 * 300},
      {"hangs",
       {"hang"},
       0,
       Joined({{"start:first", "abnormal-end:hang 3 s"}, Restart(1), {"end:0"}}),
       0,
       false,
       3000 + 300},
      // A box waiting for the operator is not a hang; its text is kept.
      {"waits in a box",
       {"box"},
       0,
       {"start:first", "box:記録ファイルを書けません / （容量不足）", "end:0"},
       0,
       false,
       4000},
      // The restarted game finds the dead one's lock for a moment: tried again, no restart counted.
      {"crashes, then finds the lock",
       {"crash-locked"},
       0,
       Joined({{"start:first", kCrash}, Restart(1), {"start:restart", "start:restart", "end:0"}}),
       0,
       false,
       300 + 2 * 100},
      // The supervisor's own end is passed on; the game ends in order and is not started again.
      {"is ended with the supervisor",
       {"until-term"},
       1000,
       {"start:first", "end:0"},
       0,
       false,
       1000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
#ifdef _WIN32
    if (row.supervisorEndsAfterMs) continue;  // Windows tells a game its end through its window
#endif
    ScratchDir dir(false);
    std::vector<std::string> args = {"booth_standin"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const auto process = booth::NewGameProcess(StandIn(), args);
    EndingAfter watched(*process, row.supervisorEndsAfterMs);
    Both recorder(dir.Path());
    booth::Supervisor supervisor(watched, recorder, kShort);
    const uint64_t from = process->NowMs();
    const booth::Outcome outcome = supervisor.Run();
    const uint64_t took = process->NowMs() - from;

    EXPECT_EQ(recorder.events, row.events);
    EXPECT_EQ(outcome.exitCode, row.exitCode);
    EXPECT_EQ(outcome.gaveUp, row.gaveUp);
    EXPECT_GE(took, row.atLeastMs);
    // The log holds the same, dated, under its head.
    const std::string log = dir.Read(kBoothLogFileName).value_or("");
    EXPECT_TRUE(log.starts_with(kBoothLogHead));
    std::vector<std::string> logged;
    for (const BoothLine& line : ParseBoothLog(log)) {
      EXPECT_GE(line.when.year, 2024);
      logged.push_back(std::string(BoothEventWord(line.event)) + ":" + line.detail);
    }
    EXPECT_EQ(logged, row.events);
  }
}

// What the game says on the line, and the log's lines, read back as written.
TEST(Supervisor, MessagesAndLogLinesReadBackAsWritten) {
  using plat::BoothSign;
  for (const plat::BoothMessage& m :
       {plat::BoothMessage{BoothSign::Alive, {}, 0}, plat::BoothMessage{BoothSign::BoxUp, {}, 0},
        plat::BoothMessage{BoothSign::BoxDown, {}, 0},
        plat::BoothMessage{BoothSign::Answered, "a, \"b\"", 0},
        plat::BoothMessage{BoothSign::End, {}, -1},
        plat::BoothMessage{BoothSign::End, "ESC held", 1},
        plat::BoothMessage{BoothSign::WalkedAway, "windup", 0},
        plat::BoothMessage{BoothSign::FocusAway, "xmessage", 0}}) {
    std::string line = plat::FormatBoothMessage(m);
    ASSERT_TRUE(line.ends_with('\n'));
    line.pop_back();
    const plat::BoothMessage back = plat::ParseBoothMessage(line);
    EXPECT_EQ(back.sign, m.sign);
    EXPECT_EQ(back.text, m.text);
    EXPECT_EQ(back.exitCode, m.exitCode);
  }
  EXPECT_EQ(plat::ParseBoothMessage("end x").sign, BoothSign::Unknown);
  EXPECT_EQ(plat::ParseBoothMessage("hello").sign, BoothSign::Unknown);
  // Read in pieces as the pipe gives them: a message cut anywhere comes out whole, once.
  const std::string said = plat::FormatBoothMessage({BoothSign::Alive, {}, 0}) +
                           plat::FormatBoothMessage({BoothSign::Answered, "箱", 0});
  for (size_t cut = 0; cut <= said.size(); ++cut) {
    booth::MessageLines lines;
    std::vector<plat::BoothMessage> got;
    lines.Take(std::string_view(said).substr(0, cut), got);
    lines.Take(std::string_view(said).substr(cut), got);
    ASSERT_EQ(got.size(), 2u) << cut;
    EXPECT_EQ(got[1].text, "箱") << cut;
  }

  const BoothLine line{{2026, 11, 3, 10, 31, 2, -150}, BoothEvent::Box, "a, \"b\"\nc"};
  const std::string bytes = FormatBoothLine(line);
  EXPECT_EQ(bytes, "2026-11-03,10:31:02,-02:30,box,\"a, \"\"b\"\" c\"\r\n");
  const std::vector<BoothLine> back =
      ParseBoothLog(std::string(kBoothLogHead) + bytes + "torn,line\r\n" + bytes);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].when.utcOffsetMinutes, -150);
  EXPECT_EQ(back[0].detail, "a, \"b\" c");
}

#ifndef _WIN32
// The autostart entry starts this program in booth mode with the options given, each spelled as
// typed however it is quoted; taking it away twice is no failure.
TEST(Autostart, AnEntryStartsBoothModeWithTheOptionsAsTyped) {
  ScratchDir dir(false);
  const char* before = std::getenv("XDG_CONFIG_HOME");
  const std::string kept = before ? before : "";
  setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
  std::string said;
  ASSERT_TRUE(booth::InstallAutostart({"--data-dir", "/a b/$\"`\\%x"}, said)) << said;
  const std::string entry = dir.Read("autostart/kavrel-booth.desktop").value_or("");
  EXPECT_NE(entry.find(" --booth --data-dir \"/a b/\\\\$\\\\\"\\\\`\\\\\\\\%%x\"\n"),
            std::string::npos)
      << entry;
  EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
  EXPECT_TRUE(booth::RemoveAutostart(said)) << said;
  EXPECT_FALSE(dir.Exists("autostart/kavrel-booth.desktop"));
  EXPECT_TRUE(booth::RemoveAutostart(said)) << said;
  // A folder that cannot be made: the failure ends with what to do about it.
  dir.Write("plain", "not a folder");
  setenv("XDG_CONFIG_HOME", (dir.Path() + "/plain").c_str(), 1);
  EXPECT_FALSE(booth::InstallAutostart({}, said));
  bool remedied = false;
  for (const FileFailure* failure : AllFileFailures())
    remedied = remedied || said.find(plat::Say(failure->remedy)) != std::string::npos;
  EXPECT_TRUE(remedied) << said;
  if (before) {
    setenv("XDG_CONFIG_HOME", kept.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}
#endif

}  // namespace
