// The shell library on the device: full-screen dialogs and their "ok", menu
// bars on the soft keys, notification bubbles of both record sizes, and the
// wait cursor.
#include "support/Devices.h"
#include "support/Win32.h"

#include <aygshell.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace test;

namespace {

const WCHAR kProbeClass[] = u"ShellProbe";
const int kCancelKey = 40009, kSave = 40002, kAbout = 40006;

// A MENU resource: a "Cancel" command on the left soft key and a "Menu"
// pop-up on the right.
std::vector<uint8_t> MenuBytes() {
    std::vector<uint8_t> menu;
    auto put16 = [&](std::vector<uint8_t> &v, uint32_t x) {
        v.push_back(uint8_t(x)), v.push_back(uint8_t(x >> 8));
    };
    auto text = [&](const std::u16string &s) {
        for (char16_t c : s)
            put16(menu, c);
        put16(menu, 0);
    };
    auto command = [&](UINT flags, UINT id, const std::u16string &s) {
        put16(menu, flags), put16(menu, id), text(s);
    };
    put16(menu, 0), put16(menu, 0);
    command(0, kCancelKey, u"Cancel");
    put16(menu, MF_POPUP | MF_END), text(u"Menu");
    command(0, kSave, u"Save");
    command(0, 0, u""); // a separator
    command(MF_END, kAbout, u"About");
    return menu;
}

// A compiled resource file with one MENU resource, id 101.
std::vector<uint8_t> MenuResourceFile(const std::vector<uint8_t> &menu = MenuBytes()) {
    auto put16 = [&](std::vector<uint8_t> &v, uint32_t x) {
        v.push_back(uint8_t(x)), v.push_back(uint8_t(x >> 8));
    };
    std::vector<uint8_t> res;
    auto put32 = [&](uint32_t v) { put16(res, v & 0xFFFF), put16(res, v >> 16); };
    put32(0), put32(32), put16(res, 0xFFFF), put16(res, 0), put16(res, 0xFFFF), put16(res, 0);
    put32(0), put32(0), put32(0), put32(0);
    put32(uint32_t(menu.size())), put32(32);
    put16(res, 0xFFFF), put16(res, 4), put16(res, 0xFFFF), put16(res, 101);
    put32(0), put16(res, 0x1030), put16(res, 0x0409), put32(0), put32(0);
    res.insert(res.end(), menu.begin(), menu.end());
    return res;
}

int NoEntry(void *, void *, char16_t *, int) {
    return 0;
}

// The commands the probe window received, in order.
std::vector<UINT> *gCommands = nullptr;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && gCommands)
        gCommands->push_back(LOWORD(wParam));
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A program with the menu resource whose window, made with `setUp`, stays
// until the test closes it.
struct Probe {
    std::vector<UINT> commands;
    std::unique_ptr<uint8_t[]> resources;
    uint32_t pid = 0;

    Probe(sim::Device &d, std::function<void(HWND)> setUp) {
        std::vector<uint8_t> file = MenuResourceFile();
        resources.reset(new uint8_t[file.size()]);
        std::memcpy(resources.get(), file.data(), file.size());
        d.AddProgram(sim::ProgramImage{"ShellProbe", NoEntry, resources.get(), file.size()});
        gCommands = &commands;
        pid = d.StartFunction(
            u"\\Temp\\probe.exe",
            [setUp] {
                RegisterWindowClass(kProbeClass, ProbeProc);
                HWND w = CreateWindowExW(0, kProbeClass, u"Probe", WS_POPUP | WS_VISIBLE, 10, 40,
                                         100, 100, nullptr, nullptr, nullptr, nullptr);
                setUp(w);
                PumpUntilQuit();
                return 0u;
            },
            "ShellProbe");
        d.Wait(50);
    }
    ~Probe() { gCommands = nullptr; }
};

void Tap(sim::Device &d, int x, int y) {
    d.StylusDown(x, y);
    d.Wait(100);
    d.StylusUp(x, y);
    d.Wait(50);
}

bool HasEvent(const sim::Device &d, const std::string &text) {
    for (const sim::TraceEvent &e : d.Trace())
        if (e.text == text)
            return true;
    return false;
}

} // namespace

