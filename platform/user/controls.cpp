/* The standard controls of the POSIX USER32: BUTTON, EDIT, STATIC and
 * LISTBOX, drawn in the plain Windows look. They ask their parent for
 * colours (WM_CTLCOLOR...), notify it through WM_COMMAND and, for
 * owner-drawn buttons, let it draw them (WM_DRAWITEM). */
#include "user_internal.h"

#include <new>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

HFONT FontOf(KvWindow* w) {
  return w->font ? w->font : KvDefaultGuiFont();
}

void Notify(KvWindow* w, int code) {
  if (!w->parent) return;
  SendMessageA(w->parent->handle, WM_COMMAND, MAKELONG(w->id, code), reinterpret_cast<LPARAM>(w->handle));
}

/* Text set on a control shows at once: the programs that set texts while
 * they work do not pump messages. */
void RedrawNow(HWND h) {
  KvWindow* w = KvWin(h);
  if (!w) return;
  InvalidateRect(h, 0, TRUE);
  if (KvReallyVisible(w)) KvUpdateTree(w);
}

/* WM_PAINT of the controls that draw their whole client area with one
 * painter. */
LRESULT PaintControl(HWND hwnd, KvWindow* w, void (*paint)(KvWindow*, HDC)) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc) paint(w, dc);
  EndPaint(hwnd, &ps);
  return 0;
}

/* WM_NCCREATE of the controls that draw a border as a sunken 3D edge. */
LRESULT CreateSunken(HWND hwnd, KvWindow* w, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT r = DefWindowProcA(hwnd, msg, wParam, lParam);
  if (w->style & WS_BORDER) {
    w->style &= ~WS_BORDER;
    w->exStyle |= WS_EX_CLIENTEDGE;
  }
  return r;
}

/* ---- BUTTON ---- */

struct ButtonState {
  int check;
  HANDLE image;
};

ButtonState* ButtonOf(KvWindow* w) {
  if (!w->control) {
    ButtonState* s = new (std::nothrow) ButtonState();
    if (!s) return 0;
    w->control = s;
    w->freeControl = [](KvWindow* x) { delete static_cast<ButtonState*>(x->control); x->control = 0; };
  }
  return static_cast<ButtonState*>(w->control);
}

int ButtonType(KvWindow* w) {
  return static_cast<int>(w->style & BS_TYPEMASK);
}

int IsCheckType(int t) {
  return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE ||
         t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON;
}

void PaintButton(KvWindow* w, HDC dc) {
  ButtonState* s = ButtonOf(w);
  RECT r;
  GetClientRect(w->handle, &r);
  int type = ButtonType(w);
  int disabled = (w->style & WS_DISABLED) != 0;
  int focused = GetFocus() == w->handle;
  if (type == BS_OWNERDRAW) {
    DRAWITEMSTRUCT di;
    memset(&di, 0, sizeof(di));
    di.CtlType = ODT_BUTTON;
    di.CtlID = w->id;
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = (w->pressed ? ODS_SELECTED : 0) | (focused ? ODS_FOCUS : 0) | (disabled ? ODS_DISABLED : 0);
    di.hwndItem = w->handle;
    di.hDC = dc;
    di.rcItem = r;
    if (w->parent) SendMessageA(w->parent->handle, WM_DRAWITEM, w->id, reinterpret_cast<LPARAM>(&di));
    return;
  }
  HGDIOBJ oldFont = SelectObject(dc, FontOf(w));
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_USERBUTTON) {
    KvControlColour(w, dc, WM_CTLCOLORBTN);
    KvFillColour(dc, &r, GetSysColor(COLOR_BTNFACE));
    KvDrawPushFrame(dc, &r, w->pressed, type == BS_DEFPUSHBUTTON);
    RECT t = r;
    if (w->pressed) OffsetRect(&t, 1, 1);
    SetBkMode(dc, TRANSPARENT);
    if ((w->style & BS_BITMAP) && s && s->image) {
      BITMAP bm;
      if (GetObjectA(s->image, sizeof(bm), &bm)) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ ob = SelectObject(mem, s->image);
        BitBlt(dc, t.left + (t.right - t.left - bm.bmWidth) / 2, t.top + (t.bottom - t.top - bm.bmHeight) / 2,
               bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, ob);
        DeleteDC(mem);
      }
    } else {
      SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
      KvDrawLabel(dc, w->text.c_str(), &t, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    if (focused) {
      RECT f = r;
      InflateRect(&f, -4, -4);
      DrawFocusRect(dc, &f);
    }
  } else if (type == BS_GROUPBOX) {
    HBRUSH b = KvControlColour(w, dc, WM_CTLCOLORSTATIC);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    RECT frame = r;
    frame.top += tm.tmHeight / 2;
    RECT e = frame;
    DrawEdge(dc, &e, EDGE_ETCHED, BF_RECT);
    if (!w->text.empty()) {
      RECT t = {r.left + 8, r.top, r.right - 8, r.top + tm.tmHeight};
      RECT calc = t;
      KvDrawLabel(dc, w->text.c_str(), &calc, DT_SINGLELINE | DT_CALCRECT);
      RECT back = {t.left - 2, t.top, calc.right + 2, t.bottom};
      FillRect(dc, &back, b);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
      KvDrawLabel(dc, w->text.c_str(), &t, DT_SINGLELINE);
    }
  } else {
    HBRUSH b = KvControlColour(w, dc, WM_CTLCOLORSTATIC);
    COLORREF textColour = GetTextColor(dc);
    FillRect(dc, &r, b);
    int box = 13;
    int radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    int left = (w->style & BS_LEFTTEXT) ? r.right - box : r.left;
    RECT bx = {left, r.top + (r.bottom - r.top - box) / 2, left + box, r.top + (r.bottom - r.top - box) / 2 + box};
    KvFillColour(dc, &bx, GetSysColor(disabled ? COLOR_BTNFACE : COLOR_WINDOW));
    if (radio) {
      FrameRect(dc, &bx, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
      RECT e = bx;
      DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT);
    }
    if (s && (s->check & 3)) {
      COLORREF mark = s->check == BST_INDETERMINATE ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_WINDOWTEXT);
      if (radio) {
        RECT dot = {bx.left + 4, bx.top + 4, bx.right - 4, bx.bottom - 4};
        KvFillColour(dc, &dot, mark);
      } else {
        for (int i = 0; i < 7; i++) {
          int x = bx.left + 3 + i;
          int y = i < 3 ? bx.top + 5 + i : bx.top + 9 - (i - 2);
          RECT m = {x, y, x + 1, y + 3};
          KvFillColour(dc, &m, mark);
        }
      }
    }
    RECT t = r;
    if (w->style & BS_LEFTTEXT) t.right = bx.left - 4;
    else t.left = bx.right + 4;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : textColour);
    KvDrawLabel(dc, w->text.c_str(), &t, DT_SINGLELINE | DT_VCENTER);
    if (focused) {
      RECT calc = t;
      KvDrawLabel(dc, w->text.c_str(), &calc, DT_SINGLELINE | DT_CALCRECT);
      RECT f = {t.left - 1, t.top + (t.bottom - t.top - (calc.bottom - calc.top)) / 2 - 1, calc.right + 1, 0};
      f.bottom = f.top + (calc.bottom - calc.top) + 2;
      DrawFocusRect(dc, &f);
    }
  }
  SelectObject(dc, oldFont);
}

