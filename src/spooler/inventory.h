#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "spooler/name_list.h"
#include "spooler/port_info.h"

namespace kv {

// Snapshots of the print system. Each appends what the spooler reports, in its order, to the
// caller's lists without clearing them first. On failure the failure is reported (see
// error_reporting.h), false is returned and the lists are as they were: nothing is appended
// before the spooler has answered in full.

// The current user's network printer connections: names and their driver names.
bool bMciEntryConnectionList(NameList& connectionNames, NameList& driverNames);

// The local print queues with their driver names and port texts. Any list may be null; only
// the lists given are filled.
bool bMciEntryQueue_Driver_PortList(NameList* queueNames, NameList* driverNames,
                                    NameList* portNames);

// The same listing, each queue's driver name and port text handed to `visit` in turn instead of
// appended to lists, for a caller that keeps little of it: the lists would hold the whole answer
// a second time. An exception that `visit` raises ends the visits and leaves the wrapper once
// the listing is done, as one raised after a listing into lists would.
using QueueVisit = std::function<void(std::wstring driverName, std::wstring portText)>;
bool bMciEntryQueue_Driver_PortList(const QueueVisit& visit);

// The installed printer drivers of the local machine, of its own environment (the one its queues
// use, SystemServices::nativePrintEnvironment), or of the environment named ("Windows x64",
// "Windows NT x86", "Windows ARM64"); a spooler that serves no such environment fails with 1805.
bool bMciEntryDriverList(NameList& driverNames);
bool bMciEntryDriverList(NameList& driverNames, const std::wstring& environment);

// The ports with their monitors, descriptions, type bits and kinds.
bool bMciEntryPortInfoList(PortInfoList& ports);

// The same, appending only the entries of the ports whose name `wanted` takes, each entry of such
// a name in its order; `wanted` does not raise. For a caller that looks up a few of the ports:
// the whole inventory would be the largest thing it holds.
using PortNameTest = std::function<bool(std::wstring_view portName)>;
bool bMciEntryPortInfoList(PortInfoList& ports, const PortNameTest& wanted);

}  // namespace kv
