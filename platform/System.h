// The narrow interface between the game and the machine it runs on: a millisecond tick, key-state
// polls, the seconds clock, message boxes, one window with its message queue, and presenting an
// 8-bit frame. The game is written once against this; a backend answers. The names follow the
// Win32 calls they stand for, so no file that includes this may include <windows.h>, whose macros
// of the same names would rename them.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Mixer.h"
#include "platform/RemovableDrives.h"

namespace plat {

// The frame the game presents: 640 x 480 palette indices.
inline constexpr int kFrameWidth = 640;
inline constexpr int kFrameHeight = 480;

// Booth mode: ESC, and Q on the attract screen, act only once held down this long without a break,
// so that a visitor's quick press ends nothing.
inline constexpr uint32_t kBoothHoldMs = 2000;

// Virtual-key codes of the keys the game reads.
enum Vk : int {
  VK_RETURN = 13,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_LEFT = 37,
  VK_RIGHT = 39,
  VK_UP = 38,
  VK_DOWN = 40,
  VK_Q = 81,
  VK_NUMPAD1 = 97,
  VK_NUMPAD2 = 98,
  VK_F2 = 113,  // the operator's screen, from the attract screen
  // The main keyboard's digits, which count as NUMPAD1 and NUMPAD2.
  VK_1 = 49,
  VK_2 = 50,
};

// Window messages the game's window procedure sees.
enum : uint32_t {
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_ENDSESSION = 0x0016,  // wParam 1: the session ends (shutdown, log-out, closed terminal)
  WM_SETCURSOR = 0x0020,
  WM_KEYDOWN = 0x0100,
};

// The keys the game reads, with the names scripts give them.
struct KeyName {
  int vk;
  const char* name;
};
inline constexpr KeyName kGameKeys[] = {
    {VK_SPACE, "SPACE"},   {VK_Q, "Q"},       {VK_NUMPAD1, "NUMPAD1"}, {VK_NUMPAD2, "NUMPAD2"},
    {VK_RETURN, "RETURN"}, {VK_LEFT, "LEFT"}, {VK_RIGHT, "RIGHT"},     {VK_DOWN, "DOWN"},
    {VK_ESCAPE, "ESC"},    {VK_UP, "UP"},     {VK_F2, "F2"},
};
inline constexpr int kGameKeyCount = static_cast<int>(std::size(kGameKeys));

// One palette colour, laid out like a PALETTEENTRY.
struct PaletteEntry {
  uint8_t peRed = 0;
  uint8_t peGreen = 0;
  uint8_t peBlue = 0;
  uint8_t peFlags = 0;
};

class System;
class ControlMap;
struct ControlPress;

// A window message, as the window procedure sees it.
struct Message {
  uint32_t message = 0;
  uint32_t wParam = 0;
};
using WindowProc = long (*)(System&, const Message&);

class System {
 public:
  virtual ~System() = default;

  // Milliseconds since some fixed moment, wrapping at 2^32.
  virtual uint32_t GetTickCount() = 0;
  // Seconds of the calendar clock, for seeding the random generator.
  virtual int64_t CurrentTimeSeconds() = 0;
  // Seconds since 1970-01-01 UTC now, for the date and time of a line of the play log.
  virtual int64_t WallClockSeconds() = 0;
  // Gives the processor away for about `ms` milliseconds (0: a pause well inside one tick).
  // Frame waits call it between tick reads; a backend may return early.
  virtual void Idle(uint32_t ms) = 0;

  // The 16-bit key-state word: bit 15 while the key is down, bit 0 when it was pressed since the
  // previous poll of that key.
  virtual int16_t GetAsyncKeyState(int vk) = 0;
  // Which controller inputs count as game keys from now on (platform/Controls.h).
  virtual void UseControls(const ControlMap& /*map*/) {}
  // The names of the controllers plugged in now, for the mapping screen.
  virtual std::vector<std::string> ControllerNames() { return {}; }
  // The next press of any controller input that counted, oldest first, for mapping by pressing.
  virtual bool TakeControlPress(ControlPress& /*out*/) { return false; }
  // The tick of the latest key-down of `vk` while the key is still down; nothing while it is up.
  // Unlike a poll, it changes no key state.
  virtual std::optional<uint32_t> KeyDownTick(int vk) = 0;

  // The tick of the latest change of any key or controller input the machine has seen (not only
  // the game's keys); nothing before the first. Unlike a poll, it changes no key state.
  virtual std::optional<uint32_t> LastInputTick() { return std::nullopt; }

