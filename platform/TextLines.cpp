#include "platform/TextLines.h"

namespace plat {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool CommentedLines::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  ++number_;
  size_t eol = text_.find('\n', pos_);
  if (eol == std::string_view::npos) eol = text_.size();
  line = text_.substr(pos_, eol - pos_);
  pos_ = eol + 1;
  line = line.substr(0, line.find('#'));
  return true;
}

}  // namespace plat
