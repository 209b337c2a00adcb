// Shell, clipboard, volume and text-mapping services on Windows.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "platform/system.h"

namespace tav {

int shellOpen(const std::string& file, const std::optional<std::string>& params) {
  HINSTANCE r = ShellExecuteA(nullptr, "open", file.c_str(), params ? params->c_str() : nullptr,
                              nullptr, SW_SHOWNORMAL);
  return static_cast<int>(reinterpret_cast<INT_PTR>(r));
}

bool setClipboardText(const std::string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
  if (!block) return false;
  void* p = GlobalLock(block);
  if (!p) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(p, text.c_str(), text.size() + 1);
  GlobalUnlock(block);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  // Once SetClipboardData succeeds the clipboard owns the block.
  bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
  CloseClipboard();
  if (!ok) GlobalFree(block);
  return ok;
}

std::optional<std::string> clipboardText() {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> out;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(h))) {
      SIZE_T cap = GlobalSize(h);
      out = std::string(p, strnlen(p, cap));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return out;
}

std::string machineName() {
  char buf[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD n = sizeof buf;
  return GetComputerNameA(buf, &n) ? std::string(buf, n) : std::string();
}

std::optional<VolumeSpace> volumeSpace(const std::string& path) {
  ULARGE_INTEGER avail {}, total {}, totalFree {};
  if (!GetDiskFreeSpaceExA(path.c_str(), &avail, &total, &totalFree)) return std::nullopt;
  VolumeSpace v;
  v.freeBytes = totalFree.QuadPart;
  v.totalBytes = total.QuadPart;
  return v;
}

namespace {

DWORD mapFlag(TextMap how) {
  switch (how) {
    case TextMap::FullWidth: return LCMAP_FULLWIDTH;
    case TextMap::HalfWidth: return LCMAP_HALFWIDTH;
    case TextMap::Katakana: return LCMAP_KATAKANA;
    case TextMap::Hiragana: return LCMAP_HIRAGANA;
  }
  return LCMAP_FULLWIDTH;
}

std::optional<std::string> lcMap(std::string_view text, DWORD flag) {
  if (text.size() > 0x3FFFFFF0u) return std::nullopt;
  // Every mapping fits in two bytes per source byte; the NUL is mapped along.
  std::string src(text);
  int n = static_cast<int>(src.size());
  std::string dst(2 * src.size() + 1, '\0');
  int got = LCMapStringA(GetUserDefaultLCID(), flag, src.c_str(), n + 1, &dst[0],
                         static_cast<int>(dst.size()));
  if (got <= 0) return std::nullopt;
  dst.resize(static_cast<std::size_t>(got));
  std::size_t nul = dst.find('\0');
  if (nul != std::string::npos) dst.resize(nul);
  return dst;
}

bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::size_t questionMarks(std::string_view s) {
  std::size_t n = 0;
  for (char c : s) n += c == '?';
  return n;
}

// Question marks the mapping may rightly give: those of the source, and the
// full-width one (81 48) turned half-width.
std::size_t expectedMarks(std::string_view s, DWORD flag) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c == '?') {
      ++n;
    } else if (isLead(c) && i + 1 < s.size()) {
      if (flag == LCMAP_HALFWIDTH && c == 0x81 && s[i + 1] == 0x48) ++n;
      ++i;
    }
  }
  return n;
}

// One character, or a half-width kana with its voicing mark. A mapping whose
// result has no code page 932 form comes back as '?': then the piece's
// characters are mapped one by one, and a character that still has no form
// keeps its own (turning arrows or small ka into '?' would lose text).
std::string mapPiece(std::string_view piece, DWORD flag) {
  std::optional<std::string> r = lcMap(piece, flag);
  if (r && questionMarks(*r) <= expectedMarks(piece, flag)) return *r;
  if (piece.size() == 2 && !isLead(static_cast<unsigned char>(piece[0])))
    return mapPiece(piece.substr(0, 1), flag) + mapPiece(piece.substr(1), flag);
  return std::string(piece);
}

}  // namespace

std::optional<std::string> mapText(std::string_view text, TextMap how) {
  DWORD flag = mapFlag(how);
  std::optional<std::string> whole = lcMap(text, flag);
  if (!whole) return std::nullopt;
  if (questionMarks(*whole) <= expectedMarks(text, flag)) return whole;
  std::string out;
  out.reserve(whole->size());
  std::size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    std::size_t len = 1;
    if (isLead(c) && i + 1 < text.size()) {
      len = 2;
    } else if (c >= 0xA1 && c <= 0xDF && i + 1 < text.size()) {
      auto next = static_cast<unsigned char>(text[i + 1]);
      if (next == 0xDE || next == 0xDF) len = 2;
    }
    out += mapPiece(text.substr(i, len), flag);
    i += len;
  }
  return out;
}

}  // namespace tav
