// Conformance of the window functions: classes, creation, z-order with the
// top-most band and owners, visibility, geometry, finding, properties and
// destruction.
#include "conformance/Conformance.h"

#include <windows.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

const UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

// A pop-up of the recording class, shown without being activated.
HWND Popup(DWORD exStyle, HWND owner) {
    HWND hwnd = CreateWindowExW(exStyle, conformance::RecordingClass(), TEXT(""), WS_POPUP, 10, 20,
                                30, 40, owner, NULL, NULL, NULL);
    EXPECT_NE((HWND)NULL, hwnd);
    ShowWindow(hwnd, SW_SHOWNA);
    return hwnd;
}

// The given windows in the order the top-level z-order holds them, top first.
std::vector<HWND> ZOrderOf(const std::vector<HWND> &windows) {
    std::vector<HWND> order;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        for (size_t i = 0; i < windows.size(); ++i)
            if (windows[i] == w)
                order.push_back(w);
    return order;
}

bool IsTopmost(HWND hwnd) {
    return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

} // namespace

CONFORMANCE_TEST(WindowConformance, AClassRegistersOnceAndAWindowNeedsARegisteredClass) {
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = TEXT("ConformanceClass");
    wc.hInstance = GetModuleHandleW(NULL);
    SetLastError(0xdeadbeef);
    EXPECT_NE(0, RegisterClassW(&wc));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, RegisterClassW(&wc));
    EXPECT_LAST_ERROR(ERROR_CLASS_ALREADY_EXISTS);

    SetLastError(0xdeadbeef);
    EXPECT_EQ((HWND)NULL, CreateWindowExW(0, TEXT("NoSuchClass"), TEXT(""), WS_POPUP, 0, 0, 10, 10,
                                          NULL, NULL, NULL, NULL));
    // Wine differs: it reports ERROR_CLASS_DOES_NOT_EXIST, the code of the
    // class functions, where CreateWindowEx on Windows reports
    // ERROR_CANNOT_FIND_WND_CLASS.
    if (!conformance::IsWine()) {
        EXPECT_LAST_ERROR(ERROR_CANNOT_FIND_WND_CLASS);
    }
    // Class names compare without regard to case.
    HWND hwnd = CreateWindowExW(0, TEXT("CONFORMANCECLASS"), TEXT(""), WS_POPUP, 0, 0, 10, 10, NULL,
                                NULL, NULL, NULL);
    EXPECT_NE((HWND)NULL, hwnd);
    DestroyWindow(hwnd);

    EXPECT_TRUE(UnregisterClassW(TEXT("ConformanceClass"), wc.hInstance));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(UnregisterClassW(TEXT("ConformanceClass"), wc.hInstance));
    EXPECT_LAST_ERROR(ERROR_CLASS_DOES_NOT_EXIST);
}

