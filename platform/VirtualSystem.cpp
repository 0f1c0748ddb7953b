#include "platform/VirtualSystem.h"

#include <utility>

namespace plat {

VirtualSystem::VirtualSystem(VirtualScript script)
    : script_(std::move(script)),
      stallUsed_(script_.stalls.size(), false),
      escPosted_(script_.keys.size(), false),
      lastPoll_(256) {}

uint32_t VirtualSystem::GetTickCount() {
  return static_cast<uint32_t>(script_.startTick + now_);
}

void VirtualSystem::Idle(uint32_t ms) {
  // Time passes only while the game waits; a bare yield still moves the clock by one tick so that
  // a wait always ends at the first tick at which its period has passed.
  now_ += ms > 0 ? ms : 1;
}

int16_t VirtualSystem::GetAsyncKeyState(int vk) {
  if (vk < 0 || vk >= static_cast<int>(lastPoll_.size())) return 0;
  bool down = false;
  bool pressed = false;
  const std::optional<uint64_t> previous = lastPoll_[vk];
  for (const ScriptKeyEvent& ev : script_.keys) {
    if (ev.vk != vk || ev.time > now_) continue;
    down = ev.down;
    if (ev.down && (!previous || ev.time > *previous)) pressed = true;
  }
  lastPoll_[vk] = now_;
  uint16_t word = (down ? 0x8000u : 0u) | (pressed ? 1u : 0u);
  return static_cast<int16_t>(word);
}

void VirtualSystem::MessageBox(std::string_view text, std::string_view caption) {
  if (onMessageBox) onMessageBox(text, caption);
}

void VirtualSystem::Present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) {
  if (onPresent) onPresent(pixels, pitch, palette);
}

uint64_t VirtualSystem::TakeDueStalls() {
  uint64_t total = 0;
  for (size_t i = 0; i < script_.stalls.size(); ++i) {
    if (!stallUsed_[i] && now_ >= script_.stalls[i].time) {
      stallUsed_[i] = true;
      total += script_.stalls[i].duration;
    }
  }
  return total;
}

void VirtualSystem::PumpEvents() {
  for (size_t i = 0; i < script_.keys.size(); ++i) {
    const ScriptKeyEvent& ev = script_.keys[i];
    if (ev.vk == VK_ESCAPE && ev.down && !escPosted_[i] && ev.time <= now_) {
      escPosted_[i] = true;
      PostMessage({WM_KEYDOWN, VK_ESCAPE});
    }
  }
}

}  // namespace plat
