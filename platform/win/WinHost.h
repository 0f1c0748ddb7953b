// The few Windows calls the game needs beyond SDL, behind plain functions: this header is safe to
// include anywhere, and only WinHost.cpp sees <windows.h> (whose macros clash with the game's
// names).
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace plat::win {

// Milliseconds from a fixed moment, from the performance counter (1 ms steps, wrapping).
uint32_t TickMilliseconds();
// A nap well inside one tick, for the last polls of a frame's wait.
void NapBriefly();

// A 1 ms system timer resolution while the game runs, so that sleeps end on time.
void BeginTimerPeriod();
void EndTimerPeriod();

// The input method off for the whole process (ImmDisableIME), before its first window or box.
void DisableInputMethod();

// SystemParametersInfo's flags of Sticky Keys (0), Filter Keys (1) and Toggle Keys (2); a set is
// for the session only, never written to the user's profile. False when the call failed.
bool GetAccessFlags(int feature, uint32_t& flags);
bool SetAccessFlags(int feature, uint32_t flags);
// The game's folder in the user's own settings (%LOCALAPPDATA%\Kavrel); empty if unknown.
std::filesystem::path UserSettingsFolder();

// The folder of the running program, and the system's font folder, in UTF-8; empty if unknown.
std::string ExecutableDirectory();
std::string SystemFontsDirectory();

// Standard output and error without the CR LF translation of text mode.
void SetStandardStreamsBinary();

// Replaces `to` by `from` (MoveFileEx, replacing, written through), and forces a file's bytes to
// the disk. Paths in UTF-8; on failure errno tells why. A file held open (by a reader, a virus
// scanner or the indexer) is tried again for about a second.
bool MoveReplacing(const std::string& from, const std::string& to);
bool CommitToDisk(std::FILE* file);

// A file of the data folder at `path` (UTF-8), opened without following a reparse point (a
// symbolic link, a junction), shared for reading, writing and deletion. `flags` as for _open:
// _O_RDONLY, _O_WRONLY or _O_RDWR, with _O_CREAT, _O_TRUNC, _O_APPEND. A descriptor of a plain
// file, or -1 with errno: ELOOP for a reparse point or anything that is not a plain file, EISDIR
// for a folder, ENOENT, EACCES.
int OpenPlainFile(const std::string& path, int flags);

// The lock of a data directory: a file in it opened without sharing, deleted by the system when
// the last handle closes (also after a kill). A lock still held is tried again for about a second,
// since Windows may give up a killed program's handle a moment late.
enum class LockResult { Locked, Held, Failed };
LockResult LockDirectory(const std::string& directory, long long& handle);
void UnlockDirectory(long long handle);

// True when the user's interface language is Japanese.
bool UserInterfaceIsJapanese();

// Up to `limit` bytes of the file at `path` (UTF-8) into `bytes`, opened so that a program
// writing or replacing the file (MoveFileEx) is not hindered. 0, or the errno of the failure
// (ENOENT when there is no such file, EISDIR for a folder).
int ReadSharing(const std::string& path, size_t limit, std::string& bytes);

// UTF-8 to the wide text the system's W calls take, and back.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// The program's arguments in UTF-8, from the wide command line (argv holds them in the ANSI code
// page, which cannot hold every name).
std::vector<std::string> Utf8Arguments();

// UTF-8 text to standard output or error: through WriteConsoleW when that is a console, so that
// Japanese shows whatever the console's code page; when it is redirected, in the console's output
// code page (else the ANSI code page), as `type` and `more` read a file.
void WriteText(std::FILE* stream, const std::string& utf8);

// Watches the window `hwnd` for the end of the Windows session (shut-down, log-off): on the
// query `onQuery` is called and the end is allowed; if the session really ends while the game is
// still running, `onEnd` is called before the window procedure returns (the process is ended
// soon after that return).
void WatchSessionEnd(void* hwnd, void (*onQuery)(void*), void (*onEnd)(void*), void* context);

}  // namespace plat::win
