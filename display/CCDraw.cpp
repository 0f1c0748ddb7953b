// The display object's device side: the flipping pair, the palette object and the slot table.
#include "display/CCDraw.h"

#include <algorithm>
#include <cstring>

#include "display/TextRenderer.h"

CCDraw::CCDraw(plat::System& window, int slots) : directDraw(&window) {
  slotCount = std::max(slots, 0);
  slotSurfaces.resize(slotCount);
  slotInfo.assign(slotCount, SurfaceInfo{});
  ownerWindow = &window;

  primarySurface = std::make_unique<Surface>(kScreenWidth, kScreenHeight, kScreenWidth);
  backBuffer = std::make_unique<Surface>(kScreenWidth, kScreenHeight, kScreenWidth);
  palette = std::make_unique<PaletteEntry[]>(256);
  std::copy(displayPalette, displayPalette + 256, palette.get());
  backBuffer->colourKey = true;

  text_ = std::make_unique<TextRenderer>();
}

CCDraw::~CCDraw() = default;

HRESULT CCDraw::ClearBackBuffer() {
  std::fill(backBuffer->pixels.begin(), backBuffer->pixels.end(), uint8_t{0});
  return DD_OK;
}

HRESULT CCDraw::Flip() {
  // Flipping exchanges the memory behind the two surfaces, so the back buffer then holds the frame
  // shown before, as with a real flipping chain.
  std::swap(primarySurface->pixels, backBuffer->pixels);
  ownerWindow->Present(primarySurface->pixels.data(), primarySurface->pitch, palette.get());
  return DD_OK;
}

int CCDraw::LoadPalette(const char* fileName, int loadOnly, int first, int last) {
  std::unique_ptr<uint8_t[]> image = ReadBitmapFile(fileName, loadedPalette, nullptr, first, last);
  if (!image) return -1;
  image.reset();
  if (loadOnly == 0) CopyLoadedPalette();
  ApplyPalette();
  return 0;
}

void CCDraw::CopyLoadedPalette() {
  std::memcpy(displayPalette, loadedPalette, sizeof displayPalette);
}

HRESULT CCDraw::ApplyPalette() {
  // A fresh palette object each time, never edited in place.
  palette.reset();
  palette = std::make_unique<PaletteEntry[]>(256);
  std::copy(displayPalette, displayPalette + 256, palette.get());
  return DD_OK;
}

void CCDraw::CreateBlankSurface(int slot, int width, int height, uint8_t colourKeyed) {
  if (slot < 0 || slot >= slotCount) return;
  // Always a multiple of 4 and larger than asked, within the screen's size.
  int64_t w = 4 * (static_cast<int64_t>(width) / 4) + 4;
  int64_t h = 4 * (static_cast<int64_t>(height) / 4) + 4;
  w = std::min<int64_t>(w, kScreenWidth);
  h = std::min<int64_t>(h, kScreenHeight);
  ReleaseSurface(slot);
  // A negative request leaves no usable size: the slot stays empty as if creation had failed.
  if (w <= 0 || h <= 0) return;

  auto surface =
      std::make_unique<Surface>(static_cast<int>(w), static_cast<int>(h), static_cast<int>(w));
  SurfaceInfo& info = slotInfo[slot];
  info.width = surface->width;
  info.height = surface->height;
  info.colourKeyed = colourKeyed;
  info.inUse = 1;
  info.pitch = surface->pitch;
  surface->colourKey = colourKeyed != 0;
  slotSurfaces[slot] = std::move(surface);
  ClearSurface(slot);
}

void CCDraw::ReleaseSurface(int slot) {
  if (slot < 0 || slot >= slotCount) return;
  slotSurfaces[slot].reset();
}

void CCDraw::ClearSurface(int slot) {
  Surface* surface = SlotSurface(slot);
  if (!surface) return;
  SurfaceInfo info = GetSurfaceInfo(slot);
  uint8_t* pixels = LockSurface(slot);
  if (!pixels) return;
  // The record may have been overwritten by SetSurfaceInfo: never reach past the real surface.
  const int rows = std::clamp(info.height, 0, surface->height);
  const int bytes = std::clamp(info.width, 0, surface->width);
  for (int r = 0; r < rows; ++r) {
    std::memset(pixels + static_cast<size_t>(r) * surface->pitch, 0, bytes);
  }
  UnlockSurface(slot);
}

uint8_t* CCDraw::LockSurface(int slot) {
  Surface* surface = SlotSurface(slot);
  if (!surface || surface->dcHeld) return nullptr;
  return surface->pixels.data();
}

void CCDraw::UnlockSurface(int) {}

SurfaceInfo CCDraw::GetSurfaceInfo(int slot) const {
  if (slot < 0 || slot >= slotCount) return {};
  return slotInfo[slot];
}

void CCDraw::SetSurfaceInfo(int slot, const SurfaceInfo& info) {
  if (slot < 0 || slot >= slotCount) return;
  slotInfo[slot] = info;
}

Surface* CCDraw::SlotSurface(int slot) const {
  if (slot < 0 || slot >= slotCount) return nullptr;
  return slotSurfaces[slot].get();
}

Surface* CCDraw::TargetSurface(int target) {
  if (target == -1) return backBuffer.get();
  return SlotSurface(target);
}
