// The registry of the machine: HKEY_LOCAL_MACHINE in <prefix>/system.reg,
// HKEY_CURRENT_USER in <prefix>/user.reg. Every call reads the file under a
// lock and every change writes it back whole through a temporary file and
// a rename, so another process always finds a complete registry, also when
// a writer is killed halfway, and two processes never lose each other's
// changes.
//
// File format, one item per line: a first line "KELVANE REGISTRY 1", then
// for each key a "[path]" line followed by its values as "name=type:data",
// and a last line "END". Names and data are kept byte for byte; bytes
// below 0x20 or above 0x7E and the characters % = [ ] : are written as %XX.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <new>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>

#include "../kernel/machine.h"

namespace {

const char kHeader[] = "KELVANE REGISTRY 1";
const char kFooter[] = "END";

enum { kHiveMachine = 0, kHiveUser = 1, kPathMax = 1024, kMaxKeys = 512 };

unsigned char Fold(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return (unsigned char)(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return (unsigned char)(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E)
        return (unsigned char)(c - 16);
    if (c == 0xFF)
        return 0x9F;
    return c;
}

int EqualNoCase(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        if (Fold((unsigned char)a[i]) != Fold((unsigned char)b[i]))
            return 0;
        if (!a[i])
            return 1;
    }
    return 1;
}

int SameName(const char* a, const char* b)
{
    size_t n = strlen(a);
    return n == strlen(b) && EqualNoCase(a, b, n);
}

char* CopyBytes(const void* data, size_t size)
{
    char* copy = new (std::nothrow) char[size + 1];
    if (copy) {
        if (size)
            memcpy(copy, data, size);
        copy[size] = 0;
    }
    return copy;
}

struct CRegValue
{
    char* name;
    DWORD type;
    char* data;
    DWORD size;
};

class CRegKey
{
public:
    CRegKey() : m_path(0), m_values(0), m_count(0), m_capacity(0) {}
    ~CRegKey()
    {
        for (int i = 0; i < m_count; i++) {
            delete[] m_values[i].name;
            delete[] m_values[i].data;
        }
        delete[] m_values;
        delete[] m_path;
    }

    char* m_path;
    CRegValue* m_values;
    int m_count;
    int m_capacity;

    int Find(const char* name) const
    {
        for (int i = 0; i < m_count; i++) {
            if (SameName(m_values[i].name, name))
                return i;
        }
        return -1;
    }

    int Set(const char* name, DWORD type, const void* data, DWORD size)
    {
        char* copy = CopyBytes(data, size);
        if (!copy)
            return 0;
        int i = Find(name);
        if (i >= 0) {
            delete[] m_values[i].data;
        } else {
            if (m_count == m_capacity) {
                int capacity = m_capacity ? m_capacity * 2 : 8;
                CRegValue* values = new (std::nothrow) CRegValue[capacity];
                if (!values) {
                    delete[] copy;
                    return 0;
                }
                for (int j = 0; j < m_count; j++)
                    values[j] = m_values[j];
                delete[] m_values;
                m_values = values;
                m_capacity = capacity;
            }
            char* nameCopy = CopyBytes(name, strlen(name));
            if (!nameCopy) {
                delete[] copy;
                return 0;
            }
            i = m_count++;
            m_values[i].name = nameCopy;
        }
        m_values[i].type = type;
        m_values[i].data = copy;
        m_values[i].size = size;
        return 1;
    }

    void Remove(int i)
    {
        delete[] m_values[i].name;
        delete[] m_values[i].data;
        for (int j = i; j + 1 < m_count; j++)
            m_values[j] = m_values[j + 1];
        m_count--;
    }
};

// One hive as read from its file.
class CHive
{
public:
    CHive() : m_count(0), m_damaged(0) {}
    ~CHive()
    {
        for (int i = 0; i < m_count; i++)
            delete m_keys[i];
    }

    CRegKey* m_keys[kMaxKeys];
    int m_count;
    int m_damaged;

    int Find(const char* path) const
    {
        for (int i = 0; i < m_count; i++) {
            if (SameName(m_keys[i]->m_path, path))
                return i;
        }
        return -1;
    }

    CRegKey* Add(const char* path)
    {
        if (m_count == kMaxKeys)
            return 0;
        CRegKey* key = new (std::nothrow) CRegKey;
        if (!key)
            return 0;
        key->m_path = CopyBytes(path, strlen(path));
        if (!key->m_path) {
            delete key;
            return 0;
        }
        m_keys[m_count++] = key;
        return key;
    }

