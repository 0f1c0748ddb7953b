#include "platform/sdl/SdlSystem.h"

#include <SDL.h>
#include <sched.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <string>

#include "display/ShiftJis.h"

namespace plat {
namespace {

struct KeyBinding {
  int vk;
  SDL_Scancode main;
  SDL_Scancode alternative;  // SDL_SCANCODE_UNKNOWN when there is none
};

// Scancodes name physical keys, so the keypad digits answer whatever NumLock says.
constexpr KeyBinding kKeys[] = {
    {VK_SPACE, SDL_SCANCODE_SPACE, SDL_SCANCODE_UNKNOWN},
    {VK_Q, SDL_SCANCODE_Q, SDL_SCANCODE_UNKNOWN},
    {VK_RETURN, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER},
    {VK_LEFT, SDL_SCANCODE_LEFT, SDL_SCANCODE_UNKNOWN},
    {VK_RIGHT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_UNKNOWN},
    {VK_DOWN, SDL_SCANCODE_DOWN, SDL_SCANCODE_UNKNOWN},
    {VK_ESCAPE, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_UNKNOWN},
    {VK_NUMPAD1, SDL_SCANCODE_KP_1, SDL_SCANCODE_UNKNOWN},
    {VK_NUMPAD2, SDL_SCANCODE_KP_2, SDL_SCANCODE_UNKNOWN},
};
static_assert(std::size(kKeys) == 9);

int KeyIndexOfVk(int vk) {
  for (int i = 0; i < static_cast<int>(std::size(kKeys)); ++i)
    if (kKeys[i].vk == vk) return i;
  return -1;
}

int KeyIndexOfScancode(SDL_Scancode sc) {
  for (int i = 0; i < static_cast<int>(std::size(kKeys)); ++i)
    if (kKeys[i].main == sc || kKeys[i].alternative == sc) return i;
  return -1;
}

void ReportSdlError(const char* what) {
  std::fprintf(stderr, "%s: %s\n", what, SDL_GetError());
}

}  // namespace

SdlSystem::~SdlSystem() {
  DestroyWindow();
  if (sdlStarted_) SDL_Quit();
}

uint32_t SdlSystem::GetTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000;
  return static_cast<uint32_t>(ms);
}

int64_t SdlSystem::CurrentTimeSeconds() {
  return static_cast<int64_t>(std::time(nullptr));
}

void SdlSystem::Idle(uint32_t ms) {
  if (ms > 0)
    SDL_Delay(ms);
  else
    sched_yield();
}

int16_t SdlSystem::GetAsyncKeyState(int vk) {
  const int index = KeyIndexOfVk(vk);
  if (index < 0 || !window_) return 0;
  TakeEvents();
  const Uint8* state = SDL_GetKeyboardState(nullptr);
  const KeyBinding& key = kKeys[index];
  const bool down =
      state[key.main] || (key.alternative != SDL_SCANCODE_UNKNOWN && state[key.alternative]);
  const bool pressed = pressedSincePoll_[index];
  pressedSincePoll_[index] = false;
  return static_cast<int16_t>((down ? 0x8000u : 0u) | (pressed ? 1u : 0u));
}

void SdlSystem::MessageBox(std::string_view text, std::string_view caption) {
  const std::string utf8Text = SjisToUtf8(text);
  const std::string utf8Caption = SjisToUtf8(caption);
  // A box raised while the window is still being created has no owner, like the start-up box.
  SDL_Window* owner = shown_ ? window_ : nullptr;
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, utf8Caption.c_str(), utf8Text.c_str(),
                               owner) != 0) {
    // Without a box the game would wait for nobody; say it on the console and go on.
    std::fprintf(stderr, "%s: %s (%s)\n", utf8Caption.c_str(), utf8Text.c_str(), SDL_GetError());
  }
}

void SdlSystem::Present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) {
  if (!texture_) return;
  if (!coloursValid_ || std::memcmp(palette_.data(), palette, sizeof palette_) != 0) {
    std::memcpy(palette_.data(), palette, sizeof palette_);
    colours_ = BuildColourTable(palette);
    coloursValid_ = true;
  }
  void* dst = nullptr;
  int dstPitch = 0;
  if (SDL_LockTexture(texture_, nullptr, &dst, &dstPitch) != 0) return;
  ConvertFrame(pixels, pitch, colours_, dst, dstPitch);
  SDL_UnlockTexture(texture_);

  int outW = 0;
  int outH = 0;
  SDL_GetRendererOutputSize(renderer_, &outW, &outH);
  const FrameRect fit = FitFrame(outW, outH);
  const SDL_Rect target{fit.x, fit.y, fit.w, fit.h};
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, &target);
  SDL_RenderPresent(renderer_);
}

bool SdlSystem::OpenWindow() {
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");  // sharp pixels
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");          // the game paces its own frames
  // A booth machine: a box popping up over the game must not minimise it.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (!sdlStarted_) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      ReportSdlError("SDL_Init");
      return false;
    }
    sdlStarted_ = true;
  }
  // Hidden until shown, so that a box raised during creation comes first. Placed over the whole
  // desktop from the start: without a window manager the full-screen request alone does not
  // resize the window.
  SDL_Rect desktop{0, 0, kFrameWidth, kFrameHeight};
  SDL_GetDisplayBounds(0, &desktop);
  window_ =
      SDL_CreateWindow("Vostrel", desktop.x, desktop.y, desktop.w, desktop.h,
                       SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
  if (!window_) {
    ReportSdlError("SDL_CreateWindow");
    return false;
  }
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_) {
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 kFrameWidth, kFrameHeight);
  }
  if (!renderer_ || !texture_) {
    ReportSdlError(renderer_ ? "SDL_CreateTexture" : "SDL_CreateRenderer");
    DestroyWindow();
    return false;
  }
  SDL_ShowCursor(SDL_DISABLE);
  closePosted_ = false;
  pressedSincePoll_.fill(false);
  return true;
}

void SdlSystem::CloseWindow() {
  DestroyWindow();
}

void SdlSystem::ShowWindowNow() {
  if (!window_) return;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);  // take the keyboard from the box that was just answered
  shown_ = true;
  // Black until the first frame arrives.
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderPresent(renderer_);
}

void SdlSystem::PumpEvents() {
  TakeEvents();
}

void SdlSystem::DestroyWindow() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  shown_ = false;
}

void SdlSystem::TakeEvents() {
  if (!window_) return;
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) {
    switch (ev.type) {
      case SDL_KEYDOWN: {
        if (ev.key.repeat) break;
        const int index = KeyIndexOfScancode(ev.key.keysym.scancode);
        if (index < 0) break;
        pressedSincePoll_[index] = true;
        if (kKeys[index].vk == VK_ESCAPE) PostMessage({WM_KEYDOWN, VK_ESCAPE});
        break;
      }
      case SDL_QUIT:
        // A close of the only window arrives twice (window event, then quit); one close is enough.
        if (!closePosted_) PostMessage({WM_CLOSE, 0});
        closePosted_ = true;
        break;
      case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) {
          if (!closePosted_) PostMessage({WM_CLOSE, 0});
          closePosted_ = true;
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace plat
