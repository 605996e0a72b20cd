/* Windows of the POSIX USER32: classes, creation and destruction, window
 * longs, geometry, visibility, focus and text. Every window is a KvWindow;
 * its handle is a small number looked up in one table, so a stale handle
 * is recognised instead of being followed. */
#include "user_internal.h"

#include <map>
#include <new>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <time.h>

namespace {

std::map<HWND, KvWindow*>& Windows() {
  static std::map<HWND, KvWindow*> windows;
  return windows;
}

std::vector<KvClass*>& Classes() {
  static std::vector<KvClass*> classes;
  return classes;
}

uintptr_t g_nextHandle = 0x10010;
HWND g_focus;
HWND g_active;

/* Pointers that do not fit a 32-bit window long travel as tokens. */
std::vector<WNDPROC>& ProcTokens() {
  static std::vector<WNDPROC> tokens;
  return tokens;
}
const LONG kTokenBase = 0x7F000000;

LONG ProcToLong(WNDPROC p) {
  uintptr_t v = reinterpret_cast<uintptr_t>(p);
  if (v <= 0x7FFFFFFF && (v < static_cast<uintptr_t>(kTokenBase))) return static_cast<LONG>(v);
  std::vector<WNDPROC>& t = ProcTokens();
  for (size_t i = 0; i < t.size(); i++)
    if (t[i] == p) return kTokenBase + static_cast<LONG>(i);
  t.push_back(p);
  return kTokenBase + static_cast<LONG>(t.size() - 1);
}

WNDPROC LongToProc(LONG_PTR v) {
  std::vector<WNDPROC>& t = ProcTokens();
  if (v >= kTokenBase && v < kTokenBase + static_cast<LONG_PTR>(t.size())) return t[v - kTokenBase];
  return reinterpret_cast<WNDPROC>(v);
}

KvClass* FindClass(LPCSTR name) {
  if (!name) return 0;
  std::vector<KvClass*>& c = Classes();
  if (IS_INTRESOURCE(name)) {
    if (reinterpret_cast<uintptr_t>(name) == 32770) name = "#32770";
    else return 0;
  }
  for (size_t i = 0; i < c.size(); i++)
    if (strcasecmp(c[i]->name.c_str(), name) == 0) return c[i];
  return 0;
}

void SetActive(KvWindow* t) {
  if (!t) return;
  std::vector<KvWindow*>& z = KvTopLevels();
  for (size_t i = 0; i < z.size(); i++)
    if (z[i] == t) {
      z.erase(z.begin() + i);
      break;
    }
  z.insert(z.begin(), t);
  g_active = t->handle;
}

void ChooseActive() {
  std::vector<KvWindow*>& z = KvTopLevels();
  for (size_t i = 0; i < z.size(); i++)
    if ((z[i]->style & WS_VISIBLE) && !(z[i]->style & WS_DISABLED) && !z[i]->destroying) {
      g_active = z[i]->handle;
      return;
    }
  g_active = 0;
}

void Unlink(KvWindow* w) {
  if (w->parent) {
    std::vector<KvWindow*>& c = w->parent->children;
    for (size_t i = 0; i < c.size(); i++)
      if (c[i] == w) {
        c.erase(c.begin() + i);
        break;
      }
  } else {
    std::vector<KvWindow*>& z = KvTopLevels();
    for (size_t i = 0; i < z.size(); i++)
      if (z[i] == w) {
        z.erase(z.begin() + i);
        break;
      }
  }
}

void SendDestroy(KvWindow* w) {
  w->destroying = 1;
  SendMessageA(w->handle, WM_DESTROY, 0, 0);
  std::vector<KvWindow*> kids = w->children;
  for (size_t i = 0; i < kids.size(); i++)
    if (KvWin(kids[i]->handle)) SendDestroy(kids[i]);
}

void KillTimersOf(HWND h);
void DropMessagesOf(HWND h);

void SendNcDestroy(KvWindow* w) {
  std::vector<KvWindow*> kids = w->children;
  for (size_t i = 0; i < kids.size(); i++)
    if (KvWin(kids[i]->handle)) SendNcDestroy(kids[i]);
  HWND h = w->handle;
  SendMessageA(h, WM_NCDESTROY, 0, 0);
  if (g_focus == h) g_focus = 0;
  KillTimersOf(h);
  Unlink(w);
  Windows().erase(h);
  if (w->freeControl) w->freeControl(w);
  if (w->ownsFont && w->dlgFont) DeleteObject(w->dlgFont);
  if (w->surface) KvSurfaceFree(w->surface);
  delete w;
}

void ResizeSurface(KvWindow* w) {
  if (w->parent) return;
  int width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
  if (!w->surface) w->surface = KvSurfaceCreate(width, height);
  else KvSurfaceResize(w->surface, width, height);
}

}  // namespace

