// The line between the game and the supervisor that runs it in booth mode: an inherited pipe (a
// socket on Linux, a pipe handle on Windows) on which the game says that it is alive, that a box
// waits for the operator, which box answered itself, and why it ends. Nothing goes through the
// data disk. Without a supervisor every call here does nothing.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// Where the supervisor tells the game its end of the line (a descriptor or a handle, in decimal),
// and whether this start is a restart ("restart") or the first of the day ("first").
inline constexpr const char* kBoothChannelVariable = "KAVREL_BOOTH_CHANNEL";
inline constexpr const char* kBoothStartVariable = "KAVREL_BOOTH_START";

// What the game says, one line each.
enum class BoothSign { Alive, BoxUp, BoxDown, Answered, WalkedAway, FocusAway, End, Unknown };
struct BoothMessage {
  BoothSign sign = BoothSign::Unknown;
  // Answered: the box's text (UTF-8, one line); WalkedAway: the screen that went on by itself;
  // FocusAway: the window that kept the focus from the game; End: why, in words ("Q", "ESC held")
  std::string text;
  int exitCode = 0;  // End
};
// The line for `message`, its line end included; a line break in a text becomes " / ".
std::string FormatBoothMessage(const BoothMessage& message);
// One line without its line end.
BoothMessage ParseBoothMessage(std::string_view line);

// How often the game says it is alive while frames run, at most.
inline constexpr unsigned kAliveEveryMs = 250;

// The game's end of the line, taken from the environment once (and taken out of it, so that no
// program the game starts inherits it).
class BoothChannel {
 public:
  static BoothChannel& Get();

  bool Supervised() const { return handle_ >= 0; }
  // A supervised start after an automatic restart: every box answers itself.
  bool Restarted() const { return restarted_; }

  // Called with every frame; says "alive" at most every kAliveEveryMs of `nowMs`.
  void Beat(unsigned nowMs);
  void Say(const BoothMessage& message);
  void SayEnd(int exitCode, std::string_view why = {}) {
    Say({BoothSign::End, std::string(why), exitCode});
  }

 private:
  BoothChannel();
  long long handle_ = -1;
  bool restarted_ = false;
  bool beaten_ = false;
  unsigned lastBeatMs_ = 0;
};

}  // namespace plat
