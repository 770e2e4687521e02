// DeviceSim: the device file tree, held in memory.
//
// A plain model with no platform types, so tests and the device script runner
// can lay out files directly; FileApi.cpp puts the Win32 file functions on top.
//
// Paths use backslashes and start at the root ("\Windows\ModelName.txt"); the
// device has no current directory, so a path without the leading backslash
// means the same. Forward slashes separate too, as they do for the platform's
// file functions. Names compare without regard to ASCII case and keep the
// spelling they were created with; directory listings are sorted by that
// comparison. Times are the device's calendar in milliseconds (since 1601, as
// file times count), passed in by the caller, never read from the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class FsStatus {
    Ok,
    FileNotFound,
    // A directory on the way is missing or is a file.
    PathNotFound,
    AlreadyExists,
    // Empty component, "." or "..", or a character names cannot hold.
    InvalidName,
    // More than kMaxPath characters, or a name longer than kMaxName.
    PathTooLong,
    // A file operation on a directory, or deleting the root.
    AccessDenied,
    DirectoryNotEmpty,
    SharingViolation,
    NegativeSeek,
    // The file would grow past kMaxFileSize or the position past 4 GB - 1.
    TooLarge,
};

struct FsEntry {
    std::u16string name;
    bool directory = false;
    uint64_t size = 0;
    uint64_t created = 0;
    uint64_t written = 0;
};

enum class FsDisposition { CreateNew, CreateAlways, OpenExisting, OpenAlways, TruncateExisting };
enum class FsSeekOrigin { Begin, Current, End };

struct FsAccess {
    bool read = false;
    bool write = false;
};

// What other openers of the same file may do while this one is open.
struct FsShare {
    bool read = false;
    bool write = false;
};

struct FsNode;
class FileSystem;

// One opening of a file: its access, its sharing and its own position. The
// file cannot be deleted while any opening exists.
class FsOpenFile {
public:
    ~FsOpenFile();
    FsOpenFile(const FsOpenFile &) = delete;
    FsOpenFile &operator=(const FsOpenFile &) = delete;

    FsAccess Access() const { return access_; }
    FsShare Share() const { return share_; }
    uint64_t Position() const { return position_; }
    uint64_t Size() const;
    // The file's creation and last-write times.
    uint64_t Created() const;
    uint64_t Written() const;

    // Reads up to count bytes at the position and advances it; none at the end.
    FsStatus Read(void *buffer, size_t count, size_t *done);
    // Writes at the position, filling any gap past the end with zeros; all
    // or nothing.
    FsStatus Write(const void *buffer, size_t count, uint64_t now);
    FsStatus Seek(int64_t distance, FsSeekOrigin origin, uint64_t *newPosition);

private:
    friend class FileSystem;
    FsOpenFile(std::shared_ptr<FsNode> node, FsAccess access, FsShare share);
    std::shared_ptr<FsNode> node_;
    FsAccess access_;
    FsShare share_;
    uint64_t position_ = 0;
};

struct FsOpenResult {
    FsStatus status = FsStatus::Ok;
    // The file was there before (CREATE_ALWAYS and OPEN_ALWAYS report it).
    bool existed = false;
    std::shared_ptr<FsOpenFile> file;
};

class FileSystem {
public:
    // MAX_PATH less the terminator.
    static constexpr size_t kMaxPath = 259;
    static constexpr size_t kMaxName = 255;
    // Storage of a Pocket PC of the time; keeps a stray seek from making the
    // host allocate gigabytes.
    static constexpr uint64_t kMaxFileSize = 32u << 20;

    FileSystem();
    ~FileSystem();
    FileSystem(const FileSystem &) = delete;
    FileSystem &operator=(const FileSystem &) = delete;

    // \Windows, \Program Files, \Application Data (with Volatile, which a
    // reset empties), \My Documents, \Temp.
    void CreateDefaultTree(uint64_t now);

    bool Exists(std::u16string_view path) const;
    FsStatus Stat(std::u16string_view path, FsEntry *out) const;
    FsStatus List(std::u16string_view directory, std::vector<FsEntry> *out) const;
    FsStatus ReadAll(std::u16string_view path, std::vector<uint8_t> *out) const;
    // Creates the file or replaces its contents; its directory must exist.
    // Open handles keep working and see the new contents.
    FsStatus WriteAll(std::u16string_view path, std::span<const uint8_t> data, uint64_t now);
    // Like WriteAll, creating missing directories on the way.
    FsStatus CopyIn(std::u16string_view path, std::span<const uint8_t> data, uint64_t now);
    // One directory; its parent must exist. Not named CreateDirectory, which
    // <windows.h> turns into CreateDirectoryW.
    FsStatus MakeDirectory(std::u16string_view path, uint64_t now);
    // Every missing directory on the way; an existing directory is fine.
    FsStatus CreateDirectories(std::u16string_view path, uint64_t now);
    // A file, or an empty directory.
    FsStatus Delete(std::u16string_view path);

    FsOpenResult Open(std::u16string_view path, FsAccess access, FsShare share,
                      FsDisposition disposition, uint64_t now);

private:
    std::shared_ptr<FsNode> root_;
};

} // namespace sim