    // Creates the key and every missing key above it. Null on failure.
    CRegKey* Create(const char* path)
    {
        char prefix[kPathMax];
        size_t n = strlen(path);
        CRegKey* key = 0;
        for (size_t i = 0; i <= n; i++) {
            if (path[i] != '\\' && path[i] != 0)
                continue;
            memcpy(prefix, path, i);
            prefix[i] = 0;
            int at = Find(prefix);
            key = at >= 0 ? m_keys[at] : Add(prefix);
            if (!key)
                return 0;
        }
        return key;
    }

    // The index of the first direct subkey at or after from, or -1.
    int NextChild(const char* path, int from) const
    {
        size_t n = strlen(path);
        for (int i = from; i < m_count; i++) {
            const char* p = m_keys[i]->m_path;
            if (n == 0) {
                if (p[0] && !strchr(p, '\\'))
                    return i;
                continue;
            }
            if (strlen(p) > n + 1 && p[n] == '\\' && EqualNoCase(p, path, n) && !strchr(p + n + 1, '\\'))
                return i;
        }
        return -1;
    }

    void Remove(int i)
    {
        delete m_keys[i];
        for (int j = i; j + 1 < m_count; j++)
            m_keys[j] = m_keys[j + 1];
        m_count--;
    }
};

// Open keys: small numbers (multiples of 4) indexing this table.
struct COpenKey
{
    int used;
    int hive;
    char path[kPathMax];
};
COpenKey g_keys[256];

void HivePath(int hive, char* out, size_t size)
{
    KvFormat(out, size, "%s/%s", KvPrefix(), hive == kHiveMachine ? "system.reg" : "user.reg");
}

void AppendEscaped(char* out, size_t* used, const char* data, size_t size, int keepBackslash)
{
    static const char hex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < size; i++) {
        unsigned char c = (unsigned char)data[i];
        if (c < 0x20 || c > 0x7E || strchr("%=[]:", c) || (c == '\\' && !keepBackslash)) {
            out[(*used)++] = '%';
            out[(*used)++] = hex[c >> 4];
            out[(*used)++] = hex[c & 15];
        } else {
            out[(*used)++] = (char)c;
        }
    }
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Decodes escaped text in place; returns its length, or -1 when malformed.
long Unescape(char* text, size_t length)
{
    size_t out = 0;
    for (size_t i = 0; i < length; i++) {
        if (text[i] != '%') {
            text[out++] = text[i];
            continue;
        }
        if (i + 2 >= length)
            return -1;
        int high = HexValue(text[i + 1]);
        int low = high < 0 ? -1 : HexValue(text[i + 2]);
        if (low < 0)
            return -1;
        text[out++] = (char)(high * 16 + low);
        i += 2;
    }
    text[out] = 0;
    return (long)out;
}

int Parse(char* data, size_t size, CHive* hive)
{
    data[size] = 0;
    char* line = data;
    int sawHeader = 0;
    int sawFooter = 0;
    CRegKey* key = 0;
    while (line < data + size) {
        char* end = strchr(line, '\n');
        if (!end)
            return 0; // a last line without its line end: not a whole file
        *end = 0;
        if (end > line && end[-1] == '\r')
            end[-1] = 0;
        if (!sawHeader) {
            if (strcmp(line, kHeader) != 0)
                return 0;
            sawHeader = 1;
        } else if (sawFooter) {
            return 0;
        } else if (!strcmp(line, kFooter)) {
            sawFooter = 1;
        } else if (line[0] == '[') {
            size_t n = strlen(line);
            if (n < 2 || line[n - 1] != ']')
                return 0;
            line[n - 1] = 0;
            if (Unescape(line + 1, n - 2) < 0)
                return 0;
            key = hive->Find(line + 1) >= 0 ? 0 : hive->Add(line + 1);
            if (!key)
                return 0;
        } else if (line[0]) {
            char* equals = strchr(line, '=');
            char* colon = equals ? strchr(equals, ':') : 0;
            if (!key || !equals || !colon)
                return 0;
            *equals = 0;
            *colon = 0;
            long nameLength = Unescape(line, (size_t)(equals - line));
            char* stop = 0;
            unsigned long type = strtoul(equals + 1, &stop, 10);
            long dataLength = Unescape(colon + 1, strlen(colon + 1));
            if (nameLength < 0 || dataLength < 0 || stop != colon || (long)strlen(line) != nameLength)
                return 0;
            if (!key->Set(line, (DWORD)type, colon + 1, (DWORD)dataLength))
                return 0;
        }
        line = end + 1;
    }
    return sawHeader && sawFooter;
}

// The whole hive as file text; null when out of memory. *length gets its size.
char* Serialise(const CHive* hive, size_t* length)
{
    size_t size = sizeof kHeader + sizeof kFooter + 4;
    for (int i = 0; i < hive->m_count; i++) {
        const CRegKey* key = hive->m_keys[i];
        size += strlen(key->m_path) * 3 + 4;
        for (int j = 0; j < key->m_count; j++)
            size += (strlen(key->m_values[j].name) + key->m_values[j].size) * 3 + 16;
    }
    char* text = new (std::nothrow) char[size];
    if (!text)
        return 0;
    size_t used = 0;
    memcpy(text, kHeader, sizeof kHeader - 1);
    used = sizeof kHeader - 1;
    text[used++] = '\n';
    for (int i = 0; i < hive->m_count; i++) {
        const CRegKey* key = hive->m_keys[i];
        text[used++] = '[';
        AppendEscaped(text, &used, key->m_path, strlen(key->m_path), 1);
        text[used++] = ']';
        text[used++] = '\n';
        for (int j = 0; j < key->m_count; j++) {
            const CRegValue& v = key->m_values[j];
            AppendEscaped(text, &used, v.name, strlen(v.name), 0);
            used += (size_t)snprintf(text + used, 16, "=%u:", (unsigned)v.type);
            AppendEscaped(text, &used, v.data, v.size, 1);
            text[used++] = '\n';
        }
    }
    memcpy(text + used, kFooter, sizeof kFooter - 1);
    used += sizeof kFooter - 1;
    text[used++] = '\n';
    *length = used;
    return text;
}

// A hive read under the registry lock, held until the object goes.
class CHiveSession
{
public:
    CHiveSession() : m_hive(0), m_lock(-1), m_ok(0), m_error(ERROR_SUCCESS) {}

