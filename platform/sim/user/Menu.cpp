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
        : table_(table), p_(data), end_(data + size), owner_(owner) {}

    HMENU Read() {
        uint16_t version, headerSize;
        if (!Word(&version) || !Word(&headerSize) || version != 0 || size_t(end_ - p_) < headerSize)
            return nullptr;
        p_ += headerSize;
        return Level(false, 0);
    }

private:
    bool Word(uint16_t *w) {
        if (end_ - p_ < 2)
            return false;
        *w = uint16_t(p_[0] | p_[1] << 8);
        p_ += 2;
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

    MenuTable &table_;
    const uint8_t *p_, *end_;
    Process *owner_;
};

} // namespace

HMENU ParseMenuResource(MenuTable &table, const uint8_t *data, size_t size, Process *owner) {
    return MenuReader(table, data, size, owner).Read();
}

} // namespace sim
