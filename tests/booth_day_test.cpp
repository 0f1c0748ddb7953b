// A booth's day that nothing may take away: one game per directory, recovery copies after every
// pass that a crash leaves behind and the next start puts back, ESC that keeps them aside, a play
// log that keeps every pass, and every failure told in a box.
#include <gtest/gtest.h>
#ifdef _WIN32
// Without <windows.h>, whose macros clash with the game's own names.
extern "C" __declspec(dllimport) unsigned char __stdcall CreateSymbolicLinkW(const wchar_t* link,
                                                                             const wchar_t* target,
                                                                             unsigned long flags);
extern "C" __declspec(dllimport) unsigned long __stdcall GetLastError();
#else
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/DirectoryLock.h"
#include "platform/ShiftJis.h"
#include "store/DataFiles.h"
#include "store/PlayLog.h"
#include "store/Recovery.h"
#include "store/RecoveryCopy.h"
#include "tests/support/Scenario.h"
#include "tools/ranking/Run.h"

namespace {

namespace fs = std::filesystem;

// The whole pass ends its farewell at 60004 ms and is back on the attract screen; it stops at
// 64000 unless something earlier ends it.
std::string AfterThePass(const std::string& then) {
  return WholePassScript() + then;
}
const std::string kQuitAtOnce = "tap 100 Q 50\n";

// The play log's dates and times in Japan's time, on every system.
void UseJapanTime() {
#ifdef _WIN32
  _putenv_s("TZ", "JST-9");
#else
  setenv("TZ", "JST-9", 1);
#endif
}

std::string ThreePassesScript() {
  std::ifstream in(fs::path(KAVREL_SOURCE_DIR) / "tests" / "scripts" / "three_passes.replay",
                   std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The whole pass's line, for the challenger numbered `n` when it ends, with this place.
std::string PassLine(int n, const std::string& place) {
  return "1970-01-01,12:26:38,+09:00," + std::to_string(n) +
         ",1630.126344,696.375000,34,G,CHAMPION," + place + "\r\n";
}
const std::string kLogHead(PlayLogHead());
const std::string kOnePass = kLogHead + PassLine(1, "1");
// Five places the whole pass's 34 does not reach.
const std::string kHighRanking = [] {
  std::string text;
  for (int i = 0; i < 5; ++i) text += "100\r\nHIGHEST_\r\n";
  return text;
}();

// The data files a Q on the attract screen after one whole pass leaves behind.
struct Files {
  std::optional<std::string> record, ranking;
};
Files QuitAfter(const std::string& script) {
  ScratchDir dir;
  const ReplayRun run = Play(script);
  EXPECT_EQ(run.exitCode, 0);
  return {dir.Read(kRecordFileName), dir.Read(kRankingFileName)};
}
Files QuitAfterThePass() {
  return QuitAfter(AfterThePass("tap 61000 Q 50\n"));
}

// The first two lines of a record file: the bests, without the challenger number.
std::string Bests(const std::string& record) {
  return record.substr(0, record.find('\n', record.find('\n') + 1) + 1);
}

// The boxes of a run after the start-up box, as UTF-8, the time in a kept-aside name as
// "YYYYMMDD-HHMMSS".
std::vector<std::string> LaterBoxes(const ReplayRun& run) {
  static const std::regex stamp("kept-[0-9]{8}-[0-9]{6}");
  std::vector<std::string> out;
  for (size_t i = 1; i < run.messageBoxes.size(); ++i)
    out.push_back(
        std::regex_replace(SjisToUtf8(run.messageBoxes[i].text), stamp, "kept-YYYYMMDD-HHMMSS"));
  return out;
}

// The names in the directory that begin with `prefix`.
std::vector<std::string> NamesStartingWith(const ScratchDir& dir, const std::string& prefix) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  return names;
}

struct Captured : ranking::Output {
  std::string lines;
  void Line(const std::string& utf8) override { lines += utf8 + "\n"; }
  void Problem(const std::string& utf8) override { lines += utf8 + "\n"; }
};

// A backup of other files, which the operator puts back after a crash.
const std::string kBackupRecord = "0.500000\r\n0.500000\r\n7\r\n";
const std::string kBackupRanking = [] {
  std::string s = "1\r\nBACKUP__\r\n";
  for (int i = 0; i < 4; ++i) s += "0\r\nDEFAULT_\r\n";
  return s;
}();

// The ranking's copy in a pass copy, as its own kind of copy.
std::string RankingCopyIn(const std::string& passCopy) {
  const std::optional<PassCopy> pass = DecodePassCopy(passCopy);
  if (pass)
    for (const RecoveryCopy& copy : pass->copies)
      if (copy.file == kRankingFileName)
        return EncodeRecoveryCopy(copy.file, copy.before, copy.after);
  return {};
}

// Both copies of the pass copy written as kept-aside files, as a start or an ESC killed before
// the pass copy went would leave them.
void KeptAsAKilledRunLeftThem(const ScratchDir& dir) {
  const std::optional<PassCopy> pass = DecodePassCopy(dir.Read(kPassCopyFileName).value_or(""));
  ASSERT_TRUE(pass);
  for (const RecoveryCopy& copy : pass->copies)
    dir.Write(copy.file + ".kept-20261208-101500", EncodeRecoveryCopy(copy));
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A run that ends at its script's crash has no exit code.
constexpr std::optional<int> kCrashed;

bool CopiesLeft(const ScratchDir& dir) {
  return dir.Exists(kPassCopyFileName) || dir.Exists(RecoveryPathFor(kRecordFileName)) ||
         dir.Exists(RecoveryPathFor(kRankingFileName));
}

TEST(BoothDay, CrashesKillsAndFailuresLoseNothingOfAFinishedPass) {
  UseJapanTime();
  const Files quit = QuitAfterThePass();
  ASSERT_TRUE(quit.record && quit.ranking);
  const Files threeQuit = QuitAfter(ThreePassesScript());
  ASSERT_TRUE(threeQuit.record && threeQuit.ranking);
  std::string threeEsc = ThreePassesScript();
  threeEsc.replace(threeEsc.rfind("tap"), std::string::npos, "down 207908 ESC\n");
  ASSERT_NE(quit.ranking->find("CHAMPION"), std::string::npos);

  struct Case {
    const char* name;
    std::function<void(const ScratchDir&)> before;  // the directory before the first run
    std::string firstRun;                           // played after `before`
    std::vector<std::string> firstBoxes;            // later boxes of the first run, in order
    std::string secondRun;                          // played next, after `between`
    std::function<void(const ScratchDir&)> between;
    std::vector<std::string> secondBoxes;
    std::optional<int> secondExit;  // nothing: the run crashed
    bool filesAsAfterTheQuit;       // else: checked by `after`
    std::function<void(const ScratchDir&)> after;
    std::optional<std::string> log;  // kv_plays.csv at the end
  };
  const auto nothing = [](const ScratchDir&) {};
  // A copy as one row's first run left it.
  const auto found = std::make_shared<std::string>();
  const auto inTheWay = [](const ScratchDir& dir) {
    fs::create_directory(dir.PathOf(TemporaryPathFor(kRecordFileName)));
  };
  // Once the way to `file` is clear again, Q puts the kept copy back and nothing is rolled back.
  const auto clearAndQuit = [&quit](const ScratchDir& dir, const char* file) {
    fs::remove(dir.PathOf(TemporaryPathFor(file)));
    EXPECT_EQ(Play(kQuitAtOnce).exitCode, 0);
    EXPECT_EQ(dir.Read(kRecordFileName), quit.record);
    EXPECT_EQ(dir.Read(kRankingFileName), quit.ranking);
    EXPECT_FALSE(CopiesLeft(dir));
  };
  const std::vector<std::string> kUnreadableRanking = {
      "kv_rank.dat が読めません\n（同じ名前のフォルダがあります）\n"
      "初めて起動したときと同じ値で始めます。ファイルはそのままで、今回の結果はこのファイルには残り"
      "ません\n"
      "ESC で閉じてください。そのフォルダを別の場所に移してください。それから起動し直してくだ"
      "さい\n",
      "kv_rank.dat を保存できませんでした\n（起動したときに読めませんでした: "
      "同じ名前のフォルダがあります）\n"
      "ファイルはそのままで、今回の結果はこのファイルには残りません\n"
      "そのフォルダを別の場所に移してください。それから起動し直してください\n"};
  const std::string kCopyKept =
      "に控えを戻せません\n（同じ名前のフォルダがあります）\n"
      "控えの内容で続けます。ファイルはそのままで、結果は控えに残ります\n"
      "そのフォルダを別の場所に移してください。直せば、Q で終えるときにファイルに保存します\n";
  const std::string kToolPlace =
      "kavrel-ranking は、Windows では kavrel.exe と同じフォルダ、Debian では /usr/games "
      "にあります\n";
  const std::string kBrokenCopyBox =
      "kv_rank.dat.recovery が読めません\n（内容が壊れています）\n"
      "kv_rank.dat の内容で続けます。控えはそのままで、今回の結果は Q で終えたときだけ残ります\n"
      "Q で終えてから「kavrel-ranking set-aside」で控えをよけると、次からはきれいに起動します。" +
      kToolPlace;
  const std::string kBrokenPassCopyBox =
      "kavrel.recovery が読めません\n（内容が壊れています）\n"
      "kavrel.dat の内容で続けます。控えはそのままで、今回の結果は Q で終えたときだけ残ります\n"
      "Q で終えてから「kavrel-ranking set-aside」で控えをよけると、次からはきれいに起動します。" +
      kToolPlace;
  const std::vector<std::string> kKeptAfterABackup = {
      "kavrel.dat の控えを kavrel.dat.kept-YYYYMMDD-HHMMSS として残しました\n"
      "（落ちたときの結果ですが、そのあと kavrel.dat が変わっていたので戻していません）\n"
      "kavrel.dat の内容で続けます\n"
      "タイトル画面で F2、3「控え（kept）」で取り込めます（ブースでは F2 を 2 "
      "秒押し続けます）。または、"
      "Q で終えてから「kavrel-ranking merge kavrel.dat.kept-YYYYMMDD-HHMMSS」で取り込めます。" +
          kToolPlace,
      "kv_rank.dat の控えを kv_rank.dat.kept-YYYYMMDD-HHMMSS として残しました\n"
      "（落ちたときの結果ですが、そのあと kv_rank.dat が変わっていたので戻していません）\n"
      "kv_rank.dat の内容で続けます\n"
      "タイトル画面で F2、3「控え（kept）」で取り込めます（ブースでは F2 を 2 "
      "秒押し続けます）。または、"
      "Q で終えてから「kavrel-ranking merge kv_rank.dat.kept-YYYYMMDD-HHMMSS」で取り込めます。" +
          kToolPlace};
  std::string threeCrash = ThreePassesScript();
  threeCrash.replace(threeCrash.rfind("tap"), std::string::npos, "crash 207908\n");
  const auto backup = std::make_shared<Files>();
  const auto logUnwritable = [](const ScratchDir& dir) {
    fs::create_directory(dir.PathOf(kPlayLogFileName));
    fs::create_directory(dir.PathOf(kPlayLogSideFileName));
  };
  const auto clearLog = [](const ScratchDir& dir) {
    fs::remove(dir.PathOf(kPlayLogFileName));
    fs::remove(dir.PathOf(kPlayLogSideFileName));
  };
  const std::string kLogUnwritableBox =
      "kv_plays.csv に書き込めません\n（同じ名前のフォルダがあります）\n"
      "kv_plays.csv.pending にも書き込めません。その間の行はゲームが覚えていて、書き込めるよう"
      "になったら書き込みます\nそのフォルダを別の場所に移してください。\n";
  const std::string kCopyNotWrittenBox =
      "kavrel.recovery を書き込めません\n（同じ名前のフォルダがあります）\n"
      "控えなしで続けます。結果とプレイ記録の行は Q で終えるときに保存します\n"
      "そのフォルダを別の場所に移してください。直せば、次の人から控えを書きます\n";
  const std::vector<std::string> kKeptAtEscBoxes = {
      "kavrel.dat の控えを kavrel.dat.kept-YYYYMMDD-HHMMSS として残しました\n"
      "（ESC で終わったため保存されなかった結果です）\nkavrel.dat の内容で続けます\n"
      "タイトル画面で F2、3「控え（kept）」で取り込めます（ブースでは F2 を 2 "
      "秒押し続けます）。または、"
      "Q で終えてから「kavrel-ranking merge kavrel.dat.kept-YYYYMMDD-HHMMSS」で取り込めます。" +
          kToolPlace,
      "kv_rank.dat の控えを kv_rank.dat.kept-YYYYMMDD-HHMMSS として残しました\n"
      "（ESC で終わったため保存されなかった結果です）\nkv_rank.dat の内容で続けます\n"
      "タイトル画面で F2、3「控え（kept）」で取り込めます（ブースでは F2 を 2 "
      "秒押し続けます）。または、"
      "Q で終えてから「kavrel-ranking merge kv_rank.dat.kept-YYYYMMDD-HHMMSS」で取り込めます。" +
          kToolPlace};
  const std::string kThreeLines =
      kLogHead + "1970-01-01,12:26:34,+09:00,1,1630.126344,696.375000,34,G,CHAMPION,1\r\n" +
      "1970-01-01,12:27:44,+09:00,2,1398.376374,696.375000,28,H,'=SUM(A1),2\r\n" +
      "1970-01-01,12:29:05,+09:00,3,1398.376374,696.375000,28,H,\"SAY,\"\"HI\"\"\",3\r\n";
  const Case cases[] = {
      {"crash on the attract screen after the pass",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       true,
       nullptr,
       kOnePass},
      {"crash in the middle of the next pass",
       nothing,
       AfterThePass("tap 61000 SPACE 30\ncrash 63000\n"),
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       true,
       nullptr,
       kOnePass},
      {"the script's end is a kill too",
       nothing,
       WholePassScript(),
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       true,
       nullptr,
       kOnePass},
      // ESC saves nothing and loses nothing: the next start names the copies it kept aside, once,
      // and merging them brings back the three visitors and the bests.
      {"three passes, ESC, and the kept copies merged",
       nothing,
       threeEsc,
       {},
       kQuitAtOnce,
       [](const ScratchDir& dir) {
         EXPECT_FALSE(dir.Exists(kRecordFileName));
         EXPECT_FALSE(dir.Exists(kRankingFileName));
         EXPECT_FALSE(CopiesLeft(dir));
       },
       kKeptAtEscBoxes,
       0,
       false,
       [&threeQuit](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kRankingFileName), QuitAfter(kQuitAtOnce).ranking);
         EXPECT_FALSE(dir.Exists(kKeptAtEscNoteName));
         EXPECT_TRUE(LaterBoxes(Play(kQuitAtOnce)).empty());
         const std::vector<std::string> record = NamesStartingWith(dir, "kavrel.dat.kept-");
         const std::vector<std::string> ranking = NamesStartingWith(dir, "kv_rank.dat.kept-");
         ASSERT_EQ(record.size(), 1u);
         ASSERT_EQ(ranking.size(), 1u);
         Captured out;
         EXPECT_EQ(ranking::Run({"--data-dir", dir.Path(), "merge", ranking[0], record[0]}, out),
                   ranking::kDone)
             << out.lines;
         EXPECT_EQ(dir.Read(kRankingFileName), threeQuit.ranking);
         EXPECT_EQ(Bests(dir.Read(kRecordFileName).value_or("")), Bests(*threeQuit.record));
       },
       kLogHead + "1970-01-01,12:26:34,+09:00,1,1630.126344,696.375000,34,G,CHAMPION,1\r\n" +
           "1970-01-01,12:27:44,+09:00,2,1398.376374,696.375000,28,H,'=SUM(A1),2\r\n" +
           "1970-01-01,12:29:05,+09:00,3,1398.376374,696.375000,28,H,\"SAY,\"\"HI\"\"\",3\r\n"},
      // An ESC with no finished pass leaves nothing behind.
      {"ESC before any pass",
       nothing,
       "down 100 ESC\n",
       {},
       kQuitAtOnce,
       [](const ScratchDir& dir) {
         EXPECT_EQ(NamesStartingWith(dir, "k"), std::vector<std::string>{"kavrel.bmp"});
         EXPECT_FALSE(dir.Exists(kKeptAtEscNoteName));
       },
       {},
       0,
       false,
       nullptr,
       std::nullopt},
      // The record's copy cannot be put back while a folder stands where its file is written
      // first; the game plays on with the copy's values, and Q saves the ranking alone.
      {"a copy that cannot be put back, and a half-failed Q",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       inTheWay,
       {"kavrel.dat " + kCopyKept,
        "kavrel.dat を保存できませんでした\n（同じ名前のフォルダがあります）\n"
        "ファイルはそのままです。結果は控えに残っています\n"
        "そのフォルダを別の場所に移してください。それから起動し直すと、控えをファイルに戻します"
        "\n"},
       kDataNotSaved,
       false,
       [&quit, clearAndQuit](const ScratchDir& dir) {
         EXPECT_FALSE(dir.Exists(kRecordFileName));
         EXPECT_TRUE(dir.Exists(kPassCopyFileName));
         EXPECT_EQ(dir.Read(kRankingFileName), quit.ranking);
         EXPECT_FALSE(dir.Exists(RecoveryPathFor(kRankingFileName)));
         clearAndQuit(dir, kRecordFileName);
       },
       kOnePass},
      {"a data file that cannot be read",
       [](const ScratchDir& dir) { fs::create_directory(dir.PathOf(kRankingFileName)); },
       kQuitAtOnce, kUnreadableRanking, kQuitAtOnce, nothing, kUnreadableRanking, kDataNotSaved,
       false,
       [](const ScratchDir& dir) {
         EXPECT_TRUE(fs::is_directory(dir.PathOf(kRankingFileName)));
         EXPECT_EQ(dir.Read(kRecordFileName), "0.000000\r\n0.000000\r\n3\r\n");
       },
       std::nullopt},
      // The ranking was not read, so no copy of it is made: mended, the file keeps the all-time
      // five instead of being replaced by empty values plus the day's visitors.
      {"a data file that cannot be read gets no copy",
       [](const ScratchDir& dir) { fs::create_directory(dir.PathOf(kRankingFileName)); },
       AfterThePass("crash 61000\n"),
       {kUnreadableRanking[0]},
       kQuitAtOnce,
       [](const ScratchDir& dir) {
         EXPECT_FALSE(dir.Exists(RecoveryPathFor(kRankingFileName)));
         fs::remove(dir.PathOf(kRankingFileName));
         dir.Write(kRankingFileName, kBackupRanking);
       },
       {},
       0,
       false,
       [&quit](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kRankingFileName), kBackupRanking);
         EXPECT_EQ(dir.Read(kRecordFileName), quit.record);
         EXPECT_FALSE(CopiesLeft(dir));
       },
       kOnePass},
      // The ranking's copy cannot be put back; a pass and ESC leave it as start-up found it.
      {"ESC keeps a copy start-up could not put back",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       AfterThePass("down 61000 ESC\n"),
       [found](const ScratchDir& dir) {
         *found = RankingCopyIn(dir.Read(kPassCopyFileName).value_or(""));
         fs::create_directory(dir.PathOf(TemporaryPathFor(kRankingFileName)));
       },
       {"kv_rank.dat " + kCopyKept},
       1,
       false,
       [found, clearAndQuit](const ScratchDir& dir) {
         EXPECT_EQ(RankingCopyIn(dir.Read(kPassCopyFileName).value_or("")), *found);
         EXPECT_FALSE(dir.Exists(RecoveryPathFor(kRecordFileName)));
         clearAndQuit(dir, kRankingFileName);
       },
       kOnePass + PassLine(2, "2")},
      // Copies damaged on the disk are neither put back, rewritten after the pass, nor removed at
      // Q; the game plays the files' own values and Q saves them.
      {"a copy that cannot be read is left alone",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       AfterThePass("tap 61000 Q 50\n"),
       [found](const ScratchDir& dir) {
         *found = dir.Read(kPassCopyFileName).value_or("");
         found->resize(found->size() - 3);
         dir.Write(kPassCopyFileName, *found);
       },
       {kBrokenPassCopyBox},
       0,
       false,
       [&quit, found](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kPassCopyFileName), *found);
         EXPECT_EQ(dir.Read(kRankingFileName), quit.ranking);
         EXPECT_FALSE(dir.Exists(RecoveryPathFor(kRecordFileName)));
       },
       kOnePass + PassLine(1, "1")},
      // A broken copy's way out: its box names the tool's set-aside, which list and backup do
      // not need and every other command asks for; after it the game starts clean.
      {"a broken copy set aside",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       [](const ScratchDir& dir) {
         std::string broken = dir.Read(kPassCopyFileName).value_or("");
         broken.resize(broken.size() - 3);
         dir.Write(kPassCopyFileName, broken);
       },
       {kBrokenPassCopyBox},
       0,
       false,
       [](const ScratchDir& dir) {
         const auto run = [&](std::vector<std::string> args) {
           Captured out;
           args.insert(args.begin(), {"--data-dir", dir.Path()});
           const int code = ranking::Run(args, out);
           return std::make_pair(code, out.lines);
         };
         // list tells of it; backup takes it as it is, with everything else.
         for (const auto& [readOnly, told] :
              {std::pair{"list", "set-aside"}, std::pair{"backup", "kavrel.recovery into"}}) {
           const auto [code, lines] = run({readOnly});
           EXPECT_EQ(code, ranking::kDone) << readOnly << ": " << lines;
           EXPECT_NE(lines.find(told), std::string::npos) << lines;
         }
         const auto refused = run({"reset", "ranking"});
         EXPECT_EQ(refused.first, ranking::kRefused);
         EXPECT_NE(refused.second.find("set-aside"), std::string::npos) << refused.second;
         EXPECT_EQ(run({"set-aside"}).first, ranking::kDone);
         EXPECT_FALSE(dir.Exists(kPassCopyFileName));
         EXPECT_EQ(NamesStartingWith(dir, "kavrel.recovery.broken-").size(), 1u);
         EXPECT_EQ(LaterBoxes(Play(kQuitAtOnce)), std::vector<std::string>{});
         EXPECT_EQ(run({"reset", "ranking"}).first, ranking::kDone);
       },
       kOnePass},
      // A broken copy of the older kind beside a pass copy is told and kept, and the pass copy
      // is still put back; with the pass copy broken too, both are told and both kept.
      {"a broken older copy beside the pass copy",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       [](const ScratchDir& dir) {
         dir.Write(RecoveryPathFor(kRankingFileName),
                   "kavrel recovery copy of kv_rank.dat\nbefore 9");
       },
       {kBrokenCopyBox},
       0,
       false,
       [&quit, &kBrokenCopyBox, &kBrokenPassCopyBox](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kRecordFileName), quit.record);
         EXPECT_EQ(dir.Read(kRankingFileName), quit.ranking);
         EXPECT_FALSE(dir.Exists(kPassCopyFileName));
         EXPECT_EQ(dir.Read(RecoveryPathFor(kRankingFileName)),
                   "kavrel recovery copy of kv_rank.dat\nbefore 9");
         dir.Write(kPassCopyFileName, "kavrel recovery of a pass\ncopy 9");
         EXPECT_EQ(LaterBoxes(Play(kQuitAtOnce)),
                   (std::vector<std::string>{kBrokenPassCopyBox, kBrokenCopyBox}));
         EXPECT_TRUE(dir.Exists(kPassCopyFileName));
         EXPECT_TRUE(dir.Exists(RecoveryPathFor(kRankingFileName)));
         Captured out;
         EXPECT_EQ(ranking::Run({"--data-dir", dir.Path(), "set-aside"}, out), ranking::kDone)
             << out.lines;
         EXPECT_FALSE(CopiesLeft(dir));
         EXPECT_EQ(LaterBoxes(Play(kQuitAtOnce)), std::vector<std::string>{});
       },
       kOnePass},
      // A backup put back after a crash is not undone: the copies are kept aside, and merging
      // them adds only the crashed run's visitor and results, once however often it is merged.
      {"a backup put back after a crash, and the kept copies merged twice",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       [](const ScratchDir& dir) {
         dir.Write(kRecordFileName, kBackupRecord);
         dir.Write(kRankingFileName, kBackupRanking);
       },
       kKeptAfterABackup,
       0,
       false,
       [&quit](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kRecordFileName), "0.500000\r\n0.500000\r\n8\r\n");
         EXPECT_EQ(dir.Read(kRankingFileName), kBackupRanking);
         EXPECT_FALSE(CopiesLeft(dir));
         const std::vector<std::string> record = NamesStartingWith(dir, "kavrel.dat.kept-");
         const std::vector<std::string> ranking = NamesStartingWith(dir, "kv_rank.dat.kept-");
         ASSERT_EQ(record.size(), 1u);
         ASSERT_EQ(ranking.size(), 1u);
         // The pass's results and its visitor, over the backup's.
         const std::string bests = Bests(*quit.record);
         const std::string& q = *quit.ranking;
         const std::string champion = q.substr(0, q.find('\n', q.find('\n') + 1) + 1);
         std::string merged = champion + "1\r\nBACKUP__\r\n";
         for (int i = 0; i < 3; ++i) merged += "0\r\nDEFAULT_\r\n";
         // Typed as the box shows it, from another folder.
         const ScratchDir elsewhere(false);
         for (int time = 0; time < 2; ++time) {
           Captured out;
           EXPECT_EQ(ranking::Run({"--data-dir", dir.Path(), "merge", ranking[0], record[0]}, out),
                     ranking::kDone)
               << out.lines;
           EXPECT_EQ(dir.Read(kRecordFileName), bests + "8\r\n");
           EXPECT_EQ(dir.Read(kRankingFileName), merged);
         }
       },
       kOnePass},
      // A start killed after keeping the copies aside, before the pass copy went: the next start
      // names the same kept files and writes no second one, which a merge would add again.
      {"a start killed after keeping the copies aside",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       [](const ScratchDir& dir) {
         KeptAsAKilledRunLeftThem(dir);
         dir.Write(kRecordFileName, kBackupRecord);
         dir.Write(kRankingFileName, kBackupRanking);
       },
       kKeptAfterABackup,
       0,
       false,
       [](const ScratchDir& dir) {
         EXPECT_FALSE(CopiesLeft(dir));
         EXPECT_EQ(NamesStartingWith(dir, "kavrel.dat.kept-"),
                   std::vector<std::string>{"kavrel.dat.kept-20261208-101500"});
         EXPECT_EQ(NamesStartingWith(dir, "kv_rank.dat.kept-"),
                   std::vector<std::string>{"kv_rank.dat.kept-20261208-101500"});
       },
       kOnePass},
      // An ESC killed after keeping the copies aside and noting them: the pass copy is put back,
      // and the kept files, which a merge would add again, go unnamed.
      {"an ESC killed after keeping the copies aside",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       [](const ScratchDir& dir) {
         KeptAsAKilledRunLeftThem(dir);
         dir.Write(kKeptAtEscNoteName,
                   "kavrel.dat.kept-20261208-101500\nkv_rank.dat.kept-20261208-101500\n");
       },
       {},
       0,
       true,
       [](const ScratchDir& dir) {
         EXPECT_TRUE(NamesStartingWith(dir, "kavrel.dat.kept-").empty());
         EXPECT_TRUE(NamesStartingWith(dir, "kv_rank.dat.kept-").empty());
         EXPECT_FALSE(dir.Exists(kKeptAtEscNoteName));
       },
       kOnePass},
      // A full disk, or a folder in the way: told after the pass, once, and again at Q, which
      // saves the day.
      {"a copy that cannot be written",
       [](const ScratchDir& dir) {
         fs::create_directory(dir.PathOf(TemporaryPathFor(kPassCopyFileName)));
       },
       AfterThePass("tap 61000 Q 50\n"),
       {"kavrel.recovery を書き込めません\n（同じ名前のフォルダがあります）\n"
        "控えなしで続けます。結果とプレイ記録の行は Q で終えるときに保存します\n"
        "そのフォルダを別の場所に移してください。直せば、次の人から控えを書きます\n",
        "kavrel.recovery を書き込めませんでした\n（同じ名前のフォルダがあります）\n"
        "控えはありません。結果はこれから保存します\nそのフォルダを別の場所に移してください。\n"},
       kQuitAtOnce,
       [&quit](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kRecordFileName), quit.record);
         EXPECT_EQ(dir.Read(kRankingFileName), quit.ranking);
         EXPECT_FALSE(CopiesLeft(dir));
       },
       {},
       0,
       false,
       nullptr,
       kOnePass},
      // The pass is durable before the visitor sees their place.
      {"a crash on the ranking screen",
       nothing,
       WholePassScript() + "crash 58000\n",
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       true,
       nullptr,
       kOnePass},
      // Its line is not in the log before its values are durable: a crash leaves neither.
      {"a copy that cannot be written, and a crash",
       [](const ScratchDir& dir) {
         fs::create_directory(dir.PathOf(TemporaryPathFor(kPassCopyFileName)));
       },
       AfterThePass("crash 61000\n"),
       {kCopyNotWrittenBox},
       kQuitAtOnce,
       [](const ScratchDir& dir) { fs::remove(dir.PathOf(TemporaryPathFor(kPassCopyFileName))); },
       {},
       0,
       false,
       [](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kRankingFileName).value_or("").find("CHAMPION"), std::string::npos);
       },
       std::nullopt},
      // Lines that no file takes ride with every pass copy, not just the last.
      {"three passes with the log and its side file unwritable, and a crash",
       logUnwritable,
       threeCrash,
       {kLogUnwritableBox},
       kQuitAtOnce,
       clearLog,
       {},
       0,
       false,
       [&threeQuit](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kRankingFileName), threeQuit.ranking);
       },
       kThreeLines},
      // ... and ESC keeps them with the kept copies, for merge to add.
      {"three passes with the log unwritable, ESC, and the kept copies merged",
       logUnwritable,
       threeEsc,
       {kLogUnwritableBox},
       kQuitAtOnce,
       clearLog,
       kKeptAtEscBoxes,
       0,
       false,
       [&threeQuit](const ScratchDir& dir) {
         Captured out;
         EXPECT_EQ(ranking::Run({"--data-dir", dir.Path(), "merge",
                                 NamesStartingWith(dir, "kv_rank.dat.kept-").at(0),
                                 NamesStartingWith(dir, "kavrel.dat.kept-").at(0)},
                                out),
                   ranking::kDone)
             << out.lines;
         EXPECT_NE(out.lines.find("Added 3 play-log line(s)"), std::string::npos) << out.lines;
         EXPECT_EQ(dir.Read(kRankingFileName), threeQuit.ranking);
       },
       kThreeLines},
      // A start that finds the line still unwritable keeps the pass copy for it: a crash then
      // loses nothing.
      {"a line still waiting after a restart, and a crash",
       logUnwritable,
       AfterThePass("crash 61000\n"),
       {kLogUnwritableBox},
       "crash 1000\n",
       nothing,
       {},
       kCrashed,
       false,
       [clearLog](const ScratchDir& dir) {
         clearLog(dir);
         EXPECT_EQ(Play(kQuitAtOnce).exitCode, 0);
       },
       kOnePass},
      // A line torn where the pass copy says it went is cut back and written whole once.
      {"a pass's line torn in the log",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       [](const ScratchDir& dir) {
         dir.Write(kPlayLogFileName, kLogHead + PassLine(1, "1").substr(0, 20));
       },
       {},
       0,
       true,
       nullptr,
       kOnePass},
      // A backup of both files put back after a crash: the ranking's copy is kept aside too,
      // though the backup holds a CHAMPION of its own, and merging brings the third one back.
      {"a backup put back by hand after a third pass",
       [backup](const ScratchDir& dir) {
         Play(AfterThePass("tap 61000 Q 50\n"));
         *backup = {dir.Read(kRecordFileName), dir.Read(kRankingFileName)};
         Play(AfterThePass("tap 61000 Q 50\n"));
       },
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       [backup](const ScratchDir& dir) {
         dir.Write(kRecordFileName, *backup->record);
         dir.Write(kRankingFileName, *backup->ranking);
       },
       kKeptAfterABackup,
       0,
       false,
       [](const ScratchDir& dir) {
         Captured out;
         EXPECT_EQ(ranking::Run({"--data-dir", dir.Path(), "merge",
                                 NamesStartingWith(dir, "kv_rank.dat.kept-").at(0)},
                                out),
                   ranking::kDone)
             << out.lines;
         EXPECT_EQ(Count(dir.Read(kRankingFileName).value_or(""), "CHAMPION"), 2u);
       },
       kLogHead + PassLine(1, "1") + PassLine(3, "2") + PassLine(5, "3")},
      // Two passes with equal values: the crashed one put back never takes the ESC'd one's
      // kept copies with it.
      {"an ESC'd pass, then an identical pass and a crash",
       nothing,
       AfterThePass("down 61000 ESC\n"),
       {},
       AfterThePass("crash 61000\n"),
       nothing,
       kKeptAtEscBoxes,
       kCrashed,
       false,
       [](const ScratchDir& dir) {
         EXPECT_EQ(Play(kQuitAtOnce).exitCode, 0);
         // Named twice, merged once; a copy of it from elsewhere adds nothing again.
         const std::string kept = NamesStartingWith(dir, "kv_rank.dat.kept-").at(0);
         Captured out;
         EXPECT_EQ(ranking::Run({"--data-dir", dir.Path(), "merge", kept, kept}, out),
                   ranking::kDone)
             << out.lines;
         EXPECT_EQ(Count(dir.Read(kRankingFileName).value_or(""), "CHAMPION"), 2u);
         fs::create_directory("stick");
         dir.Write("stick/copy.dat",
                   dir.Read(kept).value_or("").substr(0, dir.Read(kept)->rfind("merged\n")));
         EXPECT_EQ(ranking::Run({"--data-dir", dir.Path(), "merge", "stick/copy.dat"}, out),
                   ranking::kDone);
         EXPECT_NE(out.lines.find("merged already"), std::string::npos) << out.lines;
         EXPECT_EQ(Count(dir.Read(kRankingFileName).value_or(""), "CHAMPION"), 2u);
       },
       kLogHead + PassLine(1, "1") + PassLine(1, "1")},
      // The log's lines: the wall clock moves with the passes; the names as spelled, one kept
      // text for a spreadsheet, one quoted.
      {"three passes and their names",
       nothing,
       ThreePassesScript(),
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       false,
       nullptr,
       kLogHead + "1970-01-01,12:26:34,+09:00,1,1630.126344,696.375000,34,G,CHAMPION,1\r\n" +
           "1970-01-01,12:27:44,+09:00,2,1398.376374,696.375000,28,H,'=SUM(A1),2\r\n" +
           "1970-01-01,12:29:05,+09:00,3,1398.376374,696.375000,28,H,\"SAY,\"\"HI\"\"\",3\r\n"},
      {"a line torn by a kill before",
       [](const ScratchDir& dir) { dir.Write(kPlayLogFileName, kLogHead + "1970-01-01,09:0"); },
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       true,
       nullptr,
       kLogHead + "1970-01-01,09:0\r\n" + PassLine(1, "1")},
      // A folder in the log's way holds it against writing, as a spreadsheet does on Windows: the
      // line waits in the side file, and moves into the log with the next one. A pass that
      // reaches no place leaves that field empty.
      {"a log that cannot be written, and later can",
       [](const ScratchDir& dir) {
         fs::create_directory(dir.PathOf(kPlayLogFileName));
         dir.Write(kRankingFileName, kHighRanking);
       },
       AfterThePass("tap 61000 Q 50\n"),
       {"kv_plays.csv に書き込めません\n（同じ名前のフォルダがあります）\n"
        "その間の行は kv_plays.csv.pending に書き、書き込めるようになったら移します\n"
        "そのフォルダを別の場所に移してください。\n"},
       AfterThePass("tap 61000 Q 50\n"),
       [](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kPlayLogSideFileName), PassLine(1, ""));
         fs::remove(dir.PathOf(kPlayLogFileName));
       },
       {},
       0,
       false,
       [](const ScratchDir& dir) {
         EXPECT_FALSE(dir.Exists(kPlayLogSideFileName));
         EXPECT_FALSE(dir.Exists(kPlayLogMoveFileName));
       },
       kLogHead + PassLine(1, "") + PassLine(3, "")},
      // Whether the file still holds what the copy was made from cannot be told: the copy is
      // neither put back nor removed, and the game plays its values without keeping them.
      {"a copy waiting beside a data file that cannot be read",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       [](const ScratchDir& dir) { fs::create_directory(dir.PathOf(kRankingFileName)); },
       {"kv_rank.dat に控えを戻せません\n（同じ名前のフォルダがあります）\n"
        "控えの内容で続けます。ファイルと控えはそのままで、今回の結果は残りません\n"
        "ESC で閉じてください。そのフォルダを別の場所に移してください。それから起動し直すと、"
        "控えをファイルに戻します\n",
        "kv_rank.dat を保存できませんでした\n（起動したときに読めませんでした: "
        "同じ名前のフォルダがあります）\n"
        "ファイルはそのままで、今回の結果はこのファイルには残りません\n"
        "そのフォルダを別の場所に移してください。それから起動し直してください\n"},
       kDataNotSaved,
       false,
       [&quit](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kRecordFileName), quit.record);
         EXPECT_TRUE(fs::is_directory(dir.PathOf(kRankingFileName)));
         const std::string copy = RankingCopyIn(dir.Read(kPassCopyFileName).value_or(""));
         EXPECT_NE(copy.find("CHAMPION"), std::string::npos);
       },
       kOnePass},
      // Killed during Q's saves, after the record was saved: its copy adds nothing to the file,
      // and goes without a box.
      {"a kill during Q's save is put right quietly",
       nothing,
       AfterThePass("crash 61000\n"),
       {},
       kQuitAtOnce,
       [&quit](const ScratchDir& dir) { dir.Write(kRecordFileName, *quit.record); },
       {},
       0,
       false,
       [&quit](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read(kRankingFileName), quit.ranking);
         EXPECT_TRUE(NamesStartingWith(dir, "kavrel.dat.kept-").empty());
         EXPECT_FALSE(CopiesLeft(dir));
       },
       kOnePass},
      // A log-off in the middle of a pass keeps what the pass has set, and its line says so.
      {"a session's end in the middle of a pass",
       nothing,
       AfterThePass("term 45000\n"),
       {},
       kQuitAtOnce,
       nothing,
       {},
       0,
       false,
       [](const ScratchDir& dir) {
         // The report counts it apart from the finished passes.
         Captured out;
         EXPECT_EQ(ranking::Run({"--data-dir", dir.Path(), "report", "--all"}, out), 0);
         EXPECT_TRUE(out.lines.find("1 pass cut short") != std::string::npos ||
                     out.lines.find("途中で終わった回が 1 回") != std::string::npos)
             << out.lines;
       },
       kLogHead + "1970-01-01,12:26:30,+09:00,1,1630.126344,696.375000,34,中断,,\r\n"},
