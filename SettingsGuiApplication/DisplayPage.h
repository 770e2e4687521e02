// The Display page: the list of cursor images by colour and size. Picking a
// row shows that image on the running cursor at once.
#ifndef PLSETTINGS_DISPLAYPAGE_H
#define PLSETTINGS_DISPLAYPAGE_H

#include "SettingsPage.h"

class DisplayPage : public SettingsPage {
public:
    explicit DisplayPage(SettingsProgram &program);

    // The selected row, or -1 for none.
    int SelectedRow() const;

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool IsHelpLink(int controlId) const;

private:
    void OnInitDialog();
    void InsertColumns();
    void InsertRows();
    void OnItemChanged();
    void OnCommand(WORD controlId, WORD notification);

    HWND imageList;
};

#endif
