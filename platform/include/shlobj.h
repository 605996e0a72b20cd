/* Shell subset of the POSIX build: the shell's link object (CLSID_ShellLink
 * with IShellLinkA and IPersistFile), which saves Windows shortcut (.lnk)
 * files. */
#ifndef KV_PLATFORM_SHLOBJ_H
#define KV_PLATFORM_SHLOBJ_H

#include "windef.h"
#include "winbase.h"
#include "objbase.h"

#define SLGP_SHORTPATH 0x1
#define SLGP_UNCPRIORITY 0x2
#define SLGP_RAWPATH 0x4
#define SLR_NO_UI 0x1
#define INFOTIPSIZE 1024

typedef struct _SHITEMID {
    USHORT cb;
    BYTE abID[1];
} SHITEMID;
typedef struct _ITEMIDLIST {
    SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;

extern "C" const CLSID CLSID_ShellLink;
extern "C" const IID IID_IShellLinkA;

struct IShellLinkA : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetPath(LPSTR file, int size, WIN32_FIND_DATAA* data, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDList(LPITEMIDLIST* list) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIDList(LPCITEMIDLIST list) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescription(LPSTR name, int size) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDescription(LPCSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPSTR directory, int size) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCSTR directory) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetArguments(LPSTR arguments, int size) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetArguments(LPCSTR arguments) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHotkey(WORD* hotkey) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHotkey(WORD hotkey) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetShowCmd(int* showCommand) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetShowCmd(int showCommand) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIconLocation(LPSTR iconPath, int size, int* index) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR iconPath, int index) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRelativePath(LPCSTR path, DWORD reserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE Resolve(HWND window, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPath(LPCSTR file) = 0;
};
typedef IShellLinkA* LPSHELLLINKA;
#define IShellLink IShellLinkA
#define IID_IShellLink IID_IShellLinkA

#endif
