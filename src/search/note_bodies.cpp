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
  IndexEntry* e = index.findByKey(key);
  if (e && e->bodyLoaded) {
    // A body changed here is what the search must see; one read from the
    // file only while the walk's listing still finds the file as it was
    // then (a file gone keeps it: the note is not lost).
    if (e->status != EntryStatus::Clean || !e->stampKnown) return e->body;
    std::optional<FileStamp> listed = cache_.listedStamp(key);
    if (!listed || listed == e->stamp) return e->body;
    e->forgetBody(true);
  }
  if (std::optional<std::string_view> cached = cache_.find(key)) return cached;
  const std::string* read = nullptr;
  if (!index.fetchNote(key, &read, nullptr, nullptr) || !read) return std::nullopt;
  if (e && e->status == EntryStatus::Clean) cache_.learn(key, *read);
  return *read;
}

}  // namespace tav
