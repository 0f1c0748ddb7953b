// The play log's move of its side file, cut short: by a full disk part-way through the log (what
// was written is cut off again), and by a kill after the log was written but before the side file
// was gone. Neither loses nor repeats a line.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "store/BoothLog.h"
#include "store/PlayLog.h"
#include "tests/support/Scenario.h"

namespace {

// The real file steps, except that a write to the log (or to `appended`) stops half-way (a full
// disk), or that the side file cannot be removed (a kill just before it).
class CutShort : public FileOps {
 public:
  enum Cut { kHalfWrite, kNoRemoval } cut;
  explicit CutShort(Cut c, std::string appended = kPlayLogFileName)
      : cut(c), appended_(std::move(appended)) {}

  std::FILE* Open(const std::string& path) override { return real_.Open(path); }
  std::FILE* OpenToAppend(const std::string& path) override {
    std::FILE* f = real_.OpenToAppend(path);
    if (path == appended_) log_ = f;
    return f;
  }
  bool Write(std::FILE* f, std::string_view bytes) override {
    if (cut != kHalfWrite || f != log_) return real_.Write(f, bytes);
    real_.Write(f, bytes.substr(0, bytes.size() / 2));
    return false;
  }
  bool Flush(std::FILE* f) override { return real_.Flush(f); }
  bool Sync(std::FILE* f) override { return real_.Sync(f); }
  bool Close(std::FILE* f) override {
    if (f == log_) log_ = nullptr;
    return real_.Close(f);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return real_.Rename(from, to);
  }
  bool Remove(const std::string& path) override {
    return !(cut == kNoRemoval && path == kPlayLogSideFileName) && real_.Remove(path);
  }
  bool SyncDirectory(const std::string& dir) override { return real_.SyncDirectory(dir); }

