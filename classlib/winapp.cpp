// The application object, the program entry and the assertion report.
#include "winapp.h"

#include <commctrl.h>
#include <new>
#include <stdio.h>
#include <string.h>

#include "framewnd.h"

static CWinApp* s_pApp = 0;

CWinApp::CWinApp(char* appName)
    : m_nCmdShow(SW_SHOW), m_hInstance(0), m_pszAppName(appName), m_pszModulePath(0),
      m_pszProfilePath(0), m_lpCmdLine(0), m_pMainWnd(0)
{
    memset(&m_msgCur, 0, sizeof(m_msgCur));
    s_pApp = this;
}

// The path strings belong to WinMain, which frees them before it returns.
CWinApp::~CWinApp()
{
}

int CWinApp::InitInstance()
{
    CFrameWnd* frame = new (std::nothrow) CFrameWnd;
    m_pMainWnd = frame;
    if (frame) {
        frame->Create(100, 100, 420, 300, 0, 256);
        frame->ShowWindow(SW_SHOW);
    }
    return 1;
}

void CWinApp::Run()
{
    while (::GetMessageA(&m_msgCur, 0, 0, 0) != 0) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageA(&m_msgCur);
    }
}

void CWinApp::ExitInstance()
{
    if (m_pMainWnd)
        delete m_pMainWnd;
}

static char* ProfileFile(CWinApp* app, char* file)
{
    return file ? file : app->m_pszProfilePath;
}

CString& CWinApp::GetProfileStringA(char* section, char* key, char* defaultText, char* file)
{
    char buffer[256];
    buffer[0] = 0;
    ::GetPrivateProfileStringA(section, key, defaultText, buffer, sizeof(buffer), ProfileFile(this, file));
    m_strProfile = buffer;
    return m_strProfile;
}

int CWinApp::GetProfileIntA(char* section, char* key, int defaultValue, char* file)
{
    return (int)::GetPrivateProfileIntA(section, key, defaultValue, ProfileFile(this, file));
}

int CWinApp::WriteProfileInt(char* section, char* key, int value, char* file)
{
    char text[16];
    snprintf(text, sizeof(text), "%d", value);
    return ::WritePrivateProfileStringA(section, key, text, ProfileFile(this, file));
}

int CWinApp::WriteProfileStringA(char* section, char* key, char* value, char* file)
{
    return ::WritePrivateProfileStringA(section, key, value, ProfileFile(this, file));
}

CWinApp* VekGetWinApp()
{
    return s_pApp;
}

CWinApp* VekGetApp()
{
    return s_pApp;
}

CWinApp* AfxGetApp()
{
    return s_pApp;
}

HINSTANCE VekAppInstance()
{
    return s_pApp ? s_pApp->m_hInstance : 0;
}

void VekAssertFailedLine(const char* file, int line)
{
    static char s_unknown[] = "<unknown application>";
    CWinApp* app = s_pApp;
    if (app && !app->m_pszAppName)
        app->m_pszAppName = s_unknown;
    char text[128];
    snprintf(text, sizeof(text), "%s: File: %s, Line %d", app ? app->m_pszAppName : s_unknown, file, line);
    int answer = ::MessageBoxA(0, text, "Assertion failed!", MB_ABORTRETRYIGNORE | MB_ICONHAND);
    if (answer != IDRETRY && answer != IDIGNORE)
        ::PostQuitMessage(0);
}

static char* HeapCopy(const char* text)
{
    size_t n = strlen(text);
    char* copy = new (std::nothrow) char[n + 1];
    if (copy)
        memcpy(copy, text, n + 1);
    return copy;
}

static int EndsWithExe(const char* path)
{
    size_t n = strlen(path);
    if (n < 4)
        return 0;
    const char* tail = path + n - 4;
    static const char exe[] = ".exe";
    for (int i = 0; i < 4; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c + 0x20);
        if (c != exe[i])
            return 0;
    }
    return 1;
}

extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR cmdLine, int nCmdShow)
{
    ::InitCommonControls();
    ::SetHandleCount(150);

    char buffer[128];
    buffer[0] = 0;
    DWORD got = ::GetModuleFileNameA(hInstance, buffer, sizeof(buffer));
    buffer[got < sizeof(buffer) ? got : sizeof(buffer) - 1] = 0;
    if (EndsWithExe(buffer))
        buffer[strlen(buffer) - 4] = 0;

    CWinApp* app = s_pApp;
    if (!app)
        return 0;
    app->m_pszModulePath = HeapCopy(buffer);

    char* ownName = 0;
    if (!app->m_pszAppName) {
        const char* name = buffer;
        for (const char* p = buffer; *p; ++p) {
            if (*p == ':' || *p == '\\' || *p == '/')
                name = p + 1;
        }
        ownName = HeapCopy(name);
        app->m_pszAppName = ownName;
    }

    // The buffer is sized for a module path that leaves room for ".ini".
    size_t n = strlen(buffer);
    if (n + 5 <= sizeof(buffer))
        memcpy(buffer + n, ".ini", 5);
    app->m_pszProfilePath = HeapCopy(buffer);

    app->m_hInstance = hInstance;
    app->m_nCmdShow = nCmdShow;
    app->m_lpCmdLine = cmdLine;

    if (app->InitInstance() == 1) {
        app->Run();
        app->ExitInstance();
    }

    // Nothing reads the paths after this point; the fields are cleared so
    // that a late assertion report cannot show freed memory.
    delete[] app->m_pszProfilePath;
    app->m_pszProfilePath = 0;
    if (ownName) {
        delete[] ownName;
        app->m_pszAppName = 0;
    }
    delete[] app->m_pszModulePath;
    app->m_pszModulePath = 0;
    return 0;
}
