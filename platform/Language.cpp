#include "platform/Language.h"

#include <cstdlib>
#include <string_view>

#ifdef _WIN32
#include "platform/win/WinHost.h"
#endif

namespace plat {

namespace {

#ifndef _WIN32
// The language the C library would take for messages, without needing that locale installed.
std::string_view MessagesLanguage() {
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && value[0]) return value;
  }
  return {};
}
#endif

}  // namespace

bool OperatorReadsJapanese() {
#ifdef _WIN32
  return win::UserInterfaceIsJapanese();
#else
  const std::string_view language = MessagesLanguage();
  return language.substr(0, 2) == "ja" &&
         (language.size() == 2 || language[2] == '_' || language[2] == '.' || language[2] == ':' ||
          language[2] == '@');
#endif
}

const char* Say(const Bilingual& message) {
  return OperatorReadsJapanese() ? message.ja : message.en;
}

}  // namespace plat
