// The rebuild's folder walk and the note files it reads: a data folder of
// sub-folders and files with hostile names and contents.
// Properties: the walk reads nothing outside the data folder and nothing
// deeper than one sub-folder; every rebuilt entry names the file it came from,
// one entry per file whose name can be a key; a note read through the index
// has the body of its file; a note file that parses, composed again from its
// fields and rebuilt, parses to the same fields.
#include <map>
#include <set>

#include "fuzz_check.h"
#include "mem_files.h"
#include "store/keyword_index.h"
#include "store/note.h"
#include "store/rebuild.h"
#include "store/sync_names.h"
#include "store/text.h"

namespace {

const std::string kFolder = "data";

struct Fields {
  std::string keyword;
  int caret;
  std::uint32_t checked;
  std::string body;
  bool operator==(const Fields& o) const {
    return keyword == o.keyword && caret == o.caret && checked == o.checked && body == o.body;
  }
};

// key -> fields, as the rebuilt index gives them.
std::map<std::string, Fields> rebuildFields(tav::KeywordIndex& index) {
  tav::rebuildIndex(kFolder, index, kFolder);
  std::map<std::string, Fields> out;
  for (std::size_t i = 0; i < index.size(); ++i) {
    std::string key(index.at(i).key());
    const std::string* body = nullptr;
    bool checked = false;
    unsigned caret = 0;
    FUZZ_CHECK(index.fetchNote(key, &body, &checked, &caret), "a rebuilt note can be read");
    out[key] = {std::string(index.at(i).keyword()), static_cast<int>(caret), checked, *body};
  }
  return out;
}

// A name as a folder listing can give it: no "/", no NUL, not "." or "..".
std::string listableName(FuzzedDataProvider& fdp) {
  std::string n = fuzzsupport::pick(fdp, 16);
  n.erase(std::remove(n.begin(), n.end(), '/'), n.end());
  return n.empty() || n == "." || n == ".." ? "n" : n;
}

// A sub-folder named like the index file leaves the rebuild nowhere to write
// its result; such a tree is not the walk's business.
std::string folderName(FuzzedDataProvider& fdp) {
  std::string n = listableName(fdp);
  std::string bare = n.substr(0, n.find_last_not_of(". ") + 1);  // as Windows reads it
  return tav::foldLower(bare) == "index2.txt" ? "n" : n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzsupport::Split in(data, size);
  FuzzedDataProvider& fdp = in.choices;
  fuzzfs::reset();

  // The tree: the input's text is the first note file; the choices add more.
  std::map<std::string, std::string> notes;  // "sub/file" -> content
  std::string firstSub = fdp.remaining_bytes() ? folderName(fdp) : "default";
  notes[firstSub + "/" + (fdp.remaining_bytes() ? listableName(fdp) : "202612071200000000")] =
      std::string(in.text);
  int subs = fdp.ConsumeIntegralInRange(0, 3);
  for (int s = 0; s < subs; ++s) {
    std::string sub = folderName(fdp);
    int files = fdp.ConsumeIntegralInRange(0, 3);
    for (int f = 0; f < files; ++f) notes[sub + "/" + listableName(fdp)] = fuzzsupport::pick(fdp, 120);
  }
  // A note as the store writes it, from fields the choices give.
  Fields made{fuzzsupport::pick(fdp, 30), fdp.ConsumeIntegralInRange(0, 99999), fdp.ConsumeBool(),
              fuzzsupport::pick(fdp, 60)};
  const std::string madeKey = "made/202612071200000000";
  notes[madeKey] = tav::composeNoteFile(made.keyword, static_cast<unsigned>(made.caret),
                                        made.checked != 0, made.body);
  std::set<std::string> folders;
  for (const auto& [key, content] : notes) folders.insert(tav::keyPrefix(key).data() ? std::string(tav::keyPrefix(key)) : "");
  for (const auto& [key, content] : notes) {
    if (folders.count(key + "/")) continue;  // a name taken by a folder
    fuzzfs::putFile(kFolder + "/" + key, content);
  }
  fuzzfs::putFile(kFolder + "/top.txt", "<k>top,</k><n>not a note</n>");
  fuzzfs::putFile(kFolder + "/" + firstSub + "/deeper/x", "<k>deep,</k><n>not a note</n>");

  tav::KeywordIndex index;
  std::map<std::string, Fields> first = rebuildFields(index);
  fuzzfs::checkConfined(kFolder, "index2.txt");

  // One entry per file one level down whose name can be a key, each naming its file.
  std::size_t expected = 0;
  for (const auto& [key, content] : notes) {
    const std::string* file = fuzzfs::fileAt(kFolder + "/" + key);
    if (!file || !tav::isSafeNoteKey(key)) continue;
    // Another program's file or folder (".stfolder", "~x.tmp") is no note.
    const std::string sub(tav::keyPrefix(key).substr(0, tav::keyPrefix(key).size() - 1));
    if (tav::isForeignEntry(sub) || tav::isForeignEntry(key.substr(sub.size() + 1))) continue;
    ++expected;
    FUZZ_CHECK(first.count(key), "every note file with a usable name is indexed");
    std::string text = file->substr(0, file->find('\0'));
    FUZZ_CHECK(first[key].body == tav::noteBodyOf(text), "a rebuilt entry reads its own file");
  }
  FUZZ_CHECK(first.size() == expected, "the rebuilt index holds the note files and nothing else");
  FUZZ_CHECK(index.size() == expected, "no two entries for one file");

  // The written note gives back its fields; its keyword as a stored keyword
  // is (line breaks as spaces, no commas at the ends), unless it holds the
  // header's own marks.
  if (first.count(madeKey) && made.keyword.find("<n>") == std::string::npos &&
      made.keyword.find("</k>") == std::string::npos) {
    const Fields& got = first[madeKey];
    std::string kw = made.keyword;
    std::replace(kw.begin(), kw.end(), '\r', ' ');
    std::replace(kw.begin(), kw.end(), '\n', ' ');
    FUZZ_CHECK(got.keyword == tav::trimSeparator(kw, ',', false), "a written note's keyword rebuilds");
    FUZZ_CHECK(got.caret == made.caret && got.checked == made.checked, "a written note's caret and mark rebuild");
    FUZZ_CHECK(got.body == made.body, "a written note's body rebuilds");
  }

  // Composed again from the parsed fields, every note parses to the same fields.
  for (const auto& [key, f] : first)
    fuzzfs::putFile(kFolder + "/" + key,
                    tav::composeNoteFile(f.keyword, static_cast<unsigned>(std::max(0, f.caret)),
                                         f.checked != 0, f.body));
  std::map<std::string, Fields> second = rebuildFields(index);
  FUZZ_CHECK(second.size() == first.size(), "composed notes rebuild to as many entries");
  for (const auto& [key, f] : first) {
    const Fields& g = second[key];
    if (!(g == f))
      std::fprintf(stderr, "key %s\nkeyword %s | %s\ncaret %d | %d, check %u | %u\nbody %s\n   | %s\n",
                   fuzzsupport::printable(key).c_str(), fuzzsupport::printable(f.keyword).c_str(),
                   fuzzsupport::printable(g.keyword).c_str(), f.caret, g.caret, f.checked, g.checked,
                   fuzzsupport::printable(f.body).c_str(), fuzzsupport::printable(g.body).c_str());
    FUZZ_CHECK(g.keyword == f.keyword, "keyword survives compose and rebuild");
    FUZZ_CHECK(g.checked == f.checked, "check mark survives compose and rebuild");
    FUZZ_CHECK(std::max(0, g.caret) == std::max(0, f.caret), "caret survives compose and rebuild");
    FUZZ_CHECK(g.body == f.body, "body survives compose and rebuild");
  }
  return 0;
}
