#include "upkeep/Text.h"

#include <string_view>

namespace ranking {

std::string Fill(const char* pattern, std::initializer_list<std::string> values) {
  std::string out;
  const std::string* next = values.begin();
  for (std::string_view rest = pattern; !rest.empty();) {
    const size_t at = rest.find("{}");
    if (at == std::string_view::npos || next == values.end()) {
      out += rest;
      break;
    }
    out += rest.substr(0, at);
    out += *next++;
    rest.remove_prefix(at + 2);
  }
  return out;
}

}  // namespace ranking