#ifndef _WIN32
      // Nothing is followed or waited on: the game plays on as with files it cannot use.
      {"a pipe and a link under the game's names",
       [](const ScratchDir& dir) {
         ASSERT_EQ(mkfifo(dir.PathOf(kRecordFileName).c_str(), 0644), 0);
         ASSERT_EQ(mkfifo(dir.PathOf(kPlayLogSideFileName).c_str(), 0644), 0);
         dir.Write("elsewhere.csv", "other");
         fs::create_symlink("elsewhere.csv", dir.PathOf(kPlayLogFileName));
       },
       AfterThePass("tap 61000 Q 50\n"),
       {"kavrel.dat が読めません\n（ふつうのファイルではありません）\n"
        "初めて起動したときと同じ値で始めます。ファイルはそのままで、今回の結果はこのファイルには残"
        "り"
        "ません\n"
        "ESC で閉じてください。同じ名前のリンクや特別なファイルを別の場所に移してください。"
        "それから起動し直してください\n",
        "kv_plays.csv に書き込めません\n（ふつうのファイルではありません）\n"
        "kv_plays.csv.pending にも書き込めません。その間の行はゲームが覚えていて、"
        "書き込めるようになったら書き込みます\n"
        "同じ名前のリンクや特別なファイルを別の場所に移してください。\n",
        "kavrel.dat を保存できませんでした\n（起動したときに読めませんでした: "
        "ふつうのファイルではありません）\n"
        "ファイルはそのままで、今回の結果はこのファイルには残りません\n"
        "同じ名前のリンクや特別なファイルを別の場所に移してください。それから起動し直してください"
        "\n",
        "kv_plays.csv に書き込めませんでした\n（ふつうのファイルではありません）\n"
        "1 人分の行は、どのファイルにも書き込めませんでした\n"
        "同じ名前のリンクや特別なファイルを別の場所に移してください。\n"},
       kQuitAtOnce,
       [](const ScratchDir& dir) {
         EXPECT_EQ(dir.Read("elsewhere.csv"), "other");
         for (const char* name : {kRecordFileName, kPlayLogFileName, kPlayLogSideFileName})
           fs::remove(dir.PathOf(name));
       },
       {},
       0,
       false,
       nullptr,
       std::nullopt},
