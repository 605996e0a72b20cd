// Dialogs from numbered resources: modal results, owners, the cached
// control wrappers, centring, and reflection inside a dialog.
#include <gtest/gtest.h>

#include "classlib/controls.h"
#include "classlib/dialogs.h"
#include "classlib/framewnd.h"
#include "ui_support.h"

#include <string>

// Notes its destruction in a shared log.
class CNotedWnd : public CWnd
{
public:
    CNotedWnd(std::string* log, const char* name) : m_log(log), m_name(name) {}
    virtual ~CNotedWnd() { *m_log += m_name; }
    std::string* m_log;
    const char* m_name;
};

// Ends itself from OnInitDialog with the command it was given, after
// looking at its controls.
class CProbeDlg : public CDialog
{
public:
    CProbeDlg(int id, CWnd* parent, int command) : CDialog(id, parent), m_command(command) {}
    virtual int OnInitDialog()
    {
        CDialog::OnInitDialog();
        m_owner = ::GetWindow(m_hWnd, GW_OWNER);
        m_bound = (CWnd*)::GetWindowLongPtrA(m_hWnd, GWLP_USERDATA) == this && m_bDialog == 1;
        ::GetWindowRect(m_hWnd, &m_placed);
        m_first = GetDlgItem(238);
        m_second = GetDlgItem(238);
        m_missing = GetDlgItem(999);
        m_listed = m_children.GetSize();
        m_classes = SameClass(GetDlgItem(1), CButton()) && SameClass(GetDlgItem(239), CEdit()) &&
                    SameClass(GetDlgItem(240), CListBox()) && SameClass(GetDlgItem(238), CStatic()) &&
                    SameClass(GetDlgItem(241), CTabCtrl()) && SameClass(GetDlgItem(242), CWnd());
        m_attachedOnly = m_first && m_first->m_pfnSuper == 0;
        m_children.Add(new CNotedWnd(&m_deleted, "a;"));
        m_children.Add(0);  // skipped
        m_children.Add(new CNotedWnd(&m_deleted, "b;"));
        CRect client;
        GetClientRect(client);
        RECT own;
        ::GetClientRect(m_hWnd, &own);
        m_clientMatches = client.left == 0 && client.top == 0 && client.right == own.right && client.bottom == own.bottom;
        ::PostMessageA(m_hWnd, WM_COMMAND, Command(m_command, BN_CLICKED), 0);
        return 1;
    }
    virtual void EndDialog(int result)
    {
        m_before = m_children.GetSize();
        CDialog::EndDialog(result);
        m_after = m_children.GetSize();
    }

    int m_command;
    HWND m_owner = 0;
    int m_bound = 0;
    RECT m_placed = {0, 0, 0, 0};
    CWnd* m_first = 0;
    CWnd* m_second = 0;
    CWnd* m_missing = 0;
    int m_listed = 0;
    int m_classes = 0;
    int m_attachedOnly = 0;
    int m_clientMatches = 0;
    int m_before = -1;
    int m_after = -1;
    std::string m_deleted;
};

TEST(Dialog, TemplateNamesAreDecimalText)
{
    CDialog byNumber(1001, 0);
    EXPECT_STREQ(byNumber.m_szTemplate, "1001");
    CDialog byText(T("1014"), 0);
    EXPECT_STREQ(byText.m_szTemplate, "1014");
    CDialog none;
    EXPECT_STREQ(none.m_szTemplate, "");
    EXPECT_EQ(none.m_hWndOwner, (HWND)0);
    EXPECT_EQ(byNumber.TemplateResource(" 1001xyz"), MAKEINTRESOURCEA(1001));
    EXPECT_EQ(byNumber.TemplateResource("abc"), MAKEINTRESOURCEA(0));
}

TEST(Dialog, DoModalResults)
{
    RegisterProbeControl();
    struct Case {
        int resource, command, result;
    } cases[] = {
        {1001, IDOK, 1},
        {1001, IDCANCEL, 0},  // 0, not IDCANCEL
        {4242, IDOK, -1},     // no such resource
    };
    for (const Case& c : cases) {
        CProbeDlg dlg(c.resource, 0, c.command);
        EXPECT_EQ(dlg.DoModal(), c.result) << c.resource << " " << c.command;
    }
}

