// Window objects and message maps: binding at creation, the seven signature
// kinds, notification codes and identifier ranges, the base-map chain,
// reflection, subclassing, placement and the child wrappers.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <string>

#include "classlib/controls.h"
#include "classlib/framewnd.h"
#include "classlib/window.h"
#include "ui_support.h"

#define WM_PROBE_VOID (WM_USER + 1)
#define WM_PROBE_LONG (WM_USER + 3)
#define WM_PROBE_POINTER (WM_USER + 4)
#define WM_PROBE_PARAMS (WM_USER + 5)
#define WM_PROBE_INT (WM_USER + 6)
#define WM_PROBE_BRUSH (WM_USER + 7)
#define WM_PROBE_ODDKIND (WM_USER + 8)
#define WM_PROBE_SHADOWED (WM_USER + 9)
#define WM_PROBE_BASEONLY (WM_USER + 10)

class CProbeWnd : public CWnd
{
public:
    CProbeWnd() : m_word(0), m_pointer(0), m_params(0), m_dc(0), m_id(0) {}
    virtual void OnPlain() { m_log += "plain;"; }
    virtual void OnWord(unsigned w) { m_word = w; }
    virtual long OnLong(int w, long l) { return (long)w * 1000 + l; }
    virtual void OnPointer(void* p) { m_pointer = p; }
    virtual void OnParams(unsigned w, long l) { m_params = (long)w * 1000 + l; }
    virtual int OnInt() { return 7; }
    virtual void* OnBrush(CDC* dc, unsigned id)
    {
        m_dc = dc->GetSafeHdc();
        m_id = id;
        return (void*)0x1234;
    }
    virtual void OnBack() { m_log += "back;"; }
    virtual void OnChanged() { m_log += "changed;"; }
    virtual void OnRange() { m_log += "range;"; }
    virtual void OnNotified(unsigned, long) { m_log += "notified;"; }
    virtual void OnShadowed() { m_log += "base-shadowed;"; }
    virtual void OnBaseOnly() { m_log += "base-only;"; }

    std::string m_log;
    unsigned m_word;
    void* m_pointer;
    long m_params;
    void* m_dc;
    unsigned m_id;

    VEK_DECLARE_MESSAGE_MAP(CProbeWnd)
};

VEK_BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
    VEK_ON_MESSAGE_VOID(WM_PROBE_VOID, OnPlain)
    VEK_ON_MESSAGE_WORD(WM_TIMER, OnWord)
    VEK_ON_MESSAGE_LONG(WM_PROBE_LONG, OnLong)
    VEK_ON_MESSAGE_POINTER(WM_PROBE_POINTER, OnPointer)
    VEK_ON_MESSAGE_PARAMS(WM_PROBE_PARAMS, OnParams)
    VEK_ON_MESSAGE_INT(WM_PROBE_INT, OnInt)
    VEK_ON_MESSAGE_BRUSH(WM_PROBE_BRUSH, OnBrush)
    {WM_PROBE_ODDKIND, 0, 0, 0, 99, static_cast<VEK_PMSG>(&CProbeWnd::OnPlain)},
    VEK_ON_COMMAND(101, OnBack)
    VEK_ON_NOTIFICATION(3, 102, OnChanged)
    VEK_ON_COMMAND_RANGE(200, 210, OnRange)
    VEK_ON_NOTIFY(-2, 103, OnNotified)
    VEK_ON_MESSAGE_VOID(WM_PROBE_SHADOWED, OnShadowed)
    VEK_ON_MESSAGE_VOID(WM_PROBE_BASEONLY, OnBaseOnly)
VEK_END_MESSAGE_MAP()

class CDerivedProbe : public CProbeWnd
{
public:
    virtual void OnDerived() { m_log += "derived;"; }
    virtual void OnPlain() { m_log += "override;"; }
    VEK_DECLARE_MESSAGE_MAP(CDerivedProbe)
};

VEK_BEGIN_MESSAGE_MAP(CDerivedProbe, CProbeWnd)
    VEK_ON_MESSAGE_VOID(WM_PROBE_SHADOWED, OnDerived)
VEK_END_MESSAGE_MAP()


