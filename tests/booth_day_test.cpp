// A booth's day that nothing may take away: one game per directory, recovery copies after every
// pass that a crash leaves behind and the next start puts back, ESC that still forgets, and every
// failure told in a box.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/DirectoryLock.h"
#include "platform/ShiftJis.h"
#include "store/DataFiles.h"
#include "store/Recovery.h"
#include "tests/support/Scenario.h"

namespace {

namespace fs = std::filesystem;

// The whole pass ends its farewell at 60004 ms and is back on the attract screen; it stops at
// 64000 unless something earlier ends it.
std::string AfterThePass(const std::string& then) {
  return WholePassScript() + then;
}
const std::string kQuitAtOnce = "tap 100 Q 50\n";

// The data files a Q on the attract screen after one whole pass leaves behind.
struct Files {
  std::optional<std::string> record, ranking;
};
Files QuitAfterThePass() {
  ScratchDir dir;
  const ReplayRun run = Play(AfterThePass("tap 61000 Q 50\n"));
  EXPECT_EQ(run.exitCode, 0);
  return {dir.Read(kRecordFileName), dir.Read(kRankingFileName)};
}

// The boxes of a run after the start-up box, as UTF-8.
std::vector<std::string> LaterBoxes(const ReplayRun& run) {
  std::vector<std::string> out;
  for (size_t i = 1; i < run.messageBoxes.size(); ++i)
    out.push_back(SjisToUtf8(run.messageBoxes[i].text));
  return out;
}

bool CopiesLeft(const ScratchDir& dir) {
  return dir.Exists(RecoveryPathFor(kRecordFileName)) ||
         dir.Exists(RecoveryPathFor(kRankingFileName));
}

TEST(BoothDay, CrashesKillsAndFailuresLoseNothingOfAFinishedPass) {
  const Files quit = QuitAfterThePass();
  ASSERT_TRUE(quit.record && quit.ranking);
  ASSERT_NE(quit.ranking->find("CHAMPION"), std::string::npos);

  struct Case {
    const char* name;
    std::function<void(const ScratchDir&)> before;  // the directory before the first run
    std::string firstRun;                           // played after `before`
    std::vector<std::string> firstBoxes;            // later boxes of the first run, in order
    std::string secondRun;                          // played next, after `between`
    std::function<void(const ScratchDir&)> between;
    std::vector<std::string> secondBoxes;
    int secondExit;
    bool filesAsAfterTheQuit;  // else: checked by `after`
    std::function<void(const ScratchDir&)> after;
  };
  const auto nothing = [](const ScratchDir&) {};
  const auto inTheWay = [](const ScratchDir& dir) {
    fs::create_directory(dir.PathOf(TemporaryPathFor(kRecordFileName)));
  };
  const std::vector<std::string> kUnreadableRanking = {
      "kv_rank.dat が読めません\n（同じ名前のフォルダがあります）\n"
      "記録は空から始めます。ファイルはそのままです\n",
      "kv_rank.dat を保存できませんでした\n（起動したときに読めませんでした）\n"
      "ファイルはそのままです\n"};
  const Case cases[] = {
      {"crash on the attract screen after the pass",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       true,
       nullptr},
      {"crash in the middle of the next pass",
       nothing,
       AfterThePass("tap 61000 SPACE 30\ncrash 63000\n"),
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       true,
       nullptr},
      {"the script's end is a kill too",
       nothing,
       WholePassScript(),
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       true,
       nullptr},
      {"ESC forgets the day and its copies",
       nothing,
       AfterThePass("down 61000 ESC\n"),
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       false,
       [](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kRecordFileName), "0.000000\r\n0.000000\r\n2\r\n");
       }},
      // The record's copy cannot be put back while a folder stands where its file is written
      // first; the game plays on with the copy's values, and Q saves the ranking alone.
      {"a copy that cannot be put back, and a half-failed Q",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       inTheWay,
       {"kavrel.dat に控えを戻せません\n（同じ名前のフォルダがあります）\n"
        "控えの記録で続けます。ファイルはそのままです\n",
        "kavrel.dat を保存できませんでした\n（同じ名前のフォルダがあります）\n"
        "ファイルはそのままです\n"},
       kDataNotSaved,
       false,
       [&quit](const ScratchDir& dir) {
         EXPECT_FALSE(dir.Exists(kRecordFileName));
         EXPECT_TRUE(dir.Exists(RecoveryPathFor(kRecordFileName)));
         EXPECT_EQ(dir.Read(kRankingFileName), quit.ranking);
         EXPECT_FALSE(dir.Exists(RecoveryPathFor(kRankingFileName)));
         // Once the way is clear, the kept copy comes back and nothing is rolled back.
         fs::remove(dir.PathOf(TemporaryPathFor(kRecordFileName)));
         EXPECT_EQ(Play(kQuitAtOnce).exitCode, 0);
         EXPECT_EQ(dir.Read(kRecordFileName), quit.record);
         EXPECT_EQ(dir.Read(kRankingFileName), quit.ranking);
         EXPECT_FALSE(CopiesLeft(dir));
       }},
      {"a data file that cannot be read",
       [](const ScratchDir& dir) { fs::create_directory(dir.PathOf(kRankingFileName)); },
       kQuitAtOnce, kUnreadableRanking, kQuitAtOnce, nothing, kUnreadableRanking, kDataNotSaved,
       false,
       [](const ScratchDir& dir) {
         EXPECT_TRUE(fs::is_directory(dir.PathOf(kRankingFileName)));
         EXPECT_EQ(dir.Read(kRecordFileName), "0.000000\r\n0.000000\r\n3\r\n");
       }},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    c.before(dir);
    const ReplayRun first = Play(c.firstRun);
    EXPECT_EQ(LaterBoxes(first), c.firstBoxes);
    c.between(dir);
    const ReplayRun second = Play(c.secondRun);
    EXPECT_EQ(LaterBoxes(second), c.secondBoxes);
    EXPECT_EQ(second.exitCode, c.secondExit);
    if (c.filesAsAfterTheQuit) {
      EXPECT_EQ(dir.Read(kRecordFileName), quit.record);
      EXPECT_EQ(dir.Read(kRankingFileName), quit.ranking);
      EXPECT_FALSE(CopiesLeft(dir));
    }
    if (c.after) c.after(dir);
  }
}

