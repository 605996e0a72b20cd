/* Drawing helpers of the POSIX USER32: rectangles, edges, text in a
 * rectangle, and the pieces of the plain Windows look that the controls
 * share. */
#include "user_internal.h"

#include <string.h>

extern "C" {

BOOL WINAPI SetRect(LPRECT r, int left, int top, int right, int bottom) {
  if (!r) return FALSE;
  r->left = left;
  r->top = top;
  r->right = right;
  r->bottom = bottom;
  return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT r) {
  return SetRect(r, 0, 0, 0, 0);
}

BOOL WINAPI CopyRect(LPRECT dst, const RECT* src) {
  if (!dst || !src) return FALSE;
  *dst = *src;
  return TRUE;
}

BOOL WINAPI InflateRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left -= dx;
  r->right += dx;
  r->top -= dy;
  r->bottom += dy;
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx;
  r->right += dx;
  r->top += dy;
  r->bottom += dy;
  return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* r) {
  return !r || r->right <= r->left || r->bottom <= r->top;
}

BOOL WINAPI PtInRect(const RECT* r, POINT p) {
  return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}

BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  RECT r = {a->left > b->left ? a->left : b->left, a->top > b->top ? a->top : b->top,
            a->right < b->right ? a->right : b->right, a->bottom < b->bottom ? a->bottom : b->bottom};
  if (IsRectEmpty(&r)) {
    SetRectEmpty(dst);
    return FALSE;
  }
  *dst = r;
  return TRUE;
}

BOOL WINAPI UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  if (IsRectEmpty(a)) { *dst = *b; return !IsRectEmpty(b); }
  if (IsRectEmpty(b)) { *dst = *a; return TRUE; }
  RECT r = {a->left < b->left ? a->left : b->left, a->top < b->top ? a->top : b->top,
            a->right > b->right ? a->right : b->right, a->bottom > b->bottom ? a->bottom : b->bottom};
  *dst = r;
  return TRUE;
}

BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL WINAPI DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags) {
  if (!dc || !rect) return FALSE;
  RECT r = *rect;
  for (int ring = 0; ring < 2; ring++) {
    UINT raised = ring == 0 ? BDR_RAISEDOUTER : BDR_RAISEDINNER;
    UINT sunken = ring == 0 ? BDR_SUNKENOUTER : BDR_SUNKENINNER;
    if (!(edge & (raised | sunken))) continue;
    COLORREF tl, br;
    if (edge & raised) {
      tl = GetSysColor(ring == 0 ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT);
      br = GetSysColor(ring == 0 ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW);
      if (ring == 0) tl = GetSysColor(COLOR_BTNHIGHLIGHT);
    } else {
      tl = GetSysColor(ring == 0 ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW);
      br = GetSysColor(ring == 0 ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT);
    }
    RECT e;
    if (flags & BF_TOP) { SetRect(&e, r.left, r.top, r.right, r.top + 1); KvFillColour(dc, &e, tl); }
    if (flags & BF_LEFT) { SetRect(&e, r.left, r.top, r.left + 1, r.bottom); KvFillColour(dc, &e, tl); }
    if (flags & BF_BOTTOM) { SetRect(&e, r.left, r.bottom - 1, r.right, r.bottom); KvFillColour(dc, &e, br); }
    if (flags & BF_RIGHT) { SetRect(&e, r.right - 1, r.top, r.right, r.bottom); KvFillColour(dc, &e, br); }
    InflateRect(&r, -1, -1);
  }
  return TRUE;
}

BOOL WINAPI DrawFocusRect(HDC dc, const RECT* r) {
  if (!dc || !r) return FALSE;
  for (int x = r->left; x < r->right; x += 2) {
    SetPixel(dc, x, r->top, 0);
    SetPixel(dc, x, r->bottom - 1, 0);
  }
  for (int y = r->top; y < r->bottom; y += 2) {
    SetPixel(dc, r->left, y, 0);
    SetPixel(dc, r->right - 1, y, 0);
  }
  return TRUE;
}

