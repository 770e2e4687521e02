// DeviceSim: reading .bmp files into pixel surfaces, for SHLoadDIBitmap and
// bitmap resources.
#pragma once

#include "gdi/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

// Decodes a whole .bmp file (BITMAPFILEHEADER followed by a core, info, V4
// or V5 header). The result keeps the file's bit count, masks, palette and
// row order. Uncompressed and BI_BITFIELDS files only. Any malformed or
// unsupported file gives false and a reason in *why, and leaves out as it was.
bool DecodeBmp(const uint8_t *data, size_t size, Bitmap &out, std::string *why);

} // namespace sim
