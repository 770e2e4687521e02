// The dialog manager on the device: dialogs of the class "Dialog" painted in
// Windows Mobile's colours and captions, physical keys working a modal
// dialog, dialogs inside dialogs tabbed into, the template's font freed with
// the dialog, and dialog resources cut short refused cleanly.
#include "gdi/Gdi.h"
#include "support/Devices.h"
#include "support/DialogTemplateBytes.h"
#include "support/Win32.h"
#include "user/WindowManager.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>
#include <vector>

using namespace test;

namespace {

using Template = test::DialogTemplateBytes;

// A control of the tests' own that can take the focus.
const WCHAR kControl[] = u"DialogTestControl";

INT_PTR CALLBACK PlainProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

// Ends the dialog with the id of any command.
INT_PTR CALLBACK EndingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND)
        EndDialog(hwnd, LOWORD(wParam));
    return msg == WM_INITDIALOG;
}

HBRUSH answerBrush;
COLORREF answerText;
INT_PTR CALLBACK ColouringProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_CTLCOLORDLG && answerBrush) {
        SetTextColor(reinterpret_cast<HDC>(wParam), answerText);
        return reinterpret_cast<INT_PTR>(answerBrush);
    }
    return FALSE;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

// The id of the control with the focus on a device, or -1.
int FocusedId(sim::Device &d) {
    sim::Window *focus = d.windows().focus;
    return focus ? static_cast<int>(focus->id) : -1;
}

TEST(Dialog, ADialogIsOfTheClassDialogUnlessItsTemplateNamesAnother) {
    sim::Device d(NoShell());
    RunInside(d, [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefDlgProcW;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.lpszClassName = u"PageClass";
        ASSERT_TRUE(RegisterClassW(&wc));
        struct Case {
            const char *what;
            std::u16string className; // in the template; "" for none
            const char16_t *expected;
        } cases[] = {
            {"no class: the system's", u"", u"Dialog"},
            {"a class of the program's", u"PageClass", u"PageClass"},
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(c.what);
            Template t(WS_POPUP, 40, 40, u"Classy", 8, c.className);
            HWND dialog = CreateDialogIndirectParamW(nullptr, t.Get(), nullptr, PlainProc, 0);
            ASSERT_TRUE(dialog);
            WCHAR name[32];
            GetClassNameW(dialog, name, 32);
            EXPECT_EQ(std::u16string(name), c.expected);
            RECT r{0, 0, 4, 8};
            EXPECT_TRUE(MapDialogRect(dialog, &r)) << "a dialog whatever its class";
            EXPECT_TRUE(SendMessageW(dialog, WM_GETFONT, 0, 0));
            DestroyWindow(dialog);
        }
    });
}

