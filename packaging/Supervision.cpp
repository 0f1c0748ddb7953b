#include "packaging/Supervision.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace booth {

std::string HangCause(unsigned limitMs) {
  return "hang " + std::to_string(limitMs / 1000) + " s";
}

std::string SilentExitCause(int exitCode) {
  return "exit " + std::to_string(exitCode) + " unsaid";
}

void MessageLines::Take(std::string_view bytes, std::vector<plat::BoothMessage>& said) {
  pending_.append(bytes);
  size_t start = 0, end;
  while ((end = pending_.find('\n', start)) != std::string::npos) {
    said.push_back(plat::ParseBoothMessage(std::string_view(pending_).substr(start, end - start)));
    start = end + 1;
  }
  pending_.erase(0, start);
}

void LogFile::Record(BoothEvent event, const std::string& detail) {
  const BoothLine line{ToLocalTime(static_cast<int64_t>(std::time(nullptr))), event, detail};
  int error = 0;
  if (!AppendBoothLine(PosixFileOps(), directory_, line, error))
    std::fprintf(stderr, "kavrel: %s not written: %s\n", kBoothLogFileName, std::strerror(error));
}

bool Supervisor::Pause(unsigned ms) {
  const uint64_t until = process_.NowMs() + ms;
  while (!process_.SupervisorEnding()) {
    const uint64_t now = process_.NowMs();
    if (now >= until) return true;
    process_.Sleep(static_cast<unsigned>(std::min<uint64_t>(until - now, timings_.pollMs)));
  }
  return false;
}

ProcessEnd Supervisor::Watch() {
  uint64_t lastSign = process_.NowMs();
  bool boxUp = false;
  bool endSaid = false;
  int saidCode = 0;
  std::string saidWhy;
  bool killed = false;
  bool spoke = false;
  for (;;) {
    const int ending = process_.SupervisorEnding();
    if (ending && !passedOn_) {
      process_.PassOnEnd(ending);
      passedOn_ = true;
    }
    std::vector<plat::BoothMessage> said;
    ProcessEnd end;
    const bool gone = process_.Wait(timings_.pollMs, said, end);
    if (!said.empty()) {
      lastSign = process_.NowMs();
      spoke = true;
    }
    for (const plat::BoothMessage& m : said) {
      if (m.sign == plat::BoothSign::BoxUp) boxUp = true;
      if (m.sign == plat::BoothSign::BoxDown) boxUp = false;
      if (m.sign == plat::BoothSign::Answered) recorder_.Record(BoothEvent::Box, m.text);
      if (m.sign == plat::BoothSign::WalkedAway) recorder_.Record(BoothEvent::WalkedAway, m.text);
      if (m.sign == plat::BoothSign::FocusAway) recorder_.Record(BoothEvent::FocusAway, m.text);
      if (m.sign == plat::BoothSign::End) {
        endSaid = true;
        saidCode = m.exitCode;
        saidWhy = m.text;
      }
    }
    if (gone) {
      // The game's word counts over how it ended: it may be cut short while closing.
      if (endSaid) return {true, saidCode, saidWhy};
      if (passedOn_ && !end.orderly) return {true, 1, {}};
      if (killed) return {false, 0, HangCause(timings_.hangLimitMs)};
      // A game that speaks says why it ends: an exit without that word was not its choice (on
      // Windows a process ended from outside, as by Task Manager, exits with a plain code).
      if (spoke && end.orderly && end.cause.empty())
        return {false, 0, SilentExitCause(end.exitCode)};
      return end;
    }
    if (!killed && !boxUp && process_.NowMs() - lastSign >= timings_.hangLimitMs) {
      process_.Kill();
      killed = true;
    }
  }
}

Outcome Supervisor::Run() {
  Outcome outcome;
  std::deque<uint64_t> restarts;
  bool restarted = false;
  int lockRetries = 0;
  for (;;) {
    recorder_.Record(BoothEvent::Start, restarted ? "restart" : "first");
    std::string error;
    if (!process_.Start(restarted, error)) {
      outcome.exitCode = 1;
      outcome.startFailed = true;
      outcome.lastCause = error;
      recorder_.Record(BoothEvent::GiveUp, error);
      return outcome;
    }
    const ProcessEnd end = Watch();
    if (end.orderly) {
      if (end.exitCode == kFolderLocked && restarted && lockRetries < timings_.lockRetries &&
          !process_.SupervisorEnding()) {
        ++lockRetries;
        if (Pause(timings_.lockRetryDelayMs)) continue;
      }
      // The exit code, then the game's own words for the end when it said them ("0 Q").
      recorder_.Record(BoothEvent::End,
                       std::to_string(end.exitCode) + (end.cause.empty() ? "" : " " + end.cause));
      outcome.exitCode = end.exitCode;
      return outcome;
    }
    recorder_.Record(BoothEvent::AbnormalEnd, end.cause);
    outcome.lastCause = end.cause;
    outcome.exitCode = 1;
    if (process_.SupervisorEnding()) return outcome;
    const uint64_t now = process_.NowMs();
    while (!restarts.empty() && now - restarts.front() >= timings_.restartWindowMs)
      restarts.pop_front();
    if (static_cast<int>(restarts.size()) >= timings_.maxRestarts) {
      recorder_.Record(BoothEvent::GiveUp, end.cause);
      outcome.gaveUp = true;
      return outcome;
    }
    if (!Pause(timings_.restartDelayMs)) return outcome;
    restarts.push_back(process_.NowMs());
    recorder_.Record(BoothEvent::Restart, std::to_string(restarts.size()));
    restarted = true;
    lockRetries = 0;
  }
}

}  // namespace booth
