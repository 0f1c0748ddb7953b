#include "store/Recovery.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

struct DataFile {
  const char* name;
  std::string (*format)(const GameState&);
  void (*read)(std::istream&, GameState&);
};

std::string FormatRanking(const GameState& state) {
  return FormatRankingFile(state.ranking);
}
void ReadRanking(std::istream& in, GameState& state) {
  ReadRankingFrom(in, state.ranking);
}

const DataFile kDataFiles[] = {
    {kRecordFileName, &FormatRecordFile, &ReadRecordFrom},
    {kRankingFileName, &FormatRanking, &ReadRanking},
};

// True when a copy was there and is gone.
bool RemoveCopy(FileOps& ops, const char* file) {
  const std::string copy = RecoveryPathFor(file);
  errno = 0;
  if (ops.Remove(copy)) return true;
  if (errno != ENOENT)
    std::fprintf(stderr, "kavrel: %s not removed: %s\n", copy.c_str(), std::strerror(errno));
  return false;
}

// The removal made durable too: a copy that came back after a power cut would roll its file back.
void RemoveCopies(FileOps& ops, bool record, bool ranking) {
  const bool removedRecord = record && RemoveCopy(ops, kRecordFileName);
  const bool removedRanking = ranking && RemoveCopy(ops, kRankingFileName);
  if (removedRecord || removedRanking) ops.SyncDirectory(DirectoryOf(kRecordFileName));
}

// Puts a waiting copy of `file` in place, or keeps it and reads its values instead. Returns what
// start-up found of the file itself.
DataFileRead RestoreAndRead(const DataFile& file, GameState& state,
                            std::vector<StartUpNotice>& notices, FileOps& ops) {
  std::string text;
  DataFileRead found = ReadDataFile(file.name, text);
  std::string copyText;
  const std::string copyPath = RecoveryPathFor(file.name);
  const DataFileRead copy = ReadDataFile(copyPath.c_str(), copyText);
  if (copy.kind == DataFileRead::Unreadable) {
    // Left where it is for the operator; the file is read as usual.
    notices.push_back({file.name, StartUpNotice::CopyKept, copy.error});
  } else if (copy.kind == DataFileRead::Read) {
    int error = found.error;
    if (found.kind != DataFileRead::Unreadable && ReplaceFile(ops, file.name, copyText, &error)) {
      // Put back the same way again, should a power cut bring the copy back.
      RemoveCopy(ops, file.name);
      found = {DataFileRead::Read, 0};
    } else {
      notices.push_back({file.name, StartUpNotice::CopyKept, error});
    }
    text = std::move(copyText);
  } else if (found.kind == DataFileRead::Unreadable) {
    notices.push_back({file.name, StartUpNotice::Unreadable, found.error});
  }
  std::istringstream in(text);
  file.read(in, state);
  return found;
}

}  // namespace

std::string RecoveryPathFor(const char* dataFile) {
  return std::string(dataFile) + ".recovery";
}

void WriteRecoveryCopies(const GameState& state, FileOps& ops) {
  // Written between two visitors: each copy complete on disk and renamed into place, then one sync
  // of the directory for both (that sync is most of the time a copy takes).
  bool anyInPlace = false;
  for (const DataFile& file : kDataFiles) {
    const std::string copy = RecoveryPathFor(file.name);
    int error = 0;
    if (PrepareReplacement(ops, copy, file.format(state), &error) &&
        CommitReplacement(ops, copy, &error)) {
      anyInPlace = true;
    } else {
      std::fprintf(stderr, "kavrel: %s not written: %s\n", copy.c_str(), std::strerror(error));
    }
  }
  if (anyInPlace) ops.SyncDirectory(DirectoryOf(kRecordFileName));
}

void RemoveSavedCopies(const DataFilesSave& save, FileOps& ops) {
  RemoveCopies(ops, save.record.saved, save.ranking.saved);
}

void RemoveRecoveryCopies(FileOps& ops) {
  RemoveCopies(ops, true, true);
}

StartUpReads RestoreAndReadDataFiles(GameState& state, std::vector<StartUpNotice>& notices,
                                     FileOps& ops) {
  StartUpReads reads;
  reads.record = RestoreAndRead(kDataFiles[0], state, notices, ops);
  reads.ranking = RestoreAndRead(kDataFiles[1], state, notices, ops);
  return reads;
}
