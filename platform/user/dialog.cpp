/* Dialogs of the POSIX USER32: dialog templates in the standard binary
 * formats (DLGTEMPLATE and DLGTEMPLATEEX), modal and modeless creation,
 * the dialog manager's default processing and keyboard, and message boxes
 * as real modal windows. */
#include "user_internal.h"

#include <new>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

struct DlgItem {
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
  int id;
  std::string cls;
  std::string title;
  int titleOrdinal;  // -1: text
  const unsigned char* data;
};

struct DlgTemplate {
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
  int menu;  // ordinal or 0
  std::string menuName;
  std::string cls;
  std::string title;
  int pointSize;
  int weight;
  int italic;
  std::string face;
  std::vector<DlgItem> items;
};

/* Reads the template's little-endian fields with bounds checks. */
struct Reader {
  const unsigned char* p;
  const unsigned char* end;
  const unsigned char* start;
  int ok;
  WORD Word() {
    if (end - p < 2) { ok = 0; return 0; }
    WORD v = static_cast<WORD>(p[0] | (p[1] << 8));
    p += 2;
    return v;
  }
  DWORD Dword() {
    DWORD lo = Word();
    DWORD hi = Word();
    return lo | (hi << 16);
  }
  void Align() {
    size_t off = static_cast<size_t>(p - start);
    size_t pad = (4 - off % 4) % 4;
    if (static_cast<size_t>(end - p) < pad) { p = end; return; }
    p += pad;
  }
  std::string Text() {
    std::string s;
    for (;;) {
      WORD c = Word();
      if (!ok || c == 0) break;
      s += c < 256 ? static_cast<char>(c) : '?';
    }
    return s;
  }
  /* sz_Or_Ord: 0 (none), 0xFFFF and an ordinal, or text. */
  int TextOrOrdinal(std::string* text) {
    if (end - p < 2) { ok = 0; return 0; }
    WORD first = static_cast<WORD>(p[0] | (p[1] << 8));
    if (first == 0xFFFF) {
      Word();
      return Word();
    }
    *text = Text();
    return -1;
  }
};

const char* OrdinalClass(int ord) {
  switch (ord) {
    case 0x80: return "BUTTON";
    case 0x81: return "EDIT";
    case 0x82: return "STATIC";
    case 0x83: return "LISTBOX";
    case 0x84: return "SCROLLBAR";
    case 0x85: return "COMBOBOX";
    default: return "";
  }
}

int ParseTemplate(const unsigned char* data, size_t size, DlgTemplate* t) {
  Reader r = {data, data + size, data, 1};
  int ex = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
  int count;
  if (ex) {
    r.Word();
    r.Word();
    r.Dword();  // help id
    t->exStyle = r.Dword();
    t->style = r.Dword();
  } else {
    t->style = r.Dword();
    t->exStyle = r.Dword();
  }
  count = r.Word();
  t->x = static_cast<short>(r.Word());
  t->y = static_cast<short>(r.Word());
  t->cx = static_cast<short>(r.Word());
  t->cy = static_cast<short>(r.Word());
  int menu = r.TextOrOrdinal(&t->menuName);
  t->menu = menu > 0 ? menu : 0;
  std::string cls;
  int clsOrd = r.TextOrOrdinal(&cls);
  t->cls = clsOrd == -1 ? cls : "";
  t->title = r.Text();
  t->pointSize = 0;
  t->weight = FW_NORMAL;
  t->italic = 0;
  if (t->style & DS_SETFONT) {
    t->pointSize = r.Word();
    if (ex) {
      t->weight = r.Word();
      WORD italicCharset = r.Word();
      t->italic = italicCharset & 0xFF;
    }
    t->face = r.Text();
  }
  if (!r.ok) return 0;
  for (int i = 0; i < count; i++) {
    r.Align();
    DlgItem it;
    if (ex) {
      r.Dword();  // help id
      it.exStyle = r.Dword();
      it.style = r.Dword();
    } else {
      it.style = r.Dword();
      it.exStyle = r.Dword();
    }
    it.x = static_cast<short>(r.Word());
    it.y = static_cast<short>(r.Word());
    it.cx = static_cast<short>(r.Word());
    it.cy = static_cast<short>(r.Word());
    it.id = ex ? static_cast<int>(r.Dword()) : static_cast<short>(r.Word());
    std::string c;
    int ord = r.TextOrOrdinal(&c);
    it.cls = ord == -1 ? c : OrdinalClass(ord);
    it.titleOrdinal = r.TextOrOrdinal(&it.title);
    WORD extra = r.Word();
    it.data = extra ? r.p : 0;
    if (static_cast<size_t>(r.end - r.p) < extra) return 0;
    r.p += extra;
    if (!r.ok) return 0;
    t->items.push_back(it);
  }
  return 1;
}

