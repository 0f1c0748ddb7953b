#include "upkeep/DataFileAccess.h"

#include <cerrno>

#include "platform/Language.h"
#include "store/Reasons.h"
#include "store/SafeFile.h"
#include "store/TextScan.h"
#include "upkeep/Edits.h"
#include "upkeep/Text.h"
#ifdef _WIN32
#include "platform/win/WinHost.h"
#else
#include <unistd.h>
#endif

namespace ranking {

namespace fs = std::filesystem;
using plat::Say;

namespace {

constexpr plat::Bilingual kNothingChanged = {"何も変更していません。", "Nothing was changed."};

// A data file as the command needs it: the game's values, or a refusal already reported.
std::optional<std::string> CheckedBytes(Output& out, const char* file,
                                        std::optional<int> (*mismatch)(std::string_view)) {
  std::string bytes;
  const DataFileRead read = ReadBytes(file, bytes);
  if (read.kind == DataFileRead::Unreadable) {
    RefuseUnreadable(out, file, read.error);
    return std::nullopt;
  }
  if (read.kind == DataFileRead::Read) {
    if (const std::optional<int> line = mismatch(bytes)) {
      // A reset wipes the day: a backup comes first.
      const bool ranking = file == std::string(kRankingFileName);
      Refuse(out,
             Fill(Say({"{} の {} 行目が、ゲームが書く形式になっていません。",
                       "{} line {} is not as the game writes it."}),
                  {file, std::to_string(*line)}),
             Fill(Say({"バックアップがあれば、それを戻してください。ないときは、"
                       "ファイルを直すか、「kavrel-ranking reset {}」で初めからに"
                       "してください。{}はすべて消えます。",
                       "Restore a backup if there is one; if not, mend the file, or start "
                       "afresh with \"kavrel-ranking reset {}\", which wipes the {}."}),
                  {ranking ? "ranking" : "record",
                   ranking ? Say({"ランキング", "ranking"})
                           : Say({"最高記録と挑戦者の番号", "best results and the count"})}));
      return std::nullopt;
    }
  }
  return bytes;
}

}  // namespace

// The game's own words, as its boxes and the launcher say them.
std::string Reason(int error) {
  return Say(FileFailureReason(error));
}

std::string Reason(const std::error_code& error) {
  // As errno where the system's code has one, so that Windows' codes find their words too.
  return Reason(error.default_error_condition().value());
}

std::string Remedy(int error) {
  return Say(FileFailureFor(error).remedy);
}

std::string Remedy(const std::error_code& error) {
  return Remedy(error.default_error_condition().value());
}

int Refuse(Output& out, const std::string& what, const std::string& next) {
  out.Problem("kavrel-ranking: " + what + Say({"", " "}) + Say(kNothingChanged) +
              (next.empty() ? "" : Say({"", " "}) + next));
  return kRefused;
}

int RefuseUnreadable(Output& out, const std::string& file, int error) {
  return Refuse(
      out, Fill(Say({"{} を読めません（{}）。", "{} cannot be read ({})."}), {file, Reason(error)}),
      Remedy(error));
}

DataFileRead ReadBytes(const std::string& path, std::string& bytes, size_t limit) {
  return ReadDataFile(path.c_str(), bytes, limit);
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

int TellNotices(Output& out, const std::vector<StartUpNotice>& notices, bool readOnly) {
  int result = kDone;
  for (const StartUpNotice& notice : notices) {
    const std::string copy = notice.copy;
    switch (notice.kind) {
      case StartUpNotice::KeptAside:
        out.Line(Fill(Say({"{} が変わっていたので、控え {} を戻さず {} として残しました。"
                           "「kavrel-ranking merge {}」で取り込めます。",
                           "{} changed since its copy {} was made: the copy was not put back "
                           "but kept as {}. \"kavrel-ranking merge {}\" adds it."}),
                      {notice.file, copy, notice.keptAs, notice.keptAs}));
        continue;
      case StartUpNotice::KeptAtEsc:  // named by the game's next start only
        continue;
      case StartUpNotice::Untrusted:
        out.Line(Fill(Say({"{} は {} のファイルか、ほかのユーザーも書き込めるファイルなので、"
                           "使わずにそのままにしました。自分で置いたものでなければ、別の場所に"
                           "移してください。",
                           "{} is {}'s, or other users may write it: it was not used and is left "
                           "as it is. Unless you put it there, move it somewhere else."}),
                      {copy, notice.owner}));
        continue;
      case StartUpNotice::CopyNotRemoved:
        out.Line(Fill(Say({"{} を {} に戻しましたが、控えを消せません（{}）。{}",
                           "{} was put back into {}, but cannot be removed ({}). {}"}),
                      {copy, notice.file, Reason(notice.error), Remedy(notice.error)}));
        continue;
      case StartUpNotice::Unreadable:
      case StartUpNotice::CopyKeptUnreadable:
        RefuseUnreadable(out, notice.file, notice.error);
        break;
      case StartUpNotice::CopyUnreadable: {
        const std::string what =
            Fill(Say({"控え {} を読めません（{}）。", "The copy {} cannot be read ({})."}),
                 {copy, Reason(notice.error)});
        const char* setAside = Say({"「kavrel-ranking set-aside」でよけられます。",
                                    "\"kavrel-ranking set-aside\" sets it aside."});
        if (readOnly) {
          out.Line(what + Say({"", " "}) + setAside);
          continue;
        }
        Refuse(out, what,
               Say({"先に「kavrel-ranking set-aside」で控えをよけてから、もう一度打ってください。",
                    "Set it aside first with \"kavrel-ranking set-aside\", then type this "
                    "again."}));
        break;
      }
      case StartUpNotice::CopyKept:
      case StartUpNotice::NotKeptAside:
        Refuse(out,
               Fill(Say({"{} を {} に戻せません（{}）。", "{} cannot be put back into {} ({})."}),
                    {copy, notice.file, Reason(notice.error)}),
               Remedy(notice.error) +
                   Say({"それから、もう一度打ってください。", " Then type this again."}));
        break;
    }
    result = kRefused;
  }
  return result;
}

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
    return Fill(Say({"{} に書き込めません（{}）。", "{} cannot be written ({})."}),
                {file, Reason(error)});
  };
  for (size_t i = 0; i < files.size(); ++i) {
    int error = 0;
    if (!PrepareReplacement(ops, files[i].file, files[i].bytes, &error)) {
      for (size_t j = 0; j < i; ++j) AbandonReplacement(ops, files[j].file);
      return Refuse(out, cannotWrite(files[i].file, error), Remedy(error));
    }
  }
  DataFilesSave save;
  for (size_t i = 0; i < files.size(); ++i) {
    int error = 0;
    const bool saved = CommitReplacement(ops, files[i].file, &error);
    (files[i].file == kRecordFileName ? save.record : save.ranking).saved = saved;
    if (saved) continue;
    for (size_t j = i + 1; j < files.size(); ++j) AbandonReplacement(ops, files[j].file);
    ops.SyncDirectory(".");
    RemoveSavedCopies(save);
    if (i == 0) return Refuse(out, cannotWrite(files[i].file, error), Remedy(error));
    out.Problem("kavrel-ranking: " + cannotWrite(files[i].file, error) +
                Fill(Say({"{} だけ書きました。", " Only {} was written. "}), {files[0].file}) +
                Remedy(error) +
                Say({"それから、もう一度打ってください。", " Then type this again."}));
    return kRefused;
  }
  ops.SyncDirectory(".");
  RemoveSavedCopies(save);
  out.Line(done);
  return kDone;
}
fs::path PathFromUtf8(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
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

InDirectory::InDirectory(const fs::path& dir) {
  std::error_code ec;
  previous_ = fs::current_path(ec);
  if (!ec) fs::current_path(dir, ec);
  entered_ = !ec;
  error_ = Reason(ec);
  remedy_ = Remedy(ec);
}

InDirectory::~InDirectory() {
  std::error_code ec;
  if (entered_) fs::current_path(previous_, ec);
}

}  // namespace ranking
