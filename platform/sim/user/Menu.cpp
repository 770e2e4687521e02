// DeviceSim: the menu table and the MENU resource format.
#include "user/Menu.h"

#include <functional>

namespace sim {

HMENU MenuTable::Add(std::unique_ptr<MenuData> menu) {
    uintptr_t handle = next_++;
    menus_[handle] = std::move(menu);
    return reinterpret_cast<HMENU>(handle);
}

MenuData *MenuTable::Get(HMENU menu) const {
    auto it = menus_.find(reinterpret_cast<uintptr_t>(menu));
    return it == menus_.end() ? nullptr : it->second.get();
}

bool MenuTable::Destroy(HMENU menu) {
    auto it = menus_.find(reinterpret_cast<uintptr_t>(menu));
    if (it == menus_.end())
        return false;
    std::unique_ptr<MenuData> data = std::move(it->second);
    menus_.erase(it);
    for (const MenuItem &item : data->items)
        if (item.flags & MF_POPUP)
            Destroy(item.popup);
    return true;
}

void MenuTable::ProcessEnded(Process *process) {
    std::erase_if(menus_, [process](const auto &entry) { return entry.second->owner == process; });
}

MenuItem *MenuTable::FindCommand(HMENU menu, UINT_PTR id) {
    MenuData *data = Get(menu);
    if (!data)
        return nullptr;
    for (MenuItem &item : data->items) {
        if (item.flags & MF_POPUP) {
            if (MenuItem *found = FindCommand(item.popup, id))
                return found;
        } else if (!item.Separator() && item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

namespace {

// A MENU resource: a header (version 0, header size) and then the items,
// each level closed by an item flagged MF_END. A pop-up is its flags and
// text, followed by its own items; a command is flags, id and text.
class MenuReader {
public:
    MenuReader(MenuTable &table, const uint8_t *data, size_t size, Process *owner)
        : table_(table), p_(data), end_(data + size), start_(data), owner_(owner) {}

    // Version 0 (MENU) gives the size of the rest of its header; version 1
    // (MENUEX) the offset of its first item.
    HMENU Read() {
        uint16_t version, offset;
        if (!Word(&version) || !Word(&offset) || version > 1 || size_t(end_ - p_) < offset)
            return nullptr;
        p_ += offset;
        return version == 0 ? Level(false, 0) : LevelEx(false, 0);
    }

private:
    bool Word(uint16_t *w) {
        if (end_ - p_ < 2)
            return false;
        *w = uint16_t(p_[0] | p_[1] << 8);
        p_ += 2;
        return true;
    }
    bool Dword(uint32_t *d) {
        uint16_t low, high;
        if (!Word(&low) || !Word(&high))
            return false;
        *d = low | uint32_t(high) << 16;
        return true;
    }
    // MENUEX items start on 32-bit boundaries of the resource.
    bool Align() {
        size_t pad = size_t(p_ - start_) % 4 ? 4 - size_t(p_ - start_) % 4 : 0;
        if (size_t(end_ - p_) < pad)
            return false;
        p_ += pad;
        return true;
    }
    bool Text(std::u16string *text) {
        for (uint16_t c; Word(&c);) {
            if (c == 0)
                return true;
            *text += char16_t(c);
        }
        return false;
    }

    HMENU Level(bool popup, int depth) {
        auto menu = std::make_unique<MenuData>();
        menu->popup = popup;
        menu->owner = owner_;
        HMENU handle = table_.Add(std::move(menu));
        bool ok = depth < 16; // a resource nests pop-ups only so deep
        for (bool last = false; ok && !last;) {
            uint16_t flags, id = 0;
            MenuItem item;
            ok = Word(&flags) && ((flags & MF_POPUP) || Word(&id)) && Text(&item.text);
            if (!ok)
                break;
            last = (flags & MF_END) != 0;
            item.flags = flags & ~MF_END;
            item.id = id;
            // A resource's separator is an empty command with id 0.
            if (!(flags & MF_POPUP) && id == 0 && item.text.empty())
                item.flags |= MF_SEPARATOR;
            if (flags & MF_POPUP) {
                item.popup = Level(true, depth + 1);
                ok = item.popup != nullptr;
                item.id = reinterpret_cast<UINT_PTR>(item.popup);
            }
            if (ok)
                table_.Get(handle)->items.push_back(std::move(item));
        }
        if (!ok) {
            table_.Destroy(handle);
            return nullptr;
        }
        return handle;
    }

    // A MENUEX level: each item is its type, state, id, a word whose 0x80
    // ends the level and whose 0x01 makes a pop-up, and its text; a pop-up
    // then has a help id and its own items.
    HMENU LevelEx(bool popup, int depth) {
        auto menu = std::make_unique<MenuData>();
        menu->popup = popup;
        menu->owner = owner_;
        HMENU handle = table_.Add(std::move(menu));
        bool ok = depth < 16;
        for (bool last = false; ok && !last;) {
            uint32_t type, state, id, help;
            uint16_t info;
            MenuItem item;
            ok = Align() && Dword(&type) && Dword(&state) && Dword(&id) && Word(&info) &&
                 Text(&item.text);
            if (!ok)
                break;
            last = (info & 0x80) != 0;
            item.id = id;
            item.flags = (type & MF_SEPARATOR) | (state & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
            if (info & 0x01) {
                ok = Align() && Dword(&help);
                item.popup = ok ? LevelEx(true, depth + 1) : nullptr;
                ok = item.popup != nullptr;
                item.flags |= MF_POPUP;
                item.id = reinterpret_cast<UINT_PTR>(item.popup);
            }
            if (ok)
                table_.Get(handle)->items.push_back(std::move(item));
        }
        if (!ok) {
            table_.Destroy(handle);
            return nullptr;
        }
        return handle;
    }

    MenuTable &table_;
    const uint8_t *p_, *end_;
    const uint8_t *start_;
    Process *owner_;
};

} // namespace

HMENU ParseMenuResource(MenuTable &table, const uint8_t *data, size_t size, Process *owner) {
    return MenuReader(table, data, size, owner).Read();
}

} // namespace sim
