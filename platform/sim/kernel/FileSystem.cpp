#include "kernel/FileSystem.h"
#include "kernel/Names.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace sim {

struct FsNode {
    std::u16string name;
    bool directory = false;
    std::vector<uint8_t> data;
    uint64_t created = 0;
    uint64_t written = 0;
    std::vector<std::shared_ptr<FsNode>> children; // sorted by CompareNames
    std::vector<FsOpenFile *> opens;
};

namespace {

using NodeRef = std::shared_ptr<FsNode>;

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool IsInvalidChar(char16_t c) {
    return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' ||
           c == u'*';
}

// Splits a path into its names, all checked; no names means the root.
FsStatus ParsePath(std::u16string_view path, std::vector<std::u16string_view> *parts) {
    parts->clear();
    if (path.size() > FileSystem::kMaxPath)
        return FsStatus::PathTooLong;
    if (path.empty())
        return FsStatus::InvalidName;
    std::u16string_view rest = path.substr(IsSeparator(path[0]) ? 1 : 0);
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        std::u16string_view part = rest.substr(start, end - start);
        if (part.empty() || part == u"." || part == u"..")
            return FsStatus::InvalidName;
        if (part.size() > FileSystem::kMaxName)
            return FsStatus::PathTooLong;
        if (std::any_of(part.begin(), part.end(), IsInvalidChar))
            return FsStatus::InvalidName;
        parts->push_back(part);
        // One trailing separator is allowed: "\Windows\" is "\Windows".
        if (end + 1 == rest.size())
            break;
        start = end + 1;
    }
    return FsStatus::Ok;
}

NodeRef FindChild(const FsNode &dir, std::u16string_view name) {
    auto it = std::lower_bound(
        dir.children.begin(), dir.children.end(), name,
        [](const NodeRef &node, std::u16string_view n) { return CompareNames(node->name, n) < 0; });
    if (it != dir.children.end() && CompareNames((*it)->name, name) == 0)
        return *it;
    return nullptr;
}

NodeRef AddChild(FsNode &dir, std::u16string_view name, bool directory, uint64_t now) {
    auto node = std::make_shared<FsNode>();
    node->name = std::u16string(name);
    node->directory = directory;
    node->created = now;
    node->written = now;
    auto it = std::lower_bound(
        dir.children.begin(), dir.children.end(), name,
        [](const NodeRef &n, std::u16string_view key) { return CompareNames(n->name, key) < 0; });
    dir.children.insert(it, node);
    return node;
}

struct Located {
    NodeRef parent; // null for the root itself
    NodeRef node;   // null when the last name does not exist
};

// PathNotFound when a directory on the way is missing or is a file.
FsStatus Locate(const NodeRef &root, const std::vector<std::u16string_view> &parts, Located *out) {
    if (parts.empty()) {
        *out = Located{nullptr, root};
        return FsStatus::Ok;
    }
    NodeRef dir = root;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        dir = FindChild(*dir, parts[i]);
        if (!dir || !dir->directory)
            return FsStatus::PathNotFound;
    }
    *out = Located{dir, FindChild(*dir, parts.back())};
    return FsStatus::Ok;
}

FsStatus Resolve(const NodeRef &root, std::u16string_view path, Located *out) {
    std::vector<std::u16string_view> parts;
    FsStatus status = ParsePath(path, &parts);
    if (status != FsStatus::Ok)
        return status;
    return Locate(root, parts, out);
}

FsEntry EntryOf(const FsNode &node) {
    return FsEntry{node.name, node.directory, node.data.size(), node.created, node.written};
}

// An opening without read or write access (attributes only) neither
// conflicts nor restricts, as on the platform.
bool Conflicts(const FsOpenFile &open, FsAccess access, FsShare share) {
    if ((!access.read && !access.write) || (!open.Access().read && !open.Access().write))
        return false;
    return (access.read && !open.Share().read) || (access.write && !open.Share().write) ||
           (open.Access().read && !share.read) || (open.Access().write && !share.write);
}

} // namespace

// ---------------------------------------------------------------- FsOpenFile

FsOpenFile::FsOpenFile(std::shared_ptr<FsNode> node, FsAccess access, FsShare share)
    : node_(std::move(node)), access_(access), share_(share) {
    node_->opens.push_back(this);
}

FsOpenFile::~FsOpenFile() {
    auto &opens = node_->opens;
    opens.erase(std::remove(opens.begin(), opens.end(), this), opens.end());
}

uint64_t FsOpenFile::Size() const {
    return node_->data.size();
}

