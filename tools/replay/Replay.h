// Plays the game headless on the virtual backend from a script and records what every frame did:
// the drawing calls, the start tick, whether it was shown, and the shared game values.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "display/CCDraw.h"
#include "game/Game.h"
#include "game/GameState.h"
#include "platform/VirtualSystem.h"
#include "tools/replay/ScriptParser.h"

struct DrawOp {
  enum Kind { Tiles, Blit, Text } kind = Tiles;
  int rows = 0;                                  // Tiles
  int x = 0, y = 0;                              // Blit, Text
  int left = 0, top = 0, right = 0, bottom = 0;  // Blit: source rectangle as passed
  uint32_t colour = 0;                           // Text: 0x00BBGGRR
  int size = 0;                                  // Text: character size
  std::string text;                              // Text: the Shift-JIS bytes
};

// Collects the drawing calls the display reports into a list of DrawOps.
class DrawOpCollector : public DrawRecorder {
 public:
  void CollectInto(std::vector<DrawOp>* ops) { ops_ = ops; }
  void OnTiles(int rows) override;
  void OnBlit(int x, int y, int left, int top, int right, int bottom) override;
  void OnText(int x, int y, uint32_t colour, int size, std::string_view text) override;

 private:
  DrawOp* Add(DrawOp::Kind kind, int x, int y);  // null when not collecting
  std::vector<DrawOp>* ops_ = nullptr;
};

struct FrameRecord {
  int n = 0;
  std::string screen;
  uint32_t tick = 0;
  bool shown = false;
  std::vector<DrawOp> ops;
  GameState state;
};

struct MessageBoxRecord {
  std::string text;     // Shift-JIS
  std::string caption;  // Shift-JIS
};

struct ReplayOptions {
  bool keepFrames = true;  // collect every FrameRecord in ReplayRun::frames
  // Called as frame n begins (before its clear), naming its screen.
  std::function<void(int n, const char* screen)> onFrameBegin;
  // Called for every frame record as it ends, and for every presented frame's pixels (during the
  // flip of frame n, before its record ends; the pointers are valid only during the call).
  std::function<void(const FrameRecord&)> onFrame;
  std::function<void(int n, const uint8_t* pixels, int pitch, const plat::PaletteEntry* palette)>
      onPresent;
  std::function<void(const MessageBoxRecord&)> onMessageBox;
  // The program to play; empty means the game's WinMain. Tests put small frame loops here.
  std::function<int(plat::System&, FrameObserver*)> entry;
  // Stops the run before frame `frameLimit` would begin (0: no limit), so that a game that never
  // ends cannot run a test forever.
  int frameLimit = 0;
  // Booth mode: ESC, and Q on the attract screen, act only once held for plat::kBoothHoldMs.
  bool booth = false;
  // Mix the sound against the virtual clock into ReplayRun::sound (the replay's --wav).
  bool recordSound = false;
  // --sound on|off: over the settings file, as the game's own option.
  std::optional<bool> sound;
  std::vector<plat::Drive> drives;  // the removable drives the operator's screen offers
};

struct ReplayRun {
  std::vector<MessageBoxRecord> messageBoxes;
  std::vector<FrameRecord> frames;
  std::optional<int> exitCode;      // the game's own result
  std::optional<uint32_t> endTick;  // set when the script's end (or crash) time stopped it
  bool crashed = false;             // the stop was the script's crash
  // Set when the frame limit stopped it: the screen whose frame would have begun.
  std::optional<std::string> limitScreen;
  // With recordSound: the mix from T = 0 to the end of the run, 48 samples a millisecond.
  std::vector<int16_t> sound;
};

// Runs the game's entry point in the current working directory against `script`.
ReplayRun RunReplay(const plat::VirtualScript& script, const ReplayOptions& options = {});
