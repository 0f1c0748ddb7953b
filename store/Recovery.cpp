#include "store/Recovery.h"

#include <sys/stat.h>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <sstream>

#include "platform/LocalTime.h"
#include "store/PlayLog.h"
#include "store/Reasons.h"
#include "store/RecoveryCopy.h"

namespace {

struct DataFile {
  const char* name;
  std::string (*format)(const GameState&);
  void (*read)(std::istream&, GameState&);
};

std::string FormatRanking(const GameState& state) {
  return FormatRankingFile(state.ranking);
}
void ReadRanking(std::istream& in, GameState& state) {
  ReadRankingFrom(in, state.ranking);
}

const DataFile kDataFiles[] = {
    {kRecordFileName, &FormatRecordFile, &ReadRecordFrom},
    {kRankingFileName, &FormatRanking, &ReadRanking},
};

// True when a copy was there and is gone; else `error` holds why (0: there was none).
bool RemoveCopy(FileOps& ops, const char* file, int& error) {
  const std::string copy = RecoveryPathFor(file);
  errno = 0;
  error = 0;
  if (ops.Remove(copy)) return true;
  if (errno == ENOENT) return false;
  error = errno != 0 ? errno : EIO;
  std::fprintf(stderr, "kavrel: %s not removed: %s\n", copy.c_str(), std::strerror(error));
  return false;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 || errno != ENOENT;
}

constexpr const char* kKeptAsideMark = ".kept-";

// `path` + mark + YYYYMMDD-HHMMSS in local time, with -2, -3... when that name is taken.
std::string AsideName(const std::string& path, const char* mark) {
  const std::string base = path + mark + StampText(ToLocalTime(std::time(nullptr)));
  std::string name = base;
  for (int n = 2; Exists(name); ++n) name = base + "-" + std::to_string(n);
  return name;
}

// The kept-aside copies made from the very copy `copy` (merged since or not): written by a start
// or an ESC that was killed before the pass copy was rewritten or removed. Told by the run and
// the pass that made them, never by their values: two passes may leave equal values.
std::vector<std::string> KeptCopiesOf(const RecoveryCopy& copy) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  if (copy.from.empty()) return names;
  const std::string directory = DirectoryOf(copy.file);
  // Compared in the system's own characters, so that no other name has to be converted.
  const fs::path::string_type prefix =
      fs::path(fs::path(copy.file).filename().string() + kKeptAsideMark).native();
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path::string_type name = it->path().filename().native();
    if (name.compare(0, prefix.size(), prefix) != 0 ||
        std::any_of(name.begin(), name.end(),
                    [](auto c) { return static_cast<unsigned long>(c) > 127; }))
      continue;  // the game's own names are ASCII
    const std::string path =
        (directory == "." ? "" : directory + "/") + it->path().filename().string();
    std::string bytes;
    if (!UntrustedOwner(path).empty() ||
        ReadDataFile(path.c_str(), bytes, kMaxRecoveryCopyBytes).kind != DataFileRead::Read)
      continue;  // another user's is never taken for this run's, nor removed
    const std::optional<RecoveryCopy> kept = DecodeRecoveryCopy(bytes);
    if (kept && kept->keepsBefore && kept->file == copy.file && kept->from == copy.from)
      names.push_back(path);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Removes the kept-aside copies made from `copy`, whose values are in its file now: a merge would
// add them twice.
void RemoveKeptCopiesOf(FileOps& ops, const RecoveryCopy& copy) {
  bool anyRemoved = false;
  for (const std::string& kept : KeptCopiesOf(copy)) anyRemoved |= ops.Remove(kept);
  if (anyRemoved) ops.SyncDirectory(DirectoryOf(copy.file));
}

// Marks the kept copies that a merge's pass copy names as merged, now that their values are in
// place: a second merge of any of them adds nothing.
void ApplyMarks(FileOps& ops, const PassCopy& pass) {
  for (const std::string& mark : pass.marks) {
    std::string bytes;
    if (ReadDataFile(mark.c_str(), bytes, kMaxRecoveryCopyBytes).kind != DataFileRead::Read)
      continue;
    std::optional<RecoveryCopy> copy = DecodeRecoveryCopy(bytes);
    if (!copy || !copy->keepsBefore || copy->merged) continue;
    copy->merged = true;
    int error = 0;
    if (!ReplaceFile(ops, mark, EncodeRecoveryCopy(*copy), &error))
      std::fprintf(stderr, "kavrel: %s not marked as merged: %s\n", mark.c_str(),
                   std::strerror(error));
  }
}

// What a copy kept aside holds: the copy as it was made, never marked merged.
std::string KeptCopyBytes(RecoveryCopy copy, std::string lines = {}) {
  copy.merged = false;
  copy.lines = std::move(lines);
  return EncodeRecoveryCopy(copy);
}

void Add(std::vector<StartUpNotice>& notices, const char* file, StartUpNotice::Kind kind, int error,
         std::string keptAs = {}, std::string copy = {}) {
  if (copy.empty()) copy = kPassCopyFileName;
  notices.push_back({file, kind, error, std::move(keptAs), std::move(copy), {}});
}

// True when the file's values already hold everything the copy would put there (a kill during
// an orderly end's saves, after the file was saved): nothing of it is lost when it goes quietly.
// For the ranking, every entry of the copy as many times as the copy holds it.
bool CopyAddsNothing(int file, const std::string& text, const RecoveryCopy& copy) {
  if (file == 0) {
    GameState now, then;
    std::istringstream inNow(text), inThen(copy.after);
    ReadRecordFrom(inNow, now);
    ReadRecordFrom(inThen, then);
    return now.bestDistance >= then.bestDistance && now.bestBounce >= then.bestBounce &&
           now.challengerNumber >= then.challengerNumber;
  }
  RankingTable now{}, after{};
  std::istringstream inNow(text), inAfter(copy.after);
  ReadRankingFrom(inNow, now);
  ReadRankingFrom(inAfter, after);
  std::vector<bool> used(now.size(), false);
  for (const RankingEntry& entry : after) {
    bool held = false;
    for (size_t i = 0; i < now.size() && !held; ++i) {
      if (used[i] || now[i].score != entry.score || now[i].name != entry.name) continue;
      used[i] = held = true;
    }
    if (!held) return false;
  }
  return true;
}

// The pass copy as it is on disk, without the copies of the files in `drop`; removed when nothing
// is left of it. Nothing is done to a copy that cannot be read. Returns the errno of a failure.
int DropFromPassCopy(FileOps& ops, const bool drop[2]) {
  std::string bytes;
  if (ReadDataFile(kPassCopyFileName, bytes, kMaxPassCopyBytes).kind != DataFileRead::Read)
    return 0;
  std::optional<PassCopy> pass = DecodePassCopy(bytes);
  if (!pass) return 0;
  const size_t had = pass->copies.size();
  std::vector<RecoveryCopy> kept;
  for (RecoveryCopy& copy : pass->copies)
    if (!drop[copy.file == kRankingFileName ? 1 : 0]) kept.push_back(std::move(copy));
  pass->copies = std::move(kept);
  if (pass->copies.size() == had) return 0;
  int error = 0;
  if (pass->copies.empty()) {
    ApplyMarks(ops, *pass);
    errno = 0;
    if (ops.Remove(kPassCopyFileName) || errno == ENOENT) {
      ops.SyncDirectory(DirectoryOf(kPassCopyFileName));
      return 0;
    }
    return errno != 0 ? errno : EIO;
  }
  // Its line stays with it: it is told by place, so a second start never adds it twice.
  ReplaceFile(ops, kPassCopyFileName, EncodePassCopy(*pass), &error);
  return error;
}

// A name for this run that no other run has: its start time, process id and a random number.
std::string RunIdentity() {
  std::random_device random;
#ifdef _WIN32
  const long long pid = _getpid();
#else
  const long long pid = ::getpid();
#endif
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  char text[80];
  std::snprintf(
      text, sizeof text, "%lld-%lld-%08x",
      static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()),
      pid, static_cast<unsigned>(random()));
  return text;
}