uint64_t FsOpenFile::Created() const {
    return node_->created;
}

uint64_t FsOpenFile::Written() const {
    return node_->written;
}

FsStatus FsOpenFile::Read(void *buffer, size_t count, size_t *done) {
    *done = 0;
    if (!access_.read)
        return FsStatus::AccessDenied;
    const auto &data = node_->data;
    if (position_ >= data.size() || count == 0)
        return FsStatus::Ok;
    size_t n = std::min<uint64_t>(count, data.size() - position_);
    std::memcpy(buffer, data.data() + position_, n);
    position_ += n;
    *done = n;
    return FsStatus::Ok;
}

FsStatus FsOpenFile::Write(const void *buffer, size_t count, uint64_t now) {
    if (!access_.write)
        return FsStatus::AccessDenied;
    // A write of nothing neither extends the file nor touches its time.
    if (count == 0)
        return FsStatus::Ok;
    if (position_ > FileSystem::kMaxFileSize || count > FileSystem::kMaxFileSize - position_)
        return FsStatus::TooLarge;
    auto &data = node_->data;
    if (data.size() < position_ + count)
        data.resize(position_ + count);
    std::memmove(data.data() + position_, buffer, count);
    position_ += count;
    node_->written = now;
    return FsStatus::Ok;
}

FsStatus FsOpenFile::Seek(int64_t distance, FsSeekOrigin origin, uint64_t *newPosition) {
    int64_t base = 0;
    if (origin == FsSeekOrigin::Current)
        base = int64_t(position_);
    else if (origin == FsSeekOrigin::End)
        base = int64_t(node_->data.size());
    // base is below 2^32, so only a huge positive distance can overflow.
    if (distance > std::numeric_limits<int64_t>::max() - base)
        return FsStatus::TooLarge;
    int64_t target = base + distance;
    if (target < 0)
        return FsStatus::NegativeSeek;
    if (target > int64_t(0xFFFFFFFF))
        return FsStatus::TooLarge;
    position_ = uint64_t(target);
    if (newPosition)
        *newPosition = position_;
    return FsStatus::Ok;
}

// ---------------------------------------------------------------- FileSystem

FileSystem::FileSystem() : root_(std::make_shared<FsNode>()) {
    root_->directory = true;
}

FileSystem::~FileSystem() = default;

void FileSystem::CreateDefaultTree(uint64_t now) {
    for (auto path : {u"\\Windows", u"\\Program Files", u"\\Application Data",
                      u"\\Application Data\\Volatile", u"\\My Documents", u"\\Temp"})
        CreateDirectories(path, now);
}

bool FileSystem::Exists(std::u16string_view path) const {
    FsEntry entry;
    return Stat(path, &entry) == FsStatus::Ok;
}

FsStatus FileSystem::Stat(std::u16string_view path, FsEntry *out) const {
    Located at;
    FsStatus status = Resolve(root_, path, &at);
    if (status != FsStatus::Ok)
        return status;
    if (!at.node)
        return FsStatus::FileNotFound;
    *out = EntryOf(*at.node);
    return FsStatus::Ok;
}

FsStatus FileSystem::List(std::u16string_view directory, std::vector<FsEntry> *out) const {
    out->clear();
    Located at;
    FsStatus status = Resolve(root_, directory, &at);
    if (status != FsStatus::Ok)
        return status;
    if (!at.node || !at.node->directory)
        return FsStatus::PathNotFound;
    for (const auto &child : at.node->children)
        out->push_back(EntryOf(*child));
    return FsStatus::Ok;
}

FsStatus FileSystem::ReadAll(std::u16string_view path, std::vector<uint8_t> *out) const {
    Located at;
    FsStatus status = Resolve(root_, path, &at);
    if (status != FsStatus::Ok)
        return status;
    if (!at.node)
        return FsStatus::FileNotFound;
    if (at.node->directory)
        return FsStatus::AccessDenied;
    *out = at.node->data;
    return FsStatus::Ok;
}

FsStatus FileSystem::WriteAll(std::u16string_view path, std::span<const uint8_t> data,
                              uint64_t now) {
    Located at;
    FsStatus status = Resolve(root_, path, &at);
    if (status != FsStatus::Ok)
        return status;
    if (!at.parent || (at.node && at.node->directory))
        return FsStatus::AccessDenied;
    if (data.size() > kMaxFileSize)
        return FsStatus::TooLarge;
    // Copied first: data may be this file's own bytes.
    std::vector<uint8_t> bytes(data.begin(), data.end());
    std::vector<std::u16string_view> parts;
    ParsePath(path, &parts);
    NodeRef node = at.node ? at.node : AddChild(*at.parent, parts.back(), false, now);
    node->data = std::move(bytes);
    node->written = now;
    return FsStatus::Ok;
}

