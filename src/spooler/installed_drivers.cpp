#include "spooler/installed_drivers.h"

#include "spooler/driver_environments.h"
#include "spooler/print_spooler.h"
#include "spooler/report_sites.h"
#include "spooler/sized_enumeration.h"

namespace kv {
namespace {

constexpr std::uint32_t kDriverLevelInfPath = 8;

}  // namespace

bool listInstalledDrivers(std::vector<InstalledDriver>& drivers) {
  PrintSpooler& spooler = PrintSpooler::current();
  std::vector<InstalledDriver> found;
  for (const wchar_t* environment : kDriverEnvironments) {
    bool unserved = false;
    const auto answer = enumerateWithSizing(
        spooler,
        [&](std::uint8_t* buffer, std::uint32_t size, std::uint32_t* needed,
            std::uint32_t* returned) {
          const bool ok = spooler.enumPrinterDriversW(nullptr, environment, kDriverLevelInfPath,
                                                      buffer, size, needed, returned);
          unserved = !ok && spooler.lastError() == kErrorInvalidEnvironment;
          // An environment the spooler does not serve is an empty one, not a failure.
          if (unserved) *returned = 0;
          return ok || unserved;
        },
        {L"listInstalledDrivers", L"EnumPrinterDrivers", report_site::kDriverListAllocation,
         report_site::kDriverListEnumeration});
    if (!answer) return false;
    if (unserved) continue;
    answer->forEachRecord<DriverInfo8>([&](const DriverInfo8& record) {
      const std::wstring listedEnvironment = answer->text(record.pEnvironment);
      found.push_back(InstalledDriver{answer->text(record.pName),
                                      listedEnvironment.empty() ? environment : listedEnvironment,
                                      answer->text(record.pszInfPath)});
    });
  }
  drivers.insert(drivers.end(), found.begin(), found.end());
  return true;
}

}  // namespace kv
