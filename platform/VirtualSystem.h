// The scripted machine behind tests and the headless replay: a virtual clock that moves only in
// frame waits and stalls, a keyboard played from a script, and message boxes answered at once.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/System.h"

namespace plat {

struct ScriptKeyEvent {
  uint64_t time = 0;  // ms of virtual time since start
  int vk = 0;
  bool down = false;
};

struct ScriptStall {
  uint64_t time = 0;
  uint64_t duration = 0;
};

struct VirtualScript {
  int64_t seconds = 0;       // the clock's seconds, at every read
  uint32_t startTick = 0;    // GetTickCount at T = 0
  std::vector<ScriptKeyEvent> keys;   // in script order
  std::vector<ScriptStall> stalls;    // in script order
  std::optional<uint64_t> end;        // stop before a frame that begins at or after this time
};

class VirtualSystem : public System {
 public:
  explicit VirtualSystem(VirtualScript script);

  uint32_t GetTickCount() override;
  int64_t CurrentTimeSeconds() override { return script_.seconds; }
  void Idle(uint32_t ms) override;
  int16_t GetAsyncKeyState(int vk) override;
  void MessageBox(std::string_view text, std::string_view caption) override;
  void Present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) override;

  // Virtual milliseconds since start.
  uint64_t Now() const { return now_; }
  void Advance(uint64_t ms) { now_ += ms; }
  // Total extra time of the stalls due at a frame that begins now; each stall acts once.
  uint64_t TakeDueStalls();
  // True when the script's end time has come for a frame about to begin now.
  bool EndReached() const { return script_.end && now_ >= *script_.end; }

  std::function<void(std::string_view text, std::string_view caption)> onMessageBox;
  std::function<void(const uint8_t* pixels, int pitch, const PaletteEntry* palette)> onPresent;
  // When set, CreateMainWindow fails (for tests of that road).
  bool failWindowCreation = false;

 protected:
  bool OpenWindow() override { return !failWindowCreation; }
  void CloseWindow() override {}
  void ShowWindowNow() override {}
  void PumpEvents() override;

 private:
  VirtualScript script_;
  uint64_t now_ = 0;
  std::vector<bool> stallUsed_;
  std::vector<bool> escPosted_;
  std::vector<std::optional<uint64_t>> lastPoll_;  // by virtual-key code
};

}  // namespace plat