#endif
      {"neither the log nor its side file can be written",
       nothing,
       kQuitAtOnce,
       {},
       AfterThePass("tap 61000 Q 50\n"),
       [](const ScratchDir& dir) {
         fs::create_directory(dir.PathOf(kPlayLogFileName));
         fs::create_directory(dir.PathOf(kPlayLogSideFileName));
       },
       {"kv_plays.csv に書き込めません\n（同じ名前のフォルダがあります）\n"
        "kv_plays.csv.pending にも書き込めません。その間の行はゲームが覚えていて、書き込めるよう"
        "になったら書き込みます\nそのフォルダを別の場所に移してください。\n",
        "kv_plays.csv に書き込めませんでした\n（同じ名前のフォルダがあります）\n"
        "1 人分の行は、どのファイルにも書き込めませんでした\nそのフォルダを別の場所に移してくだ"
        "さい。\n"},
       kDataNotSaved,
       false,
       [](const ScratchDir& dir) { EXPECT_TRUE(fs::is_directory(dir.PathOf(kPlayLogFileName))); },
       std::nullopt},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    c.before(dir);
    const ReplayRun first = Play(c.firstRun);
    EXPECT_EQ(LaterBoxes(first), c.firstBoxes);
    c.between(dir);
    const ReplayRun second = Play(c.secondRun);
    EXPECT_EQ(LaterBoxes(second), c.secondBoxes);
    EXPECT_EQ(second.exitCode, c.secondExit);
    if (c.filesAsAfterTheQuit) {
      EXPECT_EQ(dir.Read(kRecordFileName), quit.record);
      EXPECT_EQ(dir.Read(kRankingFileName), quit.ranking);
      EXPECT_FALSE(CopiesLeft(dir));
    }
    if (c.after) c.after(dir);
    if (c.log) {
      EXPECT_EQ(dir.Read(kPlayLogFileName), c.log);
    } else {
      EXPECT_FALSE(fs::is_regular_file(dir.PathOf(kPlayLogFileName)));
    }
  }
}

