// DeviceSim: the device registry.
//
// A plain model with no platform types, so tests and the device script runner
// can use it directly; RegistryApi.cpp puts the Reg* functions on top of it.
//
// Names compare without regard to ASCII case and keep the spelling they were
// created with. Subkeys are kept sorted by that comparison (the order the
// desktop registry enumerates them in); values stay in the order they were
// first set, and setting an existing value keeps its place. Both orders are
// what enumeration and export show, so every run lists a key the same way.
//
// Value data is raw bytes: a string value holds exactly the UTF-16LE bytes
// its writer supplied, terminated or not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

enum class RegStatus {
    Ok,
    NotFound,
    // The key was deleted while something still referred to it.
    KeyDeleted,
    // Empty path component, name too long or holding a control character or
    // a broken surrogate pair, or a tree deeper than the registry allows.
    InvalidName,
    // Root keys cannot be deleted.
    AccessDenied,
};

// Value types the export format writes in their own forms; any other type is
// kept and written as hex(N).
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

struct RegValue {
    std::u16string name; // "" is the default value
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

class RegKey {
public:
    const std::u16string &Name() const { return name_; }
    bool Deleted() const { return deleted_; }
    const std::vector<std::shared_ptr<RegKey>> &Subkeys() const { return subkeys_; }
    const std::vector<RegValue> &Values() const { return values_; }
    std::shared_ptr<RegKey> FindSubkey(std::u16string_view name) const;
    const RegValue *FindValue(std::u16string_view name) const;
    // "HKEY_LOCAL_MACHINE\Software\X"; a deleted key has only its own name.
    std::u16string Path() const;

private:
    friend class Registry;
    RegKey() = default;
    std::u16string name_;
    RegKey *parent_ = nullptr;
    size_t depth_ = 0;
    bool deleted_ = false;
    std::vector<std::shared_ptr<RegKey>> subkeys_;
    std::vector<RegValue> values_;
};

using RegKeyRef = std::shared_ptr<RegKey>;

// What a key or value name may be: within the length limit, and writable as
// a line of export text (no control characters, surrogates in pairs).
bool Representable(std::u16string_view s);
bool ValidName(std::u16string_view s);
bool IsHighSurrogate(char16_t c);
bool IsLowSurrogate(char16_t c);
// A path below a key into its names; false when a name is empty or invalid.
bool SplitPath(std::u16string_view path, std::vector<std::u16string_view> *parts);
// "HKLM\Software\X" (or the long root name) into its root and the rest.
bool ParseFullPath(std::u16string_view full, RegRoot *root, std::u16string_view *rest);

struct RegImportResult {
    bool ok = true;
    size_t line = 0; // first line of the malformed entry, from 1
    std::string message;
};

class Registry {
public:
    // Longest key name (one path component) or value name, in characters.
    static constexpr size_t kMaxNameLength = 255;
    // Deepest key below a root; bounds the recursion of delete and export.
    static constexpr size_t kMaxDepth = 512;

    Registry();
    Registry(const Registry &) = delete;
    Registry &operator=(const Registry &) = delete;

    RegKeyRef Root(RegRoot root) const;

    // subPath is relative to parent, components separated by single
    // backslashes; an empty subPath names parent itself.
    RegStatus OpenKey(const RegKeyRef &parent, std::u16string_view subPath, RegKeyRef *out) const;
    RegStatus CreateKey(const RegKeyRef &parent, std::u16string_view subPath, RegKeyRef *out,
                        bool *created = nullptr);
    // Deletes the key with everything below it.
    RegStatus DeleteKey(const RegKeyRef &parent, std::u16string_view subPath);

    RegStatus QueryValue(const RegKeyRef &key, std::u16string_view name,
                         const RegValue **out) const;
    RegStatus SetValue(const RegKeyRef &key, std::u16string_view name, uint32_t type,
                       std::span<const uint8_t> data);
    RegStatus DeleteValue(const RegKeyRef &key, std::u16string_view name);

    // Full paths begin with a root: HKEY_LOCAL_MACHINE or HKLM, HKEY_CURRENT_USER
    // or HKCU, HKEY_CLASSES_ROOT or HKCR, HKEY_USERS or HKU.
    RegKeyRef FindKey(std::u16string_view fullPath) const;
    RegStatus CreateKeyPath(std::u16string_view fullPath, RegKeyRef *out);
    RegStatus DeleteKeyPath(std::u16string_view fullPath);
    RegStatus DeleteValuePath(std::u16string_view fullPath, std::u16string_view name);

    // The key and everything below it as REGEDIT4 text (UTF-8, "\n" line
    // ends), ending with an empty line; nothing when the key does not exist.
    std::optional<std::string> Export(std::u16string_view fullPath) const;
    // Applies REGEDIT4 text (UTF-8, "\n" or "\r\n" line ends). The whole text
    // is checked first: if any entry is malformed nothing is applied and the
    // result names the first such entry's line. Key lines may use the short
    // root names as well.
    RegImportResult Import(std::string_view text);

private:
    RegKeyRef roots_[4];
};

} // namespace sim
