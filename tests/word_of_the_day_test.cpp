#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/ShiftJis.h"
#include "screens/WordOfTheDay.h"

namespace {

bool StartsWith(std::string_view s, std::string_view p) {
  return s.substr(0, p.size()) == p;
}
bool EndsWith(std::string_view s, std::string_view p) {
  return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}

TEST(WordOfTheDay, NinetyFiveFramedLinesThatFitTheScreen) {
  const std::string open = Sjis("～　");
  const std::string close = Sjis("　～");
  const std::string wave = Sjis("～");
  ASSERT_EQ(open, "\x81\x60\x81\x40");
  int tightEndings = 0;
  std::set<std::string> distinct;
  for (int i = 0; i < kWordOfTheDayCount; ++i) {
    SCOPED_TRACE(i);
    const std::string_view line = WordOfTheDay(i);
    const std::string_view utf8 = WordOfTheDayUtf8(i);
    // Nothing is lost on the way to Shift-JIS.
    EXPECT_EQ(SjisToUtf8(line), utf8);
    EXPECT_EQ(line, Sjis(utf8));
    EXPECT_GE(line.size(), 24u);
    EXPECT_LE(line.size(), 69u);
    EXPECT_TRUE(StartsWith(line, open));
    ASSERT_TRUE(EndsWith(line, wave));
    if (!EndsWith(line, close)) ++tightEndings;
    distinct.insert(std::string(line));
  }
  EXPECT_EQ(tightEndings, 4);
  EXPECT_EQ(distinct.size(), 95u);
}

TEST(WordOfTheDay, FixedLinesAndOutOfRangeIndexes) {
  EXPECT_EQ(WordOfTheDayUtf8(7), "～　キーボードを壊す勢いでプレイして下さい　～");
  EXPECT_EQ(WordOfTheDayUtf8(13), "～　連打連打で高得点！腕に自信がある奴はかかってこい！　～");
  EXPECT_EQ(WordOfTheDayUtf8(14), "～　無料でプレイ出来ます。やらなきゃ損々　～");
  EXPECT_EQ(WordOfTheDayUtf8(15), "～　毎日お風呂に入ってますか？　～");
  EXPECT_EQ(WordOfTheDayUtf8(75), "～　耳かきしすぎると、血が出ます　～");
  EXPECT_EQ(WordOfTheDay(95), WordOfTheDay(0));
  EXPECT_EQ(WordOfTheDay(-1), WordOfTheDay(0));
}

}  // namespace
