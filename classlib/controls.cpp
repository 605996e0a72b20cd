// Control wrappers: creation, list-box and tab operations, and the colour
// and blink rules of CButton and CStatic.
#include "controls.h"

#include <new>

#include "winapp.h"

// Records the parent, makes the control, and returns its handle.
static HWND CreateControl(CWnd* wrapper, const char* className, const char* text, unsigned long style, int x,
                          int y, int width, int height, CWnd* parent, int id)
{
    wrapper->m_hWndParent = parent ? parent->m_hWnd : 0;
    wrapper->m_hWnd = ::CreateWindowExA(0, className, text, (DWORD)style, x, y, width, height,
                                        wrapper->m_hWndParent, (HMENU)(INT_PTR)id, VekAppInstance(), 0);
    return wrapper->m_hWnd;
}

// Buttons and statics are made the same way and then take the library's
// small font and its window procedure, so that their colours and blinking
// work. The rectangle form counts both edges in the size.
static int CreateColouredControl(CWnd* wrapper, const char* className, const char* text, unsigned long style,
                                 int x, int y, int width, int height, CWnd* parent, int id)
{
    if (!CreateControl(wrapper, className, text, style, x, y, width, height, parent, id))
        return 0;
    wrapper->SetFont((char*)"Helv", 8);
    wrapper->SubclassWindow();
    return 1;
}

static int CreateColouredControl(CWnd* wrapper, const char* className, const char* text, int style,
                                 const RECT& rect, CWnd* parent, int id)
{
    return CreateColouredControl(wrapper, className, text, (unsigned long)(DWORD)style, rect.left, rect.top,
                                 rect.right - rect.left + 1, rect.bottom - rect.top + 1, parent, id);
}

void CEdit::Create(unsigned long style, int x, int y, int width, int height, CWnd* parent, int id)
{
    CreateControl(this, "EDIT", "", style, x, y, width, height, parent, id);
}

