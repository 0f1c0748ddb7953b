#include "platform/ControllerInputs.h"

#include <utility>

namespace plat {

void ControllerInputs::Attach(int id, ControlBindings bindings) {
  pads_[id] = Pad{std::move(bindings), {}, {}};
}

void ControllerInputs::Rebind(int id, ControlBindings bindings) {
  const auto it = pads_.find(id);
  if (it != pads_.end()) it->second.bindings = std::move(bindings);
}

void ControllerInputs::Detach(int id) {
  pads_.erase(id);
}

void ControllerInputs::Pressed(int id, const Pad& pad, const Control& control) {
  constexpr size_t kKeptPresses = 16;
  rawPresses_.emplace_back(id, control);
  if (rawPresses_.size() > kKeptPresses) rawPresses_.pop_front();
  for (const ControlBinding& binding : pad.bindings)
    if (binding.control == control) pressed_[binding.vk] = true;
}

void ControllerInputs::Change(int id, Pad& pad, const Control& control, SwitchState& state,
                              bool down, uint32_t now) {
  state.down = down;
  state.since = now;
  state.settling = true;
  if (down) Pressed(id, pad, control);
}

void ControllerInputs::Switch(int id, const Control& control, bool down, uint32_t now) {
  const auto it = pads_.find(id);
  if (it == pads_.end()) return;
  SwitchState& state = it->second.switches[Key(control)];
  state.raw = down;
  if (state.settling && now - state.since < kBounceMs) return;  // bounce: read again later
  state.settling = false;
  if (down != state.down) Change(id, it->second, control, state, down, now);
}

void ControllerInputs::Hat(int id, bool left, bool right, bool up, bool down, uint32_t now) {
  Switch(id, {Control::HatLeft, 0}, left, now);
  Switch(id, {Control::HatRight, 0}, right, now);
  Switch(id, {Control::HatUp, 0}, up, now);
  Switch(id, {Control::HatDown, 0}, down, now);
}

void ControllerInputs::Axis(int id, int number, int value) {
  const auto it = pads_.find(id);
  if (it == pads_.end()) return;
  AxisState& axis = it->second.axes[number];
  if (value > -kAxisRelease && value < kAxisRelease) axis.centred = true;
  if (!axis.centred) return;  // an axis that rests at one end is no press
  const bool minus = axis.minus ? value <= -kAxisRelease : value <= -kAxisPress;
  const bool plus = axis.plus ? value >= kAxisRelease : value >= kAxisPress;
  if (minus && !axis.minus) Pressed(id, it->second, {Control::AxisMinus, number});
  if (plus && !axis.plus) Pressed(id, it->second, {Control::AxisPlus, number});
  axis.minus = minus;
  axis.plus = plus;
}

void ControllerInputs::Settle(uint32_t now) {
  for (auto& [id, pad] : pads_) {
    for (auto& [key, state] : pad.switches) {
      if (!state.settling || now - state.since < kBounceMs) continue;
      state.settling = false;
      if (state.raw != state.down) {
        const Control control{static_cast<Control::Kind>(key / 1000), key % 1000};
        Change(id, pad, control, state, state.raw, now);
      }
    }
  }
}

bool ControllerInputs::InputDown(const Pad& pad, const Control& control) const {
  switch (control.kind) {
    case Control::AxisMinus:
    case Control::AxisPlus: {
      const auto axis = pad.axes.find(control.number);
      if (axis == pad.axes.end()) return false;
      return control.kind == Control::AxisMinus ? axis->second.minus : axis->second.plus;
    }
    default: {
      const auto state = pad.switches.find(Key(control));
      return state != pad.switches.end() && state->second.down;
    }
  }
}

bool ControllerInputs::KeyDown(int vk) const {
  for (const auto& [id, pad] : pads_)
    for (const ControlBinding& binding : pad.bindings)
      if (binding.vk == vk && InputDown(pad, binding.control)) return true;
  return false;
}

bool ControllerInputs::TakePress(int vk) {
  const auto it = pressed_.find(vk);
  if (it == pressed_.end() || !it->second) return false;
  it->second = false;
  return true;
}

bool ControllerInputs::TakeRawPress(int& id, Control& control) {
  if (rawPresses_.empty()) return false;
  id = rawPresses_.front().first;
  control = rawPresses_.front().second;
  rawPresses_.pop_front();
  return true;
}

}  // namespace plat
