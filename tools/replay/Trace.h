// The replay trace: JSON Lines, one record per message box and per frame, then one closing
// record. Written through a large buffer so that tracing a whole pass stays cheap.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>

#include "tools/replay/Replay.h"

class TraceWriter {
 public:
  // Writes to `out`, which stays the caller's.
  explicit TraceWriter(std::FILE* out);
  ~TraceWriter();
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  void MessageBox(const MessageBoxRecord& box);
  void Frame(const FrameRecord& frame);
  void Exit(int code);
  void End(uint32_t tick);
  void Crash(uint32_t tick);

  // Writes out what is buffered; false when any write so far has failed.
  bool Flush();

  // The line a record would be written as, without its newline (for tests).
  static std::string FrameLine(const FrameRecord& frame);
  static std::string MessageBoxLine(const MessageBoxRecord& box);

 private:
  void AppendFrame(std::string& out, const FrameRecord& frame);
  void EndLine();
  void StopRecord(const char* ev, uint32_t tick);
  // Shift-JIS bytes decoded for reading; cached, since screens draw the same lines every frame.
  const std::string& Utf8Of(std::string_view sjis);

  std::FILE* out_;
  std::string buffer_;
  bool failed_ = false;
  std::unordered_map<std::string, std::string> utf8Cache_;
  std::string key_;
};

// JSON pieces, shared with tests.
namespace json {
// UTF-8 text as a JSON string; invalid UTF-8 sequences become U+FFFD.
void AppendUtf8String(std::string& out, std::string_view utf8);
// Raw bytes as a JSON string, each byte a character: bytes of 0x80 and above, and control
// characters, as \u00XX.
void AppendByteString(std::string& out, std::string_view bytes);
// A double that reads back exactly; null when not finite.
void AppendDouble(std::string& out, double value);
void AppendInt(std::string& out, int64_t value);
}  // namespace json
