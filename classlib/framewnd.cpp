// CFrameWnd: creation with icon and menu from the resources, the client
// area between the bars, the message bar texts; and the menu wrapper.
#include "framewnd.h"

#include <new>
#include <stdlib.h>

#include "winapp.h"

static const char s_defaultTitle[] = "VEK Default Window";

// Registration happens at every creation; once the class exists it fails
// and is ignored, so the class keeps the icon of the first registration.
static HWND CreateFrame(CFrameWnd* frame, unsigned long exStyle, const char* className, const char* title,
                        unsigned long style, int x, int y, int width, int height, HICON icon, HMENU menu)
{
    VEK_CREATE_RECORD record = {sizeof(VEK_CREATE_RECORD), frame};
    frame->m_bFrame = 1;
    VekRegisterClass(className, icon);
    frame->m_hWndFrame = ::CreateWindowExA((DWORD)exStyle, className, title ? title : s_defaultTitle, (DWORD)style,
                                           x, y, width, height, 0, menu, VekAppInstance(), &record);
    if (frame->m_hWndFrame)
        frame->m_hWnd = frame->m_hWndFrame;
    return frame->m_hWndFrame;
}

int CFrameWnd::Create(int x, int y, int width, int height, char* title, int resourceId)
{
    HICON icon = ::LoadIconA(VekAppInstance(), MAKEINTRESOURCEA(resourceId));
    HMENU menu = ::LoadMenuA(VekAppInstance(), MAKEINTRESOURCEA(resourceId));
    return CreateFrame(this, 0, VEK_WINDOW_CLASS, title, WS_OVERLAPPEDWINDOW, x, y, width, height, icon, menu) != 0;
}

int CFrameWnd::Create(char* className, char* windowName, unsigned long style, int x, int y, int width, int height,
                      CWnd*, char* menuName, unsigned long exStyle, void*)
{
    const char* cls = className ? className : VEK_WINDOW_CLASS;
    HICON icon = ::LoadIconA(VekAppInstance(), MAKEINTRESOURCEA(1));
    HMENU menu = menuName ? ::LoadMenuA(VekAppInstance(), MAKEINTRESOURCEA(atoi(menuName))) : 0;
    return CreateFrame(this, exStyle, cls, windowName, style, x, y, width, height, icon, menu) != 0;
}

CMenu* CFrameWnd::GetMenu()
{
    if (!m_pMenu) {
        m_pMenu = new (std::nothrow) CMenu;
        if (!m_pMenu) {
            VekAssertFailedLine("..\\framewnd", 609);
            return 0;
        }
        m_pMenu->Attach(::GetMenu(m_hWndFrame));
    }
    return m_pMenu;
}

// The part of the client area between the bars.
void CFrameWnd::GetClientRect(CRect& r)
{
    if (!m_hWnd)
        return;
    RECT c;
    ::GetClientRect(m_hWnd, &c);
    r.SetRect(c);
    if (m_pTopBar) {
        CRect bar;
        m_pTopBar->GetWindowRect(bar);
        r.top += bar.Height() + 1;
    }
    if (m_pMessageBar) {
        CRect bar;
        m_pMessageBar->GetWindowRect(bar);
        r.bottom -= bar.Height();
    }
}

void CFrameWnd::SetMessageText(const char* text)
{
    if (m_pMessageBar)
        m_pMessageBar->SetWindowTextA((char*)text);
}

void CFrameWnd::SetMessageText(unsigned id)
{
    if (!m_pMessageBar)
        return;
    char buffer[256];
    int n = ::LoadStringA(VekAppInstance(), id, buffer, sizeof(buffer));
    buffer[n > 0 ? n : 0] = 0;
    m_pMessageBar->SetWindowTextA(buffer);
}
