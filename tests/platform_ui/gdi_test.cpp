// GDI: fills, blits with raster operations, selection of objects, text.
#include <gtest/gtest.h>

#include "ui_test_support.h"

#include <string.h>

namespace {

/* A memory device context with a 32-bit bitmap of w x h selected. */
struct Canvas {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  Canvas(int w, int h) {
    HDC screen = GetDC(0);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(0, screen);
    old = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  void Fill(int l, int t, int r, int b, COLORREF c) {
    RECT rect = {l, t, r, b};
    HBRUSH brush = CreateSolidBrush(c);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
  }
};

}  // namespace

TEST(GdiTest, FillRectExcludesTheRightAndBottomEdges) {
  Canvas c(20, 10);
  c.Fill(0, 0, 20, 10, RGB(255, 255, 255));
  c.Fill(2, 3, 5, 6, RGB(0, 0, 200));
  EXPECT_EQ(RGB(0, 0, 200), GetPixel(c.dc, 2, 3));
  EXPECT_EQ(RGB(0, 0, 200), GetPixel(c.dc, 4, 5));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(c.dc, 5, 5));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(c.dc, 4, 6));
  EXPECT_EQ(CLR_INVALID, GetPixel(c.dc, 20, 0));
  // System colour brushes are given as COLOR_x + 1.
  RECT r = {0, 0, 1, 1};
  FillRect(c.dc, &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(c.dc, 0, 0));
}

TEST(GdiTest, BitBltAppliesTheRasterOperation) {
  struct Case {
    DWORD rop;
    COLORREF src, dst, expected;
  } cases[] = {
    {SRCCOPY, RGB(0x12, 0x34, 0x56), RGB(0xFF, 0x00, 0xFF), RGB(0x12, 0x34, 0x56)},
    {SRCAND, RGB(0xF0, 0x0F, 0xFF), RGB(0x3C, 0xFF, 0x00), RGB(0x30, 0x0F, 0x00)},
    {SRCPAINT, RGB(0xF0, 0x00, 0x01), RGB(0x0F, 0x10, 0x02), RGB(0xFF, 0x10, 0x03)},
    {SRCINVERT, RGB(0xFF, 0x00, 0x0F), RGB(0x0F, 0x00, 0xFF), RGB(0xF0, 0x00, 0xF0)},
  };
  for (const Case& k : cases) {
    Canvas src(4, 4), dst(8, 8);
    src.Fill(0, 0, 4, 4, k.src);
    dst.Fill(0, 0, 8, 8, k.dst);
    EXPECT_TRUE(BitBlt(dst.dc, 2, 2, 4, 4, src.dc, 0, 0, k.rop));
    EXPECT_EQ(k.expected, GetPixel(dst.dc, 2, 2)) << std::hex << k.rop;
    EXPECT_EQ(k.expected, GetPixel(dst.dc, 5, 5)) << std::hex << k.rop;
    EXPECT_EQ(k.dst, GetPixel(dst.dc, 6, 6)) << std::hex << k.rop;
    EXPECT_EQ(k.dst, GetPixel(dst.dc, 1, 2)) << std::hex << k.rop;
  }
}

TEST(GdiTest, StretchBltScalesTheSource) {
  Canvas src(2, 1), dst(8, 4);
  src.Fill(0, 0, 1, 1, RGB(255, 0, 0));
  src.Fill(1, 0, 2, 1, RGB(0, 255, 0));
  EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, 8, 4, src.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dst.dc, 3, 3));
  EXPECT_EQ(RGB(0, 255, 0), GetPixel(dst.dc, 4, 0));
}

