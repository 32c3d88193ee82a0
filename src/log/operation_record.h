#pragma once

#include <cstdint>
#include <string>

namespace kv {

// The operation log's single line. Start-up begins it as "Cleaner: <computer>, Start:<time>";
// the end of the run, normal or fatal, completes and writes it.
std::wstring& operationRecord();

// Begins the record with the computer name and the current time text.
void startOperationRecord(const std::wstring& computerName);

// When the record has been begun: appends ", End:<time>, <number>, OK|NG", writes the record as
// the operation log's one line with no prefix and no threshold test, and closes that log.
void finishOperationRecord(std::int32_t number, bool ok);

}  // namespace kv
