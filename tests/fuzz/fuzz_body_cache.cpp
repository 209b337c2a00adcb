// "bodies.dat", the search's cache of note bodies, as another machine or a
// full disk may leave it, against a folder of note files.
// Properties: only records whose file exists with the recorded stamp count;
// composing and parsing again gives the same records; a learned body survives
// a write and a fresh open; nothing outside the data folder is touched.
#include <algorithm>
#include <map>

#include "fuzz_check.h"
#include "mem_files.h"
#include "search/body_cache.h"
#include "store/note.h"

namespace {

std::map<std::string, std::string> bodiesOf(const tav::BodyCache& c) {
  std::map<std::string, std::string> out;
  for (const auto& [key, r] : c.records()) out[std::string(key)] = std::string(r.body);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzsupport::Split in(data, size);
  FuzzedDataProvider& fdp = in.choices;
  fuzzfs::reset();
  fuzzfs::putFile("data/bodies.dat", in.text);

  // The keys the file names get note files of their own size or another.
  tav::BodyCache parsed;
  parsed.parse(std::string(in.text));
  for (const auto& [key, r] : parsed.records()) {
    FUZZ_CHECK(tav::isSafeNoteKey(key), "a parsed key is one a note can have");
    if (!fdp.ConsumeBool()) continue;
    std::size_t n = fdp.ConsumeBool() && r.stamp.size <= (1u << 20)
                        ? r.stamp.size
                        : fdp.ConsumeIntegralInRange<std::size_t>(0, 64);
    fuzzfs::putFile("data/" + std::string(key), std::string(n, 'x'));
  }
  fuzzfs::clearJournal();

  tav::BodyCache cache;
  cache.open("data");
  for (const auto& [key, r] : cache.records()) {
    const std::string* file = fuzzfs::fileAt("data/" + std::string(key));
    FUZZ_CHECK(file && file->size() == r.stamp.size && r.stamp.time == 0,
               "a kept record's file is there with the recorded stamp");
    FUZZ_CHECK(parsed.records().count(key), "a kept record was in the file");
  }
  tav::BodyCache again;
  again.parse(cache.compose());
  FUZZ_CHECK(bodiesOf(again) == bodiesOf(cache), "compose then parse gives the same records");

  // A body read now from a listed file without a record is kept and written.
  std::string learned = fuzzsupport::pick(fdp, 80);
  learned.erase(std::remove(learned.begin(), learned.end(), '\0'), learned.end());  // never in a read body
  fuzzfs::putFile("data/new/1.txt", "y");
  cache.open("data");
  const bool known = cache.find("new/1.txt").has_value();  // the input's file named it already
  cache.learn("new/1.txt", learned);
  FUZZ_CHECK(cache.saveIfChanged(), "the cache file is written");
  tav::BodyCache reopened;
  reopened.open("data");
  FUZZ_CHECK(bodiesOf(reopened) == bodiesOf(cache), "a written cache opens to the same records");
  FUZZ_CHECK(known || reopened.find("new/1.txt") == std::optional<std::string_view>(learned),
             "a learned body comes back");
  fuzzfs::checkConfined("data", "bodies.dat");
  return 0;
}
