// The game's sound as the replay mixes it: every winding press and every bounce heard from the
// frame that saw it, the attract screen silent, `--sound off` silent with the same trace; the
// operator's settings file and replacement sounds.
#include "app/Sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/Sounds.h"
#include "platform/ShiftJis.h"
#include "platform/VirtualSystem.h"
#include "platform/WavFile.h"
#include "store/SettingsFile.h"
#include "tests/support/Scenario.h"

namespace {

constexpr size_t kPerMs = plat::kSoundRate / 1000;

int Peak(const std::vector<int16_t>& s, size_t from, size_t to) {
  int peak = 0;
  for (size_t i = from; i < to && i < s.size(); ++i) peak = std::max(peak, std::abs(int{s[i]}));
  return peak;
}

// A sound starts at `ms`: its first 10 ms clearly louder than the 10 ms before.
bool OnsetAt(const std::vector<int16_t>& s, uint32_t ms) {
  const size_t at = ms * kPerMs;
  return Peak(s, at, at + 10 * kPerMs) > 2 * Peak(s, at - 10 * kPerMs, at) + 200;
}

ReplayRun PlayHeard(const std::string& script, std::optional<bool> sound = std::nullopt) {
  ReplayOptions options;
  options.recordSound = true;
  options.sound = sound;
  return Play(script, options);
}

TEST(Sound, PressesAndBouncesAreHeardFromTheirFrameAndTheAttractScreenIsSilent) {
  ScratchDir dir;
  const ReplayRun run = PlayHeard(WholePassScript());
  ASSERT_TRUE(run.endTick.has_value());
  EXPECT_EQ(run.sound.size(), *run.endTick * kPerMs);

  for (const FrameRecord* f : Frames(run, "attract")) {
    if (f->shown) {
      EXPECT_EQ(Peak(run.sound, f->tick * kPerMs, (f->tick + 33) * kPerMs), 0) << f->n;
    }
  }
  // A press counts when the key due is seen down; the sound starts with that frame.
  int presses = 0;
  const std::vector<const FrameRecord*> windup = Frames(run, "windup");
  for (size_t i = 1; i < windup.size(); ++i) {
    if (windup[i]->state.car.nextKey == windup[i - 1]->state.car.nextKey) continue;
    ++presses;
    EXPECT_TRUE(OnsetAt(run.sound, windup[i]->tick)) << "press in frame " << windup[i]->n;
  }
  EXPECT_GE(presses, 10);
  // One sound for each bounce the trace shows (its "hit=" readout), and none between them but
  // the ball's release in the first frame.
  int bounces = 0;
  const std::vector<const FrameRecord*> ball = Frames(run, "ball");
  for (size_t i = 0; i < ball.size(); ++i) {
    const bool bounce = FindTextContaining(*ball[i], "hit=") != nullptr;
    bounces += bounce;
    EXPECT_EQ(OnsetAt(run.sound, ball[i]->tick), bounce || i == 0) << "frame " << ball[i]->n;
  }
  EXPECT_EQ(bounces, 4);
}

// The samples of a WAV file the replay wrote (its 44-byte header as the one writer makes it).
std::vector<int16_t> Samples(const std::string& wav) {
  std::vector<int16_t> samples;
  for (size_t i = 44; i + 1 < wav.size(); i += 2)
    samples.push_back(
        static_cast<int16_t>(static_cast<uint8_t>(wav[i]) | static_cast<uint8_t>(wav[i + 1]) << 8));
  return samples;
}

TEST(Sound, OffIsSilenceAndNeitherOptionChangesTheTrace) {
  // Each run in a fresh folder: a finished pass leaves recovery copies for the next start.
  const auto replay = [](const std::string& options, std::string* wav = nullptr) {
    ScratchDir dir;
    dir.Write("s.txt", WholePassScript());
    EXPECT_EQ(RunReplayTool("s.txt --trace t.jsonl " + options), 3) << options;
    if (wav) *wav = dir.Read("m.wav").value_or("");
    return dir.Read("t.jsonl").value_or("");
  };
  std::string on, off;
  const std::string trace = replay("");
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(replay("--wav m.wav", &on), trace);
  EXPECT_EQ(replay("--wav m.wav --sound off", &off), trace);

  // From 0 to the run's end, where its last frame ended.
  const size_t end = trace.rfind("{\"ev\":\"end\",\"tick\":");
  ASSERT_NE(end, std::string::npos);
  const std::vector<int16_t> heard = Samples(on);
  EXPECT_EQ(heard.size(), std::stoul(trace.substr(end + 19)) * kPerMs);
  EXPECT_EQ(Samples(off).size(), heard.size());
  EXPECT_GT(Peak(heard, 0, heard.size()), 1000);
  EXPECT_EQ(Peak(Samples(off), 0, heard.size()), 0);
  // The bytes are those of the one writer of the format.
  EXPECT_EQ(on, plat::EncodeWav(heard));
  ScratchDir dir;
  dir.Write("s.txt", "end 100\n");
  EXPECT_EQ(RunReplayTool("s.txt --sound loud"), 2);
}

// Frames begin every 30 ms on the wind-up screen after SPACE at 100: a press at 300 is heard.
const char* kOnePress = "tap 100 SPACE 50\ntap 290 NUMPAD1 40\nend 800\n";

TEST(Sound, TheSettingsFileAndTheCommandLine) {
  const std::string badLines = "kv_settings.txt の 2、3 行目が読めません";
  struct Case {
    const char* what;
    const char* file;  // nullptr: none; "/": a folder in its place
    std::optional<bool> option;
    bool heard;
    std::string box;  // a part of the one box after the start-up box; empty: no box
  } cases[] = {
      {"no file", nullptr, std::nullopt, true, ""},
      {"sound off", "sound = off\n", std::nullopt, false, ""},
      {"off, on for this run", "\xEF\xBB\xBFsound=off\r\n", true, true, ""},
      {"on, off for this run", "sound = on\n", false, false, ""},
      {"volume 0", "# quiet\nvolume = 0\ncall = on\n", std::nullopt, false, ""},
      {"bad lines", "volume = 7\nvolume = 11\nsound = maybe\n", std::nullopt, true, badLines},
      {"a folder", "/", std::nullopt, true, "kv_settings.txt が読めません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    if (c.file && std::string(c.file) == "/") {
      std::filesystem::create_directory(dir.PathOf(kSettingsFileName));
    } else if (c.file) {
      dir.Write(kSettingsFileName, c.file);
    }
    const ReplayRun run = PlayHeard(kOnePress, c.option);
    EXPECT_EQ(Peak(run.sound, 0, run.sound.size()) > 0, c.heard);
    ASSERT_EQ(run.messageBoxes.size(), c.box.empty() ? 1u : 2u);
    if (!c.box.empty()) {
      EXPECT_NE(SjisToUtf8(run.messageBoxes[1].text).find(c.box), std::string::npos);
    }
    // The game reads the file; it never writes it by itself.
    EXPECT_EQ(dir.Exists(kSettingsFileName), c.file != nullptr);
  }
  // Booth mode's call, when turned on: every three minutes on the attract screen; never without
  // booth mode.
  for (const bool booth : {true, false}) {
    ScratchDir dir;
    dir.Write(kSettingsFileName, "call = on\n");
    ReplayOptions options;
    options.recordSound = true;
    options.booth = booth;
    const ReplayRun run = Play("end 200000\n", options);
    EXPECT_EQ(Peak(run.sound, 0, kCallEveryMs * kPerMs), 0);
    EXPECT_EQ(Peak(run.sound, kCallEveryMs * kPerMs, run.sound.size()) > 0, booth);
  }
  // The one format: what is written reads back the same.
  const SoundSettings s{3, false, true};
  const SettingsRead back = ParseSettings(FormatSettings(s));
  EXPECT_TRUE(back.badLines.empty());
  EXPECT_EQ(back.settings.volume, 3);
  EXPECT_FALSE(back.settings.sound);
  EXPECT_TRUE(back.settings.call);
}

// What the operator's screen calls: heard at once, and kept in the settings file only on Save.
TEST(Sound, TheOperatorsChangesAreHeardAtOnceAndSaved) {
  ScratchDir dir;
  plat::VirtualSystem system{plat::VirtualScript{}};
  system.RecordSound();
  SoundBoard board;
  StartSound(system, board);
  const auto bounceFor100Ms = [&] {
    const size_t from = system.Now() * kPerMs;
    system.PlaySound({plat::SoundCue::Play, static_cast<uint8_t>(Sfx::Bounce)});
    system.Advance(100);
    return Peak(system.Recording(), from, system.Now() * kPerMs);
  };
  const int atSix = bounceFor100Ms();
  board.SetVolume(10);
  EXPECT_GT(bounceFor100Ms(), atSix * 2);
  board.SetSoundOn(false);
  EXPECT_EQ(bounceFor100Ms(), 0);
  board.SetSoundOn(true);
  EXPECT_GT(bounceFor100Ms(), 0);
  EXPECT_FALSE(dir.Exists(kSettingsFileName));
  board.SetVolume(12);
  board.SetCall(true);
  int error = -1;
  ASSERT_TRUE(board.Save(error));
  EXPECT_EQ(error, 0);
  const SettingsRead saved = ParseSettings(dir.Read(kSettingsFileName).value_or(""));
  EXPECT_TRUE(saved.badLines.empty());
  EXPECT_EQ(saved.settings.volume, 10);
  EXPECT_TRUE(saved.settings.sound);
  EXPECT_TRUE(saved.settings.call);
}

TEST(Sound, AReplacementFileIsPlayedAndABrokenOneToldOnce) {
  ScratchDir dir;
  // 0.2 s of a constant level at 24 kHz in place of the bounce; two files that cannot serve.
  std::vector<int16_t> level(4800, 10000);
  std::string bytes = plat::EncodeWav(level);
  bytes.replace(24, 4, std::string("\xC0\x5D\x00\x00", 4));  // 24,000 Hz
  dir.Write("kv_se_bounce.wav", bytes);
  dir.Write("kv_se_wind.wav", "RIFF\x04\x00\x00\x00WAVE");
  std::filesystem::create_directory(dir.PathOf("kv_se_launch.wav"));
  const ReplayRun run = PlayHeard(WholePassScript());
  ASSERT_EQ(run.messageBoxes.size(), 2u);
  const std::string box = SjisToUtf8(run.messageBoxes[1].text);
  EXPECT_NE(box.find("kv_se_wind.wav が使えません"), std::string::npos) << box;
  EXPECT_NE(box.find("kv_se_launch.wav が使えません"), std::string::npos) << box;
  EXPECT_EQ(box.find("bounce"), std::string::npos) << box;
  // The first bounce (an impact of 27, full gain) plays the file's level at the default volume.
  const FrameRecord* first = nullptr;
  for (const FrameRecord* f : Frames(run, "ball"))
    if (!first && FindTextContaining(*f, "hit=")) first = f;
  ASSERT_NE(first, nullptr);
  const size_t at = first->tick * kPerMs;
  const int expected = 10000 * plat::VolumeGain(plat::kDefaultVolume) / plat::kUnityGain;
  EXPECT_EQ(run.sound[at + 100], expected);
  EXPECT_EQ(run.sound[at + 9000], expected);  // 0.19 s in: the file is 0.2 s long
  EXPECT_EQ(run.sound[at + 9700], 0);
}

}  // namespace
