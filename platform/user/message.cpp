/* Messages of the POSIX USER32: sending, the posted-message queue, timers,
 * WM_PAINT for invalid windows, the default window procedure and the
 * device contexts of windows. When the program waits for input and nothing
 * is queued, the scripted user acts; without one there is nobody to wait
 * for and the program ends with exit code 4. */
#include "user_internal.h"

#include <deque>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

std::deque<MSG>& Queue() {
  static std::deque<MSG> q;
  return q;
}

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  double due;
  TIMERPROC proc;
};

std::vector<Timer>& Timers() {
  static std::vector<Timer> t;
  return t;
}

int g_quitPending;
int g_quitCode;
UINT_PTR g_nextTimerId = 0x7FF0;

DWORD Ticks() {
  return static_cast<DWORD>(KvNow() * 1000.0);
}

int InRange(UINT m, UINT first, UINT last) {
  if (first == 0 && last == 0) return 1;
  return m >= first && m <= last;
}

int Matches(HWND filter, HWND h) {
  if (!filter) return 1;
  if (filter == h) return 1;
  return IsChild(filter, h);
}

/* A visible window waiting for WM_PAINT, parents before children. */
KvWindow* FindInvalid(KvWindow* w, HWND filter) {
  if (!KvReallyVisible(w)) return 0;
  if (w->invalid && Matches(filter, w->handle)) return w;
  for (size_t i = 0; i < w->children.size(); i++) {
    KvWindow* c = FindInvalid(w->children[i], filter);
    if (c) return c;
  }
  return 0;
}

int NextPaint(MSG* msg, HWND filter) {
  std::vector<KvWindow*> z = KvTopLevels();
  for (size_t i = z.size(); i-- > 0;) {
    KvWindow* w = FindInvalid(z[i], filter);
    if (w) {
      memset(msg, 0, sizeof(*msg));
      msg->hwnd = w->handle;
      msg->message = WM_PAINT;
      msg->time = Ticks();
      return 1;
    }
  }
  return 0;
}

int NextTimer(MSG* msg, HWND filter, int remove) {
  double now = KvNow();
  std::vector<Timer>& t = Timers();
  for (size_t i = 0; i < t.size(); i++) {
    if (t[i].due > now || !Matches(filter, t[i].hwnd)) continue;
    memset(msg, 0, sizeof(*msg));
    msg->hwnd = t[i].hwnd;
    msg->message = WM_TIMER;
    msg->wParam = t[i].id;
    msg->lParam = reinterpret_cast<LPARAM>(t[i].proc);
    msg->time = Ticks();
    if (remove) t[i].due = now + t[i].elapse / 1000.0;
    return 1;
  }
  return 0;
}

int TakeMessage(MSG* msg, HWND filter, UINT first, UINT last, int remove) {
  std::deque<MSG>& q = Queue();
  for (size_t i = 0; i < q.size(); i++) {
    if (!Matches(filter, q[i].hwnd) && !(filter == 0)) continue;
    if (!InRange(q[i].message, first, last)) continue;
    *msg = q[i];
    if (remove) q.erase(q.begin() + i);
    return 1;
  }
  if (g_quitPending && InRange(WM_QUIT, first, last)) {
    memset(msg, 0, sizeof(*msg));
    msg->message = WM_QUIT;
    msg->wParam = g_quitCode;
    if (remove) g_quitPending = 0;
    return 1;
  }
  if (InRange(WM_PAINT, first, last) && NextPaint(msg, filter)) return 1;
  if (InRange(WM_TIMER, first, last) && NextTimer(msg, filter, remove)) return 1;
  return 0;
}

void NoUser(const char* why) {
  fprintf(stderr, "%s: there is no user to wait for\n", why);
  fflush(stderr);
  _exit(4);
}

/* Nothing is queued: the scripted user acts, or the program sleeps until
 * its next timer, or it ends because nobody can answer it. */
void Idle() {
  std::vector<Timer>& t = Timers();
  int step = KvScriptStep(!t.empty());
  if (step == KV_SCRIPT_DONE_LINE) return;
  // A used-up script ends the program even while timers run: nothing
  // scripted will ever answer it.
  if (step == KV_SCRIPT_USED_UP) NoUser("KV_SCRIPT is used up and the program waits for input");
  if (t.empty()) NoUser("the program waits for input, but there is no KV_SCRIPT and no display");
  double next = t[0].due;
  for (size_t i = 1; i < t.size(); i++)
    if (t[i].due < next) next = t[i].due;
  double wait = next - KvNow();
  if (step == KV_SCRIPT_WAITING && wait > 0.05) wait = 0.05;
  if (wait > 0) usleep(static_cast<useconds_t>(wait * 1e6));
}

