// The operator's language, for what the booth's operator reads outside the game: the launcher's
// and the tools' help and messages. The game's own screens and boxes are Japanese always.
#pragma once

namespace plat {

// True when the operator reads Japanese: on Linux, the first of LANGUAGE, LC_ALL, LC_MESSAGES and
// LANG that is set and not empty names Japanese ("ja", "ja_JP.UTF-8", "ja:en"); on Windows, the
// user's interface language is Japanese.
bool OperatorReadsJapanese();

// One message in both languages, UTF-8.
struct Bilingual {
  const char* ja;
  const char* en;
};

// The operator's half of `message`.
const char* Say(const Bilingual& message);

}  // namespace plat
