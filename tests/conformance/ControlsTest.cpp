// Conformance of the standard and common controls: buttons and radio
// groups, the trackbar's notifications for keys and drags, the list view's
// selection changes, and the tab control's refusable changes, each checked
// as the sequence the parent hears.
#include "conformance/Conformance.h"

#include <commctrl.h>
#include <windows.h>

#include <string.h>
#include <string>
#include <vector>

using namespace conformance;

namespace {

// What the parent heard: a command, a notification or a scroll.
struct Heard {
    UINT msg;
    UINT code;   // BN_/STN_ code, NMHDR code or TB_ code
    int id;      // the control's id; for list views the row
    int value;   // scroll position, or a row's new state
    int old = 0; // a row's old state
    bool operator==(const Heard &o) const {
        return msg == o.msg && code == o.code && id == o.id && value == o.value && old == o.old;
    }
};

std::vector<Heard> heard;
bool refuseTabChange = false;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: heard.push_back(Heard{msg, HIWORD(wParam), LOWORD(wParam), 0}); return 0;
    case WM_HSCROLL:
        heard.push_back(Heard{msg, LOWORD(wParam), GetDlgCtrlID((HWND)lParam), HIWORD(wParam)});
        return 0;
    case WM_NOTIFY: {
        const NMHDR *h = (const NMHDR *)lParam;
        if (h->code == LVN_ITEMCHANGING || h->code == LVN_ITEMCHANGED) {
            const NMLISTVIEW *lv = (const NMLISTVIEW *)lParam;
            heard.push_back(Heard{msg, h->code, lv->iItem, (int)lv->uNewState, (int)lv->uOldState});
            return 0;
        }
        heard.push_back(Heard{msg, h->code, (int)h->idFrom, 0});
        return h->code == TCN_SELCHANGING && refuseTabChange;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

HWND MakeParent() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = TEXT("ControlsTestParent");
    RegisterClassW(&wc);
    heard.clear();
    refuseTabChange = false;
    return CreateWindowExW(0, TEXT("ControlsTestParent"), TEXT("Controls"), WS_POPUP | WS_VISIBLE,
                           0, 0, 240, 320, NULL, NULL, NULL, NULL);
}

HWND Make(HWND parent, LPCWSTR cls, LPCWSTR text, DWORD style, int id, int x, int y, int cx,
          int cy) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, parent,
                           (HMENU)(INT_PTR)id, NULL, NULL);
}

// A stylus press at one point and its release at another, in client
// coordinates of the control.
void Press(HWND control, int x, int y, int upX, int upY) {
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(upX, upY));
}

void Key(HWND control, UINT vk) {
    SendMessageW(control, WM_KEYDOWN, vk, 0);
    SendMessageW(control, WM_KEYUP, vk, 0);
}

void ExpectHeard(const std::vector<Heard> &expected, const char *what) {
    SCOPED_TRACE(what);
    // What was heard is taken first, so a failed case leaves nothing behind
    // for the next one.
    std::vector<Heard> got;
    got.swap(heard);
    std::string all;
    for (size_t i = 0; i < got.size(); ++i)
        all += "\n  msg " + std::to_string(got[i].msg) + " code " +
               std::to_string((int)got[i].code) + " id " + std::to_string(got[i].id) + " value " +
               std::to_string(got[i].value) + " old " + std::to_string(got[i].old);
    ASSERT_EQ(expected.size(), got.size()) << "heard:" << all;
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].msg, got[i].msg);
        EXPECT_EQ(expected[i].code, got[i].code);
        EXPECT_EQ(expected[i].id, got[i].id);
        EXPECT_EQ(expected[i].value, got[i].value);
        EXPECT_EQ(expected[i].old, got[i].old);
    }
    heard.clear();
}

} // namespace