TEST(ShellLibrary, SHInitDialogSizesIntoTheWorkAreaAndItsOkSendsIdok) {
    struct Case {
        int width, height, dpi;
        DWORD flags;
        sim::Rect expected;
    } cases[] = {
        {240, 320, 96, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN, {0, 26, 240, 294}},
        {480, 640, 192, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN, {0, 52, 480, 588}},
        {240, 320, 96, SHIDIF_DONEBUTTON | SHIDIF_FULLSCREENNOMENUBAR, {0, 26, 240, 320}},
        {320, 240, 96, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG, {0, 26, 320, 214}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " flags " +
                     std::to_string(c.flags));
        sim::DeviceConfig config;
        config.width = c.width, config.height = c.height, config.dpi = c.dpi;
        sim::Device d(config);
        Probe probe(d, [&](HWND w) {
            SHINITDLGINFO info{SHIDIM_FLAGS, w, c.flags};
            EXPECT_TRUE(SHInitDialog(&info));
        });
        auto window = d.FindTopmost(kProbeClass);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->rect, c.expected);
        ASSERT_TRUE(d.TapOk());
        d.Wait(50);
        EXPECT_EQ(probe.commands, std::vector<UINT>{IDOK});
        d.Post(kProbeClass, WM_CLOSE, 0, 0);
        d.Wait(50);
        // With its dialog gone, the task bar has no "ok" to tap.
        EXPECT_FALSE(d.TapOk());
    }
}

