#include "generated_print_system.h"

#include <cstring>
#include <limits>
#include <string>

#include "standins/memory_object_list.h"
#include "system/utf16_text.h"

namespace kv::bench {
namespace {

constexpr std::size_t kDriversPerMaker = 10;
constexpr std::uint32_t kErrorInvalidUserBuffer = 1784;  // ERROR_INVALID_USER_BUFFER
constexpr std::uint32_t kDeleteAccess = 0x10000;         // DELETE
constexpr std::uint32_t kPrinterAttributeLocal = 0x40;
constexpr std::wstring_view kXcvMonitorPrefix = L",XcvMonitor ";
constexpr std::wstring_view kMakersMonitor = L"DeviceLinkMonitor";

// A generated name: a prefix, a number of at least `digits` digits and a suffix, kept in place.
class Name {
 public:
  Name(std::wstring_view prefix, std::size_t number, std::size_t digits,
       std::wstring_view suffix = L"") {
    append(prefix);
    wchar_t reversed[24];
    std::size_t count = 0;
    do {
      reversed[count++] = static_cast<wchar_t>(L'0' + number % 10);
      number /= 10;
    } while (number > 0);
    for (; count < digits; ++count) reversed[count] = L'0';
    while (count > 0) chars_[length_++] = reversed[--count];
    append(suffix);
  }
  std::wstring_view view() const { return {chars_, length_}; }

 private:
  void append(std::wstring_view text) {
    text.copy(chars_ + length_, text.size());
    length_ += text.size();
  }
  wchar_t chars_[64];
  std::size_t length_ = 0;
};

// The number in a name: its decimal digits read as one number, or none when it has none or too
// many to be one of ours.
std::optional<std::size_t> numberIn(std::wstring_view name) {
  std::size_t number = 0;
  std::size_t digits = 0;
  for (const wchar_t c : name) {
    if (c < L'0' || c > L'9') continue;
    if (++digits > 12) return std::nullopt;
    number = number * 10 + static_cast<std::size_t>(c - L'0');
  }
  if (digits == 0) return std::nullopt;
  return number;
}

// Places the texts of records behind them, as winspool does; without a place it only counts.
class TextWriter {
 public:
  explicit TextWriter(std::uint8_t* at = nullptr) : at_(at) {}
  wchar_t* put(std::wstring_view text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    bytes_ += bytes;
    if (at_ == nullptr) return nullptr;
    auto* placed = reinterpret_cast<wchar_t*>(at_);
    const wchar_t terminator = L'\0';
    std::memcpy(at_, text.data(), text.size() * sizeof(wchar_t));
    std::memcpy(at_ + text.size() * sizeof(wchar_t), &terminator, sizeof terminator);
    at_ += bytes;
    return placed;
  }
  std::size_t bytes() const { return bytes_; }

