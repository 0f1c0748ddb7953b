// A stand-in for the game under the booth's supervisor: says what the game says on the booth's
// line, then ends the way its one argument names.
//   exit N        alive for a moment, says it ends with N, exits N
//   silent N      alive for a moment, exits N without a word on its first run (counted in the
//                 file "runs"), as a game ended from outside on Windows does; then ends with 0
//   mute N        exits N at once, before any word
//   abort         alive for a moment, aborts
//   fault-once    writes through a null pointer on its first run (counted in the file "runs" of
//                 the working directory), then ends with 0
//   hang          stops giving signs on a first start; ends with 0 when restarted
//   box           a box waits past the hang limit, answers itself, then ends with 0
//   until-term    alive until SIGTERM, then ends with 0 (not on Windows)
//   crash-locked  aborts on its first run, finds the folder locked on the next two, then ends
//                 with 0 (counted in the file "runs" of the working directory)
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/BoothChannel.h"
#ifdef _WIN32
#include "platform/win/CrashDialogs.h"
#endif

namespace {

volatile std::sig_atomic_t termed = 0;

void Nap(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void Alive(int ms) {
  plat::BoothChannel& line = plat::BoothChannel::Get();
  for (int t = 0; t <= ms; t += 50) {
    line.Beat(static_cast<unsigned>(t) * 10);  // every call is a beat
    Nap(50);
  }
}

int End(int code) {
  plat::BoothChannel::Get().SayEnd(code);
  return code;
}

int RunsSoFar() {
  int runs = 0;
  if (std::FILE* f = std::fopen("runs", "r")) {
    if (std::fscanf(f, "%d", &runs) != 1) runs = 0;
    std::fclose(f);
  }
  if (std::FILE* f = std::fopen("runs", "w")) {
    std::fprintf(f, "%d\n", runs + 1);
    std::fclose(f);
  }
  return runs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  const int number = argc > 2 ? std::atoi(argv[2]) : 0;
  plat::BoothChannel& line = plat::BoothChannel::Get();
  if (!line.Supervised()) return 3;
#ifdef _WIN32
  plat::win::TurnOffCrashDialogs();  // as the game does under the supervisor
#endif
  if (mode == "mute") return number;
  Alive(200);
  if (mode == "exit") return End(number);
  if (mode == "silent") return RunsSoFar() == 0 ? number : End(0);
  if (mode == "abort") std::abort();
  if (mode == "hang") {
    if (line.Restarted()) return End(0);
    for (;;) Nap(1000);
  }
  if (mode == "box") {
    line.Say({plat::BoothSign::BoxUp, {}, 0});
    Nap(4000);
    line.Say({plat::BoothSign::Answered, "記録ファイルを書けません\n（容量不足）", 0});
    line.Say({plat::BoothSign::BoxDown, {}, 0});
    return End(0);
  }
  if (mode == "until-term") {
    std::signal(SIGTERM, [](int) { termed = 1; });
    while (!termed) Alive(100);
    return End(0);
  }
  if (mode == "fault-once") {
    if (RunsSoFar() == 0) {
#ifndef _WIN32
      // The fault as the system delivers it, past the handlers a sanitized build installs.
      std::signal(SIGSEGV, SIG_DFL);
      std::raise(SIGSEGV);
#else
      *static_cast<int volatile*>(nullptr) = 1;
#endif
    }
    return End(0);
  }
  if (mode == "crash-locked") {
    const int runs = RunsSoFar();
    if (runs == 0) std::abort();
    return End(runs <= 2 ? 5 : 0);
  }
  return 2;
}
