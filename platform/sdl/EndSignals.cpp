#include "platform/sdl/EndSignals.h"

#if defined(_WIN32)

// Windows tells a program of a shutdown through window messages, not signals.
namespace plat {
void CatchEndSignals() {}
int EndSignalCaught() {
  return 0;
}
MessageBoxUp::MessageBoxUp() = default;
MessageBoxUp::~MessageBoxUp() = default;
}  // namespace plat

#else

#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace plat {
namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

volatile sig_atomic_t caught = 0;
volatile sig_atomic_t boxUp = 0;
pid_t parentOfBoxHelper = 0;

// Ends the process by `sig` with its default action, as if it had never been caught.
void DieBy(int sig) {
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  sigaction(sig, &byDefault, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, sig);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(sig);
  _exit(128 + sig);  // not reached
}

void OnEndSignal(int sig) {
  if (!caught) caught = sig;
  if (boxUp) DieBy(sig);
}

// SDL may show a box through a helper program (zenity) in a child process; that child must not
// outlive the game, which it would if the game ended by a signal while waiting for it.
void InForkedChild() {
  if (!boxUp) return;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parentOfBoxHelper) _exit(1);  // the game is already gone
}

}  // namespace

void CatchEndSignals() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  pthread_atfork(nullptr, nullptr, &InForkedChild);
  struct sigaction action {};
  action.sa_handler = &OnEndSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : kEndSignals) sigaddset(&action.sa_mask, sig);
  // Interrupted reads and writes carry on: a save must not fail because a signal came.
  action.sa_flags = SA_RESTART;
  for (int sig : kEndSignals) sigaction(sig, &action, nullptr);
}

int EndSignalCaught() {
  return caught;
}

MessageBoxUp::MessageBoxUp() {
  parentOfBoxHelper = getpid();
  boxUp = 1;
  if (caught) DieBy(caught);  // came before the box: it would wait for nobody
}

MessageBoxUp::~MessageBoxUp() {
  boxUp = 0;
}

}  // namespace plat

#endif
