#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kv {

inline wchar_t foldAsciiCase(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Whether the spooler takes two names for the same: equal apart from the case of ASCII letters.
inline bool sameSpoolerName(std::wstring_view a, std::wstring_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return foldAsciiCase(x) == foldAsciiCase(y); });
}

// FNV-1a over the case-folded code units: names that sameSpoolerName takes for the same hash
// alike.
inline std::uint64_t spoolerNameHash(std::wstring_view name) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const wchar_t c : name) {
    hash ^= static_cast<std::uint64_t>(foldAsciiCase(c));
    hash *= 1099511628211ull;
  }
  return hash;
}

// The objects of one kind that the in-memory print system holds, in the order its enumerations
// list them, with the lookups by name its calls make. Benchmarks fill it with hundreds of
// thousands of objects, so neither a lookup nor a removal walks the list: the names are indexed,
// and a removal only marks its entry until the list is next read whole. Once the list has been
// handed out to a caller, who may keep the reference, it is a plain list again: lookups walk it
// and removals take their entry out at once. `nameOf` gives an entry's name, or null for an
// entry without one, which no lookup finds.
template <typename Item, const std::wstring* (*nameOf)(const Item&)>
class MemoryObjectList {
 public:
  void add(Item item) {
    items_.push_back(std::move(item));
    if (walking_) return;
    removed_.push_back(false);
    indexAt(items_.size() - 1);
  }

  // The first entry whose name the spooler takes for `name`, or null.
  Item* find(std::wstring_view name) {
    Item* first = nullptr;
    if (walking_) {
      for (Item& item : items_) {
        if (named(item, name)) return &item;
      }
      return first;
    }
    const auto [begin, end] = positions_.equal_range(spoolerNameHash(name));
    for (auto at = begin; at != end; ++at) {
      Item& item = items_[at->second];
      if (named(item, name) && (first == nullptr || &item < first)) first = &item;
    }
    return first;
  }

  // Takes away an entry that find gave.
  void remove(const Item* item) {
    const auto position = static_cast<std::size_t>(item - items_.data());
    if (walking_) {
      items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
      return;
    }
    unindexAt(position);
    removed_[position] = true;
    ++removedCount_;
  }

  // The entries, in order, for the print system's own use within one call.
  const std::vector<Item>& current() const {
    compact();
    return items_;
  }

  // The entries, for a caller that may keep them and, through the non-const form, change them in
  // any way; the index cannot follow, so the list is a plain list from now on.
  const std::vector<Item>& handOut() const {
    compact();
    walking_ = true;
    positions_.clear();
    removed_.clear();
    return items_;
  }
  std::vector<Item>& handOut() {
    std::as_const(*this).handOut();
    return items_;
  }

 private:
  static bool named(const Item& item, std::wstring_view name) {
    const std::wstring* own = nameOf(item);
    return own != nullptr && sameSpoolerName(*own, name);
  }

  void indexAt(std::size_t position) const {
    if (const std::wstring* name = nameOf(items_[position])) {
      positions_.emplace(spoolerNameHash(*name), position);
    }
  }

  void unindexAt(std::size_t position) {
    const std::wstring* name = nameOf(items_[position]);
    if (name == nullptr) return;
    const auto [begin, end] = positions_.equal_range(spoolerNameHash(*name));
    for (auto at = begin; at != end; ++at) {
      if (at->second == position) {
        positions_.erase(at);
        return;
      }
    }
  }

  // Drops the entries marked as removed, in one pass; the others move up, so the index is made
  // again.
  void compact() const {
    if (removedCount_ == 0) return;
    std::size_t to = 0;
    for (std::size_t from = 0; from < items_.size(); ++from) {
      if (removed_[from]) continue;
      if (to != from) items_[to] = std::move(items_[from]);
      ++to;
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(to), items_.end());
    removed_.assign(to, false);
    removedCount_ = 0;
    positions_.clear();
    for (std::size_t position = 0; position < to; ++position) indexAt(position);
  }

  // Mutable: reading the entries compacts them first, which changes nothing a caller sees.
  mutable std::vector<Item> items_;
  mutable std::vector<bool> removed_;
  mutable std::size_t removedCount_ = 0;
  mutable std::unordered_multimap<std::uint64_t, std::size_t> positions_;
  mutable bool walking_ = false;
};

}  // namespace kv
