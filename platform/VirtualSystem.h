// The scripted machine behind tests and the headless replay: a virtual clock that moves only in
// frame waits and stalls, a keyboard played from a script, and message boxes answered at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Controls.h"
#include "platform/System.h"

namespace plat {

struct ScriptKeyEvent {
  uint64_t time = 0;  // ms of virtual time since start
  int vk = 0;
  bool down = false;
};

// A control of the `Replay Pad` pressed (down) or let go.
struct ScriptPadEvent {
  uint64_t time = 0;
  Control control;
  bool down = false;
};

// The scripted machine's one controller, always plugged in.
inline constexpr const char* kReplayPadName = "Replay Pad";
inline constexpr int kReplayPadButtons = 32;
inline constexpr int kReplayPadAxes = 2;

struct ScriptStall {
  uint64_t time = 0;
  uint64_t duration = 0;
};

struct VirtualScript {
  int64_t seconds = 0;               // the clock's seconds, at every read
  uint32_t startTick = 0;            // GetTickCount at T = 0
  std::vector<ScriptKeyEvent> keys;  // any order; among equal times, this order counts
  std::vector<ScriptPadEvent> pads;  // the same
  std::vector<ScriptStall> stalls;   // in script order
  std::optional<uint64_t> end;       // stop before a frame that begins at or after this time
  bool endIsCrash = false;           // the stop is a crash: the process dies there
  std::optional<uint64_t> term;      // a session end (a signal to the game) arrives then
  std::vector<uint64_t> closes;      // the window manager asks to close the window then
};

class VirtualSystem : public System {
 public:
  explicit VirtualSystem(VirtualScript script);

  uint32_t GetTickCount() override;
  int64_t CurrentTimeSeconds() override { return script_.seconds; }
  // The script's seconds plus the whole seconds of virtual time since start: the clock on the
  // wall moves with the game, while the random seed's reading stays the script's.
  int64_t WallClockSeconds() override {
    return script_.seconds + static_cast<int64_t>(now_ / 1000);
  }
  void Idle(uint32_t ms) override;
  int16_t GetAsyncKeyState(int vk) override;
  // The Replay Pad (vendor and product 0000) follows the map's lines for it.
  void UseControls(const ControlMap& map) override { padBindings_ = map.For(0, 0); }
  std::optional<uint32_t> KeyDownTick(int vk) override;
  std::optional<uint32_t> LastInputTick() override;
  std::vector<std::string> ControllerNames() override { return {kReplayPadName}; }
  void MessageBox(std::string_view text, std::string_view caption) override;
  // The replay's --drive folders; none without them.
  std::vector<Drive> RemovableDrives() override { return drives_; }
  void SetRemovableDrives(std::vector<Drive> drives) { drives_ = std::move(drives); }
  void Present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) override;

  // Sound: an output that is always there. Mixed only when recorded (the replay's --wav), against
  // the virtual clock: sample k is the output at k / 48 ms.
  void SetSounds(SoundBank bank) override;
  bool StartSound() override;
  void StopSound() override;
  void PlaySound(const SoundCue& cue) override;
  void RecordSound() { recording_ = true; }
  // What was recorded from T = 0 to now (zeros while the output was closed).
  const std::vector<int16_t>& Recording();
  std::vector<int16_t> TakeRecording() {
    Recording();
    return std::move(recorded_);
  }

  // Virtual milliseconds since start.
  uint64_t Now() const { return now_; }
  void Advance(uint64_t ms) { now_ += ms; }
  // Total extra time of the stalls due at a frame that begins now; each stall acts once.
  uint64_t TakeDueStalls();
  // True when the script's end time has come for a frame about to begin now.
  bool EndReached() const { return script_.end && now_ >= *script_.end; }
  const VirtualScript& Script() const { return script_; }

  std::function<void(std::string_view text, std::string_view caption)> onMessageBox;
  std::function<void(const uint8_t* pixels, int pitch, const PaletteEntry* palette)> onPresent;
  // When set, CreateWindow fails (for tests of that road).
  bool failWindowCreation = false;

 protected:
  bool OpenWindow(const char*, const char*) override { return !failWindowCreation; }
  void CloseWindow() override {}
  void ShowWindowNow() override {}
  void PumpEvents() override;

 private:
  // One input's events (a key, or a control of the pad) in time order (script order among equal
  // times) and how far the clock has read them; the clock never goes back, so a poll only moves
  // forward through them.
  struct Event {
    uint64_t time = 0;
    bool down = false;
  };
  struct InputTrack {
    std::vector<Event> events;
    size_t next = 0;                       // first event after the clock
    bool down = false;                     // the latest event at or before the clock
    std::optional<uint64_t> lastDownTime;  // the latest down at or before the clock
    void CatchUp(uint64_t now);
  };
  static constexpr int kKeyCodes = 256;
  // The pad's tracks: its buttons, the hat's four directions, then each axis's two ways.
  static constexpr int kPadInputs = kReplayPadButtons + 4 + 2 * kReplayPadAxes;
  static int PadInputIndex(const Control& control);

  VirtualScript script_;
  uint64_t now_ = 0;
  std::vector<bool> stallUsed_;
  std::vector<InputTrack> tracks_;  // by virtual-key code
  std::vector<Drive> drives_;
  std::vector<InputTrack> padTracks_;
  std::vector<std::optional<uint64_t>> lastPoll_;  // by virtual-key code
  ControlBindings padBindings_ = DefaultControlBindings();
  std::vector<uint64_t> escDowns_;    // times of ESC key-downs, in order
  std::vector<uint64_t> inputTimes_;  // times of every key's and control's changes, in order
  size_t escPosted_ = 0;
  size_t closesTaken_ = 0;
  bool termPosted_ = false;

  void MixUntilNow();
  SoundBank sounds_;
  std::unique_ptr<Mixer> mixer_;
  bool recording_ = false;
  bool soundOn_ = false;
  int volume_ = kDefaultVolume;
  std::vector<int16_t> recorded_;
};

}  // namespace plat
