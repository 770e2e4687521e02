// Conformance of the dialog manager: dialogs made from templates built in
// memory, modal and modeless, what they send while they are made, their
// units and font, the dialog procedure's results, keyboard navigation, and
// the calls that reach a dialog's controls by id.
#include "conformance/Conformance.h"

#include <windows.h>

#include <string.h>
#include <vector>

using namespace conformance;

namespace {

// ---------------------------------------------------------------- templates

// A standard template in memory, built as a resource compiler lays it out.
class Template {
public:
    Template(DWORD style, short cx, short cy, LPCWSTR title, WORD points = 0) : count_(0) {
        if (points)
            style |= DS_SETFONT;
        Dword(style);
        Dword(0);
        countAt_ = words_.size();
        Word(0);
        Word(0);
        Word(0);
        Word((WORD)cx);
        Word((WORD)cy);
        Word(0); // no menu
        Word(0); // the system's dialog class
        Text(title);
        if (points) {
            Word(points);
            Text(TEXT("MS Shell Dlg"));
        }
    }
    // A control of a class given by name.
    Template &Add(LPCWSTR className, LPCWSTR text, WORD id, DWORD style, short x, short y, short cx,
                  short cy) {
        Header(style, id, x, y, cx, cy);
        Text(className);
        Text(text);
        Word(0);
        return *this;
    }
    // A control whose creation data is `data`, `bytes` long.
    Template &AddWithData(LPCWSTR className, WORD id, DWORD style, const WORD *data, WORD bytes) {
        Header(style, id, 0, 0, 10, 10);
        Text(className);
        Text(TEXT(""));
        Word(bytes);
        for (WORD i = 0; i < bytes / 2; ++i)
            Word(data[i]);
        return *this;
    }
    LPCDLGTEMPLATEW Get() {
        words_[countAt_] = count_;
        return (LPCDLGTEMPLATEW)&words_[0];
    }

private:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(LPCWSTR s) {
        for (; *s; ++s)
            Word((WORD)*s);
        Word(0);
    }
    void Header(DWORD style, WORD id, short x, short y, short cx, short cy) {
        while (words_.size() % 2)
            Word(0);
        Dword(style);
        Dword(0);
        Word((WORD)x);
        Word((WORD)y);
        Word((WORD)cx);
        Word((WORD)cy);
        Word(id);
        ++count_;
    }
    std::vector<WORD> words_;
    size_t countAt_;
    WORD count_;
};

// ---------------------------------------------------------------- stand-ins

// A check box or radio button of the test's own: its check state in
// GWLP_USERDATA, its kind in its style, a click checks it and tells the
// parent.
const WCHAR kCheck[] = TEXT("ConformanceCheck");
LRESULT CALLBACK CheckProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    RecordMessage(hwnd, msg, wParam, lParam);
    DWORD kind = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    switch (msg) {
    case WM_GETDLGCODE:
        if (kind == BS_AUTORADIOBUTTON)
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        if (kind == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BM_GETCHECK: return GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    case BM_SETCHECK: SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)wParam); return 0;
    case BM_CLICK:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, BST_CHECKED);
        SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                     (LPARAM)hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A control that wants every key, as an edit box of several lines does.
const WCHAR kGreedy[] = TEXT("ConformanceGreedy");
LRESULT CALLBACK GreedyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETDLGCODE)
        return DLGC_WANTALLKEYS;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterStandIns() {
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = CheckProc;
    wc.lpszClassName = kCheck;
    RegisterClassW(&wc);
    wc.lpfnWndProc = GreedyProc;
    wc.lpszClassName = kGreedy;
    RegisterClassW(&wc);
}

// ---------------------------------------------------------------- procedures

// What the test's dialog procedures saw and are to do.
struct Script {
    int initFocusId;           // the control WM_INITDIALOG named for the focus
    LPARAM initParam;          // its lParam
    BOOL initAnswer;           // what the procedure answers WM_INITDIALOG
    INT_PTR endIn;             // EndDialog with this value in WM_INITDIALOG (0: no)
    BOOL ownerEnabled;         // the owner's state seen in WM_INITDIALOG
    HWND owner;                // checked there
    std::vector<int> commands; // WM_COMMAND ids, in order
    HFONT setFont;             // the font WM_SETFONT brought
};
Script script;

void ResetScript() {
    Script fresh = Script();
    fresh.initAnswer = TRUE;
    fresh.initFocusId = -1;
    script = fresh;
}

INT_PTR CALLBACK ScriptedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    RecordMessage(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_SETFONT: script.setFont = (HFONT)wParam; return TRUE;
    case WM_INITDIALOG:
        script.initFocusId = wParam ? GetDlgCtrlID((HWND)wParam) : 0;
        script.initParam = lParam;
        if (script.owner)
            script.ownerEnabled = IsWindowEnabled(script.owner);
        if (script.endIn)
            EndDialog(hwnd, script.endIn);
        return script.initAnswer;
    case WM_COMMAND:
        script.commands.push_back(LOWORD(wParam));
        // A command of 100 or more ends a modal dialog with its id.
        if (LOWORD(wParam) >= 100)
            EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// Runs the calling thread's messages through the dialog, as a program's
// loop with a modeless dialog does.
void PumpThrough(HWND dialog) {
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
}

void Press(BYTE vk) {
    keybd_event(vk, 0, 0, 0);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
}

int FocusId() {
    HWND focus = GetFocus();
    return focus ? GetDlgCtrlID(focus) : -1;
}

} // namespace

