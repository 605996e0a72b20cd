// Control wrappers: creation, list-box, tab and edit operations, and the
// colours and blinking of buttons and statics with their shared timer.
#include <gtest/gtest.h>

#include <string>

#include "classlib/controls.h"
#include "ui_support.h"

#define WM_BLINKED (WM_USER + 50)

TEST(Controls, BlinkPeriods)
{
    struct Case {
        unsigned speed, period;
    } cases[] = {{0, 2000}, {1, 1000}, {2, 500}, {300, 300}, {3, 3}};
    for (const Case& c : cases)
        EXPECT_EQ(VekBlinkPeriod(c.speed), c.period) << c.speed;
}

// Colours the control reports through the reflected colour request.
struct Painted {
    COLORREF text, bk;
    HGDIOBJ brush;
};

template <class Control>
static Painted Paint(Control& c)
{
    Surface s(2, 2, 0);
    LRESULT brush = ::SendMessageA(c.m_hWnd, VEK_WM_REFLECT_CTLCOLOR, (WPARAM)s.m_dc, (LPARAM)c.m_hWnd);
    return Painted{::GetTextColor(s.m_dc), ::GetBkColor(s.m_dc), (HGDIOBJ)brush};
}

static int TimerRuns(HWND h)
{
    return ::KillTimer(h, 1) != 0;
}

template <class Control>
static void CheckBlinking(const char* kind)
{
    SCOPED_TRACE(kind);
    CWnd parent;
    ASSERT_EQ(CreateBound(&parent, 0), 1);
    Control c;
    RECT r = {10, 20, 109, 49};
    ASSERT_EQ(c.Create(T("blink"), WS_CHILD | WS_VISIBLE, r, &parent, 90), 1);
    Keeper keep;
    keep.Add(parent.m_hWnd);
    keep.Add(c.m_hWnd);

    EXPECT_EQ(c.m_hWndParent, parent.m_hWnd);
    EXPECT_EQ((WNDPROC)::GetWindowLongPtrA(c.m_hWnd, GWLP_WNDPROC), (WNDPROC)VekWindowProc);
    RECT placed;
    ::GetWindowRect(c.m_hWnd, &placed);
    POINT origin = {placed.left, placed.top};
    ::ScreenToClient(parent.m_hWnd, &origin);
    EXPECT_EQ(origin.x, 10);
    EXPECT_EQ(origin.y, 20);
    EXPECT_EQ(placed.right - placed.left, 100);
    EXPECT_EQ(placed.bottom - placed.top, 30);

    c.SetTextColor((unsigned long)-1);
    EXPECT_EQ(c.GetTextColor(), ::GetSysColor(COLOR_BTNTEXT));
    c.SetBkColor(0xFFFFFFFFul);
    EXPECT_EQ(c.GetBkColor(), ::GetSysColor(COLOR_BTNFACE));
    LOGBRUSH lb;
    ASSERT_EQ(::GetObjectA(c.m_colours.m_brBk.m_hObject, sizeof(lb), &lb), (int)sizeof(lb));
    EXPECT_EQ(lb.lbColor, ::GetSysColor(COLOR_BTNFACE));

    const COLORREF text = RGB(10, 0, 0), bk = RGB(0, 10, 0);
    const COLORREF t0 = RGB(1, 0, 0), t1 = RGB(2, 0, 0), b0 = RGB(0, 0, 1), b1 = RGB(0, 0, 2);
    c.SetTextColor(text);
    c.SetBkColor(bk);
    c.SetBlinkTextColors(t0, t1);
    c.SetBlinkBkColors(b0, b1);
    Painted p = Paint(c);
    EXPECT_EQ(p.text, text);
    EXPECT_EQ(p.bk, bk);
    EXPECT_EQ(p.brush, c.m_colours.m_brBk.m_hObject);

    c.EnableNotify(&parent, WM_BLINKED);
    c.StartTextBlink(1, 300);
    ASSERT_NE(c.m_colours.m_nTimer, 0u);
    unsigned timer = c.m_colours.m_nTimer;
    MSG msg;
    struct Tick {
        WPARAM id;
        COLORREF text, bk;
        bool notified;
    };
    // Text blinking alone: the phase flips at each tick of the blink timer.
    Tick textOnly[] = {
        {timer, t1, bk, true},
        {timer, t0, bk, false},
        {timer + 7, t0, bk, false},  // another timer changes nothing
        {timer, t1, bk, true},
    };
    for (const Tick& t : textOnly) {
        ::SendMessageA(c.m_hWnd, WM_TIMER, t.id, 0);
        p = Paint(c);
        EXPECT_EQ(p.text, t.text) << t.id;
        EXPECT_EQ(p.bk, t.bk);
        BOOL got = ::PeekMessageA(&msg, parent.m_hWnd, WM_BLINKED, WM_BLINKED, PM_REMOVE);
        EXPECT_EQ(got != 0, t.notified);
        if (got) {
            EXPECT_EQ(msg.wParam, 90u) << "the control's identifier";
        }
    }

    // Starting the background blink restarts the shared timer and resets
    // the background phase; both kinds then flip at every tick.
    c.StartBkBlink(1, 2);
    EXPECT_EQ(c.m_colours.m_nTextPhase, 1);
    EXPECT_EQ(c.m_colours.m_nBkPhase, 0);
    timer = c.m_colours.m_nTimer;
    ASSERT_NE(timer, 0u);
    ::SendMessageA(c.m_hWnd, WM_TIMER, timer, 0);
    p = Paint(c);
    EXPECT_EQ(p.text, t0);
    EXPECT_EQ(p.bk, b1);
    EXPECT_EQ(p.brush, c.m_colours.m_brBlink[1].m_hObject);
    EXPECT_NE(::PeekMessageA(&msg, parent.m_hWnd, WM_BLINKED, WM_BLINKED, PM_REMOVE), 0)
        << "the background entered phase 1";

    // Stopping either kind stops the one timer; the text stays frozen.
    c.StartBkBlink(0, 2);
    EXPECT_EQ(c.m_colours.m_nTimer, 0u);
    EXPECT_EQ(TimerRuns(c.m_hWnd), 0);
    ::SendMessageA(c.m_hWnd, WM_TIMER, timer, 0);
    p = Paint(c);
    EXPECT_EQ(p.text, t0);
    EXPECT_EQ(p.bk, bk);
    EXPECT_EQ(c.m_colours.m_nTextBlink, 1);

    c.StartTextBlink(1, 0);
    EXPECT_NE(c.m_colours.m_nTimer, 0u);
    c.EnableNotify(0, 0);
    ::SendMessageA(c.m_hWnd, WM_TIMER, c.m_colours.m_nTimer, 0);
    EXPECT_EQ(::PeekMessageA(&msg, parent.m_hWnd, WM_BLINKED, WM_BLINKED, PM_REMOVE), 0);

    HGDIOBJ brush = c.m_colours.m_brBk.m_hObject;
    ::DestroyWindow(c.m_hWnd);
    EXPECT_EQ(c.m_colours.m_brBk.m_hObject, (HGDIOBJ)0) << "WM_DESTROY releases the brushes";
    EXPECT_EQ(::GetObjectType(brush), 0u);
    while (::PeekMessageA(&msg, 0, WM_BLINKED, WM_BLINKED, PM_REMOVE)) {
    }
}

