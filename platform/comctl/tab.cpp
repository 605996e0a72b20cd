/* COMCTL32 of the POSIX build: InitCommonControls and the tab control
 * "SysTabControl32" with its item and selection messages. */
#include <windows.h>
#include <commctrl.h>

#include "../user/user_internal.h"

#include <new>
#include <string.h>

namespace {

struct TabItem {
  std::string text;
  int image;
  LPARAM param;
};

struct TabState {
  std::vector<TabItem> items;
  int cur;
};

TabState* TabOf(KvWindow* w) {
  if (!w->control) {
    TabState* s = new (std::nothrow) TabState();
    if (!s) return 0;
    s->cur = -1;
    w->control = s;
    w->freeControl = [](KvWindow* x) { delete static_cast<TabState*>(x->control); x->control = 0; };
  }
  return static_cast<TabState*>(w->control);
}

void Fill(TabItem* item, const TCITEMA* t) {
  if (t->mask & TCIF_TEXT) item->text = t->pszText ? t->pszText : "";
  if (t->mask & TCIF_IMAGE) item->image = t->iImage;
  if (t->mask & TCIF_PARAM) item->param = t->lParam;
}

void Paint(KvWindow* w, HDC dc, TabState* s) {
  RECT r;
  GetClientRect(w->handle, &r);
  KvFillColour(dc, &r, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, w->font ? w->font : KvDefaultGuiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT page = {r.left, r.top + 20, r.right, r.bottom};
  DrawEdge(dc, &page, EDGE_RAISED, BF_RECT);
  int x = 2;
  for (size_t i = 0; i < s->items.size(); i++) {
    RECT calc = {0, 0, 1000, 20};
    DrawTextA(dc, s->items[i].text.c_str(), -1, &calc, DT_SINGLELINE | DT_CALCRECT);
    int width = calc.right + 12;
    int selected = static_cast<int>(i) == s->cur;
    RECT tab = {x, selected ? 0 : 2, x + width, 21};
    KvFillColour(dc, &tab, GetSysColor(COLOR_BTNFACE));
    DrawEdge(dc, &tab, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
    RECT t = tab;
    DrawTextA(dc, s->items[i].text.c_str(), -1, &t, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    x += width;
  }
  SelectObject(dc, old);
}

}  // namespace

extern "C" {

LRESULT CALLBACK KvTabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  TabState* s = TabOf(w);
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  int n = static_cast<int>(s->items.size());
  int i = static_cast<int>(wParam);
  switch (msg) {
    case TCM_GETITEMCOUNT:
      return n;
    case TCM_INSERTITEMA: {
      const TCITEMA* t = reinterpret_cast<const TCITEMA*>(lParam);
      if (!t || i < 0) return -1;
      if (i > n) i = n;
      TabItem item = {"", -1, 0};
      Fill(&item, t);
      s->items.insert(s->items.begin() + i, item);
      if (s->cur < 0) s->cur = 0;
      else if (s->cur >= i && n > 0) s->cur++;
      InvalidateRect(hwnd, 0, TRUE);
      return i;
    }
    case TCM_SETITEMA: {
      const TCITEMA* t = reinterpret_cast<const TCITEMA*>(lParam);
      if (!t || i < 0 || i >= n) return FALSE;
      Fill(&s->items[i], t);
      InvalidateRect(hwnd, 0, TRUE);
      return TRUE;
    }
    case TCM_GETITEMA: {
      TCITEMA* t = reinterpret_cast<TCITEMA*>(lParam);
      if (!t || i < 0 || i >= n) return FALSE;
      if ((t->mask & TCIF_TEXT) && t->pszText && t->cchTextMax > 0) {
        strncpy(t->pszText, s->items[i].text.c_str(), t->cchTextMax - 1);
        t->pszText[t->cchTextMax - 1] = 0;
      }
      if (t->mask & TCIF_IMAGE) t->iImage = s->items[i].image;
      if (t->mask & TCIF_PARAM) t->lParam = s->items[i].param;
      return TRUE;
    }
    case TCM_DELETEITEM:
      if (i < 0 || i >= n) return FALSE;
      s->items.erase(s->items.begin() + i);
      if (s->cur == i) s->cur = -1;
      else if (s->cur > i) s->cur--;
      InvalidateRect(hwnd, 0, TRUE);
      return TRUE;
    case TCM_DELETEALLITEMS:
      s->items.clear();
      s->cur = -1;
      InvalidateRect(hwnd, 0, TRUE);
      return TRUE;
    case TCM_GETCURSEL:
      return s->cur;
    case TCM_SETCURSEL: {
      if (i < 0 || i >= n) return -1;
      int old = s->cur;
      s->cur = i;
      InvalidateRect(hwnd, 0, TRUE);
      return old;
    }
    case TCM_ADJUSTRECT: {
      RECT* r = reinterpret_cast<RECT*>(lParam);
      if (!r) return 0;
      if (wParam) { r->left -= 2; r->top -= 22; r->right += 2; r->bottom += 2; }
      else { r->left += 2; r->top += 22; r->right -= 2; r->bottom -= 2; }
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(w, dc, s);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

void WINAPI InitCommonControls(void) {
  KvRegisterSystemClasses();
}

}  // extern "C"
