#include "platform/sdl/SdlSystem.h"

#define SDL_MAIN_HANDLED  // the program's own main(); no SDL2main
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "platform/BoothChannel.h"
#include "platform/ShiftJis.h"
#include "platform/ShortcutKeys.h"
#include "platform/sdl/BoothBox.h"
#include "platform/sdl/Box.h"
#include "platform/sdl/EndSignals.h"
#include "platform/sdl/FocusHolder.h"
#ifdef _WIN32
#include "platform/sdl/SdlWindows.h"
#include "platform/win/WinHost.h"
#endif

namespace plat {
namespace {

// The physical keys that answer for each game key: scancodes, so the keypad digits answer
// whatever NumLock says, and the main keyboard's 1 and 2 stand for them on a keyboard without a
// keypad. SDL_SCANCODE_UNKNOWN where there is no second key.
struct KeyBinding {
  int vk;
  SDL_Scancode main;
  SDL_Scancode alternative;
};

constexpr KeyBinding kBindings[] = {
    {VK_SPACE, SDL_SCANCODE_SPACE, SDL_SCANCODE_UNKNOWN},
    {VK_Q, SDL_SCANCODE_Q, SDL_SCANCODE_UNKNOWN},
    {VK_RETURN, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER},
    {VK_LEFT, SDL_SCANCODE_LEFT, SDL_SCANCODE_UNKNOWN},
    {VK_RIGHT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_UNKNOWN},
    {VK_DOWN, SDL_SCANCODE_DOWN, SDL_SCANCODE_UNKNOWN},
    {VK_ESCAPE, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_UNKNOWN},
    {VK_NUMPAD1, SDL_SCANCODE_KP_1, SDL_SCANCODE_1},
    {VK_NUMPAD2, SDL_SCANCODE_KP_2, SDL_SCANCODE_2},
    {VK_UP, SDL_SCANCODE_UP, SDL_SCANCODE_UNKNOWN},
    {VK_F2, SDL_SCANCODE_F2, SDL_SCANCODE_UNKNOWN},
};

constexpr KeyBinding BindingOf(int vk) {
  for (const KeyBinding& b : kBindings)
    if (b.vk == vk) return b;
  return {vk, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN};
}

// Every key of the game's list has a binding.
constexpr bool EveryGameKeyIsBound() {
  for (const KeyName& key : kGameKeys)
    if (BindingOf(key.vk).main == SDL_SCANCODE_UNKNOWN) return false;
  return true;
}
static_assert(EveryGameKeyIsBound());

int KeyIndexOfVk(int vk) {
  for (int i = 0; i < kGameKeyCount; ++i)
    if (kGameKeys[i].vk == vk) return i;
  return -1;
}

int KeyIndexOfScancode(SDL_Scancode sc) {
  for (int i = 0; i < kGameKeyCount; ++i) {
    const KeyBinding key = BindingOf(kGameKeys[i].vk);
    if (key.main == sc || key.alternative == sc) return i;
  }
  return -1;
}

// A recognised gamepad's own default: A and B wind, Y and Start launch and go on, X is SPACE; the
// pad and the left stick steer. SDL says which of the joystick's inputs each of these is.
struct PadDefault {
  int vk;
  SDL_GameControllerButton button;
};
constexpr PadDefault kPadButtons[] = {
    {VK_NUMPAD1, SDL_CONTROLLER_BUTTON_A},        {VK_NUMPAD2, SDL_CONTROLLER_BUTTON_B},
    {VK_RETURN, SDL_CONTROLLER_BUTTON_Y},         {VK_RETURN, SDL_CONTROLLER_BUTTON_START},
    {VK_SPACE, SDL_CONTROLLER_BUTTON_X},          {VK_LEFT, SDL_CONTROLLER_BUTTON_DPAD_LEFT},
    {VK_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT}, {VK_DOWN, SDL_CONTROLLER_BUTTON_DPAD_DOWN},
    {VK_UP, SDL_CONTROLLER_BUTTON_DPAD_UP},
};

// The joystick input behind a gamepad's bind, for the way `positive` of an axis.
std::optional<Control> BoundControl(const SDL_GameControllerButtonBind& bind, bool positive) {
  switch (bind.bindType) {
    case SDL_CONTROLLER_BINDTYPE_BUTTON:
      return Control{Control::Button, bind.value.button + 1};
    case SDL_CONTROLLER_BINDTYPE_AXIS:
      return Control{positive ? Control::AxisPlus : Control::AxisMinus, bind.value.axis + 1};
    case SDL_CONTROLLER_BINDTYPE_HAT:
      if (bind.value.hat.hat != 0) return std::nullopt;  // only the first hat has names
      if (bind.value.hat.hat_mask == SDL_HAT_LEFT) return Control{Control::HatLeft, 0};
      if (bind.value.hat.hat_mask == SDL_HAT_RIGHT) return Control{Control::HatRight, 0};
      if (bind.value.hat.hat_mask == SDL_HAT_UP) return Control{Control::HatUp, 0};
      if (bind.value.hat.hat_mask == SDL_HAT_DOWN) return Control{Control::HatDown, 0};
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

// A recognised gamepad's own default; empty for any other controller.
ControlBindings GamepadDefault(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return {};
  SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
  if (!pad) return {};
  ControlBindings bindings;
  for (const PadDefault& b : kPadButtons)
    if (auto control = BoundControl(SDL_GameControllerGetBindForButton(pad, b.button), true))
      bindings.push_back({b.vk, *control});
  const SDL_GameControllerButtonBind stickX =
      SDL_GameControllerGetBindForAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
  const SDL_GameControllerButtonBind stickY =
      SDL_GameControllerGetBindForAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
  if (auto control = BoundControl(stickX, false)) bindings.push_back({VK_LEFT, *control});
  if (auto control = BoundControl(stickX, true)) bindings.push_back({VK_RIGHT, *control});
  if (auto control = BoundControl(stickY, true)) bindings.push_back({VK_DOWN, *control});
  if (auto control = BoundControl(stickY, false)) bindings.push_back({VK_UP, *control});
  SDL_GameControllerClose(pad);
  return bindings;
}

#ifdef _WIN32
class WindowsAccessSettings : public AccessSettings {
 public:
  bool Get(AccessFeature feature, uint32_t& flags) override {
    return win::GetAccessFlags(static_cast<int>(feature), flags);
  }
  bool Set(AccessFeature feature, uint32_t flags) override {
    return win::SetAccessFlags(static_cast<int>(feature), flags);
  }
};
#endif

void ReportSdlError(const char* what) {
  std::fprintf(stderr, "%s: %s\n", what, SDL_GetError());
}

}  // namespace

void ReportStartFailure(std::string_view text) {
  const std::string line(text);
  std::fprintf(stderr, "kavrel: %s\n", line.c_str());
#ifdef _WIN32
  // SDL's box needs no SDL_Init, and comes before any window of the game.
  ShowBox(SDL_MESSAGEBOX_ERROR, "Error", line, nullptr);
#endif
}

void ReportHelp([[maybe_unused]] std::string_view text) {
#ifdef _WIN32
  const std::string help(text);
  ShowBox(SDL_MESSAGEBOX_INFORMATION, "kavrel", help, nullptr);
#endif
}

SdlSystem::~SdlSystem() {
  CloseAudio();
  DestroyWindow();
  while (!joysticks_.empty()) CloseController(joysticks_.begin()->first);
  if (sdlStarted_) SDL_Quit();
#ifdef _WIN32
  if (sdlStarted_) win::EndTimerPeriod();
#endif
}

uint32_t SdlSystem::GetTickCount() {
#ifdef _WIN32
  return win::TickMilliseconds();
#else
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000;
  return static_cast<uint32_t>(ms);
#endif
}

int64_t SdlSystem::CurrentTimeSeconds() {
  return static_cast<int64_t>(std::time(nullptr));
}

int64_t SdlSystem::WallClockSeconds() {
  return static_cast<int64_t>(std::time(nullptr));
}

void SdlSystem::Idle(uint32_t ms) {
  if (ms > 0) {
    SDL_Delay(ms);
    return;
  }
  // The last ticks of a frame's wait poll the clock through here: a quarter-millisecond nap
  // instead of a bare yield keeps those polls from spinning a core (a yield returns at once on
  // an otherwise idle machine) while staying well inside one tick.
#ifdef _WIN32
  win::NapBriefly();
#else
  const timespec nap{0, 250'000};
  nanosleep(&nap, nullptr);
#endif
}

int16_t SdlSystem::GetAsyncKeyState(int vk) {
  const int index = KeyIndexOfVk(vk);
  if (index < 0 || !window_) return 0;
  TakeEvents();
  const Uint8* state = SDL_GetKeyboardState(nullptr);
  const KeyBinding key = BindingOf(vk);
  // Both taken, so that neither is left over for the next poll.
  const bool pressedOnController = controllers_.TakePress(vk);
  // A controller's press since the last poll counts as down even when already let go: an arcade
  // switch may close for less than a frame. A keyboard key is read as it is.
  bool boundKeyDown = false;
  for (const ControlBinding& b : keyboardBindings_)
    if (b.vk == vk && b.control.number < SDL_NUM_SCANCODES && state[b.control.number])
      boundKeyDown = true;
  const bool down = state[key.main] ||
                    (key.alternative != SDL_SCANCODE_UNKNOWN && state[key.alternative]) ||
                    boundKeyDown || controllers_.KeyDown(vk) || pressedOnController;
  const bool pressed = pressedSincePoll_[index] || pressedOnController;
  pressedSincePoll_[index] = false;
  return static_cast<int16_t>((down ? 0x8000u : 0u) | (pressed ? 1u : 0u));
}

void SdlSystem::UseControls(const ControlMap& map) {
  controls_ = map;
  keyboardBindings_ = KeyboardBindings(map);
  for (const auto& [id, pad] : joysticks_) controllers_.Rebind(id, BindingsOf(pad));
}

bool SdlSystem::TakeControlPress(ControlPress& out) {
  TakeEvents();
  int id = 0;
  while (controllers_.TakeRawPress(id, out.control)) {
    const auto it = joysticks_.find(id);
    if (it == joysticks_.end()) continue;
    out.vendor = it->second.vendor;
    out.product = it->second.product;
    const char* name = SDL_JoystickName(it->second.joystick);
    out.name = name ? name : "";
    return true;
  }
  return false;
}

std::vector<std::string> SdlSystem::ControllerNames() {
  TakeEvents();  // plugged in or out since the last look
  std::vector<std::string> names;
  for (const auto& [id, pad] : joysticks_) {
    const char* name = SDL_JoystickName(pad.joystick);
    names.push_back(name && name[0] ? name : "?");
  }
  return names;
}

ControlBindings SdlSystem::BindingsOf(const Joystick& pad) const {
  if (const ControlBindings* own = controls_.Find(pad.vendor, pad.product)) return *own;
  return pad.gamepadDefault.empty() ? DefaultControlBindings() : pad.gamepadDefault;
}

void SdlSystem::OpenController(int deviceIndex) {
  SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
  if (!joystick) return;
  const int id = SDL_JoystickInstanceID(joystick);
  if (joysticks_.count(id)) {
    SDL_JoystickClose(joystick);  // told twice: keep the first
    return;
  }
  const Joystick& pad =
      joysticks_[id] = {joystick, SDL_JoystickGetVendor(joystick), SDL_JoystickGetProduct(joystick),
                        GamepadDefault(deviceIndex)};
  controllers_.Attach(id, BindingsOf(pad));
  // Where each axis rests now: centred, or at one end until it has been centred once.
  for (int axis = 0; axis < SDL_JoystickNumAxes(joystick); ++axis)
    controllers_.Axis(id, axis + 1, SDL_JoystickGetAxis(joystick, axis));
}

void SdlSystem::CloseController(int instanceId) {
  const auto it = joysticks_.find(instanceId);
  if (it == joysticks_.end()) return;
  controllers_.Detach(instanceId);
  SDL_JoystickClose(it->second.joystick);
  joysticks_.erase(it);
}

std::optional<uint32_t> SdlSystem::KeyDownTick(int vk) {
  const int index = KeyIndexOfVk(vk);
  if (index < 0 || !window_) return std::nullopt;
  TakeEvents();
  const Uint8* state = SDL_GetKeyboardState(nullptr);
  const KeyBinding key = BindingOf(vk);
  const bool down =
      state[key.main] || (key.alternative != SDL_SCANCODE_UNKNOWN && state[key.alternative]);
  if (!down) return std::nullopt;
  return downTick_[index];
}

std::optional<uint32_t> SdlSystem::LastInputTick() {
  TakeEvents();
  return lastInputTick_;
}

void SdlSystem::MessageBox(std::string_view text, std::string_view caption) {
  ShowBox(text, caption, 0);
}

void SdlSystem::MessageBoxAnsweringItself(std::string_view text, std::string_view caption,
                                          uint32_t ms) {
  ShowBox(text, caption, ms);
}

void SdlSystem::ShowBox(std::string_view text, std::string_view caption, uint32_t ms) {
  const std::string utf8Text = SjisToUtf8(text);
  const std::string utf8Caption = SjisToUtf8(caption);
  // A box raised while the window is still being created has no owner, like the start-up box.
  SDL_Window* owner = shown_ ? window_ : nullptr;
  MessageBoxUp boxUp;
  boxOpen_ = true;
  // Under the booth's supervisor a box is not a hang; every box but a first start's start-up
  // box answers itself, its text kept in the booth's log.
  // The keyboard goes to the box while it is up, so that it can be answered.
  KeyboardHeld(false);
  BoothChannel& line = BoothChannel::Get();
  uint32_t answerMs = ms;
  if (line.Supervised() && (line.Restarted() || boxesShown_ > 0))
    answerMs =
        answerMs == 0 ? kBoxAnswersItselfMs : std::min<uint32_t>(answerMs, kBoxAnswersItselfMs);
  // A box asked to answer itself says when, so that nobody waits on it or wonders why it went.
  std::string shown = utf8Text;
  if (ms > 0) {
    if (!shown.empty() && shown.back() != '\n') shown += '\n';
    shown += "\n（" + std::to_string(answerMs / 1000) + " 秒たつと自動で閉じます）";
  }
  ++boxesShown_;
  line.Say({BoothSign::BoxUp, {}, 0});
  if (answerMs > 0) {
    if (ShowBoxAnsweringItself(utf8Caption, shown, owner, answerMs))
      line.Say({BoothSign::Answered, utf8Text, 0});
  } else if (plat::ShowBox(SDL_MESSAGEBOX_INFORMATION, utf8Caption, shown, owner) != 0) {
    // Without a box the game would wait for nobody; say it on the console and go on.
    std::fprintf(stderr, "%s: %s (%s)\n", utf8Caption.c_str(), shown.c_str(), SDL_GetError());
  }
  line.Say({BoothSign::BoxDown, {}, 0});
  boxOpen_ = false;
  KeyboardHeld(true);
}

void SdlSystem::KeyboardHeld(bool held) {
  // Only in full screen, where the game is all the machine shows. SDL takes the keyboard while
  // the window has the focus and again whenever it comes back; on Windows through a low-level
  // hook that also takes the Windows keys, Alt+Tab and Ctrl+Esc.
  if (mode_ != ScreenMode::FullScreen || !window_ || !shown_) return;
  SDL_SetWindowKeyboardGrab(window_, held ? SDL_TRUE : SDL_FALSE);
#ifdef _WIN32
  if (!shortcutKeys_) {
    const std::filesystem::path folder = win::UserSettingsFolder();
    if (folder.empty()) return;
    accessSettings_ = std::make_unique<WindowsAccessSettings>();
    shortcutKeys_ = std::make_unique<ShortcutKeys>(*accessSettings_, folder / "shortcut-keys.txt");
  }
  if (held) {
    shortcutKeys_->TurnOff();
  } else {
    shortcutKeys_->PutBack();
  }
#endif
}

bool SdlSystem::FilterKeysOn() {
  return shortcutKeys_ && shortcutKeys_->FilterKeysFoundOn();
}

void SdlSystem::Present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) {
  BoothChannel::Get().Beat(GetTickCount());
  SDL_Surface* screen = WindowSurface();
  if (!screen) return;
  const FrameRect fit = FitFrame(screen->w, screen->h, scale_);
  if (fit.w <= 0 || fit.h <= 0) return;
  // Our own loop converts and enlarges straight into a window of 32 bits with 8 a channel (the
  // blend of the sharp enlargement works channel by channel); any other format gets a 32-bit
  // frame that SDL converts on the way in.
  const bool direct = screen->format->BytesPerPixel == 4 && screen->format->Rloss == 0 &&
                      screen->format->Gloss == 0 && screen->format->Bloss == 0;
  if (!direct && (!staging_ || staging_->w != fit.w || staging_->h != fit.h)) {
    if (staging_) SDL_FreeSurface(staging_);
    staging_ = SDL_CreateRGBSurfaceWithFormat(0, fit.w, fit.h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!staging_) return;
  }
  const uint32_t format = direct ? screen->format->format : uint32_t{SDL_PIXELFORMAT_ARGB8888};
  bool newColours = false;
  if (!coloursValid_ || format != tableFormat_ ||
      std::memcmp(palette_.data(), palette, sizeof palette_) != 0) {
    std::memcpy(palette_.data(), palette, sizeof palette_);
    if (direct) {
      for (int i = 0; i < 256; ++i)
        colours_[i] =
            SDL_MapRGB(screen->format, palette[i].peRed, palette[i].peGreen, palette[i].peBlue);
    } else {
      colours_ = BuildColourTable(palette);
    }
    tableFormat_ = format;
    coloursValid_ = true;
    newColours = true;
  }

  SDL_Rect target{fit.x, fit.y, fit.w, fit.h};
  if (direct) {
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0) return;
    scaler_.Scale(pixels, pitch, colours_, screen->pixels, screen->pitch, fit);
    if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
  } else {
    scaler_.Scale(pixels, pitch, colours_, staging_->pixels, staging_->pitch,
                  FrameRect{0, 0, fit.w, fit.h});
    SDL_BlitSurface(staging_, nullptr, screen, &target);
  }
  // The whole frame is drawn (rows that did not change come out as they were), but only the
  // bands of rows that changed are sent to the screen.
  const bool moved =
      fit.x != shownFit_.x || fit.y != shownFit_.y || fit.w != shownFit_.w || fit.h != shownFit_.h;
  const std::vector<FrameRect>& bands =
      changes_.Changed(pixels, pitch, fit, surfaceFresh_ || newColours || moved);
  shownFit_ = fit;
  if (surfaceFresh_) {
    SDL_UpdateWindowSurface(window_);
    surfaceFresh_ = false;
  } else if (!bands.empty()) {
    std::vector<SDL_Rect> rects;
    for (const FrameRect& band : bands) rects.push_back({band.x, band.y, band.w, band.h});
    SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
  }
  if (mode_ == ScreenMode::FullScreen && !fullScreenAsked_) {
    // Asked only once the first picture is up: SDL waits up to 100 ms for a window manager to
    // confirm full screen, and a booth machine may have none. The window already covers the
    // desktop, so the picture does not move when the request is granted.
    fullScreenAsked_ = true;
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
}

SDL_Surface* SdlSystem::WindowSurface() {
  if (!window_) return nullptr;
  SDL_Surface* screen = SDL_GetWindowSurface(window_);
  if (!screen) return nullptr;
  if (screen != surface_ || screen->w != surfaceW_ || screen->h != surfaceH_ ||
      screen->format->format != surfaceFormat_) {
    surface_ = screen;
    surfaceW_ = screen->w;
    surfaceH_ = screen->h;
    surfaceFormat_ = screen->format->format;
    surfaceFresh_ = true;
  }
  if (surfaceFresh_) SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
  return screen;
}

bool SdlSystem::OpenWindow(const char* className, const char* title) {
  // A booth machine: a box popping up over the game must not minimise it.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (mode_ == ScreenMode::FullScreen) {
    // While the game holds the keyboard, Alt+Tab does not minimise it and Alt+F4 does not close
    // it (on X11 the grab itself keeps the window manager's shortcuts away).
    SDL_SetHint(SDL_HINT_ALLOW_ALT_TAB_WHILE_GRABBED, "0");
    SDL_SetHint(SDL_HINT_WINDOWS_NO_CLOSE_ON_ALT_F4, "1");
    // Booth mode takes the focus back from windows that pop up: Windows refuses a plain request
    // from a program in the background.
    if (BoothMode()) SDL_SetHint(SDL_HINT_FORCE_RAISEWINDOW, "1");
  }
#ifdef _WIN32
  // Before the first window or box: the input method's keys (半角/全角) change nothing, and every
  // game key keeps reaching the game.
  win::DisableInputMethod();
#endif
  // Shutdown, a closed terminal and Ctrl+C end the game as Q does, not as a closed window.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  CatchEndSignals();
#ifdef _WIN32
  // Drawn pixel for pixel, not enlarged and blurred by the system's display scaling.
  SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
#endif
  if (!sdlStarted_) {
    // The window class's name is what the desktop groups the window by (X11's WM_CLASS).
    SDL_SetHint(SDL_HINT_APP_NAME, className);
    // Controllers count while a box or another window is in front, as the keyboard does.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetMainReady();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      ReportSdlError("SDL_Init");
      return false;
    }
    sdlStarted_ = true;
    // Without controllers the keyboard still plays.
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0)
      ReportSdlError("SDL_InitSubSystem (controllers)");
#ifdef _WIN32
    // Sleeps end on the millisecond, so the frame periods hold and the waits can sleep.
    win::BeginTimerPeriod();
#endif
  }
  // On X11 the window surface is shared memory the server copies from: far cheaper than the
  // OpenGL texture SDL would otherwise put behind it, which is software-rendered on machines
  // without a usable GPU and costs most of a frame there. Other video drivers keep SDL's choice.
  const char* driver = SDL_GetCurrentVideoDriver();
  // With no display SDL falls back to drivers that show nothing and read no keys: the game would
  // run unseen and could never be quit. Fail instead, unless such a driver was asked for.
  const bool invisible =
      driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
  if (invisible && !SDL_getenv("SDL_VIDEODRIVER")) {
    std::fprintf(stderr, "kavrel: no display to show the game on (is DISPLAY set?)\n");
    return false;
  }
  if (driver && std::strcmp(driver, "x11") == 0)
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  window_ =
      mode_ == ScreenMode::FullScreen ? CreateFullScreenWindow(title) : CreateScaledWindow(title);
  if (!window_) {
    ReportSdlError("SDL_CreateWindow");
    return false;
  }
  if (!SDL_GetWindowSurface(window_)) {
    ReportSdlError("SDL_GetWindowSurface");
    DestroyWindow();
    return false;
  }
  surfaceFresh_ = true;
  fullScreenAsked_ = false;
  SDL_ShowCursor(SDL_DISABLE);
  // SDL starts with text input on, which hands the keys to an input method once it is switched
  // on; the game reads keys only.
  SDL_StopTextInput();
  closePosted_ = false;
  pressedSincePoll_.fill(false);
#ifdef _WIN32
  // Windows tells of a shutdown or log-off through the window, not by a signal.
  win::WatchSessionEnd(NativeWindowHandle(window_), &SdlSystem::OnSessionQuery,
                       &SdlSystem::OnSessionEnd, this);
#endif
  return true;
}

