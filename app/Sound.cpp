#include "app/Sound.h"

#include <ctime>
#include <string>

#include "game/Sounds.h"
#include "platform/LocalTime.h"
#include "platform/ShiftJis.h"
#include "platform/System.h"
#include "store/BoothLog.h"
#include "store/Reasons.h"
#include "store/SettingsFile.h"
#include "store/SoundFiles.h"

namespace {

const char* WavReason(plat::WavProblem problem) {
  switch (problem) {
    case plat::WavProblem::NotWave:
      return "WAV ファイルではないか、途中で切れています";
    case plat::WavProblem::Unsupported:
      return "8 か 16 ビットの PCM、モノラルかステレオ、8000 から 192000 Hz の WAV ではありません";
    case plat::WavProblem::NoSamples:
      return "音が入っていません";
    case plat::WavProblem::TooLong:
      return "10 秒より長い音です";
    case plat::WavProblem::None:
      break;
  }
  return "";
}

void TellSettingsTrouble(plat::System& system, const SettingsRead& read) {
  const std::string file = kSettingsFileName;
  std::string text;
  if (read.file.kind == DataFileRead::Unreadable) {
    text = file + " が読めません\n（" + JapaneseReason(read.file.error) +
           "）\n音は決まった設定（音量 6、音あり）で鳴ります\n" +
           "ファイルを直すか消してから、ゲームを起動し直してください\n";
  } else if (!read.badLines.empty()) {
    std::string lines;
    for (const int line : read.badLines)
      lines += (lines.empty() ? "" : "、") + std::to_string(line);
    text = file + " の " + lines + " 行目が読めません\n（書き方が違います）\n" +
           "その行をとばして、ほかの行の設定で動きます\n書き方は README にあります\n";
  }
  if (!text.empty()) system.MessageBox(Sjis(text), "Error");
}

void TellSoundFileTrouble(plat::System& system, const std::vector<SoundFileProblem>& problems) {
  if (problems.empty()) return;
  std::string text;
  for (const SoundFileProblem& p : problems) {
    text += p.file + " が使えません\n（" +
            (p.error != 0 ? std::string(JapaneseReason(p.error)) : WavReason(p.problem)) + "）\n";
  }
  text += "その音はゲームの音で鳴らします\n";
  system.MessageBox(Sjis(text), "Error");
}

}  // namespace

void StartSound(plat::System& system, SoundBoard& board) {
  const SettingsRead read = ReadSettingsFile();
  TellSettingsTrouble(system, read);
  plat::SoundBank bank = SynthesiseSounds();
  TellSoundFileTrouble(system, UseSoundFiles(bank));
  system.SetSounds(std::move(bank));
  // A booth without speakers is no fault: noted once for the operator's log, never a box.
  system.onSoundLost = [&system, noted = false]() mutable {
    if (noted || !system.BoothMode()) return;
    noted = true;
    const BoothLine line{ToLocalTime(system.WallClockSeconds()), BoothEvent::NoSound,
                         "no sound output; the game plays on silently"};
    int error = 0;
    AppendBoothLine(PosixFileOps(), ".", line, error);
  };
  board.save = [](const SoundSettings& settings, int& error) {
    return SaveSettingsFile(settings, error);
  };
  board.Begin(system, read.settings, system.soundOverride);
}
