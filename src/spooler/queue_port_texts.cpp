#include "spooler/queue_port_texts.h"

#include <algorithm>
#include <string_view>

#include "spooler/inventory.h"
#include "spooler/port_names.h"

namespace kv {

std::vector<std::wstring> portsNamedBy(const std::wstring& text,
                                       const PortInventoryIndex& inventory) {
  const std::vector<std::wstring_view> parts = portsOfText(text);
  // A stray comma ("NVT1,") makes a text pooled as well; one of commas only names nothing else.
  if (parts.empty() || inventory.find(text) != nullptr) return {text};
  return {parts.begin(), parts.end()};
}

bool listPortsNamedIn(std::initializer_list<const NameList*> texts, PortInfoList& ports) {
  std::vector<std::wstring_view> wanted;
  for (const NameList* list : texts) {
    for (const std::wstring& text : *list) {
      wanted.push_back(text);
      const std::vector<std::wstring_view> parts = portsOfText(text);
      wanted.insert(wanted.end(), parts.begin(), parts.end());
    }
  }
  std::sort(wanted.begin(), wanted.end(), portNameLess);
  const auto isWanted = [&](std::wstring_view port) {
    return std::binary_search(wanted.begin(), wanted.end(), port, portNameLess);
  };
  return bMciEntryPortInfoList(ports, isWanted);
}

}  // namespace kv
