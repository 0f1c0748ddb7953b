// What the controllers plugged in say about the game's keys, from their raw changes: each
// controller's inputs through its bindings, a switch's contact bounce taken out, a stick's axis
// with a threshold that holds (hysteresis) and that counts only once the axis was seen centred.
// Pure: the backend feeds it events with their times, so that it can be tested without hardware.
#pragma once

#include <cstdint>
#include <deque>
#include <map>

#include "platform/Controls.h"

namespace plat {

class ControllerInputs {
 public:
  // A switch's changes within this long after a change that counted are contact bounce: ignored,
  // and its state read again once the time has passed, so that a release is never lost.
  static constexpr uint32_t kBounceMs = 10;
  // An axis pushed this far counts as its way's input; it is let go only back inside kAxisRelease.
  static constexpr int kAxisPress = 16384;
  static constexpr int kAxisRelease = 8192;

  void Attach(int id, ControlBindings bindings);
  void Rebind(int id, ControlBindings bindings);
  void Detach(int id);
  bool Attached(int id) const { return pads_.count(id) != 0; }

  // A button (counted from 1) or a hat direction: a switch, debounced.
  void Switch(int id, const Control& control, bool down, uint32_t now);
  // The four directions of a hat at once.
  void Hat(int id, bool left, bool right, bool up, bool down, uint32_t now);
  // An axis (counted from 1), -32768 to 32767.
  void Axis(int id, int number, int value);
  // Reads again the switches whose bounce time has passed.
  void Settle(uint32_t now);

  bool KeyDown(int vk) const;
  // Whether an input of the key was pressed since the last call for that key.
  bool TakePress(int vk);
  // The presses that counted, oldest first, for the mapping screen: {controller, control}.
  // Only the latest few are kept.
  bool TakeRawPress(int& id, Control& control);

 private:
  struct SwitchState {
    bool down = false;  // as the game sees it
    bool raw = false;   // as the controller last said
    bool settling = false;
    uint32_t since = 0;  // when the last counted change came
  };
  struct AxisState {
    bool centred = false;  // seen near its centre once
    bool minus = false;
    bool plus = false;
  };
  struct Pad {
    ControlBindings bindings;
    std::map<int, SwitchState> switches;  // by Key(control)
    std::map<int, AxisState> axes;        // by number
  };
  static int Key(const Control& control) { return control.kind * 1000 + control.number; }
  bool InputDown(const Pad& pad, const Control& control) const;
  void Pressed(int id, const Pad& pad, const Control& control);
  void Change(int id, Pad& pad, const Control& control, SwitchState& state, bool down,
              uint32_t now);

  std::map<int, Pad> pads_;
  std::map<int, bool> pressed_;  // by virtual-key code
  std::deque<std::pair<int, Control>> rawPresses_;
};

}  // namespace plat
