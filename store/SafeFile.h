// Replacing a file so that a quit cut short (crash, power loss, full disk) never leaves a
// half-written or empty file behind: the bytes go to a temporary file in the same directory, are
// forced to disk, and only then is the temporary renamed over the old file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

// The file steps of a replacement, so that a test can make any of them fail.
class FileOps {
 public:
  virtual ~FileOps() = default;
  // A new, empty file for writing (an existing one is emptied); null on failure.
  virtual std::FILE* Open(const std::string& path) = 0;
  virtual bool Write(std::FILE* file, std::string_view bytes) = 0;
  virtual bool Flush(std::FILE* file) = 0;
  virtual bool Sync(std::FILE* file) = 0;  // to the disk
  // Always releases the file, even when it reports failure.
  virtual bool Close(std::FILE* file) = 0;
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
  virtual bool SyncDirectory(const std::string& directory) = 0;
  // A file that is only ever added to (the play log): opened to append, and to read what it
  // holds, created when missing; null on failure (errno EISDIR for a folder in the way).
  virtual std::FILE* OpenToAppend(const std::string& path);
  // Cuts the file at `path` back to its first `size` bytes and syncs it: what an append that
  // failed half way wrote is taken off again.
  virtual bool CutBack(const std::string& path, long long size);
  // Up to `limit` bytes of the file, read while another program may append to it or replace it
  // (on Windows shared for writing and deletion). 0, or the errno of why not: ENOENT when it is
  // not there, EISDIR for a folder.
  virtual int ReadWhole(const std::string& path, size_t limit, std::string& bytes);
};

// A file of the data folder opened to read: never through a symbolic link, never waiting on a
// pipe, and only a plain file. The descriptor, or -1 with errno (ELOOP for a link or anything
// that is not a plain file, EISDIR for a folder).
int OpenPlainFileToRead(const std::string& path);

// The real file system (on Windows, the same steps through its own calls).
FileOps& PosixFileOps();

// The temporary file a replacement of `path` writes first, named for this process (for example
// kv_rank.dat.tmp.12345), so that two programs never write the same one. It is always made anew:
// a leftover plain file of this user's under that name is removed first; a folder there fails the
// replacement (told as a folder in the way); anything else (a link, a pipe, another user's file)
// is left alone, and kv_rank.dat.tmp.12345-2 (up to -8) is written instead.
std::string TemporaryPathFor(const std::string& path);
// The same for the process `pid`.
std::string TemporaryPathFor(const std::string& path, long long pid);

// Removes the temporaries of replacements of `path` that other runs left behind when they were
// killed (any process id, and the plain ".tmp" of earlier versions); a folder of such a name is
// left alone. Only for a program that holds its directory's lock: otherwise another program may
// be writing one of them.
void RemoveLeftTemporaries(FileOps& ops, const std::string& path);
// The same in `directory` for every file whose name `replaced` says is one the programs replace.
void RemoveLeftTemporaries(FileOps& ops, const std::string& directory,
                           const std::function<bool(const std::string&)>& replaced);

// Puts `bytes` in place of the file at `path`. True when the new file is complete and in place;
// on failure the old file is untouched, no temporary file is left, and `error` (when given) holds
// the errno of the step that failed. A file that this user may not write is not replaced.
bool ReplaceFile(FileOps& ops, const std::string& path, std::string_view bytes,
                 int* error = nullptr);

// ReplaceFile in its two halves, so that several files can share one sync of their directory:
// the new bytes complete on disk under the temporary name, then renamed into place. On failure
// nothing is left of the temporary file. After the last rename, SyncDirectory.
bool PrepareReplacement(FileOps& ops, const std::string& path, std::string_view bytes,
                        int* error = nullptr);
bool CommitReplacement(FileOps& ops, const std::string& path, int* error = nullptr);
// Gives up a replacement prepared and not committed: its temporary file is removed.
void AbandonReplacement(FileOps& ops, const std::string& path);
// Writes `bytes` to `file`, flushed and synced to the disk, then closes it whatever happened.
// False, with the errno of the step that failed (EIO when it tells none) in `error`, when a step
// failed.
bool WriteDurablyAndClose(FileOps& ops, std::FILE* file, std::string_view bytes, int& error);

// Appends `bytes` to `file`, which OpenToAppend opened at `path` when it held `sizeBefore` bytes
// (-1 when that could not be told), made durable: WriteDurablyAndClose, and a new file's name
// made durable too. On failure what was written of it comes off again, so that the next try
// writes every line once; `error` holds the errno of the failure, 0 on success.
bool AppendDurably(FileOps& ops, std::FILE* file, const std::string& path, long long sizeBefore,
                   std::string_view bytes, int& error);

// `error`, or EISDIR when a folder stands at `path`: Windows says "access denied" there, and the
// game tells the operator the same reason on every system.
int ErrorOrFolderInTheWay(const std::string& path, int error);

// Whose the file at `path` is when this user may not trust what it holds: another user's, or
// one that another user may write (a group other than this user's own, or everyone). Empty when
// it may be trusted, or is not there. A copy found by itself is acted on only when trusted.
std::string UntrustedOwner(const std::string& path);

// The directory a path names a file in.
std::string DirectoryOf(const std::string& path);