void DrawNonClient(KvWindow* w) {
  RECT nc;
  KvNonClient(w, &nc);
  if (IsRectEmpty(&nc) && !nc.left && !nc.top) return;
  HDC dc = GetWindowDC(w->handle);
  if (!dc) return;
  RECT r = {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  DWORD s = w->style;
  int frame = (s & WS_THICKFRAME) || (s & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME) ||
              (w->isDialog && (s & DS_MODALFRAME));
  if (frame) {
    int b = (s & WS_THICKFRAME) ? 4 : 3;
    RECT e = r;
    DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
    for (int i = 2; i < b; i++) {
      InflateRect(&e, -1, -1);
      FrameRect(dc, &e, GetSysColorBrush(COLOR_BTNFACE));
    }
    InflateRect(&r, -b, -b);
  } else if (s & WS_BORDER) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  if (w->exStyle & WS_EX_CLIENTEDGE) {
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    InflateRect(&r, -2, -2);
  }
  if (w->exStyle & WS_EX_STATICEDGE) {
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    InflateRect(&r, -1, -1);
  }
  if ((s & WS_CAPTION) == WS_CAPTION) {
    RECT cap = {r.left, r.top, r.right, r.top + 18};
    int active = KvActiveTopLevel() == w->handle || w->parent;
    KvFillColour(dc, &cap, GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    LOGFONTA lf;
    memset(&lf, 0, sizeof(lf));
    lf.lfHeight = -11;
    lf.lfWeight = FW_BOLD;
    strcpy(lf.lfFaceName, "MS Sans Serif");
    HFONT f = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    RECT t = cap;
    t.left += 4;
    t.right -= (s & WS_SYSMENU) ? 20 : 2;
    KvDrawLabel(dc, w->text.c_str(), &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(f);
    if (s & WS_SYSMENU) {
      RECT x = {cap.right - 18, cap.top + 2, cap.right - 2, cap.top + 16};
      KvFillColour(dc, &x, GetSysColor(COLOR_BTNFACE));
      DrawEdge(dc, &x, EDGE_RAISED, BF_RECT);
      HPEN pen = CreatePen(PS_SOLID, 1, 0);
      HGDIOBJ op = SelectObject(dc, pen);
      for (int k = 0; k < 2; k++) {
        MoveToEx(dc, x.left + 4 + k, x.top + 3, 0);
        LineTo(dc, x.right - 4 + k, x.bottom - 3);
        MoveToEx(dc, x.right - 5 + k, x.top + 3, 0);
        LineTo(dc, x.left + 3 + k, x.bottom - 3);
      }
      SelectObject(dc, op);
      DeleteObject(pen);
    }
    r.top += 18;
  }
  if (!(s & WS_CHILD) && w->menu) {
    RECT m = {r.left, r.top, r.right, r.top + 19};
    KvFillColour(dc, &m, GetSysColor(COLOR_MENU));
    r.top += 19;
  }
  if (s & WS_VSCROLL) {
    RECT sb = {r.right - 16, r.top, r.right, r.bottom - ((s & WS_HSCROLL) ? 16 : 0)};
    KvFillColour(dc, &sb, RGB(230, 228, 224));
    RECT up = {sb.left, sb.top, sb.right, sb.top + 16};
    RECT down = {sb.left, sb.bottom - 16, sb.right, sb.bottom};
    if (sb.bottom - sb.top >= 32) {
      KvFillColour(dc, &up, GetSysColor(COLOR_BTNFACE));
      DrawEdge(dc, &up, EDGE_RAISED, BF_RECT);
      KvFillColour(dc, &down, GetSysColor(COLOR_BTNFACE));
      DrawEdge(dc, &down, EDGE_RAISED, BF_RECT);
      for (int i = 0; i < 4; i++) {
        RECT a = {up.left + 8 - i, up.top + 6 + i, up.left + 9 + i, up.top + 7 + i};
        KvFillColour(dc, &a, 0);
        RECT b = {down.left + 8 - i, down.bottom - 7 - i, down.left + 9 + i, down.bottom - 6 - i};
        KvFillColour(dc, &b, 0);
      }
    }
  }
  ReleaseDC(w->handle, dc);
}

HDC MakeDc(HWND hwnd, int client) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  KvWindow* t = KvTopLevel(w);
  if (!t->surface) return 0;
  RECT top;
  KvScreenRect(t, &top);
  RECT area;
  if (client) KvClientScreenRect(w, &area);
  else KvScreenRect(w, &area);
  // Clip to every ancestor's client area.
  for (KvWindow* p = w->parent; p; p = p->parent) {
    RECT pc;
    KvClientScreenRect(p, &pc);
    if (!IntersectRect(&area, &area, &pc)) SetRectEmpty(&area);
  }
  RECT origin;
  if (client) KvClientScreenRect(w, &origin);
  else KvScreenRect(w, &origin);
  OffsetRect(&area, -top.left, -top.top);
  return KvCreateSurfaceDC(t->surface, origin.left - top.left, origin.top - top.top, &area, hwnd);
}

}  // namespace

void KvKillTimersOf(HWND h) {
  std::vector<Timer>& t = Timers();
  for (size_t i = t.size(); i-- > 0;)
    if (t[i].hwnd == h) t.erase(t.begin() + i);
}

void KvDropMessagesOf(HWND h) {
  std::deque<MSG>& q = Queue();
  for (size_t i = q.size(); i-- > 0;)
    if (q[i].hwnd == h) q.erase(q.begin() + i);
}

void KvFillColour(HDC dc, const RECT* r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, r, b);
  DeleteObject(b);
}

