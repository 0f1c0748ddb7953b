// WAV files: the replacement sounds an operator may put in the data folder, and the mix the
// replay writes. One reader and one writer of the format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Why a file is not a sound the game can play.
enum class WavProblem {
  None,
  NotWave,      // not a RIFF WAVE file, or cut short
  Unsupported,  // not plain PCM of 8 or 16 bits, 1 or 2 channels, 8,000 to 192,000 Hz
  NoSamples,    // no sample at all
  TooLong,      // longer than kMaxWavSeconds
};
inline constexpr int kMaxWavSeconds = 10;

// Decodes a RIFF WAVE file of PCM samples into 48 kHz mono 16-bit samples (channels averaged,
// other rates resampled linearly, all in integers).
WavProblem DecodeWav(std::string_view bytes, std::vector<int16_t>& samples);

// A RIFF WAVE file of 48 kHz mono 16-bit samples, little-endian whatever the machine.
std::string EncodeWav(const std::vector<int16_t>& samples);

}  // namespace plat
