#include "platform/win/WinHost.h"

#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <windows.h>

#include "platform/DirectoryLock.h"

// Need windows.h before them.
#include <imm.h>
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace plat::win {
namespace {

std::string Utf8(const wchar_t* wide, int length) {
  if (length <= 0) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), n, nullptr, nullptr);
  return out;
}

struct SessionWatch {
  WNDPROC previous = nullptr;
  void (*onQuery)(void*) = nullptr;
  void (*onEnd)(void*) = nullptr;
  void* context = nullptr;
};
SessionWatch g_watch;

LRESULT CALLBACK SessionProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_QUERYENDSESSION) {
    g_watch.onQuery(g_watch.context);
    return TRUE;
  }
  if (msg == WM_ENDSESSION) {
    if (wParam) g_watch.onEnd(g_watch.context);
    return 0;
  }
  return CallWindowProcW(g_watch.previous, hwnd, msg, wParam, lParam);
}

}  // namespace

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Utf8(const std::wstring& wide) {
  return Utf8(wide.data(), static_cast<int>(wide.size()));
}

uint32_t TickMilliseconds() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const LONGLONG seconds = now.QuadPart / frequency;
  const LONGLONG rest = now.QuadPart % frequency;
  return static_cast<uint32_t>(seconds * 1000 + rest * 1000 / frequency);
}

void NapBriefly() {
  // A high-resolution waitable timer sleeps a quarter of a millisecond (Windows 10 1803 and
  // later); elsewhere the shortest sleep is one tick of the 1 ms timer period.
  static HANDLE timer =
      CreateWaitableTimerExW(nullptr, nullptr, 0x00000002 /* HIGH_RESOLUTION */, TIMER_ALL_ACCESS);
  if (timer) {
    LARGE_INTEGER due;
    due.QuadPart = -2500;  // 250 us, relative, in 100 ns units
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
      WaitForSingleObject(timer, INFINITE);
      return;
    }
  }
  Sleep(1);
}

void BeginTimerPeriod() {
  timeBeginPeriod(1);
}
void EndTimerPeriod() {
  timeEndPeriod(1);
}

void DisableInputMethod() {
  ImmDisableIME(static_cast<DWORD>(-1));  // -1: every thread of the process
}

bool GetAccessFlags(int feature, uint32_t& flags) {
  switch (feature) {
    case 0: {
      STICKYKEYS keys{sizeof keys, 0};
      if (!SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof keys, &keys, 0)) return false;
      flags = keys.dwFlags;
      return true;
    }
    case 1: {
      FILTERKEYS keys{sizeof keys, 0, 0, 0, 0, 0};
      if (!SystemParametersInfoW(SPI_GETFILTERKEYS, sizeof keys, &keys, 0)) return false;
      flags = keys.dwFlags;
      return true;
    }
    case 2: {
      TOGGLEKEYS keys{sizeof keys, 0};
      if (!SystemParametersInfoW(SPI_GETTOGGLEKEYS, sizeof keys, &keys, 0)) return false;
      flags = keys.dwFlags;
      return true;
    }
    default:
      return false;
  }
}

bool SetAccessFlags(int feature, uint32_t flags) {
  // Each structure is read first, so that only its flags change. No SPIF_UPDATEINIFILE: the
  // change lasts for this session only.
  switch (feature) {
    case 0: {
      STICKYKEYS keys{sizeof keys, 0};
      if (!SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof keys, &keys, 0)) return false;
      keys.dwFlags = flags;
      return SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof keys, &keys, 0) != 0;
    }
    case 1: {
      FILTERKEYS keys{sizeof keys, 0, 0, 0, 0, 0};
      if (!SystemParametersInfoW(SPI_GETFILTERKEYS, sizeof keys, &keys, 0)) return false;
      keys.dwFlags = flags;
      return SystemParametersInfoW(SPI_SETFILTERKEYS, sizeof keys, &keys, 0) != 0;
    }
    case 2: {
      TOGGLEKEYS keys{sizeof keys, 0};
      if (!SystemParametersInfoW(SPI_GETTOGGLEKEYS, sizeof keys, &keys, 0)) return false;
      keys.dwFlags = flags;
      return SystemParametersInfoW(SPI_SETTOGGLEKEYS, sizeof keys, &keys, 0) != 0;
    }
    default:
      return false;
  }
}

std::filesystem::path UserSettingsFolder() {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (!local || !*local) return {};
  return std::filesystem::path(local) / L"Kavrel";
}

std::string ExecutableDirectory() {
  wchar_t path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  if (n == 0 || n >= std::size(path)) return {};
  std::wstring p(path, n);
  const size_t slash = p.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  return Utf8(p.data(), static_cast<int>(slash));
}

std::string SystemFontsDirectory() {
  PWSTR path = nullptr;
  std::string out;
  if (SHGetKnownFolderPath(FOLDERID_Fonts, 0, nullptr, &path) == S_OK)
    out = Utf8(path, static_cast<int>(wcslen(path)));
  CoTaskMemFree(path);
  if (out.empty()) {
    wchar_t windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n > 0 && n < MAX_PATH) out = Utf8(windows, static_cast<int>(n)) + "\\Fonts";
  }
  return out;
}

