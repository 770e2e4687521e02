// DeviceSim: the stand-in personal-information programs. Each shows one
// window of its own class, titled as the real program's, across the work
// area; started again while it runs, it brings that window forward and
// leaves, as the device's programs do. Closing the window ends the program.
#include <windows.h>

#include "shell/StandInPrograms.h"

#include "kernel/FileSystem.h"
#include "kernel/Kernel.h"
#include "kernel/Names.h"
#include "shell/Shortcuts.h"

using namespace sim;

namespace {

const char16_t kTitleProp[] = u"DeviceSim.StandIn";

struct StandIn {
    const char16_t *className;
    const char16_t *title;
};

// What poutlook.exe shows depends on its argument, as on the device.
StandIn Choose(const std::u16string &program, const std::u16string &arguments) {
    if (program == u"calendar")
        return {u"Calendar", u"Calendar"};
    if (program == u"tmail")
        return {u"Messaging", u"Messaging"};
    if (CompareNames(arguments, u"contacts") == 0)
        return {u"Contacts", u"Contacts"};
    return {u"PocketOutlook", u"Pocket Outlook"};
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    int bar = (22 * GetDeviceCaps(dc, LOGPIXELSY) + 48) / 96;
    HBRUSH white = CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF));
    HBRUSH band = CreateSolidBrush(RGB(0xD8, 0xE4, 0xF4));
    FillRect(dc, &client, white);
    RECT head{0, 0, client.right, bar};
    FillRect(dc, &head, band);
    DeleteObject(white);
    DeleteObject(band);
    auto *title = static_cast<const char16_t *>(GetPropW(hwnd, kTitleProp));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT text{6, 0, client.right - 6, bar};
    if (title)
        DrawTextW(dc, title, -1, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK StandInProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        SetPropW(hwnd, kTitleProp, reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        return 0;
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_DESTROY:
        RemovePropW(hwnd, kTitleProp);
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

int Run(void *instance, const std::u16string &program, char16_t *commandLine, int show) {
    StandIn s = Choose(program, commandLine ? commandLine : u"");
    if (HWND running = FindWindowW(s.className, nullptr)) {
        SetForegroundWindow(running);
        return 0;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = static_cast<HINSTANCE>(instance);
    wc.lpszClassName = s.className;
    RegisterClassW(&wc);
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    HWND hwnd = CreateWindowExW(0, s.className, s.title, WS_POPUP, area.left, area.top,
                                area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                static_cast<HINSTANCE>(instance), const_cast<char16_t *>(s.title));
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, show);
    SetForegroundWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}

int CalendarMain(void *instance, void *, char16_t *commandLine, int show) {
    return Run(instance, u"calendar", commandLine, show);
}
int OutlookMain(void *instance, void *, char16_t *commandLine, int show) {
    return Run(instance, u"poutlook", commandLine, show);
}
int MessagingMain(void *instance, void *, char16_t *commandLine, int show) {
    return Run(instance, u"tmail", commandLine, show);
}

const ProgramImage kCalendar{"calendar", CalendarMain, nullptr, 0};
const ProgramImage kOutlook{"poutlook", OutlookMain, nullptr, 0};
const ProgramImage kMessaging{"tmail", MessagingMain, nullptr, 0};

} // namespace

namespace sim {

const std::vector<const ProgramImage *> &StandInImages() {
    static const std::vector<const ProgramImage *> images{&kCalendar, &kOutlook, &kMessaging};
    return images;
}

void LayOutStandInPrograms(Kernel &kernel) {
    for (const ProgramImage *image : StandInImages())
        kernel.AddProgram(*image);
    kernel.WriteProgramFile(kCalendarPath, kCalendar.name);
    kernel.WriteProgramFile(kOutlookPath, kOutlook.name);
    kernel.WriteProgramFile(kMessagingPath, kMessaging.name);
    const struct {
        const char16_t *name;
        const std::u16string &program;
        const char16_t *arguments;
    } shortcuts[] = {{u"Calendar", kCalendarPath, u""},
                     {u"Contacts", kOutlookPath, u"contacts"},
                     {u"Messaging", kMessagingPath, u""}};
    for (const auto &s : shortcuts) {
        std::string text = ShortcutText(s.program, s.arguments);
        std::vector<uint8_t> bytes(text.begin(), text.end());
        kernel.files().CopyIn(std::u16string(kProgramsFolder) + u"\\" + s.name + u".lnk", bytes,
                              kernel.CalendarNow());
    }
}

} // namespace sim
