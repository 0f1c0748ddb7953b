#include "screens/Scoring.h"

#include <cmath>
#include <limits>

int32_t TotalScore(double carDistance, double bounceScore) {
  const double a = (carDistance - 245.0) / 40.0;
  const double b = (bounceScore - 695.0) / 45.0;
  const double sum = a + b;
  // Converting a double outside the int range is undefined, so hold it to the ends first.
  if (std::isnan(sum)) return 0;
  if (sum >= 2147483648.0) return std::numeric_limits<int32_t>::max();
  if (sum <= -2147483649.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(sum);
}

char GradeLetter(int32_t totalScore) {
  if (totalScore >= 100) return 'S';
  if (totalScore < 0) return 'K';
  return "JIHGFEDCBA"[totalScore / 10];
}
