// CWnd: window operations, binding, subclassing, placement, and the one
// window procedure with its map dispatch and reflection.
#include "window.h"

#include <commctrl.h>
#include <new>

#include "controls.h"
#include "framewnd.h"
#include "winapp.h"

const VEK_MSGMAP_ENTRY CWnd::_messageEntries[] = {{0, 0, 0, 0, 0, 0}};
const VEK_MSGMAP CWnd::_messageMap = {0, &CWnd::_messageEntries[0]};

// Tooltip texts are loaded into one buffer shared by the whole program; a
// text stays valid until the next request.
static char s_tooltipText[128];

CWnd::CWnd()
    : m_hWnd(0), m_crBk(0), m_crText(0), m_pfnSuper(0), m_bFrame(0), m_bDialog(0), m_pParentWnd(0),
      m_hWndParent(0)
{
}

// The window outlives its object unless someone destroys it.
CWnd::~CWnd()
{
}

int VekRegisterClass(const char* className, HICON icon)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.style = 0;
    wc.lpfnWndProc = VekWindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 4;
    wc.hInstance = VekAppInstance();
    wc.hIcon = icon;
    wc.hCursor = ::LoadCursorA(0, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(INT_PTR)(COLOR_MENU + 1);
    wc.lpszMenuName = 0;
    wc.lpszClassName = className;
    return ::RegisterClassA(&wc) != 0;
}

int VekIsClass(HWND hwnd, const char* name, int bufferSize)
{
    char buffer[128];
    if (bufferSize > (int)sizeof(buffer))
        bufferSize = (int)sizeof(buffer);
    buffer[0] = 0;
    if (!::GetClassNameA(hwnd, buffer, bufferSize))
        return 0;
    return lstrcmpiA(buffer, name) == 0;
}

int CWnd::Create(char* className, char* windowName, unsigned long style, int x, int y, int width, int height,
                 CWnd* parent, int id, void* param)
{
    const char* cls = className ? className : VEK_WINDOW_CLASS;
    WNDCLASSA wc;
    if (!::GetClassInfoA(VekAppInstance(), cls, &wc))
        VekRegisterClass(cls, 0);
    m_hWnd = ::CreateWindowExA(0, cls, windowName, (DWORD)style, x, y, width, height, parent ? parent->m_hWnd : 0,
                               (HMENU)(INT_PTR)id, VekAppInstance(), param);
    return m_hWnd != 0;
}

int CWnd::Attach(void* handle)
{
    m_hWnd = (HWND)handle;
    return 1;
}

void* CWnd::Detach()
{
    HWND old = m_hWnd;
    m_hWnd = 0;
    return old;
}

void CWnd::SubclassWindow(void* handle)
{
    if (handle)
        m_hWnd = (HWND)handle;
    if (!m_hWnd)
        return;
    m_pfnSuper = (WNDPROC)::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC);
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, (LONG_PTR)this);
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)VekWindowProc);
}

void* CWnd::UnsubclassWindow()
{
    if (m_pfnSuper) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    }
    return m_hWnd;
}

void CWnd::MoveWindow(int x, int y, int width, int height)
{
    if (!m_hWnd)
        return;
    // Children of a tab control are placed in coordinates of its page area.
    if (VekIsClass(::GetParent(m_hWnd), "SysTabControl32", 128)) {
        x += 4;
        y += 24;
    }
    ::MoveWindow(m_hWnd, x, y, width, height, TRUE);
}

void CWnd::MoveWindow(CRect& r)
{
    if (!m_hWnd)
        return;
    MoveWindow(r.left, r.top, r.Width(), r.Height());
}

// y is measured upwards, from the bottom of the parent's client area to the
// bottom of the window.
void CWnd::SetWindowPos(CWnd* insertAfter, int x, int y, int width, int height, int flags)
{
    if (!m_hWnd)
        return;
    HWND parent = ::GetParent(m_hWnd);
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(parent, &client);
    int top = (client.bottom - client.top) - height - y;
    if (VekIsClass(parent, "SysTabControl32", 128)) {
        x += 4;
        top -= 4;
    }
    ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : 0, x, top, width, height, (UINT)flags);
}

void CWnd::GetWindowRect(CRect& r)
{
    if (!m_hWnd)
        return;
    RECT w;
    ::GetWindowRect(m_hWnd, &w);
    r.SetRect(w);
}

// A plain window reports its outer rectangle in screen coordinates here;
// dialogs and frames report their client area.
void CWnd::GetClientRect(CRect& r)
{
    if (!m_hWnd)
        return;
    RECT w;
    ::GetWindowRect(m_hWnd, &w);
    r.SetRect(w);
}

CWnd* CWnd::GetParent()
{
    if (!m_pParentWnd) {
        m_pParentWnd = new (std::nothrow) CWnd;
        if (m_pParentWnd)
            m_pParentWnd->Attach(::GetParent(m_hWnd));
    }
    return m_pParentWnd;
}

