// File handles: CreateFileA, ReadFile, WriteFile, SetFilePointer,
// CloseHandle and the handle-based file times, over host descriptors.
#include "handles.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <io.h>
#include <windows.h>

#include "machine.h"

namespace {

enum { kMaxHandles = 2048 };
KvFileHandle g_handles[kMaxHandles];
thread_local DWORD g_lastError = 0;

// FILETIME counts 100 ns steps from 1601-01-01; the host counts seconds
// from 1970-01-01.
const long long kEpochDifference = 11644473600LL;

void ToTimespec(const FILETIME* time, struct timespec* out)
{
    unsigned long long value = ((unsigned long long)time->dwHighDateTime << 32) | time->dwLowDateTime;
    // Zero and all ones both mean "leave this time as it is".
    if (value == 0 || value == 0xFFFFFFFFFFFFFFFFULL) {
        out->tv_sec = 0;
        out->tv_nsec = UTIME_OMIT;
        return;
    }
    out->tv_sec = (time_t)((long long)(value / 10000000ULL) - kEpochDifference);
    out->tv_nsec = (long)((value % 10000000ULL) * 100);
}

void FromTimespec(const struct timespec* time, FILETIME* out)
{
    long long seconds = (long long)time->tv_sec + kEpochDifference;
    unsigned long long value = seconds < 0 ? 0 : (unsigned long long)seconds * 10000000ULL +
                                                      (unsigned long long)time->tv_nsec / 100;
    out->dwLowDateTime = (DWORD)value;
    out->dwHighDateTime = (DWORD)(value >> 32);
}

void Reapply(KvFileHandle* entry)
{
    if (entry->stamped)
        futimens(entry->fd, entry->stamp);
}

} // namespace

extern "C" DWORD WINAPI GetLastError(void)
{
    return g_lastError;
}

extern "C" void WINAPI SetLastError(DWORD error)
{
    g_lastError = error;
}

KvFileHandle* KvLookUpHandle(HANDLE handle)
{
    uintptr_t value = (uintptr_t)handle;
    if (value == 0 || value % 4 != 0 || value / 4 > kMaxHandles || !g_handles[value / 4 - 1].used) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return &g_handles[value / 4 - 1];
}

HANDLE KvNewHandle(int fd, int ownsFd, int isFolder)
{
    for (int i = 0; i < kMaxHandles; i++) {
        if (g_handles[i].used)
            continue;
        KvFileHandle* entry = &g_handles[i];
        memset(entry, 0, sizeof *entry);
        entry->used = 1;
        entry->fd = fd;
        entry->ownsFd = ownsFd;
        entry->isFolder = isFolder;
        return (HANDLE)(uintptr_t)((i + 1) * 4);
    }
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return INVALID_HANDLE_VALUE;
}

HANDLE KvHandleForDescriptor(int fd)
{
    for (int i = 0; i < kMaxHandles; i++) {
        if (g_handles[i].used && !g_handles[i].ownsFd && g_handles[i].fd == fd)
            return (HANDLE)(uintptr_t)((i + 1) * 4);
    }
    return KvNewHandle(fd, 0, 0);
}

void KvReleaseDescriptor(int fd)
{
    for (int i = 0; i < kMaxHandles; i++) {
        if (g_handles[i].used && !g_handles[i].ownsFd && g_handles[i].fd == fd) {
            Reapply(&g_handles[i]);
            g_handles[i].used = 0;
        }
    }
}

extern "C" intptr_t _get_osfhandle(int fd)
{
    if (fd < 0 || fcntl(fd, F_GETFD) < 0) {
        errno = EBADF;
        return -1;
    }
    HANDLE handle = KvHandleForDescriptor(fd);
    return handle == INVALID_HANDLE_VALUE ? -1 : (intptr_t)handle;
}

