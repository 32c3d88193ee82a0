#include "spooler/machine_connections.h"

#include <cstring>

#include "spooler/print_spooler.h"
#include "spooler/printer_handle.h"
#include "spooler/report_sites.h"
#include "spooler/sized_enumeration.h"
#include "spooler/spooler_buffer.h"
#include "spooler/spooler_error.h"
#include "spooler/wrapper_reports.h"

namespace kv {
namespace {

constexpr const wchar_t* kListFunction = L"listMachineConnections";
constexpr const wchar_t* kAskFunction = L"askServerForDriver";
constexpr const wchar_t* kDeleteFunction = L"deleteMachineConnection";
constexpr std::uint32_t kFullRecordLevel = 2;

bool list(NameList& names) {
  PrintSpooler& spooler = PrintSpooler::current();
  const auto answer = enumerateWithSizing(
      spooler,
      [&](std::uint8_t* buffer, std::uint32_t size, std::uint32_t* needed,
          std::uint32_t* returned) {
        return spooler.enumPerMachineConnectionsW(nullptr, buffer, size, needed, returned);
      },
      {kListFunction, L"EnumPerMachineConnections", report_site::kMachineConnectionListAllocation,
       report_site::kMachineConnectionListEnumeration});
  if (!answer) return false;
  NameList listed;
  listed.reserve(answer->count<PrinterInfo4>());
  answer->forEachRecord<PrinterInfo4>(
      [&](const PrinterInfo4& record) { listed.push_back(answer->text(record.pPrinterName)); });
  for (std::wstring& name : listed) names.push_back(std::move(name));
  reportPlatformError(0, kListFunction, report_site::kMachineConnectionListDone, L"");
  return true;
}

bool ask(const std::wstring& connectionName, std::wstring& driver) {
  PrintSpooler& spooler = PrintSpooler::current();
  PrinterHandle queue(spooler);
  if (!queue.open(connectionName, kPrinterAccessUse)) {
    reportOpenPrinterFailure(spooler, connectionName, kAskFunction, report_site::kServerQueueOpen);
    return false;
  }
  std::uint32_t needed = 0;
  spooler.getPrinterW(queue.get(), kFullRecordLevel, nullptr, 0, &needed);
  if (needed < sizeof(PrinterInfo2)) {
    reportFailedCall(platformErrorCode(spooler),
                     {kAskFunction, report_site::kServerQueueQuery, L"GetPrinter", L""});
    return false;
  }
  SpoolerBuffer buffer(std::size_t{needed} + 8);
  if (!buffer.allocated()) {
    reportPlatformError(allocationErrorCode(spooler), kAskFunction, report_site::kServerQueueQuery,
                        kAllocationApi);
    return false;
  }
  if (!spooler.getPrinterW(queue.get(), kFullRecordLevel, buffer.data(), buffer.sizeArgument(),
                           &needed)) {
    reportFailedCall(platformErrorCode(spooler),
                     {kAskFunction, report_site::kServerQueueQuery, L"GetPrinter", L""});
    return false;
  }
  PrinterInfo2 record;
  std::memcpy(&record, buffer.data(), sizeof record);
  const EnumerationAnswer answer(std::move(buffer), 1);
  driver = answer.text(record.pDriverName);
  reportPlatformError(0, kAskFunction, report_site::kServerQueueAnswered, L"");
  return true;
}

bool remove(const std::wstring& connectionName) {
  PrintSpooler& spooler = PrintSpooler::current();
  if (spooler.deletePerMachineConnectionW(nullptr, connectionName.c_str())) {
    reportPlatformError(0, kDeleteFunction, report_site::kMachineConnectionDeleted, L"");
    return true;
  }
  const std::int32_t code = platformErrorCode(spooler);
  // The spooler answers 1801 for a per-machine connection it does not hold (any more).
  const bool alreadyGone = code == static_cast<std::int32_t>(kErrorInvalidPrinterName);
  reportFailedCall(alreadyGone ? 0 : code,
                   {kDeleteFunction, report_site::kMachineConnectionDeletion,
                    L"DeletePerMachineConnection", connectionName});
  return alreadyGone;
}

}  // namespace

bool listMachineConnections(NameList& names) {
  return guardWrapper(false, kListFunction, report_site::kMachineConnectionListUnexpected,
                      kAllocationApi, [&] { return list(names); });
}

bool askServerForDriver(const std::wstring& connectionName, std::wstring& driver) {
  return guardWrapper(false, kAskFunction, report_site::kServerQueueUnexpected, kAllocationApi,
                      [&] { return ask(connectionName, driver); });
}

bool deleteMachineConnection(const std::wstring& connectionName) {
  return guardWrapper(false, kDeleteFunction, report_site::kMachineConnectionUnexpected,
                      kAllocationApi, [&] { return remove(connectionName); });
}

}  // namespace kv