CONFORMANCE_TEST(Controls, ButtonsClickOnlyWhenReleasedInsideAndKeepRadioGroupsToOneChoice) {
    HWND parent = MakeParent();
    HWND box = Make(parent, TEXT("BUTTON"), TEXT("Box"), BS_AUTOCHECKBOX, 10, 0, 0, 100, 20);
    HWND a =
        Make(parent, TEXT("BUTTON"), TEXT("A"), BS_AUTORADIOBUTTON | WS_GROUP, 11, 0, 30, 100, 20);
    HWND b = Make(parent, TEXT("BUTTON"), TEXT("B"), BS_AUTORADIOBUTTON, 12, 0, 60, 100, 20);
    HWND c =
        Make(parent, TEXT("BUTTON"), TEXT("C"), BS_AUTORADIOBUTTON | WS_GROUP, 13, 0, 90, 100, 20);
    HWND push = Make(parent, TEXT("BUTTON"), TEXT("Go"), BS_PUSHBUTTON, 14, 0, 120, 100, 20);
    SendMessageW(c, BM_SETCHECK, BST_CHECKED, 0);
    heard.clear();

    struct Case {
        const char *what;
        HWND button;
        int upX; // where the stylus leaves it; 500 is outside
        UINT boxCheck, aCheck, bCheck, cCheck;
        bool clicked;
    } cases[] = {
        {"a check box toggles on", box, 5, BST_CHECKED, 0, 0, BST_CHECKED, true},
        {"released outside: nothing", box, 500, BST_CHECKED, 0, 0, BST_CHECKED, false},
        {"and off again", box, 5, 0, 0, 0, BST_CHECKED, true},
        {"A is chosen; C's group is another", a, 5, 0, BST_CHECKED, 0, BST_CHECKED, true},
        {"B takes the choice from A", b, 5, 0, 0, BST_CHECKED, BST_CHECKED, true},
        {"B again stays chosen and still clicks", b, 5, 0, 0, BST_CHECKED, BST_CHECKED, true},
        {"a push button clicks and has no check", push, 5, 0, 0, BST_CHECKED, BST_CHECKED, true},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        Press(k.button, 5, 5, k.upX, 5);
        EXPECT_EQ(k.boxCheck, (UINT)SendMessageW(box, BM_GETCHECK, 0, 0));
        EXPECT_EQ(k.aCheck, (UINT)SendMessageW(a, BM_GETCHECK, 0, 0));
        EXPECT_EQ(k.bCheck, (UINT)SendMessageW(b, BM_GETCHECK, 0, 0));
        EXPECT_EQ(k.cCheck, (UINT)SendMessageW(c, BM_GETCHECK, 0, 0));
        std::vector<Heard> expected;
        if (k.clicked)
            expected.push_back(Heard{WM_COMMAND, BN_CLICKED, GetDlgCtrlID(k.button), 0});
        ExpectHeard(expected, k.what);
    }
    EXPECT_EQ(0u, (UINT)SendMessageW(push, BM_GETCHECK, 0, 0));

    // The space key clicks the focused button; a checked radio button is
    // the group's tab stop.
    SetFocus(box);
    Key(box, VK_SPACE);
    EXPECT_EQ((UINT)BST_CHECKED, (UINT)SendMessageW(box, BM_GETCHECK, 0, 0));
    ExpectHeard({{WM_COMMAND, BN_CLICKED, 10, 0}}, "space");
    EXPECT_TRUE(GetWindowLongW(b, GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLongW(a, GWL_STYLE) & WS_TABSTOP);

    // CheckRadioButton sets the range without telling the parent.
    EXPECT_TRUE(CheckRadioButton(parent, 11, 12, 11));
    EXPECT_EQ((UINT)BST_CHECKED, IsDlgButtonChecked(parent, 11));
    EXPECT_EQ(0u, IsDlgButtonChecked(parent, 12));
    ExpectHeard({}, "CheckRadioButton");
    DestroyWindow(parent);
}

CONFORMANCE_TEST(Controls, StaticNotifiesATapOnlyWithSsNotifyAndFitsItsPicture) {
    HWND parent = MakeParent();
    HWND plain = Make(parent, TEXT("STATIC"), TEXT("Text"), SS_LEFT, 20, 0, 0, 50, 20);
    HWND link = Make(parent, TEXT("STATIC"), TEXT("[?]"), SS_NOTIFY, 21, 0, 30, 50, 20);
    Press(plain, 2, 2, 2, 2);
    Press(link, 2, 2, 2, 2);
    ExpectHeard({{WM_COMMAND, STN_CLICKED, 21, 0}}, "taps");

    // WM_SETFONT is kept and answered by WM_GETFONT.
    LOGFONTW lf = {};
    lf.lfHeight = -11;
    lf.lfUnderline = TRUE;
    HFONT font = CreateFontIndirectW(&lf);
    EXPECT_EQ(0, SendMessageW(link, WM_GETFONT, 0, 0));
    SendMessageW(link, WM_SETFONT, (WPARAM)font, FALSE);
    EXPECT_EQ((LRESULT)font, SendMessageW(link, WM_GETFONT, 0, 0));

    // A picture takes the size of the bitmap it is given, and hands the
    // previous one back.
    HWND picture = Make(parent, TEXT("STATIC"), TEXT(""), SS_BITMAP, 22, 0, 60, 5, 5);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 20;
    bi.bmiHeader.biHeight = 10;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void *bits = NULL;
    HBITMAP first = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    bi.bmiHeader.biWidth = 30;
    HBITMAP second = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    EXPECT_EQ(0, SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)first));
    RECT r;
    GetClientRect(picture, &r);
    EXPECT_EQ(20, r.right);
    EXPECT_EQ(10, r.bottom);
    EXPECT_EQ((LRESULT)first, SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)second));
    EXPECT_EQ((LRESULT)second, SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    GetClientRect(picture, &r);
    EXPECT_EQ(30, r.right);
    DestroyWindow(parent);
    DeleteObject(font);
    DeleteObject(first);
    DeleteObject(second);
}

