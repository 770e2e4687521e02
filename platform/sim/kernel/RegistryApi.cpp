// The Reg* functions over the device registry. They report failure by
// returning a status code; the thread's last error is left alone, as on the
// platform. Windows CE ignores the access asked for (samDesired), so any key
// handle may read and write.
#include <windows.h>

#include "kernel/Context.h"
#include "kernel/Handles.h"
#include "kernel/Kernel.h"
#include "kernel/Registry.h"

#include <cstring>
#include <optional>

namespace sim {
namespace {

// An open key. A key deleted while open stays referenced here and answers
// ERROR_KEY_DELETED.
struct RegistryKeyObject : KernelObject {
    explicit RegistryKeyObject(RegKeyRef k) : key(std::move(k)) {}
    RegKeyRef key;
};

std::optional<RegRoot> PredefinedRoot(HKEY key) {
    if (key == HKEY_CLASSES_ROOT)
        return RegRoot::ClassesRoot;
    if (key == HKEY_CURRENT_USER)
        return RegRoot::CurrentUser;
    if (key == HKEY_LOCAL_MACHINE)
        return RegRoot::LocalMachine;
    if (key == HKEY_USERS)
        return RegRoot::Users;
    return std::nullopt;
}

LONG ToError(RegStatus status) {
    switch (status) {
    case RegStatus::Ok: return ERROR_SUCCESS;
    case RegStatus::NotFound: return ERROR_FILE_NOT_FOUND;
    case RegStatus::KeyDeleted: return ERROR_KEY_DELETED;
    case RegStatus::InvalidName: return ERROR_INVALID_PARAMETER;
    case RegStatus::AccessDenied: return ERROR_ACCESS_DENIED;
    }
    return ERROR_INVALID_PARAMETER;
}

LONG Resolve(HKEY handle, RegKeyRef *out) {
    if (auto root = PredefinedRoot(handle)) {
        *out = CurrentRegistry().Root(*root);
        return ERROR_SUCCESS;
    }
    auto object = CurrentHandles().Get<RegistryKeyObject>(reinterpret_cast<uintptr_t>(handle));
    if (!object)
        return ERROR_INVALID_HANDLE;
    if (object->key->Deleted())
        return ERROR_KEY_DELETED;
    *out = object->key;
    return ERROR_SUCCESS;
}

HKEY NewHandle(RegKeyRef key) {
    uintptr_t handle = CurrentHandles().Add(std::make_shared<RegistryKeyObject>(std::move(key)),
                                            &CurrentProcess());
    return reinterpret_cast<HKEY>(handle);
}

std::u16string_view View(LPCWSTR s) {
    return s ? std::u16string_view(s) : std::u16string_view();
}

// Shared by the query and enumeration calls: the documented buffer rules for
// value data.
LONG CopyData(const RegValue &value, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpType)
        *lpType = value.type;
    DWORD size = DWORD(value.data.size());
    if (!lpcbData)
        return ERROR_SUCCESS;
    if (lpData) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size)
            std::memcpy(lpData, value.data.data(), size);
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

// Copies a name with its terminator; *lpcch is the buffer size in
// characters on entry and the name's length on success.
LONG CopyName(const std::u16string &name, LPWSTR lpName, LPDWORD lpcch) {
    if (name.size() + 1 > *lpcch)
        return ERROR_MORE_DATA;
    std::memcpy(lpName, name.data(), name.size() * sizeof(WCHAR));
    lpName[name.size()] = 0;
    *lpcch = DWORD(name.size());
    return ERROR_SUCCESS;
}

} // namespace
} // namespace sim

using namespace sim;

LONG WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
    sim::CountCall("RegOpenKeyExW");
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    RegKeyRef parent, key;
    LONG error = Resolve(hKey, &parent);
    if (error == ERROR_SUCCESS)
        error = ToError(CurrentRegistry().OpenKey(parent, View(lpSubKey), &key));
    if (error != ERROR_SUCCESS) {
        // A failed open leaves no stale handle behind, as on the platform.
        *phkResult = nullptr;
        return error;
    }
    *phkResult = NewHandle(std::move(key));
    return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM,
                            LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    sim::CountCall("RegCreateKeyExW");
    uint32_t fault;
    if (TakeFault(Fault::RegistryCreate, &fault))
        return LONG(fault);
    if (CurrentKernel().RegistryWriteFails(nullptr))
        return ERROR_ACCESS_DENIED;
    if (!lpSubKey || !phkResult)
        return ERROR_INVALID_PARAMETER;
    RegKeyRef parent, key;
    LONG error = Resolve(hKey, &parent);
    if (error != ERROR_SUCCESS)
        return error;
    bool created = false;
    error = ToError(CurrentRegistry().CreateKey(parent, lpSubKey, &key, &created));
    if (error != ERROR_SUCCESS)
        return error;
    *phkResult = NewHandle(std::move(key));
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    sim::CountCall("RegCloseKey");
    if (PredefinedRoot(hKey))
        return ERROR_SUCCESS;
    uintptr_t handle = reinterpret_cast<uintptr_t>(hKey);
    // Only key handles: a file or mutex handle passed here stays open.
    if (!CurrentHandles().Get<RegistryKeyObject>(handle) || !CurrentHandles().Close(handle))
        return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}

