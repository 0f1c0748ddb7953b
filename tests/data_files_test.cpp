#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "store/DataFiles.h"
#include "store/Recovery.h"
#include "store/RecoveryCopy.h"
#include "store/SafeFile.h"
#include "tests/support/Scenario.h"

namespace {

const std::string kFreshRanking = [] {
  std::string s;
  for (int i = 0; i < 5; ++i) s += "0\r\nDEFAULT_\r\n";
  return s;
}();

GameState ReadRecord(const std::string& bytes) {
  GameState state;
  std::istringstream in(bytes);
  ReadRecordFrom(in, state);
  return state;
}

RankingTable ReadRanking(const std::string& bytes) {
  RankingTable table{};
  std::istringstream in(bytes);
  ReadRankingFrom(in, table);
  return table;
}

Name MakeName(const char (&text)[9]) {
  Name name;
  for (int i = 0; i < 8; ++i) name[i] = text[i];
  return name;
}

TEST(DataFileFormat, FixedNotationAndSigns) {
  GameState state;
  state.bestDistance = -1234.5;
  state.bestBounce = 1e308;
  state.challengerNumber = -7;
  const std::string bytes = FormatRecordFile(state);
  EXPECT_EQ(bytes.substr(0, 14), "-1234.500000\r\n");
  EXPECT_EQ(bytes.substr(bytes.size() - 13), ".000000\r\n-7\r\n");
  EXPECT_EQ(bytes.find('e'), std::string::npos);  // fixed notation, never an exponent
}

TEST(DataFileFormat, ExtremesAndSignsRoundTrip) {
  GameState state;
  state.bestDistance = -1e308;
  state.bestBounce = 1e308;
  state.challengerNumber = INT_MIN;
  state.ranking[0].score = INT_MIN;
  state.ranking[1].score = INT_MAX;
  state.ranking[2].score = -3;
  const GameState back = ReadRecord(FormatRecordFile(state));
  EXPECT_EQ(back.bestDistance, -1e308);
  EXPECT_EQ(back.bestBounce, 1e308);
  EXPECT_EQ(back.challengerNumber, INT_MIN);
  const RankingTable table = ReadRanking(FormatRankingFile(state.ranking));
  EXPECT_EQ(table[0].score, INT_MIN);
  EXPECT_EQ(table[1].score, INT_MAX);
  EXPECT_EQ(table[2].score, -3);
}

TEST(DataFileFormat, NamesOfEveryCodeRoundTrip) {
  // Every code from 31 to 126, spread over the 40 name places of three tables.
  for (int round = 0; round < 3; ++round) {
    RankingTable all{};
    for (int i = 0; i < 40; ++i) {
      all[i / 8].name[i % 8] = static_cast<char>(31 + (round * 40 + i) % 96);
      all[i / 8].score = round * 100 + i / 8;
    }
    const RankingTable back = ReadRanking(FormatRankingFile(all));
    for (int k = 0; k < 5; ++k) {
      EXPECT_EQ(back[k].name, all[k].name) << round << " " << k;
      EXPECT_EQ(back[k].score, all[k].score);
    }
  }
}

TEST(DataFileReading, LineEndsAndShortFiles) {
  const GameState lf = ReadRecord("12.5\n-3.25\n99\n");
  EXPECT_EQ(lf.bestDistance, 12.5);
  EXPECT_EQ(lf.bestBounce, -3.25);
  EXPECT_EQ(lf.challengerNumber, 99);
  EXPECT_EQ(ReadRecord("7\r\n8\r\n9").challengerNumber, 9);  // no final line end

  const GameState shortRecord = ReadRecord("12.5\r\n");
  EXPECT_EQ(shortRecord.bestDistance, 12.5);
  EXPECT_EQ(shortRecord.bestBounce, 0.0);
  EXPECT_EQ(shortRecord.challengerNumber, 1);

  const RankingTable mixed = ReadRanking("5\n  LEFT \r\n-6\r\nSECOND__\n7\r\nTHI");
  EXPECT_EQ(mixed[0].score, 5);
  EXPECT_EQ(mixed[0].name, MakeName("  LEFT \r"));  // eight bytes as they stand
  EXPECT_EQ(mixed[1].score, -6);
  EXPECT_EQ(mixed[1].name, MakeName("SECOND__"));
  EXPECT_EQ(mixed[2].score, 7);
  EXPECT_EQ(mixed[2].name, MakeName("THIAULT_"));  // cut short: the rest keeps its letters
  EXPECT_EQ(mixed[3].score, 0);
  EXPECT_EQ(mixed[4].name, kDefaultName);

  EXPECT_EQ(ReadRanking("")[0].name, kDefaultName);
  EXPECT_EQ(ReadRanking("12")[0].score, 12);
  EXPECT_EQ(ReadRanking("12")[0].name, kDefaultName);
}

TEST(DataFileReading, MalformedValuesKeepTheirStartValues) {
  // Letters where a number belongs: reading stops there.
  GameState letters = ReadRecord("12.5\r\nabc\r\n7\r\n");
  EXPECT_EQ(letters.bestDistance, 12.5);
  EXPECT_EQ(letters.bestBounce, 0.0);
  EXPECT_EQ(letters.challengerNumber, 1);
  EXPECT_EQ(ReadRecord("x\r\n1\r\n2\r\n").challengerNumber, 1);
  EXPECT_EQ(ReadRecord("1\r\n2\r\n-\r\n").challengerNumber, 1);

  // Not-a-number, infinities and doubles beyond range are not readable.
  for (const char* bad : {"nan", "NAN", "inf", "-inf", "infinity", "1e999", "+-1"}) {
    const GameState s = ReadRecord(std::string("5\r\n") + bad + "\r\n9\r\n");
    EXPECT_EQ(s.bestDistance, 5.0) << bad;
    EXPECT_EQ(s.bestBounce, 0.0) << bad;
    EXPECT_EQ(s.challengerNumber, 1) << bad;
  }
  EXPECT_EQ(ReadRecord("+2.5\r\n").bestDistance, 2.5);

  // Integers beyond 32 bits are clamped.
  EXPECT_EQ(ReadRecord("0\r\n0\r\n99999999999\r\n").challengerNumber, INT_MAX);
  EXPECT_EQ(ReadRecord("0\r\n0\r\n-2147483649\r\n").challengerNumber, INT_MIN);
  EXPECT_EQ(ReadRecord("0\r\n0\r\n2147483647\r\n").challengerNumber, INT_MAX);
  const RankingTable huge = ReadRanking("4294967296\r\nBIGSCORE\r\n-1\r\nNEXTNAME\r\n");
  EXPECT_EQ(huge[0].score, INT_MAX);
  EXPECT_EQ(huge[0].name, MakeName("BIGSCORE"));
  EXPECT_EQ(huge[1].score, -1);
  EXPECT_EQ(huge[1].name, MakeName("NEXTNAME"));
}

TEST(DataFileReading, TenThousandCharacterLines) {
  const std::string longDigits(10000, '9');
  GameState s = ReadRecord("1.5\r\n0." + std::string(9998, '0') + "\r\n" + longDigits + "\r\n");
  EXPECT_EQ(s.bestDistance, 1.5);
  EXPECT_EQ(s.bestBounce, 0.0);
  EXPECT_EQ(s.challengerNumber, INT_MAX);
  // A 10,000-digit distance is beyond any double: not readable.
  EXPECT_EQ(ReadRecord(longDigits + "\r\n2\r\n3\r\n").bestBounce, 0.0);

  const RankingTable table = ReadRanking(longDigits + "\r\nLONGLINE\r\n" + std::string(10000, 'x'));
  EXPECT_EQ(table[0].score, INT_MAX);
  EXPECT_EQ(table[0].name, MakeName("LONGLINE"));
  EXPECT_EQ(table[1].score, 0);
}

// Delegates to the real file system but fails one chosen step on one chosen file, after doing
// half of the work where that is possible (a write that stops part-way).
class FaultyOps : public FileOps {
 public:
  enum Step { kNone, kOpen, kWrite, kFlush, kSync, kClose, kRename, kSyncDirectory, kRemove };
  FaultyOps(Step step, std::string file) : step_(step), file_(std::move(file)) {}
  void FailAt(Step step) { step_ = step; }