void SdlSystem::OnSessionQuery(void* self) {
  // The frame loop ends the game on this as Q does, once the pump returns.
  static_cast<SdlSystem*>(self)->PostSessionEnd();
}

void SdlSystem::PostSessionEnd() {
  if (endPosted_) return;
  PostMessage({WM_ENDSESSION, 1});
  endPosted_ = true;
}

void SdlSystem::OnSessionEnd(void* self) {
  // The session ends now, still inside the pump: the process may be ended as soon as this
  // returns, so the game saves here if it has not yet, the shortcuts put back first.
  static_cast<SdlSystem*>(self)->KeyboardHeld(false);
  static_cast<SdlSystem*>(self)->SaveForSessionEnd();
}

// Both windows are hidden until shown, so that a box raised during creation comes first.
SDL_Window* SdlSystem::CreateFullScreenWindow(const char* title) {
  // Placed over the whole desktop from the start: without a window manager the full-screen
  // request (made after the first frame) does not resize the window.
  SDL_Rect desktop{0, 0, kFrameWidth, kFrameHeight};
  SDL_GetDisplayBounds(0, &desktop);
  return SDL_CreateWindow(title, desktop.x, desktop.y, desktop.w, desktop.h,
                          SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
}

SDL_Window* SdlSystem::CreateScaledWindow(const char* title) {
  // The part of the screen not taken by panels; the window opens at a whole scale of the frame,
  // and the picture follows it when it is resized or maximised.
  SDL_Rect usable{0, 0, kFrameWidth, kFrameHeight};
  SDL_GetDisplayUsableBounds(0, &usable);
  const int scale = std::max(1, std::min(usable.w / kFrameWidth, usable.h / kFrameHeight));
  return SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                          kFrameWidth * scale, kFrameHeight * scale,
                          SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
}

void SdlSystem::CloseWindow() {
  DestroyWindow();
}

void SdlSystem::ShowWindowNow() {
  if (!window_) return;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);  // take the keyboard from the box that was just answered
  shown_ = true;
  KeyboardHeld(true);
  // Black until the first frame arrives.
  surfaceFresh_ = true;
  if (WindowSurface()) {
    SDL_UpdateWindowSurface(window_);
    surfaceFresh_ = false;
  }
}

