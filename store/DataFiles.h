// The record file (best results and challenger number) and the ranking file, read at start-up
// and written at an orderly quit.
#pragma once

#include <istream>
#include <string>

#include "game/GameState.h"
#include "store/SafeFile.h"

inline constexpr const char* kRecordFileName = "kavrel.dat";
inline constexpr const char* kRankingFileName = "kv_rank.dat";

// Reading: values the file does not supply keep the values they had. Reading stops at the first
// value that is not readable; numbers beyond 32 bits are clamped.
void ReadRecordFile(GameState& state);
void ReadRankingTable(GameState& state);
void ReadRecordFrom(std::istream& in, GameState& state);
void ReadRankingFrom(std::istream& in, RankingTable& table);

// The exact bytes of the two files.
std::string FormatRecordFile(const GameState& state);
std::string FormatRankingFile(const RankingTable& table);

// The value of WriteDataFiles when the ranking file could not be put in place.
inline constexpr int kRankingNotWritten = -1;

// Writes the record file, then the ranking file, each replacing the old one only once it is
// complete on disk; a failure of one does not stop the other. Returns the program's exit code: 0
// when the ranking file was written and put in place, kRankingNotWritten when it was not.
int WriteDataFiles(const GameState& state, FileOps& ops = PosixFileOps());
