#include "app/ControlsMain.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/Notices.h"
#include "app/Window.h"
#include "display/CCDraw.h"
#include "game/FrameLoop.h"
#include "game/Keys.h"
#include "game/Session.h"
#include "platform/Controls.h"
#include "platform/DirectoryLock.h"
#include "platform/Language.h"
#include "platform/ShiftJis.h"
#include "platform/System.h"
#include "store/ControlsFile.h"
#include "store/Reasons.h"

namespace {

constexpr ScreenTiming kControlsTiming = {"controls", 16, 0};
// How long the saved mapping stays on the screen before the program ends.
constexpr uint32_t kShowSavedMs = 3000;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kGrey = 0xA0A0A0;

// The game's keys in the order they are asked for, with what each does.
struct AskedKey {
  int vk;
  plat::Bilingual use;
};
constexpr AskedKey kAsked[] = {
    {plat::VK_NUMPAD1, {"車を巻く（1）", "winds the car (1)"}},
    {plat::VK_NUMPAD2, {"車を巻く（2）", "winds the car (2)"}},
    {plat::VK_RETURN, {"発射・次へ", "launch, go on"}},
    {plat::VK_SPACE, {"開始・玉のタイミング", "start, the ball's timing"}},
    {plat::VK_LEFT, {"名前の文字を選ぶ（←）", "name: wheel left"}},
    {plat::VK_RIGHT, {"名前の文字を選ぶ（→）", "name: wheel right"}},
    {plat::VK_DOWN, {"名前を一つ戻る", "name: step back"}},
};
constexpr int kAskedCount = static_cast<int>(std::size(kAsked));

long ControlsWindowProc(plat::System& system, const plat::Message& msg) {
  // The game's window without its start-up box.
  if (msg.message == plat::WM_CREATE) return system.DefWindowProc(msg);
  return MainWindowProc(system, msg);
}

std::string SjisSay(const plat::Bilingual& text) {
  return Sjis(plat::Say(text));
}

std::string BoundTo(const plat::ControlBindings& bindings, int vk) {
  std::string text;
  for (const plat::ControlBinding& b : bindings)
    if (b.vk == vk) text += (text.empty() ? "" : ", ") + plat::ControlText(b.control);
  // As much as fits the line under the key's description.
  constexpr size_t kColumn = 40;
  if (text.size() > kColumn) text = text.substr(0, kColumn - 2) + "..";
  return text.empty() ? "-" : text;
}

struct Mapping {
  plat::ControlMap map;   // the file's sections stay; its first lines are what is mapped here
  int asking = 0;         // index in kAsked; kAskedCount when all are answered
  std::string lastPress;  // the latest press and what it would be, as shown
  bool saved = false;
  uint32_t savedAt = 0;
};

// One frame of the mapping screen.
FrameOutcome MappingFrame(Game& game, Mapping& m) {
  plat::ControlBindings& bindings = m.map.general;
  CCDraw& draw = game.draw;
  // 1. The title and what the screen is for.
  draw.DrawText(SjisSay({"コントローラーの割り当て", "Controller mapping"}), 30, 24, kWhite, 24);
  draw.DrawText(Sjis(plat::kControlsFileName), 30, 56, kGrey, 12);
  // 2. The controllers plugged in now, by name, or that there is none.
  std::string plugged;
  for (const std::string& name : game.system.ControllerNames())
    plugged += (plugged.empty() ? "" : ", ") + name.substr(0, 32);
  if (plugged.size() > 70) plugged = plugged.substr(0, 68) + "..";
  if (plugged.empty()) {
    draw.DrawText(SjisSay({"コントローラーがつながっていません", "No controller is connected"}), 30,
                  72, kYellow, 12);
  } else {
    draw.DrawText(SjisSay({"つながっているもの: ", "Connected: "}) + Sjis(plugged), 30, 72, kWhite,
                  12);
  }

  // 3. A controller's press: taken for the key asked for, and shown with what it is now.
  plat::ControlPress press;
  while (game.system.TakeControlPress(press)) {
    if (!m.saved && m.asking < kAskedCount) {
      const int vk = kAsked[m.asking].vk;
      std::erase_if(bindings, [vk](const plat::ControlBinding& b) { return b.vk == vk; });
      bindings.push_back({vk, press.control});
      ++m.asking;
    }
    std::string keys;
    for (const plat::ControlBinding& b : bindings)
      if (b.control == press.control)
        keys += std::string(keys.empty() ? "" : " ") + plat::ControllerKeyName(b.vk);
    char ids[16];
    std::snprintf(ids, sizeof ids, "[%04x:%04x]", press.vendor, press.product);
    m.lastPress = plat::ControlText(press.control) + " -> " + (keys.empty() ? "-" : keys) + "  " +
                  ids + " " + press.name.substr(0, 16);
  }
  // 4. RETURN on the keyboard keeps the key asked for as it is.
  // (any press since the last frame, however short: the operator's key, not the game's)
  const bool returnPressed = (KeyWord(game, plat::VK_RETURN) & 1) != 0;
  if (returnPressed && !m.saved && m.asking < kAskedCount) ++m.asking;

  // 5. Every key with what it is bound to; the one asked for marked.
  for (int i = 0; i < kAskedCount; ++i) {
    const int y = 96 + 30 * i;
    const uint32_t colour = i == m.asking && !m.saved ? kYellow : kWhite;
    if (i == m.asking && !m.saved) draw.DrawText(">", 14, y, colour, 12);
    draw.DrawText(plat::ControllerKeyName(kAsked[i].vk), 30, y, colour, 12);
    // The binding on a line of its own under the description, so that neither cuts the other.
    draw.DrawText(SjisSay(kAsked[i].use), 130, y, kGrey, 12);
    draw.DrawText(BoundTo(bindings, kAsked[i].vk), 130, y + 14, colour, 12);
  }

  // 6. What to do now.
  if (m.saved) {
    draw.DrawText(SjisSay({"保存しました", "Saved"}), 30, 330, kYellow, 16);
  } else if (m.asking < kAskedCount) {
    draw.DrawText(
        SjisSay({"このキーに使うボタンを押してください", "Press the input to use for this key"}),
        30, 330, kWhite, 16);
    draw.DrawText(SjisSay({"RETURN: このまま   ESC: 保存せずに終わる",
                           "RETURN: keep it   ESC: leave without saving"}),
                  30, 360, kGrey, 12);
  }
  // 7. The latest press, live.
  if (!m.lastPress.empty()) draw.DrawText(Sjis(m.lastPress), 30, 420, kWhite, 12);

  // 8. Every key answered: save (done by the caller), show the mapping a moment, and end.
  if (m.asking == kAskedCount && !m.saved) return FrameOutcome::Leave;
  if (m.saved && Elapsed(game, m.savedAt) >= kShowSavedMs) return FrameOutcome::Leave;
  return FrameOutcome::Continue;
}

void TellControls(plat::System& system, const std::string& what, int error) {
  system.MessageBox(
      Sjis(std::string(plat::kControlsFileName) + " " + what + "\n（" + JapaneseReason(error) +
           "）\n割り当ては変えずに終わります\n" + std::string(JapaneseRemedy(error)) +
           "それから「kavrel --controls」で起動し直して"
           "ください\n"),
      "Error");
}

}  // namespace

