// Why a file or folder could not be used, in the game's own words (UTF-8), Japanese and English:
// the same on every system, where the C library's text differs between them. Beside each reason
// stands its remedy, what the operator does about it. The game's boxes, the ranking tool and the
// launcher all say these, so the operator meets one word for each cause and one way out of it.
#pragma once

#include <vector>

#include "platform/Language.h"

// Not a system error: the file was read, but what it holds is damaged.
inline constexpr int kContentDamaged = -1;

struct FileFailure {
  plat::Bilingual reason;  // the cause, as a box puts it in brackets: no brackets of its own
  plat::Bilingual remedy;  // a whole sentence that tells what to do
};

const FileFailure& FileFailureFor(int error);
// Every row of the table, once, for the tests.
const std::vector<const FileFailure*>& AllFileFailures();

inline plat::Bilingual FileFailureReason(int error) {
  return FileFailureFor(error).reason;
}

// The Japanese halves, for the game's boxes.
inline const char* JapaneseReason(int error) {
  return FileFailureFor(error).reason.ja;
}
inline const char* JapaneseRemedy(int error) {
  return FileFailureFor(error).remedy.ja;
}