void ButtonClicked(KvWindow* w) {
  HWND h = w->handle;
  ButtonState* s = ButtonOf(w);
  int type = ButtonType(w);
  if (s && type == BS_AUTOCHECKBOX) s->check = s->check ? 0 : 1;
  else if (s && type == BS_AUTO3STATE) s->check = (s->check + 1) % 3;
  else if (s && type == BS_AUTORADIOBUTTON && !s->check) {
    // Clear the other automatic radio buttons of the group.
    if (w->parent) {
      std::vector<KvWindow*>& sib = w->parent->children;
      for (size_t i = 0; i < sib.size(); i++)
        if (sib[i] != w && sib[i]->cls == w->cls && ButtonType(sib[i]) == BS_AUTORADIOBUTTON && ButtonOf(sib[i])) {
          ButtonOf(sib[i])->check = 0;
          InvalidateRect(sib[i]->handle, 0, TRUE);
        }
    }
    s->check = 1;
  }
  InvalidateRect(h, 0, TRUE);
  Notify(w, BN_CLICKED);
}

/* ---- EDIT ---- */

struct EditState {
  size_t selStart;
  size_t selEnd;
  size_t limit;
  int modified;
  int firstLine;
  int scrollX;
};

EditState* EditOf(KvWindow* w) {
  if (!w->control) {
    EditState* s = new (std::nothrow) EditState();
    if (!s) return 0;
    s->limit = 0x7FFE;
    w->control = s;
    w->freeControl = [](KvWindow* x) { delete static_cast<EditState*>(x->control); x->control = 0; };
  }
  return static_cast<EditState*>(w->control);
}

int Multi(KvWindow* w) {
  return (w->style & ES_MULTILINE) != 0;
}

/* The text as the control shows it, broken into lines. */
std::vector<std::string> EditLines(KvWindow* w, HDC dc, int width) {
  std::vector<std::string> lines;
  const std::string& t = w->text;
  if (!Multi(w)) {
    lines.push_back(t);
    return lines;
  }
  int wrap = !(w->style & ES_AUTOHSCROLL);
  std::string cur;
  for (size_t i = 0; i <= t.size(); i++) {
    if (i == t.size() || t[i] == '\n') {
      if (!cur.empty() && cur[cur.size() - 1] == '\r') cur.erase(cur.size() - 1);
      if (wrap && dc && width > 0) {
        // Wrap at blanks to the control's width.
        while (!cur.empty()) {
          SIZE sz;
          GetTextExtentPoint32A(dc, cur.c_str(), static_cast<int>(cur.size()), &sz);
          if (sz.cx <= width) break;
          size_t cut = cur.size();
          while (cut > 0) {
            GetTextExtentPoint32A(dc, cur.c_str(), static_cast<int>(cut), &sz);
            if (sz.cx <= width) break;
            cut--;
          }
          size_t blank = cur.rfind(' ', cut);
          if (blank != std::string::npos && blank > 0) cut = blank + 1;
          if (cut == 0) cut = 1;
          lines.push_back(cur.substr(0, cut));
          cur.erase(0, cut);
        }
      }
      lines.push_back(cur);
      cur.clear();
      continue;
    }
    cur += t[i];
  }
  return lines;
}

