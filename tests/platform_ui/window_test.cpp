// Windows and messages: creation and destruction order, nested sends, the
// queue, window longs, geometry, focus and timers.
#include <gtest/gtest.h>

#include "ui_test_support.h"

#include <algorithm>
#include <string.h>

std::vector<Seen> g_seen;

namespace {

void* g_createParam;

LRESULT CALLBACK Recording(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Seen s = {hwnd, msg, wParam, lParam};
  g_seen.push_back(s);
  if (msg == WM_CREATE) {
    const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    g_createParam = cs->lpCreateParams;
    if (cs->lpCreateParams == reinterpret_cast<void*>(-1)) return -1;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int IndexOf(HWND h, UINT msg) {
  for (size_t i = 0; i < g_seen.size(); i++)
    if (g_seen[i].hwnd == h && g_seen[i].message == msg) return static_cast<int>(i);
  return -1;
}

}  // namespace

const char* RecordingClass() {
  static int done;
  if (!done) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = Recording;
    wc.cbWndExtra = 4;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "KvTestWindow";
    RegisterClassA(&wc);
    done = 1;
  }
  return "KvTestWindow";
}

TEST(WindowTest, CreationSendsNcCreateCreateSizeInOrderWithTheParameter) {
  g_seen.clear();
  int param = 5;
  HWND w = CreateWindowExA(0, RecordingClass(), "Top", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200, 0, 0, 0, &param);
  ASSERT_TRUE(w != 0);
  int nc = IndexOf(w, WM_NCCREATE), create = IndexOf(w, WM_CREATE);
  ASSERT_GE(nc, 0);
  EXPECT_LT(nc, create);
  EXPECT_EQ(&param, g_createParam);
  // An overlapped window learns its size when it is first shown.
  EXPECT_EQ(-1, IndexOf(w, WM_SIZE));
  ShowWindow(w, SW_SHOW);
  int show = IndexOf(w, WM_SHOWWINDOW), size = IndexOf(w, WM_SIZE);
  EXPECT_GT(show, create);
  EXPECT_GT(size, show);
  // A pop-up window learns it during the creation, after WM_CREATE.
  g_seen.clear();
  HWND popup = CreateWindowExA(0, RecordingClass(), "", WS_POPUP, 0, 0, 30, 20, 0, 0, 0, 0);
  EXPECT_LT(IndexOf(popup, WM_CREATE), IndexOf(popup, WM_SIZE));
  EXPECT_EQ(MAKELONG(30, 20), static_cast<LONG>(g_seen[IndexOf(popup, WM_SIZE)].lParam));
  DestroyWindow(popup);
  char text[16];
  EXPECT_EQ(3, GetWindowTextA(w, text, sizeof(text)));
  EXPECT_STREQ("Top", text);
  DestroyWindow(w);
}

TEST(WindowTest, CreationFailsWhenCreateAnswersMinusOne) {
  g_seen.clear();
  HWND w = CreateWindowExA(0, RecordingClass(), "", WS_OVERLAPPED, 0, 0, 10, 10, 0, 0, 0, reinterpret_cast<void*>(-1));
  EXPECT_TRUE(w == 0);
  ASSERT_FALSE(g_seen.empty());
  EXPECT_FALSE(IsWindow(g_seen[0].hwnd));
  EXPECT_TRUE(CreateWindowExA(0, "NoSuchClass", "", WS_OVERLAPPED, 0, 0, 10, 10, 0, 0, 0, 0) == 0);
}

TEST(WindowTest, DestroyGivesWmDestroyParentFirstAndNcDestroyChildFirst) {
  HWND parent = CreateWindowExA(0, RecordingClass(), "P", WS_OVERLAPPED, 0, 0, 200, 200, 0, 0, 0, 0);
  HWND child = CreateWindowExA(0, RecordingClass(), "C", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent,
                               reinterpret_cast<HMENU>(7), 0, 0);
  HWND grandchild = CreateWindowExA(0, RecordingClass(), "G", WS_CHILD, 0, 0, 10, 10, child, 0, 0, 0);
  ASSERT_TRUE(parent && child && grandchild);
  EXPECT_EQ(parent, GetParent(child));
  EXPECT_EQ(child, GetDlgItem(parent, 7));
  EXPECT_EQ(7, GetDlgCtrlID(child));
  g_seen.clear();
  DestroyWindow(parent);
  int d1 = IndexOf(parent, WM_DESTROY), d2 = IndexOf(child, WM_DESTROY), d3 = IndexOf(grandchild, WM_DESTROY);
  int n1 = IndexOf(parent, WM_NCDESTROY), n2 = IndexOf(child, WM_NCDESTROY), n3 = IndexOf(grandchild, WM_NCDESTROY);
  ASSERT_TRUE(d1 >= 0 && d2 >= 0 && d3 >= 0 && n1 >= 0 && n2 >= 0 && n3 >= 0);
  EXPECT_LT(d1, d2);
  EXPECT_LT(d2, d3);
  EXPECT_LT(n3, n2);
  EXPECT_LT(n2, n1);
  EXPECT_LT(d3, n3);
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandchild));
}