// True, with the operator told, when the copy at `path` may not be trusted: it is left as it is.
bool Distrusted(std::vector<StartUpNotice>& notices, const char* file, const std::string& path) {
  std::string owner = UntrustedOwner(path);
  if (owner.empty()) return false;
  std::fprintf(stderr, "kavrel: %s not used: it is %s's, or others may write it\n", path.c_str(),
               owner.c_str());
  notices.push_back({file, StartUpNotice::Untrusted, 0, {}, path, std::move(owner)});
  return true;
}

}  // namespace

bool MergedAlready(const RecoveryCopy& copy) {
  for (const std::string& name : KeptCopiesOf(copy)) {
    std::string bytes;
    if (ReadDataFile(name.c_str(), bytes, kMaxRecoveryCopyBytes).kind != DataFileRead::Read)
      continue;
    const std::optional<RecoveryCopy> kept = DecodeRecoveryCopy(bytes);
    if (kept && kept->merged) return true;
  }
  return false;
}

std::string RecoveryPathFor(const char* dataFile) {
  return std::string(dataFile) + ".recovery";
}

struct RecoveryCopies::Waiting {
  DataFileRead read;                 // of the copy: Absent when there is none
  std::optional<RecoveryCopy> copy;  // nothing when it could not be read
  std::string bytes;                 // as found
  bool older = false;                // a copy of its own beside the data file
  std::string path;                  // the file that holds it
};

