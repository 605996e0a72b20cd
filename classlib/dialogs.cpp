// CDialog: modal and modeless creation, the cached control wrappers, and
// centring on the screen.
#include "dialogs.h"

#include <new>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "controls.h"
#include "framewnd.h"
#include "winapp.h"

VEK_BEGIN_MESSAGE_MAP(CDialog, CWnd)
    VEK_ON_MESSAGE_INT(WM_INITDIALOG, OnInitDialog)
    VEK_ON_COMMAND(IDOK, OnOK)
    VEK_ON_COMMAND(IDCANCEL, OnCancel)
VEK_END_MESSAGE_MAP()

static void FormatTemplate(char* name, int id)
{
    snprintf(name, 64, "%d", id);
}

CDialog::CDialog() : m_hWndOwner(0)
{
    m_szTemplate[0] = 0;
}

CDialog::CDialog(int id, CWnd* parent) : m_hWndOwner(parent ? parent->m_hWnd : 0)
{
    FormatTemplate(m_szTemplate, id);
}

CDialog::CDialog(char* name, CWnd* parent) : m_hWndOwner(parent ? parent->m_hWnd : 0)
{
    m_szTemplate[0] = 0;
    if (name) {
        strncpy(m_szTemplate, name, sizeof(m_szTemplate) - 1);
        m_szTemplate[sizeof(m_szTemplate) - 1] = 0;
    }
}

// Wrappers still listed here belong to a dialog never ended with EndDialog;
// they are not deleted.
CDialog::~CDialog()
{
}

LPCSTR CDialog::TemplateResource(const char* name)
{
    return MAKEINTRESOURCEA(atoi(name));
}

// Dialogs without an owner of their own fall back to the main window's
// frame.
static HWND MainFrameHandle()
{
    CWinApp* app = VekGetWinApp();
    if (!app || !app->m_pMainWnd)
        return 0;
    return ((CFrameWnd*)app->m_pMainWnd)->m_hWndFrame;
}

int CDialog::DoModal()
{
    VEK_CREATE_RECORD record = {sizeof(VEK_CREATE_RECORD), this};
    if (!m_hWndOwner)
        m_hWndOwner = MainFrameHandle();
    return (int)::DialogBoxParamA(VekAppInstance(), TemplateResource(m_szTemplate), m_hWndOwner, VekDialogProc(),
                                  (LPARAM)&record);
}

int CDialog::Create(int id, CWnd* parent)
{
    VEK_CREATE_RECORD record = {sizeof(VEK_CREATE_RECORD), this};
    m_hWndOwner = 0;
    FormatTemplate(m_szTemplate, id);
    if (parent)
        m_hWndOwner = parent->m_hWnd;
    m_hWnd = ::CreateDialogParamA(VekAppInstance(), TemplateResource(m_szTemplate), m_hWndOwner, VekDialogProc(),
                                  (LPARAM)&record);
    return m_hWnd != 0;
}

int CDialog::Create(char* name, CWnd* parent)
{
    VEK_CREATE_RECORD record = {sizeof(VEK_CREATE_RECORD), this};
    if (parent)
        m_hWndOwner = parent->m_hWnd;
    if (!m_hWndOwner)
        m_hWndOwner = MainFrameHandle();
    m_hWnd = ::CreateDialogParamA(VekAppInstance(), TemplateResource(name ? name : ""), m_hWndOwner,
                                  VekDialogProc(), (LPARAM)&record);
    return m_hWnd != 0;
}

void CDialog::EndDialog(int result)
{
    for (int i = m_children.GetSize() - 1; i >= 0; --i) {
        CWnd* child = (CWnd*)m_children[i];
        if (child)
            delete child;
    }
    m_children.RemoveAll();
    ::EndDialog(m_hWnd, result);
}

int CDialog::OnInitDialog()
{
    CenterWindow();
    return 1;
}

void CDialog::CenterWindow()
{
    RECT r;
    ::GetWindowRect(m_hWnd, &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(m_hWnd, 0, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CDialog::GetClientRect(CRect& r)
{
    if (!m_hWnd)
        return;
    RECT c;
    ::GetClientRect(m_hWnd, &c);
    r.SetRect(c);
}

static CWnd* NewWrapper(HWND control)
{
    char name[64];
    name[0] = 0;
    ::GetClassNameA(control, name, sizeof(name));
    if (lstrcmpiA(name, "BUTTON") == 0)
        return new (std::nothrow) CButton;
    if (lstrcmpiA(name, "EDIT") == 0)
        return new (std::nothrow) CEdit;
    if (lstrcmpiA(name, "LISTBOX") == 0)
        return new (std::nothrow) CListBox;
    if (lstrcmpiA(name, "STATIC") == 0)
        return new (std::nothrow) CStatic;
    if (lstrcmpiA(name, "SysTabControl32") == 0)
        return new (std::nothrow) CTabCtrl;
    return new (std::nothrow) CWnd;
}

// Each control is wrapped once per dialog run; the wrapper is attached
// only, so the control keeps its own window procedure.
CWnd* CDialog::GetDlgItem(int id)
{
    HWND control = ::GetDlgItem(m_hWnd, id);
    for (int i = 0; i < m_children.GetSize(); ++i) {
        CWnd* child = (CWnd*)m_children[i];
        if (child && child->m_hWnd == control && control)
            return child;
    }
    if (!control)
        return 0;
    CWnd* wrapper = NewWrapper(control);
    if (!wrapper)
        return 0;
    wrapper->m_hWnd = control;
    int before = m_children.GetSize();
    m_children.Add(wrapper);
    if (m_children.GetSize() != before + 1) {
        // The list could not grow: a wrapper nobody would delete is not
        // handed out.
        delete wrapper;
        return 0;
    }
    return wrapper;
}
