// DeviceSim: what a platform call needs to know about its caller.
//
// Every Windows-shaped function runs on a simulated thread of some device;
// these accessors give it that device's kernel, its parts and the calling
// process. The layers above keep accessors of their own (CurrentGdi,
// Windows).
// Calling a platform function from a thread that is not a simulated thread
// is a programming error and aborts with a clear message.
#pragma once

#include <cstdint>

namespace sim {

class Kernel;
class Registry;
class FileSystem;
class HandleTable;
class Process;
class Thread;

Kernel &CurrentKernel();
Process &CurrentProcess();
Thread &CurrentThread();
Registry &CurrentRegistry();
FileSystem &CurrentFiles();
HandleTable &CurrentHandles();
uint64_t CurrentTime();
// The device's calendar now: milliseconds since 1601-01-01 UTC.
uint64_t CurrentCalendar();
void SetError(uint32_t error);

// Counts one call of a platform function by the calling process.
void CountCall(const char *name);

// Failures a test can ask for, to reach the failure paths of the programs.
enum class Fault {
    RegistryCreate,
    RegistryWrite,
    RegistryFlush,
    FileOpen,
    ProcessStart,
    LocalAlloc
};
// True, with the error to report, when the next such operation must fail.
bool TakeFault(Fault fault, uint32_t *error);

} // namespace sim
