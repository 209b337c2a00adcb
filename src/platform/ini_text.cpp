#include "platform/ini_text.h"

#include <vector>

namespace tav {

namespace {

struct Line {
  std::string text;  // without the line end
  std::string end;   // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> splitLines(const std::string& text) {
  std::vector<Line> lines;
  std::size_t p = 0;
  while (p < text.size()) {
    std::size_t lf = text.find('\n', p);
    if (lf == std::string::npos) {
      lines.push_back({text.substr(p), ""});
      break;
    }
    std::size_t end = lf;
    std::string ending = "\n";
    if (end > p && text[end - 1] == '\r') {
      --end;
      ending = "\r\n";
    }
    lines.push_back({text.substr(p, end - p), ending});
    p = lf + 1;
  }
  return lines;
}

std::string trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

bool equalsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// Section name of a "[name]" line, or nothing.
std::optional<std::string> sectionName(const std::string& line) {
  std::string t = trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  std::size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return trim(t.substr(1, close - 1));
}

// Key of a "key=value" line, or nothing (comments and blank lines).
std::optional<std::string> keyOf(const std::string& line, std::string* value) {
  std::string t = trim(line);
  if (t.empty() || t[0] == ';') return std::nullopt;
  std::size_t eq = t.find('=');
  if (eq == std::string::npos) return std::nullopt;
  if (value) *value = trim(t.substr(eq + 1));
  return trim(t.substr(0, eq));
}

}  // namespace

std::optional<std::string> iniLookup(const std::string& text, const std::string& section,
                                     const std::string& key) {
  bool inSection = false;
  for (const Line& l : splitLines(text)) {
    if (auto s = sectionName(l.text)) {
      inSection = equalsNoCase(*s, section);
      continue;
    }
    if (!inSection) continue;
    std::string value;
    auto k = keyOf(l.text, &value);
    if (k && equalsNoCase(*k, key)) {
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      return value;
    }
  }
  return std::nullopt;
}

std::string iniReplace(const std::string& text, const std::string& section,
                       const std::string& key, const std::string& value) {
  std::vector<Line> lines = splitLines(text);
  const std::string newLine = key + "=" + value;
  int sectionAt = -1;   // the section's header line
  int lastEntry = -1;   // the section's last non-blank line
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (auto s = sectionName(lines[i].text)) {
      if (inSection) break;  // the section ended
      inSection = equalsNoCase(*s, section);
      if (inSection) sectionAt = lastEntry = static_cast<int>(i);
      continue;
    }
    if (!inSection) continue;
    auto k = keyOf(lines[i].text, nullptr);
    if (k && equalsNoCase(*k, key)) {
      lines[i].text = newLine;
      std::string out;
      for (const Line& l : lines) out += l.text + l.end;
      return out;
    }
    if (!trim(lines[i].text).empty()) lastEntry = static_cast<int>(i);
  }
  if (sectionAt >= 0) {
    if (lines[lastEntry].end.empty()) lines[lastEntry].end = "\r\n";
    lines.insert(lines.begin() + lastEntry + 1, Line{newLine, "\r\n"});
  } else {
    if (!lines.empty() && lines.back().end.empty()) lines.back().end = "\r\n";
    lines.push_back({"[" + section + "]", "\r\n"});
    lines.push_back({newLine, "\r\n"});
  }
  std::string out;
  for (const Line& l : lines) out += l.text + l.end;
  return out;
}

}  // namespace tav
