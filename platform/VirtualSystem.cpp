#include "platform/VirtualSystem.h"

#include <algorithm>
#include <utility>

namespace plat {

VirtualSystem::VirtualSystem(VirtualScript script)
    : script_(std::move(script)), stallUsed_(script_.stalls.size(), false), tracks_(kKeyCodes) {
  // A script built by hand may list its events out of time order; the key state is defined by
  // time, with the script's order deciding only among events at the same time.
  for (const ScriptKeyEvent& ev : script_.keys) {
    if (ev.vk < 0 || ev.vk >= kKeyCodes) continue;
    tracks_[ev.vk].events.push_back(ev);
    if (ev.vk == VK_ESCAPE && ev.down) escDowns_.push_back(ev.time);
  }
  const auto byTime = [](const ScriptKeyEvent& a, const ScriptKeyEvent& b) {
    return a.time < b.time;
  };
  for (KeyTrack& track : tracks_)
    std::stable_sort(track.events.begin(), track.events.end(), byTime);
  std::sort(escDowns_.begin(), escDowns_.end());
}

uint32_t VirtualSystem::GetTickCount() {
  return static_cast<uint32_t>(script_.startTick + now_);
}

void VirtualSystem::Idle(uint32_t ms) {
  // Time passes only while the game waits; a bare yield still moves the clock by one tick so that
  // a wait always ends at the first tick at which its period has passed.
  now_ += ms > 0 ? ms : 1;
}

void VirtualSystem::CatchUp(KeyTrack& track) {
  while (track.next < track.events.size() && track.events[track.next].time <= now_) {
    const ScriptKeyEvent& ev = track.events[track.next++];
    track.down = ev.down;
    if (ev.down) track.lastDownTime = ev.time;
  }
}

std::optional<uint32_t> VirtualSystem::KeyDownTick(int vk) {
  if (vk < 0 || vk >= kKeyCodes) return std::nullopt;
  KeyTrack& track = tracks_[vk];
  CatchUp(track);
  if (!track.down || !track.lastDownTime) return std::nullopt;
  return static_cast<uint32_t>(script_.startTick + *track.lastDownTime);
}

int16_t VirtualSystem::GetAsyncKeyState(int vk) {
  if (vk < 0 || vk >= kKeyCodes) return 0;
  KeyTrack& track = tracks_[vk];
  CatchUp(track);
  // Pressed since the previous poll: some down lies after it (and at or before now). Polls at the
  // same time see it once, since the second one's previous poll is now.
  const bool pressed =
      track.lastDownTime && (!track.lastPoll || *track.lastDownTime > *track.lastPoll);
  track.lastPoll = now_;
  const uint16_t word = (track.down ? 0x8000u : 0u) | (pressed ? 1u : 0u);
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
  while (escPosted_ < escDowns_.size() && escDowns_[escPosted_] <= now_) {
    ++escPosted_;
    PostMessage({WM_KEYDOWN, VK_ESCAPE});
  }
}

}  // namespace plat