int Scale(int v, int base, int div) {
  return (v * base + (v >= 0 ? div / 2 : -div / 2)) / div;
}

KvWindow* Dialog(HWND h) {
  KvWindow* w = KvWin(h);
  return w && w->isDialog ? w : 0;
}

/* Controls of a dialog in tab order, including those of visible child
 * dialogs. */
void TabItems(KvWindow* d, std::vector<KvWindow*>* out) {
  for (size_t i = 0; i < d->children.size(); i++) {
    KvWindow* c = d->children[i];
    if (!(c->style & WS_VISIBLE)) continue;
    if (c->isDialog || (c->exStyle & WS_EX_CONTROLPARENT)) {
      TabItems(c, out);
      continue;
    }
    if ((c->style & WS_TABSTOP) && !(c->style & WS_DISABLED)) out->push_back(c);
  }
}

KvWindow* FindDefault(KvWindow* d) {
  for (size_t i = 0; i < d->children.size(); i++) {
    KvWindow* c = d->children[i];
    if (strcasecmp(c->cls->name.c_str(), "Button") == 0 && (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return c;
  }
  return 0;
}

HWND CreateFromTemplate(HINSTANCE instance, const DlgTemplate& t, HWND owner, DLGPROC proc, LPARAM param, int modal) {
  KvWindow* ownerWin = KvWin(owner);
  // Font and base units.
  HFONT font = 0;
  int baseX, baseY;
  if (t.style & DS_SETFONT) {
    LOGFONTA lf;
    memset(&lf, 0, sizeof(lf));
    lf.lfHeight = -((t.pointSize * 96 + 36) / 72);
    lf.lfWeight = t.weight;
    lf.lfItalic = static_cast<BYTE>(t.italic);
    strncpy(lf.lfFaceName, t.face.c_str(), LF_FACESIZE - 1);
    font = CreateFontIndirectA(&lf);
  }
  KvFontBaseUnits(font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), &baseX, &baseY);
  RECT r = {0, 0, Scale(t.cx, baseX, 4), Scale(t.cy, baseY, 8)};
  DWORD style = t.style;
  int child = (style & WS_CHILD) != 0;
  KvWindow probe = KvWindow();
  probe.style = style;
  probe.exStyle = t.exStyle;
  probe.isDialog = 1;
  probe.menu = t.menu ? reinterpret_cast<HMENU>(1) : 0;
  RECT nc;
  KvNonClient(&probe, &nc);
  int x = Scale(t.x, baseX, 4), y = Scale(t.y, baseY, 8);
  int width = r.right + nc.left + nc.right, height = r.bottom + nc.top + nc.bottom;
  if (!child && ownerWin && !(style & DS_ABSALIGN)) {
    RECT oc;
    KvClientScreenRect(ownerWin, &oc);
    x += oc.left;
    y += oc.top;
  }
  if (!child && (style & DS_CENTER)) {
    x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  }
  const char* cls = t.cls.empty() ? "#32770" : t.cls.c_str();
  HMENU menu = t.menu ? LoadMenuA(instance, MAKEINTRESOURCEA(t.menu)) : 0;
  HWND parent = child ? owner : (ownerWin ? KvTopLevel(ownerWin)->handle : 0);
  HWND h = CreateWindowExA(t.exStyle, cls, t.title.c_str(), style & ~WS_VISIBLE, x, y, width, height,
                           parent, child ? 0 : menu, instance, 0);
  if (!h) {
    if (font) DeleteObject(font);
    return 0;
  }
  KvWindow* w = KvWin(h);
  w->isDialog = 1;
  w->dlgFont = font;
  w->ownsFont = font != 0;
  w->baseX = baseX;
  w->baseY = baseY;
  w->font = font;
  w->dlgProc = proc;
  w->result = 0;
  w->ended = 0;
  (void)modal;
  if (font) SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  for (size_t i = 0; i < t.items.size() && KvWin(h); i++) {
    const DlgItem& it = t.items[i];
    LPCSTR title = it.titleOrdinal >= 0 ? MAKEINTRESOURCEA(it.titleOrdinal) : it.title.c_str();
    if (it.titleOrdinal >= 0 && strcasecmp(it.cls.c_str(), "Static") != 0) title = "";
    HWND c = CreateWindowExA(it.exStyle | WS_EX_NOPARENTNOTIFY, it.cls.c_str(), title, it.style | WS_CHILD,
                             Scale(it.x, baseX, 4), Scale(it.y, baseY, 8), Scale(it.cx, baseX, 4),
                             Scale(it.cy, baseY, 8), h, reinterpret_cast<HMENU>(static_cast<intptr_t>(it.id)),
                             instance, const_cast<unsigned char*>(it.data));
    if (!c) {
      if (!(t.style & DS_NOFAILCREATE)) {
        DestroyWindow(h);
        return 0;
      }
      continue;
    }
    if (font) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  }
  if (!KvWin(h)) return 0;
  KvWindow* def = FindDefault(w);
  w->defId = def ? def->id : 0;
  std::vector<KvWindow*> tabs;
  TabItems(w, &tabs);
  // Tab items of the dialog itself only, visible or not, for the focus.
  HWND first = 0;
  for (size_t i = 0; i < w->children.size() && !first; i++)
    if ((w->children[i]->style & WS_TABSTOP) && !(w->children[i]->style & WS_DISABLED))
      first = w->children[i]->handle;
  LRESULT focus = SendMessageA(h, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!KvWin(h)) return 0;
  if (focus && first && KvWin(first) && (!(t.style & DS_CONTROL) || (t.style & WS_VISIBLE))) {
    SetFocus(first);
    if (SendMessageA(first, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(first, EM_SETSEL, 0, -1);
  }
  if (KvWin(h) && (t.style & WS_VISIBLE) && !w->ended) {
    ShowWindow(h, SW_SHOWNORMAL);
    UpdateWindow(h);
  }
  return KvWin(h) ? h : 0;
}

/* The modal loop shared by dialog boxes and message boxes. */
INT_PTR ModalLoop(HWND h) {
  INT_PTR result = -1;
  for (;;) {
    KvWindow* w = KvWin(h);
    if (!w) return result;
    if (w->ended) break;
    MSG m;
    if (!GetMessageA(&m, 0, 0, 0)) {
      // The quit message ends the loop and stays posted for the caller's.
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (!IsDialogMessageA(h, &m)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
  KvWindow* w = KvWin(h);
  if (w) {
    result = w->result;
    DestroyWindow(h);
  }
  return result;
}

HWND OwnerTop(HWND owner) {
  KvWindow* o = KvWin(owner);
  return o ? KvTopLevel(o)->handle : 0;
}

}  // namespace

LRESULT CALLBACK KvDialogClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  if (msg == WM_NCCREATE) w->isDialog = 1;
  if (w->dlgProc) {
    w->msgResult = 0;
    INT_PTR r = w->dlgProc(hwnd, msg, wParam, lParam);
    w = KvWin(hwnd);
    if (!w) return r;
    if (r) {
      switch (msg) {
        case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_CTLCOLOR:
        case WM_INITDIALOG:
          return r;
        default:
          return w->msgResult;
      }
    }
  }
  return DefDlgProcA(hwnd, msg, wParam, lParam);
}

extern "C" {

LRESULT WINAPI DefDlgProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KvWindow* w = KvWin(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      HBRUSH b = 0;
      if (w->dlgProc) {
        INT_PTR r = w->dlgProc(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd));
        b = reinterpret_cast<HBRUSH>(r);
      }
      if (!KvWin(hwnd)) return 1;
      if (!b) b = reinterpret_cast<HBRUSH>(DefWindowProcA(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd)));
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(dc, &r, b);
      return 1;
    }
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(hwnd, IDCANCEL);
      if (!cancel || IsWindowEnabled(cancel))
        PostMessageA(hwnd, WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case DM_GETDEFID:
      if (w->ended) return 0;
      return w->defId ? MAKELONG(w->defId, DC_HASDEFID) : 0;
    case DM_SETDEFID: {
      HWND old = GetDlgItem(hwnd, w->defId);
      if (old && (KvWin(old)->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
        SendMessageA(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
      w->defId = static_cast<int>(wParam);
      HWND now = GetDlgItem(hwnd, w->defId);
      if (now && strcasecmp(KvWin(now)->cls->name.c_str(), "Button") == 0 && (KvWin(now)->style & BS_TYPEMASK) == BS_PUSHBUTTON)
        SendMessageA(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
      return TRUE;
    }
    case WM_SETFONT:
      w->dlgFont = reinterpret_cast<HFONT>(wParam);
      w->font = w->dlgFont;
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(w->dlgFont);
    case WM_SETFOCUS: {
      // A dialog passes the focus on: to the control that had it last, or
      // to its first tab stop.
      KvWindow* saved = KvWin(w->focusSaved);
      HWND target = 0;
      if (saved && w->focusSaved != hwnd && IsChild(hwnd, w->focusSaved) && KvReallyVisible(saved) &&
          !(saved->style & WS_DISABLED))
        target = w->focusSaved;
      if (!target) {
        std::vector<KvWindow*> tabs;
        TabItems(w, &tabs);
        if (!tabs.empty()) target = tabs[0]->handle;
      }
      if (target) SetFocus(target);
      return 0;
    }
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  size_t size;
  const unsigned char* data = KvFindResource(RT_DIALOG, name, &size);
  DlgTemplate t;
  if (!data || !ParseTemplate(data, size, &t)) return 0;
  return CreateFromTemplate(instance, t, owner, proc, param, 0);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  size_t size;
  const unsigned char* data = KvFindResource(RT_DIALOG, name, &size);
  DlgTemplate t;
  if (!data || !ParseTemplate(data, size, &t)) return -1;
  t.style &= ~WS_CHILD;
  HWND top = OwnerTop(owner);
  int disabled = 0;
  if (top && IsWindowEnabled(top)) {
    EnableWindow(top, FALSE);
    disabled = 1;
  }
  HWND h = CreateFromTemplate(instance, t, top ? top : 0, proc, param, 1);
  if (!h) {
    if (disabled) EnableWindow(top, TRUE);
    return -1;
  }
  KvWindow* w = KvWin(h);
  if (!w->ended && !(w->style & WS_VISIBLE)) ShowWindow(h, SW_SHOWNORMAL);
  INT_PTR result = ModalLoop(h);
  if (disabled && KvWin(top)) {
    EnableWindow(top, TRUE);
    SetActiveWindow(top);
  }
  return result;
}

BOOL WINAPI EndDialog(HWND hwnd, INT_PTR result) {
  KvWindow* w = Dialog(hwnd);
  if (!w) return FALSE;
  w->ended = 1;
  w->result = result;
  if (w->owner && !(w->style & WS_CHILD)) EnableWindow(w->owner->handle, TRUE);
  ShowWindow(hwnd, SW_HIDE);
  PostMessageA(hwnd, WM_NULL, 0, 0);
  return TRUE;
}

HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  KvWindow* d = KvWin(dialog);
  if (!d) return 0;
  std::vector<KvWindow*> tabs;
  TabItems(d, &tabs);
  if (tabs.empty()) return 0;
  size_t n = tabs.size(), at = n;
  for (size_t i = 0; i < n; i++)
    if (tabs[i]->handle == control) at = i;
  if (at == n) return previous ? tabs[n - 1]->handle : tabs[0]->handle;
  return tabs[previous ? (at + n - 1) % n : (at + 1) % n]->handle;
}

BOOL WINAPI IsDialogMessageA(HWND dialog, LPMSG msg) {
  KvWindow* d = KvWin(dialog);
  if (!d || !msg) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    HWND focus = GetFocus();
    LRESULT code = focus ? SendMessageA(focus, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)) : 0;
    switch (msg->wParam) {
      case VK_TAB:
        if (!(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))) {
          HWND next = GetNextDlgTabItem(dialog, focus, FALSE);
          if (next) {
            SetFocus(next);
            if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(next, EM_SETSEL, 0, -1);
          }
          return TRUE;
        }
        break;
      case VK_RETURN:
        if (!(code & DLGC_WANTALLKEYS)) {
          if (focus && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && IsWindowEnabled(focus)) {
            SendMessageA(GetParent(focus), WM_COMMAND, MAKELONG(GetDlgCtrlID(focus), BN_CLICKED),
                         reinterpret_cast<LPARAM>(focus));
            return TRUE;
          }
          LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
          if (HIWORD(def) == DC_HASDEFID) {
            HWND button = GetDlgItem(dialog, LOWORD(def));
            if (button && IsWindowEnabled(button))
              SendMessageA(dialog, WM_COMMAND, MAKELONG(LOWORD(def), BN_CLICKED), reinterpret_cast<LPARAM>(button));
          } else {
            SendMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
          }
          return TRUE;
        }
        break;
      case VK_ESCAPE: {
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (!cancel || IsWindowEnabled(cancel))
          SendMessageA(dialog, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(cancel));
        return TRUE;
      }
      default:
        break;
    }
  }
  TranslateMessage(msg);
  DispatchMessageA(msg);
  return TRUE;
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND b = GetDlgItem(dialog, id);
  if (!b) return FALSE;
  SendMessageA(b, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0));
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT r) {
  KvWindow* w = Dialog(dialog);
  if (!w || !r) return FALSE;
  r->left = Scale(r->left, w->baseX, 4);
  r->right = Scale(r->right, w->baseX, 4);
  r->top = Scale(r->top, w->baseY, 8);
  r->bottom = Scale(r->bottom, w->baseY, 8);
  return TRUE;
}

LONG WINAPI GetDialogBaseUnits(void) {
  int x, y;
  KvFontBaseUnits(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), &x, &y);
  return MAKELONG(x, y);
}

}  // extern "C"

