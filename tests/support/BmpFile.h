// Builds small 8-bit bitmap files for the display tests, and temporary paths to put them in.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace testbmp {

inline void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = (v >> 8) & 0xFF;
}

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

// A file with the fixed layout: headers, 256 colours (entry i: blue i, green i+1, red i+2,
// reserved 0) and `rows` given top row first, stored bottom row first right after the table.
inline std::vector<uint8_t> Make(int width, const std::vector<std::vector<uint8_t>>& rows) {
  const int height = static_cast<int>(rows.size());
  std::vector<uint8_t> b(54 + 1024);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, 54 + 1024);
  Put32(b, 14, 40);
  Put32(b, 18, width);
  Put32(b, 22, height);
  Put16(b, 26, 1);
  Put16(b, 28, 8);
  for (int i = 0; i < 256; ++i) {
    b[54 + 4 * i] = i & 0xFF;
    b[55 + 4 * i] = (i + 1) & 0xFF;
    b[56 + 4 * i] = (i + 2) & 0xFF;
  }
  for (int r = height - 1; r >= 0; --r) b.insert(b.end(), rows[r].begin(), rows[r].end());
  return b;
}

// A path in the temporary directory, unique to this process; removed with the object.
class TempPath {
 public:
  explicit TempPath(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              ("kavrel-" + std::to_string(::getpid()) + "-" + name)) {}
  ~TempPath() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const char* c_str() const { return native_.c_str(); }
  std::string str() const { return path_.string(); }
  void Write(const std::vector<uint8_t>& bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

 private:
  std::filesystem::path path_;
  std::string native_ = path_.string();
};

}  // namespace testbmp
