#include "platform/BoothChannel.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace plat {
namespace {

struct Word {
  BoothSign sign;
  std::string_view word;
};
constexpr Word kWords[] = {
    {BoothSign::Alive, "alive"},
    {BoothSign::BoxUp, "box"},
    {BoothSign::BoxDown, "box-done"},
    {BoothSign::Answered, "answered"},
    {BoothSign::WalkedAway, "walked-away"},
    {BoothSign::FocusAway, "focus-away"},
    {BoothSign::End, "end"},
};

// The signs that carry a text after their word.
bool HasText(BoothSign sign) {
  return sign == BoothSign::Answered || sign == BoothSign::WalkedAway ||
         sign == BoothSign::FocusAway;
}

std::string_view WordOf(BoothSign sign) {
  for (const Word& w : kWords)
    if (w.sign == sign) return w.word;
  return "?";
}

std::string OneLine(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' || text[i] == '\r') {
      out += " / ";
    } else {
      out += text[i];
    }
  }
  return out;
}

#if defined(_WIN32)
void Send(long long handle, const std::string& bytes) {
  DWORD written = 0;
  WriteFile(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)), bytes.data(),
            static_cast<DWORD>(bytes.size()), &written, nullptr);
}
void UnsetVariable(const char* name) {
  SetEnvironmentVariableA(name, nullptr);
  _putenv_s(name, "");
}
#else
// Never blocks and never raises SIGPIPE: a supervisor that is gone or slow must not stop the game.
void Send(long long handle, const std::string& bytes) {
  while (send(static_cast<int>(handle), bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL) <
             0 &&
         errno == EINTR) {
  }
}
void UnsetVariable(const char* name) {
  unsetenv(name);
}
#endif

}  // namespace

std::string FormatBoothMessage(const BoothMessage& message) {
  std::string line(WordOf(message.sign));
  if (HasText(message.sign)) line += ' ' + OneLine(message.text);
  if (message.sign == BoothSign::End) {
    line += ' ' + std::to_string(message.exitCode);
    if (!message.text.empty()) line += ' ' + OneLine(message.text);
  }
  return line + '\n';
}

BoothMessage ParseBoothMessage(std::string_view line) {
  BoothMessage message;
  const size_t space = line.find(' ');
  const std::string_view word = line.substr(0, space);
  const std::string_view rest = space == std::string_view::npos ? "" : line.substr(space + 1);
  for (const Word& w : kWords)
    if (w.word == word) message.sign = w.sign;
  if (HasText(message.sign)) message.text = rest;
  if (message.sign == BoothSign::End) {
    const size_t gap = rest.find(' ');
    if (gap != std::string_view::npos) message.text = rest.substr(gap + 1);
    const std::string number(rest.substr(0, gap));
    char* end = nullptr;
    const long code = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0') return {};
    message.exitCode = static_cast<int>(code);
  }
  return message;
}

BoothChannel& BoothChannel::Get() {
  static BoothChannel channel;
  return channel;
}

BoothChannel::BoothChannel() {
  const char* handle = std::getenv(kBoothChannelVariable);
  const char* start = std::getenv(kBoothStartVariable);
  if (handle && handle[0]) {
    char* end = nullptr;
    const long long value = std::strtoll(handle, &end, 10);
    if (*end == '\0' && value >= 0) handle_ = value;
  }
  restarted_ = Supervised() && start && std::strcmp(start, "restart") == 0;
  UnsetVariable(kBoothChannelVariable);
  UnsetVariable(kBoothStartVariable);
#if !defined(_WIN32)
  // Programs the game starts (a box's helper) do not keep the supervisor's line open.
  if (Supervised()) fcntl(static_cast<int>(handle_), F_SETFD, FD_CLOEXEC);
#endif
}

void BoothChannel::Beat(unsigned nowMs) {
  if (!Supervised()) return;
  if (beaten_ && nowMs - lastBeatMs_ < kAliveEveryMs) return;
  beaten_ = true;
  lastBeatMs_ = nowMs;
  Say({BoothSign::Alive, {}, 0});
}

void BoothChannel::Say(const BoothMessage& message) {
  if (Supervised()) Send(handle_, FormatBoothMessage(message));
}

}  // namespace plat
