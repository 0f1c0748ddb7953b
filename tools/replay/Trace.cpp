#include "tools/replay/Trace.h"

#include <charconv>
#include <cmath>

#include "platform/ShiftJis.h"

namespace {

constexpr size_t kBufferSize = size_t{1} << 20;
constexpr size_t kUtf8CacheLimit = 4096;
constexpr char kHexDigits[] = "0123456789abcdef";

void AppendEscape(std::string& out, unsigned char c) {
  const char esc[6] = {'\\', 'u', '0', '0', kHexDigits[c >> 4], kHexDigits[c & 15]};
  out.append(esc, 6);
}

// Length of the valid UTF-8 sequence at s[0], or 0 when it is not one.
size_t Utf8SequenceLength(std::string_view s) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  size_t n = 0;
  uint32_t cp = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3;
    cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4;
    cp = lead & 0x07;
  } else {
    return 0;
  }
  if (s.size() < n) return 0;
  for (size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  // No overlong forms, surrogates or code points past U+10FFFF.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
  return n;
}

void AppendHex(std::string& out, std::string_view bytes) {
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    out.push_back(kHexDigits[c >> 4]);
    out.push_back(kHexDigits[c & 15]);
  }
}

std::string_view Bytes(const Name& name) {
  return {name.data(), name.size()};
}

// The members of one JSON object, appended in order: each as "key": then its value.
class Members {
 public:
  explicit Members(std::string& out) : out_(out) { out_ += '{'; }
  ~Members() { out_ += '}'; }
  std::string& Key(const char* key) {
    if (!first_) out_ += ',';
    first_ = false;
    out_ += '"';
    out_ += key;
    out_ += "\":";
    return out_;
  }

 private:
  std::string& out_;
  bool first_ = true;
};

void AppendStateRecord(std::string& out, const GameState& s) {
  Members m(out);
  json::AppendInt(m.Key("keepRunning"), s.keepRunning);
  json::AppendInt(m.Key("challengerNumber"), s.challengerNumber);
  json::AppendByteString(m.Key("playerName"), Bytes(s.playerName));
  json::AppendDouble(m.Key("bestDistance"), s.bestDistance);
  json::AppendDouble(m.Key("bestBounce"), s.bestBounce);
  json::AppendDouble(m.Key("carDistance"), s.carDistance);
  json::AppendDouble(m.Key("bounceScore"), s.bounceScore);
  json::AppendInt(m.Key("totalScore"), s.totalScore);
  json::AppendInt(m.Key("rankedIn"), s.rankedIn);
  json::AppendInt(m.Key("rankPlace"), s.rankPlace);
  json::AppendInt(m.Key("wordIndex"), s.wordIndex);
  m.Key("ranking") += '[';
  for (size_t i = 0; i < s.ranking.size(); ++i) {
    out += i > 0 ? ",[" : "[";
    json::AppendInt(out, s.ranking[i].score);
    out += ',';
    json::AppendByteString(out, Bytes(s.ranking[i].name));
    out += ']';
  }
  out += ']';
}

}  // namespace

namespace json {

void AppendUtf8String(std::string& out, std::string_view utf8) {
  out += '"';
  size_t i = 0;
  while (i < utf8.size()) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      if (c == '"' || c == '\\') {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c < 0x20) {
        AppendEscape(out, c);
      } else {
        out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    const size_t n = Utf8SequenceLength(utf8.substr(i));
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(utf8.substr(i, n));
      i += n;
    }
  }
  out += '"';
}

void AppendByteString(std::string& out, std::string_view bytes) {
  out += '"';
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c >= 0x80) {
      AppendEscape(out, c);
    } else {
      out += ch;
    }
  }
  out += '"';
}

void AppendDouble(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char text[32];
  // As printf's "%.17g": enough digits for every double to read back as itself.
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
  out.append(text, result.ptr);
}

void AppendInt(std::string& out, int64_t value) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  out.append(text, result.ptr);
}

}  // namespace json

TraceWriter::TraceWriter(std::FILE* out) : out_(out) {
  buffer_.reserve(kBufferSize + 4096);
}

