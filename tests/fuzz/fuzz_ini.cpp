// "init.ini": the INI reader and writer, and the settings read from it.
// Properties: the settings keep their limits (255 bytes, whole characters, a
// known data folder, no empty key that must have a value); only "init.ini"
// and "start_end.log" are touched; a plain value written reads back as it
// was, and writing one key leaves every other key's value alone; the settings
// written at close read back the same.
#include <vector>

#include "fuzz_check.h"
#include "mem_files.h"
#include "platform/ini_text.h"
#include "platform/path.h"
#include "platform/platform.h"
#include "settings/settings.h"

namespace {

// A value that the INI format keeps as it is: one line, no blanks at the
// ends, not enclosed in quotes (which the reader takes off, as Windows does).
bool plainValue(const std::string& v) {
  if (v.find_first_of("\r\n") != std::string::npos) return false;
  if (!v.empty() && (v.front() == ' ' || v.front() == '\t' || v.back() == ' ' || v.back() == '\t'))
    return false;
  return !(v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front());
}

// A name usable as a key or section: one line, trimmed, without the marks
// that make a line something else.
bool plainName(const std::string& n) {
  return !n.empty() && plainValue(n) && n.find_first_of("=[];") == std::string::npos &&
         n.find('"') == std::string::npos;
}

// Names compare without ASCII case, as the reader compares them.
bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

bool wholeCharacters(const std::string& v) { return tav::isCharStart(v, v.size()); }

void checkSettings(const tav::Settings& s) {
  for (const std::string* v : {&s.defdir, &s.data, &s.warp, &s.worklog, &s.current}) {
    FUZZ_CHECK(v->size() <= 255, "a value is seen up to 255 bytes");
    FUZZ_CHECK(wholeCharacters(*v), "a cut value keeps whole characters");
  }
  FUZZ_CHECK(s.backup.size() <= 8, "backup is seen up to 8 bytes");
  FUZZ_CHECK(!s.defdir.empty() && !s.warp.empty() && !s.worklog.empty() && !s.current.empty(),
             "keys that must have a value have one");
  FUZZ_CHECK(s.dataFolder() == "data" || s.dataFolder() == "data2", "the data folder is data or data2");
}

void checkOnlyOwnFiles() {
  for (const fuzzfs::Access& a : fuzzfs::journal())
    FUZZ_CHECK(a.path == std::string(fuzzfs::kExeDir) + "init.ini" ||
                   a.path == std::string(fuzzfs::kExeDir) + "start_end.log",
               "settings touch only init.ini and start_end.log");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzsupport::Split in(data, size);
  FuzzedDataProvider& fdp = in.choices;
  const std::string text(in.text);

  // The reader and writer on the raw text.
  std::string section = fuzzsupport::pick(fdp, 8), key = fuzzsupport::pick(fdp, 8);
  if (!plainName(section)) section = "ini";
  if (!plainName(key)) key = "defdir";
  std::string value = fuzzsupport::pick(fdp, 40);
  if (plainValue(value)) {
    std::vector<std::pair<std::string, std::string>> probes = {
        {"ini", "defdir"}, {"ini", "data"}, {"ini", "current"}, {"ini", "EndTime"},
        {"etc", "backup"}, {section, "x"}, {"x", key}};
    std::vector<std::optional<std::string>> before;
    for (const auto& [s, k] : probes) before.push_back(tav::iniLookup(text, s, k));
    std::string changed = tav::iniReplace(text, section, key, value);
    FUZZ_CHECK(tav::iniLookup(changed, section, key) == value, "a written value reads back");
    for (std::size_t i = 0; i < probes.size(); ++i) {
      const auto& [s, k] = probes[i];
      if (!(sameName(s, section) && sameName(k, key))) FUZZ_CHECK(tav::iniLookup(changed, s, k) == before[i], "other keys keep their values");
    }
  }

  // The settings read at start, then written at close and read again.
  fuzzfs::reset();
  fuzzfs::putFile("init.ini", text);
  tav::setClock([] { return std::time_t(1796644800); });  // 2026-12-07
  tav::Settings s;
  tav::loadSettings(s);
  checkSettings(s);
  std::string box = fuzzsupport::pick(fdp, 300);
  box.erase(std::remove_if(box.begin(), box.end(), [](char c) { return c == '\r' || c == '\n'; }), box.end());
  tav::writeSettingsAtClose(s, box);
  tav::Settings t;
  tav::loadSettings(t);
  checkSettings(t);
  checkOnlyOwnFiles();
  for (auto [a, b] : {std::pair{&s.defdir, &t.defdir}, {&s.warp, &t.warp}, {&s.worklog, &t.worklog},
                      {&s.current, &t.current}})
    if (plainValue(*a)) FUZZ_CHECK(*a == *b, "settings written at close read back the same");
  FUZZ_CHECK(s.ctrl_T == t.ctrl_T && s.sideSize2 == t.sideSize2, "numbers read back the same");
  if (plainValue(box)) {
    std::string seen = box.substr(0, box.size() > 255 && !tav::isCharStart(box, 255) ? 254 : 255);
    if (t.data != seen)
      std::fprintf(stderr, "wrote %s\nread  %s\n", fuzzsupport::printable(seen).c_str(),
                   fuzzsupport::printable(t.data).c_str());
    FUZZ_CHECK(t.data == seen, "the keyword box text reads back (up to 255 bytes)");
  }
  tav::setClock({});
  return 0;
}
