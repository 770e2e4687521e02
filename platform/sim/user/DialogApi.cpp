// DeviceSim: the dialog calls — modal and modeless dialogs from templates,
// the default dialog procedure, keyboard navigation and the calls that
// reach a dialog's controls by their ids.
#include <windows.h>

#include "user/Dialog.h"
#include "user/WindowManager.h"

using namespace sim;

namespace {

// A dialog template from the program's resources, and its size.
const uint8_t *TemplateResource(HINSTANCE instance, LPCWSTR name, size_t *size) {
    HRSRC info = FindResourceW(instance, name, RT_DIALOG);
    if (!info)
        return nullptr;
    const void *data = LockResource(LoadResource(instance, info));
    *size = SizeofResource(instance, info);
    return static_cast<const uint8_t *>(data);
}

// The control with an id, or null with ERROR_CONTROL_ID_NOT_FOUND.
Window *ItemOf(HWND dialog, int id) {
    Window *w = WindowOf(dialog);
    if (!w)
        return nullptr;
    Window *item = ChildWithId(w, id);
    if (!item)
        SetError(ERROR_CONTROL_ID_NOT_FOUND);
    return item;
}

} // namespace

// ------------------------------------------------------------ creating

INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc,
                               LPARAM param) {
    sim::CountCall("DialogBoxParamW");
    // An owner that is not a window fails with 0, every other failure with -1.
    if (owner && !WindowOf(owner))
        return 0;
    size_t size = 0;
    const uint8_t *data = TemplateResource(instance, name, &size);
    if (!data)
        return -1;
    HWND dialog = CreateDialogFromTemplate(instance, data, size, owner, proc, param, true);
    return dialog ? RunModalDialog(dialog) : -1;
}

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate,
                                       HWND owner, DLGPROC proc, LPARAM param) {
    sim::CountCall("DialogBoxIndirectParamW");
    if (owner && !WindowOf(owner))
        return 0;
    if (!dialogTemplate) {
        SetError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    HWND dialog =
        CreateDialogFromTemplate(instance, reinterpret_cast<const uint8_t *>(dialogTemplate),
                                 TemplateBytesAt(dialogTemplate), owner, proc, param, true);
    return dialog ? RunModalDialog(dialog) : -1;
}

HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc,
                               LPARAM param) {
    sim::CountCall("CreateDialogParamW");
    if (owner && !WindowOf(owner))
        return nullptr;
    size_t size = 0;
    const uint8_t *data = TemplateResource(instance, name, &size);
    if (!data)
        return nullptr;
    return CreateDialogFromTemplate(instance, data, size, owner, proc, param, false);
}

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate,
                                       HWND owner, DLGPROC proc, LPARAM param) {
    sim::CountCall("CreateDialogIndirectParamW");
    if (owner && !WindowOf(owner))
        return nullptr;
    if (!dialogTemplate) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateDialogFromTemplate(instance, reinterpret_cast<const uint8_t *>(dialogTemplate),
                                    TemplateBytesAt(dialogTemplate), owner, proc, param, false);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR result) {
    sim::CountCall("EndDialog");
    Window *w = WindowOf(hDlg);
    return w && EndDialogWindow(w, result) ? TRUE : FALSE;
}

LRESULT WINAPI DefDlgProcW(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    sim::CountCall("DefDlgProcW");
    return DefaultDialogProc(hDlg, msg, wParam, lParam);
}

BOOL WINAPI IsDialogMessageW(HWND hDlg, LPMSG msg) {
    sim::CountCall("IsDialogMessageW");
    return HandleDialogMessage(hDlg, msg) ? TRUE : FALSE;
}

// ------------------------------------------------------------ navigation

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL previous) {
    sim::CountCall("GetNextDlgTabItem");
    Window *dialog = WindowOf(hDlg);
    if (!dialog)
        return nullptr;
    Window *from = hCtl ? WindowOf(hCtl) : nullptr;
    if (hCtl && !from)
        return nullptr;
    Window *next = NextTabItem(dialog, from, previous != FALSE);
    return next ? next->Hwnd() : nullptr;
}

HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL previous) {
    sim::CountCall("GetNextDlgGroupItem");
    Window *dialog = WindowOf(hDlg);
    if (!dialog)
        return nullptr;
    Window *from = hCtl ? WindowOf(hCtl) : nullptr;
    if (hCtl && !from)
        return nullptr;
    // A control outside the dialog has no group in it.
    if (from && from != dialog) {
        bool inside = false;
        for (Window *p = from->parent; p && !inside; p = p->parent)
            inside = p == dialog;
        if (!inside) {
            SetError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    Window *next = NextGroupItem(dialog, from, previous != FALSE);
    return next ? next->Hwnd() : nullptr;
}

// ------------------------------------------------------------ controls by id

HWND WINAPI GetDlgItem(HWND hDlg, int id) {
    sim::CountCall("GetDlgItem");
    Window *item = ItemOf(hDlg, id);
    return item ? item->Hwnd() : nullptr;
}

int WINAPI GetDlgCtrlID(HWND hwnd) {
    sim::CountCall("GetDlgCtrlID");
    Window *w = WindowOf(hwnd);
    return w ? static_cast<int>(w->id) : 0;
}

LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
    sim::CountCall("SendDlgItemMessageW");
    Window *item = ItemOf(hDlg, id);
    return item ? SendMessageW(item->Hwnd(), msg, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextW(HWND hDlg, int id, LPCWSTR text) {
    sim::CountCall("SetDlgItemTextW");
    Window *item = ItemOf(hDlg, id);
    if (!item)
        return FALSE;
    return SendMessageW(item->Hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

UINT WINAPI GetDlgItemTextW(HWND hDlg, int id, LPWSTR buffer, int capacity) {
    sim::CountCall("GetDlgItemTextW");
    // The buffer is emptied first, so a missing control leaves it empty.
    if (buffer && capacity > 0)
        buffer[0] = 0;
    Window *item = ItemOf(hDlg, id);
    if (!item || !buffer || capacity <= 0)
        return 0;
    return static_cast<UINT>(SendMessageW(item->Hwnd(), WM_GETTEXT, static_cast<WPARAM>(capacity),
                                          reinterpret_cast<LPARAM>(buffer)));
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int id, UINT check) {
    sim::CountCall("CheckDlgButton");
    Window *item = ItemOf(hDlg, id);
    if (!item)
        return FALSE;
    SendMessageW(item->Hwnd(), BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int id) {
    sim::CountCall("IsDlgButtonChecked");
    Window *item = ItemOf(hDlg, id);
    return item ? static_cast<UINT>(SendMessageW(item->Hwnd(), BM_GETCHECK, 0, 0)) : 0;
}

// Checks one button of the range and clears the others that the dialog
// holds, each with BM_SETCHECK.
BOOL WINAPI CheckRadioButton(HWND hDlg, int first, int last, int check) {
    sim::CountCall("CheckRadioButton");
    Window *dialog = WindowOf(hDlg);
    if (!dialog)
        return FALSE;
    std::vector<HWND> inRange;
    for (Window *child : dialog->children)
        if (child->id >= first && child->id <= last)
            inRange.push_back(child->Hwnd());
    for (HWND button : inRange)
        if (IsWindow(button))
            SendMessageW(button, BM_SETCHECK,
                         GetWindowLongPtrW(button, GWLP_ID) == check ? BST_CHECKED : BST_UNCHECKED,
                         0);
    return TRUE;
}
