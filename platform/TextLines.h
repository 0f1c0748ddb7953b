// The lines of a small text file that people write by hand (the controls file, a replay's
// script): one setting a line, blanks free around the words, and a '#' starting a comment.
#pragma once

#include <cstddef>
#include <string_view>

namespace plat {

// A space, a tab, a CR (of a CR LF line end), a vertical tab or a form feed.
bool IsBlank(char c);
// `s` without its blanks at either end.
std::string_view TrimBlanks(std::string_view s);

// Reads `text` a line at a time, without the line end and without the comment.
class CommentedLines {
 public:
  explicit CommentedLines(std::string_view text) : text_(text) {}
  // False once every line is read.
  bool Next(std::string_view& line);
  // The number of the line Next gave last, from 1.
  size_t Number() const { return number_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  size_t number_ = 0;
};

}  // namespace plat