// The background is COLOR_STATIC (white on Windows Mobile) unless the
// procedure answers WM_CTLCOLORDLG; a caption is the title bar's blue.
TEST(Dialog, ADialogPaintsTheBrushItsProcedureAnswersAndACaptionAtItsTop) {
    struct Case {
        const char *what;
        DWORD style;
        COLORREF brush; // answered to WM_CTLCOLORDLG; CLR_INVALID: no answer
        COLORREF body, top;
    } cases[] = {
        {"no answer: the system's dialog colour", WS_POPUP, CLR_INVALID, 0xFFFFFF, 0xFFFFFF},
        {"the procedure's brush", WS_POPUP, RGB(255, 0, 0), RGB(255, 0, 0), RGB(255, 0, 0)},
        {"a caption over the top", WS_POPUP | WS_CAPTION, CLR_INVALID, 0xFFFFFF, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d(NoShell());
        RunInside(d, [&] {
            answerBrush = c.brush == CLR_INVALID ? nullptr : CreateSolidBrush(c.brush);
            answerText = RGB(0, 255, 0);
            Template t(c.style | WS_VISIBLE, 100, 100, u"Painted");
            HWND dialog = CreateDialogIndirectParamW(nullptr, t.Get(), nullptr, ColouringProc, 0);
            ASSERT_TRUE(dialog);
            PumpFor(50);
            RECT r;
            GetWindowRect(dialog, &r);
            EXPECT_EQ(ScreenPixel(r.left + 20, r.bottom - 5), c.body);
            COLORREF top = ScreenPixel(r.left + 2, r.top + 2);
            if (c.top)
                EXPECT_EQ(top, c.top);
            else
                EXPECT_GT(GetBValue(top), GetRValue(top)) << "the title bar's blue";
            DestroyWindow(dialog);
            if (answerBrush)
                DeleteObject(answerBrush);
        });
    }
}

TEST(Dialog, StaticTextsAndDialogsDefaultToBlackOnWhite) {
    sim::Device d(NoShell());
    RunInside(d, [] {
        HWND w = CreateWindowExW(0, u"Dialog", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        HDC dc = GetDC(w);
        for (UINT msg : {WM_CTLCOLORSTATIC, WM_CTLCOLORDLG}) {
            SCOPED_TRACE(msg);
            SetTextColor(dc, RGB(1, 2, 3));
            SetBkColor(dc, RGB(4, 5, 6));
            auto brush = reinterpret_cast<HBRUSH>(
                DefWindowProcW(w, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(w)));
            EXPECT_EQ(brush, GetSysColorBrush(COLOR_STATIC));
            EXPECT_EQ(GetSysColor(COLOR_STATIC), 0xFFFFFFu);
            EXPECT_EQ(SetTextColor(dc, 0), GetSysColor(COLOR_STATICTEXT));
            EXPECT_EQ(SetBkColor(dc, 0), GetSysColor(COLOR_STATIC));
        }
        ReleaseDC(w, dc);
        DestroyWindow(w);
    });
}

TEST(Dialog, TheTemplatesFontGoesWithTheDialog) {
    sim::Device d(NoShell());
    RunInside(d, [] {
        auto objects = [] { return sim::CurrentGdi().CountOf(&sim::CurrentProcess()); };
        size_t before = objects();
        struct Case {
            const char *what;
            bool modal;
            WORD points;
        } cases[] = {
            {"a modeless dialog with a font", false, 8},
            {"a modal dialog with a font", true, 9},
            {"a dialog without one", false, 0},
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(c.what);
            Template t(WS_POPUP, 40, 40, u"Font", c.points);
            if (c.modal) {
                struct Ender {
                    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
                        if (msg == WM_INITDIALOG)
                            PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
                        if (msg == WM_COMMAND)
                            EndDialog(hwnd, 1);
                        return FALSE;
                    }
                };
                EXPECT_EQ(DialogBoxIndirectParamW(nullptr, t.Get(), nullptr, Ender::Proc, 0), 1);
            } else {
                HWND dialog = CreateDialogIndirectParamW(nullptr, t.Get(), nullptr, PlainProc, 0);
                EXPECT_EQ(objects(), before + (c.points ? 1 : 0)) << "the font, while it lives";
                DestroyWindow(dialog);
            }
            EXPECT_EQ(objects(), before);
        }
    });
}

// A program's modal dialog as the user works it with the device's keys.
TEST(Dialog, TheDevicesKeysWorkAModalDialog) {
    sim::Device d(NoShell());
    uint32_t pid = d.StartFunction(u"\\Temp\\modal.exe", [] {
        RegisterWindowClass(kControl);
        Template t(WS_POPUP | WS_CAPTION, 120, 80, u"Keys", 8);
        t.Add(kControl, 1, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 5, 5, 50, 10);
        t.Add(kControl, 2, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 5, 20, 50, 10);
        return static_cast<uint32_t>(
            DialogBoxIndirectParamW(nullptr, t.Get(), nullptr, EndingProc, 0));
    });
    d.Wait(100);
    std::optional<sim::WindowInfo> fg = d.Foreground();
    ASSERT_TRUE(fg);
    EXPECT_EQ(fg->className, u"Dialog");
    EXPECT_EQ(fg->title, u"Keys");
    struct Case {
        const char *what;
        int vk;
        int focus; // after the key
    } cases[] = {
        {"WM_INITDIALOG's TRUE focused the first control", 0, 1},
        {"Tab", VK_TAB, 2},
        {"Tab round", VK_TAB, 1},
        {"Down within the group", VK_DOWN, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.vk) {
            d.Key(c.vk, false);
            d.Key(c.vk, true);
            d.Wait(50);
        }
        EXPECT_EQ(FocusedId(d), c.focus);
    }
    d.Key(VK_ESCAPE, false);
    d.Key(VK_ESCAPE, true);
    d.Wait(100);
    EXPECT_EQ(d.ExitCode(pid), std::optional<uint32_t>(IDCANCEL)) << "Escape is Cancel";
    EXPECT_FALSE(d.FindTopmost(u"Dialog")) << "the dialog is gone";
}

// On Windows CE every dialog is a control parent: a dialog inside another
// is tabbed into while it is shown.
TEST(Dialog, TabEntersADialogInsideTheDialogWhileItIsShown) {
    sim::Device d(NoShell());
    RunInside(d, [] {
        RegisterWindowClass(kControl);
        Template outer(WS_POPUP | WS_VISIBLE, 150, 150, u"Outer");
        outer.Add(kControl, 1, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10);
        outer.Add(kControl, 4, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 100, 10, 10);
        HWND main = CreateDialogIndirectParamW(nullptr, outer.Get(), nullptr, PlainProc, 0);
        Template inner(WS_CHILD, 100, 50, u"");
        inner.Add(kControl, 2, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10);
        inner.Add(kControl, 3, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 20, 10, 10);
        HWND page = CreateDialogIndirectParamW(nullptr, inner.Get(), main, PlainProc, 0);
        ASSERT_TRUE(page);
        EXPECT_FALSE(IsWindowVisible(page)) << "a child dialog starts hidden";
        auto id = [](HWND w) { return w ? GetDlgCtrlID(w) : 0; };
        auto item = [&](int n) {
            return n == 2 || n == 3 ? GetDlgItem(page, n) : GetDlgItem(main, n);
        };
        struct Case {
            const char *what;
            bool shown;
            int from;
            BOOL previous;
            int next;
        } cases[] = {
            // The page came after the dialog's own controls: 1, 4, then it.
            {"a hidden page is passed", false, 4, FALSE, 1},
            {"into the shown page", true, 4, FALSE, 2},
            {"through it", true, 2, FALSE, 3},
            {"and out, round to the first", true, 3, FALSE, 1},
            {"back into it from the first", true, 1, TRUE, 3},
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(c.what);
            ShowWindow(page, c.shown ? SW_SHOW : SW_HIDE);
            EXPECT_EQ(id(GetNextDlgTabItem(main, item(c.from), c.previous)), c.next);
        }
        // The page's own order stays within it.
        EXPECT_EQ(id(GetNextDlgTabItem(page, item(3), FALSE)), 2);
        DestroyWindow(main);
        EXPECT_FALSE(IsWindow(page)) << "destroyed with the dialog it is in";
    });
}

TEST(Dialog, AModalDialogOwnedByTheActiveWindowLeavesOtherProgramsAlone) {
    sim::Device d(NoShell());
    d.CreateScriptWindow(u"OtherProgram", u"", sim::Rect{0, 0, 240, 100}, false);
    d.Wait(10);
    RunInside(d, [] {
        HWND other = FindWindowW(u"OtherProgram", nullptr);
        ASSERT_TRUE(other);
        EXPECT_EQ(GetForegroundWindow(), other);
        EXPECT_EQ(GetActiveWindow(), nullptr) << "another program's window is not this thread's";
        Template t(WS_POPUP, 40, 40, u"Owned");
        struct Probe {
            static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
                if (msg == WM_INITDIALOG) {
                    *reinterpret_cast<BOOL *>(lParam) =
                        IsWindowEnabled(FindWindowW(u"OtherProgram", nullptr));
                    EndDialog(hwnd, 1);
                }
                return FALSE;
            }
        };
        BOOL otherEnabled = FALSE;
        EXPECT_EQ(DialogBoxIndirectParamW(nullptr, t.Get(), GetActiveWindow(), Probe::Proc,
                                          reinterpret_cast<LPARAM>(&otherEnabled)),
                  1);
        EXPECT_TRUE(otherEnabled);
    });
}

