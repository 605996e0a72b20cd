/* Small helpers of the user-interface tests: a window class whose
 * procedure records the messages it gets, and message pumping that never
 * waits for input. */
#ifndef KV_TESTS_PLATFORM_UI_SUPPORT_H
#define KV_TESTS_PLATFORM_UI_SUPPORT_H

#include <windows.h>

#include <vector>

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

extern std::vector<Seen> g_seen;

/* Registers (once) the class "KvTestWindow" that records every message. */
const char* RecordingClass();

/* Dispatches what is queued, without ever waiting for input. */
inline void Pump() {
  MSG m;
  while (PeekMessageA(&m, 0, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

#endif
