// The C streams of the machine: fopen and friends with Windows paths and
// the Windows text mode. A binary stream is an ordinary host stream; a text
// stream is a glibc cookie stream that turns "\n" into CR LF on the way out
// and CR LF into "\n" on the way in, and stops reading at Ctrl-Z, as the
// Windows C runtime does. Positions (ftell, fseek) of a text stream are
// positions in the file on disk, as on Windows.
#include <errno.h>
#include <fcntl.h>
#include <new>
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>

#include "handles.h"
#include "machine.h"

// The host's own calls behind the names our <stdio.h> takes over.
extern "C" int KvHostFclose(FILE* stream) __asm__("fclose");
extern "C" FILE* KvHostFreopen(const char* path, const char* mode, FILE* stream) __asm__("freopen");

namespace {

struct CTextStream
{
    int fd;
    int atEnd;            // Ctrl-Z or end of file seen
    size_t position;      // next unread byte in buffer
    size_t length;        // bytes in buffer
    char buffer[4096];
};

// Refills the read buffer, keeping the unread bytes. 0 at end of file.
int Refill(CTextStream* s)
{
    if (s->position > 0) {
        memmove(s->buffer, s->buffer + s->position, s->length - s->position);
        s->length -= s->position;
        s->position = 0;
    }
    for (;;) {
        ssize_t n = read(s->fd, s->buffer + s->length, sizeof s->buffer - s->length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 0;
        s->length += (size_t)n;
        return 1;
    }
}

ssize_t TextRead(void* cookie, char* out, size_t size)
{
    CTextStream* s = (CTextStream*)cookie;
    size_t done = 0;
    while (done < size && !s->atEnd) {
        if (s->position == s->length && !Refill(s)) {
            s->atEnd = 1;
            break;
        }
        char c = s->buffer[s->position];
        if (c == 0x1A) {
            s->atEnd = 1;
            break;
        }
        if (c == '\r') {
            // Needs the next byte to know whether this is a line end.
            if (s->position + 1 == s->length && !Refill(s)) {
                out[done++] = '\r';
                s->position++;
                continue;
            }
            if (s->buffer[s->position + 1] == '\n') {
                out[done++] = '\n';
                s->position += 2;
                continue;
            }
        }
        out[done++] = c;
        s->position++;
    }
    return (ssize_t)done;
}

// Drops read-ahead so the descriptor stands where the reader is.
void DropReadAhead(CTextStream* s)
{
    if (s->length > s->position)
        lseek(s->fd, -(off_t)(s->length - s->position), SEEK_CUR);
    s->position = s->length = 0;
}

int WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 0;
        data += n;
        size -= (size_t)n;
    }
    return 1;
}

ssize_t TextWrite(void* cookie, const char* data, size_t size)
{
    CTextStream* s = (CTextStream*)cookie;
    DropReadAhead(s);
    s->atEnd = 0;
    char chunk[4096];
    size_t used = 0;
    for (size_t i = 0; i < size; i++) {
        if (used + 2 > sizeof chunk) {
            if (!WriteAll(s->fd, chunk, used))
                return -1;
            used = 0;
        }
        if (data[i] == '\n')
            chunk[used++] = '\r';
        chunk[used++] = data[i];
    }
    if (used > 0 && !WriteAll(s->fd, chunk, used))
        return -1;
    return (ssize_t)size;
}

int TextSeek(void* cookie, off64_t* offset, int whence)
{
    CTextStream* s = (CTextStream*)cookie;
    off_t result;
    if (whence == SEEK_CUR && *offset == 0) {
        result = lseek(s->fd, 0, SEEK_CUR);
        if (result < 0)
            return -1;
        result -= (off_t)(s->length - s->position);
    } else {
        DropReadAhead(s);
        result = lseek(s->fd, *offset, whence);
        if (result < 0)
            return -1;
        s->atEnd = 0;
    }
    *offset = result;
    return 0;
}

int TextClose(void* cookie)
{
    CTextStream* s = (CTextStream*)cookie;
    int result = close(s->fd);
    delete s;
    return result;
}

// Parses a Windows C runtime mode: r, w or a, then any of + b t and the
// runtime's hint letters. 1/0.
int ParseMode(const char* mode, int* openFlags, int* binary)
{
    if (!mode)
        return 0;
    int access;
    int flags;
    switch (mode[0]) {
    case 'r':
        access = O_RDONLY;
        flags = 0;
        break;
    case 'w':
        access = O_WRONLY;
        flags = O_CREAT | O_TRUNC;
        break;
    case 'a':
        access = O_WRONLY;
        flags = O_CREAT | O_APPEND;
        break;
    default:
        return 0;
    }
    *binary = 0;
    for (const char* p = mode + 1; *p && *p != ','; p++) {
        switch (*p) {
        case '+':
            access = O_RDWR;
            break;
        case 'b':
            *binary = 1;
            break;
        case 't':
            *binary = 0;
            break;
        case 'x':
            flags |= O_EXCL;
            break;
        case 'c':
        case 'n':
        case 'N':
        case 'S':
        case 'R':
        case 'T':
        case ' ':
            break;
        default:
            return 0;
        }
    }
    *openFlags = access | flags | O_CLOEXEC;
    return 1;
}

