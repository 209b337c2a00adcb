// Shell, clipboard, volume and text-mapping services off Windows. The width
// and kana tables give the bytes that LCMapStringA gives under a Japanese
// locale for ASCII, the ideographic space, half-width katakana (voicing marks
// included), hiragana and katakana; anything else passes unchanged.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "platform/path.h"
#include "platform/system.h"

namespace tav {

// ---------------------------------------------------------------- shell

namespace {

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool onSearchPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return isExecutableFile(name);
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string dirs(path);
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t colon = dirs.find(':', start);
    std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!dir.empty() && isExecutableFile(dir + "/" + name)) return true;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return false;
}

// Parameters as one command-line text, cut at blanks; double quotes group.
std::vector<std::string> splitParams(const std::string& params) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, any = false;
  for (char c : params) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) out.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += c;
      any = true;
    }
  }
  if (any) out.push_back(cur);
  return out;
}

// Starts argv detached (double fork), so no child is left to reap.
bool spawnDetached(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    ::setsid();
    if (::fork() == 0) {
      int devnull = ::open("/dev/null", O_RDWR);
      if (devnull >= 0) {
        ::dup2(devnull, 0);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
      }
      ::execvp(argv[0], argv.data());
      ::_exit(127);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return true;
}

}  // namespace

int shellOpen(const std::string& file, const std::optional<std::string>& params) {
  const int kFileNotFound = 2, kSuccess = 42;
  if (file.empty()) return kFileNotFound;
  std::vector<std::string> args;
  if (onSearchPath(file)) {
    args.push_back(file);
    if (params) {
      std::vector<std::string> more = splitParams(*params);
      args.insert(args.end(), more.begin(), more.end());
    }
  } else if (::access(file.c_str(), F_OK) == 0 || file.find("://") != std::string::npos) {
    args = {"xdg-open", file};
  } else {
    return kFileNotFound;
  }
  return spawnDetached(args) ? kSuccess : 0;
}

// ------------------------------------------------------------ clipboard

namespace {
// Without a window system the clipboard lives in the process.
std::optional<std::string>& clipboardStore() {
  static std::optional<std::string> text;
  return text;
}
}  // namespace

bool setClipboardText(const std::string& text) {
  clipboardStore() = text;
  return true;
}

std::optional<std::string> clipboardText() { return clipboardStore(); }

// --------------------------------------------------------------- volume

std::string machineName() {
  char buf[256] = {};
  return ::gethostname(buf, sizeof buf - 1) == 0 ? std::string(buf) : std::string();
}

std::optional<VolumeSpace> volumeSpace(const std::string& path) {
  std::string target = path;
  bool driveLetter = path.size() == 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (driveLetter) {
    target = "/";
  } else if (target.size() > 1 && target.back() == ':') {
    target.pop_back();  // "/home:" is the folder /home; "C::" stays unknown
  }
  struct statvfs st {};
  if (target.empty() || ::statvfs(target.c_str(), &st) != 0) return std::nullopt;
  VolumeSpace v;
  v.freeBytes = static_cast<std::uint64_t>(st.f_bfree) * st.f_frsize;
  v.totalBytes = static_cast<std::uint64_t>(st.f_blocks) * st.f_frsize;
  return v;
}

// ------------------------------------------------------ width and kana

