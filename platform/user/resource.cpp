/* Resources of the POSIX USER32. The program's .rc files are compiled to
 * the standard .res format and embedded in the program; the embedded data
 * registers itself at start-up (KvRegisterResources) and is looked up here
 * by type and name as the Win32 resource functions do. Also: menus, icons,
 * cursors, the in-process clipboard and USER32's text helpers. */
#include "user_internal.h"

#include <ctype.h>
#include <new>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

struct Resource {
  int typeOrdinal;  // -1: named
  std::string typeName;
  int nameOrdinal;
  std::string name;
  const unsigned char* data;
  size_t size;
};

std::vector<Resource>& Resources() {
  static std::vector<Resource> r;
  return r;
}

DWORD Dword(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
}

WORD Word(const unsigned char* p) {
  return static_cast<WORD>(p[0] | (p[1] << 8));
}

/* A type or name field of a .res header: 0xFFFF and an ordinal, or a
 * NUL-terminated UTF-16 text. Returns the bytes used, 0 when malformed. */
size_t ReadId(const unsigned char* p, size_t avail, int* ordinal, std::string* text) {
  if (avail < 2) return 0;
  if (Word(p) == 0xFFFF) {
    if (avail < 4) return 0;
    *ordinal = Word(p + 2);
    return 4;
  }
  *ordinal = -1;
  size_t i = 0;
  for (;;) {
    if (i + 2 > avail) return 0;
    WORD c = Word(p + i);
    i += 2;
    if (!c) break;
    *text += static_cast<char>(toupper(c < 256 ? c : '?'));
  }
  return i;
}

int Matches(int ordinal, const std::string& text, LPCSTR id) {
  if (IS_INTRESOURCE(id)) return ordinal == static_cast<int>(reinterpret_cast<uintptr_t>(id));
  if (id[0] == '#') return ordinal == atoi(id + 1);
  return ordinal == -1 && strcasecmp(text.c_str(), id) == 0;
}

struct Menu {
  std::vector<UINT> ids;
  std::vector<UINT> flags;
};

std::vector<Menu*>& Menus() {
  static std::vector<Menu*> m;
  return m;
}

Menu* AsMenu(HMENU h) {
  std::vector<Menu*>& m = Menus();
  for (size_t i = 0; i < m.size(); i++)
    if (reinterpret_cast<HMENU>(m[i]) == h) return m[i];
  return 0;
}

/* Reads the items of a menu template (MENUITEMTEMPLATE), popups included. */
const unsigned char* ReadMenuItems(const unsigned char* p, const unsigned char* end, Menu* m) {
  while (p + 2 <= end) {
    WORD flags = Word(p);
    p += 2;
    UINT id = 0;
    if (!(flags & MF_POPUP)) {
      if (p + 2 > end) return end;
      id = Word(p);
      p += 2;
    }
    while (p + 2 <= end && Word(p)) p += 2;
    p += 2;
    if (flags & MF_POPUP) p = ReadMenuItems(p, end, m);
    else {
      m->ids.push_back(id);
      m->flags.push_back(flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
    }
    if (flags & MF_END) break;
  }
  return p;
}

HGLOBAL g_clipboard;  // CF_TEXT, owned by the clipboard once set
int g_clipboardOpen;

}  // namespace

extern "C" void KvRegisterResources(const unsigned char* data, size_t size) {
  size_t off = 0;
  while (off + 8 <= size) {
    DWORD dataSize = Dword(data + off);
    DWORD headerSize = Dword(data + off + 4);
    if (headerSize < 16 || off + headerSize > size || off + headerSize + dataSize > size) break;
    Resource r;
    const unsigned char* h = data + off + 8;
    size_t avail = headerSize - 8;
    size_t n = ReadId(h, avail, &r.typeOrdinal, &r.typeName);
    if (!n) break;
    size_t m = ReadId(h + n, avail - n, &r.nameOrdinal, &r.name);
    if (!m) break;
    r.data = data + off + headerSize;
    r.size = dataSize;
    if (!(r.typeOrdinal == 0 && dataSize == 0)) Resources().push_back(r);
    off += headerSize + dataSize;
    off = (off + 3) & ~static_cast<size_t>(3);
  }
}

const unsigned char* KvFindResource(LPCSTR type, LPCSTR name, size_t* size) {
  if (!name) return 0;
  std::vector<Resource>& r = Resources();
  for (size_t i = 0; i < r.size(); i++)
    if (Matches(r[i].typeOrdinal, r[i].typeName, type) && Matches(r[i].nameOrdinal, r[i].name, name)) {
      *size = r[i].size;
      return r[i].data;
    }
  return 0;
}

