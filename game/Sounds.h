// The game's sounds: each named (the name is also that of its replacement file,
// kv_se_<name>.wav), made by the game's own code at start-up, and played by the screens through
// the few calls below. Playing changes nothing the screens draw, time or draw at random.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/Mixer.h"

struct Game;
namespace plat {
class System;
}

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

// What the operator sets (kept in kv_settings.txt, store/SettingsFile.h).
struct SoundSettings {
  int volume = plat::kDefaultVolume;  // 0 to plat::kMaxVolume
  bool sound = true;
  bool call = false;  // booth mode: a short call every kCallEveryMs on the attract screen
};
inline constexpr uint32_t kCallEveryMs = 180000;

// The sound as the operator sets it, applied to the output at once: the settings file's values
// with the command line's `--sound on|off` for this run on top. The operator's screen reads and
// changes them here (Game::sound) and keeps them with Save.
class SoundBoard {
 public:
  // Applies `settings` to `system`'s output, which opens unless the sound is off.
  void Begin(plat::System& system, const SoundSettings& settings,
             std::optional<bool> soundOverride);

  // As the operator set them: what Save keeps (an override of the command line is not kept,
  // unless the sound is switched here).
  const SoundSettings& Settings() const { return settings_; }
  bool SoundOn() const { return on_; }  // heard in this run
  // Heard at once: the volume (clamped to 0 to 10); the output opened or closed; the call.
  void SetVolume(int volume);
  void SetSoundOn(bool on);
  void SetCall(bool on) { settings_.call = on; }
  // Writes the settings file (the program gives the board its writer); false with the errno in
  // `error` when it could not.
  bool Save(int& error) const;
  std::function<bool(const SoundSettings&, int& error)> save;

  // From each attract frame: booth mode's call, when it is due.
  void AttractFrame(Game& game);
  // The attract screen begins: the next call is kCallEveryMs away.
  void AttractBegins(uint32_t tick) { callFrom_ = tick; }

 private:
  plat::System* system_ = nullptr;
  SoundSettings settings_;
  bool on_ = false;
  uint32_t callFrom_ = 0;
};
void AttractCall(Game& game);
void AttractCallFrom(Game& game, uint32_t tick);
