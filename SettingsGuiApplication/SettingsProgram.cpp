#include "SettingsProgram.h"

#include "resource.h"

SettingsProgram::SettingsProgram(HINSTANCE instance)
    : instance(instance), dpiX(0), dpiY(0), tabControl(NULL), lastPreviewRow(-1), dialog(*this) {
    SetDefaultSettings(settings);
    settings.loaded = false;
    ZeroMemory(&activation, sizeof(activation));
    activation.cbSize = sizeof(activation);
}

void MeasureScreen(SettingsProgram &program) {
    if (program.dpiX != 0)
        return;
    HDC screen = GetDC(NULL);
    program.dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    program.dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
}

int ScaleX(const SettingsProgram &program, int length) {
    return (length * program.dpiX + 48) / 96;
}

void ShowWaitCursor() {
    SetCursor(LoadCursorW(NULL, IDC_WAIT));
}

void RestoreNormalCursor() {
    SetCursor(NULL);
}

void LoadText(HINSTANCE instance, UINT id, LPWSTR buffer) {
    if (LoadStringW(instance, id, buffer, STRING_CAPACITY) <= 0)
        buffer[0] = 0;
}

int ShowMessage(HINSTANCE instance, HWND owner, UINT textId, UINT titleId, UINT type) {
    WCHAR title[STRING_CAPACITY];
    WCHAR text[STRING_CAPACITY];
    LoadText(instance, titleId, title);
    LoadText(instance, textId, text);
    return MessageBoxW(owner, text, title, type);
}