TEST(ShellLibrary, AMenuBarPutsItsMenuOnTheSoftKeysUntilItsWindowGoes) {
    sim::Device d;
    Probe probe(d, [](HWND w) {
        SHINITDLGINFO dialog{SHIDIM_FLAGS, w, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
        EXPECT_TRUE(SHInitDialog(&dialog));
        SHMENUBARINFO mb{};
        mb.cbSize = sizeof mb;
        mb.hwndParent = w;
        mb.dwFlags = SHCMBF_HMENU | SHCMBF_HIDESIPBUTTON;
        mb.nToolBarId = 101;
        mb.hInstRes = GetModuleHandleW(nullptr);
        EXPECT_TRUE(SHCreateMenuBar(&mb));
        EXPECT_TRUE(IsWindow(mb.hwndMB));
        // A tool-bar resource is not what the bar is made from here.
        SHMENUBARINFO toolBar = mb;
        toolBar.dwFlags = 0;
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(SHCreateMenuBar(&toolBar));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    });
    using Labels = std::array<std::u16string, 2>;
    EXPECT_EQ(d.SoftKeyLabels(), (Labels{u"Cancel", u"Menu"}));
    EXPECT_FALSE(d.FindTopmost(u"MS_SIPBUTTON")->visible);

    // The left key is a command: it goes to the window on the release.
    ASSERT_TRUE(d.TapSoftKey(0));
    d.Wait(50);
    EXPECT_EQ(probe.commands, std::vector<UINT>{UINT(kCancelKey)});
    EXPECT_TRUE(HasEvent(d, "softkey \"Cancel\""));

    // The right key opens its pop-up; an item sends its command.
    ASSERT_TRUE(d.TapSoftKey(1));
    ASSERT_TRUE(d.OpenMenuItems());
    EXPECT_EQ(*d.OpenMenuItems(), (std::vector<std::u16string>{u"Save", u"-", u"About"}));
    d.Screenshot(::testing::TempDir() + "menubar.png", nullptr); // for a look by eye
    // While the menu has the focus the soft keys stay the window's.
    EXPECT_EQ(d.SoftKeyLabels(), (Labels{u"Cancel", u"Menu"}));
    EXPECT_FALSE(d.TapMenuItem(u"-"));
    ASSERT_TRUE(d.TapMenuItem(u"About"));
    d.Wait(50);
    EXPECT_FALSE(d.OpenMenuItems());
    EXPECT_EQ(probe.commands, (std::vector<UINT>{UINT(kCancelKey), UINT(kAbout)}));
    EXPECT_TRUE(HasEvent(d, "menu \"Menu\" chose \"About\""));

    d.Post(kProbeClass, WM_CLOSE, 0, 0);
    d.Wait(50);
    EXPECT_EQ(d.SoftKeyLabels(), (Labels{u"Calendar", u"Menu"}));
    EXPECT_TRUE(d.FindTopmost(u"MS_SIPBUTTON")->visible);
    EXPECT_FALSE(d.FindTopmost(u"menu_worker"));
}

TEST(ShellLibrary, NotificationsOfBothSizesShowABubbleThatClosesItsOwnWay) {
    const WCHAR kHtml[] = u"<HTML><BODY>Tip: <u>press</u> a key.<BR>Then "
                          u"go.<p align=right><input type=button name='cmd:3' "
                          u"value='Close'></p></BODY></HTML>";
    struct Case {
        const char *what;
        DWORD size;
        bool softKey; // closes with its soft key, else with its HTML button
    } cases[] = {
        {"the short record of the device", 56, false},
        {"the long record of the device", 88, true},
        {"the long record as this host lays it out", sizeof(SHNOTIFICATIONDATA), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        LRESULT added = -1;
        RunInside(d, [&] {
            SHNOTIFICATIONDATA n{};
            n.cbStruct = c.size;
            n.dwID = 1;
            n.npPriority = SHNP_INFORM;
            n.csDuration = DWORD(-1);
            n.grfFlags = SHNF_FORCEMESSAGE | SHNF_SILENT;
            n.pszHTML = kHtml;
            n.pszTitle = u"Pointrel Help";
            n.rgskn[0].pszTitle = u"Dismiss";
            n.rgskn[0].skc.wpCmd = 1007;
            added = SHNotificationAdd(&n);
            n.cbStruct = 40;
            EXPECT_EQ(SHNotificationAdd(&n), ERROR_INVALID_PARAMETER);
            CLSID other{1, 2, 3, {4}};
            EXPECT_EQ(SHNotificationRemove(&other, 1), ERROR_NOT_FOUND);
            EXPECT_EQ(SHNotificationRemove(&other, 0), ERROR_INVALID_PARAMETER);
        });
        d.Wait(50);
        EXPECT_EQ(added, ERROR_SUCCESS);
        EXPECT_TRUE(HasEvent(d, "notification \"Pointrel Help\" \"" + sim::Narrow(kHtml) + "\""));
        auto bubble = d.FindTopmost(u"NotificationBubble");
        ASSERT_TRUE(bubble);
        EXPECT_TRUE(bubble->visible);
        if (c.what == std::string("the short record of the device")) {
            // Screenshots of the bubble for a look by eye.
            d.Screenshot(::testing::TempDir() + "bubble.png", nullptr);
        }
        // A rotation lays the bubble out again above the soft-key bar.
        d.SetScreen(320, 240, 96);
        d.Wait(50);
        bubble = d.FindTopmost(u"NotificationBubble");
        ASSERT_TRUE(bubble);
        EXPECT_EQ(bubble->rect.right, 316);
        EXPECT_EQ(bubble->rect.bottom, 240 - 26 - 2);
        using Labels = std::array<std::u16string, 2>;
        if (c.softKey) {
            EXPECT_EQ(d.SoftKeyLabels(), (Labels{u"Dismiss", u""}));
            ASSERT_TRUE(d.TapSoftKey(0));
        } else {
            EXPECT_EQ(d.SoftKeyLabels(), (Labels{u"Calendar", u"Menu"}));
            // The Close button sits at the bubble's bottom right.
            Tap(d, bubble->rect.right - 20, bubble->rect.bottom - 12);
        }
        d.Wait(50);
        EXPECT_FALSE(d.FindTopmost(u"NotificationBubble"));
        EXPECT_TRUE(HasEvent(d, "notification \"Pointrel Help\" closed"));
        EXPECT_EQ(d.SoftKeyLabels(), (Labels{u"Calendar", u"Menu"}));
    }
}

TEST(ShellLibrary, TheWaitCursorShowsAtTheScreenCentreAndIsTraced) {
    sim::Device d;
    d.Wait(10);
    uint32_t before = d.PixelAt(120 + 9, 160);
    uint32_t during = 0;
    uint32_t pid = d.StartFunction(u"\\Temp\\busy.exe", [&] {
        HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
        EXPECT_EQ(SetCursor(wait), nullptr);
        EXPECT_EQ(SetCursor(wait), wait); // shown once, traced once
        Sleep(100);
        EXPECT_EQ(SetCursor(nullptr), wait);
        SetCursor(wait); // left on as the program ends
        return 0u;
    });
    d.Wait(50);
    during = d.PixelAt(120 + 9, 160);
    d.Wait(200);
    EXPECT_NE(during, before);
    EXPECT_EQ(d.PixelAt(120 + 9, 160), before);
    std::vector<std::string> events;
    for (const sim::TraceEvent &e : d.Trace())
        if (e.text.rfind("waitcursor", 0) == 0)
            events.push_back(e.text);
    std::string p = std::to_string(pid);
    EXPECT_EQ(events,
              (std::vector<std::string>{"waitcursor " + p + " on", "waitcursor " + p + " off",
                                        "waitcursor " + p + " on", "waitcursor " + p + " off"}));
}

TEST(ShellLibrary, TrackPopupMenuExWorksByKeysAndReturnsOrPostsTheCommand) {
    sim::Device d(NoShell());
    std::vector<UINT> commands;
    gCommands = &commands;
    UINT_PTR returned = 1;
    uint32_t pid = d.StartFunction(u"\\Temp\\menu.exe", [&] {
        RegisterWindowClass(kProbeClass, ProbeProc);
        HWND w = CreateWindowExW(0, kProbeClass, u"Owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
        HMENU menu = CreatePopupMenu();
        EXPECT_TRUE(AppendMenuW(menu, MF_STRING, 11, u"One"));
        EXPECT_TRUE(AppendMenuW(menu, MF_STRING | MF_GRAYED, 12, u"Two"));
        EXPECT_TRUE(AppendMenuW(menu, MF_SEPARATOR, 0, nullptr));
        EXPECT_TRUE(InsertMenuW(menu, 11, MF_BYCOMMAND, 10, u"Zero"));
        EXPECT_EQ(GetMenuItemCount(menu), 4);
        EXPECT_EQ(CheckMenuItem(menu, 10, MF_CHECKED), DWORD(MF_UNCHECKED));
        EXPECT_EQ(CheckMenuItem(menu, 10, MF_UNCHECKED), DWORD(MF_CHECKED));
        EXPECT_EQ(CheckMenuItem(menu, 99, MF_CHECKED), DWORD(-1));
        EXPECT_EQ(EnableMenuItem(menu, 1, MF_BYPOSITION | MF_ENABLED), BOOL(MF_ENABLED));
        // Down twice: Zero, then One; action chooses it.
        EXPECT_TRUE(TrackPopupMenuEx(menu, TPM_LEFTALIGN, 10, 10, w, nullptr));
        returned = TrackPopupMenuEx(menu, TPM_RETURNCMD, 10, 10, w, nullptr);
        EXPECT_TRUE(DestroyMenu(menu));
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(DestroyMenu(menu));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_MENU_HANDLE));
        PumpFor(50);
        return 0u;
    });
    d.Wait(50);
    for (int vk : {VK_DOWN, VK_DOWN, VK_RETURN}) {
        HoldKey(d, vk, 50);
        d.Wait(20);
    }
    // The second menu closes with nothing chosen.
    HoldKey(d, VK_ESCAPE, 50);
    d.Wait(200);
    EXPECT_EQ(d.ExitCode(pid), 0u);
    EXPECT_EQ(commands, std::vector<UINT>{11});
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(HasEvent(d, "menu \"Owner\" chose \"One\""));
    gCommands = nullptr;
}

namespace {

// A captioned dialog template with no controls.
std::vector<WORD> CaptionedDialog(const std::u16string &title) {
    std::vector<WORD> t;
    DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    t.push_back(WORD(style)), t.push_back(WORD(style >> 16));
    t.push_back(0), t.push_back(0); // extended style
    t.push_back(0);                 // no controls
    for (WORD v : {10, 10, 100, 60})
        t.push_back(v);
    t.push_back(0), t.push_back(0); // no menu, the default class
    t.insert(t.end(), title.begin(), title.end());
    t.push_back(0);
    return t;
}

SHACTIVATEINFO gActivation;

INT_PTR CALLBACK FullScreenProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        SHINITDLGINFO info{SHIDIM_FLAGS, hwnd,
                           SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
        EXPECT_TRUE(SHInitDialog(&info));
        SHMENUBARINFO mb{};
        mb.cbSize = sizeof mb;
        mb.hwndParent = hwnd;
        mb.dwFlags = SHCMBF_HMENU | SHCMBF_HIDESIPBUTTON;
        mb.nToolBarId = 101;
        mb.hInstRes = GetModuleHandleW(nullptr);
        EXPECT_TRUE(SHCreateMenuBar(&mb));
        return TRUE;
    }
    case WM_ACTIVATE: SHHandleWMActivate(hwnd, wParam, lParam, &gActivation, 0); return TRUE;
    case WM_SETTINGCHANGE: SHHandleWMSettingChange(hwnd, wParam, lParam, &gActivation); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            EndDialog(hwnd, 7);
        return TRUE;
    default: return FALSE;
    }
}

} // namespace

