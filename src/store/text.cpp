#include "store/text.h"

#include <cstdlib>

#include "platform/path.h"

namespace tav {

std::size_t countTokens(std::string_view text, char sep) {
  std::size_t n = 0;
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == sep) {
      ++n;
      last = i;
    }
  }
  std::size_t restStart = last == std::string_view::npos ? 0 : last + 1;
  if (restStart < text.size()) ++n;
  return n;
}

std::size_t splitText(std::string_view text, std::vector<std::string>& out, char sep) {
  if (text.empty()) return 0;
  std::size_t count = 0;
  std::size_t start = 0;
  for (;;) {
    std::size_t p = text.find(sep, start);
    if (p == std::string_view::npos) {
      if (start < text.size()) {
        out.emplace_back(text.substr(start));
        ++count;
      }
      break;
    }
    out.emplace_back(text.substr(start, p - start));
    ++count;
    start = p + 1;
  }
  return count;
}

std::string copyRange(std::string_view text, std::size_t start, std::size_t end) {
  if (end > text.size()) end = text.size();
  if (start >= end) return std::string();
  return std::string(text.substr(start, end - start));
}

std::string trimSeparator(std::string_view text, char c, bool frame) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == c) ++b;
  while (e > b && text[e - 1] == c) --e;
  std::string out;
  out.reserve(e - b + 2);
  if (frame) out += c;
  out.append(text.substr(b, e - b));
  if (frame) out += c;
  return out;
}

std::string commaField(std::string_view text, int n) {
  if (n <= 0) return std::string();
  std::size_t start = 0;
  for (int i = 1; i < n; ++i) {
    std::size_t p = text.find(',', start);
    if (p == std::string_view::npos) return std::string();
    start = p + 1;
  }
  std::size_t end = text.find(',', start);
  return std::string(text.substr(start, end == std::string_view::npos ? text.size() - start
                                                                       : end - start));
}

std::string commaTail(std::string_view text, int n) {
  if (n <= 0) return std::string();
  std::size_t start = 0;
  for (int i = 1; i < n; ++i) {
    std::size_t p = text.find(',', start);
    if (p == std::string_view::npos) return std::string();
    start = p + 1;
  }
  return std::string(text.substr(start));
}

std::optional<std::string> extractTag(std::string_view text, std::string_view tag) {
  std::string open = "<" + std::string(tag) + ">";
  std::string close = "</" + std::string(tag) + ">";
  std::size_t b = text.find(open);
  if (b == std::string_view::npos) return std::nullopt;
  b += open.size();
  std::size_t e = text.find(close, b);
  if (e == std::string_view::npos) e = text.size();
  return std::string(text.substr(b, e - b));
}

std::string intToText(long long value) { return std::to_string(value); }

int textToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool neg = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > 0x7FFFFFFFLL) v = 0x80000000LL;  // saturate instead of overflowing
  }
  if (neg) v = -v;
  if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL;
  if (v < -0x80000000LL) v = -0x80000000LL;
  return static_cast<int>(v);
}

std::string restOfLine(std::string_view text, std::size_t offset) {
  if (offset >= text.size()) return std::string();
  std::size_t cr = text.find('\r', offset);
  return std::string(text.substr(offset, cr == std::string_view::npos ? text.size() - offset
                                                                       : cr - offset));
}

void replaceAll(std::string& target, std::string_view find, std::string_view replacement) {
  if (find.empty()) return;
  std::string out;
  std::size_t start = 0;
  for (;;) {
    std::size_t p = target.find(find.data(), start, find.size());
    if (p == std::string::npos) break;
    out.append(target, start, p - start);
    out.append(replacement);
    start = p + find.size();
  }
  if (start == 0) return;
  out.append(target, start, std::string::npos);
  target.swap(out);
}

void foldLowerInPlace(std::string& text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    char& ch = text[i];
    if (isLeadByte(static_cast<unsigned char>(ch))) ++i;  // its trail byte is no letter
    else if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + ('a' - 'A'));
  }
}

std::string foldLower(std::string_view text) {
  std::string s(text);
  foldLowerInPlace(s);
  return s;
}

std::string selectedRange(std::string_view text, std::size_t selStart, std::size_t selEnd) {
  if (selEnd > text.size()) selEnd = text.size();
  if (selStart >= selEnd) return std::string();
  long long len = static_cast<long long>(selEnd - selStart);
  if (text[selEnd - 1] == '\n') len -= 2;
  if (len < 1) return std::string();
  return std::string(text.substr(selStart, static_cast<std::size_t>(len)));
}

namespace {
std::size_t charSize(std::string_view text, std::size_t i) {
  return isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}
}  // namespace

std::size_t charsToBytes(std::string_view text, std::size_t chars) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < chars && i < text.size(); ++n) i += charSize(text, i);
  return i;
}

std::size_t bytesToChars(std::string_view text, std::size_t bytes) {
  std::size_t i = 0, n = 0;
  while (i < bytes && i < text.size()) {
    i += charSize(text, i);
    ++n;
  }
  return n;
}

}  // namespace tav
