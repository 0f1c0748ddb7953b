#include "upkeep/Commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/Language.h"
#include "platform/LocalTime.h"
#include "platform/Controls.h"
#include "platform/Utf8.h"
#include "store/BoothLog.h"
#include "store/PlayLogFormat.h"
#include "store/Reasons.h"
#include "store/Recovery.h"
#include "store/RecoveryCopy.h"
#include "store/SafeFile.h"
#include "store/SettingsFile.h"
#include "store/TextScan.h"
#include "upkeep/DataFileAccess.h"
#include "upkeep/Edits.h"
#include "upkeep/Text.h"

namespace ranking {

namespace fs = std::filesystem;
using plat::Say;

namespace {

// Where a booth's backup goes: a USB stick, as each system names it.
#ifdef _WIN32
constexpr plat::Bilingual kBackupExample = {
    "バックアップするフォルダを書いてください（例: backup E:\\）。",
    "Give the folder to back up into (for example: backup E:\\)."};
#else
constexpr plat::Bilingual kBackupExample = {
    "バックアップするフォルダを書いてください（例: backup /media/$USER/USBメモリの名前）。",
    "Give the folder to back up into (for example: backup /media/$USER/STICK)."};
#endif

void ListTables(Output& out, const GameState& record, const RankingTable& table) {
  size_t width = 0;
  for (const RankingEntry& entry : table)
    width = std::max(width, std::to_string(entry.score).size());
  for (size_t z = 0; z < table.size(); ++z) {
    std::string score = std::to_string(table[z].score);
    score.insert(0, width - score.size(), ' ');
    out.Line(Fill(Say({"{}位  {}点  {}", "{}.  {}  {}"}),
                  {std::to_string(z + 1), score, ReadableName(table[z].name)}));
  }
  // Named as the game and the documents name the two events.
  out.Line(Fill(Say({"ダンボランの最高記録: {}", "best distance: {}"}),
                {FixedSix(record.bestDistance)}));
  out.Line(Fill(Say({"ＢｏｕｎＺｏの最高記録: {}", "best bounce score: {}"}),
                {FixedSix(record.bestBounce)}));
  out.Line(Fill(Say({"次の挑戦者の番号: {}", "next challenger number: {}"}),
                {std::to_string(record.challengerNumber)}));
}

std::string JoinedNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : Say({"、", ", "})) + name;
  return text;
}

}  // namespace

std::string PlaceWord(int place) {
  // In full-width digits, as the game's ranking screen shows a place.
  std::string wide;
  for (const char digit : std::to_string(place)) AppendUtf8(wide, U'０' + (digit - '0'));
  return Fill(Say({"{}位", "place {}"}), {Say({wide.c_str(), std::to_string(place).c_str()})});
}

int List(Output& out, ListLock lock) {
  const std::optional<GameState> record = CheckedRecord(out);
  if (!record) return kRefused;
  const std::optional<RankingTable> table = CheckedRanking(out);
  if (!table) return kRefused;
  ListTables(out, *record, *table);
  std::string bytes;
  if (ReadBytes(kRecordFileName, bytes).kind == DataFileRead::Absent &&
      ReadBytes(kRankingFileName, bytes).kind == DataFileRead::Absent)
    out.Line(Say({"（このフォルダにはデータのファイルがまだありません。ゲームの初めの値です。）",
                  "(There are no data files in this folder yet: these are the game's first "
                  "values.)"}));
  if (lock != ListLock::Held) {
    const std::string both = std::string(kRecordFileName) + Say({"、", ", "}) + kRankingFileName;
    const std::pair<std::string, std::string> copies[] = {
        {kPassCopyFileName, both},
        {RecoveryPathFor(kRecordFileName), kRecordFileName},
        {RecoveryPathFor(kRankingFileName), kRankingFileName}};
    for (const auto& [copy, file] : copies) {
      std::string bytes;
      if (ReadBytes(copy, bytes).kind == DataFileRead::Absent) continue;
      out.Line(Fill(lock == ListLock::GameRunning
                        ? Say({"ゲームが動いています。{} に、{} にまだ入っていない結果があります。"
                               "ゲームを Q で終えると、{} に保存します。",
                               "The game is running. {} holds results not yet in {}; quitting "
                               "the game with Q saves them into {}."})
                        : Say({"このフォルダはロックできないので、ゲームが動いているかどうか"
                               "分かりません。そのため {} を {} に戻していません。上の値は {} "
                               "の内容です。ゲームが動いていないことを確かめてから、--no-lock "
                               "を付けて list を打つと戻します。",
                               "This folder cannot be locked, so whether a game runs there "
                               "cannot be told, and {} was not put into {}: the values above "
                               "are those of {}. Make sure no game runs there, then type list "
                               "with --no-lock to put it back."}),
                    {copy, file, file}));
    }
  }
  return kDone;
}

