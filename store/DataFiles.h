// The record file (best results and challenger number) and the ranking file, read at start-up
// and written at an orderly quit.
#pragma once

#include <istream>
#include <string>

#include "game/GameState.h"
#include "store/SafeFile.h"
#include "store/TextScan.h"

inline constexpr const char* kRecordFileName = "kavrel.dat";
inline constexpr const char* kRankingFileName = "kv_rank.dat";

// What start-up found of a data file. A file that is there but could not be read (no permission,
// an input/output error, a directory in its place) is never replaced by the game's defaults.
struct DataFileRead {
  enum Kind { Read, Absent, Unreadable } kind = Absent;
  int error = 0;  // errno, when Unreadable
};
struct StartUpReads {
  DataFileRead record;
  DataFileRead ranking;
};

// Reading: values the file does not supply keep the values they had. Reading stops at the first
// value that is not readable; numbers beyond 32 bits are clamped.
DataFileRead ReadRecordFile(GameState& state);
DataFileRead ReadRankingTable(GameState& state);
void ReadRecordFrom(std::istream& in, GameState& state);
void ReadRankingFrom(std::istream& in, RankingTable& table);

// The exact bytes of the two files.
std::string FormatRecordFile(const GameState& state);
std::string FormatRankingFile(const RankingTable& table);

// Up to `limit` bytes of the file at `path` into `text`, and what was found.
DataFileRead ReadDataFile(const char* path, std::string& text, size_t limit = kMaxDataFileBytes);

// The value of WriteDataFiles when a file was not saved.
inline constexpr int kDataNotSaved = -1;

// What became of one data file at a save.
struct DataFileSave {
  bool saved = false;
  bool unreadableAtStartUp = false;  // not tried: start-up could not read the file
  int error = 0;                     // errno of the step that failed
};
struct DataFilesSave {
  DataFileSave record;
  DataFileSave ranking;
  // The program's exit code: 0 when both files were saved, else kDataNotSaved.
  int ExitCode() const { return record.saved && ranking.saved ? 0 : kDataNotSaved; }
};

// Writes the record file, then the ranking file, as WriteDataFiles does, and tells what became of
// each.
DataFilesSave SaveDataFiles(const GameState& state, const StartUpReads& reads,
                            FileOps& ops = PosixFileOps());

// Writes the record file, then the ranking file, each replacing the old one only once it is
// complete on disk; a failure of one does not stop the other. A file start-up could not read is
// left as it is and counts as not saved. Each file not saved is named on standard error with the
// reason. Returns the program's exit code: 0 when both files were saved, else kDataNotSaved.
int WriteDataFiles(const GameState& state, const StartUpReads& reads,
                   FileOps& ops = PosixFileOps());
int WriteDataFiles(const GameState& state, FileOps& ops = PosixFileOps());

// Removes what killed runs left behind of the temporaries of both data files and of their
// recovery copies (see RemoveLeftTemporaries): only for a program that holds the directory's lock.
void RemoveLeftTemporariesOfDataFiles(FileOps& ops = PosixFileOps());