// The clipboard text replaces the control's whole text.
void CEdit::Paste()
{
    if (!::OpenClipboard(m_hWnd))
        return;
    HANDLE data = ::GetClipboardData(CF_TEXT);
    if (data) {
        char* text = (char*)::GlobalLock(data);
        if (text) {
            ::SetWindowTextA(m_hWnd, text);
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
}

unsigned VekBlinkPeriod(unsigned speed)
{
    switch (speed) {
    case 0:
        return 2000;
    case 1:
        return 1000;
    case 2:
        return 500;
    default:
        return speed;
    }
}

CBlinkColours::CBlinkColours()
    : m_nTimer(0), m_crText(0), m_nTextBlink(0), m_nTextPhase(0), m_crBk(0), m_nBkBlink(0), m_nBkPhase(0),
      m_pNotifyWnd(0), m_nNotifyMsg(0)
{
    m_crBlinkText[0] = m_crBlinkText[1] = 0;
    m_crBlinkBk[0] = m_crBlinkBk[1] = 0;
}

static int IsSystemColourRequest(unsigned long c)
{
    return (DWORD)c == 0xFFFFFFFFu;
}

void CBlinkColours::SetTextColor(CWnd& owner, unsigned long c)
{
    m_crText = IsSystemColourRequest(c) ? ::GetSysColor(COLOR_BTNTEXT) : (COLORREF)c;
    owner.Invalidate(1);
}

void CBlinkColours::SetBkColor(CWnd& owner, unsigned long c)
{
    m_crBk = IsSystemColourRequest(c) ? ::GetSysColor(COLOR_BTNFACE) : (COLORREF)c;
    m_brBk.DeleteObject();
    m_brBk.CreateSolidBrush((int)m_crBk);
    owner.Invalidate(1);
}

void CBlinkColours::SetBlinkTextColors(unsigned long c0, unsigned long c1)
{
    m_crBlinkText[0] = (COLORREF)c0;
    m_crBlinkText[1] = (COLORREF)c1;
}

void CBlinkColours::SetBlinkBkColors(CWnd& owner, unsigned long c0, unsigned long c1)
{
    m_crBlinkBk[0] = (COLORREF)c0;
    m_crBlinkBk[1] = (COLORREF)c1;
    for (int i = 0; i < 2; ++i) {
        m_brBlink[i].DeleteObject();
        m_brBlink[i].CreateSolidBrush((int)m_crBlinkBk[i]);
    }
    owner.Invalidate(1);
}

// The two kinds of blinking share one timer: starting or stopping either
// stops it for both.
void CBlinkColours::StopTimer(CWnd& owner)
{
    if (m_nTimer) {
        owner.KillTimer(m_nTimer);
        m_nTimer = 0;
    }
}

void CBlinkColours::StartTimer(CWnd& owner, unsigned speed)
{
    m_nTimer = owner.SetTimer(1, VekBlinkPeriod(speed), 0);
}

void CBlinkColours::StartTextBlink(CWnd& owner, int mode, unsigned speed)
{
    StopTimer(owner);
    m_nTextBlink = mode;
    m_nTextPhase = 0;
    if (mode == 1)
        StartTimer(owner, speed);
}

void CBlinkColours::StartBkBlink(CWnd& owner, int mode, unsigned speed)
{
    StopTimer(owner);
    m_nBkBlink = mode;
    m_nBkPhase = 0;
    if (mode == 1)
        StartTimer(owner, speed);
}

void CBlinkColours::EnableNotify(CWnd* wnd, unsigned msg)
{
    m_pNotifyWnd = wnd;
    m_nNotifyMsg = msg;
}

void* CBlinkColours::CtlColor(CDC* dc)
{
    dc->SetTextColor(m_nTextBlink == 1 ? m_crBlinkText[m_nTextPhase & 1] : m_crText);
    if (m_nBkBlink == 1) {
        dc->SetBkColor(m_crBlinkBk[m_nBkPhase & 1]);
        return m_brBlink[m_nBkPhase & 1].m_hObject;
    }
    dc->SetBkColor(m_crBk);
    return m_brBk.m_hObject;
}

void CBlinkColours::OnTimer(CWnd& owner, unsigned id)
{
    if (id != m_nTimer)
        return;
    if (m_nTextBlink == 1)
        m_nTextPhase = !m_nTextPhase;
    if (m_nBkBlink == 1)
        m_nBkPhase = !m_nBkPhase;
    if (m_nTextBlink != 1 && m_nBkBlink != 1)
        return;
    owner.Invalidate(1);
    if (m_pNotifyWnd && (m_nTextPhase == 1 || m_nBkPhase == 1))
        m_pNotifyWnd->PostMessageA(m_nNotifyMsg, (WPARAM)owner.GetDlgCtrlID(), 0);
}

void CBlinkColours::OnDestroy(CWnd& owner)
{
    if (m_nTimer)
        owner.KillTimer(m_nTimer);
    m_brBk.DeleteObject();
    m_brBlink[0].DeleteObject();
    m_brBlink[1].DeleteObject();
}

VEK_BEGIN_MESSAGE_MAP(CButton, CWnd)
    VEK_ON_MESSAGE_BRUSH(VEK_WM_REFLECT_CTLCOLOR, CtlColor)
    VEK_ON_MESSAGE_WORD(WM_TIMER, OnTimer)
    VEK_ON_MESSAGE_VOID(WM_DESTROY, OnDestroy)
VEK_END_MESSAGE_MAP()

void CButton::Create(unsigned long style, char* text, int x, int y, int width, int height, CWnd* parent, int id)
{
    CreateColouredControl(this, "BUTTON", text, style, x, y, width, height, parent, id);
}

int CButton::Create(char* text, int style, const RECT& rect, CWnd* parent, int id)
{
    return CreateColouredControl(this, "BUTTON", text, style, rect, parent, id);
}

VEK_BEGIN_MESSAGE_MAP(CStatic, CWnd)
    VEK_ON_MESSAGE_BRUSH(VEK_WM_REFLECT_CTLCOLOR, CtlColor)
    VEK_ON_MESSAGE_WORD(WM_TIMER, OnTimer)
    VEK_ON_MESSAGE_VOID(WM_DESTROY, OnDestroy)
VEK_END_MESSAGE_MAP()

void CStatic::Create(unsigned long style, char* text, int x, int y, int width, int height, CWnd* parent, int id)
{
    CreateColouredControl(this, "STATIC", text, style, x, y, width, height, parent, id);
}

int CStatic::Create(char* text, int style, const RECT& rect, CWnd* parent, int id)
{
    return CreateColouredControl(this, "STATIC", text, style, rect, parent, id);
}

void CListBox::Create(unsigned long style, int x, int y, int width, int height, CWnd* parent, int id)
{
    CreateControl(this, "LISTBOX", "", style, x, y, width, height, parent, id);
}

void CListBox::GetText(int i, CString& s)
{
    int n = GetTextLen(i);
    if (n < 0)
        return;
    char* block = new (std::nothrow) char[n + 1];
    if (!block)
        return;
    block[0] = 0;
    Send(LB_GETTEXT, (WPARAM)i, (LPARAM)block);
    block[n] = 0;
    s = block;
    delete[] block;
}

int CTabCtrl::Create(unsigned long style, int x, int y, int width, int height, CWnd* parent, int id)
{
    if (!CreateControl(this, "SysTabControl32", "", style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width,
                       height, parent, id))
        return 0;
    SetFont((char*)"Helv", 6);
    return 1;
}

int CTabCtrl::SetCurSel(int i)
{
    int before = GetCurSel();
    ::SendMessageA(m_hWnd, TCM_SETCURSEL, (WPARAM)i, 0);
    return before;
}

void CTabCtrl::GetClientRect(CRect& r)
{
    GetWindowRect(r);
    r.right -= 10;
    r.bottom -= 30;
}
