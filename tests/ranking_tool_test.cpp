#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <chrono>
#include <thread>
#endif

#include "platform/DirectoryLock.h"
#include "store/DataFiles.h"
#include "store/PlayLog.h"
#include "store/RecoveryCopy.h"
#include "store/SafeFile.h"
#include "tests/support/CapturedOutput.h"
#include "tests/support/Scenario.h"
#include "tools/ranking/Run.h"
#include "upkeep/Edits.h"
#ifdef _WIN32
#include "platform/win/WinHost.h"
#endif

namespace {

namespace fs = std::filesystem;

std::string Ranking(std::vector<std::pair<int, std::string>> entries) {
  RankingTable table;
  for (size_t z = 0; z < entries.size(); ++z) {
    table[z].score = entries[z].first;
    std::copy_n(entries[z].second.begin(), 8, table[z].name.begin());
  }
  return FormatRankingFile(table);
}

std::string Record(double distance, double bounce, int number) {
  GameState state;
  state.bestDistance = distance;
  state.bestBounce = bounce;
  state.challengerNumber = number;
  return FormatRecordFile(state);
}

const std::string kHere = Ranking({{500, "ALICE___"},
                                   {400, "BOB_____"},
                                   {400, "CAROL___"},
                                   {300, "DAVE____"},
                                   {200, "EVE_____"}});
const std::string kOther = Ranking({{450, "ZED_____"}, {400, "YUKI____"}, {100, "X_______"}});
const std::string kLate = Ranking({{400, "LATE____"}});
const std::string kRecord = Record(1234.5, 87.25, 41);
const std::string kFreshRanking = Ranking({});

std::string LfOnly(std::string bytes) {
  std::string out;
  for (char c : bytes)
    if (c != '\r') out += c;
  return out;
}

// What the game writes at its first Q in a directory without data files.
struct FreshGame {
  std::string record, ranking;
};
FreshGame FirstQ() {
  ScratchDir dir;
  Play("tap 100 Q 50\nend 5000\n");
  return {dir.Read(kRecordFileName).value_or(""), dir.Read(kRankingFileName).value_or("")};
}

constexpr const char* kUnchanged = "(unchanged)";

struct Case {
  const char* what;
  std::vector<std::string> args;
  int code;
  std::string rankingAfter = kUnchanged;  // or the bytes
  std::string recordAfter = kUnchanged;
  std::string rankingBefore = kHere;
  std::string recordBefore = kRecord;
  const char* said = "";  // a part of the one line of a refusal
};

TEST(RankingTool, CommandsAndBadInputOverTheGamesFiles) {
  const FreshGame fresh = FirstQ();
  ASSERT_EQ(fresh.ranking, kFreshRanking);
  ASSERT_EQ(fresh.record, "0.000000\r\n0.000000\r\n2\r\n");
  const std::string broken = std::string(kHere).replace(kHere.find("400"), 3, "4O0");
  const Case cases[] = {
      {"remove the first place",
       {"remove", "1"},
       0,
       Ranking({{400, "BOB_____"}, {400, "CAROL___"}, {300, "DAVE____"}, {200, "EVE_____"}})},
      {"remove the last place",
       {"remove", "5"},
       0,
       Ranking({{500, "ALICE___"}, {400, "BOB_____"}, {400, "CAROL___"}, {300, "DAVE____"}})},
      {"rename pads with the wheel's underscore",
       {"rename", "3", "Q w~ 1"},
       0,
       std::string(kHere).replace(kHere.find("CAROL___"), 8, "Q w~ 1__")},
      {"a hand-written file with LF line ends is taken",
       {"remove", "2"},
       0,
       Ranking({{500, "ALICE___"}, {400, "CAROL___"}, {300, "DAVE____"}, {200, "EVE_____"}}),
       kUnchanged,
       LfOnly(kHere)},
      {"merge keeps the five best, entries here first at equal scores",
       {"merge", "../other.dat", "../late.dat"},
       0,
       Ranking({{500, "ALICE___"},
                {450, "ZED_____"},
                {400, "BOB_____"},
                {400, "CAROL___"},
                {400, "YUKI____"}})},
      {"merge into a directory without files",
       {"merge", "../late.dat"},
       0,
       Ranking({{400, "LATE____"}}),
       kUnchanged,
       "",
       ""},
      {"reset ranking, record kept", {"reset", "ranking"}, 0, fresh.ranking},
      {"reset record, ranking kept", {"reset", "record"}, 0, kUnchanged, fresh.record},
      {"reset all is the first Q of a fresh game",
       {"reset", "all"},
       0,
       fresh.ranking,
       fresh.record},
      {"reset mends a broken ranking file",
       {"reset", "ranking"},
       0,
       fresh.ranking,
       kUnchanged,
       broken},
      {"list changes nothing", {"list"}, 0},
      {"place 0", {"remove", "0"}, 1, kUnchanged, kUnchanged, kHere, kRecord, "\"0\""},
      {"place 6", {"rename", "6", "A"}, 1, kUnchanged, kUnchanged, kHere, kRecord, "\"6\""},
      {"a name too long",
       {"rename", "1", "ABCDEFGHI"},
       1,
       kUnchanged,
       kUnchanged,
       kHere,
       kRecord,
       "\"ABCDEFGHI\""},
      {"a character the wheel cannot spell",
       {"rename", "1", "AB\xC3\x84"},
       1,
       kUnchanged,
       kUnchanged,
       kHere,
       kRecord,
       "\"\xC3\x84\""},
      {"reset needs its argument's word",
       {"reset", "everything"},
       1,
       kUnchanged,
       kUnchanged,
       kHere,
       kRecord,
       "\"everything\""},
      {"a mistyped score is refused, naming its line",
       {"remove", "5"},
       1,
       kUnchanged,
       kUnchanged,
       broken,
       kRecord,
       "kv_rank.dat"},
      {"a ranking saved as UTF-8 with a byte-order mark",
       {"rename", "1", "A"},
       1,
       kUnchanged,
       kUnchanged,
       "\xEF\xBB\xBF" + kHere,
       kRecord,
       "kv_rank.dat"},
      {"list refuses a broken record",
       {"list"},
       1,
       kUnchanged,
       kUnchanged,
       kHere,
       "12.5\r\n0\r\n3\r\n",
       "kavrel.dat"},
      {"a merge file that is not a ranking file",
       {"merge", "../record.dat"},
       1,
       kUnchanged,
       kUnchanged,
       kHere,
       kRecord,
       "record.dat"},
      {"merge refuses the folder's own ranking, which would count every entry twice",
       {"merge", "kv_rank.dat"},
       1,
       kUnchanged,
       kUnchanged,
       kHere,
       kRecord,
       "kv_rank.dat"},
      // A later visitor of the same name and score as the crashed run's is another pass.
      {"a kept-aside copy adds what its run added, whatever the ranking holds",
       {"merge", "../kv_rank.dat.kept-1"},
       0,
       Ranking({{500, "ALICE___"},
                {400, "BOB_____"},
                {400, "CAROL___"},
                {300, "DAVE____"},
                {300, "DAVE____"}})},
      {"a kept-aside copy merged once is not added again", {"merge", "../kv_rank.dat.kept-1"}, 0},
      {"a merge file that is not there",
       {"merge", "../none.dat"},
       1,
       kUnchanged,
       kUnchanged,
       kHere,
       kRecord,
       "none.dat"},
      {"a directory in the way of the ranking file",
       {"remove", "1"},
       1,
       kUnchanged,
       kUnchanged,
       "(directory)",
       kRecord,
       "kv_rank.dat"},
      // A stick not plugged in: not found, and the way out names the stick in both languages.
      {"a backup onto a folder that is not there",
       {"backup", "../no-stick"},
       1,
       kUnchanged,
       kUnchanged,
       kHere,
       kRecord,
       "USB"},
      {"a kept-aside name found in neither folder",
       {"merge", "kv_rank.dat.kept-20261208-090000"},
       1,
       kUnchanged,
       kUnchanged,
       kHere,
       kRecord,
       "kv_rank.dat.kept-20261208-090000"},
      {"no command", {}, 2},
      {"an unknown command", {"sort"}, 2},
      {"remove without its place", {"remove"}, 2},
  };
  ScratchDir outside;
  outside.Write("other.dat", kOther);
  outside.Write("late.dat", kLate);
  outside.Write("record.dat", kRecord);
  outside.Write("kv_rank.dat.kept-1",
                EncodeRecoveryCopy(kRankingFileName, Ranking({{100, "OLD_____"}}),
                                   Ranking({{300, "DAVE____"}, {100, "OLD_____"}})));
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A directory of its own (Windows removes no directory that is a current one).
    const fs::path dir = fs::path(outside.Path()) / ("booth" + std::to_string(++n));
    fs::create_directory(dir);
    auto write = [&](const char* file, const std::string& bytes) {
      if (bytes == "(directory)") {
        fs::create_directory(dir / file);
      } else if (!bytes.empty()) {
        std::ofstream(dir / file, std::ios::binary) << bytes;
      }
    };
    write(kRankingFileName, c.rankingBefore);
    write(kRecordFileName, c.recordBefore);
    std::vector<std::string> args = {"--data-dir", dir.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    // Merge files are named from where the tool starts.
    fs::current_path(dir);
    Captured out;
    EXPECT_EQ(ranking::Run(args, out), c.code) << out.lines;
    EXPECT_EQ(fs::current_path(), dir);
    if (c.code != 0) {
      ASSERT_EQ(out.problems.size(), 1u);
      EXPECT_NE(out.problems[0].find(c.said), std::string::npos) << out.problems[0];
    }
    auto read = [&](const char* file) -> std::optional<std::string> {
      std::ifstream in(dir / file, std::ios::binary);
      if (!in) return std::nullopt;
      std::ostringstream bytes;
      bytes << in.rdbuf();
      return bytes.str();
    };
    const std::string rankingNow = read(kRankingFileName).value_or("");
    const std::string recordNow = read(kRecordFileName).value_or("");
    const bool rankingIsFile = fs::is_regular_file(dir / kRankingFileName);
    EXPECT_EQ(rankingNow, c.rankingAfter == kUnchanged ? (rankingIsFile ? c.rankingBefore : "")
                                                       : c.rankingAfter);
    EXPECT_EQ(recordNow, c.recordAfter == kUnchanged ? c.recordBefore : c.recordAfter);
    for (const auto& entry : fs::directory_iterator(dir)) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == kRankingFileName || name == kRecordFileName ||
                  name == plat::kLockFileName)
          << name << " left behind";
    }
    if (c.code != 0 || !rankingIsFile) continue;
    // The game reads back what the tool wrote and writes the same bytes at its next Q, with the
    // challenger number raised by the quit.
    fs::copy_file(outside.PathOf("kavrel.bmp"), dir / "kavrel.bmp");
    Play("tap 100 Q 50\nend 5000\n");
    EXPECT_EQ(read(kRankingFileName), rankingNow);
    GameState expected = ranking::RecordFrom(recordNow);
    ++expected.challengerNumber;
    EXPECT_EQ(read(kRecordFileName), FormatRecordFile(expected));
  }
  fs::current_path(outside.Path());
}

