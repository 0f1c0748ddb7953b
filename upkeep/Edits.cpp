#include "upkeep/Edits.h"

#include <algorithm>
#include <sstream>

#include "platform/ShiftJis.h"
#include "platform/Utf8.h"
#include "store/DataFiles.h"

namespace ranking {
namespace {

// The wheel's codes, from the one before the space to the tilde.
constexpr unsigned char kFirstWheelCode = 31;
constexpr unsigned char kLastWheelCode = 126;

// The whole character of UTF-8 text that starts at `at`.
std::string CharacterAt(std::string_view text, size_t at) {
  size_t end = at + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return std::string(text.substr(at, end - at));
}

std::string WithoutCarriageReturns(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::optional<int> FirstDifferentLine(std::string_view bytes, const std::string& formatted) {
  const std::string have = WithoutCarriageReturns(bytes);
  const std::string want = WithoutCarriageReturns(formatted);
  if (have == want) return std::nullopt;
  const size_t at =
      std::mismatch(have.begin(), have.end(), want.begin(), want.end()).first - have.begin();
  return 1 + static_cast<int>(std::count(have.begin(), have.begin() + at, '\n'));
}

}  // namespace

std::optional<Name> NameFromTyped(std::string_view typed, NameProblem& problem) {
  for (size_t i = 0; i < typed.size(); ++i) {
    const auto code = static_cast<unsigned char>(typed[i]);
    if (code < kFirstWheelCode || code > kLastWheelCode) {
      problem = {NameProblem::NotOnTheWheel, CharacterAt(typed, i)};
      return std::nullopt;
    }
  }
  if (typed.size() > Name().size()) {
    problem = {NameProblem::TooLong, {}};
    return std::nullopt;
  }
  Name name;
  name.fill('_');
  std::copy(typed.begin(), typed.end(), name.begin());
  return name;
}

std::optional<int> PlaceFromTyped(std::string_view typed) {
  if (typed.size() != 1 || typed[0] < '1' || typed[0] > '5') return std::nullopt;
  return typed[0] - '0';
}

void RemovePlace(RankingTable& table, int place) {
  std::move(table.begin() + place, table.end(), table.begin() + place - 1);
  table.back() = RankingEntry{};
}

RankingTable Merge(const RankingTable& here, const std::vector<RankingTable>& others) {
  std::vector<RankingEntry> more;
  for (const RankingTable& table : others) more.insert(more.end(), table.begin(), table.end());
  return MergeEntries(here, more);
}

RankingTable MergeEntries(const RankingTable& here, const std::vector<RankingEntry>& more) {
  std::vector<RankingEntry> all(here.begin(), here.end());
  all.insert(all.end(), more.begin(), more.end());
  std::stable_sort(all.begin(), all.end(),
                   [](const RankingEntry& a, const RankingEntry& b) { return a.score > b.score; });
  RankingTable merged;
  std::copy_n(all.begin(), merged.size(), merged.begin());
  return merged;
}

std::vector<RankingEntry> AddedEntries(const RankingTable& before, const RankingTable& after) {
  // Each entry of `before` accounts for one equal entry of `after`.
  std::vector<bool> used(before.size(), false);
  std::vector<RankingEntry> added;
  for (const RankingEntry& entry : after) {
    bool known = false;
    for (size_t i = 0; i < before.size() && !known; ++i) {
      if (used[i] || before[i].score != entry.score || before[i].name != entry.name) continue;
      used[i] = known = true;
    }
    if (!known) added.push_back(entry);
  }
  return added;
}

GameState BetterRecord(const GameState& a, const GameState& b) {
  GameState better = a;
  better.bestDistance = std::max(a.bestDistance, b.bestDistance);
  better.bestBounce = std::max(a.bestBounce, b.bestBounce);
  better.challengerNumber = std::max(a.challengerNumber, b.challengerNumber);
  return better;
}

GameState FreshRecord() {
  GameState state;
  ++state.challengerNumber;
  return state;
}

GameState RecordFrom(std::string_view bytes) {
  GameState state;
  std::istringstream in{std::string(bytes)};
  ReadRecordFrom(in, state);
  return state;
}

RankingTable RankingFrom(std::string_view bytes) {
  RankingTable table;
  std::istringstream in{std::string(bytes)};
  ReadRankingFrom(in, table);
  return table;
}

std::optional<int> RecordFileMismatch(std::string_view bytes) {
  return FirstDifferentLine(bytes, FormatRecordFile(RecordFrom(bytes)));
}

std::optional<int> RankingFileMismatch(std::string_view bytes) {
  return FirstDifferentLine(bytes, FormatRankingFile(RankingFrom(bytes)));
}

std::string ReadableName(const Name& name) {
  return VisibleName(SjisToUtf8(std::string_view(name.data(), name.size())));
}

}  // namespace ranking
