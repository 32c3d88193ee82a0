#include "standins/spooler_memory.h"

#include <algorithm>
#include <cwctype>
#include <string_view>
#include <utility>

#include "spooler/port_names.h"
#include "standins/record_packing.h"
#include "system/utf16_text.h"

namespace kv {
namespace {

constexpr std::uint32_t kErrorInvalidUserBuffer = 1784;  // ERROR_INVALID_USER_BUFFER
constexpr std::uint32_t kDeleteAccess = 0x10000;         // DELETE, part of PRINTER_ALL_ACCESS
constexpr std::uint32_t kPrinterStatusPendingDeletion = 0x4;
constexpr std::uint32_t kPrinterAttributeNetwork = 0x10;
constexpr std::uint32_t kPrinterAttributeLocal = 0x40;
constexpr std::wstring_view kXcvMonitorPrefix = L",XcvMonitor ";

bool sameStoredName(const std::optional<std::wstring>& stored, std::wstring_view given) {
  return stored.has_value() && sameSpoolerName(std::wstring_view(*stored), given);
}

// Whether a queue's port text names the port: the whole text, or a part of a pooled one.
bool portTextNames(const std::optional<std::wstring>& text, std::wstring_view port) {
  if (!text) return false;
  if (sameSpoolerName(std::wstring_view(*text), port)) return true;
  const std::vector<std::wstring_view> parts = portsOfText(*text);
  return std::any_of(parts.begin(), parts.end(),
                     [&](std::wstring_view part) { return sameSpoolerName(part, port); });
}

std::wstring textArg(const wchar_t* text) { return text != nullptr ? text : L"null"; }
std::wstring bufferArg(const void* buffer) { return buffer != nullptr ? L"buffer" : L"null"; }
std::wstring number(std::uint32_t value) { return std::to_wstring(value); }

std::uintptr_t handleId(SpoolerHandle handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// "\\server" of "\\server\queue"; the whole name when it has no queue part.
std::wstring serverOf(const std::wstring& name) {
  const std::size_t queueAt = name.find(L'\\', 2);
  return queueAt == std::wstring::npos ? name : name.substr(0, queueAt);
}

}  // namespace

MemoryPrintSystem::Monitor& MemoryPrintSystem::addMonitor(const std::wstring& name,
                                                          std::uint32_t deletePortStatus) {
  monitors_.push_back(Monitor{name, deletePortStatus, {}});
  return monitors_.back();
}

MemoryPrintSystem::Monitor* MemoryPrintSystem::monitor(const std::wstring& name) {
  for (Monitor& candidate : monitors_) {
    if (sameSpoolerName(candidate.name, name)) return &candidate;
  }
  return nullptr;
}

void MemoryPrintSystem::failNext(SpoolerOperation operation, std::uint32_t error, int passing) {
  faults_.failNext(operation, error, passing);
}

void MemoryPrintSystem::failAlways(SpoolerOperation operation, std::uint32_t error) {
  faults_.failAlways(operation, error);
}

void MemoryPrintSystem::stopFailing(SpoolerOperation operation) { faults_.stop(operation); }

void MemoryPrintSystem::afterNextCall(SpoolerOperation operation, std::function<void()> hook) {
  hooks_[operation] = std::move(hook);
}

bool MemoryPrintSystem::injectedFailure(SpoolerOperation operation, std::wstring call) {
  calls_.push_back(std::move(call));
  const std::optional<std::uint32_t> error = faults_.take(operation);
  if (!error) return false;
  lastError_ = *error;
  return true;
}

bool MemoryPrintSystem::succeed() {
  if (leftover_) lastError_ = *leftover_;
  return true;
}

bool MemoryPrintSystem::fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

bool MemoryPrintSystem::finish(SpoolerOperation operation, bool ok) {
  const auto found = hooks_.find(operation);
  if (found != hooks_.end()) {
    std::function<void()> hook = std::move(found->second);
    hooks_.erase(found);
    hook();
  }
  return ok;
}

const MemoryPrintSystem::OpenHandle* MemoryPrintSystem::findHandle(SpoolerHandle handle) const {
  const auto found = handles_.find(handleId(handle));
  return found != handles_.end() ? &found->second : nullptr;
}

std::wstring MemoryPrintSystem::handleText(SpoolerHandle handle) const {
  return handle != nullptr ? L"h" + std::to_wstring(handleId(handle)) : L"null";
}

MemoryPrintSystem::Queue* MemoryPrintSystem::findQueue(const std::wstring& name) {
  return queues_.find(name);
}

std::vector<MemoryPrintSystem::ListedPrinter> MemoryPrintSystem::listPrinters(
    std::uint32_t flags) const {
  // Connections and local queues share the record; local ones come first, as both flags ask.
  std::vector<ListedPrinter> listed;
  static const Text absent;
  if ((flags & kPrinterEnumLocal) != 0) {
    for (const Queue& queue : queues_.current()) {
      listed.push_back({&queue.name, &queue.driver, &queue.port, kPrinterAttributeLocal,
                        queue.status, queue.jobs});
    }
  }
  if ((flags & kPrinterEnumConnections) != 0) {
    for (const Connection& connection : connectionsOf_[callingUser_].current()) {
      listed.push_back(
          {&connection.name, &connection.driver, &absent, kPrinterAttributeNetwork, 0, 0});
    }
  }
  return listed;
}

template <typename Record, typename Item, typename Fill>
bool MemoryPrintSystem::enumerate(SpoolerOperation op, std::wstring call, std::uint32_t level,
                                  std::uint32_t servedLevel, const std::vector<Item>& items,
                                  Fill fill, std::uint8_t* buffer, std::uint32_t bufferSize,
                                  std::uint32_t* needed, std::uint32_t* returned) {
  if (injectedFailure(op, std::move(call))) return finish(op, false);
  if (needed == nullptr || returned == nullptr) return finish(op, fail(kErrorInvalidParameter));
  if (level != servedLevel) return finish(op, fail(kErrorInvalidLevel));
  if (buffer == nullptr && bufferSize != 0) return finish(op, fail(kErrorInvalidUserBuffer));
  if (packRecords<Record>(items, fill, buffer, bufferSize, needed, returned) !=
      PackResult::Packed) {
    return finish(op, fail(kErrorInsufficientBuffer));
  }
  return finish(op, succeed());
}

bool MemoryPrintSystem::enumPrintersW(std::uint32_t flags, const wchar_t* name, std::uint32_t level,
                                      std::uint8_t* buffer, std::uint32_t bufferSize,
                                      std::uint32_t* needed, std::uint32_t* returned) {
  const auto fill = [](const ListedPrinter& item, PrinterInfo2& record, TextPacker& texts) {
    record.pPrinterName = texts.put(*item.name);
    record.pPortName = texts.put(*item.port);
    record.pDriverName = texts.put(*item.driver);
    record.Attributes = item.attributes;
    record.Status = item.status;
    record.cJobs = item.jobs;
  };
  return enumerate<PrinterInfo2>(
      SpoolerOperation::EnumPrinters,
      L"EnumPrintersW(" + number(flags) + L", " + textArg(name) + L", " + number(level) + L", " +
          bufferArg(buffer) + L", " + number(bufferSize) + L")",
      level, 2, listPrinters(flags), fill, buffer, bufferSize, needed, returned);
}

bool MemoryPrintSystem::enumPrinterDriversW(const wchar_t* server, const wchar_t* environment,
                                            std::uint32_t level, std::uint8_t* buffer,
                                            std::uint32_t bufferSize, std::uint32_t* needed,
                                            std::uint32_t* returned) {
  const auto fill = [](const Driver& driver, DriverInfo1& record, TextPacker& texts) {
    record.pName = texts.put(driver.name);
  };
  std::vector<Driver> ofEnvironment;
  if (otherEnvironments_) {
    const std::wstring wanted = environment != nullptr ? environment : kOwnEnvironment;
    for (const Driver& driver : drivers_.current()) {
      if (driver.environment.value_or(kOwnEnvironment) == wanted) ofEnvironment.push_back(driver);
    }
  }
  std::wstring call = L"EnumPrinterDriversW(" + textArg(server) + L", " + textArg(environment) +
                      L", " + number(level) + L", " + bufferArg(buffer) + L", " +
                      number(bufferSize) + L")";
  const std::vector<Driver>& listed = otherEnvironments_ ? ofEnvironment : drivers_.current();
  if (level == 8) {
    const Text asked = environment != nullptr ? Text(environment) : Text(kOwnEnvironment);
    const auto fillWithInf = [&asked](const Driver& driver, DriverInfo8& record,
                                      TextPacker& texts) {
      record.cVersion = 3;
      record.pName = texts.put(driver.name);
      record.pEnvironment = texts.put(driver.environment ? driver.environment : asked);
      record.pszInfPath = texts.put(driver.infPath);
    };
    return enumerate<DriverInfo8>(SpoolerOperation::EnumPrinterDrivers, std::move(call), level, 8,
                                  listed, fillWithInf, buffer, bufferSize, needed, returned);
  }
  return enumerate<DriverInfo1>(SpoolerOperation::EnumPrinterDrivers, std::move(call), level, 1,
                                listed, fill, buffer, bufferSize, needed, returned);
}

bool MemoryPrintSystem::enumPortsW(const wchar_t* server, std::uint32_t level, std::uint8_t* buffer,
                                   std::uint32_t bufferSize, std::uint32_t* needed,
                                   std::uint32_t* returned) {
  const auto fill = [](const Port& port, PortInfo2& record, TextPacker& texts) {
    record.pPortName = texts.put(port.name);
    record.pMonitorName = texts.put(port.monitor);
    record.pDescription = texts.put(port.description);
    record.fPortType = port.type;
  };
  return enumerate<PortInfo2>(SpoolerOperation::EnumPorts,
                              L"EnumPortsW(" + textArg(server) + L", " + number(level) + L", " +
                                  bufferArg(buffer) + L", " + number(bufferSize) + L")",
                              level, 2, ports_.current(), fill, buffer, bufferSize, needed,
                              returned);
}

bool MemoryPrintSystem::openPrinterW(const wchar_t* name, SpoolerHandle* handle,
                                     std::uint32_t desiredAccess) {
  constexpr SpoolerOperation op = SpoolerOperation::OpenPrinter;
  if (handle != nullptr) *handle = nullptr;
  if (injectedFailure(op,
                      L"OpenPrinterW(" + textArg(name) + L", " + number(desiredAccess) + L")")) {
    return finish(op, false);
  }
  if (handle == nullptr) return finish(op, fail(kErrorInvalidParameter));

  OpenHandle opened{HandleKind::Server, L"", desiredAccess};
  const std::wstring_view wanted = name != nullptr ? name : L"";
  if (wanted.empty()) {
    // No name opens the local print server, as with winspool.
  } else if (wanted.starts_with(kXcvMonitorPrefix)) {
    const Monitor* found = monitor(std::wstring(wanted.substr(kXcvMonitorPrefix.size())));
    if (found == nullptr) return finish(op, fail(kErrorUnknownPort));
    opened = OpenHandle{HandleKind::Monitor, found->name, desiredAccess};
  } else if (wanted.starts_with(L"\\\\")) {
    const Connection* found = findServerQueue(wanted);
    if (found == nullptr) {
      const std::wstring server = serverOf(std::wstring(wanted));
      const bool answers = std::any_of(
          serverQueues_.begin(), serverQueues_.end(),
          [&](const Connection& queue) { return sameSpoolerName(serverOf(queue.name), server); });
      return finish(op, fail(answers ? kErrorInvalidPrinterName : kErrorServerUnavailable));
    }
    opened = OpenHandle{HandleKind::ServerQueue, found->name, desiredAccess};
  } else {
    // Other ",Xcv" forms are not served; a comma never begins a queue name.
    const Queue* found = wanted.starts_with(L",") ? nullptr : findQueue(std::wstring(wanted));
    if (found == nullptr) return finish(op, fail(kErrorInvalidPrinterName));
    if (found->refusedOpen != 0) return finish(op, fail(found->refusedOpen));
    opened = OpenHandle{HandleKind::Queue, found->name, desiredAccess};
  }
  const std::uintptr_t id = nextHandle_++;
  handles_.emplace(id, std::move(opened));
  *handle = reinterpret_cast<SpoolerHandle>(id);
  return finish(op, succeed());
}

bool MemoryPrintSystem::getPrinterW(SpoolerHandle handle, std::uint32_t level, std::uint8_t* buffer,
                                    std::uint32_t bufferSize, std::uint32_t* needed) {
  constexpr SpoolerOperation op = SpoolerOperation::GetPrinter;
  if (injectedFailure(op, L"GetPrinterW(" + handleText(handle) + L", " + number(level) + L", " +
                              bufferArg(buffer) + L", " + number(bufferSize) + L")")) {
    return finish(op, false);
  }
  const OpenHandle* opened = findHandle(handle);
  if (opened != nullptr && opened->kind == HandleKind::ServerQueue) {
    return finish(op, getServerQueue(opened->target, level, buffer, bufferSize, needed));
  }
  if (opened == nullptr || opened->kind != HandleKind::Queue) {
    return finish(op, fail(kErrorInvalidHandle));
  }
  Queue* queue = findQueue(opened->target);
  if (queue == nullptr) return finish(op, fail(kErrorInvalidPrinterName));
  if (needed == nullptr) return finish(op, fail(kErrorInvalidParameter));
  if (buffer == nullptr && bufferSize != 0) return finish(op, fail(kErrorInvalidUserBuffer));

  const std::vector<const Queue*> one{queue};
  std::uint32_t returned = 0;
  PackResult packed = PackResult::BufferTooSmall;
  if (level == 6) {
    const auto fill = [](const Queue* item, PrinterInfo6& record, TextPacker&) {
      record.dwStatus = item->status;
    };
    packed = packRecords<PrinterInfo6>(one, fill, buffer, bufferSize, needed, &returned);
  } else if (level == 2) {
    const auto fill = [](const Queue* item, PrinterInfo2& record, TextPacker& texts) {
      record.pPrinterName = texts.put(item->name);
      record.pPortName = texts.put(item->port);
      record.pDriverName = texts.put(item->driver);
      record.Attributes = kPrinterAttributeLocal;
      record.Status = item->status;
      record.cJobs = item->jobs;
    };
    packed = packRecords<PrinterInfo2>(one, fill, buffer, bufferSize, needed, &returned);
  } else {
    return finish(op, fail(kErrorInvalidLevel));
  }
  if (packed != PackResult::Packed) return finish(op, fail(kErrorInsufficientBuffer));
  return finish(op, succeed());
}

// A print server answers level 2 only, with the queue's name and driver.
bool MemoryPrintSystem::getServerQueue(const std::wstring& name, std::uint32_t level,
                                       std::uint8_t* buffer, std::uint32_t bufferSize,
                                       std::uint32_t* needed) {
  const Connection* queue = findServerQueue(name);
  if (queue == nullptr) return fail(kErrorInvalidPrinterName);
  if (needed == nullptr) return fail(kErrorInvalidParameter);
  if (buffer == nullptr && bufferSize != 0) return fail(kErrorInvalidUserBuffer);
  if (level != 2) return fail(kErrorInvalidLevel);
  const std::vector<const Connection*> one{queue};
  std::uint32_t returned = 0;
  const auto fill = [](const Connection* item, PrinterInfo2& record, TextPacker& texts) {
    record.pPrinterName = texts.put(item->name);
    record.pDriverName = texts.put(item->driver);
    record.Attributes = kPrinterAttributeNetwork;
  };
  if (packRecords<PrinterInfo2>(one, fill, buffer, bufferSize, needed, &returned) !=
      PackResult::Packed) {
    return fail(kErrorInsufficientBuffer);
  }
  return succeed();
}

bool MemoryPrintSystem::closePrinter(SpoolerHandle handle) {
  constexpr SpoolerOperation op = SpoolerOperation::ClosePrinter;
  if (injectedFailure(op, L"ClosePrinter(" + handleText(handle) + L")")) {
    return finish(op, false);
  }
  if (handles_.erase(handleId(handle)) == 0) return finish(op, fail(kErrorInvalidHandle));
  return finish(op, succeed());
}

bool MemoryPrintSystem::deletePrinter(SpoolerHandle handle) {
  constexpr SpoolerOperation op = SpoolerOperation::DeletePrinter;
  if (injectedFailure(op, L"DeletePrinter(" + handleText(handle) + L")")) {
    return finish(op, false);
  }
  const OpenHandle* opened = findHandle(handle);
  if (opened == nullptr || opened->kind != HandleKind::Queue) {
    return finish(op, fail(kErrorInvalidHandle));
  }
  if ((opened->access & kDeleteAccess) == 0) return finish(op, fail(kErrorAccessDenied));
  Queue* found = queues_.find(opened->target);
  if (found == nullptr) return finish(op, fail(kErrorInvalidPrinterName));
  // A queue that still holds jobs is only marked; the spooler removes it when they are done.
  if (found->jobs > 0) {
    found->status |= kPrinterStatusPendingDeletion;
  } else {
    queues_.remove(found);
  }
  return finish(op, succeed());
}

bool MemoryPrintSystem::deletePrinterConnectionW(const wchar_t* name) {
  constexpr SpoolerOperation op = SpoolerOperation::DeletePrinterConnection;
  if (injectedFailure(op, L"DeletePrinterConnectionW(" + textArg(name) + L")")) {
    return finish(op, false);
  }
  if (name == nullptr) return finish(op, fail(kErrorInvalidParameter));
  MemoryObjectList<Connection, nameOf>& own = connectionsOf_[callingUser_];
  const Connection* found = own.find(name);
  if (found == nullptr) return finish(op, fail(kErrorFileNotFound));
  own.remove(found);
  return finish(op, succeed());
}

bool MemoryPrintSystem::enumPerMachineConnectionsW(const wchar_t* server, std::uint8_t* buffer,
                                                   std::uint32_t bufferSize, std::uint32_t* needed,
                                                   std::uint32_t* returned) {
  const auto fill = [](const std::wstring& name, PrinterInfo4& record, TextPacker& texts) {
    record.pPrinterName = texts.put(name);
    record.pServerName = texts.put(serverOf(name));
    record.Attributes = kPrinterAttributeNetwork;
  };
  return enumerate<PrinterInfo4>(SpoolerOperation::EnumPerMachineConnections,
                                 L"EnumPerMachineConnectionsW(" + textArg(server) + L", " +
                                     bufferArg(buffer) + L", " + number(bufferSize) + L")",
                                 4, 4, machineConnections_, fill, buffer, bufferSize, needed,
                                 returned);
}

bool MemoryPrintSystem::deletePerMachineConnectionW(const wchar_t* server,
                                                    const wchar_t* printerName) {
  constexpr SpoolerOperation op = SpoolerOperation::DeletePerMachineConnection;
  if (injectedFailure(op, L"DeletePerMachineConnectionW(" + textArg(server) + L", " +
                              textArg(printerName) + L")")) {
    return finish(op, false);
  }
  if (printerName == nullptr) return finish(op, fail(kErrorInvalidParameter));
  if (!callerAdministrator_) return finish(op, fail(kErrorAccessDenied));
  const auto found =
      std::find_if(machineConnections_.begin(), machineConnections_.end(),
                   [&](const std::wstring& name) { return sameSpoolerName(name, printerName); });
  if (found == machineConnections_.end()) return finish(op, fail(kErrorInvalidPrinterName));
  machineConnections_.erase(found);
  return finish(op, succeed());
}

const MemoryPrintSystem::Connection* MemoryPrintSystem::findServerQueue(
    std::wstring_view name) const {
  for (const Connection& queue : serverQueues_) {
    if (sameSpoolerName(queue.name, name)) return &queue;
  }
  return nullptr;
}

bool MemoryPrintSystem::connectionUsesDriver(std::wstring_view driverName) const {
  for (const auto& [user, connections] : connectionsOf_) {
    for (const Connection& connection : connections.current()) {
      if (sameStoredName(connection.driver, driverName)) return true;
    }
  }
  for (const std::wstring& name : machineConnections_) {
    const Connection* queue = findServerQueue(name);
    if (queue != nullptr && sameStoredName(queue->driver, driverName)) return true;
  }
  return false;
}

bool MemoryPrintSystem::deletePrinterDriverExW(const wchar_t* server, const wchar_t* environment,
                                               const wchar_t* driverName, std::uint32_t deleteFlags,
                                               std::uint32_t versionFlag) {
  constexpr SpoolerOperation op = SpoolerOperation::DeletePrinterDriverEx;
  if (injectedFailure(op, L"DeletePrinterDriverExW(" + textArg(server) + L", " +
                              textArg(environment) + L", " + textArg(driverName) + L", " +
                              number(deleteFlags) + L", " + number(versionFlag) + L")")) {
    return finish(op, false);
  }
  if (driverName == nullptr) return finish(op, fail(kErrorInvalidParameter));
  const Driver* found = drivers_.find(driverName);
  if (found == nullptr) return finish(op, fail(kErrorUnknownPrinterDriver));
  const std::vector<Queue>& queues = queues_.current();
  const bool inUse = std::any_of(queues.begin(), queues.end(), [&](const Queue& queue) {
    return sameStoredName(queue.driver, driverName);
  });
  if (inUse || connectionUsesDriver(driverName)) {
    return finish(op, fail(kErrorPrinterDriverInUse));
  }
  drivers_.remove(found);
  return finish(op, succeed());
}

bool MemoryPrintSystem::deletePortW(const wchar_t* server, void* window, const wchar_t* portName) {
  constexpr SpoolerOperation op = SpoolerOperation::DeletePort;
  if (injectedFailure(op, L"DeletePortW(" + textArg(server) + L", " + bufferArg(window) + L", " +
                              textArg(portName) + L")")) {
    return finish(op, false);
  }
  if (portName == nullptr) return finish(op, fail(kErrorInvalidParameter));
  const Port* found = ports_.find(portName);
  if (found == nullptr) return finish(op, fail(kErrorUnknownPort));
  if (queueUsesPort(portName)) return finish(op, fail(kErrorBusy));
  ports_.remove(found);
  return finish(op, succeed());
}

bool MemoryPrintSystem::removePortNamedInRecord(const std::vector<std::uint8_t>& record) {
  const Port* found = ports_.find(portNamedInRecord(record));
  if (found == nullptr) return false;
  ports_.remove(found);
  return true;
}

bool MemoryPrintSystem::queueUsesPort(std::wstring_view port) const {
  const std::vector<Queue>& queues = queues_.current();
  return std::any_of(queues.begin(), queues.end(),
                     [&](const Queue& queue) { return portTextNames(queue.port, port); });
}

std::wstring MemoryPrintSystem::portNamedInRecord(const std::vector<std::uint8_t>& record) {
  // Both records begin with the port name in a field of 64 UTF-16 units.
  std::u16string name;
  for (std::size_t at = 0; at + 1 < record.size() && name.size() < 64; at += 2) {
    const char16_t unit = static_cast<char16_t>(record[at] | (record[at + 1] << 8));
    if (unit == u'\0') break;
    name.push_back(unit);
  }
  return fromUtf16(name);
}

bool MemoryPrintSystem::xcvDataW(SpoolerHandle handle, const wchar_t* dataName,
                                 const std::uint8_t* input, std::uint32_t inputSize,
                                 std::uint8_t* output, std::uint32_t outputSize,
                                 std::uint32_t* outputNeeded, std::uint32_t* status) {
  constexpr SpoolerOperation op = SpoolerOperation::XcvData;
  if (injectedFailure(op, L"XcvDataW(" + handleText(handle) + L", " + textArg(dataName) + L", " +
                              bufferArg(input) + L", " + number(inputSize) + L", " +
                              bufferArg(output) + L", " + number(outputSize) + L")")) {
    return finish(op, false);
  }
  const OpenHandle* opened = findHandle(handle);
  if (opened == nullptr || opened->kind != HandleKind::Monitor) {
    return finish(op, fail(kErrorInvalidHandle));
  }
  if ((opened->access & kServerAccessAdminister) == 0) {
    return finish(op, fail(kErrorAccessDenied));
  }
  if (dataName == nullptr || outputNeeded == nullptr || status == nullptr ||
      (input == nullptr && inputSize != 0) || (output == nullptr && outputSize != 0)) {
    return finish(op, fail(kErrorInvalidParameter));
  }
  Monitor* target = monitor(opened->target);
  if (target == nullptr) return finish(op, fail(kErrorInvalidHandle));

  XcvCall call{dataName, std::vector<std::uint8_t>(input, input + inputSize)};
  *outputNeeded = 0;
  if (call.command == L"DeletePort") {
    *status = target->deletePortStatus;
    // The spooler refuses to take away a port that a queue prints to, whatever the monitor.
    if (*status == 0 && queueUsesPort(portNamedInRecord(call.input))) *status = kErrorBusy;
    if (*status == 0) removePortNamedInRecord(call.input);
  } else {
    // The only command this stand-in knows is "DeletePort"; a monitor refuses others.
    *status = kErrorInvalidParameter;
  }
  target->received.push_back(std::move(call));
  return finish(op, succeed());
}

}  // namespace kv