TEST(BoothDay, ASecondProgramInTheDirectoryTouchesNothing) {
  ScratchDir dir;
  dir.Write(kRecordFileName, "1.000000\r\n2.000000\r\n3\r\n");
  {
    const plat::DirectoryLock other(dir.Path());
    ASSERT_EQ(other.outcome(), plat::DirectoryLock::Outcome::Locked);
    const ReplayRun run = Play(kQuitAtOnce);
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_TRUE(run.frames.empty());
    ASSERT_EQ(run.messageBoxes.size(), 1u);
    EXPECT_EQ(SjisToUtf8(run.messageBoxes[0].text),
              "このフォルダではすでにゲームが動いています\n動いているゲームを使ってください\n");
    EXPECT_EQ(dir.Read(kRecordFileName), "1.000000\r\n2.000000\r\n3\r\n");
    EXPECT_FALSE(dir.Exists(kRankingFileName));
  }
  // Given up with its holder, and nothing is left behind.
  EXPECT_EQ(Play(kQuitAtOnce).exitCode, 0);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"kavrel.bmp", "kavrel.dat", "kv_rank.dat"}));
}

TEST(BoothDay, TheReplayToolDiesAtItsCrashTimeLeavingTheCopies) {
  ScratchDir dir;
  const std::string script = AfterThePass("crash 61000\nend 61000\n");
  dir.Write("s.replay", script);
  std::string err;
  EXPECT_EQ(RunReplayTool("s.replay --trace t.jsonl", &err), 6) << err;
  const std::string trace = dir.Read("t.jsonl").value_or("");
  EXPECT_EQ(trace.substr(trace.rfind('{')), "{\"ev\":\"crash\",\"tick\":61027}\n");
  EXPECT_FALSE(dir.Exists(kRecordFileName));
  EXPECT_TRUE(CopiesLeft(dir));
}

}  // namespace
