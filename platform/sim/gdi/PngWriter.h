// DeviceSim: saving a surface as a PNG file, for screen captures that people
// and tools outside the simulation look at.
#pragma once

#include "gdi/Bitmap.h"

#include <string>

namespace sim {

// Writes the surface, top row first, as an 8-bit RGB PNG at a host path.
// False, with a reason, for an empty surface or any I/O or encoder failure;
// a partly written file is removed.
bool WritePng(const Bitmap &image, const std::string &path, std::string *why);

} // namespace sim