// A new wrapper at every call, owned by the caller.
CWnd* CWnd::GetDlgItem(int id)
{
    HWND child = ::GetDlgItem(m_hWnd, id);
    if (!child)
        return 0;
    char name[64];
    name[0] = 0;
    ::GetClassNameA(child, name, sizeof(name));
    CWnd* wrapper = 0;
    if (lstrcmpiA(name, "BUTTON") == 0)
        wrapper = new (std::nothrow) CButton;
    else if (lstrcmpiA(name, "EDIT") == 0)
        wrapper = new (std::nothrow) CEdit;
    else if (lstrcmpiA(name, "LISTBOX") == 0)
        wrapper = new (std::nothrow) CListBox;
    else if (lstrcmpiA(name, "STATIC") == 0)
        wrapper = new (std::nothrow) CStatic;
    if (wrapper)
        wrapper->m_hWnd = child;
    return wrapper;
}

int CWnd::ShowWindow(int command)
{
    if (m_hWnd)
        ::ShowWindow(m_hWnd, command);
    return 1;
}

CDC* CWnd::GetWindowDC()
{
    return new (std::nothrow) CWindowDC(this);
}

void CWnd::SetWindowTextA(char* text)
{
    if (m_hWnd)
        ::SetWindowTextA(m_hWnd, text);
}

CString& CWnd::GetWindowTextA()
{
    int n = ::GetWindowTextLengthA(m_hWnd);
    if (n < 0)
        n = 0;
    char* block = new (std::nothrow) char[n + 1];
    if (!block) {
        m_strText.Empty();
        return m_strText;
    }
    block[0] = 0;
    ::GetWindowTextA(m_hWnd, block, n + 1);
    block[n] = 0;
    m_strText = block;
    delete[] block;
    return m_strText;
}

// Every call makes a new font that lives until the process ends.
void CWnd::SetFont(char* face, int size)
{
    HDC dc = ::GetDC(m_hWnd);
    LOGFONTA lf;
    CFont::FillLogFont(&lf, face, size, 0);
    HFONT font = ::CreateFontIndirectA(&lf);
    ::SendMessageA(m_hWnd, WM_SETFONT, (WPARAM)font, 0);
    ::ReleaseDC(m_hWnd, dc);
}

unsigned CWnd::SetTimer(unsigned id, unsigned milliseconds, void* callback)
{
    return (unsigned)::SetTimer(m_hWnd, id, milliseconds, (TIMERPROC)callback);
}

