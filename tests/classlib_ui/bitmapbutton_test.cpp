// The bitmap button: state bitmap selection, masking read back as pixels,
// loading from the resources and the background that is never erased.
#include <gtest/gtest.h>

#include "classlib/controls.h"
#include "classlib/framewnd.h"
#include "ui_support.h"

class CMapParent : public CWnd
{
public:
    virtual void OnNothing() {}
    VEK_DECLARE_MESSAGE_MAP(CMapParent)
};

VEK_BEGIN_MESSAGE_MAP(CMapParent, CWnd)
    VEK_ON_MESSAGE_VOID(WM_USER + 77, OnNothing)
VEK_END_MESSAGE_MAP()

static const COLORREF kUp = RGB(255, 0, 0), kDown = RGB(0, 255, 0), kFocus = RGB(0, 0, 255),
                      kDisabled = RGB(128, 128, 128), kBack = RGB(255, 255, 0);

// Sends the parent a draw request for the button onto a fresh surface.
static COLORREF DrawnAt(CWnd& parent, CBitmapButton& button, UINT state, int x, int y, int wide = 8,
                        LRESULT answer = 1)
{
    Surface s(wide, 8, kBack);
    DRAWITEMSTRUCT item;
    memset(&item, 0, sizeof(item));
    item.CtlType = ODT_BUTTON;
    item.CtlID = 97;
    item.hwndItem = button.m_hWnd;
    item.hDC = s.m_dc;
    item.itemState = state;
    item.rcItem.right = wide;
    item.rcItem.bottom = 8;
    LRESULT r = ::SendMessageA(parent.m_hWnd, WM_DRAWITEM, 97, (LPARAM)&item);
    EXPECT_EQ(r, answer);
    return s.Pixel(x, y);
}

class BitmapButton : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CreateBound(&m_parent, 0), 1);
        RECT r = {0, 0, 7, 7};
        ASSERT_EQ(m_button.Create(T(""), WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, r, &m_parent, 97), 1);
        m_button.m_bmpUp.m_hObject = MakeBitmap(8, 8, kUp);
        m_button.m_bmpDown.m_hObject = MakeBitmap(8, 8, kDown);
        m_button.m_bmpFocus.m_hObject = MakeBitmap(8, 8, kFocus);
        m_button.m_bmpDisabled.m_hObject = MakeBitmap(8, 8, kDisabled);
    }
    void TearDown() override
    {
        m_button.UnsubclassWindow();
        ::DestroyWindow(m_parent.m_hWnd);
        Pump();
    }
    CMapParent m_parent;
    CBitmapButton m_button;
};

TEST_F(BitmapButton, StateSelection)
{
    struct Case {
        UINT state;
        COLORREF shown;
    } cases[] = {
        {0, kUp},
        {ODS_SELECTED, kDown},
        {ODS_SELECTED | ODS_FOCUS, kDown},
        {ODS_FOCUS, kFocus},
        {ODS_DISABLED | ODS_FOCUS, kFocus},
        {ODS_DISABLED, kDisabled},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DrawnAt(m_parent, m_button, c.state, 3, 3), c.shown) << c.state;
    }
}

TEST_F(BitmapButton, MaskLetsTheBackgroundThrough)
{
    // Without a mask the bitmap replaces what was there.
    EXPECT_EQ(DrawnAt(m_parent, m_button, 0, 6, 6), kUp);

    // Opaque (black) on the left half of the mask, transparent (white) on
    // the right; the state bitmap is black where it is to be transparent.
    m_button.m_bmpMask.m_hObject = MakeBitmap(8, 8, RGB(255, 255, 255), 4, RGB(0, 0, 0));
    ::DeleteObject(m_button.m_bmpUp.m_hObject);
    m_button.m_bmpUp.m_hObject = MakeBitmap(8, 8, RGB(0, 0, 0), 4, kUp);
    struct Case {
        int x;
        COLORREF shown;
    } cases[] = {{1, kUp}, {3, kUp}, {4, kBack}, {7, kBack}};
    for (const Case& c : cases)
        EXPECT_EQ(DrawnAt(m_parent, m_button, 0, c.x, 2), c.shown) << c.x;

    // A mask smaller than the bitmap masks only its own area: beyond it the
    // bitmap is ORed onto the background.
    m_button.m_bmpMask.DeleteObject();
    m_button.m_bmpMask.m_hObject = MakeBitmap(4, 4, RGB(0, 0, 0));
    ::DeleteObject(m_button.m_bmpUp.m_hObject);
    m_button.m_bmpUp.m_hObject = MakeBitmap(8, 8, RGB(0, 0, 255));
    EXPECT_EQ(DrawnAt(m_parent, m_button, 0, 1, 1), RGB(0, 0, 255));
    EXPECT_EQ(DrawnAt(m_parent, m_button, 0, 6, 6), RGB(255, 255, 255)) << "yellow OR blue";
}

TEST_F(BitmapButton, NoDrawingThroughAParentWithoutMap)
{
    CFrameWnd frame;
    ASSERT_EQ(frame.Create(0, 0, 100, 100, T("no map"), 1), 1);
    HWND old = ::SetParent(m_button.m_hWnd, frame.m_hWnd);
    EXPECT_EQ(DrawnAt(frame, m_button, 0, 3, 3, 8, 0), kBack) << "a frame does not reflect WM_DRAWITEM";
    ::SetParent(m_button.m_hWnd, old);
    ::DestroyWindow(frame.m_hWnd);
}

TEST_F(BitmapButton, EraseIsAnsweredWithoutPainting)
{
    Surface s(8, 8, kBack);
    EXPECT_EQ(::SendMessageA(m_button.m_hWnd, WM_ERASEBKGND, (WPARAM)s.m_dc, 0), 1);
    EXPECT_EQ(s.Pixel(2, 2), kBack);
}

TEST(BitmapButtonLoading, StatesWithoutNameShowTheUpBitmap)
{
    CBitmapButton b;
    EXPECT_EQ(b.LoadBitmaps(500, 0, 0, 0), 1);
    ASSERT_NE(b.m_bmpUp.m_hObject, (HGDIOBJ)0);
    EXPECT_EQ(b.m_bmpDown.m_hObject, b.m_bmpUp.m_hObject);
    EXPECT_EQ(b.m_bmpFocus.m_hObject, b.m_bmpUp.m_hObject);
    EXPECT_EQ(b.m_bmpDisabled.m_hObject, b.m_bmpUp.m_hObject);

    CBitmapButton two;
    EXPECT_EQ(two.LoadBitmaps(500, 501, 0, 0), 1);
    EXPECT_NE(two.m_bmpDown.m_hObject, two.m_bmpUp.m_hObject);
    BITMAP bm;
    ASSERT_EQ(two.m_bmpDown.GetBitmap(&bm), (int)sizeof(bm));
    EXPECT_EQ(bm.bmWidth, 4);

    CBitmapButton failing;
    EXPECT_EQ(failing.LoadBitmaps(500, 4444, 501, 0), 0);
    EXPECT_NE(failing.m_bmpUp.m_hObject, (HGDIOBJ)0) << "what was loaded stays";
    EXPECT_EQ(failing.m_bmpFocus.m_hObject, (HGDIOBJ)0) << "nothing after the failure";
    EXPECT_EQ(failing.LoadBitmaps(4444, 0, 0, 0), 0);
    EXPECT_EQ(failing.SetMaskBitmap(501), 1);
    EXPECT_EQ(failing.SetMaskBitmap(4444), 0);
}
