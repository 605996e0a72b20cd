// The frame window: creation forms, the client area between the bars, bar
// layout on resizing, message-bar texts and the menu wrapper.
#include <gtest/gtest.h>

#include "classlib/framewnd.h"
#include "ui_support.h"

TEST(Frame, CreationForms)
{
    CFrameWnd byPosition, noMenu, withMenu;
    ASSERT_EQ(byPosition.Create(100, 100, 420, 300, 0, 256), 1);
    ASSERT_EQ(noMenu.Create(0, T("plain"), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, 0, 0, 0, 0), 1);
    ASSERT_EQ(withMenu.Create(0, 0, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, 0, T("128"), 0, 0), 1);
    Keeper keep;
    keep.Add(byPosition.m_hWnd);
    keep.Add(noMenu.m_hWnd);
    keep.Add(withMenu.m_hWnd);

    EXPECT_EQ(byPosition.m_bFrame, 1);
    EXPECT_EQ(byPosition.m_hWndFrame, byPosition.m_hWnd);
    EXPECT_EQ((CWnd*)::GetWindowLongPtrA(byPosition.m_hWnd, GWLP_USERDATA), &byPosition);
    char title[64];
    ::GetWindowTextA(byPosition.m_hWnd, title, sizeof(title));
    EXPECT_STREQ(title, "VEK Default Window");
    RECT r;
    ::GetWindowRect(byPosition.m_hWnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right - r.left, 420);
    EXPECT_EQ(r.bottom - r.top, 300);
    EXPECT_NE(::GetMenu(byPosition.m_hWnd), (HMENU)0);

    EXPECT_EQ(::GetMenu(noMenu.m_hWnd), (HMENU)0);
    ::GetWindowTextA(withMenu.m_hWnd, title, sizeof(title));
    EXPECT_STREQ(title, "VEK Default Window");
    HMENU menu = ::GetMenu(withMenu.m_hWnd);
    ASSERT_NE(menu, (HMENU)0);
    EXPECT_NE(::GetMenuState(menu, 400, MF_BYCOMMAND), (UINT)-1) << "menu resource 128";

    CMenu* first = withMenu.GetMenu();
    ASSERT_NE(first, (CMenu*)0);
    EXPECT_EQ(first, withMenu.GetMenu());
    EXPECT_EQ(first->m_hMenu, menu);
    EXPECT_EQ(first->CheckMenuItem(400, MF_BYCOMMAND | MF_CHECKED), (unsigned)MF_UNCHECKED);
    EXPECT_EQ(::GetMenuState(menu, 400, MF_BYCOMMAND) & MF_CHECKED, (UINT)MF_CHECKED);
    EXPECT_EQ(first->EnableMenuItem(400, MF_BYCOMMAND | MF_GRAYED), (unsigned)MF_ENABLED);
    delete first;  // the frame never deletes its menu object
}

TEST(Frame, ClientAreaBetweenTheBarsAndTheirLayout)
{
    CFrameWnd frame;
    ASSERT_EQ(frame.Create(0, 0, 400, 300, T("bars"), 1), 1);
    CWnd top, bottom;
    top.Attach(::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 50, 80, 20, frame.m_hWnd, 0, 0, 0));
    bottom.Attach(::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 90, 80, 16, frame.m_hWnd, 0, 0, 0));
    Keeper keep;
    keep.Add(frame.m_hWnd);

    RECT client;
    ::GetClientRect(frame.m_hWnd, &client);
    CRect r;
    frame.GetClientRect(r);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom, client.bottom) << "no bars: the whole client area";

    frame.m_pTopBar = &top;
    frame.m_pMessageBar = &bottom;
    frame.GetClientRect(r);
    EXPECT_EQ(r.top, 22) << "the top bar's inclusive height 21, plus 1";
    EXPECT_EQ(r.bottom, client.bottom - 17) << "the message bar's inclusive height 17";
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, client.right);

    // Resizing lays the bars along the edges, at full client width.
    ::SetWindowPos(frame.m_hWnd, 0, 0, 0, 500, 350, SWP_NOMOVE | SWP_NOZORDER);
    ::GetClientRect(frame.m_hWnd, &client);
    struct Case {
        HWND bar;
        int y, height;
    } cases[] = {{top.m_hWnd, 0, 20}, {bottom.m_hWnd, (int)client.bottom - 16, 16}};
    for (const Case& c : cases) {
        RECT b;
        ::GetWindowRect(c.bar, &b);
        POINT p = {b.left, b.top};
        ::ScreenToClient(frame.m_hWnd, &p);
        EXPECT_EQ(p.x, 0);
        EXPECT_EQ(p.y, c.y);
        EXPECT_EQ(b.right - b.left, client.right);
        EXPECT_EQ(b.bottom - b.top, c.height);
    }

    frame.SetMessageText("Working");
    char text[32];
    ::GetWindowTextA(bottom.m_hWnd, text, sizeof(text));
    EXPECT_STREQ(text, "Working");
    frame.SetMessageText(301u);
    ::GetWindowTextA(bottom.m_hWnd, text, sizeof(text));
    EXPECT_STREQ(text, "Ready");
    frame.SetMessageText(4444u);
    ::GetWindowTextA(bottom.m_hWnd, text, sizeof(text));
    EXPECT_STREQ(text, "") << "a missing string empties the bar";
    frame.m_pMessageBar = 0;
    frame.SetMessageText("ignored");
}

TEST(Frame, NoReflectionAndNoQuitOnClose)
{
    CFrameWnd frame;
    ASSERT_EQ(frame.Create(0, 0, 200, 100, T("close"), 1), 1);
    Keeper keep;
    keep.Add(frame.m_hWnd);
    EXPECT_EQ(frame.GetMessageMap(), (const VEK_MSGMAP*)0);
    ::SendMessageA(frame.m_hWnd, WM_CLOSE, 0, 0);
    MSG msg;
    EXPECT_EQ(::PeekMessageA(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE), 0);
}
