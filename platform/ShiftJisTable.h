// The code page 932 double-byte table (platform/ShiftJisTable.cpp, generated).
#pragma once

#include <cstdint>

inline constexpr int kSjisLeadRows = 60;       // 0x81-0x9F, then 0xE0-0xFC
inline constexpr int kSjisTrailColumns = 189;  // 0x40-0xFC

extern const uint16_t kSjisPairTable[kSjisLeadRows][kSjisTrailColumns];