FsStatus FileSystem::CopyIn(std::u16string_view path, std::span<const uint8_t> data, uint64_t now) {
    std::vector<std::u16string_view> parts;
    FsStatus status = ParsePath(path, &parts);
    if (status != FsStatus::Ok)
        return status;
    if (parts.empty())
        return FsStatus::AccessDenied;
    if (data.size() > kMaxFileSize)
        return FsStatus::TooLarge;
    // Check the whole way before creating anything, so a failure leaves no
    // stray directories.
    NodeRef dir = root_;
    size_t existing = 0;
    for (; existing + 1 < parts.size(); ++existing) {
        NodeRef next = FindChild(*dir, parts[existing]);
        if (!next)
            break;
        if (!next->directory)
            return FsStatus::PathNotFound;
        dir = next;
    }
    if (existing + 1 == parts.size()) {
        NodeRef node = FindChild(*dir, parts.back());
        if (node && node->directory)
            return FsStatus::AccessDenied;
    }
    for (; existing + 1 < parts.size(); ++existing)
        dir = AddChild(*dir, parts[existing], true, now);
    return WriteAll(path, data, now);
}

FsStatus FileSystem::MakeDirectory(std::u16string_view path, uint64_t now) {
    std::vector<std::u16string_view> parts;
    FsStatus status = ParsePath(path, &parts);
    if (status != FsStatus::Ok)
        return status;
    Located at;
    status = Locate(root_, parts, &at);
    if (status != FsStatus::Ok)
        return status;
    if (at.node)
        return FsStatus::AlreadyExists;
    AddChild(*at.parent, parts.back(), true, now);
    return FsStatus::Ok;
}

FsStatus FileSystem::CreateDirectories(std::u16string_view path, uint64_t now) {
    std::vector<std::u16string_view> parts;
    FsStatus status = ParsePath(path, &parts);
    if (status != FsStatus::Ok)
        return status;
    NodeRef dir = root_;
    for (size_t i = 0; i < parts.size(); ++i) {
        NodeRef next = FindChild(*dir, parts[i]);
        if (next && !next->directory)
            return i + 1 == parts.size() ? FsStatus::AlreadyExists : FsStatus::PathNotFound;
        dir = next ? next : AddChild(*dir, parts[i], true, now);
    }
    return FsStatus::Ok;
}

FsStatus FileSystem::Delete(std::u16string_view path) {
    Located at;
    FsStatus status = Resolve(root_, path, &at);
    if (status != FsStatus::Ok)
        return status;
    if (!at.parent)
        return FsStatus::AccessDenied;
    if (!at.node)
        return FsStatus::FileNotFound;
    if (at.node->directory && !at.node->children.empty())
        return FsStatus::DirectoryNotEmpty;
    if (!at.node->opens.empty())
        return FsStatus::SharingViolation;
    auto &siblings = at.parent->children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), at.node));
    return FsStatus::Ok;
}

FsOpenResult FileSystem::Open(std::u16string_view path, FsAccess access, FsShare share,
                              FsDisposition disposition, uint64_t now) {
    FsOpenResult result;
    std::vector<std::u16string_view> parts;
    result.status = ParsePath(path, &parts);
    if (result.status != FsStatus::Ok)
        return result;
    Located at;
    result.status = Locate(root_, parts, &at);
    if (result.status != FsStatus::Ok)
        return result;
    if (!at.parent || (at.node && at.node->directory)) {
        result.status = FsStatus::AccessDenied;
        return result;
    }
    NodeRef node = at.node;
    if (node) {
        result.existed = true;
        if (disposition == FsDisposition::CreateNew) {
            result.status = FsStatus::AlreadyExists;
            return result;
        }
        for (const FsOpenFile *open : node->opens) {
            if (Conflicts(*open, access, share)) {
                result.status = FsStatus::SharingViolation;
                return result;
            }
        }
        if (disposition == FsDisposition::CreateAlways ||
            disposition == FsDisposition::TruncateExisting) {
            node->data.clear();
            node->written = now;
        }
    } else {
        if (disposition == FsDisposition::OpenExisting ||
            disposition == FsDisposition::TruncateExisting) {
            result.status = FsStatus::FileNotFound;
            return result;
        }
        node = AddChild(*at.parent, parts.back(), false, now);
    }
    result.file.reset(new FsOpenFile(node, access, share));
    return result;
}

} // namespace sim
