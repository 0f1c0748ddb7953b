// kavrel-booth.exe: booth mode on Windows. Runs kavrel.exe beside it with --booth in the folder it
// was started in, starts it again after a crash or a hang, and writes what happened to
// kv_booth.log there. `kavrel-booth --autostart on|off` puts a shortcut to it in the Startup
// folder, or takes it away.
#include <windows.h>

#include <string>
#include <vector>

#include "packaging/Autostart.h"
#include "packaging/GameProcess.h"
#include "packaging/OperatorText.h"
#include "packaging/Supervision.h"
#include "platform/Language.h"
#include "platform/win/CrashDialogs.h"
#include "platform/win/WinHost.h"
#include "store/BoothLog.h"

namespace {

using booth::OperatorText;
using plat::win::Wide;

// A double-clicked program has no console: the operator reads a box.
int Tell(int exitCode, const std::string& text) {
  plat::win::WriteText(stderr, "kavrel-booth: " + text + "\n");
  MessageBoxW(nullptr, Wide(text).c_str(), L"Kavrel", exitCode ? MB_ICONERROR : MB_ICONINFORMATION);
  return exitCode;
}

}  // namespace

int main() {
  plat::win::TurnOffCrashDialogs();
  std::vector<std::string> args = plat::win::Utf8Arguments();
  if (args.size() >= 2 && args[1] == "--autostart") {
    const std::string choice = args.size() >= 3 ? args[2] : "";
    if (choice != "on" && choice != "off")
      return Tell(
          2, plat::Say({"--autostart には on か off を指定します", "--autostart takes on or off"}));
    std::vector<std::string> rest(args.begin() + 3, args.end());
    std::string said;
    const bool done =
        choice == "on" ? booth::InstallAutostart(rest, said) : booth::RemoveAutostart(said);
    return Tell(done ? 0 : 1, said);
  }

  const std::string program = plat::win::ExecutableDirectory() + "\\kavrel.exe";
  std::vector<std::string> gameArgs{"kavrel.exe", "--booth"};
  gameArgs.insert(gameArgs.end(), args.begin() + (args.empty() ? 0 : 1), args.end());
  booth::CatchSupervisorEnd();
  const auto process = booth::NewGameProcess(program, gameArgs);
  booth::LogFile log(".");
  booth::Supervisor supervisor(*process, log);
  const booth::Outcome outcome = supervisor.Run();
  if (outcome.startFailed)
    return Tell(1, OperatorText({"{} を起動できません（{}）。kavrel-booth.exe と同じフォルダに"
                                 "kavrel.exe があるか確かめてください",
                                 "cannot start {} ({}); check that kavrel.exe is in the "
                                 "folder of kavrel-booth.exe"},
                                {program, outcome.lastCause}));
  if (outcome.gaveUp)
    return Tell(1, OperatorText(booth::kGaveUpText,
                                {outcome.lastCause, kBoothLogFileName, "kavrel-booth.exe"}));
  return outcome.exitCode;
}
