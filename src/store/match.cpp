#include "store/match.h"

#include <algorithm>
#include <cstring>

#include "platform/path.h"
#include "store/text.h"

namespace tav {

namespace {

bool leadByte(char c) { return isLeadByte(static_cast<unsigned char>(c)); }

// Is p a character boundary, given that known (<= p) is one? Only the run of
// lead-range bytes right before p counts: the byte before that run ends a
// character whatever it is (a byte outside the lead range never starts a
// double-byte one), and from there the run pairs up into characters. So
// searching never walks the text from its start, and a text made of lines
// (the keyword table) is read line by line, as no line break is a lead byte.
bool boundaryAt(const char* t, std::size_t known, std::size_t p) {
  std::size_t q = p;
  while (q > known && leadByte(t[q - 1])) --q;
  return (p - q) % 2 == 0;
}

}  // namespace

TextPattern::TextPattern(std::string_view needle, bool matchCase)
    : bytes_(matchCase ? std::string(needle) : foldLower(needle)), other_(bytes_) {
  const std::size_t n = bytes_.size();
  for (std::size_t i = 0; i < n;) {
    if (leadByte(bytes_[i])) {
      if (i + 1 == n) openEnd_ = true;
      i += 2;
      continue;
    }
    char c = bytes_[i];
    if (!matchCase && c >= 'a' && c <= 'z') other_[i] = static_cast<char>(c - ('a' - 'A'));
    ++i;
  }
}

bool TextPattern::matchesFrom(std::string_view text, std::size_t p) const {
  const char* t = text.data() + p;
  for (std::size_t j = 0; j < bytes_.size(); ++j)
    if (t[j] != bytes_[j] && t[j] != other_[j]) return false;
  // A pattern ending in half a character matches only that half at the very end.
  return !openEnd_ || p + bytes_.size() == text.size();
}

bool TextPattern::at(std::string_view text, std::size_t p) const {
  if (p > text.size() || bytes_.size() > text.size() - p) return false;
  if (p < text.size() && !boundaryAt(text.data(), 0, p)) return false;
  return matchesFrom(text, p);
}

std::size_t TextPattern::next(std::string_view text, std::size_t from, std::size_t& known) const {
  const std::size_t n = bytes_.size();
  const char* t = text.data();
  if (from > text.size()) return npos;
  if (n == 0) {
    if (from == text.size() || boundaryAt(t, known, from)) return from;
    return from + 1;  // from is a trail byte
  }
  if (n > text.size() - from) return npos;
  // Candidates are where the first byte (or its capital) is, found with
  // memchr; the nearer of the two is tried next.
  const char* end = t + (text.size() - n) + 1;
  auto seek = [end](const char* at, char c) {
    const void* hit = at < end ? std::memchr(at, c, static_cast<std::size_t>(end - at)) : nullptr;
    return hit ? static_cast<const char*>(hit) : end;
  };
  const char first = bytes_[0], firstOther = other_[0];
  const char* nextFirst = seek(t + from, first);
  const char* nextOther = firstOther == first ? end : seek(t + from, firstOther);
  for (;;) {
    const char* c = std::min(nextFirst, nextOther);
    if (c == end) return npos;
    if (c == nextFirst) nextFirst = seek(c + 1, first);
    else nextOther = seek(c + 1, firstOther);
    const std::size_t p = static_cast<std::size_t>(c - t);
    if (!boundaryAt(t, known, p)) {
      known = p + 1;  // p is a trail byte, so the next byte starts a character
      continue;
    }
    known = p;
    if (matchesFrom(text, p)) return p;
  }
}

std::size_t TextPattern::findIn(std::string_view text, std::size_t from) const {
  std::size_t known = 0;
  return next(text, from, known);
}

std::size_t TextPattern::findInFolded(std::string_view folded, std::size_t from) const {
  if (bytes_.empty()) return findIn(folded, from);
  std::size_t known = 0;
  for (std::size_t p = folded.find(bytes_, from); p != npos; p = folded.find(bytes_, p + 1)) {
    if (!boundaryAt(folded.data(), known, p)) {
      known = p + 1;
      continue;
    }
    known = p;
    if (!openEnd_ || p + bytes_.size() == folded.size()) return p;
  }
  return npos;
}

std::size_t TextPattern::findLastIn(std::string_view text, std::size_t before) const {
  if (before == 0 || bytes_.size() > text.size()) return npos;
  const std::size_t limit = std::min(before - 1, text.size() - bytes_.size());
  if (bytes_.empty()) {
    if (limit == text.size() || boundaryAt(text.data(), 0, limit)) return limit;
    return limit - 1;  // limit is a trail byte
  }
  // Forward, so that every hit's boundary is known from the one before.
  std::size_t known = 0, best = npos;
  for (std::size_t p = next(text, 0, known); p != npos && p <= limit; p = next(text, p + 1, known))
    best = p;
  return best;
}

std::vector<std::size_t> TextPattern::findAllIn(std::string_view text) const {
  std::vector<std::size_t> hits;
  if (bytes_.empty()) return hits;
  std::size_t known = 0;
  for (std::size_t p = next(text, 0, known); p != npos; p = next(text, p + 1, known))
    hits.push_back(p);
  return hits;
}

bool containsText(std::string_view text, std::string_view needle, bool matchCase) {
  return TextPattern(needle, matchCase).in(text);
}

}  // namespace tav
