// The bodies a search across the listed notes (F3) reads, in the one order
// that is both current and fast: the body in memory (read or edited in this
// run), then the body cache, then the note file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>

#include "search/body_cache.h"
#include "store/keyword_index.h"

namespace tav {

class SearchBodies {
 public:
  SearchBodies();
  ~SearchBodies();
  SearchBodies(SearchBodies&& o) noexcept { *this = std::move(o); }
  // Waits for this one's background opening first.
  SearchBodies& operator=(SearchBodies&& o) noexcept;

  // Opens the cache of the index's folder on a thread of its own (reading
  // "bodies.dat" and checking it against the files), so that a start does
  // not wait for it; the first walk waits for its end.
  void openInBackground(const KeywordIndex& index);
  // Before each walk. The cache is opened once per load of the index. Unless
  // a watch of the folder reports every change (followed), later walks list
  // the note files' stamps again when the last listing is more than
  // recheckSeconds old (F3 pressed again), since another program may change
  // a note at any time.
  void beginWalk(const KeywordIndex& index, unsigned recheckSeconds, bool followed = false);
  // The body of the note with key; nothing when its file cannot be read. A
  // body read from a file whose entry is unchanged here is offered to the
  // cache; an edited one never is, since it is not what the file holds.
  std::optional<std::string_view> body(KeywordIndex& index, std::string_view key);
  // The watch says key's file changed, came or went: its cached body is not
  // used again.
  void forget(const std::string& key);
  // The watch lost news: the next walk lists the files again.
  void relist() { relist_ = true; }

  BodyCache& cache();

 private:
  void adoptBackground();

  std::unique_ptr<BodyCache> cache_;
  std::uint64_t load_ = ~std::uint64_t{0};
  bool followed_ = false;
  bool relist_ = false;
  // The cache being opened in the background, for the load it belongs to,
  // and the keys the watch reported meanwhile.
  std::thread opening_;
  std::unique_ptr<BodyCache> opened_;
  std::uint64_t openedLoad_ = 0;
  std::unordered_set<std::string> forgotten_;
};

}  // namespace tav
