// The replay script language: one directive a line, read into the script of the virtual machine.
// A pure function over the text, so that anything (the replay tool, tests, a fuzzer) can feed it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/VirtualSystem.h"

// Parses a whole script. On the first bad line returns nullopt and sets `error` to one line,
// "script line N: <what is wrong>". Key events come out sorted by time, keeping the script's order
// among events at the same time.
std::optional<plat::VirtualScript> ParseScript(std::string_view text, std::string& error);

// The virtual-key code of a script key name (SPACE, Q, NUMPAD1, ..., the main row's 1 and 2), or
// nullopt.
std::optional<int> ScriptKeyCode(std::string_view name);
// The Replay Pad's control of a `pad` line (button3, hat-left, axis1-), or nullopt.
std::optional<plat::Control> ScriptPadControl(std::string_view name);
