// The application object and the program entry: what WinMain records, the
// phases it runs, the profile operations and the assertion report.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <string>

#include "classlib/framewnd.h"
#include "classlib/winapp.h"
#include "ui_support.h"

static std::string ModuleFile()
{
    char buffer[128];
    DWORD n = ::GetModuleFileNameA(::GetModuleHandleA(0), buffer, sizeof(buffer));
    return std::string(buffer, n < sizeof(buffer) ? n : 0);
}

static bool EndsWithExe(const std::string& s)
{
    if (s.size() < 4)
        return false;
    std::string tail = s.substr(s.size() - 4);
    for (char& c : tail)
        c = (char)tolower((unsigned char)c);
    return tail == ".exe";
}

TEST(WinApp, OneApplicationObjectUnderThreeNames)
{
    EXPECT_EQ(VekGetWinApp(), &g_app);
    EXPECT_EQ(VekGetApp(), &g_app);
    EXPECT_EQ(AfxGetApp(), &g_app);
}

TEST(WinApp, WinMainRecordsTheModuleAndRunsThePhases)
{
    std::string file = ModuleFile();
    ASSERT_FALSE(file.empty());
    std::string module = EndsWithExe(file) ? file.substr(0, file.size() - 4) : file;
    size_t cut = module.find_last_of(":\\/");
    std::string name = cut == std::string::npos ? module : module.substr(cut + 1);

    struct Case {
        int initResult;
        const char* presetName;
        int runs;
    } cases[] = {
        {1, 0, 1},
        {2, 0, 0},  // anything but 1 skips Run and ExitInstance
        {0, 0, 0},
        {1, "SETUP", 1},  // a name given at construction is kept
    };
    for (const Case& c : cases) {
        g_app.m_initResult = c.initResult;
        g_app.m_runs = g_app.m_exits = 0;
        g_app.m_pszAppName = T(c.presetName);
        HINSTANCE instance = ::GetModuleHandleA(0);
        EXPECT_EQ(WinMain(instance, 0, T("C:\\some dir\\install.log"), SW_SHOWNORMAL), 0);
        EXPECT_EQ(g_app.m_seenModule, module);
        EXPECT_EQ(g_app.m_seenProfile, module + ".ini");
        EXPECT_EQ(g_app.m_seenName, c.presetName ? std::string(c.presetName) : name);
        EXPECT_EQ(g_app.m_seenCmdLine, "C:\\some dir\\install.log");
        EXPECT_EQ(g_app.m_seenInstance, instance);
        EXPECT_EQ(g_app.m_seenShow, SW_SHOWNORMAL);
        EXPECT_EQ(g_app.m_runs, c.runs) << c.initResult;
        EXPECT_EQ(g_app.m_exits, c.runs) << c.initResult;
    }
    g_app.m_initResult = 1;
    g_app.m_pszAppName = 0;
    g_app.m_hInstance = ::GetModuleHandleA(0);
}

TEST(WinApp, DefaultStartUpMakesAFrameAndExitDeletesIt)
{
    CWinApp& base = g_app;
    EXPECT_EQ(base.CWinApp::InitInstance(), 1);
    ASSERT_NE(g_app.m_pMainWnd, (CWnd*)0);
    HWND hwnd = g_app.m_pMainWnd->m_hWnd;
    ASSERT_NE(hwnd, (HWND)0);
    char title[64];
    ::GetWindowTextA(hwnd, title, sizeof(title));
    EXPECT_STREQ(title, "VEK Default Window");
    RECT r;
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right - r.left, 420);
    EXPECT_EQ(r.bottom - r.top, 300);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_NE(::GetMenu(hwnd), (HMENU)0) << "menu 256 of the resources";
    ::DestroyWindow(hwnd);
    base.CWinApp::ExitInstance();
    EXPECT_NE(g_app.m_pMainWnd, (CWnd*)0) << "the field keeps its old value";
    g_app.m_pMainWnd = 0;
}

TEST(WinApp, ProfileOperations)
{
    char path[MAX_PATH];
    DWORD n = ::GetCurrentDirectoryA(sizeof(path), path);
    ASSERT_GT(n, 0u);
    std::string file = std::string(path) + "\\kv_classlib_profile.ini";
    ::DeleteFileA(file.c_str());
    char* f = T(file.c_str());

    EXPECT_NE(g_app.WriteProfileInt(T("Main"), T("Count"), -5, f), 0);
    EXPECT_NE(g_app.WriteProfileStringA(T("Main"), T("Name"), T("Zorva"), f), 0);
    CString& first = g_app.GetProfileStringA(T("Main"), T("Count"), T("none"), f);
    EXPECT_STREQ((char*)first, "-5");
    CString& second = g_app.GetProfileStringA(T("Main"), T("Name"), T("none"), f);
    EXPECT_EQ(&first, &second);
    EXPECT_STREQ((char*)first, "Zorva") << "the reference shows the text of the latest call";
    EXPECT_STREQ((char*)g_app.GetProfileStringA(T("Main"), T("Missing"), T("none"), f), "none");
    EXPECT_EQ(g_app.GetProfileIntA(T("Main"), T("Count"), 9, f), -5);
    EXPECT_EQ(g_app.GetProfileIntA(T("Main"), T("Missing"), 9, f), 9);
    ::DeleteFileA(file.c_str());
}

// Answers the assertion message box from a timer while it runs its modal
// loop, after reading its texts.
static std::string s_boxTexts;
static int s_boxAnswer;

static void CALLBACK AnswerBox(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = ::GetActiveWindow();
    char title[64];
    if (!box || !::GetWindowTextA(box, title, sizeof(title)) || strcmp(title, "Assertion failed!") != 0)
        return;
    ::KillTimer(0, id);
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char text[256];
        if (::GetWindowTextA(child, text, sizeof(text)) > 0)
            s_boxTexts += std::string(text) + "|";
    }
    ::PostMessageA(box, WM_COMMAND, (WPARAM)s_boxAnswer, 0);
}

TEST(WinApp, AssertionReportAndItsAnswers)
{
    struct Case {
        int answer;
        bool quits;
    } cases[] = {{IDRETRY, false}, {IDIGNORE, false}, {IDABORT, true}};
    for (const Case& c : cases) {
        g_app.m_pszAppName = T("SETUP");
        s_boxTexts.clear();
        s_boxAnswer = c.answer;
        ::SetTimer(0, 0, 50, AnswerBox);
        VekAssertFailedLine("a", 7);
        EXPECT_NE(s_boxTexts.find("SETUP: File: a, Line 7|"), std::string::npos) << s_boxTexts;
        MSG msg;
        BOOL quit = ::PeekMessageA(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE);
        EXPECT_EQ(quit != 0, c.quits) << c.answer;
        if (quit) {
            EXPECT_EQ(msg.wParam, 0u);
        }
    }
    g_app.m_pszAppName = 0;
    s_boxTexts.clear();
    s_boxAnswer = IDIGNORE;
    ::SetTimer(0, 0, 50, AnswerBox);
    VekAssertFailedLine("b", 1);
    EXPECT_STREQ(g_app.m_pszAppName, "<unknown application>");
    EXPECT_NE(s_boxTexts.find("<unknown application>: File: b, Line 1"), std::string::npos) << s_boxTexts;
    g_app.m_pszAppName = 0;
}
