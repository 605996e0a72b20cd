// The scripted user: every verb against a small demonstration dialog, the
// failure exit (3) and the exit when nobody is left to answer (4), and a
// snapshot that shows the dialog.
#include <gtest/gtest.h>

#include <png.h>

#include "platform_ui_ids.h"
#include "ui_test_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <unistd.h>

namespace {

struct DemoResult {
  int focusId;
  int accepted;
  char password[64];
  char directory[128];
};

DemoResult g_demo;

INT_PTR CALLBACK DemoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(hwnd, IDC_DEMO_DIR, "C:\\Program Files\\Zorva");
      SendDlgItemMessageA(hwnd, IDC_DEMO_PASSWORD, EM_LIMITTEXT, 8, 0);
      SetDlgItemTextA(hwnd, IDC_DEMO_PERCENT, "50%");
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        g_demo.focusId = GetDlgCtrlID(GetFocus());
        g_demo.accepted = static_cast<int>(IsDlgButtonChecked(hwnd, IDC_DEMO_ACCEPT));
        GetDlgItemTextA(hwnd, IDC_DEMO_PASSWORD, g_demo.password, sizeof(g_demo.password));
        GetDlgItemTextA(hwnd, IDC_DEMO_DIR, g_demo.directory, sizeof(g_demo.directory));
        EndDialog(hwnd, 1);
      } else if (LOWORD(wParam) == IDCANCEL) {
        if (MessageBoxA(hwnd, "Do you want to abort this installation ?", "Install", MB_YESNO | MB_ICONQUESTION) == IDYES)
          EndDialog(hwnd, 2);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

std::string WriteScript(const char* name, const std::string& text) {
  std::string path = ::testing::TempDir() + name;
  FILE* f = fopen(path.c_str(), "w");
  if (f) {
    fputs(text.c_str(), f);
    fclose(f);
  }
  return path;
}

/* Runs the demonstration dialog under a script, in the forked child of a
 * death test: the exit code says what happened. */
[[noreturn]] void RunDemo(const std::string& script, int (*verify)(INT_PTR)) {
  if (script.empty()) unsetenv("KV_SCRIPT");
  else setenv("KV_SCRIPT", script.c_str(), 1);
  memset(&g_demo, 0, sizeof(g_demo));
  INT_PTR r = DialogBoxParamA(0, MAKEINTRESOURCEA(IDD_DEMO), 0, DemoProc, 0);
  _exit(verify(r) ? 0 : 1);
}

int AllVerbsDone(INT_PTR r) {
  return r == 1 && g_demo.focusId == IDC_DEMO_PASSWORD && g_demo.accepted == 1 &&
         strcmp(g_demo.password, "secret12") == 0 && strcmp(g_demo.directory, "D:\\Apps") == 0;
}

int Cancelled(INT_PTR r) {
  return r == 2;
}

}  // namespace

TEST(ScriptTest, EveryVerbActsAsAUserWould) {
  std::string script = WriteScript("all_verbs.kvs",
    "# the demonstration dialog\n"
    "wait \"Zorva Setup\"\n"
    "\n"
    "expect 221 \"C:\\\\Program Files\\\\Zorva\"\n"
    "type 240 \"secret\"\n"
    "expect 240 \"secret\"\n"
    "type 240 \"12345\"\n"
    "expect 240 \"secret12\"\n"
    "settext 221 \"D:\\\\Apps\"\n"
    "check 239\n"
    "check 239\n"
    "uncheck 239\n"
    "click 239\n"
    "click 2\n"
    "answer NO \"Do you want to abort this installation ?\"\n"
    "key TAB\n"
    "key ENTER\n");
  EXPECT_EXIT(RunDemo(script, AllVerbsDone), ::testing::ExitedWithCode(0), "");
}

TEST(ScriptTest, EscapeAndAnsweredMessageBoxEndTheDialog) {
  std::string script = WriteScript("cancel.kvs", "key ESCAPE\nanswer YES\n");
  EXPECT_EXIT(RunDemo(script, Cancelled), ::testing::ExitedWithCode(0), "");
}

TEST(ScriptTest, FailedLinesEndWithExitCodeThreeAndSayWhatWasFound) {
  struct Case {
    const char* script;
    const char* message;
  } cases[] = {
    {"wait \"Nope\"\n", "KV_SCRIPT line 1: a window \"Nope\" / windows \"Zorva Setup\""},
    {"wait \"Zorva Setup\"\nexpect 240 \"wrong\"\n", "KV_SCRIPT line 2: text \"wrong\" in control 240 / found \"\""},
    {"click 777\n", "KV_SCRIPT line 1: a visible control 777 / none in the window \"Zorva Setup\""},
    {"answer YES\n", "KV_SCRIPT line 1: a message box to answer YES / no message box"},
    {"# comment\nclick 2\nanswer YES \"Other\"\n",
     "KV_SCRIPT line 3: a message box \"Other\" / message box \"Do you want to abort this installation \\?\""},
    {"jump 1\n", "KV_SCRIPT line 1: a script line"},
  };
  for (const Case& c : cases) {
    std::string script = WriteScript("failing.kvs", c.script);
    EXPECT_EXIT(RunDemo(script, Cancelled), ::testing::ExitedWithCode(3), c.message) << c.script;
  }
}

TEST(ScriptTest, NobodyToWaitForEndsWithExitCodeFour) {
  std::string script = WriteScript("short.kvs", "wait \"Zorva Setup\"\n");
  EXPECT_EXIT(RunDemo(script, Cancelled), ::testing::ExitedWithCode(4), "KV_SCRIPT is used up.*no user to wait for");
  EXPECT_EXIT(RunDemo("", Cancelled), ::testing::ExitedWithCode(4), "no KV_SCRIPT.*no user to wait for");
}

TEST(ScriptTest, SnapshotWritesTheActiveWindowAsPng) {
  std::string png = std::string(KV_UI_OUTPUT_DIR) + "/demo-dialog.png";
  unlink(png.c_str());
  std::string script = WriteScript("snapshot.kvs",
    "type 240 \"secret\"\n"
    "check 239\n"
    "snapshot \"" + png + "\"\n"
    "key ESCAPE\n"
    "answer YES\n");
  EXPECT_EXIT(RunDemo(script, Cancelled), ::testing::ExitedWithCode(0), "");
  FILE* f = fopen(png.c_str(), "rb");
  ASSERT_TRUE(f != 0) << png;
  png_image image;
  memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_stdio(&image, f));
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, 0, pixels.data(), 0, 0));
  fclose(f);
  // 260 x 150 dialog units of an 8 point font, and the frame.
  EXPECT_GT(image.width, 300u);
  EXPECT_GT(image.height, 200u);
  int dark = 0, caption = 0;
  for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
    if (pixels[i] < 80 && pixels[i + 1] < 80 && pixels[i + 2] < 80) dark++;
    if (pixels[i] == 10 && pixels[i + 1] == 36 && pixels[i + 2] == 106) caption++;
  }
  EXPECT_GT(dark, 500);     // text and frames
  EXPECT_GT(caption, 2000); // the caption bar
}
