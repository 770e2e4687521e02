// DeviceSim's emulator: the tour — a device script run headless and fast,
// filmed as the emulator would show it.
#pragma once

#include <iosfwd>
#include <string>

namespace sim {

// Runs the script at `scriptPath` and writes into `folder` (made if need be)
// the numbered frames frame-NNNN.png (one each time the picture changes,
// looked at every 100 ms of device time and before every command), tour.gif
// (the whole run at device speed) and trace.txt (what the script printed).
// A comment line starting "#:" in the script is a caption: the status line
// shows it until the next one. Progress and the outcome go to `log`.
// Returns the script's exit status, or 2 when the files cannot be written.
int RunTour(const std::string &scriptPath, const std::string &folder, std::ostream &log);

} // namespace sim
