#include "log/operation_record.h"

#include "log/log_placement.h"
#include "log/logger.h"

namespace kv {

std::wstring& operationRecord() {
  static std::wstring record;
  return record;
}

void startOperationRecord(const std::wstring& computerName) {
  operationRecord() = L"Cleaner: " + computerName + L", Start:" + GetTimeText();
}

void finishOperationRecord(std::int32_t number, bool ok) {
  std::wstring& record = operationRecord();
  if (record.empty()) return;
  record += L", End:" + GetTimeText() + L", " + std::to_wstring(number) + (ok ? L", OK" : L", NG");
  // Another run may have opened the same log since this one did: the record replaces whatever
  // stands there, so the file holds one whole record.
  operationLog().startOver();
  operationLog().plain() << record << endLine;
  operationLog().close();
}

}  // namespace kv
