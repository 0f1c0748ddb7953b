// The play log's format, for the game that writes it and the tools that read it: the files' names,
// the head, the columns, the formula guard, one line written and every line read back. A log line
// is CR LF ended, its fields separated by commas and quoted where they hold a comma, a quote or a
// line end. One more column is one more name in kPlayLogColumns, one more member of PlayRecord,
// and one more step in FormatPlayRecord and in the reader's RecordFrom.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/DataFiles.h"
#include "store/SafeFile.h"

inline constexpr const char* kPlayLogFileName = "kv_plays.csv";
// Lines that could not go into the log, in the same form, without the head.
inline constexpr const char* kPlayLogSideFileName = "kv_plays.csv.pending";
// While the side file's lines are moved into the log: where in the log they begin, so that a move
// cut short by a kill is finished, and read, without a line twice.
inline constexpr const char* kPlayLogMoveFileName = "kv_plays.csv.moving";

// The columns, in their order: the row of names at the head of the log.
inline constexpr const char* kPlayLogColumns[] = {
    "日付",         "時刻",     "UTC時差", "挑戦者番号", "ダンボラン",
    "ＢｏｕｎＺｏ", "総合得点", "ランク",  "名前",       "順位"};
inline constexpr size_t kPlayLogColumnCount = std::size(kPlayLogColumns);

// What a new log starts with: the byte-order mark and the row of column names, CR LF ended.
const std::string& PlayLogHead();

// A spreadsheet takes a cell that starts with one of these for a formula: the name is written with
// a ' before it, and read with that one ' taken off.
inline constexpr std::string_view kFormulaStarts = "=+-@'";

// A date as the log writes it, YYYY-MM-DD, the booth's local date.
using LogDate = std::array<char, 10>;

// One line of the log: one finished pass. Kept small: a season's log holds some 100,000.
struct PlayRecord {
  LogDate date{};
  std::array<char, 8> time{};    // HH:MM:SS, local
  std::array<char, 6> offset{};  // from UTC, +09:00
  int challenger = 0;
  double distance = 0, bounce = 0;
  int total = 0;
  char grade = 'K';
  std::string name;  // as the player spelled it, UTF-8 (padding included)
  int place = 0;     // in the all-time top five, 1-5; 0 when it reached none
  // A pass cut short by the session's end: only the first `known` of its results (distance,
  // bounce score, total score and grade, name, place) are written, and the grade's column holds
  // kCutShortMark.
  bool cutShort = false;
  int known = 5;

  std::string Date() const { return {date.data(), date.size()}; }
  std::string Time() const { return {time.data(), time.size()}; }
};

// What the grade's column holds for a pass cut short by the session's end.
inline constexpr std::string_view kCutShortMark = "中断";

// The line's bytes, CR LF included. The name is written so that a spreadsheet shows it as spelled:
// quoted when it holds a comma, a double quote or a line break, and with a ' before it when it
// starts like a formula.
std::string FormatPlayRecord(const PlayRecord& record);

// True for a date as the log writes it that is on the calendar.
bool IsLogDate(std::string_view text);

// What was read of the log and its side file.
struct PlayRecords {
  std::vector<PlayRecord> plays;  // in the order of the files' lines
  // For each line that was not a whole pass (the head not counted): its date where it shows one,
  // else the date of the pass before it; zeros when there is neither.
  std::vector<LogDate> skipped;
  // The date of each pass cut short by the session's end: counted apart, as the visitor played
  // but the pass has no results.
  std::vector<LogDate> cutShort;
};

// Adds the passes of a log's or side file's bytes.
void ReadPlayRecords(std::string_view bytes, PlayRecords& records);

// The side file's lines, each with its line end; a last line torn by a kill is given one.
std::vector<std::string> SplitPlayLines(std::string bytes);
// How many of the side file's `lines` are in `moved`, the log from where their move began: its
// whole lines there, in order (a line torn by a kill is passed over; the move wrote it again).
size_t LinesMoved(std::string_view moved, const std::vector<std::string>& lines);

// The largest log read whole.
inline constexpr size_t kMaxPlayLogBytes = size_t{256} << 20;

// The log and its side file, each pass once: the side file's lines that a move already put into
// the log (the move note says from where) are not read again. `found` tells whether the log or
// the side file is there. On failure, the name of the file that could not be read and why.
struct PlayLogRead {
  bool found = false;
  const char* failedFile = nullptr;
  int error = 0;  // EFBIG for a file larger than kMaxPlayLogBytes
};
PlayLogRead ReadPlayLog(FileOps& ops, PlayRecords& records);
