// Feeds arbitrary bytes as the play log to the report's reader and both forms of the report: it
// must never crash; every line is a pass or skipped; a whole pass written after whatever came
// before (the game starts a new line after a torn one) is always read; and neither form holds a
// control code or, on the page, a name's markup.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "store/PlayLogFormat.h"
#include "upkeep/ReportFigures.h"
#include "upkeep/ReportPage.h"
#include "upkeep/ReportTerminal.h"
#include "upkeep/ReportText.h"

namespace {

constexpr const char* kPass =
    "2026-12-08,14:03:05,+09:00,999999,1234.500000,2011.250000,42,C,LASTPASS,3\r\n";

bool HasControl(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\n') return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  PlayRecords log;
  ReadPlayRecords(bytes, log);
  size_t lineEnds = 0;
  for (const char c : bytes) lineEnds += c == '\n';
  if (log.plays.size() + log.skipped.size() > lineEnds + 1) std::abort();

  PlayRecords after;
  ReadPlayRecords(bytes + "\r\n" + kPass, after);
  if (after.plays.empty() || after.plays.back().challenger != 999999 ||
      after.plays.back().name != "LASTPASS")
    std::abort();

  for (const auto& date :
       {std::optional<std::string>(), std::optional<std::string>("2026-12-08")}) {
    const ranking::ReportFigures figures = ranking::FiguresOf(log, date);
    for (const std::string& line : ranking::TerminalReport(figures))
      if (HasControl(line)) std::abort();
    if (HasControl(ranking::ReportPage(figures))) std::abort();
    for (const size_t i : figures.best) {
      const std::string shown = ranking::Html(VisibleName(figures.plays[i].name));
      if (shown.find_first_of("<>\"'") != std::string::npos) std::abort();
    }
  }
  return 0;
}
