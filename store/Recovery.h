// Recovery copies: after every finished pass the game keeps, beside each data file, what that file
// would hold if it were saved then (kavrel.dat.recovery, kv_rank.dat.recovery). An orderly end
// removes the copy of each file it saved; after a crash, a kill or a power cut the next start
// finds the copies and puts them into their files, so the day is not lost. ESC removes both: the
// results since the last orderly quit are forgotten, as the game always did.
#pragma once

#include <string>
#include <vector>

#include "game/GameState.h"
#include "store/DataFiles.h"

// The copy of the data file `dataFile` (kRecordFileName or kRankingFileName).
std::string RecoveryPathFor(const char* dataFile);

// Both copies from `state`, each made durable through the safe replacement. A copy that cannot be
// written is named on standard error; the game plays on.
void WriteRecoveryCopies(const GameState& state, FileOps& ops = PosixFileOps());

// After an orderly end: removes the copy of each file that `save` saved, keeps the others.
void RemoveSavedCopies(const DataFilesSave& save, FileOps& ops = PosixFileOps());
// After ESC or a closed window: removes both copies.
void RemoveRecoveryCopies(FileOps& ops = PosixFileOps());

// What start-up must tell the operator about one data file.
struct StartUpNotice {
  const char* file;  // kRecordFileName or kRankingFileName
  enum Kind {
    Unreadable,  // the file is there but could not be read: its values start empty
    CopyKept,    // a copy could not be put into the file: the game plays on with the copy's values
  } kind;
  int error;  // errno of what failed
};

// Start-up's reads: each copy waiting is first put into its file as a save would put it (unless
// the file could not be read, or may not be written) and removed; then both files are read into
// `state`. A copy that could not be put in place stays, and its values are read instead of the
// file's. What the operator must be told is appended to `notices`.
StartUpReads RestoreAndReadDataFiles(GameState& state, std::vector<StartUpNotice>& notices,
                                     FileOps& ops = PosixFileOps());
