// The operator's language as the launcher and the tools choose it on Linux: from the environment
// alone, so that it works where no Japanese locale is generated.
#include "platform/Language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#ifndef _WIN32

namespace {

constexpr const char* kVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

// Sets the four variables for one case and puts the test's own environment back afterwards.
class Environment {
 public:
  Environment() {
    for (int i = 0; i < 4; ++i) {
      const char* value = std::getenv(kVariables[i]);
      if (value) saved_[i] = value;
    }
  }
  ~Environment() {
    for (int i = 0; i < 4; ++i) Set(kVariables[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }
  static void Set(const char* name, const char* value) {
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }

 private:
  std::optional<std::string> saved_[4];
};

TEST(OperatorLanguage, FirstVariableSetDecides) {
  struct Case {
    const char* language;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    bool japanese;
  };
  // nullptr: not set. "" counts as not set, as for the C library.
  const Case cases[] = {
      {nullptr, nullptr, nullptr, nullptr, false},
      {nullptr, nullptr, nullptr, "ja_JP.UTF-8", true},
      {nullptr, nullptr, nullptr, "ja_JP.eucJP", true},
      {nullptr, nullptr, nullptr, "ja", true},
      {nullptr, nullptr, nullptr, "ja_JP@cjknarrow", true},
      {nullptr, nullptr, nullptr, "C", false},
      {nullptr, nullptr, nullptr, "C.UTF-8", false},
      {nullptr, nullptr, nullptr, "en_US.UTF-8", false},
      {nullptr, nullptr, nullptr, "jam", false},  // not Japanese, however it begins
      {nullptr, nullptr, nullptr, "JA_JP", false},
      {nullptr, nullptr, "ja_JP.UTF-8", "C", true},
      {nullptr, nullptr, "C", "ja_JP.UTF-8", false},
      {nullptr, "ja_JP.UTF-8", "en_GB.UTF-8", "C", true},
      {nullptr, "C", "ja_JP.UTF-8", "ja_JP.UTF-8", false},
      {nullptr, "", "", "ja_JP.UTF-8", true},
      {"ja:en", "C", nullptr, nullptr, true},
      {"ja_JP", nullptr, nullptr, "en_US.UTF-8", true},
      {"en:ja", nullptr, nullptr, "ja_JP.UTF-8", false},  // the first choice in the list counts
      {"", nullptr, nullptr, "ja_JP.UTF-8", true},
      {"", "", "", "", false},
  };
  for (const Case& c : cases) {
    Environment environment;
    Environment::Set("LANGUAGE", c.language);
    Environment::Set("LC_ALL", c.lcAll);
    Environment::Set("LC_MESSAGES", c.lcMessages);
    Environment::Set("LANG", c.lang);
    const auto shown = [](const char* v) { return v ? "\"" + std::string(v) + "\"" : "unset"; };
    SCOPED_TRACE("LANGUAGE=" + shown(c.language) + " LC_ALL=" + shown(c.lcAll) +
                 " LC_MESSAGES=" + shown(c.lcMessages) + " LANG=" + shown(c.lang));
    EXPECT_EQ(plat::OperatorReadsJapanese(), c.japanese);
    EXPECT_STREQ(plat::Say({"ja", "en"}), c.japanese ? "ja" : "en");
  }
}

}  // namespace

#endif