int Backup(Output& out, const fs::path& base, int64_t now) {
  std::error_code ec;
  if (!fs::exists(base, ec))
    return Refuse(out, Fill(Say({"{} が見つかりません。", "{} was not found."}), {Utf8Of(base)}),
                  Say(FileFailureFor(ENOENT).remedy));
  if (!fs::is_directory(base, ec))
    return Refuse(
        out, Fill(Say({"{} はフォルダではありません。", "{} is not a folder."}), {Utf8Of(base)}),
        Say(kBackupExample));
  // Every file of the day, as it is, unread: the data files, the log with its side file and move
  // note (so that the backup counts every pass once too), the booth's log, and every copy that
  // holds results, whatever state it is in (kept aside, broken, waiting to be put back); and the
  // operator's own settings and controller mapping, so that a booth set up again is the same.
  std::vector<std::string> names = {kRecordFileName,
                                    kRankingFileName,
                                    kPlayLogFileName,
                                    kPlayLogSideFileName,
                                    kPlayLogMoveFileName,
                                    kBoothLogFileName,
                                    kPassCopyFileName,
                                    RecoveryPathFor(kRecordFileName),
                                    RecoveryPathFor(kRankingFileName),
                                    kKeptAtEscNoteName,
                                    kSettingsFileName,
                                    plat::kControlsFileName};
  std::vector<std::string> copyNames;
  std::error_code listError;
  for (fs::directory_iterator it(".", listError), end; !listError && it != end;
       it.increment(listError)) {
    const std::string name = Utf8Of(it->path().filename());
    const bool broken = name.find(".broken-") != std::string::npos &&
                        (name.rfind(kPassCopyFileName, 0) == 0 ||
                         name.rfind(RecoveryPathFor(kRecordFileName), 0) == 0 ||
                         name.rfind(RecoveryPathFor(kRankingFileName), 0) == 0);
    if (IsKeptAsideName(name) || broken) copyNames.push_back(name);
  }
  std::sort(copyNames.begin(), copyNames.end());
  names.insert(names.end(), copyNames.begin(), copyNames.end());
  struct Copy {
    std::string file;
    std::string bytes;
  };
  std::vector<Copy> copies;
  std::vector<std::string> unread;  // told, and the rest is copied all the same
  for (const std::string& file : names) {
    std::string bytes;
    DataFileRead read = ReadBytes(file, bytes, kMaxPlayLogBytes + 1);
    if (bytes.size() > kMaxPlayLogBytes) read = {DataFileRead::Unreadable, EFBIG};
    if (read.kind == DataFileRead::Unreadable) {
      out.Problem("kavrel-ranking: " +
                  Fill(Say({"{} を読めません（{}）。", "{} cannot be read ({})."}),
                       {file, Reason(read.error)}));
      unread.push_back(file);
    }
    if (read.kind == DataFileRead::Read) copies.push_back({file, std::move(bytes)});
  }
  const fs::path target = base / ("kavrel-backup-" + StampText(ToLocalTime(now)));
  if (!fs::create_directory(target, ec)) {
    if (!ec)
      return Refuse(out,
                    Fill(Say({"{} はもうあります。", "{} is there already."}), {Utf8Of(target)}),
                    Say({"一秒待ってから、もう一度打ってください。",
                         "Wait a second, then type this again."}));
    return Refuse(out,
                  Fill(Say({"{} を作れません（{}）。", "{} cannot be made ({})."}),
                       {Utf8Of(target), Reason(ec)}),
                  Remedy(ec));
  }
  // Into the new folder by name, so that the safe save needs no path on any system.
  InDirectory inTarget(target);
  if (!inTarget.entered())
    return Refuse(out, Fill(Say({"{} に入れません（{}）。", "{} cannot be entered ({})."}),
                            {Utf8Of(target), inTarget.error()}));
  std::string copied;
  for (const Copy& copy : copies) {
    int error = 0;
    if (!ReplaceFile(PosixFileOps(), copy.file, copy.bytes, &error)) {
      out.Problem("kavrel-ranking: " +
                  Fill(Say({"{} を {} にコピーできません（{}）。{}",
                            "{} cannot be copied into {} ({}). {}"}),
                       {copy.file, Utf8Of(target), Reason(error), Remedy(error)}));
      return kRefused;
    }
    copied += (copied.empty() ? "" : Say({"、", ", "})) + copy.file;
  }
  out.Line(
      Fill(Say({"{} を {} にコピーしました。", "Copied {} into {}."}), {copied, Utf8Of(target)}));
  if (unread.empty()) return kDone;
  out.Problem(
      "kavrel-ranking: " +
      Fill(Say({"読めなかったファイル（{}）はコピーしていません。{}",
                "The files that could not be read ({}) were not copied. {}"}),
           {JoinedNames(unread), Say({"読めるようにしてから、もう一度バックアップしてください。",
                                      "Make them readable, then back up again."})}));
  return kRefused;
}

