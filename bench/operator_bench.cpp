// What the operator's screen costs with a season's play log (100,000 passes, all of them today):
// the day's numbers as its first page computes them, and a minute of its frames on that page
// (opened by RETURN, then left alone until the idle minute takes it back), drawn as the game
// draws them.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/OperatorDesk.h"
#include "app/OperatorScreen.h"
#include "game/Session.h"
#include "platform/LocalTime.h"
#include "platform/VirtualSystem.h"
#include "store/PlayLogFormat.h"
#include "store/Recovery.h"
#include "upkeep/Report.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kPlays = 100000;

class Quiet : public ranking::Output {
 public:
  void Line(const std::string&) override {}
  void Problem(const std::string&) override {}
};

// Removed again when the benchmark ends.
struct ScratchFolder {
  fs::path dir = fs::temp_directory_path() / ("kavrel-bench-" + std::to_string(getpid()));
  ~ScratchFolder() {
    std::error_code ec;
    fs::current_path(fs::temp_directory_path(), ec);
    fs::remove_all(dir, ec);
  }
};

// A scratch data folder holding the season's log, the working directory from then on.
const std::string& Season() {
  static const ScratchFolder folder;
  static const std::string today = [] {
    const fs::path& dir = folder.dir;
    fs::create_directories(dir);
    fs::current_path(dir);
    const std::string date = DateText(ToLocalTime(0));
    std::ofstream log(kPlayLogFileName, std::ios::binary);
    log << PlayLogHead();
    for (size_t i = 0; i < kPlays; ++i) {
      char line[128];
      std::snprintf(line, sizeof line,
                    "%s,%02zu:%02zu:00,+09:00,%zu,1234.500000,2011.250000,%zu,C,PLAYER%02zu,\r\n",
                    date.c_str(), 9 + i % 8, i % 60, i + 1, i % 130, i % 100);
      log << line;
    }
    return date;
  }();
  return today;
}

void BM_DayNumbers(benchmark::State& st) {
  ranking::ReportRequest request;
  request.date = Season();
  Quiet out;
  for (auto _ : st) benchmark::DoNotOptimize(ranking::Report(out, request, fs::current_path()));
}
BENCHMARK(BM_DayNumbers)->Unit(benchmark::kMillisecond);

// 60 s of 33 ms frames after the RETURN at 100 ms: 1,819 frames and one computation of the
// numbers; scripts/bench.sh takes the frames' share.
void BM_OperatorMinute(benchmark::State& st) {
  Season();
  const std::string sheet = std::string(KAVREL_SOURCE_DIR) + "/assets/kavrel.bmp";
  for (auto _ : st) {
    plat::VirtualScript script;
    script.keys = {{100, plat::VK_RETURN, true}, {150, plat::VK_RETURN, false}};
    plat::VirtualSystem system(script);
    Session session(system);
    session.LoadSpriteSheet(sheet.c_str());
    RecoveryCopies copies;
    const StartUpReads reads;
    const std::vector<StartUpNotice> notices;
    OperatorDesk desk(session.game, reads, copies, notices);
    benchmark::DoNotOptimize(OperatorScreen(session.game, desk));
  }
}
BENCHMARK(BM_OperatorMinute)->Unit(benchmark::kMillisecond);

}  // namespace
