// What every page of the settings dialog shares: a modeless child dialog of
// the tab control, sized to the area above the tabs, white behind its texts,
// with its help links in their own colour.
#ifndef PLSETTINGS_SETTINGSPAGE_H
#define PLSETTINGS_SETTINGSPAGE_H

#include <windows.h>

#include "HelpLinks.h"

struct SettingsProgram;

class SettingsPage {
public:
    SettingsPage(SettingsProgram &program, UINT templateId);
    virtual ~SettingsPage();

    // Creates the page hidden inside `parent` (the tab control). NULL when
    // the dialog cannot be created.
    HWND Create(HWND parent);
    HWND Window() const { return hwnd; }

protected:
    // A page's own messages; anything it leaves goes to HandleCommon.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Whether the static control `controlId` is one of the page's help links.
    virtual bool IsHelpLink(int controlId) const = 0;
    // WM_CLOSE, WM_SIZE, WM_CTLCOLORSTATIC and WM_DESTROY for every page.
    INT_PTR HandleCommon(UINT message, WPARAM wParam, LPARAM lParam);
    // Sizes the page to the tab control's area above its tabs.
    void SizeAboveTabs();
    // Turns the page's "[?]" label `controlId` into a help link.
    void MakeHelpLink(int controlId);
    HWND Item(int controlId) const { return GetDlgItem(hwnd, controlId); }

    HWND hwnd;
    SettingsProgram &program;
    HelpLinks helpLinks;

private:
    static INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnCtlColorStatic(HDC dc, HWND control);

    // Not copyable: it owns a window and a brush.
    SettingsPage(const SettingsPage &);
    SettingsPage &operator=(const SettingsPage &);

    UINT templateId;
    // The white brush behind the page's texts, made at first use.
    HBRUSH whiteBrush;
};

// The text colour of help links: red 140, green 130, blue 130.
#define HELP_LINK_COLOUR RGB(140, 130, 130)
#define PAGE_BACKGROUND_COLOUR RGB(255, 255, 255)

#endif