int kv_registering_system_classes;

/* Timers live in the message file; these hooks keep the window table
 * clean when a window goes. */
void KvKillTimersOf(HWND h);
void KvDropMessagesOf(HWND h);
namespace {
void KillTimersOf(HWND h) { KvKillTimersOf(h); }
void DropMessagesOf(HWND h) { KvDropMessagesOf(h); }
}

KvWindow* KvWin(HWND h) {
  if (!h) return 0;
  std::map<HWND, KvWindow*>::iterator i = Windows().find(h);
  return i == Windows().end() ? 0 : i->second;
}

/* The desktop: the screen as a window. Its children, as GetWindow shows
 * them, are the top-level windows; it is never destroyed. */
KvWindow* KvDesktop(void) {
  static KvWindow* desktop;
  if (!desktop) {
    static KvClass cls;
    cls.name = "#32769";
    memset(&cls.wc, 0, sizeof(cls.wc));
    cls.wc.lpfnWndProc = DefWindowProcA;
    cls.system = 1;
    desktop = new (std::nothrow) KvWindow();
    if (!desktop) abort();
    desktop->handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10004));
    desktop->cls = &cls;
    desktop->proc = DefWindowProcA;
    desktop->style = WS_VISIBLE | WS_CLIPCHILDREN;
    desktop->destroying = 0;
    Windows()[desktop->handle] = desktop;
  }
  SetRect(&desktop->rect, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return desktop;
}

std::vector<KvWindow*>& KvTopLevels() {
  static std::vector<KvWindow*> z;
  return z;
}

HWND KvActiveTopLevel(void) {
  KvWindow* a = KvWin(g_active);
  if (a && (a->style & WS_VISIBLE) && !a->destroying) return g_active;
  ChooseActive();
  return g_active;
}

