// kavrel-ranking [--data-dir DIR] COMMAND: the booth operator's tool for the ranking and the
// record, without a text editor. See Run.h for the exit codes.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/ranking/Run.h"
#ifdef _WIN32
#include "platform/win/WinHost.h"
#endif

namespace {

void Write(std::FILE* stream, const std::string& line) {
#ifdef _WIN32
  plat::win::WriteText(stream, line + "\n");
#else
  std::fputs((line + "\n").c_str(), stream);
#endif
}

class Streams : public ranking::Output {
 public:
  void Line(const std::string& utf8) override { Write(stdout, utf8); }
  void Problem(const std::string& utf8) override {
    std::fflush(stdout);
    Write(stderr, utf8);
  }
};

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  std::vector<std::string> args = plat::win::Utf8Arguments();
  if (!args.empty()) args.erase(args.begin());
  (void)argc;
  (void)argv;
#else
  const std::vector<std::string> args(argv + 1, argv + argc);
#endif
  Streams out;
  const int code = ranking::Run(args, out);
  std::fflush(stdout);
  return code;
}
