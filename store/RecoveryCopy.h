// What a recovery copy holds: the bytes to put into its data file, and the bytes that file held
// when those values were taken from it (or that there was no file), so that a copy is never put
// back over a file that changed since, and what the crashed run added can be told apart later.
//
// The copy is text of its own kind:
//   kavrel recovery copy of kv_rank.dat\n
//   before 62\n<the 62 bytes the file held>\n      ("before none\n" when there was no file)
//   after 62\n<the 62 bytes to put into the file>\n
//   from 1765190000-4242-3f9a0c11 3\n                (the run and the pass that made it)
//   lines 88\n<play-log lines no file took>\n      (a copy ESC kept aside only; may be absent)
//   merged\n                                        (a kept copy the ranking tool has added)
// The last three lines are each there or not. A copy of the older kind is the data file's bytes
// alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RecoveryCopy {
  std::string file;                   // the data file it belongs to; empty for the older kind
  bool keepsBefore = false;           // false: the older kind, which knows nothing of the file
  std::optional<std::string> before;  // the file's bytes then; nothing when there was no file
  std::string after;                  // what the file would hold if saved
  std::string from;   // "RUN PASS": the run and the round of copies that made it; empty if unknown
  std::string lines;  // play-log lines that were in no file when ESC kept this copy aside
  bool merged = false;  // kept aside, and added by the ranking tool's merge since
};

std::string EncodeRecoveryCopy(const RecoveryCopy& copy);

// A copy that was merged ends in a line "merged".
std::string EncodeRecoveryCopy(const std::string& file, const std::optional<std::string>& before,
                               std::string_view after, bool merged = false);

// The copy in `bytes`: of the older kind when it does not begin as a copy of its own kind does;
// nothing when it begins so but is damaged.
std::optional<RecoveryCopy> DecodeRecoveryCopy(std::string_view bytes);

// Whether `bytes` begin as a copy of the game's own kind does.
bool IsRecoveryCopy(std::string_view bytes);

// The largest copy: both its files at their largest, and the lines around them.
inline constexpr size_t kMaxRecoveryCopyBytes = (2 << 20) + 4096;

// Everything a finished pass leaves, in one file, so that one rename makes all of it durable at
// once: the copy of each data file the game will save, and the pass's play-log line with the
// places it goes to (the log's and the side file's sizes just before it was added), so that a
// start after a kill tells by place, not by content, whether the line is there already.
//
//   kavrel recovery of a pass\n
//   copy 123\n<a copy of one data file, as above>\n        (none, one or two of them)
//   line 1234 none 88\n<the 88 bytes of the line>\n      (log size, side file size: "none"
//                                                         when not known; no line: no such part;
//                                                         the lines still waiting in memory, then
//                                                         the pass's own)
//   mark 27\n<the 27 bytes of a kept copy's path>\n   (none or more: kept copies that the ranking
//                                                         tool's merge put into these values, to
//                                                         be marked merged once they are in place)
inline constexpr const char* kPassCopyFileName = "kavrel.recovery";

struct PassLineCopy {
  long long logAt = -1;   // the log's size just before the line; -1 when it could not be told
  long long sideAt = -1;  // the side file's likewise (0 when there is none)
  std::string line;
};

struct PassCopy {
  std::vector<RecoveryCopy> copies;  // of the game's own kind, each naming its data file
  std::optional<PassLineCopy> line;
  std::vector<std::string> marks;  // kept copies merged into these values
};

std::string EncodePassCopy(const PassCopy& pass);
// Nothing when the bytes are not a whole pass copy.
std::optional<PassCopy> DecodePassCopy(std::string_view bytes);

inline constexpr size_t kMaxPassCopyBytes = 2 * kMaxRecoveryCopyBytes + 8192;
