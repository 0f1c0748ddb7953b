// Hostile files and failing disks through the whole game: a broken sprite sheet or data file gives
// its message box or silent fallback and the game plays on; a save that fails or is cut short at
// any step leaves each data file either old or complete, never half-written.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ShiftJis.h"
#include "store/DataFiles.h"
#include "store/Recovery.h"
#include "store/SafeFile.h"
#include "tests/support/BmpFile.h"
#include "tests/support/Scenario.h"

namespace {

namespace fs = std::filesystem;

std::string Repeat(const std::string& block, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += block;
  return out;
}

const std::string kFreshRanking = Repeat("0\r\nDEFAULT_\r\n", 5);

std::string Bytes(const std::vector<uint8_t>& v) {
  return std::string(v.begin(), v.end());
}

// A valid 16 x 4 sheet, to be cut or bent.
std::string Sheet(int width = 16, int height = 4) {
  std::vector<uint8_t> b =
      testbmp::Make(16, std::vector<std::vector<uint8_t>>(4, std::vector<uint8_t>(16, 9)));
  testbmp::Put32(b, 18, static_cast<uint32_t>(width));
  testbmp::Put32(b, 22, static_cast<uint32_t>(height));
  return Bytes(b);
}

// Every text the game drew stayed within the 256-byte text buffer.
void ExpectTextsBounded(const ReplayRun& run) {
  for (const FrameRecord& f : run.frames) {
    for (const DrawOp& op : f.ops) {
      if (op.kind == DrawOp::Text) {
        ASSERT_LE(op.text.size(), 255u) << "frame " << f.n;
      }
    }
  }
}

TEST(BrokenSpriteSheet, EachGivesItsBoxesAndTheGamePlaysOn) {
  const std::string notBitmap = Sjis("kavrel.bmp はＢＭＰファイルではありません\n");
  const std::string cannotOpen = Sjis("ＢＭＰファイル(kavrel.bmp)が開けません\n");
  const std::string noMemory = Sjis("メモリが足りません");
  struct Case {
    const char* what;
    std::string bytes;  // empty with directory set: a directory of that name
    bool directory;
    std::string box;  // shown twice, by the palette and the pixel loader; empty: none
    std::string caption;
  };
  const std::string whole = Sheet();
  std::string offsetPastEnd = whole;
  offsetPastEnd[10] = offsetPastEnd[11] = offsetPastEnd[12] = offsetPastEnd[13] = '\xff';
  const std::vector<Case> cases = {
      {"empty", "", false, notBitmap, "CCDraw Error"},
      {"directory", "", true, cannotOpen, "Error"},
      {"cut in the header", whole.substr(0, 20), false, notBitmap, "CCDraw Error"},
      {"cut in the colour table", whole.substr(0, 54 + 300), false, "", ""},
      {"cut in the pixels", whole.substr(0, whole.size() - 20), false, "", ""},
      {"zero wide", Sheet(0, 4), false, notBitmap, "CCDraw Error"},
      {"negative height", Sheet(16, -4), false, notBitmap, "CCDraw Error"},
      {"100000 pixels wide", Sheet(100000, 4), false, noMemory, "TM4GV"},
      {"pixel offset past the end", offsetPastEnd, false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir(false);
    if (c.directory) {
      fs::create_directory(dir.PathOf("kavrel.bmp"));
    } else {
      dir.Write("kavrel.bmp", c.bytes);
    }
    // A pass begins, then the window is closed: the game ran on after the boxes.
    ReplayRun run = Play("tap 100 SPACE 50\nend 3000\n");
    // The start-up box comes first, then the loaders' boxes.
    ASSERT_FALSE(run.messageBoxes.empty());
    EXPECT_EQ(run.messageBoxes[0].caption, "INFORMATION");
    const std::vector<MessageBoxRecord> boxes(run.messageBoxes.begin() + 1, run.messageBoxes.end());
    if (c.box.empty()) {
      EXPECT_TRUE(boxes.empty());
    } else {
      ASSERT_EQ(boxes.size(), 2u);
      for (const MessageBoxRecord& box : boxes) {
        EXPECT_EQ(box.text, c.box);
        EXPECT_EQ(box.caption, c.caption);
      }
    }
    EXPECT_TRUE(run.endTick.has_value());
    ASSERT_FALSE(Frames(run, "windup").empty());
    const FrameRecord& attract = *Frames(run, "attract").front();
    EXPECT_TRUE(attract.shown);
    EXPECT_TRUE(HasText(attract, Sjis("今日の一言↓")));

    // And an orderly quit still saves.
    run = Play("down 0 Q\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(dir.Read(kRankingFileName), kFreshRanking);
  }
}

TEST(HostileDataFiles, QuitAtOnceRewritesThemWellFormed) {
  struct Case {
    const char* what;
    std::string record, ranking;
    std::string savedRecord, savedRanking;
  };
  const std::string tenThousand(10000, '7');
  const std::vector<Case> cases = {
      {"largest doubles", "1e308\r\n-1e308\r\n5\r\n", kFreshRanking, "", kFreshRanking},
      {"nan and infinity", "nan\r\ninf\r\n5\r\n", kFreshRanking, "0.000000\r\n0.000000\r\n2\r\n",
       kFreshRanking},
      {"letters", "12.5\r\nabc\r\n5\r\n", "abc\r\n", "12.500000\r\n0.000000\r\n2\r\n",
       kFreshRanking},
      {"a 10,000-character line", "3.5\r\n" + tenThousand + "\r\n5\r\n", tenThousand,
       "3.500000\r\n0.000000\r\n2\r\n",
       "2147483647\r\nDEFAULT_\r\n" + Repeat("0\r\nDEFAULT_\r\n", 4)},
      {"scores beyond 32 bits, a name cut short", "1\r\n2\r\n-2147483648\r\n",
       "99999999999\r\nBIGSCORE\r\n-99999999999\r\nSMALLEST\r\n7\r\nCUT",
       "1.000000\r\n2.000000\r\n-2147483647\r\n",
       "2147483647\r\nBIGSCORE\r\n-2147483648\r\nSMALLEST\r\n7\r\nCUTAULT_\r\n" +
           Repeat("0\r\nDEFAULT_\r\n", 2)},
      {"missing line ends", "1 2 3", "5\r\nABCDEFGH6\r\nIJKLMNOP", "1.000000\r\n2.000000\r\n4\r\n",
       "5\r\nABCDEFGH\r\n6\r\nIJKLMNOP\r\n" + Repeat("0\r\nDEFAULT_\r\n", 3)},
      {"only line ends", "\r\n\r\n\n\n", "\r\n\r\n\r\n\n\n\n", "0.000000\r\n0.000000\r\n2\r\n",
       kFreshRanking},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    dir.Write(kRecordFileName, c.record);
    dir.Write(kRankingFileName, c.ranking);
    const ReplayRun run = Play("down 0 Q\n");
    EXPECT_EQ(run.exitCode, 0);
    ExpectTextsBounded(run);
    ASSERT_EQ(run.frames.size(), 1u);
    if (!c.savedRecord.empty()) {
      EXPECT_EQ(dir.Read(kRecordFileName), c.savedRecord);
    } else {
      GameState saved;
      ReadRecordFile(saved);
      EXPECT_EQ(saved.bestDistance, 1e308);
      EXPECT_EQ(saved.bestBounce, -1e308);
      EXPECT_EQ(saved.challengerNumber, 6);
    }
    EXPECT_EQ(dir.Read(kRankingFileName), c.savedRanking);
  }
}

// One whole pass over files at the ends of every range: every line of text stays within the
// buffer and is drawn, and the values survive the save.
TEST(HostileDataFiles, AWholePassOverExtremeValues) {
  ScratchDir dir;
  dir.Write(kRecordFileName, "1e308\r\n-1e308\r\n2147483647\r\n");
  dir.Write(kRankingFileName,
            "99999999999\r\n\x01\x02\x03\x04\x05\x06\x07\x08\r\n-99999999999\r\n  \r\n  \r\n");
  // The whole pass, and Q on the attract screen after it.
  const std::string script = WholePassScript() + "tap 62000 Q 30\n";
  const ReplayRun run = Play(script);
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(Visits(run),
            (std::vector<std::string>{"attract", "windup", "run", "standby", "ball", "results",
                                      "name", "ranking", "farewell", "attract"}));
  ExpectTextsBounded(run);

  // The run screen's record line: 1e308 has 309 digits, so the line is cut to the buffer.
  const std::string prefix = Sjis("最近の最高スコアは ");
  const DrawOp* line = FindTextContaining(*Frames(run, "run").back(), prefix);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text.size(), 255u);
  EXPECT_EQ(line->text.substr(0, prefix.size() + 4), prefix + "1000");

  const FrameRecord& last = run.frames.back();
  EXPECT_EQ(last.state.challengerNumber, INT_MAX);  // stops at the largest int
  EXPECT_EQ(last.state.bestDistance, 1e308);
  GameState saved;
  ReadRecordFile(saved);
  EXPECT_EQ(saved.bestDistance, 1e308);
  EXPECT_EQ(saved.challengerNumber, INT_MAX);
  ReadRankingTable(saved);
  EXPECT_EQ(saved.ranking[0].score, INT_MAX);
  for (size_t i = 0; i < saved.ranking.size(); ++i) {
    EXPECT_EQ(saved.ranking[i].score, last.state.ranking[i].score);
    EXPECT_EQ(saved.ranking[i].name, last.state.ranking[i].name);
  }
}

// A file in the way that cannot be replaced: the other file is saved, nothing half-written is
// left, and the program reports the failure in its exit code.
TEST(SaveFaults, DirectoryInPlaceOfTheRankingFile) {
  ScratchDir dir;
  fs::create_directory(dir.PathOf(kRankingFileName));
  dir.Write(kRecordFileName, "1.000000\r\n2.000000\r\n3\r\n");
  const ReplayRun run = Play("down 0 Q\n");
  ASSERT_TRUE(run.exitCode.has_value());
  EXPECT_NE(*run.exitCode, 0);
  EXPECT_TRUE(fs::is_directory(dir.PathOf(kRankingFileName)));
  EXPECT_EQ(dir.Read(kRecordFileName), "1.000000\r\n2.000000\r\n4\r\n");
  EXPECT_FALSE(dir.Exists(TemporaryPathFor(kRankingFileName)));
  EXPECT_FALSE(dir.Exists(TemporaryPathFor(kRecordFileName)));

  // The same for the record file: the ranking file is still written, the exit code non-zero.
  fs::remove(dir.PathOf(kRankingFileName));
  fs::remove(dir.PathOf(kRecordFileName));
  fs::create_directory(dir.PathOf(kRecordFileName));
  EXPECT_NE(Play("down 0 Q\n").exitCode, 0);
  EXPECT_TRUE(fs::is_directory(dir.PathOf(kRecordFileName)));
  EXPECT_EQ(dir.Read(kRankingFileName), kFreshRanking);
  EXPECT_FALSE(dir.Exists(TemporaryPathFor(kRecordFileName)));
}

// A file this user may not read, or may not write, is left exactly as it was at the quit: the
// game never replaces the operator's ranking with its defaults, nor a read-only file behind their
// back. The other file is saved, the exit code tells, and one line names the file and why. Root
// reads and writes any file, so as root the replay tool runs as the user nobody.
#ifndef _WIN32  // user ids and modes; scripts/windows/test.sh checks a read-only file on Windows
TEST(SaveFaults, FilesThatCannotBeReadOrWrittenAreLeftAsTheyWere) {
  std::string why;
  const std::optional<Unprivileged> user = UnprivilegedUser(why);
  if (!user) GTEST_SKIP() << why;
  const std::string& runAs = user->runAs;
  const uid_t uid = user->uid;
  const gid_t gid = user->gid;
  const std::string oldRecord = "1.000000\r\n2.000000\r\n3\r\n";
  const std::string oldRanking = "9\r\nOLDNAME_\r\n" + Repeat("0\r\nDEFAULT_\r\n", 4);
  const std::string unreadable = "could not be read at start-up (Permission denied)";
  const std::string readOnly = "not saved: Permission denied";
  struct Case {
    std::string file;
    fs::perms perms;
    const std::string& why;
  };
  const fs::perms writeOnly = fs::perms::owner_write;
  const fs::perms readable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  for (const Case& c :
       {Case{kRecordFileName, writeOnly, unreadable}, Case{kRankingFileName, writeOnly, unreadable},
        Case{kRecordFileName, readable, readOnly}, Case{kRankingFileName, readable, readOnly}}) {
    SCOPED_TRACE(c.file + ": " + c.why);
    ScratchDir dir;
    dir.Write("q.txt", "tap 100 Q 50\nend 60000\n");
    dir.Write(kRecordFileName, oldRecord);
    dir.Write(kRankingFileName, oldRanking);
    for (const auto& entry : fs::directory_iterator(dir.Path()))
      ASSERT_EQ(chown(entry.path().c_str(), uid, gid), 0);
    ASSERT_EQ(chown(dir.Path().c_str(), uid, gid), 0);
    fs::permissions(dir.PathOf(c.file), c.perms);
    const std::string other = c.file == kRecordFileName ? kRankingFileName : kRecordFileName;
    struct stat before {};
    ASSERT_EQ(stat(dir.PathOf(other).c_str(), &before), 0);

    std::string err;
    EXPECT_EQ(RunReplayTool("q.txt", &err, runAs), 255);
    // Untouched, permissions and all (read back with the permission this test may lack).
    EXPECT_EQ(fs::status(dir.PathOf(c.file)).permissions(), c.perms);
    fs::permissions(dir.PathOf(c.file), fs::perms::owner_read, fs::perm_options::add);
    EXPECT_EQ(dir.Read(c.file), c.file == kRecordFileName ? oldRecord : oldRanking);
    // The other file is saved: a new file in its place.
    struct stat after {};
    ASSERT_EQ(stat(dir.PathOf(other).c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    if (other == kRecordFileName) {
      // Read at start-up, one more challenger at the quit.
      EXPECT_EQ(dir.Read(kRecordFileName), "1.000000\r\n2.000000\r\n4\r\n");
    } else {
      EXPECT_EQ(dir.Read(kRankingFileName), oldRanking);
    }
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(c.file), std::string::npos) << err;
    EXPECT_NE(err.find(c.why), std::string::npos) << err;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
      EXPECT_NE(entry.path().filename().string().rfind(c.file + ".tmp", 0), 0u) << entry.path();
  }
}
#endif

// The real file system, stopped dead at step `crashAt` (counted over both files) the way a crash
// or power loss stops it: a write in progress puts half its bytes on disk, and nothing after that
// step happens - no close, no clean-up of the temporary.
class CrashingOps : public FileOps {
 public:
  struct Crash {};
  explicit CrashingOps(int crashAt) : crashAt_(crashAt) {}
  int steps = 0;

  std::FILE* Open(const std::string& path) override {
    Step();
    open_ = real_.Open(path);
    return open_;
  }
  bool Write(std::FILE* f, std::string_view bytes) override {
    if (steps + 1 == crashAt_) {
      real_.Write(f, bytes.substr(0, bytes.size() / 2));
      real_.Flush(f);
    }
    Step();
    return real_.Write(f, bytes);
  }
  bool Flush(std::FILE* f) override { return Step(), real_.Flush(f); }
  bool Sync(std::FILE* f) override { return Step(), real_.Sync(f); }
  bool Close(std::FILE* f) override {
    Step();
    open_ = nullptr;
    return real_.Close(f);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return Step(), real_.Rename(from, to);
  }
  bool Remove(const std::string& path) override { return Step(), real_.Remove(path); }
  bool SyncDirectory(const std::string& d) override { return Step(), real_.SyncDirectory(d); }

  // What the dead process held open is released by the system, not by the program.
  void ReleaseAfterCrash() {
    if (open_) std::fclose(open_);
    open_ = nullptr;
  }

 private:
  void Step() {
    if (++steps == crashAt_) throw Crash{};
  }
  FileOps& real_ = PosixFileOps();
  int crashAt_;
  std::FILE* open_ = nullptr;
};

TEST(SaveFaults, CrashAtAnyStepLeavesOldOrNewFiles) {
  const std::string oldRecord = "1.000000\r\n2.000000\r\n3\r\n";
  const std::string oldRanking = "9\r\nOLDNAME_\r\n" + Repeat("0\r\nDEFAULT_\r\n", 4);
  GameState next;
  next.bestDistance = 123.25;
  next.bestBounce = 456.5;
  next.challengerNumber = 44;
  next.ranking[0] = {77, {'N', 'E', 'W', 'N', 'A', 'M', 'E', '_'}};
  const std::string newRecord = FormatRecordFile(next);
  const std::string newRanking = FormatRankingFile(next.ranking);

  CrashingOps count(0);
  ASSERT_EQ(WriteDataFiles(next, count), 0);
  ASSERT_GE(count.steps, 12);  // open, write, flush, sync, close, rename, sync dir: twice

  for (int k = 1; k <= count.steps; ++k) {
    SCOPED_TRACE("crash at step " + std::to_string(k));
    ScratchDir dir(false);
    dir.Write(kRecordFileName, oldRecord);
    dir.Write(kRankingFileName, oldRanking);
    CrashingOps ops(k);
    EXPECT_THROW(WriteDataFiles(next, ops), CrashingOps::Crash);
    ops.ReleaseAfterCrash();

    const std::string record = dir.Read(kRecordFileName).value_or("missing");
    const std::string ranking = dir.Read(kRankingFileName).value_or("missing");
    EXPECT_TRUE(record == oldRecord || record == newRecord) << record;
    EXPECT_TRUE(ranking == oldRanking || ranking == newRanking) << ranking;
    // The record file is put in place before the ranking file is begun.
    if (ranking == newRanking) {
      EXPECT_EQ(record, newRecord);
    }

    // The next start reads whole values, and its own save replaces any stale temporary.
    GameState restart;
    ReadRecordFile(restart);
    ReadRankingTable(restart);
    EXPECT_EQ(restart.challengerNumber, record == newRecord ? 44 : 3);
    EXPECT_EQ(restart.ranking[0].score, ranking == newRanking ? 77 : 9);
    EXPECT_EQ(WriteDataFiles(restart), 0);
    EXPECT_EQ(dir.Read(kRecordFileName), FormatRecordFile(restart));
    EXPECT_EQ(dir.Read(kRankingFileName), FormatRankingFile(restart.ranking));
    EXPECT_FALSE(dir.Exists(TemporaryPathFor(kRecordFileName)));
    EXPECT_FALSE(dir.Exists(TemporaryPathFor(kRankingFileName)));
  }
}

// The recovery copies after a second pass, killed at any step: the next start puts back one
// pass whole, never the record of one and the ranking of the other.
TEST(SaveFaults, CopiesKilledAtAnyStepPutBackAWholePass) {
  GameState first, second;
  first.challengerNumber = 1;
  first.ranking[0] = {50, {'F', 'I', 'R', 'S', 'T', '_', '_', '_'}};
  second.challengerNumber = 2;
  second.ranking[0] = {60, {'S', 'E', 'C', 'O', 'N', 'D', '_', '_'}};
  const auto twoPasses = [&](CrashingOps& ops) {
    RecoveryCopies copies(ops);
    GameState state;
    std::vector<StartUpNotice> notices;
    copies.RestoreAndRead(state, notices);
    copies.Write(first);
    const int afterFirst = ops.steps;
    copies.Write(second);
    return afterFirst;
  };
  int firstSteps = 0;
  int allSteps = 0;
  {
    ScratchDir dir(false);
    CrashingOps count(0);
    firstSteps = twoPasses(count);
    allSteps = count.steps;
  }
  int mixed = 0;
  for (int k = firstSteps + 1; k <= allSteps; ++k) {
    SCOPED_TRACE("killed at step " + std::to_string(k));
    ScratchDir dir(false);
    CrashingOps ops(k);
    EXPECT_THROW(twoPasses(ops), CrashingOps::Crash);
    ops.ReleaseAfterCrash();
    GameState restart;
    std::vector<StartUpNotice> notices;
    RecoveryCopies().RestoreAndRead(restart, notices);
    EXPECT_TRUE(notices.empty());
    const bool secondRecord = restart.challengerNumber == 2;
    const bool secondRanking = restart.ranking[0].score == 60;
    EXPECT_TRUE(secondRecord || restart.challengerNumber == 1);
    EXPECT_TRUE(secondRanking || restart.ranking[0].score == 50);
    if (secondRecord != secondRanking) ++mixed;
  }
  EXPECT_EQ(mixed, 0);
}

// The real thing: a child process saving slowly is killed while half of one file is on disk.
class SlowOps : public FileOps {
 public:
  explicit SlowOps(std::string slowFile) : slowFile_(std::move(slowFile)) {}
  std::FILE* Open(const std::string& path) override {
    slow_ = path == TemporaryPathFor(slowFile_);
    return real_.Open(path);
  }
  bool Write(std::FILE* f, std::string_view bytes) override {
    if (slow_) {
      real_.Write(f, bytes.substr(0, bytes.size() / 2));
      real_.Flush(f);
      std::this_thread::sleep_for(std::chrono::seconds(30));  // killed long before
    }
    return real_.Write(f, bytes);
  }
  bool Flush(std::FILE* f) override { return real_.Flush(f); }
  bool Sync(std::FILE* f) override { return real_.Sync(f); }
  bool Close(std::FILE* f) override { return real_.Close(f); }
  bool Rename(const std::string& a, const std::string& b) override { return real_.Rename(a, b); }
  bool Remove(const std::string& path) override { return real_.Remove(path); }
  bool SyncDirectory(const std::string& d) override { return real_.SyncDirectory(d); }

 private:
  FileOps& real_ = PosixFileOps();
  std::string slowFile_;
  bool slow_ = false;
};

#ifndef _WIN32  // needs fork()
TEST(SaveFaults, ProcessKilledInTheMiddleOfASave) {
  const std::string oldRecord = "1.000000\r\n2.000000\r\n3\r\n";
  const std::string oldRanking = "9\r\nOLDNAME_\r\n" + Repeat("0\r\nDEFAULT_\r\n", 4);
  GameState next;
  next.challengerNumber = 44;
  next.ranking[0].score = 77;
  for (const std::string slowFile : {kRecordFileName, kRankingFileName}) {
    SCOPED_TRACE(slowFile);
    ScratchDir dir(false);
    dir.Write(kRecordFileName, oldRecord);
    dir.Write(kRankingFileName, oldRanking);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      SlowOps ops(slowFile);
      WriteDataFiles(next, ops);
      ::_exit(0);
    }
    // Wait for half of the file to reach the temporary, then pull the plug.
    const std::string temporary = TemporaryPathFor(slowFile, child);
    for (int i = 0; i < 500 && dir.Read(temporary).value_or("").empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_FALSE(dir.Read(temporary).value_or("").empty());  // the crash left it half-written

    const bool recordDone = slowFile == kRankingFileName;
    EXPECT_EQ(dir.Read(kRecordFileName), recordDone ? FormatRecordFile(next) : oldRecord);
    EXPECT_EQ(dir.Read(kRankingFileName), oldRanking);
    GameState restart;
    ReadRecordFile(restart);
    ReadRankingTable(restart);
    EXPECT_EQ(restart.challengerNumber, recordDone ? 44 : 3);
    EXPECT_EQ(restart.ranking[0].score, 9);
  }
}
#endif

}  // namespace
