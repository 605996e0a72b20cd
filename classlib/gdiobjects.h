// GDI objects and geometry: owning wrappers over brushes, pens, fonts and
// bitmaps, the device-context wrapper with its paint and window forms, and
// the two geometry values CPoint and CRect.
//
// Every GDI wrapper carries an ownership flag and deletes its handle at
// destruction only when it owns it. CDC::SelectObject hands back a wrapper
// kept inside the device-context object that holds the object selected
// before, without owning it, so selecting it again restores the old state.
// CRect keeps its edges as left, right, top, bottom and measures inclusively.
#ifndef KV_CLASSLIB_GDIOBJECTS_H
#define KV_CLASSLIB_GDIOBJECTS_H

#include <windows.h>

#include "object.h"

class CWnd;

class CGdiObject : public CObject
{
public:
    CGdiObject() : m_bOwns(1), m_hObject(0) {}
    virtual ~CGdiObject();

    int GetObjectA(int size, void* buffer) { return ::GetObjectA(m_hObject, size, buffer); }
    void DeleteObject();
    void* GetSafeHandle() { return m_hObject; }

    int m_bOwns;
    HGDIOBJ m_hObject;
};

class CBrush : public CGdiObject
{
public:
    CBrush() {}
    CBrush(void* h) { m_hObject = (HGDIOBJ)h; }
    CBrush(int style, unsigned long colour, long hatch);
    virtual ~CBrush() {}

    void CreateSolidBrush(int colour) { m_hObject = (HGDIOBJ)::CreateSolidBrush((COLORREF)colour); }
    operator void*() { return m_hObject; }
};

class CPen : public CGdiObject
{
public:
    CPen() {}
    CPen(void* h) { m_hObject = (HGDIOBJ)h; }
    CPen(int style, int width, unsigned long colour)
    {
        m_hObject = (HGDIOBJ)::CreatePen(style, width, (COLORREF)colour);
    }
    virtual ~CPen() {}
};

class CFont : public CGdiObject
{
public:
    CFont() {}
    CFont(char* face, int height, int bold, int italic, int underline, int strikeOut);
    virtual ~CFont() {}

    // The LOGFONTA that the library's fonts are built from: character height
    // in logical units, stroke precision, draft quality, variable-pitch Swiss.
    static void FillLogFont(LOGFONTA* lf, const char* face, int height, int bold);
};

class CBitmap : public CGdiObject
{
public:
    CBitmap() {}
    virtual ~CBitmap() {}

    int LoadBitmapA(char* name);
    int LoadBitmapA(int id) { return LoadBitmapA(MAKEINTRESOURCEA(id)); }
    int LoadBitmapFromFile(char* path);
    int GetBitmap(BITMAP* bm) { return ::GetObjectA(m_hObject, sizeof(BITMAP), bm); }
    void Detach() { m_hObject = 0; }
};

class CPoint
{
public:
    CPoint() : x(0), y(0) {}
    CPoint(int x0, int y0) : x(x0), y(y0) {}

    LONG x;
    LONG y;
};

class CRect
{
public:
    CRect() : left(0), right(0), top(0), bottom(0) {}
    CRect(int l, int t, int r, int b) : left(l), right(r), top(t), bottom(b) {}

    void SetRect(int l, int t, int r, int b)
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    void SetRect(const RECT& r) { SetRect(r.left, r.top, r.right, r.bottom); }
    int Width() { return right - left + 1; }
    int Height() { return bottom - top + 1; }
    void OffsetRect(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    // Shrinks from the right and bottom only; left and top stay.
    void InflateRect(int dx, int dy)
    {
        right -= dx;
        bottom -= dy;
    }
    operator RECT*() { return Snapshot(); }
    operator RECT() { return *Snapshot(); }

    LONG left;
    LONG right;
    LONG top;
    LONG bottom;

private:
    RECT* Snapshot();
    RECT m_rect;  // target of the conversions, refreshed by each one
};

class CDC : public CObject
{
public:
    CDC() : m_bOwns(0), m_hDC(0), m_hWnd(0) {}
    CDC(void* hdc) : m_bOwns(0), m_hDC((HDC)hdc), m_hWnd(0) {}
    virtual ~CDC();

    int Attach(void* hdc);
    void* Detach();
    void* GetSafeHdc() { return m_hDC; }
    void* GetWindow() { return m_hWnd; }
    CDC* CreateCompatibleDC(CDC* other);
    CDC* CreateCompatibleDC();

    unsigned long GetBkColor() { return ::GetBkColor(m_hDC); }
    unsigned long GetTextColor() { return ::GetTextColor(m_hDC); }
    unsigned long SetBkColor(unsigned long c) { return ::SetBkColor(m_hDC, (COLORREF)c); }
    unsigned long SetTextColor(unsigned long c) { return ::SetTextColor(m_hDC, (COLORREF)c); }

    CPoint& MoveTo(int x, int y);
    CPoint& MoveTo(CPoint& p) { return MoveTo(p.x, p.y); }
    int LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    int LineTo(CPoint& p) { return LineTo(p.x, p.y); }

    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);

    int FillRect(CRect& r, CBrush& b);
    int TextOutA(int x, int y, char* s, int n);
    int GetTextExtentPointA(char* s, int n, SIZE* size);
    int GetTextExtentPointA(char* s, SIZE* size);
    int BitBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int rop);
    int StretchBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs, int rop);

    int m_bOwns;
    HDC m_hDC;
    HWND m_hWnd;
    CPoint m_ptCurrent;
    CBrush m_prevBrush;
    CPen m_prevPen;
    CFont m_prevFont;
    CBitmap m_prevBitmap;

private:
    HGDIOBJ Select(HGDIOBJ obj, CGdiObject& slot);
};

class CPaintDC : public CDC
{
public:
    CPaintDC(CWnd* wnd);
    virtual ~CPaintDC();

    PAINTSTRUCT m_ps;
};

class CWindowDC : public CDC
{
public:
    CWindowDC(CWnd* wnd);
    virtual ~CWindowDC() {}
};

#endif
