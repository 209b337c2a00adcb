// Looking for a user's text in a text: the one way every search and filter
// matches. Both are code page 932 bytes, and the trail byte of a double-byte
// character can look like an ASCII letter (ア is 83 41, "A") or line up with
// the bytes of another character (★ is 81 9A), so a hit counts only where it
// starts on a character boundary of the searched text and does not end
// inside a character. Unless case matters, "A"-"Z" equal "a"-"z" where they
// are characters of their own; trail bytes and half-width katakana are
// compared as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

class TextPattern {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  TextPattern(std::string_view needle, bool matchCase);

  // The lowest hit at or after from, or npos. An empty pattern hits at the
  // first character boundary at or after from (up to the end of the text).
  std::size_t findIn(std::string_view text, std::size_t from = 0) const;
  // The highest hit below before, or npos.
  std::size_t findLastIn(std::string_view text, std::size_t before) const;
  // Every hit in order, overlapping ones included; none for an empty pattern.
  std::vector<std::size_t> findAllIn(std::string_view text) const;
  bool in(std::string_view text) const { return findIn(text) != npos; }
  // findIn over a text folded as foldLower folds (the keyword table), when
  // case does not matter: the library's fast substring search finds the
  // candidates.
  std::size_t findInFolded(std::string_view folded, std::size_t from = 0) const;
  // Is there a hit at p (which need not be a boundary)?
  bool at(std::string_view text, std::size_t p) const;

  // The pattern as compared: folded unless case matters.
  const std::string& bytes() const { return bytes_; }

 private:
  // Do the bytes from p on match (p being a character boundary)?
  bool matchesFrom(std::string_view text, std::size_t p) const;
  // The lowest hit at or after from, where known (<= from) is a character
  // boundary; moves known on, so that a walk from hit to hit reads each
  // byte about once.
  std::size_t next(std::string_view text, std::size_t from, std::size_t& known) const;

  std::string bytes_;
  // For each byte of bytes_ the other byte a text may hold there (its
  // capital where case does not matter and it is a letter of its own).
  std::string other_;
  // The last byte is a lead byte without its trail: it ends a character only
  // at the end of the text.
  bool openEnd_ = false;
};

// Shorthand for a one-off pattern.
bool containsText(std::string_view text, std::string_view needle, bool matchCase);

}  // namespace tav