TEST(Controls, ButtonColoursAndBlinking)
{
    CheckBlinking<CButton>("CButton");
}

TEST(Controls, StaticColoursAndBlinking)
{
    CheckBlinking<CStatic>("CStatic");
}

TEST(Controls, CreationForms)
{
    CWnd parent;
    ASSERT_EQ(CreateBound(&parent, 0, 0, 0, 300, 200), 1);
    CButton check;
    check.Create(BS_AUTOCHECKBOX | WS_CHILD | WS_VISIBLE, T("Agree"), 5, 5, 80, 20, &parent, 91);
    CEdit edit;
    edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 5, 30, 100, 20, &parent, 92);
    CListBox list;
    list.Create(WS_CHILD | WS_VISIBLE | LBS_HASSTRINGS, 5, 60, 100, 80, &parent, 93);
    Keeper keep;
    keep.Add(parent.m_hWnd);
    ASSERT_NE(check.m_hWnd, (HWND)0);
    ASSERT_NE(edit.m_hWnd, (HWND)0);
    ASSERT_NE(list.m_hWnd, (HWND)0);

    char text[16];
    ::GetWindowTextA(check.m_hWnd, text, sizeof(text));
    EXPECT_STREQ(text, "Agree");
    EXPECT_EQ(::GetDlgCtrlID(edit.m_hWnd), 92);
    EXPECT_EQ(edit.m_pfnSuper, (WNDPROC)0) << "edits keep their own procedure";
    EXPECT_NE(check.m_pfnSuper, (WNDPROC)0);
    HFONT font = (HFONT)::SendMessageA(check.m_hWnd, WM_GETFONT, 0, 0);
    ASSERT_NE(font, (HFONT)0);
    LOGFONTA lf;
    ::GetObjectA(font, sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, -8);
    EXPECT_STREQ(lf.lfFaceName, "Helv");

    check.SetCheck(BST_CHECKED);
    EXPECT_EQ(check.GetCheck(), BST_CHECKED);
    check.SetCheck(BST_UNCHECKED);
    EXPECT_EQ(check.GetCheck(), BST_UNCHECKED);

    edit.LimitText(4);
    ::SetWindowTextA(edit.m_hWnd, "");
    ::SendMessageA(edit.m_hWnd, EM_REPLACESEL, 0, (LPARAM) "abcdefgh");
    EXPECT_STREQ((char*)edit.GetWindowTextA(), "abcd");
    EXPECT_EQ(edit.SetTabStop(3), 0);
    check.UnsubclassWindow();
}

