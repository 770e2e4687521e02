// DeviceSim: the dialog manager — dialogs made from templates, their default
// procedure, the modal loop, and keyboard navigation between controls.
#pragma once

#include <windows.h>

#include "gdi/Font.h"

#include <cstddef>
#include <cstdint>

namespace sim {

struct Window;

// What the dialog manager keeps for a dialog window.
struct DialogInfo {
    // The dialog's window bytes, as a 64-bit system lays them out:
    // DWLP_MSGRESULT, DWLP_DLGPROC, DWLP_USER and the system's own.
    uint8_t bytes[DLGWINDOWEXTRA] = {};
    // The template's font, made by the dialog manager and deleted with the
    // dialog; null for a dialog in the system font.
    HFONT font = nullptr;
    // Dialog base units of that font; 0 until known (the system font's).
    DialogUnits units;
    bool ended = false; // EndDialog was called
    INT_PTR result = 0; // what EndDialog was given
    // The owner a modal dialog disabled, to enable again when it ends.
    HWND disabledOwner = nullptr;
    // The control that has the focus while the dialog is inactive.
    HWND focus = nullptr;
    UINT defaultId = 0; // set by DM_SETDEFID; 0: none set
};

// The dialog information of a window: the dialog manager's windows and
// windows of the system class "Dialog" have it (the latter get it on first
// use). Null for every other window.
DialogInfo *DialogInfoOf(Window *w);
// The dialog base units MapDialogRect uses for a dialog window.
DialogUnits DialogUnitsOf(Window *w);

// The bytes a template at `data` may span: to the end of the calling
// program's resources when it lies in them; a template a program built in
// its own memory is read as far as its fields say, as the platform reads it.
size_t TemplateBytesAt(const void *data);

// Creates a dialog from a template of `size` bytes, sends WM_INITDIALOG
// and sets the focus. A modal dialog disables its (top-level) owner first
// and stays hidden; a modeless one shows itself when the template says
// WS_VISIBLE. Null, with the last error set, on failure.
HWND CreateDialogFromTemplate(HINSTANCE instance, const uint8_t *data, size_t size, HWND owner,
                              DLGPROC proc, LPARAM param, bool modal);
// Shows a modal dialog and runs its message loop until EndDialog, the
// dialog's destruction or WM_QUIT (which is posted again); destroys it and
// gives the EndDialog result (0 when it ended any other way).
INT_PTR RunModalDialog(HWND dialog);
bool EndDialogWindow(Window *dialog, INT_PTR result);

LRESULT DefaultDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool HandleDialogMessage(HWND hDlg, MSG *msg);

// Tab order and groups, as GetNextDlgTabItem and GetNextDlgGroupItem
// define them.
Window *NextTabItem(Window *dialog, Window *from, bool previous);
Window *NextGroupItem(Window *dialog, Window *from, bool previous);
// The child of a dialog with a control id, or null.
Window *ChildWithId(Window *dialog, LONG_PTR id);

} // namespace sim