bool IsKeptAsideName(const std::string& name) {
  if (name.find_first_of("/\\:") != std::string::npos) return false;
  for (const char* file : {kRecordFileName, kRankingFileName})
    if (name.rfind(std::string(file) + kKeptAsideMark, 0) == 0) return true;
  return false;
}

bool SetAsideCopy(const std::string& path, std::string& setAsideAs, int& error, FileOps& ops) {
  setAsideAs = AsideName(path, ".broken-");
  errno = 0;
  if (!ops.Rename(path, setAsideAs)) {
    error = errno != 0 ? errno : EIO;
    return false;
  }
  ops.SyncDirectory(DirectoryOf(path));
  error = 0;
  return true;
}

RecoveryCopies::RecoveryCopies(FileOps& ops) : ops_(ops), runId_(RunIdentity()) {
  copies_[0].file = kRecordFileName;
  copies_[1].file = kRankingFileName;
}

DataFileRead RecoveryCopies::Start(Copy& copy, const Waiting& waitingCopy, std::string& text,
                                   std::vector<StartUpNotice>& notices, Outcome& outcome) {
  outcome = Outcome::Gone;
  DataFileRead found = ReadDataFile(copy.file, text);
  if (found.kind == DataFileRead::Read) copy.before = text;
  const std::string& path = waitingCopy.path;
  const DataFileRead& read = waitingCopy.read;
  std::optional<RecoveryCopy> waiting = waitingCopy.copy;
  // A copy of the other file under this name is not this file's copy.
  if (waiting && waiting->keepsBefore && waiting->file != copy.file) waiting.reset();
  const bool unreadableFile = found.kind == DataFileRead::Unreadable;

  if (read.kind == DataFileRead::Absent) {
    copy.make = !unreadableFile;
    if (unreadableFile) Add(notices, copy.file, StartUpNotice::Unreadable, found.error);
    return found;
  }
  outcome = Outcome::Stays;
  if (!waiting) {
    // Left as it is for the operator, who may still get something out of it; Q alone keeps this
    // session's results for the file.
    copy.leftAlone = true;
    Add(notices, copy.file, StartUpNotice::CopyUnreadable,
        read.kind == DataFileRead::Unreadable ? read.error : kContentDamaged, {}, path);
    if (unreadableFile) Add(notices, copy.file, StartUpNotice::Unreadable, found.error);
    return found;
  }
  if (unreadableFile) {
    // Whether the file still holds what the copy was made from cannot be told.
    copy.leftAlone = true;
    Add(notices, copy.file, StartUpNotice::CopyKeptUnreadable, found.error, {}, path);
    text = waiting->after;
    return found;
  }

  int error = 0;
  if (found.kind == DataFileRead::Read &&
      (text == waiting->after ||
       (waiting->keepsBefore && waiting->before != copy.before &&
        CopyAddsNothing(copy.file == kRankingFileName ? 1 : 0, text, *waiting)))) {
    // Already in the file: a quit that saved it but could not remove the copy, or a kill in the
    // middle of an orderly end's saves.
    copy.make = true;
    outcome = Outcome::Gone;
    // Kept aside from this very copy by an ESC or a start killed before the copy went: its
    // values are in the file.
    if (!waitingCopy.older) RemoveKeptCopiesOf(ops_, *waiting);
    if (waitingCopy.older && !RemoveCopy(ops_, copy.file, error) && error != 0)
      Add(notices, copy.file, StartUpNotice::CopyNotRemoved, error, {}, path);
    return found;
  }
  if (waiting->keepsBefore && waiting->before != copy.before) {
    // The file changed since the copy was made (a backup put back, an edit, a later save): the
    // crashed run's results are set aside for the ranking tool's merge, not put over it.
    // Kept already by a start killed before it could rewrite the pass copy: not kept twice.
    const std::vector<std::string> keptBefore =
        waitingCopy.older ? std::vector<std::string>{} : KeptCopiesOf(*waiting);
    const std::string keptAs =
        keptBefore.empty() ? AsideName(copy.file, kKeptAsideMark) : keptBefore.front();
    errno = 0;
    const bool keptAside =
        !keptBefore.empty() ||
        (waitingCopy.older ? ops_.Rename(path, keptAs)
                           : ReplaceFile(ops_, keptAs, KeptCopyBytes(*waiting), &error));
    if (keptAside) {
      if (waitingCopy.older) ops_.SyncDirectory(DirectoryOf(path));
      copy.make = true;
      outcome = Outcome::Gone;
      Add(notices, copy.file, StartUpNotice::KeptAside, 0, keptAs, path);
    } else {
      copy.leftAlone = true;
      Add(notices, copy.file, StartUpNotice::NotKeptAside,
          error != 0   ? error
          : errno != 0 ? errno
                       : EIO,
          {}, path);
    }
    return found;
  }
  copy.make = true;
  error = found.error;
  if (ReplaceFile(ops_, copy.file, waiting->after, &error)) {
    found = {DataFileRead::Read, 0};
    copy.before = waiting->after;
    outcome = Outcome::Gone;
    // Kept aside by an ESC killed before its pass copy went: the file holds its values now, and
    // a merge would add them twice.
    if (!waitingCopy.older && waiting->keepsBefore) RemoveKeptCopiesOf(ops_, *waiting);
    if (waitingCopy.older && !RemoveCopy(ops_, copy.file, error) && error != 0)
      Add(notices, copy.file, StartUpNotice::CopyNotRemoved, error, {}, path);
  } else {
    // The game plays on with the copy's values, and the copies it makes go on from it.
    Add(notices, copy.file, StartUpNotice::CopyKept, error, {}, path);
    if (waitingCopy.older) copy.foundAtStart = waitingCopy.bytes;
    if (waiting->keepsBefore) copy.before = waiting->before;
  }
  text = waiting->after;
  return found;
}

