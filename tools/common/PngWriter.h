// Writes PNG files: frames of palette indices as RGB, and RGBA pictures.
#pragma once

#include <cstdint>
#include <string>

#include "platform/System.h"

bool WritePng(const std::string& path, const uint8_t* pixels, int width, int height, int pitch,
              const plat::PaletteEntry* palette);

// `rgba` holds width * height pixels of four bytes, red first, rows top first.
bool WritePngRgba(const std::string& path, const uint8_t* rgba, int width, int height);