// ---------------------------------------------------------------- modal

namespace {
// Posts itself the command its creation parameter names.
INT_PTR CALLBACK PostingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG && lParam)
        PostMessageW(hwnd, WM_COMMAND, (WPARAM)lParam, 0);
    return ScriptedProc(hwnd, msg, wParam, lParam);
}
} // namespace

CONFORMANCE_TEST(DialogConformance, AModalDialogReturnsWhatEndDialogWasGiven) {
    struct Case {
        const char *what;
        INT_PTR endIn; // EndDialog in WM_INITDIALOG
        int command;   // else a command posted to it, which ends it
        INT_PTR result;
    } cases[] = {
        {"ended in WM_INITDIALOG", 42, 0, 42},
        {"ended by a command from its loop", 0, 123, 123},
        {"a negative result", -5, 0, -5},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        ResetScript();
        script.endIn = c.endIn;
        Template t(WS_POPUP | WS_CAPTION, 100, 60, TEXT("Modal"));
        EXPECT_EQ(c.result, DialogBoxIndirectParamW(NULL, t.Get(), NULL, PostingProc, c.command));
        EXPECT_EQ((HWND)NULL, FindWindowW(NULL, TEXT("Modal"))) << "destroyed when it returns";
    }
}

CONFORMANCE_TEST(DialogConformance, TheOwnerIsDisabledWhileAModalDialogRunsAndEnabledAfter) {
    HWND top = CreateWindowExW(0, RecordingClass(), TEXT("Top"), WS_POPUP | WS_VISIBLE, 0, 0, 100,
                               100, NULL, NULL, NULL, NULL);
    HWND child = CreateWindowExW(0, RecordingClass(), TEXT(""), WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                 top, (HMENU)1, NULL, NULL);
    struct Case {
        const char *what;
        HWND parent;        // given to DialogBoxIndirectParamW
        BOOL enabledBefore; // the top-level window's state before
        BOOL enabledAfter;
    } cases[] = {
        {"an enabled owner", top, TRUE, TRUE},
        {"a child window stands for its top-level window", child, TRUE, TRUE},
        {"an owner disabled before stays disabled", top, FALSE, FALSE},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        EnableWindow(top, c.enabledBefore);
        ResetScript();
        script.owner = top;
        script.ownerEnabled = TRUE;
        script.endIn = 1;
        Template t(WS_POPUP, 50, 50, TEXT("Owned"));
        EXPECT_EQ(1, DialogBoxIndirectParamW(NULL, t.Get(), c.parent, ScriptedProc, 0));
        EXPECT_FALSE(script.ownerEnabled) << "disabled while the dialog runs";
        EXPECT_EQ(c.enabledAfter, IsWindowEnabled(top));
    }
    DestroyWindow(top);
}

CONFORMANCE_TEST(DialogConformance, WhenAModalDialogEndsItsOwnerIsActiveAgain) {
    HWND top = CreateWindowExW(0, RecordingClass(), TEXT("Top"), WS_POPUP | WS_VISIBLE, 0, 0, 100,
                               100, NULL, NULL, NULL, NULL);
    PumpMessages();
    EXPECT_EQ(top, GetForegroundWindow());
    ResetScript();
    Template t(WS_POPUP, 50, 50, TEXT("Owned"));
    EXPECT_EQ(100, DialogBoxIndirectParamW(NULL, t.Get(), top, PostingProc, 100));
    EXPECT_EQ(top, GetForegroundWindow());
    EXPECT_EQ(top, GetActiveWindow());
    EXPECT_TRUE(IsWindowEnabled(top));
    DestroyWindow(top);
}

CONFORMANCE_TEST(DialogConformance, AnOwnerThatIsNoWindowFailsWithZeroAndABadTemplateWithMinusOne) {
    Template t(WS_POPUP, 50, 50, TEXT("x"));
    HWND gone = CreateWindowExW(0, RecordingClass(), TEXT(""), WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                                NULL, NULL);
    DestroyWindow(gone);
    // Wine differs: it answers -1, where DialogBoxIndirectParam documents
    // "If the function fails because the hWndParent parameter is invalid, the
    // return value is zero".
    if (!IsWine()) {
        EXPECT_EQ(0, DialogBoxIndirectParamW(NULL, t.Get(), gone, ScriptedProc, 0));
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ((HWND)NULL, CreateDialogIndirectParamW(NULL, t.Get(), gone, ScriptedProc, 0));
    EXPECT_LAST_ERROR(ERROR_INVALID_WINDOW_HANDLE);

    // A control of a class nobody registered: no dialog at all.
    Template missing(WS_POPUP, 50, 50, TEXT("Missing"));
    missing.Add(TEXT("NoSuchControlClass"), TEXT(""), 1, WS_CHILD, 0, 0, 5, 5);
    EXPECT_EQ(-1, DialogBoxIndirectParamW(NULL, missing.Get(), NULL, ScriptedProc, 0));
    EXPECT_EQ((HWND)NULL, FindWindowW(NULL, TEXT("Missing")));
    EXPECT_EQ((HWND)NULL, CreateDialogIndirectParamW(NULL, missing.Get(), NULL, ScriptedProc, 0));
}

namespace {
INT_PTR CALLBACK DestroyingProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG)
        PostMessageW(hwnd, WM_APP, 0, 0);
    if (msg == WM_APP)
        DestroyWindow(hwnd);
    return FALSE;
}
INT_PTR CALLBACK QuittingProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG)
        PostMessageW(hwnd, WM_APP, 0, 0);
    if (msg == WM_APP)
        PostQuitMessage(7);
    return FALSE;
}
} // namespace

