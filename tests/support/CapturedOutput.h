// What the ranking tool says, kept for a test to read: its lines and its problems apart.
#pragma once

#include <string>
#include <vector>

#include "tools/ranking/Run.h"

struct Captured : ranking::Output {
  std::string lines;
  std::vector<std::string> problems;
  void Line(const std::string& utf8) override { lines += utf8 + "\n"; }
  void Problem(const std::string& utf8) override { problems.push_back(utf8); }
};
