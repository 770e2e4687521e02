// The binding of windows and dialogs to their objects: which messages reach
// the object, knowing its window, and which go to the default procedure.
#include "WindowBinding.h"
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace test;

namespace {

// A message that reached the object, with whether the object knew its
// window by then.
struct Seen {
    UINT message;
    bool windowKnown;
    bool operator==(const Seen &) const = default;
};

struct Recorder {
    HWND window = nullptr;
    std::vector<Seen> seen;
    void Note(HWND hwnd, UINT message) { seen.push_back({message, window == hwnd}); }
};

LRESULT CALLBACK RecordedWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Recorder *self = WindowObjectFor(hwnd, message, lParam, &Recorder::window);
    if (self == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    self->Note(hwnd, message);
    if (message == WM_DESTROY)
        UnbindWindowObject(hwnd);
    return 0;
}

INT_PTR CALLBACK RecordedDialog(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    Recorder *self = DialogObjectFor(hwnd, message, lParam, &Recorder::window);
    if (self == nullptr)
        return FALSE;
    self->Note(hwnd, message);
    return TRUE;
}

// DeviceSim has no dialog manager yet; a plain window hands its messages to
// the dialog procedure the way the dialog manager would.
LRESULT CALLBACK DialogHost(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (RecordedDialog(hwnd, message, wParam, lParam))
        return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND Create(const char16_t *className, WNDPROC proc, void *object) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, className, u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           object);
}

} // namespace

TEST(WindowBinding, AWindowsObjectSeesItsMessagesFromCreationToDestruction) {
    sim::Device d;
    Recorder bound, stranger;
    HWND window = nullptr;
    RunInside(d, [&] {
        window = Create(u"Bound", RecordedWindow, &bound);
        SendMessageW(window, WM_USER, 0, 0);
        // A WM_CREATE from outside names another object; the binding stays.
        CREATESTRUCTW foreign{};
        foreign.lpCreateParams = &stranger;
        SendMessageW(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&foreign));
        DestroyWindow(window);
    });
    ASSERT_NE(window, nullptr);
    const std::vector<Seen> expected = {{WM_CREATE, true}, {WM_SIZE, true},   {WM_MOVE, true},
                                        {WM_USER, true},   {WM_CREATE, true}, {WM_DESTROY, true}};
    EXPECT_EQ(bound.seen, expected);
    EXPECT_TRUE(stranger.seen.empty());
}

TEST(WindowBinding, WithoutAnObjectEveryMessageTakesTheDefault) {
    struct Case {
        const char *what;
        WNDPROC proc;
        UINT binding; // the message that would bind
    };
    const Case cases[] = {
        {"window created without a parameter", RecordedWindow, WM_CREATE},
        {"dialog initialised without a parameter", DialogHost, WM_INITDIALOG},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        bool created = false, bound = true;
        RunInside(d, [&] {
            HWND window = Create(u"Unbound", c.proc, nullptr);
            created = window != nullptr;
            SendMessageW(window, c.binding, 0, 0);
            SendMessageW(window, WM_USER, 0, 0);
            bound = BoundWindowObject<Recorder>(window) != nullptr;
            DestroyWindow(window);
        });
        EXPECT_TRUE(created);
        EXPECT_FALSE(bound);
    }
}

TEST(WindowBinding, ADialogsObjectArrivesWithWmInitDialogAndStays) {
    sim::Device d;
    Recorder bound, stranger;
    RunInside(d, [&] {
        HWND dialog = Create(u"Dialog host", DialogHost, nullptr);
        // Before WM_INITDIALOG the dialog has no object.
        SendMessageW(dialog, WM_USER, 0, 0);
        SendMessageW(dialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&bound));
        SendMessageW(dialog, WM_USER + 1, 0, 0);
        SendMessageW(dialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&stranger));
        DestroyWindow(dialog);
    });
    const std::vector<Seen> expected = {
        {WM_INITDIALOG, true}, {WM_USER + 1, true}, {WM_INITDIALOG, true}, {WM_DESTROY, true}};
    EXPECT_EQ(bound.seen, expected);
    EXPECT_TRUE(stranger.seen.empty());
}
