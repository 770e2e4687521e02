#include "CursorSettings.h"

#include <strsafe.h>

const WCHAR SETTINGS_KEY[] = TEXT("SOFTWARE\\Quorvane\\Pointrel");

namespace {

const WCHAR VALUE_SPEED[] = TEXT("CursorSpeed");
const WCHAR VALUE_ACCELERATION[] = TEXT("CursorAcceleration");
const WCHAR VALUE_ACCELERATION_SPEED[] = TEXT("CursorAccelerationSpeed");
const WCHAR VALUE_SNAP[] = TEXT("SnapToSipLetters");
const WCHAR VALUE_MENU_METHOD[] = TEXT("MenuNavigationMethod");
const WCHAR VALUE_IMAGE[] = TEXT("CursorImage");
const WCHAR VALUE_DEVICE_MODEL[] = TEXT("DeviceModel");

const LONG DEFAULT_ACCELERATION = 1;
const LONG DEFAULT_ACCELERATION_SPEED = 3;
const LONG DEFAULT_SNAP = 1;

LONG DefaultCursorSpeed() {
    return GetSystemMetrics(SM_CXSCREEN) > 240 ? 28 : 19;
}

LONG DefaultDeviceModel() {
    return CheckModelName() ? DEVICE_MODEL_X1 : DEVICE_MODEL_GENERIC;
}

void CopyDefaultImageName(CursorSettings &settings) {
    HDC screen = GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(NULL, screen);
    StringCchCopyW(settings.cursorImage, CURSOR_IMAGE_CAPACITY,
                   dpi >= 130 ? TEXT("cursor_black-24.bmp") : TEXT("cursor_black-16.bmp"));
}

LONG Clamp(LONG value, LONG low, LONG high) {
    if (value < low)
        return low;
    return value > high ? high : value;
}

LONG FromLittleEndian(const BYTE *bytes) {
    DWORD value =
        (DWORD)bytes[0] | (DWORD)bytes[1] << 8 | (DWORD)bytes[2] << 16 | (DWORD)bytes[3] << 24;
    return (LONG)value;
}

// A 4-byte number stored with the expected type. Returns true with the
// number when it can be used; otherwise the caller takes the default and
// *status is updated as the load rules say: a binary value shorter than 4
// bytes resets it to 0, while a short REG_DWORD reads as its bytes with zeros
// above.
bool ReadNumber(HKEY key, LPCWSTR name, DWORD expectedType, LONG *value, LONG *status) {
    BYTE bytes[4] = {0, 0, 0, 0};
    DWORD type = REG_NONE;
    DWORD size = sizeof(bytes);
    LONG result = RegQueryValueExW(key, name, NULL, &type, bytes, &size);
    if (result != ERROR_SUCCESS) {
        *status = result;
        return false;
    }
    if (type != expectedType) {
        *status = ERROR_INVALID_DATA;
        return false;
    }
    if (type == REG_BINARY && size < sizeof(bytes)) {
        *status = ERROR_SUCCESS;
        return false;
    }
    *value = FromLittleEndian(bytes);
    return true;
}

void ReadImageName(HKEY key, CursorSettings &settings, LONG *status) {
    WCHAR name[CURSOR_IMAGE_CAPACITY];
    DWORD type = REG_NONE;
    DWORD size = sizeof(name);
    LONG result = RegQueryValueExW(key, VALUE_IMAGE, NULL, &type, (LPBYTE)name, &size);
    if (result != ERROR_SUCCESS) {
        *status = result;
        CopyDefaultImageName(settings);
        return;
    }
    bool isString = type == REG_SZ || type == REG_EXPAND_SZ;
    if (isString && size == 0) {
        settings.cursorImage[0] = 0;
        return;
    }
    if (!isString || size % sizeof(WCHAR) != 0 || name[size / sizeof(WCHAR) - 1] != 0) {
        *status = ERROR_INVALID_DATA;
        CopyDefaultImageName(settings);
        return;
    }
    StringCchCopyW(settings.cursorImage, CURSOR_IMAGE_CAPACITY, name);
}

LONG WriteBinaryNumber(HKEY key, LPCWSTR name, LONG number) {
    DWORD value = (DWORD)number;
    BYTE bytes[4];
    bytes[0] = (BYTE)(value & 0xFF);
    bytes[1] = (BYTE)(value >> 8 & 0xFF);
    bytes[2] = (BYTE)(value >> 16 & 0xFF);
    bytes[3] = (BYTE)(value >> 24 & 0xFF);
    return RegSetValueExW(key, name, 0, REG_BINARY, bytes, sizeof(bytes));
}

LONG WriteDwordNumber(HKEY key, LPCWSTR name, LONG number) {
    DWORD value = (DWORD)number;
    return RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof(value));
}

} // namespace

