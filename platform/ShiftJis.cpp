#include "platform/ShiftJis.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

// One conversion over iconv; on an invalid or unmappable sequence, `skip` bytes of input are
// dropped and `replacement` written instead.
std::string Convert(const char* to, const char* from, std::string_view in, size_t skip,
                    std::string_view replacement) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buffer[256];
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // Skip one whole UTF-8 character, or one Shift-JIS byte.
      size_t n = skip;
      if (skip == 0) {
        auto lead = static_cast<unsigned char>(*src);
        n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      }
      if (n > srcLeft) n = srcLeft;
      src += n;
      srcLeft -= n;
      out.append(replacement);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Sjis(std::string_view utf8) {
  return Convert("CP932", "UTF-8", utf8, 0, "?");
}

std::string SjisToUtf8(std::string_view sjis) {
  return Convert("UTF-8", "CP932", sjis, 1, "\xEF\xBF\xBD");
}

namespace {

// Lead bytes 0x81-0x9F take rows 0-30 of the table, 0xE0-0xFC rows 31-59.
int LeadRow(unsigned char lead) {
  return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
}

std::vector<char32_t> BuildPairTable() {
  std::vector<char32_t> table(60 * 256, 0);
  iconv_t cd = iconv_open("UTF-32LE", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return table;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!SjisIsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      unsigned char out[8] = {};
      char* src = in;
      size_t srcLeft = 2;
      char* dst = reinterpret_cast<char*>(out);
      size_t dstLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      // Only a pair that turns into exactly one character counts.
      if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0 ||
          dstLeft != sizeof out - 4) {
        continue;
      }
      table[LeadRow(static_cast<unsigned char>(lead)) * 256 + trail] =
          static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
    }
  }
  iconv_close(cd);
  return table;
}

}  // namespace

char32_t SjisPairToCodePoint(unsigned char lead, unsigned char trail) {
  if (!SjisIsLeadByte(lead)) return 0;
  static const std::vector<char32_t> table = BuildPairTable();
  return table[LeadRow(lead) * 256 + trail];
}
