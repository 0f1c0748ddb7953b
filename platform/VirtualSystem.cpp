#include "platform/VirtualSystem.h"

#include <algorithm>
#include <utility>

namespace plat {

VirtualSystem::VirtualSystem(VirtualScript script)
    : script_(std::move(script)),
      stallUsed_(script_.stalls.size(), false),
      tracks_(kKeyCodes),
      padTracks_(kPadInputs),
      lastPoll_(kKeyCodes) {
  // A script built by hand may list its events out of time order; the key state is defined by
  // time, with the script's order deciding only among events at the same time.
  for (const ScriptKeyEvent& ev : script_.keys) {
    if (ev.vk < 0 || ev.vk >= kKeyCodes) continue;
    tracks_[ev.vk].events.push_back({ev.time, ev.down});
    if (ev.vk == VK_ESCAPE && ev.down) escDowns_.push_back(ev.time);
  }
  for (const ScriptPadEvent& ev : script_.pads) {
    const int index = PadInputIndex(ev.control);
    if (index >= 0) padTracks_[index].events.push_back({ev.time, ev.down});
  }
  const auto byTime = [](const Event& a, const Event& b) { return a.time < b.time; };
  for (std::vector<InputTrack>* tracks : {&tracks_, &padTracks_})
    for (InputTrack& track : *tracks)
      std::stable_sort(track.events.begin(), track.events.end(), byTime);
  std::sort(escDowns_.begin(), escDowns_.end());
  for (const ScriptKeyEvent& ev : script_.keys) inputTimes_.push_back(ev.time);
  for (const ScriptPadEvent& ev : script_.pads) inputTimes_.push_back(ev.time);
  std::sort(inputTimes_.begin(), inputTimes_.end());
  std::sort(script_.closes.begin(), script_.closes.end());
}

int VirtualSystem::PadInputIndex(const Control& control) {
  switch (control.kind) {
    case Control::Button:
      return control.number >= 1 && control.number <= kReplayPadButtons ? control.number - 1 : -1;
    case Control::HatLeft:
    case Control::HatRight:
    case Control::HatUp:
    case Control::HatDown:
      return kReplayPadButtons + (control.kind - Control::HatLeft);
    case Control::AxisMinus:
    case Control::AxisPlus:
      if (control.number < 1 || control.number > kReplayPadAxes) return -1;
      return kReplayPadButtons + 4 + 2 * (control.number - 1) +
             (control.kind == Control::AxisPlus ? 1 : 0);
    case Control::Key:
      return -1;  // the script's keyboard has only the game's own keys
  }
  return -1;
}

void VirtualSystem::InputTrack::CatchUp(uint64_t now) {
  while (next < events.size() && events[next].time <= now) {
    const Event& ev = events[next++];
    down = ev.down;
    if (ev.down) lastDownTime = ev.time;
  }
}

uint32_t VirtualSystem::GetTickCount() {
  return static_cast<uint32_t>(script_.startTick + now_);
}

void VirtualSystem::Idle(uint32_t ms) {
  // Time passes only while the game waits; a bare yield still moves the clock by one tick so that
  // a wait always ends at the first tick at which its period has passed.
  now_ += ms > 0 ? ms : 1;
}

// ESC and Q, the keys booth mode holds, are the keyboard's alone: only the key's own track.
std::optional<uint32_t> VirtualSystem::KeyDownTick(int vk) {
  if (vk < 0 || vk >= kKeyCodes) return std::nullopt;
  InputTrack& track = tracks_[vk];
  track.CatchUp(now_);
  if (!track.down || !track.lastDownTime) return std::nullopt;
  return static_cast<uint32_t>(script_.startTick + *track.lastDownTime);
}

std::optional<uint32_t> VirtualSystem::LastInputTick() {
  const auto after = std::upper_bound(inputTimes_.begin(), inputTimes_.end(), now_);
  if (after == inputTimes_.begin()) return std::nullopt;
  return static_cast<uint32_t>(script_.startTick + *std::prev(after));
}

int16_t VirtualSystem::GetAsyncKeyState(int vk) {
  if (vk < 0 || vk >= kKeyCodes) return 0;
  // The key's inputs: its own key, the main keyboard's digit for a keypad digit, and the pad's
  // controls bound to it. Down while any is down; pressed when any was.
  std::vector<InputTrack*> inputs = {&tracks_[vk]};
  if (vk == VK_NUMPAD1) inputs.push_back(&tracks_[VK_1]);
  if (vk == VK_NUMPAD2) inputs.push_back(&tracks_[VK_2]);
  for (const ControlBinding& binding : padBindings_) {
    const int index = binding.vk == vk ? PadInputIndex(binding.control) : -1;
    if (index >= 0) inputs.push_back(&padTracks_[index]);
  }
  const size_t keyboardInputs = vk == VK_NUMPAD1 || vk == VK_NUMPAD2 ? 2 : 1;
  std::optional<uint64_t>& lastPoll = lastPoll_[vk];
  // Pressed since the previous poll: some down lies after it (and at or before now). Polls at the
  // same time see it once, since the second one's previous poll is now.
  const auto since = [&](const std::optional<uint64_t>& time) {
    return time && (!lastPoll || *time > *lastPoll);
  };
  bool down = false;
  bool pressed = false;
  for (size_t i = 0; i < inputs.size(); ++i) {
    InputTrack* input = inputs[i];
    input->CatchUp(now_);
    down = down || input->down;
    const bool pressedNow = since(input->lastDownTime);
    pressed = pressed || pressedNow;
    // A controller's press shorter than a frame is seen down by the next poll, so that a quick
    // tap of an arcade button is never lost between frames; a keyboard key is read as it is.
    if (i >= keyboardInputs) down = down || pressedNow;
  }
  lastPoll = now_;
  const uint16_t word = (down ? 0x8000u : 0u) | (pressed ? 1u : 0u);
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
  while (closesTaken_ < script_.closes.size() && script_.closes[closesTaken_] <= now_) {
    ++closesTaken_;
    CloseRequested();
  }
  // As the real backend turns an end signal into the session's end.
  if (!termPosted_ && script_.term && *script_.term <= now_) {
    termPosted_ = true;
    PostMessage({WM_ENDSESSION, 1});
  }
}

void VirtualSystem::SetSounds(SoundBank bank) {
  MixUntilNow();
  mixer_.reset();
  sounds_ = std::move(bank);
  mixer_ = std::make_unique<Mixer>(sounds_);
  mixer_->Reset(volume_);
}

bool VirtualSystem::StartSound() {
  MixUntilNow();
  if (!soundOn_ && mixer_) mixer_->Reset(volume_);
  soundOn_ = true;
  return true;
}

void VirtualSystem::StopSound() {
  MixUntilNow();
  soundOn_ = false;
}

void VirtualSystem::PlaySound(const SoundCue& cue) {
  if (cue.kind == SoundCue::Volume) volume_ = cue.gain;
  if (!recording_ || !soundOn_ || !mixer_) return;
  MixUntilNow();
  if (!mixer_->Push(cue)) {
    mixer_->Mix(nullptr, 0);  // takes what waits, mixing nothing
    mixer_->Push(cue);
  }
}

void VirtualSystem::MixUntilNow() {
  if (!recording_) return;
  const uint64_t until = now_ * kSoundRate / 1000;
  if (until <= recorded_.size()) return;
  const size_t from = recorded_.size();
  recorded_.resize(until, 0);
  if (soundOn_ && mixer_) mixer_->Mix(recorded_.data() + from, static_cast<int>(until - from));
}

const std::vector<int16_t>& VirtualSystem::Recording() {
  MixUntilNow();
  return recorded_;
}

}  // namespace plat
