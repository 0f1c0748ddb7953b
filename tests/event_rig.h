// Runs event screens directly on a hand-built Game over the virtual machine, recording each
// frame's drawing calls and a copy of the state, so that tests can set up any state they need.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/FrameLoop.h"
#include "app/Game.h"
#include "display/CCDraw.h"
#include "display/ShiftJis.h"
#include "platform/VirtualSystem.h"

namespace events {

struct Op {
  enum Kind { Tiles, Blit, Text } kind;
  int x = 0, y = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
  uint32_t colour = 0;
  int size = 0;
  std::string text;  // UTF-8
};

struct Frame {
  std::string screen;
  int index = 0;  // 1-based within its screen visit
  uint32_t tick = 0;
  bool shown = false;
  std::vector<Op> ops;
  GameState state;

  // Texts of the frame that begin with `prefix` (UTF-8).
  std::vector<const Op*> Texts(const std::string& prefix) const {
    std::vector<const Op*> out;
    for (const Op& op : ops) {
      if (op.kind == Op::Text && op.text.rfind(prefix, 0) == 0) out.push_back(&op);
    }
    return out;
  }
  bool HasText(const std::string& prefix) const { return !Texts(prefix).empty(); }
  int Blits(int left, int top) const {
    int n = 0;
    for (const Op& op : ops) n += op.kind == Op::Blit && op.left == left && op.top == top;
    return n;
  }
};

// A scripted keyboard, with SPACE optionally decided frame by frame from the state a frame
// begins with: down for the whole frame when the policy says so, up otherwise.
class Machine : public plat::VirtualSystem {
 public:
  using VirtualSystem::VirtualSystem;
  std::function<bool(int index, const GameState&)> spacePolicy;
  bool spaceNow = false;

  int16_t GetAsyncKeyState(int vk) override {
    if (vk == plat::VK_SPACE && spacePolicy) return spaceNow ? static_cast<int16_t>(0x8000) : 0;
    return VirtualSystem::GetAsyncKeyState(vk);
  }
};

class Rig : public FrameObserver, public DrawRecorder {
 public:
  explicit Rig(plat::VirtualScript script = {}, uint32_t seed = 1)
      : system(std::move(script)), draw(system, 60), game{system, draw, state, random, text, this} {
    draw.SetRecorder(this);
    random.Seed(seed);
  }

  using ScreenFn = ScreenResult (*)(Game&);
  ScreenResult Play(std::initializer_list<ScreenFn> screens) {
    for (ScreenFn screen : screens) {
      if (screen(game) == ScreenResult::Quit) return ScreenResult::Quit;
    }
    return ScreenResult::Next;
  }

  std::vector<const Frame*> Of(const std::string& screen) const {
    std::vector<const Frame*> out;
    for (const Frame& f : frames) {
      if (f.screen == screen) out.push_back(&f);
    }
    return out;
  }

  Machine system;
  CCDraw draw;
  GameState state;
  Random random;
  TextBuffer text;
  Game game;
  std::vector<Frame> frames;

 private:
  void Attach(CCDraw&, const GameState&) override {}
  void BeginFrame(const char* screen) override {
    const bool sameVisit = !frames.empty() && frames.back().screen == screen;
    Frame f;
    f.screen = screen;
    f.index = sameVisit ? frames.back().index + 1 : 1;
    frames.push_back(std::move(f));
    if (system.spacePolicy) system.spaceNow = system.spacePolicy(frames.back().index, state);
  }
  void EndFrame(bool shown) override {
    frames.back().shown = shown;
    frames.back().tick = state.frameStartTick;
    frames.back().state = state;
  }
  void OnTiles(int rows) override {
    frames.back().ops.push_back({Op::Tiles, 0, rows, 0, 0, 0, 0, 0, 0, {}});
  }
  void OnBlit(int x, int y, int left, int top, int right, int bottom) override {
    frames.back().ops.push_back({Op::Blit, x, y, left, top, right, bottom, 0, 0, {}});
  }
  void OnText(int x, int y, uint32_t colour, int size, std::string_view text) override {
    frames.back().ops.push_back({Op::Text, x, y, 0, 0, 0, 0, colour, size, SjisToUtf8(text)});
  }
};

// Script pieces: a key held over the start of one frame of a screen with the given period
// (frame k, 1-based, begins at start + period * (k - 1)).
inline void HoldOver(plat::VirtualScript& script, int vk, uint64_t at) {
  script.keys.push_back({at - 1, vk, true});
  script.keys.push_back({at + 1, vk, false});
}
inline void Down(plat::VirtualScript& script, int vk, uint64_t at) {
  script.keys.push_back({at, vk, true});
}

}  // namespace events