extern "C" HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES attributes,
                                     DWORD disposition, DWORD flags, HANDLE templateFile)
{
    (void)share;
    (void)attributes;
    (void)templateFile;
    char host[KV_HOST_PATH_MAX];
    if (!KvMapPath(path, host, sizeof host))
        return INVALID_HANDLE_VALUE;
    int reading = (access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) != 0;
    int writing = (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
    int openFlags = O_CLOEXEC;
    int existsError = 0;
    switch (disposition) {
    case CREATE_NEW:
        openFlags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        openFlags |= O_CREAT | O_TRUNC;
        existsError = 1;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        openFlags |= O_CREAT;
        existsError = 1;
        break;
    case TRUNCATE_EXISTING:
        if (!writing) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        openFlags |= O_TRUNC;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    int existed = stat(host, &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) {
        // A folder opens only for its attributes and times, and only when
        // asked for with backup semantics.
        if (!(flags & FILE_FLAG_BACKUP_SEMANTICS) || (openFlags & (O_EXCL | O_TRUNC))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        int fd = open(host, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            KvSetErrorFromErrno(errno, host);
            return INVALID_HANDLE_VALUE;
        }
        HANDLE handle = KvNewHandle(fd, 1, 1);
        if (handle == INVALID_HANDLE_VALUE)
            close(fd);
        else
            SetLastError(existsError ? ERROR_ALREADY_EXISTS : 0);
        return handle;
    }
    if (writing && reading)
        openFlags |= O_RDWR;
    else if (writing || (openFlags & O_TRUNC))
        openFlags |= reading ? O_RDWR : O_WRONLY;
    else
        openFlags |= O_RDONLY;
    mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd = open(host, openFlags, mode);
    if (fd < 0) {
        if (errno == EEXIST)
            SetLastError(ERROR_FILE_EXISTS);
        else
            KvSetErrorFromErrno(errno, host);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = KvNewHandle(fd, 1, 0);
    if (handle == INVALID_HANDLE_VALUE) {
        close(fd);
        return handle;
    }
    SetLastError(existsError && existed ? ERROR_ALREADY_EXISTS : 0);
    return handle;
}

extern "C" BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped)
{
    (void)overlapped;
    if (read)
        *read = 0;
    KvFileHandle* entry = KvLookUpHandle(file);
    if (!entry)
        return FALSE;
    DWORD done = 0;
    while (done < count) {
        ssize_t n = ::read(entry->fd, (char*)buffer + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            KvSetErrorFromErrno(errno == EBADF ? EACCES : errno, 0);
            return FALSE;
        }
        if (n == 0)
            break;
        done += (DWORD)n;
    }
    if (read)
        *read = done;
    return TRUE;
}

extern "C" BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written,
                                 LPOVERLAPPED overlapped)
{
    (void)overlapped;
    if (written)
        *written = 0;
    KvFileHandle* entry = KvLookUpHandle(file);
    if (!entry)
        return FALSE;
    DWORD done = 0;
    while (done < count) {
        ssize_t n = ::write(entry->fd, (const char*)buffer + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            KvSetErrorFromErrno(n < 0 ? (errno == EBADF ? EACCES : errno) : ENOSPC, 0);
            if (written)
                *written = done;
            return FALSE;
        }
        done += (DWORD)n;
    }
    // Times set through this handle stay: writing does not move them.
    Reapply(entry);
    if (written)
        *written = done;
    return TRUE;
}

extern "C" DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method)
{
    KvFileHandle* entry = KvLookUpHandle(file);
    if (!entry)
        return INVALID_SET_FILE_POINTER;
    long long offset = distanceHigh ? (long long)(((unsigned long long)(DWORD)*distanceHigh << 32) | (DWORD)distance)
                                    : (long long)distance;
    int whence;
    switch (method) {
    case FILE_BEGIN:
        whence = SEEK_SET;
        break;
    case FILE_CURRENT:
        whence = SEEK_CUR;
        break;
    case FILE_END:
        whence = SEEK_END;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    off_t base = 0;
    if (whence == SEEK_CUR)
        base = lseek(entry->fd, 0, SEEK_CUR);
    else if (whence == SEEK_END)
        base = lseek(entry->fd, 0, SEEK_END);
    if (base < 0 || (long long)base + offset < 0) {
        if (base >= 0 && whence != SEEK_CUR)
            lseek(entry->fd, 0, SEEK_CUR);
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    off_t position = lseek(entry->fd, (off_t)((long long)base + offset), SEEK_SET);
    if (position < 0) {
        KvSetErrorFromErrno(errno, 0);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = (LONG)((unsigned long long)position >> 32);
    SetLastError(0);
    return (DWORD)position;
}

extern "C" BOOL WINAPI SetEndOfFile(HANDLE file)
{
    KvFileHandle* entry = KvLookUpHandle(file);
    if (!entry)
        return FALSE;
    off_t position = lseek(entry->fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(entry->fd, position) != 0) {
        KvSetErrorFromErrno(errno == EINVAL || errno == EBADF ? EACCES : errno, 0);
        return FALSE;
    }
    Reapply(entry);
    return TRUE;
}

extern "C" DWORD WINAPI GetFileSize(HANDLE file, LPDWORD sizeHigh)
{
    KvFileHandle* entry = KvLookUpHandle(file);
    struct stat st;
    if (!entry || fstat(entry->fd, &st) != 0) {
        if (entry)
            KvSetErrorFromErrno(errno, 0);
        return INVALID_FILE_SIZE;
    }
    if (sizeHigh)
        *sizeHigh = (DWORD)((unsigned long long)st.st_size >> 32);
    SetLastError(0);
    return (DWORD)st.st_size;
}

extern "C" BOOL WINAPI FlushFileBuffers(HANDLE file)
{
    KvFileHandle* entry = KvLookUpHandle(file);
    if (!entry)
        return FALSE;
    fsync(entry->fd);
    return TRUE;
}

extern "C" BOOL WINAPI CloseHandle(HANDLE object)
{
    KvFileHandle* entry = KvLookUpHandle(object);
    if (!entry)
        return FALSE;
    Reapply(entry);
    if (entry->ownsFd)
        close(entry->fd);
    entry->used = 0;
    return TRUE;
}

extern "C" BOOL WINAPI GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite)
{
    KvFileHandle* entry = KvLookUpHandle(file);
    if (!entry)
        return FALSE;
    struct stat st;
    if (fstat(entry->fd, &st) != 0) {
        KvSetErrorFromErrno(errno, 0);
        return FALSE;
    }
    if (creation) {
        // The host keeps no creation time it lets us set; the change time
        // comes closest to "when this file came into being" for a file we
        // wrote ourselves.
        struct statx sx;
        if (statx(entry->fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
            struct timespec birth;
            birth.tv_sec = (time_t)sx.stx_btime.tv_sec;
            birth.tv_nsec = (long)sx.stx_btime.tv_nsec;
            FromTimespec(&birth, creation);
        } else {
            FromTimespec(&st.st_ctim, creation);
        }
    }
    if (lastAccess)
        FromTimespec(&st.st_atim, lastAccess);
    if (lastWrite)
        FromTimespec(&st.st_mtim, lastWrite);
    return TRUE;
}

extern "C" BOOL WINAPI SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                                   const FILETIME* lastWrite)
{
    (void)creation;
    KvFileHandle* entry = KvLookUpHandle(file);
    if (!entry)
        return FALSE;
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = 0;
    times[0].tv_nsec = times[1].tv_nsec = UTIME_OMIT;
    if (lastAccess)
        ToTimespec(lastAccess, &times[0]);
    if (lastWrite)
        ToTimespec(lastWrite, &times[1]);
    if (futimens(entry->fd, times) != 0) {
        KvSetErrorFromErrno(errno, 0);
        return FALSE;
    }
    // Remember the times: Windows keeps times set through a handle even
    // when the handle writes afterwards, so they are put back after every
    // later write and when the handle is closed.
    for (int i = 0; i < 2; i++) {
        if (times[i].tv_nsec != UTIME_OMIT || !entry->stamped)
            entry->stamp[i] = times[i];
    }
    entry->stamped = 1;
    return TRUE;
}