void EditChanged(KvWindow* w) {
  EditState* s = EditOf(w);
  if (s) s->modified = 1;
  HWND h = w->handle;
  Notify(w, EN_UPDATE);
  if (!KvWin(h)) return;
  InvalidateRect(h, 0, TRUE);
  Notify(w, EN_CHANGE);
}

void EditReplace(KvWindow* w, const std::string& insert, int byUser) {
  EditState* s = EditOf(w);
  if (!s) return;
  size_t a = s->selStart < s->selEnd ? s->selStart : s->selEnd;
  size_t b = s->selStart < s->selEnd ? s->selEnd : s->selStart;
  if (a > w->text.size()) a = w->text.size();
  if (b > w->text.size()) b = w->text.size();
  std::string add = insert;
  if (byUser) {
    size_t room = w->text.size() - (b - a) < s->limit ? s->limit - (w->text.size() - (b - a)) : 0;
    if (add.size() > room) {
      add.erase(room);
      if (add.empty() && !insert.empty()) {
        // As on Windows, a keystroke the limit refuses still reports a
        // change after EN_MAXTEXT.
        HWND h = w->handle;
        Notify(w, EN_MAXTEXT);
        if (KvWin(h)) EditChanged(w);
        return;
      }
    }
  }
  w->text.replace(a, b - a, add);
  s->selStart = s->selEnd = a + add.size();
  EditChanged(w);
}

void PaintEdit(KvWindow* w, HDC dc) {
  EditState* s = EditOf(w);
  RECT r;
  GetClientRect(w->handle, &r);
  int readOnly = (w->style & (ES_READONLY | WS_DISABLED)) != 0;
  HGDIOBJ oldFont = SelectObject(dc, FontOf(w));
  HBRUSH b = KvControlColour(w, dc, readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  FillRect(dc, &r, b);
  if (w->style & WS_DISABLED) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  int lineHeight = tm.tmHeight > 0 ? tm.tmHeight : 13;
  RECT area = r;
  InflateRect(&area, -1, 0);
  if (!Multi(w)) area.top = r.top + (r.bottom - r.top - lineHeight) / 2;
  std::vector<std::string> lines = EditLines(w, dc, area.right - area.left);
  int visible = (r.bottom - r.top) / lineHeight;
  if (visible < 1) visible = 1;
  int first = s ? s->firstLine : 0;
  int focused = GetFocus() == w->handle;
  SaveDC(dc);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  if (!Multi(w)) {
    std::string shown = w->text;
    if (w->style & ES_PASSWORD) shown.assign(shown.size(), '*');
    // Scroll so the caret stays in view.
    size_t caret = s ? s->selEnd : 0;
    if (caret > shown.size()) caret = shown.size();
    SIZE before;
    GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(caret), &before);
    int width = area.right - area.left - 1;
    int sx = s ? s->scrollX : 0;
    if ((w->style & ES_AUTOHSCROLL) || 1) {
      if (before.cx - sx > width) sx = before.cx - width;
      if (before.cx < sx) sx = before.cx;
      if (s) s->scrollX = sx;
    }
    int x = area.left - sx;
    if (w->style & ES_CENTER) {
      SIZE all;
      GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &all);
      x = area.left + (area.right - area.left - all.cx) / 2;
    }
    TextOutA(dc, x, area.top, shown.c_str(), static_cast<int>(shown.size()));
    if (focused && !readOnly) {
      RECT c = {x + before.cx, area.top, x + before.cx + 1, area.top + lineHeight};
      KvFillColour(dc, &c, 0);
    }
  } else {
    for (int i = first, y = area.top; i < static_cast<int>(lines.size()) && y < r.bottom; i++, y += lineHeight)
      TextOutA(dc, area.left, y, lines[i].c_str(), static_cast<int>(lines[i].size()));
  }
  RestoreDC(dc, -1);
  SelectObject(dc, oldFont);
  // The vertical scroll bar's thumb shows where the view is in a long text.
  if ((w->style & WS_VSCROLL) && static_cast<int>(lines.size()) > visible) {
    HDC wdc = GetWindowDC(w->handle);
    RECT nc;
    KvNonClient(w, &nc);
    RECT wr = {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    int top = nc.top + 16, bottom = wr.bottom - nc.bottom - 16;
    int track = bottom - top;
    if (track > 8) {
      int total = static_cast<int>(lines.size());
      int len = track * visible / total;
      if (len < 8) len = 8;
      int pos = top + (track - len) * first / (total - visible > 0 ? total - visible : 1);
      RECT thumb = {wr.right - nc.right, pos, wr.right - nc.right + 16, pos + len};
      if (nc.right >= 16) thumb.left = wr.right - nc.right + (nc.right - 16) - ((w->exStyle & WS_EX_CLIENTEDGE) ? 0 : 0);
      thumb.left = wr.right - 16 - ((w->style & WS_BORDER) ? 1 : 0) - ((w->exStyle & WS_EX_CLIENTEDGE) ? 2 : 0);
      thumb.right = thumb.left + 16;
      KvFillColour(wdc, &thumb, GetSysColor(COLOR_BTNFACE));
      DrawEdge(wdc, &thumb, EDGE_RAISED, BF_RECT);
    }
    ReleaseDC(w->handle, wdc);
  }
}

