// Why a file or folder could not be used, in the game's own words (UTF-8), Japanese and English:
// the same on every system, where the C library's text differs between them. The game's boxes,
// the ranking tool and the launcher all say these, so the operator meets one word for each cause.
#pragma once

#include "platform/Language.h"

plat::Bilingual FileFailureReason(int error);

// The Japanese half, for the game's boxes.
inline const char* JapaneseReason(int error) {
  return FileFailureReason(error).ja;
}
