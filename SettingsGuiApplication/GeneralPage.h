// The General page: what the keys do while a menu is open, and a button that
// shows or hides the cursor at once.
#ifndef PLSETTINGS_GENERALPAGE_H
#define PLSETTINGS_GENERALPAGE_H

#include "SettingsPage.h"

class GeneralPage : public SettingsPage {
public:
    explicit GeneralPage(SettingsProgram &program);

    // Checks the radio button of the record's menu navigation method.
    void SetFromRecord();
    // The method the radio buttons choose: 1 for the keys, else 2.
    LONG MenuNavigationMethod() const;

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool IsHelpLink(int controlId) const;

private:
    void OnInitDialog();
    void OnShowHideCursor();
    void OnMenuNavigationClicked();
};

#endif