void RecoveryCopies::CheckOlderCopy(Copy& copy, std::vector<StartUpNotice>& notices) {
  // An older copy beside the pass copy: one that can be read was made before the pass copy, which
  // went on from it; one that cannot be read is told and never removed, like any such copy.
  const std::string path = RecoveryPathFor(copy.file);
  if (Distrusted(notices, copy.file, path)) {
    copy.olderLeftAlone = true;
    return;
  }
  std::string bytes;
  const DataFileRead read = ReadDataFile(path.c_str(), bytes, kMaxRecoveryCopyBytes);
  if (read.kind == DataFileRead::Absent) return;
  if (read.kind == DataFileRead::Read && DecodeRecoveryCopy(bytes)) return;
  copy.olderLeftAlone = true;
  Add(notices, copy.file, StartUpNotice::CopyUnreadable,
      read.kind == DataFileRead::Unreadable ? read.error : kContentDamaged, {}, path);
}

StartUpReads RecoveryCopies::RestoreAndRead(GameState& state, std::vector<StartUpNotice>& notices) {
  PlayLog log(ops_);
  return RestoreAndRead(state, notices, log);
}

StartUpReads RecoveryCopies::RestoreAndRead(GameState& state, std::vector<StartUpNotice>& notices,
                                            PlayLog& log) {
  std::string passBytes;
  // A pass copy another user could have written is neither put back nor replaced: no copies are
  // made this run, and the operator is told whose it is.
  const bool passDistrusted = Distrusted(notices, kRecordFileName, kPassCopyFileName);
  const DataFileRead passRead = passDistrusted
                                    ? DataFileRead{DataFileRead::Absent, 0}
                                    : ReadDataFile(kPassCopyFileName, passBytes, kMaxPassCopyBytes);
  std::optional<PassCopy> pass =
      passRead.kind == DataFileRead::Read ? DecodePassCopy(passBytes) : std::nullopt;
  passCopyLeftAlone_ = passDistrusted || (passRead.kind != DataFileRead::Absent && !pass);

  StartUpReads reads;
  std::vector<RecoveryCopy> staying;
  for (int i = 0; i < 2; ++i) {
    Copy& copy = copies_[i];
    Waiting waiting;
    const RecoveryCopy* section = nullptr;
    if (pass)
      for (const RecoveryCopy& c : pass->copies)
        if (c.file == copy.file) section = &c;
    if (passCopyLeftAlone_) {
      // Nothing of it can be told apart: each file plays on its own values, and no copy is made.
      waiting.read = passRead;  // read but not whole: told as a copy that cannot be read
      waiting.path = kPassCopyFileName;
    } else if (section) {
      waiting.read = {DataFileRead::Read, 0};
      waiting.copy = *section;
      waiting.path = kPassCopyFileName;
    } else {
      waiting.path = RecoveryPathFor(copy.file);
      waiting.older = true;
      if (Distrusted(notices, copy.file, waiting.path)) {
        waiting.read = {DataFileRead::Absent, 0};
        copy.olderLeftAlone = true;
      } else {
        waiting.read = ReadDataFile(waiting.path.c_str(), waiting.bytes, kMaxRecoveryCopyBytes);
      }
      if (waiting.read.kind == DataFileRead::Read) waiting.copy = DecodeRecoveryCopy(waiting.bytes);
    }
    std::string text;
    Outcome outcome = Outcome::Gone;
    const size_t told = notices.size();
    (i == 0 ? reads.record : reads.ranking) = Start(copy, waiting, text, notices, outcome);
    // A pass copy that cannot be read is told once, for both files.
    if (passCopyLeftAlone_ && i == 1)
      notices.erase(std::remove_if(notices.begin() + static_cast<long>(told), notices.end(),
                                   [](const StartUpNotice& n) {
                                     return n.kind == StartUpNotice::CopyUnreadable;
                                   }),
                    notices.end());
    if (passCopyLeftAlone_) copy.make = false;
    if (section && outcome == Outcome::Stays) {
      staying.push_back(*section);
      // Never touched, so every pass copy of this run carries it as it is.
      if (copy.leftAlone) carried_.push_back(*section);
    }
    if (!waiting.older) CheckOlderCopy(copy, notices);
    std::istringstream in(text);
    kDataFiles[i].read(in, state);
  }
  if (!pass) return reads;

  // The pass happened, whatever became of its values: its line goes into the log unless it is
  // there already.
  if (pass->line) log.AddUnlessHeld(pass->line->line, {pass->line->logAt, pass->line->sideAt});
  const bool lineWaits = pass->line && log.LinesInMemory() > 0;
  int error = 0;
  if (staying.empty() && !lineWaits) {
    ApplyMarks(ops_, *pass);
    errno = 0;
    if (ops_.Remove(kPassCopyFileName)) {
      ops_.SyncDirectory(DirectoryOf(kPassCopyFileName));
    } else if (errno != ENOENT) {
      passCopyAtStart_ = passBytes;
      Add(notices, kRecordFileName, StartUpNotice::CopyNotRemoved, errno != 0 ? errno : EIO);
    }
    return reads;
  }
  if (staying.size() != pass->copies.size()) {
    pass->copies = staying;
    passBytes = EncodePassCopy(*pass);
    ReplaceFile(ops_, kPassCopyFileName, passBytes, &error);
  }
  passCopyAtStart_ = passBytes;
  return reads;
}

