#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kv {

// Each distinct text once: a fleet repeats the same driver names, reasons and versions on
// thousands of PCs, and the report keeps them all until the page is written.
class TextPool {
 public:
  using Id = std::uint32_t;
  TextPool() { add(std::string()); }
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;

  Id add(const std::string& text) {
    if (const auto found = ids_.find(text); found != ids_.end()) return found->second;
    const Id id = static_cast<Id>(texts_.size());
    // A deque never moves what it holds, so the views in ids_ stay valid.
    ids_.emplace(texts_.emplace_back(text), id);
    return id;
  }
  const std::string& text(Id id) const { return texts_[id]; }

 private:
  std::deque<std::string> texts_;
  std::unordered_map<std::string_view, Id> ids_;
};

}  // namespace kv
