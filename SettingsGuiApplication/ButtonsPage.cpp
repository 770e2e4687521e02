#include "ButtonsPage.h"

#include "SettingsProgram.h"
#include "resource.h"

ButtonsPage::ButtonsPage(SettingsProgram &program) : SettingsPage(program, IDD_BUTTONS_PAGE) {}

INT_PTR ButtonsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SizeAboveTabs();
        if (!program.settings.loaded)
            LoadSettings(program.settings);
        MakeHelpLink(IDC_HELP_BUTTONS);
        return TRUE;
    case WM_COMMAND: return TRUE;
    }
    return HandleCommon(message, wParam, lParam);
}

bool ButtonsPage::IsHelpLink(int controlId) const {
    return controlId == IDC_HELP_BUTTONS;
}
