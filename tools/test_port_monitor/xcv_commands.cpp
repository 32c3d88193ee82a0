#include "test_port_monitor/xcv_commands.h"

#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <optional>
#include <string>

#include "test_port_monitor/monitor_settings.h"
#include "test_port_monitor/record_file.h"

namespace kv::testmon {
namespace {

// The NUL-terminated name at the start of `input`, looked for within the first
// kMaxPortNameLength + 1 characters; empty when there is no terminator there.
std::wstring leadingName(const BYTE* input, DWORD inputSize) {
  if (input == nullptr) return {};
  const DWORD characters = inputSize / sizeof(wchar_t);
  const DWORD limit = characters < kMaxPortNameLength + 1 ? characters : kMaxPortNameLength + 1;
  std::wstring name;
  for (DWORD index = 0; index < limit; ++index) {
    wchar_t character;
    std::memcpy(&character, input + index * sizeof(wchar_t), sizeof(character));
    if (character == L'\0') return name;
    name.push_back(character);
  }
  return {};
}

DWORD deletePort(MonitorStore& store, const BYTE* input, DWORD inputSize) {
  // Wine loads monitors into the calling process: this ends the cleaner at a known point.
  if (const std::optional<DWORD> code = store.takeNumber(kStopProcessAtValue)) {
    TerminateProcess(GetCurrentProcess(), *code);
  }
  const DWORD recorded = appendRecord(store.text(kRecordFileValue, L""), input, inputSize);
  if (recorded != ERROR_SUCCESS) return recorded;
  const DWORD status = store.number(kDeletePortStatusValue, ERROR_SUCCESS);
  if (status == ERROR_SUCCESS) {
    const std::wstring port = leadingName(input, inputSize);
    if (store.hasPort(port)) store.removePort(port);
  }
  return status;
}

}  // namespace

DWORD runXcvCommand(MonitorStore& store, ACCESS_MASK granted, const wchar_t* command,
                    const BYTE* input, DWORD inputSize, DWORD* outputNeeded) {
  if (outputNeeded != nullptr) *outputNeeded = 0;
  if (command == nullptr) return ERROR_INVALID_PARAMETER;
  const bool administer = (granted & SERVER_ACCESS_ADMINISTER) != 0;
  if (std::wcscmp(command, L"DeletePort") == 0) {
    return administer ? deletePort(store, input, inputSize) : ERROR_ACCESS_DENIED;
  }
  if (std::wcscmp(command, L"AddPort") == 0) {
    if (!administer) return ERROR_ACCESS_DENIED;
    const std::wstring port = leadingName(input, inputSize);
    return port.empty() ? ERROR_INVALID_PARAMETER : store.addPort(port);
  }
  if (std::wcscmp(command, L"MonitorUI") == 0) return ERROR_NOT_SUPPORTED;
  return ERROR_INVALID_PARAMETER;
}

}  // namespace kv::testmon