    CHiveSession(int hive, int writing) : m_hive(0), m_lock(-1), m_ok(0), m_error(ERROR_SUCCESS)
    {
        Open(hive, writing);
    }

    ~CHiveSession()
    {
        if (m_lock >= 0)
            close(m_lock);
    }

    // Takes the lock and reads the hive, once per session. 1/0.
    int Open(int hive, int writing)
    {
        m_hive = hive;
        char lockPath[KV_HOST_PATH_MAX];
        KvFormat(lockPath, sizeof lockPath, "%s/registry.lock", KvPrefix());
        m_lock = open(lockPath, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_lock < 0) {
            m_error = ERROR_CANTOPEN;
            return 0;
        }
        // Seeding a new hive writes it, so reading takes the write lock
        // until the hive exists.
        char path[KV_HOST_PATH_MAX];
        HivePath(hive, path, sizeof path);
        struct stat st;
        int exists = stat(path, &st) == 0;
        while (flock(m_lock, writing || !exists ? LOCK_EX : LOCK_SH) != 0) {
            if (errno != EINTR) {
                m_error = ERROR_CANTOPEN;
                return 0;
            }
        }
        m_ok = Load(path);
        return m_ok;
    }

    int Ok() const { return m_ok; }
    LONG Error() const { return m_error; }
    CHive& Hive() { return m_data; }