namespace {

HWND g_other;
std::vector<int> g_order;

LRESULT CALLBACK Nesting(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER) {
    g_order.push_back(1);
    LRESULT inner = SendMessageA(g_other, WM_USER + 1, 0, 0);
    g_order.push_back(3);
    return inner + 1;
  }
  if (msg == WM_USER + 1) {
    g_order.push_back(2);
    return 40;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

TEST(MessageTest, SendMessageInsideSendMessageRunsAtOnceAndReturnsTheAnswer) {
  WNDCLASSA wc;
  memset(&wc, 0, sizeof(wc));
  wc.lpfnWndProc = Nesting;
  wc.lpszClassName = "KvNesting";
  RegisterClassA(&wc);
  HWND a = CreateWindowExA(0, "KvNesting", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
  g_other = CreateWindowExA(0, "KvNesting", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
  g_order.clear();
  EXPECT_EQ(41, SendMessageA(a, WM_USER, 0, 0));
  EXPECT_EQ((std::vector<int>{1, 2, 3}), g_order);
  DestroyWindow(a);
  DestroyWindow(g_other);
}

TEST(MessageTest, PostedMessagesComeInOrderAndTheQuitMessageLast) {
  HWND w = CreateWindowExA(0, RecordingClass(), "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
  Pump();
  PostQuitMessage(9);
  EXPECT_TRUE(PostMessageA(w, WM_USER + 5, 1, 2));
  EXPECT_TRUE(PostMessageA(w, WM_USER + 6, 3, 4));
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
  MSG m;
  ASSERT_TRUE(GetMessageA(&m, 0, 0, 0));
  EXPECT_EQ(static_cast<UINT>(WM_USER + 5), m.message);
  EXPECT_EQ(1u, m.wParam);
  ASSERT_TRUE(GetMessageA(&m, 0, 0, 0));
  EXPECT_EQ(static_cast<UINT>(WM_USER + 6), m.message);
  EXPECT_FALSE(GetMessageA(&m, 0, 0, 0));
  EXPECT_EQ(static_cast<UINT>(WM_QUIT), m.message);
  EXPECT_EQ(9u, m.wParam);
  DestroyWindow(w);
}

TEST(MessageTest, PaintComesForAnInvalidVisibleWindowWhenTheQueueIsEmpty) {
  HWND w = CreateWindowExA(0, RecordingClass(), "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, 0, 0, 0, 0);
  Pump();
  InvalidateRect(w, 0, TRUE);
  PostMessageA(w, WM_USER, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(static_cast<UINT>(WM_USER), m.message);
  ASSERT_TRUE(PeekMessageA(&m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(static_cast<UINT>(WM_PAINT), m.message);
  EXPECT_EQ(w, m.hwnd);
  DispatchMessageA(&m);  // DefWindowProc validates
  EXPECT_FALSE(PeekMessageA(&m, 0, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  DestroyWindow(w);
}

namespace {

WNDPROC g_previous;
int g_subclassed;

LRESULT CALLBACK Subclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER + 9) g_subclassed++;
  return CallWindowProcA(g_previous, hwnd, msg, wParam, lParam);
}

}  // namespace

TEST(WindowTest, WindowLongsHoldUserDataIdStyleAndProcedure) {
  HWND parent = CreateWindowExA(0, RecordingClass(), "", WS_POPUP, 0, 0, 100, 100, 0, 0, 0, 0);
  HWND w = CreateWindowExA(0, RecordingClass(), "", WS_CHILD, 0, 0, 10, 10, parent, reinterpret_cast<HMENU>(33), 0, 0);
  int object;
  SetWindowLongPtrA(w, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&object));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(&object), GetWindowLongPtrA(w, GWL_USERDATA));
  EXPECT_EQ(33, GetWindowLongA(w, GWL_ID));
  EXPECT_EQ(static_cast<LONG>(WS_CHILD), GetWindowLongA(w, GWL_STYLE) & static_cast<LONG>(WS_CHILD));
  SetWindowLongA(w, 0, 1234);
  EXPECT_EQ(1234, GetWindowLongA(w, 0));
  // The procedure read as a 32-bit long can be put back and called.
  LONG old = SetWindowLongA(w, GWL_WNDPROC, static_cast<LONG>(GetWindowLongA(w, GWL_WNDPROC)));
  g_previous = reinterpret_cast<WNDPROC>(static_cast<LONG_PTR>(old));
  SetWindowLongPtrA(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass));
  g_seen.clear();
  g_subclassed = 0;
  SendMessageA(w, WM_USER + 9, 0, 0);
  EXPECT_EQ(1, g_subclassed);
  EXPECT_EQ(1u, g_seen.size());
  SetWindowLongA(w, GWL_WNDPROC, old);
  SendMessageA(w, WM_USER + 9, 0, 0);
  EXPECT_EQ(1, g_subclassed);
  DestroyWindow(parent);
}

TEST(WindowTest, RectanglesOfTopLevelAndChildWindows) {
  HWND top = CreateWindowExA(0, RecordingClass(), "T", WS_POPUP | WS_BORDER, 100, 50, 202, 152, 0, 0, 0, 0);
  HWND child = CreateWindowExA(0, RecordingClass(), "", WS_CHILD, 10, 20, 30, 40, top, 0, 0, 0);
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(100, r.left);
  EXPECT_EQ(50, r.top);
  EXPECT_EQ(302, r.right);
  GetClientRect(top, &r);
  EXPECT_EQ(0, r.left);
  EXPECT_EQ(200, r.right);
  EXPECT_EQ(150, r.bottom);
  GetWindowRect(child, &r);
  EXPECT_EQ(111, r.left);  // 100 + border 1 + 10
  EXPECT_EQ(71, r.top);
  EXPECT_EQ(141, r.right);
  POINT p = {0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(111, p.x);
  ScreenToClient(top, &p);
  EXPECT_EQ(10, p.x);
  EXPECT_EQ(20, p.y);
  MoveWindow(child, 5, 6, 70, 80, TRUE);
  GetClientRect(child, &r);
  EXPECT_EQ(70, r.right);
  EXPECT_EQ(80, r.bottom);
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_EQ(RGB(255, 255, 255), GetSysColor(COLOR_WINDOW));
  DestroyWindow(top);
}

TEST(WindowTest, FocusVisibilityAndEnabling) {
  HWND top = CreateWindowExA(0, RecordingClass(), "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, 0, 0, 0, 0);
  HWND a = CreateWindowExA(0, RecordingClass(), "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top, 0, 0, 0);
  HWND b = CreateWindowExA(0, RecordingClass(), "", WS_CHILD | WS_VISIBLE, 20, 0, 10, 10, top, 0, 0, 0);
  SetFocus(a);
  EXPECT_EQ(a, GetFocus());
  g_seen.clear();
  EXPECT_EQ(a, SetFocus(b));
  EXPECT_EQ(b, GetFocus());
  int kill = IndexOf(a, WM_KILLFOCUS), set = IndexOf(b, WM_SETFOCUS);
  ASSERT_TRUE(kill >= 0 && set >= 0);
  EXPECT_LT(kill, set);
  EXPECT_TRUE(IsWindowVisible(b));
  ShowWindow(top, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(b));
  ShowWindow(top, SW_SHOW);
  EXPECT_TRUE(IsWindowEnabled(b));
  EXPECT_FALSE(EnableWindow(b, FALSE));
  EXPECT_FALSE(IsWindowEnabled(b));
  EXPECT_TRUE(EnableWindow(b, TRUE));
  DestroyWindow(top);
  EXPECT_TRUE(GetFocus() == 0 || IsWindow(GetFocus()));
}

TEST(MessageTest, TimersDeliverWmTimerUntilKilled) {
  HWND w = CreateWindowExA(0, RecordingClass(), "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
  Pump();
  EXPECT_EQ(5u, SetTimer(w, 5, 20, 0));
  int ticks = 0;
  MSG m;
  while (ticks < 2 && GetMessageA(&m, 0, 0, 0)) {
    if (m.message == WM_TIMER && m.hwnd == w) {
      EXPECT_EQ(5u, m.wParam);
      ticks++;
    }
    DispatchMessageA(&m);
  }
  EXPECT_EQ(2, ticks);
  EXPECT_TRUE(KillTimer(w, 5));
  EXPECT_FALSE(KillTimer(w, 5));
  EXPECT_FALSE(PeekMessageA(&m, 0, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  DestroyWindow(w);
}

TEST(WindowTest, TheDesktopListsTheTopLevelWindows) {
  HWND desktop = GetDesktopWindow();
  ASSERT_TRUE(desktop != 0);
  HWND w = CreateWindowExA(0, RecordingClass(), "listed", WS_POPUP, 0, 0, 10, 10, desktop, 0, 0, 0);
  ASSERT_TRUE(w != 0);
  EXPECT_TRUE(GetParent(w) == 0);
  int found = 0;
  for (HWND h = GetWindow(desktop, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (h == w) found++;
  EXPECT_EQ(1, found);
  RECT r;
  GetWindowRect(desktop, &r);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right - r.left);
  DestroyWindow(w);
  EXPECT_TRUE(IsWindow(desktop));
}

TEST(WindowTest, ClassInfoAndNames) {
  WNDCLASSA wc;
  EXPECT_TRUE(GetClassInfoA(0, "BUTTON", &wc));
  EXPECT_TRUE(GetClassInfoA(0, "SysTabControl32", &wc));
  EXPECT_FALSE(GetClassInfoA(0, "NoSuchClass", &wc));
  HWND w = CreateWindowExA(0, "button", "x", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
  char name[64];
  GetClassNameA(w, name, sizeof(name));
  EXPECT_STREQ("Button", name);
  DestroyWindow(w);
}

#ifndef _WIN32
TEST(WindowTest, ScreenSizeComesFromKvScreen) {
  struct Case {
    const char* value;
    int width, height;
  } cases[] = {{"800x600", 800, 600}, {"1280x1024", 1280, 1024}, {"nonsense", 1024, 768}, {0, 1024, 768}};
  for (const Case& c : cases) {
    if (c.value) setenv("KV_SCREEN", c.value, 1);
    else unsetenv("KV_SCREEN");
    EXPECT_EQ(c.width, GetSystemMetrics(SM_CXSCREEN)) << (c.value ? c.value : "unset");
    EXPECT_EQ(c.height, GetSystemMetrics(SM_CYSCREEN)) << (c.value ? c.value : "unset");
  }
  unsetenv("KV_SCREEN");
}
#endif