TEST(BoothDay, ASecondProgramInTheDirectoryTouchesNothing) {
  ScratchDir dir;
  dir.Write(kRecordFileName, "1.000000\r\n2.000000\r\n3\r\n");
  {
    const plat::DirectoryLock other(dir.Path());
    ASSERT_EQ(other.outcome(), plat::DirectoryLock::Outcome::Locked);
    const ReplayRun run = Play(kQuitAtOnce);
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_TRUE(run.frames.empty());
    ASSERT_EQ(run.messageBoxes.size(), 1u);
    EXPECT_EQ(SjisToUtf8(run.messageBoxes[0].text),
              "このフォルダではすでにゲームが動いています\n"
              "（ほかのゲームかツールが .kavrel.lock にロックをかけています）\n"
              "動いているゲームを使ってください。見当たらなければ、ツールが終わるのを待ってから"
              "起動し直してください\n");
    EXPECT_EQ(dir.Read(kRecordFileName), "1.000000\r\n2.000000\r\n3\r\n");
    EXPECT_FALSE(dir.Exists(kRankingFileName));
  }
  // Given up with its holder, and nothing is left behind.
  EXPECT_EQ(Play(kQuitAtOnce).exitCode, 0);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{".kavrel.lock", "kavrel.bmp", "kavrel.dat", "kv_rank.dat"}));
