// DeviceSim: what the driver of a device (a test or a device script) asks of
// it and does to it from outside.
#include "device/Device.h"
#include "gdi/Gdi.h"
#include "gdi/PngWriter.h"
#include "user/MessageBox.h"
#include "user/WaitCursor.h"
#include "user/WindowManager.h"

namespace sim {

namespace {

WindowInfo InfoOf(WindowManager &wm, Window *w) {
    std::optional<Rect> shape;
    if (w->shape)
        shape = w->shape->Bounds();
    return WindowInfo{w->cls->name,
                      w->title,
                      wm.ScreenRect(w),
                      w->Visible(),
                      w->thread->process ? w->thread->process->pid : 0,
                      shape};
}

} // namespace

bool Device::Answer(const std::u16string &title, int buttonId) {
    if (!started_)
        return false;
    for (Window *w : windows_->TopLevel())
        if (w->cls->name == u"Dialog" && w->title == title && IsMessageBox(w->Hwnd()))
            return PressMessageBoxButton(w, buttonId);
    return false;
}

bool Device::IsPostable(uint32_t msg) {
    return !CarriesPointers(msg);
}

bool Device::Post(const std::u16string &className, uint32_t msg, uintptr_t wParam,
                  intptr_t lParam) {
    if (!started_ || CarriesPointers(msg))
        return false;
    Window *w = windows_->FindTopmost(className, nullptr);
    return w && windows_->Post(w, msg, wParam, lParam);
}

std::optional<WindowInfo> Device::FindTopmost(const std::u16string &className) {
    if (!started_)
        return std::nullopt;
    Window *w = windows_->FindTopmost(className, nullptr);
    if (!w)
        return std::nullopt;
    return InfoOf(*windows_, w);
}

std::vector<WindowInfo> Device::TopLevelWindows() {
    std::vector<WindowInfo> out;
    if (started_)
        for (Window *w : windows_->TopLevel())
            out.push_back(InfoOf(*windows_, w));
    return out;
}

size_t Device::GdiObjectCount(uint32_t pid) {
    Process *p = FindProcess(pid);
    return p && gdi_ ? gdi_->CountOf(p) : 0;
}

size_t Device::HandleCount(uint32_t pid) {
    Process *p = FindProcess(pid);
    return p ? kernel_.handles().CountOf(p) : 0;
}

std::vector<uintptr_t> Device::TimerIds(const std::u16string &className) {
    Window *w = started_ ? windows_->FindTopmost(className, nullptr) : nullptr;
    return w ? windows_->TimerIdsOf(w) : std::vector<uintptr_t>();
}

std::optional<WindowInfo> Device::Foreground() {
    if (!started_ || !windows_->foreground)
        return std::nullopt;
    return InfoOf(*windows_, windows_->foreground);
}

uint32_t Device::PixelAt(int x, int y) {
    Boot();
    if (!windows_->waitCursor)
        return gdi_->Screen().GetPixel(x, y);
    return VisibleScreen(*windows_).GetPixel(x, y);
}

bool Device::Screenshot(const std::string &hostPath, std::string *why) {
    Boot();
    return WritePng(VisibleScreen(*windows_), hostPath, why);
}

} // namespace sim
