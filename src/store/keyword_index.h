// The in-memory catalogue of the notes of one data folder, mirrored by the
// folder's "index2.txt". Entries keep the file's order; hash maps beside them
// make lookups by key and keyword constant-time.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/note.h"

namespace tav {

class KeywordIndex {
 public:
  // Check filter values of collectMatches.
  static constexpr int kAnyCheck = 3;

  // Replaces the list by folder's "index2.txt" (creating the folder and an
  // empty index when it cannot be read).
  void load(const std::string& folder);
  // Writes changed note files (first) and then "index2.txt" of folder.
  // Returns false when any write failed (the old files stay whole).
  bool save(const std::string& folder);
  void clear();
  bool saveAndClear(const std::string& folder);

  // Exact key; whatever its status. nullptr when absent.
  IndexEntry* findByKey(std::string_view key);
  const IndexEntry* findByKey(std::string_view key) const;
  // First entry in list order whose keyword equals keyword; whatever its status.
  IndexEntry* findByKeyword(std::string_view keyword);

  void storeNote(const std::string& body, const std::string& keyword, const std::string& key,
                 unsigned caret, bool checked);
  // The note's body (owned by the entry), check mark and caret; false when the
  // key is unknown or its file unreadable (outputs untouched then).
  bool fetchNote(std::string_view key, const std::string** body, bool* checked,
                 unsigned* caret);
  void setChecked(std::string_view key, char mark);

  // Appends the index lines of the matching live entries, in list order, and
  // returns the number of texts now in out.
  std::size_t collectMatches(std::string_view query, std::vector<std::string>& out,
                             std::string_view grep, int checkFilter);
  std::size_t countMatches(std::string_view query) const;
  void prependToMatches(std::string_view query, std::string_view text);

  // A key not in the index, made from the stamp (its last four digits are
  // counted up while the key is taken).
  std::string uniqueKey(const std::string& subFolder, const std::string& stamp) const;

  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  const IndexEntry& at(std::size_t i) const { return *entries_[i]; }
  IndexEntry& at(std::size_t i) { return *entries_[i]; }

  std::string currentKey;
  // The data folder the entries' files live in ("data" or "data2").
  const std::string& folder() const { return folder_; }

 private:
  std::vector<std::unique_ptr<IndexEntry>> entries_;
  std::unordered_map<std::string, IndexEntry*> byKey_;
  std::unordered_map<std::string, std::vector<IndexEntry*>> byKeyword_;
  std::string folder_ = "data";
};

}  // namespace tav
