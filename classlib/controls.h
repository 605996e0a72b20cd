// Control wrappers: CEdit, CButton, CStatic, CListBox, CTabCtrl, and the
// owner-drawn CBitmapButton.
//
// A wrapper either attaches to an existing control (it only records the
// handle) or creates the control itself. CButton and CStatic add owner-chosen
// text and background colours and two-colour blinking of the text, the
// background or both, driven by one window timer that both kinds share; they
// take effect once the library's window procedure runs for the control
// (their Create operations subclass it; an attached wrapper needs an explicit
// SubclassWindow).
#ifndef KV_CLASSLIB_CONTROLS_H
#define KV_CLASSLIB_CONTROLS_H

#include <windows.h>

#include <commctrl.h>

#include "gdiobjects.h"
#include "window.h"

class CEdit : public CWnd
{
public:
    CEdit() {}
    virtual ~CEdit() {}

    void Create(unsigned long style, int x, int y, int width, int height, CWnd* parent, int id);
    void LimitText(int n) { ::SendMessageA(m_hWnd, EM_LIMITTEXT, (WPARAM)n, 0); }
    void Paste();
    // Left as no-ops: nothing in the system edits through the clipboard
    // except Paste.
    void Clear() {}
    void Cut() {}
    void Copy() {}
    void Undo() {}
    int SetTabStop(int) { return 0; }
};

// The colour and blink state that CButton and CStatic share, with its
// rules. The owner is the control whose timer, identifier and redrawing the
// rules use.
class CBlinkColours
{
public:
    CBlinkColours();

    void SetTextColor(CWnd& owner, unsigned long c);
    void SetBkColor(CWnd& owner, unsigned long c);
    void SetBlinkTextColors(unsigned long c0, unsigned long c1);
    void SetBlinkBkColors(CWnd& owner, unsigned long c0, unsigned long c1);
    void StartTextBlink(CWnd& owner, int mode, unsigned speed);
    void StartBkBlink(CWnd& owner, int mode, unsigned speed);
    void EnableNotify(CWnd* wnd, unsigned msg);
    void* CtlColor(CDC* dc);
    void OnTimer(CWnd& owner, unsigned id);
    void OnDestroy(CWnd& owner);

    unsigned m_nTimer;
    COLORREF m_crText;
    COLORREF m_crBlinkText[2];
    int m_nTextBlink;
    int m_nTextPhase;
    COLORREF m_crBk;
    COLORREF m_crBlinkBk[2];
    int m_nBkBlink;
    int m_nBkPhase;
    CBrush m_brBk;
    CBrush m_brBlink[2];
    CWnd* m_pNotifyWnd;
    unsigned m_nNotifyMsg;

private:
    void StopTimer(CWnd& owner);
    void StartTimer(CWnd& owner, unsigned speed);
};

// Blink speeds: 0 slow, 1 medium, 2 fast; any other value is the period in
// milliseconds.
unsigned VekBlinkPeriod(unsigned speed);

// The colour and blink operations, handlers and state of CButton and
// CStatic, written once: each class forwards them to its CBlinkColours with
// itself as the owner. The handlers keep their order (CtlColor, OnTimer,
// OnDestroy) after the overrides of CWnd.
#define VEK_BLINK_COLOUR_MEMBERS()                                                                              \
public:                                                                                                         \
    virtual void SetTextColor(unsigned long c) { m_colours.SetTextColor(*this, c); }                            \
    virtual void SetBkColor(unsigned long c) { m_colours.SetBkColor(*this, c); }                                \
    unsigned long GetTextColor() { return m_colours.m_crText; }                                                 \
    unsigned long GetBkColor() { return m_colours.m_crBk; }                                                     \
    void SetBlinkTextColors(unsigned long c0, unsigned long c1) { m_colours.SetBlinkTextColors(c0, c1); }       \
    void SetBlinkBkColors(unsigned long c0, unsigned long c1) { m_colours.SetBlinkBkColors(*this, c0, c1); }    \
    void StartTextBlink(int mode, unsigned speed) { m_colours.StartTextBlink(*this, mode, speed); }             \
    void StartBkBlink(int mode, unsigned speed) { m_colours.StartBkBlink(*this, mode, speed); }                 \
    void EnableNotify(CWnd* wnd, unsigned msg) { m_colours.EnableNotify(wnd, msg); }                            \
    virtual void* CtlColor(CDC* dc, unsigned) { return m_colours.CtlColor(dc); }                                \
    virtual void OnTimer(unsigned id) { m_colours.OnTimer(*this, id); }                                         \
    virtual void OnDestroy() { m_colours.OnDestroy(*this); }                                                    \
    CBlinkColours m_colours;

class CButton : public CWnd
{
public:
    CButton() {}
    virtual ~CButton() {}

    void Create(unsigned long style, char* text, int x, int y, int width, int height, CWnd* parent, int id);
    int Create(char* text, int style, const RECT& rect, CWnd* parent, int id);

    void SetCheck(int state) { ::SendMessageA(m_hWnd, BM_SETCHECK, (WPARAM)state, 0); }
    int GetCheck() { return (int)::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0); }

    VEK_BLINK_COLOUR_MEMBERS()

    VEK_DECLARE_MESSAGE_MAP(CButton)
};

