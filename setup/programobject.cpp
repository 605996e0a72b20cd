// Program objects through the registry's Programs folder and the shell's
// link object.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "programobject.h"

#include <string.h>

#include "classlib/strings.h"
#include "package/macros.h"

#define KV_OBJECT_PATH 260

// Reads the current user's Programs folder into a buffer of 260 bytes.
// 0 when it is not there or does not fit.
static int ReadProgramsFolder(char* path)
{
    HKEY key = 0;
    path[0] = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    char value[KV_OBJECT_PATH + 1];
    DWORD size = KV_OBJECT_PATH;
    DWORD type = 0;
    memset(value, 0, sizeof(value));
    LONG result = RegQueryValueExA(key, "Programs", 0, &type, (BYTE*)value, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ || !value[0] ||
        strlen(value) >= KV_OBJECT_PATH)
        return 0;
    strcpy(path, value);
    return 1;
}

// Appends "\" and name to path when the result fits the buffer.
static int AppendPart(char* path, const char* name)
{
    size_t used = strlen(path);
    if (used + 1 + strlen(name) >= KV_OBJECT_PATH)
        return 0;
    path[used] = '\\';
    strcpy(path + used + 1, name);
    return 1;
}

int CreateProgramObject(const char* kind, const char* name, const char* target,
                        const char* arguments, const char* workingDirectory, const char* folder)
{
    char path[KV_OBJECT_PATH];
    CString folderKind((char*)"WPFolder");
    if (folderKind.EqualsIgnoreCase((char*)kind)) {
        if (!ReadProgramsFolder(path) || !AppendPart(path, name))
            return 0;
        CreateDirectoryA(path, 0);
        return 1;
    }

    int made = 0;
    CoInitialize(0);
    IShellLinkA* link = 0;
    if (CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         (void**)&link) == S_OK) {
        IPersistFile* persist = 0;
        link->QueryInterface(IID_IPersistFile, (void**)&persist);
        link->SetPath(target);
        link->SetArguments(arguments);
        link->SetDescription(name);
        link->SetWorkingDirectory(workingDirectory);
        if (StrFindNoCase((char*)target, ".exe"))
            link->SetIconLocation(target, 0);
        if (persist) {
            if (ReadProgramsFolder(path) && AppendPart(path, folder)) {
                CreateDirectoryA(path, 0);
                if (AppendPart(path, name) && strlen(path) + 4 < KV_OBJECT_PATH) {
                    strcat(path, ".lnk");
                    WCHAR wide[KV_OBJECT_PATH];
                    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, KV_OBJECT_PATH) > 0)
                        made = persist->Save(wide, TRUE) == S_OK;
                }
            }
            persist->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return made;
}
