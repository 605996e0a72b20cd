// The directories of this machine, and the creation of the directories on
// the way to a file.
#include <windows.h>

#include "project.h"

#include <new>
#include <string.h>


void CProject::ReadDirectories()
{
    char buffer[256];
    buffer[0] = 0;
    GetWindowsDirectoryA(buffer, 255);
    buffer[255] = 0;
    m_strWindowsDir.CopyFrom(buffer);

    buffer[0] = 0;
    GetSystemDirectoryA(buffer, 255);
    buffer[255] = 0;
    m_strSystemDir.CopyFrom(buffer);

    // Without the registry value the program-files directory is the System
    // directory, the text the buffer already holds.
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        char value[257];
        DWORD size = 256;
        DWORD type = 0;
        memset(value, 0, sizeof(value));
        if (RegQueryValueExA(key, "ProgramFilesDir", 0, &type, (BYTE*)value, &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            value[255] = 0;
            strcpy(buffer, value);
        }
        RegCloseKey(key);
    }
    m_strProgramDir.CopyFrom(buffer);
}

void CProject::MakeDirectory(const char* path)
{
    CreateDirectoryA(path, 0);
}

static int IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

void CProject::BuildPath(char* path)
{
    int length = (int)strlen(path);
    int cut = length - 1;
    while (cut >= 0 && !IsSeparator(path[cut]))
        --cut;
    if (cut <= 0)
        return;

    char* built = new (std::nothrow) char[length + 3];
    if (!built)
        return;
    char separator = path[cut];
    path[cut] = 0;

    // A path from the root keeps its root; a network path (two separators,
    // server and share) keeps both and creates nothing for them.
    int n = 0;
    int fixed = 0;
    if (IsSeparator(path[0])) {
        built[n++] = '\\';
        if (IsSeparator(path[1])) {
            built[n++] = '\\';
            fixed = 2;
        }
    }
    built[n] = 0;

    char* p = path;
    while (*p) {
        while (IsSeparator(*p))
            ++p;
        if (!*p)
            break;
        char* start = p;
        while (*p && !IsSeparator(*p))
            ++p;
        memcpy(built + n, start, p - start);
        n += (int)(p - start);
        built[n] = 0;
        if (fixed > 0)
            --fixed;
        else if (!(start[0] && start[1] == ':') && start[0] != '.')
            MakeDirectory(built);
        built[n++] = '\\';
        built[n] = 0;
    }

    path[cut] = separator;
    delete[] built;
}
