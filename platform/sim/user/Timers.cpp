// DeviceSim: window and thread timers, due in virtual time.
#include "user/WindowManager.h"

#include <algorithm>

namespace sim {

UINT_PTR WindowManager::SetTimer(Window *w, UINT_PTR id, UINT elapse, TIMERPROC callback) {
    Thread *self = &CurrentThread();
    uint32_t period = std::max<UINT>(elapse, 1);
    for (Timer &t : timers_)
        if (t.window == w && t.id == id && t.thread == self) {
            t.serial = ++timerSerial_;
            t.period = period;
            t.due = kernel.Now() + period;
            t.callback = callback;
            return w ? id : t.id;
        }
    if (!w) {
        // Thread timers get an id of their own.
        UINT_PTR fresh = 1;
        for (const Timer &t : timers_)
            fresh = std::max(fresh, t.id + 1);
        id = fresh;
    }
    timers_.push_back(Timer{++timerSerial_, w, self, id, period, kernel.Now() + period, callback});
    return id;
}

bool WindowManager::KillTimer(Window *w, UINT_PTR id) {
    Thread *self = &CurrentThread();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->window == w && it->id == id && it->thread == self) {
            timers_.erase(it);
            return true;
        }
    return false;
}

std::vector<uintptr_t> WindowManager::TimerIdsOf(const Window *w) const {
    std::vector<uintptr_t> ids;
    for (const Timer &t : timers_)
        if (t.window == w)
            ids.push_back(t.id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool WindowManager::IsTimerCallback(const Window *w, const Thread *t, UINT_PTR id,
                                    TIMERPROC callback) const {
    for (const Timer &timer : timers_)
        if (timer.id == id && timer.callback == callback &&
            (w ? timer.window == w : !timer.window && timer.thread == t))
            return true;
    return false;
}

} // namespace sim