namespace {

// Full-width forms of ASCII 0x21..0x7E. The backslash keeps its form, as the
// Japanese mapping does (0 = no counterpart).
const std::uint16_t kFullAscii[94] = {
    0x8149, 0xFA57, 0x8194, 0x8190, 0x8193, 0x8195, 0xFA56, 0x8169, 0x816A, 0x8196, 0x817B,
    0x8143, 0x817C, 0x8144, 0x815E, 0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255,
    0x8256, 0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197, 0x8260,
    0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266, 0x8267, 0x8268, 0x8269, 0x826A, 0x826B,
    0x826C, 0x826D, 0x826E, 0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,
    0x8277, 0x8278, 0x8279, 0x816D, 0,      0x816E, 0x814F, 0x8151, 0x814D, 0x8281, 0x8282,
    0x8283, 0x8284, 0x8285, 0x8286, 0x8287, 0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D,
    0x828E, 0x828F, 0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297, 0x8298,
    0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160};

// Full-width forms of the half-width katakana 0xA1..0xDF.
const std::uint16_t kFullKana[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};

const unsigned char kVoiced = 0xDE, kSemiVoiced = 0xDF;
const std::uint16_t kVu = 0x8394;  // ヴ

// Voiced full-width form of half-width kana c with ﾞ, or 0.
std::uint16_t voicedOf(unsigned char c) {
  if ((c >= 0xB6 && c <= 0xC4) || (c >= 0xCA && c <= 0xCE)) return kFullKana[c - 0xA1] + 1;
  if (c == 0xB3) return kVu;
  return 0;
}
// Semi-voiced full-width form of half-width kana c with ﾟ, or 0.
std::uint16_t semiVoicedOf(unsigned char c) {
  return (c >= 0xCA && c <= 0xCE) ? kFullKana[c - 0xA1] + 2 : 0;
}

// Full-width double-byte code -> its half-width bytes (one or two).
const std::unordered_map<std::uint16_t, std::string>& halfWidthTable() {
  static const std::unordered_map<std::uint16_t, std::string> table = [] {
    std::unordered_map<std::uint16_t, std::string> t;
    t[0x8140] = " ";
    for (int c = 0x21; c <= 0x7E; ++c)
      if (kFullAscii[c - 0x21]) t[kFullAscii[c - 0x21]] = std::string(1, static_cast<char>(c));
    // Second encodings of the same full-width characters.
    t[0xEEFC] = "\"";
    t[0xEEFB] = "'";
    t[0xFA55] = "|";  // ￤
    t[0xEEFA] = "|";
    t[0x818F] = "\\";  // ￥, shown as the yen sign in Japanese fonts
    for (int c = 0xA1; c <= 0xDF; ++c) {
      auto b = static_cast<unsigned char>(c);
      t[kFullKana[c - 0xA1]] = std::string(1, static_cast<char>(b));
      if (std::uint16_t v = voicedOf(b)) t[v] = std::string{static_cast<char>(b), static_cast<char>(kVoiced)};
      if (std::uint16_t s = semiVoicedOf(b))
        t[s] = std::string{static_cast<char>(b), static_cast<char>(kSemiVoiced)};
    }
    return t;
  }();
  return table;
}

// Hiragana ぁ..ん are 0x829F..0x82F1; katakana ァ..ン the same 83 letters
// from 0x8340, with no code at 0x837F.
const std::uint16_t kHiraFirst = 0x829F, kHiraLast = 0x82F1;
std::uint16_t katakanaAt(unsigned i) { return static_cast<std::uint16_t>(0x8340 + i + (i >= 0x3F ? 1 : 0)); }
int katakanaIndex(std::uint16_t code) {
  if (code < 0x8340 || code == 0x837F || code > 0x8393) return -1;
  return code - 0x8340 - (code > 0x837F ? 1 : 0);
}
const std::uint16_t kHiraRepeat = 0x8154, kHiraRepeatVoiced = 0x8155;  // ゝゞ
const std::uint16_t kKataRepeat = 0x8152, kKataRepeatVoiced = 0x8153;  // ヽヾ

void putCode(std::string& out, std::uint16_t code) {
  out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

}  // namespace

std::optional<std::string> mapText(std::string_view text, TextMap how) {
  std::string out;
  out.reserve(how == TextMap::FullWidth ? text.size() * 2 : text.size());
  const auto& half = halfWidthTable();
  std::size_t i = 0, n = text.size();
  while (i < n) {
    auto c = static_cast<unsigned char>(text[i]);
    if (isLeadByte(c) && i + 1 < n) {
      auto code = static_cast<std::uint16_t>((c << 8) | static_cast<unsigned char>(text[i + 1]));
      std::uint16_t mapped = code;
      if (how == TextMap::HalfWidth) {
        auto it = half.find(code);
        if (it != half.end()) {
          out += it->second;
          i += 2;
          continue;
        }
      } else if (how == TextMap::Katakana) {
        if (code >= kHiraFirst && code <= kHiraLast) mapped = katakanaAt(code - kHiraFirst);
        else if (code == kHiraRepeat) mapped = kKataRepeat;
        else if (code == kHiraRepeatVoiced) mapped = kKataRepeatVoiced;
      } else if (how == TextMap::Hiragana) {
        int k = katakanaIndex(code);
        // ヴ, ヵ and ヶ have no hiragana in code page 932 and stay.
        if (k >= 0 && k <= static_cast<int>(kHiraLast - kHiraFirst)) mapped = static_cast<std::uint16_t>(kHiraFirst + k);
        else if (code == kKataRepeat) mapped = kHiraRepeat;
        else if (code == kKataRepeatVoiced) mapped = kHiraRepeatVoiced;
      }
      putCode(out, mapped);
      i += 2;
      continue;
    }
    if (how == TextMap::FullWidth) {
      if (c == 0x20) {
        putCode(out, 0x8140);
      } else if (c >= 0x21 && c <= 0x7E && kFullAscii[c - 0x21]) {
        putCode(out, kFullAscii[c - 0x21]);
      } else if (c >= 0xA1 && c <= 0xDF) {
        unsigned char next = i + 1 < n ? static_cast<unsigned char>(text[i + 1]) : 0;
        std::uint16_t joined = next == kVoiced ? voicedOf(c) : next == kSemiVoiced ? semiVoicedOf(c) : 0;
        if (joined) {
          putCode(out, joined);
          i += 2;
          continue;
        }
        putCode(out, kFullKana[c - 0xA1]);
      } else {
        out += static_cast<char>(c);
      }
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out;
}

}  // namespace tav
