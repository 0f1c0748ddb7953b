#include "app/Notices.h"

#include <string>

#include "platform/ShiftJis.h"
#include "platform/System.h"
#include "store/Reasons.h"

namespace {

// Every new box has this caption, which the game's error boxes already use.
constexpr const char* kCaption = "Error";

// A box of three lines: what happened to `file`, why, and what the game does about it.
void Tell(plat::System& system, const std::string& what, const std::string& file,
          const std::string& reason, const std::string& then) {
  const std::string text = file + " " + what + "\n（" + reason + "）\n" + then + "\n";
  system.MessageBox(Sjis(text), kCaption);
}

}  // namespace

void TellAlreadyRunning(plat::System& system, const std::string& lockFileOwner) {
  if (!lockFileOwner.empty()) {
    // A lock file another user made, which this user may not write: the game cannot take it.
    system.MessageBox(
        Sjis("このフォルダではすでにゲームが動いています\n（ロックファイル .kavrel.lock は " +
             lockFileOwner + " のもので、書き込めません）\n" +
             "ほかのゲームが動いていないことを確かめてから .kavrel.lock を消して、起動し直して"
             "ください\n"),
        kCaption);
    return;
  }
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
  // How to get back what this session would not keep.
  const std::string mend = "ESC で終わり、ファイルを直してから始め直してください";
  for (const StartUpNotice& notice : notices) {
    const std::string file = notice.file;
    const std::string copy = notice.copy;
    const char* reason = JapaneseReason(notice.error);
    switch (notice.kind) {
      case StartUpNotice::Unreadable:
        Tell(system, "が読めません", file, reason,
             "記録は空から始めます。ファイルはそのままで、今回の結果は残りません\n" + mend);
        break;
      case StartUpNotice::CopyKept:
        Tell(system, "に控えを戻せません", file, reason,
             "控えの記録で続けます。ファイルはそのままです");
        break;
      case StartUpNotice::CopyKeptUnreadable:
        Tell(system, "に控えを戻せません", file, reason,
             "控えの記録で続けます。ファイルと控えはそのままで、今回の結果は残りません\n" + mend);
        break;
      case StartUpNotice::CopyUnreadable:
        Tell(system, "が読めません", copy, reason,
             file +
                 " の記録で続けます。控えはそのままで、今回の結果は Q で終わったときだけ残ります");
        break;
      case StartUpNotice::KeptAside:
        Tell(system, "の控えを " + notice.keptAs + " として残しました", file,
             "異常終了したときの結果ですが、そのあと " + file + " が変わっていたので戻していません",
             "「kavrel-ranking merge " + notice.keptAs + "」で加えられます");
        break;
      case StartUpNotice::KeptAtEsc:
        Tell(system, "の控えを " + notice.keptAs + " として残しました", file,
             "ESC で終わったため保存されなかった結果です",
             "「kavrel-ranking merge " + notice.keptAs + "」で加えられます");
        break;
      case StartUpNotice::NotKeptAside:
        Tell(system, "を別の名前にできません", copy, reason,
             file + " が変わっていたので控えは戻しません。" + file +
                 " の記録で続けます。控えはそのままで、今回の結果は Q で終わったときだけ残ります");
        break;
      case StartUpNotice::CopyNotRemoved:
        Tell(system, "を消せません", copy, reason,
             "控えは " + file + " に戻しました。控えでファイルが前に戻ることはありません");
        break;
    }
  }
}

void TellCopyFailures(plat::System& system, const std::vector<CopyFailure>& failures,
                      CopyFailureMoment moment) {
  for (const CopyFailure& failure : failures) {
    const std::string copy = failure.copy;
    const char* reason = JapaneseReason(failure.error);
    if (failure.kind == CopyFailure::NotRemoved) {
      Tell(system, "を消せません", copy, reason,
           std::string(failure.file) + " は保存しました。控えでファイルが前に戻ることはありません");
    } else if (moment == CopyFailureMoment::AfterPass) {
      Tell(system, "を書けません", copy, reason,
           "控えなしで続けます。結果は Q で終わるときに保存します");
    } else {
      Tell(system, "を書けませんでした", copy, reason,
           "控えはありません。結果はこれから保存します");
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
  if (log.Place() == PlayLogPlace::Log && log.SideFileStuck() != 0) {
    Tell(system, "を消せません", kPlayLogSideFileName, JapaneseReason(log.SideFileStuck()),
         std::string("記録は ") + kPlayLogFileName +
             " に書いています。同じ記録を二度数えることはありません\n"
             "開いているプログラムがあれば閉じてください。次に遊び終えたときにまた消します");
    return;
  }
  const std::string kept = log.Place() == PlayLogPlace::SideFile
                               ? std::string("記録は ") + kPlayLogSideFileName +
                                     " に残し、書き込めるようになったら移します"
                               : std::string(kPlayLogSideFileName) +
                                     " にも書き込めません。記録はゲームが覚えていて、書き込めるよう"
                                     "になったら書き込みます";
  Tell(system, "に書き込めません", kPlayLogFileName, JapaneseReason(log.Error()),
       "表計算ソフトで開いていれば閉じてください。ディスクがいっぱいなら空きを作ってください\n" +
           kept);
}

void TellPlayLinesLost(plat::System& system, const PlayLog& log) {
  if (log.LinesInMemory() == 0) return;
  const std::string lost =
      std::to_string(log.LinesInMemory()) + " 人の挑戦者の記録は、どのファイルにも残せませんでした";
  Tell(system, "に書き込めませんでした", kPlayLogFileName, JapaneseReason(log.Error()), lost);
}

void TellFilterKeysOn(plat::System& system) {
  system.MessageBox(Sjis("フィルターキー機能がオンになっています\n"
                         "（すばやく押したキーが数えられないことがあります）\n"
                         "ESC で終わり、Windows の設定の「アクセシビリティ」→「キーボード」で"
                         "フィルターキー機能をオフにしてから起動し直してください\n"),
                    kCaption);
}
