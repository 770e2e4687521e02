// DeviceSim: the registry as a tree of keys and typed values, with the
// platform's statuses.
#include "kernel/Registry.h"
#include "kernel/Names.h"

#include <algorithm>
#include <cstdio>

namespace sim {
namespace {

struct RootName {
    RegRoot root;
    std::u16string_view longName;
    std::u16string_view shortName;
};

constexpr RootName kRootNames[] = {
    {RegRoot::ClassesRoot, u"HKEY_CLASSES_ROOT", u"HKCR"},
    {RegRoot::CurrentUser, u"HKEY_CURRENT_USER", u"HKCU"},
    {RegRoot::LocalMachine, u"HKEY_LOCAL_MACHINE", u"HKLM"},
    {RegRoot::Users, u"HKEY_USERS", u"HKU"},
};

} // namespace

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Every name must be writable as a line of export text.
bool Representable(std::u16string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c < 0x20 || IsLowSurrogate(c))
            return false;
        if (IsHighSurrogate(c)) {
            if (i + 1 >= s.size() || !IsLowSurrogate(s[i + 1]))
                return false;
            ++i;
        }
    }
    return true;
}

bool ValidName(std::u16string_view s) {
    return s.size() <= Registry::kMaxNameLength && Representable(s);
}

bool SplitPath(std::u16string_view path, std::vector<std::u16string_view> *parts) {
    parts->clear();
    if (path.empty())
        return true;
    size_t start = 0;
    for (;;) {
        size_t end = path.find(u'\\', start);
        std::u16string_view part =
            path.substr(start, end == std::u16string_view::npos ? end : end - start);
        if (part.empty() || !ValidName(part))
            return false;
        parts->push_back(part);
        if (end == std::u16string_view::npos)
            return true;
        start = end + 1;
    }
}

bool ParseFullPath(std::u16string_view full, RegRoot *root, std::u16string_view *rest) {
    size_t sep = full.find(u'\\');
    std::u16string_view head = full.substr(0, sep);
    for (const auto &name : kRootNames) {
        if (CompareNames(head, name.longName) == 0 || CompareNames(head, name.shortName) == 0) {
            *root = name.root;
            *rest = sep == std::u16string_view::npos ? std::u16string_view() : full.substr(sep + 1);
            // "HKLM\" names no key.
            return sep == std::u16string_view::npos || !rest->empty();
        }
    }
    return false;
}

// ---------------------------------------------------------------- RegKey

std::shared_ptr<RegKey> RegKey::FindSubkey(std::u16string_view name) const {
    auto it = std::lower_bound(subkeys_.begin(), subkeys_.end(), name,
                               [](const RegKeyRef &key, std::u16string_view n) {
                                   return CompareNames(key->name_, n) < 0;
                               });
    if (it != subkeys_.end() && CompareNames((*it)->name_, name) == 0)
        return *it;
    return nullptr;
}

const RegValue *RegKey::FindValue(std::u16string_view name) const {
    for (const auto &value : values_)
        if (CompareNames(value.name, name) == 0)
            return &value;
    return nullptr;
}

std::u16string RegKey::Path() const {
    std::vector<const RegKey *> chain;
    for (const RegKey *key = this; key; key = key->parent_)
        chain.push_back(key);
    std::u16string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += u'\\';
        path += (*it)->name_;
    }
    return path;
}

// ---------------------------------------------------------------- Registry

Registry::Registry() {
    for (const auto &name : kRootNames) {
        RegKeyRef key(new RegKey);
        key->name_ = std::u16string(name.longName);
        roots_[static_cast<int>(name.root)] = key;
    }
}

RegKeyRef Registry::Root(RegRoot root) const {
    return roots_[static_cast<int>(root)];
}

RegStatus Registry::OpenKey(const RegKeyRef &parent, std::u16string_view subPath,
                            RegKeyRef *out) const {
    if (!parent)
        return RegStatus::NotFound;
    if (parent->deleted_)
        return RegStatus::KeyDeleted;
    std::vector<std::u16string_view> parts;
    if (!SplitPath(subPath, &parts))
        return RegStatus::InvalidName;
    RegKeyRef key = parent;
    for (auto part : parts) {
        key = key->FindSubkey(part);
        if (!key)
            return RegStatus::NotFound;
    }
    *out = std::move(key);
    return RegStatus::Ok;
}