class CStatic : public CWnd
{
public:
    CStatic() {}
    virtual ~CStatic() {}

    void Create(unsigned long style, char* text, int x, int y, int width, int height, CWnd* parent, int id);
    int Create(char* text, int style, const RECT& rect, CWnd* parent, int id);

    VEK_BLINK_COLOUR_MEMBERS()

    VEK_DECLARE_MESSAGE_MAP(CStatic)
};

class CListBox : public CWnd
{
public:
    CListBox() {}
    virtual ~CListBox() {}

    void Create(unsigned long style, int x, int y, int width, int height, CWnd* parent, int id);

    int AddString(char* s) { return Send(LB_ADDSTRING, 0, (LPARAM)s); }
    int AddString(CString& s) { return AddString(s.GetBuffer(0)); }
    int InsertString(int i, char* s) { return Send(LB_INSERTSTRING, (WPARAM)i, (LPARAM)s); }
    int InsertString(int i, CString& s) { return InsertString(i, s.GetBuffer(0)); }
    void DeleteString(int i) { Send(LB_DELETESTRING, (WPARAM)i, 0); }
    void ResetContent() { Send(LB_RESETCONTENT, 0, 0); }
    void SetSel(int a, int b) { Send(LB_SETSEL, (WPARAM)a, (LPARAM)b); }
    void SetCurSel(int i) { Send(LB_SETCURSEL, (WPARAM)i, 0); }
    int GetCurSel() { return Send(LB_GETCURSEL, 0, 0); }
    void GetText(int i, char* buffer) { Send(LB_GETTEXT, (WPARAM)i, (LPARAM)buffer); }
    void GetText(int i, CString& s);
    int GetTextLen(int i) { return Send(LB_GETTEXTLEN, (WPARAM)i, 0); }
    int GetCount() { return Send(LB_GETCOUNT, 0, 0); }
    int SelectString(int start, char* s) { return Send(LB_SELECTSTRING, (WPARAM)start, (LPARAM)s); }
    int SelectString(int start, CString& s) { return SelectString(start, s.GetBuffer(0)); }
    int GetTopIndex() { return Send(LB_GETTOPINDEX, 0, 0); }
    int FindString(int start, char* s, int exact)
    {
        return Send(exact ? LB_FINDSTRINGEXACT : LB_FINDSTRING, (WPARAM)start, (LPARAM)s);
    }
    int FindString(int start, CString& s, int exact) { return FindString(start, s.GetBuffer(0), exact); }
    int GetSelCount() { return Send(LB_GETSELCOUNT, 0, 0); }
    void GetSelItems(int max, int* items) { Send(LB_GETSELITEMS, (WPARAM)max, (LPARAM)items); }
    int SetTopIndex(int i) { return Send(LB_SETTOPINDEX, (WPARAM)i, 0); }
    void SetText(int i, char* s)
    {
        Send(LB_INSERTSTRING, (WPARAM)i, (LPARAM)s);
        Send(LB_DELETESTRING, (WPARAM)(i + 1), 0);
    }
    void SetText(int i, CString& s) { SetText(i, s.GetBuffer(0)); }

private:
    int Send(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return (int)::SendMessageA(m_hWnd, message, wParam, lParam);
    }
};

class CTabCtrl : public CWnd
{
public:
    CTabCtrl() {}
    virtual ~CTabCtrl() {}

    int Create(unsigned long style, int x, int y, int width, int height, CWnd* parent, int id);

    int InsertItem(int i, TCITEMA* item, void*)
    {
        return ::SendMessageA(m_hWnd, TCM_INSERTITEMA, (WPARAM)i, (LPARAM)item) != -1;
    }
    int SetItem(int i, TCITEMA* item) { return ::SendMessageA(m_hWnd, TCM_SETITEMA, (WPARAM)i, (LPARAM)item) != 0; }
    int GetCurSel() { return (int)::SendMessageA(m_hWnd, TCM_GETCURSEL, 0, 0); }
    int GetItemCount() { return (int)::SendMessageA(m_hWnd, TCM_GETITEMCOUNT, 0, 0); }
    int SetCurSel(int i);
    // The area the library leaves for a page inside the tab control: the
    // window rectangle less 10 on the right and 30 at the bottom.
    virtual void GetClientRect(CRect& r);
};

// An owner-drawn push button showing one of four bitmaps by its state (up,
// pressed, focused, disabled), optionally through a transparency mask.
class CBitmapButton : public CButton
{
public:
    CBitmapButton() {}
    virtual ~CBitmapButton() {}

    int LoadBitmaps(char* up, char* down, char* focus, char* disabled);
    int LoadBitmaps(int up, int down, int focus, int disabled);
    int SetMaskBitmap(char* name) { return m_bmpMask.LoadBitmapA(name); }
    int SetMaskBitmap(int id) { return m_bmpMask.LoadBitmapA(id); }

    virtual void DrawItem(DRAWITEMSTRUCT* item);
    virtual long OnEraseBackground(int, long) { return 1; }

    CBitmap m_bmpUp;
    CBitmap m_bmpDown;
    CBitmap m_bmpFocus;
    CBitmap m_bmpDisabled;
    CBitmap m_bmpMask;

    VEK_DECLARE_MESSAGE_MAP(CBitmapButton)
};

#endif