// Host stream mode for fdopen of the same access.
const char* HostMode(int openFlags)
{
    int access = openFlags & O_ACCMODE;
    if (openFlags & O_APPEND)
        return access == O_RDWR ? "a+" : "a";
    if (access == O_RDWR)
        return "r+";
    return access == O_WRONLY ? "w" : "r";
}

FILE* OpenStream(const char* path, const char* mode)
{
    int openFlags;
    int binary;
    if (!ParseMode(mode, &openFlags, &binary)) {
        errno = EINVAL;
        return 0;
    }
    char host[KV_HOST_PATH_MAX];
    if (!KvMapPath(path, host, sizeof host)) {
        errno = GetLastError() == ERROR_FILENAME_EXCED_RANGE ? ENAMETOOLONG : ENOENT;
        if (GetLastError() == ERROR_INVALID_NAME)
            errno = EINVAL;
        return 0;
    }
    int fd = open(host, openFlags, 0666);
    if (fd < 0)
        return 0;
    // Windows opens no folder as a stream.
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        errno = EACCES;
        return 0;
    }
    FILE* stream;
    if (binary) {
        stream = fdopen(fd, HostMode(openFlags));
        if (!stream) {
            int saved = errno;
            close(fd);
            errno = saved;
            return 0;
        }
        // A descriptor number seen before belongs to this stream now.
        KvReleaseDescriptor(fd);
        return stream;
    }
    CTextStream* text = new (std::nothrow) CTextStream;
    if (!text) {
        close(fd);
        errno = ENOMEM;
        return 0;
    }
    text->fd = fd;
    text->atEnd = 0;
    text->position = text->length = 0;
    cookie_io_functions_t io;
    io.read = TextRead;
    io.write = TextWrite;
    io.seek = TextSeek;
    io.close = TextClose;
    stream = fopencookie(text, HostMode(openFlags), io);
    if (!stream) {
        close(fd);
        delete text;
        errno = ENOMEM;
        return 0;
    }
    // Unbuffered in glibc (the cookie buffers), so positions stay those of
    // the file on disk.
    setvbuf(stream, 0, _IONBF, 0);
    return stream;
}

int g_maxStreams = 512;

} // namespace

extern "C" FILE* kv_fopen(const char* path, const char* mode)
{
    return OpenStream(path, mode);
}

extern "C" FILE* kv_freopen(const char* path, const char* mode, FILE* stream)
{
    // The stream object stays the same, so it is reopened as a host stream
    // on the mapped file; glibc cannot turn an existing stream into a
    // translating one, so reopening keeps binary bytes in either mode.
    int openFlags;
    int binary;
    if (!ParseMode(mode, &openFlags, &binary)) {
        errno = EINVAL;
        return 0;
    }
    if (!path)
        return KvHostFreopen(0, HostMode(openFlags), stream);
    char host[KV_HOST_PATH_MAX];
    if (!KvMapPath(path, host, sizeof host)) {
        errno = ENOENT;
        return 0;
    }
    const char* hostMode = HostMode(openFlags);
    if ((openFlags & O_TRUNC) && !(openFlags & O_APPEND))
        hostMode = (openFlags & O_ACCMODE) == O_RDWR ? "w+" : "w";
    return KvHostFreopen(host, hostMode, stream);
}

extern "C" int kv_fclose(FILE* stream)
{
    int fd = fileno(stream);
    if (fd >= 0) {
        // Times set through the handle lent to this descriptor must outlast
        // the last buffered write.
        fflush(stream);
        KvReleaseDescriptor(fd);
    }
    return KvHostFclose(stream);
}

extern "C" int kv_remove(const char* path)
{
    // As on Windows: removes a file, never a folder.
    if (!DeleteFileA(path)) {
        errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
        return -1;
    }
    return 0;
}

extern "C" int kv_rename(const char* from, const char* to)
{
    // As on Windows: fails when the new name exists.
    if (!MoveFileA(from, to)) {
        DWORD error = GetLastError();
        errno = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? EEXIST
                : error == ERROR_ACCESS_DENIED                             ? EACCES
                                                                           : ENOENT;
        return -1;
    }
    return 0;
}

extern "C" int _setmaxstdio(int count)
{
    // The Windows C runtime accepts 20 up to 8192 streams.
    if (count < 20 || count > 8192)
        return -1;
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < (rlim_t)count) {
        if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < (rlim_t)count)
            return -1;
        limit.rlim_cur = (rlim_t)count;
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
            return -1;
    }
    g_maxStreams = count;
    return count;
}

extern "C" int _getmaxstdio(void)
{
    return g_maxStreams;
}

extern "C" UINT WINAPI SetHandleCount(UINT count)
{
    // Raises the process's limit on open files to at least count (never
    // lowers it) and reports the number now available.
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return count;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < (rlim_t)count) {
        rlim_t wanted = (rlim_t)count;
        if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < wanted)
            wanted = limit.rlim_max;
        limit.rlim_cur = wanted;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= (rlim_t)count)
        return count;
    return (UINT)limit.rlim_cur;
}
