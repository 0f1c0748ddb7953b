// The game's sounds: each named (the name is also that of its replacement file,
// kv_se_<name>.wav), made by the game's own code at start-up, and played by the screens through
// the few calls below. Playing changes nothing the screens draw, time or draw at random.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/Mixer.h"

struct Game;

enum class Sfx : uint8_t {
  Wind,      // a winding press; higher as the car is pulled further back
  Launch,    // the car let go
  Motor,     // the car running (held, looping), fading with its speed
  CarStop,   // the car stopping
  Release,   // the ball let go
  Bounce,    // a bounce, as loud as its impact
  BallStop,  // the ball stopping
  Reveal,    // a result line of the results screen appearing
  Grade,     // the grade; brighter for a better grade
  Step,      // the name wheel stepping (or a place taken back)
  Choose,    // a character of the name chosen, or the name accepted
  Fanfare,   // entering the top five
  Champion,  // entering at first place: the longer fanfare
  Farewell,  // the farewell screen
  Call,      // booth mode's call on the attract screen, when turned on
};
inline constexpr int kSfxCount = 15;
inline constexpr std::array<std::string_view, kSfxCount> kSfxNames = {
    "wind",  "launch", "motor",  "carstop", "release",  "bounce",   "ballstop", "reveal",
    "grade", "step",   "choose", "fanfare", "champion", "farewell", "call",
};

// Every sound, made by the game's own code: the same samples on every machine.
plat::SoundBank SynthesiseSounds();

// A rate that sounds `cents` hundredths of a semitone above the clip's pitch (below if negative).
uint32_t RateOfCents(int cents);

// What the screens call. Silent where the game has no sound board (a hand-built test game).
void PlaySfx(Game& game, Sfx sfx, int gain = plat::kUnityGain, uint32_t rate = plat::kPlainRate);
// A held sound: started, or its gain and rate changed; gain 0 fades it out.
void HoldSfx(Game& game, Sfx sfx, int gain, uint32_t rate = plat::kPlainRate);

// Booth mode's call: played every kCallEveryMs on the attract screen, when turned on.
inline constexpr uint32_t kCallEveryMs = 180000;
class SoundBoard {
 public:
  void SetCall(bool on) { call_ = on; }
  // From each attract frame: the call, when it is due.
  void AttractFrame(Game& game);
  // The attract screen begins: the next call is kCallEveryMs away.
  void AttractBegins(uint32_t tick) { callFrom_ = tick; }

 private:
  bool call_ = false;
  uint32_t callFrom_ = 0;
};
void AttractCall(Game& game);
void AttractCallFrom(Game& game, uint32_t tick);
