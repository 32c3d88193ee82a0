#include "spooler/port_records.h"

#include <algorithm>

namespace kv {
namespace {

// Copies at most the field's room less one unit and leaves the rest, the terminator included,
// as the zero-filled record has it.
void copyPortName(std::u16string_view portName, char16_t (&field)[kMaxRecordPortNameLength + 1]) {
  const std::size_t units = std::min(portName.size(), kMaxRecordPortNameLength);
  std::copy_n(portName.begin(), units, field);
}

}  // namespace

DELETE_PORT_DATA_1 makeDeletePortData1(std::u16string_view portName) {
  DELETE_PORT_DATA_1 record{};
  copyPortName(portName, record.psztPortName);
  record.dwVersion = 1;
  record.dwReserved = 0;
  return record;
}

portdata_s makePortData(std::u16string_view portName, std::uint32_t protocol) {
  portdata_s record{};
  copyPortName(portName, record.portName);
  record.version = 1;
  record.protocol = protocol != 0 ? protocol : kDefaultPortProtocol;
  record.recordSize = sizeof(portdata_s);
  record.reserved = 0;
  record.value2732 = 1;
  record.value3412 = 300;
  record.value3416 = 30;
  record.value5024 = 9100;
  return record;
}

}  // namespace kv
