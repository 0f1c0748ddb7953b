#include "platform/win/CrashDialogs.h"

#include <windows.h>

#include <cstdlib>

namespace plat::win {
namespace {

template <typename Call>
Call Find(const char* module, const char* name) {
  const HMODULE handle = GetModuleHandleA(module);
  return handle ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(handle, name)))
                : nullptr;
}

LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;

// A fault that nothing handles ends the process at once, with the fault's code as its exit code.
// Wine starts its debugger (and its crash dialog) whatever the error mode says; this filter comes
// before that.
LONG WINAPI EndAtOnce(EXCEPTION_POINTERS* fault) {
  if (previousFilter) {
    const LONG action = previousFilter(fault);
    if (action != EXCEPTION_CONTINUE_SEARCH) return action;
  }
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void TurnOffCrashDialogs() {
  // Inherited by the processes started from here: the supervisor passes it on to the game.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  using WerSetFlagsCall = HRESULT(WINAPI*)(DWORD);
  if (const auto werSetFlags = Find<WerSetFlagsCall>("kernel32.dll", "WerSetFlags"))
    werSetFlags(0x00000020 /* WER_FAULT_REPORTING_NO_UI */);
  // The C runtime's own filter (signal()'s handlers) is asked first.
  if (!previousFilter) previousFilter = SetUnhandledExceptionFilter(&EndAtOnce);
  // The C runtime's messages (abort's among them) to standard error instead of a box; the
  // runtimes that have it are also told not to report an abort as a fault.
  _set_error_mode(_OUT_TO_STDERR);
  using AbortBehaviourCall = unsigned(__cdecl*)(unsigned, unsigned);
  if (const auto abortBehaviour = Find<AbortBehaviourCall>("msvcrt.dll", "_set_abort_behavior"))
    abortBehaviour(0, _WRITE_ABORT_MSG | _CALL_REPORTFAULT);
}

}  // namespace plat::win