TEST(Window, BindingAtCreation)
{
    CProbeWnd probe;
    Keeper keep;  // destroys the windows before their objects go
    ASSERT_EQ(CreateBound(&probe, 0), 1);
    keep.Add(probe.m_hWnd);
    EXPECT_EQ((CWnd*)::GetWindowLongPtrA(probe.m_hWnd, GWLP_USERDATA), &probe);
    EXPECT_EQ(probe.m_bDialog, 0);
    EXPECT_EQ((WNDPROC)::GetWindowLongPtrA(probe.m_hWnd, GWLP_WNDPROC), (WNDPROC)VekWindowProc);
    char cls[32];
    ::GetClassNameA(probe.m_hWnd, cls, sizeof(cls));
    EXPECT_STREQ(cls, "VEK_WINDOW");
    EXPECT_EQ(sizeof(VEK_CREATE_RECORD), 2 + sizeof(void*));

    // Without a creation record the window is not bound.
    CWnd loose;
    ASSERT_EQ(loose.Create(0, T("loose"), WS_POPUP, 0, 0, 10, 10, 0, 0, 0), 1);
    keep.Add(loose.m_hWnd);
    EXPECT_EQ(::GetWindowLongPtrA(loose.m_hWnd, GWLP_USERDATA), 0);
}

class CRefuser : public CWnd
{
public:
    CRefuser(int answer) : m_answer(answer), m_calls(0) {}
    virtual int OnCreate(CREATESTRUCTA*)
    {
        ++m_calls;
        return m_answer;
    }
    int m_answer, m_calls;
};

TEST(Window, OnCreateDecidesTheCreation)
{
    CRefuser refuses(1), accepts(0);
    Keeper keep;  // destroys the windows before their objects go
    EXPECT_EQ(CreateBound(&refuses, 0), 0);
    EXPECT_EQ(refuses.m_hWnd, (HWND)0);
    EXPECT_EQ(refuses.m_calls, 1);
    EXPECT_EQ(CreateBound(&accepts, 0), 1);
    keep.Add(accepts.m_hWnd);
    EXPECT_EQ(accepts.m_calls, 1);
}

TEST(Window, SignatureKinds)
{
    CProbeWnd probe;
    Keeper keep;  // destroys the windows before their objects go
    ASSERT_EQ(CreateBound(&probe, 0), 1);
    HWND h = keep.Add(probe.m_hWnd);
    HWND child = keep.Add(::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, h, (HMENU)55, 0, 0));
    int marker;

    EXPECT_EQ(::SendMessageA(h, WM_PROBE_VOID, 0, 0), 0);
    EXPECT_EQ(probe.m_log, "plain;");
    EXPECT_EQ(::SendMessageA(h, WM_TIMER, 0x00010001, 0), 0);
    EXPECT_EQ(probe.m_word, 1u) << "the kind-12 handler receives the low word";
    EXPECT_EQ(::SendMessageA(h, WM_PROBE_LONG, 3, 4), 3004);
    EXPECT_EQ(::SendMessageA(h, WM_PROBE_POINTER, 0, (LPARAM)&marker), 1);
    EXPECT_EQ(probe.m_pointer, (void*)&marker);
    EXPECT_EQ(::SendMessageA(h, WM_PROBE_PARAMS, 5, 6), 1);
    EXPECT_EQ(probe.m_params, 5006);
    EXPECT_EQ(::SendMessageA(h, WM_PROBE_INT, 0, 0), 7);
    HDC dc = ::GetDC(h);
    EXPECT_EQ(::SendMessageA(h, WM_PROBE_BRUSH, (WPARAM)dc, (LPARAM)child), 0x1234);
    EXPECT_EQ(probe.m_dc, (void*)dc);
    EXPECT_EQ(probe.m_id, 55u);
    ::ReleaseDC(h, dc);
    probe.m_log.clear();
    EXPECT_EQ(::SendMessageA(h, WM_PROBE_ODDKIND, 0, 0), 0);
    EXPECT_EQ(probe.m_log, "") << "an entry of an unknown kind is passed over";
}

TEST(Window, CommandsNotificationsAndRanges)
{
    CProbeWnd probe;
    Keeper keep;  // destroys the windows before their objects go
    ASSERT_EQ(CreateBound(&probe, 0), 1);
    HWND h = keep.Add(probe.m_hWnd);
    struct Case {
        UINT message;
        WPARAM wParam;
        UINT nmCode;
        const char* log;
    } cases[] = {
        {WM_COMMAND, Command(101, 0), 0, "back;"},
        {WM_COMMAND, Command(101, 5), 0, "back;"},  // code 0 answers every notification
        {WM_COMMAND, Command(102, 3), 0, "changed;"},
        {WM_COMMAND, Command(102, 4), 0, ""},
        {WM_COMMAND, Command(199, 0), 0, ""},
        {WM_COMMAND, Command(200, 0), 0, "range;"},
        {WM_COMMAND, Command(210, 9), 0, "range;"},
        {WM_COMMAND, Command(211, 0), 0, ""},
        {WM_NOTIFY, 103, (UINT)-2, "notified;"},
        {WM_NOTIFY, 103, (UINT)-3, ""},
        {WM_NOTIFY, 104, (UINT)-2, ""},
    };
    for (const Case& c : cases) {
        probe.m_log.clear();
        NMHDR hdr = {h, (UINT_PTR)LOWORD(c.wParam), c.nmCode};
        ::SendMessageA(h, c.message, c.wParam, c.message == WM_NOTIFY ? (LPARAM)&hdr : 0);
        EXPECT_EQ(probe.m_log, c.log) << std::hex << c.message << " " << c.wParam << " " << c.nmCode;
    }
}