TEST(ShellLibrary, AFullScreenDialogLeavesItsTitleToTheTaskBarAndFollowsARotation) {
    sim::Device d;
    std::vector<uint8_t> file = MenuResourceFile();
    d.AddProgram(sim::ProgramImage{"ShellProbe", NoEntry, file.data(), file.size()});
    INT_PTR result = 0;
    gActivation = SHACTIVATEINFO{};
    gActivation.cbSize = sizeof gActivation;
    uint32_t pid = d.StartFunction(
        u"\\Temp\\dialog.exe",
        [&result] {
            std::vector<WORD> t = CaptionedDialog(u"Cursor Settings");
            result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr,
                                             FullScreenProc, 0);
            return 0u;
        },
        "ShellProbe");
    d.Wait(100);
    auto dialog = d.FindTopmost(u"Dialog");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->rect, (sim::Rect{0, 26, 240, 294}));
    // No blue caption row at the dialog's top: the task bar carries it.
    EXPECT_EQ(d.PixelAt(20, 30), 0xFFFFFFu);
    EXPECT_TRUE(gActivation.fActive);
    d.Screenshot(::testing::TempDir() + "fullscreen.png", nullptr); // for a look by eye

    d.SetScreen(320, 240, 96);
    d.Wait(100);
    EXPECT_EQ(d.FindTopmost(u"Dialog")->rect, (sim::Rect{0, 26, 320, 214}));
    EXPECT_EQ(d.SoftKeyLabels(), (std::array<std::u16string, 2>{u"Cancel", u"Menu"}));

    ASSERT_TRUE(d.TapOk());
    d.Wait(100);
    EXPECT_EQ(d.ExitCode(pid), 0u);
    EXPECT_EQ(result, 7);
}

