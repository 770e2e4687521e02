// DeviceSim: the device's own personal-information programs — Calendar,
// Contacts and Messaging — as stand-ins that each show one titled window,
// and the Start menu shortcuts that run them.
#pragma once

#include "kernel/Process.h"

#include <string>
#include <vector>

namespace sim {

class Kernel;

inline const std::u16string kCalendarPath = u"\\Windows\\calendar.exe";
inline const std::u16string kOutlookPath = u"\\Windows\\poutlook.exe";
inline const std::u16string kMessagingPath = u"\\Windows\\tmail.exe";

// The programs, as the device can run them.
const std::vector<const ProgramImage *> &StandInImages();
// Makes the programs runnable and lays out their files and their shortcuts
// in \Windows\Start Menu\Programs.
void LayOutStandInPrograms(Kernel &kernel);

} // namespace sim
