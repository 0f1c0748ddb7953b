// The record file (best results and challenger number) and the ranking file, read at start-up
// and written at an orderly quit.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "app/GameState.h"

inline constexpr const char* kRecordFileName = "kavrel.dat";
inline constexpr const char* kRankingFileName = "kv_rank.dat";

// Reading: values the file does not supply keep the values they had.
void ReadRecordFile(GameState& state);
void ReadRankingTable(GameState& state);
void ReadRecordFrom(std::istream& in, GameState& state);
void ReadRankingFrom(std::istream& in, RankingTable& table);

// The exact bytes of the two files.
std::string FormatRecordFile(const GameState& state);
std::string FormatRankingFile(const RankingTable& table);

// Writes the record file, then the ranking file. Returns the program's exit code: 0 when the
// ranking file was written and put in place, non-zero when it could not be.
int WriteDataFiles(const GameState& state);
