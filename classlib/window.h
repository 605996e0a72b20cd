// CWnd, the library's object for one window, and the message maps through
// which bound windows answer their messages.
//
// One window procedure, VekWindowProc, serves every window the library
// manages: the class procedure of its own window class "VEK_WINDOW", the
// dialog procedure of every dialog, and the replacement procedure of
// subclassed controls. It binds a new window to its object at WM_CREATE or
// WM_INITDIALOG, dispatches through the object's message map and the maps of
// its base classes, and hands colour and owner-draw requests of child
// controls back to the controls themselves.
//
// A class's message map is written beside the class:
//
//   class CMyDlg : public CDialog {
//       ...
//       VEK_DECLARE_MESSAGE_MAP(CMyDlg)
//   };
//
//   VEK_BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       VEK_ON_COMMAND(101, OnBack)
//       VEK_ON_MESSAGE_VOID(WM_PAINT, OnPaint)
//   VEK_END_MESSAGE_MAP()
//
// Every handler named in a map is a virtual member function, so a derived
// class that overrides a handler gets its own version called through the
// base class's map.
#ifndef KV_CLASSLIB_WINDOW_H
#define KV_CLASSLIB_WINDOW_H

#include <windows.h>

#include <string.h>

#include "gdiobjects.h"
#include "object.h"
#include "strings.h"

class CWnd;
class CMenu;

// Private messages by which a parent hands a child's request back to the
// child: colours (the parent got a WM_CTLCOLOR message) and owner drawing
// (the parent got WM_DRAWITEM).
#define VEK_WM_REFLECT_CTLCOLOR 0xBC19
#define VEK_WM_REFLECT_DRAWITEM 0xBC2B

// How a handler is called; the values are part of the table format.
enum VekSignature {
    VekSigBrushFromDc = 5,     // void* handler(CDC*, unsigned id); result = brush
    VekSigLongFromParams = 9,  // long handler(int, long); result = value
    VekSigVoid = 11,           // void handler(); result unchanged
    VekSigVoidLowWord = 12,    // void handler(unsigned low word of wParam)
    VekSigVoidPointer = 28,    // void handler(pointer lParam); result = 1
    VekSigVoidParams = 29,     // void handler(unsigned, long); result = 1
    VekSigInt = 32             // int handler(); result = value
};

typedef void (CWnd::*VEK_PMSG)();

struct VEK_MSGMAP_ENTRY {
    unsigned nMessage;  // message the entry answers
    unsigned nCode;     // 0 = any; WM_COMMAND notification or WM_NOTIFY code
    unsigned nFirstId;  // 0 = no lower bound on the low word of wParam
    unsigned nLastId;   // 0 = no upper bound
    unsigned nSig;      // VekSignature
    VEK_PMSG pfn;       // null ends the array
};

struct VEK_MSGMAP {
    const VEK_MSGMAP* pBaseMap;
    const VEK_MSGMAP_ENTRY* lpEntries;
};

// A handler of any shape is kept in the table as a VEK_PMSG and turned back
// into its own shape by the dispatcher, which knows it from the entry's
// signature kind. All member-function pointers of one class have one size.
template <class To, class From>
inline To VekHandlerCast(From f)
{
    static_assert(sizeof(To) == sizeof(From), "member function pointers differ in size");
    To to;
    memcpy((void*)&to, (const void*)&f, sizeof(to));
    return to;
}

template <class T>
inline VEK_PMSG VekHandler5(void* (T::*f)(CDC*, unsigned))
{
    return VekHandlerCast<VEK_PMSG>(static_cast<void* (CWnd::*)(CDC*, unsigned)>(f));
}
template <class T>
inline VEK_PMSG VekHandler9(long (T::*f)(int, long))
{
    return VekHandlerCast<VEK_PMSG>(static_cast<long (CWnd::*)(int, long)>(f));
}
template <class T>
inline VEK_PMSG VekHandler11(void (T::*f)())
{
    return static_cast<VEK_PMSG>(f);
}
template <class T>
inline VEK_PMSG VekHandler12(void (T::*f)(unsigned))
{
    return VekHandlerCast<VEK_PMSG>(static_cast<void (CWnd::*)(unsigned)>(f));
}
template <class T, class P>
inline VEK_PMSG VekHandler28(void (T::*f)(P*))
{
    return VekHandlerCast<VEK_PMSG>(static_cast<void (CWnd::*)(P*)>(f));
}
template <class T>
inline VEK_PMSG VekHandler29(void (T::*f)(unsigned, long))
{
    return VekHandlerCast<VEK_PMSG>(static_cast<void (CWnd::*)(unsigned, long)>(f));
}
template <class T>
inline VEK_PMSG VekHandler32(int (T::*f)())
{
    return VekHandlerCast<VEK_PMSG>(static_cast<int (CWnd::*)()>(f));
}

