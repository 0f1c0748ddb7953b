#include "tools/replay/Replay.h"

#include <utility>

#include "app/Main.h"
#include "display/CCDraw.h"

namespace {

// Thrown at the script's end or crash time or the frame limit to unwind the game without letting it
// write anything (what removes a recovery copy runs only on the game's own ways out, never from a
// destructor, so a crash leaves the copies as a kill would).
struct EndOfScript {};

class ReplayObserver final : public FrameObserver {
 public:
  ReplayObserver(plat::VirtualSystem& system, const ReplayOptions& options, ReplayRun& run)
      : system_(system), options_(options), run_(run) {}

  void Attach(CCDraw& draw, const GameState& state) override {
    draw_ = &draw;
    state_ = &state;
  }

  void BeginFrame(const char* screen) override {
    // The end is checked before any stall that is due at the same frame.
    if (system_.EndReached()) {
      run_.endTick = system_.GetTickCount();
      run_.crashed = system_.Script().endIsCrash;
      throw EndOfScript{};
    }
    if (options_.frameLimit > 0 && nextFrame_ >= options_.frameLimit) {
      run_.limitScreen = screen;
      throw EndOfScript{};
    }
    if (const uint64_t stall = system_.TakeDueStalls()) system_.Advance(stall);
    record_.n = nextFrame_++;
    record_.screen = screen;
    record_.ops.clear();
    collector_.CollectInto(&record_.ops);
    if (draw_) draw_->SetRecorder(&collector_);
    if (options_.onFrameBegin) options_.onFrameBegin(record_.n, screen);
  }

  void EndFrame(bool shown) override {
    if (draw_) draw_->SetRecorder(nullptr);
    if (state_) {
      record_.tick = state_->frameStartTick;
      record_.state = *state_;
    }
    record_.shown = shown;
    if (options_.onFrame) options_.onFrame(record_);
    if (options_.keepFrames) run_.frames.push_back(record_);
  }

  // The number of the frame in progress (or of the last one begun).
  int CurrentFrame() const { return nextFrame_ - 1; }

 private:
  plat::VirtualSystem& system_;
  const ReplayOptions& options_;
  ReplayRun& run_;
  CCDraw* draw_ = nullptr;
  const GameState* state_ = nullptr;
  FrameRecord record_;
  DrawOpCollector collector_;
  int nextFrame_ = 0;
};

}  // namespace

DrawOp* DrawOpCollector::Add(DrawOp::Kind kind, int x, int y) {
  if (!ops_) return nullptr;
  DrawOp& op = ops_->emplace_back();
  op.kind = kind;
  op.x = x;
  op.y = y;
  return &op;
}

void DrawOpCollector::OnTiles(int rows) {
  if (DrawOp* op = Add(DrawOp::Tiles, 0, 0)) op->rows = rows;
}

void DrawOpCollector::OnBlit(int x, int y, int left, int top, int right, int bottom) {
  if (DrawOp* op = Add(DrawOp::Blit, x, y)) {
    op->left = left;
    op->top = top;
    op->right = right;
    op->bottom = bottom;
  }
}

void DrawOpCollector::OnText(int x, int y, uint32_t colour, int size, std::string_view text) {
  if (DrawOp* op = Add(DrawOp::Text, x, y)) {
    op->colour = colour;
    op->size = size;
    op->text.assign(text);
  }
}

ReplayRun RunReplay(const plat::VirtualScript& script, const ReplayOptions& options) {
  ReplayRun run;
  plat::VirtualSystem system(script);
  if (options.booth) system.SetHoldToAct(plat::kBoothHoldMs);
  system.soundOverride = options.sound;
  if (options.recordSound) system.RecordSound();
  system.SetRemovableDrives(options.drives);
  ReplayObserver observer(system, options, run);

  system.onMessageBox = [&](std::string_view text, std::string_view caption) {
    MessageBoxRecord box{std::string(text), std::string(caption)};
    if (options.onMessageBox) options.onMessageBox(box);
    run.messageBoxes.push_back(std::move(box));
  };
  if (options.onPresent) {
    system.onPresent = [&](const uint8_t* pixels, int pitch, const plat::PaletteEntry* palette) {
      options.onPresent(observer.CurrentFrame(), pixels, pitch, palette);
    };
  }

  try {
    run.exitCode =
        options.entry ? options.entry(system, &observer) : kavrel::WinMain(system, &observer);
  } catch (const EndOfScript&) {
    // endTick or limitScreen was set where the stop was seen.
  }
  if (options.recordSound) run.sound = system.TakeRecording();
  return run;
}
