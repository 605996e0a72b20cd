// CWinApp: the one application object of a program, and the library's
// program entry WinMain that fills it and drives it through InitInstance,
// Run and ExitInstance. Also the library's assertion report.
#ifndef KV_CLASSLIB_WINAPP_H
#define KV_CLASSLIB_WINAPP_H

#include <windows.h>

#include "strings.h"

class CWnd;

class CWinApp
{
public:
    CWinApp(char* appName = 0);
    virtual ~CWinApp();

    virtual int InitInstance();
    virtual void Run();
    virtual void ExitInstance();

    CString& GetProfileStringA(char* section, char* key, char* defaultText, char* file);
    int GetProfileIntA(char* section, char* key, int defaultValue, char* file);
    int WriteProfileInt(char* section, char* key, int value, char* file);
    int WriteProfileStringA(char* section, char* key, char* value, char* file);

    int m_nCmdShow;
    HINSTANCE m_hInstance;
    char* m_pszAppName;
    char* m_pszModulePath;
    char* m_pszProfilePath;
    char* m_lpCmdLine;
    CWnd* m_pMainWnd;
    MSG m_msgCur;
    CString m_strProfile;
};

CWinApp* VekGetWinApp();
CWinApp* VekGetApp();
CWinApp* AfxGetApp();

// The application's instance handle, or none before an application object
// exists.
HINSTANCE VekAppInstance();

void VekAssertFailedLine(const char* file, int line);

extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR cmdLine, int nCmdShow);

#endif
