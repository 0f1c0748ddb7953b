// The mixer and the WAV reader on their own: which voices sound when more than 16 are asked for,
// how a held sound fades, the volume and clipping, and what files a replacement may be.
#include "platform/Mixer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/WavFile.h"

namespace {

// Clip i holds a constant level of 100 * (i + 1), a second long.
plat::SoundBank Levels(int clips) {
  plat::SoundBank bank(clips);
  for (int i = 0; i < clips; ++i) bank[i].samples.assign(plat::kSoundRate, 100 * (i + 1));
  return bank;
}

int16_t MixOne(plat::Mixer& mixer) {
  int16_t out = 0;
  mixer.Mix(&out, 1);
  return out;
}

TEST(Mixer, VoicesVolumeHeldSoundsAndClipping) {
  const plat::SoundBank bank = Levels(20);
  plat::Mixer mixer(bank);
  mixer.Reset(plat::kMaxVolume);  // unity: the sum is heard as it is
  // Seventeen sounds: the oldest gives its voice to the newest.
  for (int i = 0; i < 17; ++i) mixer.Push({plat::SoundCue::Play, static_cast<uint8_t>(i)});
  int expected = 0;
  for (int i = 1; i < 17; ++i) expected += 100 * (i + 1);
  EXPECT_EQ(MixOne(mixer), expected);

  // A held sound fades in a step a sample and is never taken over by a played one.
  mixer.Reset(plat::kMaxVolume);
  mixer.Push({plat::SoundCue::Hold, 19, plat::kUnityGain});
  EXPECT_EQ(MixOne(mixer), 0);
  std::vector<int16_t> out(300);
  mixer.Mix(out.data(), 300);
  EXPECT_EQ(out.back(), 2000);
  for (int i = 0; i < 20; ++i) mixer.Push({plat::SoundCue::Play, 0});
  EXPECT_EQ(MixOne(mixer), 2000 + 15 * 100);
  // Gain 0 fades it out, and its voice is free again.
  mixer.Push({plat::SoundCue::Silence});
  mixer.Push({plat::SoundCue::Hold, 19, plat::kUnityGain});
  mixer.Mix(out.data(), 300);
  mixer.Push({plat::SoundCue::Hold, 19, 0});
  mixer.Mix(out.data(), 300);
  EXPECT_EQ(out.back(), 0);

  // Volume 0 is silence; a loud sum is clipped, not wrapped.
  mixer.Push({plat::SoundCue::Volume, 0, 0});
  mixer.Push({plat::SoundCue::Play, 5});
  EXPECT_EQ(MixOne(mixer), 0);
  mixer.Push({plat::SoundCue::Volume, 0, plat::kMaxVolume});
  for (int i = 0; i < 16; ++i) mixer.Push({plat::SoundCue::Play, 19, 4 * plat::kUnityGain});
  EXPECT_EQ(MixOne(mixer), 32767);

  // Without a sound thread the queue fills; a full queue drops, it never blocks.
  plat::Mixer idle(bank);
  int taken = 0;
  for (int i = 0; i < 100; ++i) taken += idle.Push({plat::SoundCue::Play, 0});
  EXPECT_EQ(taken, 64);
}

// A WAV file's bytes: a format chunk, optional chunks before it, and the data.
std::string Wav(int tag, int channels, int rate, int bits, const std::string& data,
                const std::string& before = "") {
  const auto le = [](uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
    return s;
  };
  const std::string fmt = "fmt " + le(16, 4) + le(tag, 2) + le(channels, 2) + le(rate, 4) +
                          le(rate * channels * bits / 8, 4) + le(channels * bits / 8, 2) +
                          le(bits, 2);
  const std::string body = "WAVE" + before + fmt + "data" + le(data.size(), 4) + data;
  return "RIFF" + le(body.size(), 4) + body;
}

TEST(WavFile, WhatAReplacementMayBe) {
  using P = plat::WavProblem;
  const std::string stereo16 = std::string("\xE8\x03\xB8\x0B", 4);  // left 1000, right 3000
  const struct {
    const char* what;
    std::string bytes;
    P problem;
    size_t count;
    int16_t first;
  } cases[] = {
      {"8-bit mono", Wav(1, 1, 48000, 8, "\x90\x70"), P::None, 2, 16 * 256},
      {"16-bit stereo, averaged", Wav(1, 2, 48000, 16, stereo16), P::None, 1, 2000},
      {"24 kHz, twice as many", Wav(1, 2, 24000, 16, stereo16 + stereo16), P::None, 4, 2000},
      {"an odd chunk before",
       Wav(1, 2, 48000, 16, stereo16, "LIST" + std::string("\x03\0\0\0abc\0", 8)), P::None, 1,
       2000},
      {"24 bits", Wav(1, 1, 48000, 24, "abc"), P::Unsupported, 0, 0},
      {"floating point", Wav(3, 1, 48000, 16, "ab"), P::Unsupported, 0, 0},
      {"4 kHz", Wav(1, 1, 4000, 16, "ab"), P::Unsupported, 0, 0},
      {"no samples", Wav(1, 1, 48000, 16, ""), P::NoSamples, 0, 0},
      {"over 10 s", Wav(1, 1, 8000, 8, std::string(80001, '\x80')), P::TooLong, 0, 0},
      {"not RIFF", "RIFX" + Wav(1, 1, 48000, 16, "ab").substr(4), P::NotWave, 0, 0},
      {"no data chunk", Wav(1, 1, 48000, 16, "ab").substr(0, 36), P::NotWave, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<int16_t> samples;
    EXPECT_EQ(plat::DecodeWav(c.bytes, samples), c.problem);
    if (c.problem != P::None) continue;
    EXPECT_EQ(samples.size(), c.count);
    if (!samples.empty()) {
      EXPECT_EQ(samples[0], c.first);
    }
  }
  // What the replay writes reads back the same.
  const std::vector<int16_t> mix = {0, -32768, 32767, 12345};
  std::vector<int16_t> back;
  ASSERT_EQ(plat::DecodeWav(plat::EncodeWav(mix), back), P::None);
  EXPECT_EQ(back, mix);
}

}  // namespace
