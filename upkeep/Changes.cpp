#include "upkeep/Changes.h"

#include <optional>

#include "platform/Language.h"
#include "upkeep/Commands.h"
#include "upkeep/DataFileAccess.h"
#include "upkeep/Edits.h"
#include "upkeep/Text.h"

namespace ranking {

using plat::Say;

int RemoveFromRanking(Output& out, int place) {
  std::optional<RankingTable> table = CheckedRanking(out);
  if (!table) return kRefused;
  // Named in the message, so that the booth's log says whose result went.
  const std::string name = ReadableName((*table)[place - 1].name);
  RemovePlace(*table, place);
  return WriteFiles(
      out, nullptr, &*table,
      Fill(Say({"{}（{}）を消しました。", "Removed {} ({})."}), {PlaceWord(place), name}));
}

int RenameInRanking(Output& out, int place, const Name& name) {
  std::optional<RankingTable> table = CheckedRanking(out);
  if (!table) return kRefused;
  (*table)[place - 1].name = name;
  return WriteFiles(out, nullptr, &*table,
                    Fill(Say({"{}の名前を {} にしました。", "Renamed {} to {}."}),
                         {PlaceWord(place), ReadableName(name)}));
}

int StartAfresh(Output& out, bool resetRecord, bool resetRanking) {
  const GameState record = FreshRecord();
  const RankingTable table{};
  const char* done = resetRecord && resetRanking ? Say({"ランキングと記録を初めからにしました。",
                                                        "The ranking and the record start afresh."})
                     : resetRecord
                         ? Say({"記録を初めからにしました。", "The record starts afresh."})
                         : Say({"ランキングを初めからにしました。", "The ranking starts afresh."});
  return WriteFiles(out, resetRecord ? &record : nullptr, resetRanking ? &table : nullptr, done);
}

}  // namespace ranking
