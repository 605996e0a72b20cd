// Geometry values and GDI wrappers: inclusive rectangle measures, ownership
// of handles, the previous-object slots of a device context, fonts, text.
#include <gtest/gtest.h>

#include "classlib/gdiobjects.h"
#include "ui_support.h"

struct Edges {
    int left, top, right, bottom;
};

static Edges Of(CRect& r)
{
    return Edges{(int)r.left, (int)r.top, (int)r.right, (int)r.bottom};
}

static bool operator==(const Edges& a, const Edges& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(Geometry, RectMeasuresAndMoves)
{
    struct Case {
        const char* op;
        int a, b;
        Edges after;
        int width, height;
    } cases[] = {
        {"none", 0, 0, {0, 0, 99, 49}, 100, 50},
        {"offset", 10, 5, {10, 5, 109, 54}, 100, 50},
        {"inflate", 10, 5, {0, 0, 89, 44}, 90, 45},
        {"offset", -3, -4, {-3, -4, 96, 45}, 100, 50},
    };
    for (const Case& c : cases) {
        CRect r(0, 0, 99, 49);
        std::string op = c.op;
        if (op == "offset")
            r.OffsetRect(c.a, c.b);
        else if (op == "inflate")
            r.InflateRect(c.a, c.b);
        EXPECT_TRUE(Of(r) == c.after) << op << " " << c.a << "," << c.b;
        EXPECT_EQ(r.Width(), c.width) << op;
        EXPECT_EQ(r.Height(), c.height) << op;
    }
}

TEST(Geometry, RectKeepsLeftRightTopBottomAndConvertsToSnapshots)
{
    CRect r(1, 2, 3, 4);
    LONG* fields = &r.left;
    EXPECT_EQ(fields[0], 1);  // left
    EXPECT_EQ(fields[1], 3);  // right
    EXPECT_EQ(fields[2], 2);  // top
    EXPECT_EQ(fields[3], 4);  // bottom
    RECT* p = r;
    EXPECT_EQ(p->left, 1);
    EXPECT_EQ(p->top, 2);
    EXPECT_EQ(p->right, 3);
    EXPECT_EQ(p->bottom, 4);
    p->right = 77;  // a snapshot: the edges stay
    EXPECT_EQ(r.right, 3);
    r.SetRect(5, 6, 7, 8);
    RECT copy = r;
    EXPECT_EQ(copy.left, 5);
    EXPECT_EQ(copy.bottom, 8);
    CRect empty;
    EXPECT_EQ(empty.Width(), 1);
    CPoint origin, q(3, -4);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    EXPECT_EQ(q.x, 3);
    EXPECT_EQ(q.y, -4);
}

TEST(Gdi, WrappersDeleteOnlyWhatTheyOwn)
{
    HBRUSH h = ::CreateSolidBrush(RGB(10, 20, 30));
    {
        CBrush b((void*)h);
        EXPECT_EQ(b.m_bOwns, 1);
    }
    EXPECT_EQ(::GetObjectType(h), 0u) << "an owning wrapper deletes its handle";

    HBRUSH kept = ::CreateSolidBrush(RGB(1, 1, 1));
    {
        CBrush b((void*)kept);
        b.m_bOwns = 0;
    }
    EXPECT_EQ(::GetObjectType(kept), (DWORD)OBJ_BRUSH);

    CBrush early;
    early.CreateSolidBrush(RGB(4, 5, 6));
    HGDIOBJ made = early.m_hObject;
    ASSERT_NE(made, (HGDIOBJ)0);
    early.DeleteObject();
    EXPECT_EQ(early.m_hObject, (HGDIOBJ)0);
    EXPECT_EQ(::GetObjectType(made), 0u);

    CBrush hatched(BS_SOLID, RGB(7, 8, 9), 0);
    LOGBRUSH lb;
    ASSERT_EQ(hatched.GetObjectA(sizeof(lb), &lb), (int)sizeof(lb));
    EXPECT_EQ(lb.lbColor, RGB(7, 8, 9));
    CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
    EXPECT_EQ(::GetObjectType(pen.m_hObject), (DWORD)OBJ_PEN);
    ::DeleteObject(kept);
}

TEST(Gdi, SelectObjectKeepsThePreviousObjectWithoutOwningIt)
{
    Surface s(8, 8, RGB(255, 255, 255));
    CDC dc(s.m_dc);
    HGDIOBJ original = ::GetCurrentObject(s.m_dc, OBJ_BRUSH);
    CBrush first, second;
    first.CreateSolidBrush(RGB(1, 0, 0));
    second.CreateSolidBrush(RGB(0, 1, 0));

    CBrush* old = dc.SelectObject(&first);
    EXPECT_EQ(old, &dc.m_prevBrush);
    EXPECT_EQ(old->m_hObject, original);
    EXPECT_EQ(old->m_bOwns, 0);
    old = dc.SelectObject(&second);
    EXPECT_EQ(old->m_hObject, first.m_hObject) << "the second selection returns the first object";
    dc.SelectObject(old);
    EXPECT_EQ(::GetCurrentObject(s.m_dc, OBJ_BRUSH), first.m_hObject);

    CPen pen(PS_SOLID, 1, 0);
    HGDIOBJ originalPen = ::GetCurrentObject(s.m_dc, OBJ_PEN);
    EXPECT_EQ(dc.SelectObject(&pen)->m_hObject, originalPen);
    dc.SelectObject(&dc.m_prevPen);
    dc.SelectObject(&dc.m_prevBrush);
    EXPECT_EQ(::GetObjectType(first.m_hObject), (DWORD)OBJ_BRUSH);
    ::SelectObject(s.m_dc, original);
}

TEST(Gdi, DeviceContextOwnership)
{
    CDC none;
    EXPECT_EQ(none.CreateCompatibleDC(), (CDC*)0);

    Surface s(4, 4, 0);
    CDC wrapped(s.m_dc);
    EXPECT_EQ(wrapped.m_bOwns, 0);
    CDC* made = wrapped.CreateCompatibleDC();
    ASSERT_NE(made, (CDC*)0);
    EXPECT_EQ(made->m_bOwns, 1);
    EXPECT_NE(made->GetSafeHdc(), (void*)s.m_dc);
    EXPECT_EQ(wrapped.GetSafeHdc(), (void*)s.m_dc);
    HDC inner = made->m_hDC;
    delete made;
    EXPECT_EQ(::GetObjectType(inner), 0u) << "an owned memory device context is deleted";

    CDC attached;
    EXPECT_EQ(attached.Attach(s.m_dc), 1);
    EXPECT_EQ(attached.Detach(), (void*)s.m_dc);
    EXPECT_EQ(attached.GetSafeHdc(), (void*)0);
    EXPECT_EQ(attached.Attach(0), 0);

    CPoint& p = wrapped.MoveTo(3, 4);
    CPoint& q = wrapped.MoveTo(5, 6);
    EXPECT_EQ(&p, &q);
    EXPECT_EQ(q.x, 3);
    EXPECT_EQ(q.y, 4);
    EXPECT_EQ(::GetObjectType(s.m_dc), (DWORD)OBJ_MEMDC);
}

TEST(Gdi, FontRequestsTheLibrarysDescription)
{
    struct Case {
        int height, bold, italic, underline, strike;
        LONG lfHeight, weight;
    } cases[] = {
        {12, 1, 0, 0, 0, -12, 700},
        {9, 0, 1, 1, 1, -9, 400},
    };
    for (const Case& c : cases) {
        CFont font(T("Arial"), c.height, c.bold, c.italic, c.underline, c.strike);
        LOGFONTA lf;
        ASSERT_EQ(font.GetObjectA(sizeof(lf), &lf), (int)sizeof(lf));
        EXPECT_EQ(lf.lfHeight, c.lfHeight);
        EXPECT_EQ(lf.lfWeight, c.weight);
        EXPECT_EQ(lf.lfItalic, c.italic);
        EXPECT_EQ(lf.lfUnderline, c.underline);
        EXPECT_EQ(lf.lfStrikeOut, c.strike);
        EXPECT_EQ(lf.lfOutPrecision, OUT_STROKE_PRECIS);
        EXPECT_EQ(lf.lfClipPrecision, CLIP_STROKE_PRECIS);
        EXPECT_EQ(lf.lfQuality, DRAFT_QUALITY);
        EXPECT_EQ(lf.lfPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
        EXPECT_STREQ(lf.lfFaceName, "Arial");
    }
}

// Pixels that differ from the background colour.
static int Inked(Surface& s, int w, int h)
{
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            n += s.Pixel(x, y) != RGB(255, 255, 255);
    return n;
}

TEST(Gdi, TextOutWithoutCountDrawsTheWholeText)
{
    Surface whole(200, 30, RGB(255, 255, 255)), counted(200, 30, RGB(255, 255, 255)),
        part(200, 30, RGB(255, 255, 255));
    CDC a(whole.m_dc), b(counted.m_dc), c(part.m_dc);
    a.TextOutA(0, 0, T("WWW III"), 0);
    b.TextOutA(0, 0, T("WWW III"), 7);
    c.TextOutA(0, 0, T("WWW III"), 3);
    EXPECT_GT(Inked(whole, 200, 30), 0);
    EXPECT_EQ(Inked(whole, 200, 30), Inked(counted, 200, 30));
    EXPECT_GT(Inked(whole, 200, 30), Inked(part, 200, 30));
    SIZE all, three;
    a.GetTextExtentPointA(T("WWW III"), &all);
    a.GetTextExtentPointA(T("WWW III"), 3, &three);
    EXPECT_GT(all.cx, three.cx);
}

TEST(Gdi, BlitsCopyBetweenContexts)
{
    Surface src(4, 4, RGB(0, 0, 255)), dst(8, 8, RGB(255, 255, 255));
    CDC s(src.m_dc), d(dst.m_dc);
    d.BitBlt(0, 0, 4, 4, &s, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Pixel(3, 3), RGB(0, 0, 255));
    EXPECT_EQ(dst.Pixel(4, 4), RGB(255, 255, 255));
    d.StretchBlt(0, 0, 8, 8, &s, 0, 0, 4, 4, SRCCOPY);
    EXPECT_EQ(dst.Pixel(7, 7), RGB(0, 0, 255));
    CBrush red;
    red.CreateSolidBrush(RGB(255, 0, 0));
    CRect r(0, 0, 2, 2);
    d.FillRect(r, red);
    EXPECT_EQ(dst.Pixel(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(dst.Pixel(2, 2), RGB(0, 0, 255)) << "FillRect keeps the Windows right and bottom edges out";
}
