// 8-bit bitmap files: one reader for pixels, colour table and header, and the loaders on top.
// The reader takes the fixed layout (14 + 40 header bytes, 256 colours at 54, bottom-up rows of
// biWidth bytes at bfOffBits) but never trusts the sizes in it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "display/CCDraw.h"
#include "platform/ShiftJis.h"

#ifdef _WIN32
// Without O_BINARY Windows reads in text mode and changes the pixels; there is no O_CLOEXEC.
constexpr int kReadFlags = O_RDONLY | O_BINARY;
#else
// Never through a link, and never waiting on a pipe planted under the sheet's name.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
#endif

namespace {

// Larger images are refused as if memory had run out; the sprite sheet is far smaller.
constexpr int32_t kMaxBitmapSide = 4096;
constexpr size_t kMessageLimit = 256;  // the message buffer, terminator included

class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const char* name) {
    if (!name) return;
    fd_ = ::open(name, kReadFlags);
    if (fd_ < 0) return;
    struct stat st {};
    // Only a regular file counts as opened: a directory or device is not a bitmap file.
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) Close();
  }
  ~ReadOnlyFile() { Close(); }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // Reads up to n bytes; returns how many arrived before the end of the file.
  size_t Read(void* out, size_t n) {
    auto* p = static_cast<uint8_t*>(out);
    size_t got = 0;
    while (got < n) {
      const ssize_t k = ::read(fd_, p + got, n - got);
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) break;
      got += static_cast<size_t>(k);
    }
    return got;
  }
  bool Seek(uint32_t offset) { return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0; }

 private:
  int fd_ = -1;
};

uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Fills the one %s of a Shift-JIS format and cuts the result to the message buffer, never
// splitting a double-byte character.
std::string FormatMessage(const std::string& format, const char* name) {
  std::string text;
  const size_t at = format.find("%s");
  if (at == std::string::npos) {
    text = format;
  } else {
    text = format.substr(0, at) + (name ? name : "") + format.substr(at + 2);
  }
  const size_t limit = kMessageLimit - 1;
  if (text.size() <= limit) return text;
  size_t end = 0;
  while (end < limit) {
    const size_t step = SjisIsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + step > limit) break;
    end += step;
  }
  text.resize(end);
  return text;
}

}  // namespace

void CCDraw::ShowBitmapError(std::string_view text, std::string_view caption) {
  ownerWindow->MessageBox(text, caption);
}

std::unique_ptr<uint8_t[]> CCDraw::ReadBitmapFile(const char* fileName, PaletteEntry* paletteOut,
                                                  BitmapInfoHeader* headerOut, int first,
                                                  int last) {
  ReadOnlyFile file(fileName);
  if (!file.IsOpen()) {
    ShowBitmapError(FormatMessage(Sjis("ＢＭＰファイル(%s)が開けません\n"), fileName), "Error");
    return nullptr;
  }

  // Bytes the file does not have read as zero.
  uint8_t fileHeader[14] = {};
  BitmapInfoHeader info{};
  file.Read(fileHeader, sizeof fileHeader);
  file.Read(&info, sizeof info);
  if (headerOut) *headerOut = info;

  const bool signature = fileHeader[0] == 'B' && fileHeader[1] == 'M';
  if (!signature || info.biWidth <= 0 || info.biHeight <= 0) {
    file.Close();
    ShowBitmapError(FormatMessage(Sjis("%s はＢＭＰファイルではありません\n"), fileName),
                    "CCDraw Error");
    return nullptr;
  }
  const uint32_t pixelOffset = Le32(fileHeader + 10);

  // The whole table is always read; entries outside first..last, or cut off by the file's end,
  // keep their values.
  uint8_t table[1024];
  const size_t tableBytes = file.Read(table, sizeof table);
  if (paletteOut) {
    for (int i = 0; i < 256; ++i) {
      if (i < first || i > last || static_cast<size_t>(i) * 4 + 4 > tableBytes) continue;
      const uint8_t* e = table + i * 4;
      paletteOut[i] = {e[2], e[1], e[0], e[3]};
    }
  }

  const int width = info.biWidth;
  const int height = info.biHeight;
  std::unique_ptr<uint8_t[]> image;
  if (width <= kMaxBitmapSide && height <= kMaxBitmapSide) {
    image.reset(new (std::nothrow) uint8_t[static_cast<size_t>(width) * height]());
  }
  if (!image) {
    file.Close();
    ShowBitmapError(Sjis("メモリが足りません"), "TM4GV");
    return nullptr;
  }

  // Rows are stored bottom first; whatever the file lacks stays 0.
  if (file.Seek(pixelOffset)) {
    for (int j = 0; j < height; ++j) {
      uint8_t* row = image.get() + static_cast<size_t>(height - 1 - j) * width;
      if (file.Read(row, width) < static_cast<size_t>(width)) break;
    }
  }
  return image;
}

int CCDraw::LoadBitmap(const char* fileName, int slot, uint8_t colourKeyed) {
  if (slot < 0 || slot >= slotCount) return -98;
  BitmapInfoHeader info{};
  std::unique_ptr<uint8_t[]> image = ReadBitmapFile(fileName, nullptr, &info, 0, 255);
  if (!image) return -99;

  ReleaseSurface(slot);
  const int width = info.biWidth;
  const int height = info.biHeight;
  slotSurfaces[slot] = std::make_unique<Surface>(width, height, width);
  Surface& surface = *slotSurfaces[slot];
  SurfaceInfo& record = slotInfo[slot];
  record.width = width;
  record.height = height;
  record.colourKeyed = colourKeyed;
  record.inUse = 1;
  const int pitch = surface.pitch;

  uint8_t* pixels = LockSurface(slot);
  if (!pixels) return -2;
  for (int r = 0; r < height; ++r) {
    std::memcpy(pixels + static_cast<size_t>(r) * pitch,
                image.get() + static_cast<size_t>(r) * width, width);
  }
  UnlockSurface(slot);
  record.pitch = pitch;
  image.reset();
  if (colourKeyed) surface.colourKey = true;
  return 0;
}

void CCDraw::ReadPalette(const char* fileName, PaletteEntry* paletteOut) {
  ReadBitmapFile(fileName, paletteOut, nullptr, 0, 255);
}
