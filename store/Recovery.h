// Recovery copies: after every finished pass the game keeps, in one file (kavrel.recovery), what
// each data file it will save would hold if it were saved then, with the bytes the file held when
// those values were taken from it, and the pass's play-log line: one rename makes the whole pass
// durable at once. An orderly end removes the copy of each file it saved; after a crash, a kill or
// a power cut the next start puts each copy into its file, if the file still holds what the copy
// was made from, and adds the pass's line to the log unless it is there already, so the day is not
// lost. A copy whose file changed since is kept aside under a name of its own, for the ranking
// tool's merge. ESC saves nothing, but sets this run's copies aside the same way, for the next
// start to name once: no key a visitor can press loses the day. The copies of earlier versions, one
// beside each data file (kavrel.dat.recovery, kv_rank.dat.recovery), are still put back.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/GameState.h"
#include "store/DataFiles.h"
#include "store/PlayLog.h"
#include "store/RecoveryCopy.h"

// The copy of earlier versions of the data file `dataFile` (kRecordFileName or kRankingFileName).
std::string RecoveryPathFor(const char* dataFile);

// Whether `name` (a bare file name, no folder) is one start-up gives a copy it kept aside:
// kv_rank.dat.kept-YYYYMMDD-HHMMSS or kavrel.dat.kept-..., which the ranking tool finds in the
// data folder.
bool IsKeptAsideName(const std::string& name);

// Whether a kept copy in the data folder made from the same run and pass as `copy` (a copy of it
// brought from elsewhere, or the file itself) has been merged already.
bool MergedAlready(const RecoveryCopy& copy);

// Renames the recovery copy at `path` that could not be read (kavrel.recovery, or an older
// kv_rank.dat.recovery) to `path`.broken-YYYYMMDD-HHMMSS (local time), so that start-up no longer
// finds it and nothing offers it to merge. The new name in `setAsideAs`; false with `error` set
// when the rename failed.
bool SetAsideCopy(const std::string& path, std::string& setAsideAs, int& error,
                  FileOps& ops = PosixFileOps());

// What start-up must tell the operator about one data file.
struct StartUpNotice {
  const char* file;  // kRecordFileName or kRankingFileName
  enum Kind {
    Unreadable,          // the file could not be read: its values start empty, nothing is kept
    CopyKept,            // the file may not be written: the game plays on with the copy's values
    CopyKeptUnreadable,  // the file could not be read: the copy's values, nothing new is kept
    CopyUnreadable,      // the copy could not be read: the file's values, kept only by Q
    KeptAside,           // the file changed since the copy was made: the copy is now `keptAs`
    NotKeptAside,        // ... and could not be renamed: the file's values, kept only by Q
    CopyNotRemoved,      // put back, but the copy could not be removed
    KeptAtEsc,           // ESC ended the last run: its copy was set aside as `keptAs`
    Untrusted,           // `copy` is `owner`'s, or others may write it: not used, left as it is
  } kind;
  int error = 0;       // errno of what failed
  std::string keptAs;  // KeptAside, KeptAtEsc: the copy's new name
  std::string copy;    // the file that held the copy
  std::string owner;   // Untrusted: whose the file is
};

// A copy that failed later in the day.
struct CopyFailure {
  const char* file;  // the data file
  enum Kind { NotWritten, NotRemoved } kind;
  int error;
  std::string copy = kPassCopyFileName;  // the file that holds the copy
};

// The copies of one run of the game, from start-up to its end.
class RecoveryCopies {
 public:
  explicit RecoveryCopies(FileOps& ops = PosixFileOps());

  // Start-up's reads: a copy waiting is put into its file as a save would put it when the file
  // still holds what the copy was made from, and removed; a copy identical to its file is removed;
  // a copy whose file changed is renamed aside. Then both files are read into `state` (the values
  // of a copy that could not be put in place instead of its file's). What the operator must be
  // told is appended to `notices`.
  // The line of the pass a copy holds is added to `log` unless it is there already.
  StartUpReads RestoreAndRead(GameState& state, std::vector<StartUpNotice>& notices, PlayLog& log);
  StartUpReads RestoreAndRead(GameState& state, std::vector<StartUpNotice>& notices);

  // After a finished pass: both copies and the pass's line written into one file, synced, renamed
  // into place and the directory synced; then the line is added to `log`. Returns the copies that
  // could not be written, once: nothing more until a round of copies has been written whole again.
  std::vector<CopyFailure> Write(const GameState& state, PlayLog& log, std::string line);
  std::vector<CopyFailure> Write(const GameState& state);
  // The copies the last round could not write.
  std::vector<CopyFailure> Unwritten() const;

