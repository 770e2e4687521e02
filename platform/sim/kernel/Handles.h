// DeviceSim: kernel object handles.
//
// Every kernel object (mutex, event, thread, process, file, registry key) is
// reached through a handle in the device's table. A handle belongs to the
// process that opened it and is closed with it when the process ends.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

namespace sim {

class Process;

struct KernelObject {
    virtual ~KernelObject() = default;
    // Called when the last handle to the object is closed.
    virtual void LastHandleClosed() {}
};

class HandleTable {
public:
    // Handle values are small multiples of four, like the platform's, and are
    // never reused while the device lives, so a stale handle fails cleanly.
    uintptr_t Add(std::shared_ptr<KernelObject> object, Process *owner);
    template <class T> std::shared_ptr<T> Get(uintptr_t handle) const {
        auto it = entries_.find(handle);
        if (it == entries_.end())
            return nullptr;
        return std::dynamic_pointer_cast<T>(it->second.object);
    }
    bool Close(uintptr_t handle);
    void CloseAllOf(const Process *owner);
    size_t CountOf(const Process *owner) const;

private:
    struct Entry {
        std::shared_ptr<KernelObject> object;
        const Process *owner;
    };
    void Release(std::shared_ptr<KernelObject> object);
    std::map<uintptr_t, Entry> entries_;
    uintptr_t next_ = 0x40;
};

} // namespace sim
