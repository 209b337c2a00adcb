#include "search/note_bodies.h"

namespace tav {

SearchBodies::SearchBodies() : cache_(std::make_unique<BodyCache>()) {}

SearchBodies::~SearchBodies() {
  if (opening_.joinable()) opening_.join();
}

SearchBodies& SearchBodies::operator=(SearchBodies&& o) noexcept {
  if (this == &o) return *this;
  if (opening_.joinable()) opening_.join();
  cache_ = std::move(o.cache_);
  load_ = o.load_;
  followed_ = o.followed_;
  relist_ = o.relist_;
  opening_ = std::move(o.opening_);
  opened_ = std::move(o.opened_);
  openedLoad_ = o.openedLoad_;
  forgotten_ = std::move(o.forgotten_);
  return *this;
}

BodyCache& SearchBodies::cache() {
  adoptBackground();
  return *cache_;
}

void SearchBodies::openInBackground(const KeywordIndex& index) {
  if (opening_.joinable()) opening_.join();
  forgotten_.clear();
  opened_ = std::make_unique<BodyCache>();
  openedLoad_ = index.loadCount();
  opening_ = std::thread([cache = opened_.get(), folder = index.folder()] { cache->open(folder); });
}

void SearchBodies::adoptBackground() {
  if (!opening_.joinable()) return;
  opening_.join();
  cache_ = std::move(opened_);
  load_ = openedLoad_;
  for (const std::string& key : forgotten_) cache_->drop(key);
  forgotten_.clear();
}

void SearchBodies::beginWalk(const KeywordIndex& index, unsigned recheckSeconds, bool followed) {
  adoptBackground();
  followed_ = followed;
  if (load_ != index.loadCount()) {
    cache_->open(index.folder());
    load_ = index.loadCount();
    relist_ = false;
  } else if (relist_) {
    cache_->recheck(0);
    relist_ = false;
  } else if (!followed) {
    cache_->recheck(recheckSeconds);
  }
}

void SearchBodies::forget(const std::string& key) {
  if (opening_.joinable()) forgotten_.insert(key);
  else cache_->drop(key);
}

std::optional<std::string_view> SearchBodies::body(KeywordIndex& index, std::string_view key) {
  IndexEntry* e = index.findByKey(key);
  if (e && e->bodyLoaded) {
    // A body changed here is what the search must see; one read from the
    // file only while the file is as it was then: the watch keeps such
    // bodies current, else the walk's listing must still find its stamp (a
    // file gone keeps it: the note is not lost).
    if (followed_ || e->status != EntryStatus::Clean || !e->stampKnown) return e->body;
    std::optional<FileStamp> listed = cache_->listedStamp(key);
    if (!listed || listed == e->stamp) return e->body;
    e->forgetBody(true);
  }
  if (std::optional<std::string_view> cached = cache_->find(key)) return cached;
  const std::string* read = nullptr;
  if (!index.fetchNote(key, &read, nullptr, nullptr) || !read) return std::nullopt;
  if (e && e->status == EntryStatus::Clean) cache_->learn(key, *read);
  return *read;
}

}  // namespace tav