double KvNow(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

void KvNonClient(const KvWindow* w, RECT* r) {
  SetRectEmpty(r);
  DWORD s = w->style;
  int b = 0;
  if (s & WS_THICKFRAME) b = 4;
  else if ((s & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME) || (w->isDialog && (s & DS_MODALFRAME))) b = 3;
  else if (s & WS_BORDER) b = 1;
  if (w->exStyle & WS_EX_CLIENTEDGE) b += 2;
  if (w->exStyle & WS_EX_STATICEDGE) b += 1;
  r->left = r->right = r->top = r->bottom = b;
  if ((s & WS_CAPTION) == WS_CAPTION) r->top += 18;
  if (!(s & WS_CHILD) && w->menu) r->top += 19;
  if (s & WS_VSCROLL) r->right += 16;
  if (s & WS_HSCROLL) r->bottom += 16;
}

KvWindow* KvTopLevel(KvWindow* w) {
  while (w && w->parent) w = w->parent;
  return w;
}

void KvScreenRect(const KvWindow* w, RECT* r) {
  *r = w->rect;
  if (w->parent) {
    RECT p;
    KvClientScreenRect(w->parent, &p);
    OffsetRect(r, p.left, p.top);
  }
}

void KvClientScreenRect(const KvWindow* w, RECT* r) {
  RECT nc;
  KvScreenRect(w, r);
  KvNonClient(w, &nc);
  r->left += nc.left;
  r->top += nc.top;
  r->right -= nc.right;
  r->bottom -= nc.bottom;
  if (r->right < r->left) r->right = r->left;
  if (r->bottom < r->top) r->bottom = r->top;
}

int KvReallyVisible(const KvWindow* w) {
  for (; w; w = w->parent)
    if (!(w->style & WS_VISIBLE) || w->destroying) return 0;
  return 1;
}

void KvInvalidateTree(KvWindow* w) {
  w->invalid = 1;
  w->erase = 1;
  w->ncInvalid = 1;
  for (size_t i = 0; i < w->children.size(); i++) KvInvalidateTree(w->children[i]);
}

void KvUpdateTree(KvWindow* w) {
  if (!KvReallyVisible(w)) return;
  HWND h = w->handle;
  if (w->invalid || w->ncInvalid) {
    if (w->invalid) SendMessageA(h, WM_PAINT, 0, 0);
    if (!KvWin(h)) return;
    if (w->invalid || w->ncInvalid) ValidateRect(h, 0);  // the procedure painted nothing
  }
  std::vector<KvWindow*> kids = w->children;
  for (size_t i = 0; i < kids.size(); i++)
    if (KvWin(kids[i]->handle)) KvUpdateTree(kids[i]);
}

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) return 0;
  KvRegisterSystemClasses();
  if (FindClass(wc->lpszClassName)) return 0;
  KvClass* c = new (std::nothrow) KvClass;
  if (!c) return 0;
  c->name = wc->lpszClassName;
  c->wc = *wc;
  c->wc.lpszClassName = 0;
  c->system = kv_registering_system_classes;
  Classes().push_back(c);
  return static_cast<ATOM>(0xC000 + Classes().size());
}

BOOL WINAPI UnregisterClassA(LPCSTR name, HINSTANCE) {
  KvClass* c = FindClass(name);
  if (!c || c->system) return FALSE;
  for (std::map<HWND, KvWindow*>::iterator i = Windows().begin(); i != Windows().end(); ++i)
    if (i->second->cls == c) return FALSE;
  std::vector<KvClass*>& v = Classes();
  for (size_t i = 0; i < v.size(); i++)
    if (v[i] == c) v.erase(v.begin() + i);
  delete c;
  return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE, LPCSTR name, LPWNDCLASSA wc) {
  KvRegisterSystemClasses();
  KvClass* c = FindClass(name);
  if (!c) return FALSE;
  if (wc) {
    *wc = c->wc;
    wc->lpszClassName = name;
  }
  return TRUE;
}

