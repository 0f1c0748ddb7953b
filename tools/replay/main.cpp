// kavrel-replay SCRIPT [--trace FILE] [--png DIR] [--png-frames LIST] [--booth] [--wav FILE]
//                [--sound on|off]
//
// Plays the game headless from a script in the current directory. Exit status: the game's own
// result, 3 when the script's end time stopped it, 6 when its crash time killed it, 2 for a bad
// command line or script, 4 when the trace, a PNG file or the WAV file could not be written.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/WavFile.h"
#include "tools/replay/PngFrames.h"
#include "tools/replay/Replay.h"
#include "tools/replay/Trace.h"
#ifdef _WIN32
#include "platform/win/WinHost.h"
#endif

namespace {

constexpr int kBadUsage = 2;
constexpr int kStoppedAtEnd = 3;
constexpr int kOutputFailed = 4;
constexpr int kCrashed = 6;
constexpr const char* kUsage =
    "usage: kavrel-replay SCRIPT [--trace FILE] [--png DIR] [--png-frames LIST] [--booth]"
    " [--drive DIR]... [--wav FILE] [--sound on|off]";

struct Arguments {
  std::string script;
  std::optional<std::string> trace;
  std::optional<std::string> pngDir;
  std::optional<std::string> pngFrames;
  std::optional<std::string> wav;
  std::optional<std::string> sound;
  bool booth = false;
  std::vector<std::string> drives;  // --drive, in the order given
};

int Fail(int code, const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  return code;
}

// nullopt (with `error`) when the command line is bad.
std::optional<Arguments> ParseArguments(int argc, char** argv, std::string& error) {
  Arguments args;
  bool haveScript = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::optional<std::string>* option = nullptr;
    if (arg == "--trace") option = &args.trace;
    if (arg == "--png") option = &args.pngDir;
    if (arg == "--png-frames") option = &args.pngFrames;
    if (arg == "--wav") option = &args.wav;
    if (arg == "--sound") option = &args.sound;
    if (arg == "--drive") {
      if (i + 1 >= argc) {
        error = arg + " needs a value; " + kUsage;
        return std::nullopt;
      }
      args.drives.push_back(argv[++i]);
    } else if (arg == "--booth") {
      args.booth = true;
    } else if (option) {
      if (i + 1 >= argc) {
        error = arg + " needs a value; " + kUsage;
        return std::nullopt;
      }
      *option = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg + "; " + kUsage;
      return std::nullopt;
    } else if (haveScript) {
      error = "more than one script given; " + std::string(kUsage);
      return std::nullopt;
    } else {
      args.script = arg;
      haveScript = true;
    }
  }
  if (!haveScript) {
    error = "no script given; " + std::string(kUsage);
    return std::nullopt;
  }
  if (args.sound && *args.sound != "on" && *args.sound != "off") {
    error = "--sound takes on or off; " + std::string(kUsage);
    return std::nullopt;
  }
  if (args.pngFrames && !args.pngDir) {
    error = "--png-frames needs --png DIR";
    return std::nullopt;
  }
  return args;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return bytes.str();
}

// A --drive folder as the operator's screen offers it: named by its last part, at its full path.
plat::Drive DriveOf(std::string dir) {
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  const size_t slash = dir.find_last_of("/\\");
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(std::filesystem::u8path(dir), ec);
  const std::u8string path = (ec ? std::filesystem::u8path(dir) : full).u8string();
  return {slash == std::string::npos ? dir : dir.substr(slash + 1),
          std::string(path.begin(), path.end())};
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  plat::win::SetStandardStreamsBinary();  // a trace on standard output keeps its LF line ends
#endif
  std::string error;
  const std::optional<Arguments> args = ParseArguments(argc, argv, error);
  if (!args) return Fail(kBadUsage, "kavrel-replay: " + error);

  const std::optional<std::string> text = ReadFile(args->script);
  if (!text) return Fail(kBadUsage, "kavrel-replay: cannot read script " + args->script);
  const std::optional<plat::VirtualScript> script = ParseScript(*text, error);
  if (!script) return Fail(kBadUsage, error);

  std::optional<FrameList> frames;
  if (args->pngFrames) {
    frames = FrameList::Parse(*args->pngFrames, error);
    if (!frames) return Fail(kBadUsage, "kavrel-replay: --png-frames: " + error);
  }
  std::optional<PngFrameSaver> png;
  if (args->pngDir) {
    std::error_code ec;
    std::filesystem::create_directories(*args->pngDir, ec);
    if (ec || !std::filesystem::is_directory(*args->pngDir, ec)) {
      return Fail(kBadUsage, "kavrel-replay: cannot create directory " + *args->pngDir);
    }
    png.emplace(*args->pngDir, frames);
  }

  std::FILE* traceFile = nullptr;
  if (args->trace) {
    traceFile = *args->trace == "-" ? stdout : std::fopen(args->trace->c_str(), "wb");
    if (!traceFile) return Fail(kBadUsage, "kavrel-replay: cannot open trace " + *args->trace);
  }
  std::optional<TraceWriter> trace;
  if (traceFile) trace.emplace(traceFile);

  ReplayOptions options;
  options.keepFrames = false;
  options.booth = args->booth;
  options.recordSound = args->wav.has_value();
  if (args->sound) options.sound = *args->sound == "on";
  for (const std::string& dir : args->drives) options.drives.push_back(DriveOf(dir));
  if (trace) {
    options.onFrame = [&](const FrameRecord& frame) { trace->Frame(frame); };
    options.onMessageBox = [&](const MessageBoxRecord& box) { trace->MessageBox(box); };
  }
  if (png) {
    options.onFrameBegin = [&](int n, const char* screen) { png->FrameBegins(n, screen); };
    options.onPresent = [&](int n, const uint8_t* pixels, int pitch,
                            const plat::PaletteEntry* palette) {
      png->Presented(n, pixels, pitch, palette);
    };
  }

  const ReplayRun run = RunReplay(*script, options);
  const int code = run.exitCode ? *run.exitCode : kStoppedAtEnd;

  bool outputOk = true;
  if (trace) {
    if (run.exitCode) {
      trace->Exit(*run.exitCode);
    } else if (run.crashed) {
      trace->Crash(run.endTick.value_or(0));
    } else {
      trace->End(run.endTick.value_or(0));
    }
    if (!trace->Flush()) {
      outputOk = false;
      std::fprintf(stderr, "kavrel-replay: cannot write trace %s\n", args->trace->c_str());
    }
    trace.reset();
    if (traceFile != stdout && std::fclose(traceFile) != 0 && outputOk) {
      outputOk = false;
      std::fprintf(stderr, "kavrel-replay: cannot write trace %s\n", args->trace->c_str());
    }
  }
  if (png) {
    png->Finish();
    if (png->Failure()) {
      outputOk = false;
      std::fprintf(stderr, "kavrel-replay: cannot write %s\n", png->Failure()->c_str());
    }
  }
  if (args->wav) {
    // Written even after a crash: what was heard until then.
    std::FILE* wav = std::fopen(args->wav->c_str(), "wb");
    const std::string bytes = plat::EncodeWav(run.sound);
    const bool written = wav && std::fwrite(bytes.data(), 1, bytes.size(), wav) == bytes.size();
    if ((wav && std::fclose(wav) != 0) || !written) {
      outputOk = false;
      std::fprintf(stderr, "kavrel-replay: cannot write %s\n", args->wav->c_str());
    }
  }
  // A killed program runs nothing more: no destructor, no handler at exit.
  if (run.crashed) std::_Exit(outputOk ? kCrashed : kOutputFailed);
  return outputOk ? code : kOutputFailed;
}