TraceWriter::~TraceWriter() {
  Flush();
}

bool TraceWriter::Flush() {
  if (!out_) return !failed_;
  if (!buffer_.empty() && !failed_) {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size()) failed_ = true;
  }
  buffer_.clear();
  if (!failed_ && std::fflush(out_) != 0) failed_ = true;
  return !failed_;
}

void TraceWriter::EndLine() {
  buffer_ += '\n';
  if (out_ && buffer_.size() >= kBufferSize) {
    if (!failed_ && std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size()) {
      failed_ = true;
    }
    buffer_.clear();
  }
}

void TraceWriter::MessageBox(const MessageBoxRecord& box) {
  buffer_ += MessageBoxLine(box);
  EndLine();
}

std::string TraceWriter::MessageBoxLine(const MessageBoxRecord& box) {
  std::string out = "{\"ev\":\"msgbox\",\"text\":";
  json::AppendUtf8String(out, SjisToUtf8(box.text));
  out += ",\"caption\":";
  json::AppendUtf8String(out, SjisToUtf8(box.caption));
  out += '}';
  return out;
}

void TraceWriter::Frame(const FrameRecord& frame) {
  AppendFrame(buffer_, frame);
  EndLine();
}

std::string TraceWriter::FrameLine(const FrameRecord& frame) {
  TraceWriter writer(nullptr);
  std::string out;
  writer.AppendFrame(out, frame);
  return out;
}

void TraceWriter::AppendFrame(std::string& out, const FrameRecord& frame) {
  out += "{\"ev\":\"frame\",\"n\":";
  json::AppendInt(out, frame.n);
  out += ",\"screen\":";
  json::AppendUtf8String(out, frame.screen);
  out += ",\"tick\":";
  json::AppendInt(out, frame.tick);
  out += frame.shown ? ",\"shown\":true,\"ops\":[" : ",\"shown\":false,\"ops\":[";
  bool first = true;
  for (const DrawOp& op : frame.ops) {
    if (!first) out += ',';
    first = false;
    switch (op.kind) {
      case DrawOp::Tiles:
        out += "[\"tiles\",";
        json::AppendInt(out, op.rows);
        break;
      case DrawOp::Blit:
        out += "[\"blit\",";
        for (const int v : {op.x, op.y, op.left, op.top, op.right}) {
          json::AppendInt(out, v);
          out += ',';
        }
        json::AppendInt(out, op.bottom);
        break;
      case DrawOp::Text:
        out += "[\"text\",";
        for (const int64_t v :
             {int64_t{op.x}, int64_t{op.y}, int64_t{op.colour}, int64_t{op.size}}) {
          json::AppendInt(out, v);
          out += ',';
        }
        out += '"';
        AppendHex(out, op.text);
        out += "\",";
        json::AppendUtf8String(out, Utf8Of(op.text));
        break;
    }
    out += ']';
  }
  out += "],\"state\":";
  AppendStateRecord(out, frame.state);
  out += '}';
}

void TraceWriter::Exit(int code) {
  buffer_ += "{\"ev\":\"exit\",\"code\":";
  json::AppendInt(buffer_, code);
  buffer_ += '}';
  EndLine();
}

void TraceWriter::End(uint32_t tick) {
  StopRecord("end", tick);
}

void TraceWriter::Crash(uint32_t tick) {
  StopRecord("crash", tick);
}

void TraceWriter::StopRecord(const char* ev, uint32_t tick) {
  buffer_ += "{\"ev\":\"";
  buffer_ += ev;
  buffer_ += "\",\"tick\":";
  json::AppendInt(buffer_, tick);
  buffer_ += '}';
  EndLine();
}

const std::string& TraceWriter::Utf8Of(std::string_view sjis) {
  key_.assign(sjis);
  auto it = utf8Cache_.find(key_);
  if (it != utf8Cache_.end()) return it->second;
  // Flashing numbers make new lines all the time; start afresh rather than grow without end.
  if (utf8Cache_.size() >= kUtf8CacheLimit) utf8Cache_.clear();
  return utf8Cache_.emplace(key_, SjisToUtf8(sjis)).first->second;
}
