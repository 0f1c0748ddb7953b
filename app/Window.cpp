#include "app/Window.h"

#include "platform/ShiftJis.h"
#include "platform/System.h"

namespace {

bool sessionEnding = false;

}  // namespace

int CreateMainWindow(plat::System& system) {
  sessionEnding = false;
  if (!system.CreateWindow(kWindowName, kWindowName, &MainWindowProc)) return 0;
  system.ShowWindow();
  return 1;
}

long MainWindowProc(plat::System& system, const plat::Message& msg) {
  switch (msg.message) {
    case plat::WM_CREATE:
      // A booth that starts by itself (after a power cut, at log-in) must not wait for a click;
      // the machine's box says when it answers itself.
      if (system.BoothMode()) {
        system.MessageBoxAnsweringItself(Sjis("Ｃｌｉｃｋ Ｔｏ Ｓｔａｒｔ"), "INFORMATION",
                                         kStartUpBoxAnswersItselfMs);
      } else {
        system.MessageBox(Sjis("Ｃｌｉｃｋ Ｔｏ Ｓｔａｒｔ"), "INFORMATION");
      }
      break;
    case plat::WM_DESTROY:
      system.PostQuitMessage(0);
      break;
    case plat::WM_SETCURSOR:
      return 1;  // no cursor over the window
    case plat::WM_ENDSESSION:
      if (msg.wParam) {
        sessionEnding = true;
        system.PostQuitMessage(0);
      }
      break;
    case plat::WM_KEYDOWN:
      if (msg.wParam == plat::VK_ESCAPE) system.PostMessage({plat::WM_CLOSE, 0});
      break;
    default:
      break;
  }
  return system.DefWindowProc(msg);
}

bool SessionEnding() {
  return sessionEnding;
}
