// Help links: "[?]" labels on the settings pages that show a help text as a
// shell notification bubble when tapped. A label keeps its state in window
// properties, so it needs no table and cleans up when it is destroyed.
#ifndef PLSETTINGS_HELPLINKS_H
#define PLSETTINGS_HELPLINKS_H

#include <windows.h>

// A page's help-link object: what marks its labels as help links. The page
// owns it for as long as the page lives.
struct HelpLinks {
    HWND page;
};

// Turns static control `label` into a help link, with or without underline.
bool MakeHelpLinkLabel(HelpLinks *helpObject, HWND label, bool underline);

// The window procedure that stands in for a help link's own.
LRESULT CALLBACK HelpLinkLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the bubble for the label's topic.
void ShowHelpNotification(HWND label);

// The help text for the label with id `controlId`, or NULL when it has none.
LPCWSTR HelpTopicText(int controlId);

// The bubble's body for a topic. The short form, for platforms before
// Windows Mobile 5, carries its own Close button; the long form leaves the
// closing to a soft key. Returns the characters needed without terminator.
size_t HelpBodyLength(LPCWSTR topic, bool longForm);
HRESULT BuildHelpBody(LPCWSTR topic, bool longForm, LPWSTR body, size_t capacity);

#endif
