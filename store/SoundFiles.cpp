#include "store/SoundFiles.h"

#include "game/Sounds.h"
#include "store/DataFiles.h"

namespace {

// Ten seconds of 192 kHz stereo, with room for the headers.
constexpr size_t kMaxSoundFileBytes = 8 * 1024 * 1024;

}  // namespace

std::string SoundFileName(std::string_view name) {
  return "kv_se_" + std::string(name) + ".wav";
}

std::vector<SoundFileProblem> UseSoundFiles(plat::SoundBank& bank) {
  std::vector<SoundFileProblem> problems;
  for (int i = 0; i < kSfxCount && i < static_cast<int>(bank.size()); ++i) {
    const std::string file = SoundFileName(kSfxNames[i]);
    std::string bytes;
    const DataFileRead read = ReadDataFile(file.c_str(), bytes, kMaxSoundFileBytes);
    if (read.kind == DataFileRead::Absent) continue;
    if (read.kind == DataFileRead::Unreadable) {
      problems.push_back({file, read.error, plat::WavProblem::None});
      continue;
    }
    plat::SoundClip clip;
    const plat::WavProblem problem = plat::DecodeWav(bytes, clip.samples);
    if (problem != plat::WavProblem::None) {
      problems.push_back({file, 0, problem});
      continue;
    }
    bank[i] = std::move(clip);
  }
  return problems;
}