CONFORMANCE_TEST(DialogConformance, TheModalLoopEndsWhenTheDialogIsDestroyedOrQuitArrives) {
    Template t(WS_POPUP, 50, 50, TEXT("Ending"));
    EXPECT_EQ(0, DialogBoxIndirectParamW(NULL, t.Get(), NULL, DestroyingProc, 0))
        << "a dialog destroyed without EndDialog gives 0";

    DialogBoxIndirectParamW(NULL, t.Get(), NULL, QuittingProc, 0);
    EXPECT_EQ((HWND)NULL, FindWindowW(NULL, TEXT("Ending"))) << "WM_QUIT ends and destroys it";
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) << "and is posted again";
    EXPECT_EQ((UINT)WM_QUIT, msg.message);
    EXPECT_EQ(7u, msg.wParam);
}

namespace {
int ticks;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    ++ticks;
}
INT_PTR CALLBACK EndAfterTicksProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG)
        SetTimer(hwnd, 1, 250, NULL);
    if (msg == WM_TIMER && ticks >= 3)
        EndDialog(hwnd, ticks);
    return FALSE;
}
} // namespace

CONFORMANCE_TEST(DialogConformance, TheModalLoopKeepsTheThreadsOtherMessagesFlowing) {
    ticks = 0;
    UINT_PTR timer = SetTimer(NULL, 0, 100, CountTick);
    Template t(WS_POPUP, 50, 50, TEXT("Waiting"));
    INT_PTR result = DialogBoxIndirectParamW(NULL, t.Get(), NULL, EndAfterTicksProc, 0);
    EXPECT_GE(result, 3) << "the thread's timer ran while the dialog was open";
    KillTimer(NULL, timer);
}

// ---------------------------------------------------------------- creation

CONFORMANCE_TEST(DialogConformance, CreationSendsTheFontToTheDialogAndEachControlThenInitDialog) {
    ResetScript();
    script.initAnswer = FALSE;
    static const WORD data[] = {0x1234, 0x5678};
    Template t(WS_POPUP, 100, 60, TEXT("Made"), 8);
    t.Add(RecordingClass(), TEXT("first"), 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 1, 2, 30, 10);
    t.AddWithData(RecordingClass(), 11, WS_CHILD, data, sizeof data);
    flush_sequence();
    HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 1234);
    ASSERT_NE((HWND)NULL, dialog);
    static const message WmCreateDialogSeq[] = {{WM_SETFONT, sent | id, 0, 0, 0},
                                                {WM_CREATE, sent | id, 0, 0, 10},
                                                {WM_SIZE, sent | id, 0, 0, 10},
                                                {WM_MOVE, sent | id, 0, 0, 10},
                                                {WM_SHOWWINDOW, sent | wparam | id, TRUE, 0, 10},
                                                {WM_SETFONT, sent | lparam | id, 0, FALSE, 10},
                                                {WM_CREATE, sent | id, 0, 0, 11},
                                                {WM_SIZE, sent | id, 0, 0, 11},
                                                {WM_MOVE, sent | id, 0, 0, 11},
                                                {WM_SETFONT, sent | lparam | id, 0, FALSE, 11},
                                                {WM_INITDIALOG, sent | lparam | id, 0, 1234, 0},
                                                {0}};
    ok_sequence(WmCreateDialogSeq, "CreateDialogIndirectParamW with FONT and two controls");
    EXPECT_EQ(10, script.initFocusId) << "WM_INITDIALOG names the first tab stop";
    EXPECT_NE((HFONT)NULL, script.setFont);
    EXPECT_EQ(script.setFont, (HFONT)SendMessageW(dialog, WM_GETFONT, 0, 0))
        << "the dialog answers WM_GETFONT with the font it was given";
    EXPECT_FALSE(IsWindowVisible(dialog)) << "hidden without WS_VISIBLE";

    // The tab order is the template's order: the first control is the
    // first child.
    EXPECT_EQ(GetDlgItem(dialog, 10), GetWindow(dialog, GW_CHILD));
    EXPECT_EQ(GetDlgItem(dialog, 11), GetWindow(GetDlgItem(dialog, 10), GW_HWNDNEXT));
    DestroyWindow(dialog);
}

namespace {
const WORD *createData;
LRESULT CALLBACK DataProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE)
        createData = (const WORD *)((CREATESTRUCTW *)lParam)->lpCreateParams;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
} // namespace

CONFORMANCE_TEST(DialogConformance, AControlsCreationDataReachesItsCreateFromTheSizeWord) {
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = DataProc;
    wc.lpszClassName = TEXT("ConformanceData");
    RegisterClassW(&wc);
    static const WORD data[] = {0xBEEF, 0xCAFE, 0x0001};
    struct Case {
        const char *what;
        WORD bytes;
    } cases[] = {{"no creation data", 0}, {"six bytes", 6}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        createData = (const WORD *)1;
        Template t(WS_POPUP, 50, 50, TEXT("Data"));
        t.AddWithData(TEXT("ConformanceData"), 1, WS_CHILD, data, c.bytes);
        HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
        ASSERT_NE((HWND)NULL, dialog);
        if (!c.bytes) {
            EXPECT_EQ((const WORD *)NULL, createData);
        } else {
            ASSERT_NE((const WORD *)NULL, createData);
            EXPECT_EQ(c.bytes, createData[0]) << "the size word first";
            EXPECT_EQ(0xBEEF, createData[1]);
            EXPECT_EQ(0x0001, createData[3]);
        }
        DestroyWindow(dialog);
    }
}

