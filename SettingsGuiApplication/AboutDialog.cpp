#include "AboutDialog.h"

#include <aygshell.h>

#include "SettingsProgram.h"
#include "WindowBinding.h"
#include "resource.h"

namespace {

// The dialog's binding: it has no state of its own beyond the program's.
struct AboutDialog {
    HWND hwnd;
    SettingsProgram *program;
};

void OnInitDialog(AboutDialog &about) {
    ShowWaitCursor();
    MeasureScreen(*about.program);
    SHINITDLGINFO init;
    init.dwMask = SHIDIM_FLAGS;
    init.hDlg = about.hwnd;
    init.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN |
                   SHIDIF_EMPTYMENU | SHIDIF_WANTSCROLLBAR;
    SHInitDialog(&init);
    RestoreNormalCursor();
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    AboutDialog *about = DialogObjectFor(dialog, message, lParam, &AboutDialog::hwnd);
    if (about == NULL)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(*about); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            EndDialog(dialog, 1);
        return TRUE;
    case WM_ACTIVATE:
        SHHandleWMActivate(dialog, wParam, lParam, &about->program->activation, FALSE);
        return TRUE;
    case WM_SETTINGCHANGE:
        SHHandleWMSettingChange(dialog, wParam, lParam, &about->program->activation);
        return TRUE;
    case WM_SIZE: return TRUE;
    case WM_DESTROY: UnbindWindowObject(dialog); return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR RunAboutDialog(SettingsProgram &program, HWND owner) {
    AboutDialog about;
    about.hwnd = NULL;
    about.program = &program;
    return DialogBoxParamW(program.instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc,
                           (LPARAM)&about);
}