  std::vector<std::string> log;

  std::FILE* Open(const std::string& path) override {
    current_ = path.rfind(file_, 0) == 0;
    log.push_back("open " + path);
    if (Fails(Step::kOpen)) return nullptr;
    return real_.Open(path);
  }
  bool Write(std::FILE* f, std::string_view bytes) override {
    if (Fails(Step::kWrite)) {
      real_.Write(f, bytes.substr(0, bytes.size() / 2));
      return false;
    }
    return real_.Write(f, bytes);
  }
  bool Flush(std::FILE* f) override { return !Fails(Step::kFlush) && real_.Flush(f); }
  bool Sync(std::FILE* f) override { return !Fails(Step::kSync) && real_.Sync(f); }
  bool Close(std::FILE* f) override {
    const bool ok = real_.Close(f);  // released whatever is reported
    return ok && !Fails(Step::kClose);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    log.push_back("rename " + to);
    return !Fails(Step::kRename) && real_.Rename(from, to);
  }
  bool Remove(const std::string& path) override {
    if (step_ == kRemove && path.rfind(file_, 0) == 0) {
      errno = EPERM;  // a sticky folder, or a read-only attribute on Windows
      return false;
    }
    return real_.Remove(path);
  }
  bool SyncDirectory(const std::string& dir) override {
    return !Fails(Step::kSyncDirectory) && real_.SyncDirectory(dir);
  }

