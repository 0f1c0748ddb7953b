#include "tools/ranking/Report.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <sstream>

#include "platform/DirectoryLock.h"
#include "platform/Language.h"
#include "platform/LocalTime.h"
#include "store/BoothLog.h"
#include "store/PlayLogFormat.h"
#include "store/Recovery.h"
#include "store/RecoveryCopy.h"
#include "store/SafeFile.h"
#include "tools/ranking/DataFileAccess.h"
#include "tools/ranking/ReportFigures.h"
#include "tools/ranking/ReportIncidents.h"
#include "tools/ranking/ReportPage.h"
#include "tools/ranking/ReportTerminal.h"
#include "tools/ranking/Text.h"
#ifdef _WIN32
#include <cstdio>

#include "platform/win/WinHost.h"
#endif

namespace ranking {
namespace {

namespace fs = std::filesystem;
using plat::Say;

#ifdef _WIN32
// The game's safe save with the page's name opened in full: Windows' narrow calls would take the
// ANSI code page, which cannot hold every name an operator may type.
class AnyNameOps : public FileOps {
 public:
  std::FILE* Open(const std::string& path) override {
    std::FILE* file = _wfopen(PathFromUtf8(path).c_str(), L"wb");
    if (!file) errno = ErrorOrFolderInTheWay(path, errno);
    return file;
  }
  bool Write(std::FILE* file, std::string_view bytes) override { return base_.Write(file, bytes); }
  bool Flush(std::FILE* file) override { return base_.Flush(file); }
  bool Sync(std::FILE* file) override { return base_.Sync(file); }
  bool Close(std::FILE* file) override { return base_.Close(file); }
  bool Rename(const std::string& from, const std::string& to) override {
    return base_.Rename(from, to);
  }
  bool Remove(const std::string& path) override {
    return _wremove(PathFromUtf8(path).c_str()) == 0;
  }
  bool SyncDirectory(const std::string& directory) override {
    return base_.SyncDirectory(directory);
  }

 private:
  FileOps& base_ = PosixFileOps();
};
#endif

std::string Today() {
  return DateText(ToLocalTime(std::time(nullptr)));
}

// Reads the log, and of its side file what is not in it yet, into `log`; false when one is there
// and cannot be read (told). `found` tells whether either was there.
bool ReadLog(Output& out, PlayRecords& log, bool& found) {
  const PlayLogRead read = ReadPlayLog(PosixFileOps(), log);
  found = read.found;
  if (!read.failedFile) return true;
  const std::string reason = read.error == EFBIG
                                 ? Say({"256 MB より大きいファイルです", "larger than 256 MB"})
                                 : Reason(read.error);
  const std::string remedy =
      read.error == EFBIG ? Say({"バックアップを取ってから、古い行を別のファイルに移してください。",
                                 "Back it up, then move its older lines into another file."})
                          : Remedy(read.error);
  out.Problem("kavrel-ranking: " +
              Fill(Say({"{} を読めません（{}）。{}", "{} cannot be read ({}). {}"}),
                   {read.failedFile, reason, remedy}));
  return false;
}

// A page written over the game's own files would lose them.
bool IsGameFile(const fs::path& page, const fs::path& dir) {
  for (const std::string name :
       {kPlayLogFileName, kPlayLogSideFileName, kPlayLogMoveFileName, kBoothLogFileName,
        kRecordFileName, kRankingFileName, plat::kLockFileName, kPassCopyFileName}) {
    std::error_code ec;
    for (const std::string& file : {name, RecoveryPathFor(name.c_str())})
      if (page == dir / file || fs::equivalent(page, dir / file, ec)) return true;
  }
  return false;
}

int WritePage(Output& out, const fs::path& page, const std::string& name, const fs::path& dir,
              const std::string& html) {
  if (IsGameFile(page, dir))
    return Refuse(out, Fill(Say({"{} はゲームのファイルです。ページは別の名前で書いてください。",
                                 "{} is one of the game's files; write the page under another "
                                 "name."}),
                            {name}));
#ifdef _WIN32
  AnyNameOps ops;
#else
  FileOps& ops = PosixFileOps();
#endif
  int error = 0;
  if (!ReplaceFile(ops, Utf8Of(page), html, &error)) {
    out.Problem("kavrel-ranking: " + Fill(Say({"ページ {} を書き込めません（{}）。{}",
                                               "The page {} cannot be written ({}). {}"}),
                                          {name, Reason(error), Remedy(error)}));
    return kRefused;
  }
  out.Line(Fill(Say({"ページを {} に書きました。", "Wrote the page to {}."}), {name}));
  return kDone;
}

}  // namespace

int Report(Output& out, const ReportRequest& request, const fs::path& dir) {
  PlayRecords log;
  bool found = false;
  if (!ReadLog(out, log, found)) return kRefused;
  std::optional<std::string> date;
  if (!request.all) date = request.date.value_or(Today());
  ReportFigures figures = FiguresOf(std::move(log), date);
  std::string record;
  const DataFileRead::Kind recordRead = ReadBytes(kRecordFileName, record).kind;
  figures.recordAbsent = recordRead == DataFileRead::Absent;
  if (recordRead == DataFileRead::Read) {
    std::istringstream in(record);
    GameState state;
    ReadRecordFrom(in, state);
    figures.recordDistance = state.bestDistance;
    figures.recordBounce = state.bestBounce;
  }
  for (const std::string& line : TerminalReport(figures)) out.Line(line);
  // The booth's supervisor's log, when there is one (a booth that never ran in booth mode has
  // none).
  std::string boothBytes;
  const Incidents incidents =
      ReadBytes(kBoothLogFileName, boothBytes, kMaxPlayLogBytes).kind == DataFileRead::Read
          ? IncidentsOf(boothBytes, date)
          : Incidents{};
  for (const std::string& line : IncidentsLines(incidents)) out.Line(line);
  if (!found)
    out.Line(
        Fill(Say({"このフォルダには {} がまだありません。ゲームが一人遊び終えるたびに書きます。",
                  "There is no {} in this folder yet: the game writes it after every "
                  "pass."}),
             {kPlayLogFileName}));
  if (!request.page) return kDone;
  return WritePage(out, *request.page, request.pageAsTyped, dir,
                   WithIncidents(ReportPage(figures), incidents));
}

}  // namespace ranking
