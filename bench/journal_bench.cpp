// The edit journal: appending the record of a 10 KB note (without the flush)
// and replaying a journal of 10,000 records at start (reading, checking and
// applying them; the save that follows is the ordinary save).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "store/journal.h"
#include "store/keyword_index.h"

namespace {

// A scratch ExeDir with an empty data folder.
std::string scratch() {
  const char* env = std::getenv("TAV_BENCH_DATA");
  std::string root = env && *env ? env : "build/host/bench-data";
  if (root.back() != '/') root += '/';
  std::string dir = root + "journal-scratch/";
  tav::createFolder(root);
  tav::createFolder(dir);
  tav::createFolder(dir + "data");
  tav::setExeDir(dir);
  if (tav::pathKind(dir + "data/index2.txt") != tav::PathKind::File) tav::writeWholeFile(dir + "data/index2.txt", "");
  return dir;
}

std::string bodyOf(std::size_t bytes, int seed) {
  std::string body;
  while (body.size() < bytes) body += "会議の議題と予算 " + std::to_string(seed++) + "\r\n";
  body.resize(bytes);
  return body;
}

void BM_JournalAppend10KB(benchmark::State& state) {
  scratch();
  tav::Journal j;
  tav::KeywordIndex idx;
  idx.journal = &j;
  idx.load("data");
  const std::string body = bodyOf(10 * 1024, 0);
  unsigned caret = 0;
  for (auto _ : state) j.stored(body, "会議,予算", "default/201101010000000000", ++caret, false);
  j.discard();
}
BENCHMARK(BM_JournalAppend10KB)
    ->Iterations(2000)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

// 10,000 records: stores of 2,000 notes of about 300 bytes, each edited a few
// times, with check marks among them.
void BM_JournalReplay10k(benchmark::State& state) {
  std::string dir = scratch();
  std::string text;
  for (int i = 0; i < 10000; ++i) {
    std::string key = "default/2011010100" + std::to_string(10000000 + i % 2000);
    if (i % 10 == 9)
      text += tav::frameRecord(tav::checkRecord(key, '1'));
    else
      text += tav::frameRecord(
          tav::storeRecord(bodyOf(300, i), "会議 " + std::to_string(i % 2000), key, 5, false));
  }
  const std::string path = tav::journalPath("data");
  tav::writeWholeFile(path, text);
  std::size_t applied = 0;
  for (auto _ : state) {
    tav::KeywordIndex idx;
    idx.load("data");
    std::optional<std::string> got = tav::readWholeFile(path);
    applied = 0;
    for (const std::string& r : tav::readRecords(*got))
      if (tav::applyRecord(idx, r)) ++applied;
    benchmark::DoNotOptimize(idx.size());
  }
  state.counters["applied"] = static_cast<double>(applied);
  tav::deleteFile(path);
}
BENCHMARK(BM_JournalReplay10k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
