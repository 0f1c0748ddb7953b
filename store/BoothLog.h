// The booth's log: what the supervisor saw during the day in kv_booth.log (starts, abnormal ends
// with their cause, restarts, giving up, boxes that answered themselves, screens that went on for a
// visitor who walked away) and the operator's changes, one line each, dated like the play log and
// written like it (UTF-8 with a byte-order mark, CR LF, quoted fields, appended and synced), so
// that the same spreadsheet opens both.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/LocalTime.h"
#include "store/SafeFile.h"

inline constexpr const char* kBoothLogFileName = "kv_booth.log";

// What a new log starts with: the byte-order mark and the row of column names.
extern const std::string_view kBoothLogHead;

enum class BoothEvent {
  Start,        // a game started (detail: "first" or "restart")
  AbnormalEnd,  // the game fell over (detail: the cause)
  Restart,      // a new game follows an abnormal end
  GiveUp,       // too many restarts: the supervisor stops (detail: the last cause)
  Box,          // a box answered itself (detail: its text)
  WalkedAway,   // a screen went on by itself, its visitor gone (detail: the screen)
  FocusAway,    // another window kept the focus from the game past 2 s (detail: its name)
  End,          // an orderly end (detail: the exit code)
  NoSound,      // the game found no sound output, or lost it; it plays on silently
  Change,       // the operator changed the booth's data (detail: what, e.g. the removed name)
};

struct BoothLine {
  LocalTime when;
  BoothEvent event = BoothEvent::Start;
  std::string detail;  // UTF-8, one line
};

// The word the log gives an event, and back (false for a word it does not know).
std::string_view BoothEventWord(BoothEvent event);
bool BoothEventNamed(std::string_view word, BoothEvent& event);

// The line's bytes, CR LF included.
std::string FormatBoothLine(const BoothLine& line);
// The lines of a whole log; the head and lines it cannot read are passed over.
std::vector<BoothLine> ParseBoothLog(std::string_view bytes);

// Appends `line` to kv_booth.log in `directory` (the head first when the log is new), synced.
// False, with errno's value in `error`, when it could not be written.
bool AppendBoothLine(FileOps& ops, const std::string& directory, const BoothLine& line, int& error);
