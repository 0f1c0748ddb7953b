#include "platform/ShiftJis.h"

#include <array>
#include <cstdint>
#include <vector>

#include "platform/ShiftJisTable.h"
#include "platform/Utf8.h"

// One table-driven conversion of our own, the same on every system: the C library's and the
// system's code page 932 converters disagree on invalid bytes and on a few characters.

namespace {

constexpr char kUnmapped = '?';
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Lead bytes 0x81-0x9F take rows 0-30 of the table, 0xE0-0xFC rows 31-59.
int LeadRow(unsigned char lead) {
  return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
}

unsigned char RowLead(int row) {
  return static_cast<unsigned char>(row <= 30 ? row + 0x81 : row - 31 + 0xE0);
}

// Code point to Shift-JIS code (one byte below 0x100), 0 where there is none. Where code page
// 932 has two codes for a character, the JIS X 0208 one wins, then NEC's row 13, then IBM's
// extension block, then NEC's copy of that block; a few more characters take the code of a
// look-alike, as the C library's converter does.
std::vector<uint16_t> BuildEncodeTable() {
  std::vector<uint16_t> table(0x10000, 0);
  for (char32_t cp = 0; cp < 0x80; ++cp) table[cp] = static_cast<uint16_t>(cp);
  for (char32_t cp = 0xFF61; cp <= 0xFF9F; ++cp) table[cp] = static_cast<uint16_t>(cp - 0xFEC0);
  std::vector<int> rows;
  for (int row = 0; row < kSjisLeadRows; ++row) {
    const unsigned char lead = RowLead(row);
    if (lead != 0x87 && lead != 0xED && lead != 0xEE && lead < 0xFA) rows.push_back(row);
  }
  for (unsigned char lead : {0x87, 0xFA, 0xFB, 0xFC, 0xED, 0xEE}) rows.push_back(LeadRow(lead));
  for (int row : rows) {
    for (int column = 0; column < kSjisTrailColumns; ++column) {
      const uint16_t cp = kSjisPairTable[row][column];
      if (cp != 0 && table[cp] == 0)
        table[cp] = static_cast<uint16_t>(RowLead(row) << 8 | (column + 0x40));
    }
  }
  constexpr std::array<std::array<uint16_t, 2>, 9> kLookAlikes = {{
      {0x00A2, 0x8191},
      {0x00A3, 0x8192},
      {0x00A5, 0x005C},
      {0x00AC, 0x81CA},
      {0x2014, 0x815C},
      {0x2016, 0x8161},
      {0x203E, 0x007E},
      {0x2212, 0x817C},
      {0x301C, 0x8160},
  }};
  for (const auto& [cp, code] : kLookAlikes) table[cp] = code;
  return table;
}

}  // namespace

std::string Sjis(std::string_view utf8) {
  static const std::vector<uint16_t> table = BuildEncodeTable();
  std::string out;
  size_t at = 0;
  while (at < utf8.size()) {
    size_t length = 1;
    const char32_t cp = DecodeUtf8(utf8, at, length);
    at += length;
    const uint16_t code = cp < table.size() ? table[cp] : 0;
    if (code == 0 && cp != 0) {
      out += kUnmapped;
    } else if (code > 0xFF) {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    } else {
      out += static_cast<char>(code);
    }
  }
  return out;
}

std::string SjisToUtf8(std::string_view sjis) {
  std::string out;
  for (size_t at = 0; at < sjis.size(); ++at) {
    const auto b = static_cast<unsigned char>(sjis[at]);
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else if (b >= 0xA1 && b <= 0xDF) {
      AppendUtf8(out, SjisByteToCodePoint(b));
    } else if (const char32_t cp =
                   at + 1 < sjis.size()
                       ? SjisPairToCodePoint(b, static_cast<unsigned char>(sjis[at + 1]))
                       : 0;
               cp != 0) {
      AppendUtf8(out, cp);
      ++at;
    } else {
      // A byte that opens nothing, or a pair that is no character: only that byte is dropped.
      out += kReplacement;
    }
  }
  return out;
}

char32_t SjisPairToCodePoint(unsigned char lead, unsigned char trail) {
  if (!SjisIsLeadByte(lead) || trail < 0x40 || trail > 0xFC) return 0;
  return kSjisPairTable[LeadRow(lead)][trail - 0x40];
}
