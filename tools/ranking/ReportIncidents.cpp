#include "tools/ranking/ReportIncidents.h"

#include "platform/Language.h"
#include "tools/ranking/ReportPage.h"
#include "tools/ranking/Text.h"

namespace ranking {
namespace {

using plat::Say;

// The booth's log's events that are incidents, with the word the report gives them and what
// they count to; starts and orderly ends are none.
struct IncidentKind {
  BoothEvent event;
  plat::Bilingual word;
  int Incidents::*count;
};
constexpr IncidentKind kIncidentKinds[] = {
    {BoothEvent::AbnormalEnd, {"落ちた・固まった", "fell over"}, &Incidents::falls},
    {BoothEvent::Restart, {"起動し直した", "started again"}, &Incidents::restarts},
    {BoothEvent::GiveUp, {"起動し直すのをやめた", "gave up restarting"}, &Incidents::givenUp},
    {BoothEvent::Box, {"自動で閉じたメッセージ", "box answered by itself"}, &Incidents::boxes},
};

const IncidentKind* KindOf(BoothEvent event) {
  for (const IncidentKind& kind : kIncidentKinds)
    if (kind.event == event) return &kind;
  return nullptr;
}

}  // namespace

Incidents IncidentsOf(std::string_view bytes, const std::optional<std::string>& date) {
  Incidents incidents;
  incidents.logFound = true;
  for (BoothLine& line : ParseBoothLog(bytes)) {
    const IncidentKind* kind = KindOf(line.event);
    if (!kind || (date && DateText(line.when) != *date)) continue;
    ++(incidents.*kind->count);
    incidents.lines.push_back(std::move(line));
  }
  return incidents;
}

std::vector<std::string> IncidentsLines(const Incidents& incidents) {
  if (!incidents.logFound) return {};
  std::vector<std::string> lines{
      Fill(Say({"ブース: 落ちた・固まった {} 回、起動し直し {} 回、自動で閉じたメッセージ {} 個",
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
    table += "<tr><td>" + Html(DateText(line.when) + " " + TimeText(line.when)) + "</td><td>" +
             Html(Say(KindOf(line.event)->word)) + "</td><td>" + Html(line.detail) + "</td></tr>";
  }
  table += "</table>\n";
  const size_t end = page.rfind("</body>");
  if (end == std::string::npos) return page + table;
  return page.insert(end, table);
}

}  // namespace ranking