TEST(Controls, PasteReplacesTheWholeText)
{
    CWnd parent;
    ASSERT_EQ(CreateBound(&parent, 0), 1);
    CEdit edit;
    edit.Create(WS_CHILD | WS_VISIBLE, 5, 5, 150, 20, &parent, 94);
    Keeper keep;
    keep.Add(parent.m_hWnd);
    ::SetWindowTextA(edit.m_hWnd, "old text");
    ASSERT_TRUE(::OpenClipboard(parent.m_hWnd));
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, 6);
    memcpy(::GlobalLock(block), "fresh", 6);
    ::GlobalUnlock(block);
    ::SetClipboardData(CF_TEXT, block);
    ::CloseClipboard();
    edit.Paste();
    EXPECT_STREQ((char*)edit.GetWindowTextA(), "fresh");
    edit.Clear();
    edit.Cut();
    edit.Undo();
    EXPECT_STREQ((char*)edit.GetWindowTextA(), "fresh") << "the other clipboard operations do nothing";
}

TEST(Controls, ListBoxOperations)
{
    CWnd parent;
    ASSERT_EQ(CreateBound(&parent, 0), 1);
    CListBox list;
    list.Create(WS_CHILD | WS_VISIBLE | LBS_HASSTRINGS, 0, 0, 100, 100, &parent, 95);
    Keeper keep;
    keep.Add(parent.m_hWnd);
    EXPECT_EQ(list.AddString(T("alpha")), 0);
    CString beta(T("beta"));
    EXPECT_EQ(list.AddString(beta), 1);
    EXPECT_EQ(list.InsertString(1, T("between")), 1);
    EXPECT_EQ(list.GetCount(), 3);
    list.SetText(1, T("middle"));
    EXPECT_EQ(list.GetCount(), 3) << "SetText keeps the item count";
    CString got;
    list.GetText(1, got);
    EXPECT_STREQ((char*)got, "middle");
    char buffer[16];
    list.GetText(2, buffer);
    EXPECT_STREQ(buffer, "beta");
    EXPECT_EQ(list.GetTextLen(0), 5);
    EXPECT_EQ(list.FindString(-1, T("mid"), 0), 1);
    EXPECT_EQ(list.FindString(-1, T("mid"), 1), LB_ERR);
    EXPECT_EQ(list.FindString(-1, T("middle"), 1), 1);
    list.SetCurSel(2);
    EXPECT_EQ(list.GetCurSel(), 2);
    EXPECT_EQ(list.SelectString(-1, T("alp")), 0);
    list.DeleteString(0);
    EXPECT_EQ(list.GetCount(), 2);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(Controls, TabControlOperations)
{
    CWnd parent;
    ASSERT_EQ(CreateBound(&parent, 0, 0, 0, 300, 200), 1);
    CTabCtrl tab;
    ASSERT_EQ(tab.Create(0, 10, 10, 200, 150, &parent, 96), 1);
    Keeper keep;
    keep.Add(parent.m_hWnd);
    EXPECT_TRUE(::GetWindowLongA(tab.m_hWnd, GWL_STYLE) & WS_VISIBLE);
    const char* names[] = {"One", "Two", "Three"};
    for (int i = 0; i < 3; ++i) {
        TCITEMA item;
        memset(&item, 0, sizeof(item));
        item.mask = TCIF_TEXT;
        item.pszText = T(names[i]);
        EXPECT_EQ(tab.InsertItem(i, &item, 0), 1);
    }
    EXPECT_EQ(tab.GetItemCount(), 3);
    tab.SetCurSel(0);
    EXPECT_EQ(tab.SetCurSel(2), 0) << "returns the selection before the change";
    EXPECT_EQ(tab.GetCurSel(), 2);
    TCITEMA item;
    memset(&item, 0, sizeof(item));
    item.mask = TCIF_TEXT;
    item.pszText = T("Renamed");
    EXPECT_EQ(tab.SetItem(1, &item), 1);
    CRect window, page;
    tab.GetWindowRect(window);
    tab.GetClientRect(page);
    EXPECT_EQ(page.left, window.left);
    EXPECT_EQ(page.right, window.right - 10);
    EXPECT_EQ(page.bottom, window.bottom - 30);
}
