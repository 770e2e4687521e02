// Fuzzes the settings load with arbitrary registry values: each input is a
// list of values (which name, which type, how many bytes, the bytes) stored
// under the settings key before the record is loaded. Whatever was stored,
// the loaded record keeps a terminated image name, and a record saved after
// the load reads back unchanged.
#include "CursorSettings.h"
#include "FuzzDevice.h"
#include "kernel/Registry.h"

#include <cstdint>
#include <cstring>

namespace {

const char16_t *const kNames[] = {
    u"CursorSpeed",          u"SnapToSipLetters", u"CursorAcceleration", u"CursorAccelerationSpeed",
    u"MenuNavigationMethod", u"CursorImage",      u"DeviceModel",        u"Unrelated"};
const char16_t kKey[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Pointrel";

bool Terminated(const CursorSettings &s) {
    for (DWORD i = 0; i < CURSOR_IMAGE_CAPACITY; ++i)
        if (s.cursorImage[i] == 0)
            return true;
    return false;
}

bool Same(const CursorSettings &a, const CursorSettings &b) {
    return a.cursorSpeed == b.cursorSpeed && a.accelerationEnabled == b.accelerationEnabled &&
           a.accelerationSpeed == b.accelerationSpeed && a.snapToSipLetters == b.snapToSipLetters &&
           a.menuNavigationMethod == b.menuNavigationMethod && a.deviceModel == b.deviceModel &&
           std::u16string(reinterpret_cast<const char16_t *>(a.cursorImage)) ==
               std::u16string(reinterpret_cast<const char16_t *>(b.cursorImage));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    sim::Device &d = fuzz::SharedDevice();
    sim::Registry &registry = d.registry();
    registry.DeleteKeyPath(kKey);
    sim::RegKeyRef key;
    if (registry.CreateKeyPath(kKey, &key) != sim::RegStatus::Ok)
        __builtin_trap();
    size_t at = 0;
    while (at + 3 <= size) {
        const char16_t *name = kNames[data[at] % 8];
        uint32_t type = data[at + 1] % 12; // REG_NONE to REG_QWORD
        size_t length = std::min<size_t>(data[at + 2], size - at - 3);
        registry.SetValue(key, name, type, {data + at + 3, length});
        at += 3 + length;
    }

    fuzz::RunOnDevice([] {
        CursorSettings loaded, reread;
        SetDefaultSettings(loaded);
        LONG status = LoadSettings(loaded);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND &&
            status != ERROR_INVALID_DATA && status != ERROR_MORE_DATA)
            __builtin_trap();
        if (!Terminated(loaded))
            __builtin_trap();
        WCHAR name[CURSOR_IMAGE_CAPACITY];
        DWORD capacity = 4;
        GetCursorImageName(loaded, name, &capacity);
        if (SaveSettings(loaded) != ERROR_SUCCESS)
            __builtin_trap();
        SetDefaultSettings(reread);
        if (LoadSettings(reread) != ERROR_SUCCESS || !Same(loaded, reread))
            __builtin_trap(); // what was saved does not read back
    });
    return 0;
}