// A compiled resource file holding one dialog, the last entry, cut to
// `dialogBytes` of the template.
std::vector<uint8_t> ResourceFile(const std::vector<uint8_t> &dialog) {
    std::vector<uint8_t> res;
    auto put16 = [&](uint32_t v) { res.push_back(uint8_t(v)), res.push_back(uint8_t(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
    // The empty entry every .res file starts with.
    put32(0), put32(32), put16(0xFFFF), put16(0), put16(0xFFFF), put16(0);
    put32(0), put32(0), put32(0), put32(0);
    put32(uint32_t(dialog.size())), put32(32);
    put16(0xFFFF), put16(5), put16(0xFFFF), put16(102);
    put32(0), put16(0x1030), put16(0x0409), put32(0), put32(0);
    res.insert(res.end(), dialog.begin(), dialog.end());
    return res;
}

int DummyEntry(void *, void *, char16_t *, int) {
    return 0;
}

INT_PTR CALLBACK EndAtOnceProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG)
        EndDialog(hwnd, 5);
    return FALSE;
}

TEST(Dialog, ADialogResourceOpensWholeAndFailsCleanlyCutShort) {
    Template whole(WS_POPUP, 80, 40, u"Resource", 8);
    whole.Add(kControl, 1, WS_CHILD | WS_VISIBLE, 0, 0, 20, 8);
    whole.Add(kControl, 2, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 10, 20, 8);
    const std::vector<uint8_t> full = whole.Bytes();
    struct Case {
        const char *what;
        size_t keep; // bytes of the template kept
    } cases[] = {
        {"the whole template", full.size()},
        {"a header cut short", 10},
        {"the title cut", 24},
        {"the last item's class cut", full.size() - 12},
        {"the last item's creation size missing", full.size() - 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        // The file lies in a block of exactly its size: a read past the
        // dialog reads past the block.
        std::vector<uint8_t> file =
            ResourceFile(std::vector<uint8_t>(full.begin(), full.begin() + c.keep));
        std::unique_ptr<uint8_t[]> exact(new uint8_t[file.size()]);
        std::memcpy(exact.get(), file.data(), file.size());
        sim::Device d(NoShell());
        d.AddProgram(sim::ProgramImage{"CutDialog", DummyEntry, exact.get(), file.size()});
        RunInside(
            d,
            [&] {
                RegisterWindowClass(kControl);
                HINSTANCE self = GetModuleHandleW(nullptr);
                if (c.keep == full.size()) {
                    EXPECT_EQ(
                        DialogBoxParamW(self, MAKEINTRESOURCEW(102), nullptr, EndAtOnceProc, 0), 5);
                    HWND dialog =
                        CreateDialogParamW(self, MAKEINTRESOURCEW(102), nullptr, PlainProc, 0);
                    ASSERT_TRUE(dialog);
                    EXPECT_TRUE(GetDlgItem(dialog, 2));
                    DestroyWindow(dialog);
                    return;
                }
                SetLastError(0xdeadbeef);
                EXPECT_EQ(DialogBoxParamW(self, MAKEINTRESOURCEW(102), nullptr, PlainProc, 0), -1);
                EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
                EXPECT_FALSE(
                    CreateDialogParamW(self, MAKEINTRESOURCEW(102), nullptr, PlainProc, 0));
                // The same template reached through LockResource, with no
                // size given, is bounded by the program's resources.
                HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(102), RT_DIALOG);
                ASSERT_TRUE(found);
                auto *data = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(self, found)));
                EXPECT_EQ(DialogBoxIndirectParamW(self, data, nullptr, PlainProc, 0), -1);
                EXPECT_FALSE(FindWindowW(u"Dialog", nullptr));
            },
            "CutDialog");
    }
}

} // namespace