std::vector<CopyFailure> RecoveryCopies::Write(const GameState& state) {
  // A round of copies with no line (for measuring, and for programs without a log).
  PlayLog log(ops_);
  return Write(state, log, {});
}

std::vector<CopyFailure> RecoveryCopies::Write(const GameState& state, PlayLog& log,
                                               std::string line) {
  // Between two visitors: everything the pass leaves, in one file made durable by one rename, so
  // that a kill or a power cut leaves the whole pass or none of it.
  PassCopy pass;
  ++rounds_;
  for (int i = 0; i < 2; ++i) {
    Copy& copy = copies_[i];
    if (!copy.make) continue;
    copy.unwritten = 0;
    RecoveryCopy c;
    c.file = copy.file;
    c.keepsBefore = true;
    c.before = copy.before;
    c.after = kDataFiles[i].format(state);
    c.from = runId_ + " " + std::to_string(rounds_);
    pass.copies.push_back(std::move(c));
  }
  const bool anyMade = !pass.copies.empty();
  pass.copies.insert(pass.copies.end(), carried_.begin(), carried_.end());
  bool written = true;
  if (anyMade && !passCopyLeftAlone_) {
    // With every line still waiting in memory: they are in no file, and the log takes them with
    // this one, in one append from the same place.
    const std::string lines = log.LinesWaiting() + line;
    if (!lines.empty()) {
      const PlayLogSizes sizes = log.Sizes();
      pass.line = PassLineCopy{sizes.log, sizes.side, lines};
    }
    int error = 0;
    written = ReplaceFile(ops_, kPassCopyFileName, EncodePassCopy(pass), &error);
    if (written) {
      passCopyMade_ = true;
      for (Copy& copy : copies_) {
        if (!copy.make) continue;
        copy.made = true;
        // An older copy this run played on is held by the pass copy now.
        if (copy.foundAtStart && !copy.olderCopyGone) {
          int removeError = 0;
          copy.olderCopyGone = RemoveCopy(ops_, copy.file, removeError);
        }
      }
    } else {
      for (Copy& copy : copies_)
        if (copy.make) copy.unwritten = error;
    }
  }
  // Only after its values are durable: a crash must never leave a line without its pass. Else it
  // waits in memory with them, for the next round of copies or Q.
  if (!line.empty()) {
    if (written)
      log.Add(std::move(line));
    else
      log.Hold(std::move(line));
  }

  const std::vector<CopyFailure> failures = Unwritten();
  for (const CopyFailure& failure : failures)
    std::fprintf(stderr, "kavrel: %s not written: %s\n", kPassCopyFileName,
                 std::strerror(failure.error));
  if (failures.empty()) failureTold_ = false;
  if (failures.empty() || failureTold_) return {};
  failureTold_ = true;
  return failures;
}