extern "C" {

HBITMAP WINAPI LoadBitmapA(HINSTANCE, LPCSTR name) {
  size_t size;
  const unsigned char* dib = KvFindResource(RT_BITMAP, name, &size);
  if (!dib) return 0;
  return KvCreateBitmapFromDib(dib, size, 0, 0);
}

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int, int, UINT flags) {
  if (type == IMAGE_ICON) return LoadIconA(instance, name);
  if (type == IMAGE_CURSOR) return LoadCursorA(instance, name);
  if (type != IMAGE_BITMAP) return 0;
  if (!(flags & LR_LOADFROMFILE)) return LoadBitmapA(instance, name);
  if (!name || IS_INTRESOURCE(name)) return 0;
  FILE* f = fopen(name, "rb");
  if (!f) return 0;
  std::vector<unsigned char> bytes;
  unsigned char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0) {
    bytes.insert(bytes.end(), buf, buf + n);
    if (bytes.size() > (256u << 20)) break;
  }
  fclose(f);
  if (bytes.size() < 14 + 40 || bytes[0] != 'B' || bytes[1] != 'M') return 0;
  DWORD offBits = Dword(&bytes[10]);
  if (offBits < 14 + 40 || offBits > bytes.size()) return 0;
  return KvCreateBitmapFromDib(&bytes[14], offBits - 14, &bytes[offBits], bytes.size() - offBits);
}

int WINAPI LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  size_t len;
  // Strings come in blocks of 16: block id / 16 + 1, entry id % 16.
  const unsigned char* p = KvFindResource(RT_STRING, MAKEINTRESOURCEA((id >> 4) + 1), &len);
  if (!p) return 0;
  const unsigned char* end = p + len;
  for (UINT i = 0; i < (id & 15); i++) {
    if (p + 2 > end) return 0;
    p += 2 + 2 * Word(p);
  }
  if (p + 2 > end) return 0;
  int n = Word(p);
  p += 2;
  if (p + 2 * n > end) return 0;
  if (n > size - 1) n = size - 1;
  for (int i = 0; i < n; i++) {
    WORD c = Word(p + 2 * i);
    buffer[i] = static_cast<char>(c < 256 ? c : '?');
  }
  buffer[n] = 0;
  return n;
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR name) {
  if (!name) return 0;
  uintptr_t v = reinterpret_cast<uintptr_t>(name);
  if (IS_INTRESOURCE(name) && v >= 32512 && v <= 32517) return reinterpret_cast<HICON>(v);
  size_t size;
  const unsigned char* p = KvFindResource(RT_GROUP_ICON, name, &size);
  if (!p) return 0;
  // An icon of the program: a distinct handle for each resource.
  return reinterpret_cast<HICON>(const_cast<unsigned char*>(p));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR name) {
  if (!name) return 0;
  if (IS_INTRESOURCE(name)) {
    uintptr_t v = reinterpret_cast<uintptr_t>(name);
    if (v >= 32512 && v <= 32650) return reinterpret_cast<HCURSOR>(v + 0x10000);
  }
  size_t size;
  const unsigned char* p = KvFindResource(RT_GROUP_CURSOR, name, &size);
  return p ? reinterpret_cast<HCURSOR>(const_cast<unsigned char*>(p)) : 0;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  static HCURSOR current;
  HCURSOR old = current;
  current = cursor;
  return old;
}

BOOL WINAPI DestroyIcon(HICON) {
  return TRUE;
}

HMENU WINAPI LoadMenuA(HINSTANCE, LPCSTR name) {
  size_t size;
  const unsigned char* p = KvFindResource(RT_MENU, name, &size);
  if (!p || size < 4) return 0;
  Menu* m = new (std::nothrow) Menu;
  if (!m) return 0;
  WORD version = Word(p);
  WORD offset = Word(p + 2);
  if (version == 0) ReadMenuItems(p + 4 + offset, p + size, m);
  Menus().push_back(m);
  return reinterpret_cast<HMENU>(m);
}

HMENU WINAPI GetMenu(HWND hwnd) {
  KvWindow* w = KvWin(hwnd);
  return w && !(w->style & WS_CHILD) ? w->menu : 0;
}

