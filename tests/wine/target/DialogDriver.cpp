// Works the programs' dialogs as a user would, by their windows:
//   DialogDriver.exe speed N    moves the settings program's speed slider to N
//                               and lets go of it
//   DialogDriver.exe close T    clicks the close box of the dialog titled T
//   DialogDriver.exe ok T       presses OK in the dialog (or box) titled T
// Exit code 0 when the window was found and worked.
#include <windows.h>

#include <commctrl.h>

namespace {

// The speed slider's control id in the settings program's Movement page.
const int SPEED_SLIDER_ID = 1004;
// Desktop Windows's dialog class.
const WCHAR DIALOG_CLASS[] = L"#32770";

struct Search {
    HWND found;
};

BOOL CALLBACK FindSlider(HWND window, LPARAM parameter) {
    Search *search = (Search *)parameter;
    if (GetDlgCtrlID(window) != SPEED_SLIDER_ID)
        return TRUE;
    WCHAR name[64];
    if (GetClassNameW(window, name, 64) == 0 || lstrcmpiW(name, TRACKBAR_CLASSW) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

int MoveSpeedSlider(int speed) {
    HWND dialog = FindWindowW(DIALOG_CLASS, L"Cursor Settings");
    if (dialog == NULL)
        return 2;
    Search search;
    search.found = NULL;
    EnumChildWindows(dialog, FindSlider, (LPARAM)&search);
    if (search.found == NULL)
        return 3;
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
        int speed = 0;
        for (LPCWSTR p = arguments[2]; *p >= L'0' && *p <= L'9'; ++p)
            speed = speed * 10 + (*p - L'0');
        result = MoveSpeedSlider(speed);
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
