// Starting the booth with the computer, the operator's choice: an autostart entry that starts
// this command in booth mode when the operator's session begins (an XDG autostart file on Linux,
// a shortcut in the Startup folder on Windows). Needs no display.
#pragma once

#include <string>
#include <vector>

namespace booth {

// Puts the entry in place (replacing one there), starting this program with --booth and `args`.
// `said` holds what to tell the operator, in their language.
bool InstallAutostart(const std::vector<std::string>& args, std::string& said);
// Takes the entry away; no entry is no failure.
bool RemoveAutostart(std::string& said);

}  // namespace booth