// The same menu as a MENUEX resource, its "Save" greyed.
std::vector<uint8_t> MenuExBytes() {
    std::vector<uint8_t> m;
    auto put16 = [&](uint32_t x) { m.push_back(uint8_t(x)), m.push_back(uint8_t(x >> 8)); };
    auto put32 = [&](uint32_t x) { put16(x & 0xFFFF), put16(x >> 16); };
    auto item = [&](uint32_t type, uint32_t state, uint32_t id, uint16_t info,
                    const std::u16string &text) {
        while (m.size() % 4)
            m.push_back(0);
        put32(type), put32(state), put32(id), put16(info);
        for (char16_t c : text)
            put16(c);
        put16(0);
        if (info & 0x01) {
            while (m.size() % 4)
                m.push_back(0);
            put32(0); // help id
        }
    };
    put16(1), put16(4), put32(0);
    item(MF_STRING, 0, kCancelKey, 0, u"Cancel");
    item(MF_STRING, 0, 0, 0x81, u"Menu");
    item(MF_STRING, MF_GRAYED, kSave, 0, u"Save");
    item(MF_SEPARATOR, 0, 0, 0, u"");
    item(MF_STRING, 0, kAbout, 0x80, u"About");
    return m;
}

TEST(ShellLibrary, AMenuResourceLoadsWholeOrNotAtAll) {
    const std::vector<uint8_t> whole = MenuBytes();
    const std::vector<uint8_t> wholeEx = MenuExBytes();
    std::vector<uint8_t> ex = whole;
    ex[0] = 1; // a MENUEX header
    std::vector<uint8_t> unended = whole;
    unended[unended.size() - 2 * 6 - 4] &= ~MF_END; // "About" no longer ends its pop-up
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes;
        bool loads;
        BOOL saveState = MF_ENABLED;
    } cases[] = {
        {"the whole menu", whole, true},
        {"the whole extended menu", wholeEx, true, MF_GRAYED},
        {"an extended menu cut in its last text",
         std::vector<uint8_t>(wholeEx.begin(), wholeEx.end() - 3), false},
        {"cut inside the header", {0, 0, 0}, false},
        {"cut inside an item's text", std::vector<uint8_t>(whole.begin(), whole.begin() + 12),
         false},
        {"cut before the last terminator", std::vector<uint8_t>(whole.begin(), whole.end() - 1),
         false},
        {"a pop-up never ended", unended, false},
        {"a plain menu under an extended header", ex, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> file = MenuResourceFile(c.bytes);
        // Exactly the file's size, so a read past the menu reads past the block.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[file.size()]);
        std::memcpy(exact.get(), file.data(), file.size());
        sim::Device d(NoShell());
        d.AddProgram(sim::ProgramImage{"MenuProbe", NoEntry, exact.get(), file.size()});
        RunInside(
            d,
            [&] {
                SetLastError(0xdeadbeef);
                HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101));
                if (!c.loads) {
                    EXPECT_FALSE(menu);
                    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
                    return;
                }
                ASSERT_TRUE(menu);
                EXPECT_EQ(GetMenuItemCount(menu), 2);
                EXPECT_FALSE(GetSubMenu(menu, 0));
                HMENU popup = GetSubMenu(menu, 1);
                ASSERT_TRUE(popup);
                EXPECT_EQ(GetMenuItemCount(popup), 3);
                EXPECT_EQ(EnableMenuItem(popup, kSave, MF_ENABLED), c.saveState);
                // By command, the items of pop-ups are found too.
                EXPECT_EQ(CheckMenuItem(menu, kAbout, MF_CHECKED), DWORD(MF_UNCHECKED));
                EXPECT_EQ(CheckMenuItem(popup, 2, MF_BYPOSITION), DWORD(MF_CHECKED));
                EXPECT_TRUE(DestroyMenu(menu));
                // The pop-up went with the menu that held it.
                EXPECT_EQ(GetMenuItemCount(popup), -1);
            },
            "MenuProbe");
    }
}

