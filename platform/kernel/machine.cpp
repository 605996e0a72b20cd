// The machine in the prefix folder and the mapping of Windows paths to host
// paths. Windows paths are 1252 text with "\" or "/" separators, drive
// letters and names compared without regard to case; host names are UTF-8.
#include "machine.h"

#include <dirent.h>
#include <stdarg.h>
#include <new>
#include <stdio.h>
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>

namespace {

char g_prefix[KV_HOST_PATH_MAX];
char g_programs[MAX_PATH];
int g_ready = 0;

// 0x80-0x9F of code page 1252; the five unassigned bytes map to the C1
// control of the same value, as Windows converts them.
const WCHAR kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int AppendText(char* out, size_t size, size_t* used, const char* text, size_t length)
{
    if (*used + length + 1 > size)
        return 0;
    memcpy(out + *used, text, length);
    *used += length;
    out[*used] = 0;
    return 1;
}

// Folds a code point for case-insensitive comparison of names: the letters
// of code page 1252 go to upper case.
unsigned FoldCase(unsigned c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 32;
    if (c == 0xFF)
        return 0x178;
    if (c == 0x153 || c == 0x161 || c == 0x17E)
        return c - 1;
    return c;
}

// Next code point of UTF-8 text; a byte that does not start a valid
// sequence stands for itself (offset into a private range, so it never
// matches a real character).
unsigned NextCodePoint(const unsigned char** p)
{
    const unsigned char* s = *p;
    unsigned c = s[0];
    int extra = 0;
    if (c < 0x80) {
        *p = s + 1;
        return c;
    }
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        c &= 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        c &= 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        c &= 0x07;
    } else {
        *p = s + 1;
        return 0x110000 + s[0];
    }
    for (int i = 1; i <= extra; i++) {
        if ((s[i] & 0xC0) != 0x80) {
            *p = s + 1;
            return 0x110000 + s[0];
        }
        c = (c << 6) | (s[i] & 0x3F);
    }
    *p = s + 1 + extra;
    return c;
}

int NamesEqualNoCase(const char* a, const char* b)
{
    const unsigned char* p = (const unsigned char*)a;
    const unsigned char* q = (const unsigned char*)b;
    while (*p && *q) {
        if (FoldCase(NextCodePoint(&p)) != FoldCase(NextCodePoint(&q)))
            return 0;
    }
    return *p == 0 && *q == 0;
}

int PathExists(const char* hostPath)
{
    struct stat st;
    return lstat(hostPath, &st) == 0;
}

void BuildPrefix()
{
    const char* env = getenv("KV_PREFIX");
    if (env && env[0]) {
        KvFormat(g_prefix, sizeof g_prefix, "%s", env);
    } else {
        const char* home = getenv("HOME");
        if (!home || !home[0]) {
            struct passwd* pw = getpwuid(getuid());
            home = pw && pw->pw_dir ? pw->pw_dir : "/tmp";
        }
        KvFormat(g_prefix, sizeof g_prefix, "%s/.kelvane", home);
    }
    size_t n = strlen(g_prefix);
    while (n > 1 && g_prefix[n - 1] == '/')
        g_prefix[--n] = 0;

    // The user's folder is named after the host account; characters a
    // Windows name cannot hold become '_'.
    char user[64];
    const char* name = getenv("USER");
    if (!name || !name[0]) {
        struct passwd* pw = getpwuid(getuid());
        name = pw && pw->pw_name ? pw->pw_name : "user";
    }
    KvFormat(user, sizeof user, "%s", name);
    for (char* c = user; *c; c++) {
        if (strchr("\\/:*?\"<>|", *c) || (unsigned char)*c < 32 || (unsigned char)*c >= 128)
            *c = '_';
    }
    KvFormat(g_programs, sizeof g_programs,
             "C:\\Documents and Settings\\%s\\Start Menu\\Programs", user);
}

// Lexical form of a Windows path: drive letter and the list of name
// components after "." and ".." are resolved, as Windows does before it
// looks at the disk. Components are kept in host (UTF-8) form.
struct CPathParts
{
    char drive;
    int count;
    char* names[512];
    char text[KV_HOST_PATH_MAX * 2];
    size_t used;
};

int PushName(CPathParts* parts, const char* name, size_t length)
{
    if (parts->count >= 512 || parts->used + length + 1 > sizeof parts->text) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    char* slot = parts->text + parts->used;
    memcpy(slot, name, length);
    slot[length] = 0;
    parts->used += length + 1;
    parts->names[parts->count++] = slot;
    return 1;
}

