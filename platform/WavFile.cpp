#include "platform/WavFile.h"

#include <algorithm>

#include "platform/Mixer.h"

namespace plat {
namespace {

uint32_t Le(std::string_view b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
  return v;
}

void PutLe(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct Format {
  uint32_t channels = 0, rate = 0, bits = 0;
  bool pcm = false;
};

}  // namespace

WavProblem DecodeWav(std::string_view bytes, std::vector<int16_t>& samples) {
  samples.clear();
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE")
    return WavProblem::NotWave;
  Format format;
  bool haveFormat = false;
  std::string_view data;
  bool haveData = false;
  // The chunks one after another, each padded to an even length.
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string_view id = bytes.substr(at, 4);
    const uint64_t size = Le(bytes, at + 4, 4);
    const size_t body = at + 8;
    if (id == "fmt ") {
      if (size < 16 || body + 16 > bytes.size()) return WavProblem::NotWave;
      const uint32_t tag = Le(bytes, body, 2);
      // WAVE_FORMAT_EXTENSIBLE names its own tag in its sub-format.
      const bool extensible = tag == 0xFFFE && size >= 40 && body + 26 <= bytes.size();
      format.pcm = tag == 1 || (extensible && Le(bytes, body + 24, 2) == 1);
      format.channels = Le(bytes, body + 2, 2);
      format.rate = Le(bytes, body + 4, 4);
      format.bits = Le(bytes, body + 14, 2);
      haveFormat = true;
    } else if (id == "data") {
      // A data chunk cut short (a file copied in part) keeps what it has.
      data = bytes.substr(body, static_cast<size_t>(std::min<uint64_t>(size, bytes.size() - body)));
      haveData = true;
      break;
    }
    at = body + static_cast<size_t>(std::min<uint64_t>(size + (size & 1), bytes.size()));
  }
  if (!haveFormat || !haveData) return WavProblem::NotWave;
  if (!format.pcm || (format.bits != 8 && format.bits != 16) || format.channels < 1 ||
      format.channels > 2 || format.rate < 8000 || format.rate > 192000)
    return WavProblem::Unsupported;
  const size_t frameBytes = format.channels * format.bits / 8;
  const uint64_t frames = data.size() / frameBytes;
  if (frames == 0) return WavProblem::NoSamples;
  if (frames > uint64_t{kMaxWavSeconds} * format.rate) return WavProblem::TooLong;

  std::vector<int32_t> mono(frames);
  for (uint64_t f = 0; f < frames; ++f) {
    int32_t total = 0;
    for (uint32_t c = 0; c < format.channels; ++c) {
      const size_t at = f * frameBytes + c * format.bits / 8;
      total += format.bits == 8 ? (static_cast<int32_t>(Le(data, at, 1)) - 128) * 256
                                : static_cast<int16_t>(Le(data, at, 2));
    }
    mono[f] = total / static_cast<int32_t>(format.channels);
  }
  // Output sample k lies at k * rate / 48000 input samples: between two of them, linearly.
  const uint64_t count = frames * kSoundRate / format.rate;
  samples.resize(count > 0 ? count : 1);
  for (uint64_t k = 0; k < samples.size(); ++k) {
    const uint64_t position = k * format.rate;  // in 48000ths of an input sample
    const uint64_t i = position / kSoundRate;
    const int64_t fraction = static_cast<int64_t>(position % kSoundRate);
    const int64_t a = mono[i];
    const int64_t b = i + 1 < frames ? mono[i + 1] : a;
    samples[k] = static_cast<int16_t>(a + (b - a) * fraction / kSoundRate);
  }
  return WavProblem::None;
}

std::string EncodeWav(const std::vector<int16_t>& samples) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::string out;
  out.reserve(44 + dataBytes);
  out += "RIFF";
  PutLe(out, 36 + dataBytes, 4);
  out += "WAVEfmt ";
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, 1, 2);  // mono
  PutLe(out, kSoundRate, 4);
  PutLe(out, kSoundRate * 2, 4);
  PutLe(out, 2, 2);
  PutLe(out, 16, 2);
  out += "data";
  PutLe(out, dataBytes, 4);
  for (const int16_t s : samples) PutLe(out, static_cast<uint16_t>(s), 2);
  return out;
}

}  // namespace plat
