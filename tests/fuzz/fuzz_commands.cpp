// The text-command language: a note's lines run with fake effects.
// Properties (besides ending within libFuzzer's time and memory limits):
// without variables, every effect is one a command word of the text asks
// for, and everything opened with the shell is text of the note; a line runs
// at most twice in each pass (the quoted retry); launch-log lines stay within 511 bytes of
// whole characters; "!seq" only touches names beside the file it was given.
#include <algorithm>

#include "fake_effects.h"
#include "fuzz_check.h"
#include "platform/path.h"
#include "store/text.h"

namespace {

bool has(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

std::size_t lineCount(const std::string& text) {
  std::size_t n = 1;
  for (char c : text) n += c == '\r' || c == '\n';
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzsupport::Split in(data, size);
  FuzzedDataProvider& fdp = in.choices;
  const std::string text(in.text);

  cmdtest::FakeEffects f;
  f.editor.text = text;
  std::size_t a = fdp.ConsumeIntegralInRange<std::size_t>(0, text.size());
  std::size_t b = fdp.ConsumeIntegralInRange<std::size_t>(0, text.size());
  f.editor.selStart = std::min(a, b);
  f.editor.selEnd = fdp.ConsumeBool() ? std::max(a, b) : f.editor.selStart;
  f.closeStopsProgram = fdp.ConsumeBool();
  f.knownPrograms.push_back(fuzzsupport::pick(fdp, 20));
  if (fdp.ConsumeBool()) f.volume = tav::VolumeSpace{fdp.ConsumeIntegral<std::uint64_t>(), fdp.ConsumeIntegral<std::uint64_t>()};
  const std::string seqFile = "C:\\memo\\" + fuzzsupport::pick(fdp, 12);
  f.files[seqFile] = "x";
  f.files["C:\\memo\\a.txt"] = "a";

  tav::CommandEffects fx = f.effects();
  tav::runCommands(f.editor, fx);

  const bool variables = has(text, "?");
  if (!variables) {
    if (f.closeRequests) FUZZ_CHECK(has(text, "!end"), "only !end closes");
    if (!f.clipboard.empty()) FUZZ_CHECK(has(text, "!clip"), "only !clip sets the clipboard");
    if (!f.jumps.empty()) FUZZ_CHECK(has(text, "!go"), "only !go jumps");
    if (!f.volumeQueries.empty()) FUZZ_CHECK(has(text, "!size"), "only !size asks for a volume");
    if (f.files.size() != 2 || !f.files.count(seqFile)) FUZZ_CHECK(has(text, "!seq"), "only !seq touches files");
    if (f.editorWrites)
      FUZZ_CHECK(has(text, "!zen") || has(text, "!han") || has(text, "!kata") || has(text, "!kana") ||
                     has(text, "!sort") || has(text, "!desc") || has(text, "!same") || has(text, "!cal") ||
                     has(text, "!path") || has(text, "!size"),
                 "only the editing and output commands change the note");
    for (const auto& [file, params] : f.opened) {
      FUZZ_CHECK(has(text, file.c_str()), "the shell opens only text of the note");
      // The quoted retry ends its parameters with the quote it added.
      std::string p = params ? *params : "";
      if (!p.empty() && p.back() == '"') p.pop_back();
      FUZZ_CHECK(has(text, p.c_str()), "the shell's parameters are text of the note");
    }
  }
  // Definition lines above the selection run first, then the selection.
  FUZZ_CHECK(f.opened.size() <= 4 * lineCount(text), "a line runs at most twice in each pass");
  FUZZ_CHECK(f.log.size() == f.opened.size(), "every shell open is logged once");
  for (const std::string& line : f.log) {
    FUZZ_CHECK(line.size() <= 511, "a log line stays within 511 bytes");
    FUZZ_CHECK(tav::isCharStart(line, line.size()), "a shortened log line keeps whole characters");
  }
  for (const auto& [path, content] : f.files)
    if (path != seqFile && path != "C:\\memo\\a.txt") {
      bool besideA = path.compare(0, 9, "C:\\memo\\a") == 0;
      bool besideSeq = path.size() > seqFile.size() - std::min<std::size_t>(seqFile.size(), 4) &&
                       tav::folderOf(path) == tav::folderOf(seqFile);
      FUZZ_CHECK(besideA || besideSeq || variables, "!seq numbers only beside the file it was given");
    }
  return 0;
}