TEST(Window, DerivedEntriesShadowTheBaseAndOverridesRunThroughTheBaseMap)
{
    CDerivedProbe probe;
    Keeper keep;  // destroys the windows before their objects go
    ASSERT_EQ(CreateBound(&probe, 0), 1);
    HWND h = keep.Add(probe.m_hWnd);
    ::SendMessageA(h, WM_PROBE_SHADOWED, 0, 0);
    EXPECT_EQ(probe.m_log, "derived;");
    probe.m_log.clear();
    ::SendMessageA(h, WM_PROBE_BASEONLY, 0, 0);
    ::SendMessageA(h, WM_PROBE_VOID, 0, 0);
    EXPECT_EQ(probe.m_log, "base-only;override;");
    EXPECT_EQ(probe.CProbeWnd::GetMessageMap()->pBaseMap, &CWnd::_messageMap);
    EXPECT_EQ(probe.GetMessageMap()->pBaseMap, &CProbeWnd::_messageMap);
    CWnd plain;
    EXPECT_EQ(plain.GetMessageMap(), (const VEK_MSGMAP*)0);
}

TEST(Window, ColourRequestsAreReflectedOnlyByWindowsWithAMap)
{
    CProbeWnd withMap;
    CFrameWnd frame;
    CWnd plain;
    Keeper keep;  // destroys the windows before their objects go
    ASSERT_EQ(CreateBound(&withMap, 0), 1);
    ASSERT_EQ(frame.Create(0, 0, 200, 150, T("frame"), 1), 1);
    ASSERT_EQ(CreateBound(&plain, 0), 1);
    keep.Add(withMap.m_hWnd);
    keep.Add(frame.m_hWnd);
    keep.Add(plain.m_hWnd);
    CWnd* parents[] = {&withMap, &frame, &plain};

    for (CWnd* parent : parents) {
        CStatic bound;
        RECT r = {0, 0, 49, 19};
        ASSERT_EQ(bound.Create(T("bound"), WS_CHILD | WS_VISIBLE, r, parent, 60), 1);
        bound.SetBkColor(RGB(1, 2, 3));
        bound.SetTextColor(RGB(4, 5, 6));
        CStatic attached;
        attached.Attach(::CreateWindowExA(0, "STATIC", "a", WS_CHILD, 0, 30, 50, 20, parent->m_hWnd, (HMENU)61, 0, 0));

        Surface s(4, 4, 0);
        LRESULT fromBound = ::SendMessageA(parent->m_hWnd, WM_CTLCOLORSTATIC, (WPARAM)s.m_dc, (LPARAM)bound.m_hWnd);
        LRESULT fromAttached =
            ::SendMessageA(parent->m_hWnd, WM_CTLCOLORSTATIC, (WPARAM)s.m_dc, (LPARAM)attached.m_hWnd);
        if (parent == &withMap) {
            EXPECT_EQ((HGDIOBJ)fromBound, bound.m_colours.m_brBk.m_hObject);
            EXPECT_EQ(::GetBkColor(s.m_dc), RGB(1, 2, 3));
            EXPECT_EQ(::GetTextColor(s.m_dc), RGB(4, 5, 6));
            EXPECT_EQ(fromAttached, 0) << "an attached control does not know the request";
        } else {
            EXPECT_NE((HGDIOBJ)fromBound, bound.m_colours.m_brBk.m_hObject) << "no map, no reflection";
            EXPECT_NE(::GetBkColor(s.m_dc), RGB(1, 2, 3));
        }
        ::DestroyWindow(bound.m_hWnd);
        ::DestroyWindow(attached.m_hWnd);
    }
}

