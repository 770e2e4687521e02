// DeviceSim: the test face of the shell — its soft keys, its pop-up menus
// and the task bar's "ok", read and tapped where a user would tap them.
#include "device/Device.h"
#include "shell/ShellState.h"
#include "user/PopupMenu.h"
#include "user/WindowManager.h"

namespace sim {

namespace {

const char16_t kMenuClass[] = u"MNU";

} // namespace

std::array<std::u16string, 2> Device::SoftKeyLabels() {
    Boot();
    if (!config_.shell)
        return {};
    std::array<SoftKey, 2> keys = CurrentSoftKeys(kernel_);
    return {keys[0].label, keys[1].label};
}

bool Device::TapSoftKey(int key) {
    Boot();
    if (!config_.shell || key < 0 || key > 1)
        return false;
    Rect r = GeometryOf(kernel_).SoftKeyRect(key);
    // A quarter of the way in, clear of the input-panel button in the middle.
    int x =
        key == 0 ? r.left + r.Width() / 2 - r.Width() / 4 : r.left + r.Width() / 2 + r.Width() / 4;
    int y = r.top + r.Height() / 2;
    StylusDown(x, y);
    Wait(100);
    StylusUp(x, y);
    return true;
}

std::optional<std::vector<std::u16string>> Device::OpenMenuItems() {
    Boot();
    Window *menu = windows_->FindTopmost(kMenuClass, nullptr);
    const std::vector<PopupItem> *items = menu && menu->Visible() ? PopupItemsOf(menu) : nullptr;
    if (!items)
        return std::nullopt;
    std::vector<std::u16string> texts;
    for (const PopupItem &item : *items)
        texts.push_back(item.separator ? u"-" : item.text);
    return texts;
}

bool Device::TapMenuItem(const std::u16string &text) {
    Boot();
    Window *menu = windows_->FindTopmost(kMenuClass, nullptr);
    const std::vector<PopupItem> *items = menu && menu->Visible() ? PopupItemsOf(menu) : nullptr;
    if (!items)
        return false;
    for (size_t i = 0; i < items->size(); ++i) {
        if ((*items)[i].separator || (*items)[i].text != text)
            continue;
        std::optional<Rect> r = PopupItemRect(*windows_, menu, i);
        if (!r)
            return false;
        int x = r->left + r->Width() / 2, y = r->top + r->Height() / 2;
        StylusDown(x, y);
        Wait(100);
        StylusUp(x, y);
        return true;
    }
    return false;
}

bool Device::TapOk() {
    Boot();
    if (!config_.shell || !DoneButtonDialog(kernel_))
        return false;
    Rect r = GeometryOf(kernel_).OkButton();
    int x = r.left + r.Width() / 2, y = r.top + r.Height() / 2;
    StylusDown(x, y);
    Wait(100);
    StylusUp(x, y);
    return true;
}

} // namespace sim