#ifndef _WIN32
  // A lock file that is not a plain file is refused, never passed over for the directory's lock:
  // another user's program may be locking what a link leads to.
  const std::string ranking = dir.Read(kRankingFileName).value_or("");
  dir.Write("elsewhere", "");
  const std::function<void()> plant[] = {
      [&] { fs::create_symlink("elsewhere", dir.PathOf(plat::kLockFileName)); },
      [&] { ASSERT_EQ(mkfifo(dir.PathOf(plat::kLockFileName).c_str(), 0666), 0); },
      [&] { fs::create_directory(dir.PathOf(plat::kLockFileName)); }};
  for (const auto& put : plant) {
    fs::remove(dir.PathOf(plat::kLockFileName));
    put();
    const ReplayRun run = Play(kQuitAtOnce);
    EXPECT_EQ(run.exitCode, 5);
    ASSERT_EQ(run.messageBoxes.size(), 1u);
    EXPECT_NE(SjisToUtf8(run.messageBoxes[0].text).find("ふつうのファイルではありません"),
              std::string::npos);
    Captured out;
    EXPECT_EQ(ranking::Run({"--data-dir", dir.Path(), "remove", "1"}, out),
              ranking::kDirectoryBusy);
    EXPECT_EQ(dir.Read(kRankingFileName), ranking);
  }
  fs::remove(dir.PathOf(plat::kLockFileName));
