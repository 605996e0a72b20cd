/* The window manager of the POSIX USER32: what its files share. */
#ifndef KV_PLATFORM_USER_INTERNAL_H
#define KV_PLATFORM_USER_INTERNAL_H

#include <windows.h>

#include <string>
#include <vector>

#include "../gdi/surface.h"

struct KvClass {
  std::string name;
  WNDCLASSA wc;
  int system;  // a class of the platform itself (controls, dialogs)
};

struct KvWindow;
typedef void (*KvControlFree)(KvWindow* w);

struct KvWindow {
  HWND handle;
  KvClass* cls;
  KvWindow* parent;  // WS_CHILD windows
  KvWindow* owner;   // owned top-level windows
  std::vector<KvWindow*> children;  // in creation order
  DWORD style;
  DWORD exStyle;
  int id;
  std::string text;
  RECT rect;  // window rectangle: screen for top-level windows, parent client otherwise
  WNDPROC proc;
  LONG_PTR userData;
  std::vector<unsigned char> extra;
  HMENU menu;
  HFONT font;
  int invalid;
  int erase;
  int ncInvalid;
  int destroying;
  KvSurface* surface;  // top-level windows only
  // dialogs
  int isDialog;
  DLGPROC dlgProc;
  LONG_PTR msgResult;
  LONG_PTR dlgUser;
  int ended;
  INT_PTR result;
  int baseX;
  int baseY;
  HFONT dlgFont;
  int ownsFont;
  HWND focusSaved;
  int defId;
  // built-in controls keep their state here
  void* control;
  KvControlFree freeControl;
  int pressed;
  int needSize;  // an overlapped window gets WM_SIZE and WM_MOVE when first shown
};

KvWindow* KvWin(HWND h);
KvWindow* KvDesktop(void);
void KvNonClient(const KvWindow* w, RECT* insets);
KvWindow* KvTopLevel(KvWindow* w);
void KvScreenRect(const KvWindow* w, RECT* r);       // window rectangle, screen
void KvClientScreenRect(const KvWindow* w, RECT* r); // client rectangle, screen
int KvReallyVisible(const KvWindow* w);
void KvInvalidateTree(KvWindow* w);
void KvUpdateTree(KvWindow* w);  // paints everything pending, synchronously
std::vector<KvWindow*>& KvTopLevels();  // z-order, topmost first
HWND KvActiveTopLevel(void);
double KvNow(void);  // seconds, monotonic

/* Built-in window classes (controls, dialogs, message boxes). */
void KvRegisterSystemClasses(void);
extern int kv_registering_system_classes;
LRESULT CALLBACK KvButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK KvEditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK KvStaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK KvListBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK KvComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK KvScrollBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK KvDialogClassProc(HWND, UINT, WPARAM, LPARAM);
extern "C" LRESULT CALLBACK KvTabProc(HWND, UINT, WPARAM, LPARAM);

/* The control colours a control asks its parent for (WM_CTLCOLOR...). */
HBRUSH KvControlColour(KvWindow* w, HDC dc, UINT message);
/* Draws text in a rectangle, wrapping at words if asked. */
void KvDrawLabel(HDC dc, const char* text, RECT* r, UINT format);
void KvDrawPushFrame(HDC dc, const RECT* r, int pressed, int isDefault);
void KvFillColour(HDC dc, const RECT* r, COLORREF c);

/* Resources: the program's compiled resources. */
const unsigned char* KvFindResource(LPCSTR type, LPCSTR name, size_t* size);
HBITMAP KvCreateBitmapFromDib(const unsigned char* dib, size_t size, const unsigned char* bits, size_t bitsSize);

/* The scripted user. */
enum { KV_SCRIPT_NONE = 0, KV_SCRIPT_DONE_LINE = 1, KV_SCRIPT_WAITING = 2, KV_SCRIPT_USED_UP = 3 };
int KvScriptStep(int timersPending);
/* The message box a script answers; the box registers itself while it runs. */
struct KvMessageBoxInfo {
  HWND window;
  const char* text;
  UINT type;
};
void KvSetMessageBox(KvMessageBoxInfo* info);
KvMessageBoxInfo* KvCurrentMessageBox(void);

#endif
