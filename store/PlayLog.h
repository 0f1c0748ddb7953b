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
#include "store/PlayLogFormat.h"
#include "store/SafeFile.h"

// The log's record of a pass at `when` by `name` (in the game's own encoding): date, time, zone
// and name filled in, the figures still to set.
PlayRecord PassRecord(const LocalTime& when, const Name& name);

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

  // Adds a finished pass's line (FormatPlayRecord), then puts every line not yet in the log there,
  // in order (the side file's first), or where the log cannot be written, into the side file.
  void Add(std::string line);
  // Keeps a finished pass's line in memory only, with the lines waiting there: its pass could not
  // be made durable, so the line must not be in a file before its values are.
  void Hold(std::string line) { waiting_.push_back(std::move(line)); }
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
  // The lines waiting in memory, oldest first, as one text.
  std::string LinesWaiting() const;
  // The errno of why the side file, its lines moved into the log, could not be removed; 0 when
  // it could. The lines are in the log once: the move note stays beside the side file until then.
  int SideFileStuck() const { return sideStuck_; }
  // True once for each trouble the operator has not yet been told of: the log could not be
  // written, and then again if the side file could not be written either; the side file could not
  // be removed. Once the log is written again, the next trouble is news again.
  bool TakeNews();

 private:
  bool WriteLog();
  bool WriteSideFile();

  FileOps& ops_;
  std::vector<std::string> waiting_;  // lines in neither file, oldest first
  PlayLogPlace place_ = PlayLogPlace::Log;
  PlayLogPlace told_ = PlayLogPlace::Log;
  int error_ = 0;
  int sideStuck_ = 0;
  bool toldStuck_ = false;
};
