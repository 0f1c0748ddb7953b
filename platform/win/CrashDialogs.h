// A booth waits for nobody: on Windows a crash or an abort must end the process at once, not
// raise the system's "stopped working" dialog or the C runtime's own box, which wait for a click.
#pragma once

namespace plat::win {

// Turns the system's crash and critical-error dialogs off for this process and the processes it
// starts, and for this one the C runtime's abort and error boxes and any debugger started on a
// fault nothing handles. Calls that the system does not have are passed over.
void TurnOffCrashDialogs();

}  // namespace plat::win