int MergeFiles(Output& out, const std::vector<fs::path>& files) {
  std::optional<RankingTable> here = CheckedRanking(out);
  if (!here) return kRefused;
  std::optional<GameState> record;  // read only when a kept-aside record is merged
  std::vector<RankingEntry> more;
  bool rankingGiven = false;
  std::string own;
  const bool ownThere = ReadBytes(kRankingFileName, own).kind == DataFileRead::Read;
  // The kept copies merged now, marked merged in the same step as the files they change, and the
  // play-log lines that ESC kept with them.
  PassCopy step;
  std::string lines;
  size_t added = 0;
  std::vector<fs::path> seen;
  std::vector<std::string> seenCopies;  // "file run pass" of the kept copies taken
  for (const fs::path& path : files) {
    const std::string name = Utf8Of(path);
    std::error_code ec;
    const fs::path same = fs::weakly_canonical(path, ec);
    if (std::find(seen.begin(), seen.end(), ec ? path : same) != seen.end()) {
      out.Line(Fill(Say({"{} は二度書かれています。一度だけ取り込みます。",
                         "{} is given twice; it is merged once."}),
                    {name}));
      continue;
    }
    seen.push_back(ec ? path : same);
    std::string bytes;
    const DataFileRead read = ReadBytes(name, bytes, kMaxRecoveryCopyBytes);
    if (read.kind == DataFileRead::Absent)
      return Refuse(
          out, Fill(Say({"{} が見つかりません。", "{} was not found."}), {name}),
          Say({"ファイルの名前と場所を確かめてください。", "Check the file's name and folder."}));
    if (read.kind == DataFileRead::Unreadable) return RefuseUnreadable(out, name, read.error);
    // A copy a crashed game left (kept aside): only what that run added is merged.
    std::optional<RecoveryCopy> copy;
    if (IsRecoveryCopy(bytes)) {
      copy = DecodeRecoveryCopy(bytes);
      if (!copy || !copy->keepsBefore)
        return Refuse(
            out,
            Fill(Say({"{} は控えですが、内容が壊れています。", "{} is a damaged copy."}), {name}),
            Say({"このファイルは取り込めません。", "It cannot be merged."}));
      const std::string identity = copy->file + " " + copy->from;
      const bool twice = !copy->from.empty() && std::find(seenCopies.begin(), seenCopies.end(),
                                                          identity) != seenCopies.end();
      if (copy->merged || twice || (!copy->from.empty() && MergedAlready(*copy))) {
        out.Line(Fill(Say({"{} はもう取り込んであります（同じ控えです）。何も変えません。",
                           "{} was merged already (the same copy); nothing of it is added "
                           "again."}),
                      {name}));
        continue;
      }
      if (!copy->from.empty()) seenCopies.push_back(identity);
      step.marks.push_back(name);
      lines += copy->lines;
      bytes = copy->after;
    } else if (ownThere && bytes == own) {
      // The folder's own ranking (or a copy of it) would count every entry twice.
      return Refuse(out,
                    Fill(Say({"{} はこのフォルダのランキングと同じです。取り込む必要はありません。",
                              "{} is the same as this folder's ranking: there is nothing to "
                              "merge."}),
                         {name}));
    }
    const bool isRecord = copy && copy->file == kRecordFileName;
    const std::optional<int> line =
        isRecord ? RecordFileMismatch(bytes) : RankingFileMismatch(bytes);
    if (line || (copy && !isRecord && copy->file != kRankingFileName))
      return Refuse(out,
                    Fill(Say({"{} はランキングファイルではありません（{} 行目）。",
                              "{} is not a ranking file (line {})."}),
                         {name, std::to_string(line.value_or(1))}),
                    Say({"ほかのブースの kv_rank.dat か、*.kept-... の控えを渡してください。",
                         "Give another booth's kv_rank.dat or a *.kept-... copy."}));
    ++added;
    if (isRecord) {
      if (!record) record = CheckedRecord(out);
      if (!record) return kRefused;
      record = BetterRecord(*record, RecordFrom(bytes));
      continue;
    }
    rankingGiven = true;
    const RankingTable table = RankingFrom(bytes);
    if (copy) {
      const RankingTable before = copy->before ? RankingFrom(*copy->before) : RankingTable{};
      const std::vector<RankingEntry> entries = AddedEntries(before, table);
      more.insert(more.end(), entries.begin(), entries.end());
    } else {
      more.insert(more.end(), table.begin(), table.end());
    }
  }
  if (added == 0) return kDone;

  // One durable step for the files, the lines and the marks, as a start puts a crashed pass back:
  // killed at any instant, the next command or start finishes it or finds none of it, and the
  // same copy merged again adds nothing.
  const auto copyOf = [](const char* file, std::string after) {
    RecoveryCopy copy;
    copy.file = file;
    std::string bytes;
    if (ReadBytes(file, bytes).kind == DataFileRead::Read) copy.before = std::move(bytes);
    copy.after = std::move(after);
    return copy;
  };
  if (record) step.copies.push_back(copyOf(kRecordFileName, FormatRecordFile(*record)));
  if (rankingGiven)
    step.copies.push_back(copyOf(kRankingFileName, FormatRankingFile(MergeEntries(*here, more))));
  if (!lines.empty()) step.line = PassLineCopy{-1, -1, lines};
  GameState state;
  std::vector<StartUpNotice> notices;
  int error = 0;
  if (!ApplyPassCopy(step, state, notices, error))
    return Refuse(out,
                  Fill(Say({"{} に書き込めません（{}）。", "{} cannot be written ({})."}),
                       {kPassCopyFileName, Reason(error)}),
                  Remedy(error));
  if (TellNotices(out, notices, false) != kDone) return kRefused;
  out.Line(Fill(Say({"{} 個のファイルを取り込みました。", "Merged {} file(s) into the ranking."}),
                {std::to_string(added)}));
  // The one case where the tool writes the play log: lines ESC kept because no file took them.
  const size_t n = SplitPlayLines(lines).size();
  std::string left;
  if (n > 0 && ReadBytes(kPassCopyFileName, left).kind != DataFileRead::Absent)
    out.Problem("kavrel-ranking: " +
                Fill(Say({"控えにあったプレイ記録の {} 行は kv_plays.csv に書き込めず、{} に"
                          "残っています。書き込めるようにすれば、次の起動で書き加えます。",
                          "The {} play-log line(s) kept with the copies cannot be written to "
                          "kv_plays.csv and wait in {}; the next start adds them once it can "
                          "be written."}),
                     {std::to_string(n), kPassCopyFileName}));
  else if (n > 0)
    out.Line(Fill(Say({"控えにあったプレイ記録の {} 行を kv_plays.csv に書き加えました。",
                       "Added {} play-log line(s) kept with the copies to kv_plays.csv."}),
                  {std::to_string(n)}));
  return kDone;
}

int SetAsideCopies(Output& out, const std::vector<StartUpNotice>& notices) {
  int result = kDone;
  bool any = false;
  std::vector<std::string> done;  // one copy file may hold both data files' copies
  for (const StartUpNotice& notice : notices) {
    if (notice.kind != StartUpNotice::CopyUnreadable) continue;
    if (std::find(done.begin(), done.end(), notice.copy) != done.end()) continue;
    done.push_back(notice.copy);
    any = true;
    std::string name;
    int error = 0;
    if (SetAsideCopy(notice.copy, name, error)) {
      out.Line(Fill(Say({"{} を {} としてよけました。次の起動からは使いません。",
                         "Set {} aside as {}; the game's next start does not use it."}),
                    {notice.copy, name}));
    } else {
      result = Refuse(out,
                      Fill(Say({"{} をよけられません（{}）。", "{} cannot be set aside ({})."}),
                           {notice.copy, Reason(error)}),
                      Remedy(error));
    }
  }
  if (!any)
    out.Line(Say({"読めない控えはありません。よけるものはありません。",
                  "No recovery copy is unreadable: there is nothing to set aside."}));
  return result;
}

}  // namespace ranking
