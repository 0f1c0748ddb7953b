#include "app/Notices.h"

#include <string>

#include "platform/ShiftJis.h"
#include "platform/System.h"
#include "store/Reasons.h"

namespace {

// Every new box has this caption, which the game's error boxes already use.
constexpr const char* kCaption = "Error";

// A box of three lines: what happened to `file`, why, and what the game does about it.
void Tell(plat::System& system, const char* what, const char* file, const char* reason,
          const char* then) {
  const std::string text = std::string(file) + " " + what + "\n（" + reason + "）\n" + then + "\n";
  system.MessageBox(Sjis(text), kCaption);
}

}  // namespace

void TellAlreadyRunning(plat::System& system) {
  system.MessageBox(Sjis("このフォルダではすでにゲームが動いています\n"
                         "動いているゲームを使ってください\n"),
                    kCaption);
}

void TellStartUpNotices(plat::System& system, const std::vector<StartUpNotice>& notices) {
  for (const StartUpNotice& notice : notices) {
    if (notice.kind == StartUpNotice::Unreadable) {
      Tell(system, "が読めません", notice.file, JapaneseReason(notice.error),
           "記録は空から始めます。ファイルはそのままです");
    } else {
      Tell(system, "に控えを戻せません", notice.file, JapaneseReason(notice.error),
           "控えの記録で続けます。ファイルはそのままです");
    }
  }
}

void TellSaveFailures(plat::System& system, const DataFilesSave& save) {
  const struct {
    const char* file;
    const DataFileSave& result;
  } files[] = {{kRecordFileName, save.record}, {kRankingFileName, save.ranking}};
  for (const auto& [file, result] : files) {
    if (result.saved) continue;
    Tell(system, "を保存できませんでした", file,
         result.unreadableAtStartUp ? "起動したときに読めませんでした"
                                    : JapaneseReason(result.error),
         "ファイルはそのままです");
  }
}

void TellNoJapaneseFace(plat::System& system) {
  system.MessageBox(Sjis("日本語のフォントが見つかりません\n文字は表示されません\n"), kCaption);
}

void TellPlayLogTrouble(plat::System& system, const PlayLog& log) {
  const std::string kept = log.Place() == PlayLogPlace::SideFile
                               ? std::string("記録は ") + kPlayLogSideFileName +
                                     " に残し、書き込めるようになったら移します"
                               : std::string(kPlayLogSideFileName) +
                                     " にも書き込めません。記録はゲームが覚えていて、書き込めるよう"
                                     "になったら書き込みます";
  Tell(system, "に書き込めません", kPlayLogFileName, JapaneseReason(log.Error()),
       ("表計算ソフトで開いていれば閉じてください。ディスクがいっぱいなら空きを作ってください\n" +
        kept)
           .c_str());
}

void TellPlayLinesLost(plat::System& system, const PlayLog& log) {
  if (log.LinesInMemory() == 0) return;
  const std::string lost =
      std::to_string(log.LinesInMemory()) + " 人の挑戦者の記録は、どのファイルにも残せませんでした";
  Tell(system, "に書き込めませんでした", kPlayLogFileName, JapaneseReason(log.Error()),
       lost.c_str());
}