 private:
  bool Fails(Step step) const { return current_ && step == step_; }
  FileOps& real_ = PosixFileOps();
  Step step_;
  std::string file_;
  bool current_ = false;
};

std::vector<std::string> DirectoryListing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DataFileWriting, WritesRecordThenRankingInPlace) {
  ScratchDir dir(false);
  GameState state;
  state.challengerNumber = 2;
  FaultyOps ops(FaultyOps::kNone, "");
  EXPECT_EQ(WriteDataFiles(state, ops), 0);
  EXPECT_EQ(dir.Read(kRecordFileName), "0.000000\r\n0.000000\r\n2\r\n");
  EXPECT_EQ(dir.Read(kRankingFileName), kFreshRanking);
  const std::string pid = std::to_string(getpid());
  EXPECT_EQ(ops.log,
            (std::vector<std::string>{"open kavrel.dat.tmp." + pid, "rename kavrel.dat",
                                      "open kv_rank.dat.tmp." + pid, "rename kv_rank.dat"}));
  EXPECT_EQ(DirectoryListing(dir.Path()), (std::vector<std::string>{"kavrel.dat", "kv_rank.dat"}));
}

TEST(DataFileWriting, AFailedStepLeavesTheOldFileAndNoTemporary) {
  const std::string oldRecord = "1.000000\r\n2.000000\r\n3\r\n";
  const std::string oldRanking = "9\r\nOLDNAME_\r\n";
  GameState state;
  state.challengerNumber = 44;
  state.ranking[0].score = 77;
  for (const std::string file : {kRecordFileName, kRankingFileName}) {
    for (auto step : {FaultyOps::kOpen, FaultyOps::kWrite, FaultyOps::kFlush, FaultyOps::kSync,
                      FaultyOps::kClose, FaultyOps::kRename}) {
      SCOPED_TRACE(file + " step " + std::to_string(step));
      ScratchDir dir(false);
      dir.Write(kRecordFileName, oldRecord);
      dir.Write(kRankingFileName, oldRanking);
      FaultyOps ops(step, file);
      const int code = WriteDataFiles(state, ops);
      EXPECT_EQ(DirectoryListing(dir.Path()),
                (std::vector<std::string>{"kavrel.dat", "kv_rank.dat"}));
      if (file == kRecordFileName) {
        // The ranking file is still written; the exit code tells of the record file's failure.
        EXPECT_EQ(dir.Read(kRecordFileName), oldRecord);
        EXPECT_EQ(dir.Read(kRankingFileName), FormatRankingFile(state.ranking));
        EXPECT_NE(code, 0);
      } else {
        EXPECT_EQ(dir.Read(kRecordFileName), FormatRecordFile(state));
        EXPECT_EQ(dir.Read(kRankingFileName), oldRanking);
        EXPECT_NE(code, 0);
      }
    }
  }
}

TEST(DataFileWriting, FailuresWithoutOldFiles) {
  ScratchDir dir(false);
  GameState state;
  FaultyOps ops(FaultyOps::kWrite, kRankingFileName);
  EXPECT_NE(WriteDataFiles(state, ops), 0);
  EXPECT_EQ(DirectoryListing(dir.Path()), std::vector<std::string>{"kavrel.dat"});

  // A directory in the way of the ranking file's temporary: the real open fails.
  std::filesystem::create_directory(dir.PathOf(TemporaryPathFor(kRankingFileName)));
  EXPECT_NE(WriteDataFiles(state), 0);
  EXPECT_FALSE(dir.Exists(kRankingFileName));

  // Once the renamed file is in place the save stands, even if the directory cannot be synced.
  std::filesystem::remove(dir.PathOf(TemporaryPathFor(kRankingFileName)));
  FaultyOps noDirSync(FaultyOps::kSyncDirectory, kRankingFileName);
  EXPECT_EQ(WriteDataFiles(state, noDirSync), 0);
  EXPECT_EQ(dir.Read(kRankingFileName), kFreshRanking);
}

