// How the two events' results become a total score and a grade letter.
#pragma once

#include <cstdint>

// (carDistance − 245) / 40 + (bounceScore − 695) / 45, truncated toward zero. Results read from a
// hand-edited record can be huge or not a number: they are held to the int range, nan counts 0.
int32_t TotalScore(double carDistance, double bounceScore);

// S for 100 or more, A to J for the tens from 90 down to 0, K below 0.
char GradeLetter(int32_t totalScore);
