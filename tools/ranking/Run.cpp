#include "tools/ranking/Run.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>

#include "platform/DirectoryLock.h"
#include "platform/Language.h"
#include "store/DataFiles.h"
#include "store/Recovery.h"
#include "store/SafeFile.h"
#include "store/TextScan.h"
#include "tools/ranking/CommandLine.h"
#include "tools/ranking/DataDirectory.h"
#include "tools/ranking/Edits.h"
#include "tools/ranking/Text.h"
#ifdef _WIN32
#include "platform/win/WinHost.h"
#endif

#ifndef KAVREL_VERSION
#define KAVREL_VERSION "unknown"
#endif

namespace ranking {
namespace {

namespace fs = std::filesystem;
using plat::Say;

constexpr plat::Bilingual kNothingChanged = {"何も変更していません。", "Nothing was changed."};

// Why a file could not be read or written: the system's words in English, the game's own in
// Japanese.
std::string Reason(int error) {
  if (!plat::OperatorReadsJapanese()) return std::strerror(error);
  switch (error) {
    case ENOENT:
      return "ありません";
    case EACCES:
    case EPERM:
      return "使うことが許されていません";
    case EROFS:
      return "書き込めない場所にあります";
    case ENOSPC:
      return "ディスクがいっぱいです";
    case EISDIR:
      return "同じ名前のフォルダがあります";
    default:
      return "読み書きに失敗しました";
  }
}

// The line of a refusal: what is wrong, then that nothing was changed.
int Refuse(Output& out, const std::string& what) {
  out.Problem("kavrel-ranking: " + what + Say({"", " "}) + Say(kNothingChanged));
  return kRefused;
}

// The bytes of a file in the current directory or at a path in UTF-8, shared with a game that
// replaces the file meanwhile.
DataFileRead ReadBytes(const std::string& path, std::string& bytes) {
#ifdef _WIN32
  const int error = plat::win::ReadSharing(path, kMaxDataFileBytes, bytes);
  if (error == 0) return {DataFileRead::Read, 0};
  if (error == ENOENT) return {DataFileRead::Absent, 0};
  return {DataFileRead::Unreadable, error};
#else
  return ReadDataFile(path.c_str(), bytes);
#endif
}

// The current directory for the object's lifetime.
class InDirectory {
 public:
  explicit InDirectory(const fs::path& dir) {
    std::error_code ec;
    previous_ = fs::current_path(ec);
    if (!ec) fs::current_path(dir, ec);
    entered_ = !ec;
    error_ = ec.message();
  }
  ~InDirectory() {
    std::error_code ec;
    if (entered_) fs::current_path(previous_, ec);
  }
  bool entered() const { return entered_; }
  const std::string& error() const { return error_; }

