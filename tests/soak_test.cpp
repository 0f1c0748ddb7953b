// A long day at the booth in one run: many challengers, each playing every screen with keys that
// vary from one to the next, then Q. Memory must stay flat, the ranking in order at every frame,
// and the files saved at the end must hold the last state.
//
// KAVREL_SOAK_CHALLENGERS sets the number of challengers (default 30; the sanitizer run uses 500).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "store/DataFiles.h"
#include "tests/support/Scenario.h"

#if defined(__SANITIZE_ADDRESS__)
#define KAVREL_ASAN 1
// From the sanitizer's run-time library (its header does not come with every compiler).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

long ResidentBytes() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * ::sysconf(_SC_PAGESIZE);
}

// What the game holds: the resident size, except under the address sanitizer, whose quarantine of
// freed blocks (up to 256 MB) swells the resident size; there, the bytes held by live blocks.
#ifdef KAVREL_ASAN
constexpr const char* kHeldName = "heap in use";
#else
constexpr const char* kHeldName = "resident";
#endif
long HeldBytes() {
#ifdef KAVREL_ASAN
  return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
  return ResidentBytes();
#endif
}

// Writes the script of a day with `challengers` passes. Every pass is laid out on its own
// timetable with room to spare: a key meant for one screen that arrives early or late lands on a
// screen that ignores it, so no pass can fall out of step with the script.
class SoakScript {
 public:
  explicit SoakScript(unsigned seed) : random_(seed) {}

  std::vector<long> passStarts;  // when each pass's SPACE is pressed

  std::string Day(int challengers) {
    Line("time", 20240601);
    t_ = 1000;
    for (int i = 0; i < challengers; ++i) Pass();
    Tap(t_, "Q", 50);
    Line("end", t_ + 20000);  // a safety net: a day out of step ends here instead of hanging
    return out_;
  }

 private:
  int Draw(int low, int high) {  // low..high inclusive
    return low + static_cast<int>(random_() % static_cast<unsigned>(high - low + 1));
  }

  void Line(const char* word, long a) {
    out_ += std::string(word) + " " + std::to_string(a) + "\n";
  }
  void Tap(long at, const char* key, int length) {
    out_ += "tap " + std::to_string(at) + " " + key + " " + std::to_string(length) + "\n";
  }

  void Pass() {
    const long start = t_;
    passStarts.push_back(start);
    Tap(start, "SPACE", 100);  // leaves the attract screen

    // Winding: alternate keys at a varied pace, now and then the same key twice.
    const int taps = Draw(4, 40);
    const int pace = Draw(65, 140);
    long t = start + 300;
    bool second = false;
    for (int k = 0; k < taps; ++k, t += pace) {
      if (Draw(0, 9) != 0) second = !second;
      Tap(t, second ? "NUMPAD2" : "NUMPAD1", pace / 2);
    }

    // RETURN launches and is held through the run, the stand-by and the ball, so each of those
    // ends as soon as it can; SPACE presses, timed at random, try for higher bounces.
    const long launch = t + Draw(0, 600);
    out_ += "down " + std::to_string(launch) + " RETURN\n";
    const int presses = Draw(0, 8);
    for (int k = 0; k < presses; ++k) Tap(launch + Draw(6000, 19000), "SPACE", Draw(30, 120));
    const long release = launch + kHold;
    out_ += "up " + std::to_string(release) + " RETURN\n";

    // The results, if still up: SPACE shows all at once, a second press ends the screen.
    Tap(release + 200, "SPACE", 60);
    Tap(release + 500, "SPACE", 60);

    // The name: each place turned by a few steps either way, sometimes taken back with DOWN.
    t = release + 1200;
    for (int place = 0; place < 8; ++place) {
      const int steps = Draw(0, 4);
      const char* way = Draw(0, 1) ? "LEFT" : "RIGHT";
      for (int k = 0; k < steps; ++k, t += 160) Tap(t, way, 20);
      Tap(t += 100, "RETURN", 20);
      t += 200;
      if (Draw(0, 9) == 0) {
        Tap(t, "DOWN", 20);
        Tap(t += 200, "RETURN", 20);
        t += 200;
      }
    }
    Tap(t += 300, "RETURN", 20);  // accept the name

    Tap(t += 700, "SPACE", 40);   // leave the ranking
    Tap(t += 700, "RETURN", 40);  // leave the farewell
    t_ = t + 700;
  }

  // Launch to the ball at rest takes up to about 25 s (a long run, the full stand-by, a long
  // bounce). By the release the results have begun, or have already given way to the name.
  static constexpr long kHold = 30000;

