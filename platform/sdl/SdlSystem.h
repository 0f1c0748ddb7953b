// The real machine: a borderless full-screen SDL2 window (or, on request, an ordinary window)
// showing the game's 640 x 480 frame as large as it fits (or by whole steps, on request), the
// keyboard polled through SDL, and SDL's message boxes.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/ControllerInputs.h"
#include "platform/Controls.h"
#include "platform/ShortcutKeys.h"
#include "platform/System.h"
#include "platform/sdl/FrameChanges.h"
#include "platform/sdl/FrameConvert.h"
#include "platform/sdl/SharpScaler.h"

struct SDL_Window;
struct SDL_Surface;
struct _SDL_Joystick;

namespace plat {

// How the game is shown: full screen for the booth, or in a window for setting up and trying the
// game on a desktop. The window opens at 640 x 480 times the largest whole scale that fits the
// screen and may be resized; the picture follows the ScaleMode inside either.
enum class ScreenMode { FullScreen, Window };

// A failure before the game has a window (a bad command line): one line on standard error, and on
// Windows, where a double-clicked program has no console, a box as well. UTF-8.
void ReportStartFailure(std::string_view text);
// The help asked for on the command line: on Windows also in a box, as nobody sees its console.
void ReportHelp(std::string_view text);

class SdlSystem : public System {
 public:
  explicit SdlSystem(ScreenMode mode = ScreenMode::FullScreen, ScaleMode scale = ScaleMode::Fill)
      : mode_(mode), scale_(scale) {}
  ~SdlSystem() override;
  SdlSystem(const SdlSystem&) = delete;
  SdlSystem& operator=(const SdlSystem&) = delete;

  uint32_t GetTickCount() override;
  int64_t CurrentTimeSeconds() override;
  int64_t WallClockSeconds() override;
  void Idle(uint32_t ms) override;
  int16_t GetAsyncKeyState(int vk) override;
  void UseControls(const ControlMap& map) override;
  bool TakeControlPress(ControlPress& out) override;
  std::vector<std::string> ControllerNames() override;
  std::optional<uint32_t> KeyDownTick(int vk) override;
  std::optional<uint32_t> LastInputTick() override;
  bool FilterKeysOn() override;
  void MessageBox(std::string_view text, std::string_view caption) override;
  void MessageBoxAnsweringItself(std::string_view text, std::string_view caption,
                                 uint32_t ms) override;
  void Present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) override;
  void SetSounds(SoundBank bank) override;
  bool StartSound() override;
  void StopSound() override;
  void PlaySound(const SoundCue& cue) override;

 protected:
  bool OpenWindow(const char* className, const char* title) override;
  void CloseWindow() override;
  void ShowWindowNow() override;
  void PumpEvents() override;

 private:
  void DestroyWindow();
  // A box; it answers itself after `ms` (0: only where the booth's supervisor wants it to).
  void ShowBox(std::string_view text, std::string_view caption, uint32_t ms);
  // Full screen: the keyboard held by the window and, on Windows, the accessibility shortcuts off
  // (both let go while a box is up, and at the end).
  void KeyboardHeld(bool held);
  // The window's surface, painted black whenever it is new (first use, new size, exposed), so
  // that the borders around the frame need no work on the other frames.
  SDL_Surface* WindowSurface();
  // Booth mode, full screen: while another program's window has the focus, raises the window and
  // takes the focus back (asked again every kFocusAskMs, as a window manager may refuse), and
  // tells the booth's log which window kept it away past kFocusBackMs.
  void HoldFocus();
  // Takes every pending SDL event: notes key-downs for the polls, posts ESC and close requests;
  // posts WM_ENDSESSION once an end signal has come.
  void TakeEvents();
  // Controllers plugged in (at start too: SDL tells of each as added) and pulled out.
  void OpenController(int deviceIndex);
  void CloseController(int instanceId);
  struct Joystick {
    _SDL_Joystick* joystick = nullptr;
    uint16_t vendor = 0;
    uint16_t product = 0;
    ControlBindings gamepadDefault;  // a recognised gamepad's own; empty for others
  };
  // The bindings of the file for this controller, else a recognised gamepad's own, else the
  // default.
  ControlBindings BindingsOf(const Joystick& pad) const;

  // Windows' session end: asked (post WM_ENDSESSION), then ended (save at once); `self` is the
  // system.
  static void OnSessionQuery(void* self);
  static void OnSessionEnd(void* self);
  // Posts WM_ENDSESSION once, whichever way the end of the session was told.
  void PostSessionEnd();

  // The sound device (platform/sdl/SdlSound.cpp): opened on SDL's default output with the mixer
  // on its callback; closed when lost, and opened again when a device is added.
  bool OpenAudio();
  void CloseAudio();
  void AudioDeviceEvent(bool added, uint32_t which);

  SDL_Window* CreateFullScreenWindow(const char* title);
  SDL_Window* CreateScaledWindow(const char* title);

  ScreenMode mode_;
  ScaleMode scale_;
  SharpScaler scaler_;
  FrameChanges changes_;  // what each frame changes, to send only that to the screen
  FrameRect shownFit_;    // where the last frame went
  bool sdlStarted_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Surface* surface_ = nullptr;  // the window surface last drawn to
  int surfaceW_ = 0;
  int surfaceH_ = 0;
  uint32_t surfaceFormat_ = 0;
  bool surfaceFresh_ = true;        // borders to paint and the whole window to update
  bool fullScreenAsked_ = false;    // the request waits for the first frame
  SDL_Surface* staging_ = nullptr;  // 32-bit frame for windows of another depth
  bool shown_ = false;
  bool closePosted_ = false;
  bool boxOpen_ = false;                 // a box of the game's own is up
  std::optional<uint32_t> focusLostAt_;  // booth mode: when another window took the focus
  uint32_t focusAskedAt_ = 0;            // the last time the focus was asked back
  bool focusAwayTold_ = false;           // this time away has been told to the log
  bool endPosted_ = false;               // the end of the session has been posted as WM_ENDSESSION
  std::array<bool, kGameKeyCount> pressedSincePoll_{};  // by index in kGameKeys
  ControlMap controls_;
  ControlBindings keyboardBindings_;  // keyboard keys the file binds to game keys
  ControllerInputs controllers_;
  std::map<int, Joystick> joysticks_;               // by SDL's instance id
  std::array<uint32_t, kGameKeyCount> downTick_{};  // the latest key-down's tick, by index
  std::optional<uint32_t> lastInputTick_;           // any key's or controller's latest change
  std::array<PaletteEntry, 256> palette_{};
  ColourTable colours_{};  // in the pixel format of tableFormat_
  uint32_t tableFormat_ = 0;
  bool coloursValid_ = false;
  int boxesShown_ = 0;
  std::unique_ptr<AccessSettings> accessSettings_;  // Windows only
  std::unique_ptr<ShortcutKeys> shortcutKeys_;
  SoundBank sounds_;
  std::unique_ptr<Mixer> mixer_;
  uint32_t audioDevice_ = 0;  // SDL_AudioDeviceID; 0 while none is open
  bool audioStarted_ = false;
  bool soundWanted_ = false;
  int volume_ = kDefaultVolume;
};

}  // namespace plat
