// Files and folders by name: CreateDirectoryA, RemoveDirectoryA,
// DeleteFileA, MoveFileA, CopyFileA, GetFileAttributesA, with the Windows
// rules the host does not have (no replacing rename, no removing a folder
// as a file).
#include <errno.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>

#include "machine.h"

namespace {

int CopyHostFile(const char* from, const char* to, int failIfExists)
{
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return -1;
    struct stat st;
    if (fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(in);
        errno = EACCES;
        return -1;
    }
    int out = open(to, O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC), st.st_mode & 0777);
    if (out < 0) {
        int saved = errno;
        close(in);
        errno = saved;
        return -1;
    }
    char buffer[65536];
    int ok = 1;
    for (;;) {
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = 0;
            break;
        }
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buffer + done, (size_t)(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ok = 0;
                break;
            }
            done += w;
        }
        if (!ok)
            break;
    }
    // Windows copies keep the last-write time.
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
    int saved = errno;
    close(in);
    if (close(out) != 0)
        ok = 0;
    if (!ok) {
        unlink(to);
        errno = saved ? saved : EIO;
        return -1;
    }
    return 0;
}

// The host path of a new name: its folder looked up as usual, its last
// component exactly as given, for a rename that only changes case.
int MapNewName(const char* windowsPath, char* host, size_t size)
{
    char folder[KV_HOST_PATH_MAX];
    KvFormat(folder, sizeof folder, "%s", windowsPath);
    size_t n = strlen(folder);
    while (n > 0 && (folder[n - 1] == '\\' || folder[n - 1] == '/'))
        folder[--n] = 0;
    char* cut = folder + n;
    while (cut > folder && cut[-1] != '\\' && cut[-1] != '/' && !(cut - folder == 2 && cut[-1] == ':'))
        cut--;
    char name[MAX_PATH * 3 + 1];
    if (!KvAnsiToUtf8(cut, name, sizeof name))
        return 0;
    size_t length = strlen(name);
    while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' '))
        name[--length] = 0;
    if (length == 0 || !strcmp(name, "..")) {
        return KvMapPath(windowsPath, host, size);
    }
    *cut = 0;
    char parent[KV_HOST_PATH_MAX];
    if (!KvMapPath(folder[0] ? folder : ".", parent, sizeof parent))
        return 0;
    int written = KvFormat(host, size, "%s%s%s", parent, strcmp(parent, "/") ? "/" : "", name);
    return written > 0 && (size_t)written < size;
}

// The host path of a name and the entry found there (a link itself, not
// what it points to); 1, or 0 with the last error set.
int MapAndLstat(const char* windowsPath, char* host, size_t size, struct stat* st)
{
    if (!KvMapPath(windowsPath, host, size))
        return 0;
    if (lstat(host, st) != 0) {
        KvSetErrorFromErrno(errno, host);
        return 0;
    }
    return 1;
}

} // namespace

extern "C" BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES attributes)
{
    (void)attributes;
    char host[KV_HOST_PATH_MAX];
    if (!KvMapPath(path, host, sizeof host))
        return FALSE;
    if (mkdir(host, 0777) != 0) {
        KvSetErrorFromErrno(errno == ENOENT ? ENOTDIR : errno, host);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI RemoveDirectoryA(LPCSTR path)
{
    char host[KV_HOST_PATH_MAX];
    struct stat st;
    if (!MapAndLstat(path, host, sizeof host, &st))
        return FALSE;
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (rmdir(host) != 0) {
        KvSetErrorFromErrno(errno == EEXIST ? ENOTEMPTY : errno, host);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI DeleteFileA(LPCSTR path)
{
    char host[KV_HOST_PATH_MAX];
    struct stat st;
    if (!MapAndLstat(path, host, sizeof host, &st))
        return FALSE;
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(host) != 0) {
        KvSetErrorFromErrno(errno, host);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI MoveFileA(LPCSTR existing, LPCSTR target)
{
    char from[KV_HOST_PATH_MAX];
    char to[KV_HOST_PATH_MAX];
    struct stat source;
    if (!MapAndLstat(existing, from, sizeof from, &source))
        return FALSE;
    if (!KvMapPath(target, to, sizeof to))
        return FALSE;
    struct stat present;
    if (lstat(to, &present) == 0) {
        // The same file under another case is a rename of its case only.
        if (present.st_dev != source.st_dev || present.st_ino != source.st_ino) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (!MapNewName(target, to, sizeof to))
            return FALSE;
        if (!strcmp(from, to))
            return TRUE;
        if (renameat(AT_FDCWD, from, AT_FDCWD, to) != 0) {
            KvSetErrorFromErrno(errno, to);
            return FALSE;
        }
        return TRUE;
    }
    // No replacing, even when another process creates the target meanwhile.
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return TRUE;
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // A file system without no-replace renames: a hard link fails on an
        // existing name just the same.
        if (!S_ISDIR(source.st_mode) && link(from, to) == 0) {
            unlink(from);
            return TRUE;
        }
        if (S_ISDIR(source.st_mode) && lstat(to, &present) != 0 && renameat(AT_FDCWD, from, AT_FDCWD, to) == 0)
            return TRUE;
        error = errno;
    }
    if (error == EXDEV) {
        // Another host file system: files are copied and the original
        // deleted, as Windows moves between drives; folders cannot move.
        if (S_ISDIR(source.st_mode)) {
            SetLastError(ERROR_NOT_SAME_DEVICE);
            return FALSE;
        }
        if (CopyHostFile(from, to, 1) != 0) {
            KvSetErrorFromErrno(errno, to);
            return FALSE;
        }
        unlink(from);
        return TRUE;
    }
    KvSetErrorFromErrno(error, to);
    return FALSE;
}

extern "C" BOOL WINAPI CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists)
{
    char from[KV_HOST_PATH_MAX];
    char to[KV_HOST_PATH_MAX];
    if (!KvMapPath(existing, from, sizeof from) || !KvMapPath(target, to, sizeof to))
        return FALSE;
    if (CopyHostFile(from, to, failIfExists) != 0) {
        KvSetErrorFromErrno(errno == EEXIST ? EEXIST : errno, errno == ENOENT ? from : to);
        if (GetLastError() == ERROR_ALREADY_EXISTS)
            SetLastError(ERROR_FILE_EXISTS);
        return FALSE;
    }
    return TRUE;
}

extern "C" DWORD WINAPI GetFileAttributesA(LPCSTR path)
{
    char host[KV_HOST_PATH_MAX];
    if (!KvMapPath(path, host, sizeof host))
        return INVALID_FILE_ATTRIBUTES;
    struct stat st;
    if (stat(host, &st) != 0) {
        KvSetErrorFromErrno(errno, host);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(st.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY;
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.st_mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}