CONFORMANCE_TEST(WindowConformance, ZOrderKeepsTheTopMostBandAboveAndFollowsEveryInsertAfter) {
    HWND a = Popup(0, NULL), b = Popup(0, NULL), t = Popup(WS_EX_TOPMOST, NULL), c = Popup(0, NULL);
    HWND windows[] = {a, b, c, t};
    const char names[] = "ABCT";
    std::vector<HWND> all(windows, windows + 4);
    struct Case {
        const char *what;
        char window; // the window moved, or 0 for none
        HWND insertAfter;
        char after;        // the window to insert after, used when insertAfter is NULL
        const char *order; // top first; a '*' follows each top-most window
    } cases[] = {
        {"a new window enters at the top of its band", 0, HWND_TOP, 0, "T*CBA"},
        {"HWND_TOP raises within the normal band", 'A', HWND_TOP, 0, "T*ACB"},
        {"HWND_BOTTOM lowers to the bottom", 'C', HWND_BOTTOM, 0, "T*ABC"},
        {"a window goes right below the one it is inserted after", 'A', NULL, 'B', "T*BAC"},
        {"a window inserted after itself keeps its place", 'A', NULL, 'A', "T*BAC"},
        {"HWND_TOPMOST joins the top of the top-most band", 'C', HWND_TOPMOST, 0, "C*T*BA"},
        {"HWND_NOTOPMOST leaves the band for the top of the normal band", 'T', HWND_NOTOPMOST, 0,
         "C*TBA"},
        {"HWND_NOTOPMOST does nothing to a normal window", 'A', HWND_NOTOPMOST, 0, "C*TBA"},
        {"HWND_TOP keeps a normal window below the top-most band", 'B', HWND_TOP, 0, "C*BTA"},
        {"HWND_BOTTOM takes a top-most window out of its band", 'C', HWND_BOTTOM, 0, "BTAC"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &k = cases[i];
        SCOPED_TRACE(k.what);
        if (k.window) {
            HWND moved = windows[strchr(names, k.window) - names];
            HWND after = k.after ? windows[strchr(names, k.after) - names] : k.insertAfter;
            EXPECT_TRUE(SetWindowPos(moved, after, 0, 0, 0, 0, kKeepPlace));
        }
        std::string order;
        std::vector<HWND> z = ZOrderOf(all);
        for (size_t j = 0; j < z.size(); ++j) {
            for (size_t n = 0; n < 4; ++n)
                if (windows[n] == z[j])
                    order += names[n];
            if (IsTopmost(z[j]))
                order += '*';
        }
        EXPECT_EQ(k.order, order);
    }
}

CONFORMANCE_TEST(WindowConformance, OwnedWindowsStayAboveTheirOwnerAndGoWithIt) {
    HWND owner = Popup(0, NULL);
    HWND owned = Popup(0, owner);
    HWND other = Popup(0, NULL);
    EXPECT_EQ(owner, GetWindow(owned, GW_OWNER));
    EXPECT_EQ((HWND)NULL, GetWindow(owner, GW_OWNER));
    HWND windows[] = {owner, owned, other};
    std::vector<HWND> all(windows, windows + 3);
    HWND before[] = {other, owned, owner};
    EXPECT_EQ(std::vector<HWND>(before, before + 3), ZOrderOf(all));
    // Raising the owner brings what it owns along, above it.
    EXPECT_TRUE(SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, kKeepPlace));
    HWND after[] = {owned, owner, other};
    EXPECT_EQ(std::vector<HWND>(after, after + 3), ZOrderOf(all));

    EXPECT_TRUE(DestroyWindow(owner));
    EXPECT_FALSE(IsWindow(owned)) << "an owned window goes with its owner";
    DestroyWindow(other);
}