#endif
}

#ifndef _WIN32
// Copies that another user could have put in the folder (another user's, or writable by others)
// are never put back, kept aside, removed or named as kept: each is told, and left as it is.
TEST(BoothDay, CopiesAnotherUserCouldHaveWrittenAreLeftAlone) {
  UseJapanTime();
  ScratchDir dir;
  Play(AfterThePass("tap 61000 Q 50\n"));
  const std::optional<std::string> ranking = dir.Read(kRankingFileName);
  const std::optional<std::string> log = dir.Read(kPlayLogFileName);
  ASSERT_TRUE(ranking && log);
  std::string hacker;
  for (int i = 0; i < 5; ++i) hacker += "999\r\nHACKER__\r\n";
  RecoveryCopy forged;
  forged.file = kRankingFileName;
  forged.keepsBefore = true;
  forged.before = ranking;
  forged.after = hacker;
  forged.from = "1-2-3 1";
  const std::pair<std::string, std::string> planted[] = {
      {kPassCopyFileName,
       EncodePassCopy({{forged}, PassLineCopy{-1, -1, "1970-01-01,HACKER__\r\n"}})},
      {RecoveryPathFor(kRankingFileName), hacker},
      {"kv_rank.dat.kept-20261208-101500", EncodeRecoveryCopy(forged)},
      {kKeptAtEscNoteName, "kv_rank.dat.kept-20261208-101500\n"}};
  for (const auto& [name, bytes] : planted) {
    dir.Write(name, bytes);
    fs::permissions(dir.PathOf(name), fs::perms::others_write, fs::perm_options::add);
  }
  const ReplayRun run = Play(kQuitAtOnce);
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> boxes = LaterBoxes(run);
  ASSERT_EQ(boxes.size(), 3u);
  for (const std::string& box : boxes)
    EXPECT_NE(box.find("を使いませんでした\n（"), std::string::npos) << box;
  EXPECT_EQ(dir.Read(kRankingFileName), ranking);
  EXPECT_EQ(dir.Read(kPlayLogFileName), log);
  for (const auto& [name, bytes] : planted) EXPECT_EQ(dir.Read(name), bytes) << name;
}
#endif

