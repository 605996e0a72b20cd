// The private-profile functions over Windows .ini files: "[section]"
// lines, "key=value" lines and ";" comment lines, CR LF line ends. Names
// are compared without regard to case. A write replaces the file
// atomically, keeping every other line as it was.
#include <errno.h>
#include <fcntl.h>
#include <new>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>

#include "machine.h"

namespace {

// The lines of one profile file, without their line ends.
class CProfileLines
{
public:
    CProfileLines() : m_lines(0), m_count(0), m_capacity(0) {}
    ~CProfileLines()
    {
        for (int i = 0; i < m_count; i++)
            delete[] m_lines[i];
        delete[] m_lines;
    }

    int Count() const { return m_count; }
    const char* Line(int i) const { return m_lines[i]; }

    int Insert(int at, const char* text, size_t length)
    {
        if (m_count == m_capacity) {
            int capacity = m_capacity ? m_capacity * 2 : 64;
            char** lines = new (std::nothrow) char*[capacity];
            if (!lines)
                return 0;
            for (int i = 0; i < m_count; i++)
                lines[i] = m_lines[i];
            delete[] m_lines;
            m_lines = lines;
            m_capacity = capacity;
        }
        char* copy = new (std::nothrow) char[length + 1];
        if (!copy)
            return 0;
        memcpy(copy, text, length);
        copy[length] = 0;
        for (int i = m_count; i > at; i--)
            m_lines[i] = m_lines[i - 1];
        m_lines[at] = copy;
        m_count++;
        return 1;
    }