void SetStandardStreamsBinary() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool MoveReplacing(const std::string& from, const std::string& to) {
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
      return true;
    error = GetLastError();
    // Someone has the old file open without sharing its deletion, mostly for a moment (a virus
    // scanner, the indexer, a reader): about a second of retries. Windows tells that as access
    // denied; a read-only file, which it also means, was refused before the writing.
    const bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
                      error == ERROR_LOCK_VIOLATION;
    if (!busy || attempt >= 20) break;
    Sleep(50);
  }
  // The caller reports failures by errno, as on other systems.
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      errno = EACCES;
      break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      errno = ENOENT;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      errno = ENOSPC;
      break;
    default:
      errno = EIO;
  }
  return false;
}

bool CommitToDisk(std::FILE* file) {
  return _commit(_fileno(file)) == 0;
}

namespace {

// 0 when `file` is a plain file on a disk, else the errno to tell: a reparse point opened as
// itself, a device or a pipe counts as a link does elsewhere.
int NotPlainReason(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info)) return ELOOP;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return ELOOP;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return EISDIR;
  return 0;
}

int ErrnoOfOpen(DWORD error, const std::wstring& path) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED: {
      const DWORD attributes = GetFileAttributesW(path.c_str());
      return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                 ? EISDIR
                 : EACCES;
    }
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

}  // namespace

int OpenPlainFile(const std::string& path, int flags) {
  const std::wstring wide = Wide(path);
  const int mode = flags & (_O_RDONLY | _O_WRONLY | _O_RDWR);
  const DWORD access = mode == _O_WRONLY ? GENERIC_WRITE
                       : mode == _O_RDWR ? GENERIC_READ | GENERIC_WRITE
                                         : GENERIC_READ;
  const HANDLE file =
      CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, (flags & _O_CREAT) ? OPEN_ALWAYS : OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    errno = ErrnoOfOpen(GetLastError(), wide);
    return -1;
  }
  int error = NotPlainReason(file);
  // Emptied only once it is known to be a plain file.
  if (error == 0 && (flags & _O_TRUNC) && !SetEndOfFile(file)) error = EIO;
  const int fd = error == 0 ? _open_osfhandle(reinterpret_cast<intptr_t>(file),
                                              flags & (_O_APPEND | _O_RDONLY))
                            : -1;
  if (fd < 0) {
    CloseHandle(file);
    errno = error != 0 ? error : EMFILE;
  }
  return fd;
}

LockResult LockDirectory(const std::string& directory, long long& handle) {
  const std::wstring path = Wide(directory + "\\" + kLockFileName);
  for (int attempt = 0;; ++attempt) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      // A link or junction under the lock file's name locks nothing of this folder.
      if (NotPlainReason(file) != 0) {
        CloseHandle(file);
        return LockResult::Failed;
      }
      handle = reinterpret_cast<long long>(file);
      return LockResult::Locked;
    }
    const DWORD error = GetLastError();
    // A sharing violation: another program has the file open. Access denied: the file of an
    // earlier version is still being deleted after its holder closed it, or this user may not
    // write the file or the folder.
    const bool retry = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
    if (!retry) return LockResult::Failed;
    if (attempt >= 20) {
      // A lock file there that this user may not open for writing counts as held.
      const DWORD attributes = GetFileAttributesW(path.c_str());
      const bool there = attributes != INVALID_FILE_ATTRIBUTES &&
                         !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
      return error == ERROR_SHARING_VIOLATION || there ? LockResult::Held : LockResult::Failed;
    }
    Sleep(50);
  }
}

void UnlockDirectory(long long handle) {
  if (handle != -1) CloseHandle(reinterpret_cast<HANDLE>(handle));
}

bool UserInterfaceIsJapanese() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

int ReadSharing(const std::string& path, size_t limit, std::string& bytes) {
  bytes.clear();
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return EISDIR;
  const HANDLE file = CreateFileW(
      wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
  }
  int result = NotPlainReason(file);
  if (result != 0) {
    CloseHandle(file);
    return result;
  }
  char chunk[4096];
  while (bytes.size() < limit) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>((std::min)(sizeof chunk, limit - bytes.size()));
    if (!ReadFile(file, chunk, want, &n, nullptr)) {
      result = EIO;
      break;
    }
    if (n == 0) break;
    bytes.append(chunk, n);
  }
  CloseHandle(file);
  if (result != 0) bytes.clear();
  return result;
}

std::vector<std::string> Utf8Arguments() {
  std::vector<std::string> out;
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return out;
  for (int i = 0; i < count; ++i) out.push_back(Utf8(args[i], static_cast<int>(wcslen(args[i]))));
  LocalFree(args);
  return out;
}

void WriteText(std::FILE* stream, const std::string& utf8) {
  const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    const std::wstring wide = Wide(utf8);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  // Redirected: in the code page the console shows text in, so that `type` and `more` read the
  // file back (932 on a Japanese Windows); without a console, in the system's ANSI code page.
  UINT codePage = GetConsoleOutputCP();
  if (codePage == 0) codePage = GetACP();
  if (codePage == CP_UTF8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    return;
  }
  const std::wstring wide = Wide(utf8);
  const int size = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  std::fwrite(text.data(), 1, text.size(), stream);
}

void WatchSessionEnd(void* hwnd, void (*onQuery)(void*), void (*onEnd)(void*), void* context) {
  if (!hwnd || g_watch.previous) return;
  g_watch.onQuery = onQuery;
  g_watch.onEnd = onEnd;
  g_watch.context = context;
  g_watch.previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      static_cast<HWND>(hwnd), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SessionProc)));
}

}  // namespace plat::win