BOOL WINAPI SetMenu(HWND hwnd, HMENU menu) {
  KvWindow* w = KvWin(hwnd);
  if (!w || (w->style & WS_CHILD)) return FALSE;
  w->menu = menu;
  KvInvalidateTree(w);
  return TRUE;
}

BOOL WINAPI DestroyMenu(HMENU menu) {
  Menu* m = AsMenu(menu);
  if (!m) return FALSE;
  std::vector<Menu*>& all = Menus();
  for (size_t i = 0; i < all.size(); i++)
    if (all[i] == m) all.erase(all.begin() + i);
  delete m;
  return TRUE;
}

UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags) {
  Menu* m = AsMenu(menu);
  if (!m) return static_cast<UINT>(-1);
  if (flags & MF_BYPOSITION) return item < m->flags.size() ? m->flags[item] : static_cast<UINT>(-1);
  for (size_t i = 0; i < m->ids.size(); i++)
    if (m->ids[i] == item) return m->flags[i];
  return static_cast<UINT>(-1);
}

static UINT* MenuFlags(HMENU menu, UINT item, UINT flags) {
  Menu* m = AsMenu(menu);
  if (!m) return 0;
  if (flags & MF_BYPOSITION) return item < m->flags.size() ? &m->flags[item] : 0;
  for (size_t i = 0; i < m->ids.size(); i++)
    if (m->ids[i] == item) return &m->flags[i];
  return 0;
}

BOOL WINAPI EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  UINT* f = MenuFlags(menu, item, flags);
  if (!f) return -1;
  UINT old = *f & (MF_GRAYED | MF_DISABLED);
  *f = (*f & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(old);
}

DWORD WINAPI CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  UINT* f = MenuFlags(menu, item, flags);
  if (!f) return static_cast<DWORD>(-1);
  DWORD old = *f & MF_CHECKED;
  *f = (*f & ~MF_CHECKED) | (flags & MF_CHECKED);
  return old;
}

BOOL WINAPI DrawMenuBar(HWND hwnd) {
  KvWindow* w = KvWin(hwnd);
  if (w) w->ncInvalid = 1;
  return w ? TRUE : FALSE;
}

BOOL WINAPI OpenClipboard(HWND) {
  if (g_clipboardOpen) return FALSE;
  g_clipboardOpen = 1;
  return TRUE;
}

BOOL WINAPI CloseClipboard(void) {
  if (!g_clipboardOpen) return FALSE;
  g_clipboardOpen = 0;
  return TRUE;
}

static void DropClipboard() {
  if (g_clipboard) GlobalFree(g_clipboard);
  g_clipboard = 0;
}

BOOL WINAPI EmptyClipboard(void) {
  if (!g_clipboardOpen) return FALSE;
  DropClipboard();
  return TRUE;
}

HANDLE WINAPI GetClipboardData(UINT format) {
  if (!g_clipboardOpen || format != CF_TEXT) return 0;
  return g_clipboard;
}

HANDLE WINAPI SetClipboardData(UINT format, HANDLE data) {
  if (!g_clipboardOpen || format != CF_TEXT) return 0;
  if (data != g_clipboard) DropClipboard();
  g_clipboard = data;
  return data;
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
  return format == CF_TEXT && g_clipboard;
}

void KvSetClipboardText(const char* text) {
  DropClipboard();
  if (!text) return;
  size_t n = strlen(text) + 1;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
  void* p = h ? GlobalLock(h) : 0;
  if (!p) {
    if (h) GlobalFree(h);
    return;
  }
  memcpy(p, text, n);
  GlobalUnlock(h);
  g_clipboard = h;
}

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list ap;
  va_start(ap, format);
  int n = vsnprintf(buffer, 1024, format, ap);
  va_end(ap);
  return n < 0 ? 0 : (n > 1023 ? 1023 : n);
}

LPSTR WINAPI CharUpperA(LPSTR text) {
  if (IS_INTRESOURCE(text)) return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(toupper(static_cast<int>(reinterpret_cast<uintptr_t>(text)))));
  for (char* p = text; *p; p++) *p = static_cast<char>(toupper(static_cast<unsigned char>(*p)));
  return text;
}

LPSTR WINAPI CharLowerA(LPSTR text) {
  if (IS_INTRESOURCE(text)) return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(tolower(static_cast<int>(reinterpret_cast<uintptr_t>(text)))));
  for (char* p = text; *p; p++) *p = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
  return text;
}

LPSTR WINAPI CharNextA(LPCSTR text) {
  return const_cast<LPSTR>(*text ? text + 1 : text);
}

}  // extern "C"
