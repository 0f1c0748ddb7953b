// The game program's own options, read before anything else: how to show the picture, booth mode,
// the controllers' mapping screen instead of the game, and help. A bad command line is told in one
// line, and the program ends with 2 before any window opens.
#pragma once

#include <optional>
#include <string>

enum class PictureMode { FullScreen, Window };
enum class PictureScale { Fill, Whole };

struct CommandLine {
  enum Action { Play, MapControls, Help, Bad } action = Play;
  PictureMode mode = PictureMode::FullScreen;
  PictureScale scale = PictureScale::Fill;
  bool booth = false;         // Q and ESC act only when held: passed on to the game
  std::optional<bool> sound;  // --sound on|off: over the settings file, for this run
  std::string problem;        // Bad: the one line to show, in the operator's language
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// The help, in the operator's language.
const char* GameHelp();

// The exit status of a bad command line.
inline constexpr int kBadCommandLine = 2;
