// DeviceSim: the menu calls — menus made in code or loaded from a program's
// MENU resource, their items, and TrackPopupMenuEx.
#include <windows.h>

#include "kernel/Context.h"
#include "kernel/Kernel.h"
#include "user/Menu.h"
#include "user/PopupMenu.h"
#include "user/WindowManager.h"

using namespace sim;

namespace sim {

std::vector<PopupItem> PopupItemsFor(const MenuData &menu) {
    std::vector<PopupItem> items;
    for (const MenuItem &item : menu.items) {
        PopupItem shown;
        shown.text = item.text;
        shown.separator = item.Separator();
        // Differs from the platform: a cascading pop-up does not open.
        shown.disabled = item.Disabled() || (item.flags & MF_POPUP);
        shown.checked = (item.flags & MF_CHECKED) != 0;
        items.push_back(shown);
    }
    return items;
}

} // namespace sim

namespace {

MenuData *MenuOf(HMENU menu) {
    MenuData *data = Windows().menus.Get(menu);
    if (!data)
        SetError(ERROR_INVALID_MENU_HANDLE);
    return data;
}

HMENU NewMenu(bool popup) {
    auto data = std::make_unique<MenuData>();
    data->popup = popup;
    data->owner = &CurrentProcess();
    return Windows().menus.Add(std::move(data));
}

// The item that a position or a command names; by command the pop-ups
// below are searched too.
MenuItem *ItemOf(HMENU menu, UINT which, UINT flags) {
    MenuData *data = MenuOf(menu);
    if (!data)
        return nullptr;
    if (flags & MF_BYPOSITION)
        return which < data->items.size() ? &data->items[which] : nullptr;
    return Windows().menus.FindCommand(menu, which);
}

bool MakeItem(UINT flags, UINT_PTR id, LPCWSTR text, MenuItem *item) {
    item->flags = flags & ~(MF_BYPOSITION | MF_END);
    item->id = id;
    if (flags & MF_POPUP) {
        item->popup = reinterpret_cast<HMENU>(id);
        if (!Windows().menus.Get(item->popup)) {
            SetError(ERROR_INVALID_MENU_HANDLE);
            return false;
        }
    }
    if (!(flags & MF_SEPARATOR) && text)
        item->text = text;
    return true;
}

} // namespace

HMENU WINAPI CreateMenu(void) {
    sim::CountCall("CreateMenu");
    return NewMenu(false);
}

HMENU WINAPI CreatePopupMenu(void) {
    sim::CountCall("CreatePopupMenu");
    return NewMenu(true);
}

BOOL WINAPI DestroyMenu(HMENU menu) {
    sim::CountCall("DestroyMenu");
    if (!Windows().menus.Destroy(menu)) {
        SetError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HMENU WINAPI LoadMenuW(HINSTANCE instance, LPCWSTR name) {
    sim::CountCall("LoadMenuW");
    HRSRC info = FindResourceW(instance, name, RT_MENU);
    if (!info)
        return nullptr; // FindResourceW has said why
    HGLOBAL data = LoadResource(instance, info);
    const auto *bytes = static_cast<const uint8_t *>(LockResource(data));
    DWORD size = SizeofResource(instance, info);
    HMENU menu =
        bytes ? ParseMenuResource(Windows().menus, bytes, size, &CurrentProcess()) : nullptr;
    if (!menu)
        SetError(ERROR_INVALID_DATA);
    return menu;
}

BOOL WINAPI AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text) {
    sim::CountCall("AppendMenuW");
    MenuData *data = MenuOf(menu);
    MenuItem item;
    if (!data || !MakeItem(flags, id, text, &item))
        return FALSE;
    data->items.push_back(std::move(item));
    return TRUE;
}

BOOL WINAPI InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCWSTR text) {
    sim::CountCall("InsertMenuW");
    MenuData *data = MenuOf(menu);
    MenuItem item;
    if (!data || !MakeItem(flags, id, text, &item))
        return FALSE;
    size_t at = data->items.size(); // a position past the end appends
    if (flags & MF_BYPOSITION) {
        at = std::min<size_t>(position, data->items.size());
    } else {
        for (size_t i = 0; i < data->items.size(); ++i)
            if (!(data->items[i].flags & MF_POPUP) && data->items[i].id == position) {
                at = i;
                break;
            }
    }
    data->items.insert(data->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return TRUE;
}

HMENU WINAPI GetSubMenu(HMENU menu, int position) {
    sim::CountCall("GetSubMenu");
    MenuData *data = MenuOf(menu);
    if (!data || position < 0 || size_t(position) >= data->items.size())
        return nullptr;
    const MenuItem &item = data->items[size_t(position)];
    return (item.flags & MF_POPUP) ? item.popup : nullptr;
}

int WINAPI GetMenuItemCount(HMENU menu) {
    sim::CountCall("GetMenuItemCount");
    MenuData *data = MenuOf(menu);
    return data ? static_cast<int>(data->items.size()) : -1;
}

DWORD WINAPI CheckMenuItem(HMENU menu, UINT which, UINT check) {
    sim::CountCall("CheckMenuItem");
    MenuItem *item = ItemOf(menu, which, check);
    if (!item)
        return DWORD(-1);
    DWORD before = item->flags & MF_CHECKED;
    item->flags = (item->flags & ~MF_CHECKED) | (check & MF_CHECKED);
    return before;
}

BOOL WINAPI EnableMenuItem(HMENU menu, UINT which, UINT enable) {
    sim::CountCall("EnableMenuItem");
    MenuItem *item = ItemOf(menu, which, enable);
    if (!item)
        return -1;
    BOOL before = static_cast<BOOL>(item->flags & (MF_GRAYED | MF_DISABLED));
    item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return before;
}

BOOL WINAPI TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND hwnd, LPTPMPARAMS) {
    sim::CountCall("TrackPopupMenuEx");
    MenuData *data = MenuOf(menu);
    if (!data)
        return FALSE;
    if (!WindowOf(hwnd))
        return FALSE;
    WCHAR title[128] = {};
    GetWindowTextW(hwnd, title, 128);
    PopupRequest request;
    request.title = title;
    request.items = PopupItemsFor(*data);
    request.x = x;
    request.y = y;
    request.align = flags;
    request.byStylus = GetAsyncKeyState(VK_LBUTTON) < 0;
    bool done = false;
    int chosen = -1;
    request.onEnd = [&done, &chosen](int item) {
        done = true;
        chosen = item;
    };
    std::vector<UINT_PTR> ids;
    for (const MenuItem &item : data->items)
        ids.push_back(item.id);
    HWND popup = OpenPopupMenu(std::move(request));
    if (!popup)
        return FALSE;
    // The menu's own loop: the call returns once the menu has gone.
    MSG msg;
    while (!done) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            ClosePopupMenu(popup);
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        DispatchMessageW(&msg);
    }
    UINT_PTR id = chosen >= 0 ? ids[size_t(chosen)] : 0;
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(id);
    if (chosen >= 0)
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return TRUE;
}
