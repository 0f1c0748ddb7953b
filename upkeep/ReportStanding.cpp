#include "upkeep/ReportStanding.h"

#include <array>
#include <sstream>

#include "platform/Language.h"
#include "platform/ShiftJis.h"
#include "store/DataFiles.h"
#include "upkeep/DataFileAccess.h"
#include "upkeep/Edits.h"
#include "upkeep/Text.h"

namespace ranking {
namespace {

using plat::Say;

// Why `file` tells nothing: not there yet, unreadable, or not as the game writes it.
std::string Problem(const char* file, const DataFileRead& read, std::optional<int> mismatch,
                    const plat::Bilingual& what) {
  if (read.kind == DataFileRead::Absent)
    return Fill(
        Say({"{}（{}）はこのフォルダにまだありません。", "{} ({}): not in this folder yet."}),
        {Say(what), file});
  if (read.kind == DataFileRead::Unreadable)
    return Fill(Say({"{}（{}）を読めません（{}）。{}", "{} ({}) cannot be read ({}). {}"}),
                {Say(what), file, Reason(read.error), Remedy(read.error)});
  return Fill(Say({"{}（{}）は {} 行目がゲームの書く形と違うので、出しません。",
                   "{} ({}): not shown, line {} is not as the game writes it."}),
              {Say(what), file, std::to_string(mismatch.value_or(0))});
}

}  // namespace

void AddTopFive(ReportFigures& figures, const RankingTable& table) {
  std::vector<StandingPlace> places;
  for (size_t k = 0; k < table.size(); ++k)
    places.push_back(
        {static_cast<int>(k + 1), table[k].score,
         SpelledName(SjisToUtf8(std::string_view(table[k].name.data(), table[k].name.size())))});
  std::array<bool, 5> matched{};
  figures.stillStands.clear();
  for (const size_t i : figures.enteredTopFive) {
    const PlayRecord& play = figures.plays[i];
    bool stands = false;
    for (size_t k = 0; k < places.size() && !stands; ++k) {
      if (matched[k] || places[k].score != play.total) continue;
      if (places[k].name != SpelledName(play.name)) continue;
      matched[k] = stands = true;
    }
    figures.stillStands.push_back(stands);
  }
  figures.topFive = std::move(places);
}

void AddStanding(ReportFigures& figures) {
  std::string record, ranking;
  const DataFileRead recordRead = ReadBytes(kRecordFileName, record);
  const std::optional<int> recordMismatch =
      recordRead.kind == DataFileRead::Read ? RecordFileMismatch(record) : std::nullopt;
  if (recordRead.kind == DataFileRead::Read && !recordMismatch) {
    const GameState state = RecordFrom(record);
    figures.recordDistance = state.bestDistance;
    figures.recordBounce = state.bestBounce;
  } else {
    figures.recordProblem = Problem(kRecordFileName, recordRead, recordMismatch,
                                    {"歴代の記録", "The all-time records"});
  }
  const DataFileRead rankingRead = ReadBytes(kRankingFileName, ranking);
  const std::optional<int> rankingMismatch =
      rankingRead.kind == DataFileRead::Read ? RankingFileMismatch(ranking) : std::nullopt;
  if (rankingRead.kind == DataFileRead::Read && !rankingMismatch)
    AddTopFive(figures, RankingFrom(ranking));
  else
    figures.topFiveProblem = Problem(kRankingFileName, rankingRead, rankingMismatch,
                                     {"五位まで", "The all-time top five"});
}

}  // namespace ranking