#define VEK_DECLARE_MESSAGE_MAP(theClass)                \
public:                                                  \
    typedef theClass VekThisClass;                       \
    virtual const VEK_MSGMAP* GetMessageMap();           \
    static const VEK_MSGMAP _messageMap;                 \
    static const VEK_MSGMAP_ENTRY _messageEntries[];

#define VEK_BEGIN_MESSAGE_MAP(theClass, baseClass)                                       \
    const VEK_MSGMAP* theClass::GetMessageMap() { return &theClass::_messageMap; }       \
    const VEK_MSGMAP theClass::_messageMap = {&baseClass::_messageMap,                   \
                                              &theClass::_messageEntries[0]};            \
    const VEK_MSGMAP_ENTRY theClass::_messageEntries[] = {
#define VEK_END_MESSAGE_MAP() {0, 0, 0, 0, 0, 0}};

// The full entry: message, notification code, identifier range, kind (a
// number of VekSignature), handler.
#define VEK_ENTRY(msg, code, first, last, kind, fn) \
    {(unsigned)(msg), (unsigned)(code), (unsigned)(first), (unsigned)(last), kind, VekHandler##kind(&VekThisClass::fn)},

#define VEK_ON_MESSAGE_BRUSH(msg, fn) VEK_ENTRY(msg, 0, 0, 0, 5, fn)
#define VEK_ON_MESSAGE_LONG(msg, fn) VEK_ENTRY(msg, 0, 0, 0, 9, fn)
#define VEK_ON_MESSAGE_VOID(msg, fn) VEK_ENTRY(msg, 0, 0, 0, 11, fn)
#define VEK_ON_MESSAGE_WORD(msg, fn) VEK_ENTRY(msg, 0, 0, 0, 12, fn)
#define VEK_ON_MESSAGE_POINTER(msg, fn) VEK_ENTRY(msg, 0, 0, 0, 28, fn)
#define VEK_ON_MESSAGE_PARAMS(msg, fn) VEK_ENTRY(msg, 0, 0, 0, 29, fn)
#define VEK_ON_MESSAGE_INT(msg, fn) VEK_ENTRY(msg, 0, 0, 0, 32, fn)
// WM_COMMAND from one control, whatever its notification code.
#define VEK_ON_COMMAND(id, fn) VEK_ENTRY(WM_COMMAND, 0, id, id, 11, fn)
#define VEK_ON_COMMAND_RANGE(first, last, fn) VEK_ENTRY(WM_COMMAND, 0, first, last, 11, fn)
// WM_COMMAND from one control with one notification code.
#define VEK_ON_NOTIFICATION(code, id, fn) VEK_ENTRY(WM_COMMAND, code, id, id, 11, fn)
// WM_NOTIFY with one code from one control, handed (wParam, lParam).
#define VEK_ON_NOTIFY(code, id, fn) VEK_ENTRY(WM_NOTIFY, code, id, id, 29, fn)

// The block passed as creation parameter to window and dialog creation so
// that the window procedure finds the object: the record's size, then the
// object pointer, packed.
#pragma pack(push, 1)
struct VEK_CREATE_RECORD {
    WORD cbSize;
    CWnd* pWnd;
};
#pragma pack(pop)

LRESULT CALLBACK VekWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// VekWindowProc in the shape of a dialog procedure.
inline DLGPROC VekDialogProc()
{
    return (DLGPROC)(void (*)())VekWindowProc;
}

// The library's own window class.
#define VEK_WINDOW_CLASS "VEK_WINDOW"

class CWnd : public CObject
{
public:
    CWnd();
    virtual ~CWnd();

    virtual int Create(char* className, char* windowName, unsigned long style, int x, int y, int width,
                       int height, CWnd* parent, int id, void* param);
    virtual int PreCreateWindow() { return 1; }
    virtual int Attach(void* handle);
    virtual void* Detach();
    virtual void SubclassWindow(void* handle = 0);
    virtual void* UnsubclassWindow();
    virtual int IsWindowEnabled() { return ::IsWindowEnabled(m_hWnd); }
    virtual int EnableWindow(int enable) { return ::EnableWindow(m_hWnd, enable); }
    virtual void SetFocus() { ::SetFocus(m_hWnd); }
    virtual void SetTextColor(unsigned long colour) { m_crText = (COLORREF)colour; }
    virtual void SetBkColor(unsigned long colour) { m_crBk = (COLORREF)colour; }
    virtual void MoveWindow(int x, int y, int width, int height);
    virtual void MoveWindow(CRect& r);
    virtual void SetWindowPos(CWnd* insertAfter, int x, int y, int width, int height, int flags);
    virtual void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
    virtual void GetWindowRect(CRect& r);
    virtual void GetClientRect(CRect& r);
    virtual void SetActiveView(CWnd*, int) {}
    virtual CWnd* GetParent();
    virtual CWnd* GetDlgItem(int id);
    virtual int GetDlgCtrlID() { return ::GetDlgCtrlID(m_hWnd); }
    virtual void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    virtual int ShowWindow(int command);
    virtual CDC* GetWindowDC();
    virtual void Invalidate(int erase = 1) { ::InvalidateRect(m_hWnd, 0, erase); }
    virtual void SetWindowTextA(char* text);
    virtual void GetWindowTextA(char* buffer, int size) { ::GetWindowTextA(m_hWnd, buffer, size); }
    virtual CString& GetWindowTextA();
    virtual int GetWindowTextLengthA() { return ::GetWindowTextLengthA(m_hWnd); }
    virtual void SetFont(char* face, int size);
    virtual CMenu* GetMenu() { return 0; }
    virtual unsigned SetTimer(unsigned id, unsigned milliseconds, void* callback);
    virtual int KillTimer(unsigned id) { return ::KillTimer(m_hWnd, id); }
    virtual int MessageBoxA(const char* text, const char* caption, unsigned type);
    virtual LRESULT SendMessageA(unsigned message, WPARAM wParam, LPARAM lParam);
    virtual void PostMessageA(unsigned message, WPARAM wParam, LPARAM lParam);
    virtual void OnActivate() {}
    virtual void OnClose() {}
    virtual int OnCreate(CREATESTRUCTA*) { return 0; }
    virtual const VEK_MSGMAP* GetMessageMap() { return 0; }

    void DestroyWindow() { ::DestroyWindow(m_hWnd); }
    int ProcessMessageMap(const VEK_MSGMAP* map, unsigned message, WPARAM wParam, LPARAM lParam,
                          LRESULT* result);
    void ScreenToClient(POINT* p) { ::ScreenToClient(m_hWnd, p); }
    void ClientToScreen(POINT* p) { ::ClientToScreen(m_hWnd, p); }
    void ScreenToClient(CRect& r);
    void ClientToScreen(CRect& r);

    // The base of every map: no entries of its own. CWnd::GetMessageMap
    // returns null, so a plain window has no map at all.
    static const VEK_MSGMAP _messageMap;
    static const VEK_MSGMAP_ENTRY _messageEntries[];

    HWND m_hWnd;
    COLORREF m_crBk;
    COLORREF m_crText;
    WNDPROC m_pfnSuper;
    int m_bFrame;
    int m_bDialog;
    CWnd* m_pParentWnd;
    HWND m_hWndParent;
    CString m_strText;

private:
    CWnd(const CWnd&);
    void operator=(const CWnd&);
};

// Registers a window class of the library (VekWindowProc, 4 extra window
// bytes, arrow cursor, menu-coloured background) with the given icon.
int VekRegisterClass(const char* className, HICON icon);

// Case-insensitive comparison of a window's class name with name.
int VekIsClass(HWND hwnd, const char* name, int bufferSize);

#endif
