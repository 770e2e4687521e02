// DeviceSim: the virtual clock and the baton that lets one simulated thread
// run at a time.
//
// Each simulated thread has a host thread, but only the holder of the baton
// runs. A thread that must wait gives the baton up; the next thread is the
// first in the ready queue, and only when no thread is ready does the clock
// jump to the next due event. The driver (the test or script that owns the
// device) takes part as a thread of its own that wakes only when its time
// has come and nothing else is left to do at or before that time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace sim {

class Thread;

constexpr uint64_t kNever = UINT64_MAX;

// Thrown inside a simulated thread whose process is ending, so that its
// stack unwinds back to the thread's start.
struct ThreadTerminated {};

class Scheduler {
public:
    explicit Scheduler(Thread *driver);

    uint64_t Now() const { return now_; }

    // Makes a waiting or new thread runnable; harmless for a ready one.
    void Wake(Thread *t);
    // The calling thread (the baton holder) waits until woken or until
    // wakeAt, then holds the baton again. Throws ThreadTerminated when its
    // process is ending, unless the stack is already unwinding.
    void Block(Thread *self, uint64_t wakeAt);
    // The calling thread has ended: passes the baton on for good.
    void Finish(Thread *self);
    // Runs a callback when the clock reaches `when` (after threads due then).
    void At(uint64_t when, std::function<void()> callback);
    // Driver only: let every thread run until the clock reaches `until`.
    void RunUntil(uint64_t until);
    // Holds the baton? (For the sanity checks of platform calls.)
    Thread *Running() const { return running_; }
    uint64_t Switches() const { return switches_; }

private:
    void Switch(Thread *self, std::unique_lock<std::mutex> &lock);
    void AdvanceClock();
    // The thread's body has returned or been abandoned: it ends for good.
    void End(Thread *t);
    void HandTo(Thread *next, Thread *self, std::unique_lock<std::mutex> &lock);

    std::mutex mutex_;
    Thread *driver_;
    Thread *running_;
    std::deque<Thread *> ready_;
    std::vector<Thread *> waiting_;
    std::multimap<uint64_t, std::function<void()>> events_;
    std::vector<Thread *> due_; // AdvanceClock's, kept to spare an allocation per tick
    uint64_t now_ = 0;
    uint64_t switches_ = 0;
};

} // namespace sim