TEST(Dialog, ModalRunBindsCentresAndCachesWrappers)
{
    RegisterProbeControl();
    CProbeDlg dlg(1001, 0, IDOK);
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(dlg.m_bound, 1);
    EXPECT_EQ(dlg.m_owner, (HWND)0) << "no parent and no main window: no owner";
    int w = dlg.m_placed.right - dlg.m_placed.left, h = dlg.m_placed.bottom - dlg.m_placed.top;
    EXPECT_EQ(dlg.m_placed.left, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    EXPECT_EQ(dlg.m_placed.top, (::GetSystemMetrics(SM_CYSCREEN) - h) / 2);
    EXPECT_NE(dlg.m_first, (CWnd*)0);
    EXPECT_EQ(dlg.m_first, dlg.m_second) << "one wrapper per control";
    EXPECT_EQ(dlg.m_missing, (CWnd*)0);
    EXPECT_EQ(dlg.m_listed, 1) << "a missing control leaves the list as it was";
    EXPECT_EQ(dlg.m_classes, 1);
    EXPECT_EQ(dlg.m_attachedOnly, 1);
    EXPECT_EQ(dlg.m_clientMatches, 1);
    EXPECT_EQ(dlg.m_before, 9);
    EXPECT_EQ(dlg.m_after, 0);
    EXPECT_EQ(dlg.m_deleted, "b;a;") << "EndDialog deletes the wrappers, the last created first";
    // Shown again, the dialog makes its wrappers anew.
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(dlg.m_listed, 1);
    EXPECT_EQ(dlg.m_before, 9);
}

TEST(Dialog, CentringOnTheScreen)
{
    RegisterProbeControl();
    CDialog dlg(1001, 0);
    ASSERT_EQ(dlg.Create(1001, 0), 1);
    ::SetWindowPos(dlg.m_hWnd, 0, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
    dlg.CenterWindow();
    RECT r;
    ::GetWindowRect(dlg.m_hWnd, &r);
    EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - 200) / 2);
    EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) - 100) / 2);
    ::DestroyWindow(dlg.m_hWnd);
}

TEST(Dialog, OwnersOfModelessDialogs)
{
    RegisterProbeControl();
    CFrameWnd main;
    ASSERT_EQ(main.Create(10, 10, 300, 200, T("main"), 1), 1);
    g_app.m_pMainWnd = &main;

    CDialog byNumber;
    ASSERT_EQ(byNumber.Create(1001, 0), 1);
    EXPECT_EQ(::GetWindow(byNumber.m_hWnd, GW_OWNER), (HWND)0) << "no fallback to the main window";
    EXPECT_STREQ(byNumber.m_szTemplate, "1001");
    EXPECT_EQ(byNumber.m_bDialog, 1);

    CDialog byText;
    ASSERT_EQ(byText.Create(T("1001"), 0), 1);
    EXPECT_EQ(::GetWindow(byText.m_hWnd, GW_OWNER), main.m_hWnd);
    EXPECT_STREQ(byText.m_szTemplate, "") << "the text form leaves the template name";

    CDialog owned;
    ASSERT_EQ(owned.Create(1001, &main), 1);
    EXPECT_EQ(::GetWindow(owned.m_hWnd, GW_OWNER), main.m_hWnd);

    CDialog missing;
    EXPECT_EQ(missing.Create(4242, 0), 0);

    CProbeDlg modal(1001, 0, IDOK);
    EXPECT_EQ(modal.DoModal(), 1);
    EXPECT_EQ(modal.m_owner, main.m_hWnd) << "DoModal falls back to the main window's frame";

    g_app.m_pMainWnd = 0;
    ::DestroyWindow(byNumber.m_hWnd);
    ::DestroyWindow(byText.m_hWnd);
    ::DestroyWindow(owned.m_hWnd);
    ::DestroyWindow(main.m_hWnd);
    Pump();
}

TEST(Dialog, ColourRequestsInADialogAreAnsweredByABoundStatic)
{
    RegisterProbeControl();
    CDialog dlg;
    ASSERT_EQ(dlg.Create(1001, 0), 1);
    CStatic* label = (CStatic*)dlg.GetDlgItem(238);
    ASSERT_NE(label, (CStatic*)0);
    Surface s(4, 4, 0);
    LRESULT before = ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORSTATIC, (WPARAM)s.m_dc, (LPARAM)label->m_hWnd);
    label->SubclassWindow();
    label->SetBkColor(RGB(9, 8, 7));
    label->SetTextColor(RGB(1, 1, 1));
    LRESULT after = ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORSTATIC, (WPARAM)s.m_dc, (LPARAM)label->m_hWnd);
    EXPECT_EQ((HGDIOBJ)after, label->m_colours.m_brBk.m_hObject);
    EXPECT_NE(before, after) << "attached only: the dialog manager's default";
    EXPECT_EQ(::GetBkColor(s.m_dc), RGB(9, 8, 7));
    label->UnsubclassWindow();
    dlg.EndDialog(0);
    ::DestroyWindow(dlg.m_hWnd);
    Pump();
}

TEST(Dialog, ComboBoxesGetAPlainWrapper)
{
    CDialog dlg;
    ASSERT_EQ(dlg.Create(1002, 0), 1);
    CWnd* combo = dlg.GetDlgItem(242);
    EXPECT_TRUE(SameClass(combo, CWnd()));
    dlg.EndDialog(0);
    ::DestroyWindow(dlg.m_hWnd);
    Pump();
}
