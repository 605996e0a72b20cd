// CFrameWnd, the library's top-level application window of the class
// "VEK_WINDOW" with optional menu, icon and two bar windows (along the top
// and the bottom) that the window procedure keeps in place on resizing;
// and CMenu, the wrapper of its menu handle.
#ifndef KV_CLASSLIB_FRAMEWND_H
#define KV_CLASSLIB_FRAMEWND_H

#include "object.h"
#include "window.h"

class CMenu : public CObject
{
public:
    CMenu() : m_hMenu(0) {}
    // The menu belongs to its window.
    virtual ~CMenu() {}

    int Attach(void* menu)
    {
        m_hMenu = (HMENU)menu;
        return 1;
    }
    unsigned EnableMenuItem(unsigned item, unsigned flags) { return (unsigned)::EnableMenuItem(m_hMenu, item, flags); }
    unsigned CheckMenuItem(unsigned item, unsigned flags) { return (unsigned)::CheckMenuItem(m_hMenu, item, flags); }

    HMENU m_hMenu;
};

class CFrameWnd : public CWnd
{
public:
    CFrameWnd() : m_hWndFrame(0), m_pMenu(0), m_pMessageBar(0), m_pTopBar(0) {}
    // Neither the menu object nor the bars belong to the frame object.
    virtual ~CFrameWnd() {}

    virtual int PreCreateWindow() { return 1; }
    virtual void MoveWindow(int x, int y, int width, int height) { CWnd::MoveWindow(x, y, width, height); }
    virtual void GetWindowRect(CRect& r) { CWnd::GetWindowRect(r); }
    virtual void GetClientRect(CRect& r);
    virtual int ShowWindow(int command) { return CWnd::ShowWindow(command); }
    virtual void SetWindowTextA(char* text) { CWnd::SetWindowTextA(text); }
    virtual CMenu* GetMenu();

    virtual int Create(int x, int y, int width, int height, char* title, int resourceId);
    virtual int Create(char* className, char* windowName, unsigned long style, int x, int y, int width, int height,
                       CWnd* parent, char* menuName, unsigned long exStyle, void* param);

    using CWnd::Create;
    using CWnd::MoveWindow;
    using CWnd::GetWindowTextA;

    void SetMessageText(const char* text);
    void SetMessageText(unsigned id);

    HWND m_hWndFrame;
    CMenu* m_pMenu;
    CWnd* m_pMessageBar;
    CWnd* m_pTopBar;
};

#endif
