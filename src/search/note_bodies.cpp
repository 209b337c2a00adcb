#include "search/note_bodies.h"

namespace tav {

void SearchBodies::beginWalk(const KeywordIndex& index, unsigned recheckSeconds) {
  if (load_ != index.loadCount()) {
    cache_.open(index.folder());
    load_ = index.loadCount();
  } else {
    cache_.recheck(recheckSeconds);
  }
}

std::optional<std::string_view> SearchBodies::body(KeywordIndex& index, std::string_view key) {
  const IndexEntry* e = index.findByKey(key);
  if (e && e->bodyLoaded) return e->body;
  if (std::optional<std::string_view> cached = cache_.find(key)) return cached;
  const std::string* read = nullptr;
  if (!index.fetchNote(key, &read, nullptr, nullptr) || !read) return std::nullopt;
  if (e && e->status == EntryStatus::Clean) cache_.learn(key, *read);
  return *read;
}

}  // namespace tav
