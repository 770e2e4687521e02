// DeviceSim: the stacks of simulated threads, sized as a device sizes them,
// and a stack overflow ending the process as an unhandled exception does.
//
// A Windows CE thread gets the stack reserve named by the program's /STACK
// linker setting, 64 KB unless the program says otherwise, of which the
// kernel keeps the last 2 KB for overflow handling; CreateThread's size
// argument is ignored unless STACK_SIZE_PARAM_IS_A_RESERVATION is given.
// Exceeding the stack ends the process. DeviceSim runs the same code on a
// 64-bit host, where frames hold 8-byte pointers and more saved registers
// than on a 32-bit ARM device, so the device's stack is measured here as
// twice its size in host bytes (and four times that under AddressSanitizer,
// whose red zones widen every frame).
//
// The stack in use is checked at the entry of every platform call, which is
// where a program's runaway recursion almost always passes (messages sent to
// itself, sleeps, timers): the thread then unwinds as its process ends. A
// recursion that calls nothing reaches the guard page of the host stack,
// which is larger by room for DeviceSim's own frames; that fault ends the
// process too.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <pthread.h>

namespace sim {

class Thread;

// The host side of a simulated thread.
struct HostThread {
    pthread_t handle{};
    bool started = false;
    std::function<void()> run;
    std::function<void()> overflowed;
    // The stack: where the thread's frames begin (its highest address) and
    // the lowest address it may use (above the guard page).
    uintptr_t stackTop = 0;
    uintptr_t stackBottom = 0;
    // Where a fault on the guard page resumes, at the thread's start.
    sigjmp_buf overflowJump;
};

// The exception code of a stack overflow, and the exit code of a process it
// ends.
constexpr uint32_t kStatusStackOverflow = 0xC00000FD;

// The device's stack reserve for a thread, and the part of it a program may
// use before the overflow is raised.
constexpr size_t kDeviceStackReserve = 64 * 1024;
constexpr size_t kDeviceStackUsable = kDeviceStackReserve - 2 * 1024;

// The usable stack in host bytes, and the host stack that holds it together
// with DeviceSim's own frames below the deepest platform call.
size_t HostStackLimit();
size_t HostStackSize();

// Starts the host thread of `thread` with a stack of HostStackSize() and
// runs `run` on it. `overflowed` runs instead of the rest of `run` when the
// thread faults on its guard page.
void StartHostThread(HostThread &host, std::function<void()> run, std::function<void()> overflowed);
void JoinHostThread(HostThread &host);

// The bytes of its stack that the calling simulated thread uses now.
size_t StackInUse(const HostThread &host);

} // namespace sim
