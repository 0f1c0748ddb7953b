// The game's own code page 932 conversion: equal to the C library's converter on every byte and
// character (where that converter exists), and able to carry every text the game draws.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ShiftJis.h"
#include "screens/WordOfTheDay.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

// Every UTF-8 literal the game turns into Shift-JIS in its sources: S("…") and Sjis("…").
std::vector<std::string> GameTexts() {
  std::vector<std::string> texts;
  const std::regex literal(R"re((?:\bS|\bSjis)\("((?:[^"\\]|\\.)*)"\))re");
  for (const char* folder : {"app", "game", "screens", "display", "store", "platform"}) {
    const std::filesystem::path dir = std::filesystem::path(KAVREL_SOURCE_DIR) / folder;
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ec)) {
      if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream source;
      source << in.rdbuf();
      const std::string text = source.str();
      for (std::sregex_iterator m(text.begin(), text.end(), literal), end; m != end; ++m) {
        std::string s = (*m)[1];
        s = std::regex_replace(s, std::regex(R"(\\n)"), "\n");
        texts.push_back(s);
      }
    }
  }
  for (int i = 0; i < kWordOfTheDayCount; ++i) texts.emplace_back(WordOfTheDayUtf8(i));
  return texts;
}

}  // namespace

TEST(ShiftJis, EveryTextTheGameDrawsConvertsBothWays) {
  const std::vector<std::string> texts = GameTexts();
  ASSERT_GT(texts.size(), 120u);  // the 95 words of the day and the screens' own lines
  for (const std::string& utf8 : texts) {
    const std::string sjis = Sjis(utf8);
    EXPECT_EQ(sjis.find('?'), utf8.find('?')) << utf8;  // no character without a code
    EXPECT_EQ(SjisToUtf8(sjis), utf8);
  }
}

TEST(ShiftJis, InvalidBytesEachBecomeOneReplacement) {
  // 0x80, 0xA0 and 0xFD-0xFF open nothing; a lead byte at the end or before a byte that is no
  // trail loses only itself.
  EXPECT_EQ(SjisToUtf8("a\x80"
                       "b\xA0\xFD\xFE\xFF"),
            "a\uFFFDb\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(SjisToUtf8("\x82\xA0\x82"), "あ\uFFFD");
  EXPECT_EQ(SjisToUtf8("\x82"
                       "A"),
            "\uFFFDA");
  EXPECT_EQ(SjisToUtf8("\x85\x40"), "\uFFFD@");  // an empty cell of the table
  EXPECT_EQ(Sjis("a\x80z\xE3\x81"), "a?z?");     // broken UTF-8
  EXPECT_EQ(Sjis("😀"), "?");
}

#ifndef _WIN32
namespace {

// The C library's conversion as the game used it before it had its own table.
std::string Iconv(const char* to, const char* from, std::string_view in, std::string_view bad,
                  bool skipUtf8) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    char buffer[64];
    char* dst = buffer;
    size_t room = sizeof buffer;
    const size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      const auto lead = static_cast<unsigned char>(*src);
      size_t n = !skipUtf8 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      n = std::min(n, left);
      src += n;
      left -= n;
      out += bad;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

TEST(ShiftJis, SameAsTheCLibraryOnEveryByteAndCharacter) {
  for (int lead = 0; lead < 256; ++lead) {
    for (int trail = 0; trail < 256; ++trail) {
      const std::string sjis{'<', static_cast<char>(lead), static_cast<char>(trail), '>'};
      ASSERT_EQ(SjisToUtf8(sjis), Iconv("UTF-8", "CP932", sjis, "\uFFFD", false))
          << std::hex << lead << " " << trail;
    }
  }
  for (char32_t cp = 1; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::string utf8;
    if (cp < 0x80) {
      utf8 = {static_cast<char>(cp)};
    } else if (cp < 0x800) {
      utf8 = {static_cast<char>(0xC0 | cp >> 6), static_cast<char>(0x80 | (cp & 0x3F))};
    } else {
      utf8 = {static_cast<char>(0xE0 | cp >> 12), static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
              static_cast<char>(0x80 | (cp & 0x3F))};
    }
    ASSERT_EQ(Sjis(utf8), Iconv("CP932", "UTF-8", utf8, "?", true))
        << std::hex << static_cast<uint32_t>(cp);
  }
}
#endif
