// DeviceSim: the package this build installs — the programs it runs, where it
// goes, and the names a tool looks for in it.
#pragma once

#include <string>
#include <vector>

namespace sim {

class Device;

// Where the package goes unless told otherwise.
inline const std::u16string kPackageFolder = u"\\Program Files\\Pointrel";
// The folder of the Start menu's Programs list.
inline const std::u16string kStartMenuPrograms = u"\\Windows\\Start Menu\\Programs";
// The cursor program's window class.
inline const std::u16string kCursorWindowClass = u"QuorvaneCursorDisplayClass";

// Makes the package's programs runnable on the device (installing does it too;
// a test that runs code with a program's resources needs only this).
void AddPackagePrograms(Device &device);
// Lays out the package: programs, the install hooks, cursor images, the
// shortcut. False when
// a file could not be written (a bad or over-long folder); what could be
// written stays.
bool InstallPackage(Device &device, const std::u16string &folder = kPackageFolder);
// The same, giving the number of files and folders that could not be written;
// with `startMenu`, as the package's CAB does, with the Start menu's shortcuts.
int InstallPackageFiles(Device &device, const std::u16string &folder, bool startMenu);
// The files the package lays out for a folder (the Start menu's shortcuts too).
std::vector<std::u16string> PackageFiles(Device &device, const std::u16string &folder);
// Removes the package's files, and its folders when that leaves them empty.
void RemovePackageFiles(Device &device, const std::u16string &folder);

} // namespace sim