std::vector<CopyFailure> RecoveryCopies::Unwritten() const {
  // One file holds both copies: one failure for it.
  for (const Copy& copy : copies_)
    if (copy.make && copy.unwritten != 0)
      return {{copy.file, CopyFailure::NotWritten, copy.unwritten}};
  return {};
}

std::vector<CopyFailure> RecoveryCopies::RemoveSaved(const DataFilesSave& save) {
  std::vector<CopyFailure> failures;
  bool anyRemoved = false;
  bool drop[2] = {false, false};
  for (int i = 0; i < 2; ++i) {
    const Copy& copy = copies_[i];
    const bool saved = i == 0 ? save.record.saved : save.ranking.saved;
    if (!saved || copy.leftAlone) continue;
    drop[i] = true;
    if (copy.olderLeftAlone) continue;
    int error = 0;
    if (RemoveCopy(ops_, copy.file, error)) anyRemoved = true;
    if (error != 0)
      failures.push_back({copy.file, CopyFailure::NotRemoved, error, RecoveryPathFor(copy.file)});
  }
  // The removal made durable too: a copy that came back after a power cut would be set aside.
  if (anyRemoved) ops_.SyncDirectory(DirectoryOf(kRecordFileName));
  if (!passCopyLeftAlone_) {
    if (const int error = DropFromPassCopy(ops_, drop))
      for (int i = 0; i < 2; ++i)
        if (drop[i]) failures.push_back({copies_[i].file, CopyFailure::NotRemoved, error});
  }
  return failures;
}

