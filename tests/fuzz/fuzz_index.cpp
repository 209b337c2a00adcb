// "index2.txt" and the note files behind it: load, every operation of the
// index on every entry, save, load again.
// Properties: load, save, load gives the same entries; after changes, the
// reloaded index holds exactly the live entries and the saved bodies; no file
// outside the data folder, and no file of a key the store refuses, is ever
// read, written or deleted.
#include <set>
#include <vector>

#include "fuzz_check.h"
#include "mem_files.h"
#include "store/keyword_index.h"
#include "store/rebuild.h"
#include "store/note.h"

namespace {

const std::string kFolder = "data";

struct Seen {
  std::string line;
  std::uint32_t checked;
};

std::vector<Seen> entriesOf(const tav::KeywordIndex& index, bool liveOnly) {
  std::vector<Seen> out;
  for (std::size_t i = 0; i < index.size(); ++i) {
    const tav::IndexEntry& e = index.at(i);
    if (liveOnly && e.status == tav::EntryStatus::Deleted) continue;
    out.push_back({e.recordText(), e.checked});
  }
  return out;
}

void dump(const char* title, const std::vector<Seen>& list) {
  std::fprintf(stderr, "%s:\n", title);
  for (const Seen& s : list) std::fprintf(stderr, "  [%u] %s\n", s.checked, fuzzsupport::printable(s.line).c_str());
}

void checkSame(const std::vector<Seen>& a, const std::vector<Seen>& b, const char* what) {
  bool same = a.size() == b.size();
  for (std::size_t i = 0; same && i < a.size(); ++i)
    same = a[i].line == b[i].line && a[i].checked == b[i].checked;
  if (!same) {
    dump("expected", a);
    dump("found", b);
  }
  FUZZ_CHECK(a.size() == b.size(), what);
  for (std::size_t i = 0; i < a.size(); ++i) {
    FUZZ_CHECK(a[i].line == b[i].line, what);
    FUZZ_CHECK(a[i].checked == b[i].checked, what);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzsupport::Split in(data, size);
  FuzzedDataProvider& fdp = in.choices;
  fuzzfs::reset();
  fuzzfs::putFile(kFolder + "/index2.txt", in.text);

  // Note files for the usable keys: most in the written form, some plain
  // text or hostile bytes, some missing.
  tav::KeywordIndex index;
  index.load(kFolder);
  std::set<std::string> keys;
  for (std::size_t i = 0; i < index.size(); ++i) {
    std::string key(index.at(i).key());
    keys.insert(key);
    if (!tav::isSafeNoteKey(key)) continue;
    switch (fdp.ConsumeIntegralInRange(0, 3)) {
      case 0: fuzzfs::putFile(kFolder + "/" + key, tav::composeNoteFile("kw", 1, false, key + "\r\nbody")); break;
      case 1: fuzzfs::putFile(kFolder + "/" + key, fuzzsupport::pick(fdp, 200)); break;
      case 2: break;
      default: fuzzfs::putFolder(kFolder + "/" + key); break;  // a folder where the note should be
    }
  }

  // load, save, load: nothing changed, nothing lost but the entries whose
  // files are not on disk (the index lists the note files there are).
  std::vector<Seen> first = entriesOf(index, false);
  index.save(kFolder);
  std::vector<Seen> kept;
  {
    const std::vector<std::string> disk = tav::noteKeysOn(kFolder);
    const std::set<std::string> onDisk(disk.begin(), disk.end());
    for (const Seen& e : first) {
      std::string key = e.line.substr(0, e.line.find(','));
      if (!tav::isSafeNoteKey(key) || onDisk.count(key)) kept.push_back(e);
    }
  }
  tav::KeywordIndex again;
  again.load(kFolder);
  checkSame(kept, entriesOf(again, false), "load, save, load gives the entries whose files exist");

  // Every operation, on entries the choices pick (at most 64 of them).
  const std::string stamp = "202612071200000000";
  std::size_t steps = std::min<std::size_t>(index.size() + 2, 64);
  for (std::size_t s = 0; s < steps && fdp.remaining_bytes() > 0; ++s) {
    std::string key = index.empty() ? "" : std::string(index.at(fdp.ConsumeIntegralInRange<std::size_t>(0, index.size() - 1)).key());
    const std::string* body = nullptr;
    bool checked = false;
    unsigned caret = 0;
    switch (fdp.ConsumeIntegralInRange(0, 7)) {
      case 0: index.fetchNote(key, &body, &checked, &caret); break;
      case 1: index.setChecked(key, fdp.ConsumeBool() ? '1' : '0'); break;
      case 2:
        if (index.fetchNote(key, &body, &checked, &caret)) {
          std::string b = *body + fuzzsupport::pick(fdp, 40);
          index.storeNote(b, fuzzsupport::pick(fdp, 40), key, fdp.ConsumeIntegral<unsigned>(), fdp.ConsumeBool());
        }
        break;
      case 3: index.storeNote("", "kw", key, 0, false); break;
      case 4: {
        std::string sub = fuzzsupport::pick(fdp, 12);
        if (tav::isSafeNamePart(sub)) index.moveNote(key, index.uniqueKey(sub, stamp), 0);
        break;
      }
      case 5: {
        std::string sub = fuzzsupport::pick(fdp, 12);
        if (!tav::isSafeNamePart(sub)) sub = "default";  // as the main window files new notes
        std::string newKey = index.uniqueKey(sub, stamp);
        keys.insert(newKey);
        index.storeNote(fuzzsupport::pick(fdp, 60), fuzzsupport::pick(fdp, 30), newKey, 0, fdp.ConsumeBool());
        break;
      }
      case 6: {
        std::vector<std::string> out;
        std::string query = fuzzsupport::pick(fdp, 20);
        std::size_t n = index.collectMatches(query, out, fuzzsupport::pick(fdp, 10), fdp.PickValueInArray({0, 1, 3}));
        FUZZ_CHECK(n == out.size(), "collectMatches counts what it lists");
        FUZZ_CHECK(n <= index.countMatches(query), "the list never holds more than the keyword matches");
        break;
      }
      default: index.prependToMatches(fuzzsupport::pick(fdp, 10), fuzzsupport::pick(fdp, 20), ""); break;
    }
  }
  for (std::size_t i = 0; i < index.size(); ++i) keys.insert(std::string(index.at(i).key()));

  // What the save must bring to the disk.
  std::vector<Seen> live = entriesOf(index, true);
  std::vector<std::pair<std::string, std::string>> written;
  for (std::size_t i = 0; i < index.size(); ++i) {
    const tav::IndexEntry& e = index.at(i);
    if (e.status == tav::EntryStatus::Dirty && tav::isSafeNoteKey(e.key()) &&
        !index.findByKey(e.key())->body.empty() && index.findByKey(e.key()) == &e)
      written.emplace_back(std::string(e.key()), e.body);
  }
  bool saved = index.save(kFolder);

  fuzzfs::checkConfined(kFolder, "index2.txt");
  // A key without "/" names the data folder or one of its sub-folders,
  // which the save lists to match the index with the files on disk.
  for (const std::string& k : keys)
    if (!tav::isSafeNoteKey(k) && k.find('/') != std::string::npos)
      fuzzfs::checkUntouched(tav::notePath(kFolder, k));

  tav::KeywordIndex reloaded;
  reloaded.load(kFolder);
  checkSame(entriesOf(index, true), entriesOf(reloaded, false),
            "the reloaded index holds the live entries the save kept");
  // Those are the live entries but for notes without a file the rebuild
  // would take, and every note file it takes.
  const std::vector<std::string> disk = tav::noteKeysOn(kFolder);
  const std::set<std::string> onDisk(disk.begin(), disk.end());
  std::set<std::string> keptKeys;
  for (const Seen& e : entriesOf(index, true)) keptKeys.insert(e.line.substr(0, e.line.find(',')));
  for (const Seen& e : live) {
    std::string key = e.line.substr(0, e.line.find(','));
    FUZZ_CHECK(keptKeys.count(key) || (tav::isSafeNoteKey(key) && !onDisk.count(key)),
               "only an entry without its file leaves the index");
  }
  // After a failed save the files of deleted notes wait for the next one.
  if (saved)
    for (const std::string& key : disk)
      FUZZ_CHECK(reloaded.findByKey(key) != nullptr, "every note file is listed");
  if (saved) {
    for (const auto& [key, body] : written) {
      const std::string* got = nullptr;
      FUZZ_CHECK(reloaded.fetchNote(key, &got, nullptr, nullptr), "a saved note can be read");
      if (*got != body)
        std::fprintf(stderr, "key %s\nsaved %s\nread  %s\n", fuzzsupport::printable(key).c_str(),
                     fuzzsupport::printable(body).c_str(), fuzzsupport::printable(*got).c_str());
      FUZZ_CHECK(*got == body, "a saved note reads back with its body");
    }
  }
  return 0;
}
