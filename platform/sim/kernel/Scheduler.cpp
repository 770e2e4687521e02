#include "kernel/Scheduler.h"

#include "kernel/Process.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace sim {

Scheduler::Scheduler(Thread *driver) : driver_(driver), running_(driver) {
    driver->state = Thread::State::Running;
}

void Scheduler::Wake(Thread *t) {
    // The driver wakes only when its own time comes.
    if (t == driver_ || (t->state != Thread::State::Waiting && t->state != Thread::State::New))
        return;
    if (t->state == Thread::State::Waiting)
        waiting_.erase(std::find(waiting_.begin(), waiting_.end(), t));
    t->state = Thread::State::Ready;
    t->wakeAt = kNever;
    ready_.push_back(t);
}

void Scheduler::At(uint64_t when, std::function<void()> callback) {
    events_.emplace(std::max(when, now_), std::move(callback));
}

void Scheduler::Block(Thread *self, uint64_t wakeAt) {
    if (self->terminating && std::uncaught_exceptions() > 0)
        return; // already unwinding: never wait again
    if (self->terminating)
        throw ThreadTerminated{};
    std::unique_lock<std::mutex> lock(mutex_);
    self->state = Thread::State::Waiting;
    self->wakeAt = wakeAt;
    waiting_.push_back(self);
    Switch(self, lock);
    lock.unlock();
    if (self->terminating && std::uncaught_exceptions() == 0)
        throw ThreadTerminated{};
}

void Scheduler::Finish(Thread *self) {
    std::unique_lock<std::mutex> lock(mutex_);
    self->state = Thread::State::Done;
    Switch(self, lock);
}

void Scheduler::End(Thread *t) {
    t->body = nullptr;
    OnThreadEnded(t);
    Finish(t);
}

void Scheduler::RunUntil(uint64_t until) {
    driver_->wakeAt = std::max(until, now_);
    std::unique_lock<std::mutex> lock(mutex_);
    driver_->state = Thread::State::Waiting;
    Switch(driver_, lock);
}

// Picks the next thread to hold the baton; returns when `self` holds it
// again (or at once when `self` has ended).
void Scheduler::Switch(Thread *self, std::unique_lock<std::mutex> &lock) {
    for (;;) {
        if (!ready_.empty()) {
            Thread *next = ready_.front();
            ready_.pop_front();
            if (next == self) {
                self->state = Thread::State::Running;
                running_ = self;
                return;
            }
            HandTo(next, self, lock);
            return;
        }
        // Nothing ready: the driver's own time, or the next event.
        uint64_t next = kNever;
        for (Thread *t : waiting_)
            if (t != driver_)
                next = std::min(next, t->wakeAt);
        if (!events_.empty())
            next = std::min(next, events_.begin()->first);
        if (driver_->state == Thread::State::Waiting && driver_->wakeAt < next) {
            now_ = std::max(now_, driver_->wakeAt);
            driver_->state = Thread::State::Ready;
            ready_.push_back(driver_);
            continue;
        }
        if (next == kNever) {
            // Every thread waits for something no timer will bring, and the
            // driver is not waiting either: nothing could ever run again.
            std::fprintf(stderr, "DeviceSim: every simulated thread waits forever\n");
            std::abort();
        }
        now_ = std::max(now_, next);
        AdvanceClock();
    }
}

void Scheduler::AdvanceClock() {
    // Threads due now wake in the order of their ids, then due callbacks run.
    std::vector<Thread *> &due = due_;
    due.clear();
    for (Thread *t : waiting_)
        if (t != driver_ && t->wakeAt <= now_)
            due.push_back(t);
    std::sort(due.begin(), due.end(), [](Thread *a, Thread *b) { return a->id < b->id; });
    for (Thread *t : due) {
        waiting_.erase(std::find(waiting_.begin(), waiting_.end(), t));
        t->state = Thread::State::Ready;
        t->wakeAt = kNever;
        ready_.push_back(t);
    }
    while (!events_.empty() && events_.begin()->first <= now_) {
        auto callback = std::move(events_.begin()->second);
        events_.erase(events_.begin());
        callback();
    }
}

void Scheduler::HandTo(Thread *next, Thread *self, std::unique_lock<std::mutex> &lock) {
    ++switches_;
    next->state = Thread::State::Running;
    running_ = next;
    if (!next->host.started && next != driver_) {
        Thread *t = next;
        auto run = [this, t] {
            {
                std::unique_lock<std::mutex> own(mutex_);
                t->cv.wait(own, [&] { return running_ == t; });
            }
            try {
                if (!t->terminating)
                    t->exitCode = t->body();
            } catch (const ThreadTerminated &) {
                // ExitThread and ExitProcess leave their code in exitCode.
            }
            End(t);
        };
        // The thread ran past its stack outside any platform call; it holds
        // the baton, and what its frames held is abandoned with them, as the
        // platform abandons a process that faults.
        auto overflowed = [this, t] {
            OnStackOverflow(t);
            End(t);
        };
        StartHostThread(t->host, std::move(run), std::move(overflowed));
    }
    next->cv.notify_one();
    if (self->state == Thread::State::Done)
        return;
    self->cv.wait(lock, [&] { return running_ == self; });
}

} // namespace sim