CONFORMANCE_TEST(Controls, TrackbarReportsKeysAndDragsEndingInEndTrack) {
    HWND parent = MakeParent();
    HWND bar = Make(parent, TRACKBAR_CLASSW, TEXT(""), TBS_AUTOTICKS, 1004, 0, 0, 200, 30);
    EXPECT_EQ(0, SendMessageW(bar, TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(100, SendMessageW(bar, TBM_GETRANGEMAX, 0, 0));
    // A new range takes the position with it.
    SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELONG(7, 70));
    EXPECT_EQ(7, SendMessageW(bar, TBM_GETPOS, 0, 0));
    SendMessageW(bar, TBM_SETPOS, TRUE, 200);
    EXPECT_EQ(70, SendMessageW(bar, TBM_GETPOS, 0, 0));
    SendMessageW(bar, TBM_SETPOS, TRUE, 20);
    SendMessageW(bar, TBM_SETPAGESIZE, 0, 10);
    ExpectHeard({}, "set by the program: nothing heard");

    struct Case {
        UINT vk;
        UINT code;
        int pos;
    } keys[] = {
        {VK_RIGHT, TB_LINEDOWN, 21}, {VK_DOWN, TB_LINEDOWN, 22}, {VK_LEFT, TB_LINEUP, 21},
        {VK_UP, TB_LINEUP, 20},      {VK_NEXT, TB_PAGEDOWN, 30}, {VK_PRIOR, TB_PAGEUP, 20},
        {VK_END, TB_BOTTOM, 70},     {VK_HOME, TB_TOP, 7},
    };
    for (const Case &k : keys) {
        Key(bar, k.vk);
        EXPECT_EQ(k.pos, SendMessageW(bar, TBM_GETPOS, 0, 0));
        ExpectHeard({{WM_HSCROLL, k.code, 1004, 0}, {WM_HSCROLL, TB_ENDTRACK, 1004, 0}}, "key");
    }
    // At the end of the range a key moves nothing but still ends the move.
    Key(bar, VK_LEFT);
    ExpectHeard({{WM_HSCROLL, TB_ENDTRACK, 1004, 0}}, "at the minimum");

    // A drag: each move that changes the position, then where it ended.
    RECT thumb, channel;
    SendMessageW(bar, TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
    SendMessageW(bar, TBM_GETCHANNELRECT, 0, (LPARAM)&channel);
    int y = (thumb.top + thumb.bottom) / 2, x = (thumb.left + thumb.right) / 2;
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((channel.left + channel.right) / 2, y));
    SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(channel.right + 50, y));
    SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(channel.right + 50, y));
    int middle = (int)heard.size() > 0 ? heard[0].value : -1;
    EXPECT_GT(middle, 30);
    EXPECT_LT(middle, 48);
    ExpectHeard({{WM_HSCROLL, TB_THUMBTRACK, 1004, middle},
                 {WM_HSCROLL, TB_THUMBTRACK, 1004, 70},
                 {WM_HSCROLL, TB_THUMBPOSITION, 1004, 70},
                 {WM_HSCROLL, TB_ENDTRACK, 1004, 0}},
                "drag");

    // A tap on the channel left of the thumb pages towards it.
    Press(bar, channel.left + 1, y, channel.left + 1, y);
    EXPECT_EQ(60, SendMessageW(bar, TBM_GETPOS, 0, 0));
    ExpectHeard({{WM_HSCROLL, TB_PAGEUP, 1004, 0}, {WM_HSCROLL, TB_ENDTRACK, 1004, 0}}, "channel");
    DestroyWindow(parent);
}