 private:
  FileOps& real_ = PosixFileOps();
  std::string appended_;
  std::FILE* log_ = nullptr;
};

std::string Line(int n) {
  return "2026-12-08,14:0" + std::to_string(n) + ":00,+09:00," + std::to_string(n) +
         ",1.000000,2.000000,3,J,PLAYER_" + std::to_string(n) + ",\r\n";
}

TEST(PlayLog, AMoveCutShortIsFinishedWithoutLosingOrRepeatingALine) {
  const std::string head(PlayLogHead());
  for (const CutShort::Cut cut : {CutShort::kHalfWrite, CutShort::kNoRemoval}) {
    SCOPED_TRACE(cut);
    ScratchDir dir(false);
    dir.Write(kPlayLogFileName, head + Line(1));
    dir.Write(kPlayLogSideFileName, Line(2) + Line(3));
    {
      CutShort ops(cut);
      PlayLog log(ops);
      log.Add(Line(4));
      // Cut part-way, the new line waits in the side file behind the others.
      if (cut == CutShort::kHalfWrite) {
        EXPECT_EQ(log.Place(), PlayLogPlace::SideFile);
        EXPECT_EQ(dir.Read(kPlayLogSideFileName), Line(2) + Line(3) + Line(4));
      }
    }
    // The next pass, or the next run.
    PlayLog log;
    log.Add(Line(5));
    EXPECT_EQ(log.Place(), PlayLogPlace::Log);
    // What the failed append wrote came off again: every line once, none torn.
    EXPECT_EQ(dir.Read(kPlayLogFileName), head + Line(1) + Line(2) + Line(3) + Line(4) + Line(5));
    EXPECT_FALSE(dir.Exists(kPlayLogSideFileName));
    EXPECT_FALSE(dir.Exists(kPlayLogMoveFileName));
  }
}

// The booth's log is appended to the same way: a line cut short comes off again, so that the next
// line is read whole.
TEST(PlayLog, TheBoothsLogTakesOffALineCutShort) {
  ScratchDir dir(false);
  std::vector<BoothLine> lines;
  for (const int minute : {0, 5, 9})
    lines.push_back({{2026, 12, 8, 9, minute, 0, 540}, BoothEvent::Start, "first"});
  CutShort cut(CutShort::kHalfWrite, std::string("./") + kBoothLogFileName);
  int error = 0;
  EXPECT_TRUE(AppendBoothLine(PosixFileOps(), ".", lines[0], error));
  EXPECT_FALSE(AppendBoothLine(cut, ".", lines[1], error));
  EXPECT_EQ(error, EIO);
  EXPECT_TRUE(AppendBoothLine(PosixFileOps(), ".", lines[2], error));
  EXPECT_EQ(error, 0);
  EXPECT_EQ(dir.Read(kBoothLogFileName),
            std::string(kBoothLogHead) + FormatBoothLine(lines[0]) + FormatBoothLine(lines[2]));
}

// A side file whose lines went into the log but which could not be removed (a kill, or Windows
// holding it open) is told, and every pass is read once, however many passes follow.
TEST(PlayLog, AStuckSideFileIsToldAndItsLinesCountOnce) {
  ScratchDir dir(false);
  dir.Write(kPlayLogSideFileName, Line(1) + Line(2));
  CutShort ops(CutShort::kNoRemoval);
  PlayLog log(ops);
  for (int pass = 3; pass <= 4; ++pass) {
    log.Add(Line(pass));
    EXPECT_EQ(log.Place(), PlayLogPlace::Log);
    EXPECT_NE(log.SideFileStuck(), 0);
    EXPECT_EQ(log.TakeNews(), pass == 3);  // told once
    PlayRecords read;
    EXPECT_TRUE(ReadPlayLog(PosixFileOps(), read).found);
    ASSERT_EQ(read.plays.size(), static_cast<size_t>(pass));
    for (int n = 1; n <= pass; ++n) EXPECT_EQ(read.plays[n - 1].challenger, n);
  }
  EXPECT_TRUE(dir.Exists(kPlayLogSideFileName));
  EXPECT_TRUE(dir.Exists(kPlayLogMoveFileName));
}

// What the game writes is what the tools read: the line's exact bytes, and every field back.
TEST(PlayLog, TheLineIsWrittenAsSpelledAndReadBack) {
  PlayRecord line = PassRecord({2026, 12, 8, 14, 3, 5, -330}, kDefaultName);
  line.challenger = 17;
  line.distance = 1234.5;
  line.bounce = -0.0078125;
  line.total = 42;
  line.grade = 'C';
  line.place = 3;
  const struct {
    const char* name;
    const char* field;
    const char* read;
  } names[] = {
      {"KAVREL__", "KAVREL__", "KAVREL__"},       {"=A,\"B___", "\"'=A,\"\"B___\"", "=A,\"B___"},
      {"+1______", "'+1______", "+1______"},      {"-1______", "'-1______", "-1______"},
      {"@SUM____", "'@SUM____", "@SUM____"},      {"'QUOTE__", "''QUOTE__", "'QUOTE__"},
      {"A\x81\x40_____", "A　_____", "A　_____"},
  };
  for (const auto& [name, field, read] : names) {
    SCOPED_TRACE(field);
    Name spelled;
    std::copy(name, name + 8, spelled.begin());
    line.name = PassRecord({}, spelled).name;
    const std::string bytes = FormatPlayRecord(line);
    EXPECT_EQ(bytes, std::string("2026-12-08,14:03:05,-05:30,17,1234.500000,") + "-0.007812,42,C," +
                         field + ",3\r\n");
    PlayRecords back;
    ReadPlayRecords(PlayLogHead() + bytes, back);
    ASSERT_EQ(back.plays.size(), 1u);
    EXPECT_TRUE(back.skipped.empty());
    const PlayRecord& got = back.plays[0];
    EXPECT_EQ(got.Date() + " " + got.Time(), "2026-12-08 14:03:05");
    EXPECT_EQ(std::string(got.offset.data(), 6), "-05:30");
    EXPECT_EQ(got.challenger, 17);
    EXPECT_EQ(got.distance, 1234.5);
    EXPECT_EQ(got.total, 42);
    EXPECT_EQ(got.grade, 'C');
    EXPECT_EQ(got.name, read);
    EXPECT_EQ(got.place, 3);
  }
}

}  // namespace
