// What the fuzz targets that need a running device share: one device for the
// whole run, and a way to run a body as a program on it.
#pragma once

#include "device/Device.h"

#include <windows.h>

#include <functional>

namespace fuzz {

// No shell: the targets feed a program's inputs, and every input then costs
// one process start and nothing else.
inline sim::Device &SharedDevice() {
    static sim::Device *device = [] {
        sim::DeviceConfig config;
        config.shell = false;
        return new sim::Device(config);
    }();
    return *device;
}

// Runs body as a process of the device and waits for its end; a body that
// has not ended after a simulated minute is a hang.
inline void RunOnDevice(const std::function<void()> &body) {
    sim::Device &d = SharedDevice();
    uint32_t pid = d.StartFunction(
        u"\\Temp\\fuzz.exe",
        [&body] {
            body();
            return 0u;
        },
        "");
    for (int i = 0; i < 600 && d.ExitCode(pid) == STILL_ACTIVE; ++i)
        d.Wait(i == 0 ? 0 : 100);
    if (d.ExitCode(pid) == STILL_ACTIVE)
        __builtin_trap();
}

} // namespace fuzz
