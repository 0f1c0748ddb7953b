// What a recovery copy holds: the bytes to put into its data file, and the bytes that file held
// when those values were taken from it (or that there was no file), so that a copy is never put
// back over a file that changed since, and what the crashed run added can be told apart later.
//
// The copy is text of its own kind:
//   kavrel recovery copy of kv_rank.dat\n
//   before 62\n<the 62 bytes the file held>\n      ("before none\n" when there was no file)
//   after 62\n<the 62 bytes to put into the file>\n
// A copy of the older kind is the data file's bytes alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct RecoveryCopy {
  std::string file;                   // the data file it belongs to; empty for the older kind
  bool keepsBefore = false;           // false: the older kind, which knows nothing of the file
  std::optional<std::string> before;  // the file's bytes then; nothing when there was no file
  std::string after;                  // what the file would hold if saved
};

std::string EncodeRecoveryCopy(const std::string& file, const std::optional<std::string>& before,
                               std::string_view after);

// The copy in `bytes`: of the older kind when it does not begin as a copy of its own kind does;
// nothing when it begins so but is damaged.
std::optional<RecoveryCopy> DecodeRecoveryCopy(std::string_view bytes);

// Whether `bytes` begin as a copy of the game's own kind does.
bool IsRecoveryCopy(std::string_view bytes);

// The largest copy: both its files at their largest, and the lines around them.
inline constexpr size_t kMaxRecoveryCopyBytes = (2 << 20) + 4096;
