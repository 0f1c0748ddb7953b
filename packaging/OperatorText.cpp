#include "packaging/OperatorText.h"

namespace booth {

std::string OperatorText(const plat::Bilingual& message, std::initializer_list<std::string> parts) {
  std::string text = plat::Say(message);
  std::size_t at = 0;
  for (const std::string& part : parts) {
    at = text.find("{}", at);
    if (at == std::string::npos) break;
    text.replace(at, 2, part);
    at += part.size();
  }
  return text;
}

}  // namespace booth