TEST(BoothDay, TheReplayToolDiesAtItsCrashTimeLeavingTheCopies) {
  ScratchDir dir;
  const std::string script = AfterThePass("crash 61000\nend 61000\n");
  dir.Write("s.replay", script);
  std::string err;
  EXPECT_EQ(RunReplayTool("s.replay --trace t.jsonl", &err), 6) << err;
  const std::string trace = dir.Read("t.jsonl").value_or("");
  EXPECT_EQ(trace.substr(trace.rfind('{')), "{\"ev\":\"crash\",\"tick\":61027}\n");
  EXPECT_FALSE(dir.Exists(kRecordFileName));
  EXPECT_TRUE(CopiesLeft(dir));
}

#ifdef _WIN32
// Symbolic links under the data files' and the log's names are not followed: the game plays on
// as with files it cannot use, and writes nothing through them.
TEST(BoothDay, LinksUnderTheGamesNamesAreNotFollowed) {
  ScratchDir dir;
  dir.Write("elsewhere.csv", "other");
  dir.Write("elsewhere.dat", kBackupRecord);
  constexpr unsigned long kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  if (!CreateSymbolicLinkW(L"kv_plays.csv", L"elsewhere.csv", kUnprivileged) ||
      !CreateSymbolicLinkW(L"kavrel.dat", L"elsewhere.dat", kUnprivileged))
    GTEST_SKIP() << "no symbolic link can be made here (error " << GetLastError() << ")";
  // Wine answers yes and makes nothing.
  if (!dir.Exists(kPlayLogFileName) || !dir.Exists(kRecordFileName))
    GTEST_SKIP() << "the system said the links were made, but they are not there";
  const std::vector<std::string> boxes = LaterBoxes(Play(AfterThePass("tap 61000 Q 50\n")));
  EXPECT_EQ(dir.Read("elsewhere.csv"), "other");
  EXPECT_EQ(dir.Read("elsewhere.dat"), kBackupRecord);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0].rfind("kavrel.dat が読めません\n（ふつうのファイルではありません）", 0), 0u)
      << boxes[0];
}
#endif

#ifndef _WIN32
// How often each call in `calls` (comma-separated) was made in the run `args`, by strace.
std::map<std::string, int> CallsMade(const ScratchDir& dir, const std::string& args,
                                     const std::string& calls) {
  RunReplayTool(args, nullptr, "strace -f -qq -o calls.txt -e trace=" + calls);
  std::map<std::string, int> counts;
  std::istringstream in(dir.Read("calls.txt").value_or(""));
  static const std::regex call("^(?:[0-9]+ +)?([a-z0-9_]+)\\(");
  std::smatch m;
  for (std::string line; std::getline(in, line);)
    if (std::regex_search(line, m, call)) ++counts[m[1]];
  fs::remove(dir.PathOf("calls.txt"));
  return counts;
}

// A full file system tears the pass's line in the log: what was written of it is taken off again,
// and once there is room the next start adds the line from the pass copy, once.
TEST(BoothDay, ALineTornByAFullFileSystemIsInTheLogOnce) {
  UseJapanTime();
  ScratchDir dir;
  fs::create_directory("small");
  const std::string small = dir.PathOf("small");
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=128k") != 0)
    GTEST_SKIP() << "a small tmpfs cannot be mounted here (" << std::strerror(errno)
                 << "); the injected half write of the play log's test stands for it";
  struct Unmount {
    std::string path;
    ~Unmount() {
      fs::current_path(fs::path(path).parent_path());
      umount2(path.c_str(), MNT_DETACH);
    }
  } unmount{small};
  fs::copy_file("kavrel.bmp", "small/kavrel.bmp");
  fs::current_path(small);
  // The line's first 30 bytes fit in the log's last page; the one page left free takes the pass
  // copy.
  const std::string log = kLogHead + std::string(4096 - 30 - 2 - kLogHead.size(), 'x') + "\r\n";
  dir.Write("small/" + std::string(kPlayLogFileName), log);
  const std::string page(4096, 'f');
  int pages = 0;
  for (;; ++pages) {
    const std::string name = "fill" + std::to_string(pages);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const ssize_t written = write(fd, page.data(), page.size());
    close(fd);
    if (written != static_cast<ssize_t>(page.size())) {
      fs::remove(name);
      break;
    }
  }
  ASSERT_GT(pages, 0);
  fs::remove("fill0");
  Play(AfterThePass("crash 61000\n"));
  EXPECT_EQ(dir.Read("small/" + std::string(kPlayLogFileName)), log);
  ASSERT_TRUE(dir.Exists("small/" + std::string(kPassCopyFileName)));
  for (int n = 1; n < pages; ++n) fs::remove("fill" + std::to_string(n));
  EXPECT_EQ(Play(kQuitAtOnce).exitCode, 0);
  EXPECT_EQ(dir.Read("small/" + std::string(kPlayLogFileName)), log + PassLine(1, "1"));
  EXPECT_FALSE(dir.Exists("small/" + std::string(kPlayLogSideFileName)));
}