CONFORMANCE_TEST(Controls, ListViewSelectionLeavesTheOldRowBeforeTheNewOneGainsIt) {
    HWND parent = MakeParent();
    HWND list =
        Make(parent, WC_LISTVIEWW, TEXT(""),
             LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER, 1018, 0, 0, 200, 150);
    LVCOLUMNW col = {};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.cx = 120;
    col.pszText = (LPWSTR)TEXT("Image");
    EXPECT_EQ(0, SendMessageW(list, LVM_INSERTCOLUMNW, 0, (LPARAM)&col));
    col.cx = 75;
    col.iSubItem = 1;
    col.pszText = (LPWSTR)TEXT("Size");
    EXPECT_EQ(1, SendMessageW(list, LVM_INSERTCOLUMNW, 1, (LPARAM)&col));
    EXPECT_EQ(75, SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0));

    // Rows inserted at 0 push the earlier ones down.
    const WCHAR *names[] = {TEXT("C"), TEXT("B"), TEXT("A")};
    for (int i = 0; i < 3; ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.pszText = (LPWSTR)names[i];
        EXPECT_EQ(0, SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&item));
        item.iSubItem = 1;
        item.pszText = (LPWSTR)TEXT("Small");
        EXPECT_TRUE(SendMessageW(list, LVM_SETITEMW, 0, (LPARAM)&item));
    }
    EXPECT_EQ(3, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    WCHAR text[8];
    memset(text, 0xbd, sizeof text);
    LVITEMW get = {};
    get.pszText = text;
    get.cchTextMax = 8;
    EXPECT_EQ(1, SendMessageW(list, LVM_GETITEMTEXTW, 2, (LPARAM)&get));
    EXPECT_EQ(0, lstrcmpW(text, TEXT("C")));
    EXPECT_EQ(-1, SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));
    heard.clear();

    RECT row1, row2;
    row1.left = row2.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 1, (LPARAM)&row1));
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 2, (LPARAM)&row2));
    const int both = LVIS_SELECTED | LVIS_FOCUSED;
    Press(list, 10, (row1.top + row1.bottom) / 2, 10, (row1.top + row1.bottom) / 2);
    ExpectHeard(
        {{WM_NOTIFY, LVN_ITEMCHANGING, 1, both, 0}, {WM_NOTIFY, LVN_ITEMCHANGED, 1, both, 0}},
        "first row chosen");
    Press(list, 10, (row2.top + row2.bottom) / 2, 10, (row2.top + row2.bottom) / 2);
    ExpectHeard({{WM_NOTIFY, LVN_ITEMCHANGING, 1, 0, both},
                 {WM_NOTIFY, LVN_ITEMCHANGED, 1, 0, both},
                 {WM_NOTIFY, LVN_ITEMCHANGING, 2, both, 0},
                 {WM_NOTIFY, LVN_ITEMCHANGED, 2, both, 0}},
                "another row chosen");
    Press(list, 10, (row2.top + row2.bottom) / 2, 10, (row2.top + row2.bottom) / 2);
    ExpectHeard({}, "the chosen row again");
    EXPECT_EQ(2, SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));

    // Up moves the selection after telling the parent of the key.
    SendMessageW(list, WM_KEYDOWN, VK_UP, 0);
    ExpectHeard({{WM_NOTIFY, LVN_KEYDOWN, 1018, 0},
                 {WM_NOTIFY, LVN_ITEMCHANGING, 2, 0, both},
                 {WM_NOTIFY, LVN_ITEMCHANGED, 2, 0, both},
                 {WM_NOTIFY, LVN_ITEMCHANGING, 1, both, 0},
                 {WM_NOTIFY, LVN_ITEMCHANGED, 1, both, 0}},
                "key up");
    EXPECT_EQ(LVIS_SELECTED, SendMessageW(list, LVM_GETITEMSTATE, 1, LVIS_SELECTED));
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    EXPECT_EQ(0, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    DestroyWindow(parent);
}

