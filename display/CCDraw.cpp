// Stub, replaced by the display implementation.
#include "display/CCDraw.h"

#include "display/TextRenderer.h"

CCDraw::CCDraw(plat::System& window, int slots)
    : directDraw(&window), slotCount(slots), ownerWindow(&window) {
  primarySurface = std::make_unique<Surface>(kScreenWidth, kScreenHeight, kScreenWidth);
  backBuffer = std::make_unique<Surface>(kScreenWidth, kScreenHeight, kScreenWidth);
  slotSurfaces.resize(slots);
  slotInfo.resize(slots);
  text_ = std::make_unique<TextRenderer>();
}
CCDraw::~CCDraw() = default;
HRESULT CCDraw::ClearBackBuffer() { return DD_OK; }
HRESULT CCDraw::Flip() { return DD_OK; }
int CCDraw::LoadPalette(const char*, int, int, int) { return 0; }
void CCDraw::CopyLoadedPalette() {}
HRESULT CCDraw::ApplyPalette() { return DD_OK; }
void CCDraw::CreateBlankSurface(int, int, int, uint8_t) {}
void CCDraw::ReleaseSurface(int) {}
void CCDraw::ClearSurface(int) {}
uint8_t* CCDraw::LockSurface(int) { return nullptr; }
void CCDraw::UnlockSurface(int) {}
SurfaceInfo CCDraw::GetSurfaceInfo(int) const { return {}; }
void CCDraw::SetSurfaceInfo(int, const SurfaceInfo&) {}
std::unique_ptr<uint8_t[]> CCDraw::ReadBitmapFile(const char*, PaletteEntry*, BitmapInfoHeader*,
                                                  int, int) {
  return nullptr;
}
int CCDraw::LoadBitmap(const char*, int, uint8_t) { return 0; }
void CCDraw::ReadPalette(const char*, PaletteEntry*) {}
HRESULT CCDraw::BlitFast(int, int, int, int, int, int, int, int) { return DD_OK; }
HRESULT CCDraw::DrawSprite(const SpriteRect&, int, int) { return DD_OK; }
HRESULT CCDraw::BlitStretch(int, int, int, int, int, int, int, int, int, int) { return DD_OK; }
HRESULT CCDraw::CaptureBackBuffer(int) { return DD_OK; }
Surface* CCDraw::SlotSurface(int) const { return nullptr; }
Surface* CCDraw::TargetSurface(int) { return nullptr; }
void CCDraw::ShowBitmapError(std::string_view, std::string_view) {}
SpriteRect MakeSpriteRect(int l, int t, int r, int b, int hx, int hy, int slot) {
  return {l, r, t, b, hx, hy, slot};
}
SpriteRect MakeSpriteRect(int l, int t, int r, int b, int slot) {
  return {l, r, t, b, (r - l) / 2, (b - t) / 2, slot};
}