RegStatus Registry::CreateKey(const RegKeyRef &parent, std::u16string_view subPath, RegKeyRef *out,
                              bool *created) {
    if (!parent)
        return RegStatus::NotFound;
    if (parent->deleted_)
        return RegStatus::KeyDeleted;
    std::vector<std::u16string_view> parts;
    if (!SplitPath(subPath, &parts) || parent->depth_ + parts.size() > kMaxDepth)
        return RegStatus::InvalidName;
    RegKeyRef key = parent;
    bool made = false;
    for (auto part : parts) {
        RegKeyRef next = key->FindSubkey(part);
        made = !next;
        if (made) {
            next.reset(new RegKey);
            next->name_ = std::u16string(part);
            next->parent_ = key.get();
            next->depth_ = key->depth_ + 1;
            auto at = std::lower_bound(key->subkeys_.begin(), key->subkeys_.end(), part,
                                       [](const RegKeyRef &k, std::u16string_view n) {
                                           return CompareNames(k->name_, n) < 0;
                                       });
            key->subkeys_.insert(at, next);
        }
        key = std::move(next);
    }
    if (created)
        *created = made;
    if (out)
        *out = std::move(key);
    return RegStatus::Ok;
}

RegStatus Registry::DeleteKey(const RegKeyRef &parent, std::u16string_view subPath) {
    if (subPath.empty())
        return RegStatus::InvalidName;
    RegKeyRef key;
    RegStatus status = OpenKey(parent, subPath, &key);
    if (status != RegStatus::Ok)
        return status;
    RegKey *owner = key->parent_;
    auto &siblings = owner->subkeys_;
    siblings.erase(std::find(siblings.begin(), siblings.end(), key));
    // Iterative, so a deep tree cannot exhaust the stack.
    std::vector<RegKey *> pending{key.get()};
    while (!pending.empty()) {
        RegKey *k = pending.back();
        pending.pop_back();
        k->deleted_ = true;
        k->parent_ = nullptr;
        for (const auto &sub : k->subkeys_)
            pending.push_back(sub.get());
    }
    return RegStatus::Ok;
}

RegStatus Registry::QueryValue(const RegKeyRef &key, std::u16string_view name,
                               const RegValue **out) const {
    if (!key)
        return RegStatus::NotFound;
    if (key->deleted_)
        return RegStatus::KeyDeleted;
    const RegValue *value = key->FindValue(name);
    if (!value)
        return RegStatus::NotFound;
    *out = value;
    return RegStatus::Ok;
}

RegStatus Registry::SetValue(const RegKeyRef &key, std::u16string_view name, uint32_t type,
                             std::span<const uint8_t> data) {
    if (!key)
        return RegStatus::NotFound;
    if (key->deleted_)
        return RegStatus::KeyDeleted;
    if (!ValidName(name))
        return RegStatus::InvalidName;
    // Copied first: data may be the value's own bytes.
    std::vector<uint8_t> bytes(data.begin(), data.end());
    for (auto &value : key->values_) {
        if (CompareNames(value.name, name) == 0) {
            value.type = type;
            value.data = std::move(bytes);
            return RegStatus::Ok;
        }
    }
    key->values_.push_back(RegValue{std::u16string(name), type, std::move(bytes)});
    return RegStatus::Ok;
}

RegStatus Registry::DeleteValue(const RegKeyRef &key, std::u16string_view name) {
    if (!key)
        return RegStatus::NotFound;
    if (key->deleted_)
        return RegStatus::KeyDeleted;
    auto &values = key->values_;
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (CompareNames(it->name, name) == 0) {
            values.erase(it);
            return RegStatus::Ok;
        }
    }
    return RegStatus::NotFound;
}

RegKeyRef Registry::FindKey(std::u16string_view fullPath) const {
    RegRoot root;
    std::u16string_view rest;
    RegKeyRef key;
    if (!ParseFullPath(fullPath, &root, &rest) || OpenKey(Root(root), rest, &key) != RegStatus::Ok)
        return nullptr;
    return key;
}

RegStatus Registry::CreateKeyPath(std::u16string_view fullPath, RegKeyRef *out) {
    RegRoot root;
    std::u16string_view rest;
    if (!ParseFullPath(fullPath, &root, &rest))
        return RegStatus::InvalidName;
    return CreateKey(Root(root), rest, out);
}

RegStatus Registry::DeleteKeyPath(std::u16string_view fullPath) {
    RegRoot root;
    std::u16string_view rest;
    if (!ParseFullPath(fullPath, &root, &rest))
        return RegStatus::InvalidName;
    if (rest.empty())
        return RegStatus::AccessDenied;
    return DeleteKey(Root(root), rest);
}

RegStatus Registry::DeleteValuePath(std::u16string_view fullPath, std::u16string_view name) {
    RegRoot root;
    std::u16string_view rest;
    if (!ParseFullPath(fullPath, &root, &rest))
        return RegStatus::InvalidName;
    RegKeyRef key;
    RegStatus status = OpenKey(Root(root), rest, &key);
    return status == RegStatus::Ok ? DeleteValue(key, name) : status;
}

} // namespace sim
