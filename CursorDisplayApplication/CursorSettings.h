// The settings record shared by the cursor program and the settings program,
// and the message by which the settings program previews a change in the
// running cursor program.
#ifndef POINTREL_CURSORSETTINGS_H
#define POINTREL_CURSORSETTINGS_H

#include <windows.h>

#define CURSOR_IMAGE_CAPACITY 260

struct CursorSettings {
    bool loaded;
    LONG cursorSpeed;
    LONG accelerationEnabled;
    LONG accelerationSpeed;
    WCHAR cursorImage[CURSOR_IMAGE_CAPACITY];
    DWORD cursorImageCapacity;
    LONG snapToSipLetters;
    LONG menuNavigationMethod;
    LONG deviceModel;
};

// Preview of an unsaved change: wParam is one of the codes, lParam the value.
#define WM_SETTING_PREVIEW (WM_APP + 72)
#define SP_CURSOR_SPEED 420
#define SP_ACCELERATION_SPEED 421
#define SP_ACCELERATION 422
#define SP_MENU_KEYS_ON 423
#define SP_MENU_KEYS_OFF 424
#define SP_CURSOR_IMAGE 425

#define DEVICE_MODEL_GENERIC 10
#define DEVICE_MODEL_X1 11
#define MENU_NAVIGATION_KEYS 1
#define MENU_NAVIGATION_CURSOR 2

extern const WCHAR SETTINGS_KEY[];

void SetDefaultSettings(CursorSettings &settings);
bool CheckModelName();
LONG LoadSettings(CursorSettings &settings);
LONG SaveSettings(const CursorSettings &settings);
// Copies the image name with its terminator when *capacity holds both;
// otherwise stores the name's length in *capacity and returns ERROR_MORE_DATA.
LONG GetCursorImageName(const CursorSettings &settings, LPWSTR buffer, DWORD *capacity);

#endif
