// The Win32 file functions over the device file tree. Failures return the
// documented failure value and set the thread's last error.
#include <windows.h>

#include "kernel/Calendar.h"
#include "kernel/Context.h"
#include "kernel/FileSystem.h"
#include "kernel/Handles.h"

namespace sim {
namespace {

// An open file. Closing the last handle ends the opening at once, so its
// sharing stops restricting others even if the object itself lives on.
struct FileObject : KernelObject {
    explicit FileObject(std::shared_ptr<FsOpenFile> f) : file(std::move(f)) {}
    void LastHandleClosed() override { file.reset(); }
    std::shared_ptr<FsOpenFile> file;
};

DWORD ToError(FsStatus status) {
    switch (status) {
    case FsStatus::Ok: return ERROR_SUCCESS;
    case FsStatus::FileNotFound: return ERROR_FILE_NOT_FOUND;
    case FsStatus::PathNotFound: return ERROR_PATH_NOT_FOUND;
    case FsStatus::AlreadyExists: return ERROR_ALREADY_EXISTS;
    case FsStatus::InvalidName: return ERROR_INVALID_NAME;
    case FsStatus::PathTooLong: return ERROR_FILENAME_EXCED_RANGE;
    case FsStatus::AccessDenied: return ERROR_ACCESS_DENIED;
    case FsStatus::DirectoryNotEmpty: return ERROR_DIR_NOT_EMPTY;
    case FsStatus::SharingViolation: return ERROR_SHARING_VIOLATION;
    case FsStatus::NegativeSeek: return ERROR_NEGATIVE_SEEK;
    case FsStatus::TooLarge: return ERROR_DISK_FULL;
    }
    return ERROR_INVALID_PARAMETER;
}

// Reads a caller's path no further than one character past the longest
// allowed, so an unterminated or huge string is refused as too long rather
// than read to its end.
std::u16string_view PathOf(LPCWSTR path) {
    size_t length = 0;
    while (length <= FileSystem::kMaxPath && path[length])
        ++length;
    return std::u16string_view(path, length);
}

std::shared_ptr<FsOpenFile> FileOf(HANDLE handle) {
    auto object = CurrentHandles().Get<FileObject>(reinterpret_cast<uintptr_t>(handle));
    return object ? object->file : nullptr;
}

} // namespace
} // namespace sim