TEST(DataFileWriting, StaleTemporaryFromACrashIsReplaced) {
  ScratchDir dir(false);
  dir.Write(TemporaryPathFor(kRecordFileName), "half a fi");
  GameState state;
  EXPECT_EQ(WriteDataFiles(state), 0);
  EXPECT_FALSE(dir.Exists(TemporaryPathFor(kRecordFileName)));
  EXPECT_EQ(dir.Read(kRecordFileName), FormatRecordFile(state));
}

#ifndef _WIN32
// A link, a hard link or a pipe under a temporary's name is never written through or waited on:
// the save goes under another name and the thing stays as it was. A file appended to must have
// one name.
TEST(DataFileWriting, NothingUnderATemporarysNameIsWrittenThrough) {
  ScratchDir dir(false);
  dir.Write("elsewhere", "theirs");
  std::filesystem::create_symlink("elsewhere", dir.PathOf(TemporaryPathFor(kRankingFileName)));
  std::filesystem::create_hard_link(dir.PathOf("elsewhere"),
                                    dir.PathOf(TemporaryPathFor(kPassCopyFileName)));
  ASSERT_EQ(mkfifo(dir.PathOf(TemporaryPathFor(kRecordFileName)).c_str(), 0644), 0);
  GameState state;
  EXPECT_EQ(WriteDataFiles(state), 0);
  EXPECT_TRUE(ReplaceFile(PosixFileOps(), kPassCopyFileName, "copy"));
  EXPECT_EQ(dir.Read(kRankingFileName), kFreshRanking);
  EXPECT_EQ(dir.Read(kPassCopyFileName), "copy");
  EXPECT_EQ(dir.Read("elsewhere"), "theirs");
  EXPECT_TRUE(std::filesystem::is_fifo(dir.PathOf(TemporaryPathFor(kRecordFileName))));
  // The play log under a second name: nothing is appended through it.
  std::filesystem::create_hard_link(dir.PathOf("elsewhere"), dir.PathOf("kv_plays.csv"));
  errno = 0;
  EXPECT_EQ(PosixFileOps().OpenToAppend("kv_plays.csv"), nullptr);
  EXPECT_EQ(errno, ELOOP);
  EXPECT_EQ(dir.Read("elsewhere"), "theirs");
}
#endif

// A model of a power cut: what was not synced is lost. A file's bytes last once synced; a name
// given by a rename or taken by a removal, once its folder is synced.
class PowerCutOps : public FileOps {
 public:
  std::FILE* Open(const std::string& path) override {
    Remember(path);
    std::FILE* file = real_.Open(path);
    if (file) paths_[file] = path;
    return file;
  }
  bool Write(std::FILE* f, std::string_view bytes) override { return real_.Write(f, bytes); }
  bool Flush(std::FILE* f) override { return real_.Flush(f); }
  bool Sync(std::FILE* f) override {
    if (!real_.Sync(f)) return false;
    synced_[paths_[f]] = Now(paths_[f]);
    return true;
  }
  bool Close(std::FILE* f) override { return real_.Close(f); }
  bool Rename(const std::string& from, const std::string& to) override {
    Remember(from);
    Remember(to);
    if (!real_.Rename(from, to)) return false;
    pending_.push_back({from, to});
    return true;
  }
  bool Remove(const std::string& path) override {
    Remember(path);
    if (!real_.Remove(path)) return false;
    pending_.push_back({path, ""});
    return true;
  }
  bool SyncDirectory(const std::string& directory) override {
    for (const auto& [from, to] : pending_) {
      if (!to.empty()) lasting_[to] = synced_.count(from) ? synced_[from] : std::string();
      lasting_[from] = std::nullopt;
    }
    pending_.clear();
    return real_.SyncDirectory(directory);
  }
  // The power goes: every name these steps touched holds what lasts of it.
  void Cut() {
    for (const auto& [path, bytes] : lasting_) {
      std::filesystem::remove(path);
      if (!bytes) continue;
      std::FILE* file = std::fopen(path.c_str(), "wb");
      std::fwrite(bytes->data(), 1, bytes->size(), file);
      std::fclose(file);
    }
  }