TEST(ShellLibrary, TheBarsRepaintForANewForegroundWindowOfAnyProgram) {
    sim::Device d;
    auto softKeyPixels = [&d] {
        std::vector<uint32_t> row;
        for (int x = 0; x < 240; ++x)
            row.push_back(d.PixelAt(x, 307));
        return row;
    };
    std::vector<uint32_t> shellKeys = softKeyPixels();
    Probe probe(d, [](HWND w) {
        SHMENUBARINFO mb{};
        mb.cbSize = sizeof mb;
        mb.hwndParent = w;
        mb.dwFlags = SHCMBF_HMENU;
        mb.nToolBarId = 101;
        mb.hInstRes = GetModuleHandleW(nullptr);
        EXPECT_TRUE(SHCreateMenuBar(&mb));
    });
    std::vector<uint32_t> probeKeys = softKeyPixels();
    EXPECT_NE(probeKeys, shellKeys);
    // Another program's window comes to the front without telling the shell
    // library anything: the soft keys are the shell's again, on screen too.
    ASSERT_TRUE(d.CreateScriptWindow(u"Other", u"Other", sim::Rect{0, 100, 100, 150}, false));
    d.Wait(50);
    EXPECT_EQ(d.SoftKeyLabels(), (std::array<std::u16string, 2>{u"Calendar", u"Menu"}));
    EXPECT_EQ(softKeyPixels(), shellKeys);
}