int CWnd::MessageBoxA(const char* text, const char* caption, unsigned type)
{
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

LRESULT CWnd::SendMessageA(unsigned message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::PostMessageA(unsigned message, WPARAM wParam, LPARAM lParam)
{
    ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::ScreenToClient(CRect& r)
{
    POINT a = {r.left, r.top};
    POINT b = {r.right, r.bottom};
    ::ScreenToClient(m_hWnd, &a);
    ::ScreenToClient(m_hWnd, &b);
    r.SetRect(a.x, a.y, b.x, b.y);
}

void CWnd::ClientToScreen(CRect& r)
{
    POINT a = {r.left, r.top};
    POINT b = {r.right, r.bottom};
    ::ClientToScreen(m_hWnd, &a);
    ::ClientToScreen(m_hWnd, &b);
    r.SetRect(a.x, a.y, b.x, b.y);
}

static int EntryMatches(const VEK_MSGMAP_ENTRY* e, unsigned message, WPARAM wParam, LPARAM lParam)
{
    if (e->nMessage != message)
        return 0;
    unsigned id = LOWORD(wParam);
    if (e->nFirstId != 0 && id < e->nFirstId)
        return 0;
    if (e->nLastId != 0 && id > e->nLastId)
        return 0;
    if (e->nCode == 0)
        return 1;
    if (message == WM_NOTIFY)
        return lParam && (unsigned)((NMHDR*)lParam)->code == e->nCode;
    if (message == WM_COMMAND)
        return HIWORD(wParam) == e->nCode;
    return 1;
}

// Calls the handler of entry e as its kind prescribes; 0 for a kind the
// table format does not know.
static int CallHandler(CWnd* wnd, const VEK_MSGMAP_ENTRY* e, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (e->nSig) {
    case VekSigBrushFromDc: {
        CDC dc((void*)wParam);
        unsigned id = (unsigned)::GetDlgCtrlID((HWND)lParam);
        void* brush = (wnd->*VekHandlerCast<void* (CWnd::*)(CDC*, unsigned)>(e->pfn))(&dc, id);
        *result = (LRESULT)brush;
        return 1;
    }
    case VekSigLongFromParams:
        *result = (LRESULT)(wnd->*VekHandlerCast<long (CWnd::*)(int, long)>(e->pfn))((int)wParam, (long)lParam);
        return 1;
    case VekSigVoid:
        (wnd->*e->pfn)();
        return 1;
    case VekSigVoidLowWord:
        (wnd->*VekHandlerCast<void (CWnd::*)(unsigned)>(e->pfn))(LOWORD(wParam));
        return 1;
    case VekSigVoidPointer:
        (wnd->*VekHandlerCast<void (CWnd::*)(void*)>(e->pfn))((void*)lParam);
        *result = 1;
        return 1;
    case VekSigVoidParams:
        (wnd->*VekHandlerCast<void (CWnd::*)(unsigned, long)>(e->pfn))((unsigned)wParam, (long)lParam);
        *result = 1;
        return 1;
    case VekSigInt:
        *result = (LRESULT)(wnd->*VekHandlerCast<int (CWnd::*)()>(e->pfn))();
        return 1;
    default:
        return 0;
    }
}

int CWnd::ProcessMessageMap(const VEK_MSGMAP* map, unsigned message, WPARAM wParam, LPARAM lParam,
                            LRESULT* result)
{
    for (; map; map = map->pBaseMap) {
        for (const VEK_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e) {
            if (EntryMatches(e, message, wParam, lParam) && CallHandler(this, e, wParam, lParam, result))
                return 1;
        }
    }
    return 0;
}

static CWnd* ObjectOfRecord(const void* record)
{
    CWnd* wnd = 0;
    if (record)
        memcpy(&wnd, (const char*)record + sizeof(WORD), sizeof(wnd));
    return wnd;
}

static void Bind(CWnd* wnd, HWND hwnd, int dialog)
{
    wnd->m_hWnd = hwnd;
    wnd->m_bDialog = dialog;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)wnd);
}

// Keeps the two bars of a frame window along the top and bottom edges.
static void LayOutBars(CFrameWnd* frame, HWND hwnd)
{
    RECT client;
    ::GetClientRect(hwnd, &client);
    int width = client.right - client.left;
    if (frame->m_pTopBar) {
        RECT bar;
        ::GetClientRect(frame->m_pTopBar->m_hWnd, &bar);
        frame->m_pTopBar->MoveWindow(0, 0, width, bar.bottom - bar.top);
    }
    if (frame->m_pMessageBar) {
        RECT bar;
        ::GetClientRect(frame->m_pMessageBar->m_hWnd, &bar);
        int height = bar.bottom - bar.top;
        frame->m_pMessageBar->MoveWindow(0, client.bottom - height, width, height);
    }
}

// The colour request of 16-bit Windows, still delivered under its old number.
#define VEK_WM_CTLCOLOR 0x0019

static int IsColourRequest(UINT message)
{
    return message == VEK_WM_CTLCOLOR || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

LRESULT CALLBACK VekWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = (CWnd*)::GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    LRESULT result = 0;

    switch (message) {
    case WM_CREATE: {
        CREATESTRUCTA* cs = (CREATESTRUCTA*)lParam;
        CWnd* bound = cs ? ObjectOfRecord(cs->lpCreateParams) : 0;
        if (bound) {
            Bind(bound, hwnd, 0);
            if (bound->OnCreate(cs) == 1)
                return -1;
            return bound->PreCreateWindow();
        }
        break;
    }
    case WM_SIZE:
        if (wnd && wnd->m_bFrame == 1)
            LayOutBars((CFrameWnd*)wnd, hwnd);
        break;
    case WM_NOTIFY: {
        NMHDR* hdr = (NMHDR*)lParam;
        if (hdr && (int)hdr->code == (int)TTN_NEEDTEXTA) {
            TOOLTIPTEXTA* tip = (TOOLTIPTEXTA*)lParam;
            int n = ::LoadStringA(VekAppInstance(), (UINT)hdr->idFrom, s_tooltipText, sizeof(s_tooltipText));
            s_tooltipText[n > 0 ? n : 0] = 0;
            tip->lpszText = s_tooltipText;
            return 0;
        }
        break;
    }
    case WM_INITDIALOG: {
        CWnd* bound = ObjectOfRecord((const void*)lParam);
        if (bound) {
            Bind(bound, hwnd, 1);
            wnd = bound;
        }
        break;
    }
    default:
        break;
    }

    if (wnd) {
        const VEK_MSGMAP* map = wnd->GetMessageMap();
        if (map) {
            if (wnd->ProcessMessageMap(map, message, wParam, lParam, &result))
                return result;
            // The control itself chooses its colours and draws itself.
            if (IsColourRequest(message))
                return ::SendMessageA((HWND)lParam, VEK_WM_REFLECT_CTLCOLOR, wParam, lParam);
            if (message == WM_DRAWITEM && lParam)
                return ::SendMessageA(((DRAWITEMSTRUCT*)lParam)->hwndItem, VEK_WM_REFLECT_DRAWITEM, wParam, lParam);
        }
        if (wnd->m_bDialog == 1)
            return 0;
        if (wnd->m_pfnSuper)
            return ::CallWindowProcA(wnd->m_pfnSuper, hwnd, message, wParam, lParam);
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}
