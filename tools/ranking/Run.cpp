#include "tools/ranking/Run.h"

#include <filesystem>
#include <optional>

#include "platform/DirectoryLock.h"
#include "platform/Language.h"
#include "store/DataFiles.h"
#include "store/PlayLogFormat.h"
#include "store/Recovery.h"
#include "tools/ranking/CommandLine.h"
#include "tools/ranking/DataDirectory.h"
#include "upkeep/Changes.h"
#include "upkeep/Commands.h"
#include "upkeep/DataFileAccess.h"
#include "upkeep/Edits.h"
#include "upkeep/Report.h"
#include "upkeep/Text.h"

#ifndef KAVREL_VERSION
#define KAVREL_VERSION "unknown"
#endif

namespace ranking {
namespace {

namespace fs = std::filesystem;
using plat::Say;

// The request, checked before the data directory is touched.
struct Request {
  CommandLine::Kind kind = CommandLine::Help;
  int place = 0;
  Name name{};
  bool resetRecord = false, resetRanking = false;
  std::vector<std::string> typedFiles;  // merge's files as typed, found once the folder is known
  std::vector<fs::path> files;
  std::optional<fs::path> backupBase;
  ReportRequest report;
};

std::optional<Request> Check(Output& out, const CommandLine& line) {
  Request request;
  request.kind = line.kind;
  const std::vector<std::string>& args = line.arguments;
  if (line.kind == CommandLine::Remove || line.kind == CommandLine::Rename) {
    const std::optional<int> place = PlaceFromTyped(args[0]);
    if (!place) {
      Refuse(out, Fill(Say({"順位は 1～5 で指定してください（「{}」は使えません）。",
                            "Give a place from 1 to 5 (\"{}\" is not one)."}),
                       {args[0]}));
      return std::nullopt;
    }
    request.place = *place;
  }
  if (line.kind == CommandLine::Rename) {
    NameProblem problem;
    const std::optional<Name> name = NameFromTyped(args[1], problem);
    if (!name) {
      if (problem.kind == NameProblem::TooLong) {
        Refuse(out, Fill(Say({"「{}」は長すぎます。名前は 8 文字までです。",
                              "\"{}\" is too long: a name has 8 characters at most."}),
                         {args[1]}));
      } else {
        Refuse(out, Fill(Say({"「{}」はネーム　エントリーで選べません。半角の英字、数字、"
                              "記号だけです（日本語入力はオフにしてください）。",
                              "The name wheel cannot spell \"{}\": ASCII letters, digits, "
                              "spaces and signs only (switch the input method off)."}),
                         {problem.character}));
      }
      return std::nullopt;
    }
    request.name = *name;
  }
  if (line.kind == CommandLine::Reset) {
    request.resetRecord = args[0] == "record" || args[0] == "all";
    request.resetRanking = args[0] == "ranking" || args[0] == "all";
    if (!request.resetRecord && !request.resetRanking) {
      Refuse(out, Fill(Say({"reset の後は ranking、record、all のどれかです（「{}」は違います）。",
                            "reset takes ranking, record or all, not \"{}\"."}),
                       {args[0]}));
      return std::nullopt;
    }
  }
  if (line.kind == CommandLine::Merge) request.typedFiles = args;
  if (line.kind == CommandLine::Backup && !args.empty()) request.backupBase = Absolute(args[0]);
  if (line.kind == CommandLine::Report) {
    if (line.date && !IsLogDate(*line.date)) {
      Refuse(out, Fill(Say({"日付は 2026-12-08 のように書きます（「{}」は違います）。",
                            "A date is written as 2026-12-08, not \"{}\"."}),
                       {*line.date}));
      return std::nullopt;
    }
    request.report = {line.date, line.all,
                      line.page ? std::optional(Absolute(*line.page)) : std::nullopt,
                      line.page.value_or("")};
  }
  return request;
}

// A merge file as typed: a kept-aside copy's bare name, as start-up's box shows it, is the one in
// the data folder, wherever the command is typed; any other name is from where it is typed.
fs::path MergeFile(const std::string& typed, const fs::path& dir) {
  std::error_code ec;
  if (IsKeptAsideName(typed) && !fs::exists(PathFromUtf8(typed), ec) &&
      fs::exists(dir / PathFromUtf8(typed), ec))
    return dir / PathFromUtf8(typed);
  return Absolute(typed);
}

int RunLocked(Output& out, const Request& request, const std::vector<StartUpNotice>& notices) {
  switch (request.kind) {
    case CommandLine::List:
      return List(out, ListLock::Held);
    case CommandLine::Remove:
      return RemoveFromRanking(out, request.place);
    case CommandLine::Rename:
      return RenameInRanking(out, request.place, request.name);
    case CommandLine::Reset:
      return StartAfresh(out, request.resetRecord, request.resetRanking);
    case CommandLine::Merge:
      return MergeFiles(out, request.files);
    case CommandLine::SetAside:
      return SetAsideCopies(out, notices);
    case CommandLine::Backup:
      return Backup(out, request.backupBase.value_or(fs::current_path()));
    default:
      return kBadCommandLine;
  }
}

}  // namespace

int Run(const std::vector<std::string>& args, Output& out) {
  std::string error;
  const std::optional<CommandLine> line = ParseCommandLine(args, error);
  if (!line) {
    out.Problem(error);
    return kBadCommandLine;
  }
  if (line->kind == CommandLine::Help) {
    out.Line(HelpText());
    return kDone;
  }
  if (line->kind == CommandLine::Version) {
    out.Line("kavrel-ranking " KAVREL_VERSION);
    return kDone;
  }
  const std::optional<Request> request = Check(out, *line);
  if (!request) return kRefused;

  std::string dirError;
  const std::optional<std::string> dirText =
      line->dataDir ? line->dataDir : DefaultDataDirectory(dirError);
  if (!dirText) return Refuse(out, dirError);
  const fs::path dir = Absolute(*dirText);
  Request resolved = *request;
  for (const std::string& typed : request->typedFiles)
    resolved.files.push_back(MergeFile(typed, dir));
  std::error_code ec;
  if (!fs::is_directory(dir, ec))
    return Refuse(
        out,
        Fill(Say({"データのフォルダ {} が見つかりません。", "The data folder {} was not found."}),
             {Utf8Of(dir)}),
        Say({"--data-dir で、ゲームのファイルがあるフォルダを指定してください。",
             "Give the folder that holds the game's files with --data-dir."}));
  const InDirectory inData(dir);
  if (!inData.entered())
    return Refuse(out,
                  Fill(Say({"{} に入れません（{}）。", "{} cannot be entered ({})."}),
                       {Utf8Of(dir), inData.error()}),
                  inData.remedy());

  // report only reads: beside a game, without the lock, and it puts no recovery copy back.
  if (request->kind == CommandLine::Report) return Report(out, request->report, dir);
  // Every command but list holds the directory for its whole run; list reads beside a game.
  const plat::DirectoryLock lock(".");
  if (lock.outcome() == plat::DirectoryLock::Outcome::HeldElsewhere) {
    if (request->kind == CommandLine::List) return List(out, ListLock::GameRunning);
    out.Problem("kavrel-ranking: " +
                Fill(Say({"ゲーム（または別のツール）が {} を使っています。何も変更していません。"
                          "同じことはゲームのオペレーター画面でできます（タイトル画面で F2、"
                          "ブースでは 2 秒押し続けます）。ここで打つなら、ゲームをタイトル画面の "
                          "Q で終えてから、もう一度打ってください（ESC で閉じると、結果は残した"
                          "控えになり、merge で取り込むひと手間が増えます）。",
                          "A game (or another tool) is using {}. Nothing was changed. The same is "
                          "on the game's operator's screen (F2 on the attract screen; held 2 s "
                          "at a booth). To type it here, quit the game with Q on its attract "
                          "screen, then type this again (ESC would leave the results in kept "
                          "copies, to be merged later)."}),
                     {Utf8Of(dir)}) +
                (lock.lockFileOwner().empty()
                     ? std::string()
                     : Fill(Say({"ロックファイル .kavrel.lock は {} のもので、書き込めません。"
                                 "ほかのゲームが動いていないことを確かめてから消してください。",
                                 " The lock file .kavrel.lock belongs to {} and cannot be "
                                 "written: make sure no other game runs, then remove it."}),
                            {lock.lockFileOwner()})));
    return kDirectoryBusy;
  }
  if (lock.outcome() == plat::DirectoryLock::Outcome::NotPlainLockFile) {
    out.Problem(
        std::string("kavrel-ranking: ") +
        Say({"ロックファイル .kavrel.lock がふつうのファイルではありません（リンク、パイプ、"
             "フォルダのどれかです）。何も変更していません。ほかのゲームが動いていないことを"
             "確かめてから .kavrel.lock を別の場所に移して、もう一度打ってください。",
             "The lock file .kavrel.lock is not a plain file (a link, a pipe or a "
             "folder). Nothing was changed. Make sure no game runs there, move "
             ".kavrel.lock elsewhere, then type this again."}));
    return kDirectoryBusy;
  }
  // A read-only folder of this user's own: no game there, but nothing can be changed either.
  if (lock.readOnly() && request->kind != CommandLine::List &&
      request->kind != CommandLine::Backup) {
    out.Problem(
        "kavrel-ranking: " +
        Fill(Say({"{}（またはロックファイル .kavrel.lock）に書き込めません。何も変更していません。"
                  "フォルダとファイルを書き込めるようにしてから、もう一度打ってください。",
                  "{} (or its lock file .kavrel.lock) cannot be written. Nothing was changed. "
                  "Make the folder and its files writable, then type this again."}),
             {Utf8Of(dir)}));
    return kRefused;
  }
  // Without a lock a game may be running there unseen: only the operator can say it is not.
  if (lock.outcome() == plat::DirectoryLock::Outcome::Unavailable && !line->noLock) {
    if (request->kind == CommandLine::List) return List(out, ListLock::Unavailable);
    out.Problem("kavrel-ranking: " +
                Fill(Say({"{} をロックできないので、ゲームが使っていないか確かめられません。"
                          "何も変更していません。ゲームが動いていないことを確かめてから、"
                          "--no-lock を付けてください。",
                          "{} cannot be locked, so whether a game is using it cannot be told. "
                          "Nothing was changed. Make sure no game runs there, then add "
                          "--no-lock."}),
                     {Utf8Of(dir)}));
    return kDirectoryBusy;
  }
  // A backup takes every file as it is, before anything is put back or swept, whatever state the
  // copies are in.
  if (request->kind == CommandLine::Backup) return RunLocked(out, resolved, {});
  if (lock.outcome() == plat::DirectoryLock::Outcome::Locked) RemoveLeftTemporariesOfDataFiles();
  // As the game starts: a recovery copy a crashed game left is put into its file first, so that
  // a later start does not undo this edit.
  GameState restored;
  std::vector<StartUpNotice> notices;
  RestoreAndReadDataFiles(restored, notices);
  const bool readOnly = request->kind == CommandLine::List ||
                        request->kind == CommandLine::Backup ||
                        request->kind == CommandLine::SetAside;
  if (TellNotices(out, notices, readOnly) != kDone) return kRefused;
  return RunLocked(out, resolved, notices);
}

}  // namespace ranking
