// What the operator's tool does to the ranking and the record, apart from files: each edit is
// made on the tables the game itself reads and writes, so that the game's own format does the
// rest.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/GameState.h"

namespace ranking {

// Why a name the operator typed cannot be stored.
struct NameProblem {
  enum Kind { TooLong, NotOnTheWheel } kind;
  std::string character;  // the first character the wheel cannot spell, as typed (UTF-8)
};

// A name as the name entry leaves it: the codes 31 to 126 of the wheel, "_" in the places not
// filled. Empty, with `problem` set, when the wheel could not have spelled `typed`.
std::optional<Name> NameFromTyped(std::string_view typed, NameProblem& problem);

// Place 1 to 5 from the operator's text; nothing for anything else.
std::optional<int> PlaceFromTyped(std::string_view typed);

// The entries below `place` move up; the fifth place becomes the game's start-up entry.
void RemovePlace(RankingTable& table, int place);

// The five best of `here` followed by `others` in order. Equal scores keep that order, as the
// game's insertion does: an entry never passes one with the same score that was there first.
RankingTable Merge(const RankingTable& here, const std::vector<RankingTable>& others);

// The entries of `after` that `before` does not hold, counting equal entries one by one: what a
// crashed run added to the ranking `before`, whatever the ranking holds now (a later visitor of
// the same name and score is another pass).
std::vector<RankingEntry> AddedEntries(const RankingTable& before, const RankingTable& after);

// The five best of `here` followed by `more` in order, as Merge.
RankingTable MergeEntries(const RankingTable& here, const std::vector<RankingEntry>& more);

// The better of each best result and the larger challenger number.
GameState BetterRecord(const GameState& a, const GameState& b);

// What a fresh game writes at its first Q: no results yet, and the challenger number already
// raised for the quit.
GameState FreshRecord();

// Nothing when `bytes` are what the game writes for the values it reads from them (LF line ends
// allowed as well as CR LF); otherwise the first line (from 1) that differs.
std::optional<int> RecordFileMismatch(std::string_view bytes);
std::optional<int> RankingFileMismatch(std::string_view bytes);

// The values of a file checked above.
GameState RecordFrom(std::string_view bytes);
RankingTable RankingFrom(std::string_view bytes);

// A name readable on a terminal: the Shift-JIS bytes in UTF-8, shown as VisibleName shows them.
std::string ReadableName(const Name& name);

}  // namespace ranking