 private:
  static std::optional<std::string> Now(const std::string& path) {
    std::string bytes;
    if (PosixFileOps().ReadWhole(path, 1 << 20, bytes) != 0) return std::nullopt;
    return bytes;
  }
  // What a name held before these steps changed it, which lasts until a sync says otherwise.
  void Remember(const std::string& path) {
    if (!lasting_.count(path)) lasting_[path] = Now(path);
  }
  FileOps& real_ = PosixFileOps();
  std::map<std::FILE*, std::string> paths_;
  std::map<std::string, std::optional<std::string>> synced_;
  std::map<std::string, std::optional<std::string>> lasting_;
  std::vector<std::pair<std::string, std::string>> pending_;
};

// A replacement that says it is in place survives a power cut right after it: the pass copy, the
// data files and the kept copies all rely on it.
TEST(DataFileWriting, AReplacementInPlaceSurvivesAPowerCut) {
  ScratchDir dir(false);
  dir.Write(kRankingFileName, "old");
  PowerCutOps ops;
  ASSERT_TRUE(ReplaceFile(ops, kRankingFileName, "new"));
  ASSERT_TRUE(ReplaceFile(ops, kPassCopyFileName, "pass"));
  ops.Cut();
  EXPECT_EQ(dir.Read(kRankingFileName), "new");
  EXPECT_EQ(dir.Read(kPassCopyFileName), "pass");
  // The model itself: a rename whose folder was never synced is undone.
  PowerCutOps unsynced;
  ASSERT_TRUE(unsynced.Rename(kRankingFileName, "moved"));
  unsynced.Cut();
  EXPECT_EQ(dir.Read(kRankingFileName), "new");
  EXPECT_FALSE(dir.Exists("moved"));
}

// A copy that cannot be written is told once, until a round of copies is written whole again,
// and is still there to be told again at Q.
TEST(RecoveryCopies, AFailureToWriteIsToldOnceUntilWrittenAgain) {
  ScratchDir dir(false);
  FaultyOps ops(FaultyOps::kNone, kPassCopyFileName);
  RecoveryCopies copies(ops);
  GameState state;
  std::vector<StartUpNotice> notices;
  copies.RestoreAndRead(state, notices);
  EXPECT_TRUE(copies.Write(state).empty());

  ops.FailAt(FaultyOps::kSync);
  ASSERT_EQ(copies.Write(state).size(), 1u);
  EXPECT_TRUE(copies.Write(state).empty());  // told already
  ASSERT_EQ(copies.Unwritten().size(), 1u);  // and again at Q
  EXPECT_EQ(copies.Unwritten()[0].copy, kPassCopyFileName);
  ops.FailAt(FaultyOps::kNone);
  EXPECT_TRUE(copies.Write(state).empty());
  EXPECT_TRUE(copies.Unwritten().empty());
  ops.FailAt(FaultyOps::kSync);
  EXPECT_EQ(copies.Write(state).size(), 1u);  // told again after a round written whole
}

// A copy put back but not removed (a sticky folder, a read-only attribute) is told, and after a
// later save it is kept aside instead of rolling the file back.
TEST(RecoveryCopies, ACopyNotRemovedNeverRollsItsFileBack) {
  ScratchDir dir(false);
  const std::string put = "5\r\nPUTBACK_\r\n";
  dir.Write(RecoveryPathFor(kRankingFileName), EncodeRecoveryCopy(kRankingFileName, {}, put));
  FaultyOps ops(FaultyOps::kRemove, RecoveryPathFor(kRankingFileName));
  RecoveryCopies copies(ops);
  GameState state;
  std::vector<StartUpNotice> notices;
  const StartUpReads reads = copies.RestoreAndRead(state, notices);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].kind, StartUpNotice::CopyNotRemoved);
  EXPECT_EQ(notices[0].error, EPERM);
  EXPECT_EQ(dir.Read(kRankingFileName), put);

  state.ranking[0].score = 9000;
  const DataFilesSave save = SaveDataFiles(state, reads, ops);
  const std::vector<CopyFailure> failures = copies.RemoveSaved(save);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].kind, CopyFailure::NotRemoved);

  RecoveryCopies next;
  GameState again;
  notices.clear();
  next.RestoreAndRead(again, notices);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].kind, StartUpNotice::KeptAside);
  EXPECT_EQ(dir.Read(kRankingFileName), FormatRankingFile(state.ranking));
  EXPECT_EQ(again.ranking[0].score, 9000);
  EXPECT_FALSE(dir.Exists(RecoveryPathFor(kRankingFileName)));
  EXPECT_TRUE(dir.Exists(notices[0].keptAs));
}