void RecoveryCopies::FilesTakenAsTheyAre() {
  for (Copy& copy : copies_) {
    if (!copy.make) continue;
    std::string text;
    const DataFileRead read = ReadDataFile(copy.file, text);
    if (read.kind == DataFileRead::Unreadable) continue;
    copy.before = read.kind == DataFileRead::Read ? std::optional(text) : std::nullopt;
    copy.made = false;
  }
  passCopyMade_ = false;
}

void RecoveryCopies::Forget() {
  bool anyRemoved = false;
  for (const Copy& copy : copies_) {
    if (!copy.made) continue;
    const std::string path = RecoveryPathFor(copy.file);
    int error = 0;
    if (copy.foundAtStart && copy.olderCopyGone &&
        !ReplaceFile(ops_, path, *copy.foundAtStart, &error))
      std::fprintf(stderr, "kavrel: %s not set back: %s\n", path.c_str(), std::strerror(error));
  }
  if (passCopyMade_) {
    int error = 0;
    if (!passCopyAtStart_) {
      anyRemoved |= ops_.Remove(kPassCopyFileName);
    } else if (!ReplaceFile(ops_, kPassCopyFileName, *passCopyAtStart_, &error)) {
      std::fprintf(stderr, "kavrel: %s not set back: %s\n", kPassCopyFileName,
                   std::strerror(error));
    }
  }
  if (anyRemoved) ops_.SyncDirectory(DirectoryOf(kRecordFileName));
}

std::vector<std::string> RecoveryCopies::SetAside() {
  std::vector<std::string> names = WriteKeptCopies({});
  if (!names.empty()) Forget();
  return names;
}

std::vector<std::string> RecoveryCopies::WriteKeptCopies(const std::string& lines) {
  std::vector<std::string> names;
  std::string bytes;
  std::optional<PassCopy> pass;
  if (passCopyMade_ &&
      ReadDataFile(kPassCopyFileName, bytes, kMaxPassCopyBytes).kind == DataFileRead::Read)
    pass = DecodePassCopy(bytes);
  if (!pass) {
    // Nothing could be set aside: the pass copy stays where it is, and the next start puts it
    // back or sets it aside as any copy.
    if (passCopyMade_)
      std::fprintf(stderr, "kavrel: %s not kept aside: it cannot be read\n", kPassCopyFileName);
    return names;
  }
  for (const RecoveryCopy& copy : pass->copies) {
    const std::string name = AsideName(copy.file, kKeptAsideMark);
    int error = 0;
    // The lines no file took go with the first kept file, once, for the ranking tool's merge.
    if (ReplaceFile(ops_, name, KeptCopyBytes(copy, names.empty() ? lines : std::string()),
                    &error)) {
      names.push_back(name);
    } else {
      // All left in the pass copy, which then stays: the next start puts it back or sets it
      // aside. The kept files already written would count the run twice.
      std::fprintf(stderr, "kavrel: %s not written: %s\n", name.c_str(), std::strerror(error));
      for (const std::string& written : names) ops_.Remove(written);
      return {};
    }
  }
  return names;
}

