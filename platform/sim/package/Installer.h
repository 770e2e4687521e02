// DeviceSim: the device's installer, \Windows\wceload.exe, run on the package
// as installing or removing its CAB would run it.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

class Device;

inline const std::u16string kInstallerPath = u"\\Windows\\wceload.exe";

// Starts the installer on the package for `folder` (passed to the hooks as
// written); gives its process id. The installer runs on its own while the
// caller goes on.
uint32_t StartSetupInstall(Device &device, const std::u16string &folder);
// Starts the installer's removal of the installed package; 0 when no package
// is installed.
uint32_t StartSetupUninstall(Device &device);
// The folder the package is installed in, or empty.
std::u16string InstalledFolder(Device &device);

} // namespace sim
