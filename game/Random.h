// The game's one random generator: the platform C library's linear congruential rand(), so that a
// seed gives the same numbers everywhere.
#pragma once

#include <cstdint>

class Random {
 public:
  void Seed(uint32_t seed) { state_ = seed; }
  // 0 to 32767.
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }
  // A random number below n: one draw modulo n.
  int Below(int n) { return Next() % n; }

 private:
  uint32_t state_ = 1;
};
