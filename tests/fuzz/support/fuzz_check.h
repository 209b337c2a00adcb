// Property checks of the fuzz targets: a failed check prints what failed and
// aborts, which libFuzzer reports as a crash and saves the input.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#define FUZZ_CHECK(cond, what)                                                            \
  do {                                                                                    \
    if (!(cond)) {                                                                        \
      std::fprintf(stderr, "\n*** property failed at %s:%d: %s\n    (%s)\n", __FILE__,     \
                   __LINE__, what, #cond);                                                \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

namespace fuzzsupport {

// The input split at its first NUL byte: the text a parser reads, and the
// bytes that choose what the target does with it. An input without NUL is
// all text (seed files are the formats' own examples).
struct Split {
  std::string_view text;
  FuzzedDataProvider choices;
  Split(const std::uint8_t* data, std::size_t size)
      : text(reinterpret_cast<const char*>(data), textLength(data, size)),
        choices(data + std::min(size, text.size() + 1), size - std::min(size, text.size() + 1)) {}

 private:
  static std::size_t textLength(const std::uint8_t* data, std::size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    return std::min(all.find('\0'), size);
  }
};

// A short text from the choices, up to max bytes, without NUL: such texts
// stand for what an edit control holds, which never has one.
inline std::string pick(FuzzedDataProvider& fdp, std::size_t max) {
  std::string s = fdp.ConsumeRandomLengthString(max);
  s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
  return s;
}

// The text with bytes outside printable ASCII as \xNN, for messages.
inline std::string printable(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

}  // namespace fuzzsupport
