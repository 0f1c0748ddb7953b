#include "app/Controllers.h"

#include <string>

#include "platform/ShiftJis.h"
#include "platform/System.h"
#include "store/ControlsFile.h"
#include "store/Reasons.h"

void UseControlsFile(plat::System& system) {
  const ControlsFileRead controls = ReadControlsFile();
  system.UseControls(controls.read.map);
  const std::string file = plat::kControlsFileName;
  const std::string remap = "「kavrel --controls」で割り当て直せます";
  std::string text;
  if (controls.file.kind == DataFileRead::Unreadable) {
    text = file + " が読めません\n（" + JapaneseReason(controls.file.error) +
           "）\nコントローラーは決まった割り当てで動きます\n" +
           std::string(JapaneseRemedy(controls.file.error)) + "それから" + remap + "\n";
  } else if (!controls.read.badLines.empty()) {
    std::string lines;
    for (const int line : controls.read.badLines)
      lines += (lines.empty() ? "" : "、") + std::to_string(line);
    text = file + " の " + lines + " 行目が読めません\n（書き方が違います）\n" +
           "その行をとばして、ほかの行の割り当てで動きます\n" + remap + "\n";
  }
  if (!text.empty()) system.MessageBox(Sjis(text), "Error");
}
