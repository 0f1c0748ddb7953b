#include "store/ControlsFile.h"

namespace {

// A mapping is a few dozen lines; anything longer is not one.
constexpr size_t kMaxControlsFileBytes = 64 * 1024;

}  // namespace

ControlsFileRead ReadControlsFile() {
  ControlsFileRead result;
  std::string text;
  result.file = ReadDataFile(plat::kControlsFileName, text, kMaxControlsFileBytes);
  if (result.file.kind == DataFileRead::Read) result.read = plat::ParseControls(text);
  return result;
}

bool SaveControlsFile(const std::string& bytes, int& error, FileOps& ops) {
  error = 0;
  return ReplaceFile(ops, plat::kControlsFileName, bytes, &error);
}