// A copy an older game left holds the file's bytes alone; it is put back as it always was.
TEST(RecoveryCopies, AnOlderCopyIsPutBack) {
  ScratchDir dir(false);
  dir.Write(kRecordFileName, "1.000000\r\n2.000000\r\n3\r\n");
  dir.Write(RecoveryPathFor(kRecordFileName), "4.000000\r\n5.000000\r\n6\r\n");
  GameState state;
  std::vector<StartUpNotice> notices;
  RecoveryCopies().RestoreAndRead(state, notices);
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(dir.Read(kRecordFileName), "4.000000\r\n5.000000\r\n6\r\n");
  EXPECT_FALSE(dir.Exists(RecoveryPathFor(kRecordFileName)));
  EXPECT_EQ(state.challengerNumber, 6);
}

// Two programs never write the same temporary: each is named for its process. What killed runs
// left behind is removed by the next program that holds the lock, and nothing else.
TEST(DataFileWriting, TemporariesAreNamedForTheirProcessAndLeftOnesRemoved) {
  EXPECT_EQ(TemporaryPathFor("kv_rank.dat", 12345), "kv_rank.dat.tmp.12345");
  EXPECT_EQ(TemporaryPathFor(kRecordFileName), TemporaryPathFor(kRecordFileName, getpid()));
  ScratchDir dir(false);
  const struct {
    const char* name;
    bool removed;
  } files[] = {
      {"kavrel.dat.tmp.999", true},
      {"kv_rank.dat.tmp", true},  // the fixed name of earlier versions
      {"kv_rank.dat.recovery.tmp.77", true},
      {"kavrel.dat.recovery.tmp", true},
      {"kavrel.recovery.tmp.8-2", true},  // another name, when something stood under the first
      {".kavrel.kept.tmp.5", true},
      {"kv_plays.csv.moving.tmp.9", true},
      {"kv_rank.dat.kept-20261208-101500.tmp.3", true},
      {"kv_plays.csv.tmp.4", false},  // the log is only appended to
      {"kavrel.dat.tmp.1-", false},
      {"kavrel.dat.tmp.12x", false},
      {"kavrel.dat.tmp.-1", false},
      {"kavrel.dat.tmpx", false},
      {"my.kavrel.dat.tmp.1", false},
      {"kavrel.dat", false},
      {"kv_rank.dat.recovery", false},
  };
  for (const auto& file : files) dir.Write(file.name, "x");
  std::filesystem::create_directory(dir.PathOf("kv_rank.dat.tmp.5"));
  RemoveLeftTemporariesOfDataFiles();
  for (const auto& file : files) EXPECT_EQ(dir.Exists(file.name), !file.removed) << file.name;
  EXPECT_TRUE(std::filesystem::is_directory(dir.PathOf("kv_rank.dat.tmp.5")));
}

}  // namespace

// What a run's copies hold, set aside for a merge (a window closed in the middle of the day): one
// kept-aside copy of each file, in the form the ranking tool merges, and no pass copy left.
TEST(RecoveryCopies, SetAsideKeepsWhatThisRunsCopiesHold) {
  ScratchDir dir(false);
  RecoveryCopies copies;
  GameState state;
  std::vector<StartUpNotice> notices;
  copies.RestoreAndRead(state, notices);
  state.ranking[0] = {70, {'K', 'E', 'P', 'T', '_', '_', '_', '_'}};
  copies.Write(state);
  const std::vector<std::string> kept = copies.SetAside();
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[1].rfind("kv_rank.dat.kept-", 0), 0u);
  const std::optional<RecoveryCopy> copy = DecodeRecoveryCopy(dir.Read(kept[1]).value_or(""));
  ASSERT_TRUE(copy && copy->keepsBefore);
  EXPECT_EQ(copy->after, FormatRankingFile(state.ranking));
  EXPECT_FALSE(dir.Exists(kPassCopyFileName));
}
