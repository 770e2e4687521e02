// Works the programs' dialogs as a user would, by their windows:
//   DialogDriver.exe speed N    moves the settings program's speed slider to N
//                               and lets go of it
//   DialogDriver.exe close T    clicks the close box of the dialog titled T
//   DialogDriver.exe ok T       presses OK in the dialog (or box) titled T
//   DialogDriver.exe tap ID     taps the settings dialog's control ID with the
//                               stylus (a press and a release on it)
// Exit code 0 when the window was found and worked.
#include <windows.h>

#include <commctrl.h>

namespace {

// The speed slider's control id in the settings program's Movement page.
const int SPEED_SLIDER_ID = 1004;
// Desktop Windows's dialog class.
const WCHAR DIALOG_CLASS[] = L"#32770";

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK FindControl(HWND window, LPARAM parameter) {
    Search *search = (Search *)parameter;
    if (GetDlgCtrlID(window) != search->id)
        return TRUE;
    search->found = window;
    return FALSE;
}

// The control `id` anywhere in the settings dialog, its pages included.
HWND SettingsControl(int id) {
    HWND dialog = FindWindowW(DIALOG_CLASS, L"Cursor Settings");
    if (dialog == NULL)
        return NULL;
    Search search;
    search.id = id;
    search.found = NULL;
    EnumChildWindows(dialog, FindControl, (LPARAM)&search);
    return search.found;
}

int Number(LPCWSTR text) {
    int value = 0;
    for (LPCWSTR p = text; *p >= L'0' && *p <= L'9'; ++p)
        value = value * 10 + (*p - L'0');
    return value;
}

int Tap(int id) {
    HWND control = SettingsControl(id);
    if (control == NULL)
        return 3;
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    return 0;
}

int MoveSpeedSlider(int speed) {
    HWND slider = SettingsControl(SPEED_SLIDER_ID);
    WCHAR name[64];
    if (slider == NULL || GetClassNameW(slider, name, 64) == 0 ||
        lstrcmpiW(name, TRACKBAR_CLASSW) != 0)
        return 3;
    Search search;
    search.found = slider;
    HWND page = GetParent(search.found);
    SendMessageW(search.found, TBM_SETPOS, TRUE, speed);
    SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, speed), (LPARAM)search.found);
    SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), (LPARAM)search.found);
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int count = 0;
    LPWSTR *arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == NULL || count < 3)
        return 1;
    int result = 1;
    if (lstrcmpW(arguments[1], L"speed") == 0) {
        result = MoveSpeedSlider(Number(arguments[2]));
    } else if (lstrcmpW(arguments[1], L"tap") == 0) {
        result = Tap(Number(arguments[2]));
    } else {
        HWND dialog = FindWindowW(DIALOG_CLASS, arguments[2]);
        if (dialog == NULL)
            result = 2;
        else if (lstrcmpW(arguments[1], L"close") == 0)
            result = PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 4;
        else if (lstrcmpW(arguments[1], L"ok") == 0)
            result = PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) ? 0 : 4;
    }
    LocalFree(arguments);
    return result;
}
