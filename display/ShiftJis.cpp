#include "display/ShiftJis.h"

#include <iconv.h>

#include <cerrno>

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

std::string Sjis(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, 0, "?"); }

std::string SjisToUtf8(std::string_view sjis) {
  return Convert("UTF-8", "CP932", sjis, 1, "\xEF\xBF\xBD");
}