int EditLineCount(KvWindow* w) {
  HDC dc = GetDC(w->handle);
  RECT r;
  GetClientRect(w->handle, &r);
  if (dc) SelectObject(dc, FontOf(w));
  int n = static_cast<int>(EditLines(w, dc, r.right - r.left - 2).size());
  if (dc) ReleaseDC(w->handle, dc);
  return n;
}

/* ---- STATIC ---- */

void PaintStatic(KvWindow* w, HDC dc) {
  RECT r;
  GetClientRect(w->handle, &r);
  int type = static_cast<int>(w->style & SS_TYPEMASK);
  int disabled = (w->style & WS_DISABLED) != 0;
  switch (type) {
    case SS_BLACKFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME)); return;
    case SS_GRAYFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW)); return;
    case SS_WHITEFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNHIGHLIGHT)); return;
    case SS_BLACKRECT: FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME)); return;
    case SS_GRAYRECT: FillRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW)); return;
    case SS_WHITERECT: FillRect(dc, &r, GetSysColorBrush(COLOR_BTNHIGHLIGHT)); return;
    case SS_ETCHEDHORZ: { RECT e = {r.left, r.top, r.right, r.top + 2}; DrawEdge(dc, &e, EDGE_ETCHED, BF_TOP | BF_BOTTOM); return; }
    case SS_ETCHEDVERT: { RECT e = {r.left, r.top, r.left + 2, r.bottom}; DrawEdge(dc, &e, EDGE_ETCHED, BF_LEFT | BF_RIGHT); return; }
    case SS_ETCHEDFRAME: DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT); return;
    default: break;
  }
  HBRUSH b = KvControlColour(w, dc, WM_CTLCOLORSTATIC);
  if (type == SS_BITMAP) {
    FillRect(dc, &r, b);
    HANDLE image = w->control;
    BITMAP bm;
    if (image && GetObjectA(image, sizeof(bm), &bm)) {
      HDC mem = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(mem, image);
      int x = 0, y = 0;
      if (w->style & SS_CENTERIMAGE) {
        x = (r.right - bm.bmWidth) / 2;
        y = (r.bottom - bm.bmHeight) / 2;
      }
      BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteDC(mem);
    }
    return;
  }
  if (type == SS_ICON) {
    FillRect(dc, &r, b);
    DrawIcon(dc, 0, 0, static_cast<HICON>(w->control));
    return;
  }
  FillRect(dc, &r, b);
  HGDIOBJ oldFont = SelectObject(dc, FontOf(w));
  SetBkMode(dc, TRANSPARENT);
  if (disabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  UINT format = DT_WORDBREAK;
  if (type == SS_CENTER) format |= DT_CENTER;
  else if (type == SS_RIGHT) format |= DT_RIGHT;
  else if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) format = DT_SINGLELINE;
  if (w->style & SS_NOPREFIX) format |= DT_NOPREFIX;
  if (w->style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
  KvDrawLabel(dc, w->text.c_str(), &r, format);
  SelectObject(dc, oldFont);
}

/* ---- LISTBOX ---- */

struct ListItem {
  std::string text;
  LPARAM data;
  int selected;
};

struct ListState {
  std::vector<ListItem> items;
  int cur;
  int top;
};

ListState* ListOf(KvWindow* w) {
  if (!w->control) {
    ListState* s = new (std::nothrow) ListState();
    if (!s) return 0;
    s->cur = -1;
    w->control = s;
    w->freeControl = [](KvWindow* x) { delete static_cast<ListState*>(x->control); x->control = 0; };
  }
  return static_cast<ListState*>(w->control);
}

