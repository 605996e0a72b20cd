// GDI wrappers: ownership at destruction, the previous-object slots of a
// device context, and the library's font description.
#include "gdiobjects.h"

#include <new>
#include <string.h>

#include "winapp.h"
#include "window.h"

CGdiObject::~CGdiObject()
{
    if (m_hObject && m_bOwns == 1)
        ::DeleteObject(m_hObject);
}

void CGdiObject::DeleteObject()
{
    ::DeleteObject(m_hObject);
    m_hObject = 0;
}

CBrush::CBrush(int style, unsigned long colour, long hatch)
{
    LOGBRUSH lb;
    lb.lbStyle = (UINT)style;
    lb.lbColor = (COLORREF)colour;
    lb.lbHatch = (ULONG_PTR)hatch;
    m_hObject = (HGDIOBJ)::CreateBrushIndirect(&lb);
}

void CFont::FillLogFont(LOGFONTA* lf, const char* face, int height, int bold)
{
    memset(lf, 0, sizeof(*lf));
    lf->lfHeight = -height;
    lf->lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf->lfOutPrecision = OUT_STROKE_PRECIS;
    lf->lfClipPrecision = CLIP_STROKE_PRECIS;
    lf->lfQuality = DRAFT_QUALITY;
    lf->lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    if (face) {
        strncpy(lf->lfFaceName, face, sizeof(lf->lfFaceName) - 1);
        lf->lfFaceName[sizeof(lf->lfFaceName) - 1] = 0;
    }
}

CFont::CFont(char* face, int height, int bold, int italic, int underline, int strikeOut)
{
    LOGFONTA lf;
    FillLogFont(&lf, face, height, bold);
    lf.lfItalic = (BYTE)italic;
    lf.lfUnderline = (BYTE)underline;
    lf.lfStrikeOut = (BYTE)strikeOut;
    m_hObject = (HGDIOBJ)::CreateFontIndirectA(&lf);
}

int CBitmap::LoadBitmapA(char* name)
{
    m_hObject = (HGDIOBJ)::LoadBitmapA(VekAppInstance(), name);
    return m_hObject != 0;
}

int CBitmap::LoadBitmapFromFile(char* path)
{
    m_hObject = (HGDIOBJ)::LoadImageA(0, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    return m_hObject != 0;
}

RECT* CRect::Snapshot()
{
    m_rect.left = left;
    m_rect.top = top;
    m_rect.right = right;
    m_rect.bottom = bottom;
    return &m_rect;
}

CDC::~CDC()
{
    if (m_hDC && m_bOwns == 1) {
        if (m_hWnd)
            ::ReleaseDC(m_hWnd, m_hDC);
        else
            ::DeleteDC(m_hDC);
    }
}

int CDC::Attach(void* hdc)
{
    m_bOwns = 0;
    m_hDC = (HDC)hdc;
    return hdc != 0;
}

void* CDC::Detach()
{
    HDC old = m_hDC;
    m_hDC = 0;
    return old;
}

CDC* CDC::CreateCompatibleDC(CDC* other)
{
    m_hDC = ::CreateCompatibleDC(other ? other->m_hDC : 0);
    m_bOwns = 1;
    return this;
}

CDC* CDC::CreateCompatibleDC()
{
    if (!m_hDC)
        return 0;
    CDC* dc = new (std::nothrow) CDC;
    if (!dc)
        return 0;
    return dc->CreateCompatibleDC(this);
}

CPoint& CDC::MoveTo(int x, int y)
{
    POINT old;
    old.x = m_ptCurrent.x;
    old.y = m_ptCurrent.y;
    ::MoveToEx(m_hDC, x, y, &old);
    m_ptCurrent.x = old.x;
    m_ptCurrent.y = old.y;
    return m_ptCurrent;
}

HGDIOBJ CDC::Select(HGDIOBJ obj, CGdiObject& slot)
{
    slot.m_hObject = ::SelectObject(m_hDC, obj);
    slot.m_bOwns = 0;
    return slot.m_hObject;
}

CPen* CDC::SelectObject(CPen* pen)
{
    Select(pen ? pen->m_hObject : 0, m_prevPen);
    return &m_prevPen;
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    Select(brush ? brush->m_hObject : 0, m_prevBrush);
    return &m_prevBrush;
}

CFont* CDC::SelectObject(CFont* font)
{
    Select(font ? font->m_hObject : 0, m_prevFont);
    return &m_prevFont;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    Select(bitmap ? bitmap->m_hObject : 0, m_prevBitmap);
    return &m_prevBitmap;
}

int CDC::FillRect(CRect& r, CBrush& b)
{
    return ::FillRect(m_hDC, (RECT*)r, (HBRUSH)b.m_hObject);
}

int CDC::TextOutA(int x, int y, char* s, int n)
{
    if (n == 0)
        n = (int)strlen(s);
    return ::TextOutA(m_hDC, x, y, s, n);
}

int CDC::GetTextExtentPointA(char* s, int n, SIZE* size)
{
    return ::GetTextExtentPoint32A(m_hDC, s, n, size);
}

int CDC::GetTextExtentPointA(char* s, SIZE* size)
{
    return GetTextExtentPointA(s, (int)strlen(s), size);
}

int CDC::BitBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int rop)
{
    return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : 0, xs, ys, (DWORD)rop);
}

int CDC::StretchBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs, int rop)
{
    return ::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : 0, xs, ys, ws, hs, (DWORD)rop);
}

CPaintDC::CPaintDC(CWnd* wnd)
{
    m_hWnd = wnd->m_hWnd;
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
    m_bOwns = 0;
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = 0;
    m_hWnd = 0;
}

CWindowDC::CWindowDC(CWnd* wnd)
{
    m_hWnd = wnd->m_hWnd;
    m_hDC = ::GetWindowDC(m_hWnd);
    m_bOwns = 1;
}
