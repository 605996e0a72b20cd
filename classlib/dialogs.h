// CDialog: the window object of a dialog box from a numbered dialog
// resource, shown modally (DoModal) or modelessly (Create). The object is
// bound to its window at WM_INITDIALOG. GetDlgItem wraps each control once
// in an object of the matching control class; the dialog owns these
// wrappers and deletes them in EndDialog.
#ifndef KV_CLASSLIB_DIALOGS_H
#define KV_CLASSLIB_DIALOGS_H

#include "arrays.h"
#include "window.h"

class CDataExchange;

class CDialog : public CWnd
{
public:
    CDialog();
    CDialog(int id, CWnd* parent);
    CDialog(char* name, CWnd* parent);
    virtual ~CDialog();

    virtual void GetClientRect(CRect& r);
    virtual CWnd* GetDlgItem(int id);
    virtual void SetWindowTextA(char* text) { ::SetWindowTextA(m_hWnd, text); }

    virtual int Create(int id, CWnd* parent);
    virtual int Create(char* name, CWnd* parent);
    virtual void CenterWindow();
    virtual void DoDataExchange(CDataExchange*) {}
    virtual int DoModal();
    virtual void EndDialog(int result);
    virtual void OnCancel() { EndDialog(0); }
    virtual int OnInitDialog();
    virtual void OnOK() { EndDialog(1); }

    using CWnd::Create;
    using CWnd::GetWindowTextA;

    // The resource number of the template name: its decimal value, low 16
    // bits.
    LPCSTR TemplateResource(const char* name);

    char m_szTemplate[64];
    HWND m_hWndOwner;
    CPtrArray m_children;

    VEK_DECLARE_MESSAGE_MAP(CDialog)
};

#endif
