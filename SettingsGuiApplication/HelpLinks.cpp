#include "HelpLinks.h"

#include <aygshell.h>
#include <stddef.h>
#include <strsafe.h>

#include "resource.h"

namespace {

const WCHAR PROP_ORIGINAL_PROC[] = TEXT("_HelpLinkLabel_Original_Proc_");
const WCHAR PROP_ORIGINAL_FONT[] = TEXT("_HelpLinkLabel_Original_Font_");
const WCHAR PROP_UNDERLINE_FONT[] = TEXT("_HelpLinkLabel_Underline_Font_");
const WCHAR PROP_FROM_STATIC[] = TEXT("_HelpLinkLabel_From_Static_");

const WCHAR HELP_TITLE[] = TEXT("Pointrel Help");
const WCHAR DISMISS[] = TEXT("Dismiss");
const WCHAR SHORT_FORM_CLOSE[] =
    TEXT("<p align=right><input type=button name='cmd:3' value='Close'></p>");
const WCHAR BODY_END[] = TEXT("</BODY></HTML>");

// Longer than any text of the program.
const size_t TEXT_LIMIT = 4096;
const DWORD HELP_NOTIFICATION_ID = 1;
const WPARAM DISMISS_COMMAND = 1007;
// The first platform version whose shell shows notification soft keys.
const DWORD SOFT_KEY_MAJOR_VERSION = 5;
// {85EE47B2-57D7-EEFE-8D7A-36480443D062}
const CLSID HELP_CLASS = {
    0x85EE47B2, 0x57D7, 0xEEFE, {0x8D, 0x7A, 0x36, 0x48, 0x04, 0x43, 0xD0, 0x62}};

struct HelpTopic {
    int controlId;
    const WCHAR *text;
};

// The texts open the document but leave it open; the body closes it.
const HelpTopic HELP_TOPICS[] = {
    {IDC_HELP_MENU_BEHAVIOUR,
     TEXT("<HTML><BODY>This option lets you choose how you interact with a menu when it opens.")
         TEXT("<BR><BR><strong>Use the Up and Down keys</strong> lets you select a menu item ")
             TEXT("with the arrow keys, just like you would if Pointrel was hidden.<strong> ")
                 TEXT("Continue to use the mouse cursor</strong> lets you use the cursor to ")
                     TEXT("\"tap\" a menu item.")},
    {IDC_HELP_SHOW_HIDE,
     TEXT("<HTML><BODY><u>Tip</u>: You can show/hide Pointrel by tapping \"Toggle Pointrel\" ")
         TEXT("from the Programs list or the Start menu.<BR><BR>It is <u>highly recommended</u> ")
             TEXT("that you set a button to show/hide Pointrel (via the \"Buttons\" tab). This ")
                 TEXT("will allow you to quickly and easily show/hide Pointrel anytime.")},
    {IDC_HELP_SPEED,
     TEXT("<HTML><BODY>This sets the speed of the cursor. You may want to try a few different ")
         TEXT("speed settings to see which one you prefer.<BR><BR>")},
    {IDC_HELP_ACCELERATION,
     TEXT("<HTML><BODY>Cursor Acceleration (recommended) makes the cursor movement \"smooth\" ")
         TEXT("and also gives you extra accuracy when moving the cursor around the screen.")
             TEXT("<BR><BR>It is highly recommended that you keep this option enabled.")},
    {IDC_HELP_BUTTONS,
     TEXT("<HTML><BODY>Setting a button to show/hide Pointrel is <u>highly recommended</u>. ")
         TEXT("This will give you easy access to Pointrel, allowing you to show/hide the cursor ")
             TEXT("by pressing a button.<BR><BR>To set a button, choose a button from the list ")
                 TEXT("and tap \"Assign.\" You can return the button's previous setting by ")
                     TEXT("pressing \"Restore.\"")},
    {IDC_HELP_IMAGE,
     TEXT("<HTML><BODY>You can change the appearance of the cursor by selecting a cursor ")
         TEXT("color/size from the list.<BR><BR>To change your cursor, simply select an image ")
             TEXT("from the list and press \"ok.\"<BR><BR><u>Tip</u>: You may want to adjust ")
                 TEXT("the cursor speed for bigger/smaller cursors.")},
};

size_t TextLength(LPCWSTR text) {
    size_t length = 0;
    if (FAILED(StringCchLengthW(text, TEXT_LIMIT, &length)))
        return 0;
    return length;
}

WNDPROC OriginalProc(HWND label) {
    return (WNDPROC)GetPropW(label, PROP_ORIGINAL_PROC);
}

// Puts the label back as it was before it became a help link.
void RestoreLabel(HWND label, WNDPROC original) {
    SetWindowLongPtrW(label, GWLP_WNDPROC, (LONG_PTR)original);
    RemovePropW(label, PROP_ORIGINAL_PROC);
    SendMessageW(label, WM_SETFONT, (WPARAM)GetPropW(label, PROP_ORIGINAL_FONT), 0);
    RemovePropW(label, PROP_ORIGINAL_FONT);
    HGDIOBJ created = (HGDIOBJ)GetPropW(label, PROP_UNDERLINE_FONT);
    if (created != NULL)
        DeleteObject(created);
    RemovePropW(label, PROP_UNDERLINE_FONT);
    RemovePropW(label, PROP_FROM_STATIC);
}

} // namespace