CONFORMANCE_TEST(DialogConformance, TrueFromInitDialogFocusesTheFirstUsableTabStop) {
    RegisterStandIns();
    HWND other = CreateWindowExW(0, RecordingClass(), TEXT(""), WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                                 NULL, NULL);
    struct Case {
        const char *what;
        DWORD first, second, third; // styles of controls 1, 2 and 3
        BOOL answer;
        int named;   // the control WM_INITDIALOG names
        int focused; // the focus after creation (-1: left where it was)
    } cases[] = {
        {"the first tab stop", WS_TABSTOP, WS_TABSTOP, 0, TRUE, 1, 1},
        {"a control without WS_TABSTOP is passed", 0, WS_TABSTOP, WS_TABSTOP, TRUE, 2, 2},
        {"a disabled one too", WS_TABSTOP | WS_DISABLED, 0, WS_TABSTOP, TRUE, 3, 3},
        {"and a hidden one", WS_TABSTOP, WS_TABSTOP | WS_VISIBLE, 0, TRUE, 2, 2},
        {"FALSE leaves the focus alone", WS_TABSTOP, 0, 0, FALSE, 1, -1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        // Every control is visible but the first in the hidden-control case.
        DWORD visible = WS_VISIBLE;
        DWORD firstVisible = c.second & WS_VISIBLE ? 0 : WS_VISIBLE;
        Template t(WS_POPUP, 100, 60, TEXT("Focus"));
        t.Add(kCheck, TEXT("1"), 1, WS_CHILD | firstVisible | c.first, 0, 0, 10, 10);
        t.Add(kCheck, TEXT("2"), 2, WS_CHILD | visible | c.second, 0, 10, 10, 10);
        t.Add(kCheck, TEXT("3"), 3, WS_CHILD | visible | c.third, 0, 20, 10, 10);
        ResetScript();
        script.initAnswer = c.answer;
        SetFocus(other);
        HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
        ASSERT_NE((HWND)NULL, dialog);
        EXPECT_EQ(c.named, script.initFocusId);
        if (c.focused < 0) {
            EXPECT_EQ(other, GetFocus());
        } else {
            EXPECT_EQ(c.focused, FocusId());
        }
        DestroyWindow(dialog);
    }
    DestroyWindow(other);
}

CONFORMANCE_TEST(DialogConformance, DialogUnitsComeFromTheTemplatesFont) {
    HDC screen = GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    LONG systemUnits = GetDialogBaseUnits();
    struct Case {
        const char *what;
        WORD points; // 0: no FONT
        bool systemSized;
    } cases[] = {
        {"no FONT: the system font", 0, true},
        {"8 points of MS Shell Dlg: the system font's size", 8, true},
        {"16 points: larger units", 16, false},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        Template t(WS_POPUP, 80, 40, TEXT("Units"), c.points);
        t.Add(RecordingClass(), TEXT(""), 5, WS_CHILD, 8, 16, 40, 8);
        HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
        ASSERT_NE((HWND)NULL, dialog);
        RECT one = {0, 0, 4, 8};
        ASSERT_TRUE(MapDialogRect(dialog, &one));
        if (c.systemSized) {
            EXPECT_EQ(LOWORD(systemUnits), one.right);
            EXPECT_EQ(HIWORD(systemUnits), one.bottom);
        } else {
            EXPECT_GT(one.right, LOWORD(systemUnits));
            EXPECT_GT(one.bottom, HIWORD(systemUnits));
        }
        // The dialog and its control measure in those units.
        RECT size = {0, 0, 80, 40}, client;
        MapDialogRect(dialog, &size);
        GetClientRect(dialog, &client);
        EXPECT_EQ(size.right, client.right);
        EXPECT_EQ(size.bottom, client.bottom);
        RECT item = {8, 16, 48, 24}, placed;
        MapDialogRect(dialog, &item);
        GetWindowRect(GetDlgItem(dialog, 5), &placed);
        POINT corner = {placed.left, placed.top};
        ScreenToClient(dialog, &corner);
        EXPECT_EQ(item.left, corner.x);
        EXPECT_EQ(item.top, corner.y);
        EXPECT_EQ(item.right - item.left, placed.right - placed.left);
        EXPECT_EQ(item.bottom - item.top, placed.bottom - placed.top);

        HFONT font = (HFONT)SendMessageW(dialog, WM_GETFONT, 0, 0);
        if (!c.points) {
            EXPECT_EQ((HFONT)NULL, font);
        } else {
            LOGFONTW lf;
            ASSERT_EQ((int)sizeof lf, GetObjectW(font, sizeof lf, &lf));
            EXPECT_EQ(-((c.points * dpi + 36) / 72), lf.lfHeight)
                << "the points at the screen's DPI";
            EXPECT_EQ(0, lstrcmpW(lf.lfFaceName, TEXT("MS Shell Dlg")));
        }
        DestroyWindow(dialog);
    }
}

// ---------------------------------------------------------------- results

namespace {
const UINT WM_CONFORMANCE_SET_RESULT = WM_APP + 10; // wParam: the result to leave
const UINT WM_CONFORMANCE_NO_RESULT = WM_APP + 11;  // handled, nothing left

INT_PTR CALLBACK ResultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_NOTIFY: SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 77); return TRUE;
    case WM_CONFORMANCE_SET_RESULT:
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, (LONG_PTR)wParam);
        return TRUE;
    case WM_CONFORMANCE_NO_RESULT: return TRUE;
    case WM_CTLCOLORSTATIC:
        // Answered directly, whatever DWLP_MSGRESULT holds.
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 5);
        return (INT_PTR)GetStockObject(BLACK_BRUSH);
    }
    return FALSE;
}
} // namespace

