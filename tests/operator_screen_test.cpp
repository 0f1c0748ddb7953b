// The operator's screen driven by keys: each change it makes leaves the files that the ranking
// tool leaves when told the same on a copy of the same folder; F2 and the idle minute.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/CapturedOutput.h"
#include "tests/support/Scenario.h"
#include "tools/ranking/Run.h"

namespace {

namespace fs = std::filesystem;

// The whole pass, left on the attract screen without Q (its results are already durable).
std::string PassWithout(const std::string& keys) {
  std::string pass = WholePassScript();
  pass = pass.substr(0, pass.rfind("end "));
  return pass + keys;
}

// Taps one after another, 300 ms apart, from `at`.
std::string Taps(int at, const std::vector<std::string>& keys) {
  std::string text;
  for (const std::string& key : keys) {
    text += "tap " + std::to_string(at) + " " + key + " 50\n";
    at += 300;
  }
  return text;
}

struct Files {
  std::optional<std::string> record, ranking, log;
};

Files FilesOf(const ScratchDir& dir, const std::string& folder = "") {
  const std::string at = folder.empty() ? "" : folder + "/";
  return {dir.Read(at + "kavrel.dat"), dir.Read(at + "kv_rank.dat"), dir.Read(at + "kv_plays.csv")};
}

void ExpectSame(const Files& screen, const Files& tool) {
  EXPECT_EQ(screen.record, tool.record);
  EXPECT_EQ(screen.ranking, tool.ranking);
  EXPECT_EQ(screen.log, tool.log);
}

// The one kavrel-backup-* folder under `base`, relative to the scratch folder.
std::string BackupFolder(const std::string& base) {
  std::vector<std::string> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(base.empty() ? "." : base))
    if (entry.path().filename().string().rfind("kavrel-backup-", 0) == 0)
      found.push_back((base.empty() ? "" : base + "/") + entry.path().filename().string());
  EXPECT_EQ(found.size(), 1u);
  return found.empty() ? "" : found[0];
}

int Tool(std::vector<std::string> args) {
  Captured out;
  args.insert(args.begin(), {"--data-dir", fs::current_path().string()});
  return ranking::Run(args, out);
}

struct Change {
  const char* what;
  std::vector<std::string> keys;  // from F2 on the attract screen after the pass
  std::vector<std::string> tool;
};

TEST(OperatorScreen, EachChangeLeavesWhatTheToolLeaves) {
  const Change changes[] = {
      {"remove place 1",
       {"F2", "DOWN", "RETURN", "RETURN", "DOWN", "RETURN", "DOWN", "RETURN", "F2"},
       {"remove", "1"}},
      // Nine RETURNs on the wheel spell A eight times and confirm.
      {"rename place 2",
       {"F2", "DOWN", "RETURN", "DOWN", "RETURN", "RETURN", "RETURN", "RETURN", "RETURN", "RETURN",
        "RETURN", "RETURN", "RETURN", "RETURN", "RETURN", "F2"},
       {"rename", "2", "AAAAAAAA"}},
      {"a new day: both",
       {"F2", "UP", "UP", "UP", "RETURN", "DOWN", "DOWN", "RETURN", "DOWN", "RETURN", "F2"},
       {"reset", "all"}},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    const bool newDay = std::string(change.what).find("new day") != std::string::npos;
    Files tool, toolBackup;
    {
      ScratchDir dir;
      Play(PassWithout("end 62000\n"));
      if (newDay) {
        ASSERT_EQ(Tool({"list"}), 0);  // puts the pass's copies into the files, as a start does
        ASSERT_EQ(Tool({"backup"}), 0);
        toolBackup = FilesOf(dir, BackupFolder(""));
      }
      ASSERT_EQ(Tool(change.tool), 0);
      tool = FilesOf(dir);
    }
    ScratchDir dir;
    const ReplayRun run = Play(PassWithout(Taps(62000, change.keys) + "end 72000\n"));
    ExpectSame(FilesOf(dir), tool);
    EXPECT_EQ(Visits(run).back(), "attract");
    const std::optional<std::string> booth = dir.Read("kv_booth.log");
    ASSERT_TRUE(booth);
    EXPECT_NE(booth->find(",change,"), std::string::npos);
    // The backup written first holds the day as it was.
    if (newDay) ExpectSame(FilesOf(dir, BackupFolder("")), toolBackup);
  }
}

TEST(OperatorScreen, BacksUpOntoADriveAsTheToolDoes) {
  Files tool;
  {
    ScratchDir dir;
    Play(PassWithout("end 62000\n"));
    fs::create_directory("stick");
    ASSERT_EQ(Tool({"list"}), 0);  // puts the pass's copies into the files, as a start does
    ASSERT_EQ(Tool({"backup", "stick"}), 0);
    tool = FilesOf(dir, BackupFolder("stick"));
  }
  ScratchDir dir;
  fs::create_directory("stick");
  ReplayOptions options;
  options.drives = {{"stick", dir.PathOf("stick")}};
  Play(PassWithout(Taps(62000, {"F2", "DOWN", "DOWN", "DOWN", "RETURN", "DOWN", "RETURN", "F2"}) +
                   "end 66000\n"),
       options);
  ExpectSame(FilesOf(dir, BackupFolder("stick")), tool);
}