void SdlSystem::PumpEvents() {
  TakeEvents();
  HoldFocus();
}

void SdlSystem::HoldFocus() {
  constexpr uint32_t kFocusAskMs = 500;
  constexpr uint32_t kFocusBackMs = 2000;
  if (!BoothMode() || mode_ != ScreenMode::FullScreen || !window_ || !shown_ || boxOpen_) return;
  const uint32_t now = GetTickCount();
  if (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) {
    focusLostAt_.reset();
    focusAwayTold_ = false;
    return;
  }
  if (!focusLostAt_) {
    focusLostAt_ = now;
    focusAskedAt_ = now - kFocusAskMs;
  }
  if (!focusAwayTold_ && now - *focusLostAt_ >= kFocusBackMs) {
    focusAwayTold_ = true;
    std::string holder = FocusHolderName();
    if (holder.empty()) holder = "?";
    BoothChannel::Get().Say({BoothSign::FocusAway, holder, 0});
  }
  if (now - focusAskedAt_ < kFocusAskMs) return;
  focusAskedAt_ = now;
  // Raised above the other window, then the keyboard's focus set on it directly: a window manager
  // that prevents focus stealing may refuse the raise's activation, not the input focus. SDL
  // takes the keyboard again as the focus comes back.
  SDL_RaiseWindow(window_);
  SDL_SetWindowInputFocus(window_);
}

