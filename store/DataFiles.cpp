#include "store/DataFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Controls.h"
#include "store/PlayLogFormat.h"
#include "store/Recovery.h"
#include "store/TextScan.h"

namespace {

// Saves one file, or says on standard error why it was not saved.
DataFileSave Save(FileOps& ops, const char* name, const DataFileRead& read,
                  const std::string& bytes) {
  DataFileSave result;
  if (read.kind == DataFileRead::Unreadable) {
    std::fprintf(stderr,
                 "kavrel: %s not saved: it could not be read at start-up (%s); left as it was\n",
                 name, std::strerror(read.error));
    result.unreadableAtStartUp = true;
    result.error = read.error;
    return result;
  }
  result.saved = ReplaceFile(ops, name, bytes, &result.error);
  if (!result.saved)
    std::fprintf(stderr, "kavrel: %s not saved: %s; left as it was\n", name,
                 std::strerror(result.error));
  return result;
}

}  // namespace

DataFileRead ReadDataFile(const char* path, std::string& text, size_t limit) {
  const int error = PosixFileOps().ReadWhole(path, limit, text);
  if (error == 0) return {DataFileRead::Read, 0};
  if (error == ENOENT) return {DataFileRead::Absent, 0};
  return {DataFileRead::Unreadable, error};
}

DataFilesSave SaveDataFiles(const GameState& state, const StartUpReads& reads, FileOps& ops) {
  // The record file first; whether it could be written does not matter to the ranking file.
  DataFilesSave save;
  save.record = Save(ops, kRecordFileName, reads.record, FormatRecordFile(state));
  save.ranking = Save(ops, kRankingFileName, reads.ranking, FormatRankingFile(state.ranking));
  return save;
}

int WriteDataFiles(const GameState& state, const StartUpReads& reads, FileOps& ops) {
  return SaveDataFiles(state, reads, ops).ExitCode();
}

int WriteDataFiles(const GameState& state, FileOps& ops) {
  return WriteDataFiles(state, StartUpReads{}, ops);
}

void RemoveLeftTemporariesOfDataFiles(FileOps& ops) {
  // Every file the programs replace in the data folder, kept copies included.
  RemoveLeftTemporaries(ops, ".", [](const std::string& name) {
    for (const std::string file : {kRecordFileName, kRankingFileName})
      if (name == file || name == RecoveryPathFor(file.c_str())) return true;
    return name == kPassCopyFileName || name == kKeptAtEscNoteName ||
           name == kPlayLogMoveFileName || name == plat::kControlsFileName || IsKeptAsideName(name);
  });
}