// Adds the components of text, separated by "\" or "/". Windows names
// (fromWindows) are 1252 text and are checked for the characters Windows
// refuses; host names come from getcwd and are taken as they are.
int AddComponents(CPathParts* parts, const char* text, int fromWindows)
{
    const char* p = text;
    while (*p) {
        while (*p == '/' || (fromWindows && *p == '\\'))
            p++;
        if (!*p)
            break;
        const char* start = p;
        while (*p && *p != '/' && (!fromWindows || *p != '\\'))
            p++;
        size_t length = (size_t)(p - start);
        if (length == 1 && start[0] == '.')
            continue;
        if (length == 2 && start[0] == '.' && start[1] == '.') {
            if (parts->count > 0) {
                parts->count--;
                parts->used = (size_t)(parts->names[parts->count] - parts->text);
            }
            continue;
        }
        if (!fromWindows) {
            if (!PushName(parts, start, length))
                return 0;
            continue;
        }
        // Windows drops trailing dots and blanks of a name.
        while (length > 0 && (start[length - 1] == '.' || start[length - 1] == ' '))
            length--;
        if (length == 0)
            continue;
        char ansi[MAX_PATH + 1];
        if (length > MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        for (size_t i = 0; i < length; i++) {
            unsigned char c = (unsigned char)start[i];
            if (c < 32 || strchr("<>:\"|?*", c)) {
                SetLastError(ERROR_INVALID_NAME);
                return 0;
            }
            ansi[i] = (char)c;
        }
        ansi[length] = 0;
        char utf8[MAX_PATH * 3 + 1];
        if (!KvAnsiToUtf8(ansi, utf8, sizeof utf8)) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        if (!PushName(parts, utf8, strlen(utf8)))
            return 0;
    }
    return 1;
}

int SplitWindowsPath(const char* path, CPathParts* parts)
{
    parts->count = 0;
    parts->used = 0;
    parts->drive = 'Z';
    if (!path || !path[0]) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    // "\\?\C:\..." is a plain path with its parsing switched off.
    if ((path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
        path[2] == '?' && (path[3] == '\\' || path[3] == '/'))
        path += 4;
    if ((path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
        SetLastError(ERROR_BAD_NETPATH);
        return 0;
    }
    const char* rest = path;
    int relative = 1;
    if (((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z')) && path[1] == ':') {
        parts->drive = (char)(path[0] & ~0x20);
        rest = path + 2;
        // "X:name" is relative to the drive's current folder: the host's
        // current folder on Z:, the root on any other drive.
        relative = rest[0] != '\\' && rest[0] != '/' && parts->drive == 'Z';
    } else if (path[0] == '\\' || path[0] == '/') {
        relative = 0;
    }
    if (relative) {
        char cwd[KV_HOST_PATH_MAX];
        if (!getcwd(cwd, sizeof cwd)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return 0;
        }
        if (!AddComponents(parts, cwd, 0))
            return 0;
    }
    return AddComponents(parts, rest, 1);
}

// Host folder of a drive: C: and any drive with a drive_<letter> folder in
// the prefix, Z: is the host root.
int DriveRoot(char drive, char* root, size_t size)
{
    if (drive == 'Z') {
        root[0] = 0;
        return 1;
    }
    KvFormat(root, size, "%s/drive_%c", KvPrefix(), drive | 0x20);
    struct stat st;
    if (stat(root, &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    return 1;
}

} // namespace

const char* KvPrefix()
{
    if (!g_ready) {
        g_ready = 1;
        BuildPrefix();
        static const char* const folders[] = {
            "drive_c/WINDOWS/SYSTEM32",
            "drive_c/Program Files",
        };
        char host[KV_HOST_PATH_MAX];
        for (unsigned i = 0; i < sizeof folders / sizeof folders[0]; i++) {
            KvFormat(host, sizeof host, "%s/%s", g_prefix, folders[i]);
            KvMakeHostFolders(host);
        }
        // The Programs folder, below drive_c.
        char utf8[MAX_PATH * 3];
        KvAnsiToUtf8(g_programs + 3, utf8, sizeof utf8);
        for (char* c = utf8; *c; c++) {
            if (*c == '\\')
                *c = '/';
        }
        KvFormat(host, sizeof host, "%s/drive_c/%s", g_prefix, utf8);
        KvMakeHostFolders(host);
    }
    return g_prefix;
}

const char* KvProgramsFolder()
{
    KvPrefix();
    return g_programs;
}

int KvMapPath(const char* windowsPath, char* hostPath, size_t size)
{
    CPathParts* parts = new (std::nothrow) CPathParts;
    if (!parts) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    SetLastError(0);
    int ok = SplitWindowsPath(windowsPath, parts);
    char root[KV_HOST_PATH_MAX];
    if (ok)
        ok = DriveRoot(parts->drive, root, sizeof root);
    size_t used = 0;
    if (ok) {
        hostPath[0] = 0;
        ok = AppendText(hostPath, size, &used, root, strlen(root));
    }
    int lookUp = 1;
    for (int i = 0; ok && i < parts->count; i++) {
        const char* name = parts->names[i];
        size_t mark = used;
        ok = AppendText(hostPath, size, &used, "/", 1) && AppendText(hostPath, size, &used, name, strlen(name));
        if (!ok || !lookUp)
            continue;
        if (PathExists(hostPath))
            continue;
        // Not there in this case: look for the name in another case.
        hostPath[mark] = 0;
        DIR* dir = opendir(mark ? hostPath : "/");
        const char* found = 0;
        struct dirent* entry = 0;
        if (dir) {
            while ((entry = readdir(dir)) != 0) {
                if (NamesEqualNoCase(entry->d_name, name)) {
                    found = entry->d_name;
                    break;
                }
            }
        }
        used = mark;
        ok = AppendText(hostPath, size, &used, "/", 1) &&
             AppendText(hostPath, size, &used, found ? found : name, strlen(found ? found : name));
        if (dir)
            closedir(dir);
        if (!found)
            lookUp = 0;
    }
    if (ok && used == 0)
        ok = AppendText(hostPath, size, &used, "/", 1);
    if (!ok && GetLastError() == 0)
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
    delete parts;
    return ok;
}

int KvUnmapPath(const char* hostPath, char* windowsPath, size_t size)
{
    char full[KV_HOST_PATH_MAX];
    if (!realpath(hostPath, full)) {
        if (hostPath[0] == '/') {
            KvFormat(full, sizeof full, "%s", hostPath);
        } else {
            char cwd[KV_HOST_PATH_MAX];
            if (!getcwd(cwd, sizeof cwd))
                return 0;
            KvFormat(full, sizeof full, "%s/%s", strcmp(cwd, "/") ? cwd : "", hostPath);
        }
    }
    char driveC[KV_HOST_PATH_MAX];
    KvFormat(driveC, sizeof driveC, "%s/drive_c", KvPrefix());
    char realC[KV_HOST_PATH_MAX];
    if (realpath(driveC, realC))
        KvFormat(driveC, sizeof driveC, "%s", realC);
    size_t n = strlen(driveC);
    char drive = 'Z';
    const char* rest = full;
    if (strncmp(full, driveC, n) == 0 && (full[n] == '/' || full[n] == 0)) {
        drive = 'C';
        rest = full + n;
    }
    char ansi[KV_HOST_PATH_MAX];
    if (!KvUtf8ToAnsi(rest, ansi, sizeof ansi))
        return 0;
    if (strlen(ansi) + 4 > size)
        return 0;
    windowsPath[0] = drive;
    windowsPath[1] = ':';
    size_t used = 2;
    for (const char* c = ansi; *c; c++)
        windowsPath[used++] = *c == '/' ? '\\' : *c;
    if (used == 2)
        windowsPath[used++] = '\\';
    windowsPath[used] = 0;
    return 1;
}

void KvSetErrorFromErrno(int error, const char* hostPath)
{
    DWORD code;
    switch (error) {
    case 0:
        code = ERROR_SUCCESS;
        break;
    case ENOENT: {
        code = ERROR_FILE_NOT_FOUND;
        if (hostPath) {
            char parent[KV_HOST_PATH_MAX];
            KvFormat(parent, sizeof parent, "%s", hostPath);
            char* slash = strrchr(parent, '/');
            if (slash && slash != parent) {
                *slash = 0;
                struct stat st;
                if (stat(parent, &st) != 0 || !S_ISDIR(st.st_mode))
                    code = ERROR_PATH_NOT_FOUND;
            }
        }
        break;
    }
    case ENOTDIR:
        code = ERROR_PATH_NOT_FOUND;
        break;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EBUSY:
        code = ERROR_ACCESS_DENIED;
        break;
    case EROFS:
        code = ERROR_WRITE_PROTECT;
        break;
    case EEXIST:
        code = ERROR_ALREADY_EXISTS;
        break;
    case ENOTEMPTY:
        code = ERROR_DIR_NOT_EMPTY;
        break;
    case EMFILE:
    case ENFILE:
        code = ERROR_TOO_MANY_OPEN_FILES;
        break;
    case ENOSPC:
        code = ERROR_DISK_FULL;
        break;
    case ENAMETOOLONG:
        code = ERROR_FILENAME_EXCED_RANGE;
        break;
    case ENOMEM:
        code = ERROR_NOT_ENOUGH_MEMORY;
        break;
    case EXDEV:
        code = ERROR_NOT_SAME_DEVICE;
        break;
    case EBADF:
        code = ERROR_INVALID_HANDLE;
        break;
    case EINVAL:
        code = ERROR_INVALID_PARAMETER;
        break;
    default:
        code = ERROR_INVALID_FUNCTION;
        break;
    }
    SetLastError(code);
}

WCHAR KvAnsiToWide(unsigned char c)
{
    if (c >= 0x80 && c < 0xA0)
        return kHigh1252[c - 0x80];
    return c;
}

int KvWideToAnsi(WCHAR w)
{
    if (w < 0x80 || (w >= 0xA0 && w <= 0xFF))
        return w;
    for (int i = 0; i < 32; i++) {
        if (kHigh1252[i] == w)
            return 0x80 + i;
    }
    return 0;
}

int KvAnsiToUtf8(const char* ansi, char* utf8, size_t size)
{
    size_t used = 0;
    for (const unsigned char* p = (const unsigned char*)ansi; *p; p++) {
        unsigned c = KvAnsiToWide(*p);
        char bytes[3];
        size_t n;
        if (c < 0x80) {
            bytes[0] = (char)c;
            n = 1;
        } else if (c < 0x800) {
            bytes[0] = (char)(0xC0 | (c >> 6));
            bytes[1] = (char)(0x80 | (c & 0x3F));
            n = 2;
        } else {
            bytes[0] = (char)(0xE0 | (c >> 12));
            bytes[1] = (char)(0x80 | ((c >> 6) & 0x3F));
            bytes[2] = (char)(0x80 | (c & 0x3F));
            n = 3;
        }
        if (!AppendText(utf8, size, &used, bytes, n))
            return 0;
    }
    if (used == 0 && size > 0)
        utf8[0] = 0;
    return size > 0;
}

int KvUtf8ToAnsi(const char* utf8, char* ansi, size_t size)
{
    size_t used = 0;
    const unsigned char* p = (const unsigned char*)utf8;
    while (*p) {
        unsigned c = NextCodePoint(&p);
        int a = c < 0x10000 ? KvWideToAnsi((WCHAR)c) : 0;
        char b = a ? (char)a : '?';
        if (!AppendText(ansi, size, &used, &b, 1))
            return 0;
    }
    if (used == 0 && size > 0)
        ansi[0] = 0;
    return size > 0;
}

int KvMakeHostFolders(const char* hostPath)
{
    char path[KV_HOST_PATH_MAX];
    KvFormat(path, sizeof path, "%s", hostPath);
    for (char* p = path + 1; *p; p++) {
        if (*p != '/')
            continue;
        *p = 0;
        mkdir(path, 0777);
        *p = '/';
    }
    if (mkdir(path, 0777) == 0 || errno == EEXIST)
        return 1;
    return 0;
}

int KvWriteFileAtomic(const char* hostPath, const void* data, size_t size)
{
    char temp[KV_HOST_PATH_MAX];
    KvFormat(temp, sizeof temp, "%s.XXXXXX", hostPath);
    int fd = mkstemp(temp);
    if (fd < 0)
        return 0;
    const char* p = (const char*)data;
    size_t left = size;
    int ok = 1;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = 0;
            break;
        }
        p += n;
        left -= (size_t)n;
    }
    if (ok && fsync(fd) != 0)
        ok = 0;
    fchmod(fd, 0644);
    if (close(fd) != 0)
        ok = 0;
    if (ok && renameat(AT_FDCWD, temp, AT_FDCWD, hostPath) != 0)
        ok = 0;
    if (!ok)
        unlink(temp);
    return ok;
}

int KvFormat(char* out, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vsnprintf(out, size, format, args);
    va_end(args);
    return n >= 0 && (size_t)n < size;
}

size_t KvReadFully(int fd, void* data, size_t size)
{
    size_t got = 0;
    while (got < size) {
        ssize_t n = read(fd, (char*)data + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += (size_t)n;
    }
    return got;
}
