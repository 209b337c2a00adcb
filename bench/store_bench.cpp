// Note store benchmarks over the data that scripts/gen-bench-data writes (the
// folder comes from TAV_BENCH_DATA; scripts/run-bench sets it).
//
// PlainFoldedScan is the yardstick for the filter: one pass over the same
// keyword bytes, folding each byte to lower case and comparing it with the
// query word, as the simplest possible filter would.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/keyword_index.h"
#include "ui/list_rows.h"

namespace {

std::string dataRoot() {
  const char* env = std::getenv("TAV_BENCH_DATA");
  std::string root = env && *env ? env : "build/host/bench-data";
  if (root.back() != '/') root += '/';
  return root;
}

// ExeDir of the generated data set of n notes.
std::string setFor(int n) { return dataRoot() + "n" + std::to_string(n) + "/"; }

bool haveData(benchmark::State& state, int n) {
  if (tav::pathKind(setFor(n) + "data/index2.txt") == tav::PathKind::File) return true;
  state.SkipWithError("no benchmark data: run scripts/gen-bench-data (scripts/run-bench does)");
  return false;
}

// One loaded index per data set, shared by the filter benchmarks.
tav::KeywordIndex& loaded(int n) {
  static std::map<int, std::unique_ptr<tav::KeywordIndex>> cache;
  auto& slot = cache[n];
  if (!slot) {
    slot = std::make_unique<tav::KeywordIndex>();
    tav::setExeDir(setFor(n));
    slot->load("data");
  }
  tav::setExeDir(setFor(n));
  return *slot;
}

const char* const kQueries[] = {"", "zebra", "会議 plan"};
const char* const kQueryNames[] = {"empty query", "one word, 1% match", "two words"};

void BM_Load(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  if (!haveData(state, n)) return;
  tav::setExeDir(setFor(n));
  tav::KeywordIndex idx;
  for (auto _ : state) {
    state.PauseTiming();
    idx.clear();  // freeing the previous round is not part of a load
    state.ResumeTiming();
    idx.load("data");
    benchmark::DoNotOptimize(idx.size());
  }
  state.counters["entries"] = static_cast<double>(idx.size());
}
BENCHMARK(BM_Load)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_CollectMatches(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int q = static_cast<int>(state.range(1));
  if (!haveData(state, n)) return;
  tav::KeywordIndex& idx = loaded(n);
  idx.countMatches("warm up");  // builds the match table once, as the first key release does
  std::vector<std::string> rows;
  for (auto _ : state) {
    rows.clear();
    idx.collectMatches(kQueries[q], rows, "", tav::KeywordIndex::kAnyCheck);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetLabel(kQueryNames[q]);
  state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_CollectMatches)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

// The same filter without copying the rows' texts (a virtual list asks for
// them only when it draws a row).
void BM_CollectMatchEntries(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int q = static_cast<int>(state.range(1));
  if (!haveData(state, n)) return;
  tav::KeywordIndex& idx = loaded(n);
  idx.countMatches("warm up");
  std::vector<const tav::IndexEntry*> rows;
  for (auto _ : state) {
    rows.clear();
    idx.collectMatchEntries(kQueries[q], rows, "", tav::KeywordIndex::kAnyCheck);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetLabel(kQueryNames[q]);
  state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_CollectMatchEntries)
    ->ArgsProduct({{100000}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

// What a key release computes before the keyword list is told anything: the
// matching entries and the rows built over them, with the buffers kept from
// one release to the next as the list keeps them.
void BM_KeyReleaseRows(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int q = static_cast<int>(state.range(1));
  if (!haveData(state, n)) return;
  tav::KeywordIndex& idx = loaded(n);
  std::vector<const tav::IndexEntry*> hits;
  std::vector<std::uint32_t> runs;
  std::vector<tav::ListRow> rows;
  for (auto _ : state) {
    idx.collectMatchEntries(kQueries[q], hits, runs, "", tav::KeywordIndex::kAnyCheck);
    tav::buildRows(hits, runs, rows);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetLabel(kQueryNames[q]);
  state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_KeyReleaseRows)
    ->ArgsProduct({{100000}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

void BM_PlainFoldedScan(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  if (!haveData(state, n)) return;
  tav::KeywordIndex& idx = loaded(n);
  std::string bytes;  // the same keyword bytes, one keyword per line
  for (std::size_t i = 0; i < idx.size(); ++i) {
    bytes.append(idx.at(i).keyword());
    bytes += '\n';
  }
  const std::string word = "zebra";
  for (auto _ : state) {
    std::size_t hits = 0;
    const char* p = bytes.data();
    const std::size_t size = bytes.size();
    for (std::size_t i = 0; i + word.size() <= size; ++i) {
      std::size_t j = 0;
      while (j < word.size()) {
        char c = p[i + j];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != word[j]) break;
        ++j;
      }
      hits += j == word.size();
    }
    benchmark::DoNotOptimize(hits);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_PlainFoldedScan)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_Save(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  if (!haveData(state, n)) return;
  // Work on a scratch copy so the generated data stay as they are.
  const std::string scratch = dataRoot() + "scratch/";
  tav::createFolder(dataRoot() + "scratch");
  tav::createFolder(scratch + "data");
  std::optional<std::string> index = tav::readWholeFile(setFor(n) + "data/index2.txt");
  if (!index || !tav::writeWholeFile(scratch + "data/index2.txt", *index)) {
    state.SkipWithError("cannot make the scratch copy");
    return;
  }
  tav::setExeDir(scratch);
  tav::KeywordIndex idx;
  idx.load("data");
  std::set<std::string> subs;
  for (std::size_t i = 0; i < idx.size(); ++i) subs.emplace(tav::keyPrefix(idx.at(i).key()));
  for (const std::string& sub : subs) tav::createFolder(scratch + "data/" + sub);
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ++round;
    for (std::size_t i = 0; i < 10; ++i) {
      const tav::IndexEntry& e = idx.at(i * (idx.size() / 10));
      std::string key(e.key()), keyword(e.keyword());
      idx.storeNote("changed body " + std::to_string(round), keyword, key, 3, true);
    }
    state.ResumeTiming();
    if (!idx.save("data")) state.SkipWithError("save failed");
  }
  state.counters["changed"] = 10;
}
BENCHMARK(BM_Save)->Arg(100000)->Unit(benchmark::kMillisecond);

// Grep over 10,000 note files: cold reads every file, warm finds the bodies cached.
void BM_Grep(benchmark::State& state) {
  const int n = 10000;
  const bool warm = state.range(0) != 0;
  if (!haveData(state, n)) return;
  tav::setExeDir(setFor(n));
  tav::KeywordIndex idx;
  idx.load("data");
  std::vector<std::string> rows;
  if (warm) idx.collectMatches("", rows, "budget,plan", tav::KeywordIndex::kAnyCheck);
  for (auto _ : state) {
    if (!warm) {
      state.PauseTiming();
      idx.clear();
      idx.load("data");
      state.ResumeTiming();
    }
    rows.clear();
    idx.collectMatches("", rows, "budget,plan", tav::KeywordIndex::kAnyCheck);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetLabel(warm ? "warm (bodies cached)" : "cold (every file read)");
  state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_Grep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
