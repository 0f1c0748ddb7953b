// The commands that read more than they write: list, backup and merge.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "store/Recovery.h"
#include "upkeep/Output.h"

namespace ranking {

// Whether list holds the directory's lock, and if not, why.
enum class ListLock { Held, GameRunning, Unavailable };

// The five places, the best results and the challenger number. Without the lock the files are
// read as they are, and a recovery copy waiting is told of.
int List(Output& out, ListLock lock);

// A new folder named for this moment in `base`, holding both data files as they are.
// Named for `now` (seconds since 1970): the game's clock, which the replay sets.
int Backup(Output& out, const std::filesystem::path& base, int64_t now = std::time(nullptr));

// The ranking here merged with the ranking files `files`.
int MergeFiles(Output& out, const std::vector<std::filesystem::path>& files);

// Renames each recovery copy start-up could not read (told in `notices`) to *.broken-..., so that
// the game's next start is clean.
int SetAsideCopies(Output& out, const std::vector<StartUpNotice>& notices);

// "place N" in the operator's language.
std::string PlaceWord(int place);

}  // namespace ranking
