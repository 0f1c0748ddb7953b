// The data files as the tool's commands use them: read beside a running game, checked against
// what the game writes, and written through the game's safe save. Failures are told in one line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "game/GameState.h"
#include "store/DataFiles.h"
#include "store/Recovery.h"
#include "upkeep/Output.h"

namespace ranking {

// Why a file could not be read or written, in the operator's language, and what to do about it.
std::string Reason(int error);
std::string Reason(const std::error_code& error);
std::string Remedy(int error);
std::string Remedy(const std::error_code& error);

// Tells what is wrong, that nothing was changed, and what to do next; kRefused.
int Refuse(Output& out, const std::string& what, const std::string& next = "");
// "{file} cannot be read (reason)." and its remedy, told as a refusal; kRefused.
int RefuseUnreadable(Output& out, const std::string& file, int error);

// The bytes of a file in the current directory or at a path in UTF-8, shared with a game that
// replaces the file meanwhile.
DataFileRead ReadBytes(const std::string& path, std::string& bytes,
                       size_t limit = kMaxDataFileBytes);

// The file's values when it holds exactly what the game writes (or is not there); else the
// refusal is told and there is nothing.
std::optional<RankingTable> CheckedRanking(Output& out);
std::optional<GameState> CheckedRecord(Output& out);

// What start-up found, as one line per file: kRefused when the command must not go on, else
// kDone (a copy kept aside, or put back but not removed). A copy that cannot be read holds back
// only the commands that change a data file: `readOnly` for list and backup, which go on.
int TellNotices(Output& out, const std::vector<StartUpNotice>& notices, bool readOnly);

// Writes the files given (either may be null) through the game's safe save and says `done`.
// Both new files are complete on disk before either replaces its old one, so that a file that
// cannot be written (read-only, a full disk) leaves both as they were.
int WriteFiles(Output& out, const GameState* record, const RankingTable* ranking,
               const std::string& done);

// Paths in UTF-8 on every system (Windows' narrow calls would take the ANSI code page).
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);
// A path the operator gave, from where the tool was started, without a trailing "/" or "/.".
std::filesystem::path Absolute(const std::string& utf8);

// The current directory for the object's lifetime.
class InDirectory {
 public:
  explicit InDirectory(const std::filesystem::path& dir);
  ~InDirectory();
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;
  bool entered() const { return entered_; }
  const std::string& error() const { return error_; }
  const std::string& remedy() const { return remedy_; }

 private:
  std::filesystem::path previous_;
  bool entered_ = false;
  std::string error_;
  std::string remedy_;
};

}  // namespace ranking
