// Stub, replaced by the text implementation.
#include "display/CCDraw.h"
#include "display/TextRenderer.h"

TextRenderer::TextRenderer() = default;
TextRenderer::~TextRenderer() = default;
void TextRenderer::Draw(Surface&, std::string_view, int, int, uint8_t, int, int, bool) {}
int TextRenderer::Measure(std::string_view, int, int) { return 0; }

void CCDraw::DrawText(std::string_view text, int x, int y, uint32_t colour, int width, int height,
                      int, SurfaceDC, int) {
  if (recorder_) recorder_->OnText(x, y, colour, height, text);
  (void)width;
}
void CCDraw::DrawText(std::string_view text, int x, int y, uint32_t colour, int size, int weight,
                      SurfaceDC dc) {
  DrawText(text, x, y, colour, size, size, weight, dc, 0);
}
void CCDraw::DrawText(std::string_view text, int x, int y, uint32_t colour, int size) {
  DrawText(text, x, y, colour, size, 220, nullptr);
}
void CCDraw::DrawText(std::string_view text, int x, int y, uint32_t colour) {
  DrawText(text, x, y, colour, 12);
}
void CCDraw::DrawText(std::string_view text, int x, int y) { DrawText(text, x, y, 0x00FFFFFF); }
int CCDraw::TextWidth(int, std::string_view, int, int) { return 0; }
void CCDraw::DrawLine(int, int, int, int, uint32_t, int, int) {}
SurfaceDC CCDraw::GetSurfaceDC(int) { return nullptr; }
void CCDraw::ReleaseSurfaceDC(int, SurfaceDC) {}
uint8_t CCDraw::NearestIndex(uint32_t) { return 0; }