int kavrel::MapControls(plat::System& system, FrameObserver* observer) {
  // Beside no game: the game reads the file at its start.
  const plat::DirectoryLock lock;
  if (lock.outcome() == plat::DirectoryLock::Outcome::HeldElsewhere) {
    TellAlreadyRunning(system);
    return kAlreadyRunning;
  }
  if (lock.outcome() == plat::DirectoryLock::Outcome::NotPlainLockFile) {
    TellNotPlainLockFile(system);
    return kAlreadyRunning;
  }
  if (!system.CreateWindow(kWindowName, kWindowName, &ControlsWindowProc)) return 0;
  system.ShowWindow();
  Session session(system, observer);
  session.LoadSpriteSheet();

  const ControlsFileRead file = ReadControlsFile();
  if (file.file.kind == DataFileRead::Unreadable) {
    // Saving would put a new file over one that may hold a mapping: it is set aside first, and
    // the mapping starts from the default.
    const std::string why =
        file.tooLarge ? std::to_string(kMaxControlsFileBytes / 1024) + " KB より大きいファイルです"
                      : JapaneseReason(file.file.error);
    int error = 0;
    const std::string aside = SetControlsFileAside(error);
    if (aside.empty()) {
      system.MessageBox(Sjis(std::string(plat::kControlsFileName) + " が読めず（" + why +
                             "）、わきに移すこともできません（" + JapaneseReason(error) + "）\n" +
                             JapaneseRemedy(error) +
                             "\nそれから、もう一度「kavrel "
                             "--controls」で割り当ててください\n"),
                        "Error");
      return 255;
    }
    system.MessageBox(
        Sjis(std::string(plat::kControlsFileName) + " が読めません（" + why + "）\n" + aside +
             " に名前を変えてわきに移しました\n" + "決まった割り当てから始めて、新しい " +
             plat::kControlsFileName + " を保存します\n"),
        "Error");
  }
  Mapping m;
  m.map = file.read.map;
  if (!m.map.hasGeneral) m.map.general = plat::DefaultControlBindings();
  m.map.hasGeneral = true;
  // While mapping, presses are only read, not taken as the game's keys.
  plat::ControlMap none;
  none.hasGeneral = true;
  system.UseControls(none);

  const auto frame = [&] { return MappingFrame(session.game, m); };
  if (RunFrames(session.game, kControlsTiming, frame) == ScreenResult::Quit) return 1;
  int error = 0;
  if (!SaveControlsFile(plat::FormatControls(m.map), error)) {
    TellControls(system, "を保存できませんでした", error);
    return 255;
  }
  m.saved = true;
  m.savedAt = system.GetTickCount();
  RunFrames(session.game, kControlsTiming, frame);
  return 0;
}
