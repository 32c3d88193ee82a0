#pragma once

#include <string>
#include <vector>

namespace kv {

// An ordered list of owned copies of names the spooler returned. Groups of parallel lists
// (connections with their drivers; queues with drivers and ports) describe one object per index.
using NameList = std::vector<std::wstring>;

// Releases every entry and empties the list.
inline void ReleaseNameList(NameList& list) {
  list.clear();
  list.shrink_to_fit();
}

}  // namespace kv
