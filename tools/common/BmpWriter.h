// Writes 8-bit palette images as uncompressed Windows bitmaps: a 14-byte file header, a 40-byte
// information header, a full 256-entry colour table and bottom-up rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/System.h"

// `pixels` holds `height` rows of `width` bytes, top row first.
std::vector<uint8_t> EncodeBmp8(const uint8_t* pixels, int width, int height,
                                const plat::PaletteEntry* palette);

// False when the file cannot be written completely.
bool WriteBmp8(const std::string& path, const uint8_t* pixels, int width, int height,
               const plat::PaletteEntry* palette);
