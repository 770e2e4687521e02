// The Buttons page: where a hardware button is chosen to show and hide the
// cursor. Only its dialog and help link exist so far; its list stays empty
// and Assign and Restore do nothing yet.
#ifndef PLSETTINGS_BUTTONSPAGE_H
#define PLSETTINGS_BUTTONSPAGE_H

#include "SettingsPage.h"

class ButtonsPage : public SettingsPage {
public:
    explicit ButtonsPage(SettingsProgram &program);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool IsHelpLink(int controlId) const;
};

#endif
