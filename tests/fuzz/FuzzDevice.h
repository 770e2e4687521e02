// What the fuzz targets that need a running device share: one device for the
// whole run, and a way to run a body as a program on it.
#pragma once

#include "device/Device.h"

#include <windows.h>

#include <functional>

namespace fuzz {

// The device of the current input. No shell: the targets feed a program's
// inputs, and every input then costs one process start and nothing else.
inline sim::Device *&CurrentDevice() {
    static sim::Device *device = nullptr;
    return device;
}

inline sim::Device &SharedDevice() {
    sim::Device *&device = CurrentDevice();
    if (!device) {
        sim::DeviceConfig config;
        config.shell = false;
        device = new sim::Device(config);
    }
    return *device;
}

// A device keeps the record of every process it has run, as the platform
// keeps an ended process for its handles; over millions of inputs those
// records would fill the host's memory, so each device serves a few thousand.
inline void RenewDeviceEvery(unsigned inputs) {
    static unsigned served = 0;
    if (++served % inputs == 0) {
        delete CurrentDevice();
        CurrentDevice() = nullptr;
    }
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
    RenewDeviceEvery(4096);
}

} // namespace fuzz