TEST(OperatorScreen, MergesAKeptCopyAsTheToolDoes) {
  // ESC after the pass keeps its results aside; the next start names them.
  const std::string esc = PassWithout("down 62000 ESC\nend 64000\n");
  Files tool;
  {
    ScratchDir dir;
    Play(esc);
    Play("end 100\n");
    std::string kept;
    for (const fs::directory_entry& entry : fs::directory_iterator("."))
      if (entry.path().filename().string().rfind("kv_rank.dat.kept-", 0) == 0)
        kept = entry.path().filename().string();
    ASSERT_FALSE(kept.empty());
    ASSERT_EQ(Tool({"merge", kept}), 0);
    tool = FilesOf(dir);
  }
  ScratchDir dir;
  Play(esc);
  // The kept copies are listed by name: kavrel.dat's first, then kv_rank.dat's.
  Play(Taps(1000, {"F2", "DOWN", "DOWN", "RETURN", "DOWN", "RETURN", "DOWN", "RETURN", "F2"}) +
       "end 5000\n");
  const Files screen = FilesOf(dir);
  EXPECT_EQ(screen.ranking, tool.ranking);
  EXPECT_EQ(screen.log, tool.log);
}

TEST(OperatorScreen, SetsAsideACopyStartUpCouldNotRead) {
  ScratchDir dir;
  dir.Write("kavrel.recovery", "garbage\n");
  Play(Taps(1000, {"F2", "DOWN", "DOWN", "RETURN", "RETURN", "DOWN", "RETURN", "F2"}) +
       "end 4000\n");
  EXPECT_FALSE(dir.Exists("kavrel.recovery"));
  bool setAside = false;
  for (const fs::directory_entry& entry : fs::directory_iterator("."))
    setAside |= entry.path().filename().string().rfind("kavrel.recovery.broken-", 0) == 0;
  EXPECT_TRUE(setAside);
  EXPECT_NE(dir.Read("kv_booth.log").value_or("").find(",change,Set kavrel.recovery aside"),
            std::string::npos);
}

// The sound's item, before the last three: each choice is kept in kv_settings.txt at once, and
// noted as a change.
TEST(OperatorScreen, KeepsTheSoundAsSetThere) {
  ScratchDir dir;
  Play(Taps(1000, {"F2", "UP", "UP", "UP", "UP", "RETURN", "DOWN", "RETURN", "RETURN", "DOWN",
                   "RETURN", "F2"}) +
       "end 6000\n");
  const std::string settings = dir.Read("kv_settings.txt").value_or("");
  EXPECT_NE(settings.find("volume = 8"), std::string::npos) << settings;
  EXPECT_NE(settings.find("call = on"), std::string::npos) << settings;
  EXPECT_NE(dir.Read("kv_booth.log").value_or("").find(",change,"), std::string::npos);
}

TEST(OperatorScreen, OpensOnlyFromTheAttractScreenAndGoesBackAfterAMinuteIdle) {
  ScratchDir dir;
  // F2 during the pass does nothing; on the attract screen it opens the screen, which goes back
  // after 60 s without a key, with the challenger number as it was.
  std::string keys = WholePassScript();
  keys = keys.substr(0, keys.rfind("end ")) + "tap 3000 F2 50\ntap 62000 F2 50\nend 130000\n";
  const ReplayRun run = Play(keys);
  const std::vector<const FrameRecord*> service = Frames(run, "service");
  ASSERT_FALSE(service.empty());
  EXPECT_GE(service.front()->tick, 62000u);
  const uint32_t open = service.back()->tick - service.front()->tick;
  EXPECT_GE(open, 59900u);
  EXPECT_LE(open, 60100u);
  const std::vector<std::string> visits = Visits(run);
  EXPECT_EQ(std::vector<std::string>(visits.end() - 3, visits.end()),
            (std::vector<std::string>{"attract", "service", "attract"}));
  EXPECT_EQ(run.frames.back().state.challengerNumber, service.front()->state.challengerNumber);
}

TEST(OperatorScreen, InBoothModeF2MustBeHeld) {
  ReplayOptions booth;
  booth.booth = true;
  {
    ScratchDir dir;
    EXPECT_TRUE(Frames(Play("tap 1000 F2 1900\nend 5000\n", booth), "service").empty());
  }
  ScratchDir dir;
  const ReplayRun run = Play("tap 1000 F2 2100\nend 5000\n", booth);
  const std::vector<const FrameRecord*> service = Frames(run, "service");
  ASSERT_FALSE(service.empty());
  EXPECT_GE(service.front()->tick, 3000u);
}

}  // namespace
