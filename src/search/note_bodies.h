// The bodies a search across the listed notes (F3) reads, in the one order
// that is both current and fast: the body in memory (read or edited in this
// run), then the body cache, then the note file.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "search/body_cache.h"
#include "store/keyword_index.h"

namespace tav {

class SearchBodies {
 public:
  // Before each walk. The cache is opened once per load of the index; later
  // walks list the note files' stamps again unless the last listing is less
  // than recheckSeconds old (F3 pressed again), since another program may
  // change a note at any time.
  void beginWalk(const KeywordIndex& index, unsigned recheckSeconds);
  // The body of the note with key; nothing when its file cannot be read. A
  // body read from a file whose entry is unchanged here is offered to the
  // cache; an edited one never is, since it is not what the file holds.
  std::optional<std::string_view> body(KeywordIndex& index, std::string_view key);

  BodyCache& cache() { return cache_; }

 private:
  BodyCache cache_;
  std::uint64_t load_ = ~std::uint64_t{0};
};

}  // namespace tav