  std::mt19937 random_;
  std::string out_;
  long t_ = 0;
};

TEST(Soak, ManyChallengersInOneRun) {
  const char* env = std::getenv("KAVREL_SOAK_CHALLENGERS");
  const int challengers = env ? std::atoi(env) : 30;
  ASSERT_GE(challengers, 12);

  ScratchDir dir;
  std::vector<long> heldAtAttract;  // one sample as each attract screen begins
  std::vector<std::string> visits;
  std::vector<uint32_t> visitTicks;
  int misordered = -1;
  FrameRecord last;

  ReplayOptions options;
  options.keepFrames = false;
  options.frameLimit = 5000 * challengers;  // a pass takes about 3000 frames
  options.onFrameBegin = [&](int, const char* screen) {
    if (visits.empty() || visits.back() != screen) {
      visits.emplace_back(screen);
      visitTicks.push_back(0);
      if (visits.back() == "attract") heldAtAttract.push_back(HeldBytes());
    }
  };
  options.onFrame = [&](const FrameRecord& frame) {
    for (size_t i = 1; i < frame.state.ranking.size(); ++i) {
      if (frame.state.ranking[i - 1].score < frame.state.ranking[i].score && misordered < 0) {
        misordered = frame.n;
      }
    }
    if (!visitTicks.empty() && visitTicks.back() == 0) visitTicks.back() = frame.tick;
    last = frame;
  };

  const auto began = std::chrono::steady_clock::now();
  SoakScript script(7);
  const ReplayRun run = Play(script.Day(challengers), options);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

  EXPECT_EQ(run.exitCode, 0) << "the day ended at tick " << run.endTick.value_or(0);
  EXPECT_EQ(misordered, -1) << "ranking out of order in frame " << misordered;

  // Every pass went through every screen, in order.
  const std::vector<std::string> pass = {"attract", "windup", "run",     "standby", "ball",
                                         "results", "name",   "ranking", "farewell"};
  for (size_t i = 0; i < visits.size(); ++i) {
    ASSERT_EQ(visits[i], pass[i % pass.size()])
        << "visit " << i << " at tick " << visitTicks[i] << " of pass " << i / pass.size();
  }
  // Each attract screen is up before the pass's SPACE: the game keeps step with the script.
  for (size_t i = 0; i * pass.size() < visits.size() && i < script.passStarts.size(); ++i) {
    ASSERT_LE(visitTicks[i * pass.size()], script.passStarts[i]) << "pass " << i;
  }
  ASSERT_EQ(visits.size(), pass.size() * challengers + 1);
  // The quit frame's record is written before leaving the attract screen counts it.
  GameState saved = last.state;
  ++saved.challengerNumber;
  EXPECT_EQ(saved.challengerNumber, challengers + 2);

  // Memory is flat once the caches are warm: from the 10th challenger to the last.
  ASSERT_EQ(heldAtAttract.size(), static_cast<size_t>(challengers) + 1);
  const long at10 = heldAtAttract[9];
  const long atEnd = heldAtAttract.back();
  const long atHalf = heldAtAttract[heldAtAttract.size() / 2];
  std::printf(
      "soak: %d challengers in %.1f s; %s at challenger 10: %ld KiB, at %zu: %ld KiB, "
      "at %d: %ld KiB; resident at the end: %ld KiB\n",
      challengers, seconds, kHeldName, at10 / 1024, heldAtAttract.size() / 2, atHalf / 1024,
      challengers, atEnd / 1024, ResidentBytes() / 1024);
  EXPECT_LT(atEnd - at10, 1 << 20);

  // Both files hold the last state.
  EXPECT_EQ(dir.Read(kRecordFileName), FormatRecordFile(saved));
  EXPECT_EQ(dir.Read(kRankingFileName), FormatRankingFile(last.state.ranking));
  GameState back;
  ReadRecordFile(back);
  ReadRankingTable(back);
  EXPECT_NEAR(back.bestDistance, last.state.bestDistance, 5e-7);
  EXPECT_NEAR(back.bestBounce, last.state.bestBounce, 5e-7);
  EXPECT_EQ(back.challengerNumber, saved.challengerNumber);
  for (size_t i = 0; i < back.ranking.size(); ++i) {
    EXPECT_EQ(back.ranking[i].score, last.state.ranking[i].score);
    EXPECT_EQ(back.ranking[i].name, last.state.ranking[i].name);
  }
}

}  // namespace
