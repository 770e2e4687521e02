#include "Handles.h"

namespace sim {

uintptr_t HandleTable::Add(std::shared_ptr<KernelObject> object, Process *owner) {
    uintptr_t handle = next_;
    next_ += 4;
    entries_[handle] = Entry{std::move(object), owner};
    return handle;
}

void HandleTable::Release(std::shared_ptr<KernelObject> object) {
    for (const auto &entry : entries_)
        if (entry.second.object == object)
            return;
    object->LastHandleClosed();
}

bool HandleTable::Close(uintptr_t handle) {
    auto it = entries_.find(handle);
    if (it == entries_.end())
        return false;
    auto object = it->second.object;
    entries_.erase(it);
    Release(object);
    return true;
}

void HandleTable::CloseAllOf(const Process *owner) {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->second.owner == owner) {
            auto object = it->second.object;
            it = entries_.erase(it);
            Release(object);
        } else {
            ++it;
        }
    }
}

size_t HandleTable::CountOf(const Process *owner) const {
    size_t n = 0;
    for (const auto &entry : entries_)
        n += entry.second.owner == owner;
    return n;
}

} // namespace sim