  // The removable drives mounted now, for the operator's screen.
  virtual std::vector<Drive> RemovableDrives() { return MountedRemovableDrives(); }

  // Windows' Filter Keys was on at start: quick presses may not count.
  virtual bool FilterKeysOn() { return false; }

  // Booth mode: how long ESC and Q must be held before they act (0, the default: at once). ESC's
  // key-down reaches the window only once held that long; Q asks HeldLongEnough.
  void SetHoldToAct(uint32_t ms) { holdToAct_ = ms; }
  // True when `vk` has been down without a break for the hold time; always outside booth mode.
  bool HeldLongEnough(int vk);
  // Booth mode is the mode that holds keys back: the game there stands its ground unattended.
  bool BoothMode() const { return holdToAct_ > 0; }

  // Sound. The game's clips are handed over once, at start-up, before StartSound opens the
  // machine's output (false when it has none: the game plays on silently); StopSound closes it.
  // PlaySound queues a cue for the mixer from the game's thread, without waiting; with the output
  // closed only a volume counts, kept for when it opens.
  virtual void SetSounds(SoundBank /*bank*/) {}
  virtual bool StartSound() { return false; }
  virtual void StopSound() {}
  virtual void PlaySound(const SoundCue& /*cue*/) {}
  // Set by the game: called on its thread whenever the output could not be opened or was lost (a
  // device unplugged). A device plugged in again is used again where the backend is told of it.
  std::function<void()> onSoundLost;

  // The command line's `--sound on|off` for this run, over the operator's setting.
  std::optional<bool> soundOverride;

  // A modal box with one OK button; text and caption are the game's Shift-JIS bytes, which the
  // backend converts for the machine (platform/ShiftJis.h). Returns when answered.
  virtual void MessageBox(std::string_view text, std::string_view caption) = 0;
  // The same box, which answers itself after `ms` if nobody has answered it by then, so that it
  // never stands over an unattended booth; a backend that shows it adds a line saying so.
  virtual void MessageBoxAnsweringItself(std::string_view text, std::string_view caption,
                                         uint32_t /*ms*/) {
    MessageBox(text, caption);
  }

  // Shows a finished kFrameWidth x kFrameHeight frame of palette indices.
  virtual void Present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) = 0;

  // Window and message queue, with the semantics of a Win32 pop-up window: CreateWindow sends
  // WM_CREATE to `proc` before it returns; closing the window sends WM_DESTROY. The class name
  // and the title are the game's; a backend uses what its machine has of them.
  bool CreateWindow(const char* className, const char* title, WindowProc proc);
  void ShowWindow();
  bool PeekMessage();             // pumps pending events, then: is a message waiting?
  bool GetMessage(Message& out);  // false when the message taken is WM_QUIT
  void DispatchMessage(const Message& msg);
  long DefWindowProc(const Message& msg);
  void PostMessage(const Message& msg) { queue_.push_back(msg); }
  void PostQuitMessage(int exitCode) { PostMessage({WM_QUIT, static_cast<uint32_t>(exitCode)}); }
  bool WindowExists() const { return windowOpen_; }

  // What saves the game at once, as Q does, when the session ends before the posted
  // WM_ENDSESSION can be handled by the frame loop: Windows may end the process as soon as its
  // window has been told. Set by the game once its files are read; empty to clear.
  void SetSessionEndSave(std::function<void()> save) { sessionEndSave_ = std::move(save); }

 protected:
  virtual bool OpenWindow(const char* className, const char* title) = 0;
  virtual void CloseWindow() = 0;
  virtual void ShowWindowNow() = 0;
  // Turns pending events of the machine into window messages (ESC key-downs, close requests).
  virtual void PumpEvents() = 0;
  // A close request from the machine (a close button, Alt+F4, a taskbar's Close): closes the
  // window as ESC does, except in booth mode, where only Q or ESC held ends the game. True when
  // it was posted.
  bool CloseRequested();
  // For a backend told that the session ends now: runs the save given to SetSessionEndSave, once.
  void SaveForSessionEnd() {
    const std::function<void()> save = std::exchange(sessionEndSave_, nullptr);
    if (save) save();
  }

 private:
  std::deque<Message> queue_;
  // Booth mode: ESC's key-downs are held back until the key has been down long enough.
  void HoldBackEscape();

  std::function<void()> sessionEndSave_;
  uint32_t holdToAct_ = 0;
  std::optional<uint32_t> escapeActedFor_;  // the key-down whose hold ESC has acted on
  WindowProc proc_ = nullptr;
  bool windowOpen_ = false;
};

}  // namespace plat
