// COM for one thread and the shell's link object: CoInitialize,
// CoCreateInstance for CLSID_ShellLink, and the link with its IShellLinkA
// and IPersistFile interfaces. Save writes a Windows shortcut file.
#include <errno.h>
#include <fcntl.h>
#include <new>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <shlobj.h>
#include <windows.h>

#include "../kernel/machine.h"
#include "linkfile.h"

extern "C" const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
extern "C" const IID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
extern "C" const IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
extern "C" const CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
extern "C" const IID IID_IShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {

thread_local int g_comCount = 0;

void CopyText(char* target, size_t size, const char* source)
{
    size_t n = source ? strlen(source) : 0;
    if (n >= size)
        n = size - 1;
    if (n)
        memcpy(target, source, n);
    target[n] = 0;
}

HRESULT GetText(const char* text, LPSTR out, int size)
{
    if (!out || size <= 0)
        return E_INVALIDARG;
    CopyText(out, (size_t)size, text);
    return S_OK;
}

// UTF-16 file name to a 1252 Windows path. 1/0.
int WideToPath(LPCOLESTR wide, char* out, size_t size)
{
    size_t i = 0;
    for (; wide[i]; i++) {
        if (i + 1 >= size)
            return 0;
        int c = KvWideToAnsi(wide[i]);
        out[i] = c ? (char)c : '?';
    }
    out[i] = 0;
    return 1;
}

class CShellLink : public IShellLinkA, public IPersistFile
{
public:
    CShellLink() : m_references(1), m_dirty(0)
    {
        memset(&m_link, 0, sizeof m_link);
        m_link.showCommand = 1; // SW_SHOWNORMAL
        m_file[0] = 0;
    }
    virtual ~CShellLink() {}

    // IUnknown, shared by both interfaces.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object)
    {
        if (!object)
            return E_POINTER;
        *object = 0;
        if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IShellLinkA))
            *object = static_cast<IShellLinkA*>(this);
        else if (IsEqualGUID(iid, IID_IPersistFile) || IsEqualGUID(iid, IID_IPersist))
            *object = static_cast<IPersistFile*>(this);
        else
            return E_NOINTERFACE;
        m_references++;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release()
    {
        ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

    // IShellLinkA.
    HRESULT STDMETHODCALLTYPE GetPath(LPSTR file, int size, WIN32_FIND_DATAA* data, DWORD flags)
    {
        (void)flags;
        if (data) {
            memset(data, 0, sizeof *data);
            data->dwFileAttributes = m_link.attributes;
            data->ftCreationTime = m_link.creation;
            data->ftLastAccessTime = m_link.access;
            data->ftLastWriteTime = m_link.write;
            data->nFileSizeLow = m_link.size;
            const char* name = m_link.target + strlen(m_link.target);
            while (name > m_link.target && name[-1] != '\\' && name[-1] != '/')
                name--;
            CopyText(data->cFileName, sizeof data->cFileName, name);
        }
        HRESULT result = GetText(m_link.target, file, size);
        return result == S_OK && !m_link.target[0] ? S_FALSE : result;
    }
    HRESULT STDMETHODCALLTYPE GetIDList(LPITEMIDLIST* list)
    {
        // Targets are kept as paths; there is no item-ID list to give.
        if (list)
            *list = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetIDList(LPCITEMIDLIST list)
    {
        (void)list;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDescription(LPSTR name, int size) { return GetText(m_link.description, name, size); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCSTR name) { return Set(m_link.description, name); }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPSTR directory, int size)
    {
        return GetText(m_link.workingDirectory, directory, size);
    }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCSTR directory) { return Set(m_link.workingDirectory, directory); }
    HRESULT STDMETHODCALLTYPE GetArguments(LPSTR arguments, int size) { return GetText(m_link.arguments, arguments, size); }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCSTR arguments) { return Set(m_link.arguments, arguments); }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD* hotkey)
    {
        if (!hotkey)
            return E_INVALIDARG;
        *hotkey = m_link.hotkey;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD hotkey)
    {
        m_link.hotkey = hotkey;
        m_dirty = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int* showCommand)
    {
        if (!showCommand)
            return E_INVALIDARG;
        *showCommand = m_link.showCommand;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int showCommand)
    {
        m_link.showCommand = showCommand;
        m_dirty = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPSTR iconPath, int size, int* index)
    {
        if (index)
            *index = m_link.iconIndex;
        return GetText(m_link.iconLocation, iconPath, size);
    }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR iconPath, int index)
    {
        m_link.iconIndex = index;
        return Set(m_link.iconLocation, iconPath);
    }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCSTR path, DWORD reserved)
    {
        (void)path;
        (void)reserved;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Resolve(HWND window, DWORD flags)
    {
        (void)window;
        (void)flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetPath(LPCSTR file)
    {
        if (!file)
            return E_INVALIDARG;
        HRESULT result = Set(m_link.target, file);
        // The header records what the target is, when it exists.
        m_link.attributes = 0;
        m_link.size = 0;
        memset(&m_link.creation, 0, sizeof m_link.creation);
        memset(&m_link.access, 0, sizeof m_link.access);
        memset(&m_link.write, 0, sizeof m_link.write);
        HANDLE handle = CreateFileA(file, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, 0);
        if (handle != INVALID_HANDLE_VALUE) {
            GetFileTime(handle, &m_link.creation, &m_link.access, &m_link.write);
            m_link.size = GetFileSize(handle, 0);
            CloseHandle(handle);
            m_link.attributes = GetFileAttributesA(file);
            if (m_link.attributes == INVALID_FILE_ATTRIBUTES)
                m_link.attributes = 0;
        }
        return result;
    }

    // IPersistFile.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId)
    {
        if (!classId)
            return E_POINTER;
        *classId = CLSID_ShellLink;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsDirty() { return m_dirty ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, DWORD mode)
    {
        (void)mode;
        char path[MAX_PATH * 4];
        char host[KV_HOST_PATH_MAX];
        if (!fileName || !WideToPath(fileName, path, sizeof path))
            return E_INVALIDARG;
        if (!KvMapPath(path, host, sizeof host))
            return HRESULT_FROM_WIN32(GetLastError());
        int fd = open(host, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            KvSetErrorFromErrno(errno, host);
            return HRESULT_FROM_WIN32(GetLastError());
        }
        unsigned char data[16384];
        ssize_t n = read(fd, data, sizeof data);
        close(fd);
        KvLinkData link;
        if (n <= 0 || !KvDecodeLink(data, (size_t)n, &link))
            return E_FAIL;
        m_link = link;
        CopyText(m_file, sizeof m_file, path);
        m_dirty = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember)
    {
        char path[MAX_PATH * 4];
        if (fileName) {
            if (!WideToPath(fileName, path, sizeof path))
                return E_INVALIDARG;
        } else if (m_file[0]) {
            CopyText(path, sizeof path, m_file);
        } else {
            return E_INVALIDARG;
        }
        char host[KV_HOST_PATH_MAX];
        if (!KvMapPath(path, host, sizeof host))
            return HRESULT_FROM_WIN32(GetLastError());
        unsigned char* data = new (std::nothrow) unsigned char[16384];
        if (!data)
            return E_OUTOFMEMORY;
        size_t size = KvEncodeLink(&m_link, data, 16384);
        int ok = size > 0 && KvWriteFileAtomic(host, data, size);
        if (!ok)
            KvSetErrorFromErrno(size > 0 ? errno : EINVAL, host);
        delete[] data;
        if (!ok)
            return HRESULT_FROM_WIN32(GetLastError());
        if (remember || !fileName) {
            CopyText(m_file, sizeof m_file, path);
            m_dirty = 0;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR fileName)
    {
        (void)fileName;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName)
    {
        if (!fileName)
            return E_POINTER;
        *fileName = 0;
        size_t n = strlen(m_file);
        LPOLESTR copy = (LPOLESTR)CoTaskMemAlloc((n + 1) * sizeof(OLECHAR));
        if (!copy)
            return E_OUTOFMEMORY;
        for (size_t i = 0; i <= n; i++)
            copy[i] = KvAnsiToWide((unsigned char)m_file[i]);
        *fileName = copy;
        return m_file[0] ? S_OK : S_FALSE;
    }

private:
    HRESULT Set(char* field, LPCSTR text)
    {
        if (!text)
            return E_INVALIDARG;
        CopyText(field, KV_LINK_TEXT_MAX, text);
        m_dirty = 1;
        return S_OK;
    }

    ULONG m_references;
    int m_dirty;
    KvLinkData m_link;
    char m_file[MAX_PATH * 4];
};

} // namespace

extern "C" HRESULT WINAPI CoInitialize(LPVOID reserved)
{
    (void)reserved;
    return g_comCount++ == 0 ? S_OK : S_FALSE;
}

extern "C" void WINAPI CoUninitialize(void)
{
    if (g_comCount > 0)
        g_comCount--;
}

extern "C" HRESULT WINAPI CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID iid,
                                           LPVOID* object)
{
    if (!object)
        return E_POINTER;
    *object = 0;
    if (g_comCount == 0)
        return CO_E_NOTINITIALIZED;
    if (!IsEqualGUID(classId, CLSID_ShellLink) || !(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    CShellLink* link = new (std::nothrow) CShellLink;
    if (!link)
        return E_OUTOFMEMORY;
    HRESULT result = link->QueryInterface(iid, object);
    static_cast<IShellLinkA*>(link)->Release();
    return result;
}

extern "C" LPVOID WINAPI CoTaskMemAlloc(SIZE_T size)
{
    return malloc(size ? size : 1);
}

extern "C" void WINAPI CoTaskMemFree(LPVOID memory)
{
    free(memory);
}