using namespace sim;

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition, DWORD, HANDLE) {
    sim::CountCall("CreateFileW");
    uint32_t fault;
    if (TakeFault(Fault::FileOpen, &fault)) {
        SetError(fault);
        return INVALID_HANDLE_VALUE;
    }
    FsDisposition disposition;
    switch (dwCreationDisposition) {
    case CREATE_NEW: disposition = FsDisposition::CreateNew; break;
    case CREATE_ALWAYS: disposition = FsDisposition::CreateAlways; break;
    case OPEN_EXISTING: disposition = FsDisposition::OpenExisting; break;
    case OPEN_ALWAYS: disposition = FsDisposition::OpenAlways; break;
    case TRUNCATE_EXISTING: disposition = FsDisposition::TruncateExisting; break;
    default: SetError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
    }
    FsAccess access{(dwDesiredAccess & GENERIC_READ) != 0, (dwDesiredAccess & GENERIC_WRITE) != 0};
    // Truncating needs write access.
    if (!lpFileName || (disposition == FsDisposition::TruncateExisting && !access.write)) {
        SetError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    FsShare share{(dwShareMode & FILE_SHARE_READ) != 0, (dwShareMode & FILE_SHARE_WRITE) != 0};
    FsOpenResult result =
        CurrentFiles().Open(PathOf(lpFileName), access, share, disposition, CurrentCalendar());
    if (result.status != FsStatus::Ok) {
        SetError(result.status == FsStatus::AlreadyExists ? ERROR_FILE_EXISTS
                                                          : ToError(result.status));
        return INVALID_HANDLE_VALUE;
    }
    uintptr_t handle =
        CurrentHandles().Add(std::make_shared<FileObject>(result.file), &CurrentProcess());
    bool reportExisting = result.existed && (disposition == FsDisposition::CreateAlways ||
                                             disposition == FsDisposition::OpenAlways);
    SetError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
    sim::CountCall("ReadFile");
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    auto file = FileOf(hFile);
    if (!file) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // The device has no overlapped file input.
    if (lpOverlapped || (!lpBuffer && nNumberOfBytesToRead != 0)) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t done = 0;
    FsStatus status = file->Read(lpBuffer, nNumberOfBytesToRead, &done);
    if (status != FsStatus::Ok) {
        SetError(ToError(status));
        return FALSE;
    }
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = DWORD(done);
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    sim::CountCall("WriteFile");
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    auto file = FileOf(hFile);
    if (!file) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpOverlapped || (!lpBuffer && nNumberOfBytesToWrite != 0)) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FsStatus status = file->Write(lpBuffer, nNumberOfBytesToWrite, CurrentCalendar());
    if (status != FsStatus::Ok) {
        SetError(ToError(status));
        return FALSE;
    }
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = nNumberOfBytesToWrite;
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    sim::CountCall("GetFileSize");
    auto file = FileOf(hFile);
    if (!file) {
        SetError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    uint64_t size = file->Size();
    if (lpFileSizeHigh)
        *lpFileSizeHigh = DWORD(size >> 32);
    return DWORD(size);
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
    sim::CountCall("SetFilePointer");
    auto file = FileOf(hFile);
    if (!file) {
        SetError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    FsSeekOrigin origin;
    switch (dwMoveMethod) {
    case FILE_BEGIN: origin = FsSeekOrigin::Begin; break;
    case FILE_CURRENT: origin = FsSeekOrigin::Current; break;
    case FILE_END: origin = FsSeekOrigin::End; break;
    default: SetError(ERROR_INVALID_PARAMETER); return INVALID_SET_FILE_POINTER;
    }
    // Without the high part the distance is a signed 32-bit value; with it,
    // the two form one signed 64-bit value.
    int64_t distance = lDistanceToMove;
    if (lpDistanceToMoveHigh)
        distance =
            int64_t(uint64_t(uint32_t(*lpDistanceToMoveHigh)) << 32 | uint32_t(lDistanceToMove));
    uint64_t position = 0;
    FsStatus status = file->Seek(distance, origin, &position);
    if (status != FsStatus::Ok) {
        SetError(status == FsStatus::TooLarge ? ERROR_INVALID_PARAMETER : ToError(status));
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh)
        *lpDistanceToMoveHigh = LONG(position >> 32);
    // 0xFFFFFFFF is also a valid position; a cleared error tells them apart.
    SetError(NO_ERROR);
    return DWORD(position);
}

BOOL WINAPI DeleteFileW(LPCWSTR lpFileName) {
    sim::CountCall("DeleteFileW");
    if (!lpFileName) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string_view path = PathOf(lpFileName);
    FsEntry entry;
    FsStatus status = CurrentFiles().Stat(path, &entry);
    // Directories are removed by RemoveDirectory, not here.
    if (status == FsStatus::Ok && entry.directory)
        status = FsStatus::AccessDenied;
    if (status == FsStatus::Ok)
        status = CurrentFiles().Delete(path);
    if (status != FsStatus::Ok) {
        SetError(ToError(status));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    sim::CountCall("CreateDirectoryW");
    if (!lpPathName) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FsStatus status = CurrentFiles().MakeDirectory(PathOf(lpPathName), CurrentCalendar());
    if (status != FsStatus::Ok) {
        SetError(ToError(status));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI RemoveDirectoryW(LPCWSTR lpPathName) {
    sim::CountCall("RemoveDirectoryW");
    if (!lpPathName) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string_view path = PathOf(lpPathName);
    FsEntry entry;
    FsStatus status = CurrentFiles().Stat(path, &entry);
    // Files are removed by DeleteFile; the name is no directory's.
    if (status == FsStatus::Ok && !entry.directory) {
        SetError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (status == FsStatus::Ok)
        status = CurrentFiles().Delete(path);
    if (status != FsStatus::Ok) {
        SetError(ToError(status));
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName) {
    sim::CountCall("GetFileAttributesW");
    if (!lpFileName) {
        SetError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    FsEntry entry;
    FsStatus status = CurrentFiles().Stat(PathOf(lpFileName), &entry);
    if (status != FsStatus::Ok) {
        SetError(ToError(status));
        return INVALID_FILE_ATTRIBUTES;
    }
    // A file written on the device is marked for backup, as the platform does.
    return entry.directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
}

static FILETIME ToFileTime(uint64_t calendarMs) {
    uint64_t units = calendarMs * kFileTimeUnitsPerMs;
    return FILETIME{DWORD(units), DWORD(units >> 32)};
}

// The device's file system keeps no access time; the platform reports the
// last write for it.
BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                        LPFILETIME lpLastWriteTime) {
    sim::CountCall("GetFileTime");
    auto file = FileOf(hFile);
    if (!file) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpCreationTime)
        *lpCreationTime = ToFileTime(file->Created());
    if (lpLastAccessTime)
        *lpLastAccessTime = ToFileTime(file->Written());
    if (lpLastWriteTime)
        *lpLastWriteTime = ToFileTime(file->Written());
    return TRUE;
}