    LONG Save()
    {
        char path[KV_HOST_PATH_MAX];
        HivePath(m_hive, path, sizeof path);
        RemoveStaleTemporaries(path);
        size_t length;
        char* text = Serialise(&m_data, &length);
        if (!text)
            return ERROR_NOT_ENOUGH_MEMORY;
        int ok = KvWriteFileAtomic(path, text, length);
        delete[] text;
        return ok ? ERROR_SUCCESS : ERROR_CANTWRITE;
    }

private:
    // Temporary files of writers that were killed before their rename. With
    // the write lock held no writer is busy, so any such file is stale.
    static void RemoveStaleTemporaries(const char* path)
    {
        const char* slash = strrchr(path, '/');
        if (!slash)
            return;
        char folder[KV_HOST_PATH_MAX];
        size_t n = (size_t)(slash - path);
        memcpy(folder, path, n);
        folder[n] = 0;
        const char* base = slash + 1;
        size_t baseLength = strlen(base);
        DIR* dir = opendir(folder);
        if (!dir)
            return;
        struct dirent* entry;
        while ((entry = readdir(dir)) != 0) {
            if (strlen(entry->d_name) == baseLength + 7 && !strncmp(entry->d_name, base, baseLength) &&
                entry->d_name[baseLength] == '.') {
                char stale[KV_HOST_PATH_MAX];
                if (KvFormat(stale, sizeof stale, "%s/%s", folder, entry->d_name))
                    unlink(stale);
            }
        }
        closedir(dir);
    }

    int Load(const char* path)
    {
        int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno != ENOENT) {
                m_error = ERROR_CANTOPEN;
                return 0;
            }
            return Seed();
        }
        struct stat st;
        if (fstat(fd, &st) != 0) {
            close(fd);
            m_error = ERROR_CANTREAD;
            return 0;
        }
        size_t size = (size_t)st.st_size;
        char* data = new (std::nothrow) char[size + 1];
        if (!data) {
            close(fd);
            m_error = ERROR_NOT_ENOUGH_MEMORY;
            return 0;
        }
        size_t got = KvReadFully(fd, data, size);
        close(fd);
        int ok = got == size && Parse(data, size, &m_data);
        delete[] data;
        if (!ok)
            m_error = ERROR_BADDB; // never written by us: left as it is
        return ok;
    }

    // A new machine's registry: the program-files folder and the user's
    // Start-menu Programs folder.
    int Seed()
    {
        CRegKey* key;
        if (m_hive == kHiveMachine) {
            key = m_data.Create("SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
            if (!key || !key->Set("ProgramFilesDir", REG_SZ, KV_PROGRAM_FILES_DIR, sizeof KV_PROGRAM_FILES_DIR)) {
                m_error = ERROR_NOT_ENOUGH_MEMORY;
                return 0;
            }
        } else {
            const char* programs = KvProgramsFolder();
            key = m_data.Create("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
            if (!key || !key->Set("Programs", REG_SZ, programs, (DWORD)strlen(programs) + 1)) {
                m_error = ERROR_NOT_ENOUGH_MEMORY;
                return 0;
            }
        }
        m_error = Save();
        return m_error == ERROR_SUCCESS;
    }

    int m_hive;
    int m_lock;
    int m_ok;
    LONG m_error;
    CHive m_data;
};

// The hive and full path of key plus subKey; ERROR_SUCCESS or an error.
LONG Resolve(HKEY key, const char* subKey, int* hive, char* path)
{
    uintptr_t value = (uintptr_t)key;
    if (key == HKEY_LOCAL_MACHINE) {
        *hive = kHiveMachine;
        path[0] = 0;
    } else if (key == HKEY_CURRENT_USER) {
        *hive = kHiveUser;
        path[0] = 0;
    } else if (value && value % 4 == 0 && value / 4 <= 256 && g_keys[value / 4 - 1].used) {
        *hive = g_keys[value / 4 - 1].hive;
        strcpy(path, g_keys[value / 4 - 1].path);
    } else {
        return ERROR_INVALID_HANDLE;
    }
    if (!subKey)
        return ERROR_SUCCESS;
    size_t used = strlen(path);
    for (const char* p = subKey; *p;) {
        while (*p == '\\')
            p++;
        const char* start = p;
        while (*p && *p != '\\')
            p++;
        size_t n = (size_t)(p - start);
        if (n == 0)
            break;
        if (n > 255 || used + n + 2 > kPathMax)
            return ERROR_INVALID_PARAMETER;
        if (used)
            path[used++] = '\\';
        memcpy(path + used, start, n);
        used += n;
    }
    path[used] = 0;
    return ERROR_SUCCESS;
}

LONG NewKeyHandle(int hive, const char* path, PHKEY result)
{
    for (int i = 0; i < 256; i++) {
        if (g_keys[i].used)
            continue;
        g_keys[i].used = 1;
        g_keys[i].hive = hive;
        strcpy(g_keys[i].path, path);
        *result = (HKEY)(uintptr_t)((i + 1) * 4);
        return ERROR_SUCCESS;
    }
    return ERROR_NOT_ENOUGH_MEMORY;
}

// The key a handle names, inside a session; *error when it is gone.
CRegKey* KeyOf(CHiveSession& session, const char* path, LONG* error)
{
    int at = path[0] ? session.Hive().Find(path) : -1;
    if (path[0] && at < 0) {
        *error = ERROR_KEY_DELETED;
        return 0;
    }
    if (at < 0) {
        // A hive's root holds no values of its own here.
        *error = ERROR_FILE_NOT_FOUND;
        return 0;
    }
    return session.Hive().m_keys[at];
}

// The key a handle names, with its hive opened in session: the key, or null
// and *error.
CRegKey* OpenKeyOf(HKEY key, int writing, CHiveSession& session, LONG* error)
{
    int hive;
    char path[kPathMax];
    *error = Resolve(key, 0, &hive, path);
    if (*error != ERROR_SUCCESS)
        return 0;
    if (!session.Open(hive, writing)) {
        *error = session.Error();
        return 0;
    }
    return KeyOf(session, path, error);
}

} // namespace