TEST(Dialog, AMessageBoxOwnedByAChildBelongsToItsTopLevelWindowAndGivesItTheActivationBack) {
    sim::Device d(NoShell());
    bool topDisabled = false, childEnabled = false, topEnabledAfter = false;
    d.StartFunction(u"\\Temp\\owner.exe", [&] {
        HWND top = CreateWindowExW(0, u"STATIC", u"Top", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320,
                                   nullptr, nullptr, nullptr, nullptr);
        HWND child = CreateWindowExW(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100,
                                     top, nullptr, nullptr, nullptr);
        SetForegroundWindow(top);
        MessageBoxW(child, u"Text", u"Box", MB_OK);
        topEnabledAfter = IsWindowEnabled(top) != FALSE;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        return 0u;
    });
    d.Wait(100);
    auto fg = d.Foreground();
    ASSERT_TRUE(fg);
    EXPECT_EQ(fg->title, u"Box");
    RunInside(d, [&] {
        HWND top = FindWindowW(u"STATIC", u"Top");
        topDisabled = !IsWindowEnabled(top);
        childEnabled = IsWindowEnabled(GetWindow(top, GW_CHILD)) != FALSE;
    });
    EXPECT_TRUE(topDisabled);
    EXPECT_TRUE(childEnabled);
    ASSERT_TRUE(d.Answer(u"Box", IDOK));
    d.Wait(100);
    EXPECT_TRUE(topEnabledAfter);
    ASSERT_TRUE(d.Foreground());
    EXPECT_EQ(d.Foreground()->title, u"Top");
}