LPCWSTR HelpTopicText(int controlId) {
    for (size_t i = 0; i < sizeof(HELP_TOPICS) / sizeof(HELP_TOPICS[0]); ++i)
        if (HELP_TOPICS[i].controlId == controlId)
            return HELP_TOPICS[i].text;
    return NULL;
}

size_t HelpBodyLength(LPCWSTR topic, bool longForm) {
    size_t length = (topic != NULL ? TextLength(topic) : 0) + TextLength(BODY_END);
    if (!longForm)
        length += TextLength(SHORT_FORM_CLOSE);
    return length;
}

HRESULT BuildHelpBody(LPCWSTR topic, bool longForm, LPWSTR body, size_t capacity) {
    HRESULT result = StringCchCopyW(body, capacity, topic != NULL ? topic : TEXT(""));
    if (SUCCEEDED(result) && !longForm)
        result = StringCchCatW(body, capacity, SHORT_FORM_CLOSE);
    if (SUCCEEDED(result))
        result = StringCchCatW(body, capacity, BODY_END);
    return result;
}

bool MakeHelpLinkLabel(HelpLinks *helpObject, HWND label, bool underline) {
    SetWindowLongW(label, GWL_STYLE, GetWindowLongW(label, GWL_STYLE) | SS_NOTIFY);
    SetPropW(label, PROP_ORIGINAL_PROC, (HANDLE)GetWindowLongPtrW(label, GWLP_WNDPROC));
    SetWindowLongPtrW(label, GWLP_WNDPROC, (LONG_PTR)HelpLinkLabelProc);

    HFONT original = (HFONT)SendMessageW(label, WM_GETFONT, 0, 0);
    SetPropW(label, PROP_ORIGINAL_FONT, (HANDLE)original);
    LOGFONTW look;
    ZeroMemory(&look, sizeof(look));
    GetObjectW(original, sizeof(look), &look);
    look.lfUnderline = underline ? TRUE : FALSE;
    HFONT created = CreateFontIndirectW(&look);
    SetPropW(label, PROP_UNDERLINE_FONT, (HANDLE)created);

    SendMessageW(label, WM_SETFONT, (WPARAM)created, 0);
    InvalidateRect(label, NULL, FALSE);
    SetPropW(label, PROP_FROM_STATIC, (HANDLE)helpObject);
    return true;
}

LRESULT CALLBACK HelpLinkLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC original = OriginalProc(label);
    if (original == NULL)
        return DefWindowProcW(label, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        RestoreLabel(label, original);
        return CallWindowProcW(original, label, message, wParam, lParam);
    case WM_LBUTTONUP:
        ShowHelpNotification(label);
        return CallWindowProcW(original, label, message, wParam, lParam);
    }
    return CallWindowProcW(original, label, message, wParam, lParam);
}

void ShowHelpNotification(HWND label) {
    SetCursor(LoadCursorW(NULL, IDC_WAIT));

    OSVERSIONINFOW version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(&version);
    bool longForm = version.dwMajorVersion >= SOFT_KEY_MAJOR_VERSION;

    LPCWSTR topic = HelpTopicText(GetDlgCtrlID(label));
    size_t capacity = HelpBodyLength(topic, longForm) + 1;
    // The body lives in a heap of its own, gone with the bubble's text.
    HANDLE heap = HeapCreate(0, 0, 0);
    LPWSTR body = heap != NULL ? (LPWSTR)HeapAlloc(heap, 0, capacity * sizeof(WCHAR)) : NULL;
    if (body != NULL && FAILED(BuildHelpBody(topic, longForm, body, capacity)))
        body[0] = 0;

    SHNOTIFICATIONDATA notification;
    ZeroMemory(&notification, sizeof(notification));
    // The short record ends before the soft keys, which older shells lack.
    notification.cbStruct =
        longForm ? (DWORD)sizeof(notification) : (DWORD)offsetof(SHNOTIFICATIONDATA, skm);
    notification.dwID = HELP_NOTIFICATION_ID;
    notification.npPriority = SHNP_INFORM;
    notification.csDuration = (DWORD)-1;
    notification.grfFlags = SHNF_FORCEMESSAGE | SHNF_SILENT;
    notification.clsid = HELP_CLASS;
    notification.pszHTML = body;
    notification.pszTitle = HELP_TITLE;
    if (longForm) {
        notification.rgskn[0].pszTitle = DISMISS;
        notification.rgskn[0].skc.wpCmd = DISMISS_COMMAND;
        notification.rgskn[0].skc.grfFlags = 0;
    }
    SHNotificationAdd(&notification);

    if (heap != NULL)
        HeapDestroy(heap);
    SetCursor(NULL);
}