int WINAPI GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
  KvWindow* w = KvWin(hwnd);
  if (!w || !buffer || size <= 0) return 0;
  int n = static_cast<int>(w->cls->name.size());
  if (n > size - 1) n = size - 1;
  memcpy(buffer, w->cls->name.c_str(), n);
  buffer[n] = 0;
  return n;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parentHandle, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  KvRegisterSystemClasses();
  KvClass* c = FindClass(className);
  if (!c) return 0;
  if (parentHandle == KvDesktop()->handle) parentHandle = 0;
  KvWindow* parent = KvWin(parentHandle);
  if (parentHandle && !parent) return 0;
  if ((style & WS_CHILD) && !parent) return 0;
  KvWindow* w = new (std::nothrow) KvWindow();
  if (!w) return 0;
  w->handle = reinterpret_cast<HWND>(g_nextHandle);
  g_nextHandle += 4;
  w->cls = c;
  w->style = style;
  w->exStyle = exStyle;
  w->proc = c->wc.lpfnWndProc;
  w->extra.assign(c->wc.cbWndExtra > 0 ? c->wc.cbWndExtra : 0, 0);
  if (style & WS_CHILD) {
    w->parent = parent;
    w->id = static_cast<int>(reinterpret_cast<intptr_t>(menu));
  } else {
    w->owner = parent ? KvTopLevel(parent) : 0;
    w->menu = menu;
    if (!(style & WS_POPUP)) w->style |= WS_CLIPSIBLINGS | WS_CAPTION;
  }
  if (x == CW_USEDEFAULT) { x = 40; y = 40; }
  if (width == CW_USEDEFAULT) { width = 400; height = 300; }
  SetRect(&w->rect, x, y, x + width, y + height);
  Windows()[w->handle] = w;
  if (w->parent) w->parent->children.push_back(w);
  else KvTopLevels().push_back(w);
  ResizeSurface(w);
  HWND h = w->handle;
  DWORD visible = w->style & WS_VISIBLE;
  w->style &= ~WS_VISIBLE;

  CREATESTRUCTA cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parentHandle;
  cs.cy = height;
  cs.cx = width;
  cs.y = y;
  cs.x = x;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  if (!SendMessageA(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    if (KvWin(h)) {
      SendNcDestroy(w);
    }
    return 0;
  }
  if (!KvWin(h)) return 0;
  SendMessageA(h, WM_NCCALCSIZE, 0, 0);
  if (SendMessageA(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    if (KvWin(h)) DestroyWindow(h);
    return 0;
  }
  if (!KvWin(h)) return 0;
  // Child and pop-up windows learn their size now; an overlapped window
  // when it is first shown, as on Windows.
  if (style & (WS_CHILD | WS_POPUP)) {
    RECT client;
    GetClientRect(h, &client);
    SendMessageA(h, WM_SIZE, 0, MAKELONG(client.right, client.bottom));
    SendMessageA(h, WM_MOVE, 0, MAKELONG(w->rect.left, w->rect.top));
    if (!KvWin(h)) return 0;
  } else {
    w->needSize = 1;
  }
  if (visible) ShowWindow(h, SW_SHOW);
  return h;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
  if (hwnd == KvDesktop()->handle) return FALSE;
  KvWindow* w = KvWin(hwnd);
  if (!w || w->destroying) return w ? TRUE : FALSE;
  // Owned windows go first, as they do on Windows.
  std::vector<KvWindow*> z = KvTopLevels();
  for (size_t i = 0; i < z.size(); i++)
    if (z[i]->owner == w && KvWin(z[i]->handle)) DestroyWindow(z[i]->handle);
  w = KvWin(hwnd);
  if (!w) return TRUE;
  int wasActive = g_active == hwnd;
  if (w->style & WS_VISIBLE) {
    SendMessageA(hwnd, WM_SHOWWINDOW, FALSE, 0);
    w = KvWin(hwnd);
    if (!w) return TRUE;
    w->style &= ~WS_VISIBLE;
    if (w->parent) KvInvalidateTree(w->parent);
  }
  // Focus inside the window moves away before the window goes.
  KvWindow* f = KvWin(g_focus);
  while (f && f != w) f = f->parent;
  if (f) g_focus = w->parent ? w->parent->handle : 0;
  SendDestroy(w);
  w = KvWin(hwnd);
  if (w) SendNcDestroy(w);
  DropMessagesOf(hwnd);
  if (wasActive || !KvWin(g_active)) {
    ChooseActive();
    KvWindow* a = KvWin(g_active);
    if (a && !g_focus) g_focus = a->focusSaved && KvWin(a->focusSaved) ? a->focusSaved : a->handle;
  }
  return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd) {
  return KvWin(hwnd) ? TRUE : FALSE;
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  proc = LongToProc(reinterpret_cast<LONG_PTR>(proc));
  if (!proc) return 0;
  return proc(hwnd, msg, wParam, lParam);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  if (w->isDialog && index >= 0 && index < 12 && index % 4 == 0) {
    if (index == DWL_MSGRESULT) return w->msgResult;
    if (index == DWL_DLGPROC) return reinterpret_cast<LONG_PTR>(w->dlgProc);
    return w->dlgUser;
  }
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_USERDATA: return w->userData;
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_ID: return w->id;
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent->handle : (w->owner ? w->owner->handle : 0));
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->cls->wc.hInstance);
    default:
      if (index >= 0 && static_cast<size_t>(index) + 4 <= w->extra.size()) {
        LONG v;
        memcpy(&v, &w->extra[index], 4);
        return v;
      }
      return 0;
  }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtrA(hwnd, index);
  if (w->isDialog && index >= 0 && index < 12 && index % 4 == 0) {
    if (index == DWL_MSGRESULT) w->msgResult = value;
    else if (index == DWL_DLGPROC) w->dlgProc = reinterpret_cast<DLGPROC>(LongToProc(value));
    else w->dlgUser = value;
    return old;
  }
  switch (index) {
    case GWL_WNDPROC: w->proc = LongToProc(value); break;
    case GWL_USERDATA: w->userData = value; break;
    case GWL_STYLE: w->style = static_cast<DWORD>(value); break;
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); break;
    case GWL_ID: w->id = static_cast<int>(value); break;
    default:
      if (index >= 0 && static_cast<size_t>(index) + 4 <= w->extra.size()) {
        LONG v = static_cast<LONG>(value);
        memcpy(&w->extra[index], &v, 4);
        break;
      }
      return 0;
  }
  return old;
}

