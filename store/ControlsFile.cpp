#include "store/ControlsFile.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

ControlsFileRead ReadControlsFile() {
  ControlsFileRead result;
  std::string text;
  // One byte more than a mapping may have: a longer file is told, never read cut short.
  result.file = ReadDataFile(plat::kControlsFileName, text, kMaxControlsFileBytes + 1);
  if (result.file.kind == DataFileRead::Read && text.size() > kMaxControlsFileBytes) {
    result.file = {DataFileRead::Unreadable, EFBIG};
    result.tooLarge = true;
  }
  if (result.file.kind == DataFileRead::Read) result.read = plat::ParseControls(text);
  return result;
}

std::string SetControlsFileAside(int& error) {
  namespace fs = std::filesystem;
  const std::string base = std::string(plat::kControlsFileName) + ".unreadable";
  for (int n = 1; n <= 99; ++n) {
    const std::string name = n == 1 ? base : base + std::to_string(n);
    std::error_code ec;
    // Whatever is there under the name (a link included) is left alone.
    if (fs::symlink_status(name, ec).type() != fs::file_type::not_found) continue;
    fs::rename(plat::kControlsFileName, name, ec);
    error = ec.value();
    return ec ? std::string() : name;
  }
  error = EEXIST;
  return {};
}

bool SaveControlsFile(const std::string& bytes, int& error, FileOps& ops) {
  error = 0;
  return ReplaceFile(ops, plat::kControlsFileName, bytes, &error);
}
