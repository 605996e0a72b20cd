/* The scripted user of the POSIX USER32. KV_SCRIPT names a file of lines
 * such as `click 102` or `expect 221 "C:\\Zorva"`; whenever the program
 * waits for input, the next line is performed as a user would: through the
 * program's own message queue. A line that cannot be satisfied ends the
 * program with exit code 3 and says what was wanted and what was found. */
#include "user_internal.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

namespace {

struct Line {
  int number;
  std::string text;
};

struct Script {
  std::string path;
  std::vector<Line> lines;
  size_t next;
  double waitDeadline;
  int loaded;
};

Script g_script;

void Fail(int line, const std::string& wanted, const std::string& found) {
  fprintf(stderr, "KV_SCRIPT line %d: %s / %s\n", line, wanted.c_str(), found.c_str());
  fflush(stderr);
  _exit(3);
}

int Load() {
  const char* path = getenv("KV_SCRIPT");
  if (!path || !*path) return 0;
  if (g_script.loaded && g_script.path == path) return 1;
  g_script = Script();
  g_script.path = path;
  g_script.loaded = 1;
  FILE* f = fopen(path, "r");
  if (!f) {
    fprintf(stderr, "KV_SCRIPT: cannot read %s\n", path);
    fflush(stderr);
    _exit(3);
  }
  char buf[4096];
  int number = 0;
  while (fgets(buf, sizeof(buf), f)) {
    number++;
    std::string s = buf;
    while (!s.empty() && (s[s.size() - 1] == '\n' || s[s.size() - 1] == '\r')) s.erase(s.size() - 1);
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos || s[a] == '#') continue;
    Line l = {number, s.substr(a)};
    g_script.lines.push_back(l);
  }
  fclose(f);
  return 1;
}

/* The words of a line: bare words, and quoted texts with C escapes. */
int Split(const std::string& s, std::vector<std::string>* words, std::vector<int>* quoted) {
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == ' ' || s[i] == '\t') { i++; continue; }
    if (s[i] == '"') {
      std::string t;
      i++;
      for (;;) {
        if (i >= s.size()) return 0;
        char c = s[i++];
        if (c == '"') break;
        if (c != '\\') { t += c; continue; }
        if (i >= s.size()) return 0;
        char e = s[i++];
        switch (e) {
          case 'n': t += '\n'; break;
          case 't': t += '\t'; break;
          case 'r': t += '\r'; break;
          case 'a': t += '\a'; break;
          case 'b': t += '\b'; break;
          case 'f': t += '\f'; break;
          case 'v': t += '\v'; break;
          case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
            int v = e - '0';
            for (int k = 0; k < 2 && i < s.size() && s[i] >= '0' && s[i] <= '7'; k++) v = v * 8 + (s[i++] - '0');
            t += static_cast<char>(v);
            break;
          }
          case 'x': {
            int v = 0, k = 0;
            while (i < s.size() && isxdigit(static_cast<unsigned char>(s[i])) && k < 2) {
              v = v * 16 + (isdigit(static_cast<unsigned char>(s[i])) ? s[i] - '0' : (tolower(s[i]) - 'a' + 10));
              i++;
              k++;
            }
            if (!k) return 0;
            t += static_cast<char>(v);
            break;
          }
          default: t += e; break;
        }
      }
      words->push_back(t);
      quoted->push_back(1);
      continue;
    }
    size_t j = i;
    while (j < s.size() && s[j] != ' ' && s[j] != '\t') j++;
    words->push_back(s.substr(i, j - i));
    quoted->push_back(0);
    i = j;
  }
  return 1;
}

std::string Quote(const std::string& s) {
  std::string q = "\"";
  for (size_t i = 0; i < s.size(); i++) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') { q += '\\'; q += static_cast<char>(c); }
    else if (c == '\n') q += "\\n";
    else if (c == '\r') q += "\\r";
    else if (c == '\t') q += "\\t";
    else if (c < 32) { char b[8]; snprintf(b, sizeof(b), "\\x%02x", c); q += b; }
    else q += static_cast<char>(c);
  }
  return q + "\"";
}