void SetDefaultSettings(CursorSettings &settings) {
    settings.cursorSpeed = DefaultCursorSpeed();
    settings.accelerationEnabled = DEFAULT_ACCELERATION;
    settings.accelerationSpeed = DEFAULT_ACCELERATION_SPEED;
    settings.cursorImageCapacity = CURSOR_IMAGE_CAPACITY;
    CopyDefaultImageName(settings);
    settings.snapToSipLetters = DEFAULT_SNAP;
    settings.menuNavigationMethod = MENU_NAVIGATION_KEYS;
    settings.deviceModel = DefaultDeviceModel();
}

bool CheckModelName() {
    HANDLE file = CreateFileW(TEXT("\\Windows\\ModelName.txt"), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BYTE start[4] = {0, 0, 0, 0};
    DWORD read = 0;
    BOOL ok = ReadFile(file, start, sizeof(start), &read, NULL);
    CloseHandle(file);
    return ok && read >= 2 && start[0] == 'X' && start[1] == '1';
}

LONG LoadSettings(CursorSettings &settings) {
    HKEY key = NULL;
    LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, SETTINGS_KEY, 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS) {
        SetDefaultSettings(settings);
        settings.loaded = true;
        return opened;
    }
    LONG status = ERROR_SUCCESS;
    LONG number = 0;

    settings.cursorSpeed = ReadNumber(key, VALUE_SPEED, REG_BINARY, &number, &status)
                               ? Clamp(number, 7, 70)
                               : DefaultCursorSpeed();
    settings.snapToSipLetters = ReadNumber(key, VALUE_SNAP, REG_BINARY, &number, &status)
                                    ? (number == 1 ? 1 : 0)
                                    : DEFAULT_SNAP;
    settings.accelerationEnabled = ReadNumber(key, VALUE_ACCELERATION, REG_BINARY, &number, &status)
                                       ? (number == 1 ? 1 : 0)
                                       : DEFAULT_ACCELERATION;
    settings.accelerationSpeed =
        ReadNumber(key, VALUE_ACCELERATION_SPEED, REG_BINARY, &number, &status)
            ? Clamp(number, 1, 3)
            : DEFAULT_ACCELERATION_SPEED;
    if (ReadNumber(key, VALUE_MENU_METHOD, REG_DWORD, &number, &status))
        settings.menuNavigationMethod =
            number == MENU_NAVIGATION_CURSOR ? MENU_NAVIGATION_CURSOR : MENU_NAVIGATION_KEYS;
    else
        settings.menuNavigationMethod = MENU_NAVIGATION_KEYS;
    settings.cursorImageCapacity = CURSOR_IMAGE_CAPACITY;
    ReadImageName(key, settings, &status);
    if (ReadNumber(key, VALUE_DEVICE_MODEL, REG_DWORD, &number, &status))
        settings.deviceModel = number >= 10 && number <= 13 ? number : DEVICE_MODEL_GENERIC;
    else
        settings.deviceModel = DefaultDeviceModel();

    RegCloseKey(key);
    settings.loaded = true;
    return status;
}

LONG SaveSettings(const CursorSettings &settings) {
    HKEY key = NULL;
    DWORD disposition = 0;
    LONG created = RegCreateKeyExW(HKEY_LOCAL_MACHINE, SETTINGS_KEY, 0, NULL, 0, KEY_WRITE, NULL,
                                   &key, &disposition);
    if (created != ERROR_SUCCESS)
        return created;

    LONG failed = ERROR_SUCCESS;
    LONG results[7];
    results[0] = WriteBinaryNumber(key, VALUE_SPEED, settings.cursorSpeed);
    results[1] = WriteBinaryNumber(key, VALUE_ACCELERATION_SPEED, settings.accelerationSpeed);
    results[2] = WriteBinaryNumber(key, VALUE_SNAP, settings.snapToSipLetters);
    results[3] = WriteBinaryNumber(key, VALUE_ACCELERATION, settings.accelerationEnabled);
    results[4] = WriteDwordNumber(key, VALUE_MENU_METHOD, settings.menuNavigationMethod);
    size_t length = 0;
    if (FAILED(StringCchLengthW(settings.cursorImage, CURSOR_IMAGE_CAPACITY, &length)))
        length = 0;
    results[5] = RegSetValueExW(key, VALUE_IMAGE, 0, REG_SZ, (const BYTE *)settings.cursorImage,
                                (DWORD)((length + 1) * sizeof(WCHAR)));
    results[6] = WriteDwordNumber(key, VALUE_DEVICE_MODEL, settings.deviceModel);
    for (int i = 0; i < 7; ++i)
        if (results[i] != ERROR_SUCCESS)
            failed = results[i];

    LONG flushed = RegFlushKey(key);
    RegCloseKey(key);
    return flushed != ERROR_SUCCESS ? flushed : failed;
}

LONG GetCursorImageName(const CursorSettings &settings, LPWSTR buffer, DWORD *capacity) {
    size_t length = 0;
    if (FAILED(StringCchLengthW(settings.cursorImage, CURSOR_IMAGE_CAPACITY, &length)))
        length = 0;
    if (buffer == NULL || *capacity < length + 1) {
        *capacity = (DWORD)length;
        return ERROR_MORE_DATA;
    }
    StringCchCopyW(buffer, *capacity, settings.cursorImage);
    return ERROR_SUCCESS;
}