extern "C" LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    (void)options;
    (void)access;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    int hive;
    char path[kPathMax];
    LONG error = Resolve(key, subKey, &hive, path);
    if (error != ERROR_SUCCESS)
        return error;
    CHiveSession session(hive, 0);
    if (!session.Ok())
        return session.Error();
    if (path[0] && session.Hive().Find(path) < 0)
        return ERROR_FILE_NOT_FOUND;
    // Keep the stored spelling of the path.
    int at = path[0] ? session.Hive().Find(path) : -1;
    return NewKeyHandle(hive, at >= 0 ? session.Hive().m_keys[at]->m_path : path, result);
}

extern "C" LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result)
{
    return RegOpenKeyExA(key, subKey, 0, KEY_ALL_ACCESS, result);
}

extern "C" LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                       REGSAM access, void* security, PHKEY result, LPDWORD disposition)
{
    (void)reserved;
    (void)keyClass;
    (void)options;
    (void)access;
    (void)security;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    int hive;
    char path[kPathMax];
    LONG error = Resolve(key, subKey, &hive, path);
    if (error != ERROR_SUCCESS)
        return error;
    if (!path[0])
        return NewKeyHandle(hive, path, result);
    CHiveSession session(hive, 1);
    if (!session.Ok())
        return session.Error();
    int at = session.Hive().Find(path);
    if (disposition)
        *disposition = at >= 0 ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    if (at < 0) {
        if (!session.Hive().Create(path))
            return ERROR_NOT_ENOUGH_MEMORY;
        error = session.Save();
        if (error != ERROR_SUCCESS)
            return error;
        at = session.Hive().Find(path);
    }
    return NewKeyHandle(hive, session.Hive().m_keys[at]->m_path, result);
}

extern "C" LONG WINAPI RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result)
{
    return RegCreateKeyExA(key, subKey, 0, 0, 0, KEY_ALL_ACCESS, 0, result, 0);
}

extern "C" LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                        LPDWORD size)
{
    (void)reserved;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    CHiveSession session;
    LONG error;
    CRegKey* entry = OpenKeyOf(key, 0, session, &error);
    if (!entry)
        return error;
    int at = entry->Find(name ? name : "");
    if (at < 0)
        return ERROR_FILE_NOT_FOUND;
    const CRegValue& v = entry->m_values[at];
    if (type)
        *type = v.type;
    if (!data) {
        if (size)
            *size = v.size;
        return ERROR_SUCCESS;
    }
    if (*size < v.size) {
        *size = v.size;
        return ERROR_MORE_DATA;
    }
    memcpy(data, v.data, v.size);
    // A string stored without its NUL still reads as a terminated string
    // when there is room.
    if ((v.type == REG_SZ || v.type == REG_EXPAND_SZ) && *size > v.size && (v.size == 0 || v.data[v.size - 1]))
        data[v.size] = 0;
    *size = v.size;
    return ERROR_SUCCESS;
}

extern "C" LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                      DWORD size)
{
    (void)reserved;
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    if (type == REG_DWORD && size != 4)
        return ERROR_INVALID_PARAMETER;
    CHiveSession session;
    LONG error;
    CRegKey* entry = OpenKeyOf(key, 1, session, &error);
    if (!entry)
        return error == ERROR_FILE_NOT_FOUND ? ERROR_ACCESS_DENIED : error;
    if (!entry->Set(name ? name : "", type, data, size))
        return ERROR_NOT_ENOUGH_MEMORY;
    return session.Save();
}

