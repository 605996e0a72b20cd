// Shared pieces of the window class library's tests: the one application
// object, message pumping, bound probe windows and small pixel helpers.
#ifndef KV_TESTS_CLASSLIB_UI_SUPPORT_H
#define KV_TESTS_CLASSLIB_UI_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/winapp.h"
#include "classlib/window.h"

// The program's application object. WinMain tests set what InitInstance
// answers and read what it saw.
class TestApp : public CWinApp
{
public:
    TestApp();
    virtual int InitInstance();
    virtual void Run() { ++m_runs; }
    virtual void ExitInstance() { ++m_exits; }

    int m_initResult;
    int m_runs;
    int m_exits;
    std::string m_seenModule, m_seenProfile, m_seenName, m_seenCmdLine;
    HINSTANCE m_seenInstance;
    int m_seenShow;
};

extern TestApp g_app;

inline char* T(const char* s) { return const_cast<char*>(s); }

// The wParam of a WM_COMMAND: control identifier, notification code.
inline WPARAM Command(int id, int code) { return (WPARAM)(DWORD)MAKELONG(id, code); }

// Registers "ProbeControl", a window class that no wrapper class knows,
// used by the test dialog (once; later calls do nothing).
void RegisterProbeControl();

// Handles every message waiting in the queue.
void Pump();

// Creates w as a bound window of the library's class (a child of parent
// when given, else a top-level popup).
int CreateBound(CWnd* w, CWnd* parent, int x = 0, int y = 0, int width = 200, int height = 150, int id = 0);

// Destroys the windows it was given when it goes, so that a test declares
// it after the window objects and the windows never outlive them.
class Keeper
{
public:
    ~Keeper();
    HWND Add(HWND h)
    {
        m_windows.push_back(h);
        return h;
    }
    std::vector<HWND> m_windows;
};

// 1 when both objects are of the same class (their virtual tables match).
inline int SameClass(const CWnd* a, const CWnd& sample)
{
    return a && *(void* const*)a == *(void* const*)&sample;
}

// A 24-bit memory surface to draw on and read pixels back from.
class Surface
{
public:
    Surface(int width, int height, COLORREF fill);
    ~Surface();
    COLORREF Pixel(int x, int y) { return ::GetPixel(m_dc, x, y) & 0xFFFFFF; }

    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

// A bitmap of width x height filled with colour; the left part up to split
// (exclusive) gets left instead when split > 0.
HBITMAP MakeBitmap(int width, int height, COLORREF colour, int split = 0, COLORREF left = 0);

#endif