LONG WINAPI RegFlushKey(HKEY hKey) {
    sim::CountCall("RegFlushKey");
    uint32_t fault;
    if (TakeFault(Fault::RegistryFlush, &fault))
        return LONG(fault);
    if (CurrentKernel().RegistryWriteFails(nullptr))
        return ERROR_ACCESS_DENIED;
    RegKeyRef key;
    return Resolve(hKey, &key);
}

LONG WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
    sim::CountCall("RegQueryValueExW");
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    RegKeyRef key;
    LONG error = Resolve(hKey, &key);
    if (error != ERROR_SUCCESS)
        return error;
    const RegValue *value = nullptr;
    error = ToError(CurrentRegistry().QueryValue(key, View(lpValueName), &value));
    if (error != ERROR_SUCCESS)
        return error;
    return CopyData(*value, lpType, lpData, lpcbData);
}

LONG WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE *lpData,
                           DWORD cbData) {
    sim::CountCall("RegSetValueExW");
    uint32_t fault;
    if (TakeFault(Fault::RegistryWrite, &fault))
        return LONG(fault);
    if (CurrentKernel().RegistryWriteFails(lpValueName ? lpValueName : u""))
        return ERROR_ACCESS_DENIED;
    if (!lpData && cbData != 0)
        return ERROR_INVALID_PARAMETER;
    RegKeyRef key;
    LONG error = Resolve(hKey, &key);
    if (error != ERROR_SUCCESS)
        return error;
    std::span<const uint8_t> data(lpData, lpData ? cbData : 0);
    return ToError(CurrentRegistry().SetValue(key, View(lpValueName), dwType, data));
}

LONG WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    sim::CountCall("RegDeleteValueW");
    if (CurrentKernel().RegistryWriteFails(lpValueName ? lpValueName : u""))
        return ERROR_ACCESS_DENIED;
    RegKeyRef key;
    LONG error = Resolve(hKey, &key);
    if (error != ERROR_SUCCESS)
        return error;
    return ToError(CurrentRegistry().DeleteValue(key, View(lpValueName)));
}

LONG WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    sim::CountCall("RegDeleteKeyW");
    if (CurrentKernel().RegistryWriteFails(nullptr))
        return ERROR_ACCESS_DENIED;
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    RegKeyRef parent;
    LONG error = Resolve(hKey, &parent);
    if (error != ERROR_SUCCESS)
        return error;
    return ToError(CurrentRegistry().DeleteKey(parent, lpSubKey));
}

LONG WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD,
                          LPWSTR lpClass, LPDWORD lpcchClass, LPFILETIME lpftLastWriteTime) {
    sim::CountCall("RegEnumKeyExW");
    if (!lpName || !lpcchName)
        return ERROR_INVALID_PARAMETER;
    RegKeyRef key;
    LONG error = Resolve(hKey, &key);
    if (error != ERROR_SUCCESS)
        return error;
    const auto &subkeys = key->Subkeys();
    if (dwIndex >= subkeys.size())
        return ERROR_NO_MORE_ITEMS;
    error = CopyName(subkeys[dwIndex]->Name(), lpName, lpcchName);
    if (error != ERROR_SUCCESS)
        return error;
    // Keys have no class, and the device keeps no write times.
    if (lpClass && lpcchClass && *lpcchClass > 0)
        lpClass[0] = 0;
    if (lpcchClass)
        *lpcchClass = 0;
    if (lpftLastWriteTime)
        *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

LONG WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                          LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    sim::CountCall("RegEnumValueW");
    if (!lpValueName || !lpcchValueName || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    RegKeyRef key;
    LONG error = Resolve(hKey, &key);
    if (error != ERROR_SUCCESS)
        return error;
    const auto &values = key->Values();
    if (dwIndex >= values.size())
        return ERROR_NO_MORE_ITEMS;
    const RegValue &value = values[dwIndex];
    error = CopyName(value.name, lpValueName, lpcchValueName);
    if (error != ERROR_SUCCESS) {
        // A name that does not fit still reports the type and the data
        // size, and writes neither name nor data, as the platform does.
        CopyData(value, lpType, nullptr, lpcbData);
        return error;
    }
    return CopyData(value, lpType, lpData, lpcbData);
}
