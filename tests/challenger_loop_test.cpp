#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/Main.h"
#include "platform/ShiftJis.h"
#include "store/DataFiles.h"
#include "tests/support/Scenario.h"

namespace {

std::string Repeat(const std::string& block, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += block;
  return out;
}

const std::string kFreshRanking = Repeat("0\r\nDEFAULT_\r\n", 5);

std::string ChallengerLine(const char* digits) {
  return Sjis(std::string("あなたは、") + digits + "人目の挑戦者です。");
}

TEST(ChallengerLoop, QuitAtOnceOnAFreshStartWritesBothFiles) {
  ScratchDir dir;
  ReplayRun run = Play("down 0 Q\n");
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.frames.size(), 1u);
  EXPECT_FALSE(run.frames[0].shown);
  EXPECT_TRUE(HasText(run.frames[0], ChallengerLine("００００１")));
  EXPECT_TRUE(HasText(run.frames[0], "DEFAULT_"));
  // The number rises on leaving the attract screen, whichever key left it.
  EXPECT_EQ(dir.Read(kRecordFileName), "0.000000\r\n0.000000\r\n2\r\n");
  EXPECT_EQ(dir.Read(kRankingFileName), kFreshRanking);
  EXPECT_EQ(kFreshRanking.size(), 65u);

  run = Play("down 0 Q\n");
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.frames.size(), 1u);
  EXPECT_TRUE(HasText(run.frames[0], ChallengerLine("００００２")));
  EXPECT_EQ(dir.Read(kRecordFileName), "0.000000\r\n0.000000\r\n3\r\n");
  EXPECT_FALSE(dir.Exists(TemporaryPathFor(kRecordFileName)));
  EXPECT_FALSE(dir.Exists(TemporaryPathFor(kRankingFileName)));
}

TEST(ChallengerLoop, SpaceAndQTogetherLetTheChallengerPlay) {
  ScratchDir dir;
  const ReplayRun run = Play("down 0 SPACE\ndown 0 Q\nup 10 SPACE\nend 1000\n");
  EXPECT_TRUE(run.endTick.has_value());
  ASSERT_GE(run.frames.size(), 2u);
  EXPECT_EQ(run.frames[0].screen, "attract");
  EXPECT_EQ(run.frames[1].screen, "windup");
  EXPECT_EQ(run.frames[1].state.keepRunning, 1);
  EXPECT_EQ(run.frames[1].state.challengerNumber, 2);
  EXPECT_FALSE(dir.Exists(kRecordFileName));  // nothing is written until an orderly quit
}

TEST(ChallengerLoop, ClosingTheWindowLeavesTheFilesAsTheyWere) {
  const std::string record = "12.500000\r\n700.000000\r\n41\r\n";
  const std::string ranking = "5\r\n  SPACE_\r\n" + Repeat("0\r\nDEFAULT_\r\n", 4);
  for (const char* script : {"down 100 ESC\n", "tap 0 SPACE 10\ndown 500 ESC\n"}) {
    SCOPED_TRACE(script);
    ScratchDir dir;
    dir.Write(kRecordFileName, record);
    dir.Write(kRankingFileName, ranking);
    const ReplayRun run = Play(script);
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_FALSE(run.frames.empty());
    EXPECT_FALSE(run.frames.back().shown);
    EXPECT_EQ(run.frames.back().state.ranking[0].name,
              (Name{' ', ' ', 'S', 'P', 'A', 'C', 'E', '_'}));
    EXPECT_EQ(dir.Read(kRecordFileName), record);
    EXPECT_EQ(dir.Read(kRankingFileName), ranking);
    // The sheet, both files and the lock file, which stays.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 4);
  }
}

TEST(ChallengerLoop, UnusualNamesAndNegativeValuesSurviveAQuit) {
  ScratchDir dir;
  std::string ranking;
  ranking += "-5\r\n   ~ ~ ~\r\n";
  ranking += "2147483647\r\n\x1f!\"#$%&'\r\n";
  ranking += "7\n{|}~@[\\]\n";  // LF alone, as another editor may leave it
  ranking += "0\r\n        \r\n";
  ranking += "-2147483648\r\n_______A\r\n";
  dir.Write(kRankingFileName, ranking);
  dir.Write(kRecordFileName, "-1.500000\r\n2.250000\r\n-10\r\n");
  const ReplayRun run = Play("down 0 Q\n");
  EXPECT_EQ(run.exitCode, 0);
  std::string canonical = ranking;
  canonical.replace(canonical.find("7\n"), 11, "7\r\n{|}~@[\\]\r\n");
  EXPECT_EQ(dir.Read(kRankingFileName), canonical);
  EXPECT_EQ(dir.Read(kRecordFileName), "-1.500000\r\n2.250000\r\n-9\r\n");
}

TEST(ChallengerLoop, TheWaitSurvivesTheTickCountWrapping) {
  ScratchDir dir;
  const ReplayRun run = Play("tick 4294967290\nend 200\n");
  ASSERT_GE(run.frames.size(), 3u);
  EXPECT_EQ(run.frames[0].tick, 4294967290u);
  for (size_t i = 1; i < run.frames.size(); ++i) {
    EXPECT_EQ(run.frames[i].tick - run.frames[i - 1].tick, 33u) << i;
  }
  EXPECT_EQ(run.frames[1].tick, 27u);
}

TEST(ChallengerLoop, ExitCodeTellsWhetherTheRankingFileWasSaved) {
  ScratchDir dir;
  dir.Write(kRankingFileName, "3\r\nOLDFILE_\r\n");
  // Something in the way of the ranking file's temporary file: it cannot be created.
  std::filesystem::create_directory(dir.PathOf(TemporaryPathFor(kRankingFileName)));
  ReplayRun run = Play("down 0 Q\n");
  EXPECT_EQ(run.exitCode, kDataNotSaved);
  EXPECT_EQ(dir.Read(kRankingFileName), "3\r\nOLDFILE_\r\n");
  EXPECT_EQ(dir.Read(kRecordFileName), "0.000000\r\n0.000000\r\n2\r\n");

  // No window: nothing is done at all.
  std::filesystem::remove(dir.PathOf(kRecordFileName));
  ReplayOptions options;
  options.entry = [](plat::System& system, FrameObserver* observer) {
    static_cast<plat::VirtualSystem&>(system).failWindowCreation = true;
    return kavrel::WinMain(system, observer);
  };
  run = Play("down 0 Q\n", options);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.frames.empty());
  EXPECT_FALSE(dir.Exists(kRecordFileName));
}

}  // namespace
