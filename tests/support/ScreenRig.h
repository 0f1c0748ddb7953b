// A hand-built game around one or more screens: the scripted machine, the display and the shared
// state, with every frame's drawing calls and a copy of the state kept, as the replay trace keeps
// them. Tests set up whatever state they need and call the screens directly.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Window.h"
#include "display/CCDraw.h"
#include "game/FrameLoop.h"
#include "game/Game.h"
#include "game/Session.h"
#include "platform/ShiftJis.h"
#include "platform/VirtualSystem.h"
#include "tools/replay/Replay.h"

namespace rig {

// ---- Script pieces ---------------------------------------------------------------------------

inline plat::ScriptKeyEvent Down(uint64_t time, int vk) {
  return {time, vk, true};
}
inline plat::ScriptKeyEvent Up(uint64_t time, int vk) {
  return {time, vk, false};
}

// Key events in time order; ESC at `quitAt` closes the window, which ends a screen that would
// otherwise run on.
inline plat::VirtualScript Script(std::vector<plat::ScriptKeyEvent> keys, uint64_t quitAt = 0,
                                  std::vector<plat::ScriptStall> stalls = {}) {
  plat::VirtualScript script;
  if (quitAt) keys.push_back(Down(quitAt, plat::VK_ESCAPE));
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.time < b.time; });
  script.keys = std::move(keys);
  script.stalls = std::move(stalls);
  return script;
}

// A key held over the start of one frame of a screen with a known period (frame k, 1-based,
// begins at start + period * (k - 1)).
inline void HoldOver(plat::VirtualScript& script, int vk, uint64_t at) {
  script.keys.push_back({at - 1, vk, true});
  script.keys.push_back({at + 1, vk, false});
}
inline void Down(plat::VirtualScript& script, int vk, uint64_t at) {
  script.keys.push_back({at, vk, true});
}

// Shift-JIS of a fixed text, checked to convert without a stand-in "?".
inline std::string Sj(std::string_view utf8) {
  std::string out = Sjis(utf8);
  EXPECT_EQ(out.find('?'), std::string::npos) << "unconvertible text: " << utf8;
  return out;
}

// ---- What a frame drew -------------------------------------------------------------------------

struct Frame : FrameRecord {
  int index = 0;  // 1-based within its screen visit

  // Texts of the frame that begin with `prefix` (UTF-8; compared as Shift-JIS).
  std::vector<const DrawOp*> Texts(std::string_view prefix) const {
    const std::string sjis = Sjis(prefix);
    std::vector<const DrawOp*> out;
    for (const DrawOp& op : ops) {
      if (op.kind == DrawOp::Text && op.text.rfind(sjis, 0) == 0) out.push_back(&op);
    }
    return out;
  }
  bool HasText(std::string_view prefix) const { return !Texts(prefix).empty(); }
  // Blits from the sprite-sheet rectangle with this top-left corner.
  int Blits(int left, int top) const {
    int n = 0;
    for (const DrawOp& op : ops) n += op.kind == DrawOp::Blit && op.left == left && op.top == top;
    return n;
  }
};

// ---- The machine -------------------------------------------------------------------------------

// The scripted keyboard, with SPACE optionally decided frame by frame from the state a frame
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

// ---- The rig -----------------------------------------------------------------------------------

class ScreenRig : public FrameObserver {
 public:
  // Seed 1 is also the generator's own starting state.
  explicit ScreenRig(plat::VirtualScript script = {}, uint32_t seed = 1)
      : system(std::move(script)) {
    draw.SetRecorder(&collector_);
    random.Seed(seed);
  }

  Machine system;
  // Frames a test may run before it fails, naming the screen and the count: a screen that never
  // ends must not run the test until memory runs out.
  int frameLimit = 10000;

 private:
  const int windowOpen_ = CreateMainWindow(system);

 public:
  Session session{system, this};
  CCDraw& draw = session.draw;
  GameState& state = session.state;
  Random& random = session.random;
  Game& game = session.game;
  std::vector<Frame> frames;

  using ScreenFn = ScreenResult (*)(Game&);
  // Runs the screens in order, stopping at a quit.
  ScreenResult Play(std::initializer_list<ScreenFn> screens) {
    for (ScreenFn screen : screens) {
      if (screen(game) == ScreenResult::Quit) return ScreenResult::Quit;
    }
    return ScreenResult::Next;
  }

  // The frames of one screen, in order.
  std::vector<const Frame*> Of(std::string_view screen) const {
    std::vector<const Frame*> out;
    for (const Frame& f : frames) {
      if (f.screen == screen) out.push_back(&f);
    }
    return out;
  }

  // The text drawn at (x, y) in a frame, or nullptr.
  static const DrawOp* TextAt(const FrameRecord& frame, int x, int y) {
    for (const DrawOp& op : frame.ops) {
      if (op.kind == DrawOp::Text && op.x == x && op.y == y) return &op;
    }
    return nullptr;
  }
  // The blit drawn to (x, y) in a frame, or nullptr.
  static const DrawOp* BlitAt(const FrameRecord& frame, int x, int y) {
    for (const DrawOp& op : frame.ops) {
      if (op.kind == DrawOp::Blit && op.x == x && op.y == y) return &op;
    }
    return nullptr;
  }
  static int CountTexts(const FrameRecord& frame) {
    int n = 0;
    for (const DrawOp& op : frame.ops) n += op.kind == DrawOp::Text;
    return n;
  }

 private:
  DrawOpCollector collector_;

  void Attach(CCDraw&, const GameState&) override {}
  void BeginFrame(const char* screen) override {
    // A due stall happens before the clear, so the frame's start tick already includes it.
    system.Advance(system.TakeDueStalls());
    if (static_cast<int>(frames.size()) >= frameLimit) {
      throw std::runtime_error("screen '" + std::string(screen) + "' still running after " +
                               std::to_string(frames.size()) + " frames (this test's frame limit)");
    }
    const bool sameVisit = !frames.empty() && frames.back().screen == screen;
    Frame& f = frames.emplace_back();
    f.n = static_cast<int>(frames.size()) - 1;
    f.screen = screen;
    f.index = sameVisit ? frames[frames.size() - 2].index + 1 : 1;
    if (system.spacePolicy) system.spaceNow = system.spacePolicy(f.index, state);
    collector_.CollectInto(&f.ops);
  }
  void EndFrame(bool shown) override {
    Frame& f = frames.back();
    f.shown = shown;
    f.tick = state.frameStartTick;
    f.state = state;
  }
};

}  // namespace rig
