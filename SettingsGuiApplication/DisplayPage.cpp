#include "DisplayPage.h"

#include <commctrl.h>

#include "CursorImageCatalogue.h"
#include "CursorProgram.h"
#include "SettingsProgram.h"
#include "resource.h"

namespace {

// The rows top to bottom; a row's index is its image's catalogue index.
struct ImageRow {
    UINT image;
    UINT size;
};

const ImageRow IMAGE_ROWS[CURSOR_IMAGE_COUNT] = {
    {IDS_IMAGE_WINDOWS, IDS_SIZE_SMALL}, {IDS_IMAGE_WHITE, IDS_SIZE_EXTRA_SMALL},
    {IDS_IMAGE_WHITE, IDS_SIZE_SMALL},   {IDS_IMAGE_WHITE, IDS_SIZE_MEDIUM},
    {IDS_IMAGE_WHITE, IDS_SIZE_LARGE},   {IDS_IMAGE_BLACK, IDS_SIZE_EXTRA_SMALL},
    {IDS_IMAGE_BLACK, IDS_SIZE_SMALL},   {IDS_IMAGE_BLACK, IDS_SIZE_MEDIUM},
    {IDS_IMAGE_BLACK, IDS_SIZE_LARGE},
};

// Column widths in pixels at 96 dots per inch.
const int IMAGE_COLUMN_WIDTH = 120;
const int SIZE_COLUMN_WIDTH = 75;

} // namespace

DisplayPage::DisplayPage(SettingsProgram &program)
    : SettingsPage(program, IDD_DISPLAY_PAGE), imageList(NULL) {}

INT_PTR DisplayPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(); return TRUE;
    case WM_NOTIFY:
        if (((const NMHDR *)lParam)->code == LVN_ITEMCHANGED)
            OnItemChanged();
        return FALSE;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
    }
    return HandleCommon(message, wParam, lParam);
}

bool DisplayPage::IsHelpLink(int controlId) const {
    return controlId == IDC_HELP_IMAGE;
}

int DisplayPage::SelectedRow() const {
    return (int)SendMessageW(imageList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

void DisplayPage::OnInitDialog() {
    imageList = Item(IDC_IMAGE_LIST);
    SizeAboveTabs();
    InsertColumns();
    InsertRows();
    if (!program.settings.loaded)
        LoadSettings(program.settings);
    MakeHelpLink(IDC_HELP_IMAGE);
}

void DisplayPage::InsertColumns() {
    WCHAR header[STRING_CAPACITY];
    LVCOLUMNW column;
    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.pszText = header;

    LoadText(program.instance, IDS_COLUMN_IMAGE, header);
    column.cx = ScaleX(program, IMAGE_COLUMN_WIDTH);
    column.iSubItem = 0;
    if (SendMessageW(imageList, LVM_INSERTCOLUMNW, 0, (LPARAM)&column) == -1)
        return;
    LoadText(program.instance, IDS_COLUMN_SIZE, header);
    column.cx = ScaleX(program, SIZE_COLUMN_WIDTH);
    column.iSubItem = 1;
    SendMessageW(imageList, LVM_INSERTCOLUMNW, 1, (LPARAM)&column);
}

void DisplayPage::InsertRows() {
    WCHAR text[STRING_CAPACITY];
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT;
    item.pszText = text;
    // Each row goes in at the top, so the table is read from the bottom.
    for (int row = CURSOR_IMAGE_COUNT - 1; row >= 0; --row) {
        LoadText(program.instance, IMAGE_ROWS[row].image, text);
        item.iItem = 0;
        item.iSubItem = 0;
        SendMessageW(imageList, LVM_INSERTITEMW, 0, (LPARAM)&item);
        LoadText(program.instance, IMAGE_ROWS[row].size, text);
        item.iSubItem = 1;
        SendMessageW(imageList, LVM_SETITEMW, 0, (LPARAM)&item);
    }
}

void DisplayPage::OnItemChanged() {
    // A tap on another row first reports the old row's loss (no row), then
    // the new row's gain: each new choice is sent once.
    int row = SelectedRow();
    if (row >= 0 && row != program.lastPreviewRow)
        PostSettingPreview(IDC_IMAGE_LIST, row);
    program.lastPreviewRow = row;
}

void DisplayPage::OnCommand(WORD controlId, WORD notification) {
    if (notification != 0 || controlId == IDC_HELP_IMAGE || SelectedRow() >= 0)
        return;
    ShowMessage(program.instance, hwnd, IDS_SELECT_IMAGE, IDS_SELECT_IMAGE_TITLE,
                MB_ICONINFORMATION);
}
