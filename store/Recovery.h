// Recovery copies: after every finished pass the game keeps, beside each data file it will save,
// what that file would hold if it were saved then (kavrel.dat.recovery, kv_rank.dat.recovery),
// with the bytes the file held when those values were taken from it. An orderly end removes the
// copy of each file it saved; after a crash, a kill or a power cut the next start puts each copy
// into its file, if the file still holds what the copy was made from, so the day is not lost. A
// copy whose file changed since is kept aside under a name of its own, for the ranking tool's
// merge. ESC removes the copies the run made: the results since the last orderly quit are
// forgotten, as the game always did.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/GameState.h"
#include "store/DataFiles.h"

// The copy of the data file `dataFile` (kRecordFileName or kRankingFileName).
std::string RecoveryPathFor(const char* dataFile);

// Whether `name` (a bare file name, no folder) is one start-up gives a copy it kept aside:
// kv_rank.dat.kept-YYYYMMDD-HHMMSS or kavrel.dat.kept-..., which the ranking tool finds in the
// data folder.
bool IsKeptAsideName(const std::string& name);

// Renames the copy of `dataFile` that could not be read to kv_rank.dat.recovery.broken-YYYYMMDD-
// HHMMSS (local time), so that start-up no longer finds it and nothing offers it to merge. The
// new name in `setAsideAs`; false with `error` set when the rename failed.
bool SetAsideCopy(const char* dataFile, std::string& setAsideAs, int& error,
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
  } kind;
  int error = 0;       // errno of what failed
  std::string keptAs;  // KeptAside: the copy's new name
};

// A copy that failed later in the day.
struct CopyFailure {
  const char* file;  // the data file
  enum Kind { NotWritten, NotRemoved } kind;
  int error;
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
  StartUpReads RestoreAndRead(GameState& state, std::vector<StartUpNotice>& notices);

  // After a finished pass: both copies written and synced, then renamed into place one right
  // after the other, then one sync of the directory. Returns the copies that could not be
  // written, once: nothing more until a round of copies has been written whole again.
  std::vector<CopyFailure> Write(const GameState& state);
  // The copies the last round could not write.
  std::vector<CopyFailure> Unwritten() const;

  // After an orderly end: removes the copy of each file `save` saved (never one that start-up left
  // alone) and returns the removals that failed.
  std::vector<CopyFailure> RemoveSaved(const DataFilesSave& save);

  // After ESC or a closed window: removes the copies this run made; a copy it found and could not
  // put back is set back to what it held at start-up.
  void Forget();

 private:
  struct Copy {
    const char* file = nullptr;
    bool make = false;       // copies are made for this file
    bool leftAlone = false;  // a copy start-up could not read or put anywhere: never touched
    bool made = false;       // this run wrote a copy
    std::optional<std::string> foundAtStart;  // a copy found and not put back, as it was
    std::optional<std::string> before;        // the file's bytes the values were taken from
    int unwritten = 0;                        // errno of the last round's failure
  };
  DataFileRead Start(Copy& copy, std::string& text, std::vector<StartUpNotice>& notices);

  FileOps& ops_;
  Copy copies_[2];
  bool failureTold_ = false;
};

// RecoveryCopies::RestoreAndRead for a program that saves through its own means afterwards.
StartUpReads RestoreAndReadDataFiles(GameState& state, std::vector<StartUpNotice>& notices,
                                     FileOps& ops = PosixFileOps());
// After such a program saved: removes the copy of each file `save` saved.
void RemoveSavedCopies(const DataFilesSave& save, FileOps& ops = PosixFileOps());