    void Remove(int at)
    {
        delete[] m_lines[at];
        for (int i = at; i + 1 < m_count; i++)
            m_lines[i] = m_lines[i + 1];
        m_count--;
    }

private:
    char** m_lines;
    int m_count;
    int m_capacity;
};

// A file name without a folder lives in the Windows directory.
int ProfileHostPath(const char* file, char* host, size_t size)
{
    char path[KV_HOST_PATH_MAX];
    if (!file || !file[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!strchr(file, '\\') && !strchr(file, '/') && !strchr(file, ':'))
        KvFormat(path, sizeof path, "%s\\%s", KV_WINDOWS_DIR, file);
    else
        KvFormat(path, sizeof path, "%s", file);
    return KvMapPath(path, host, size);
}

// Reads the file; a missing file has no lines. 1/0.
int LoadLines(const char* host, CProfileLines* lines)
{
    int fd = open(host, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return 0;
    }
    size_t size = (size_t)st.st_size;
    char* data = new (std::nothrow) char[size + 1];
    if (!data) {
        close(fd);
        return 0;
    }
    size_t got = KvReadFully(fd, data, size);
    close(fd);
    int ok = 1;
    size_t start = 0;
    for (size_t i = 0; ok && i <= got; i++) {
        if (i < got && data[i] != '\n')
            continue;
        if (i == got && start == got)
            break;
        size_t end = i;
        if (end > start && data[end - 1] == '\r')
            end--;
        ok = lines->Insert(lines->Count(), data + start, end - start);
        start = i + 1;
    }
    delete[] data;
    return ok;
}

int SaveLines(const char* host, const CProfileLines* lines)
{
    size_t size = 0;
    for (int i = 0; i < lines->Count(); i++)
        size += strlen(lines->Line(i)) + 2;
    char* data = new (std::nothrow) char[size + 1];
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    size_t used = 0;
    for (int i = 0; i < lines->Count(); i++) {
        size_t n = strlen(lines->Line(i));
        memcpy(data + used, lines->Line(i), n);
        used += n;
        data[used++] = '\r';
        data[used++] = '\n';
    }
    int ok = KvWriteFileAtomic(host, data, used);
    if (!ok)
        KvSetErrorFromErrno(errno, host);
    delete[] data;
    return ok;
}

const char* SkipBlanks(const char* p)
{
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

size_t TrimmedLength(const char* p, size_t n)
{
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t'))
        n--;
    return n;
}

// The name of a "[section]" line, or null for other lines.
const char* SectionName(const char* line, size_t* length)
{
    const char* p = SkipBlanks(line);
    if (*p != '[')
        return 0;
    p = SkipBlanks(p + 1);
    const char* end = strchr(p, ']');
    *length = TrimmedLength(p, end ? (size_t)(end - p) : strlen(p));
    return p;
}

// The key of a key line (text before "=", or the whole line), or null for
// blank, comment and section lines. value points after the "=".
const char* KeyName(const char* line, size_t* length, const char** value)
{
    const char* p = SkipBlanks(line);
    if (!*p || *p == ';' || *p == '[')
        return 0;
    const char* equals = strchr(p, '=');
    *length = TrimmedLength(p, equals ? (size_t)(equals - p) : strlen(p));
    *value = equals ? equals + 1 : p + strlen(p);
    return p;
}

int SameName(const char* a, size_t length, const char* b)
{
    size_t blength = TrimmedLength(SkipBlanks(b), strlen(SkipBlanks(b)));
    return length == blength && strncasecmp(a, SkipBlanks(b), length) == 0;
}

// Line index of a section's header, or -1; *end is the first line after it.
int FindSection(const CProfileLines& lines, const char* section, int* end)
{
    for (int i = 0; i < lines.Count(); i++) {
        size_t length;
        const char* name = SectionName(lines.Line(i), &length);
        if (!name || !SameName(name, length, section))
            continue;
        int j = i + 1;
        while (j < lines.Count() && !SectionName(lines.Line(j), &length))
            j++;
        *end = j;
        return i;
    }
    return -1;
}

int FindKey(const CProfileLines& lines, int from, int to, const char* key, const char** value)
{
    const char* wanted = SkipBlanks(key);
    size_t wantedLength = TrimmedLength(wanted, strlen(wanted));
    for (int i = from; i < to; i++) {
        size_t length;
        const char* name = KeyName(lines.Line(i), &length, value);
        if (name && length == wantedLength && strncasecmp(name, wanted, length) == 0)
            return i;
    }
    return -1;
}

// Adds one NUL-terminated name to a double-NUL list; 0 once it is full.
int AddToList(char* buffer, DWORD size, DWORD* used, const char* name, size_t length)
{
    if (*used + length + 2 > size) {
        size_t room = size - *used >= 2 ? size - *used - 2 : 0;
        memcpy(buffer + *used, name, room);
        *used += (DWORD)room;
        buffer[(*used)++] = 0;
        buffer[*used] = 0;
        return 0;
    }
    memcpy(buffer + *used, name, length);
    *used += (DWORD)length;
    buffer[(*used)++] = 0;
    buffer[*used] = 0;
    return 1;
}

} // namespace

extern "C" DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer,
                                                 DWORD size, LPCSTR file)
{
    if (!buffer || size == 0)
        return 0;
    buffer[0] = 0;
    char host[KV_HOST_PATH_MAX];
    CProfileLines lines;
    int loaded = ProfileHostPath(file, host, sizeof host) && LoadLines(host, &lines);
    if (!section || !key) {
        // Lists: the section names, or the keys of one section, each ended
        // by a NUL, the list by a second NUL.
        if (size < 2) {
            buffer[0] = 0;
            return 0;
        }
        DWORD used = 0;
        buffer[1] = 0;
        int from = 0;
        int to = loaded ? lines.Count() : 0;
        if (section && loaded) {
            from = FindSection(lines, section, &to) + 1;
            if (from == 0)
                to = 0;
        }
        for (int i = from; i < to; i++) {
            size_t length;
            const char* value;
            const char* name = section ? KeyName(lines.Line(i), &length, &value) : SectionName(lines.Line(i), &length);
            if (name && !AddToList(buffer, size, &used, name, length))
                return size - 2;
        }
        return used;
    }
    const char* text = 0;
    size_t length = 0;
    char* quoted = 0;
    if (loaded) {
        int end;
        int start = FindSection(lines, section, &end);
        const char* value;
        int line = start >= 0 ? FindKey(lines, start + 1, end, key, &value) : -1;
        if (line >= 0) {
            text = SkipBlanks(value);
            length = TrimmedLength(text, strlen(text));
            // A value in matching quotes is given without them.
            if (length >= 2 && (text[0] == '"' || text[0] == '\'') && text[length - 1] == text[0]) {
                text++;
                length -= 2;
            }
            (void)quoted;
        }
    }
    if (!text) {
        text = defaultText ? defaultText : "";
        length = TrimmedLength(text, strlen(text));
        SetLastError(ERROR_FILE_NOT_FOUND);
    } else {
        SetLastError(0);
    }
    if (length >= size)
        length = size - 1;
    memcpy(buffer, text, length);
    buffer[length] = 0;
    return (DWORD)length;
}

extern "C" UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR file)
{
    char text[256];
    char marker[] = "\x01";
    GetPrivateProfileStringA(section, key, marker, text, sizeof text, file);
    if (!strcmp(text, marker))
        return (UINT)defaultValue;
    // Decimal, or hexadecimal after "0x"; text after the number is ignored
    // and a value that is no number reads as 0.
    const char* p = text;
    int negative = 0;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    unsigned long long value = 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        for (p += 2;; p++) {
            int digit = *p >= '0' && *p <= '9' ? *p - '0'
                        : (*p | 0x20) >= 'a' && (*p | 0x20) <= 'f' ? (*p | 0x20) - 'a' + 10
                                                                   : -1;
            if (digit < 0)
                break;
            value = (value * 16 + (unsigned)digit) & 0xFFFFFFFFULL;
        }
    } else {
        for (; *p >= '0' && *p <= '9'; p++)
            value = (value * 10 + (unsigned)(*p - '0')) & 0xFFFFFFFFULL;
    }
    UINT result = (UINT)value;
    return negative ? (UINT)(0u - result) : result;
}

