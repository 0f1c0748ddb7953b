#include "upkeep/ReportIncidents.h"

#include "platform/Language.h"
#include "upkeep/ReportPage.h"
#include "upkeep/Text.h"

namespace ranking {
namespace {

using plat::Say;

// The booth's log's events that are incidents, with the word the report gives them and what
// they count to; starts are none. An orderly end is one: after it the booth is dark until someone
// starts it again, and its detail says why ("0 Q", "1 ESC held").
struct IncidentKind {
  BoothEvent event;
  plat::Bilingual word;
  int Incidents::*count;
};
constexpr IncidentKind kIncidentKinds[] = {
    {BoothEvent::AbnormalEnd, {"落ちた・止まった", "fell over"}, &Incidents::falls},
    {BoothEvent::Restart, {"起動し直した", "started again"}, &Incidents::restarts},
    {BoothEvent::GiveUp, {"起動し直すのをやめた", "gave up restarting"}, &Incidents::givenUp},
    {BoothEvent::Box, {"ひとりでに閉じたメッセージ", "box answered by itself"}, &Incidents::boxes},
    {BoothEvent::End, {"終わった", "ended in order"}, &Incidents::ends},
};

// "1 restart", "2 restarts".
std::string Many(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

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
      plat::OperatorReadsJapanese()
          ? Fill("ブース: 落ちた・止まった {} 回、起動し直し {} 回、自動で閉じたメッセージ {} 個、"
                 "終わった {} 回",
                 {std::to_string(incidents.falls), std::to_string(incidents.restarts),
                  std::to_string(incidents.boxes), std::to_string(incidents.ends)})
          : "Booth: " + Many(incidents.falls, "fall", "falls") + " (crash or hang), " +
                Many(incidents.restarts, "restart", "restarts") + ", " +
                Many(incidents.boxes, "box", "boxes") + " closed by themselves, " +
                Many(incidents.ends, "orderly end", "orderly ends") + "."};
  if (incidents.givenUp > 0) {
    const std::string times = plat::OperatorReadsJapanese() ? std::to_string(incidents.givenUp)
                              : incidents.givenUp == 1
                                  ? std::string("once")
                                  : std::to_string(incidents.givenUp) + " times";
    lines.push_back(Fill(Say({"ブース: 起動し直すのを {} 回やめました（{} を見てください）",
                              "Booth: restarting was given up {} (see {})."}),
                         {times, kBoothLogFileName}));
  }
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