void RecoveryCopies::KeepAside(const std::string& linesWaiting) {
  // The note before the pass copy goes: a kill between the two leaves copies that the next start
  // puts back and whose kept files it then removes, and no kept file that nothing names.
  const std::vector<std::string> kept = WriteKeptCopies(linesWaiting);
  if (kept.empty()) return;
  std::string note;
  // A note that no start has read yet keeps its names.
  if (ReadDataFile(kKeptAtEscNoteName, note).kind != DataFileRead::Read) note.clear();
  for (const std::string& name : kept) note += name + "\n";
  int error = 0;
  if (!ReplaceFile(ops_, kKeptAtEscNoteName, note, &error))
    std::fprintf(stderr, "kavrel: %s not written: %s\n", kKeptAtEscNoteName, std::strerror(error));
  ops_.SyncDirectory(DirectoryOf(kRecordFileName));
  Forget();
}

void NameCopiesKeptAtEsc(std::vector<StartUpNotice>& notices, FileOps& ops) {
  std::string note;
  if (Distrusted(notices, kRankingFileName, kKeptAtEscNoteName) ||
      ReadDataFile(kKeptAtEscNoteName, note).kind != DataFileRead::Read)
    return;
  std::istringstream lines(note);
  for (std::string name; std::getline(lines, name);) {
    // Only the kept copies' own names, in this folder.
    if (name.empty() || !IsKeptAsideName(name) || !Exists(name)) continue;
    const bool ranking = name.rfind(kRankingFileName, 0) == 0;
    if (Distrusted(notices, ranking ? kRankingFileName : kRecordFileName, name)) continue;
    Add(notices, ranking ? kRankingFileName : kRecordFileName, StartUpNotice::KeptAtEsc, 0, name);
  }
  errno = 0;
  if (!ops.Remove(kKeptAtEscNoteName) && errno != ENOENT)
    std::fprintf(stderr, "kavrel: %s not removed: %s\n", kKeptAtEscNoteName, std::strerror(errno));
}

StartUpReads RestoreAndReadDataFiles(GameState& state, std::vector<StartUpNotice>& notices,
                                     FileOps& ops) {
  RecoveryCopies copies(ops);
  return copies.RestoreAndRead(state, notices);
}

bool ApplyPassCopy(PassCopy pass, GameState& state, std::vector<StartUpNotice>& notices, int& error,
                   FileOps& ops) {
  const std::string from = RunIdentity() + " 1";
  for (RecoveryCopy& copy : pass.copies) {
    copy.keepsBefore = true;
    if (copy.from.empty()) copy.from = from;
  }
  if (pass.line) {
    const PlayLogSizes sizes = PlayLog(ops).Sizes();
    pass.line->logAt = sizes.log;
    pass.line->sideAt = sizes.side;
  }
  error = 0;
  if (!ReplaceFile(ops, kPassCopyFileName, EncodePassCopy(pass), &error)) return false;
  RecoveryCopies copies(ops);
  copies.RestoreAndRead(state, notices);
  return true;
}

void RemoveSavedCopies(const DataFilesSave& save, FileOps& ops) {
  bool anyRemoved = false;
  bool drop[2] = {save.record.saved, save.ranking.saved};
  for (int i = 0; i < 2; ++i) {
    int error = 0;
    if (drop[i]) anyRemoved |= RemoveCopy(ops, kDataFiles[i].name, error);
  }
  if (anyRemoved) ops.SyncDirectory(DirectoryOf(kRecordFileName));
  DropFromPassCopy(ops, drop);
}