/* ---- message boxes ---- */

namespace {

KvMessageBoxInfo* g_box;

INT_PTR CALLBACK MessageBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_COMMAND) {
    int id = LOWORD(wParam);
    if (id == IDCANCEL && !GetDlgItem(hwnd, IDCANCEL)) {
      // Escape answers OK in a box with only OK; otherwise a box without
      // Cancel cannot be cancelled.
      if (GetDlgItem(hwnd, IDOK) && !GetDlgItem(hwnd, IDNO) && !GetDlgItem(hwnd, IDRETRY)) id = IDOK;
      else return TRUE;
    }
    if (GetDlgItem(hwnd, id)) EndDialog(hwnd, id);
    return TRUE;
  }
  if (msg == WM_INITDIALOG) return TRUE;
  return FALSE;
}

}  // namespace

void KvSetMessageBox(KvMessageBoxInfo* info) {
  g_box = info;
}

KvMessageBoxInfo* KvCurrentMessageBox(void) {
  return g_box && KvWin(g_box->window) ? g_box : 0;
}

extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  static const struct { int id; const char* label; } names[] = {
    {IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDABORT, "&Abort"}, {IDRETRY, "&Retry"},
    {IDIGNORE, "&Ignore"}, {IDYES, "&Yes"}, {IDNO, "&No"}};
  int buttons[3];
  int count = 0;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons[0] = IDOK; buttons[1] = IDCANCEL; count = 2; break;
    case MB_ABORTRETRYIGNORE: buttons[0] = IDABORT; buttons[1] = IDRETRY; buttons[2] = IDIGNORE; count = 3; break;
    case MB_YESNOCANCEL: buttons[0] = IDYES; buttons[1] = IDNO; buttons[2] = IDCANCEL; count = 3; break;
    case MB_YESNO: buttons[0] = IDYES; buttons[1] = IDNO; count = 2; break;
    case MB_RETRYCANCEL: buttons[0] = IDRETRY; buttons[1] = IDCANCEL; count = 2; break;
    default: buttons[0] = IDOK; count = 1; break;
  }
  int defIndex = static_cast<int>((type & MB_DEFMASK) >> 8);
  if (defIndex >= count) defIndex = 0;
  LPCSTR icon = 0;
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: icon = IDI_HAND; break;
    case MB_ICONQUESTION: icon = IDI_QUESTION; break;
    case MB_ICONEXCLAMATION: icon = IDI_EXCLAMATION; break;
    case MB_ICONASTERISK: icon = IDI_ASTERISK; break;
    default: break;
  }
  if (!text) text = "";
  if (!caption) caption = "Error";

  LOGFONTA lf;
  memset(&lf, 0, sizeof(lf));
  lf.lfHeight = -11;
  strcpy(lf.lfFaceName, "MS Sans Serif");
  HFONT font = CreateFontIndirectA(&lf);
  HDC screen = GetDC(0);
  HGDIOBJ old = SelectObject(screen, font);
  RECT tr = {0, 0, 420, 0};
  DrawTextA(screen, text, -1, &tr, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
  SelectObject(screen, old);
  ReleaseDC(0, screen);

  int iconSpace = icon ? 44 : 0;
  int textW = tr.right - tr.left, textH = tr.bottom - tr.top;
  int contentH = icon && textH < 32 ? 32 : textH;
  int bw = 75, bh = 23, gap = 6;
  int rowW = count * bw + (count - 1) * gap;
  int clientW = 12 + iconSpace + textW + 12;
  if (clientW < rowW + 24) clientW = rowW + 24;
  int clientH = 12 + contentH + 14 + bh + 10;
  RECT wr = {0, 0, clientW, clientH};
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  KvWindow probe = KvWindow();
  probe.style = style;
  probe.isDialog = 1;
  RECT nc;
  KvNonClient(&probe, &nc);
  int width = clientW + nc.left + nc.right, height = clientH + nc.top + nc.bottom;
  HWND top = OwnerTop(owner);
  int disabled = 0;
  if (top && IsWindowEnabled(top)) {
    EnableWindow(top, FALSE);
    disabled = 1;
  }
  HWND h = CreateWindowExA(WS_EX_DLGMODALFRAME, "#32770", caption, style,
                           (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                           width, height, top, 0, 0, 0);
  (void)wr;
  if (!h) {
    if (disabled) EnableWindow(top, TRUE);
    DeleteObject(font);
    return 0;
  }
  KvWindow* w = KvWin(h);
  w->isDialog = 1;
  w->dlgProc = MessageBoxProc;
  w->dlgFont = font;
  w->font = font;
  w->ownsFont = 1;
  if (icon) {
    HWND ic = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ICON, 12, 12, 32, 32, h,
                              reinterpret_cast<HMENU>(static_cast<intptr_t>(0xFFFF)), 0, 0);
    SendMessageA(ic, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(0, icon)), 0);
  }
  int ty = 12 + (contentH - textH) / 2;
  HWND st = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 12 + iconSpace, ty,
                            textW + 2, textH, h, reinterpret_cast<HMENU>(static_cast<intptr_t>(0xFFFF)), 0, 0);
  SendMessageA(st, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  int bx = (clientW - rowW) / 2, by = clientH - 10 - bh;
  HWND defButton = 0;
  for (int i = 0; i < count; i++) {
    const char* label = "";
    for (size_t k = 0; k < sizeof(names) / sizeof(names[0]); k++)
      if (names[k].id == buttons[i]) label = names[k].label;
    DWORD bs = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == defIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    HWND b = CreateWindowExA(0, "BUTTON", label, bs, bx + i * (bw + gap), by, bw, bh, h,
                             reinterpret_cast<HMENU>(static_cast<intptr_t>(buttons[i])), 0, 0);
    SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    if (i == defIndex) defButton = b;
  }
  w->defId = buttons[defIndex];
  ShowWindow(h, SW_SHOWNORMAL);
  if (defButton) SetFocus(defButton);
  KvMessageBoxInfo info = {h, text, type};
  KvMessageBoxInfo* outer = g_box;
  g_box = &info;
  INT_PTR result = ModalLoop(h);
  g_box = outer;
  if (disabled && KvWin(top)) {
    EnableWindow(top, TRUE);
    SetActiveWindow(top);
  }
  return static_cast<int>(result < 0 ? 0 : result);
}
