// The harness on DeviceSim: each test body runs in a fresh simulated device,
// as a program of its own. The only file of the suite that knows DeviceSim.
#include "conformance/Conformance.h"

#include "support/Devices.h"

namespace conformance {

bool IsWindowsCe() {
    return true;
}

bool IsWine() {
    return false;
}

void Run(void (*body)(), const char *image) {
    sim::Device device;
    if (image)
        sim::AddPackagePrograms(device);
    FlushSequence();
    uint32_t pid = device.StartFunction(
        TEXT("\\Temp\\conformance.exe"),
        [body] {
            body();
            return 0u;
        },
        image);
    // Device time passes only while every thread waits, so a generous limit
    // costs nothing when the body ends early.
    for (int i = 0; i < 1000 && device.ExitCode(pid) == STILL_ACTIVE; ++i)
        device.Wait(i == 0 ? 0 : 100);
    EXPECT_EQ(0u, device.ExitCode(pid)) << "the test body did not return within 100 s";
}

} // namespace conformance