int Multiple(KvWindow* w) {
  return (w->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
}

int ListFind(ListState* s, int start, const char* text, int exact) {
  int n = static_cast<int>(s->items.size());
  if (n == 0 || !text) return LB_ERR;
  size_t len = strlen(text);
  int from = start < -1 || start >= n ? -1 : start;
  for (int k = 1; k <= n; k++) {
    int i = (from + k) % n;
    const std::string& t = s->items[i].text;
    if (exact ? strcasecmp(t.c_str(), text) == 0 : strncasecmp(t.c_str(), text, len) == 0) return i;
  }
  return LB_ERR;
}

int ItemHeight(KvWindow* w) {
  HDC dc = GetDC(w->handle);
  int h = 13;
  if (dc) {
    SelectObject(dc, FontOf(w));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    h = tm.tmHeight;
    ReleaseDC(w->handle, dc);
  }
  return h > 0 ? h : 13;
}

void PaintList(KvWindow* w, HDC dc) {
  ListState* s = ListOf(w);
  RECT r;
  GetClientRect(w->handle, &r);
  HBRUSH b = KvControlColour(w, dc, WM_CTLCOLORLISTBOX);
  FillRect(dc, &r, b);
  if (!s) return;
  HGDIOBJ oldFont = SelectObject(dc, FontOf(w));
  SetBkMode(dc, TRANSPARENT);
  COLORREF text = GetTextColor(dc);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  int h = tm.tmHeight > 0 ? tm.tmHeight : 13;
  for (int i = s->top, y = 0; i < static_cast<int>(s->items.size()) && y < r.bottom; i++, y += h) {
    int sel = Multiple(w) ? s->items[i].selected : i == s->cur;
    RECT line = {0, y, r.right, y + h};
    if (sel) KvFillColour(dc, &line, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(dc, sel ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
    TextOutA(dc, 2, y, s->items[i].text.c_str(), static_cast<int>(s->items[i].text.size()));
  }
  SelectObject(dc, oldFont);
}

LRESULT ListMessage(KvWindow* w, UINT msg, WPARAM wParam, LPARAM lParam) {
  ListState* s = ListOf(w);
  if (!s) return LB_ERRSPACE;
  int n = static_cast<int>(s->items.size());
  int i = static_cast<int>(wParam);
  const char* text = reinterpret_cast<const char*>(lParam);
  LRESULT result = LB_ERR;
  int redraw = 0;
  switch (msg) {
    case LB_ADDSTRING: case LB_INSERTSTRING: {
      ListItem item;
      item.text = text ? text : "";
      item.data = 0;
      item.selected = 0;
      int at;
      if (msg == LB_ADDSTRING) {
        at = n;
        if (w->style & LBS_SORT) {
          at = 0;
          while (at < n && strcasecmp(s->items[at].text.c_str(), item.text.c_str()) <= 0) at++;
        }
      } else {
        at = i == -1 ? n : i;
        if (at < 0 || at > n) return LB_ERR;
      }
      s->items.insert(s->items.begin() + at, item);
      if (s->cur >= at) s->cur++;
      result = at;
      redraw = 1;
      break;
    }
    case LB_DELETESTRING:
      if (i < 0 || i >= n) return LB_ERR;
      s->items.erase(s->items.begin() + i);
      if (s->cur == i) s->cur = -1;
      else if (s->cur > i) s->cur--;
      if (s->top >= static_cast<int>(s->items.size()) && s->top > 0) s->top--;
      result = static_cast<LRESULT>(s->items.size());
      redraw = 1;
      break;
    case LB_RESETCONTENT:
      s->items.clear();
      s->cur = -1;
      s->top = 0;
      result = 0;
      redraw = 1;
      break;
    case LB_SETSEL: {
      if (!Multiple(w)) return LB_ERR;
      int index = static_cast<int>(lParam);
      if (index == -1) {
        for (int k = 0; k < n; k++) s->items[k].selected = wParam ? 1 : 0;
      } else {
        if (index < 0 || index >= n) return LB_ERR;
        s->items[index].selected = wParam ? 1 : 0;
        s->cur = index;
      }
      result = 0;
      redraw = 1;
      break;
    }
    case LB_GETSEL:
      if (i < 0 || i >= n) return LB_ERR;
      return Multiple(w) ? s->items[i].selected : i == s->cur;
    case LB_SETCURSEL:
      if (Multiple(w)) return LB_ERR;
      if (i < -1 || i >= n) { s->cur = -1; result = LB_ERR; }
      else { s->cur = i; result = i == -1 ? LB_ERR : i; }
      redraw = 1;
      break;
    case LB_GETCURSEL:
      return s->cur >= 0 && s->cur < n ? s->cur : LB_ERR;
    case LB_GETTEXT:
      if (i < 0 || i >= n || !lParam) return LB_ERR;
      memcpy(reinterpret_cast<char*>(lParam), s->items[i].text.c_str(), s->items[i].text.size() + 1);
      return static_cast<LRESULT>(s->items[i].text.size());
    case LB_GETTEXTLEN:
      if (i < 0 || i >= n) return LB_ERR;
      return static_cast<LRESULT>(s->items[i].text.size());
    case LB_GETCOUNT:
      return n;
    case LB_SELECTSTRING: {
      int found = ListFind(s, i, text, 0);
      if (found == LB_ERR) return LB_ERR;
      if (Multiple(w)) s->items[found].selected = 1;
      s->cur = found;
      result = found;
      redraw = 1;
      break;
    }
    case LB_GETTOPINDEX:
      return s->top;
    case LB_SETTOPINDEX:
      if (i < 0 || (i >= n && n > 0) || (n == 0 && i != 0)) return LB_ERR;
      s->top = i;
      result = 0;
      redraw = 1;
      break;
    case LB_FINDSTRING:
      return ListFind(s, i, text, 0);
    case LB_FINDSTRINGEXACT:
      return ListFind(s, i, text, 1);
    case LB_GETSELCOUNT: {
      if (!Multiple(w)) return LB_ERR;
      int c = 0;
      for (int k = 0; k < n; k++) c += s->items[k].selected;
      return c;
    }
    case LB_GETSELITEMS: {
      if (!Multiple(w)) return LB_ERR;
      int* out = reinterpret_cast<int*>(lParam);
      int c = 0;
      for (int k = 0; k < n && c < i; k++)
        if (s->items[k].selected) out[c++] = k;
      return c;
    }
    case LB_GETITEMDATA:
      if (i < 0 || i >= n) return LB_ERR;
      return s->items[i].data;
    case LB_SETITEMDATA:
      if (i < 0 || i >= n) return LB_ERR;
      s->items[i].data = lParam;
      return 0;
    default:
      return 0;
  }
  if (redraw) InvalidateRect(w->handle, 0, TRUE);
  return result;
}

}  // namespace

LRESULT CALLBACK KvButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  ButtonState* s = ButtonOf(w);
  int type = ButtonType(w);
  switch (msg) {
    case WM_PAINT:
      return PaintControl(hwnd, w, PaintButton);
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      if (type != BS_GROUPBOX) {
        SetFocus(hwnd);
        if (!KvWin(hwnd)) return 0;
        w->pressed = 1;
        InvalidateRect(hwnd, 0, TRUE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (w->pressed) {
        w->pressed = 0;
        ButtonClicked(w);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && type != BS_GROUPBOX) {
        w->pressed = 1;
        InvalidateRect(hwnd, 0, TRUE);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && w->pressed) {
        w->pressed = 0;
        ButtonClicked(w);
      }
      return 0;
    case BM_CLICK:
      SendMessageA(hwnd, WM_LBUTTONDOWN, 0, 0);
      if (KvWin(hwnd)) SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
      return 0;
    case BM_GETCHECK:
      return s && IsCheckType(type) ? s->check : 0;
    case BM_SETCHECK:
      if (s && IsCheckType(type)) {
        s->check = static_cast<int>(wParam) & 3;
        InvalidateRect(hwnd, 0, TRUE);
      }
      return 0;
    case BM_GETSTATE:
      return (s ? s->check : 0) | (w->pressed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
    case BM_SETSTATE:
      w->pressed = wParam ? 1 : 0;
      InvalidateRect(hwnd, 0, TRUE);
      return 0;
    case BM_SETSTYLE:
      w->style = (w->style & ~0xFFFFu) | (static_cast<DWORD>(wParam) & 0xFFFF);
      if (LOWORD(lParam)) InvalidateRect(hwnd, 0, TRUE);
      return 0;
    case BM_SETIMAGE: {
      if (!s) return 0;
      HANDLE old = s->image;
      s->image = reinterpret_cast<HANDLE>(lParam);
      InvalidateRect(hwnd, 0, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case BM_GETIMAGE:
      return s ? reinterpret_cast<LRESULT>(s->image) : 0;
    case WM_GETDLGCODE:
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (type == BS_GROUPBOX) return DLGC_STATIC;
      if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      return DLGC_BUTTON;
    case WM_SETFOCUS: case WM_KILLFOCUS:
      if (msg == WM_KILLFOCUS) w->pressed = 0;
      InvalidateRect(hwnd, 0, TRUE);
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcA(hwnd, msg, wParam, lParam);
      RedrawNow(hwnd);
      return r;
    }
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK KvEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  EditState* s = EditOf(w);
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  size_t len = w->text.size();
  switch (msg) {
    case WM_NCCREATE:
      return CreateSunken(hwnd, w, msg, wParam, lParam);
    case WM_PAINT:
      return PaintControl(hwnd, w, PaintEdit);
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      s->selStart = s->selEnd = 0;
      s->modified = 0;
      s->firstLine = 0;
      s->scrollX = 0;
      if (!Multi(w)) {
        Notify(w, EN_UPDATE);
        if (!KvWin(hwnd)) return TRUE;
        Notify(w, EN_CHANGE);
        if (!KvWin(hwnd)) return TRUE;
      }
      RedrawNow(hwnd);
      return TRUE;
    }
    case WM_CHAR: {
      if (w->style & ES_READONLY) return 0;
      char c = static_cast<char>(wParam);
      if (c == 8) {
        if (s->selStart != s->selEnd) EditReplace(w, "", 0);
        else if (s->selEnd > 0) {
          size_t back = s->selEnd >= 2 && w->text[s->selEnd - 1] == '\n' && w->text[s->selEnd - 2] == '\r' ? 2 : 1;
          s->selStart = s->selEnd - back;
          EditReplace(w, "", 0);
        }
        return 0;
      }
      if (c == '\r' || c == '\n') {
        if (Multi(w)) EditReplace(w, "\r\n", 1);
        return 0;
      }
      if (c == '\t' && !Multi(w)) return 0;
      if (static_cast<unsigned char>(c) < 32 && c != '\t') return 0;
      if ((w->style & ES_NUMBER) && (c < '0' || c > '9')) {
        MessageBeep(0);
        return 0;
      }
      if (w->style & ES_UPPERCASE) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
      if (w->style & ES_LOWERCASE) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      EditReplace(w, std::string(1, c), 1);
      return 0;
    }
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_LEFT: if (s->selEnd > 0) s->selEnd--; s->selStart = s->selEnd; break;
        case VK_RIGHT: if (s->selEnd < len) s->selEnd++; s->selStart = s->selEnd; break;
        case VK_HOME: s->selStart = s->selEnd = 0; break;
        case VK_END: s->selStart = s->selEnd = len; break;
        case VK_DELETE:
          if (w->style & ES_READONLY) break;
          if (s->selStart == s->selEnd && s->selEnd < len) s->selEnd++;
          EditReplace(w, "", 0);
          break;
        default: return 0;
      }
      InvalidateRect(hwnd, 0, TRUE);
      return 0;
    case EM_LIMITTEXT:
      s->limit = wParam ? wParam : 0x7FFFFFFE;
      return 0;
    case EM_GETLIMITTEXT:
      return static_cast<LRESULT>(s->limit);
    case EM_SETSEL: {
      long a = static_cast<long>(static_cast<int>(wParam)), b = static_cast<long>(static_cast<int>(lParam));
      if (a == -1) { s->selStart = s->selEnd; return 0; }
      if (b == -1 || b > static_cast<long>(len)) b = static_cast<long>(len);
      if (a < 0 || a > static_cast<long>(len)) a = static_cast<long>(len);
      s->selStart = a;
      s->selEnd = b;
      InvalidateRect(hwnd, 0, TRUE);
      return 0;
    }
    case EM_GETSEL: {
      size_t a = s->selStart < s->selEnd ? s->selStart : s->selEnd;
      size_t b = s->selStart < s->selEnd ? s->selEnd : s->selStart;
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(a);
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(b);
      return MAKELONG(a, b);
    }
    case EM_REPLACESEL:
      // Replacing the selection is limited like typing.
      EditReplace(w, lParam ? reinterpret_cast<const char*>(lParam) : "", 1);
      return 0;
    case EM_GETMODIFY:
      return s->modified;
    case EM_SETMODIFY:
      s->modified = wParam ? 1 : 0;
      return 0;
    case EM_SETREADONLY:
      if (wParam) w->style |= ES_READONLY;
      else w->style &= ~ES_READONLY;
      InvalidateRect(hwnd, 0, TRUE);
      return TRUE;
    case EM_GETLINECOUNT:
      return Multi(w) ? EditLineCount(w) : 1;
    case EM_GETFIRSTVISIBLELINE:
      return Multi(w) ? s->firstLine : 0;
    case EM_LINESCROLL: {
      if (!Multi(w)) return FALSE;
      int lines = EditLineCount(w);
      int line = s->firstLine + static_cast<int>(lParam);
      if (line > lines - 1) line = lines - 1;
      if (line < 0) line = 0;
      s->firstLine = line;
      InvalidateRect(hwnd, 0, TRUE);
      return TRUE;
    }
    case EM_SCROLL: {
      if (!Multi(w)) return 0;
      int step = wParam == 0 ? -1 : wParam == 1 ? 1 : wParam == 2 ? -5 : 5;
      SendMessageA(hwnd, EM_LINESCROLL, 0, step);
      return MAKELONG(step, TRUE);
    }
    case EM_SCROLLCARET:
      return TRUE;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      return 0;
    case WM_SETFOCUS: case WM_KILLFOCUS:
      InvalidateRect(hwnd, 0, TRUE);
      Notify(w, msg == WM_SETFOCUS ? EN_SETFOCUS : EN_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if (Multi(w) && (w->style & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_PASTE: {
      if (!OpenClipboard(hwnd)) return 0;
      HANDLE h = GetClipboardData(CF_TEXT);
      const char* text = h ? static_cast<const char*>(GlobalLock(h)) : 0;
      if (text) {
        EditReplace(w, text, 1);
        GlobalUnlock(h);
      }
      CloseClipboard();
      return 0;
    }
    case WM_CLEAR:
      EditReplace(w, "", 0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK KvStaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  int type = static_cast<int>(w->style & SS_TYPEMASK);
  switch (msg) {
    case WM_NCCREATE:
      if ((type == SS_BITMAP || type == SS_ICON)) {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (cs && cs->lpszName) {
          w->control = type == SS_BITMAP ? static_cast<void*>(LoadBitmapA(cs->hInstance, cs->lpszName))
                                         : static_cast<void*>(LoadIconA(cs->hInstance, cs->lpszName));
        }
        return TRUE;
      }
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_PAINT:
      return PaintControl(hwnd, w, PaintStatic);
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcA(hwnd, msg, wParam, lParam);
      RedrawNow(hwnd);
      return r;
    }
    case STM_SETIMAGE: case STM_SETICON: {
      void* old = w->control;
      w->control = reinterpret_cast<void*>(msg == STM_SETICON ? wParam : lParam);
      RedrawNow(hwnd);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE: case STM_GETICON:
      return reinterpret_cast<LRESULT>(w->control);
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_LBUTTONUP:
      if (w->style & SS_NOTIFY) Notify(w, 0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK KvListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  if (msg >= LB_ADDSTRING && msg <= LB_FINDSTRINGEXACT) return ListMessage(w, msg, wParam, lParam);
  switch (msg) {
    case WM_NCCREATE:
      return CreateSunken(hwnd, w, msg, wParam, lParam);
    case WM_PAINT:
      return PaintControl(hwnd, w, PaintList);
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN: {
      SetFocus(hwnd);
      ListState* s = ListOf(w);
      if (!s) return 0;
      int y = static_cast<short>(HIWORD(lParam));
      int i = s->top + y / ItemHeight(w);
      if (i >= 0 && i < static_cast<int>(s->items.size())) {
        if (Multiple(w)) s->items[i].selected = !s->items[i].selected;
        s->cur = i;
        InvalidateRect(hwnd, 0, TRUE);
        if (w->style & LBS_NOTIFY) Notify(w, LBN_SELCHANGE);
      }
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

/* A drop-down list shown closed: the selected item's text in a box. It
 * keeps its items in a list box state and answers the CB_ messages. */
LRESULT CALLBACK KvComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  ListState* s = ListOf(w);
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  struct Map { UINT cb; UINT lb; } map[] = {
    {CB_ADDSTRING, LB_ADDSTRING}, {CB_DELETESTRING, LB_DELETESTRING}, {CB_GETCOUNT, LB_GETCOUNT},
    {CB_GETCURSEL, LB_GETCURSEL}, {CB_GETLBTEXT, LB_GETTEXT}, {CB_GETLBTEXTLEN, LB_GETTEXTLEN},
    {CB_INSERTSTRING, LB_INSERTSTRING}, {CB_RESETCONTENT, LB_RESETCONTENT}, {CB_FINDSTRING, LB_FINDSTRING},
    {CB_SELECTSTRING, LB_SELECTSTRING}, {CB_SETCURSEL, LB_SETCURSEL}, {CB_GETITEMDATA, LB_GETITEMDATA},
    {CB_SETITEMDATA, LB_SETITEMDATA}, {CB_FINDSTRINGEXACT, LB_FINDSTRINGEXACT}};
  for (size_t i = 0; i < sizeof(map) / sizeof(map[0]); i++)
    if (map[i].cb == msg) {
      DWORD sort = w->style & CBS_SORT;
      DWORD saved = w->style;
      w->style = (w->style & ~(LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) | (sort ? LBS_SORT : 0);
      LRESULT r = ListMessage(w, map[i].lb, wParam, lParam);
      w->style = saved;
      if (msg == CB_SETCURSEL || msg == CB_SELECTSTRING || msg == CB_RESETCONTENT || msg == CB_DELETESTRING) {
        w->text = s->cur >= 0 && s->cur < static_cast<int>(s->items.size()) ? s->items[s->cur].text : "";
        InvalidateRect(hwnd, 0, TRUE);
      }
      return r;
    }
  switch (msg) {
    case CB_LIMITTEXT:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) {
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH b = KvControlColour(w, dc, WM_CTLCOLOREDIT);
        FillRect(dc, &r, b);
        RECT e = r;
        DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT);
        RECT arrow = {r.right - 18, r.top + 2, r.right - 2, r.bottom - 2};
        KvFillColour(dc, &arrow, GetSysColor(COLOR_BTNFACE));
        DrawEdge(dc, &arrow, EDGE_RAISED, BF_RECT);
        for (int k = 0; k < 4; k++) {
          RECT a = {arrow.left + 4 + k, arrow.top + 5 + k, arrow.right - 4 - k, arrow.top + 6 + k};
          KvFillColour(dc, &a, 0);
        }
        HGDIOBJ old = SelectObject(dc, FontOf(w));
        SetBkMode(dc, TRANSPARENT);
        RECT t = {r.left + 3, r.top, arrow.left - 2, r.bottom};
        KvDrawLabel(dc, w->text.c_str(), &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(dc, old);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcA(hwnd, msg, wParam, lParam);
      RedrawNow(hwnd);
      return r;
    }
    case WM_CHAR:
      if ((w->style & 3) != CBS_DROPDOWNLIST && wParam >= 32) {
        w->text += static_cast<char>(wParam);
        InvalidateRect(hwnd, 0, TRUE);
        Notify(w, CBN_EDITCHANGE);
      }
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

/* Scroll bars are drawn by the windows that have them; as controls they
 * only show a track. */
LRESULT CALLBACK KvScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (dc) {
      RECT r;
      GetClientRect(hwnd, &r);
      KvFillColour(dc, &r, RGB(230, 228, 224));
    }
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void KvRegisterSystemClasses(void) {
  static int done;
  if (done) return;
  done = 1;
  struct Entry {
    const char* name;
    WNDPROC proc;
    int extra;
  } entries[] = {
    {"Button", KvButtonProc, 0},  {"Edit", KvEditProc, 0},        {"Static", KvStaticProc, 0},
    {"ListBox", KvListBoxProc, 0}, {"#32770", KvDialogClassProc, 30}, {"SysTabControl32", KvTabProc, 0},
    {"ComboBox", KvComboBoxProc, 0}, {"ScrollBar", KvScrollBarProc, 0},
  };
  kv_registering_system_classes = 1;
  for (size_t i = 0; i < sizeof(entries) / sizeof(entries[0]); i++) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = entries[i].proc;
    wc.cbWndExtra = entries[i].extra;
    wc.hCursor = LoadCursorA(0, IDC_ARROW);
    wc.lpszClassName = entries[i].name;
    RegisterClassA(&wc);
  }
  kv_registering_system_classes = 0;
}
