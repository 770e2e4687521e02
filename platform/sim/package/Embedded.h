// DeviceSim: files built into the simulator (the package's cursor images and
// the programs' compiled resources).
#pragma once

#include <cstddef>

namespace sim {

struct EmbeddedFile {
    const char *name;
    const unsigned char *bytes;
    size_t size;
};

} // namespace sim