CONFORMANCE_TEST(DialogConformance,
                 TheDialogProceduresAnswerIsDwlpMsgResultWhenItHandledTheMessage) {
    Template t(WS_POPUP, 50, 50, TEXT("Results"));
    HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ResultProc, 0);
    ASSERT_NE((HWND)NULL, dialog);
    int notify = 0; // WM_NOTIFY's lParam points at the notification
    struct Case {
        const char *what;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT answer;
    } cases[] = {
        {"WM_NOTIFY handled: its DWLP_MSGRESULT", WM_NOTIFY, 1, (LPARAM)&notify, 77},
        {"a value left in DWLP_MSGRESULT", WM_CONFORMANCE_SET_RESULT, 1234, 0, 1234},
        {"handled without a value: 0, not the value before", WM_CONFORMANCE_NO_RESULT, 0, 0, 0},
        {"not handled: the default procedure's answer", WM_APP + 12, 0, 0, 0},
        {"WM_CTLCOLORSTATIC: the procedure's own result", WM_CTLCOLORSTATIC, 0, 0,
         (LRESULT)GetStockObject(BLACK_BRUSH)},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.answer, SendMessageW(dialog, c.msg, c.wParam, c.lParam));
    }

    // The dialog's own bytes: its procedure and a value for the program.
    EXPECT_EQ((LONG_PTR)ResultProc, GetWindowLongPtrW(dialog, DWLP_DLGPROC));
    int object = 0;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)&object));
    EXPECT_LAST_ERROR(0xdeadbeef) << "a previous value of 0 is no failure";
    EXPECT_EQ((LONG_PTR)&object, GetWindowLongPtrW(dialog, DWLP_USER));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, GetWindowLongPtrW(dialog, DLGWINDOWEXTRA));
    EXPECT_LAST_ERROR(ERROR_INVALID_INDEX) << "past the dialog's bytes";
    DestroyWindow(dialog);
}

CONFORMANCE_TEST(DialogConformance, TheLongFormsRefuseIndexesOfPointers) {
    HWND hwnd = CreateWindowExW(0, RecordingClass(), TEXT(""), WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                                NULL, NULL);
    struct Case {
        const char *what;
        int index;
        bool refused;
    } cases[] = {
        {"GWLP_WNDPROC", GWLP_WNDPROC, true},
        {"GWLP_HINSTANCE", GWLP_HINSTANCE, true},
        {"GWLP_HWNDPARENT", GWLP_HWNDPARENT, true},
        {"GWLP_USERDATA fits a LONG's worth", GWLP_USERDATA, false},
        {"GWL_STYLE", GWL_STYLE, false},
        {"an extra byte the class does not have", 0, true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        SetLastError(0xdeadbeef);
        LONG got = GetWindowLongW(hwnd, c.index);
        if (c.refused) {
            EXPECT_EQ(0, got);
            EXPECT_LAST_ERROR(ERROR_INVALID_INDEX);
            SetLastError(0xdeadbeef);
            EXPECT_EQ(0, SetWindowLongW(hwnd, c.index, 1));
            EXPECT_LAST_ERROR(ERROR_INVALID_INDEX);
        } else {
            EXPECT_LAST_ERROR(0xdeadbeef);
        }
    }
    EXPECT_EQ((LONG_PTR)RecordingProc, GetWindowLongPtrW(hwnd, GWLP_WNDPROC))
        << "the pointer form answers";
    DestroyWindow(hwnd);
}

namespace {
WNDPROC superProc;
int subclassSeen;
LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP + 20) {
        ++subclassSeen;
        return CallWindowProcW(superProc, hwnd, msg, wParam + 1, lParam);
    }
    return CallWindowProcW(superProc, hwnd, msg, wParam, lParam);
}
LRESULT CALLBACK EchoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP + 20)
        return (LRESULT)wParam * 10;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
} // namespace

CONFORMANCE_TEST(DialogConformance, SubclassingReplacesTheProcedureAndCallsTheOldOne) {
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = EchoProc;
    wc.lpszClassName = TEXT("ConformanceEcho");
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, TEXT("ConformanceEcho"), TEXT(""), WS_POPUP, 0, 0, 10, 10, NULL,
                                NULL, NULL, NULL);
    subclassSeen = 0;
    superProc = (WNDPROC)SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)SubclassProc);
    EXPECT_EQ((WNDPROC)EchoProc, superProc) << "the procedure it replaced";
    EXPECT_EQ(30, SendMessageW(hwnd, WM_APP + 20, 2, 0)) << "through the new procedure to the old";
    EXPECT_EQ(1, subclassSeen);
    EXPECT_EQ((LONG_PTR)SubclassProc, SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)superProc));
    EXPECT_EQ(20, SendMessageW(hwnd, WM_APP + 20, 2, 0)) << "and back";
    DestroyWindow(hwnd);
}

// ---------------------------------------------------------------- by id

