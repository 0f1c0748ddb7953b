#include "store/DataFiles.h"

int WriteDataFiles(const GameState& state, FileOps& ops) {
  // The record file first; whether it could be written does not matter to the ranking file.
  ReplaceFile(ops, kRecordFileName, FormatRecordFile(state));
  return ReplaceFile(ops, kRankingFileName, FormatRankingFile(state.ranking)) ? 0
                                                                              : kRankingNotWritten;
}
