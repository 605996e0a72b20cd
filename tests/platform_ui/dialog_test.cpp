// Dialogs and controls: the modal loop, templates, dialog keys, the
// dialog-procedure contract, control notifications, colours, owner
// drawing, and the resources the dialogs come from.
#include <gtest/gtest.h>

#include "platform_ui_ids.h"
#include "ui_test_support.h"

#include <commctrl.h>

#include <string.h>
#include <string>

namespace {

struct DialogRun {
  LPARAM initParam;
  HWND owner;
  int ownerEnabledInside;
  UINT key;        // a key posted to the focused control in WM_INITDIALOG
  int quitCode;    // >= 0: post the quit message in WM_INITDIALOG
  int endWith;     // EndDialog value on WM_APP
  std::vector<int> commands;
  HWND dialog;
};

DialogRun* g_run;

INT_PTR CALLBACK RunProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      g_run->dialog = hwnd;
      g_run->initParam = lParam;
      if (g_run->owner) g_run->ownerEnabledInside = IsWindowEnabled(g_run->owner);
      if (g_run->quitCode >= 0) PostQuitMessage(g_run->quitCode);
      else PostMessageA(hwnd, g_run->key ? WM_APP + 1 : WM_APP, 0, 0);
      return TRUE;
    case WM_APP + 1:
      // The focus is on the first control once WM_INITDIALOG is over.
      PostMessageA(GetFocus(), WM_KEYDOWN, g_run->key, 0);
      PostMessageA(GetFocus(), WM_KEYUP, g_run->key, 0);
      return TRUE;
    case WM_APP:
      EndDialog(hwnd, g_run->endWith);
      return TRUE;
    case WM_COMMAND:
      g_run->commands.push_back(LOWORD(wParam));
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(hwnd, 100 + LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK ModelessProc(HWND, UINT msg, WPARAM, LPARAM) {
  return msg == WM_INITDIALOG;
}

INT_PTR RunDialog(DialogRun* run, int id, HWND owner = 0) {
  g_run = run;
  run->owner = owner;
  return DialogBoxParamA(0, MAKEINTRESOURCEA(id), owner, RunProc, 1234);
}

}  // namespace

TEST(DialogTest, ModalDialogReturnsTheEndDialogValueAndDisablesItsOwner) {
  HWND owner = CreateWindowExA(0, RecordingClass(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, 0, 0, 0, 0);
  Pump();
  DialogRun run = DialogRun();
  run.quitCode = -1;
  run.endWith = 42;
  EXPECT_EQ(42, RunDialog(&run, IDD_BASIC, owner));
  EXPECT_EQ(1234, run.initParam);
  EXPECT_FALSE(run.ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(run.dialog));
  DestroyWindow(owner);
}

TEST(DialogTest, MissingTemplateGivesMinusOne) {
  DialogRun run = DialogRun();
  run.quitCode = -1;
  EXPECT_EQ(-1, RunDialog(&run, IDD_MISSING));
  EXPECT_TRUE(CreateDialogParamA(0, MAKEINTRESOURCEA(IDD_MISSING), 0, ModelessProc, 0) == 0);
}

TEST(DialogTest, QuitMessageEndsTheModalLoopAndStaysPosted) {
  DialogRun run = DialogRun();
  run.quitCode = 17;
  RunDialog(&run, IDD_BASIC);
  EXPECT_FALSE(IsWindow(run.dialog));
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(static_cast<UINT>(WM_QUIT), m.message);
  EXPECT_EQ(17u, m.wParam);
}

TEST(DialogTest, EnterAndEscapeGiveTheDefaultButtonAndCancel) {
  struct Case {
    UINT key;
    INT_PTR result;
  } cases[] = {{VK_RETURN, 100 + IDOK}, {VK_ESCAPE, 100 + IDCANCEL}};
  for (const Case& c : cases) {
    DialogRun run = DialogRun();
    run.quitCode = -1;
    run.key = c.key;
    EXPECT_EQ(c.result, RunDialog(&run, IDD_BASIC)) << "key " << c.key;
  }
}

TEST(DialogTest, TemplateFontGivesTheDialogUnits) {
  HWND d = CreateDialogParamA(0, MAKEINTRESOURCEA(IDD_BASIC), 0, ModelessProc, 0);
  ASSERT_TRUE(d != 0);
  Pump();
  RECT units = {10, 10, 110, 22};  // the edit control in the template
  MapDialogRect(d, &units);
  RECT r;
  GetWindowRect(GetDlgItem(d, IDC_EDIT), &r);
  POINT p = {r.left, r.top};
  ScreenToClient(d, &p);
  EXPECT_EQ(units.left, p.x);
  EXPECT_EQ(units.top, p.y);
  EXPECT_EQ(units.right - units.left, r.right - r.left);
  EXPECT_EQ(units.bottom - units.top, r.bottom - r.top);
  // An 8 point font gives base units near those of Windows (6 x 13).
  EXPECT_GT(units.right - units.left, 100);
  EXPECT_LT(units.right - units.left, 250);
  char name[64];
  GetClassNameA(GetDlgItem(d, IDC_LIST), name, sizeof(name));
  EXPECT_STREQ("ListBox", name);  // the names as Windows registers them
  DestroyWindow(d);
}

TEST(DialogTest, TemplateWithAClassNameCreatesThatControl) {
  InitCommonControls();
  HWND d = CreateDialogParamA(0, MAKEINTRESOURCEA(IDD_EXTENDED), 0, ModelessProc, 0);
  ASSERT_TRUE(d != 0);
  Pump();
  HWND tabs = GetDlgItem(d, IDC_TABS);
  ASSERT_TRUE(tabs != 0);
  char name[64];
  GetClassNameA(tabs, name, sizeof(name));
  EXPECT_STREQ("SysTabControl32", name);
  TCITEMA item;
  memset(&item, 0, sizeof(item));
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>("First");
  EXPECT_EQ(0, SendMessageA(tabs, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  item.pszText = const_cast<char*>("Second");
  EXPECT_EQ(1, SendMessageA(tabs, TCM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(2, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(0, SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
  EXPECT_EQ(0, SendMessageA(tabs, TCM_SETCURSEL, 1, 0));
  EXPECT_EQ(1, SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
  item.pszText = const_cast<char*>("Renamed");
  EXPECT_TRUE(SendMessageA(tabs, TCM_SETITEMA, 1, reinterpret_cast<LPARAM>(&item)));
  EXPECT_FALSE(SendMessageA(tabs, TCM_SETITEMA, 5, reinterpret_cast<LPARAM>(&item)));
  char text[16];
  item.pszText = text;
  item.cchTextMax = sizeof(text);
  SendMessageA(tabs, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ("Renamed", text);
  DestroyWindow(d);
  // A class nobody registered makes the creation fail.
  DialogRun run = DialogRun();
  run.quitCode = -1;
  EXPECT_EQ(-1, RunDialog(&run, IDD_UNKNOWN_CLASS));
}

TEST(DialogTest, ChildTemplateBecomesAChildOfTheOwner) {
  HWND owner = CreateWindowExA(0, RecordingClass(), "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, 0, 0, 0, 0);
  HWND page = CreateDialogParamA(0, MAKEINTRESOURCEA(IDD_CHILD), owner, ModelessProc, 0);
  ASSERT_TRUE(page != 0);
  Pump();
  EXPECT_EQ(owner, GetParent(page));
  EXPECT_TRUE(GetWindowLongA(page, GWL_STYLE) & WS_CHILD);
  EXPECT_FALSE(IsWindowVisible(page));
  char text[16];
  GetDlgItemTextA(page, IDC_LABEL, text, sizeof(text));
  EXPECT_STREQ("Page", text);
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(page));
}

namespace {

std::vector<WPARAM> g_commands;
HWND g_colourControl;
HDC g_colourDc;
HBRUSH g_red;
DRAWITEMSTRUCT g_drawn;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      g_commands.push_back(wParam);
      return 0;
    case WM_CTLCOLORSTATIC:
      g_colourControl = reinterpret_cast<HWND>(lParam);
      g_colourDc = reinterpret_cast<HDC>(wParam);
      return reinterpret_cast<LRESULT>(g_red);
    case WM_DRAWITEM: {
      g_drawn = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
      FillRect(g_drawn.hDC, &g_drawn.rcItem, blue);
      DeleteObject(blue);
      return TRUE;
    }
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

HWND Parent() {
  static int done;
  if (!done) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = ParentProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "KvTestParent";
    RegisterClassA(&wc);
    done = 1;
  }
  return CreateWindowExA(0, "KvTestParent", "Parent", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, 0, 0, 0, 0);
}

HWND Control(HWND parent, const char* cls, DWORD style, int id, const char* text = "") {
  return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 10, 10, 120, 24, parent,
                         reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), 0, 0);
}

}  // namespace

TEST(ControlTest, LimitTextStopsTypingButNotSetText) {
  HWND p = Parent();
  HWND e = Control(p, "EDIT", WS_BORDER | ES_AUTOHSCROLL, 11);
  SendMessageA(e, EM_LIMITTEXT, 3, 0);
  g_commands.clear();
  for (const char* c = "abcde"; *c; c++) SendMessageA(e, WM_CHAR, static_cast<unsigned char>(*c), 0);
  char text[16];
  GetWindowTextA(e, text, sizeof(text));
  EXPECT_STREQ("abc", text);
  int changes = 0, full = 0;
  for (WPARAM w : g_commands) {
    if (HIWORD(w) == EN_CHANGE && LOWORD(w) == 11) changes++;
    if (HIWORD(w) == EN_MAXTEXT) full++;
  }
  EXPECT_EQ(5, changes) << "Windows reports a change for every keystroke";
  EXPECT_EQ(2, full);
  SetWindowTextA(e, "abcdef");
  GetWindowTextA(e, text, sizeof(text));
  EXPECT_STREQ("abcdef", text);
  EXPECT_EQ(6, GetWindowTextLengthA(e));
  SendMessageA(e, WM_CHAR, 8, 0);  // backspace at the caret (start after WM_SETTEXT)
  GetWindowTextA(e, text, sizeof(text));
  EXPECT_STREQ("abcdef", text);
  SendMessageA(e, EM_SETSEL, 6, 6);
  SendMessageA(e, WM_CHAR, 8, 0);
  GetWindowTextA(e, text, sizeof(text));
  EXPECT_STREQ("abcde", text);
  DestroyWindow(p);
}

TEST(ControlTest, MultiLineEditKeepsLinesAndReportsThem) {
  HWND p = Parent();
  HWND e = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, 0, 0, 200, 40, p, 0, 0, 0);
  SetWindowTextA(e, "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix");
  EXPECT_EQ(6, SendMessageA(e, EM_GETLINECOUNT, 0, 0));
  SendMessageA(e, EM_LINESCROLL, 0, 2);
  EXPECT_EQ(2, SendMessageA(e, EM_GETFIRSTVISIBLELINE, 0, 0));
  DestroyWindow(p);
}

TEST(ControlTest, AutoCheckBoxTogglesOnClickAndNotifiesBnClicked) {
  HWND p = Parent();
  HWND b = Control(p, "BUTTON", BS_AUTOCHECKBOX, 12, "Accept");
  HWND plain = Control(p, "BUTTON", BS_CHECKBOX, 13, "Plain");
  g_commands.clear();
  SendMessageA(b, BM_CLICK, 0, 0);
  EXPECT_EQ(BST_CHECKED, SendMessageA(b, BM_GETCHECK, 0, 0));
  ASSERT_EQ(1u, g_commands.size());
  EXPECT_EQ(MAKELONG(12, BN_CLICKED), static_cast<LONG>(g_commands[0]));
  SendMessageA(b, BM_CLICK, 0, 0);
  EXPECT_EQ(BST_UNCHECKED, SendMessageA(b, BM_GETCHECK, 0, 0));
  // A plain check box only notifies; its owner sets the state.
  SendMessageA(plain, BM_CLICK, 0, 0);
  EXPECT_EQ(BST_UNCHECKED, SendMessageA(plain, BM_GETCHECK, 0, 0));
  SendMessageA(plain, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(BST_CHECKED, SendMessageA(plain, BM_GETCHECK, 0, 0));
  EXPECT_EQ(3u, g_commands.size());
  DestroyWindow(p);
}

TEST(ControlTest, CtlColorStaticReachesTheParentWithTheControlsDc) {
  g_red = CreateSolidBrush(RGB(255, 0, 0));
  HWND p = Parent();
  HWND s = Control(p, "STATIC", SS_LEFT, 14, "");
  Pump();
  g_colourControl = 0;
  InvalidateRect(s, 0, TRUE);
  UpdateWindow(s);
  EXPECT_EQ(s, g_colourControl);
  EXPECT_TRUE(g_colourDc != 0);
  HDC dc = GetDC(s);
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 3, 3));
  ReleaseDC(s, dc);
  HDC pdc = GetDC(p);
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(pdc, 13, 13));  // the control sits at 10,10 of the parent
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(pdc, 5, 5));
  ReleaseDC(p, pdc);
  DestroyWindow(p);
  DeleteObject(g_red);
}

TEST(ControlTest, OwnerDrawButtonAsksItsParentWithWmDrawItem) {
  HWND p = Parent();
  HWND b = Control(p, "BUTTON", BS_OWNERDRAW, 15);
  Pump();
  memset(&g_drawn, 0, sizeof(g_drawn));
  InvalidateRect(b, 0, TRUE);
  UpdateWindow(b);
  EXPECT_EQ(static_cast<UINT>(ODT_BUTTON), g_drawn.CtlType);
  EXPECT_EQ(15u, g_drawn.CtlID);
  EXPECT_EQ(b, g_drawn.hwndItem);
  EXPECT_EQ(120, g_drawn.rcItem.right);
  HDC dc = GetDC(b);
  EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, 60, 12));
  ReleaseDC(b, dc);
  SendMessageA(b, WM_LBUTTONDOWN, 0, 0);
  UpdateWindow(b);
  EXPECT_TRUE(g_drawn.itemState & ODS_SELECTED);
  SendMessageA(b, WM_LBUTTONUP, 0, 0);
  DestroyWindow(p);
}

TEST(ControlTest, ListBoxMessages) {
  HWND p = Parent();
  HWND l = Control(p, "LISTBOX", LBS_NOTIFY, 16);
  HWND sorted = Control(p, "LISTBOX", LBS_SORT, 17);
  EXPECT_EQ(0, SendMessageA(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("beta")));
  EXPECT_EQ(1, SendMessageA(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("alpha")));
  EXPECT_EQ(1, SendMessageA(l, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("gamma")));
  EXPECT_EQ(3, SendMessageA(l, LB_GETCOUNT, 0, 0));
  char text[16];
  EXPECT_EQ(5, SendMessageA(l, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text)));
  EXPECT_STREQ("gamma", text);
  EXPECT_EQ(5, SendMessageA(l, LB_GETTEXTLEN, 2, 0));
  EXPECT_EQ(LB_ERR, SendMessageA(l, LB_GETTEXTLEN, 9, 0));
  EXPECT_EQ(2, SendMessageA(l, LB_FINDSTRING, -1, reinterpret_cast<LPARAM>("AL")));
  EXPECT_EQ(LB_ERR, SendMessageA(l, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("al")));
  EXPECT_EQ(0, SendMessageA(l, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("BETA")));
  EXPECT_EQ(LB_ERR, SendMessageA(l, LB_GETCURSEL, 0, 0));
  EXPECT_EQ(2, SendMessageA(l, LB_SETCURSEL, 2, 0));
  EXPECT_EQ(2, SendMessageA(l, LB_GETCURSEL, 0, 0));
  EXPECT_EQ(1, SendMessageA(l, LB_SELECTSTRING, -1, reinterpret_cast<LPARAM>("g")));
  EXPECT_EQ(1, SendMessageA(l, LB_GETCURSEL, 0, 0));
  EXPECT_EQ(LB_ERR, SendMessageA(l, LB_GETSELCOUNT, 0, 0));  // single selection
  EXPECT_EQ(0, SendMessageA(l, LB_SETTOPINDEX, 1, 0));
  EXPECT_EQ(1, SendMessageA(l, LB_GETTOPINDEX, 0, 0));
  EXPECT_EQ(2, SendMessageA(l, LB_DELETESTRING, 0, 0));
  EXPECT_EQ(0, SendMessageA(l, LB_GETCURSEL, 0, 0));
  SendMessageA(l, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(0, SendMessageA(l, LB_GETCOUNT, 0, 0));
  SendMessageA(sorted, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("pear"));
  SendMessageA(sorted, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Apple"));
  EXPECT_EQ(1, SendMessageA(sorted, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("banana")));
  SendMessageA(sorted, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ("Apple", text);
  DestroyWindow(p);
}

TEST(ResourceTest, StringsBitmapsMenusAndIconsComeFromTheProgram) {
  HINSTANCE module = GetModuleHandleA(0);  // a null instance means the system's resources
  char text[32];
  EXPECT_EQ(5, LoadStringA(module, IDS_HELLO, text, sizeof(text)));
  EXPECT_STREQ("Hello", text);
  EXPECT_EQ(4, LoadStringA(module, IDS_SEVENTEEN, text, 5));
  EXPECT_STREQ("Seve", text);
  EXPECT_EQ(0, LoadStringA(module, 2, text, sizeof(text)));
  EXPECT_STREQ("", text);
  HBITMAP bm = LoadBitmapA(module, MAKEINTRESOURCEA(IDB_SIDE));
  ASSERT_TRUE(bm != 0);
  BITMAP info;
  EXPECT_GT(GetObjectA(bm, sizeof(info), &info), 0);
  EXPECT_EQ(16, info.bmWidth);
  EXPECT_EQ(8, info.bmHeight);
  HDC mem = CreateCompatibleDC(0);
  HGDIOBJ old = SelectObject(mem, bm);
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(mem, 0, 0));
  EXPECT_EQ(RGB(0, 0, 255), GetPixel(mem, 15, 7));
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bm);
  EXPECT_TRUE(LoadBitmapA(module, MAKEINTRESOURCEA(4711)) == 0);
  HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(IDM_MAIN));
  ASSERT_TRUE(menu != 0);
  EXPECT_EQ(static_cast<BOOL>(MF_GRAYED), EnableMenuItem(menu, IDM_EXIT, MF_BYCOMMAND | MF_ENABLED));
  EXPECT_EQ(static_cast<BOOL>(MF_ENABLED), EnableMenuItem(menu, IDM_EXIT, MF_BYCOMMAND | MF_GRAYED));
  EXPECT_EQ(static_cast<DWORD>(MF_UNCHECKED), CheckMenuItem(menu, IDM_OPEN, MF_BYCOMMAND | MF_CHECKED));
  EXPECT_EQ(static_cast<DWORD>(MF_CHECKED), CheckMenuItem(menu, IDM_OPEN, MF_BYCOMMAND | MF_UNCHECKED));
  EXPECT_EQ(static_cast<DWORD>(-1), CheckMenuItem(menu, 4711, MF_BYCOMMAND));
  DestroyMenu(menu);
  EXPECT_TRUE(LoadCursorA(0, IDC_ARROW) != 0);
  EXPECT_TRUE(LoadIconA(0, IDI_QUESTION) != 0);
}