CONFORMANCE_TEST(DialogConformance, ControlsAreReachedByTheirIds) {
    RegisterStandIns();
    Template t(WS_POPUP, 100, 60, TEXT("Ids"));
    t.Add(RecordingClass(), TEXT("Slow"), 1006, WS_CHILD, 0, 0, 20, 8);
    t.Add(kCheck, TEXT("Enable"), 1003, WS_CHILD | WS_TABSTOP, 0, 10, 20, 8);
    HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
    ASSERT_NE((HWND)NULL, dialog);
    HWND slow = GetDlgItem(dialog, 1006);
    ASSERT_NE((HWND)NULL, slow);
    EXPECT_EQ(1006, GetDlgCtrlID(slow));
    EXPECT_EQ(dialog, GetParent(slow));

    SetLastError(0xdeadbeef);
    EXPECT_EQ((HWND)NULL, GetDlgItem(dialog, 4242));
    // Wine differs: it leaves the last error alone, where GetDlgItem
    // documents GetLastError for its failure.
    if (!IsWine()) {
        EXPECT_LAST_ERROR(ERROR_CONTROL_ID_NOT_FOUND);
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ((HWND)NULL, GetDlgItem(NULL, 1006));
    EXPECT_LAST_ERROR(ERROR_INVALID_WINDOW_HANDLE);

    // Texts, with the buffer's size honoured and a guard after it.
    EXPECT_TRUE(SetDlgItemTextW(dialog, 1006, TEXT("Fast")));
    WCHAR text[8];
    memset(text, 0xbd, sizeof text);
    EXPECT_EQ(4u, GetDlgItemTextW(dialog, 1006, text, 8));
    EXPECT_EQ(0, lstrcmpW(text, TEXT("Fast")));
    memset(text, 0xbd, sizeof text);
    EXPECT_EQ(2u, GetDlgItemTextW(dialog, 1006, text, 3)) << "cut to the buffer";
    EXPECT_EQ(0, lstrcmpW(text, TEXT("Fa")));
    EXPECT_EQ((WCHAR)0xbdbd, text[3]) << "nothing written past it";
    memset(text, 0xbd, sizeof text);
    EXPECT_EQ(0u, GetDlgItemTextW(dialog, 4242, text, 8));
    EXPECT_EQ((WCHAR)0, text[0]) << "a missing control leaves the buffer empty";
    EXPECT_FALSE(SetDlgItemTextW(dialog, 4242, TEXT("x")));

    // Buttons through BM_SETCHECK and BM_GETCHECK.
    EXPECT_TRUE(CheckDlgButton(dialog, 1003, BST_CHECKED));
    EXPECT_EQ((UINT)BST_CHECKED, IsDlgButtonChecked(dialog, 1003));
    EXPECT_EQ(BST_CHECKED, SendDlgItemMessageW(dialog, 1003, BM_GETCHECK, 0, 0));
    // Wine differs: its CheckDlgButton always succeeds, where the call
    // documents failure as zero, as for a control that is not there.
    if (!IsWine()) {
        EXPECT_FALSE(CheckDlgButton(dialog, 4242, BST_CHECKED));
    }
    EXPECT_EQ(0u, IsDlgButtonChecked(dialog, 4242));
    EXPECT_EQ(0, SendDlgItemMessageW(dialog, 4242, BM_GETCHECK, 0, 0));
    DestroyWindow(dialog);
}

CONFORMANCE_TEST(DialogConformance, CheckRadioButtonChecksOneOfTheRangeAndClearsTheRest) {
    RegisterStandIns();
    Template t(WS_POPUP, 100, 60, TEXT("Radio"));
    const WORD ids[] = {1012, 1013, 1014, 1015};
    for (size_t i = 0; i < 4; ++i)
        t.Add(kCheck, TEXT(""), ids[i], WS_CHILD | BS_AUTORADIOBUTTON, 0, (short)(10 * i), 50, 8);
    HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
    ASSERT_NE((HWND)NULL, dialog);
    struct Case {
        const char *what;
        int check;
        UINT expected[4]; // 1012 (outside the range), 1013, 1014, 1015 (outside)
    } cases[] = {
        {"the last of the range", 1014, {BST_CHECKED, BST_UNCHECKED, BST_CHECKED, BST_CHECKED}},
        {"the first clears the last", 1013, {BST_CHECKED, BST_CHECKED, BST_UNCHECKED, BST_CHECKED}},
        {"an id outside clears them all",
         4242,
         {BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        CheckDlgButton(dialog, 1012, BST_CHECKED);
        CheckDlgButton(dialog, 1015, BST_CHECKED);
        EXPECT_TRUE(CheckRadioButton(dialog, 1013, 1014, c.check));
        for (size_t k = 0; k < 4; ++k)
            EXPECT_EQ(c.expected[k], IsDlgButtonChecked(dialog, ids[k])) << ids[k];
    }
    DestroyWindow(dialog);
}

// ---------------------------------------------------------------- navigation

CONFORMANCE_TEST(DialogConformance, TabAndGroupOrderFollowTheTemplate) {
    RegisterStandIns();
    // 1: tab stop, group start; 2, 3: the group's radio buttons (3 disabled);
    // 4: hidden tab stop; 5: tab stop, group start; 6: in 5's group.
    Template t(WS_POPUP, 100, 100, TEXT("Order"));
    t.Add(kCheck, TEXT(""), 1, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, 0, 0, 9, 9);
    t.Add(kCheck, TEXT(""), 2, WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 10, 9, 9);
    t.Add(kCheck, TEXT(""), 3, WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP, 0, 20, 9, 9);
    t.Add(kCheck, TEXT(""), 4, WS_CHILD | WS_TABSTOP, 0, 30, 9, 9);
    t.Add(kCheck, TEXT(""), 5, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, 0, 40, 9, 9);
    t.Add(kCheck, TEXT(""), 6, WS_CHILD | WS_VISIBLE, 0, 50, 9, 9);
    HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
    ASSERT_NE((HWND)NULL, dialog);
    struct Case {
        const char *what;
        bool group; // GetNextDlgGroupItem, else GetNextDlgTabItem
        int from;   // 0: NULL
        BOOL previous;
        int expected; // 0: NULL
    } cases[] = {
        {"the first tab stop", false, 0, FALSE, 1},
        {"the last tab stop", false, 0, TRUE, 5},
        {"past the disabled and the hidden", false, 1, FALSE, 5},
        {"round from the last to the first", false, 5, FALSE, 1},
        {"back round from the first", false, 1, TRUE, 5},
        {"from a control that is no stop", false, 2, FALSE, 5},
        {"the next in the group", true, 1, FALSE, 2},
        {"past the disabled one, round the group", true, 2, FALSE, 1},
        {"back within the group", true, 1, TRUE, 2},
        {"the group of 5 and 6", true, 6, FALSE, 5},
        {"the first control of the dialog", true, 0, FALSE, 1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        HWND from = c.from ? GetDlgItem(dialog, c.from) : NULL;
        HWND got = c.group ? GetNextDlgGroupItem(dialog, from, c.previous)
                           : GetNextDlgTabItem(dialog, from, c.previous);
        EXPECT_EQ(c.expected ? GetDlgItem(dialog, c.expected) : NULL, got);
    }
    DestroyWindow(dialog);
}

CONFORMANCE_TEST(DialogConformance, IsDialogMessageMovesTheFocusAndChoosesButtonsByKey) {
    RegisterStandIns();
    Template t(WS_POPUP | WS_VISIBLE, 120, 100, TEXT("Keys"));
    t.Add(kCheck, TEXT("a"), 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, 0, 0, 9, 9);
    t.Add(kCheck, TEXT("r1"), 11,
          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0, 10, 9, 9);
    t.Add(kCheck, TEXT("r2"), 12, WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 20, 9, 9);
    t.Add(kGreedy, TEXT("edit"), 13, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, 0, 30, 9, 9);
    t.Add(kCheck, TEXT("def"), 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 40, 9,
          9);
    struct Case {
        const char *what;
        int focus; // the control with the focus before the key
        BYTE vk;
        bool shift;
        int focusAfter;
        int command; // the WM_COMMAND the dialog got (0: none)
    } cases[] = {
        {"Tab to the next tab stop", 10, VK_TAB, false, 11, 0},
        {"Tab skips the rest of a group", 11, VK_TAB, false, 13, 0},
        {"Shift+Tab back", 11, VK_TAB, true, 10, 0},
        {"Shift+Tab from the first to the last", 10, VK_TAB, true, 14, 0},
        {"Down to the next radio button, which is chosen", 11, VK_DOWN, false, 12, 12},
        {"Up round the group", 11, VK_UP, false, 12, 12},
        {"a control that wants Tab keeps it", 13, VK_TAB, false, 13, 0},
        {"Escape is Cancel", 10, VK_ESCAPE, false, 10, IDCANCEL},
        {"Enter is the default push button", 10, VK_RETURN, false, 10, 14},
        {"Enter on the default push button", 14, VK_RETURN, false, 14, 14},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        ResetScript();
        script.initAnswer = FALSE;
        HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
        ASSERT_NE((HWND)NULL, dialog);
        PumpThrough(dialog);
        SetFocus(GetDlgItem(dialog, c.focus));
        script.commands.clear();
        if (c.shift)
            keybd_event(VK_SHIFT, 0, 0, 0);
        Press(c.vk);
        PumpThrough(dialog);
        if (c.shift)
            keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
        PumpThrough(dialog);
        EXPECT_EQ(c.focusAfter, FocusId());
        if (c.command) {
            ASSERT_EQ(1u, script.commands.size());
            EXPECT_EQ(c.command, script.commands[0]);
        } else {
            EXPECT_TRUE(script.commands.empty());
        }
        if (c.vk == VK_DOWN || c.vk == VK_UP) {
            EXPECT_EQ((UINT)BST_CHECKED, IsDlgButtonChecked(dialog, c.focusAfter));
        }
        DestroyWindow(dialog);
    }
}

CONFORMANCE_TEST(DialogConformance, EnterWithoutADefaultButtonIsOkAndDmSetDefIdChangesIt) {
    Template t(WS_POPUP | WS_VISIBLE, 100, 60, TEXT("Enter"));
    t.Add(RecordingClass(), TEXT(""), 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 9, 9);
    ResetScript();
    HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
    ASSERT_NE((HWND)NULL, dialog);
    PumpThrough(dialog);
    SetFocus(GetDlgItem(dialog, 10));
    // Wine differs: it answers MAKELONG(IDOK, DC_HASDEFID) for a dialog with
    // no default push button, where DM_GETDEFID documents "Otherwise, the
    // return value is zero".
    if (!IsWine()) {
        EXPECT_EQ(0, SendMessageW(dialog, DM_GETDEFID, 0, 0)) << "no default button";
    }
    Press(VK_RETURN);
    PumpThrough(dialog);
    SendMessageW(dialog, DM_SETDEFID, 50, 0);
    EXPECT_EQ(MAKELONG(50, DC_HASDEFID), SendMessageW(dialog, DM_GETDEFID, 0, 0));
    Press(VK_RETURN);
    PumpThrough(dialog);
    ASSERT_EQ(2u, script.commands.size());
    EXPECT_EQ(IDOK, script.commands[0]);
    EXPECT_EQ(50, script.commands[1]);
    DestroyWindow(dialog);
}

CONFORMANCE_TEST(DialogConformance, NextDlgCtlMovesTheFocusOnOrToAGivenControl) {
    RegisterStandIns();
    Template t(WS_POPUP | WS_VISIBLE, 100, 60, TEXT("Next"));
    for (WORD id = 1; id <= 3; ++id)
        t.Add(kCheck, TEXT(""), id, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, (short)(id * 10), 9, 9);
    ResetScript();
    HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
    ASSERT_NE((HWND)NULL, dialog);
    PumpThrough(dialog);
    struct Case {
        const char *what;
        WPARAM wParam;
        LPARAM lParam;
        int focusAfter;
    } cases[] = {
        {"the next control", 0, 0, 2},
        {"the next again", 0, 0, 3},
        {"the previous", 1, 0, 2},
        {"a given control", (WPARAM)GetDlgItem(dialog, 1), TRUE, 1},
    };
    SetFocus(GetDlgItem(dialog, 1));
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        SendMessageW(dialog, WM_NEXTDLGCTL, c.wParam, c.lParam);
        EXPECT_EQ(c.focusAfter, FocusId());
    }
    DestroyWindow(dialog);
}

CONFORMANCE_TEST(DialogConformance, ClosingADialogIsItsCancel) {
    Template t(WS_POPUP, 50, 50, TEXT("Close"));
    ResetScript();
    HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
    ASSERT_NE((HWND)NULL, dialog);
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    PumpThrough(dialog);
    EXPECT_TRUE(IsWindow(dialog)) << "not destroyed";
    ASSERT_EQ(1u, script.commands.size());
    EXPECT_EQ(IDCANCEL, script.commands[0]);
    DestroyWindow(dialog);
}

CONFORMANCE_TEST(DialogConformance, AModelessDialogShowsItselfOnlyWithWsVisible) {
    struct Case {
        const char *what;
        DWORD style;
        bool visible;
    } cases[] = {
        {"without WS_VISIBLE: hidden", WS_POPUP, false},
        {"with WS_VISIBLE: shown", WS_POPUP | WS_VISIBLE, true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        Template t(c.style, 50, 50, TEXT("Modeless"));
        HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, ScriptedProc, 0);
        ASSERT_NE((HWND)NULL, dialog);
        EXPECT_EQ(c.visible, IsWindowVisible(dialog) != FALSE);
        EXPECT_TRUE(EndDialog(dialog, 3)) << "EndDialog only hides a modeless dialog";
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_FALSE(IsWindowVisible(dialog));
        DestroyWindow(dialog);
    }
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(EndDialog(NULL, 1));
}

CONFORMANCE_TEST_IN(DialogConformance, ADialogTheResourcesLackFailsWithMinusOne, "Pointrel") {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(
        -1, DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(102), NULL, ScriptedProc, 0));
    EXPECT_LAST_ERROR(ERROR_RESOURCE_TYPE_NOT_FOUND);
    SetLastError(0xdeadbeef);
    EXPECT_EQ((HWND)NULL, CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(102), NULL,
                                             ScriptedProc, 0));
    EXPECT_LAST_ERROR(ERROR_RESOURCE_TYPE_NOT_FOUND);
}

namespace {
int dialogAppMessages;
INT_PTR CALLBACK CountingProc(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_APP + 30)
        ++dialogAppMessages;
    return FALSE;
}
} // namespace

