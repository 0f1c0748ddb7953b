// The play log: one line for every finished pass in kv_plays.csv, for the operator's spreadsheet
// (UTF-8 with a byte-order mark, CR LF, quoted fields). The game only ever appends to it, opening
// it for the moment of a line, so a spreadsheet may open it at any time. A log that cannot be
// written (a full disk, a read-only folder, a spreadsheet holding it on Windows) costs no line:
// the lines go to the side file kv_plays.csv.pending, or wait in memory, until the log can be
// written again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/GameState.h"
#include "platform/LocalTime.h"
#include "store/SafeFile.h"

inline constexpr const char* kPlayLogFileName = "kv_plays.csv";
// Lines that could not go into the log, in the same form, without the head.
inline constexpr const char* kPlayLogSideFileName = "kv_plays.csv.pending";
// While the side file's lines are moved into the log: where in the log they begin, so that a move
// cut short by a kill is finished without writing a line twice.
inline constexpr const char* kPlayLogMoveFileName = "kv_plays.csv.moving";

// What a new log starts with: the byte-order mark and the row of column names.
extern const std::string_view kPlayLogHead;

// One finished pass.
struct PlayLine {
  LocalTime when;
  int32_t challengerNumber = 0;
  double carDistance = 0.0;
  double bounceScore = 0.0;
  int32_t totalScore = 0;
  char grade = 'K';
  Name name = kDefaultName;
  int32_t place = 0;  // in the top five, 1-5; 0 when it reached none
  // A pass cut short by the session's end: only the first `known` of its results (distance,
  // bounce score, total score and grade, name, place) are written, and the grade's column holds
  // kCutShortMark.
  bool cutShort = false;
  int known = 5;
};

// What the grade's column holds for a pass cut short by the session's end.
inline constexpr std::string_view kCutShortMark = "中断";

// The line's bytes, CR LF included. The name is written so that a spreadsheet shows it as spelled:
// quoted when it holds a comma, a double quote or a line break, and with a ' before it when it
// starts like a formula.
std::string FormatPlayLine(const PlayLine& line);

// Where the newest lines are.
enum class PlayLogPlace { Log, SideFile, Memory };

// The sizes of the log and of its side file now (0 for a file not there; -1 when it cannot be
// told): the places where the next line goes.
struct PlayLogSizes {
  long long log = -1;
  long long side = -1;
};

class PlayLog {
 public:
  explicit PlayLog(FileOps& ops = PosixFileOps()) : ops_(ops) {}

  // Adds a finished pass's line, then puts every line not yet in the log there, in order (the
  // side file's first), or where the log cannot be written, into the side file.
  void Add(std::string line);
  // Tries again to put the lines waiting into the log or the side file (at an orderly end).
  void Retry();

  PlayLogSizes Sizes() const;
  // Adds `line` unless the log holds it as a whole line from `sizes.log` on, or the side file from
  // `sizes.side` on (the places where it went when it was first added): a start after a kill
  // puts back the line of a pass whose copies it found. A line torn there is cut off first.
  void AddUnlessHeld(std::string line, const PlayLogSizes& sizes);

  PlayLogPlace Place() const { return place_; }
  // The errno of why the log could not be written, when it could not.
  int Error() const { return error_; }
  size_t LinesInMemory() const { return waiting_.size(); }
  // True once for each trouble the operator has not yet been told of: the log could not be
  // written, and then again if the side file could not be written either. Once the log is written
  // again, the next trouble is news again.
  bool TakeNews();

 private:
  bool WriteLog();
  bool WriteSideFile();

  FileOps& ops_;
  std::vector<std::string> waiting_;  // lines in neither file, oldest first
  PlayLogPlace place_ = PlayLogPlace::Log;
  PlayLogPlace told_ = PlayLogPlace::Log;
  int error_ = 0;
};
