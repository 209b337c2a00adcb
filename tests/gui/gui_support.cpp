#include "gui_support.h"

#include <commctrl.h>

#include <cstdio>

#include "app/app.h"
#include "settings/settings.h"
#include "store/note.h"
#include "ui/open_keyword.h"

using tav::app;

namespace tavgui {

void pump() {
  MSG m;
  for (int round = 0; round < 3; ++round) {
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(1);
  }
}

void pumpFor(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  do {
    pump();
    Sleep(10);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

std::string statusText(int part) {
  char buf[512] = {0};
  SendMessageA(app().statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(buf));
  return buf;
}

void key(HWND w, WPARAM vk) {
  SendMessageA(w, WM_KEYDOWN, vk, 1);
  pump();
  HWND target = GetFocus() ? GetFocus() : w;
  if (IsWindow(target)) SendMessageA(target, WM_KEYUP, vk, 0xC0000001);
  pump();
}

void openKeyword(const std::string& keyword) {
  HWND box = app().keywordBox;
  SetFocus(box);
  SetWindowTextA(box, keyword.c_str());
  key(box, VK_RETURN);
}

void type(HWND w, const std::string& text) {
  for (char c : text) {
    SHORT vk = VkKeyScanA(c);
    SendMessageA(w, WM_KEYDOWN, LOBYTE(vk), 1);
    SendMessageA(w, WM_CHAR, static_cast<unsigned char>(c), 1);
    SendMessageA(w, WM_KEYUP, LOBYTE(vk), 0xC0000001);
    pump();
  }
}

void realKeys(HWND top, const std::vector<WORD>& vks) {
  SetForegroundWindow(top);
  pump();
  for (WORD vk : vks) {
    sendKeys({vk});
    for (int i = 0; i < 5; ++i) pump();
  }
}

namespace {

BOOL CALLBACK findDialog(HWND w, LPARAM found) {
  char cls[32] = {0};
  GetClassNameA(w, cls, sizeof cls);
  if (std::string(cls) == "#32770" && IsWindowVisible(w)) {
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND visibleDialog() {
  HWND dlg = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dlg));
  return dlg;
}

RECT childRect(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void realChord(HWND top, const std::vector<WORD>& modifiers, WORD vk) {
  SetForegroundWindow(top);
  pump();
  std::vector<INPUT> in;
  auto add = [&in](WORD k, DWORD flags) {
    INPUT i {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = flags;
    in.push_back(i);
  };
  for (WORD m : modifiers) add(m, 0);
  add(vk, 0);
  add(vk, KEYEVENTF_KEYUP);
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) add(*m, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  for (int i = 0; i < 5; ++i) pump();
}

void sendKeys(const std::vector<WORD>& vks) {
  for (WORD vk : vks) {
    INPUT in[2] = {};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = vk;
    in[1] = in[0];
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
  }
}

std::vector<std::string> listRows() {
  std::vector<std::string> rows;
  HWND list = app().keywordList;
  int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char col0[256] = {0}, col1[256] = {0};
    LVITEMA it {};
    it.iSubItem = 0;
    it.pszText = col0;
    it.cchTextMax = sizeof col0;
    SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
    it.iSubItem = 1;
    it.pszText = col1;
    it.cchTextMax = sizeof col1;
    SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
    rows.push_back(std::string(col0) + "|" + col1);
  }
  return rows;
}

void Held::set(BYTE v) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[vk_] = v;
  SetKeyboardState(keys);
}

void MainWindowTest::start(const std::vector<Seed>& seeds) {
  std::string index;
  for (const Seed& s : seeds) {
    CreateDirectoryA(dir_.path("data").c_str(), nullptr);
    CreateDirectoryA((dir_.path("data\\") + tav::keyFolder(s.key)).c_str(), nullptr);
    tavtest::writeFileBytes(dir_.path("data\\") + s.key,
                            tav::composeNoteFile(s.keyword, s.caret, s.checked, s.body));
    index += s.key + "," + std::to_string(s.caret) + "," + (s.checked ? "1" : "0") + ",0," +
             s.keyword + "\n";
  }
  if (!seeds.empty()) tavtest::writeFileBytes(dir_.path("data\\index2.txt"), index);

  tav::App& a = app();
  a = tav::App();
  a.instance = GetModuleHandleA(nullptr);
  tav::loadSettings(a.settings);
  // Classes registered here are removed again at the end, so every test
  // starts from the same state whatever ran before it.
  WNDCLASSA existing;
  if (!GetClassInfoA(a.instance, tav::kMainClass, &existing)) {
    ASSERT_TRUE(tav::registerClasses(a.instance));
    registeredHere_ = true;
  }
  main_ = tav::createMainWindow(a.instance);
  ASSERT_NE(nullptr, main_);
  SetForegroundWindow(main_);
  pump();
}

std::vector<MainWindowTest::Seed> MainWindowTest::numbered(int n, const std::string& keyword,
                                                           const std::string& body,
                                                           const std::string& folder, int folders) {
  std::vector<Seed> seeds;
  for (int i = 0; i < n; ++i) {
    char file[32];
    std::snprintf(file, sizeof file, "20110101%06d0000", i);
    const std::string sub = folders > 0 ? folder + std::to_string(i % folders) : "default";
    seeds.push_back({sub + "/" + file, keyword + std::to_string(i), 0, false, body});
  }
  return seeds;
}

void MainWindowTest::TearDown() {
  if (main_ && IsWindow(main_)) {
    app().ui.saveOnExit = false;
    SendMessageA(main_, WM_CLOSE, 0, 0);
  }
  pump();
  if (app().listImages) ImageList_Destroy(app().listImages);
  app().listImages = nullptr;
  if (registeredHere_) {
    UnregisterClassA(tav::kMainClass, app().instance);
    UnregisterClassA("CHILD", app().instance);
    registeredHere_ = false;
  }
}

void MainWindowTest::close() {
  SendMessageA(main_, WM_CLOSE, 0, 0);
  pump();
  main_ = nullptr;
}

}  // namespace tavgui
