#include "app/OperatorDesk.h"

#include <algorithm>
#include <filesystem>

#include "game/Sounds.h"
#include "platform/Language.h"
#include "platform/LocalTime.h"
#include "platform/System.h"
#include "store/BoothLog.h"
#include "store/SettingsFile.h"
#include "upkeep/Commands.h"
#include "upkeep/DataFileAccess.h"
#include "upkeep/Text.h"

namespace {

using plat::Say;

class Collect : public ranking::Output {
 public:
  void Line(const std::string& utf8) override { told.push_back({false, utf8}); }
  void Problem(const std::string& utf8) override {
    // The tool's problems start with its name, which means nothing on the screen.
    const std::string prefix = "kavrel-ranking: ";
    told.push_back({true, utf8.rfind(prefix, 0) == 0 ? utf8.substr(prefix.size()) : utf8});
  }
  std::vector<Told> told;
};

}  // namespace

int64_t OperatorDesk::Now() const {
  return game_.system.WallClockSeconds();
}

std::vector<Told> OperatorDesk::Look(const std::function<int(ranking::Output&)>& read) {
  Collect out;
  read(out);
  return out.told;
}

std::vector<Told> OperatorDesk::Change(const std::function<int(ranking::Output&)>& change) {
  Collect out;
  // What the day holds in memory goes into the files first, so that the change is made on it.
  const DataFilesSave save = SaveDataFiles(game_.state, reads_);
  copies_.RemoveSaved(save);
  for (const auto& [file, result] :
       {std::pair{kRecordFileName, save.record}, std::pair{kRankingFileName, save.ranking}}) {
    if (result.saved) continue;
    out.Problem(ranking::Fill(Say({"{} を保存できません（{}）。何も変えていません。{}",
                                   "{} cannot be saved ({}). Nothing was changed. {}"}),
                              {file,
                               result.unreadableAtStartUp ? Say({"起動時に読めませんでした",
                                                                 "it could not be read at start"})
                                                          : ranking::Reason(result.error),
                               result.unreadableAtStartUp ? "" : ranking::Remedy(result.error)}));
  }
  if (!save.record.saved || !save.ranking.saved) return out.told;
  copies_.FilesTakenAsTheyAre();

  const int result = change(out);
  // The files as they are now are the game's values from here on.
  ReadRecordFile(game_.state);
  ReadRankingTable(game_.state);
  copies_.FilesTakenAsTheyAre();
  if (result == ranking::kDone) Note(out.told);
  return out.told;
}

void OperatorDesk::Note(std::vector<Told>& told) {
  if (told.empty()) return;
  std::string detail;
  for (const Told& line : told) detail += (detail.empty() ? "" : " ") + line.utf8;
  int error = 0;
  if (!AppendBoothLine(PosixFileOps(), ".", {ToLocalTime(Now()), BoothEvent::Change, detail},
                       error))
    told.push_back(
        {true, ranking::Fill(Say({"{} に書き込めません（{}）。", "{} cannot be written ({})."}),
                             {kBoothLogFileName, ranking::Reason(error)})});
}

std::vector<Told> OperatorDesk::SaveSoundSettings() {
  const SoundSettings& now = game_.sound->Settings();
  int error = 0;
  if (!game_.sound->Save(error))
    return {{true,
             ranking::Fill(Say({"{} に書き込めません（{}）。{}", "{} cannot be written ({}). {}"}),
                           {kSettingsFileName, ranking::Reason(error), ranking::Remedy(error)})}};
  const auto onOff = [](bool on) {
    return std::string(on ? Say({"入", "on"}) : Say({"切", "off"}));
  };
  std::vector<Told> told = {
      {false, ranking::Fill(Say({"保存しました（{}）: 音 {}、音量 {}、呼び込み {}",
                                 "Saved in {}: sound {}, volume {}, call {}."}),
                            {kSettingsFileName, onOff(now.sound), std::to_string(now.volume),
                             onOff(now.call)})}};
  Note(told);
  return told;
}

std::vector<std::string> OperatorDesk::BrokenCopies() const {
  std::vector<std::string> names;
  for (const StartUpNotice& notice : notices_) {
    std::error_code ec;
    if (notice.kind != StartUpNotice::CopyUnreadable ||
        std::find(names.begin(), names.end(), notice.copy) != names.end() ||
        !std::filesystem::exists(ranking::PathFromUtf8(notice.copy), ec))
      continue;
    names.push_back(notice.copy);
  }
  return names;
}

std::vector<Told> OperatorDesk::SetAsideBrokenCopies() {
  std::vector<Told> told =
      Look([this](ranking::Output& out) { return ranking::SetAsideCopies(out, notices_); });
  Note(told);
  return told;
}