LONG WINAPI GetWindowLongA(HWND hwnd, int index) {
  if (index == GWL_WNDPROC || (index == DWL_DLGPROC && KvWin(hwnd) && KvWin(hwnd)->isDialog))
    return ProcToLong(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, index)));
  return static_cast<LONG>(GetWindowLongPtrA(hwnd, index));
}

LONG WINAPI SetWindowLongA(HWND hwnd, int index, LONG value) {
  int isProc = index == GWL_WNDPROC || (index == DWL_DLGPROC && KvWin(hwnd) && KvWin(hwnd)->isDialog);
  LONG_PTR old = SetWindowLongPtrA(hwnd, index, value);
  if (isProc) return ProcToLong(reinterpret_cast<WNDPROC>(old));
  return static_cast<LONG>(old);
}

HWND WINAPI GetParent(HWND hwnd) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  if (w->parent) return w->parent->handle;
  if (w->owner && (w->style & WS_POPUP)) return w->owner->handle;
  return 0;
}

HWND WINAPI SetParent(HWND hwnd, HWND parentHandle) {
  KvWindow* w = KvWin(hwnd);
  KvWindow* p = KvWin(parentHandle);
  if (!w || (parentHandle && !p)) return 0;
  HWND old = w->parent ? w->parent->handle : 0;
  Unlink(w);
  w->parent = p;
  if (p) {
    p->children.push_back(w);
    w->style |= WS_CHILD;
    if (w->surface) { KvSurfaceFree(w->surface); w->surface = 0; }
  } else {
    KvTopLevels().push_back(w);
    w->style &= ~WS_CHILD;
    ResizeSurface(w);
  }
  KvInvalidateTree(w);
  return old;
}

HWND WINAPI GetWindow(HWND hwnd, UINT cmd) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  if (w == KvDesktop()) {
    std::vector<KvWindow*>& z = KvTopLevels();
    return cmd == GW_CHILD && !z.empty() ? z[0]->handle : 0;
  }
  std::vector<KvWindow*>& list = w->parent ? w->parent->children : KvTopLevels();
  size_t i = 0;
  while (i < list.size() && list[i] != w) i++;
  switch (cmd) {
    case GW_CHILD: return w->children.empty() ? 0 : w->children[0]->handle;
    case GW_OWNER: return w->owner ? w->owner->handle : 0;
    case GW_HWNDFIRST: return list.empty() ? 0 : list[0]->handle;
    case GW_HWNDLAST: return list.empty() ? 0 : list.back()->handle;
    case GW_HWNDNEXT: return i + 1 < list.size() ? list[i + 1]->handle : 0;
    case GW_HWNDPREV: return i > 0 && i < list.size() ? list[i - 1]->handle : 0;
    default: return 0;
  }
}

