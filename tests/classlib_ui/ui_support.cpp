#include "ui_support.h"

#include <string.h>

#include <gtest/gtest.h>

TestApp g_app;

TestApp::TestApp()
    : CWinApp(), m_initResult(1), m_runs(0), m_exits(0), m_seenInstance(0), m_seenShow(0)
{
    m_hInstance = ::GetModuleHandleA(0);
}

int TestApp::InitInstance()
{
    m_seenModule = m_pszModulePath ? m_pszModulePath : "(null)";
    m_seenProfile = m_pszProfilePath ? m_pszProfilePath : "(null)";
    m_seenName = m_pszAppName ? m_pszAppName : "(null)";
    m_seenCmdLine = m_lpCmdLine ? m_lpCmdLine : "(null)";
    m_seenInstance = m_hInstance;
    m_seenShow = m_nCmdShow;
    return m_initResult;
}

void RegisterProbeControl()
{
    static int done = 0;
    if (done)
        return;
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(0);
    wc.lpszClassName = "ProbeControl";
    done = ::RegisterClassA(&wc) != 0;
}

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

int CreateBound(CWnd* w, CWnd* parent, int x, int y, int width, int height, int id)
{
    VEK_CREATE_RECORD record = {sizeof(VEK_CREATE_RECORD), w};
    unsigned long style = parent ? (WS_CHILD | WS_VISIBLE) : (WS_POPUP | WS_VISIBLE);
    return w->Create(0, T("probe"), style, x, y, width, height, parent, id, &record);
}

Surface::Surface(int width, int height, COLORREF fill)
{
    HDC screen = ::GetDC(0);
    m_dc = ::CreateCompatibleDC(screen);
    m_bitmap = ::CreateCompatibleBitmap(screen, width, height);
    ::ReleaseDC(0, screen);
    m_old = ::SelectObject(m_dc, m_bitmap);
    HBRUSH brush = ::CreateSolidBrush(fill);
    RECT r = {0, 0, width, height};
    ::FillRect(m_dc, &r, brush);
    ::DeleteObject(brush);
}

Surface::~Surface()
{
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

HBITMAP MakeBitmap(int width, int height, COLORREF colour, int split, COLORREF left)
{
    Surface s(width, height, colour);
    if (split > 0) {
        HBRUSH brush = ::CreateSolidBrush(left);
        RECT r = {0, 0, split, height};
        ::FillRect(s.m_dc, &r, brush);
        ::DeleteObject(brush);
    }
    ::SelectObject(s.m_dc, s.m_old);
    HBITMAP result = s.m_bitmap;
    s.m_bitmap = ::CreateCompatibleBitmap(s.m_dc, 1, 1);  // the surface deletes this one instead
    s.m_old = ::SelectObject(s.m_dc, s.m_bitmap);
    return result;
}

Keeper::~Keeper()
{
    for (size_t i = m_windows.size(); i-- > 0;)
        if (::IsWindow(m_windows[i]))
            ::DestroyWindow(m_windows[i]);
    Pump();
}

// Every bound window must be gone before its object: a window that outlives
// the tests would reach a destroyed object when the process ends.
class NoBoundWindowsLeft : public ::testing::Environment
{
public:
    void TearDown() override
    {
        HWND desktop = ::GetDesktopWindow();
        if (!desktop) {
            ADD_FAILURE() << "no desktop window whose top-level windows could be checked";
            return;
        }
        for (HWND h = ::GetWindow(desktop, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
            // Only read, never sent to: its object may be gone already.
            if ((WNDPROC)::GetWindowLongPtrA(h, GWLP_WNDPROC) == (WNDPROC)VekWindowProc)
                ADD_FAILURE() << "a library window outlived the tests: " << (void*)h;
        }
    }
};

static ::testing::Environment* const s_noBoundWindowsLeft =
    ::testing::AddGlobalTestEnvironment(new NoBoundWindowsLeft);