 private:
  std::uint8_t* at_;
  std::size_t bytes_ = 0;
};

// Packs a Record for each of `count` numbers that `fill(number, record, texts)` takes (it
// answers false for an object that is gone), sized and checked as packRecords does.
template <typename Record, typename Fill>
bool pack(std::size_t count, Fill fill, std::uint8_t* buffer, std::uint32_t bufferSize,
          std::uint32_t* needed, std::uint32_t* returned) {
  TextWriter counter;
  std::size_t records = 0;
  for (std::size_t number = 0; number < count; ++number) {
    Record record{};
    records += fill(number, record, counter) ? 1 : 0;
  }
  const std::size_t total = records * sizeof(Record) + counter.bytes();
  constexpr std::size_t largest = std::numeric_limits<std::uint32_t>::max();
  *needed = static_cast<std::uint32_t>(total < largest ? total : largest);
  *returned = 0;
  if (total > bufferSize || (buffer == nullptr && total > 0)) return false;

  TextWriter writer(buffer + records * sizeof(Record));
  std::size_t placed = 0;
  for (std::size_t number = 0; number < count; ++number) {
    Record record{};
    if (!fill(number, record, writer)) continue;
    std::memcpy(buffer + placed++ * sizeof(Record), &record, sizeof(Record));
  }
  *returned = static_cast<std::uint32_t>(placed);
  return true;
}

std::uintptr_t handleId(SpoolerHandle handle) { return reinterpret_cast<std::uintptr_t>(handle); }

}  // namespace

GeneratedPrintSystem::GeneratedPrintSystem(std::size_t makerQueues)
    : makerQueues_(makerQueues),
      queueDeleted_(2 * makerQueues, false),
      portDeleted_(2 * makerQueues, false),
      driverDeleted_(2 * kDriversPerMaker, false),
      queuesOfDriver_(2 * kDriversPerMaker, 0) {
  for (std::size_t queue = 0; queue < 2 * makerQueues_; ++queue)
    ++queuesOfDriver_[driverOfQueue(queue)];
}

namespace {

// Queue and port numbers run over both makers; driver numbers alternate between them.
Name queueName(std::size_t number, std::size_t makerQueues) {
  return number < makerQueues ? Name(L"Acme Q", number, 6)
                              : Name(L"NOVAX Q", number - makerQueues, 6);
}

Name portName(std::size_t number, std::size_t makerQueues) {
  if (number < makerQueues) return Name(L"ACME_", number, 6, L":");
  const std::size_t own = number - makerQueues;
  return own % 2 == 0 ? Name(L"DLM_", own, 6) : Name(L"LPT_", own, 6, L":");
}

bool onMakersMonitor(std::size_t number, std::size_t makerQueues) {
  return number >= makerQueues && (number - makerQueues) % 2 == 0;
}

Name driverName(std::size_t number) {
  return number % 2 == 0 ? Name(L"Acme Laser ", number / 2, 1)
                         : Name(L"NOVAX Model ", number / 2, 1);
}

}  // namespace

std::size_t GeneratedPrintSystem::driverOfQueue(std::size_t queue) const {
  const std::size_t own = isMakers(queue) ? queue - makerQueues_ : queue;
  return 2 * (own % kDriversPerMaker) + (isMakers(queue) ? 1 : 0);
}

GeneratedPrintSystem::Left GeneratedPrintSystem::makersLeft() const {
  Left left;
  for (std::size_t n = makerQueues_; n < 2 * makerQueues_; ++n) {
    left.queues += queueDeleted_[n] ? 0 : 1;
    left.ports += portDeleted_[n] ? 0 : 1;
  }
  for (std::size_t d = 1; d < driverDeleted_.size(); d += 2)
    left.drivers += driverDeleted_[d] ? 0 : 1;
  return left;
}

GeneratedPrintSystem::Left GeneratedPrintSystem::othersLeft() const {
  Left left;
  for (std::size_t n = 0; n < makerQueues_; ++n) {
    left.queues += queueDeleted_[n] ? 0 : 1;
    left.ports += portDeleted_[n] ? 0 : 1;
  }
  for (std::size_t d = 0; d < driverDeleted_.size(); d += 2)
    left.drivers += driverDeleted_[d] ? 0 : 1;
  return left;
}

std::optional<std::size_t> GeneratedPrintSystem::findQueue(std::wstring_view name) const {
  const std::optional<std::size_t> number = numberIn(name);
  if (!number || *number >= makerQueues_) return std::nullopt;
  for (const std::size_t queue : {*number, makerQueues_ + *number}) {
    if (!queueDeleted_[queue] && sameSpoolerName(queueName(queue, makerQueues_).view(), name)) {
      return queue;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> GeneratedPrintSystem::findPort(std::wstring_view name) const {
  const std::optional<std::size_t> number = numberIn(name);
  if (!number || *number >= makerQueues_) return std::nullopt;
  for (const std::size_t port : {*number, makerQueues_ + *number}) {
    if (!portDeleted_[port] && sameSpoolerName(portName(port, makerQueues_).view(), name)) {
      return port;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> GeneratedPrintSystem::findDriver(std::wstring_view name) const {
  for (std::size_t driver = 0; driver < driverDeleted_.size(); ++driver) {
    if (!driverDeleted_[driver] && sameSpoolerName(driverName(driver).view(), name)) return driver;
  }
  return std::nullopt;
}

bool GeneratedPrintSystem::removePort(std::wstring_view name) {
  const std::optional<std::size_t> port = findPort(name);
  if (!port) return false;
  portDeleted_[*port] = true;
  return true;
}

const GeneratedPrintSystem::OpenHandle* GeneratedPrintSystem::findHandle(
    SpoolerHandle handle) const {
  const auto found = handles_.find(handleId(handle));
  return found != handles_.end() ? &found->second : nullptr;
}

bool GeneratedPrintSystem::fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

bool GeneratedPrintSystem::enumPrintersW(std::uint32_t flags, const wchar_t*, std::uint32_t level,
                                         std::uint8_t* buffer, std::uint32_t bufferSize,
                                         std::uint32_t* needed, std::uint32_t* returned) {
  if (needed == nullptr || returned == nullptr) return fail(kErrorInvalidParameter);
  if (level != 2) return fail(kErrorInvalidLevel);
  if (buffer == nullptr && bufferSize != 0) return fail(kErrorInvalidUserBuffer);
  // There are no connections: only local queues are listed.
  const std::size_t count = (flags & kPrinterEnumLocal) != 0 ? 2 * makerQueues_ : 0;
  const auto fill = [&](std::size_t queue, PrinterInfo2& record, TextWriter& texts) {
    if (queueDeleted_[queue]) return false;
    record.pPrinterName = texts.put(queueName(queue, makerQueues_).view());
    record.pPortName = texts.put(portName(queue, makerQueues_).view());
    record.pDriverName = texts.put(driverName(driverOfQueue(queue)).view());
    record.Attributes = kPrinterAttributeLocal;
    return true;
  };
  if (!pack<PrinterInfo2>(count, fill, buffer, bufferSize, needed, returned)) {
    return fail(kErrorInsufficientBuffer);
  }
  return true;
}

bool GeneratedPrintSystem::enumPrinterDriversW(const wchar_t*, const wchar_t*, std::uint32_t level,
                                               std::uint8_t* buffer, std::uint32_t bufferSize,
                                               std::uint32_t* needed, std::uint32_t* returned) {
  if (needed == nullptr || returned == nullptr) return fail(kErrorInvalidParameter);
  if (level != 1) return fail(kErrorInvalidLevel);
  if (buffer == nullptr && bufferSize != 0) return fail(kErrorInvalidUserBuffer);
  const auto fill = [&](std::size_t driver, DriverInfo1& record, TextWriter& texts) {
    if (driverDeleted_[driver]) return false;
    record.pName = texts.put(driverName(driver).view());
    return true;
  };
  if (!pack<DriverInfo1>(driverDeleted_.size(), fill, buffer, bufferSize, needed, returned)) {
    return fail(kErrorInsufficientBuffer);
  }
  return true;
}

bool GeneratedPrintSystem::enumPortsW(const wchar_t*, std::uint32_t level, std::uint8_t* buffer,
                                      std::uint32_t bufferSize, std::uint32_t* needed,
                                      std::uint32_t* returned) {
  if (needed == nullptr || returned == nullptr) return fail(kErrorInvalidParameter);
  if (level != 2) return fail(kErrorInvalidLevel);
  if (buffer == nullptr && bufferSize != 0) return fail(kErrorInvalidUserBuffer);
  const auto fill = [&](std::size_t port, PortInfo2& record, TextWriter& texts) {
    if (portDeleted_[port]) return false;
    const bool monitored = onMakersMonitor(port, makerQueues_);
    record.pPortName = texts.put(portName(port, makerQueues_).view());
    record.pMonitorName = texts.put(monitored ? kMakersMonitor : L"Local Monitor");
    record.pDescription = texts.put(monitored ? L"DeviceLink Port" : L"Local Port");
    record.fPortType = 1;
    return true;
  };
  if (!pack<PortInfo2>(portDeleted_.size(), fill, buffer, bufferSize, needed, returned)) {
    return fail(kErrorInsufficientBuffer);
  }
  return true;
}

bool GeneratedPrintSystem::openPrinterW(const wchar_t* name, SpoolerHandle* handle,
                                        std::uint32_t desiredAccess) {
  if (handle != nullptr) *handle = nullptr;
  if (handle == nullptr) return fail(kErrorInvalidParameter);
  OpenHandle opened{HandleKind::Server, 0, desiredAccess};
  const std::wstring_view wanted = name != nullptr ? name : L"";
  if (wanted.empty()) {
    // The local print server.
  } else if (wanted.starts_with(kXcvMonitorPrefix)) {
    if (!sameSpoolerName(wanted.substr(kXcvMonitorPrefix.size()), kMakersMonitor)) {
      return fail(kErrorUnknownPort);
    }
    opened.kind = HandleKind::Monitor;
  } else {
    const std::optional<std::size_t> queue = findQueue(wanted);
    if (!queue) return fail(kErrorInvalidPrinterName);
    opened = OpenHandle{HandleKind::Queue, *queue, desiredAccess};
  }
  const std::uintptr_t id = nextHandle_++;
  handles_.emplace(id, opened);
  *handle = reinterpret_cast<SpoolerHandle>(id);
  return true;
}

bool GeneratedPrintSystem::getPrinterW(SpoolerHandle handle, std::uint32_t level,
                                       std::uint8_t* buffer, std::uint32_t bufferSize,
                                       std::uint32_t* needed) {
  const OpenHandle* opened = findHandle(handle);
  if (opened == nullptr || opened->kind != HandleKind::Queue) return fail(kErrorInvalidHandle);
  const std::size_t queue = opened->queue;
  if (queueDeleted_[queue]) return fail(kErrorInvalidPrinterName);
  if (needed == nullptr) return fail(kErrorInvalidParameter);
  if (buffer == nullptr && bufferSize != 0) return fail(kErrorInvalidUserBuffer);
  std::uint32_t returned = 0;
  bool packed = false;
  if (level == 6) {
    // Idle: status 0.
    const auto fill = [](std::size_t, PrinterInfo6&, TextWriter&) { return true; };
    packed = pack<PrinterInfo6>(1, fill, buffer, bufferSize, needed, &returned);
  } else if (level == 2) {
    const auto fill = [&](std::size_t, PrinterInfo2& record, TextWriter& texts) {
      record.pPrinterName = texts.put(queueName(queue, makerQueues_).view());
      record.pPortName = texts.put(portName(queue, makerQueues_).view());
      record.pDriverName = texts.put(driverName(driverOfQueue(queue)).view());
      record.Attributes = kPrinterAttributeLocal;
      return true;
    };
    packed = pack<PrinterInfo2>(1, fill, buffer, bufferSize, needed, &returned);
  } else {
    return fail(kErrorInvalidLevel);
  }
  return packed || fail(kErrorInsufficientBuffer);
}

bool GeneratedPrintSystem::closePrinter(SpoolerHandle handle) {
  return handles_.erase(handleId(handle)) != 0 || fail(kErrorInvalidHandle);
}

bool GeneratedPrintSystem::deletePrinter(SpoolerHandle handle) {
  const OpenHandle* opened = findHandle(handle);
  if (opened == nullptr || opened->kind != HandleKind::Queue) return fail(kErrorInvalidHandle);
  if ((opened->access & kDeleteAccess) == 0) return fail(kErrorAccessDenied);
  if (queueDeleted_[opened->queue]) return fail(kErrorInvalidPrinterName);
  // No queue holds jobs, so the queue goes at once.
  queueDeleted_[opened->queue] = true;
  --queuesOfDriver_[driverOfQueue(opened->queue)];
  return true;
}

bool GeneratedPrintSystem::deletePrinterConnectionW(const wchar_t* name) {
  return fail(name == nullptr ? kErrorInvalidParameter : kErrorFileNotFound);
}

// A generated machine has no per-machine connections.
bool GeneratedPrintSystem::enumPerMachineConnectionsW(const wchar_t*, std::uint8_t*, std::uint32_t,
                                                      std::uint32_t* needed,
                                                      std::uint32_t* returned) {
  if (needed == nullptr || returned == nullptr) return fail(kErrorInvalidParameter);
  *needed = 0;
  *returned = 0;
  return true;
}

bool GeneratedPrintSystem::deletePerMachineConnectionW(const wchar_t*, const wchar_t* printerName) {
  return fail(printerName == nullptr ? kErrorInvalidParameter : kErrorInvalidPrinterName);
}

bool GeneratedPrintSystem::deletePrinterDriverExW(const wchar_t*, const wchar_t*,
                                                  const wchar_t* driverName, std::uint32_t,
                                                  std::uint32_t) {
  if (driverName == nullptr) return fail(kErrorInvalidParameter);
  const std::optional<std::size_t> driver = findDriver(driverName);
  if (!driver) return fail(kErrorUnknownPrinterDriver);
  if (queuesOfDriver_[*driver] > 0) return fail(kErrorPrinterDriverInUse);
  driverDeleted_[*driver] = true;
  return true;
}

bool GeneratedPrintSystem::deletePortW(const wchar_t*, void*, const wchar_t* portName) {
  if (portName == nullptr) return fail(kErrorInvalidParameter);
  return removePort(portName) || fail(kErrorUnknownPort);
}

bool GeneratedPrintSystem::xcvDataW(SpoolerHandle handle, const wchar_t* dataName,
                                    const std::uint8_t* input, std::uint32_t inputSize,
                                    std::uint8_t* output, std::uint32_t outputSize,
                                    std::uint32_t* outputNeeded, std::uint32_t* status) {
  const OpenHandle* opened = findHandle(handle);
  if (opened == nullptr || opened->kind != HandleKind::Monitor) return fail(kErrorInvalidHandle);
  if ((opened->access & kServerAccessAdminister) == 0) return fail(kErrorAccessDenied);
  if (dataName == nullptr || outputNeeded == nullptr || status == nullptr ||
      (input == nullptr && inputSize != 0) || (output == nullptr && outputSize != 0)) {
    return fail(kErrorInvalidParameter);
  }
  *outputNeeded = 0;
  if (std::wstring_view(dataName) != L"DeletePort") {
    *status = kErrorInvalidParameter;
    return true;
  }
  // Both of the maker's records begin with the port name in a field of 64 UTF-16 units.
  std::u16string name;
  for (std::uint32_t at = 0; at + 1 < inputSize && name.size() < 64; at += 2) {
    const auto unit = static_cast<char16_t>(input[at] | (input[at + 1] << 8));
    if (unit == u'\0') break;
    name.push_back(unit);
  }
  removePort(fromUtf16(name));
  *status = 0;
  return true;
}

}  // namespace kv::bench
