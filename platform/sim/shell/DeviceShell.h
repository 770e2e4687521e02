// DeviceSim: the device shell — the today screen, the task bar with its Start
// button and menu, the soft-key bar and the soft-input-panel button — as the
// device's first process.
#pragma once

namespace sim {

class Kernel;

// Starts the shell's process; its windows appear once it has run.
void StartDeviceShell(Kernel &kernel);

} // namespace sim
