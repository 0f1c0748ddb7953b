#include "platform/System.h"

namespace plat {

bool System::CreateWindow(const char* className, const char* title, WindowProc proc) {
  proc_ = proc;
  if (!OpenWindow(className, title)) return false;
  windowOpen_ = true;
  proc_(*this, {WM_CREATE, 0});
  return true;
}

void System::ShowWindow() {
  ShowWindowNow();
}

bool System::PeekMessage() {
  if (windowOpen_) PumpEvents();
  return !queue_.empty();
}

bool System::GetMessage(Message& out) {
  while (queue_.empty()) {
    Idle(1);
    if (windowOpen_) PumpEvents();
  }
  out = queue_.front();
  queue_.pop_front();
  return out.message != WM_QUIT;
}

void System::DispatchMessage(const Message& msg) {
  if (proc_ && windowOpen_) proc_(*this, msg);
}

long System::DefWindowProc(const Message& msg) {
  if (msg.message == WM_CLOSE && windowOpen_) {
    // The default handling of a close destroys the window, which tells the procedure at once.
    CloseWindow();
    proc_(*this, {WM_DESTROY, 0});
    windowOpen_ = false;
  }
  return 0;
}

}  // namespace plat