std::string Captions() {
  std::string found;
  std::vector<KvWindow*>& z = KvTopLevels();
  for (size_t i = 0; i < z.size(); i++)
    if (z[i]->style & WS_VISIBLE) {
      if (!found.empty()) found += ", ";
      found += Quote(z[i]->text);
    }
  return found.empty() ? "no visible window" : "windows " + found;
}

std::string ActiveName() {
  KvWindow* a = KvWin(KvActiveTopLevel());
  return a ? "the window " + Quote(a->text) : "no active window";
}

void Collect(KvWindow* parent, std::vector<KvWindow*>* out) {
  for (size_t i = 0; i < parent->children.size(); i++)
    if (parent->children[i]->style & WS_VISIBLE) out->push_back(parent->children[i]);
  for (size_t i = 0; i < parent->children.size(); i++) {
    KvWindow* c = parent->children[i];
    if ((c->style & WS_VISIBLE) && c->isDialog) Collect(c, out);
  }
}

KvWindow* FindControl(int line, const std::string& word) {
  char* end = 0;
  long id = strtol(word.c_str(), &end, 0);
  if (word.empty() || *end) Fail(line, "a control identifier", Quote(word));
  KvWindow* top = KvWin(KvActiveTopLevel());
  if (top) {
    std::vector<KvWindow*> all;
    Collect(top, &all);
    for (size_t i = 0; i < all.size(); i++)
      if (all[i]->id == static_cast<int>(id)) return all[i];
  }
  char want[64];
  snprintf(want, sizeof(want), "a visible control %ld", id);
  Fail(line, want, "none in " + ActiveName());
  return 0;
}

void PostClick(KvWindow* c) {
  RECT r;
  GetClientRect(c->handle, &r);
  LPARAM at = MAKELONG(r.right / 2, r.bottom / 2);
  if (c->style & WS_DISABLED) return;  // a disabled control takes no clicks
  PostMessageA(c->handle, WM_LBUTTONDOWN, 1, at);
  PostMessageA(c->handle, WM_LBUTTONUP, 0, at);
}

