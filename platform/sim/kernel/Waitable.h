// DeviceSim: kernel objects that a thread can wait for.
#pragma once

#include "kernel/Handles.h"

#include <vector>

namespace sim {

class Thread;

struct Waitable : KernelObject {
    std::vector<Thread *> waiters;
    virtual bool Signaled(Thread *waiter) const = 0;
    // Called when a wait is satisfied (a mutex is taken, an auto event reset).
    virtual void Acquire(Thread *) {}
    void WakeWaiters();
};

} // namespace sim
