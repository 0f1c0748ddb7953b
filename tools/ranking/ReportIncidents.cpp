#include "tools/ranking/ReportIncidents.h"

#include <cstdio>

#include "platform/Language.h"
#include "tools/ranking/ReportPage.h"
#include "tools/ranking/Text.h"

namespace ranking {
namespace {

using plat::Say;

std::string DateOf(const LocalTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  return text;
}

std::string TimeOf(const LocalTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return text;
}

plat::Bilingual EventWord(BoothEvent event) {
  switch (event) {
    case BoothEvent::AbnormalEnd:
      return {"落ちた・止まった", "fell over"};
    case BoothEvent::Restart:
      return {"起動し直した", "started again"};
    case BoothEvent::GiveUp:
      return {"起動し直すのをやめた", "gave up restarting"};
    case BoothEvent::Box:
      return {"ひとりでに閉じたメッセージ", "box answered by itself"};
    default:
      return {"", ""};
  }
}

}  // namespace

Incidents IncidentsOf(std::string_view bytes, const std::optional<std::string>& date) {
  Incidents incidents;
  incidents.logFound = true;
  for (BoothLine& line : ParseBoothLog(bytes)) {
    if (date && DateOf(line.when) != *date) continue;
    switch (line.event) {
      case BoothEvent::AbnormalEnd:
        ++incidents.falls;
        break;
      case BoothEvent::Restart:
        ++incidents.restarts;
        break;
      case BoothEvent::GiveUp:
        ++incidents.givenUp;
        break;
      case BoothEvent::Box:
        ++incidents.boxes;
        break;
      default:
        continue;  // starts and orderly ends are no incidents
    }
    incidents.lines.push_back(std::move(line));
  }
  return incidents;
}

std::vector<std::string> IncidentsLines(const Incidents& incidents) {
  if (!incidents.logFound) return {};
  std::vector<std::string> lines{
      Fill(Say({"ブース: 落ちた・止まった {} 回、起動し直し {} 回、自動で閉じたメッセージ {} 個",
                "Booth: {} falls (crash or hang), {} restarts, {} boxes closed by themselves."}),
           {std::to_string(incidents.falls), std::to_string(incidents.restarts),
            std::to_string(incidents.boxes)})};
  if (incidents.givenUp > 0)
    lines.push_back(Fill(Say({"ブース: 起動し直すのを {} 回やめました（{} を見てください）",
                              "Booth: restarting was given up {} times (see {})."}),
                         {std::to_string(incidents.givenUp), kBoothLogFileName}));
  return lines;
}

std::string WithIncidents(std::string page, const Incidents& incidents) {
  if (incidents.lines.empty()) return page;
  std::string table =
      "<h2>" +
      Html(Fill(Say({"ブースの出来事（{}）", "Booth incidents ({})"}), {kBoothLogFileName})) +
      "</h2><table class=\"incidents\"><tr><th>" + Html(Say({"時刻", "Time"})) + "</th><th>" +
      Html(Say({"出来事", "What happened"})) + "</th><th>" + Html(Say({"詳細", "Details"})) +
      "</th></tr>";
  for (const BoothLine& line : incidents.lines) {
    table += "<tr><td>" + Html(DateOf(line.when) + " " + TimeOf(line.when)) + "</td><td>" +
             Html(Say(EventWord(line.event))) + "</td><td>" + Html(line.detail) + "</td></tr>";
  }
  table += "</table>\n";
  const size_t end = page.rfind("</body>");
  if (end == std::string::npos) return page + table;
  return page.insert(end, table);
}

}  // namespace ranking
