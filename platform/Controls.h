// Which controller inputs stand for which game keys: the operator's kv_controls.txt, read and
// written here, and the default for a controller the file says nothing about. Every backend maps
// its controllers through this, the scripted one included.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/System.h"

namespace plat {

inline constexpr const char* kControlsFileName = "kv_controls.txt";

// The game keys a controller may drive; Q and ESC stay the operator's, on the keyboard.
inline constexpr int kControllerKeys[] = {VK_SPACE, VK_NUMPAD1, VK_NUMPAD2, VK_RETURN, VK_LEFT,
                                          VK_RIGHT, VK_DOWN,    VK_UP,      VK_F2};

// One input of a controller: a button or an axis (counted from 1), or a direction of its hat; or
// a key of a keyboard (a keyboard-type arcade encoder sends Left Ctrl, Left Alt, Space...).
struct Control {
  enum Kind : uint8_t { Button, HatLeft, HatRight, HatUp, HatDown, AxisMinus, AxisPlus, Key };
  Kind kind = Button;
  int number = 1;  // buttons and axes; 0 for the hat; a key's USB usage (SDL's scancode)
  bool operator==(const Control&) const = default;
};

struct ControlBinding {
  int vk = 0;
  Control control;
  bool operator==(const ControlBinding&) const = default;
};
using ControlBindings = std::vector<ControlBinding>;

// button 1 = NUMPAD1, button 2 = NUMPAD2, button 3 = RETURN, button 4 = SPACE; the hat and the
// first stick for LEFT, RIGHT and DOWN.
const ControlBindings& DefaultControlBindings();

// A press of a controller's input, and which controller it came from.
struct ControlPress {
  uint16_t vendor = 0;
  uint16_t product = 0;
  std::string name;
  Control control;
};

struct ControllerSection {
  uint16_t vendor = 0;
  uint16_t product = 0;
  ControlBindings bindings;
};

class ControlMap {
 public:
  // The bindings of the lines that apply to the controller: its own section's, else the lines
  // before any section; nullptr when no line applies (the controller gets a default).
  const ControlBindings* Find(uint16_t vendor, uint16_t product) const;
  // What Find gives, or the contract's default.
  const ControlBindings& For(uint16_t vendor, uint16_t product) const;

  ControlBindings general;  // the lines before any section
  bool hasGeneral = false;
  std::vector<ControllerSection> sections;
};

struct ControlsRead {
  ControlMap map;
  std::vector<int> badLines;  // numbered from 1, each left out
};
ControlsRead ParseControls(std::string_view text);

// The keyboard keys the file binds (`KEY = key NAME`), wherever they stand: a keyboard tells no
// vendor or product.
ControlBindings KeyboardBindings(const ControlMap& map);

// How the file writes a control and a key ("button 3", "hat left", "axis 1 -"; "NUMPAD1").
std::string ControlText(const Control& control);
const char* ControllerKeyName(int vk);
// The file that reads back as `map`: its first lines, then its sections.
std::string FormatControls(const ControlMap& map);

}  // namespace plat