TEST(GdiTest, SelectObjectReturnsThePreviousObjectOfItsKind) {
  Canvas c(4, 4);
  HBRUSH b1 = CreateSolidBrush(RGB(1, 2, 3)), b2 = CreateSolidBrush(RGB(4, 5, 6));
  HPEN p1 = CreatePen(PS_SOLID, 1, RGB(7, 8, 9));
  LOGFONTA lf;
  memset(&lf, 0, sizeof(lf));
  lf.lfHeight = -12;
  lf.lfWeight = FW_BOLD;
  strcpy(lf.lfFaceName, "Times New Roman");
  HFONT f1 = CreateFontIndirectA(&lf);
  HGDIOBJ firstBrush = SelectObject(c.dc, b1);
  EXPECT_TRUE(firstBrush != 0);
  EXPECT_EQ(static_cast<HGDIOBJ>(b1), SelectObject(c.dc, b2));
  EXPECT_EQ(static_cast<HGDIOBJ>(b2), SelectObject(c.dc, firstBrush));
  HGDIOBJ firstPen = SelectObject(c.dc, p1);
  EXPECT_EQ(static_cast<HGDIOBJ>(p1), SelectObject(c.dc, firstPen));
  HGDIOBJ firstFont = SelectObject(c.dc, f1);
  EXPECT_EQ(static_cast<HGDIOBJ>(f1), SelectObject(c.dc, firstFont));
  EXPECT_EQ(static_cast<HGDIOBJ>(c.bitmap), SelectObject(c.dc, c.old));
  SelectObject(c.dc, c.bitmap);
  LOGFONTA back;
  EXPECT_EQ(static_cast<int>(sizeof(back)), GetObjectA(f1, sizeof(back), &back));
  EXPECT_EQ(-12, back.lfHeight);
  EXPECT_EQ(FW_BOLD, back.lfWeight);
  LOGBRUSH lb;
  GetObjectA(b2, sizeof(lb), &lb);
  EXPECT_EQ(RGB(4, 5, 6), lb.lbColor);
  EXPECT_TRUE(DeleteObject(b1));
  EXPECT_TRUE(DeleteObject(b2));
  EXPECT_TRUE(DeleteObject(p1));
  EXPECT_TRUE(DeleteObject(f1));
  EXPECT_FALSE(DeleteObject(b1));  // already gone
}

TEST(GdiTest, ColoursLinesAndText) {
  Canvas c(120, 40);
  c.Fill(0, 0, 120, 40, RGB(255, 255, 255));
  EXPECT_EQ(RGB(0, 0, 0), SetTextColor(c.dc, RGB(0, 0, 128)));
  EXPECT_EQ(RGB(0, 0, 128), GetTextColor(c.dc));
  EXPECT_EQ(RGB(255, 255, 255), SetBkColor(c.dc, RGB(200, 200, 200)));
  EXPECT_EQ(RGB(200, 200, 200), GetBkColor(c.dc));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 128, 0));
  HGDIOBJ old = SelectObject(c.dc, pen);
  POINT prev;
  MoveToEx(c.dc, 0, 30, 0);
  MoveToEx(c.dc, 0, 35, &prev);
  EXPECT_EQ(30, prev.y);
  LineTo(c.dc, 10, 35);
  EXPECT_EQ(RGB(0, 128, 0), GetPixel(c.dc, 5, 35));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(c.dc, 10, 35));  // the end point is not drawn
  SelectObject(c.dc, old);
  DeleteObject(pen);
  SIZE one, two;
  EXPECT_TRUE(GetTextExtentPoint32A(c.dc, "Wide text", 9, &two));
  EXPECT_TRUE(GetTextExtentPoint32A(c.dc, "W", 1, &one));
  EXPECT_GT(two.cx, one.cx);
  EXPECT_GT(one.cy, 8);
  SetBkMode(c.dc, TRANSPARENT);
  TextOutA(c.dc, 2, 2, "Wide", 4);
  int inked = 0;
  for (int y = 2; y < 2 + one.cy; y++)
    for (int x = 2; x < 60; x++)
      if (GetPixel(c.dc, x, y) != RGB(255, 255, 255)) inked++;
  EXPECT_GT(inked, 20);
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(c.dc, 100, 5));
}