extern "C" LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name)
{
    CHiveSession session;
    LONG error;
    CRegKey* entry = OpenKeyOf(key, 1, session, &error);
    if (!entry)
        return error;
    int at = entry->Find(name ? name : "");
    if (at < 0)
        return ERROR_FILE_NOT_FOUND;
    entry->Remove(at);
    return session.Save();
}

extern "C" LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey)
{
    if (!subKey || !subKey[0])
        return ERROR_INVALID_PARAMETER;
    int hive;
    char path[kPathMax];
    LONG error = Resolve(key, subKey, &hive, path);
    if (error != ERROR_SUCCESS)
        return error;
    if (!path[0])
        return ERROR_ACCESS_DENIED;
    CHiveSession session(hive, 1);
    if (!session.Ok())
        return session.Error();
    int at = session.Hive().Find(path);
    if (at < 0)
        return ERROR_FILE_NOT_FOUND;
    // As on Windows: a key with subkeys stays.
    if (session.Hive().NextChild(session.Hive().m_keys[at]->m_path, 0) >= 0)
        return ERROR_ACCESS_DENIED;
    session.Hive().Remove(at);
    return session.Save();
}

extern "C" LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                                     LPSTR keyClass, LPDWORD classSize, FILETIME* lastWrite)
{
    (void)reserved;
    (void)keyClass;
    if (classSize)
        *classSize = 0;
    if (lastWrite)
        lastWrite->dwLowDateTime = lastWrite->dwHighDateTime = 0;
    if (!name || !nameSize)
        return ERROR_INVALID_PARAMETER;
    int hive;
    char path[kPathMax];
    LONG error = Resolve(key, 0, &hive, path);
    if (error != ERROR_SUCCESS)
        return error;
    CHiveSession session(hive, 0);
    if (!session.Ok())
        return session.Error();
    if (path[0] && session.Hive().Find(path) < 0)
        return ERROR_KEY_DELETED;
    int at = -1;
    for (DWORD i = 0; i <= index; i++) {
        at = session.Hive().NextChild(path, at + 1);
        if (at < 0)
            return ERROR_NO_MORE_ITEMS;
    }
    const char* full = session.Hive().m_keys[at]->m_path;
    const char* child = path[0] ? full + strlen(path) + 1 : full;
    DWORD length = (DWORD)strlen(child);
    if (*nameSize <= length) {
        *nameSize = length + 1;
        return ERROR_MORE_DATA;
    }
    memcpy(name, child, length + 1);
    *nameSize = length;
    return ERROR_SUCCESS;
}

extern "C" LONG WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                                     LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    (void)reserved;
    if (!name || !nameSize || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    CHiveSession session;
    LONG error;
    CRegKey* entry = OpenKeyOf(key, 0, session, &error);
    if (!entry)
        return error == ERROR_FILE_NOT_FOUND ? ERROR_NO_MORE_ITEMS : error;
    if ((int)index >= entry->m_count)
        return ERROR_NO_MORE_ITEMS;
    const CRegValue& v = entry->m_values[index];
    DWORD length = (DWORD)strlen(v.name);
    if (*nameSize <= length || (data && *dataSize < v.size)) {
        *nameSize = length + 1;
        if (dataSize)
            *dataSize = v.size;
        return ERROR_MORE_DATA;
    }
    memcpy(name, v.name, length + 1);
    *nameSize = length;
    if (type)
        *type = v.type;
    if (data)
        memcpy(data, v.data, v.size);
    if (dataSize)
        *dataSize = v.size;
    return ERROR_SUCCESS;
}

extern "C" LONG WINAPI RegFlushKey(HKEY key)
{
    int hive;
    char path[kPathMax];
    return Resolve(key, 0, &hive, path);
}

extern "C" LONG WINAPI RegCloseKey(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    uintptr_t value = (uintptr_t)key;
    if (!value || value % 4 != 0 || value / 4 > 256 || !g_keys[value / 4 - 1].used)
        return ERROR_INVALID_HANDLE;
    g_keys[value / 4 - 1].used = 0;
    return ERROR_SUCCESS;
}