// The game killed at every write, sync, rename and removal from the end of a pass to the next
// attract screen, in a fresh folder and with a line of an earlier pass waiting in the side file:
// after a restart and Q, the pass is in both files and once in the log, or nowhere, and the
// waiting line is in the log once.
TEST(BoothDay, AKillAtAnyStepOfAPassEndKeepsTheWholePassOrNone) {
  if (std::system("strace -V > /dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  UseJapanTime();
  const Files quit = QuitAfterThePass();
  Files none;
  {
    ScratchDir dir;
    Play(kQuitAtOnce);
    none = {dir.Read(kRecordFileName), dir.Read(kRankingFileName)};
  }
  const std::string calls =
      "write,fsync,fdatasync,rename,renameat,renameat2,unlink,unlinkat,ftruncate";
  const std::string earlier = "1970-01-01,09:00:00,+09:00,9,1.000000,2.000000,3,J,EARLIER_,\r\n";
  const std::string line = PassLine(1, "1");
  int points = 0;
  for (const bool waiting : {false, true}) {
    const auto prepare = [&](const ScratchDir& dir) {
      if (waiting) dir.Write(kPlayLogSideFileName, earlier);
      dir.Write("s.txt", AfterThePass(""));
      dir.Write("q.txt", kQuitAtOnce);
    };
    std::map<std::string, int> counts;
    {
      ScratchDir dir;
      prepare(dir);
      counts = CallsMade(dir, "s.txt", calls);
    }
    ASSERT_GT(counts["fsync"], 0);
    for (const auto& [name, count] : counts) {
      for (int n = 1; n <= count; ++n) {
        SCOPED_TRACE(name + " " + std::to_string(n) + (waiting ? ", a line waiting" : ""));
        ScratchDir dir;
        prepare(dir);
        RunReplayTool("s.txt", nullptr,
                      "strace -f -qq -o /dev/null -e trace=" + name + " -e inject=" + name +
                          ":signal=KILL:when=" + std::to_string(n));
        ASSERT_EQ(RunReplayTool("q.txt"), 0);
        ++points;
        const std::string log =
            dir.Read(kPlayLogFileName).value_or("") + dir.Read(kPlayLogSideFileName).value_or("");
        const bool kept =
            dir.Read(kRankingFileName).value_or("").find("CHAMPION") != std::string::npos;
        const Files& want = kept ? quit : none;
        EXPECT_EQ(dir.Read(kRecordFileName), want.record);
        EXPECT_EQ(dir.Read(kRankingFileName), want.ranking);
        EXPECT_EQ(Count(log, line), kept ? 1u : 0u) << log;
        if (waiting) {
          EXPECT_EQ(Count(log, earlier), 1u) << log;
        }
        EXPECT_FALSE(CopiesLeft(dir));
      }
    }
  }
  EXPECT_GT(points, 20);
}

// The game's ESC after a pass, a start that puts a crashed pass back, and the ranking tool's merge
// of an ESC's kept copies, each killed at every write, sync, rename and removal, then the game
// started again (and the merge typed again): the pass is in the ranking as often as its line is in
// the log, and once wherever the kill fell after the pass was durable.
TEST(BoothDay, AKillInAnEscAStartOrAMergeCountsThePassOnce) {
  if (std::system("strace -V > /dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  UseJapanTime();
  const std::string calls =
      "write,fsync,fdatasync,rename,renameat,renameat2,unlink,unlinkat,ftruncate";
  const std::string line = PassLine(1, "1");
  const std::string tool = std::string("'") + KAVREL_BINARY_DIR + "/kavrel-ranking' --data-dir . ";
  const auto keptNames = [](const ScratchDir& dir) {
    std::string names;
    for (const char* file : {"kv_rank.dat.kept-", "kavrel.dat.kept-"})
      for (const std::string& name : NamesStartingWith(dir, file)) names += " " + name;
    return names;
  };
  const auto mergeAll = [&](const ScratchDir& dir) {
    const std::string names = keptNames(dir);
    if (!names.empty()) std::system((tool + "merge" + names + " > /dev/null 2>&1").c_str());
  };
  struct Step {
    const char* name;
    std::function<void(const ScratchDir&)> prepare;
    std::function<std::string(const ScratchDir&)> command;  // run under strace
    bool alwaysKept;  // the pass was durable before the command began
  };
  const Step steps[] = {
      {"ESC after a pass",
       [](const ScratchDir& dir) { dir.Write("s.txt", AfterThePass("down 61000 ESC\n")); },
       [](const ScratchDir&) { return std::string("s.txt"); }, false},
      {"a start that puts a crashed pass back",
       [](const ScratchDir&) { Play(AfterThePass("crash 61000\n")); },
       [](const ScratchDir&) { return std::string("q.txt"); }, true},
      {"merge of an ESC's kept copies",
       [](const ScratchDir&) {
         Play(AfterThePass("down 61000 ESC\n"));
         Play(kQuitAtOnce);
       },
       [&](const ScratchDir& dir) { return tool + "merge" + keptNames(dir); }, true},
  };
  int points = 0;
  for (const Step& step : steps) {
    const auto run = [&](const ScratchDir& dir, const std::string& strace) {
      const std::string command = step.command(dir);
      if (command.rfind("'", 0) == 0)
        std::system((strace + " " + command + " > /dev/null 2>&1").c_str());
      else
        RunReplayTool(command, nullptr, strace);
    };
    const auto prepare = [&](const ScratchDir& dir) {
      dir.Write("q.txt", kQuitAtOnce);
      step.prepare(dir);
    };
    std::map<std::string, int> counts;
    {
      ScratchDir dir;
      prepare(dir);
      run(dir, "strace -f -qq -o calls.txt -e trace=" + calls);
      std::istringstream in(dir.Read("calls.txt").value_or(""));
      static const std::regex call("^(?:[0-9]+ +)?([a-z0-9_]+)\\(");
      std::smatch m;
      for (std::string text; std::getline(in, text);)
        if (std::regex_search(text, m, call)) ++counts[m[1]];
    }
    ASSERT_GT(counts["rename"], 0) << step.name;
    for (const auto& [name, count] : counts) {
      for (int n = 1; n <= count; ++n) {
        SCOPED_TRACE(std::string(step.name) + ": " + name + " " + std::to_string(n));
        ScratchDir dir;
        prepare(dir);
        run(dir, "strace -f -qq -o /dev/null -e trace=" + name + " -e inject=" + name +
                     ":signal=KILL:when=" + std::to_string(n));
        ++points;
        ASSERT_EQ(RunReplayTool("q.txt"), 0);
        mergeAll(dir);
        mergeAll(dir);  // typed again: adds nothing
        const size_t passes = Count(dir.Read(kRankingFileName).value_or(""), "CHAMPION");
        const size_t lines = Count(dir.Read(kPlayLogFileName).value_or(""), line);
        EXPECT_EQ(passes, lines);
        EXPECT_LE(passes, 1u);
        if (step.alwaysKept) {
          EXPECT_EQ(passes, 1u);
        }
        EXPECT_FALSE(dir.Exists(kPassCopyFileName));
      }
    }
  }
  EXPECT_GT(points, 30);
}
#endif

}  // namespace
