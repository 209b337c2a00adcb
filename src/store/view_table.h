// A compact hash table from a text to the index entries that carry it, for
// the lookups of KeywordIndex. Open addressing with linear probing over one
// flat array: loading 100,000 entries costs one probe into a cache-friendly
// array per entry instead of one allocated node each. The text itself is not
// stored; the table asks the entry for it (its key or its keyword), so an
// entry must be taken out before its record changes and put back after.
// Several entries may share a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace tav {

template <typename Entry, std::string_view (*TextOf)(const Entry&)>
class ViewTable {
 public:
  void clear() {
    slots_.clear();
    count_ = 0;
  }

  void reserve(std::size_t n) {
    if (n * 2 > slots_.size()) rehash(n * 2);
  }

  void insert(Entry* e) {
    if ((count_ + 1) * 2 > slots_.size()) rehash(slots_.size() < 16 ? 16 : slots_.size() * 2);
    std::uint64_t h = hashOf(TextOf(*e));
    std::size_t i = h & mask();
    while (slots_[i].entry) i = (i + 1) & mask();
    slots_[i] = Slot{h, e};
    ++count_;
  }

  // Calls fn(entry) for every entry whose text is text.
  template <typename Fn>
  void forEach(std::string_view text, Fn&& fn) const {
    if (slots_.empty()) return;
    std::uint64_t h = hashOf(text);
    for (std::size_t i = h & mask(); slots_[i].entry; i = (i + 1) & mask())
      if (slots_[i].hash == h && TextOf(*slots_[i].entry) == text) fn(slots_[i].entry);
  }

  // Removes this entry (found by its current text).
  void erase(Entry* e) {
    if (slots_.empty()) return;
    std::uint64_t h = hashOf(TextOf(*e));
    std::size_t i = h & mask();
    while (slots_[i].entry && slots_[i].entry != e) i = (i + 1) & mask();
    if (!slots_[i].entry) return;
    // Backward shift: later members of the probe run move up into the hole,
    // so lookups never need markers for removed slots.
    std::size_t hole = i;
    for (std::size_t j = (hole + 1) & mask(); slots_[j].entry; j = (j + 1) & mask()) {
      std::size_t home = slots_[j].hash & mask();
      bool movable = hole <= j ? (home <= hole || home > j) : (home <= hole && home > j);
      if (movable) {
        slots_[hole] = slots_[j];
        hole = j;
      }
    }
    slots_[hole] = Slot{};
    --count_;
  }

  std::size_t size() const { return count_; }

 private:
  struct Slot {
    std::uint64_t hash = 0;
    Entry* entry = nullptr;
  };

  static std::uint64_t hashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }
  std::size_t mask() const { return slots_.size() - 1; }

  void rehash(std::size_t want) {
    std::size_t size = 16;
    while (size < want) size *= 2;
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(size, Slot{});
    for (const Slot& s : old) {
      if (!s.entry) continue;
      std::size_t i = s.hash & mask();
      while (slots_[i].entry) i = (i + 1) & mask();
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace tav