int WINAPI DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) {
  if (!dc || !text || !rect) return 0;
  std::string s = count < 0 ? std::string(text) : std::string(text, count);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  int lineHeight = tm.tmHeight > 0 ? tm.tmHeight : 13;
  int width = rect->right - rect->left;
  // Break into lines: at line breaks, and at blanks when asked to wrap.
  std::vector<std::string> lines;
  std::string current;
  size_t i = 0;
  while (i <= s.size()) {
    if (i == s.size() || s[i] == '\n' || ((format & DT_SINGLELINE) && false)) {
      lines.push_back(current);
      current.clear();
      i++;
      continue;
    }
    char c = s[i];
    if (c == '\r') { i++; continue; }
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
      size_t j = i;
      while (j < s.size() && s[j] != ' ' && s[j] != '\n' && s[j] != '\r') j++;
      std::string word = s.substr(i, j - i);
      std::string trial = current + word;
      SIZE sz;
      GetTextExtentPoint32A(dc, trial.c_str(), static_cast<int>(trial.size()), &sz);
      if (sz.cx > width && !current.empty()) {
        while (!current.empty() && current[current.size() - 1] == ' ') current.erase(current.size() - 1);
        lines.push_back(current);
        current.clear();
        continue;
      }
      current = trial;
      i = j;
      while (i < s.size() && s[i] == ' ') { current += ' '; i++; }
      continue;
    }
    current += (format & DT_SINGLELINE) && c == '\n' ? ' ' : c;
    i++;
  }
  if (format & DT_SINGLELINE) {
    std::string joined;
    for (size_t k = 0; k < lines.size(); k++) joined += (k ? " " : "") + lines[k];
    lines.assign(1, joined);
  }
  int total = lineHeight * static_cast<int>(lines.size());
  int maxWidth = 0;
  for (size_t k = 0; k < lines.size(); k++) {
    std::string& l = lines[k];
    if (!(format & DT_NOPREFIX)) {
      std::string out;
      for (size_t p = 0; p < l.size(); p++) {
        if (l[p] == '&') {
          if (p + 1 < l.size() && l[p + 1] == '&') { out += '&'; p++; }
          continue;
        }
        out += l[p];
      }
      l = out;
    }
    SIZE sz;
    GetTextExtentPoint32A(dc, l.c_str(), static_cast<int>(l.size()), &sz);
    if (sz.cx > maxWidth) maxWidth = sz.cx;
  }
  if (format & DT_CALCRECT) {
    rect->right = rect->left + maxWidth;
    rect->bottom = rect->top + total;
    return total;
  }
  int y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
    else if (format & DT_BOTTOM) y = rect->bottom - lineHeight;
  }
  SaveDC(dc);
  if (!(format & DT_NOCLIP)) IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
  for (size_t k = 0; k < lines.size(); k++, y += lineHeight) {
    const std::string& l = lines[k];
    SIZE sz;
    GetTextExtentPoint32A(dc, l.c_str(), static_cast<int>(l.size()), &sz);
    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (width - sz.cx) / 2;
    else if (format & DT_RIGHT) x = rect->right - sz.cx;
    TextOutA(dc, x, y, l.c_str(), static_cast<int>(l.size()));
  }
  RestoreDC(dc, -1);
  return total;
}

BOOL WINAPI DrawIcon(HDC dc, int x, int y, HICON icon) {
  if (!dc) return FALSE;
  uintptr_t kind = reinterpret_cast<uintptr_t>(icon);
  COLORREF colour = RGB(0, 0, 192);
  const char* glyph = "i";
  if (kind == 32513) { colour = RGB(192, 0, 0); glyph = "X"; }
  else if (kind == 32514) { colour = RGB(0, 0, 192); glyph = "?"; }
  else if (kind == 32515) { colour = RGB(200, 160, 0); glyph = "!"; }
  HBRUSH b = CreateSolidBrush(colour);
  HPEN p = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HGDIOBJ ob = SelectObject(dc, b);
  HGDIOBJ op = SelectObject(dc, p);
  Ellipse(dc, x, y, x + 32, y + 32);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(b);
  DeleteObject(p);
  LOGFONTA lf;
  memset(&lf, 0, sizeof(lf));
  lf.lfHeight = -20;
  lf.lfWeight = FW_BOLD;
  strcpy(lf.lfFaceName, "Times New Roman");
  HFONT f = CreateFontIndirectA(&lf);
  HGDIOBJ of = SelectObject(dc, f);
  int mode = SetBkMode(dc, TRANSPARENT);
  COLORREF tc = SetTextColor(dc, RGB(255, 255, 255));
  RECT r = {x, y, x + 32, y + 32};
  DrawTextA(dc, glyph, 1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  SetTextColor(dc, tc);
  SetBkMode(dc, mode);
  SelectObject(dc, of);
  DeleteObject(f);
  return TRUE;
}

}  // extern "C"

void KvDrawLabel(HDC dc, const char* text, RECT* r, UINT format) {
  DrawTextA(dc, text, -1, r, format);
}

void KvDrawPushFrame(HDC dc, const RECT* rect, int pressed, int isDefault) {
  RECT r = *rect;
  if (isDefault) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  if (pressed) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
  } else {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
  }
}

HBRUSH KvControlColour(KvWindow* w, HDC dc, UINT message) {
  HWND parent = w->parent ? w->parent->handle : 0;
  HBRUSH b = 0;
  if (parent) b = reinterpret_cast<HBRUSH>(SendMessageA(parent, message, reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(w->handle)));
  if (!b) b = reinterpret_cast<HBRUSH>(DefWindowProcA(w->handle, message, reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(w->handle)));
  return b;
}
