#include "platform/Utf8.h"

#include <string>

char32_t DecodeUtf8(std::string_view s, size_t at, size_t& length) {
  const auto lead = static_cast<unsigned char>(s[at]);
  length = 1;
  if (lead < 0x80) return lead;
  // A bad lead byte is one bad character; a good one is followed by as many of its trail bytes as
  // are there and allowed (the second byte's range shuts out overlong forms, surrogates and
  // values past U+10FFFF), and those bytes are one bad character when the rest is missing, so
  // that the characters after them are read as written.
  const size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
                   : lead >= 0xE0 && lead <= 0xEF ? 3
                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                  : 0;
  if (n == 0) return kNotUtf8;
  const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  char32_t cp = lead & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) {
    if (at + i >= s.size()) return kNotUtf8;
    const auto b = static_cast<unsigned char>(s[at + i]);
    if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return kNotUtf8;
    cp = cp << 6 | (b & 0x3F);
    length = i + 1;
  }
  return cp;
}

const char* ControlName(char32_t c) {
  static constexpr const char* kLow[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                         "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                         "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                         "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
  if (c < 0x20) return kLow[c];
  switch (c) {
    case 0x7F:
      return "DEL";
    case 0x061C:
      return "ALM";
    case 0x200E:
      return "LRM";
    case 0x200F:
      return "RLM";
    case 0x202A:
      return "LRE";
    case 0x202B:
      return "RLE";
    case 0x202C:
      return "PDF";
    case 0x202D:
      return "LRO";
    case 0x202E:
      return "RLO";
    case 0x2066:
      return "LRI";
    case 0x2067:
      return "RLI";
    case 0x2068:
      return "FSI";
    case 0x2069:
      return "PDI";
    default:
      return nullptr;
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string VisibleName(std::string_view utf8) {
  constexpr char32_t kReplacement = 0xFFFD;
  std::string out;
  for (size_t at = 0; at < utf8.size();) {
    size_t length = 0;
    const char32_t c = DecodeUtf8(utf8, at, length);
    at += length;
    if (c < 0x20) {
      AppendUtf8(out, 0x2400 + c);
    } else if (c == 0x7F) {
      AppendUtf8(out, 0x2421);
    } else if (const char* name = ControlName(c)) {
      out += std::string("<") + name + ">";
    } else if ((c >= 0x80 && c < 0xA0) || c == kNotUtf8) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}
