// Variable substitution of the text commands against its plain definition:
// each variable in definition order, every occurrence replaced left to right,
// never searching what was inserted. The fast substitution must give the
// same text, or refuse exactly when the text would grow beyond the limit.
#include "commands/variables.h"
#include "fuzz_check.h"
#include "store/text.h"

namespace {

constexpr std::size_t kLimit = 4096;

// Names and values from a small alphabet, so that they overlap and form
// each other's names often.
std::string small(FuzzedDataProvider& fdp, std::size_t max) {
  static const char kAlphabet[] = {'?', '?', 'a', 'b', '!', ' ', '\x83', '\x5C'};
  std::string s;
  std::size_t n = fdp.ConsumeIntegralInRange<std::size_t>(0, max);
  for (std::size_t i = 0; i < n; ++i) s += kAlphabet[fdp.ConsumeIntegralInRange<int>(0, 7)];
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzsupport::Split in(data, size);
  FuzzedDataProvider& fdp = in.choices;

  tav::CommandVariables vars;
  int count = fdp.ConsumeIntegralInRange(0, 8);
  for (int i = 0; i < count; ++i) {
    std::string word = "?" + small(fdp, 3);
    std::optional<std::string> value;
    if (fdp.ConsumeIntegralInRange(0, 7)) value = small(fdp, 6);
    tav::defineVariable(vars, word, value);
  }
  FUZZ_CHECK(vars.names.size() == vars.values.size(), "names and values pair up");

  std::string plain(in.text);
  bool tooLong = false;
  for (std::size_t i = 0; i < vars.size() && !tooLong; ++i) {
    tav::replaceAll(plain, vars.names[i], vars.values[i]);
    tooLong = plain.size() > kLimit;
  }
  std::string fast(in.text);
  bool ok = tav::substituteVariables(vars, fast, kLimit);
  if (ok && fast != plain) {
    for (std::size_t i = 0; i < vars.size(); ++i)
      std::fprintf(stderr, "%s = %s\n", fuzzsupport::printable(vars.names[i]).c_str(),
                   fuzzsupport::printable(vars.values[i]).c_str());
    std::fprintf(stderr, "text  %s\nplain %s\nfast  %s\n", fuzzsupport::printable(in.text).c_str(),
                 fuzzsupport::printable(plain).c_str(), fuzzsupport::printable(fast).c_str());
  }
  if (ok) {
    FUZZ_CHECK(fast == plain, "the substitution is the plain one");
    FUZZ_CHECK(fast.size() <= kLimit, "the result stays within the limit");
  } else {
    FUZZ_CHECK(fast == std::string(in.text), "a refused substitution leaves the text");
    FUZZ_CHECK(tooLong, "only a text that would grow beyond the limit is refused");
  }
  return 0;
}
