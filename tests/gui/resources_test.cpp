// Checks the resources compiled into Tavolin.exe: the main menu (every item's
// position, id, code page 932 text and state), the four icons, the version
// block and the manifest. The test program does not link the .rc itself, so
// it reads the resources of the built program next to it:
//   <build>/tests/gui/gui_tests.exe  ->  <build>/src/app/Tavolin.exe
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/path.h"
#include "resources/resource.h"

namespace {

// The ids are part of the program's interface (menu commands and the ranges
// the history and bookmark menus use); a changed number is a fault.
static_assert(IDM_REBUILD_INDEX == 40023);
static_assert(IDM_EXIT_WITHOUT_SAVE == 40022);
static_assert(IDM_EXIT == 40021);
static_assert(IDM_SETTINGS == 40017);
static_assert(IDM_CHANGE_KEY == 10081);
static_assert(IDM_CHANGE_DIR == 10082);
static_assert(IDM_HISTORY_DEFAULT == 10009);
static_assert(IDM_BOOKMARK_EDIT == 50000);
static_assert(IDM_SEARCH == 50020);
static_assert(IDM_CHECK_ALL == 40027);
static_assert(IDM_UNCHECK_ALL == 40028);
static_assert(IDM_HELP == 40031);
static_assert(IDM_VERSION == 40032);
static_assert(IDM_RUN_COMMANDS == 50010);
static_assert(IDM_HISTORY_FIRST == 1001 && IDM_BOOKMARK_FIRST == 1500 && IDM_JUMP_LAST == 1999);

struct Item {
  const char* text;
  UINT id;
  bool grayed;
};

struct TopItem {
  const char* text;
  UINT id;                  // for a plain item; 0 for a sub-menu
  std::vector<Item> items;  // the sub-menu's items
};

// The whole main menu, position by position. Literals are code page 932
// bytes (the sources are compiled with -fexec-charset=CP932).
const std::vector<TopItem>& expectedMenu() {
  static const std::vector<TopItem> menu = {
      {"ファイル(&F)", 0,
       {{"インデックスの再作成 (&I)", 40023, false},
        {"保存しないで終了 (&N)", 40022, false},
        {"終了(&E)", 40021, false}}},
      {"編集(&E)", 0,
       {{"設定", 40017, false}, {"キー変更", 10081, true}, {"ディレクトリ変更", 10082, true}}},
      {"履歴(&R)", 0, {{"default", 10009, false}}},
      {"ブックマーク (&B)", 0, {{"編集", 50000, false}}},
      {"検索(&S)", 50020, {}},
      {"チェック(&C)", 0,
       {{"一覧すべてにチェックを付ける", 40027, false}, {"一覧すべてチェックを外す", 40028, false}}},
      {"ヘルプ(&H)", 0, {{"ヘルプ", 40031, false}, {"バージョン", 40032, false}}},
  };
  return menu;
}

std::string programPath() {
  char buf[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  std::string here = tav::folderOf(std::string(buf, n));  // <build>\tests\gui\ .
  return here + "..\\..\\src\\app\\Tavolin.exe";
}

std::string menuText(HMENU menu, UINT pos) {
  char buf[512] = {};
  int n = GetMenuStringA(menu, pos, buf, sizeof buf, MF_BYPOSITION);
  return std::string(buf, n > 0 ? n : 0);
}

std::string hex(const std::string& s) {
  static const char* digits = "0123456789ABCDEF";
  std::string r;
  for (unsigned char c : s) {
    if (!r.empty()) r += ' ';
    r += digits[c >> 4];
    r += digits[c & 15];
  }
  return r;
}

// The raw bytes of a resource, or empty when it is missing.
std::string resourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
  HRSRC res = FindResourceA(module, name, type);
  if (!res) return {};
  HGLOBAL data = LoadResource(module, res);
  DWORD size = SizeofResource(module, res);
  const char* p = data ? static_cast<const char*>(LockResource(data)) : nullptr;
  return p ? std::string(p, size) : std::string();
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colors, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

// Width (0 means 256) and RT_ICON id of every image of an icon group.
std::vector<GroupIconEntry> groupEntries(HMODULE module, LPCSTR name) {
  std::string group = resourceBytes(module, name, RT_GROUP_ICON);
  std::vector<GroupIconEntry> entries;
  if (group.size() < 6) return entries;
  WORD count;
  std::memcpy(&count, group.data() + 4, 2);
  for (WORD i = 0; i < count && 6 + (i + 1) * sizeof(GroupIconEntry) <= group.size(); ++i) {
    GroupIconEntry e;
    std::memcpy(&e, group.data() + 6 + i * sizeof(GroupIconEntry), sizeof e);
    entries.push_back(e);
  }
  return entries;
}

// A function of a loaded DLL with its real type (through void(*)() so that
// the compiler accepts the cast).
template <typename Fn>
Fn procedure(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = programPath();
    module_ = LoadLibraryExA(path_.c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot load " << path_;
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  std::string path_;
  HMODULE module_ = nullptr;
};

TEST(ResourceTexts, LiteralsAndMenuTextsAreCodePage932) {
  // Without these two, a menu text compared here could be right in one
  // encoding and still wrong in the program.
  EXPECT_EQ(GetACP(), 932u) << "run under a Japanese locale (scripts/with-wine)";
  EXPECT_EQ(hex("ファイル(&F)"), "83 74 83 40 83 43 83 8B 28 26 46 29");
  EXPECT_EQ(hex("ソ表"), "83 5C 95 5C");
}

TEST_F(ProgramResources, MenuHasEveryItemWithItsIdTextAndState) {
  HMENU menu = LoadMenuA(module_, "IDR_MENU");
  ASSERT_NE(menu, nullptr);
  const auto& expected = expectedMenu();
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(expected.size()));
  for (UINT pos = 0; pos < expected.size(); ++pos) {
    const TopItem& top = expected[pos];
    SCOPED_TRACE("menu position " + std::to_string(pos));
    EXPECT_EQ(hex(menuText(menu, pos)), hex(top.text));
    HMENU sub = GetSubMenu(menu, pos);
    if (top.items.empty()) {
      EXPECT_EQ(sub, nullptr);
      EXPECT_EQ(GetMenuItemID(menu, pos), top.id);
      continue;
    }
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(GetMenuItemCount(sub), static_cast<int>(top.items.size()));
    for (UINT i = 0; i < top.items.size(); ++i) {
      const Item& item = top.items[i];
      SCOPED_TRACE("item " + std::to_string(i));
      EXPECT_EQ(GetMenuItemID(sub, i), item.id);
      EXPECT_EQ(hex(menuText(sub, i)), hex(item.text));
      UINT state = GetMenuState(sub, i, MF_BYPOSITION);
      EXPECT_EQ((state & MF_GRAYED) != 0, item.grayed);
      EXPECT_EQ(state & MF_SEPARATOR, 0u);
      EXPECT_EQ(state & MF_POPUP, 0u);
    }
  }
  DestroyMenu(menu);
}

TEST_F(ProgramResources, MenuTextsReadBackByCommandId) {
  // The window code changes items by command (history, key change): every id
  // must be found in the menu tree and name its own text.
  HMENU menu = LoadMenuA(module_, "IDR_MENU");
  ASSERT_NE(menu, nullptr);
  for (const TopItem& top : expectedMenu()) {
    std::vector<Item> all = top.items;
    if (top.items.empty()) all.push_back({top.text, top.id, false});
    for (const Item& item : all) {
      char buf[512] = {};
      int n = GetMenuStringA(menu, item.id, buf, sizeof buf, MF_BYCOMMAND);
      EXPECT_EQ(hex(std::string(buf, n > 0 ? n : 0)), hex(item.text)) << "id " << item.id;
    }
  }
  DestroyMenu(menu);
}

TEST_F(ProgramResources, FourIconsWithTheirSizes) {
  struct Want {
    const char* name;
    std::vector<int> sizes;
  };
  const std::vector<Want> wants = {
      {"IDI_ICON1", {16, 32, 48}},
      {"IDI_ICON3", {16, 32}},
      {"IDI_ICON4", {16, 32}},
      {"IDI_ICON5", {16, 32}},
  };
  std::vector<std::string> small;  // the 16-pixel images, to tell them apart
  for (const Want& w : wants) {
    SCOPED_TRACE(w.name);
    std::vector<GroupIconEntry> entries = groupEntries(module_, w.name);
    std::vector<int> widths;
    for (const auto& e : entries) {
      widths.push_back(e.width ? e.width : 256);
      EXPECT_EQ(e.width, e.height);
      if (e.width == 16) small.push_back(resourceBytes(module_, MAKEINTRESOURCEA(e.id), RT_ICON));
    }
    EXPECT_EQ(widths, w.sizes);
    for (int size : w.sizes) {
      HICON icon = static_cast<HICON>(LoadImageA(module_, w.name, IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << size;
      ICONINFO info = {};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP bm = {};
      ASSERT_NE(GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm), 0);
      EXPECT_EQ(bm.bmWidth, size);
      if (info.hbmColor) DeleteObject(info.hbmColor);
      if (info.hbmMask) DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
  // The list tells a folder, an unticked and a ticked note apart by these.
  ASSERT_EQ(small.size(), 4u);
  for (size_t i = 0; i < small.size(); ++i) {
    EXPECT_FALSE(small[i].empty());
    for (size_t j = i + 1; j < small.size(); ++j) EXPECT_NE(small[i], small[j]) << i << " " << j;
  }
}

// Pixels of the 16-pixel image of an icon, as 32-bit BGRA rows.
std::vector<RGBQUAD> iconPixels(HMODULE module, const char* name) {
  std::vector<RGBQUAD> pixels(16 * 16);
  HICON icon = static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 16, 16, 0));
  if (!icon) return {};
  ICONINFO info = {};
  GetIconInfo(icon, &info);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = 16;
  bi.bmiHeader.biHeight = -16;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(nullptr);
  int rows = info.hbmColor ? GetDIBits(dc, info.hbmColor, 0, 16, pixels.data(), &bi, DIB_RGB_COLORS) : 0;
  ReleaseDC(nullptr, dc);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  DestroyIcon(icon);
  if (rows != 16) return {};
  return pixels;
}

int countPixels(const std::vector<RGBQUAD>& pixels, bool (*pick)(const RGBQUAD&)) {
  int n = 0;
  for (const RGBQUAD& p : pixels) n += pick(p) ? 1 : 0;
  return n;
}

bool tickGreen(const RGBQUAD& p) { return p.rgbGreen > p.rgbRed + 60 && p.rgbGreen > p.rgbBlue + 40; }
bool folderYellow(const RGBQUAD& p) { return p.rgbRed > 180 && p.rgbGreen > 120 && p.rgbBlue < 100; }

TEST_F(ProgramResources, TickedNoteIsTheOneWithTheTick) {
  // The list shows IDI_ICON5 for a ticked note and IDI_ICON4 for an unticked
  // one: only the ticked one carries the green tick, and IDI_ICON3 is the folder.
  std::vector<RGBQUAD> folder = iconPixels(module_, "IDI_ICON3");
  std::vector<RGBQUAD> unticked = iconPixels(module_, "IDI_ICON4");
  std::vector<RGBQUAD> ticked = iconPixels(module_, "IDI_ICON5");
  ASSERT_FALSE(folder.empty());
  ASSERT_FALSE(unticked.empty());
  ASSERT_FALSE(ticked.empty());
  EXPECT_GE(countPixels(ticked, tickGreen), 8);
  EXPECT_EQ(countPixels(unticked, tickGreen), 0);
  EXPECT_EQ(countPixels(folder, tickGreen), 0);
  EXPECT_GE(countPixels(folder, folderYellow), 64);
  EXPECT_EQ(countPixels(unticked, folderYellow), 0);
}

TEST_F(ProgramResources, IconsAreFoundByNameOnly) {
  // LoadIconA with the plain names must work; a #defined number would hide them.
  for (const char* name : {"IDI_ICON1", "IDI_ICON3", "IDI_ICON4", "IDI_ICON5"}) {
    EXPECT_NE(FindResourceA(module_, name, RT_GROUP_ICON), nullptr) << name;
  }
  EXPECT_NE(FindResourceA(module_, "IDR_MENU", RT_MENU), nullptr);
}

TEST_F(ProgramResources, VersionBlock) {
  // version.dll is loaded here so that the test program needs no extra library.
  HMODULE ver = LoadLibraryA("version.dll");
  ASSERT_NE(ver, nullptr);
  using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
  auto size = procedure<SizeFn>(ver, "GetFileVersionInfoSizeA");
  auto info = procedure<InfoFn>(ver, "GetFileVersionInfoA");
  auto query = procedure<QueryFn>(ver, "VerQueryValueA");
  ASSERT_TRUE(size && info && query);

  DWORD handle = 0;
  DWORD n = size(path_.c_str(), &handle);
  ASSERT_GT(n, 0u);
  std::vector<char> block(n);
  ASSERT_TRUE(info(path_.c_str(), 0, n, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(query(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &len));
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(1, 0)));  // 0.1
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);                                   // .0.0
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  auto value = [&](const char* key) {
    char* text = nullptr;
    UINT chars = 0;
    std::string q = std::string("\\StringFileInfo\\041104B0\\") + key;
    if (!query(block.data(), q.c_str(), reinterpret_cast<LPVOID*>(&text), &chars) || !text) return std::string("(missing)");
    return std::string(text);
  };
  EXPECT_EQ(value("ProductName"), "Tavolin");
  EXPECT_EQ(value("FileVersion"), "0.1.0");
  EXPECT_EQ(value("ProductVersion"), "0.1.0");
  EXPECT_EQ(value("OriginalFilename"), "Tavolin.exe");

  DWORD* translation = nullptr;
  ASSERT_TRUE(query(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&translation), &len));
  ASSERT_GE(len, 4u);
  EXPECT_EQ(LOWORD(*translation), 0x0411);  // Japanese
  EXPECT_EQ(HIWORD(*translation), 1200);    // Unicode strings
  FreeLibrary(ver);
}

TEST_F(ProgramResources, ManifestActivatesCommonControls6) {
  // Build an activation context from the program's own manifest and ask it
  // where comctl32.dll comes from: only a resolved dependency on common
  // controls 6 redirects it (to the side-by-side store).
  ACTCTXA ctx = {};
  ctx.cbSize = sizeof ctx;
  ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  ctx.lpSource = path_.c_str();
  ctx.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE h = CreateActCtxA(&ctx);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  ULONG_PTR cookie = 0;
  ASSERT_TRUE(ActivateActCtx(h, &cookie));
  ACTCTX_SECTION_KEYED_DATA data = {};
  data.cbSize = sizeof data;
  BOOL redirected = FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                             "comctl32.dll", &data);
  DeactivateActCtx(0, cookie);
  ReleaseActCtx(h);
  EXPECT_TRUE(redirected) << "error " << GetLastError();
}

TEST_F(ProgramResources, ManifestAsksForCommonControls6AndNamesWindows7To11) {
  std::string m = resourceBytes(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_FALSE(m.empty());
  auto has = [&](const char* s) { return m.find(s) != std::string::npos; };
  EXPECT_TRUE(has("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
  EXPECT_TRUE(has("level=\"asInvoker\""));
  EXPECT_TRUE(has("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"));  // 7
  EXPECT_TRUE(has("{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"));  // 8
  EXPECT_TRUE(has("{1f676c76-80e1-4239-95bb-83d0f6d0da78}"));  // 8.1
  EXPECT_TRUE(has("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"));  // 10 and 11
}

}  // namespace