  // After an orderly end: removes the copy of each file `save` saved (never one that start-up left
  // alone) and returns the removals that failed.
  std::vector<CopyFailure> RemoveSaved(const DataFilesSave& save);

  // After a save in the middle of the day (the operator's screen: saved as Q saves, copies
  // removed, then maybe changed by the operator): the next round of copies is made from what the
  // files hold now, and nothing this run copied before is left to keep aside at ESC.
  void FilesTakenAsTheyAre();
  // After ESC or a closed window: the copies this run made are set aside under kept-aside names,
  // with the play-log lines that no file took (`linesWaiting`), and noted for the next start
  // (NameCopiesKeptAtEsc); a copy it found and could not put back is set back to what it held at
  // start-up.
  void KeepAside(const std::string& linesWaiting = {});

  // Removes the copies this run made; a copy it found and could not put back is set back to what
  // it held at start-up.
  void Forget();

  // What this run's copies hold, kept aside as `*.kept-YYYYMMDD-HHMMSS` files for the ranking
  // tool's merge (one for each data file, in the form of a copy of that file), then Forget().
  // Returns the names written.
  std::vector<std::string> SetAside();

 private:
  // SetAside's first half: the kept files written, nothing removed; none when one failed.
  std::vector<std::string> WriteKeptCopies(const std::string& lines);
  struct Copy {
    const char* file = nullptr;
    bool make = false;            // copies are made for this file
    bool leftAlone = false;       // a copy start-up could not read or put anywhere: never touched
    bool olderLeftAlone = false;  // an older copy beside the pass copy that could not be read
    bool made = false;            // this run wrote a copy
    std::optional<std::string> foundAtStart;  // an older copy found and not put back, as it was
    bool olderCopyGone = false;               // ... and removed since a pass copy holds it
    std::optional<std::string> before;        // the file's bytes the values were taken from
    int unwritten = 0;                        // errno of the last round's failure
  };
  // A copy waiting for one data file at start-up, and where it was found.
  struct Waiting;
  // What became of it: gone (put back, set aside, or nothing to put back), or still needed.
  enum class Outcome { Gone, Stays };
  DataFileRead Start(Copy& copy, const Waiting& waiting, std::string& text,
                     std::vector<StartUpNotice>& notices, Outcome& outcome);
  void CheckOlderCopy(Copy& copy, std::vector<StartUpNotice>& notices);

  FileOps& ops_;
  std::string runId_;  // with the round, names the copies this run makes
  int rounds_ = 0;
  Copy copies_[2];
  bool failureTold_ = false;
  bool passCopyLeftAlone_ = false;              // a pass copy that could not be read: never touched
  bool passCopyMade_ = false;                   // this run wrote the pass copy
  std::optional<std::string> passCopyAtStart_;  // the pass copy as start-up left it
  std::vector<RecoveryCopy> carried_;           // copies start-up left alone in the pass copy
};

// The note of the copies ESC set aside, which the next start names once and removes.
inline constexpr const char* kKeptAtEscNoteName = ".kavrel.kept";
// For the game's start, holding the lock: a KeptAtEsc notice for each copy the note names that is
// still there; the note is removed.
void NameCopiesKeptAtEsc(std::vector<StartUpNotice>& notices, FileOps& ops = PosixFileOps());

// RecoveryCopies::RestoreAndRead for a program that saves through its own means afterwards.
StartUpReads RestoreAndReadDataFiles(GameState& state, std::vector<StartUpNotice>& notices,
                                     FileOps& ops = PosixFileOps());
// Changes the data files (and adds lines to the log, and marks kept copies merged) in one durable
// step, as a start after a crash puts a pass back: `pass` (each copy's `before` the bytes its file
// holds now) is written as the pass copy, then put in place and removed at once. A kill at any
// instant leaves all of it for the next start to finish, or none of it. False, with `error`, when
// the pass copy could not be written (nothing changed); else what the putting back met is in
// `notices` and the files' values in `state`.
bool ApplyPassCopy(PassCopy pass, GameState& state, std::vector<StartUpNotice>& notices, int& error,
                   FileOps& ops = PosixFileOps());
// After such a program saved: removes the copy of each file `save` saved.
void RemoveSavedCopies(const DataFilesSave& save, FileOps& ops = PosixFileOps());
