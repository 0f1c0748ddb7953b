// The committed whole-pass script (scripts/pass.replay) replayed against its committed trace
// (tests/golden/pass.trace.jsonl): any change that moves a drawing call, a tick or a shared value
// in any frame shows up here with its frame number. When a change is meant to alter the game,
// regenerate the trace with scripts/golden.sh and review its diff.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/Scenario.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> ReadLines(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The members of a JSON object or the elements of an array, as text: split at the commas outside
// strings and nested brackets.
std::vector<std::string_view> Elements(std::string_view json) {
  std::vector<std::string_view> out;
  int depth = 0;
  bool inString = false;
  size_t start = 1;
  for (size_t i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (inString) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if ((c == '}' || c == ']') && --depth == 0) {
      if (i > start) out.push_back(json.substr(start, i - start));
    } else if (c == ',' && depth == 1) {
      out.push_back(json.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

// The value of one member text ("key":value).
std::string_view Value(std::string_view member) {
  return member.substr(member.find("\":") + 2);
}

std::string_view Member(const std::vector<std::string_view>& members, std::string_view key) {
  const std::string prefix = "\"" + std::string(key) + "\":";
  for (std::string_view m : members) {
    if (m.substr(0, prefix.size()) == prefix) return m;
  }
  return {};
}

// What differs between two records: the first differing member, and inside "ops" and "state"
// the first differing element.
std::string Difference(std::string_view want, std::string_view got) {
  const auto w = Elements(want);
  const auto g = Elements(got);
  for (size_t i = 0; i < w.size() || i < g.size(); ++i) {
    const std::string_view wm = i < w.size() ? w[i] : "(nothing)";
    const std::string_view gm = i < g.size() ? g[i] : "(nothing)";
    if (wm == gm) continue;
    const std::string key(wm.substr(0, wm.find(':')));
    if (key == "\"ops\"" || key == "\"state\"") {
      const auto wi = Elements(Value(wm));
      const auto gi = Elements(Value(gm));
      for (size_t k = 0; k < wi.size() || k < gi.size(); ++k) {
        const std::string_view a = k < wi.size() ? wi[k] : "(nothing)";
        const std::string_view b = k < gi.size() ? gi[k] : "(nothing)";
        if (a == b) continue;
        const std::string where = key == "\"ops\"" ? "op " + std::to_string(k) : "state";
        return where + ": expected " + std::string(a) + ", got " + std::string(b);
      }
    }
    return "expected " + std::string(wm) + ", got " + std::string(gm);
  }
  return "the records differ in layout";
}

TEST(GoldenTrace, TheWholePassReplaysFrameForFrame) {
  const fs::path golden = fs::path(KAVREL_SOURCE_DIR) / "tests" / "golden" / "pass.trace.jsonl";
  const std::vector<std::string> want = ReadLines(golden);
  ASSERT_FALSE(want.empty()) << "cannot read " << golden;

  ScratchDir dir;
#ifdef _WIN32
  const std::string quote = "\"";  // the Windows command interpreter's quotes
#else
  const std::string quote = "'";
#endif
  ASSERT_EQ(RunReplayTool(quote + KAVREL_SOURCE_DIR + "/scripts/pass.replay" + quote +
                          " --trace trace.jsonl"),
            3);
  const std::vector<std::string> got = ReadLines(dir.PathOf("trace.jsonl"));

  for (size_t i = 0; i < want.size() && i < got.size(); ++i) {
    if (want[i] == got[i]) continue;
    const auto members = Elements(want[i]);
    FAIL() << "trace line " << i + 1 << ", frame " << Value(Member(members, "n")) << " of screen "
           << Value(Member(members, "screen")) << ": " << Difference(want[i], got[i]);
  }
  EXPECT_EQ(got.size(), want.size()) << "the trace has another length";
}

}  // namespace
