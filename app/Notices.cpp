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

void TellNoLock(plat::System& system) {
  system.MessageBox(
      Sjis("このフォルダをロックできません\n"
           "ゲームはこのまま動きます。このフォルダでゲームを二つ起動しないでください\n"),
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
