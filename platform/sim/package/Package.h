// DeviceSim: the package this build installs — the programs it runs, where it
// goes, and the names a tool looks for in it.
#pragma once

#include <string>

namespace sim {

class Device;

// Where the package goes unless told otherwise.
inline const std::u16string kPackageFolder = u"\\Program Files\\Pointrel";
// The cursor program's window class.
inline const std::u16string kCursorWindowClass = u"QuorvaneCursorDisplayClass";

// Makes the package's programs runnable on the device (installing does it too;
// a test that runs code with a program's resources needs only this).
void AddPackagePrograms(Device &device);
// Lays out the package: programs, cursor images and the shortcut. False when
// a file could not be written (a bad or over-long folder); what could be
// written stays.
bool InstallPackage(Device &device, const std::u16string &folder = kPackageFolder);

} // namespace sim
