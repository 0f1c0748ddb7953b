// present_probe [FRAMES]: times presenting a frame on the real window, the way the game does it
// (SdlSystem::Present: palette conversion, enlargement, and the window update), at 30 frames a
// second, and prints the median, the 90th percentile and the longest in milliseconds. For the
// Windows figures measured under Wine (scripts/windows/perf.sh); not part of the game.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/sdl/SdlSystem.h"

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
  plat::SdlSystem system(plat::ScreenMode::FullScreen);
  if (!system.CreateWindow("KavrelProbe", "KavrelProbe",
                           [](plat::System&, const plat::Message&) -> long { return 0; }))
    return 1;
  system.ShowWindow();

  std::array<plat::PaletteEntry, 256> palette{};
  for (int i = 0; i < 256; ++i)
    palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                  static_cast<uint8_t>(i * 7), 0};
  std::vector<uint8_t> pixels(plat::kFrameWidth * plat::kFrameHeight);
  std::vector<double> ms;
  for (int n = 0; n < frames; ++n) {
    const uint32_t start = system.GetTickCount();
    for (int y = 0; y < plat::kFrameHeight; ++y)
      for (int x = 0; x < plat::kFrameWidth; ++x)
        pixels[y * plat::kFrameWidth + x] = static_cast<uint8_t>(x / 16 + y / 16 + n);
    const auto t0 = std::chrono::steady_clock::now();
    system.Present(pixels.data(), plat::kFrameWidth, palette.data());
    const auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    system.PeekMessage();
    while (system.GetTickCount() - start < 33) system.Idle(1);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("present: median %.3f ms, 90th percentile %.3f ms, longest %.3f ms over %d frames\n",
              ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back(), frames);
  return 0;
}