CONFORMANCE_TEST(DialogConformance,
                 IsDialogMessageTakesOnlyTheDialogsOwnMessagesAndDispatchesThem) {
    Template t(WS_POPUP, 50, 50, TEXT("Own"));
    t.Add(RecordingClass(), TEXT(""), 1, WS_CHILD | WS_VISIBLE, 0, 0, 9, 9);
    HWND dialog = CreateDialogIndirectParamW(NULL, t.Get(), NULL, CountingProc, 0);
    HWND stranger = CreateWindowExW(0, RecordingClass(), TEXT(""), WS_POPUP, 0, 0, 10, 10, NULL,
                                    NULL, NULL, NULL);
    ASSERT_NE((HWND)NULL, dialog);
    struct Case {
        const char *what;
        HWND hwnd;
        BOOL taken;
    } cases[] = {
        {"the dialog's own", dialog, TRUE},
        {"one of its controls'", GetDlgItem(dialog, 1), TRUE},
        {"another window's", stranger, FALSE},
        {"the thread's", NULL, FALSE},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        dialogAppMessages = 0;
        MSG msg = {c.hwnd, WM_APP + 30, 0, 0, 0, {0, 0}};
        EXPECT_EQ(c.taken, IsDialogMessageW(dialog, &msg));
        EXPECT_EQ(c.hwnd == dialog ? 1 : 0, dialogAppMessages) << "dispatched when taken";
    }
    DestroyWindow(stranger);
    DestroyWindow(dialog);
}