extern "C" {

LRESULT WINAPI SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KvWindow* w = KvWin(hwnd);
  if (!w || !w->proc) return 0;
  return w->proc(hwnd, msg, wParam, lParam);
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(GetDlgItem(dialog, id), msg, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !KvWin(hwnd)) return FALSE;
  MSG m;
  memset(&m, 0, sizeof(m));
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = Ticks();
  Queue().push_back(m);
  return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
  g_quitPending = 1;
  g_quitCode = exitCode;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove) {
  if (!msg) return FALSE;
  return TakeMessage(msg, hwnd, first, last, remove & PM_REMOVE) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last) {
  if (!msg) return -1;
  if (hwnd && !KvWin(hwnd)) return -1;
  for (;;) {
    if (TakeMessage(msg, hwnd, first, last, 1)) return msg->message == WM_QUIT ? FALSE : TRUE;
    Idle();
  }
}

BOOL WINAPI WaitMessage(void) {
  MSG m;
  while (!TakeMessage(&m, 0, 0, 0, 0)) Idle();
  return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return FALSE;
  int ch = 0;
  switch (msg->wParam) {
    case VK_RETURN: ch = '\r'; break;
    case VK_ESCAPE: ch = 27; break;
    case VK_TAB: ch = '\t'; break;
    case VK_BACK: ch = 8; break;
    default: return FALSE;
  }
  MSG c = *msg;
  c.message = WM_CHAR;
  c.wParam = ch;
  Queue().push_front(c);
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    TIMERPROC p = reinterpret_cast<TIMERPROC>(msg->lParam);
    p(msg->hwnd, WM_TIMER, msg->wParam, Ticks());
    return 0;
  }
  if (!msg->hwnd) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (hwnd && !KvWin(hwnd)) return 0;
  if (elapse < 10) elapse = 10;
  std::vector<Timer>& t = Timers();
  if (!hwnd) id = g_nextTimerId++;
  for (size_t i = 0; i < t.size(); i++)
    if (t[i].hwnd == hwnd && t[i].id == id) {
      t[i].elapse = elapse;
      t[i].due = KvNow() + elapse / 1000.0;
      t[i].proc = proc;
      return hwnd ? id : id;
    }
  Timer n = {hwnd, id, elapse, KvNow() + elapse / 1000.0, proc};
  t.push_back(n);
  return hwnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
  std::vector<Timer>& t = Timers();
  for (size_t i = 0; i < t.size(); i++)
    if (t[i].hwnd == hwnd && t[i].id == id) {
      t.erase(t.begin() + i);
      // A WM_TIMER already queued for it is dropped too.
      return TRUE;
    }
  return FALSE;
}

BOOL WINAPI MessageBeep(UINT) {
  return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      w->ncInvalid = 1;
      if (!w->parent) KvInvalidateTree(w);
      return TRUE;
    case WM_GETTEXT: {
      int size = static_cast<int>(wParam);
      char* buffer = reinterpret_cast<char*>(lParam);
      if (!buffer || size <= 0) return 0;
      int n = static_cast<int>(w->text.size());
      if (n > size - 1) n = size - 1;
      memcpy(buffer, w->text.c_str(), n);
      buffer[n] = 0;
      return n;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_SETFONT:
      w->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(hwnd, 0, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(w->font);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH b = w->cls->wc.hbrBackground;
      if (!b) return 0;
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, b);
      return 1;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_CTLCOLOR: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      int window = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
      SetTextColor(dc, GetSysColor(window ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
      SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(window ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    case WM_NCHITTEST:
      return 1;
    case WM_SYSCOMMAND:
      return 0;
    case WM_NCCALCSIZE:
      return 0;
    case WM_SHOWWINDOW:
      return 0;
    default:
      return 0;
  }
}

HDC WINAPI GetDC(HWND hwnd) {
  if (!hwnd) {
    static KvSurface* screen;
    if (!screen) screen = KvSurfaceCreate(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    if (!screen) return 0;
    RECT all = {0, 0, screen->width, screen->height};
    return KvCreateSurfaceDC(screen, 0, 0, &all, 0);
  }
  return MakeDc(hwnd, 1);
}

HDC WINAPI GetWindowDC(HWND hwnd) {
  return MakeDc(hwnd, 0);
}

int WINAPI ReleaseDC(HWND hwnd, HDC dc) {
  if (!KvIsWindowDC(dc, hwnd)) return 0;
  KvFreeSurfaceDC(dc);
  return 1;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  KvWindow* w = KvWin(hwnd);
  if (!w || !ps) return 0;
  memset(ps, 0, sizeof(*ps));
  int erase = w->erase;
  int nc = w->ncInvalid;
  w->invalid = 0;
  w->erase = 0;
  w->ncInvalid = 0;
  if (nc) DrawNonClient(w);
  HDC dc = GetDC(hwnd);
  ps->hdc = dc;
  GetClientRect(hwnd, &ps->rcPaint);
  if (erase && dc) ps->fErase = SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  ReleaseDC(hwnd, ps->hdc);
  return TRUE;
}

}  // extern "C"
