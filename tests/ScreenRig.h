// A hand-built game around one screen: the scripted machine, the display and the shared state,
// with every frame's drawing calls and a copy of the state kept, as the replay trace keeps them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Game.h"
#include "app/Window.h"
#include "display/CCDraw.h"
#include "display/ShiftJis.h"
#include "platform/VirtualSystem.h"
#include "tools/replay/Replay.h"

namespace rig {

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

// Shift-JIS of a fixed text, checked to convert without a stand-in "?".
inline std::string Sj(std::string_view utf8) {
  std::string out = Sjis(utf8);
  EXPECT_EQ(out.find('?'), std::string::npos) << "unconvertible text: " << utf8;
  return out;
}

class ScreenRig : public FrameObserver, public DrawRecorder {
 public:
  explicit ScreenRig(plat::VirtualScript script = {})
      : system(std::move(script)), draw(system, 60) {
    CreateMainWindow(system);
    draw.SetRecorder(this);
  }

  plat::VirtualSystem system;
  CCDraw draw;
  GameState state;
  Random random;
  TextBuffer text;
  Game game{system, draw, state, random, text, this};
  std::vector<FrameRecord> frames;

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

  void Attach(CCDraw&, const GameState&) override {}
  void BeginFrame(const char* screen) override {
    // A due stall happens before the clear, so the frame's start tick already includes it.
    system.Advance(system.TakeDueStalls());
    FrameRecord& f = frames.emplace_back();
    f.n = static_cast<int>(frames.size()) - 1;
    f.screen = screen;
  }
  void EndFrame(bool shown) override {
    FrameRecord& f = frames.back();
    f.shown = shown;
    f.tick = state.frameStartTick;
    f.state = state;
  }
  void OnTiles(int rows) override {
    DrawOp op;
    op.kind = DrawOp::Tiles;
    op.rows = rows;
    Add(std::move(op));
  }
  void OnBlit(int x, int y, int left, int top, int right, int bottom) override {
    DrawOp op;
    op.kind = DrawOp::Blit;
    op.x = x;
    op.y = y;
    op.left = left;
    op.top = top;
    op.right = right;
    op.bottom = bottom;
    Add(std::move(op));
  }
  void OnText(int x, int y, uint32_t colour, int size, std::string_view text) override {
    DrawOp op;
    op.kind = DrawOp::Text;
    op.x = x;
    op.y = y;
    op.colour = colour;
    op.size = size;
    op.text = std::string(text);
    Add(std::move(op));
  }

 private:
  void Add(DrawOp op) {
    if (!frames.empty()) frames.back().ops.push_back(std::move(op));
  }
};

}  // namespace rig
