// DeviceSim: simulated processes and threads.
#pragma once

#include "kernel/Handles.h"
#include "kernel/Scheduler.h"
#include "kernel/Stack.h"
#include "kernel/Waitable.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace sim {

class Kernel;
class Process;

// What a layer above the kernel keeps per thread (the window manager's
// message queue); the kernel only owns it.
struct ThreadLayerState {
    virtual ~ThreadLayerState() = default;
};

// A program that the device can run: what an executable file in the device
// file system stands for.
struct ProgramImage {
    const char *name;
    // The program's WinMain: instance, previous instance, command line, show.
    int (*entry)(void *instance, void *previous, char16_t *commandLine, int show);
    const uint8_t *resources; // compiled .res, or null
    size_t resourcesSize;
};

// One export of a library: its name and the function's address.
struct LibraryExport {
    const char *name;
    void *address;
};

// A shared library that the device can load: what a .dll file in the device
// file system stands for.
struct LibraryImage {
    const char *name;
    // The library's DllMain: module, reason (DLL_PROCESS_ATTACH ...), reserved.
    int (*entry)(void *module, uint32_t reason, void *reserved);
    const LibraryExport *exports;
    size_t exportCount;
};

// A library loaded into a process, until its last FreeLibrary.
struct LoadedModule {
    uintptr_t handle;
    const LibraryImage *image;
    std::u16string path;
    int references;
};

class Thread {
public:
    enum class State { New, Ready, Running, Waiting, Done };

    Thread(Kernel &kernel, Process *process, uint32_t id);
    ~Thread();

    Kernel &kernel;
    Process *process; // null for the driver
    const uint32_t id;
    State state = State::New;
    uint64_t wakeAt = kNever;
    bool terminating = false;
    uint32_t lastError = 0;
    std::condition_variable cv;
    HostThread host;
    std::function<uint32_t()> body;
    uint32_t exitCode = 0x103;
    std::unique_ptr<ThreadLayerState> messages;
    // Signalled when the thread ends; what its handles wait for.
    std::shared_ptr<Waitable> signal;
};

struct ThreadSignal : Waitable {
    Thread *thread;
    explicit ThreadSignal(Thread *t) : thread(t) {}
    bool Signaled(Thread *) const override { return thread->state == Thread::State::Done; }
};

class Process : public Waitable, public std::enable_shared_from_this<Process> {
public:
    Process(Kernel &kernel, uint32_t pid, std::u16string path, const ProgramImage *image);

    Kernel &kernel;
    const uint32_t pid;
    const std::u16string path;
    const ProgramImage *image;
    std::vector<Thread *> threads;
    bool ending = false;
    bool ended = false;
    uint32_t exitCode = 0x103; // STILL_ACTIVE
    // Platform calls made by the process, by the address of the function's
    // name (each counting site passes its own literal). Hashed by address:
    // every call passes here, and a tree walk was the largest single cost of
    // a held key's tick.
    std::unordered_map<const char *, uint64_t> calls;
    // The deepest stack any of its threads used at a platform call, in bytes.
    size_t stackPeak = 0;
    // Libraries it has loaded, and the serial that tells their handles apart.
    std::vector<LoadedModule> modules;
    uint32_t moduleSerial = 0;
    // Its LocalAlloc blocks by address; what it never frees goes with it.
    std::map<void *, std::unique_ptr<uint8_t[]>> localMemory;

    bool Signaled(Thread *) const override { return ended; }

    // The module handle of the program (its HINSTANCE).
    void *Instance() const { return reinterpret_cast<void *>(uintptr_t(0x10000) * pid); }
};

// Called on the ending thread, holding the baton, after its body returned or
// unwound: the device releases what the thread (and maybe its process) held.
void OnThreadEnded(Thread *thread);
// Called on a thread that ran past its stack: its process ends with the code
// of a stack overflow.
void OnStackOverflow(Thread *thread);

} // namespace sim