CONFORMANCE_TEST(WindowConformance, ChildrenLieInTheirParentAndShowOnlyWithIt) {
    HWND parent = Popup(0, NULL);
    HWND child = CreateWindowExW(0, conformance::RecordingClass(), TEXT(""), WS_CHILD | WS_VISIBLE,
                                 5, 6, 7, 8, parent, (HMENU)(UINT_PTR)7, NULL, NULL);
    ASSERT_NE((HWND)NULL, child);
    EXPECT_EQ(child, GetWindow(parent, GW_CHILD));
    EXPECT_EQ(parent, GetParent(child));
    EXPECT_EQ(7, GetWindowLongW(child, GWL_ID));

    struct Case {
        const char *what;
        HWND hwnd;
        RECT window, client;
    } cases[] = {
        {"the parent", parent, {10, 20, 40, 60}, {0, 0, 30, 40}},
        {"the child, in screen coordinates", child, {15, 26, 22, 34}, {0, 0, 7, 8}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        RECT r;
        memset(&r, 0xbd, sizeof r);
        EXPECT_TRUE(GetWindowRect(c.hwnd, &r));
        EXPECT_TRUE(EqualRect(&c.window, &r))
            << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        memset(&r, 0xbd, sizeof r);
        EXPECT_TRUE(GetClientRect(c.hwnd, &r));
        EXPECT_TRUE(EqualRect(&c.client, &r));
    }

    // ShowWindow answers whether the window was visible before.
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_TRUE(ShowWindow(parent, SW_HIDE));
    EXPECT_FALSE(ShowWindow(parent, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(child)) << "a child of a hidden parent is not visible";
    EXPECT_TRUE((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0) << "yet keeps its style";
    EXPECT_FALSE(ShowWindow(parent, SW_SHOWNA));
    EXPECT_TRUE(IsWindowVisible(child));

    // A child moves with its parent.
    EXPECT_TRUE(
        SetWindowPos(parent, NULL, 100, 110, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(105, r.left);
    EXPECT_EQ(116, r.top);
    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(child));
}

CONFORMANCE_TEST(WindowConformance, FindWindowLooksAtTopLevelWindowsFromTheTopByClassAndTitle) {
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = TEXT("ConformanceFind");
    RegisterClassW(&wc);
    HWND first = CreateWindowExW(0, TEXT("ConformanceFind"), TEXT("First"), WS_POPUP, 0, 0, 10, 10,
                                 NULL, NULL, NULL, NULL);
    HWND second = CreateWindowExW(0, TEXT("ConformanceFind"), TEXT("Second"), WS_POPUP, 0, 0, 10,
                                  10, NULL, NULL, NULL, NULL);
    HWND child = CreateWindowExW(0, TEXT("ConformanceFind"), TEXT("Child"), WS_CHILD, 0, 0, 5, 5,
                                 first, NULL, NULL, NULL);
    ASSERT_NE((HWND)NULL, child);
    struct Case {
        const char *what;
        LPCWSTR className, title;
        HWND found;
    } cases[] = {
        {"by class: the top one, hidden or not", TEXT("ConformanceFind"), NULL, second},
        {"by title only", NULL, TEXT("First"), first},
        {"by class in another case and title", TEXT("CONFORMANCEFIND"), TEXT("First"), first},
        {"a title no window has", TEXT("ConformanceFind"), TEXT("Missing"), NULL},
        {"a class no window has", TEXT("NoSuchClass"), NULL, NULL},
        {"a child is not a top-level window", NULL, TEXT("Child"), NULL},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.found, FindWindowW(c.className, c.title));
    }
    SetWindowPos(first, HWND_TOP, 0, 0, 0, 0, kKeepPlace);
    EXPECT_EQ(first, FindWindowW(TEXT("ConformanceFind"), NULL)) << "after raising the first";
    DestroyWindow(first);
    DestroyWindow(second);
}

CONFORMANCE_TEST(WindowConformance, PropertiesHoldPointersUntilRemovedOrTheWindowIsGone) {
    HWND hwnd = Popup(0, NULL);
    int object = 0;
    HANDLE pointer = (HANDLE)&object; // pointer-sized, so it must survive whole
    EXPECT_TRUE(SetPropW(hwnd, TEXT("Object"), pointer));
    EXPECT_TRUE(SetPropW(hwnd, TEXT("Other"), (HANDLE)(UINT_PTR)2));
    EXPECT_EQ(pointer, GetPropW(hwnd, TEXT("Object")));
    EXPECT_TRUE(SetPropW(hwnd, TEXT("Other"), (HANDLE)(UINT_PTR)3)) << "setting again replaces";
    EXPECT_EQ((HANDLE)(UINT_PTR)3, GetPropW(hwnd, TEXT("Other")));
    EXPECT_EQ((HANDLE)NULL, GetPropW(hwnd, TEXT("Missing")));

    EXPECT_EQ(pointer, RemovePropW(hwnd, TEXT("Object")));
    EXPECT_EQ((HANDLE)NULL, GetPropW(hwnd, TEXT("Object")));
    EXPECT_EQ((HANDLE)NULL, RemovePropW(hwnd, TEXT("Object")));
    EXPECT_EQ((HANDLE)(UINT_PTR)3, GetPropW(hwnd, TEXT("Other"))) << "the others stay";

    // A destroyed window's handle names nothing any more.
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_FALSE(IsWindow(hwnd));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DestroyWindow(hwnd));
    // Wine differs: its DestroyWindow answers ERROR_ACCESS_DENIED for every
    // window the thread does not own, a handle that names nothing included;
    // Windows tells an invalid handle by ERROR_INVALID_WINDOW_HANDLE.
    if (!conformance::IsWine()) {
        EXPECT_LAST_ERROR(ERROR_INVALID_WINDOW_HANDLE);
    }
    EXPECT_FALSE(SetPropW(hwnd, TEXT("Other"), (HANDLE)(UINT_PTR)4));
    EXPECT_FALSE(SetWindowPos(hwnd, NULL, 0, 0, 0, 0, kKeepPlace | SWP_NOZORDER));
    RECT r;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetWindowRect(hwnd, &r));
    EXPECT_LAST_ERROR(ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ((HANDLE)NULL, GetPropW(hwnd, TEXT("Other")));
}