CONFORMANCE_TEST(Controls, TabChangeAsksTheParentWhichMayRefuse) {
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    EXPECT_TRUE(InitCommonControlsEx(&init));
    init.dwSize = 0;
    EXPECT_FALSE(InitCommonControlsEx(&init));
    HWND parent = MakeParent();
    HWND tabs = Make(parent, WC_TABCONTROLW, TEXT(""), TCS_BOTTOM, 1001, 0, 0, 240, 240);
    const WCHAR *names[] = {TEXT("General"), TEXT("Movement"), TEXT("Buttons"), TEXT("Display")};
    for (int i = 0; i < 4; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = (LPWSTR)names[i];
        EXPECT_EQ(i, SendMessageW(tabs, TCM_INSERTITEMW, i, (LPARAM)&item));
    }
    EXPECT_EQ(4, SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    // A version above the device's is refused; another is kept.
    EXPECT_EQ(-1, SendMessageW(tabs, CCM_SETVERSION, COMCTL32_VERSION + 1, 0));
    EXPECT_EQ(0, SendMessageW(tabs, CCM_SETVERSION, COMCTL32_VERSION, 0));
    EXPECT_EQ(COMCTL32_VERSION, SendMessageW(tabs, CCM_GETVERSION, 0, 0));
    EXPECT_EQ(COMCTL32_VERSION, SendMessageW(tabs, CCM_SETVERSION, 4, 0));

    // Along the bottom edge, left to right.
    RECT first, third, client;
    GetClientRect(tabs, &client);
    SendMessageW(tabs, TCM_GETITEMRECT, 0, (LPARAM)&first);
    SendMessageW(tabs, TCM_GETITEMRECT, 2, (LPARAM)&third);
    EXPECT_EQ(client.bottom, first.bottom);
    EXPECT_GT(first.top, client.bottom / 2);
    EXPECT_GT(third.left, first.right - 1);
    heard.clear();

    const int x = (third.left + third.right) / 2, y = (third.top + third.bottom) / 2;
    refuseTabChange = true;
    Press(tabs, x, y, x, y);
    EXPECT_EQ(0, SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    ExpectHeard({{WM_NOTIFY, TCN_SELCHANGING, 1001, 0}}, "refused");
    refuseTabChange = false;
    Press(tabs, x, y, x, y);
    EXPECT_EQ(2, SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    ExpectHeard({{WM_NOTIFY, TCN_SELCHANGING, 1001, 0}, {WM_NOTIFY, TCN_SELCHANGE, 1001, 0}},
                "allowed");
    Press(tabs, x, y, x, y);
    ExpectHeard({}, "the selected tab again");
    // The program's own choice is not announced.
    EXPECT_EQ(2, SendMessageW(tabs, TCM_SETCURSEL, 3, 0));
    ExpectHeard({}, "TCM_SETCURSEL");
    DestroyWindow(parent);
}