extern "C" BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    if (!section) {
        // With everything null this only flushes a cache we do not keep.
        return !key && !value ? TRUE : FALSE;
    }
    char host[KV_HOST_PATH_MAX];
    if (!ProfileHostPath(file, host, sizeof host))
        return FALSE;
    CProfileLines lines;
    if (!LoadLines(host, &lines)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    int end = 0;
    int start = FindSection(lines, section, &end);
    if (!key) {
        // Removes the whole section.
        if (start < 0)
            return TRUE;
        for (int i = end - 1; i >= start; i--)
            lines.Remove(i);
        return SaveLines(host, &lines);
    }
    const char* old;
    int line = start >= 0 ? FindKey(lines, start + 1, end, key, &old) : -1;
    if (!value) {
        if (line < 0)
            return TRUE;
        lines.Remove(line);
        return SaveLines(host, &lines);
    }
    const char* keyText = SkipBlanks(key);
    size_t keyLength = TrimmedLength(keyText, strlen(keyText));
    char* text = 0;
    size_t length = keyLength + 1 + strlen(value);
    text = new (std::nothrow) char[length + 1];
    if (!text) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    int ok = 1;
    if (line >= 0) {
        // The key keeps the spelling it has in the file.
        size_t oldLength;
        const char* oldValue;
        const char* oldName = KeyName(lines.Line(line), &oldLength, &oldValue);
        KvFormat(text, length + 1, "%.*s=%s", (int)keyLength, keyText, value);
        if (oldName && oldLength == keyLength)
            memcpy(text, oldName, keyLength);
        lines.Remove(line);
        ok = lines.Insert(line, text, strlen(text));
    } else {
        KvFormat(text, length + 1, "%.*s=%s", (int)keyLength, keyText, value);
        if (start < 0) {
            if (lines.Count() > 0 && lines.Line(lines.Count() - 1)[0])
                ok = lines.Insert(lines.Count(), "", 0);
            size_t sectionLength = strlen(section) + 2;
            char* header = new (std::nothrow) char[sectionLength + 1];
            ok = ok && header;
            if (ok) {
                KvFormat(header, sectionLength + 1, "[%s]", section);
                ok = lines.Insert(lines.Count(), header, strlen(header));
            }
            delete[] header;
            ok = ok && lines.Insert(lines.Count(), text, strlen(text));
        } else {
            // After the section's last non-blank line.
            int at = end;
            while (at > start + 1 && !SkipBlanks(lines.Line(at - 1))[0])
                at--;
            ok = lines.Insert(at, text, strlen(text));
        }
    }
    delete[] text;
    if (!ok) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return SaveLines(host, &lines);
}
