#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "packaging/GameProcess.h"
#include "platform/win/WinHost.h"

namespace booth {
namespace {

using plat::win::Wide;

volatile LONG endAsked = 0;

BOOL WINAPI OnConsoleEnd(DWORD) {
  InterlockedExchange(&endAsked, 1);
  return TRUE;
}

// One argument as the C runtime splits a command line.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

// How a process ended when it said nothing: an exception's code (0xC...) or abort()'s 3 is a
// crash; any other code is the program's own.
ProcessEnd EndOfCode(DWORD code) {
  ProcessEnd end;
  end.exitCode = static_cast<int>(code);
  if (code >= 0xC0000000u) {
    char text[32];
    std::snprintf(text, sizeof text, "exception 0x%08lX", static_cast<unsigned long>(code));
    end.cause = text;
  } else if (code == 3) {
    end.cause = "abort";
  } else {
    end.orderly = true;
  }
  return end;
}

class WindowsGame : public ChildGame {
 public:
  WindowsGame(std::string program, std::vector<std::string> args)
      : ChildGame(std::move(program), std::move(args)) {}
  ~WindowsGame() override {
    if (process_) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, INFINITE);
      CloseHandle(process_);
    }
    CloseLine();
  }

  bool Start(bool restarted, std::string& error) override {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return Failed(error);
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    // The game finds its end of the line in its environment, inherited from ours.
    SetEnvironmentVariableA(plat::kBoothChannelVariable,
                            std::to_string(reinterpret_cast<intptr_t>(write)).c_str());
    SetEnvironmentVariableA(plat::kBoothStartVariable, restarted ? "restart" : "first");
    std::wstring line;
    for (const std::string& a : args_) line += (line.empty() ? L"" : L" ") + Quoted(Wide(a));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(Wide(program_).c_str(), line.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &info);
    const DWORD why = GetLastError();
    SetEnvironmentVariableA(plat::kBoothChannelVariable, nullptr);
    SetEnvironmentVariableA(plat::kBoothStartVariable, nullptr);
    CloseHandle(write);
    if (!started) {
      CloseHandle(read);
      SetLastError(why);
      return Failed(error);
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    line_ = read;
    lines_.Clear();
    return true;
  }

  bool Wait(unsigned ms, std::vector<plat::BoothMessage>& said, ProcessEnd& end) override {
    const ULONGLONG until = GetTickCount64() + ms;
    for (;;) {
      Read(said);
      if (!said.empty()) break;
      const ULONGLONG now = GetTickCount64();
      if (now >= until) break;
      if (WaitForSingleObject(process_, static_cast<DWORD>(std::min<ULONGLONG>(until - now, 20))) ==
          WAIT_OBJECT_0)
        break;
    }
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    process_ = nullptr;
    Read(said);
    CloseLine();
    end = EndOfCode(code);
    return true;
  }

  void Kill() override {
    if (process_) TerminateProcess(process_, 0xC0000000u);
  }
  // The game hears the end of the session by itself, through its window.
  void PassOnEnd(int) override {}
  int SupervisorEnding() override { return endAsked ? 1 : 0; }
  uint64_t NowMs() override { return GetTickCount64(); }
  void Sleep(unsigned ms) override { ::Sleep(ms); }

 private:
  bool Failed(std::string& error) {
    char text[64];
    std::snprintf(text, sizeof text, "Windows error %lu", GetLastError());
    error = text;
    return false;
  }
  void Read(std::vector<plat::BoothMessage>& said) {
    if (!line_) return;
    for (;;) {
      DWORD available = 0;
      if (!PeekNamedPipe(line_, nullptr, 0, nullptr, &available, nullptr)) {
        CloseLine();  // the game's end is closed: it is gone
        break;
      }
      if (available == 0) break;
      char buffer[4096];
      DWORD got = 0;
      if (!ReadFile(line_, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) ||
          got == 0)
        break;
      lines_.Take(std::string_view(buffer, got), said);
    }
  }
  void CloseLine() {
    if (line_) CloseHandle(line_);
    line_ = nullptr;
  }

  HANDLE process_ = nullptr;
  HANDLE line_ = nullptr;
};

}  // namespace

std::unique_ptr<GameProcess> NewGameProcess(const std::string& program,
                                            const std::vector<std::string>& args) {
  return std::make_unique<WindowsGame>(program, args);
}

void CatchSupervisorEnd() {
  SetConsoleCtrlHandler(&OnConsoleEnd, TRUE);
}

}  // namespace booth
