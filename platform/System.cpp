#include "platform/System.h"

#include <algorithm>

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
  if (windowOpen_) {
    PumpEvents();
    if (holdToAct_ > 0) HoldBackEscape();
  }
  return !queue_.empty();
}

bool System::HeldLongEnough(int vk) {
  if (holdToAct_ == 0) return true;
  const std::optional<uint32_t> since = KeyDownTick(vk);
  return since && GetTickCount() - *since >= holdToAct_;
}

bool System::CloseRequested() {
  if (BoothMode()) return false;
  PostMessage({WM_CLOSE, 0});
  return true;
}

void System::HoldBackEscape() {
  // Asked first: a backend may take new events (and post ESC's key-down) while it answers.
  const std::optional<uint32_t> since = KeyDownTick(VK_ESCAPE);
  std::erase_if(queue_,
                [](const Message& m) { return m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE; });
  if (since && since != escapeActedFor_ && GetTickCount() - *since >= holdToAct_) {
    escapeActedFor_ = since;
    PostMessage({WM_KEYDOWN, VK_ESCAPE});
  }
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
