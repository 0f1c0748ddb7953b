#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "packaging/GameProcess.h"

extern char** environ;

namespace booth {
namespace {

volatile sig_atomic_t endSignal = 0;

void OnEndSignal(int sig) {
  if (!endSignal) endSignal = sig;
}

// The session's end, as the game itself takes it: not a reason to start it again.
bool SessionEndSignal(int sig) {
  return sig == SIGTERM || sig == SIGHUP || sig == SIGINT;
}

std::string SignalCause(int sig) {
  const char* name = sigabbrev_np(sig);
  return "signal " + std::to_string(sig) + (name ? std::string(" SIG") + name : std::string());
}

class PosixGame : public ChildGame {
 public:
  PosixGame(std::string program, std::vector<std::string> args)
      : ChildGame(std::move(program), std::move(args)) {}
  ~PosixGame() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    CloseLine();
  }

  bool Start(bool restarted, std::string& error) override {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
      error = std::strerror(errno);
      return false;
    }
    // Everything the child needs is made before the fork: after it, only exec.
    std::vector<std::string> variables;
    for (char** e = environ; *e; ++e) {
      const std::string_view v = *e;
      if (v.starts_with(std::string(plat::kBoothChannelVariable) + "=") ||
          v.starts_with(std::string(plat::kBoothStartVariable) + "="))
        continue;
      variables.emplace_back(v);
    }
    variables.push_back(std::string(plat::kBoothChannelVariable) + "=" + std::to_string(ends[1]));
    variables.push_back(std::string(plat::kBoothStartVariable) + "=" +
                        (restarted ? "restart" : "first"));
    std::vector<char*> env, argv;
    for (std::string& v : variables) env.push_back(v.data());
    env.push_back(nullptr);
    for (std::string& a : args_) argv.push_back(a.data());
    argv.push_back(nullptr);
    sigset_t none;
    sigemptyset(&none);

    const pid_t pid = fork();
    if (pid < 0) {
      error = std::strerror(errno);
      close(ends[0]);
      close(ends[1]);
      return false;
    }
    if (pid == 0) {
      fcntl(ends[1], F_SETFD, 0);
      signal(SIGINT, SIG_DFL);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      execve(program_.c_str(), argv.data(), env.data());
      _exit(127);
    }
    close(ends[1]);
    line_ = ends[0];
    fcntl(line_, F_SETFL, O_NONBLOCK);
    pid_ = pid;
    lines_.Clear();
    return true;
  }

  bool Wait(unsigned ms, std::vector<plat::BoothMessage>& said, ProcessEnd& end) override {
    if (line_ >= 0) {
      pollfd p{line_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(ms)) > 0) Read(said);
    } else {
      Sleep(ms);
    }
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r != pid_) return false;
    pid_ = -1;
    Read(said);  // what it said last
    CloseLine();
    if (WIFEXITED(status)) {
      end.orderly = true;
      end.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
      const int sig = WTERMSIG(status);
      end.orderly = SessionEndSignal(sig);
      end.exitCode = 128 + sig;
      end.cause = SignalCause(sig);
    }
    return true;
  }

  void Kill() override {
    if (pid_ > 0) kill(pid_, SIGKILL);
  }
  void PassOnEnd(int how) override {
    if (pid_ > 0) kill(pid_, how);
  }
  int SupervisorEnding() override { return endSignal; }
  uint64_t NowMs() override {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000 + static_cast<uint64_t>(t.tv_nsec) / 1000000;
  }
  void Sleep(unsigned ms) override {
    timespec t{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    nanosleep(&t, nullptr);  // a signal for the supervisor's end cuts it short
  }

 private:
  // Takes what has come, whole lines into `said`; at the end of the line, closes it.
  void Read(std::vector<plat::BoothMessage>& said) {
    if (line_ < 0) return;
    char buffer[4096];
    for (;;) {
      const ssize_t n = read(line_, buffer, sizeof buffer);
      if (n > 0) {
        lines_.Take(std::string_view(buffer, static_cast<size_t>(n)), said);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n == 0) CloseLine();
      break;
    }
  }
  void CloseLine() {
    if (line_ >= 0) close(line_);
    line_ = -1;
  }

  pid_t pid_ = -1;
  int line_ = -1;
};

}  // namespace

std::unique_ptr<GameProcess> NewGameProcess(const std::string& program,
                                            const std::vector<std::string>& args) {
  return std::make_unique<PosixGame>(program, args);
}

void CatchSupervisorEnd() {
  struct sigaction action {};
  action.sa_handler = &OnEndSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGHUP, SIGINT}) sigaction(sig, &action, nullptr);
}

}  // namespace booth
