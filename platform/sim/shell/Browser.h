// DeviceSim: the device's web browser, a stand-in that shows the address it
// was started with.
#pragma once

#include "kernel/Process.h"

#include <string>

namespace sim {

inline const std::u16string kBrowserPath = u"\\Windows\\iexplore.exe";
inline const std::u16string kBrowserClass = u"IExplore";

// The browser as a program the device can run.
const ProgramImage &BrowserImage();

} // namespace sim