HWND WINAPI GetDesktopWindow(void) {
  return KvDesktop()->handle;
}

BOOL WINAPI IsChild(HWND parentHandle, HWND hwnd) {
  KvWindow* w = KvWin(hwnd);
  KvWindow* p = KvWin(parentHandle);
  if (!w || !p) return FALSE;
  for (w = w->parent; w; w = w->parent)
    if (w == p) return TRUE;
  return FALSE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  KvWindow* d = KvWin(dialog);
  if (!d) return 0;
  for (size_t i = 0; i < d->children.size(); i++)
    if (d->children[i]->id == id) return d->children[i]->handle;
  return 0;
}

int WINAPI GetDlgCtrlID(HWND hwnd) {
  KvWindow* w = KvWin(hwnd);
  return w && w->parent ? w->id : 0;
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return FALSE;
  BOOL was = (w->style & WS_VISIBLE) ? TRUE : FALSE;
  int show = command != SW_HIDE;
  if (show != was) {
    SendMessageA(hwnd, WM_SHOWWINDOW, show, 0);
    w = KvWin(hwnd);
    if (!w) return was;
    if (show) {
      w->style |= WS_VISIBLE;
      KvInvalidateTree(w);
      if (w->needSize) {
        w->needSize = 0;
        RECT client;
        GetClientRect(hwnd, &client);
        SendMessageA(hwnd, WM_SIZE, 0, MAKELONG(client.right, client.bottom));
        if (KvWin(hwnd)) SendMessageA(hwnd, WM_MOVE, 0, MAKELONG(w->rect.left, w->rect.top));
        w = KvWin(hwnd);
        if (!w) return was;
      }
    } else {
      w->style &= ~WS_VISIBLE;
      if (w->parent) KvInvalidateTree(w->parent);
      // A hidden window gives up the focus.
      KvWindow* f = KvWin(g_focus);
      while (f && f != w) f = f->parent;
      if (f) g_focus = w->parent ? w->parent->handle : 0;
    }
  }
  if (!w->parent) {
    if (show && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE && command != SW_SHOWMINNOACTIVE) {
      SetActive(w);
      KvWindow* f = KvWin(g_focus);
      if (!f || KvTopLevel(f) != w) g_focus = hwnd;
    } else if (!show && g_active == hwnd) {
      ChooseActive();
      KvWindow* a = KvWin(g_active);
      if (a) g_focus = a->focusSaved && KvWin(a->focusSaved) ? a->focusSaved : a->handle;
    }
  }
  return was;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
  KvWindow* w = KvWin(hwnd);
  return w && KvReallyVisible(w) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return FALSE;
  BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    SendMessageA(hwnd, WM_ENABLE, TRUE, 0);
    if (KvWin(hwnd)) InvalidateRect(hwnd, 0, TRUE);
  } else if (!enable && !wasDisabled) {
    w->style |= WS_DISABLED;
    if (g_focus == hwnd) g_focus = 0;
    SendMessageA(hwnd, WM_ENABLE, FALSE, 0);
    if (KvWin(hwnd)) InvalidateRect(hwnd, 0, TRUE);
  }
  return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
  KvWindow* w = KvWin(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND hwnd) {
  HWND old = g_focus;
  if (hwnd && !KvWin(hwnd)) return 0;
  if (hwnd == old) return old;
  if (old && KvWin(old)) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  g_focus = hwnd;
  KvWindow* w = KvWin(hwnd);
  if (w) {
    KvWindow* t = KvTopLevel(w);
    t->focusSaved = hwnd;
    // Each dialog around the window remembers it, to give it back when the
    // dialog itself gets the focus again.
    for (KvWindow* a = w->parent; a; a = a->parent)
      if (a->isDialog) a->focusSaved = hwnd;
    if (g_active != t->handle && (t->style & WS_VISIBLE)) SetActive(t);
    SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return KvWin(old) ? old : 0;
}

HWND WINAPI GetFocus(void) {
  return KvWin(g_focus) ? g_focus : 0;
}

HWND WINAPI GetActiveWindow(void) {
  return KvWin(g_active) ? g_active : 0;
}

HWND WINAPI SetActiveWindow(HWND hwnd) {
  HWND old = GetActiveWindow();
  KvWindow* w = KvWin(hwnd);
  if (w) SetActive(KvTopLevel(w));
  return old;
}

HWND WINAPI GetForegroundWindow(void) {
  return KvActiveTopLevel();
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
  return SetActiveWindow(hwnd) || KvWin(hwnd) ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return FALSE;
  RECT old = w->rect;
  RECT r = old;
  if (!(flags & SWP_NOMOVE)) OffsetRect(&r, x - r.left, y - r.top);
  if (!(flags & SWP_NOSIZE)) {
    if (cx < 0) cx = 0;
    if (cy < 0) cy = 0;
    r.right = r.left + cx;
    r.bottom = r.top + cy;
  }
  if (!(flags & SWP_NOZORDER)) {
    std::vector<KvWindow*>& list = w->parent ? w->parent->children : KvTopLevels();
    KvWindow* after = KvWin(insertAfter);
    for (size_t i = 0; i < list.size(); i++)
      if (list[i] == w) { list.erase(list.begin() + i); break; }
    if (insertAfter == HWND_BOTTOM) list.push_back(w);
    else if (after && after != w) {
      size_t i = 0;
      while (i < list.size() && list[i] != after) i++;
      list.insert(list.begin() + (i < list.size() ? i + 1 : list.size()), w);
    } else list.insert(list.begin(), w);
  }
  int moved = r.left != old.left || r.top != old.top;
  int sized = (r.right - r.left) != (old.right - old.left) || (r.bottom - r.top) != (old.bottom - old.top);
  w->rect = r;
  ResizeSurface(w);
  if (moved || sized) {
    if (w->parent) KvInvalidateTree(w->parent);
    else KvInvalidateTree(w);
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  if (!KvWin(hwnd)) return TRUE;
  if (moved) SendMessageA(hwnd, WM_MOVE, 0, MAKELONG(r.left, r.top));
  if (sized && KvWin(hwnd)) {
    RECT c;
    GetClientRect(hwnd, &c);
    SendMessageA(hwnd, WM_SIZE, 0, MAKELONG(c.right, c.bottom));
  }
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL) {
  return SetWindowPos(hwnd, 0, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL WINAPI BringWindowToTop(HWND hwnd) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return FALSE;
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (!w->parent && (w->style & WS_VISIBLE)) SetActive(w);
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
  KvWindow* w = KvWin(hwnd);
  if (!w || !rect) return FALSE;
  KvScreenRect(w, rect);
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
  KvWindow* w = KvWin(hwnd);
  if (!w || !rect) return FALSE;
  RECT c;
  KvClientScreenRect(w, &c);
  SetRect(rect, 0, 0, c.right - c.left, c.bottom - c.top);
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point) {
  KvWindow* w = KvWin(hwnd);
  if (!w || !point) return FALSE;
  RECT c;
  KvClientScreenRect(w, &c);
  point->x -= c.left;
  point->y -= c.top;
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT point) {
  KvWindow* w = KvWin(hwnd);
  if (!w || !point) return FALSE;
  RECT c;
  KvClientScreenRect(w, &c);
  point->x += c.left;
  point->y += c.top;
  return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  RECT a = {0, 0, 0, 0}, b = {0, 0, 0, 0};
  if (KvWin(from)) KvClientScreenRect(KvWin(from), &a);
  if (KvWin(to)) KvClientScreenRect(KvWin(to), &b);
  int dx = a.left - b.left, dy = a.top - b.top;
  for (UINT i = 0; i < count; i++) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return MAKELONG(dx, dy);
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  KvWindow probe = KvWindow();
  probe.style = style;
  probe.exStyle = exStyle;
  probe.menu = menu ? reinterpret_cast<HMENU>(1) : 0;
  RECT nc;
  KvNonClient(&probe, &nc);
  rect->left -= nc.left;
  rect->top -= nc.top;
  rect->right += nc.right;
  rect->bottom += nc.bottom;
  return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (!KvWin(hwnd)) return FALSE;
  return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  if (!KvWin(hwnd)) return 0;
  return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthA(HWND hwnd) {
  if (!KvWin(hwnd)) return 0;
  return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  return SetWindowTextA(GetDlgItem(dialog, id), text);
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
  return GetWindowTextA(GetDlgItem(dialog, id), buffer, size);
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT*, BOOL erase) {
  if (!hwnd) {
    std::vector<KvWindow*> z = KvTopLevels();
    for (size_t i = 0; i < z.size(); i++) KvInvalidateTree(z[i]);
    return TRUE;
  }
  KvWindow* w = KvWin(hwnd);
  if (!w) return FALSE;
  w->invalid = 1;
  if (erase) w->erase = 1;
  // Without clipping regions, a parent's paint covers its children: they
  // paint again after it.
  for (size_t i = 0; i < w->children.size(); i++) KvInvalidateTree(w->children[i]);
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT*) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return FALSE;
  w->invalid = 0;
  w->erase = 0;
  w->ncInvalid = 0;
  return TRUE;
}

BOOL WINAPI RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
  if (flags & RDW_INVALIDATE) InvalidateRect(hwnd, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
  if (flags & RDW_UPDATENOW) {
    KvWindow* w = KvWin(hwnd);
    if (w) KvUpdateTree(w);
  }
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return FALSE;
  if (w->invalid && KvReallyVisible(w)) SendMessageA(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return FALSE;
  if (rect) {
    if (w->invalid) GetClientRect(hwnd, rect);
    else SetRectEmpty(rect);
  }
  return w->invalid ? TRUE : FALSE;
}

int WINAPI GetSystemMetrics(int index) {
  // The screen size comes from KV_SCREEN=WxH, read at every call so that a
  // test can change it; 1024 x 768 otherwise.
  int cx = 1024, cy = 768;
  {
    const char* s = getenv("KV_SCREEN");
    int w, h;
    char extra;
    if (s && sscanf(s, "%dx%d%c", &w, &h, &extra) == 2 && w > 0 && h > 0 && w <= 16384 && h <= 16384) {
      cx = w;
      cy = h;
    }
  }
  switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: return cx;
    case SM_CYSCREEN: return cy;
    case SM_CYFULLSCREEN: return cy - 18;
    case SM_CXVSCROLL: case SM_CYHSCROLL: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CYMENU: return 19;
    default: return 0;
  }
}

DWORD WINAPI GetSysColor(int index) {
  static const COLORREF colours[] = {
    RGB(212, 208, 200), RGB(58, 110, 165), RGB(10, 36, 106), RGB(128, 128, 128),
    RGB(212, 208, 200), RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0),
    RGB(0, 0, 0), RGB(255, 255, 255), RGB(212, 208, 200), RGB(212, 208, 200),
    RGB(128, 128, 128), RGB(10, 36, 106), RGB(255, 255, 255), RGB(212, 208, 200),
    RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0), RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(64, 64, 64), RGB(212, 208, 200), RGB(0, 0, 0),
    RGB(255, 255, 225)};
  if (index < 0 || index >= static_cast<int>(sizeof(colours) / sizeof(colours[0]))) return 0;
  return colours[index];
}

HBRUSH WINAPI GetSysColorBrush(int index) {
  if (index < 0 || index > 30) return 0;
  return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(index + 1));
}

HWND WINAPI WindowFromPoint(POINT) {
  return KvActiveTopLevel();
}

}  // extern "C"