void SdlSystem::DestroyWindow() {
  KeyboardHeld(false);
  if (staging_) SDL_FreeSurface(staging_);
  if (window_) SDL_DestroyWindow(window_);  // frees the window surface too
  staging_ = nullptr;
  surface_ = nullptr;
  window_ = nullptr;
  shown_ = false;
}

void SdlSystem::TakeEvents() {
  if (!window_) return;
  if (EndSignalCaught() != 0) PostSessionEnd();
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) {
    switch (ev.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        // A key held down repeats: only its press and its release are someone there.
        if (!ev.key.repeat) lastInputTick_ = GetTickCount();
        break;
      case SDL_JOYBUTTONDOWN:
      case SDL_JOYBUTTONUP:
      case SDL_JOYHATMOTION:
        lastInputTick_ = GetTickCount();
        break;
      case SDL_JOYAXISMOTION:
        // A stick at rest may drift a little: only a push counts as someone there.
        if (ev.jaxis.value >= ControllerInputs::kAxisPress ||
            ev.jaxis.value <= -ControllerInputs::kAxisPress)
          lastInputTick_ = GetTickCount();
        break;
      default:
        break;
    }
    switch (ev.type) {
      case SDL_KEYDOWN: {
        if (ev.key.repeat) break;
        // A key the file binds (a keyboard-type arcade encoder's) presses its game key.
        for (const ControlBinding& b : keyboardBindings_) {
          const int bound = b.control.number == ev.key.keysym.scancode ? KeyIndexOfVk(b.vk) : -1;
          if (bound >= 0) pressedSincePoll_[bound] = true;
        }
        const int index = KeyIndexOfScancode(ev.key.keysym.scancode);
        if (index < 0) break;
        pressedSincePoll_[index] = true;
        // When the key went down, on the game's clock: the event may have waited in the queue.
        downTick_[index] = GetTickCount() - (SDL_GetTicks() - ev.key.timestamp);
        if (kGameKeys[index].vk == VK_ESCAPE) PostMessage({WM_KEYDOWN, VK_ESCAPE});
        break;
      }
      case SDL_AUDIODEVICEADDED:
      case SDL_AUDIODEVICEREMOVED:
        if (!ev.adevice.iscapture)
          AudioDeviceEvent(ev.type == SDL_AUDIODEVICEADDED, ev.adevice.which);
        break;
      case SDL_JOYDEVICEADDED:
        OpenController(ev.jdevice.which);
        break;
      case SDL_JOYDEVICEREMOVED:
        CloseController(ev.jdevice.which);
        break;
      case SDL_JOYBUTTONDOWN:
      case SDL_JOYBUTTONUP:
        controllers_.Switch(ev.jbutton.which, {Control::Button, ev.jbutton.button + 1},
                            ev.jbutton.state == SDL_PRESSED, GetTickCount());
        break;
      case SDL_JOYHATMOTION:
        if (ev.jhat.hat == 0) {
          const Uint8 v = ev.jhat.value;
          controllers_.Hat(ev.jhat.which, v & SDL_HAT_LEFT, v & SDL_HAT_RIGHT, v & SDL_HAT_UP,
                           v & SDL_HAT_DOWN, GetTickCount());
        }
        break;
      case SDL_JOYAXISMOTION:
        controllers_.Axis(ev.jaxis.which, ev.jaxis.axis + 1, ev.jaxis.value);
        break;
      case SDL_QUIT:
        // A close of the only window arrives twice (window event, then quit); one close is enough.
        if (!closePosted_) closePosted_ = CloseRequested();
        break;
      case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) {
          if (!closePosted_) closePosted_ = CloseRequested();
        } else if (ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                   ev.window.event == SDL_WINDOWEVENT_EXPOSED) {
          surfaceFresh_ = true;  // repaint the borders and update the whole window
        }
        break;
      default:
        break;
    }
  }
  controllers_.Settle(GetTickCount());
}

}  // namespace plat
