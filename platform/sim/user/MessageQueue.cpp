// DeviceSim: message queues — sent and posted messages within and across
// threads, and the waits of GetMessage and PeekMessage.
#include "user/WindowManager.h"

#include <algorithm>

namespace sim {

ThreadMessages &WindowManager::QueueOf(Thread *t) {
    if (!t->messages)
        t->messages = std::make_unique<ThreadMessages>();
    return static_cast<ThreadMessages &>(*t->messages);
}

void WindowManager::WakeForMessages(Thread *t) {
    if (t->messages && QueueOf(t).waiting)
        kernel.scheduler().Wake(t);
}

LRESULT WindowManager::Send(Window *w, UINT msg, WPARAM wParam, LPARAM lParam) {
    Thread &self = CurrentThread();
    if (w->thread == &self)
        return w->proc(w->Hwnd(), msg, wParam, lParam);
    Thread *target = w->thread;
    if (target->state == Thread::State::Done || target->terminating)
        return 0;
    SentMessage sent{w->Hwnd(), msg, wParam, lParam, 0, false, &self};
    QueueOf(target).sent.push_back(&sent);
    WakeForMessages(target);
    ThreadMessages &mine = QueueOf(&self);
    while (!sent.done) {
        // While it waits, the sender answers messages sent to it, so two
        // threads that send to each other do not stall.
        ProcessSentMessages(&self);
        if (sent.done)
            break;
        if (target->state == Thread::State::Done || target->terminating) {
            auto &q = QueueOf(target).sent;
            q.erase(std::remove(q.begin(), q.end(), &sent), q.end());
            return 0;
        }
        mine.waiting = true;
        kernel.scheduler().Block(&self, kNever);
        mine.waiting = false;
    }
    return sent.result;
}

void WindowManager::ProcessSentMessages(Thread *t) {
    ThreadMessages &q = QueueOf(t);
    while (!q.sent.empty()) {
        SentMessage *sent = q.sent.front();
        q.sent.pop_front();
        Window *w = Get(sent->hwnd);
        sent->result = w ? w->proc(sent->hwnd, sent->message, sent->wParam, sent->lParam) : 0;
        sent->done = true;
        WakeForMessages(sent->sender);
    }
}

bool WindowManager::PostToThread(Thread *t, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (t->state == Thread::State::Done || t->terminating)
        return false;
    MSG m{hwnd, msg, wParam, lParam, kernel.TickCount(), POINT{0, 0}};
    QueueOf(t).posted.push_back(m);
    WakeForMessages(t);
    return true;
}

bool WindowManager::Post(Window *w, UINT msg, WPARAM wParam, LPARAM lParam) {
    return PostToThread(w->thread, w->Hwnd(), msg, wParam, lParam);
}

bool WindowManager::NextMessage(MSG *msg, HWND filter, UINT first, UINT last, bool block,
                                bool remove) {
    Thread &self = CurrentThread();
    ThreadMessages &q = QueueOf(&self);
    auto wanted = [&](HWND hwnd, UINT m) {
        if (filter && hwnd != filter)
            return false;
        return (first == 0 && last == 0) || (m >= first && m <= last);
    };
    for (;;) {
        ProcessSentMessages(&self);
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
            if (!wanted(it->hwnd, it->message))
                continue;
            *msg = *it;
            if (remove)
                q.posted.erase(it);
            return true;
        }
        if (q.quit) {
            *msg = MSG{nullptr,    WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, kernel.TickCount(),
                       POINT{0, 0}};
            if (remove)
                q.quit = false;
            return true;
        }
        if (Window *w = NextToPaint(&self); w && wanted(w->Hwnd(), WM_PAINT)) {
            *msg = MSG{w->Hwnd(), WM_PAINT, 0, 0, kernel.TickCount(), POINT{0, 0}};
            return true;
        }
        uint64_t now = kernel.Now();
        uint64_t nextDue = kNever;
        Timer *dueTimer = nullptr;
        for (Timer &t : timers_) {
            if (t.thread != &self || !wanted(t.window ? t.window->Hwnd() : nullptr, WM_TIMER))
                continue;
            // Of timers due together, the one set last comes first, as the
            // system keeps its timers newest first.
            if (t.due <= now && (!dueTimer || t.due < dueTimer->due ||
                                 (t.due == dueTimer->due && t.serial > dueTimer->serial)))
                dueTimer = &t;
            nextDue = std::min(nextDue, t.due);
        }
        if (dueTimer) {
            *msg = MSG{dueTimer->window ? dueTimer->window->Hwnd() : nullptr,
                       WM_TIMER,
                       dueTimer->id,
                       reinterpret_cast<LPARAM>(dueTimer->callback),
                       kernel.TickCount(),
                       POINT{0, 0}};
            if (remove) {
                // The timer re-arms from its own schedule; expiries missed
                // while the thread was busy fold into this one message.
                while (dueTimer->due <= now)
                    dueTimer->due += dueTimer->period;
            }
            return true;
        }
        if (!block)
            return false;
        q.waiting = true;
        kernel.scheduler().Block(&self, nextDue);
        q.waiting = false;
    }
}

bool CarriesPointers(UINT msg) {
    switch (msg) {
    case WM_CREATE:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETMINMAXINFO:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_COPYDATA:
    case WM_NOTIFY:
    case WM_HELP:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_NCCREATE:
    case WM_NCCALCSIZE: return true;
    default: return false;
    }
}

} // namespace sim