void PostKey(HWND h, int vk) {
  PostMessageA(h, WM_KEYDOWN, vk, 1);
  PostMessageA(h, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

int Perform(const Line& l, int timersPending) {
  std::vector<std::string> w;
  std::vector<int> q;
  if (!Split(l.text, &w, &q) || w.empty()) Fail(l.number, "a script line", Quote(l.text));
  const std::string& verb = w[0];
  size_t n = w.size();
  if (verb == "wait" && n == 2 && q[1]) {
    std::vector<KvWindow*>& z = KvTopLevels();
    for (size_t i = 0; i < z.size(); i++)
      if ((z[i]->style & WS_VISIBLE) && z[i]->text == w[1]) {
        g_script.waitDeadline = 0;
        return KV_SCRIPT_DONE_LINE;
      }
    double now = KvNow();
    if (!g_script.waitDeadline) g_script.waitDeadline = now + 10.0;
    if (!timersPending || now >= g_script.waitDeadline)
      Fail(l.number, "a window " + Quote(w[1]), Captions());
    return KV_SCRIPT_WAITING;
  }
  if ((verb == "click" || verb == "check" || verb == "uncheck") && n == 2 && !q[1]) {
    KvWindow* c = FindControl(l.number, w[1]);
    if (verb == "click") PostClick(c);
    else {
      int want = verb == "check";
      if ((SendMessageA(c->handle, BM_GETCHECK, 0, 0) & 1) != want) PostClick(c);
    }
    return KV_SCRIPT_DONE_LINE;
  }
  if (verb == "type" && n == 3 && !q[1] && q[2]) {
    KvWindow* c = FindControl(l.number, w[1]);
    HWND h = c->handle;
    SetFocus(h);
    if (!KvWin(h)) return KV_SCRIPT_DONE_LINE;
    LRESULT len = SendMessageA(h, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(h, EM_SETSEL, len, len);
    for (size_t i = 0; i < w[2].size(); i++) {
      char ch = w[2][i];
      if (ch == '\n') PostKey(h, VK_RETURN);
      else if (ch == '\t') PostKey(h, VK_TAB);
      else PostMessageA(h, WM_CHAR, static_cast<unsigned char>(ch), 1);
    }
    return KV_SCRIPT_DONE_LINE;
  }
  if (verb == "settext" && n == 3 && !q[1] && q[2]) {
    KvWindow* c = FindControl(l.number, w[1]);
    SendMessageA(c->handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w[2].c_str()));
    return KV_SCRIPT_DONE_LINE;
  }
  if (verb == "key" && n == 2 && !q[1]) {
    int vk = w[1] == "ENTER" ? VK_RETURN : w[1] == "ESCAPE" ? VK_ESCAPE : w[1] == "TAB" ? VK_TAB : 0;
    if (!vk) Fail(l.number, "ENTER, ESCAPE or TAB", Quote(w[1]));
    HWND target = GetFocus();
    if (!target) target = KvActiveTopLevel();
    if (!target) Fail(l.number, "a window to take the key", Captions());
    PostKey(target, vk);
    return KV_SCRIPT_DONE_LINE;
  }
  if (verb == "expect" && n == 3 && !q[1] && q[2]) {
    KvWindow* c = FindControl(l.number, w[1]);
    int len = GetWindowTextLengthA(c->handle);
    std::string text(static_cast<size_t>(len) + 1, '\0');
    GetWindowTextA(c->handle, &text[0], len + 1);
    text.resize(strlen(text.c_str()));
    if (text != w[2]) Fail(l.number, "text " + Quote(w[2]) + " in control " + w[1], "found " + Quote(text));
    return KV_SCRIPT_DONE_LINE;
  }
  if (verb == "answer" && (n == 2 || (n == 3 && q[2])) && !q[1]) {
    static const struct { const char* name; int id; } answers[] = {
      {"YES", IDYES}, {"NO", IDNO}, {"OK", IDOK}, {"CANCEL", IDCANCEL},
      {"ABORT", IDABORT}, {"RETRY", IDRETRY}, {"IGNORE", IDIGNORE}};
    int id = 0;
    for (size_t i = 0; i < sizeof(answers) / sizeof(answers[0]); i++)
      if (w[1] == answers[i].name) id = answers[i].id;
    if (!id) Fail(l.number, "YES, NO, OK, CANCEL, ABORT, RETRY or IGNORE", Quote(w[1]));
    KvMessageBoxInfo* box = KvCurrentMessageBox();
    if (!box) Fail(l.number, "a message box to answer " + w[1], "no message box; " + ActiveName());
    if (n == 3 && w[2] != box->text) Fail(l.number, "a message box " + Quote(w[2]), "message box " + Quote(box->text));
    HWND b = GetDlgItem(box->window, id);
    if (!b) Fail(l.number, "a " + w[1] + " button", "message box " + Quote(box->text) + " without it");
    PostClick(KvWin(b));
    return KV_SCRIPT_DONE_LINE;
  }
  if (verb == "snapshot" && n == 2 && q[1]) {
    KvWindow* top = KvWin(KvActiveTopLevel());
    if (!top || !top->surface) {
      fprintf(stderr, "KV_SCRIPT line %d: a window to snapshot / %s\n", l.number, Captions().c_str());
      return KV_SCRIPT_DONE_LINE;
    }
    KvUpdateTree(top);
    if (!KvSurfaceWritePng(top->surface, w[1].c_str()))
      fprintf(stderr, "KV_SCRIPT line %d: cannot write %s\n", l.number, w[1].c_str());
    return KV_SCRIPT_DONE_LINE;
  }
  Fail(l.number, "a script line (wait, click, check, uncheck, type, settext, key, expect, answer, snapshot)",
       Quote(l.text));
  return KV_SCRIPT_NONE;
}

}  // namespace

int KvScriptStep(int timersPending) {
  if (!Load()) return KV_SCRIPT_NONE;
  if (g_script.next >= g_script.lines.size()) return KV_SCRIPT_USED_UP;
  const Line& l = g_script.lines[g_script.next];
  int r = Perform(l, timersPending);
  if (r == KV_SCRIPT_DONE_LINE) g_script.next++;
  return r;
}
