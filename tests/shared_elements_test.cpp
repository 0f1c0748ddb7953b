#include <gtest/gtest.h>

#include "game/Random.h"
#include "game/SharedElements.h"

TEST(Random, MatchesThePlatformGenerator) {
  Random r;
  r.Seed(0);
  // state 0 -> 2531011 -> bits 16..30 = 38; next 7719, 21238 (the C library's rand() after
  // srand(0)).
  EXPECT_EQ(r.Next(), 38);
  EXPECT_EQ(r.Next(), 7719);
  EXPECT_EQ(r.Next(), 21238);
}

TEST(FullWidth, DigitsAndNumbers) {
  EXPECT_EQ(FullWidthNumber(7, 5), "\x82\x4f\x82\x4f\x82\x4f\x82\x4f\x82\x56");
  EXPECT_EQ(FullWidthNumber(123456, 5), FullWidthNumber(23456, 5));
  EXPECT_EQ(Sjis("０１２"), FullWidthDigit(0) + FullWidthDigit(1) + FullWidthDigit(2));
}
