// The per-machine connections a clean run removes, and, for LocalSystem, how users' own
// connections are reached: by kvdisconnect at each user's logon.
#include "check/check_run.h"
#include "rules/logon_registration.h"
#include "rules/machine_connection_choice.h"
#include "spooler/error_reporting.h"
#include "system/system_services.h"

namespace kv {
namespace {

std::wstring logonRegistrationNote() {
  std::uint32_t error = 0;
  const std::optional<LogonRegistration> registration = readLogonRegistration(error);
  std::wstring note =
      L" kvdisconnect registered for each user's logon (kvdisconnect -R) removes users' "
      L"connections: ";
  if (registration) {
    return note + L"registered, with " + registeredChoice(registration->stubPath) + L" (Version " +
           registration->version + L").";
  }
  if (error != 0)
    return note + L"whether it is registered is unknown (" + std::to_wstring(error) + L").";
  return note + L"not registered.";
}

}  // namespace

int checkMachineConnections(CheckRun& run) {
  if (SystemServices::current().runsAsLocalSystem()) {
    run.report.noteOf(CheckedKind::Connections) += logonRegistrationNote();
  }
  std::wstring& note = run.report.noteOf(CheckedKind::MachineConnections);
  MachineConnectionsRead read;
  if (!readMakersMachineConnections(run.modelSet, read)) {
    note = L"Failed to enumerate per-machine printer connections (" +
           std::to_wstring(dwMciGetLastError()) +
           L"): a clean run cannot list them either, leaves them and counts that in Q with an "
           L"Error line.";
    return 0;
  }
  for (const auto& [name, code] : read.silent) {
    note += std::wstring(note.empty() ? L"" : L" ") + L"The print server of " + name +
            L" did not answer (" + std::to_wstring(code) + L"): a clean run keeps it.";
  }
  for (std::size_t i = 0; i < read.names.size(); ++i) {
    CheckedObject connection{read.names[i], L"disconnect"};
    noteWhyChosen(run, read.drivers[i], connection);
    connection.facts.emplace_back("driver", read.drivers[i]);
    run.report.of(CheckedKind::MachineConnections).push_back(std::move(connection));
  }
  return 0;
}

}  // namespace kv