TEST(Window, SubclassingAndItsUndoing)
{
    CProbeWnd parent;
    Keeper keep;  // destroys the windows before their objects go
    ASSERT_EQ(CreateBound(&parent, 0), 1);
    keep.Add(parent.m_hWnd);
    HWND edit = keep.Add(::CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 50, 20, parent.m_hWnd, (HMENU)5, 0, 0));
    WNDPROC own = (WNDPROC)::GetWindowLongPtrA(edit, GWLP_WNDPROC);
    CProbeWnd wrapper;
    wrapper.SubclassWindow(edit);
    EXPECT_EQ(wrapper.m_hWnd, edit);
    EXPECT_EQ(wrapper.m_pfnSuper, own);
    EXPECT_EQ((WNDPROC)::GetWindowLongPtrA(edit, GWLP_WNDPROC), (WNDPROC)VekWindowProc);
    ::SendMessageA(edit, WM_PROBE_VOID, 0, 0);
    EXPECT_EQ(wrapper.m_log, "plain;");
    // Unanswered messages reach the control's own procedure.
    ::SendMessageA(edit, WM_SETTEXT, 0, (LPARAM) "typed");
    char text[16];
    ::GetWindowTextA(edit, text, sizeof(text));
    EXPECT_STREQ(text, "typed");
    EXPECT_EQ(wrapper.UnsubclassWindow(), (void*)edit);
    EXPECT_EQ((WNDPROC)::GetWindowLongPtrA(edit, GWLP_WNDPROC), own);
    EXPECT_EQ(::GetWindowLongPtrA(edit, GWLP_USERDATA), 0);
    EXPECT_EQ(wrapper.m_pfnSuper, own);
    wrapper.m_log.clear();
    ::SendMessageA(edit, WM_PROBE_VOID, 0, 0);
    EXPECT_EQ(wrapper.m_log, "");
    EXPECT_EQ(wrapper.Detach(), (void*)edit);
    EXPECT_EQ(wrapper.m_hWnd, (HWND)0);
}

TEST(Window, PlacementUnderATabControlAndMeasuredFromTheBottom)
{
    CProbeWnd top;
    Keeper keep;  // destroys the windows before their objects go
    ASSERT_EQ(CreateBound(&top, 0, 0, 0, 400, 300), 1);
    keep.Add(top.m_hWnd);
    RECT client;
    ::GetClientRect(top.m_hWnd, &client);
    CTabCtrl tab;
    ASSERT_EQ(tab.Create(0, 0, 0, 300, 250, &top, 70), 1);
    keep.Add(tab.m_hWnd);
    RECT tabClient;
    ::GetClientRect(tab.m_hWnd, &tabClient);

    struct Case {
        bool underTab;
        int x, y;
        int wantX, wantY;  // MoveWindow(x, y, 100, 50)
        int posX, posY;    // SetWindowPos(x, y = 20 from the bottom, 100, 50)
    } cases[] = {
        {false, 10, 20, 10, 20, 10, (int)(client.bottom - client.top) - 50 - 20},
        {true, 10, 20, 14, 44, 14, (int)(tabClient.bottom - tabClient.top) - 50 - 20 - 4},
    };
    for (const Case& c : cases) {
        CWnd child;
        HWND parent = c.underTab ? tab.m_hWnd : top.m_hWnd;
        child.Attach(::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, 0, 0, 0));
        child.MoveWindow(c.x, c.y, 100, 50);
        RECT r;
        ::GetWindowRect(child.m_hWnd, &r);
        POINT p = {r.left, r.top};
        ::ScreenToClient(parent, &p);
        EXPECT_EQ(p.x, c.wantX) << c.underTab;
        EXPECT_EQ(p.y, c.wantY) << c.underTab;
        EXPECT_EQ(r.right - r.left, 100);
        child.SetWindowPos(0, c.x, 20, 100, 50, SWP_NOZORDER);
        ::GetWindowRect(child.m_hWnd, &r);
        p.x = r.left;
        p.y = r.top;
        ::ScreenToClient(parent, &p);
        EXPECT_EQ(p.x, c.posX) << c.underTab;
        EXPECT_EQ(p.y, c.posY) << c.underTab;
        CRect rect(5, 6, 104, 55);
        child.MoveWindow(rect);
        ::GetWindowRect(child.m_hWnd, &r);
        EXPECT_EQ(r.right - r.left, 100) << "inclusive width";
        EXPECT_EQ(r.bottom - r.top, 50);
        ::DestroyWindow(child.m_hWnd);
    }
}

