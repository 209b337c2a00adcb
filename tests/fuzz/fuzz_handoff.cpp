// The command line: its arguments, the text a second instance hands over, and
// the decision made from it. Properties: the arguments are the line's end,
// without the program name and the blanks after it, and start with no blank;
// the text read back is a prefix of at most 255 bytes, cut only where the
// title was longer, never inside a double-byte character; the plan does one
// of its two things, and a search always comes with an open.
#include "fuzz_check.h"
#include "platform/path.h"
#include "ui/handoff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzsupport::Split in(data, size);
  FuzzedDataProvider& fdp = in.choices;
  const std::string title(in.text);

  std::string args = tav::argumentsOf(title);
  FUZZ_CHECK(title.size() >= args.size() && title.compare(title.size() - args.size(), args.size(), args) == 0,
             "the arguments are the end of the command line");
  FUZZ_CHECK(args.empty() || (args[0] != ' ' && args[0] != '\t'), "the arguments start with no blank");
  FUZZ_CHECK(args.size() < title.size() || title.empty(), "the program name never stays");
  if (!title.empty() && title[0] != '"' && title.find_first_of(" \t") == std::string::npos)
    FUZZ_CHECK(args.empty(), "a program name alone gives no arguments");

  std::string cut = tav::cutHandedText(title);
  FUZZ_CHECK(cut.size() <= 255, "at most 255 bytes arrive");
  FUZZ_CHECK(title.compare(0, cut.size(), cut) == 0, "the text is a prefix of the title");
  FUZZ_CHECK(title.size() <= 255 ? cut == title : cut.size() >= 254, "only a longer title is cut, by what the buffer cannot hold");
  FUZZ_CHECK(tav::isCharStart(title, cut.size()), "the cut keeps whole characters");

  std::string box = fuzzsupport::pick(fdp, 40), last = fuzzsupport::pick(fdp, 40);
  bool indexEmpty = fdp.ConsumeBool();
  std::size_t matches = fdp.ConsumeIntegralInRange<std::size_t>(0, 3);
  tav::HandoffPlan p = tav::planHandoff(cut, box, indexEmpty, matches, last);
  FUZZ_CHECK(p.onlyRestoreTitle != (p.setBox || p.openKeyword), "the plan does one of its two things");
  FUZZ_CHECK(!p.search || (p.openKeyword && p.searchText == cut), "a search comes with an open of the handed text");
  FUZZ_CHECK(p.openKeyword == !cut.empty(), "a handed text is always opened or searched");
  FUZZ_CHECK(!p.selectBox || p.setBox, "only a text put into the box is selected");
  return 0;
}
