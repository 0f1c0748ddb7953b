#include "app/Notices.h"

#include <sys/stat.h>

#include <string>

#include "platform/ShiftJis.h"
#include "platform/System.h"
#include "store/Reasons.h"
#include "store/RecoveryCopy.h"

namespace {

// Every new box has this caption, which the game's error boxes already use.
constexpr const char* kCaption = "Error";

// Where the tool the boxes name is, as it is not on every PATH: the same words on every system,
// as the replay's boxes are.
const std::string kToolPlace =
    "kavrel-ranking は、Windows では kavrel.exe と同じフォルダ、Debian では /usr/games にあります";

// Where a kept copy is added without a terminal: the operator's screen's third page.
const std::string kKeptOnScreen =
    "タイトル画面で F2、3「控え（kept）」で取り込めます（ブースでは F2 を 2 "
    "秒押し続けます）。または、";

// A box of four lines: what happened to `file`, why (one pair of brackets), what the game does
// about it, and what the operator does next.
void Tell(plat::System& system, const std::string& what, const std::string& file,
          const std::string& reason, const std::string& then, const std::string& next) {
  const std::string text = file + " " + what + "\n（" + reason + "）\n" + then + "\n" + next + "\n";
  system.MessageBox(Sjis(text), kCaption);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
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
  // Never left standing over a running booth (this start may not know whether the running
  // game is one): it goes by itself, and this start ends.
  system.MessageBoxAnsweringItself(
      Sjis("このフォルダではすでにゲームが動いています\n"
           "（ほかのゲームかツールが .kavrel.lock にロックをかけています）\n"
           "動いているゲームを使ってください。見当たらなければ、ツールが終わるのを"
           "待ってから起動し直してください\n"),
      kCaption, kAlreadyRunningBoxMs);
}

void TellNotPlainLockFile(plat::System& system) {
  system.MessageBox(
      Sjis("このフォルダのロックファイル .kavrel.lock がふつうのファイルではありません\n"
           "（リンク、パイプ、フォルダのどれかです）\n"
           "ゲームは始めません。ほかのゲームが動いていないことを確かめてから .kavrel.lock を"
           "別の場所に移して、起動し直してください\n"),
      kCaption);
}

void TellReadOnlyFolder(plat::System& system) {
  system.MessageBox(
      Sjis("このフォルダ（またはロックファイル .kavrel.lock）に書き込めません\n"
           "ゲームは動きますが、結果はこのフォルダに残りません\n"
           "ESC で閉じてください。フォルダとファイルを書き込めるようにするか、--data-dir で"
           "書き込めるフォルダを指定して、起動し直してください\n"),
      kCaption);
}

void TellNoLock(plat::System& system) {
  system.MessageBox(
      Sjis("このフォルダをロックできません\n"
           "（.kavrel.lock を作れないか、ロックをかけられないフォルダです）\n"
           "ゲームはこのまま動きます。このフォルダでゲームを二つ起動しないでください\n"),
      kCaption);
}

void TellStartUpNotices(plat::System& system, const std::vector<StartUpNotice>& notices) {
  for (const StartUpNotice& notice : notices) {
    const std::string file = notice.file;
    const std::string copy = notice.copy;
    const char* reason = JapaneseReason(notice.error);
    const std::string remedy = JapaneseRemedy(notice.error);
    switch (notice.kind) {
      case StartUpNotice::Unreadable:
        Tell(system, "が読めません", file, reason,
             "初めて起動したときと同じ値で始めます。ファイルはそのままで、今回の結果はこのファイル"
             "には残りません",
             "ESC で閉じてください。" + remedy + "それから起動し直してください");
        break;
      case StartUpNotice::CopyKept:
        Tell(system, "に控えを戻せません", file, reason,
             "控えの内容で続けます。ファイルはそのままで、結果は控えに残ります",
             remedy + "直せば、Q で終えるときにファイルに保存します");
        break;
      case StartUpNotice::CopyKeptUnreadable:
        Tell(system, "に控えを戻せません", file, reason,
             "控えの内容で続けます。ファイルと控えはそのままで、今回の結果は残りません",
             "ESC で閉じてください。" + remedy + "それから起動し直すと、控えをファイルに戻します");
        break;
      case StartUpNotice::CopyUnreadable:
        Tell(system, "が読めません", copy, reason,
             file + " の内容で続けます。控えはそのままで、今回の結果は Q で終えたときだけ残ります",
             "Q で終えてから「kavrel-ranking set-aside」で控えをよけると、次からはきれいに起動し"
             "ます。" +
                 kToolPlace);
        break;
      case StartUpNotice::KeptAside:
        Tell(system, "の控えを " + notice.keptAs + " として残しました", file,
             "落ちたときの結果ですが、そのあと " + file + " が変わっていたので戻していません",
             file + " の内容で続けます",
             kKeptOnScreen + "Q で終えてから「kavrel-ranking merge " + notice.keptAs +
                 "」で取り込めます。" + kToolPlace);
        break;
      case StartUpNotice::KeptAtEsc:
        Tell(system, "の控えを " + notice.keptAs + " として残しました", file,
             "ESC で終わったため保存されなかった結果です", file + " の内容で続けます",
             kKeptOnScreen + "Q で終えてから「kavrel-ranking merge " + notice.keptAs +
                 "」で取り込めます。" + kToolPlace);
        break;
      case StartUpNotice::NotKeptAside:
        Tell(system, "を別の名前にできません", copy, reason,
             file + " が変わっていたので控えは戻しません。" + file +
                 " の内容で続けます。控えはそのままで、今回の結果は Q で終えたときだけ残ります",
             remedy + "それから起動し直すと、控えを別の名前で残します");
        break;
      case StartUpNotice::Untrusted:
        Tell(system, "を使いませんでした", copy,
             notice.owner + " のファイルか、ほかのユーザーも書き込めるファイルです",
             file +
                 " の内容で続けます。そのファイルはそのままで、今回の結果は Q で終えたときだけ"
                 "残ります",
             "自分で置いたものでなければ、Q で終えてから別の場所に移してください");
        break;
      case StartUpNotice::CopyNotRemoved:
        Tell(system, "を消せません", copy, reason,
             "控えは " + file + " に戻しました。残った控えは " + file +
                 " と同じ内容なので、次の起動で消します",
             remedy + "このまま続けてかまいません");
        break;
    }
  }
}

void TellCopyFailures(plat::System& system, const std::vector<CopyFailure>& failures,
                      CopyFailureMoment moment) {
  for (const CopyFailure& failure : failures) {
    const std::string copy = failure.copy;
    const char* reason = JapaneseReason(failure.error);
    const std::string remedy = JapaneseRemedy(failure.error);
    if (failure.kind == CopyFailure::NotRemoved) {
      Tell(system, "を消せません", copy, reason,
           std::string(failure.file) + " は保存しました。残った控えは " + failure.file +
               " と同じ内容なので、次の起動で消します",
           remedy);
    } else if (moment == CopyFailureMoment::AfterPass) {
      Tell(system, "を書き込めません", copy, reason,
           "控えなしで続けます。結果とプレイ記録の行は Q で終えるときに保存します",
           remedy + "直せば、次の人から控えを書きます");
    } else {
      Tell(system, "を書き込めませんでした", copy, reason,
           "控えはありません。結果はこれから保存します", remedy);
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
    if (result.unreadableAtStartUp) {
      Tell(system, "を保存できませんでした", file,
           std::string("起動したときに読めませんでした: ") + JapaneseReason(result.error),
           "ファイルはそのままで、今回の結果はこのファイルには残りません",
           std::string(JapaneseRemedy(result.error)) + "それから起動し直してください");
    } else if (Exists(kPassCopyFileName) || Exists(RecoveryPathFor(file))) {
      Tell(system, "を保存できませんでした", file, JapaneseReason(result.error),
           "ファイルはそのままです。結果は控えに残っています",
           std::string(JapaneseRemedy(result.error)) +
               "それから起動し直すと、控えをファイルに戻します");
    } else {
      Tell(system, "を保存できませんでした", file, JapaneseReason(result.error),
           "ファイルはそのままです", JapaneseRemedy(result.error));
    }
  }
}

void TellNoJapaneseFace(plat::System& system) {
  system.MessageBox(Sjis("日本語のフォントが見つかりません\n文字は表示されません\n"
                         "ESC で閉じてください。Windows では zip の中の ipag.ttf を kavrel.exe "
                         "と同じフォルダに置き、Debian では fonts-ipafont-gothic を入れてから、"
                         "起動し直してください\n"),
                    kCaption);
}

void TellPlayLogTrouble(plat::System& system, const PlayLog& log) {
  if (log.Place() == PlayLogPlace::Log && log.SideFileStuck() != 0) {
    Tell(system, "を消せません", kPlayLogSideFileName, JapaneseReason(log.SideFileStuck()),
         std::string("プレイ記録は ") + kPlayLogFileName +
             " に書いています。同じ行を二度数えることはありません",
         "開いているプログラムがあれば閉じてください。次に遊び終えたときにまた消します");
    return;
  }
  const std::string kept = log.Place() == PlayLogPlace::SideFile
                               ? std::string("その間の行は ") + kPlayLogSideFileName +
                                     " に書き、書き込めるようになったら移します"
                               : std::string(kPlayLogSideFileName) +
                                     " にも書き込めません。その間の行はゲームが覚えていて、書き込め"
                                     "るようになったら書き込みます";
  Tell(system, "に書き込めません", kPlayLogFileName, JapaneseReason(log.Error()), kept,
       JapaneseRemedy(log.Error()));
}

void TellPlayLinesLost(plat::System& system, const PlayLog& log) {
  if (log.LinesInMemory() == 0) return;
  const std::string lost =
      std::to_string(log.LinesInMemory()) + " 人分の行は、どのファイルにも書き込めませんでした";
  Tell(system, "に書き込めませんでした", kPlayLogFileName, JapaneseReason(log.Error()), lost,
       JapaneseRemedy(log.Error()));
}

void TellFilterKeysOn(plat::System& system) {
  system.MessageBox(Sjis("フィルターキー機能がオンになっています\n"
                         "（すばやく押したキーが数えられないことがあります）\n"
                         "ESC で終わり、Windows の設定の「アクセシビリティ」→「キーボード」で"
                         "フィルターキー機能をオフにしてから起動し直してください\n"),
                    kCaption);
}