TEST(Window, RectanglesTextsFontsAndWrappers)
{
    CProbeWnd top;
    Keeper keep;  // destroys the windows before their objects go
    ASSERT_EQ(CreateBound(&top, 0, 30, 40, 200, 150), 1);
    keep.Add(top.m_hWnd);
    CRect wr, cr;
    top.GetWindowRect(wr);
    top.GetClientRect(cr);
    EXPECT_EQ(wr.left, 30);
    EXPECT_EQ(wr.top, 40);
    EXPECT_EQ(wr.right, 230);
    EXPECT_EQ(cr.left, wr.left) << "a plain window's client rectangle is its window rectangle";
    EXPECT_EQ(cr.bottom, wr.bottom);

    CDC* dc = top.GetWindowDC();
    ASSERT_NE(dc, (CDC*)0);
    EXPECT_NE(dc->GetSafeHdc(), (void*)0);
    EXPECT_EQ(dc->GetWindow(), (void*)top.m_hWnd);
    EXPECT_EQ(dc->m_bOwns, 1) << "deleting the object releases the device context";
    delete dc;

    top.SetWindowTextA(T("Title text"));
    EXPECT_STREQ((char*)top.GetWindowTextA(), "Title text");
    EXPECT_EQ(top.GetWindowTextLengthA(), 10);
    char buffer[6];
    top.GetWindowTextA(buffer, sizeof(buffer));
    EXPECT_STREQ(buffer, "Title");

    top.SetFont(T("Arial"), 13);
    HFONT font = (HFONT)::SendMessageA(top.m_hWnd, WM_GETFONT, 0, 0);
    if (font) {  // a plain window need not keep a font
        LOGFONTA lf;
        ::GetObjectA(font, sizeof(lf), &lf);
        EXPECT_EQ(lf.lfHeight, -13);
    }

    struct Case {
        const char* cls;
        DWORD style;
        CWnd* sample;
    };
    CButton button;
    CEdit edit;
    CListBox list;
    CStatic label;
    Case cases[] = {
        {"BUTTON", BS_PUSHBUTTON, &button},
        {"EDIT", 0, &edit},
        {"LISTBOX", 0, &list},
        {"STATIC", 0, &label},
        {"SysTabControl32", 0, 0},  // the plain window knows no tab wrapper
        {"COMBOBOX", 0, 0},
    };
    int id = 80;
    for (const Case& c : cases) {
        HWND child = ::CreateWindowExA(0, c.cls, "", WS_CHILD | c.style, 0, 0, 50, 50, top.m_hWnd, (HMENU)(INT_PTR)id, 0, 0);
        if (!child) {
            ADD_FAILURE() << "no " << c.cls << " control";
            ++id;
            continue;
        }
        CWnd* first = top.GetDlgItem(id);
        CWnd* second = top.GetDlgItem(id);
        if (c.sample) {
            ASSERT_NE(first, (CWnd*)0) << c.cls;
            EXPECT_TRUE(SameClass(first, *c.sample)) << c.cls;
            EXPECT_NE(first, second) << "a new wrapper at every call";
            EXPECT_EQ(first->m_hWnd, child);
            EXPECT_EQ(first->m_pfnSuper, (WNDPROC)0) << "attached, not subclassed";
            EXPECT_EQ(first->GetDlgCtrlID(), id);
        } else {
            EXPECT_EQ(first, (CWnd*)0) << c.cls;
        }
        delete first;
        delete second;
        ++id;
    }
    EXPECT_EQ(top.GetDlgItem(999), (CWnd*)0);

    HWND kid = keep.Add(::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, top.m_hWnd, 0, 0, 0));
    CWnd child;
    child.Attach(kid);
    CWnd* parent = child.GetParent();
    ASSERT_NE(parent, (CWnd*)0);
    EXPECT_EQ(parent->m_hWnd, top.m_hWnd);
    EXPECT_EQ(child.GetParent(), parent);
    delete parent;
}

TEST(Window, TooltipTextsComeFromTheStringResources)
{
    CWnd plain;
    Keeper keep;  // destroys the windows before their objects go
    ASSERT_EQ(CreateBound(&plain, 0), 1);
    keep.Add(plain.m_hWnd);
    TOOLTIPTEXTA tip;
    memset(&tip, 0, sizeof(tip));
    tip.hdr.hwndFrom = plain.m_hWnd;
    tip.hdr.idFrom = 300;
    tip.hdr.code = TTN_NEEDTEXTA;
    EXPECT_EQ(::SendMessageA(plain.m_hWnd, WM_NOTIFY, 0, (LPARAM)&tip), 0);
    ASSERT_NE(tip.lpszText, (char*)0);
    EXPECT_STREQ(tip.lpszText, "Open the file");
    char* shared = tip.lpszText;
    tip.hdr.idFrom = 301;
    ::SendMessageA(plain.m_hWnd, WM_NOTIFY, 0, (LPARAM)&tip);
    EXPECT_EQ(tip.lpszText, shared) << "one buffer for the whole program";
    EXPECT_STREQ(shared, "Ready");
}
