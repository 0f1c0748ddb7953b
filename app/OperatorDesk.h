// What the operator's screen does to the day's files: each change runs the same operation as the
// ranking tool, on files brought up to date with the day first, and is read back into the game.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "game/Game.h"
#include "store/DataFiles.h"
#include "store/Recovery.h"
#include "upkeep/Output.h"

// A line an operation told: its result, or a problem.
struct Told {
  bool problem = false;
  std::string utf8;
};

class OperatorDesk {
 public:
  OperatorDesk(Game& game, const StartUpReads& reads, RecoveryCopies& copies,
               const std::vector<StartUpNotice>& notices)
      : game_(game), reads_(reads), copies_(copies), notices_(notices) {}

  // Saves the day as Q saves it (both files, the copies they make needless removed), runs
  // `change` on the saved files, reads them back into the game and notes the change in
  // kv_booth.log. A kill at any moment leaves each file as saved before or after the change,
  // and no copy that a later start would put back over it. Nothing is changed when the save
  // fails. The lines the change told, for the screen.
  std::vector<Told> Change(const std::function<int(ranking::Output&)>& change);

  // Runs `read`, which changes nothing, and gives what it told.
  static std::vector<Told> Look(const std::function<int(ranking::Output&)>& read);

  // The recovery copies start-up could not read, each once, while they are still there.
  std::vector<std::string> BrokenCopies() const;
  // Renames them to *.broken-..., as the tool's set-aside does, so that the next start is clean;
  // noted in kv_booth.log.
  std::vector<Told> SetAsideBrokenCopies();

  // Keeps the sound settings as the operator just set them (kv_settings.txt), noted in
  // kv_booth.log; what it told, for the screen.
  std::vector<Told> SaveSoundSettings();

  // The game's clock, in seconds since 1970 (the replay's is virtual).
  int64_t Now() const;

 private:
  Game& game_;
  const StartUpReads& reads_;
  RecoveryCopies& copies_;
  const std::vector<StartUpNotice>& notices_;

  // One line in kv_booth.log for a change that was made, with what it told.
  void Note(std::vector<Told>& told);
};
