#include "upkeep/ReportIncidents.h"

#include <algorithm>

#include "platform/Language.h"
#include "store/PlayLogFormat.h"
#include "upkeep/DataFileAccess.h"
#include "upkeep/ReportPage.h"
#include "upkeep/ReportText.h"
#include "upkeep/Text.h"

namespace ranking {
namespace {

using plat::Say;

// The booth's log's events the report tells, with their word, the count they add to and their
// group; starts are none. An orderly end is an incident: after it the booth is dark until someone
// starts it again, and its detail says why ("0 Q", "1 ESC held").
struct EventKind {
  BoothEvent event;
  plat::Bilingual word;
  int Incidents::*count;
  BoothGroup group;
};
constexpr EventKind kEventKinds[] = {
    {BoothEvent::AbnormalEnd,
     {"落ちた・固まった", "fell over"},
     &Incidents::falls,
     BoothGroup::Incidents},
    {BoothEvent::Restart,
     {"起動し直した", "started again"},
     &Incidents::restarts,
     BoothGroup::Incidents},
    {BoothEvent::GiveUp,
     {"起動し直すのをやめた", "gave up restarting"},
     &Incidents::givenUp,
     BoothGroup::Incidents},
    {BoothEvent::Box,
     {"自動で閉じたメッセージ", "box answered by itself"},
     &Incidents::boxes,
     BoothGroup::Incidents},
    {BoothEvent::End, {"終わった", "ended in order"}, &Incidents::ends, BoothGroup::Incidents},
    {BoothEvent::Change,
     {"係の人の変更", "changed by the operator"},
     &Incidents::changes,
     BoothGroup::Changes},
};

const EventKind* KindOf(BoothEvent event) {
  for (const EventKind& kind : kEventKinds)
    if (kind.event == event) return &kind;
  return nullptr;
}

// Widest a detail is shown on the page and in the terminal, in columns.
constexpr size_t kDetailColumns = 30;

std::vector<const BoothLine*> LinesOf(const Incidents& incidents, BoothGroup group) {
  std::vector<const BoothLine*> lines;
  for (const BoothLine& line : incidents.lines)
    if (GroupOf(line.event) == group) lines.push_back(&line);
  return lines;
}

// The group's counts in one phrase: "2 falls (crash or hang), 1 restart, ...".
std::string Counts(const Incidents& incidents, BoothGroup group) {
  const std::string falls = std::to_string(incidents.falls),
                    restarts = std::to_string(incidents.restarts),
                    boxes = std::to_string(incidents.boxes), ends = std::to_string(incidents.ends);
  if (group == BoothGroup::Changes)
    return Fill(Say({"係の人の変更 {} 回", "{} by the operator"}),
                {Say({std::to_string(incidents.changes).c_str(),
                      Counted(incidents.changes, "change").c_str()})});
  std::string counts = Fill(
      Say({"落ちた・固まった {} 回、起動し直し {} 回、自動で閉じたメッセージ {} 個、"
           "終わった {} 回",
           "{} (crash or hang), {}, {} answered automatically, {}"}),
      plat::OperatorReadsJapanese()
          ? std::initializer_list<std::string>{falls, restarts, boxes, ends}
          : std::initializer_list<std::string>{
                Counted(incidents.falls, "fall"), Counted(incidents.restarts, "restart"),
                Counted(incidents.boxes, "box", "boxes"), Counted(incidents.ends, "orderly end")});
  if (incidents.givenUp > 0)
    counts += Fill(Say({"、起動し直すのをやめた {} 回", "; restarting given up {}"}),
                   {Say({std::to_string(incidents.givenUp).c_str(),
                         Counted(incidents.givenUp, "time").c_str()})});
  return counts;
}

std::string When(const BoothLine& line, bool withDate) {
  return withDate ? DateText(line.when) + " " + TimeText(line.when) : TimeText(line.when);
}

}  // namespace

std::optional<BoothGroup> GroupOf(BoothEvent event) {
  const EventKind* kind = KindOf(event);
  return kind ? std::optional<BoothGroup>(kind->group) : std::nullopt;
}

Incidents IncidentsOf(std::string_view bytes, const std::optional<std::string>& date) {
  Incidents incidents;
  incidents.logFound = true;
  for (BoothLine& line : ParseBoothLog(bytes)) {
    const EventKind* kind = KindOf(line.event);
    if (!kind || (date && DateText(line.when) != *date)) continue;
    ++(incidents.*kind->count);
    incidents.lines.push_back(std::move(line));
  }
  return incidents;
}

Incidents ReadIncidents(const std::optional<std::string>& date) {
  std::string bytes;
  const DataFileRead read = ReadBytes(kBoothLogFileName, bytes, kMaxPlayLogBytes);
  if (read.kind == DataFileRead::Read) return IncidentsOf(bytes, date);
  Incidents incidents;
  if (read.kind == DataFileRead::Unreadable) {
    incidents.logFound = true;
    incidents.problem = Fill(Say({"ブースの記録（{}）を読めません（{}）。{}",
                                  "The booth's log ({}) cannot be read ({}). {}"}),
                             {kBoothLogFileName, Reason(read.error), Remedy(read.error)});
  }
  return incidents;
}

std::vector<std::string> IncidentsLines(const Incidents& incidents) {
  if (!incidents.logFound) return {};
  if (!incidents.problem.empty()) return {incidents.problem};
  std::vector<std::string> lines = {
      Fill(Say({"ブース: {}", "Booth: {}."}), {Counts(incidents, BoothGroup::Incidents)})};
  if (incidents.givenUp > 0)
    lines.push_back(Fill(Say({"（やめたときの原因は {} にあります）", "(The cause is in {}.)"}),
                         {kBoothLogFileName}));
  const std::vector<const BoothLine*> changes = LinesOf(incidents, BoothGroup::Changes);
  if (!changes.empty()) {
    const BoothLine& last = *changes.back();
    lines.push_back(Fill(Say({"{}、最後は {}「{}」", "{}, the last at {}: {}."}),
                         {Counts(incidents, BoothGroup::Changes), TimeText(last.when),
                          Cut(VisibleName(last.detail), kDetailColumns)}));
  }
  return lines;
}

std::string IncidentsBlock(const Incidents& incidents) {
  if (!incidents.logFound) return {};
  const std::string heading =
      "<h2>" + Html(Fill(Say({"ブース（{}）", "The booth ({})"}), {kBoothLogFileName})) + "</h2>";
  if (!incidents.problem.empty())
    return "<section class=\"booth\">" + heading + "<p class=\"lines\">" +
           PageText(incidents.problem) + "</p></section>\n";
  if (incidents.lines.empty())
    return "<section class=\"booth\">" + heading + "<p class=\"lines\">" +
           PageText(Say({"この日の出来事はありません。", "Nothing happened at the booth."})) +
           "</p></section>\n";
  bool severalDays = false;
  for (const BoothLine& line : incidents.lines)
    severalDays |= DateText(line.when) != DateText(incidents.lines[0].when);
  // The counts of every group in one line, then each group's last rows side by side.
  std::string counts, groups;
  for (const BoothGroup group : kBoothGroups) {
    const std::vector<const BoothLine*> lines = LinesOf(incidents, group);
    if (group != BoothGroup::Incidents && lines.empty()) continue;
    counts += (counts.empty() ? "" : Say({"。", ". "})) + Counts(incidents, group);
    if (lines.empty()) continue;
    groups += "<div><table>";
    // The kind of each row where the group has more than one.
    const bool kinds =
        std::count_if(std::begin(kEventKinds), std::end(kEventKinds),
                      [&](const EventKind& kind) { return kind.group == group; }) > 1;
    const size_t from = lines.size() - std::min(lines.size(), kLastShown);
    for (size_t k = from; k < lines.size(); ++k) {
      const BoothLine& line = *lines[k];
      groups += "<tr><td>" + PageText(When(line, severalDays)) + "</td>" +
                (kinds ? "<td>" + Html(Say(KindOf(line.event)->word)) + "</td>" : "") +
                "<td class=\"detail\">" + PageText(Cut(VisibleName(line.detail), kDetailColumns)) +
                "</td></tr>";
    }
    groups += "</table>";
    if (from > 0)
      groups +=
          "<p class=\"note\">" +
          PageText(Fill(Say({"ほか {} 件は {} にあります（上は最後の {} 件）",
                             "{} more in {} (the last {} above)."}),
                        {std::to_string(from), kBoothLogFileName, std::to_string(kLastShown)})) +
          "</p>";
    groups += "</div>";
  }
  std::string block = "<section class=\"booth\">" + heading + "<p class=\"lines\">" +
                      PageText(counts + Say({"", "."})) + "</p><div class=\"groups\">" + groups;
  return block + "</div></section>\n";
}

}  // namespace ranking
