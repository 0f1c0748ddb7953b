// The one display object: a 640 x 480 8-bit back buffer presented through the platform, one
// 256-colour palette, a table of off-screen surface slots, bitmap files, clipped blits and text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "display/Surface.h"
#include "platform/System.h"

using HRESULT = int32_t;
using plat::PaletteEntry;

// Results in DirectDraw's numbering.
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096u);
constexpr HRESULT DDERR_SURFACEBUSY = static_cast<HRESULT>(0x887601AEu);
constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
constexpr HRESULT DDERR_WASSTILLDRAWING = static_cast<HRESULT>(0x8876021Cu);

// The back buffer is the frame the platform presents.
constexpr int kScreenWidth = plat::kFrameWidth;
constexpr int kScreenHeight = plat::kFrameHeight;

struct SurfaceInfo {
  uint8_t colourKeyed = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;
  uint8_t inUse = 0;
};

#pragma pack(push, 1)
struct BitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BitmapInfoHeader) == 40);

struct SpriteRect {
  int32_t left;
  int32_t right;
  int32_t top;
  int32_t bottom;
  int32_t hotX;
  int32_t hotY;
  int32_t slot;
};

SpriteRect MakeSpriteRect(int left, int top, int right, int bottom, int hotX, int hotY, int slot);
SpriteRect MakeSpriteRect(int left, int top, int right, int bottom, int slot);

// Sees every drawing call of a frame, for the replay trace. BackgroundTiles reports itself as one
// call and hides its tile blits.
class DrawRecorder {
 public:
  virtual ~DrawRecorder() = default;
  virtual void OnTiles(int rows) = 0;
  virtual void OnBlit(int x, int y, int left, int top, int right, int bottom) = 0;
  virtual void OnText(int x, int y, uint32_t colour, int size, std::string_view text) = 0;
};

// A slot surface's text handle, standing in for a GDI device context.
using SurfaceDC = Surface*;

class TextRenderer;

class CCDraw {
 public:
  CCDraw(plat::System& window, int slots);
  ~CCDraw();
  CCDraw(const CCDraw&) = delete;
  CCDraw& operator=(const CCDraw&) = delete;

  // Device and palette.
  HRESULT ClearBackBuffer();
  HRESULT Flip();
  int LoadPalette(const char* fileName, int loadOnly, int first, int last);
  void CopyLoadedPalette();
  HRESULT ApplyPalette();
  PaletteEntry* GetDisplayPalette() { return displayPalette; }
  PaletteEntry* GetLoadedPalette() { return loadedPalette; }

  // Slot surfaces.
  void CreateBlankSurface(int slot, int width, int height, uint8_t colourKeyed);
  void ReleaseSurface(int slot);
  void ClearSurface(int slot);
  uint8_t* LockSurface(int slot);
  void UnlockSurface(int slot);
  SurfaceInfo GetSurfaceInfo(int slot) const;
  void SetSurfaceInfo(int slot, const SurfaceInfo& info);

  // Bitmap files. The returned block is the caller's.
  std::unique_ptr<uint8_t[]> ReadBitmapFile(const char* fileName, PaletteEntry* paletteOut,
                                            BitmapInfoHeader* headerOut, int first, int last);
  int LoadBitmap(const char* fileName, int slot, uint8_t colourKeyed);
  void ReadPalette(const char* fileName, PaletteEntry* paletteOut);

  // Blits.
  HRESULT BlitFast(int source, int x, int y, int left, int top, int right, int bottom,
                   int target = -1);
  HRESULT DrawSprite(const SpriteRect& sprite, int x, int y);
  HRESULT BlitStretch(int source, int dLeft, int dTop, int dRight, int dBottom, int sLeft, int sTop,
                      int sRight, int sBottom, int target = -1);
  HRESULT CaptureBackBuffer(int slot);

  // Text (Shift-JIS) and lines. Colours are 0x00BBGGRR.
  void DrawText(std::string_view text, int x, int y, uint32_t colour, int width, int height,
                int weight, SurfaceDC dc, int opaque);
  void DrawText(std::string_view text, int x, int y, uint32_t colour, int size, int weight,
                SurfaceDC dc);
  void DrawText(std::string_view text, int x, int y, uint32_t colour, int size);
  void DrawText(std::string_view text, int x, int y, uint32_t colour);
  void DrawText(std::string_view text, int x, int y);
  int TextWidth(int slot, std::string_view text, int size, int weight);
  void DrawLine(int x1, int y1, int x2, int y2, uint32_t colour, int penWidth, int target);
  SurfaceDC GetSurfaceDC(int slot);
  void ReleaseSurfaceDC(int slot, SurfaceDC dc);

  // The palette index GDI would pick for a colour: smallest RGB distance, lowest index on ties.
  uint8_t NearestIndex(uint32_t colour);

  // The frame last presented by Flip, and the back buffer being drawn.
  const Surface& PresentedFrame() const { return *primarySurface; }
  const Surface& BackBuffer() const { return *backBuffer; }
  Surface& BackBuffer() { return *backBuffer; }

  void SetRecorder(DrawRecorder* recorder) { recorder_ = recorder; }
  DrawRecorder* Recorder() const { return recorder_; }

 private:
  Surface* SlotSurface(int slot) const;  // null when out of range or empty
  Surface* TargetSurface(int target);    // -1: the back buffer
  void ShowBitmapError(std::string_view text, std::string_view caption);

  // The display object's state: the system, its surfaces and palettes, and the window it draws in.
  plat::System* directDraw;
  std::unique_ptr<Surface> primarySurface;
  std::unique_ptr<Surface> backBuffer;
  std::vector<std::unique_ptr<Surface>> slotSurfaces;
  std::unique_ptr<PaletteEntry[]> palette;  // the palette object the display shows
  PaletteEntry displayPalette[256] = {};
  PaletteEntry loadedPalette[256] = {};
  int32_t slotCount;
  plat::System* ownerWindow;
  std::vector<SurfaceInfo> slotInfo;

  std::unique_ptr<TextRenderer> text_;
  DrawRecorder* recorder_ = nullptr;
  uint32_t nearestCacheKey_[64] = {};
  uint8_t nearestCacheValue_[64] = {};
  bool nearestCacheValid_[64] = {};
};
