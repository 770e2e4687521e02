// DeviceSim: windows of another program, made by device scripts and tests,
// that report the stylus and key input they receive.
#include <windows.h>

#include "device/Device.h"
#include "user/Input.h"
#include "user/WindowManager.h"

using namespace sim;

namespace {

const UINT kCreate = WM_APP + 1;
const UINT kDestroy = WM_APP + 2;
const char16_t kHostPath[] = u"\\Windows\\scriptwindows.exe";

struct Request {
    std::u16string className, title;
    Rect rect;
    bool topmost;
    bool noclose;
};

const char16_t kNoCloseProp[] = u"DeviceSim.NoClose";

std::string ClassOf(HWND hwnd) {
    WCHAR name[256];
    GetClassNameW(hwnd, name, 256);
    return PrintedName(name);
}

void Report(HWND hwnd, const std::string &what) {
    CurrentKernel().Record("window " + ClassOf(hwnd) + " " + what);
}

LRESULT CALLBACK ScriptWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::string point =
        std::to_string(GET_X_LPARAM(lParam)) + " " + std::to_string(GET_Y_LPARAM(lParam));
    switch (msg) {
    case WM_LBUTTONDOWN: Report(hwnd, "stylus down " + point); return 0;
    case WM_MOUSEMOVE: Report(hwnd, "stylus move " + point); return 0;
    case WM_LBUTTONUP: Report(hwnd, "stylus up " + point); return 0;
    case WM_KEYDOWN: Report(hwnd, "key down " + HexText(static_cast<uint32_t>(wParam))); return 0;
    case WM_KEYUP: Report(hwnd, "key up " + HexText(static_cast<uint32_t>(wParam))); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != 0)
            Report(hwnd, "activated");
        return 0;
    case WM_CLOSE:
        Report(hwnd, "close");
        // A program that hangs never closes.
        if (GetPropW(hwnd, kNoCloseProp))
            return 0;
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH frame = CreateSolidBrush(0x404040);
        HBRUSH face = CreateSolidBrush(0xE0F0F0);
        FillRect(dc, &r, frame);
        RECT inner{1, 1, r.right - 1, r.bottom - 1};
        FillRect(dc, &inner, face);
        WCHAR title[128];
        GetWindowTextW(hwnd, title, 128);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, title, -1, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        DeleteObject(frame);
        DeleteObject(face);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Create(const Request &r) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ScriptWindowProc;
    wc.lpszClassName = r.className.c_str();
    RegisterClassW(&wc); // a second window of a class finds it registered
    HWND hwnd = CreateWindowExW(r.topmost ? WS_EX_TOPMOST : 0, r.className.c_str(), r.title.c_str(),
                                WS_POPUP | WS_VISIBLE, r.rect.left, r.rect.top, r.rect.Width(),
                                r.rect.Height(), nullptr, nullptr, nullptr, nullptr);
    if (hwnd && r.noclose)
        SetPropW(hwnd, kNoCloseProp, reinterpret_cast<HANDLE>(1));
}

uint32_t HostMain() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        auto *request = reinterpret_cast<Request *>(msg.lParam);
        if (msg.hwnd == nullptr && msg.message == kCreate) {
            Create(*request);
            delete request;
        } else if (msg.hwnd == nullptr && msg.message == kDestroy) {
            HWND w = FindWindowW(request->className.c_str(), nullptr);
            if (w && Windows().Get(w)->thread == &CurrentThread())
                DestroyWindow(w);
            delete request;
        } else {
            DispatchMessageW(&msg);
        }
    }
    return 0;
}

} // namespace

namespace sim {

bool Device::CreateScriptWindow(const std::u16string &className, const std::u16string &title,
                                const Rect &rect, bool topmost, bool noclose) {
    Boot();
    if (className.empty() || className.size() > 63 || rect.Empty())
        return false;
    if (!scriptHost_ || ExitCode(scriptHost_) != 0x103u)
        scriptHost_ = StartFunction(kHostPath, HostMain);
    Process *host = FindProcess(scriptHost_);
    auto *request = new Request{className, title, rect, topmost, noclose};
    if (!windows_->PostToThread(host->threads.front(), nullptr, kCreate, 0,
                                reinterpret_cast<LPARAM>(request))) {
        delete request;
        return false;
    }
    kernel_.scheduler().RunUntil(Now());
    return true;
}

bool Device::DestroyScriptWindow(const std::u16string &className) {
    Window *w = started_ ? windows_->FindTopmost(className, nullptr) : nullptr;
    if (!w || !w->thread->process || w->thread->process->pid != scriptHost_)
        return false;
    auto *request = new Request{className, u"", Rect{}, false, false};
    if (!windows_->PostToThread(w->thread, nullptr, kDestroy, 0,
                                reinterpret_cast<LPARAM>(request))) {
        delete request;
        return false;
    }
    kernel_.scheduler().RunUntil(Now());
    return true;
}

void Device::Key(int vk, bool up) {
    Boot();
    PressKey(*windows_, vk, up);
}

void Device::StylusDown(int x, int y) {
    Boot();
    RouteStylus(*windows_, StylusAction::Down, x, y);
}

void Device::StylusMove(int x, int y) {
    Boot();
    RouteStylus(*windows_, StylusAction::Move, x, y);
}

void Device::StylusUp(int x, int y) {
    Boot();
    RouteStylus(*windows_, StylusAction::Up, x, y);
}

} // namespace sim