// The tool's own program, in the current directory (run after `runAs`, on Linux); its exit code.
int RunTool(const std::string& args, std::string& output,
            [[maybe_unused]] const std::string& runAs = "") {
  const std::string outFile = "tool-output.txt";
#ifdef _WIN32
  const std::string tool = plat::win::ExecutableDirectory() + "\\kavrel-ranking.exe";
  const int status =
      std::system(("\"\"" + tool + "\" " + args + " >" + outFile + " 2>&1\"").c_str());
#else
  const std::string tool = std::string(KAVREL_BINARY_DIR) + "/kavrel-ranking";
  const int raw =
      std::system((runAs + " '" + tool + "' " + args + " >" + outFile + " 2>&1").c_str());
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  std::ifstream in(outFile, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  output = text.str();
  in.close();
  fs::remove(outFile);
  return status;
}

TEST(RankingTool, WaitsForTheGameThenRestoresItsCopyBeforeTheEdit) {
  ScratchDir outside(false);
  fs::create_directory("booth");
  const fs::path booth = fs::path(outside.Path()) / "booth";
  std::ofstream(booth / kRankingFileName, std::ios::binary) << kHere;
  std::ofstream(booth / kRecordFileName, std::ios::binary) << kRecord;
  // The game's latest pass, not yet saved: a new entry at place 2.
  const std::string copy = Ranking({{500, "ALICE___"},
                                    {480, "NEWCOMER"},
                                    {400, "BOB_____"},
                                    {400, "CAROL___"},
                                    {300, "DAVE____"}});
  std::ofstream(booth / (std::string(kRankingFileName) + ".recovery"), std::ios::binary) << copy;
  std::string output;
  {
    const plat::DirectoryLock game(booth.string());
    ASSERT_EQ(game.outcome(), plat::DirectoryLock::Outcome::Locked);
    EXPECT_EQ(RunTool("--data-dir booth remove 1", output), ranking::kDirectoryBusy);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
    EXPECT_EQ(outside.Read("booth/kv_rank.dat"), kHere);
    EXPECT_EQ(outside.Read("booth/kv_rank.dat.recovery"), copy);
    // Beside a running game, list reads the file as it is and tells of the copy.
    EXPECT_EQ(RunTool("--data-dir booth list", output), 0);
    EXPECT_NE(output.find("ALICE___"), std::string::npos) << output;
    EXPECT_EQ(output.find("NEWCOMER"), std::string::npos) << output;
    EXPECT_NE(output.find("kv_rank.dat.recovery"), std::string::npos) << output;
  }
  // The game has crashed: its copy goes into the file first, then the edit is made on it.
  EXPECT_EQ(RunTool("--data-dir booth remove 1", output), 0) << output;
  EXPECT_EQ(outside.Read("booth/kv_rank.dat"),
            Ranking({{480, "NEWCOMER"}, {400, "BOB_____"}, {400, "CAROL___"}, {300, "DAVE____"}}));
  EXPECT_FALSE(outside.Exists("booth/kv_rank.dat.recovery"));
  EXPECT_EQ(outside.Read("booth/kavrel.dat"), kRecord);
}

#ifndef _WIN32
// A copy goes only once its file is saved: the crashed game's copy, put back but not removed at the
// tool's start, stays when the edit's save then fails (the first removal and the third rename
// fail).
TEST(RankingTool, AFailedSaveLeavesTheCopyOfItsFile) {
  if (std::system("strace -V > /dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  ScratchDir dir;
  Play(WholePassScript() + "crash 61000\n");
  const std::optional<std::string> copy = dir.Read(kPassCopyFileName);
  ASSERT_TRUE(copy);
  std::string output;
  EXPECT_EQ(RunTool("--data-dir . remove 1", output,
                    "strace -f -qq -o /dev/null -e inject=unlink,unlinkat:error=EBUSY:when=1 "
                    "-e inject=rename,renameat,renameat2:error=EIO:when=3"),
            ranking::kRefused)
      << output;
  EXPECT_EQ(dir.Read(kPassCopyFileName), copy) << output;
  EXPECT_NE(dir.Read(kRankingFileName).value_or("").find("CHAMPION"), std::string::npos);
  EXPECT_EQ(RunTool("--data-dir . remove 1", output), ranking::kDone) << output;
  EXPECT_FALSE(dir.Exists(kPassCopyFileName));
}
#endif

#ifndef _WIN32  // modes and user ids; Windows keeps a lock of its own
// Another program that holds `directory`'s lock as `user` until it is destroyed.
class HeldElsewhere {
 public:
  HeldElsewhere(const std::string& directory, const Unprivileged& user) {
    int ready[2], release[2];
    if (pipe2(ready, O_CLOEXEC) != 0 || pipe2(release, O_CLOEXEC) != 0) return;
    child_ = fork();
    if (child_ == 0) {
      close(ready[0]);
      close(release[1]);
      if (geteuid() == 0 &&
          (setgroups(0, nullptr) != 0 || setgid(user.gid) != 0 || setuid(user.uid) != 0))
        _exit(1);
      const plat::DirectoryLock lock(directory);
      const char outcome = static_cast<char>(lock.outcome());
      char c;
      if (write(ready[1], &outcome, 1) == 1) (void)!read(release[0], &c, 1);  // until released
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char byte = -1;
    if (child_ > 0 && read(ready[0], &byte, 1) == 1)
      outcome = static_cast<plat::DirectoryLock::Outcome>(byte);
    close(ready[0]);
  }
  ~HeldElsewhere() {
    close(release_);
    if (child_ > 0) waitpid(child_, nullptr, 0);
  }
  std::optional<plat::DirectoryLock::Outcome> outcome;

 private:
  pid_t child_ = -1;
  int release_ = -1;
};

std::vector<std::string> TraceLines(const ScratchDir& dir) {
  std::vector<std::string> lines;
  std::istringstream in(dir.Read("t.jsonl").value_or(""));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// In a folder that may be written but not read, a lock file keeps one program to the folder just
// as the folder's own lock does. Where not even that file can be locked, the game plays on after
// one box, and the tool changes nothing unless it is told that no game runs there.
TEST(RankingTool, AFolderThatMayNotBeReadIsLockedThroughAFile) {
  std::string why;
  const std::optional<Unprivileged> user = UnprivilegedUser(why);
  if (!user) GTEST_SKIP() << why;
  ScratchDir dir;
  Play(WholePassScript() + "crash 61000\n");  // the day's results wait in recovery copies
  const std::string copy = dir.Read(kPassCopyFileName).value_or("");
  ASSERT_NE(copy.find("CHAMPION"), std::string::npos);
  dir.Write("q.txt", "tap 100 Q 50\nend 5000\n");
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    ASSERT_EQ(chown(entry.path().c_str(), user->uid, user->gid), 0);
  ASSERT_EQ(chown(dir.Path().c_str(), user->uid, user->gid), 0);
  fs::permissions(dir.Path(), fs::perms::owner_write | fs::perms::owner_exec);
  const auto unchanged = [&] {
    EXPECT_FALSE(dir.Exists(kRankingFileName));
    EXPECT_EQ(dir.Read(kPassCopyFileName), copy);
  };
  std::string output;
  {
    const HeldElsewhere game(dir.Path(), *user);
    ASSERT_EQ(game.outcome, plat::DirectoryLock::Outcome::Locked);
    EXPECT_TRUE(dir.Exists(plat::kLockFileName));
    EXPECT_EQ(RunReplayTool("q.txt --trace t.jsonl", nullptr, user->runAs), 5);
    const std::vector<std::string> trace = TraceLines(dir);
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_NE(trace[0].find("このフォルダではすでにゲームが動いています"), std::string::npos);
    EXPECT_EQ(trace[1], "{\"ev\":\"exit\",\"code\":5}");
    EXPECT_EQ(RunTool("--data-dir . remove 1", output, user->runAs), ranking::kDirectoryBusy)
        << output;
    unchanged();
    EXPECT_EQ(RunTool("--data-dir . list", output, user->runAs), 0);
    EXPECT_NE(output.find("DEFAULT_"), std::string::npos) << output;
    unchanged();
  }
  // A lock file this user may not write (another user's, of an earlier version) counts as held,
  // and the box names its owner.
  fs::permissions(dir.PathOf(plat::kLockFileName), fs::perms::owner_read);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(dir.PathOf(plat::kLockFileName).c_str(), 0, 0), 0);
    EXPECT_EQ(RunTool("--data-dir . remove 1", output, user->runAs), ranking::kDirectoryBusy);
    EXPECT_NE(output.find(".kavrel.lock"), std::string::npos) << output;
    unchanged();
    ASSERT_EQ(RunReplayTool("q.txt --trace t.jsonl", nullptr, user->runAs), 5);
    EXPECT_NE(TraceLines(dir)[0].find(".kavrel.lock は root のもの"), std::string::npos);
    unchanged();
  }
  // This user's own, made read-only, is no game: the folder or the file cannot be written.
  ASSERT_EQ(chown(dir.PathOf(plat::kLockFileName).c_str(), user->uid, user->gid), 0);
  EXPECT_EQ(RunTool("--data-dir . remove 1", output, user->runAs), ranking::kRefused);
  EXPECT_NE(output.find("cannot be written"), std::string::npos) << output;
  unchanged();
  // With no lock file to be had at all (a folder of this user's that it may not write), the game
  // plays on after one box, and the tool says that the folder cannot be written.
  fs::remove(dir.PathOf(plat::kLockFileName));
  fs::permissions(dir.Path(), fs::perms::owner_exec);
  EXPECT_EQ(RunTool("--data-dir . remove 1", output, user->runAs), ranking::kRefused);
  EXPECT_NE(output.find("cannot be written"), std::string::npos) << output;
  EXPECT_EQ(RunReplayTool("q.txt", nullptr, user->runAs), 255);
  // A folder of this user's own made read-only, its files too: told as what it is, and the game
  // plays on keeping nothing.
  fs::permissions(dir.Path(), fs::perms::owner_all);
  dir.Write(plat::kLockFileName, "");
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    ASSERT_EQ(chown(entry.path().c_str(), user->uid, user->gid), 0);
    fs::permissions(entry.path(), fs::perms::owner_read);
  }
  fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  const std::string trace =
      (fs::temp_directory_path() / ("kavrel-ro-" + std::to_string(getpid()) + ".jsonl")).string();
  EXPECT_NE(RunReplayTool("q.txt --trace " + trace, nullptr, user->runAs), 5);
  {
    std::ifstream in(trace, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    output = bytes.str();
  }
  fs::remove(trace);
  EXPECT_EQ(output.find("すでにゲームが動いています"), std::string::npos) << output;
  EXPECT_NE(output.find("このフォルダ（またはロックファイル .kavrel.lock）に書き込めません"),
            std::string::npos)
      << output;
  fs::permissions(dir.Path(), fs::perms::owner_all);  // for the clean-up
}

// Two users who differ in what they may read in a folder (root reads it, the other may only
// write and pass through it) still keep each other out of it, both ways round.
TEST(RankingTool, TwoUsersNeverRunTwoProgramsInOneFolder) {
  std::string why;
  const std::optional<Unprivileged> user = UnprivilegedUser(why);
  if (!user || geteuid() != 0) GTEST_SKIP() << (user ? "not root" : why);
  ScratchDir dir;
  dir.Write("q.txt", "tap 100 Q 50\nend 5000\n");
  fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::others_write |
                                  fs::perms::others_exec | fs::perms::group_write |
                                  fs::perms::group_exec);
  const Unprivileged root{"", 0, 0};
  std::string output;
  for (const bool rootFirst : {true, false}) {
    SCOPED_TRACE(rootFirst ? "root holds the folder" : "the other user holds the folder");
    const HeldElsewhere holder(dir.Path(), rootFirst ? root : *user);
    ASSERT_EQ(holder.outcome, plat::DirectoryLock::Outcome::Locked);
    const std::string second = rootFirst ? user->runAs : "";
    EXPECT_EQ(RunReplayTool("q.txt", nullptr, second), 5);
    EXPECT_EQ(RunTool("--data-dir . reset all", output, second), ranking::kDirectoryBusy) << output;
    EXPECT_FALSE(dir.Exists(kRankingFileName));
  }
  fs::permissions(dir.Path(), fs::perms::owner_all);
}
#endif

TEST(RankingTool, BackupCopiesEveryFileOfTheDayIntoANewFolder) {
  ScratchDir dir(false);
  dir.Write(kRankingFileName, kHere);
  dir.Write(kRecordFileName, kRecord);
  const std::string log = PlayLogHead() + "2026-12-08,14:03:05,+09:00,17,1.0,2.0,3,J,A,\r\n";
  dir.Write(kPlayLogFileName, log);
  dir.Write(kPlayLogSideFileName, "torn");
  dir.Write(kPlayLogMoveFileName, "120");  // a move cut short: put back without it, it repeats
  dir.Write("kv_booth.log", "booth");
  dir.Write("kv_settings.txt", "volume = 3\n");
  dir.Write("kv_controls.txt", "NUMPAD1 = button 5\n");
  // Every copy that holds results, as it is, whatever its state: a pass copy waiting (never put
  // back first), a broken one, kept ones, the note of an ESC.
  const std::vector<std::pair<std::string, std::string>> copies = {
      {"kavrel.recovery", "kavrel recovery of a pass\nbroken"},
      {"kv_rank.dat.recovery", "older"},
      {"kv_rank.dat.kept-20261208-101500", "kept"},
      {"kavrel.dat.kept-20261208-101500", "kept too"},
      {"kavrel.recovery.broken-20261208-090000", "set aside"},
      {".kavrel.kept", "kv_rank.dat.kept-20261208-101500\n"}};
  for (const auto& [file, bytes] : copies) dir.Write(file, bytes);
  dir.Write("notes.txt", "not the game's");
  Captured out;
  ASSERT_EQ(ranking::Run({"--data-dir", dir.Path(), "backup"}, out), 0) << out.problems[0];
  std::vector<fs::path> made;
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    if (entry.is_directory()) made.push_back(entry.path());
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0].filename().string().rfind("kavrel-backup-", 0), 0u);
  const std::string name = made[0].filename().string();
  EXPECT_EQ(dir.Read(name + "/kv_rank.dat"), kHere);
  EXPECT_EQ(dir.Read(name + "/kavrel.dat"), kRecord);
  EXPECT_EQ(dir.Read(name + "/kv_plays.csv"), log);
  EXPECT_EQ(dir.Read(name + "/kv_plays.csv.pending"), "torn");
  EXPECT_EQ(dir.Read(name + "/kv_plays.csv.moving"), "120");
  EXPECT_EQ(dir.Read(name + "/kv_booth.log"), "booth");
  EXPECT_EQ(dir.Read(name + "/kv_settings.txt"), "volume = 3\n");
  EXPECT_EQ(dir.Read(name + "/kv_controls.txt"), "NUMPAD1 = button 5\n");
  for (const auto& [file, bytes] : copies) EXPECT_EQ(dir.Read(name + "/" + file), bytes) << file;
  EXPECT_EQ(dir.Read(kRankingFileName), kHere);
  EXPECT_EQ(std::distance(fs::directory_iterator(made[0]), fs::directory_iterator()), 14);
}

#ifdef _WIN32
// A reader that holds the file without sharing its deletion for a moment (a virus scanner, the
// indexer, C's own open) does not make the game's save fail.
TEST(RankingTool, TheSaveWaitsForAReaderThatLetsGoSoon) {
  ScratchDir dir(false);
  dir.Write(kRankingFileName, kHere);
  std::ifstream reader(dir.PathOf(kRankingFileName), std::ios::binary);
  ASSERT_TRUE(reader.is_open());
  std::thread letGo([&reader] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    reader.close();
  });
  int error = 0;
  EXPECT_TRUE(ReplaceFile(PosixFileOps(), kRankingFileName, kFreshRanking, &error)) << error;
  letGo.join();
  EXPECT_EQ(dir.Read(kRankingFileName), kFreshRanking);
}
#endif

}  // namespace
