#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "spooler/name_list.h"
#include "spooler/port_info.h"
#include "spooler/port_inventory_index.h"

namespace kv {

// The ports that queues' port texts name, as the port phase and kvcheck take them.

// A pooled queue's port text names several ports, separated by commas; but the maker's monitors
// also give single ports names with commas. A text the spooler lists as a port is that port;
// otherwise each part that is not empty is one, also of a text with a stray comma ("NVT1,").
std::vector<std::wstring> portsNamedBy(const std::wstring& text,
                                       const PortInventoryIndex& inventory);

// Lists (bMciEntryPortInfoList) only the ports that the texts of `texts` name: each text, and each
// part of a pooled one, found as the spooler finds them, whatever their case. False when the
// ports cannot be listed.
bool listPortsNamedIn(std::initializer_list<const NameList*> texts, PortInfoList& ports);

}  // namespace kv
