// The play log kv_plays.csv as the report reads it: one line per finished pass, in CR LF lines
// with RFC 4180 quoting, written by the game after every pass. Lines torn by a kill or a power
// cut, and lines not as the game writes them, are skipped and counted.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/DataFiles.h"

namespace ranking {

inline constexpr const char* kPlayLogFileName = "kv_plays.csv";
// Lines that could not go into the log wait here, in the same format without BOM or header.
inline constexpr const char* kPlayLogSideFileName = "kv_plays.csv.pending";

// One finished pass.
// Kept small: a season's log holds some 100,000 of them.
struct Play {
  std::array<char, 10> date{};   // YYYY-MM-DD, the booth's local date
  std::array<char, 8> time{};    // HH:MM:SS, local
  std::array<char, 6> offset{};  // +09:00
  int challenger = 0;
  double distance = 0, bounce = 0;
  int total = 0;
  char grade = 'J';
  std::string name;  // as the player spelled it (the formula guard taken off), UTF-8 as written
  int place = 0;     // place reached in the top five, 0 for none

  std::string Date() const { return {date.data(), date.size()}; }
  std::string Time() const { return {time.data(), time.size()}; }
};

struct PlayLog {
  std::vector<Play> plays;  // in the order of the files' lines
  size_t skipped = 0;       // lines that were not a whole pass (the header not counted)
  size_t cutShort = 0;      // passes the session's end cut short (every day's)
};

// True for a date as the log writes it, YYYY-MM-DD, that is on the calendar.
bool IsLogDate(std::string_view text);

// Adds the passes of a log's or side file's bytes to `log`.
void ReadPlayLines(std::string_view bytes, PlayLog& log);

// A file of any size (up to kMaxPlayLogBytes) in the current directory, read while the game may
// append to it: on Windows shared for writing and deletion, so the game's append never fails.
inline constexpr size_t kMaxPlayLogBytes = size_t{256} << 20;
DataFileRead ReadPlayLogFile(const std::string& path, std::string& bytes);

}  // namespace ranking