#ifndef _WIN32  // the source tree's path is a POSIX one
TEST(ResourceTest, BitmapFromAFile) {
  std::string path = std::string(KV_UI_SOURCE_DIR) + "/side.bmp";
  HANDLE h = LoadImageA(0, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  ASSERT_TRUE(h != 0) << path;
  BITMAP info;
  GetObjectA(h, sizeof(info), &info);
  EXPECT_EQ(16, info.bmWidth);
  DeleteObject(h);
  EXPECT_TRUE(LoadImageA(0, "/nonexistent.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE) == 0);
}
#endif

TEST(ClipboardTest, TextPutOnTheClipboardIsReadAsCfText) {
  ASSERT_TRUE(OpenClipboard(0));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 7);
  memcpy(GlobalLock(block), "pasted", 7);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  ASSERT_TRUE(OpenClipboard(0));
  HANDLE h = GetClipboardData(CF_TEXT);
  ASSERT_TRUE(h != 0);
  EXPECT_STREQ("pasted", static_cast<const char*>(GlobalLock(h)));
  GlobalUnlock(h);
  EXPECT_TRUE(CloseClipboard());
  HWND p = Parent();
  HWND e = Control(p, "EDIT", ES_AUTOHSCROLL, 18);
  SendMessageA(e, EM_LIMITTEXT, 4, 0);
  SendMessageA(e, WM_PASTE, 0, 0);
  SendMessageA(e, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("xyz"));
  char text[16];
  GetWindowTextA(e, text, sizeof(text));
  EXPECT_STREQ("past", text) << "pasting and replacing are limited like typing";
  DestroyWindow(p);
  EXPECT_TRUE(GetClipboardData(CF_TEXT) == 0);  // closed
}

TEST(ControlTest, ComboBoxShowsTheSelectedItem) {
  HWND p = Parent();
  HWND c = Control(p, "COMBOBOX", CBS_DROPDOWNLIST, 19);
  EXPECT_EQ(0, SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Daily")));
  EXPECT_EQ(1, SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Weekly")));
  EXPECT_EQ(CB_ERR, SendMessageA(c, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(1, SendMessageA(c, CB_SETCURSEL, 1, 0));
  char text[16];
  GetWindowTextA(c, text, sizeof(text));
  EXPECT_STREQ("Weekly", text);
  EXPECT_EQ(2, SendMessageA(c, CB_GETCOUNT, 0, 0));
  DestroyWindow(p);
}

TEST(DialogTest, FocusGivenToAChildDialogGoesToItsFirstTabStop) {
  HWND owner = CreateWindowExA(0, RecordingClass(), "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, 0, 0, 0, 0);
  HWND page = CreateDialogParamA(0, MAKEINTRESOURCEA(IDD_CHILD), owner, ModelessProc, 0);
  ASSERT_TRUE(page != 0);
  ShowWindow(page, SW_SHOW);
  SetFocus(page);
  EXPECT_EQ(GetDlgItem(page, IDC_EDIT), GetFocus());
  DestroyWindow(owner);
}

TEST(ControlTest, BitmapStaticShowsItsBitmapFromTheTemplate) {
  // The static loads its bitmap from the module the dialog is made with.
  HWND d = CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(IDD_BASIC), 0, ModelessProc, 0);
  ASSERT_TRUE(d != 0);
  HWND picture = GetDlgItem(d, IDC_PICTURE);
  ASSERT_TRUE(picture != 0);
  HANDLE image = reinterpret_cast<HANDLE>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_TRUE(image != 0);
  BITMAP bm;
  GetObjectA(image, sizeof(bm), &bm);
  EXPECT_EQ(16, bm.bmWidth);
#ifndef _WIN32  // our dialogs draw into a framebuffer that can be read back
  ShowWindow(d, SW_SHOW);
  UpdateWindow(d);
  UpdateWindow(picture);
  HDC dc = GetDC(picture);
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 1, 1));
  EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, 14, 6));
  ReleaseDC(picture, dc);
#endif
  DestroyWindow(d);
}
