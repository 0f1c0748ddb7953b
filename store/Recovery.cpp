#include "store/Recovery.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>

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
  const std::time_t now = std::time(nullptr);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
  const std::string base = path + mark + stamp;
  std::string name = base;
  for (int n = 2; Exists(name); ++n) name = base + "-" + std::to_string(n);
  return name;
}

void Add(std::vector<StartUpNotice>& notices, const char* file, StartUpNotice::Kind kind, int error,
         std::string keptAs = {}) {
  notices.push_back({file, kind, error, std::move(keptAs)});
}

}  // namespace

std::string RecoveryPathFor(const char* dataFile) {
  return std::string(dataFile) + ".recovery";
}

bool IsKeptAsideName(const std::string& name) {
  if (name.find_first_of("/\\:") != std::string::npos) return false;
  for (const char* file : {kRecordFileName, kRankingFileName})
    if (name.rfind(std::string(file) + kKeptAsideMark, 0) == 0) return true;
  return false;
}

bool SetAsideCopy(const char* dataFile, std::string& setAsideAs, int& error, FileOps& ops) {
  const std::string path = RecoveryPathFor(dataFile);
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

RecoveryCopies::RecoveryCopies(FileOps& ops) : ops_(ops) {
  copies_[0].file = kRecordFileName;
  copies_[1].file = kRankingFileName;
}

DataFileRead RecoveryCopies::Start(Copy& copy, std::string& text,
                                   std::vector<StartUpNotice>& notices) {
  DataFileRead found = ReadDataFile(copy.file, text);
  if (found.kind == DataFileRead::Read) copy.before = text;
  const std::string path = RecoveryPathFor(copy.file);
  std::string bytes;
  const DataFileRead read = ReadDataFile(path.c_str(), bytes, kMaxRecoveryCopyBytes);
  std::optional<RecoveryCopy> waiting =
      read.kind == DataFileRead::Read ? DecodeRecoveryCopy(bytes) : std::nullopt;
  // A copy of the other file under this name is not this file's copy.
  if (waiting && waiting->keepsBefore && waiting->file != copy.file) waiting.reset();
  const bool unreadableFile = found.kind == DataFileRead::Unreadable;

  if (read.kind == DataFileRead::Absent) {
    copy.make = !unreadableFile;
    if (unreadableFile) Add(notices, copy.file, StartUpNotice::Unreadable, found.error);
    return found;
  }
  if (!waiting) {
    // Left as it is for the operator, who may still get something out of it; Q alone keeps this
    // session's results for the file.
    copy.leftAlone = true;
    Add(notices, copy.file, StartUpNotice::CopyUnreadable,
        read.kind == DataFileRead::Unreadable ? read.error : kContentDamaged);
    if (unreadableFile) Add(notices, copy.file, StartUpNotice::Unreadable, found.error);
    return found;
  }
  if (unreadableFile) {
    // Whether the file still holds what the copy was made from cannot be told.
    copy.leftAlone = true;
    Add(notices, copy.file, StartUpNotice::CopyKeptUnreadable, found.error);
    text = waiting->after;
    return found;
  }

  int error = 0;
  if (found.kind == DataFileRead::Read && text == waiting->after) {
    // Already in the file: a quit that saved it but could not remove the copy.
    copy.make = true;
    if (!RemoveCopy(ops_, copy.file, error) && error != 0)
      Add(notices, copy.file, StartUpNotice::CopyNotRemoved, error);
    return found;
  }
  if (waiting->keepsBefore && waiting->before != copy.before) {
    // The file changed since the copy was made (a backup put back, an edit, a later save): the
    // crashed run's results are set aside for the ranking tool's merge, not put over it.
    const std::string keptAs = AsideName(copy.file, kKeptAsideMark);
    errno = 0;
    if (ops_.Rename(path, keptAs)) {
      ops_.SyncDirectory(DirectoryOf(path));
      copy.make = true;
      Add(notices, copy.file, StartUpNotice::KeptAside, 0, keptAs);
    } else {
      copy.leftAlone = true;
      Add(notices, copy.file, StartUpNotice::NotKeptAside, errno != 0 ? errno : EIO);
    }
    return found;
  }
  copy.make = true;
  error = found.error;
  if (ReplaceFile(ops_, copy.file, waiting->after, &error)) {
    found = {DataFileRead::Read, 0};
    copy.before = waiting->after;
    if (!RemoveCopy(ops_, copy.file, error) && error != 0)
      Add(notices, copy.file, StartUpNotice::CopyNotRemoved, error);
  } else {
    // The game plays on with the copy's values, and the copies it makes go on from it.
    Add(notices, copy.file, StartUpNotice::CopyKept, error);
    copy.foundAtStart = bytes;
    if (waiting->keepsBefore) copy.before = waiting->before;
  }
  text = waiting->after;
  return found;
}

StartUpReads RecoveryCopies::RestoreAndRead(GameState& state, std::vector<StartUpNotice>& notices) {
  StartUpReads reads;
  for (int i = 0; i < 2; ++i) {
    std::string text;
    (i == 0 ? reads.record : reads.ranking) = Start(copies_[i], text, notices);
    std::istringstream in(text);
    kDataFiles[i].read(in, state);
  }
  return reads;
}

std::vector<CopyFailure> RecoveryCopies::Write(const GameState& state) {
  // Between two visitors: both copies complete on disk first, then renamed into place one right
  // after the other, so that a kill leaves either both old copies or both new ones but for that
  // instant; then one sync of the directory for both (most of the time a round takes).
  bool prepared[2] = {false, false};
  for (int i = 0; i < 2; ++i) {
    Copy& copy = copies_[i];
    if (!copy.make) continue;
    copy.unwritten = 0;
    const std::string bytes =
        EncodeRecoveryCopy(copy.file, copy.before, kDataFiles[i].format(state));
    prepared[i] = PrepareReplacement(ops_, RecoveryPathFor(copy.file), bytes, &copy.unwritten);
  }
  bool anyInPlace = false;
  for (int i = 0; i < 2; ++i) {
    if (!prepared[i]) continue;
    Copy& copy = copies_[i];
    if (CommitReplacement(ops_, RecoveryPathFor(copy.file), &copy.unwritten)) {
      copy.made = true;
      anyInPlace = true;
    }
  }
  if (anyInPlace) ops_.SyncDirectory(DirectoryOf(kRecordFileName));

  const std::vector<CopyFailure> failures = Unwritten();
  for (const CopyFailure& failure : failures)
    std::fprintf(stderr, "kavrel: %s not written: %s\n", RecoveryPathFor(failure.file).c_str(),
                 std::strerror(failure.error));
  if (failures.empty()) failureTold_ = false;
  if (failures.empty() || failureTold_) return {};
  failureTold_ = true;
  return failures;
}

std::vector<CopyFailure> RecoveryCopies::Unwritten() const {
  std::vector<CopyFailure> failures;
  for (const Copy& copy : copies_)
    if (copy.make && copy.unwritten != 0)
      failures.push_back({copy.file, CopyFailure::NotWritten, copy.unwritten});
  return failures;
}

std::vector<CopyFailure> RecoveryCopies::RemoveSaved(const DataFilesSave& save) {
  std::vector<CopyFailure> failures;
  bool anyRemoved = false;
  for (int i = 0; i < 2; ++i) {
    const Copy& copy = copies_[i];
    const bool saved = i == 0 ? save.record.saved : save.ranking.saved;
    if (!saved || copy.leftAlone) continue;
    int error = 0;
    if (RemoveCopy(ops_, copy.file, error)) anyRemoved = true;
    if (error != 0) failures.push_back({copy.file, CopyFailure::NotRemoved, error});
  }
  // The removal made durable too: a copy that came back after a power cut would be set aside.
  if (anyRemoved) ops_.SyncDirectory(DirectoryOf(kRecordFileName));
  return failures;
}

void RecoveryCopies::Forget() {
  bool anyRemoved = false;
  for (const Copy& copy : copies_) {
    if (!copy.made) continue;
    const std::string path = RecoveryPathFor(copy.file);
    int error = 0;
    if (!copy.foundAtStart) {
      anyRemoved |= RemoveCopy(ops_, copy.file, error);
    } else if (!ReplaceFile(ops_, path, *copy.foundAtStart, &error)) {
      std::fprintf(stderr, "kavrel: %s not set back: %s\n", path.c_str(), std::strerror(error));
    }
  }
  if (anyRemoved) ops_.SyncDirectory(DirectoryOf(kRecordFileName));
}

StartUpReads RestoreAndReadDataFiles(GameState& state, std::vector<StartUpNotice>& notices,
                                     FileOps& ops) {
  RecoveryCopies copies(ops);
  return copies.RestoreAndRead(state, notices);
}

void RemoveSavedCopies(const DataFilesSave& save, FileOps& ops) {
  bool anyRemoved = false;
  for (const DataFile& file : kDataFiles) {
    const bool saved = &file == &kDataFiles[0] ? save.record.saved : save.ranking.saved;
    int error = 0;
    if (saved) anyRemoved |= RemoveCopy(ops, file.name, error);
  }
  if (anyRemoved) ops.SyncDirectory(DirectoryOf(kRecordFileName));
}