 private:
  fs::path previous_;
  bool entered_ = false;
  std::string error_;
};

// A data file as the command needs it: the game's values, or a refusal already reported.
std::optional<std::string> CheckedBytes(Output& out, const char* file,
                                        std::optional<int> (*mismatch)(std::string_view)) {
  std::string bytes;
  const DataFileRead read = ReadBytes(file, bytes);
  if (read.kind == DataFileRead::Unreadable) {
    Refuse(out, Fill(Say({"{} を読めません({})。", "{} cannot be read ({})."}),
                     {file, Reason(read.error)}));
    return std::nullopt;
  }
  if (read.kind == DataFileRead::Read) {
    if (const std::optional<int> line = mismatch(bytes)) {
      const std::string what = file == std::string(kRankingFileName) ? "ranking" : "record";
      Refuse(out, Fill(Say({"{} の {} 行目がゲームの書く形ではありません。直すか "
                            "\"kavrel-ranking reset {}\" で初めからにしてください。",
                            "{} line {} is not as the game writes it. Mend it, or start "
                            "afresh with \"kavrel-ranking reset {}\"."}),
                       {file, std::to_string(*line), what}));
      return std::nullopt;
    }
  }
  return bytes;
}

std::optional<RankingTable> CheckedRanking(Output& out) {
  const std::optional<std::string> bytes =
      CheckedBytes(out, kRankingFileName, &RankingFileMismatch);
  if (!bytes) return std::nullopt;
  return RankingFrom(*bytes);
}

std::optional<GameState> CheckedRecord(Output& out) {
  const std::optional<std::string> bytes = CheckedBytes(out, kRecordFileName, &RecordFileMismatch);
  if (!bytes) return std::nullopt;
  return RecordFrom(*bytes);
}

// What start-up told, as one line per file.
int RefuseNotices(Output& out, const std::vector<StartUpNotice>& notices) {
  for (const StartUpNotice& notice : notices) {
    const std::string copy = RecoveryPathFor(notice.file);
    if (notice.kind == StartUpNotice::Unreadable) {
      Refuse(out, Fill(Say({"{} を読めません({})。", "{} cannot be read ({})."}),
                       {notice.file, Reason(notice.error)}));
    } else {
      Refuse(out, Fill(Say({"{} を {} に戻せません({})。", "{} cannot be put back into {} ({})."}),
                       {copy, notice.file, Reason(notice.error)}));
    }
  }
  return kRefused;
}

// Writes the files given through the game's safe save; `done` is said when all were written. Both
// new files are complete on disk before either replaces its old one, so that a file that cannot
// be written (read-only, a full disk) leaves both as they were.
int WriteFiles(Output& out, const GameState* record, const RankingTable* ranking,
               const std::string& done) {
  struct Pending {
    const char* file;
    std::string bytes;
  };
  std::vector<Pending> files;
  if (record) files.push_back({kRecordFileName, FormatRecordFile(*record)});
  if (ranking) files.push_back({kRankingFileName, FormatRankingFile(*ranking)});
  FileOps& ops = PosixFileOps();
  auto cannotWrite = [&](const char* file, int error) {
    return Fill(Say({"{} に書けません({})。", "{} cannot be written ({})."}),
                {file, Reason(error)});
  };
  for (size_t i = 0; i < files.size(); ++i) {
    int error = 0;
    if (!PrepareReplacement(ops, files[i].file, files[i].bytes, &error)) {
      for (size_t j = 0; j < i; ++j) ops.Remove(TemporaryPathFor(files[j].file));
      return Refuse(out, cannotWrite(files[i].file, error));
    }
  }
  DataFilesSave save;
  for (size_t i = 0; i < files.size(); ++i) {
    int error = 0;
    const bool saved = CommitReplacement(ops, files[i].file, &error);
    (files[i].file == kRecordFileName ? save.record : save.ranking).saved = saved;
    if (saved) continue;
    for (size_t j = i + 1; j < files.size(); ++j) ops.Remove(TemporaryPathFor(files[j].file));
    ops.SyncDirectory(".");
    RemoveSavedCopies(save);
    if (i == 0) return Refuse(out, cannotWrite(files[i].file, error));
    out.Problem("kavrel-ranking: " + cannotWrite(files[i].file, error) +
                Fill(Say({"{} だけ書きました。", " Only {} was written."}), {files[0].file}));
    return kRefused;
  }
  ops.SyncDirectory(".");
  RemoveSavedCopies(save);
  out.Line(done);
  return kDone;
}

std::string PlaceWord(int place) {
  return Fill(Say({"{}位", "place {}"}), {std::to_string(place)});
}

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
  out.Line(
      Fill(Say({"最高飛距離: {}", "best distance: {}"}), {std::to_string(record.bestDistance)}));
  out.Line(Fill(Say({"最高バウンド得点: {}", "best bounce score: {}"}),
                {std::to_string(record.bestBounce)}));
  out.Line(Fill(Say({"次の挑戦者番号: {}", "next challenger number: {}"}),
                {std::to_string(record.challengerNumber)}));
}

int List(Output& out, bool gameRunning) {
  const std::optional<GameState> record = CheckedRecord(out);
  if (!record) return kRefused;
  const std::optional<RankingTable> table = CheckedRanking(out);
  if (!table) return kRefused;
  ListTables(out, *record, *table);
  std::string bytes;
  if (ReadBytes(kRecordFileName, bytes).kind == DataFileRead::Absent &&
      ReadBytes(kRankingFileName, bytes).kind == DataFileRead::Absent)
    out.Line(Say({"(このフォルダにはデータのファイルがまだありません。ゲームの初めの値です。)",
                  "(There are no data files in this folder yet: these are the game's first "
                  "values.)"}));
  if (gameRunning) {
    for (const char* file : {kRecordFileName, kRankingFileName}) {
      std::string bytes;
      if (ReadBytes(RecoveryPathFor(file), bytes).kind == DataFileRead::Absent) continue;
      out.Line(Fill(Say({"ゲームが動いています。{} に、{} にまだ入っていない結果があります。",
                         "The game is running. {} holds results not yet in {}."}),
                    {RecoveryPathFor(file), file}));
    }
  }
  return kDone;
}

std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// A new folder named for this moment in `base`, holding both data files as they are.
int Backup(Output& out, const fs::path& base) {
  std::error_code ec;
  if (!fs::is_directory(base, ec))
    return Refuse(
        out, Fill(Say({"{} はフォルダではありません。", "{} is not a folder."}), {Utf8Of(base)}));
  struct Copy {
    const char* file;
    std::string bytes;
  };
  std::vector<Copy> copies;
  for (const char* file : {kRecordFileName, kRankingFileName}) {
    std::string bytes;
    const DataFileRead read = ReadBytes(file, bytes);
    if (read.kind == DataFileRead::Unreadable)
      return Refuse(out, Fill(Say({"{} を読めません({})。", "{} cannot be read ({})."}),
                              {file, Reason(read.error)}));
    if (read.kind == DataFileRead::Read) copies.push_back({file, std::move(bytes)});
  }
  if (copies.empty())
    return Refuse(out, Say({"データのファイルがまだありません。", "There are no data files yet."}));

  const std::time_t now = std::time(nullptr);
  char name[64];
  std::strftime(name, sizeof name, "kavrel-backup-%Y%m%d-%H%M%S", std::localtime(&now));
  const fs::path target = base / name;
  if (!fs::create_directory(target, ec)) {
    if (!ec)
      return Refuse(out,
                    Fill(Say({"{} はもうあります。", "{} is there already."}), {Utf8Of(target)}));
    return Refuse(out, Fill(Say({"{} を作れません({})。", "{} cannot be made ({})."}),
                            {Utf8Of(target), ec.message()}));
  }
  // Into the new folder by name, so that the safe save needs no path on any system.
  InDirectory inTarget(target);
  if (!inTarget.entered())
    return Refuse(out, Fill(Say({"{} に入れません({})。", "{} cannot be entered ({})."}),
                            {Utf8Of(target), inTarget.error()}));
  std::string names;
  for (const Copy& copy : copies) {
    int error = 0;
    if (!ReplaceFile(PosixFileOps(), copy.file, copy.bytes, &error)) {
      out.Problem("kavrel-ranking: " + Fill(Say({"{} を {} にコピーできません({})。",
                                                 "{} cannot be copied into {} ({})."}),
                                            {copy.file, Utf8Of(target), Reason(error)}));
      return kRefused;
    }
    names += (names.empty() ? "" : ", ") + std::string(copy.file);
  }
  out.Line(
      Fill(Say({"{} を {} にコピーしました。", "Copied {} into {}."}), {names, Utf8Of(target)}));
  return kDone;
}

int Merge(Output& out, const std::vector<fs::path>& files) {
  std::optional<RankingTable> here = CheckedRanking(out);
  if (!here) return kRefused;
  std::vector<RankingTable> others;
  for (const fs::path& path : files) {
    const std::string name = Utf8Of(path);
    std::string bytes;
    const DataFileRead read = ReadBytes(name, bytes);
    if (read.kind == DataFileRead::Absent)
      return Refuse(out, Fill(Say({"{} がありません。", "{} does not exist."}), {name}));
    if (read.kind == DataFileRead::Unreadable)
      return Refuse(out, Fill(Say({"{} を読めません({})。", "{} cannot be read ({})."}),
                              {name, Reason(read.error)}));
    if (const std::optional<int> line = RankingFileMismatch(bytes))
      return Refuse(out, Fill(Say({"{} はランキングのファイルではありません({} 行目)。",
                                   "{} is not a ranking file (line {})."}),
                              {name, std::to_string(*line)}));
    others.push_back(RankingFrom(bytes));
  }
  const RankingTable merged = ranking::Merge(*here, others);
  return WriteFiles(
      out, nullptr, &merged,
      Fill(Say({"{} 個のファイルと合わせました。", "Merged {} file(s) into the ranking."}),
           {std::to_string(files.size())}));
}

// The request, checked before the data directory is touched.
struct Request {
  CommandLine::Kind kind = CommandLine::Help;
  int place = 0;
  Name name{};
  bool resetRecord = false, resetRanking = false;
  std::vector<fs::path> files;
  std::optional<fs::path> backupBase;
};

fs::path PathFromUtf8(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// Paths the operator gave, from where the tool was started.
fs::path Absolute(const std::string& utf8) {
  std::error_code ec;
  fs::path path = fs::absolute(PathFromUtf8(utf8), ec).lexically_normal();
  if (ec) return PathFromUtf8(utf8);
  // "dir/" and "dir/." name dir.
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

std::optional<Request> Check(Output& out, const CommandLine& line) {
  Request request;
  request.kind = line.kind;
  const std::vector<std::string>& args = line.arguments;
  if (line.kind == CommandLine::Remove || line.kind == CommandLine::Rename) {
    const std::optional<int> place = PlaceFromTyped(args[0]);
    if (!place) {
      Refuse(out, Fill(Say({"順位は 1 から 5 です: \"{}\"。", "PLACE is 1 to 5, not \"{}\"."}),
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
        Refuse(out, Fill(Say({"名前は 8 文字までです: \"{}\"。",
                              "A name has 8 characters at most: \"{}\"."}),
                         {args[1]}));
      } else {
        Refuse(out, Fill(Say({"\"{}\" は名前入力で選べません。半角の英数字と記号だけです。",
                              "The name wheel cannot spell \"{}\": ASCII letters, digits, "
                              "spaces and signs only."}),
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
      Refuse(out, Fill(Say({"reset の後は ranking、record、all のどれかです: \"{}\"。",
                            "reset takes ranking, record or all, not \"{}\"."}),
                       {args[0]}));
      return std::nullopt;
    }
  }
  if (line.kind == CommandLine::Merge)
    for (const std::string& file : args) request.files.push_back(Absolute(file));
  if (line.kind == CommandLine::Backup && !args.empty()) request.backupBase = Absolute(args[0]);
  return request;
}

int RunLocked(Output& out, const Request& request) {
  switch (request.kind) {
    case CommandLine::List:
      return List(out, false);
    case CommandLine::Remove: {
      std::optional<RankingTable> table = CheckedRanking(out);
      if (!table) return kRefused;
      RemovePlace(*table, request.place);
      return WriteFiles(out, nullptr, &*table,
                        Fill(Say({"{}を消しました。", "Removed {}."}), {PlaceWord(request.place)}));
    }
    case CommandLine::Rename: {
      std::optional<RankingTable> table = CheckedRanking(out);
      if (!table) return kRefused;
      (*table)[request.place - 1].name = request.name;
      return WriteFiles(out, nullptr, &*table,
                        Fill(Say({"{}の名前を {} にしました。", "Renamed {} to {}."}),
                             {PlaceWord(request.place), ReadableName(request.name)}));
    }
    case CommandLine::Reset: {
      const GameState record = FreshRecord();
      const RankingTable table{};
      const char* done =
          request.resetRecord && request.resetRanking
              ? Say({"ランキングと記録を初めからにしました。",
                     "The ranking and the record start afresh."})
          : request.resetRecord
              ? Say({"記録を初めからにしました。", "The record starts afresh."})
              : Say({"ランキングを初めからにしました。", "The ranking starts afresh."});
      return WriteFiles(out, request.resetRecord ? &record : nullptr,
                        request.resetRanking ? &table : nullptr, done);
    }
    case CommandLine::Merge:
      return Merge(out, request.files);
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
  std::error_code ec;
  if (!fs::is_directory(dir, ec))
    return Refuse(
        out, Fill(Say({"データのフォルダ {} がありません。", "The data folder {} does not exist."}),
                  {Utf8Of(dir)}));
  const InDirectory inData(dir);
  if (!inData.entered())
    return Refuse(out, Fill(Say({"{} に入れません({})。", "{} cannot be entered ({})."}),
                            {Utf8Of(dir), inData.error()}));

  // Every command but list holds the directory for its whole run; list reads beside a game.
  const plat::DirectoryLock lock(".");
  if (lock.outcome() == plat::DirectoryLock::Outcome::HeldElsewhere) {
    if (request->kind == CommandLine::List) return List(out, true);
    out.Problem("kavrel-ranking: " +
                Fill(Say({"ゲーム(または別のツール)が {} を使っています。先に終了してください。"
                          "何も変更していません。",
                          "A game (or another tool) is using {}. Quit it first. Nothing was "
                          "changed."}),
                     {Utf8Of(dir)}));
    return kDirectoryBusy;
  }
  // As the game starts: a recovery copy a crashed game left is put into its file first, so that
  // a later start does not undo this edit.
  GameState restored;
  std::vector<StartUpNotice> notices;
  RestoreAndReadDataFiles(restored, notices);
  if (!notices.empty()) return RefuseNotices(out, notices);
  return RunLocked(out, *request);
}

}  // namespace ranking
