// Writes a frame of palette indices as an RGB PNG file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/System.h"

bool WritePng(const std::string& path, const uint8_t* pixels, int width, int height, int pitch,
              const plat::PaletteEntry* palette);
